#include "DemarrageFixture.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/forms/Instance.h"
#include "counter/forms/FenComptoir.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "machines/forms/FrmConfigMachine.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "staff/forms/FrmUtilisateur.h"
#include "stock/forms/FrmStock.h"
#include "support/EcransDeTest.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QWindow>
#include <cstdio>
#include <functional>

namespace {

QSet<QAbstractButton*> boutonsAtteignables(QWidget* fenetre) {
    QSet<QAbstractButton*> boutons;
    for (QAbstractButton* b : fenetre->findChildren<QAbstractButton*>())
        if (b->window() == fenetre && atteignable(b, fenetre))
            boutons.insert(b);
    return boutons;
}

// What a form is on the desktop screen: its size, whether the size is fixed, the buttons the user reaches.
struct SurLeBureau {
    QSize taille;
    bool fixe = false;
    QSet<QAbstractButton*> boutons;
};

// A report for the viewer.
const QByteArray DefinitionEtat = R"({"tables": ["CA", "InfoEtat", "InfoSociete"],
  "reportHeader": {"height": 12, "elements": [
    {"type": "text", "x": 0, "y": 0, "width": 120, "height": 6, "field": "InfoSociete.NOM"},
    {"type": "text", "x": 0, "y": 6, "width": 180, "height": 6, "field": "InfoEtat.Titre"}]},
  "detail": {"height": 5, "elements": [{"type": "text", "x": 0, "y": 0, "width": 60, "height": 5, "field": "Nom"}]}})";

// The program as at start: its folder and database (an article, two report lines), the menu with its
// task forms, the main window loaded.
class FormesTaches : public DemarrageFixture {
protected:
    void preparer(const QString& langue) {
        Global().NomBase = QStringLiteral("VEZ");
        Global().CheminIni = dossier->cheminIni();
        Global().LangueCourante = langue;
        Global().FichierLangue = dossier->fichier(MODTranslate::NomFichierLangue(langue));
        Global().Msg = MODTranslate::TextesMessages(langue);
        dossier->ecrireFichier(QStringLiteral("RPT SQL/EssaiEcran.RPT"), DefinitionEtat);
        executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('Dupont'), ('Durand')"));
        // A complete article, so that its card may be left.
        executer(QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('GANTS')"));
        executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('S', 1, 1)"));
        executer(QStringLiteral(
            "INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES (1, 'F1', 'PROTECTA')"));
        executer(
            QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, RefFournisseur, "
                           "QteEnStock, QteParPaket, StockAlert, DelaiLivraison, PrixAchatUnit, "
                           "PrixAchatGlobal, Prix, Famille, NoFournisseur, Taille) "
                           "VALUES (1001, 1, 'GANT NITRILE', 'RF-1', 325, 6, 2, 12, 2.5, 15, 2, 1, 1, 1)"));
        enregistrerFormesMenu(RegistreMenu::global());
        frmPrincipal().Load();
        ASSERT_FALSE(frmPrincipal().baseInaccessible());
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier(QStringLiteral("RPT SQL")));
    }
    void TearDown() override {
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        DemarrageFixture::TearDown();
    }

    // Shows the form as `montrerForme` does (the menu's button, the viewer's routine) and plays the user's
    // part while it is shown, modal or not.
    void jouer(FormBase& f, const std::function<void()>& montrerForme,
               const std::function<void()>& utilisateur) {
        bool joue = false;
        session->surModal([&](QObject*) {
            f.show();
            f.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
            utilisateur();
            joue = true;
        });
        montrerForme();
        if (!joue) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
            utilisateur();
        }
    }
    void jouerMenu(const QString& bouton, const std::function<void(FormBase&)>& utilisateur) {
        RegistreMenu& registre = RegistreMenu::global();
        auto* f = qobject_cast<FormBase*>(registre.instance(bouton));
        ASSERT_NE(f, nullptr) << bouton.toStdString();
        jouer(
            *f, [&] { ASSERT_TRUE(registre.ouvrir(bouton, &frmPrincipal())); }, [&] { utilisateur(*f); });
    }
    void jouerEtat(const std::function<void(FenCrystalRep&)>& utilisateur) {
        FenCrystalRep& etat = Instance<FenCrystalRep>();
        jouer(
            etat,
            [&] {
                QString fichier = QStringLiteral("EssaiEcran.RPT");
                EXPECT_EQ(etat.ImprimerEtat(fichier, QString(), QStringLiteral("Essai"), QStringLiteral("CA"),
                                            &frmPrincipal(), QString()),
                          ResultatEtat::Pret);
            },
            [&] { utilisateur(etat); });
    }
};

