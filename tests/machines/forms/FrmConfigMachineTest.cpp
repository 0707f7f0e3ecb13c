#include "machines/forms/FrmConfigMachine.h"
#include "machines/forms/FrmConfigMachineCasier.h"

#include "app/forms/RegistreMenu.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "support/CouvertureLangues.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QVariant Nul = QVariant(QMetaType::fromType<QString>());

class FrmConfigMachineTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        machine(3, 2, QStringLiteral("ETAGE"), QStringLiteral("Hall B"));
        machine(7, 10, QStringLiteral("CASIER"), QStringLiteral("Vestiaire"));
        machine(11, 3, QStringLiteral("casier"), QStringLiteral("Atelier"));
        QImage modele(60, 90, QImage::Format_RGB32);
        modele.fill(Qt::darkCyan);
        ASSERT_TRUE(modele.save(dossier->fichier(QStringLiteral("MOD-2.JPG")), "JPG"));
        dossier->ecrireFichier(QStringLiteral("mod-10.jpg"), "pas une image");
        enregistrerFormesMenu(registre);
    }
    void TearDown() override {
        registre.vider();
        DetruireInstance<FrmConfigMachineCasier>();
        DetruireInstance<FrmConfigMachine>();
        FormeSurBaseTest::TearDown();
    }
    void machine(int no, const QVariant& type, const QVariant& chargement, const QVariant& lieu) {
        base->executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, "
                           "NbPorte) VALUES (?, ?, ?, ?, 90, 5)"),
            {no, type, chargement, lieu});
    }
    FrmConfigMachine& fm() { return Instance<FrmConfigMachine>(); }
    FrmConfigMachineCasier& fc() { return Instance<FrmConfigMachineCasier>(); }

    // Opens the machine window from the menu; `utilisateur` plays each modal show, by form, while the
    // form is shown and active.
    void ouvrirDuMenu(const std::function<void(FormeMachine&)>& utilisateur) {
        session.surModal([&](QObject* o) {
            auto* f = qobject_cast<FormeMachine*>(o);
            ASSERT_NE(f, nullptr);
            f->show();
            f->activateWindow();
            // The platform may call it active before the activation has reached it.
            ASSERT_TRUE(QTest::qWaitFor([f] { return QApplication::activeWindow() == f; }));
            utilisateur(*f);
        });
        // From the main window, active, as the menu is clicked.
        principale.show();
        principale.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&principale));
        ASSERT_TRUE(registre.ouvrir(QStringLiteral("CmdMachines"), &principale));
    }
    static void doubleClic(FormeMachine& f, int ligne) {
        const QRect r = f.DataGrid1->visualRect(f.DataGrid1->model()->index(ligne, 1));
        QTest::mouseClick(f.DataGrid1->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(f.DataGrid1->viewport(), Qt::LeftButton, {}, r.center());
    }
    // The list's captions, then its numbers.
    static QStringList liste(const FormeMachine& f) {
        QStringList l;
        for (int c = 0; c < 4; ++c)
            l << f.DataGrid1->model()->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < f.DataGrid1->model()->rowCount(); ++r)
            l << f.DataGrid1->model()->index(r, 0).data().toString();
        return l;
    }
    // The list state: the list alone, "Fermer" (Msg(1)).
    static void enListe(const FormeMachine& f) {
        EXPECT_FALSE(f.dispositionAffichee());
        EXPECT_TRUE(f.DataGrid1->isVisible());
        for (QWidget* w :
             std::initializer_list<QWidget*>{f.MSFlexGrid1, f.Label3, f.CmdModeConfig, f.CmdEnregiConfig,
                                             f.CmdRmplir, f.Command1, f.Command2})
            EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_EQ(f.cmdClose->text(), Global().msg(1));
    }

    QWidget principale;
    RegistreMenu registre;
    ServiceSessionScripte session;
};

} // namespace

