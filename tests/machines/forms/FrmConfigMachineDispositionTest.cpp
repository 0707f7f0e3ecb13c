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
#include <QSqlRecord>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QVariant Nul = QVariant(QMetaType::fromType<qint64>());
constexpr qint64 A = 5001, B = 5002, C = 5003;

using Conversions::twipsEnPixels;

class FrmConfigMachineDispositionTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        // Complete cards, which the article form lets the picker leave.
        for (const char* sql :
             {"INSERT INTO Familles (NomFamille) VALUES ('GANTS')",
              "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('S', 1, 1)",
              "INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES (1, 'F1', 'P')"})
            base->executer(QLatin1String(sql));
        for (int i = 1; i <= 4; ++i)
            base->executer(
                QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, "
                               "RefFournisseur, QteEnStock, QteParPaket, StockAlert, DelaiLivraison, "
                               "PrixAchatUnit, PrixAchatGlobal, Prix, Famille, NoFournisseur, Taille) "
                               "VALUES (?, ?, ?, 'RF', 1, 1, 1, 1, 1, 1, 2, 1, 1, 1)"),
                {5000 + i, i, QStringLiteral("Gants nitrile taille %1").arg(6 + i)});
        // 7 floors (model 5), 36 columns (model 5), model 8 by columns, a 40-slot floor machine.
        machine(1, 5, "ETAGE", 252, 7, QStringLiteral("Atelier nord"));
        machine(2, 5, "COLONNE", 252, 7, Nul);
        machine(3, 8, "COLONNE", 180, 5, QStringLiteral("Quai 3"));
        machine(4, 1, "ETAGE", 40, 5, QStringLiteral("Hall B"));
        ModeleMachine::CreerEmplacementsMachine(*base, 5, 1);
        ModeleMachine::CreerEmplacementsMachine(*base, 5, 2);
        for (int e = 1; e <= 7; ++e)
            plan(1, e, e == 6 ? Nul : QVariant(5000 + (e - 1) % 4 + 1));
        for (int c = 1; c <= 36; ++c)
            plan(2, c, c % 5 ? QVariant(5000 + c % 4 + 1) : Nul);
        for (int c = 1; c <= 37; ++c)
            plan(3, c, QVariant(5000 + c % 4 + 1));
        plan(4, 1, A);
        plan(4, 2, B);
        plan(4, 3, C);
        // Floor e of machine 1 holds 3e slots of its article and one of C; column c of machine 2 c % 8.
        base->executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = (SELECT ReferenceArticle "
                                      "FROM ConfigMachines C WHERE "
                                      "C.NoMachine = 1 AND C.Etage = EmplacementsMachine1.Etage) WHERE "
                                      "NoMachine = 1 AND Colonne <= 3 * Etage"));
        base->executer(
            QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = 5003 WHERE NoMachine = 1 AND "
                           "Colonne = 36"));
        base->executer(QStringLiteral(
            "UPDATE EmplacementsMachine1 SET Reference = 5002 WHERE NoMachine = 2 AND Etage <= Colonne % 8"));
        for (int n = 1; n <= 40; ++n)
            base->executer(
                QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, "
                               "Reference) VALUES (4, ?, ?, 1, ?)"),
                {n, (n + 7) / 8, n % 8 < 6 ? QVariant((n + 7) / 8 == 3 ? C : A) : Nul});
        for (int n = 1; n <= 180; ++n)
            base->executer(
                QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, "
                               "Reference) VALUES (3, ?, ?, ?, ?)"),
                {n, (n + 35) / 36, (n - 1) % 36 + 1, n % 3 ? QVariant(A) : Nul});
    }
    void TearDown() override {
        DetruireInstance<FrmConfigMachine>();
        DetruireInstance<FrmStock>();
        FormeSurBaseTest::TearDown();
    }
    void machine(int no, int type, const char* chargement, int places, int portes, const QVariant& lieu) {
        base->executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, "
                           "NbPorte) VALUES (?, ?, ?, ?, ?, ?)"),
            {no, type, QString::fromLatin1(chargement), lieu, places, portes});
    }
    void plan(int no, int etage, const QVariant& ref) {
        base->executer(
            QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle) "
                           "VALUES (?, ?, ?, ?)"),
            {no, etage, ref, ref.isNull() ? Nul : QVariant(ref.toLongLong() - 5000)});
    }
    FrmConfigMachine& ouvrir(int no) {
        FrmConfigMachine& f = Instance<FrmConfigMachine>();
        if (!f.isVisible()) {
            f.Show();
            f.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        }
        EXPECT_TRUE(f.allerALaMachine(no));
        f.DataGrid1_DblClick();
        return f;
    }
    static QStringList rang(const FrmConfigMachine& f, int r) {
        QStringList l;
        for (int c = 0; c < f.MSFlexGrid1->columnCount(); ++c)
            l << (f.MSFlexGrid1->item(r, c) ? f.MSFlexGrid1->item(r, c)->text() : QStringLiteral("?"));
        return l;
    }
    static quint32 fond(const FrmConfigMachine& f, int r, int c) {
        return Conversions::couleurEnVB(f.MSFlexGrid1->item(r, c)->background().color());
    }
    static quint32 encre(const FrmConfigMachine& f, int r, int c) {
        const QBrush b = f.MSFlexGrid1->item(r, c)->foreground();
        return b.style() == Qt::NoBrush ? 0xFFFFFFFFu : Conversions::couleurEnVB(b.color());
    }
    static ProgessBarre* barre(FrmConfigMachine& f, int k) { return f.SSPanel2[size_t(k)]; }
    static QString valeurBarre(FrmConfigMachine& f, int k) { return barre(f, k)->Label1->text(); }
    void doubleClic(FrmConfigMachine& f, int r) {
        const QRect rect = f.MSFlexGrid1->visualItemRect(f.MSFlexGrid1->item(r, 1));
        QTest::mouseClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // The user in the picker: picks that reference, "Séléction vide" (0) or "Fermer" (-1).
    void choisir(qint64 reference) {
        session.surModal([reference](QObject* o) {
            FrmStock& stock = Instance<FrmStock>();
            ASSERT_EQ(o, &stock);
            EXPECT_FALSE(stock.CmdSelectionerVide->isHidden());
            if (reference > 0) {
                ASSERT_TRUE(stock.RsStockGlobal->Find(QStringLiteral("Reference"),
                                                      Recordset::Comparaison::Egal, reference,
                                                      Recordset::Depart::Premier));
                stock.CmdSelectioner->click();
            } else if (reference == 0) {
                stock.CmdSelectionerVide->click();
            } else {
                stock.cmdClose->click();
            }
        });
    }
    QStringList valeurs(const QString& sql) {
        QSqlQuery q = base->executer(sql);
        QStringList l;
        while (q.next()) {
            QStringList r;
            for (int i = 0; i < q.record().count(); ++i)
                r << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
            l << r.join(u' ');
        }
        return l;
    }

    ServiceSessionScripte session;
};

} // namespace