// In French; in Dutch, whose captions are longer, with the weekday time windows (the profiles form at
// its widest, wider than 1024 pixels).
class FormesEcranTest : public FormesTaches, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        FormesTaches::SetUp();
        if (HasFatalFailure())
            return;
        if (!ecranDeTest("2 1024x768"))
            GTEST_SKIP() << "needs the test screens of the offscreen platform";
        preparer(QString::fromLatin1(GetParam()));
        Global().OptionPlageHoraire = QString::fromLatin1(GetParam()) == QLatin1String("NL");
    }

    // Places the loaded form on the screen as it places itself on the primary screen (centred on the
    // screen when that would put it mostly elsewhere).
    static void placer(FormBase& f, QScreen* ecran) {
        f.Load();
        QPoint coin =
            f.pos() - QGuiApplication::primaryScreen()->geometry().topLeft() + ecran->geometry().topLeft();
        if (!ecran->geometry().contains(QRect(coin, f.frameGeometry().size()).center()))
            coin = ecran->geometry().center() - QRect(QPoint(), f.frameGeometry().size()).center();
        f.move(coin);
    }
    // The form as it opens; the article file with its card too.
    static void verifierEtats(FormBase& f, const std::function<void(QWidget&, const QString&)>& verifier) {
        verifier(f, f.objectName());
        if (auto* stock = qobject_cast<FrmStock*>(&f)) {
            QTest::mouseClick(stock->OptionFiche, Qt::LeftButton);
            QTest::qWait(20);
            ASSERT_TRUE(stock->FrameFicheProduit->isVisible());
            verifier(f, f.objectName() + QStringLiteral(" fiche"));
        }
    }

    // Every form of the menu, the report viewer and the main window, each shown on the screen.
    void parcourir(QScreen* ecran, const std::function<void(QWidget&, const QString&)>& verifier) {
        const auto voir = [&](FormBase& f) {
            QTest::qWait(20);
            verifierEtats(f, verifier);
            f.Unload();
        };
        for (const QString& b : RegistreMenu::global().boutons()) {
            if (auto* f = qobject_cast<FormBase*>(RegistreMenu::global().instance(b))) {
                placer(*f, ecran);
                jouerMenu(b, voir);
            }
        }
        placer(Instance<FenCrystalRep>(), ecran);
        jouerEtat(voir);
        FrmPrincipal& principale = frmPrincipal();
        principale.move(ecran->geometry().topLeft());
        principale.show();
        principale.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&principale));
        QTest::qWait(20);
        verifier(principale, principale.objectName());
        principale.hide();
    }
};

} // namespace

