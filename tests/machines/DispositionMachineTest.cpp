#include "BaseDeTest.h"
#include "EtatMachineDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Valeurs.h"
#include "machines/DispositionMachine.h"
#include "machines/EnregistrerConfigMachine.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlRecord>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>

using namespace ModeleMachine;

namespace {

const QVariant Nul = QVariant(QMetaType::fromType<qint64>());
using EtatMachineDeTest::A;
using EtatMachineDeTest::B;
using EtatMachineDeTest::C;
using EtatMachineDeTest::D;
using EtatMachineDeTest::X;

class DispositionMachineTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        EtatMachineDeTest::articles(cnx());
    }
    void machine(int no, int type, const char* chargement, const QVariant& places, const QVariant& portes,
                 const QList<std::pair<int, QVariant>>& lignes) {
        EtatMachineDeTest::machine(cnx(), no, type, QString::fromLatin1(chargement), places, portes, lignes);
    }
    void plan(int no, const QList<std::pair<int, QVariant>>& lignes) {
        EtatMachineDeTest::plan(cnx(), no, lignes);
    }
    void emplacements(int no, int n, const QVariant& etage, const QVariant& colonne, const QVariant& ref) {
        EtatMachineDeTest::emplacements(cnx(), m_numeros, no, n, etage, colonne, ref);
    }
    DispositionMachine lire(int no, Disposition vue) {
        QSqlQuery q = cnx().executer(
            QStringLiteral("SELECT Type, NbEmplacement, NbPorte FROM Machines WHERE NoMachine = ?"), {no});
        EXPECT_TRUE(q.next());
        return DispositionMachine::Lire(
            cnx(), {no, int(Valeurs::lireEntier(q.value(0))), q.value(1), q.value(2), {}}, vue);
    }
    // A row's six cells and its bar; a row of the refill array.
    static QString ligne(const DispositionMachine& d, int i) {
        const DispositionMachine::Ligne& l = d.lignes.at(i - 1);
        QStringList t;
        for (int c = 0; c <= 5; ++c)
            t << l.texte(c);
        return t.join(u'|') + QStringLiteral("|%1%").arg(l.pourcentage);
    }
    static QString tableau(const DispositionMachine& d, int i) {
        QStringList t;
        for (int c = 1; c <= 6; ++c)
            t << QString::number(d.TableauRemplissage[size_t(i)][size_t(c)]);
        return t.join(u' ');
    }
    QStringList contenu(int no) { return EtatMachineDeTest::contenu(cnx(), no); }
    QStringList config(int no) { return EtatMachineDeTest::config(cnx(), no); }

    QHash<int, int> m_numeros;
};

} // namespace

TEST(DispositionMachine, LigneDeLayoutDesTroisDispositions) {
    EXPECT_EQ(DispositionDe(QStringLiteral("ETAGE")), Disposition::Etages);
    EXPECT_EQ(DispositionDe(QStringLiteral("CASIER")), Disposition::Casiers);
    for (const char* autre : {"COLONNE", "casier", "", "etage"})
        EXPECT_EQ(DispositionDe(QLatin1String(autre)), Disposition::Colonnes) << autre;
    const QVariant nul;
    auto rang = [](Disposition d, int type, const QVariant& e, const QVariant& c, const QVariant& n) {
        const std::optional<qint64> r = LigneDeLayout(d, type, e, c, n);
        return r ? int(*r) : -99;
    };
    // Floors by their own number, whatever the factor; columns through it (Int() rounds down); lockers by
    // number; the field the layout reads Null: no row.
    EXPECT_EQ(rang(Disposition::Etages, 1, 3, 33, 7), 3);
    const int colonnes[][3] = {{1, 1, 1},   {1, 5, 2},   {1, 9, 3},   {1, 13, 4},  {1, 33, 9},
                               {1, 0, 1},   {1, -1, 0},  {2, 3, 2},   {2, 35, 18}, {4, 35, 18},
                               {3, 35, 35}, {8, 37, 37}, {10, 14, 14}};
    for (const auto& [type, colonne, attendu] : colonnes)
        EXPECT_EQ(rang(Disposition::Colonnes, type, 2, colonne, 99), attendu) << type << " " << colonne;
    EXPECT_EQ(rang(Disposition::Casiers, 1, 2, 9, 124), 124);
    EXPECT_EQ(rang(Disposition::Etages, 1, nul, 5, 1) + rang(Disposition::Colonnes, 1, 2, nul, 1) +
                  rang(Disposition::Casiers, 1, 2, 5, nul),
              -3 * 99);
    EXPECT_EQ(rang(Disposition::Colonnes, 2, nul, 3, nul), 2);
}

