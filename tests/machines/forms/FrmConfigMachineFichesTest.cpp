#include "machines/EtatMachineDeTest.h"
#include "machines/forms/FenetreMachineDeTest.h"
#include "machines/forms/FrmConfigMachine.h"

#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/FormeSurBase.h"
#include "support/OutilsProcessus.h"
#include "support/ServiceSessionScripte.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FrmConfigMachineFichesTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        ASSERT_TRUE(m_temporaire.isValid());
        m_tmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(m_temporaire.path()));
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier("RPT SQL"));
        base->executer("UPDATE InfoSociete SET NOM = ?", {QStringLiteral("Société Élan")});
        for (int i = 1; i <= 4; ++i)
            base->executer("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, RefFournisseur) "
                           "VALUES (?, ?, ?, ?)",
                           {5000 + i, i, QStringLiteral("Gants nitrile taille %1").arg(6 + i),
                            QStringLiteral("RF-%1").arg(i)});
        // Columns of 8 doors: article 1 on columns 1 and 2, 5 loaded. Floors of 7.5 slots: articles 1, 2,
        // 3, floors 1 and 2 holding 3 and 2 of theirs, floor 3 none. Lockers: article 4 in 4 lockers, 1
        // loaded.
        machine(2, 3, "COLONNE", 180, 8, "Hall B", {1, 1});
        machine(4, 3, "ETAGE", 30, 4, "Atelier nord", {1, 2, 3});
        machine(9, 10, "CASIER", 62, 1, "Vestiaire", {4, 4, 4, 4});
        emplacements(2, 5, 1, 1, 5001);
        emplacements(4, 3, 1, 1, 5001);
        emplacements(4, 2, 2, 1, 5002);
        emplacements(4, 2, 3, 1, QVariant(QMetaType::fromType<qint64>()));
        emplacements(9, 1, 1, 1, 5004);
    }
    void TearDown() override {
        DetruireInstance<FrmConfigMachine>();
        DetruireInstance<FenCrystalRep>();
        session.verifierTout();
        qputenv("TMPDIR", m_tmpdir);
        FormeSurBaseTest::TearDown();
    }
    void machine(int no, int type, const char* chargement, int places, int portes, const char* lieu,
                 const QList<int>& articles) {
        base->executer("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, NbPorte) "
                       "VALUES (?, ?, ?, ?, ?, ?)",
                       {no, type, chargement, lieu, places, portes});
        for (int r = 1; r <= articles.size(); ++r)
            base->executer(
                "INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle) VALUES "
                "(?, ?, ?, ?)",
                {no, r, 5000 + articles[r - 1], articles[r - 1]});
    }
    void emplacements(int no, int n, int etage, int colonne, const QVariant& reference) {
        for (int i = 0; i < n; ++i)
            base->executer("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, Reference) "
                           "VALUES (?, ?, ?, ?, ?)",
                           {no, ++m_numeros[no], etage, colonne, reference});
    }
    static FrmConfigMachine& ouvrir(int no) { return ouvrirMachine(no); }
    QStringList travail() { return EtatMachineDeTest::lignesRemplissage(*base); }
    // The sheet the viewer holds: its title, then "NoMachine Etage ReferenceArticle NbUnite Aremplir" of
    // each row of its first table.
    static QStringList feuille(const FenCrystalRep& v) {
        QStringList l{v.windowTitle()};
        const ReportTable& t = v.tables().first();
        for (int r = 0; r < t.rowCount(); ++r) {
            QStringList cellules;
            for (const char* champ : {"NoMachine", "Etage", "ReferenceArticle", "NbUnite", "Aremplir"}) {
                const QVariant x = t.value(r, t.columnIndex(QLatin1String(champ)));
                cellules << (x.isNull() ? QStringLiteral("-") : x.toString());
            }
            l << cellules.join(u' ');
        }
        return l;
    }
    // The next sheet shown: `voir` reads the viewer, which then closes.
    void surFeuille(std::function<void(FenCrystalRep&)> voir) {
        session.surModal([voir](QObject* o) {
            auto* v = qobject_cast<FenCrystalRep*>(o);
            ASSERT_NE(v, nullptr);
            voir(*v);
            v->Unload();
        });
    }
    static void fiche(const FrmConfigMachine& f, const QString& attendu) {
        ASSERT_TRUE(f.derniereFiche().has_value());
        const FrmConfigMachine::Fiche& d = *f.derniereFiche();
        EXPECT_EQ(QStringLiteral("%1|%2|%3|%4|%5|%6")
                      .arg(d.fichier, d.titre, d.source)
                      .arg(d.machine)
                      .arg(d.nombre)
                      .arg(d.procedure),
                  attendu);
    }

    ServiceSessionScripte session;
    QTemporaryDir m_temporaire;
    QByteArray m_tmpdir;
    QHash<int, int> m_numeros;
};

} // namespace

