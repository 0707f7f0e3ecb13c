#include "machines/forms/FenetreMachineDeTest.h"
#include "machines/forms/FrmConfigMachine.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "machines/ModeleMachine.h"
#include "stock/forms/FrmStock.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Conversions::twipsEnPixels;

class FrmConfigMachineDispositionTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        // Complete cards, which the article form lets the picker leave; articles 5001 to 5004.
        referentielCartes(*base);
        for (int i = 1; i <= 4; ++i)
            carteComplete(*base, 5000 + i, i, QStringLiteral("Gants nitrile taille %1").arg(6 + i));
        // 7 floors and 36 columns of model 5 (the latter without a place), model 8 by columns, and 40
        // columns without doors nor slot count.
        machine(1, 5, "ETAGE", 252, 7, QStringLiteral("Atelier nord"), 7,
                [](int e) { return e == 6 ? 0 : 1 + (e - 1) % 4; });
        machine(2, 5, "COLONNE", 252, 7, QVariant(), 36, [](int c) { return c % 5 ? 1 + c % 4 : 0; });
        machine(3, 8, "COLONNE", 180, 5, QStringLiteral("Quai 3"), 37, [](int c) { return 1 + c % 4; });
        machine(5, 3, "COLONNE", QVariant(), 0, QStringLiteral("Neuve"), 40,
                [](int c) { return c == 40 ? 4999 : 0; });
        ModeleMachine::CreerEmplacementsMachine(*base, 5, 1);
        ModeleMachine::CreerEmplacementsMachine(*base, 5, 2);
        // Floor e of machine 1: 3e slots of its article and one of 5003; column c of machine 2: c % 8 of
        // 5002; machine 3 as machine 2's first five floors.
        for (const char* sql :
             {"UPDATE EmplacementsMachine1 SET Reference = (SELECT ReferenceArticle FROM ConfigMachines C "
              "WHERE C.NoMachine = 1 AND C.Etage = EmplacementsMachine1.Etage) WHERE NoMachine = 1 AND "
              "Colonne <= 3 * Etage",
              "UPDATE EmplacementsMachine1 SET Reference = 5003 WHERE NoMachine = 1 AND Colonne = 36",
              "UPDATE EmplacementsMachine1 SET Reference = 5002 WHERE NoMachine = 2 AND Etage <= Colonne % 8",
              "INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, Reference) SELECT 3, "
              "NoEmpl, Etage, Colonne, Reference FROM EmplacementsMachine1 WHERE NoMachine = 2 AND Etage <= "
              "5",
              "INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, Reference) VALUES "
              "(5, 1, 1, 40, 9999), (5, 2, NULL, NULL, 9999)"})
            base->executer(QLatin1String(sql));
    }
    void TearDown() override {
        DetruireInstance<FrmConfigMachine>();
        DetruireInstance<FrmStock>();
        FormeSurBaseTest::TearDown();
    }
    // A machine with `lignes` configured rows, row r planned with article 5000 + article(r) (none for 0).
    void machine(int no, int type, const char* chargement, const QVariant& places, int portes,
                 const QVariant& lieu, int lignes, const std::function<int(int)>& article) {
        base->executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, "
                           "NbPorte) VALUES (?, ?, ?, ?, ?, ?)"),
            {no, type, QString::fromLatin1(chargement), lieu, places, portes});
        const QVariant nul(QMetaType::fromType<qint64>());
        for (int r = 1; r <= lignes; ++r) {
            const int a = article(r);
            base->executer(QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, "
                                          "CodeArticle) VALUES (?, ?, ?, ?)"),
                           {no, r, a ? QVariant(5000 + a) : nul, a ? QVariant(a) : nul});
        }
    }
    static FrmConfigMachine& ouvrir(int no) { return ouvrirMachine(no); }
    static QStringList rang(const FrmConfigMachine& f, int r) {
        QStringList l;
        for (int c = 0; c < f.MSFlexGrid1->columnCount(); ++c)
            l << f.MSFlexGrid1->item(r, c)->text();
        return l;
    }
    static quint32 fond(const FrmConfigMachine& f, int r, int c) {
        return Conversions::couleurEnVB(f.MSFlexGrid1->item(r, c)->background().color());
    }
    static ProgessBarre* barre(FrmConfigMachine& f, int k) { return f.SSPanel2[size_t(k)]; }
    // The user double-clicks row r and, in the picker, picks that reference, "Séléction vide" (0) or
    // "Fermer" (-1).
    void choisir(FrmConfigMachine& f, int r, qint64 reference) {
        session.surModal([reference](QObject* o) {
            FrmStock& stock = Instance<FrmStock>();
            ASSERT_EQ(o, &stock);
            EXPECT_FALSE(stock.CmdSelectionerVide->isHidden());
            if (reference > 0) {
                ASSERT_TRUE(stock.RsStockGlobal->Find(QStringLiteral("Reference"),
                                                      Recordset::Comparaison::Egal, reference,
                                                      Recordset::Depart::Premier));
            }
            (reference > 0    ? stock.CmdSelectioner
             : reference == 0 ? stock.CmdSelectionerVide
                              : stock.cmdClose)
                ->click();
        });
        const QRect rect = f.MSFlexGrid1->visualItemRect(f.MSFlexGrid1->item(r, 1));
        QTest::mouseClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QStringList valeurs(const char* sql) {
        QSqlQuery q = base->executer(QLatin1String(sql));
        QStringList l;
        while (q.next())
            l << QStringLiteral("%1 %2").arg(
                q.value(0).toString(), q.value(1).isNull() ? QStringLiteral("-") : q.value(1).toString());
        return l;
    }

    ServiceSessionScripte session;
};

} // namespace

