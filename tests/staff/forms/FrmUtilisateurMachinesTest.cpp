#include "staff/forms/FrmUtilisateur.h"

#include "common/EtatGlobal.h"
#include "common/LecteurTag.h"
#include "common/MODTranslate.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "staff/ACR120U.h"
#include "staff/EuroKey.h"
#include "staff/PiloteACR120Scripte.h"
#include "support/CouvertureLangues.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class FrmUtilisateurMachinesTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        DetruireInstance<FrmUtilisateur>();
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        FormeSurBaseTest::TearDown();
    }
    qint64 salarie(const QString& nom, const QVariant& badge, const QVariant& machines = QVariant()) {
        base->executer(
            QStringLiteral(
                "INSERT INTO Utilisateurs (Nom, Prenom, NoBadge, MachineAutorise) VALUES (?, 'Zoé', ?, ?)"),
            {nom, badge, machines});
        return Valeurs::lireEntier(
            base->valeurUnique(QStringLiteral("SELECT MAX(IdUtilisateur) FROM Utilisateurs")));
    }
    void machines(const QString& valeurs) {
        base->executer(QStringLiteral("DELETE FROM Machines"));
        if (!valeurs.isEmpty())
            base->executer(QStringLiteral("INSERT INTO Machines (NoMachine, Location) VALUES ") + valeurs);
    }
    QString enBase(qint64 id, const char* champ) {
        return Valeurs::lireTexte(base->valeurUnique(
            QStringLiteral("SELECT %1 FROM Utilisateurs WHERE IdUtilisateur = ?").arg(QLatin1String(champ)),
            {id}));
    }
    FrmUtilisateur& ouvrir() {
        FrmUtilisateur& f = Instance<FrmUtilisateur>();
        f.Show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    static void aller(FrmUtilisateur& f, qint64 id) {
        ASSERT_TRUE(f.data1->Find(QStringLiteral("IdUtilisateur"), Recordset::Comparaison::Egal, id,
                                  Recordset::Depart::Premier));
    }
    // The cell button of the current row's column, clicked as the user does.
    static void boutonCellule(FrmUtilisateur& f, int colonne) {
        const QModelIndex i = f.DBGrid1->model()->index(f.data1->AbsolutePosition(), colonne);
        f.DBGrid1->scrollTo(i);
        const QRect r = f.DBGrid1->visualRect(i);
        QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 4, r.center().y()));
        QTest::qWait(1);
    }
    static QStringList cases(const FrmUtilisateur& f, bool cochees = false) {
        QStringList l;
        for (QCheckBox* b : f.CheckBox1)
            if (b->isVisibleTo(f.SSPanel2) && (!cochees || b->isChecked()))
                l << b->text();
        return l;
    }
    static QString enLigne(const FrmUtilisateur& f) {
        return Valeurs::lireTexte(f.data1->Field(QStringLiteral("MachineAutorise")));
    }
};

} // namespace