// The sheets of the open machine, in Dutch: the refill sheet over the grid's lines under the translated
// caption, the labels under their French title, the presentation leaving the work table alone.
TEST_F(FrmConfigMachineFichesTest, SheetsOfTheOpenMachineInDutch) {
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier("nederlands.lng");
    FrmConfigMachine& f = ouvrir(4);
    ASSERT_EQ(f.CmdRmplir->text(), QStringLiteral("Bevoorradingsblad"));
    const QString pdf = m_temporaire.filePath("remplissage.pdf");
    surFeuille([&](FenCrystalRep& v) {
        EXPECT_EQ(feuille(v),
                  (QStringList{"Bevoorradingsblad", "4 1 5001 3 4.5", "4 2 5002 2 5.5", "4 3 5003 0 7.5"}));
        v.document().writePdf(pdf, v.titre());
    });
    QTest::mouseClick(f.CmdRmplir, Qt::LeftButton);
    fiche(f, "RemplissageMachine.RPT|Bevoorradingsblad|ARemplissageMachine|4|1|RemplissageMachine");
    const QStringList grille = travail();
    EXPECT_EQ(grille, (QStringList{"4 1 5001 1 3 4.5", "4 2 5002 2 2 5.5", "4 3 5003 3 0 7.5"}));
    const QString texte = OutilsProcessus::textePdf(pdf);
    for (const char* attendu : {"Bevoorradingsblad", "Gants nitrile taille 7", "Gants nitrile taille 9",
                                "4,5", "Atelier nord", "RF-2"})
        EXPECT_TRUE(texte.contains(QString::fromUtf8(attendu))) << attendu << "\n" << texte.toStdString();

    surFeuille([](FenCrystalRep& v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("Etiquette - Avery L7161 - 63,5 x 46,6 mm"));
        EXPECT_EQ(v.document().pageCount(), 1);
    });
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    fiche(f, "FicheImageProduit.RPT|Etiquette - Avery L7161 - 63,5 x 46,6 mm|ARemplissageMachine|4|1|"
             "RemplissageMachine");

    base->executer("UPDATE TRemplissageMachine SET NbUnite = 99 WHERE Etage = 3");
    surFeuille([](FenCrystalRep& v) {
        EXPECT_EQ(feuille(v), (QStringList{"Presentatieblad van de artikelen", "4 1 5001 - -", "4 2 5002 - -",
                                           "4 3 5003 - -"}));
    });
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    fiche(f, "FicheSelectProduit.RPT|Presentatieblad van de "
             "artikelen|ARemplissageMachine|4|1|PresentationArticle");
    EXPECT_EQ(travail().last(), QStringLiteral("4 3 5003 3 99 7.5"));
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