TEST_F(FrmConfigMachineTest, ListeImagesEtagesColonnesEtLesDeuxSensDeFermer) {
    fm().ModeConfig = true;
    int ouvertures = 0;
    ouvrirDuMenu([&](FormeMachine& f) {
        ++ouvertures;
        EXPECT_FALSE(fm().ModeConfig);
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Configuration machine"));
        // Its own size; on a screen too low for it, the screen's height, its contents scrolling.
        const QRect zone = f.screen()->availableGeometry();
        if (zone.height() >= 800 + f.frameGeometry().height() - f.height())
            EXPECT_EQ(f.size(), QSize(818, 800));
        else
            EXPECT_EQ(f.frameGeometry().height(), zone.height());
        EXPECT_TRUE(Global().ConfigMachineOuverte);
        EXPECT_EQ(liste(f), (QStringList{"Numéro", "Type", "Nbre casier", "Location", "3", "7", "11"}));
        enListe(f);
        EXPECT_TRUE(f.Command3->isVisible());
        EXPECT_FALSE(f.Command4->isVisible() || fm().SSPanel3->isVisible());
        EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine Hall B"));
        // "MOD-2.JPG" found whatever its case; "mod-10.jpg" is no picture, "mod-3.jpg" missing.
        EXPECT_FALSE(f.Picture1->pixmap().isNull());
        f.listeMachines().MoveNext();
        EXPECT_TRUE(f.Picture1->pixmap().isNull());
        f.listeMachines().MoveFirst();
        EXPECT_FALSE(f.Picture1->pixmap().isNull());

        doubleClic(f, 0);
        EXPECT_EQ(fm().NoMachineCourante * 100 + fm().TypeMachineCourante * 10 + fm().ModeVue, 321);
        EXPECT_TRUE(f.dispositionAffichee());
        EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Autre Machine"));
        for (QWidget* w :
             std::initializer_list<QWidget*>{f.MSFlexGrid1, fm().SSPanel3, f.Label3, f.CmdModeConfig,
                                             f.CmdRmplir, f.Command1, f.Command2, f.Command3})
            EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_FALSE(f.DataGrid1->isVisible() || f.CmdEnregiConfig->isVisible());
        // The first close goes back to the list, the window stays.
        QTest::mouseClick(f.cmdClose, Qt::LeftButton);
        EXPECT_TRUE(f.isVisible());
        enListe(f);
        EXPECT_FALSE(fm().SSPanel3->isVisible() || fm().SSPanel2[1]->isVisible());

        // "casier" is no locker machine: its columns open here; Esc is the close button.
        doubleClic(f, 2);
        EXPECT_EQ(fm().TypeMachineCourante * 10 + fm().ModeVue, 32);
        EXPECT_TRUE(f.MSFlexGrid1->isVisible());
        EXPECT_EQ(InstanceExistante<FrmConfigMachineCasier>(), nullptr);
        QTest::keyClick(f.MSFlexGrid1, Qt::Key_Escape);
        enListe(f);
        QTest::mouseClick(f.cmdClose, Qt::LeftButton);
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(Global().ConfigMachineOuverte);
    });
    EXPECT_TRUE(fm().estCharge());

    // Opened again: the list is not read again, the title follows its current row.
    machine(12, 1, QStringLiteral("ETAGE"), QStringLiteral("Quai"));
    ouvrirDuMenu([&](FormeMachine& f) {
        ++ouvertures;
        EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine Atelier"));
        EXPECT_EQ(f.DataGrid1->model()->rowCount(), 3);
        QTest::keyClick(f.DataGrid1, Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_EQ(ouvertures, 2);
    EXPECT_EQ(Global().msg(1), QStringLiteral("Fermer"));
    EXPECT_EQ(Global().msg(3), QStringLiteral("Autre Machine"));
    const QStringList dynamiques{"cmdClose", "Label3", "Label4", "Label5"};
    for (QWidget* f : std::initializer_list<QWidget*>{&fm(), &fc()})
        EXPECT_TRUE(clesManquantes(f, dynamiques).isEmpty())
            << clesManquantes(f, dynamiques).join(u'\n').toStdString();
}

TEST_F(FrmConfigMachineTest, CasierPasseALaFenetreCasierEtRevient) {
    fc().Load();
    fc().ModeConfig = true;
    int tour = 0;
    ouvrirDuMenu([&](FormeMachine& f) {
        ++tour;
        EXPECT_EQ(f.proprietaireModal(), &principale);
        if (tour == 1) {
            doubleClic(f, 1); // machine 7, "CASIER"
        } else if (tour == 2) {
            // The locker window on machine 7, the machine window hidden.
            EXPECT_EQ(&f, &fc());
            EXPECT_FALSE(fm().isVisible());
            EXPECT_FALSE(fc().ModeConfig);
            EXPECT_EQ(f.NoMachineCourante * 10 + f.ModeVue, 72);
            EXPECT_EQ(f.listeMachines().AbsolutePosition(), 1);
            EXPECT_TRUE(f.dispositionAffichee());
            EXPECT_TRUE(f.MSFlexGrid1->isVisible() && f.CmdModeConfig->isVisible() &&
                        f.Command4->isVisible());
            EXPECT_FALSE(f.DataGrid1->isVisible() || f.Command3->isVisible());
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Autre Machine"));
            EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine Vestiaire"));
            EXPECT_TRUE(fc().Command5->isVisible() && fc().OptionRefFour->isChecked());
            QTest::mouseClick(f.cmdClose, Qt::LeftButton);
            enListe(f);
            // Machine 3 goes back to the machine window.
            doubleClic(f, 0);
            EXPECT_FALSE(f.isVisible());
        } else {
            EXPECT_EQ(&f, &fm());
            EXPECT_EQ(f.NoMachineCourante * 10 + f.ModeVue, 31);
            EXPECT_TRUE(f.MSFlexGrid1->isVisible());
            QTest::mouseClick(f.cmdClose, Qt::LeftButton);
            QTest::mouseClick(f.cmdClose, Qt::LeftButton);
        }
    });
    EXPECT_EQ(tour, 3);
    EXPECT_FALSE(fm().isVisible() || fc().isVisible());
    EXPECT_FALSE(Global().ConfigMachineOuverte);

    // Two closes in the locker window are back at the menu.
    tour = 0;
    ouvrirDuMenu([&](FormeMachine& f) {
        if (++tour == 1) {
            doubleClic(f, 1);
            return;
        }
        QTest::mouseClick(f.cmdClose, Qt::LeftButton);
        EXPECT_TRUE(f.isVisible());
        QTest::mouseClick(f.cmdClose, Qt::LeftButton);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_EQ(tour, 2);
    EXPECT_FALSE(Global().ConfigMachineOuverte);
    EXPECT_TRUE(fm().estCharge() && fc().estCharge());
}

TEST_F(FrmConfigMachineTest, RienNOuvreSansLigneNiMachineNiListeLisible) {
    // Machine 20 comes after the locker window read its list, machine 21 after the machine window's.
    fc().Load();
    machine(20, 10, QStringLiteral("CASIER"), QStringLiteral("Neuf"));
    fm().Show();
    machine(21, 1, QStringLiteral("ETAGE"), QStringLiteral("Neuf aussi"));
    ASSERT_TRUE(fm().allerALaMachine(20));
    fm().DataGrid1_DblClick();
    EXPECT_TRUE(fm().isVisible());
    enListe(fm());
    EXPECT_FALSE(fm().allerALaMachine(21));
    EXPECT_EQ(fm().listeMachines().Field(QStringLiteral("NoMachine")).toInt(), 20);
    fc().Unload();
    fc().Show();
    ASSERT_TRUE(fc().allerALaMachine(21));
    fc().DataGrid1_DblClick();
    EXPECT_TRUE(fc().isVisible());
    enListe(fc());
    EXPECT_EQ(fc().NoMachineCourante + fm().NoMachineCourante, 0);
    EXPECT_TRUE(session.formsModales().isEmpty());
    fc().Unload();

    // The locker window's list unreadable: its error, the machine window stays on its list; then the
    // machine window's: its error, and no window.
    base->executer(QStringLiteral("ALTER TABLE Machines RENAME TO MachinesX"));
    const QString erreur = QString::number(ErreurExecution::ErreurBase) + u' ';
    dialogues.attendreMessageContenant(erreur);
    ASSERT_TRUE(fm().allerALaMachine(7));
    fm().DataGrid1_DblClick();
    EXPECT_FALSE(fc().estCharge());
    enListe(fm());
    fm().Unload();
    dialogues.attendreMessageContenant(erreur);
    ASSERT_TRUE(registre.ouvrir(QStringLiteral("CmdMachines"), &principale));
    EXPECT_FALSE(fm().estCharge());
    EXPECT_FALSE(Global().ConfigMachineOuverte);

    // An empty list: nothing to open, the title without a place, no picture.
    base->executer(QStringLiteral("ALTER TABLE MachinesX RENAME TO Machines"));
    base->executer(QStringLiteral("DELETE FROM Machines"));
    ouvrirDuMenu([&](FormeMachine& f) {
        EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine "));
        EXPECT_TRUE(f.Picture1->pixmap().isNull());
        f.DataGrid1_DblClick();
        enListe(f);
        f.cmdClose->click();
    });
    EXPECT_EQ(session.formsModales().size(), 1);
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

TEST_F(FrmConfigMachineTest, ValeursNullesTroisCentsMachinesEtActivationEnEchec) {
    // Null type, place and loading among 300 machines: no picture ("mod-.jpg"), opened by column.
    machine(30, Nul, Nul, Nul);
    for (int no = 100; no < 396; ++no)
        machine(no, 1 + no % 5, QStringLiteral("ETAGE"), QStringLiteral("Allée %1").arg(no));
    ouvrirDuMenu([&](FormeMachine& f) {
        EXPECT_EQ(f.DataGrid1->model()->rowCount(), 300);
        ASSERT_TRUE(f.allerALaMachine(30));
        EXPECT_TRUE(f.Picture1->pixmap().isNull());
        f.DataGrid1_DblClick();
        EXPECT_EQ(fm().TypeMachineCourante * 10 + fm().ModeVue, 2);
        EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine "));
        f.cmdClose->click();
        f.listeMachines().MoveLast();
        doubleClic(f, 299);
        EXPECT_EQ(f.NoMachineCourante, 395);
        f.cmdClose->click();
        f.cmdClose->click();
    });

    // A list without Location: the activation stops at the title and says so in the log.
    fm().Unload();
    base->executer(QStringLiteral("ALTER TABLE Machines RENAME COLUMN Location TO Lieu"));
    ouvrirDuMenu([&](FormeMachine& f) {
        EXPECT_TRUE(f.Label3->text().isEmpty());
        f.cmdClose->click();
    });
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal.first().startsWith(QStringLiteral("frmconfigmachine Form_Activate|N°: ")))
        << journal.first().toStdString();
}

TEST_F(FrmConfigMachineTest, TraductionsAChaqueActivationEtF12) {
    for (int no = 1; no <= 9; ++no)
        machine(100 + no, 1 + no % 5, no % 3 ? QStringLiteral("ETAGE") : QStringLiteral("COLONNE"),
                QStringLiteral("Hall %1, Lyon").arg(no));
    // French: the machine window translates itself at each activation, the locker window does not.
    dossier->ecrireFichier(QStringLiteral("essai.lng"),
                           "[FrmConfigMachine]\nCmdRmplir.Caption=Fiche A\n"
                           "[FrmConfigMachineCasier]\nCmdRmplir.Caption=Fiche B\n");
    Global().FichierLangue = dossier->fichier(QStringLiteral("essai.lng"));
    fc().Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fc()));
    EXPECT_EQ(fc().CmdRmplir->text(), QStringLiteral("Fiche de réapprovisionnement"));
    fc().grab().save(QStringLiteral("/tmp/dorvane-frmconfigmachinecasier-fr.png"));
    fc().Unload();
    ouvrirDuMenu([&](FormeMachine& f) {
        EXPECT_EQ(f.CmdRmplir->text(), QStringLiteral("Fiche A"));
        f.grab().save(QStringLiteral("/tmp/dorvane-frmconfigmachine-fr.png"));
        f.cmdClose->click();
    });
    DetruireInstance<FrmConfigMachine>();
    DetruireInstance<FrmConfigMachineCasier>();

    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    Global().Msg = MODTranslate::TextesMessages(QStringLiteral("NL"));
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    int tour = 0;
    ouvrirDuMenu([&](FormeMachine& f) {
        ++tour;
        if (tour == 1) {
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Configuratie automaat"));
            EXPECT_EQ(liste(f).mid(0, 4), (QStringList{"Nummer", "Type", "Aantal lockers", "Locatie"}));
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Sluiten"));
            EXPECT_EQ(Global().msg(1), QStringLiteral("Sluiten"));
            EXPECT_EQ(f.Label3->text(), QStringLiteral("Inhoud Vendaklar Hall B"));
            f.grab().save(QStringLiteral("/tmp/dorvane-frmconfigmachine-nl.png"));
            doubleClic(f, 0);
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Andere Vendaklar"));
            f.grab().save(QStringLiteral("/tmp/dorvane-frmconfigmachine-etages-nl.png"));
            // F12: French, then Dutch again, the close button keeping its meaning.
            QTest::keyClick(f.MSFlexGrid1, Qt::Key_F12);
            EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Autre Machine"));
            EXPECT_EQ(f.CmdRmplir->text(), QStringLiteral("Fiche de réapprovisionnement"));
            QTest::keyClick(f.MSFlexGrid1, Qt::Key_F12);
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Andere Vendaklar"));
            EXPECT_EQ(f.CmdRmplir->text(), QStringLiteral("Bevoorradingsblad"));
            f.cmdClose->click();
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Sluiten"));
            doubleClic(f, 1);
        } else {
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Configuratie lockerautomaat"));
            EXPECT_EQ(liste(f).mid(0, 4), (QStringList{"Nummer", "Type", "Aantal lockers", "Locatie"}));
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Andere Vendaklar"));
            EXPECT_EQ(fc().OptionRefFour->text(), QStringLiteral("Ref. leverancier"));
            f.cmdClose->click();
            EXPECT_EQ(f.cmdClose->text(), QStringLiteral("Sluiten"));
            f.grab().save(QStringLiteral("/tmp/dorvane-frmconfigmachinecasier-nl.png"));
            f.cmdClose->click();
        }
    });
    EXPECT_EQ(tour, 2);
    EXPECT_EQ(Global().msg(3), QStringLiteral("Andere Vendaklar"));
}