TEST_F(FrmConfigMachineDispositionTest, EtagesColonnesEtModele8DessinesDansUneGrilleVierge) {
    // Seven floors: rows 2, 4, 6 light orange in columns 1 to 5 and on their bars; geometry in twips.
    FrmConfigMachine& f = ouvrir(1);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 8);
    EXPECT_EQ(rang(f, 0), (QStringList{"", "Désignation", "Référence", "Code Article", "Nbre d'unité",
                                       "Nbre à remplir"}));
    EXPECT_EQ(rang(f, 6), (QStringList{"Etage 6", "", "", "", "1", "35"}));
    EXPECT_EQ(QList<quint32>({fond(f, 4, 0), fond(f, 4, 1), fond(f, 4, 5), fond(f, 3, 1),
                              barre(f, 2)->BackColor(), barre(f, 3)->BackColor()}),
              QList<quint32>({Conversions::couleurEnVB(Conversions::couleurVB(0x8000000F)), 0x85C7F3,
                              0x85C7F3, 0xFFFFFF, 0x85C7F3, 0xFFFFFF}));
    const int largeurs[] = {900, 2800, 1300, 667, 667, 690};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(f.MSFlexGrid1->columnWidth(c), twipsEnPixels(largeurs[c])) << c;
    EXPECT_EQ(f.MSFlexGrid1->rowHeight(0) * 100 + f.MSFlexGrid1->rowHeight(3), 3618);
    const QPoint haut = f.MSFlexGrid1->viewport()->mapTo(
        &f, f.MSFlexGrid1->visualItemRect(f.MSFlexGrid1->item(3, 1)).topLeft());
    EXPECT_EQ(barre(f, 3)->geometry(), QRect(twipsEnPixels(7020), haut.y(), twipsEnPixels(2300), 18));
    EXPECT_EQ(barre(f, 7)->Label1->text(), QStringLiteral("61%"));
    EXPECT_TRUE(barre(f, 7)->isVisible() && !barre(f, 8)->isVisible() && f.SSPanel3->isVisible());
    EXPECT_EQ(f.TableauRemplissage[7][1] * 100 + f.TableauRemplissage[7][5], 714);
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine Atelier nord"));
    f.grab().save(QStringLiteral("/tmp/dorvane-machine-7etages-fr.png"));

    // 36 columns after it, a Null place: odd rows red with white text, their bars too; no orange left.
    ouvrir(2);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 37);
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine "));
    EXPECT_EQ(QList<quint32>({fond(f, 1, 5),
                              Conversions::couleurEnVB(f.MSFlexGrid1->item(1, 3)->foreground().color()),
                              fond(f, 2, 1), barre(f, 35)->BackColor(), barre(f, 35)->FontColor(),
                              barre(f, 2)->BackColor()}),
              QList<quint32>({0x2532ED, 0xFFFFFF, 0xFFFFFF, 0x2532ED, 0xFFFFFF, 0xFFFFFF}));
    EXPECT_TRUE(barre(f, 36)->isVisible() && f.MSFlexGrid1->verticalScrollBar()->value() == 0);
    f.grab().save(QStringLiteral("/tmp/dorvane-machine-36colonnes-fr.png"));

    // Model 8: the special row last, magenta, "Etage 12", no bar. Then 40 rows without capacity: bars up
    // to 36 at 0, nothing of the special row left.
    ouvrir(3);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 38);
    EXPECT_EQ(rang(f, 37), (QStringList{"Etage 12", "Gants nitrile taille 8", "5002", "2", "32", "4"}));
    EXPECT_EQ(fond(f, 37, 4), 0xFF00FFu);
    EXPECT_EQ(f.TableauRemplissage[37][1], 12);
    f.grab().save(QStringLiteral("/tmp/dorvane-machine-modele8-fr.png"));
    ouvrir(5);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 41);
    EXPECT_EQ(rang(f, 40), (QStringList{"Colonne 40", "", "9999", "4999", "1", ""}));
    EXPECT_EQ(barre(f, 36)->Label1->text(), QStringLiteral("0%"));
    EXPECT_EQ(fond(f, 37, 4), 0x2532EDu);
    EXPECT_EQ(f.TableauRemplissage[37][1], 37);

    // Dutch: the floors' captions stay French, the columns' follow the messages.
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    Global().Msg = MODTranslate::TextesMessages(QStringLiteral("NL"));
    DetruireInstance<FrmConfigMachine>();
    FrmConfigMachine& g = ouvrir(1);
    EXPECT_EQ(rang(g, 0).at(1) + u'/' + g.SSPanel3->text(), QStringLiteral("Désignation/Vulling"));
    g.grab().save(QStringLiteral("/tmp/dorvane-machine-7etages-nl.png"));
    ouvrir(2);
    EXPECT_EQ(rang(g, 0).at(5) + u'/' + rang(g, 2).at(0), QStringLiteral("Aantal aan te vullen/Kolom 2"));
    g.grab().save(QStringLiteral("/tmp/dorvane-machine-36colonnes-nl.png"));
    ouvrir(3);
    g.grab().save(QStringLiteral("/tmp/dorvane-machine-modele8-nl.png"));

    // Unreadable plan: logged under the drawing's name, back to the list.
    base->executer(QStringLiteral("ALTER TABLE ConfigMachines RENAME TO ConfigX"));
    ouvrir(1);
    EXPECT_FALSE(g.dispositionAffichee() || g.MSFlexGrid1->isVisible() || g.CmdModeConfig->isVisible());
    EXPECT_TRUE(g.DataGrid1->isVisible() && g.planAffiche().isEmpty());
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal.first().startsWith(QStringLiteral("LireConfigMachineEtage|N°: ")));
}

