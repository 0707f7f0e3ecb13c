#include "common/forms/FormBase.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "support/DossierProgrammeTemp.h"
#include "support/EcransDeTest.h"
#include "support/ServiceSessionScripte.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class FormeEssai : public FormBase {
public:
    explicit FormeEssai(const QString& nom = QStringLiteral("FormeEssai")) : FormBase(nom) {
        setWindowTitle(QStringLiteral("Essai"));
        Label1 = new QLabel(QStringLiteral("Article"), this);
        Label1->setObjectName(QStringLiteral("Label1"));
        Text1 = new QLineEdit(this);
        Text1->setObjectName(QStringLiteral("Text1"));
        Text1->move(0, 30);
        Command1 = new QPushButton(QStringLiteral("Valider"), this);
        Command1->setObjectName(QStringLiteral("Command1"));
        Command1->move(0, 60);
        QObject::connect(Command1, &QPushButton::clicked, [this] { ++clics; });
        ajouterNettoyage([this] { ++nettoyages; });
        resize(300, 200);
    }

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command1;
    int chargements = 0, dechargements = 0, activations = 0, redimensionnements = 0;
    int nettoyages = 0, clics = 0;
    bool annuler = false;
    bool connexionAuDechargement = false;
    bool leverAuChargement = false;
    QList<int> appuis, relachements, caracteres;
    QList<QObject*> controlesCaracteres;

protected:
    void Form_Load() override {
        ++chargements;
        if (leverAuChargement)
            throw ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Overflow"));
    }
    void Form_Unload(bool& a) override {
        ++dechargements;
        connexionAuDechargement = connexionOuverte() != nullptr;
        a = annuler;
    }
    void Form_Activate() override { ++activations; }
    void Form_Resize() override { ++redimensionnements; }
    void Form_KeyDown(QKeyEvent* e) override { appuis.append(e->key()); }
    void Form_KeyUp(QKeyEvent* e) override { relachements.append(e->key()); }
    // A scanner's "@" is cancelled, "x" typed as "X"; the rest goes through.
    void Form_KeyPress(QObject* controle, int& KeyAscii) override {
        caracteres.append(KeyAscii);
        controlesCaracteres.append(controle);
        if (KeyAscii == '@')
            KeyAscii = 0;
        else if (KeyAscii == 'x')
            KeyAscii = 'X';
    }
};

void montrerActive(QWidget& w) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

class FormBaseTest : public ::testing::Test {
protected:
    void SetUp() override { reinitialiserEtatGlobal(); }
    void TearDown() override { reinitialiserEtatGlobal(); }
};

} // namespace

TEST_F(FormBaseTest, LoadRunsAtEachShowAfterAnUnloadNotInTheConstructor) {
    FormeEssai f;
    EXPECT_EQ(f.chargements, 0);
    EXPECT_FALSE(f.estCharge());
    EXPECT_EQ(f.objectName(), QStringLiteral("FormeEssai"));

    f.Show();
    EXPECT_EQ(f.chargements, 1);
    EXPECT_TRUE(f.isVisible());
    f.Show();
    f.Load();
    EXPECT_EQ(f.chargements, 1) << "a loaded form is not loaded again";

    EXPECT_TRUE(f.close());
    EXPECT_FALSE(f.estCharge());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.dechargements, 1);
    EXPECT_EQ(f.nettoyages, 1);

    // A hidden form is not unloaded, and unloading an unloaded form does nothing.
    EXPECT_TRUE(f.Unload());
    EXPECT_EQ(f.dechargements, 1);

    f.show(); // a plain show loads too
    EXPECT_EQ(f.chargements, 2);
    f.Hide();
    EXPECT_TRUE(f.estCharge());
    EXPECT_TRUE(f.Unload());
}