TEST_P(DispositionMachineTest, EtagesParLeurNumeroAvecLeursComptes) {
    // 40 slots, 5 doors: 8 a floor. Floor 2 has no slot, floor 4 none loaded; a reference the stock lacks.
    machine(1, 1, "ETAGE", 40, 5, {{1, A}, {2, B}, {3, C}, {4, Nul}, {5, qint64(7777)}});
    emplacements(1, 2, 1, 1, A);
    emplacements(1, 6, 3, 9, C);
    emplacements(1, 3, 3, 13, Nul);
    emplacements(1, 4, 4, 1, Nul);
    emplacements(1, 5, Nul, 1, A);
    DispositionMachine d = lire(1, Disposition::Etages);
    ASSERT_EQ(d.lignes.size(), 5);
    EXPECT_EQ(ligne(d, 1), QStringLiteral("Etage 1|Article 1|5001|1|2|6|25%"));
    EXPECT_EQ(ligne(d, 2), QStringLiteral("Etage 2|Article 2|5002|2|||0%"));
    EXPECT_EQ(ligne(d, 3), QStringLiteral("Etage 3|Article 3|5003|3|6|2|75%"));
    EXPECT_EQ(ligne(d, 4), QStringLiteral("Etage 4||||0|8|0%"));
    EXPECT_EQ(ligne(d, 5), QStringLiteral("Etage 5||7777|2777|||0%"));
    EXPECT_EQ(tableau(d, 3) + u'/' + tableau(d, 4) + u'/' + tableau(d, 6),
              QStringLiteral("3 5003 3 6 2 1/4 0 0 0 8 1/0 0 0 0 0 0"));
    EXPECT_EQ(DispositionMachine::Entetes(Disposition::Etages).at(3), QStringLiteral("Nbre d'unité"));

    // Overfilled: 9 of 8, 112.5 rounded to even, not capped.
    cnx().executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = 5003 WHERE Etage = 3"));
    EXPECT_EQ(ligne(lire(1, Disposition::Etages), 3), QStringLiteral("Etage 3|Article 3|5003|3|9|-1|112%"));
    // No capacity (0 or Null doors or slots): the count without what remains, bar 0.
    for (const auto& [portes, places] : {std::pair{QVariant(0), QVariant(40)},
                                         {Nul, QVariant(40)},
                                         {QVariant(5), QVariant(0)},
                                         {QVariant(5), Nul}}) {
        cnx().executer(QStringLiteral("UPDATE Machines SET NbPorte = ?, NbEmplacement = ?"),
                       {portes, places});
        EXPECT_EQ(ligne(lire(1, Disposition::Etages), 3), QStringLiteral("Etage 3|Article 3|5003|3|9||0%"));
    }

    // 30 slots, 4 doors: 7.5 a floor, the workstation's separator. Floors 1, 2, 5: each its own number
    // and counts; the model's factor plays no part. No row at all: nothing.
    machine(2, 1, "ETAGE", 30, 4, {{1, Nul}, {2, Nul}, {5, A}});
    emplacements(2, 3, 1, 1, A);
    emplacements(2, 1, 2, 1, A);
    emplacements(2, 4, 3, 1, A);
    emplacements(2, 2, 5, 1, B);
    d = lire(2, Disposition::Etages);
    EXPECT_EQ(ligne(d, 1), QStringLiteral("Etage 1||||3|4,5|40%"));
    EXPECT_EQ(ligne(d, 2), QStringLiteral("Etage 2||||1|6,5|13%"));
    EXPECT_EQ(ligne(d, 3), QStringLiteral("Etage 5|Article 1|5001|1|2|5,5|27%"));
    EXPECT_EQ(tableau(d, 3), QStringLiteral("5 5001 1 2 5.5 2"));
    machine(3, 5, "ETAGE", 252, 7, {});
    d = lire(3, Disposition::Etages);
    EXPECT_TRUE(d.lignes.isEmpty());
    EXPECT_EQ(tableau(d, 1), QStringLiteral("0 0 0 0 0 0"));
}