// The global sheet: every listed machine's lines, the builder given the list's last machine and its count,
// the list and the title staying on the machine shown; a floor machine without doors left out and named
// after the sheet; a failing computation shows its error and prints nothing; an empty list prints nothing.
TEST_F(FrmConfigMachineFichesTest, GlobalSheetOverTheListKeepsTheMachineShown) {
    FrmConfigMachine& f = ouvrir(4);
    const QString titre = f.Label3->text();
    ASSERT_EQ(titre, QStringLiteral("Contenu machine Atelier nord"));
    const QStringList attendues = {"2 - 5001 - 5 11", "4 - 5001 - 3 5", "4 - 5002 - 2 6", "4 - 5003 - 0 8",
                                   "9 - 5004 - 1 3"};
    surFeuille([&](FenCrystalRep& v) {
        EXPECT_EQ(feuille(v).size(), 6);
        EXPECT_EQ(travail(), attendues);
    });
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    fiche(f, "RemplissageMachineGlobal.RPT|Fiche global de réapprovisionnement|ARemplissageMachine  order by "
             "ReferenceArticle|9|3|RemplissageMachine");
    EXPECT_EQ(f.machinesDeLaListe().size(), 3);
    EXPECT_EQ(f.listeMachines().Field("NoMachine").toInt(), 4);
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(f.Label3->text(), titre);

    // A floor machine without doors: the others printed, one log row, a message after the sheet.
    machine(6, 3, "ETAGE", 180, 0, "Quai 6", {1});
    f.listeMachines().Requery();
    surFeuille([&](FenCrystalRep&) { EXPECT_EQ(travail(), attendues); });
    dialogues.attendreMessage(
        QStringLiteral("Machines laissées hors de la fiche, leur nombre de portes étant nul ou "
                       "absent : 6"));
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    fiche(f, "RemplissageMachineGlobal.RPT|Fiche global de réapprovisionnement|ARemplissageMachine  order by "
             "ReferenceArticle|9|4|RemplissageMachine");
    EXPECT_EQ(dossier->lignesJournal(),
              QStringList{"RemplissageMachineGlobal|N°: 11 Division par zéro (machine 6)"});

    // Any other failure: logged, rolled back, shown by the viewer; no sheet.
    base->executer("UPDATE Machines SET NbPorte = 4, NbEmplacement = NULL WHERE NoMachine = 6");
    f.listeMachines().Requery();
    dialogues.attendreMessage(QStringLiteral("94 Utilisation incorrecte de Null (machine 6)"));
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    EXPECT_EQ(travail(), attendues);
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 3);
    EXPECT_EQ(journal[1],
              QStringLiteral("RemplissageMachineGlobal|N°: 94 Utilisation incorrecte de Null (machine 6)"));
    EXPECT_TRUE(journal[2].startsWith("CreerEtatRemplissageMach|")) << journal[2].toStdString();

    // An empty list: nothing at all.
    base->executer("DELETE FROM Machines");
    f.listeMachines().Requery();
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    EXPECT_EQ(session.formsModales().size(), 2);
}

// The hidden batch: the presentation sheet of machines 1 to 42 in turn, each written as a workbook by the
// viewer's send button, then the end of the program.
TEST_F(FrmConfigMachineFichesTest, HiddenBatchSendsFortyTwoPresentationSheetsThenEnds) {
    FrmConfigMachine& f = ouvrir(4);
    EXPECT_TRUE(f.Command5->isHidden());
    EXPECT_TRUE(f.Command4->isHidden());
    QStringList vues;
    session.surModal([&](QObject* o) {
        auto* v = qobject_cast<FenCrystalRep*>(o);
        ASSERT_NE(v, nullptr);
        QStringList l = feuille(*v);
        if (l.size() > 1)
            vues << l.mid(1).join(u',');
        v->ComboAdressEmail->setEditText(QStringLiteral("atelier@example.com"));
        v->Unload();
    });
    f.Command5_Click();
    EXPECT_EQ(session.formsModales().size(), 42);
    EXPECT_EQ(vues, (QStringList{"2 1 5001 - -,2 2 5001 - -", "4 1 5001 - -,4 2 5002 - -,4 3 5003 - -",
                                 "9 1 5004 - -,9 2 5004 - -,9 3 5004 - -,9 4 5004 - -"}));
    fiche(f, "FicheSelectProduitxls.RPT|Fiche de présentation des articles|ARemplissageMachine|42|1|"
             "PresentationArticle");
    EXPECT_TRUE(QFile::exists(m_temporaire.filePath("Fiche de présentation des articles.xlsx")));
    EXPECT_EQ(session.codesFin(), QList<int>{0});
}