TEST_P(FormesEcranTest, EveryFormFitsTheScreenWithItsButtonsWithinReachAndKeepsItsSizeWhereItFits) {
    QHash<QString, SurLeBureau> bureau;
    parcourir(QGuiApplication::primaryScreen(), [&](QWidget& f, const QString& cle) {
        bureau.insert(cle, {f.size(), f.minimumSize() == f.maximumSize(), boutonsAtteignables(&f)});
        EXPECT_FALSE(bureau[cle].boutons.isEmpty()) << cle.toStdString();
    });
    // The two large files and the viewer are larger than the small screens.
    ASSERT_EQ(bureau.value(QStringLiteral("FrmStock")).taille, QSize(1320, 760));
    ASSERT_EQ(bureau.value(QStringLiteral("FrmUtilisateur")).taille, QSize(1320, 780));
    EXPECT_EQ(bureau.value(QStringLiteral("FenQuota")).taille.width(),
              Global().OptionPlageHoraire ? 1033 : 793);
    ASSERT_GE(bureau.size(), 12);
    EXPECT_EQ(Instance<FrmUtilisateur>().windowTitle(), QString::fromLatin1(GetParam()) == QLatin1String("NL")
                                                            ? QStringLiteral("Beheer van werknemers")
                                                            : QStringLiteral("Gestion des salariés"));

    ASSERT_EQ(ecranDeTest("5 4K x2")->devicePixelRatio(), 2.0);
    for (const char* nom : {"2 1024x768", "3 1024x728", "4 640x480", "5 4K x2"}) {
        QScreen* ecran = ecranDeTest(nom);
        const QRect zone = ecran->availableGeometry();
        int vues = 0;
        parcourir(ecran, [&](QWidget& f, const QString& cle) {
            ++vues;
            const std::string contexte = cle.toStdString() + " on " + nom;
            const SurLeBureau& reference = bureau[cle];
            const QRect cadre = f.frameGeometry();
            EXPECT_TRUE(zone.contains(cadre)) << contexte;
            EXPECT_EQ(f.devicePixelRatio(), ecran->devicePixelRatio()) << contexte;
            const QSet<QAbstractButton*> atteints = boutonsAtteignables(&f);
            // Down to 1024 x 728 the layouts shrink: nothing to scroll to, but in a form of fixed size.
            const bool defile = reference.fixe || zone.width() < 1024 || zone.height() < 728;
            for (QAbstractButton* b : reference.boutons)
                EXPECT_TRUE(defile ? atteints.contains(b) : enVue(b, &f))
                    << contexte << ": " << b->objectName().toStdString() << " \"" << b->text().toStdString()
                    << "\" out of " << (defile ? "reach" : "sight");
            // Where it fits, its own size; else the whole of the area in the direction it does not fit
            // (and room for the scroll bar in the other).
            const QSize marges = cadre.size() - f.size();
            const bool largeur = reference.taille.width() + marges.width() <= zone.width();
            const bool hauteur = reference.taille.height() + marges.height() <= zone.height();
            if (largeur && hauteur) {
                EXPECT_EQ(f.size(), reference.taille) << contexte;
            }
            EXPECT_TRUE(largeur ? f.width() >= reference.taille.width() : cadre.width() == zone.width())
                << contexte;
            EXPECT_TRUE(hauteur ? f.height() >= reference.taille.height() : cadre.height() == zone.height())
                << contexte;
        });
        EXPECT_EQ(vues, bureau.size()) << nom;
    }

    // Back on the desktop, each form at its own size again.
    parcourir(QGuiApplication::primaryScreen(), [&](QWidget& f, const QString& cle) {
        EXPECT_EQ(f.size(), bureau[cle].taille) << cle.toStdString();
        EXPECT_EQ(boutonsAtteignables(&f), bureau[cle].boutons) << cle.toStdString();
    });
}

INSTANTIATE_TEST_SUITE_P(Langues, FormesEcranTest, ::testing::Values("FR", "NL"));

// Keys as the user presses them, on the control that has the focus.
class FormesClavierTest : public FormesTaches {
protected:
    void SetUp() override {
        FormesTaches::SetUp();
        if (!HasFatalFailure())
            preparer(QStringLiteral("FR"));
    }
    static void touche(Qt::Key k) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, k);
    }
    qint64 nombre(const QString& sql) { return Valeurs::lireEntier(valeur(sql)); }
};