TEST_F(FormBaseTest, UnloadCanBeCancelledAndAHidingFormOnlyHides) {
    FormeEssai f;
    f.Show();
    f.annuler = true;
    EXPECT_FALSE(f.close());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.estCharge());
    EXPECT_FALSE(f.Unload());
    EXPECT_EQ(f.nettoyages, 0);

    f.annuler = false;
    f.setMasqueALaFermeture(true);
    EXPECT_TRUE(f.close());
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.estCharge());
    EXPECT_EQ(f.dechargements, 2);

    // Unload() still unloads a hiding form.
    EXPECT_TRUE(f.Unload());
    EXPECT_FALSE(f.estCharge());
}

TEST_F(FormBaseTest, EachFormOwnsItsConnectionUntilItUnloads) {
    DossierProgrammeTemp dossier;
    QString erreur;
    ASSERT_TRUE(creerBasesDossierProgramme(dossier.chemin(), &erreur)) << erreur.toStdString();
    FormeEssai a, b;
    a.Show();
    b.Show();
    EXPECT_EQ(a.connexionOuverte(), nullptr) << "opened on first use only";
    Connexion& ca = a.connexion();
    EXPECT_EQ(&a.connexion(), &ca);
    EXPECT_NE(ca.nom(), b.connexion().nom());

    a.annuler = true;
    EXPECT_FALSE(a.Unload());
    EXPECT_EQ(a.connexionOuverte(), &ca) << "a cancelled unload keeps it";
    a.annuler = false;
    EXPECT_TRUE(a.Unload());
    EXPECT_TRUE(a.connexionAuDechargement) << "Form_Unload can still write through it";
    EXPECT_EQ(a.connexionOuverte(), nullptr);
    EXPECT_NE(b.connexionOuverte(), nullptr);

    a.Show();
    EXPECT_EQ(a.connexion().valeurUnique(QStringLiteral("SELECT 1")).toInt(), 1);
}

TEST_F(FormBaseTest, ActivationIsTheFirstAfterAShowOrOneComingFromAnotherForm) {
    FormeEssai f, g;
    montrerActive(f);
    EXPECT_EQ(f.activations, 1);
    auto revenir = [&f] {
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    };
    // Back from a window that is not a form (a message box, a file dialog): no activation.
    QWidget boite(nullptr, Qt::Window);
    montrerActive(boite);
    revenir();
    EXPECT_EQ(f.activations, 1);
    // Back from another form: an activation.
    montrerActive(g);
    EXPECT_EQ(g.activations, 1);
    revenir();
    EXPECT_EQ(f.activations, 2);
}

TEST_F(FormBaseTest, ModalShowGoesThroughTheSessionService) {
    ServiceSessionScripte session;
    FormeEssai f;
    bool vuChargee = false;
    session.surModal([&](QObject* o) {
        vuChargee = o == &f && f.estCharge();
        f.Unload();
    });
    QWidget proprietaire;
    proprietaire.show();
    f.ShowModal(&proprietaire);
    EXPECT_TRUE(vuChargee);
    EXPECT_FALSE(f.estCharge());
    ASSERT_EQ(session.formsModales().size(), 1);

    // Nothing is shown once the program is ending.
    Global().FinDemandee = true;
    f.ShowModal();
    EXPECT_EQ(session.formsModales().size(), 1);
    Global().FinDemandee = false;
}

TEST_F(FormBaseTest, ExceptionsOfEventsAreLoggedNotThrown) {
    DossierProgrammeTemp dossier;
    FormeEssai f;
    f.leverAuChargement = true;
    EXPECT_NO_THROW(f.Show());
    EXPECT_EQ(f.chargements, 1);
    EXPECT_TRUE(dossier.lignesJournal().contains(QStringLiteral("FormeEssai.Form_Load|N°: 6 Overflow")))
        << dossier.lignesJournal().join(QLatin1Char('\n')).toStdString();
}

