#include "machines/forms/FrmConfigMachineCasier.h"

#include "common/Conversions.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "machines/GrilleCasiers.h"
#include "reports/forms/FenCrystalRep.h"
#include "stock/forms/FrmStock.h"
#include "support/FormeSurBase.h"
#include "support/ServeurSmtpDeTest.h"
#include "support/ServiceSessionScripte.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Conversions::twipsEnPixels;

class FrmConfigMachineCasierTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier(QStringLiteral("RPT SQL")));
        // Complete cards, which the article form lets the picker leave; articles 5001 to 5004, the last
        // without supplier reference.
        referentielCartes(*base);
        for (int i = 1; i <= 4; ++i)
            carteComplete(*base, 5000 + i, i, QStringLiteral("Gants nitrile taille %1").arg(6 + i),
                          i == 4 ? QVariant(QMetaType::fromType<QString>())
                                 : QVariant(QStringLiteral("RF%1").arg(i)));
        // Model 2 with 3 doors: locker 20 planned 5001 and loaded with 4 units, locker 22 loaded with one
        // more, locker 23 planned 5003 and empty, locker 25 planned and loaded with 5002.
        machine(21, 2, 3, 54, QStringLiteral("Hall B"), {{20, 5001}, {22, 5001}, {23, 5003}, {25, 5002}},
                {{20, 4}, {22, 1}, {25, 2}});
        machine(22, 8, 4, 144, QStringLiteral("Quai 8"), {}, {});
        machine(23, 10, 2, 124, QStringLiteral("Vestiaire"), {{124, 5002}}, {});
        machine(24, 7, 2, 72, QStringLiteral("Annexe"), {{40, 5002}}, {{40, 1}});
        machine(25, 1, 15, 135, QStringLiteral("Trop large"), {}, {});
    }
    void TearDown() override {
        DetruireInstance<FrmConfigMachineCasier>();
        DetruireInstance<FrmStock>();
        DetruireInstance<FenCrystalRep>();
        FormeSurBaseTest::TearDown();
    }
    // A locker machine of n lockers with its slots (NoEmpl k, its cell by the model's G); `plan` gives
    // lockers their article, `charges` lockers' slots the planned article and their units.
    void machine(int no, int type, int portes, int n, const QString& lieu, const QMap<int, int>& plan,
                 const QMap<int, int>& charges) {
        base->executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, "
                           "NbPorte) VALUES (?, ?, 'CASIER', ?, ?, ?)"),
            {no, type, lieu, n, portes});
        const int G = type == 1 ? 9 : type == 2 ? 18 : type == 10 ? 62 : 36;
        const QVariant nul(QMetaType::fromType<qint64>());
        for (int k = 1; k <= n; ++k) {
            const int a = plan.value(k);
            base->executer(QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, "
                                          "CodeArticle, Designation) VALUES (?, ?, ?, ?, 'ancienne')"),
                           {no, k, a ? QVariant(a) : nul, a ? QVariant(a - 5000) : nul});
            const auto [x, y] = GrilleCasiers::Cellule(k, G);
            const int q = charges.value(k);
            base->executer(
                QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, "
                               "Reference, Qte) VALUES (?, ?, ?, ?, ?, ?)"),
                {no, k, y, x, q ? QVariant(a ? a : 5001) : nul, q ? QVariant(q) : nul});
        }
    }
    FrmConfigMachineCasier& ouvrir(int no) {
        FrmConfigMachineCasier& f = Instance<FrmConfigMachineCasier>();
        if (!f.isVisible()) {
            f.Show();
            f.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        }
        if (f.dispositionAffichee())
            f.cmdClose->click();
        EXPECT_TRUE(f.allerALaMachine(no));
        f.DataGrid1_DblClick();
        return f;
    }
    static QTableWidgetItem* item(FrmConfigMachineCasier& f, int r, int c) {
        return f.MSFlexGrid1->item(r, c);
    }
    static QString texte(FrmConfigMachineCasier& f, int r, int c) {
        const QTableWidgetItem* i = item(f, r, c);
        return i ? i->text() : QString();
    }
    static quint32 fond(FrmConfigMachineCasier& f, int r, int c) {
        return Conversions::couleurEnVB(item(f, r, c)->background().color());
    }
    static quint32 encre(FrmConfigMachineCasier& f, int r, int c) {
        return Conversions::couleurEnVB(item(f, r, c)->foreground().color());
    }
    static QPoint centre(FrmConfigMachineCasier& f, int r, int c) {
        f.MSFlexGrid1->scrollTo(f.MSFlexGrid1->model()->index(r, c));
        return f.MSFlexGrid1->visualRect(f.MSFlexGrid1->model()->index(r, c)).center();
    }
    // The user drags from (r, c) to (r2, c2) and releases.
    static void glisser(FrmConfigMachineCasier& f, int r, int c, int r2, int c2) {
        QWidget* v = f.MSFlexGrid1->viewport();
        QTest::mousePress(v, Qt::LeftButton, {}, centre(f, r, c));
        QTest::mouseMove(v, centre(f, (r + r2) / 2, (c + c2) / 2));
        QTest::mouseMove(v, centre(f, r2, c2));
        QTest::mouseRelease(v, Qt::LeftButton, {}, centre(f, r2, c2));
    }
    // The picker the next selection opens: that reference, "Séléction vide" (0) or "Fermer" (-1).
    void choisir(qint64 reference, bool avecVide = true) {
        session.surModal([reference, avecVide](QObject* o) {
            FrmStock& stock = Instance<FrmStock>();
            ASSERT_EQ(o, &stock);
            EXPECT_EQ(stock.CmdSelectionerVide->isHidden(), !avecVide);
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
    }
    QStringList config(int no, int de, int a) {
        QSqlQuery q =
            base->executer(QStringLiteral("SELECT Etage, ReferenceArticle, CodeArticle, Designation FROM "
                                          "ConfigMachines WHERE NoMachine = ? AND Etage BETWEEN ? AND ? "
                                          "ORDER BY Etage"),
                           {no, de, a});
        QStringList l;
        while (q.next())
            l << QStringLiteral("%1 %2 %3 %4")
                     .arg(q.value(0).toString(), q.value(1).isNull() ? "-" : q.value(1).toString(),
                          q.value(2).isNull() ? "-" : q.value(2).toString(), q.value(3).toString());
        return l;
    }
    QString slot(int no, int k) {
        const QVariant v = base->valeurUnique(
            QStringLiteral("SELECT Reference FROM EmplacementsMachine1 WHERE NoMachine = ? AND NoEmpl = ?"),
            {no, k});
        return v.isNull() ? QStringLiteral("-") : v.toString();
    }

    // Every sheet the next clicks show, as "title: rows" (the viewer's first table: Etage, reference,
    // NbUnite, Aremplir, NbArticle, "-" for Null), the viewer closed each time; `pendant` runs while one
    // is shown.
    void fiches(QStringList& vues, const std::function<void()>& pendant = {}) {
        session.surModal([&vues, pendant](QObject* o) {
            FenCrystalRep& v = Instance<FenCrystalRep>();
            ASSERT_EQ(o, &v);
            const ReportTable& t = v.tables().at(0);
            QStringList lignes;
            for (int r = 0; r < t.rowCount(); ++r) {
                QStringList l;
                for (const char* c : {"Etage", "ReferenceArticle", "NbUnite", "Aremplir", "NbArticle"}) {
                    const QVariant x = t.value(r, t.columnIndex(QLatin1String(c)));
                    l << (x.isNull() ? QStringLiteral("-") : x.toString());
                }
                lignes << l.join(u' ');
            }
            vues << v.titre() + QStringLiteral(": ") + lignes.join(QStringLiteral(", "));
            if (pendant)
                pendant();
            v.close();
        });
    }

    ServiceSessionScripte session;
};

} // namespace