TEST_F(FormesClavierTest, EscClosesTheTaskFormsAndTheOpenPanelEnterConfirmsThePanel) {
    // The article file: each frame as its "Annuler" and "OK"; the form as "Fermer", which refuses to leave
    // an incomplete card.
    jouerMenu(QStringLiteral("CmdStock"), [&](FormBase& forme) {
        auto& f = static_cast<FrmStock&>(forme);
        f.CmdEntreStock->click();
        ASSERT_TRUE(f.FrmEntreStock->isVisible());
        ASSERT_TRUE(f.Text2[3]->hasFocus());
        QTest::keyClicks(f.Text2[3], QStringLiteral("2"));
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.FrmEntreStock->isVisible());
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM MouvementStock")), 0);
        f.CmdEntreStock->click();
        QTest::keyClicks(f.Text2[3], QStringLiteral("2"));
        touche(Qt::Key_Return);
        EXPECT_FALSE(f.FrmEntreStock->isVisible());
        EXPECT_EQ(nombre(QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = 1001")),
                  337);

        const qint64 codes = nombre(QStringLiteral("SELECT COUNT(*) FROM CodeArticle"));
        f.Command2->click();
        ASSERT_TRUE(f.Frame1->isVisible());
        ASSERT_TRUE(f.Text3->hasFocus());
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.Frame1->isVisible());
        EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM CodeArticle")), codes);
        f.Command2->click();
        QTest::keyClicks(f.Text3, QStringLiteral("5"));
        touche(Qt::Key_Enter);
        EXPECT_FALSE(f.Frame1->isVisible());
        EXPECT_GT(nombre(QStringLiteral("SELECT COUNT(*) FROM CodeArticle")), codes);

        QTest::mouseClick(f.OptionFiche, Qt::LeftButton);
        f.Text2[1]->setFocus();
        f.Text2[1]->clear();
        dialogues->attendreMessage(Global().msg(15), Reponse::OK);
        touche(Qt::Key_Escape);
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.estCharge());
        QTest::keyClicks(f.Text2[1], QStringLiteral("GANT LATEX"));
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_EQ(
        valeur(QStringLiteral("SELECT Designation FROM ArticleEnStock WHERE Reference = 1001")).toString(),
        QStringLiteral("GANT LATEX"));

    // The employee file: the machines panel closes as a click beside it does, or writes on Enter.
    executer(
        QStringLiteral("INSERT INTO Machines (NoMachine, Location) VALUES (1, 'Hall A'), (2, 'Hall B')"));
    executer(QStringLiteral(
        "INSERT INTO Utilisateurs (Nom, NoBadge, MachineAutorise) VALUES ('DUPONT', 'B1', '1')"));
    jouerMenu(QStringLiteral("CmdEmplacement"), [&](FormBase& forme) {
        auto& f = static_cast<FrmUtilisateur&>(forme);
        const auto panneau = [&f] {
            const QModelIndex i = f.DBGrid1->model()->index(f.data1->AbsolutePosition(), 9);
            const QRect r = f.DBGrid1->visualRect(i);
            QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {},
                              QPoint(r.right() - 4, r.center().y()));
            ASSERT_TRUE(f.SSPanel2->isVisible());
            f.CheckBox1[1]->setChecked(true);
        };
        const auto machines = [&f] {
            return Valeurs::lireTexte(f.data1->Field(QStringLiteral("MachineAutorise")));
        };
        panneau();
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.SSPanel2->isVisible());
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(machines(), QStringLiteral("1"));
        panneau();
        touche(Qt::Key_Return);
        EXPECT_FALSE(f.SSPanel2->isVisible());
        EXPECT_EQ(machines(), QStringLiteral("1,2"));
        f.DBGrid1->setFocus();
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
    });

    // The movement list and the report viewer.
    jouerMenu(QStringLiteral("CmdMouvementStock"), [&](FormBase& f) {
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
    });
    jouerEtat([&](FenCrystalRep& f) {
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(f.estCharge());
    });
}

// The counter, the journal, the job codes, the machines and the reports menu close on Esc as well,
// whichever control has the focus; the counter's open article list closes first.
TEST_F(FormesClavierTest, EscClosesTheOtherWindowsOfTheMenuTheirOpenListFirst) {
    jouerMenu(QStringLiteral("CmdComptoir"), [&](FormBase& forme) {
        auto& f = static_cast<FenComptoir&>(forme);
        f.Combo1->setFocus();
        f.Combo1->showPopup();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.Combo1->view()->window()));
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.Combo1->view()->isVisible());
        EXPECT_TRUE(f.isVisible());
        f.TextUtilisateur->setFocus();
        touche(Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(f.estCharge());
    });
    for (const char* bouton : {"CmdVente", "CmdListealarme", "CmdMachines", "CmdReport"})
        jouerMenu(QString::fromLatin1(bouton), [&](FormBase& f) {
            for (QWidget* w : f.findChildren<QWidget*>())
                if (w->isVisible() && (qobject_cast<QTableView*>(w) || qobject_cast<QLineEdit*>(w))) {
                    w->setFocus();
                    break;
                }
            touche(Qt::Key_Escape);
            EXPECT_FALSE(f.isVisible()) << bouton;
        });
}