TEST_F(FormBaseTest, KeyPreviewSeesEachKeyOnceAndLetsTheControlHaveIt) {
    FormeEssai f;
    montrerActive(f);
    f.Text1->setFocus();

    // F5 is ignored by the text box and goes on to its parents: still one preview.
    QTest::keyClick(f.Text1, Qt::Key_F5);
    EXPECT_EQ(f.appuis, (QList<int>{Qt::Key_F5}));
    EXPECT_EQ(f.relachements, (QList<int>{Qt::Key_F5}));

    QTest::keyClick(f.Text1, Qt::Key_A);
    QTest::keyClick(f.Text1, Qt::Key_A);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("aa"));
    EXPECT_EQ(f.appuis.count(Qt::Key_A), 2);

    // Each typed character is seen once, before the control, which can be denied it or given another.
    QTest::keyClicks(f.Text1, QStringLiteral("@x1"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("aaX1"));
    EXPECT_EQ(f.caracteres, (QList<int>{'a', 'a', '@', 'x', '1'}));
    EXPECT_EQ(f.controlesCaracteres.last(), f.Text1);
    EXPECT_EQ(f.appuis.count(Qt::Key_At), 1) << "the key itself is still previewed";

    // Space still presses a button.
    f.Command1->setFocus();
    QTest::keyClick(f.Command1, Qt::Key_Space);
    EXPECT_EQ(f.clics, 1);
    EXPECT_EQ(f.caracteres.last(), ' ');

    // The same key sent to the form itself right after is a new key.
    QTest::keyClick(&f, Qt::Key_F5);
    EXPECT_EQ(f.appuis.count(Qt::Key_F5), 2);

    // The window system builds each key event in the same place: a later key at the same address,
    // sent to a parent of the last control, is still a new key.
    {
        QKeyEvent appui(QEvent::KeyPress, Qt::Key_F6, Qt::NoModifier);
        appui.setTimestamp(1000);
        QCoreApplication::sendEvent(f.Text1, &appui);
        appui.setTimestamp(2000);
        appui.setAccepted(false);
        QCoreApplication::sendEvent(&f, &appui);
        EXPECT_EQ(f.appuis.count(Qt::Key_F6), 2);
    }

    // Controls added later are previewed too.
    auto* ajout = new QLineEdit(&f);
    ajout->setObjectName(QStringLiteral("Text2"));
    ajout->show();
    ajout->setFocus();
    QTest::keyClick(ajout, Qt::Key_B);
    EXPECT_EQ(ajout->text(), QStringLiteral("b"));
    EXPECT_EQ(f.appuis.count(Qt::Key_B), 1);

    // Keys of another window owned by the form are not the form's.
    QWidget autre(&f, Qt::Window);
    auto* texteAutre = new QLineEdit(&autre);
    QTest::keyClick(texteAutre, Qt::Key_C);
    EXPECT_EQ(f.appuis.count(Qt::Key_C), 0);
}

TEST_F(FormBaseTest, F12IsConsumedAndSwitchesLanguageBothWays) {
    DossierProgrammeTemp dossier;
    dossier.ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    dossier.ecrireFichier(QStringLiteral("nederlands.lng"),
                          "[FormeEssai]\nForm.Caption=Proef\nLabel1.Caption=Artikel\n"
                          "Command1.Caption=Bevestigen\n");
    dossier.ecrireFichier(QStringLiteral("french.lng"),
                          "[FormeEssai]\nForm.Caption=Essai\nLabel1.Caption=Article\n");
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier.fichier(QStringLiteral("nederlands.lng"));

    FormeEssai f;
    montrerActive(f);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Proef")) << "translated on activation";
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Artikel"));

    f.Text1->setFocus();
    QTest::keyClick(f.Text1, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Essai"));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Article"));
    // French lacks that key: the Dutch wording stays.
    EXPECT_EQ(f.Command1->text(), QStringLiteral("Bevestigen"));
    EXPECT_EQ(Global().msg(1), QStringLiteral("Fermer"));
    EXPECT_EQ(f.relachements, (QList<int>{Qt::Key_F12}));

    QTest::keyClick(f.Text1, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("NL"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Proef"));
    EXPECT_EQ(Global().msg(1), QStringLiteral("Sluiten"));
    EXPECT_EQ(Global().FichierLangue, dossier.fichier(QStringLiteral("nederlands.lng")));

    // An empty configured language is French, as at start.
    dossier.ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QString());
    QTest::keyClick(f.Text1, Qt::Key_F12);
    QTest::keyClick(f.Text1, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));

    // A form with its own use of F12 only sees the key.
    f.setToucheF12(false);
    Global().LangueCourante = QStringLiteral("NL");
    QTest::keyClick(f.Text1, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("NL"));
    EXPECT_EQ(f.relachements.count(Qt::Key_F12), 5);
}