TEST_F(FrmConfigMachineDispositionTest, EtagesColonnesEtModele8DessinesDansUneGrilleVierge) {
    // The 40-slot floor machine: floor 3, 6 loaded of 8; rows 2 light orange with its bar, row 1 not.
    FrmConfigMachine& f = ouvrir(4);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 4);
    EXPECT_EQ(rang(f, 0), (QStringList{"", "Désignation", "Référence", "Code Article", "Nbre d'unité",
                                       "Nbre à remplir"}));
    EXPECT_EQ(rang(f, 3), (QStringList{"Etage 3", "Gants nitrile taille 9", "5003", "3", "6", "2"}));
    EXPECT_EQ(valeurBarre(f, 3), QStringLiteral("75%"));
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(fond(f, 2, c), 0x85C7F3u) << c;
    EXPECT_NE(fond(f, 2, 0), 0x85C7F3u);
    EXPECT_EQ(fond(f, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(barre(f, 2)->BackColor(), 0x85C7F3u);
    EXPECT_EQ(barre(f, 1)->BackColor(), 0xFFFFFFu);
    // Geometry in twips: the widths, 540 then 270, each bar beside its row.
    const int largeurs[] = {900, 2800, 1300, 667, 667, 690};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(f.MSFlexGrid1->columnWidth(c), twipsEnPixels(largeurs[c])) << c;
    EXPECT_EQ(f.MSFlexGrid1->rowHeight(0) * 100 + f.MSFlexGrid1->rowHeight(3), 3618);
    const QPoint haut = f.MSFlexGrid1->viewport()->mapTo(
        &f, f.MSFlexGrid1->visualItemRect(f.MSFlexGrid1->item(3, 1)).topLeft());
    EXPECT_EQ(barre(f, 3)->geometry(), QRect(twipsEnPixels(7020), haut.y(), twipsEnPixels(2300), 18));
    EXPECT_TRUE(barre(f, 3)->isVisible() && !barre(f, 4)->isVisible() && f.SSPanel3->isVisible());
    EXPECT_EQ(f.TableauRemplissage[3][1] * 100 + f.TableauRemplissage[3][5], 302);

    // Seven floors: numbered by their own floor, the refill array too.
    ouvrir(1);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 8);
    EXPECT_EQ(rang(f, 6), (QStringList{"Etage 6", "", "", "", "1", "35"}));
    EXPECT_EQ(rang(f, 7), (QStringList{"Etage 7", "Gants nitrile taille 9", "5003", "3", "22", "14"}));
    EXPECT_EQ(valeurBarre(f, 7), QStringLiteral("61%"));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine Atelier nord"));
    f.grab().save(QStringLiteral("/tmp/dorvane-machine-7etages-fr.png"));

    // 36 columns after it, a Null place: red odd rows with white text and their bars; no orange left.
    ouvrir(2);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 37);
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine "));
    EXPECT_EQ(rang(f, 3), (QStringList{"Colonne 3", "Gants nitrile taille 10", "5004", "4", "3", "4"}));
    EXPECT_EQ(rang(f, 5).mid(1, 3), (QStringList{"", "", ""}));
    EXPECT_EQ(encre(f, 1, 3), 0xFFFFFFu);
    EXPECT_EQ(fond(f, 1, 5), 0x2532EDu);
    EXPECT_EQ(fond(f, 2, 1), 0xFFFFFFu);
    EXPECT_EQ(barre(f, 35)->BackColor(), 0x2532EDu);
    EXPECT_EQ(barre(f, 35)->FontColor(), 0xFFFFFFu);
    EXPECT_EQ(barre(f, 2)->BackColor(), 0xFFFFFFu);
    EXPECT_TRUE(barre(f, 36)->isVisible());
    EXPECT_EQ(f.MSFlexGrid1->verticalScrollBar()->value(), 0);
    f.grab().save(QStringLiteral("/tmp/dorvane-machine-36colonnes-fr.png"));

    // Model 8: the special row last, magenta, "Etage 12", without a bar; the 4-row machine after it.
    ouvrir(3);
    ASSERT_EQ(f.MSFlexGrid1->rowCount(), 38);
    EXPECT_EQ(rang(f, 37), (QStringList{"Etage 12", "Gants nitrile taille 8", "5002", "2", "24", "12"}));
    EXPECT_EQ(fond(f, 37, 4), 0xFF00FFu);
    EXPECT_EQ(f.TableauRemplissage[37][1], 12);
    f.grab().save(QStringLiteral("/tmp/dorvane-machine-modele8-fr.png"));
    ouvrir(4);
    EXPECT_EQ(f.MSFlexGrid1->rowCount(), 4);
    EXPECT_FALSE(barre(f, 5)->isVisible());
    EXPECT_EQ(f.TableauRemplissage[37][1] + f.TableauRemplissage[5][1], 0);

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
    FrmConfigMachine& f = ouvrir(4);
    // Outside configuration mode a double click opens nothing.
    doubleClic(f, 1);
    EXPECT_TRUE(session.formsModales().isEmpty());
    QTest::mouseClick(f.CmdModeConfig, Qt::LeftButton);
    EXPECT_TRUE(f.ModeConfig && f.CmdEnregiConfig->isVisible());

    // Row 1 takes B, row 2 "Séléction vide", row 3 "Fermer": unchanged.
    choisir(B);
    doubleClic(f, 1);
    EXPECT_EQ(rang(f, 1).mid(1, 3), (QStringList{"Gants nitrile taille 8", "5002", "2"}));
    EXPECT_EQ(f.Reference * 10 + f.CodeArticle, 50022);
    choisir(0);
    doubleClic(f, 2);
    EXPECT_EQ(rang(f, 2).mid(1, 3), (QStringList{"", "0", "0"}));
    choisir(-1);
    doubleClic(f, 3);
    EXPECT_EQ(rang(f, 3).mid(1, 3), (QStringList{"Gants nitrile taille 9", "5003", "3"}));
    EXPECT_EQ(f.Reference + f.CodeArticle, 0);
    EXPECT_EQ(session.formsModales().size(), 3);

    QTest::mouseClick(f.CmdEnregiConfig, Qt::LeftButton);
    EXPECT_EQ(
        valeurs(QStringLiteral("SELECT Etage, ReferenceArticle, CodeArticle, Designation FROM ConfigMachines "
                               "WHERE NoMachine = 4 ORDER BY Etage")),
        (QStringList{"1 5002 2 Gants nitrile taille 8", "2 - - -", "3 5003 3 -"}));
    // Floor 1's A and floor 2's loaded slots emptied, floor 3's C kept.
    EXPECT_EQ(
        valeurs(QStringLiteral("SELECT Etage, COUNT(Reference) FROM EmplacementsMachine1 WHERE NoMachine = 4 "
                               "GROUP BY Etage ORDER BY Etage")),
        (QStringList{"1 0", "2 0", "3 6", "4 6", "5 6"}));
    // Redrawn; the mode stays on, its save button hidden.
    EXPECT_FALSE(f.CmdEnregiConfig->isVisible());
    EXPECT_TRUE(f.ModeConfig);
    EXPECT_EQ(rang(f, 2), (QStringList{"Etage 2", "", "", "", "0", "8"}));
    EXPECT_EQ(valeurBarre(f, 1), QStringLiteral("0%"));

    // A failing save: its number and description, the log, nothing written, the plan kept on screen.
    f.CmdModeConfig->click();
    choisir(A);
    doubleClic(f, 3);
    base->executer(QStringLiteral("ALTER TABLE EmplacementsMachine1 RENAME TO EmplacementsX"));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::ErreurBase) + u' ');
    f.CmdEnregiConfig->click();
    EXPECT_EQ(valeurs(QStringLiteral(
                  "SELECT ReferenceArticle FROM ConfigMachines WHERE NoMachine = 4 AND Etage = 3")),
              QStringList{"5003"});
    EXPECT_EQ(rang(f, 3).at(2), QStringLiteral("5001"));
    EXPECT_EQ(f.planAffiche().at(2).reference, A);
    EXPECT_TRUE(f.CmdEnregiConfig->isVisible());
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal.first().startsWith(QStringLiteral("CmdEnregiConfig_Click|N°: ")));
}