TEST_P(DispositionMachineTest, ColonnesParLeFacteurEtLaLigneSpecialeDuModele8) {
    // Model 2, 5 doors: column 3 is row 2, 4 loaded of 5.
    machine(1, 2, "COLONNE", 90, 5, {{1, A}, {2, B}, {3, C}});
    emplacements(1, 4, 1, 3, B);
    emplacements(1, 1, 5, 3, Nul);
    emplacements(1, 2, 2, 1, A);
    DispositionMachine d = lire(1, Disposition::Colonnes);
    EXPECT_EQ(ligne(d, 1), QStringLiteral("Colonne 1|Article 1|5001|1|2|3|40%"));
    EXPECT_EQ(ligne(d, 2), QStringLiteral("Colonne 2|Article 2|5002|2|4|1|80%"));
    EXPECT_EQ(ligne(d, 3), QStringLiteral("Colonne 3|Article 3|5003|3|||0%"));
    EXPECT_EQ(DispositionMachine::Entetes(Disposition::Colonnes),
              (QStringList{"Désignation", "Référence", "Code Article", "Nbre d'unité", "Nbre à remplir"}));

    // Model 8, 180 slots on 5 floors: rows 1 to 36 and the special row 37, counted on the lowest floor (2
    // here) with a floor's capacity (36), always last and in row 37 of the array.
    QList<std::pair<int, QVariant>> lignes{{37, D}};
    for (int e = 1; e <= 36; ++e)
        lignes.append({e, e % 2 ? QVariant(A) : Nul});
    machine(2, 8, "COLONNE", 180, 5, lignes);
    emplacements(2, 3, 2, 37, X);
    emplacements(2, 2, 3, 36, A);
    emplacements(2, 1, 2, 5, Nul);
    d = lire(2, Disposition::Colonnes);
    ASSERT_EQ(d.lignes.size(), 37);
    EXPECT_EQ(ligne(d, 37), QStringLiteral("Etage 12|Article 4|5004|4|3|33|8%"));
    EXPECT_TRUE(d.lignes.at(36).speciale && !d.lignes.at(35).speciale);
    EXPECT_EQ(ligne(d, 36), QStringLiteral("Colonne 36||||2|3|40%"));
    EXPECT_EQ(tableau(d, 37) + u'/' + tableau(d, 36), QStringLiteral("12 5004 4 3 33 2/36 0 0 2 3 2"));
    // Fewer rows: still last; more than 37: row 37 of the array stays the special row's.
    cnx().executer(
        QStringLiteral("DELETE FROM ConfigMachines WHERE NoMachine = 2 AND Etage BETWEEN 3 AND 36"));
    d = lire(2, Disposition::Colonnes);
    ASSERT_EQ(d.lignes.size(), 3);
    EXPECT_TRUE(d.lignes.at(2).speciale);
    EXPECT_EQ(tableau(d, 3) + u'/' + tableau(d, 37).left(7), QStringLiteral("0 0 0 0 0 0/12 5004"));
    lignes = {{38, A}, {39, A}};
    for (int e = 3; e <= 36; ++e)
        lignes.append({e, Nul});
    plan(2, lignes);
    d = lire(2, Disposition::Colonnes);
    ASSERT_EQ(d.lignes.size(), 39);
    EXPECT_EQ(d.lignes.at(36).etage * 100 + d.lignes.at(38).etage, 3837);
    EXPECT_EQ(tableau(d, 37).left(7), QStringLiteral("12 5004"));

    // Another model's row 37 is an ordinary one; the floors' view of a model 8 has no special row.
    machine(3, 5, "COLONNE", 252, 7, {{37, A}});
    EXPECT_EQ(ligne(lire(3, Disposition::Colonnes), 1), QStringLiteral("Colonne 37|Article 1|5001|1|||0%"));
    EXPECT_FALSE(lire(2, Disposition::Etages).lignes.last().speciale);
    // Unreadable: the error, nothing drawn.
    cnx().executer(QStringLiteral("ALTER TABLE ConfigMachines RENAME TO ConfigMachinesX"));
    EXPECT_THROW(lire(1, Disposition::Colonnes), ErreurExecution);
}