TEST_F(FormBaseTest, NoTranslationOnActivationInFrenchOrWhenTheFormOptsOut) {
    DossierProgrammeTemp dossier;
    dossier.ecrireFichier(QStringLiteral("deutch.lng"), "[FormeEssai]\nForm.Caption=Versuch\n");
    Global().FichierLangue = dossier.fichier(QStringLiteral("deutch.lng"));

    FormeEssai francais;
    montrerActive(francais);
    EXPECT_EQ(francais.windowTitle(), QStringLiteral("Essai"));

    Global().LangueCourante = QStringLiteral("DE");
    FormeEssai parF12;
    parF12.setTraductionActivation(false);
    montrerActive(parF12);
    EXPECT_EQ(parF12.windowTitle(), QStringLiteral("Essai"));
    parF12.traduireSiEtranger();
    EXPECT_EQ(parF12.windowTitle(), QStringLiteral("Versuch"));
    // German messages are French rather than blank.
    EXPECT_EQ(Global().msg(1), QStringLiteral("Fermer"));
}

TEST_F(FormBaseTest, GridCaptionsStayForeignAfterF12UntilTheFormLoadsAgain) {
    DossierProgrammeTemp dossier;
    dossier.ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier.fichier(QStringLiteral("nederlands.lng"));

    FormeEssai f(QStringLiteral("FenTailles"));
    auto* grille = new QTableWidget(0, 1, &f);
    grille->setObjectName(QStringLiteral("DBGrid1"));
    grille->setHorizontalHeaderLabels({QStringLiteral("Tailles")});
    auto* legende = new QLabel(QStringLiteral("Tailles disponibles"), &f);
    f.declarerLegendeGrille(QStringLiteral("DBGrid1"), legende);

    montrerActive(f);
    EXPECT_EQ(grille->horizontalHeaderItem(0)->text(), QStringLiteral("Maten"));
    EXPECT_EQ(legende->text(), QStringLiteral("Beschikbare maten"));

    f.Text1->setFocus();
    QTest::keyClick(f.Text1, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
    EXPECT_EQ(grille->horizontalHeaderItem(0)->text(), QStringLiteral("Maten"));

    ASSERT_TRUE(f.Unload());
    f.Show();
    EXPECT_EQ(grille->horizontalHeaderItem(0)->text(), QStringLiteral("Tailles"));
    EXPECT_EQ(legende->text(), QStringLiteral("Tailles disponibles"));
}

TEST_F(FormBaseTest, ReloadStartsFromTheConstructionWording) {
    FormeEssai f;
    f.Show();
    f.setWindowTitle(QStringLiteral("Proef"));
    f.Label1->setText(QStringLiteral("Artikel"));
    f.Command1->setToolTip(QStringLiteral("Tip"));
    f.Text1->setText(QStringLiteral("typed"));
    ASSERT_TRUE(f.Unload());
    f.Show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Essai"));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Article"));
    EXPECT_TRUE(f.Command1->toolTip().isEmpty());
    // Contents are the form's own business.
    EXPECT_EQ(f.Text1->text(), QStringLiteral("typed"));
}