// One box per machine writing its own number, whatever the gaps; numbers of no machine kept; garbage
// logged and dropped; the value waits in the row until Enter or another row stores it.
TEST_F(FrmUtilisateurMachinesTest, UneCaseParMachineQuiEcritSonNumero) {
    machines(QStringLiteral("(1, 'Hall A'), (2, 'Hall B'), (3, NULL), (4, 'Quai'), (5, 'Atelier')"));
    const qint64 a = salarie(QStringLiteral("Abel"), QStringLiteral("A1"), QStringLiteral("1,7"));
    const qint64 b = salarie(QStringLiteral("Bruno"), QStringLiteral("B1"), QStringLiteral("1,a,,3"));
    const qint64 c = salarie(QStringLiteral("Carl"), QStringLiteral("C1"));
    FrmUtilisateur& f = ouvrir();
    aller(f, a);
    boutonCellule(f, 9);
    ASSERT_TRUE(f.SSPanel2->isVisible());
    EXPECT_EQ(cases(f), (QStringList{"Machine N° 1: Hall A", "Machine N° 2: Hall B",
                                     "Machine N° 3: ", "Machine N° 4: Quai", "Machine N° 5: Atelier"}));
    EXPECT_EQ(cases(f, true), QStringList{"Machine N° 1: Hall A"});
    EXPECT_EQ(f.CheckBox1[0]->objectName(), QStringLiteral("CheckBox1(0)"));
    QTest::mouseClick(f.CmdMachAuriseOK, Qt::LeftButton);
    EXPECT_FALSE(f.SSPanel2->isVisible());
    EXPECT_EQ(enLigne(f), QStringLiteral("1,7"));

    // A click in the grid closes the panel, writing nothing; another column's button does nothing.
    boutonCellule(f, 9);
    f.CheckBox1[1]->setChecked(true);
    const QRect cellule = f.DBGrid1->visualRect(f.DBGrid1->model()->index(f.data1->AbsolutePosition(), 2));
    QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, cellule.center());
    EXPECT_FALSE(f.SSPanel2->isVisible());
    EXPECT_EQ(enLigne(f), QStringLiteral("1,7"));
    emit f.DBGrid1_ButtonClick(2);
    EXPECT_FALSE(f.SSPanel2->isVisible());

    // Ticked, "OK", then Enter in the card stores the row.
    boutonCellule(f, 9);
    f.CheckBox1[1]->setChecked(true);
    QTest::mouseClick(f.CmdMachAuriseOK, Qt::LeftButton);
    EXPECT_EQ(enBase(a, "MachineAutorise"), QStringLiteral("1,7"));
    f.Text2[1]->setFocus();
    QTest::keyClick(f.Text2[1], Qt::Key_Return);
    EXPECT_EQ(enBase(a, "MachineAutorise"), QStringLiteral("1,2,7"));

    // Garbage among the numbers: one log row, the panel opens with the numbers around it.
    const int journal = static_cast<int>(dossier->lignesJournal().size());
    aller(f, b);
    boutonCellule(f, 9);
    EXPECT_EQ(cases(f, true), (QStringList{"Machine N° 1: Hall A", "Machine N° 3: "}));
    const QStringList lignes = dossier->lignesJournal().mid(journal);
    ASSERT_EQ(lignes.size(), 1);
    EXPECT_TRUE(lignes[0].startsWith(QStringLiteral(" DBGrid1_ButtonClick|N°: 13 ")))
        << lignes[0].toStdString();
    QTest::mouseClick(f.CmdMachAutoriseSelec, Qt::LeftButton);
    QTest::mouseClick(f.CmdMachAuriseOK, Qt::LeftButton);
    // Leaving the row stores it; the panel closes when the row changes under it.
    boutonCellule(f, 9);
    aller(f, c);
    EXPECT_FALSE(f.SSPanel2->isVisible());
    EXPECT_EQ(enBase(b, "MachineAutorise"), QStringLiteral("1,2,3,4,5"));

    // Machines 1 and 7: the box of machine 7 writes 7; on "1,2,7" the 2 of no machine stays, until
    // "Tout sélectionner".
    machines(QStringLiteral("(1, 'Hall A'), (7, 'Toit')"));
    boutonCellule(f, 9);
    EXPECT_TRUE(cases(f, true).isEmpty());
    EXPECT_EQ(cases(f), (QStringList{"Machine N° 1: Hall A", "Machine N° 7: Toit"}));
    f.CheckBox1[1]->setChecked(true);
    QTest::mouseClick(f.CmdMachAuriseOK, Qt::LeftButton);
    EXPECT_EQ(enLigne(f), QStringLiteral("7"));
    aller(f, a);
    EXPECT_EQ(enBase(c, "MachineAutorise"), QStringLiteral("7"));
    boutonCellule(f, 9);
    EXPECT_EQ(cases(f, true), (QStringList{"Machine N° 1: Hall A", "Machine N° 7: Toit"}));
    QTest::mouseClick(f.CmdMachAuriseOK, Qt::LeftButton);
    EXPECT_EQ(enLigne(f), QStringLiteral("1,2,7"));
    boutonCellule(f, 9);
    QTest::mouseClick(f.CmdMachAutoriseSelec, Qt::LeftButton);
    QTest::mouseClick(f.CmdMachAuriseOK, Qt::LeftButton);
    EXPECT_EQ(enLigne(f), QStringLiteral("1,7"));

    // No machine: nothing shows. The table failing: logged, said, nothing shows.
    machines(QString());
    boutonCellule(f, 9);
    EXPECT_FALSE(f.SSPanel2->isVisible());
    base->executer(QStringLiteral("DROP TABLE Machines"));
    dialogues.attendreMessageContenant(QStringLiteral("Machines"));
    boutonCellule(f, 9);
    EXPECT_FALSE(f.SSPanel2->isVisible());
    EXPECT_TRUE(dossier->lignesJournal().last().startsWith(QStringLiteral(" DBGrid1_ButtonClick|")));
}