namespace {

// On a display with a window manager (scripts/check-frames starts one): the window manager frames each
// window once it is shown, and the frame, title bar included, must end inside the screen's available
// area. Elsewhere the frame is only a guess, and these tests are skipped.
class FormesCadresTest : public FormesTaches {
protected:
    void SetUp() override {
        FormesTaches::SetUp();
        if (HasFatalFailure())
            return;
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs a display with a window manager (scripts/check-frames)";
        const QString langue = qEnvironmentVariable("DORVANE_LANGUE_CADRES", QStringLiteral("FR"));
        preparer(langue);
        // A machine by floors, a locker machine.
        executer(QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, "
                                "NbPorte) VALUES (1, 1, 'ETAGE', 'Hall A', 90, 5), "
                                "(2, 2, 'CASIER', 'Hall B', 54, 3)"));
    }
    // The window once the window manager has framed it and the form has placed it again. The frame as
    // the window system tells it now, not the widget's own idea of it, which its next move only brings up
    // to date (and which may keep a frame told while the window manager was still laying it out).
    static void verifierCadre(QWidget& f, const QString& nom) {
        QWindow* fenetre = f.windowHandle();
        ASSERT_NE(fenetre, nullptr) << nom.toStdString();
        const QRect zone = f.screen()->availableGeometry();
        const auto encadree = [&] {
            const QMargins m = fenetre->frameMargins();
            return !m.isNull() && m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0;
        };
        EXPECT_TRUE(QTest::qWaitFor(encadree, 3000)) << nom.toStdString() << ": never framed";
        (void)QTest::qWaitFor([&] { return zone.contains(fenetre->frameGeometry()); }, 1000);
        QTest::qWait(150);
        const QRect cadre = fenetre->frameGeometry();
        const QMargins m = fenetre->frameMargins();
        std::printf("frame %-26s %4d,%4d %4dx%-4d (title bar %d, borders %d %d %d) in %dx%d: %s\n",
                    qPrintable(nom), cadre.x(), cadre.y(), cadre.width(), cadre.height(), m.top(), m.left(),
                    m.right(), m.bottom(), zone.width(), zone.height(),
                    zone.contains(cadre) ? "inside" : "OUTSIDE");
        EXPECT_TRUE(zone.contains(cadre)) << nom.toStdString() << " frame " << cadre.x() << "," << cadre.y()
                                          << " " << cadre.width() << "x" << cadre.height();
    }
};

} // namespace

TEST_F(FormesCadresTest, EveryWindowOfTheMenuAndTheMainWindowHasItsFrameInsideTheScreen) {
    FrmPrincipal& principale = frmPrincipal();
    principale.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&principale));
    verifierCadre(principale, principale.objectName());

    QSet<QString> vues;
    session->surModal([&](QObject* o) {
        auto* f = qobject_cast<FormBase*>(o);
        ASSERT_NE(f, nullptr);
        f->show();
        f->activateWindow();
        (void)QTest::qWaitForWindowExposed(f);
        vues.insert(f->objectName());
        if (auto* machines = qobject_cast<FrmConfigMachine*>(f)) {
            verifierCadre(*f, f->objectName() + QStringLiteral(" list"));
            // A machine's layout; then the locker machine, which opens the locker window (shown here too).
            ASSERT_TRUE(machines->allerALaMachine(1));
            machines->DataGrid1_DblClick();
            verifierCadre(*f, f->objectName() + QStringLiteral(" layout"));
            machines->cmdClose->click();
            ASSERT_TRUE(machines->allerALaMachine(2));
            machines->DataGrid1_DblClick();
        } else {
            verifierCadre(*f, f->objectName());
        }
        f->Unload();
    });
    for (const QString& b : RegistreMenu::global().boutons()) {
        auto* f = qobject_cast<FormBase*>(RegistreMenu::global().instance(b));
        if (!f)
            continue;
        ASSERT_TRUE(RegistreMenu::global().ouvrir(b, &principale)) << b.toStdString();
        if (f->isVisible()) {
            // Shown modeless.
            vues.insert(f->objectName());
            verifierCadre(*f, f->objectName());
            f->Unload();
        }
    }
    QString fichier = QStringLiteral("EssaiEcran.RPT");
    EXPECT_EQ(Instance<FenCrystalRep>().ImprimerEtat(fichier, QString(), QStringLiteral("Essai"),
                                                     QStringLiteral("CA"), &principale, QString()),
              ResultatEtat::Pret);
    EXPECT_TRUE(vues.contains(QStringLiteral("FrmConfigMachineCasier")));
    EXPECT_TRUE(vues.contains(QStringLiteral("FenCrystalRep")));
    EXPECT_GE(vues.size(), 14);
}