TEST_F(FormBaseTest, HourglassIsOneOverrideCursor) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    FormBase::Sablier(true);
    FormBase::Sablier(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(FormBase::SablierActif());
    FormBase::Sablier(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    FormBase::Sablier(false);
    EXPECT_FALSE(FormBase::SablierActif());
}

TEST_F(FormBaseTest, EscAndEnterGoToTheOpenPanelElseEscToTheCancelButtonWhoseRefusalHolds) {
    FormeEssai f;
    // A panel over the form with its OK and cancel, one with neither, a grid; Command1 closes the form.
    auto* panneau = new QFrame(&f);
    auto* saisie = new QLineEdit(panneau);
    auto* ok = new QPushButton(QStringLiteral("OK"), panneau);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), panneau);
    ok->move(0, 30);
    annuler->move(0, 60);
    panneau->setGeometry(100, 0, 150, 100);
    auto* sans = new QFrame(&f);
    auto* grille = new QTableWidget(1, 1, &f);
    grille->setGeometry(0, 110, 200, 60);
    grille->setItem(0, 0, new QTableWidgetItem(QStringLiteral("a")));
    int oks = 0, annulations = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] {
        ++oks;
        panneau->hide();
    });
    QObject::connect(annuler, &QPushButton::clicked, [&] {
        ++annulations;
        panneau->hide();
    });
    QObject::connect(f.Command1, &QPushButton::clicked, &f, &QWidget::close);
    f.setBoutonAnnuler(f.Command1);
    f.declarerPanneau(panneau, ok, annuler);
    f.declarerPanneau(sans, nullptr, nullptr);
    sans->hide();
    montrerActive(f);

    // An open panel: Enter in it is its OK, on its focused "Annuler" that button; Esc its cancel wherever
    // the focus is.
    saisie->setFocus();
    QTest::keyClick(saisie, Qt::Key_Return);
    EXPECT_EQ(oks, 1);
    panneau->show();
    annuler->setFocus();
    QTest::keyClick(annuler, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(std::pair(oks, annulations), std::pair(1, 1));
    panneau->show();
    f.Text1->setFocus();
    QTest::keyClick(f.Text1, Qt::Key_Return);
    EXPECT_TRUE(panneau->isVisible()) << "Enter outside the panel is the box's";
    EXPECT_TRUE(f.caracteres.contains(13));
    QTest::keyClick(f.Text1, Qt::Key_Escape);
    EXPECT_EQ(std::pair(oks, annulations), std::pair(1, 2));
    // A panel with no cancel of its own is hidden.
    sans->show();
    QTest::keyClick(f.Text1, Qt::Key_Escape);
    EXPECT_FALSE(sans->isVisible());
    EXPECT_TRUE(f.isVisible());

    // A cell being edited keeps its Esc; a held key does not repeat the close.
    grille->setFocus();
    grille->editItem(grille->item(0, 0));
    QWidget* editeur = QApplication::focusWidget();
    ASSERT_NE(editeur, grille);
    QTest::keyClick(editeur, Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    QKeyEvent repetee(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(f.Text1, &repetee);
    EXPECT_TRUE(f.isVisible());

    // No panel: Esc presses the close button, and the form's refusal to unload holds.
    f.annuler = true;
    QTest::keyClick(f.Text1, Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.dechargements, 1);
    f.annuler = false;
    QTest::keyClick(f.Text1, Qt::Key_Escape);
    EXPECT_FALSE(f.estCharge());
}

namespace {

// Laid out by a layout, larger than small screens; its least size fits 1024 x 768 until its activation
// asks for more (longer captions).
class FormeGrande : public FormBase {
public:
    FormeGrande() : FormBase(QStringLiteral("FormeGrande")) {
        auto* l = new QVBoxLayout(this);
        Corps = new QLabel(QStringLiteral("Corps"), this);
        Corps->setMinimumSize(700, 400);
        l->addWidget(Corps);
        resize(1500, 900);
    }
    QLabel* Corps;
    int largeurActivation = 0;

protected:
    void Form_Activate() override {
        if (largeurActivation)
            Corps->setMinimumWidth(largeurActivation);
    }
};

// Shows the form at `decalage` from the screen's corner; its frame then lies in the screen's area.
void montrerSur(FormBase& f, QScreen* ecran, QPoint decalage = QPoint(10, 10)) {
    f.hide();
    f.move(ecran->geometry().topLeft() + decalage);
    montrerActive(f);
    QTest::qWait(10);
    EXPECT_TRUE(ecran->availableGeometry().contains(f.frameGeometry())) << ecran->name().toStdString();
}

} // namespace

TEST_F(FormBaseTest, AWindowNeverOutgrowsItsScreenScrollsBelowItsLeastSizeAndGetsItsSizeBackWhereItFits) {
    QScreen* bureau = ecranDeTest("1 bureau 1920x1080");
    QScreen* petit = ecranDeTest("2 1024x768");
    QScreen* minuscule = ecranDeTest("4 640x480");
    if (!bureau || !petit || !minuscule)
        GTEST_SKIP() << "needs the test screens of the offscreen platform";

    // Larger than the screen: shrunk to its area and centred, its layout shrinking with it. Where it
    // fits, its own size again; partly off the screen, moved onto it.
    FormeGrande g;
    montrerSur(g, petit);
    EXPECT_EQ(g.frameGeometry(), petit->availableGeometry());
    EXPECT_EQ(g.findChild<QScrollArea*>(), nullptr);
    montrerSur(g, bureau, QPoint(1000, 500));
    EXPECT_EQ(g.size(), QSize(1500, 900));
    // Grown past the screen at its activation: fitted again.
    FormeGrande traduite;
    traduite.largeurActivation = 1200;
    montrerSur(traduite, petit);
    EXPECT_EQ(traduite.Corps->minimumWidth(), 1200);
    EXPECT_EQ(traduite.frameGeometry(), petit->availableGeometry());
    montrerSur(traduite, bureau);
    EXPECT_EQ(traduite.size(), QSize(1500, 900));

    // A fixed size, controls placed by hand, larger than the screen: the window takes the area and its
    // controls scroll.
    FormeEssai f;
    f.Command1->move(700, 550);
    f.setFixedSize(800, 600);
    montrerSur(f, minuscule);
    EXPECT_EQ(f.frameGeometry(), minuscule->availableGeometry());
    auto* defilement = f.findChild<QScrollArea*>();
    ASSERT_NE(defilement, nullptr);
    EXPECT_FALSE(enVue(f.Command1, &f));
    defilement->ensureWidgetVisible(f.Command1);
    EXPECT_TRUE(enVue(f.Command1, &f));
    montrerSur(f, bureau);
    EXPECT_EQ(f.size(), QSize(800, 600));
    EXPECT_TRUE(enVue(f.Command1, &f));
}

// A framed window is never asked for the point its window manager placed it by already, read under
// either gravity (the client area's corner or the frame's): openbox then moves nothing. The locker
// window's case: its client area at the screen's corner, its title bar above it, the frame wanted at the
// corner, which is where the client area is.
TEST(FormBasePlacementTest, AFramedWindowIsNeverAskedForThePointItsWindowManagerHolds) {
    const QMargins cadre(1, 20, 1, 1);
    const QPoint decalage(1, 20);
    struct Cas {
        QPoint coin, client;
    };
    for (const Cas& c :
         {Cas{{0, 0}, {0, 0}}, Cas{{0, 0}, {2, 40}}, Cas{{102, 0}, {103, 0}}, Cas{{170, 0}, {166, 20}}}) {
        const auto d = FormBase::demandePosition(c.coin, cadre, c.client);
        // What is asked puts the frame's corner at `coin`...
        EXPECT_EQ(d.duCadre ? d.position : d.position - decalage, c.coin) << c.coin.x() << "," << c.coin.y();
        // ...and differs from both points the window manager may hold.
        EXPECT_NE(d.position, c.client) << c.coin.x() << "," << c.coin.y();
        EXPECT_NE(d.position, c.client - decalage) << c.coin.x() << "," << c.coin.y();
    }
    EXPECT_FALSE(FormBase::demandePosition({0, 0}, cadre, {0, 0}).duCadre);
    EXPECT_TRUE(FormBase::demandePosition({0, 0}, cadre, {2, 40}).duCadre);
}