TEST_P(DispositionMachineTest, EnregistrementParLigneDeLayoutEnUneTransaction) {
    // Model 1 by floors: floors planned A, B, C, D, each loaded with its article but one slot holding X.
    // New plan: B, C, C (unchanged: its slots kept), empty; floor 5 has no grid row: left.
    machine(1, 1, "ETAGE", 36, 4, {{1, A}, {2, B}, {3, C}, {4, D}, {5, Nul}});
    for (int e = 1; e <= 4; ++e) {
        emplacements(1, 8, e, 1, A + e - 1);
        emplacements(1, 1, e, 33, X);
    }
    PlanMachine p;
    for (const DispositionMachine::Ligne& l : lire(1, Disposition::Etages).lignes)
        p << LignePlan::Affichee(l);
    p[0] = {1, B, 2, QStringLiteral("Article 2")};
    p[1] = {2, C, 3, QStringLiteral("Article 3")};
    p[3] = {4, 0, 0, QString()};
    p.removeLast();
    BilanConfigMachine b = EnregistrerConfigMachine(cnx(), 1, 1, 1, p);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(config(1), (QStringList{"1 5002 2 Article 2", "2 5003 3 Article 3", "3 5003 3 ancienne",
                                      "4 - - -", "5 - - ancienne"}));
    EXPECT_EQ(contenu(1).filter(QStringLiteral(" 5003")).size() * 100 +
                  contenu(1).filter(QStringLiteral(" -")).size(),
              828);
    EXPECT_EQ(b.lignesPlan * 100 + b.emplacements, 328);
    // Saved again: only the Null row is written again, nothing emptied.
    b = EnregistrerConfigMachine(cnx(), 1, 1, 1, p);
    EXPECT_EQ(b.lignesPlan * 100 + b.emplacements, 100);

    // Model 1 by columns: row 3 (column 9) set to B empties its A, keeps its B; column 13 is row 4.
    machine(2, 1, "COLONNE", 36, 4, {{3, A}, {4, A}});
    emplacements(2, 2, 1, 9, A);
    emplacements(2, 2, 2, 9, B);
    emplacements(2, 2, 3, 13, A);
    emplacements(2, 1, Nul, Nul, X);
    EnregistrerConfigMachine(cnx(), 2, 1, 2, {{3, B, 2, QStringLiteral("Article 2")}, {4, A, 1, QString()}});
    EXPECT_EQ(contenu(2), (QStringList{"1 -", "2 -", "3 5002", "4 5002", "5 5001", "6 5001", "7 5009"}));
    // A failure midway writes nothing.
    cnx().executer(QStringLiteral("ALTER TABLE EmplacementsMachine1 RENAME TO EmplacementsX"));
    EXPECT_THROW(EnregistrerConfigMachine(cnx(), 2, 1, 2, {{3, C, 3, QStringLiteral("Article 3")}}),
                 ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(config(2).first(), QStringLiteral("3 5002 2 Article 2"));
}

TEST_P(DispositionMachineTest, EcrivainsSimultanesEtMachineQuiChargePendantLaSauvegarde) {
    PostesDeTest postes(base());
    // A machine loads slot 1 with the planned article while the save waits for it: kept.
    machine(1, 3, "ETAGE", 180, 5, {{1, A}});
    emplacements(1, 4, 1, 1, X);
    auto machineCnx = base().ouvrir();
    machineCnx->debutEcriture();
    machineCnx->executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = 5002 WHERE NoEmpl = 1"));
    postes.lancer([](Connexion& c) {
        EnregistrerConfigMachine(c, 1, 3, 1, {{1, B, 2, QStringLiteral("Article 2")}});
    });
    // PostgreSQL: until the save waits on the slot; SQLite waits for the whole file.
    QElapsedTimer attente;
    attente.start();
    while (base().moteur() == Moteur::PostgreSQL &&
           Valeurs::lireEntier(
               cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted"))) == 0 &&
           attente.elapsed() < 20000)
        QThread::msleep(10);
    if (base().moteur() == Moteur::SQLite)
        QThread::msleep(300);
    machineCnx->valider();
    QStringList erreurs = postes.attendre();
    EXPECT_EQ(contenu(1), (QStringList{"1 5002", "2 -", "3 -", "4 -"}));

    // Workstations saving machines 2 to 5 (two of them machine 2) while a machine loads slots of each.
    QList<std::pair<int, QVariant>> neuf;
    PlanMachine planB;
    for (int r = 1; r <= 9; ++r) {
        neuf.append({r, A});
        planB << LignePlan{r, B, 2, QStringLiteral("Article 2")};
    }
    for (int m = 2; m <= 5; ++m) {
        machine(m, 1, "COLONNE", 36, 4, neuf);
        for (int s = 1; s <= 36; ++s)
            emplacements(m, 1, (s + 8) / 9, 4 * ((s - 1) % 9) + 1, A);
    }
    for (int m : {2, 2, 3, 4, 5})
        postes.lancer([m, planB](Connexion& c) { EnregistrerConfigMachine(c, m, 1, 2, planB); });
    postes.lancer([](Connexion& c) { EtatMachineDeTest::machineQuiCharge(c, 2, 5); });
    erreurs = postes.attendre();
    ASSERT_TRUE(erreurs.isEmpty()) << erreurs.join(u'\n').toStdString();
    for (int m = 2; m <= 5; ++m) {
        EXPECT_EQ(config(m).filter(QStringLiteral("5002 2 Article 2")).size(), 9) << m;
        EXPECT_EQ(contenu(m).filter(QStringLiteral(" 5002")).size() * 100 +
                      contenu(m).filter(QStringLiteral(" -")).size(),
                  630)
            << m;
    }
}

DORVANE_SUR_CHAQUE_BASE(DispositionMachineTest);