TEST_F(FrmConfigMachineCasierTest, GrilleSelonLeModeleLesOptionsEtUnCasierHorsGrille) {
    // Model 2, 3 doors: 19 rows, 4 columns, locker 20 in cell (2, 2), red with white text.
    FrmConfigMachineCasier& f = ouvrir(21);
    ASSERT_TRUE(f.dispositionAffichee() && f.MSFlexGrid1->isVisible());
    ASSERT_EQ(f.MSFlexGrid1->rowCount() * 100 + f.MSFlexGrid1->columnCount(), 1904);
    EXPECT_EQ(QStringList({texte(f, 0, 1), texte(f, 0, 3), texte(f, 2, 0), texte(f, 18, 0), texte(f, 2, 2)}),
              QStringList({"Etage 1", "Etage 3", "Colonne 2", "Colonne 18", "RF1"}));
    EXPECT_EQ(QList<quint32>({fond(f, 2, 2), encre(f, 2, 2), fond(f, 4, 3)}),
              QList<quint32>({0x2532ED, 0xFFFFFF, 0x2532ED}));
    EXPECT_EQ(item(f, 3, 2)->background().style(), Qt::NoBrush);
    EXPECT_FALSE(item(f, 0, 1)->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(item(f, 5, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(f.MSFlexGrid1->columnWidth(0) * 100 + f.MSFlexGrid1->columnWidth(2),
              twipsEnPixels(900) * 100 + twipsEnPixels(1000));
    EXPECT_EQ(item(f, 2, 2)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine Hall B"));
    EXPECT_EQ(f.Label3->width(), twipsEnPixels(3960));
    EXPECT_EQ(f.Grille.Facteur, 2);
    // The options redraw with the article's reference or code; locker 21 has no article.
    QTest::mouseClick(f.OptionReference, Qt::LeftButton);
    EXPECT_EQ(texte(f, 2, 2) + u'|' + texte(f, 3, 2), QStringLiteral("5001|"));
    QTest::mouseClick(f.OptionCodeArticle, Qt::LeftButton);
    EXPECT_EQ(texte(f, 2, 2) + u'|' + texte(f, 5, 2), QStringLiteral("1|3"));
    f.OptionRefFour->click();

    // Model 8, 4 doors: column 4 light blue with black text on rows 1 to 36.
    ouvrir(22);
    for (int r : {1, 2, 36})
        EXPECT_EQ(fond(f, r, 4) * 10 + (encre(f, r, 4) == 0), 0xFEDDC9u * 10 + 1) << r;
    EXPECT_EQ(fond(f, 2, 3), 0x2532EDu);
    // Model 10, 2 doors: 63 rows, locker 124 in cell (62, 2), a vertical scroll bar.
    ouvrir(23);
    EXPECT_EQ(f.MSFlexGrid1->rowCount(), 63);
    EXPECT_EQ(texte(f, 62, 2), QStringLiteral("RF2"));
    EXPECT_EQ(f.MSFlexGrid1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // Model 7 after it: 63 rows kept, 36 lockers to a column; locker 40 in cell (4, 2).
    ouvrir(24);
    EXPECT_EQ(f.MSFlexGrid1->rowCount() * 100 + f.Grille.parColonne, 6336);
    EXPECT_EQ(texte(f, 4, 2), QStringLiteral("RF2"));

    // 15 doors, a locker in column 15: the list again, one log row, nothing to save.
    f.ModeConfig = true;
    f.CmdModeConfig->click();
    ouvrir(25);
    EXPECT_FALSE(f.dispositionAffichee());
    EXPECT_TRUE(f.DataGrid1->isVisible());
    EXPECT_FALSE(f.MSFlexGrid1->isVisible() || f.CmdEnregiConfig->isVisible() ||
                 f.CmdModeConfig->isVisible());
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal.first().startsWith(QStringLiteral("LireConfigMachineColonne|N°: 9 ")));
}

TEST_F(FrmConfigMachineCasierTest, ClicHorsConfigurationMontreDesignationEtStock) {
    Global().OptionQuantiteMultiple = true;
    FrmConfigMachineCasier& f = ouvrir(21);
    QTest::mouseClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, centre(f, 2, 2));
    EXPECT_EQ(f.Label4->text() + u'|' + f.Label5->text(), QStringLiteral("Gants nitrile taille 7|5"));
    Global().OptionQuantiteMultiple = false;
    QTest::mouseClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, centre(f, 2, 2));
    EXPECT_EQ(f.Label5->text(), QStringLiteral("2"));
    // The keyboard: locker 23, planned with an article no slot holds.
    QTest::keyClick(f.MSFlexGrid1, Qt::Key_Down);
    QTest::keyClick(f.MSFlexGrid1, Qt::Key_Down);
    QTest::keyClick(f.MSFlexGrid1, Qt::Key_Down);
    EXPECT_EQ(f.Label4->text() + u'|' + f.Label5->text(), QStringLiteral("Gants nitrile taille 9|0"));
    // Outside configuration mode no picker opens, a double click does nothing.
    QTest::mouseDClick(f.MSFlexGrid1->viewport(), Qt::LeftButton, {}, centre(f, 3, 3));
    EXPECT_EQ(session.formsModales().size(), 0);
}

TEST_F(FrmConfigMachineCasierTest, PlagesAffecteesPuisEnregistreesParNumeroDeCasier) {
    FrmConfigMachineCasier& f = ouvrir(21);
    f.CmdModeConfig->click();
    ASSERT_TRUE(f.ModeConfig && f.CmdEnregiConfig->isVisible());
    // A drag from (2, 1) to (4, 2) and 5002: six cells.
    choisir(5002);
    glisser(f, 2, 1, 4, 2);
    ASSERT_EQ(session.formsModales().size(), 1);
    for (int r = 2; r <= 4; ++r)
        for (int c = 1; c <= 2; ++c)
            EXPECT_EQ(texte(f, r, c), QStringLiteral("RF2")) << r << c;
    EXPECT_EQ(texte(f, 5, 2) + u'|' + texte(f, 2, 3), QStringLiteral("RF3|"));
    EXPECT_EQ(f.Label4->text() + u'|' + f.Label5->text(), QStringLiteral("Gants nitrile taille 8|1"));
    // Upwards: the picker opens, nothing changes; "Fermer" changes nothing either.
    choisir(5003);
    glisser(f, 4, 2, 2, 1);
    choisir(-1);
    glisser(f, 2, 1, 3, 1);
    EXPECT_EQ(session.formsModales().size(), 3);
    EXPECT_EQ(texte(f, 4, 2) + texte(f, 2, 1), QStringLiteral("RF2RF2"));
    // An option redraws: the assignments are dropped.
    QTest::mouseClick(f.OptionReference, Qt::LeftButton);
    EXPECT_EQ(texte(f, 2, 1), QString());
    QWidget* v = f.MSFlexGrid1->viewport();
    choisir(5002);
    glisser(f, 2, 1, 4, 2);
    // "Séléction vide" on locker 25 (cell (7, 2)); "Fermer" on locker 23 (cell (5, 2)), then a double
    // click there gives it the article without supplier reference, from a picker without empty choice.
    choisir(0);
    QTest::mouseClick(v, Qt::LeftButton, {}, centre(f, 7, 2));
    EXPECT_EQ(texte(f, 7, 2), QString());
    choisir(-1);
    QTest::mouseClick(v, Qt::LeftButton, {}, centre(f, 5, 2));
    EXPECT_EQ(texte(f, 5, 2), QStringLiteral("5003"));
    choisir(5004, false);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, centre(f, 5, 2), v->mapToGlobal(centre(f, 5, 2)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(v, &dbl);
    EXPECT_EQ(session.formsModales().size(), 7);
    EXPECT_EQ(texte(f, 5, 2), QString());
    EXPECT_EQ(f.Label4->text(), QStringLiteral("Gants nitrile taille 10"));

    // A failed save says so and keeps the grid as assigned; saved again, the six lockers, locker 23 and
    // locker 25 are written, the slots holding another article emptied.
    base->executer(QStringLiteral("ALTER TABLE EmplacementsMachine1 RENAME TO EmplacementsX"));
    dialogues.attendreMessageContenant(QStringLiteral("EmplacementsMachine1"));
    f.CmdEnregiConfig->click();
    EXPECT_TRUE(f.CmdEnregiConfig->isVisible());
    EXPECT_EQ(texte(f, 4, 2), QStringLiteral("RF2"));
    EXPECT_TRUE(dossier->lignesJournal().last().startsWith(QStringLiteral("CmdEnregiConfig_Click|")));
    base->executer(QStringLiteral("ALTER TABLE EmplacementsX RENAME TO EmplacementsMachine1"));
    EXPECT_EQ(config(21, 20, 25).first(), QStringLiteral("20 5001 1 ancienne"));
    f.CmdEnregiConfig->click();
    EXPECT_FALSE(f.CmdEnregiConfig->isVisible());
    const QString b = QStringLiteral(" 5002 2 Gants nitrile taille 8");
    EXPECT_EQ(config(21, 1, 5), (QStringList{"1 - - ancienne", "2" + b, "3" + b, "4" + b, "5 - - ancienne"}));
    EXPECT_EQ(config(21, 20, 25),
              (QStringList{"20" + b, "21" + b, "22" + b, "23 5004 4 Gants nitrile taille 10",
                           "24 - - ancienne", "25 - - ancienne"}));
    EXPECT_EQ(QStringList({slot(21, 20), slot(21, 22), slot(21, 25)}), QStringList({"-", "-", "-"}));
    EXPECT_EQ(texte(f, 2, 2), QStringLiteral("5002")); // redrawn

    // Model 7 drawn after model 10 is saved as drawn, 36 lockers to a column: locker 40 is cell (4, 2).
    ouvrir(23);
    ouvrir(24);
    f.CmdModeConfig->click();
    choisir(5001);
    QTest::mouseClick(v, Qt::LeftButton, {}, centre(f, 4, 2));
    f.CmdEnregiConfig->click();
    EXPECT_EQ(config(24, 40, 40), QStringList{"40 5001 1 Gants nitrile taille 7"});
    EXPECT_EQ(config(24, 4, 4), QStringList{"4 - - ancienne"});
    EXPECT_EQ(slot(24, 40), QStringLiteral("-"));
}

TEST_F(FrmConfigMachineCasierTest, ImpressionDeLaGrille) {
    FrmConfigMachineCasier& f = ouvrir(23);
    // Cancelled: nothing printed.
    dialogues.attendreImprimante({0, {}});
    f.Command5->click();
    const QString pdf = dossier->fichier(QStringLiteral("casiers.pdf"));
    EXPECT_FALSE(QFile::exists(pdf));
    ResultatImprimante r;
    r.Code = 1;
    r.Choix.Fichier = pdf;
    dialogues.attendreImprimante(r);
    f.Command5->click();
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_TRUE(
        QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("Contenu machine Vestiaire")));
    // The whole grid's picture: every row of the model 10 at full size.
    const QImage image = f.ImageGrille();
    int hauteur = 0;
    for (int r2 = 0; r2 < f.MSFlexGrid1->rowCount(); ++r2)
        hauteur += f.MSFlexGrid1->rowHeight(r2);
    EXPECT_EQ(image.height(), hauteur + 1);
    EXPECT_GT(hauteur, f.MSFlexGrid1->viewport()->height());
    EXPECT_EQ(image.pixelColor(centre(f, 2, 1).x(), f.MSFlexGrid1->rowHeight(0) * 2 + 3).rgb() & 0xFFFFFF,
              0xED3225u);
}

// The four sheets of machine 21 in Dutch, modal over the window, each with its own lines; the grid is
// drawn again after each (a plan changed meanwhile shows).
TEST_F(FrmConfigMachineCasierTest, FichesDeReapprovisionnementPresentationEtTotal) {
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    FrmConfigMachineCasier& f = ouvrir(21);
    QStringList vues;
    fiches(vues, [this] {
        base->executer(QStringLiteral("UPDATE ConfigMachines SET ReferenceArticle = 5002, CodeArticle = 2 "
                                      "WHERE NoMachine = 21 AND Etage = 23"));
    });
    f.CmdRmplir->click();
    EXPECT_EQ(texte(f, 5, 2), QStringLiteral("RF2"));
    base->executer(QStringLiteral("UPDATE ConfigMachines SET ReferenceArticle = 5003, CodeArticle = 3 WHERE "
                                  "NoMachine = 21 AND Etage = 23"));
    fiches(vues);
    f.Command4->click();
    f.Command1->click();
    Global().OptionQuantiteMultiple = true;
    f.CmdRmplir->click();
    f.Command3->click();
    EXPECT_TRUE(f.Command3->isHidden());
    ASSERT_EQ(vues.size(), 5);
    const QString global = vues.takeLast();
    EXPECT_EQ(
        vues,
        QStringList(
            {"Bevoorradingsblad: 2 5001 2 -1 -, 4 5001 2 -1 -, 5 5003 0 1 -, 7 5002 1 0 -",
             "Totaal aan te vullen artikelen: - 5001 2 0 -, - 5002 1 0 -, - 5003 0 1 -",
             "Presentatieblad van de artikelen: 20 5001 - - -, 22 5001 - - -, 23 5003 - - -, 25 5002 - - -",
             "Bevoorradingsblad: 2 5001 - - 5, 4 5001 - - 5, 5 5003 - - 0, 7 5002 - - 2"}))
        << vues.join(u'\n').toStdString();
    // The hidden global sheet: every plan row of the five machines listed, locker 20 of machine 21 with
    // its one slot loaded out of 3 doors.
    EXPECT_EQ(global.count(u','), 54 + 144 + 124 + 72 + 135 - 1);
    EXPECT_TRUE(global.startsWith(QStringLiteral("Fiche global de réapprovisionnement: ")) &&
                global.contains(QStringLiteral(", 20 5001 1 2 -,")));
    EXPECT_TRUE(f.dispositionAffichee());
}

// One label per article of a grid row, in a row's order; a grid without article opens nothing.
TEST_F(FrmConfigMachineCasierTest, PlancheDEtiquettes) {
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    FrmConfigMachineCasier& f = ouvrir(21);
    QStringList vues;
    fiches(vues);
    f.Command2->click();
    EXPECT_EQ(vues,
              QStringList({"Etiquette - Avery L7161 - 63,5 x 46,6 mm: 2 5001 2 - -, 4 5001 2 - -, 5 5003 2 - "
                           "-, 7 5002 2 - -"}));
    ouvrir(22);
    session.surModal([](QObject*) { ADD_FAILURE() << "sheet shown"; });
    f.Command2->click();
}

// The grid as displayed in "ConfigMachine21.csv", opened, or when nothing opens it a message naming it;
// a folder in its way: the error. In the GSM
// installation it is mailed, then "Opération terminée !"; a refused mail shows the refusal instead.
TEST_F(FrmConfigMachineCasierTest, ExportDeLaGrilleOuvertOuEnvoye) {
    FrmConfigMachineCasier& f = ouvrir(21);
    const QString chemin = dossier->fichier(QStringLiteral("ConfigMachine21.csv"));
    session.attendreOuvrirDocument(QString());
    f.Command6->click();
    ASSERT_EQ(session.documentsOuverts().size(), 1);
    EXPECT_EQ(QFileInfo(session.documentsOuverts().first()).canonicalFilePath(),
              QFileInfo(chemin).canonicalFilePath());
    QFile fichier(chemin);
    ASSERT_TRUE(fichier.open(QIODevice::ReadOnly));
    const QList<QByteArray> lignes = fichier.readAll().split('\n');
    fichier.close();
    ASSERT_EQ(lignes.size(), 20);
    EXPECT_EQ(lignes[0], QByteArray(";Etage 1;Etage 2;Etage 3\r"));
    EXPECT_EQ(lignes[2], QByteArray("Colonne 2;;RF1;\r"));
    // Nothing opens it: a message names the file.
    session.attendreOuvrirDocument(QString(), false);
    dialogues.attendreMessageContenant(u'\n' + QFileInfo(chemin).absoluteFilePath());
    f.Command6->click();

    ASSERT_TRUE(QFile::remove(chemin) && QDir().mkpath(chemin));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::PathFileAccess) + u' ');
    f.Command6->click();
    ASSERT_TRUE(QDir().rmdir(chemin));

    ServeurSmtpDeTest serveur;
    ServeurSmtpDeTest refus({QStringLiteral("--refuser"), QStringLiteral("554")});
    for (const auto& [cle, valeur] : {std::pair{"SMTP", "127.0.0.1"}, {"MailFrom", "lise@exemple.fr"}})
        dossier->ecrireIni("Email", cle, valeur);
    dossier->ecrireIni("Email", "Port", QString::number(serveur.port()));
    Global().OptionVersionGSM = true;
    Global().AdresseEmail = QStringLiteral("paul@exemple.fr");
    dialogues.attendreMessage(QStringLiteral("Opération terminée !"));
    f.Command6->click();
    ASSERT_EQ(serveur.nombre(), 1);
    EXPECT_TRUE(serveur.message(1).contains("Subject: Configuration distributeur automatique d'E.P.I. : "));
    dossier->ecrireIni("Email", "Port", QString::number(refus.port()));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::EnvoiEmailEchec) + u' ');
    f.Command6->click();
    EXPECT_EQ(session.documentsOuverts().size(), 2);
}