TEST_F(FrmConfigMachineDispositionTest, ChoixDesArticlesEtEnregistrementDuPlan) {
    // Outside configuration mode a double click opens nothing.
    FrmConfigMachine& f = ouvrir(1);
    const QRect r = f.MSFlexGrid1->visualItemRect(f.MSFlexGrid1->item(1, 1));
    QTest::mouseDClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_TRUE(session.formsModales().isEmpty());
    QTest::mouseClick(f.CmdModeConfig, Qt::LeftButton);
    EXPECT_TRUE(f.ModeConfig && f.CmdEnregiConfig->isVisible());

    // Floor 1 (5001) takes 5002, floor 2 "Séléction vide", floor 3 "Fermer": unchanged.
    choisir(f, 1, 5002);
    EXPECT_EQ(rang(f, 1).mid(1, 3), (QStringList{"Gants nitrile taille 8", "5002", "2"}));
    EXPECT_EQ(f.Reference * 10 + f.CodeArticle, 50022);
    choisir(f, 2, 0);
    EXPECT_EQ(rang(f, 2).mid(1, 3), (QStringList{"", "0", "0"}));
    choisir(f, 3, -1);
    EXPECT_EQ(rang(f, 3).mid(1, 3), (QStringList{"Gants nitrile taille 9", "5003", "3"}));
    EXPECT_EQ(f.Reference + f.CodeArticle, 0);

    QTest::mouseClick(f.CmdEnregiConfig, Qt::LeftButton);
    EXPECT_EQ(valeurs("SELECT Etage, Designation FROM ConfigMachines WHERE NoMachine = 1 AND Etage <= 3 "
                      "ORDER BY Etage"),
              (QStringList{"1 Gants nitrile taille 8", "2 -", "3 -"}));
    EXPECT_EQ(valeurs("SELECT Etage, ReferenceArticle FROM ConfigMachines WHERE NoMachine = 1 AND Etage <= 3 "
                      "ORDER BY Etage"),
              (QStringList{"1 5002", "2 -", "3 5003"}));
    // Floors 1 and 2 emptied; floor 3 keeps its 5003; floor 4 its own article, its 5003 emptied.
    EXPECT_EQ(valeurs("SELECT Etage, COUNT(Reference) FROM EmplacementsMachine1 WHERE NoMachine = 1 AND "
                      "Etage <= 4 GROUP BY Etage ORDER BY Etage"),
              (QStringList{"1 0", "2 0", "3 10", "4 12"}));
    // Redrawn; the mode stays on, its save button hidden.
    EXPECT_FALSE(f.CmdEnregiConfig->isVisible());
    EXPECT_TRUE(f.ModeConfig);
    EXPECT_EQ(rang(f, 2), (QStringList{"Etage 2", "", "", "", "0", "36"}));

    // A failing save: its number and description, the log, nothing written, the plan kept on screen.
    f.CmdModeConfig->click();
    choisir(f, 3, 5001);
    base->executer(QStringLiteral("ALTER TABLE EmplacementsMachine1 RENAME TO EmplacementsX"));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::ErreurBase) + u' ');
    f.CmdEnregiConfig->click();
    EXPECT_EQ(valeurs("SELECT Etage, ReferenceArticle FROM ConfigMachines WHERE NoMachine = 1 AND Etage = 3"),
              QStringList{"3 5003"});
    EXPECT_EQ(rang(f, 3).at(2) + QString::number(f.planAffiche().at(2).reference),
              QStringLiteral("50015001"));
    EXPECT_TRUE(f.CmdEnregiConfig->isVisible());
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal.first().startsWith(QStringLiteral("CmdEnregiConfig_Click|N°: ")));
}