// The caption's prefix in every language file (a blank before the number); 12 machines in two columns,
// 200 machines scrolling inside the panel.
TEST_F(FrmUtilisateurMachinesTest, LegendesTraduitesEtPanneauQuiTientDansLaGrille) {
    for (const QString& fichier : fichiersLangueLivres()) {
        const QString p =
            MODTranslate::LireTraduction(dossier->fichier(fichier), QStringLiteral("FrmUtilisateur"),
                                         QStringLiteral("CheckBox1.Caption"), QString());
        EXPECT_TRUE(p.size() > 3 && p.endsWith(u' ')) << fichier.toStdString() << ": " << p.toStdString();
    }
    QStringList douze;
    for (int i = 1; i <= 12; ++i)
        douze << QStringLiteral("(%1, 'Bâtiment %2 - vestiaire')").arg(i).arg(QChar(u'A' + (i - 1) / 4));
    machines(douze.join(u','));
    salarie(QStringLiteral("Abel"), QStringLiteral("A1"), QStringLiteral("1,2,5,9,12"));
    FrmUtilisateur& f = ouvrir();
    boutonCellule(f, 9);
    ASSERT_TRUE(f.SSPanel2->isVisible());
    EXPECT_EQ(cases(f, true).size(), 5);
    // Down, then across: machine 7 heads the second column.
    EXPECT_GT(f.CheckBox1[6]->x(), f.CheckBox1[5]->x());
    EXPECT_EQ(f.CheckBox1[6]->y(), f.CheckBox1[0]->y());
    f.grab().save(QStringLiteral("/tmp/dorvane-frmutilisateur-machines.png"));
    QStringList dynamiques;
    for (const QCheckBox* c : f.CheckBox1)
        dynamiques << c->objectName();
    for (const QString& m : clesManquantes(&f, dynamiques))
        EXPECT_FALSE(m.contains(QStringLiteral("CmdMach")) || m.contains(QStringLiteral("CheckBox1")))
            << m.toStdString();

    Global().LangueCourante = QStringLiteral("DE");
    Global().FichierLangue = dossier->fichier(QStringLiteral("deutch.lng"));
    QStringList deux_cents;
    for (int i = 1; i <= 200; ++i)
        deux_cents << QStringLiteral("(%1, NULL)").arg(i * 3);
    machines(deux_cents.join(u','));
    boutonCellule(f, 9);
    const QStringList toutes = cases(f);
    ASSERT_EQ(toutes.size(), 200);
    EXPECT_EQ(toutes.last(), QStringLiteral("Automat Nr. 600: "));
    EXPECT_EQ(cases(f, true), (QStringList{"Automat Nr. 9: ", "Automat Nr. 12: "}));
    const QRect zone = f.DBGrid1->parentWidget()->parentWidget()->rect();
    EXPECT_TRUE(zone.contains(f.SSPanel2->geometry())) << "the panel stays over the grid";
    f.grab().save(QStringLiteral("/tmp/dorvane-frmutilisateur-machines-200.png"));
    QTest::mouseClick(f.CmdMachAuriseOK, Qt::LeftButton);
    EXPECT_EQ(enLigne(f), QStringLiteral("1,2,5,9,12"));
}

// The badge read goes to the current employee at once; a maintenance badge, another employee's badge or a
// reader failure changes nothing, and the failures cancel the row's pending changes.
TEST_F(FrmUtilisateurMachinesTest, BadgeLuEnregistreOuRefuse) {
    const qint64 a = salarie(QStringLiteral("Abel"), QStringLiteral("A1"), QStringLiteral("1"));
    salarie(QStringLiteral("Bruno"), QStringLiteral("B2C3"));
    base->executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('0A0B')"));
    PiloteACR120Scripte pilote;
    pilote.definirPort(0, 5);
    ACR120U::installerPilote(&pilote);
    LecteurTagACR120 lecteur;
    installerLecteurTag(&lecteur);
    struct Fin {
        ~Fin() {
            installerLecteurTag(nullptr);
            ACR120U::installerPilote(nullptr);
            ACR120U::HandleLecteurACR120 = 0;
            EuroKey::FermerPortEuroKey();
        }
    } fin;
    Global().TypeLecteurBadge = 6;
    FrmUtilisateur& f = ouvrir();
    aller(f, a);
    auto lire = [&](std::initializer_list<int> octets) {
        QByteArray tag;
        for (int o : octets)
            tag.append(static_cast<char>(o));
        pilote.ajouterListage({0, {tag}});
        QTest::mouseClick(f.Command1, Qt::LeftButton);
    };

    // No reader open at start: nothing read, nothing said.
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_EQ(enBase(a, "NoBadge"), QStringLiteral("A1"));
    ASSERT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK"));
    f.data1->SetField(QStringLiteral("MachineAutorise"), QStringLiteral("9"));
    lire({0x0A, 0x1B, 0x2C, 0x3D});
    EXPECT_EQ(enBase(a, "NoBadge") + u'|' + enBase(a, "MachineAutorise"), QStringLiteral("0A1B2C3D|9"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("0A1B2C3D"));

    const int titreEtStyle = StyleMessage::OKCancel | StyleMessage::Exclamation;
    dialogues.attendreMessage(QStringLiteral("Badge déjà utilisé pour la maintenance!"), Reponse::OK,
                              QStringLiteral("Erreur"), titreEtStyle);
    lire({0x0A, 0x0B});
    f.data1->SetField(QStringLiteral("MachineAutorise"), QStringLiteral("4"));
    dialogues.attendreMessage(QStringLiteral("Badge déjà utilisé !"), Reponse::Annuler,
                              QStringLiteral("Erreur"), titreEtStyle);
    lire({0xB2, 0xC3});
    EXPECT_EQ(enBase(a, "NoBadge") + u'|' + enBase(a, "MachineAutorise"), QStringLiteral("0A1B2C3D|9"));
    EXPECT_FALSE(f.data1->EditMode());
    EXPECT_EQ(enLigne(f), QStringLiteral("9"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("0A1B2C3D"));

    // The serial reader: no answer ("ERREUR") keeps even the pending changes; a port that cannot be opened
    // is the button's failure, told with the reader's reason, never as a badge in use.
    Global().TypeLecteurBadge = 2;
    QTemporaryDir pty;
    const QString bout = pty.filePath(QStringLiteral("lecteur-%1").arg(QCoreApplication::applicationPid()));
    QProcess socat;
    socat.start(QStringLiteral("socat"),
                {QStringLiteral("pty,raw,echo=0,link=") + bout + QStringLiteral("-a"),
                 QStringLiteral("pty,raw,echo=0,link=") + bout + QStringLiteral("-b")});
    QElapsedTimer chrono;
    chrono.start();
    while (!QFileInfo::exists(bout + QStringLiteral("-a")) && chrono.elapsed() < 5000)
        QThread::msleep(5);
    Global().PeripheriqueLecteurBadge = bout + QStringLiteral("-a");
    f.data1->SetField(QStringLiteral("MachineAutorise"), QStringLiteral("4"));
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_TRUE(f.data1->EditMode());
    EuroKey::FermerPortEuroKey();
    socat.kill();
    socat.waitForFinished(5000);
    Global().PeripheriqueLecteurBadge = pty.filePath(QStringLiteral("absent"));
    dialogues.attendreMessageContenant(pty.filePath(QStringLiteral("absent")), Reponse::OK,
                                       QStringLiteral("Erreur"));
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogues.appels().isEmpty() ? 0 : dialogues.appels().constLast().style, titreEtStyle);
    EXPECT_FALSE(f.data1->EditMode());
    EXPECT_EQ(enBase(a, "NoBadge") + u'|' + enBase(a, "MachineAutorise"), QStringLiteral("0A1B2C3D|9"));

    // Badges typed by hand: the button does nothing.
    Global().TypeLecteurBadge = 1;
    QTest::mouseClick(f.Command1, Qt::LeftButton);
}

// Bar-code badges: the button prints every employee's label through the viewer; a report that cannot be
// opened takes the viewer's own failure.
TEST_F(FrmUtilisateurMachinesTest, EtiquettesDesBadgesDansLeVisualiseur) {
    Global().TypeLecteurBadge = 3;
    Global().CheminRapports = QStringLiteral(DORVANE_RESOURCES_DIR "/RPT SQL/");
    for (int i = 0; i < 22; ++i)
        salarie(QStringLiteral("Nom%1").arg(i, 2, 10, QLatin1Char('0')),
                QStringLiteral("00000000%1").arg(47110 + i));
    salarie(QString(), QStringLiteral("AB12"));
    ServiceSessionScripte session;
    FrmUtilisateur& f = ouvrir();
    QString titre;
    int pages = 0;
    session.surModal([&](QObject* o) {
        auto* v = qobject_cast<FenCrystalRep*>(o);
        ASSERT_TRUE(v);
        titre = v->titre();
        pages = v->document().pageCount();
        v->close();
    });
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_EQ(titre, QStringLiteral("Etiquette - Avery L7060 - 63,5 x 38,1 mm"));
    EXPECT_EQ(pages, 2);

    QTemporaryDir vide;
    Global().CheminRapports = vide.path() + u'/';
    dialogues.attendreMessageContenant(QStringLiteral("CodeBarSalarie.RPT"));
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_EQ(session.formsModales().size(), 1);
}
