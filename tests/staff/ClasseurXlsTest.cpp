#include "staff/ClasseurXls.h"
#include "LecteurClasseurEnEssai.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

QByteArray empreinte(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void ecrire(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(octets);
}

} // namespace

// The workbooks come from the python3-xlwt script beside this file, written once for the suite.
class ClasseurXlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dossier = std::make_unique<QTemporaryDir>();
        QProcess p;
        p.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/staff/classeurs_xls.py"), s_dossier->path()});
        p.waitForFinished(60000);
        s_erreur = p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
    }
    static void TearDownTestSuite() { s_dossier.reset(); }
    void SetUp() override {
        ASSERT_TRUE(s_erreur.isEmpty()) << qPrintable(s_erreur);
        reinitialiserEtatGlobal();
    }
    void TearDown() override { reinitialiserEtatGlobal(); }

    static QString fichier(const char* nom) { return s_dossier->filePath(QString::fromUtf8(nom)); }
    static QString texte(const ClasseurXls& c, int ligne, int colonne) {
        return ClasseurXls::texte(c.cellule(ligne, colonne));
    }

    static inline std::unique_ptr<QTemporaryDir> s_dossier;
    static inline QString s_erreur;
};

TEST_F(ClasseurXlsTest, GenericSheetGivesHeadingsAndEveryCellAsStored) {
    const QString chemin = fichier("generique.xls");
    const QByteArray avant = empreinte(chemin);
    ClasseurXls c;
    ASSERT_TRUE(c.ouvrir(chemin)) << qPrintable(c.erreur());
    ASSERT_TRUE(c.feuille(QStringLiteral("feuil1"))) << qPrintable(c.erreur());
    // Four rows under the headings, the empty third one counted; the first sheet "Autre" is not read.
    EXPECT_EQ(c.nombreLignes(), 4);
    EXPECT_EQ(c.nombreColonnes(), 9);
    EXPECT_EQ(c.entetes().at(3), QStringLiteral("Prénom"));
    EXPECT_EQ(c.colonne(QStringLiteral("prénom")), 3);
    EXPECT_EQ(c.colonne(QStringLiteral(" PRÉNOM")), 3);
    EXPECT_EQ(c.colonne(QStringLiteral("Prenom")), -1);
    EXPECT_EQ(c.colonne(QStringLiteral("nom")), 2); // "Nom" before "NOM"

    Global().SeparateurDecimal = QStringLiteral(",");
    // Row 1: numbers stay numbers, texts texts, an empty cell is Null.
    EXPECT_EQ(c.cellule(0, 0).metaType().id(), QMetaType::Double);
    EXPECT_EQ(texte(c, 0, 0), QStringLiteral("12345"));
    EXPECT_EQ(c.cellule(0, 1), QVariant(QStringLiteral("A0123")));
    EXPECT_EQ(c.cellule(0, QStringLiteral("PRÉNOM")), QVariant(QStringLiteral("Jean")));
    EXPECT_EQ(c.cellule(0, QStringLiteral("profil")), QVariant(QStringLiteral("chef ")));
    EXPECT_TRUE(c.cellule(0, 5).isNull());
    EXPECT_EQ(texte(c, 0, 8), QStringLiteral("12,5"));
    Global().SeparateurDecimal = QStringLiteral(".");
    EXPECT_EQ(texte(c, 0, 8), QStringLiteral("12.5"));
    Global().SeparateurDecimal = QStringLiteral(",");
    for (int col = 0; col < c.nombreColonnes(); ++col)
        EXPECT_TRUE(c.cellule(1, col).isNull()) << col;
    // Row 3: dates, booleans, a large whole number, a text stored in the cell itself.
    EXPECT_EQ(texte(c, 2, 0), QStringLiteral("01/03/2024"));
    EXPECT_EQ(texte(c, 2, 1), QStringLiteral("01/03/2024 10:30:00"));
    EXPECT_EQ(texte(c, 2, 2), QStringLiteral("02/03/2024"));
    EXPECT_EQ(texte(c, 2, 3), QStringLiteral("1"));
    EXPECT_EQ(texte(c, 2, 4), QStringLiteral("0"));
    EXPECT_EQ(texte(c, 2, 6), QStringLiteral("1000000000000000"));
    EXPECT_EQ(texte(c, 2, 7), QStringLiteral("Écrit en ligne"));
    EXPECT_EQ(texte(c, 2, 8), QStringLiteral("-3,25"));
    // Row 4: a whole double, an inexact sum, a time alone, a blank cell that only holds a style.
    EXPECT_EQ(texte(c, 3, 0), QStringLiteral("12345"));
    EXPECT_EQ(texte(c, 3, 1), QStringLiteral("0,3"));
    EXPECT_EQ(texte(c, 3, 2), QStringLiteral("10:30:15"));
    EXPECT_TRUE(c.cellule(3, 3).isNull());
    EXPECT_EQ(c.cellule(3, QStringLiteral("valeur")), QVariant(QStringLiteral("dernière")));
    EXPECT_EQ(ClasseurXls::texte(QVariant()), QString());

    // Outside the sheet, or under a heading that is not there: the driver's errors.
    const auto numero = [&](auto&& lire) {
        try {
            lire();
        } catch (const ErreurExecution& e) {
            return e.numero();
        }
        return 0;
    };
    EXPECT_EQ(numero([&] { c.cellule(0, QStringLiteral("Prenom")); }), 3265);
    EXPECT_EQ(numero([&] { c.cellule(0, 9); }), 3265);
    EXPECT_EQ(numero([&] { c.cellule(4, 0); }), 3021);
    EXPECT_EQ(numero([&] { c.cellule(-1, 0); }), 3021);
    c.fermer();
    EXPECT_EQ(empreinte(chemin), avant);
}

TEST_F(ClasseurXlsTest, CustomerSheetsFoundByNameAndCellsByHeading) {
    ClasseurXls c;
    ASSERT_TRUE(c.ouvrir(fichier("clients.xls"))) << qPrintable(c.erreur());
    ASSERT_TRUE(c.feuille(QStringLiteral("rapport 1"))) << qPrintable(c.erreur());
    EXPECT_EQ(c.nombreLignes(), 1);
    EXPECT_EQ(texte(c, 0, c.colonne(QStringLiteral("matricule"))), QStringLiteral("4711"));
    EXPECT_EQ(c.cellule(0, QStringLiteral("Profil")), QVariant(QStringLiteral("ATE ouvrier")));

    ASSERT_TRUE(c.feuille(QStringLiteral("LISTE"))) << qPrintable(c.erreur());
    EXPECT_EQ(c.nombreLignes(), 2);
    EXPECT_EQ(texte(c, 0, c.colonne(QStringLiteral("HOPAFFBBADGE"))), QStringLiteral("123"));
    EXPECT_EQ(c.cellule(0, QStringLiteral("hopemplnompre")), QVariant(QStringLiteral("DE LA TOUR ANNE")));
    EXPECT_EQ(c.cellule(1, QStringLiteral("HOPEMPLNOMPRE")), QVariant(QStringLiteral("DUPONT JEAN")));
    EXPECT_TRUE(c.cellule(1, QStringLiteral("Service")).isNull());

    // A sheet the workbook does not hold fails before any row, and leaves no rows behind.
    for (const char* absente : {"Feuil1", "Rapport1", "liste "}) {
        EXPECT_FALSE(c.feuille(QString::fromUtf8(absente))) << absente;
        EXPECT_FALSE(c.erreur().isEmpty());
        EXPECT_EQ(c.nombreLignes(), 0);
        EXPECT_THROW(c.cellule(0, 0), ErreurExecution);
    }
}

TEST_F(ClasseurXlsTest, DamagedOrForeignFilesFailAtOpenAndLimitsAreRead) {
    QTemporaryDir d;
    const QString texteXls = d.filePath(QStringLiteral("texte.xls"));
    ecrire(texteXls, "Matricule;Badge;Nom\r\n1;A0123;DUPONT\r\n");
    const QString vide = d.filePath(QStringLiteral("vide.xls"));
    ecrire(vide, QByteArray());
    // An .xlsx is a zip archive.
    const QString xlsx = d.filePath(QStringLiteral("classeur.xls"));
    ecrire(xlsx, QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) + QByteArray(600, '\x01'));
    QStringList echecs = {texteXls, vide, xlsx, fichier("protege.xls"), d.filePath("absent.xls"), d.path()};
    QFile complet(fichier("generique.xls"));
    ASSERT_TRUE(complet.open(QIODevice::ReadOnly));
    const QByteArray octets = complet.readAll();
    for (int taille : {100, 512, 1024, 3000, static_cast<int>(octets.size()) - 512}) {
        const QString tronque = d.filePath(QStringLiteral("tronque%1.xls").arg(taille));
        ecrire(tronque, octets.left(taille));
        echecs << tronque;
    }
    for (const QString& f : echecs) {
        ClasseurXls c;
        EXPECT_FALSE(c.ouvrir(f)) << qPrintable(f);
        EXPECT_FALSE(c.erreur().isEmpty()) << qPrintable(f);
        EXPECT_FALSE(c.estOuvert());
        EXPECT_FALSE(c.feuille(QStringLiteral("Feuil1")));
        EXPECT_EQ(c.nombreLignes(), 0);
    }

    // 256 columns, the most a sheet holds.
    ClasseurXls c;
    ASSERT_TRUE(c.ouvrir(fichier("grand.xls"))) << qPrintable(c.erreur());
    ASSERT_TRUE(c.feuille(QStringLiteral("Feuil1")));
    EXPECT_EQ(c.nombreColonnes(), 256);
    EXPECT_EQ(c.colonne(QStringLiteral("c255")), 255);
    EXPECT_EQ(texte(c, 0, 255), QStringLiteral("255"));
    EXPECT_EQ(c.cellule(1, QStringLiteral("C0")), QVariant(QStringLiteral("fin")));

    // A cell of 32,767 characters: its text whole, or a clear failure, never cells read wrongly.
    ClasseurXls l;
    if (l.ouvrir(fichier("long.xls")) && l.feuille(QStringLiteral("Feuil1"))) {
        EXPECT_EQ(l.cellule(0, 0), QVariant(QString(32767, u'x')));
        EXPECT_EQ(l.cellule(1, 0), QVariant(QStringLiteral("fin")));
    } else {
        EXPECT_FALSE(l.erreur().isEmpty());
        EXPECT_EQ(l.nombreLignes(), 0);
    }
}

TEST_F(ClasseurXlsTest, LargeSheetReadWholeWithItsRepeatedTexts) {
    // 3,000 rows: an answer of many blocks, read while it comes, and more distinct texts than the reader
    // keeps numbers for; the repeated ones (first names, profiles, services) come back right every time.
    QTemporaryDir d;
    const QString chemin = d.filePath(QStringLiteral("grande.xls"));
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/staff/classeurs_xls.py"),
             QStringLiteral("--bench"), chemin, QStringLiteral("3000")});
    ASSERT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0) << p.readAllStandardError().constData();
    ClasseurXls c;
    for (int fois = 0; fois < 2; ++fois) {
        ASSERT_TRUE(c.ouvrir(chemin)) << qPrintable(c.erreur());
        ASSERT_TRUE(c.feuille(QStringLiteral("FEUIL1"))) << qPrintable(c.erreur());
        ASSERT_EQ(c.nombreLignes(), 3000);
        ASSERT_EQ(c.nombreColonnes(), 7);
        EXPECT_EQ(c.entetes().at(3), QStringLiteral("Prénom"));
        int fautes = 0;
        for (int l = 0; l < 3000 && fautes < 5; ++l) {
            const int i = l + 1;
            const QVariantList attendu = {double(100000 + i),
                                          QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0')),
                                          QStringLiteral("NOM%1").arg(i),
                                          QStringLiteral("Prénom %1").arg(i % 500),
                                          QStringLiteral("Profil %1").arg(i % 20),
                                          i * 0.5,
                                          QStringLiteral("Service %1").arg(i % 50)};
            for (int col = 0; col < 7; ++col) {
                if (c.cellule(l, col) != attendu.at(col)) {
                    ++fautes;
                    ADD_FAILURE() << "row " << l << " column " << col << ": "
                                  << qPrintable(ClasseurXls::texte(c.cellule(l, col)));
                }
            }
        }
    }
}

TEST_F(ClasseurXlsTest, AReaderThatCrashesExceedsALimitOrAnswersShortIsARefusal) {
    const QString chemin = fichier("generique.xls");
    const auto refuse = [&](const QByteArray& essai) {
        ClasseurXls c;
        const bool ouvert = c.ouvrir(chemin);
        EXPECT_FALSE(ouvert) << essai.constData();
        EXPECT_TRUE(c.erreur().startsWith(QDir::toNativeSeparators(chemin))) << qPrintable(c.erreur());
        EXPECT_FALSE(c.estOuvert());
        EXPECT_FALSE(c.feuille(QStringLiteral("Feuil1")));
        EXPECT_EQ(c.nombreLignes(), 0);
        EXPECT_THROW(c.cellule(0, 0), ErreurExecution);
        return !ouvert;
    };
    // A crash and the memory limit end the reader at once; a reader that waits for ever is killed when its
    // time is up.
    for (const char* essai : {"abandon", "memoire", "blocage"}) {
        LecteurClasseurEnEssai e(essai, 1500);
        QElapsedTimer t;
        t.start();
        refuse(essai);
        if (std::strcmp(essai, "blocage") == 0)
            EXPECT_GE(t.elapsed(), 1500);
        else
            EXPECT_LT(t.elapsed(), 1500) << essai;
    }
    // The same workbook reads whole afterwards: nothing of a refusal stays behind.
    ClasseurXls c;
    ASSERT_TRUE(c.ouvrir(chemin)) << qPrintable(c.erreur());
    ASSERT_TRUE(c.feuille(QStringLiteral("Feuil1")));
    EXPECT_EQ(c.cellule(3, QStringLiteral("valeur")), QVariant(QStringLiteral("dernière")));

    // An answer cut anywhere, in whatever field, with the reader ending as if all was well: refused,
    // until the cut falls past its end.
    int coupure = 0;
    for (;; ++coupure) {
        LecteurClasseurEnEssai e("tronque:" + QByteArray::number(coupure));
        ClasseurXls x;
        if (x.ouvrir(chemin))
            break;
        ASSERT_LT(coupure, 20000);
        ASSERT_FALSE(x.erreur().isEmpty());
    }
    EXPECT_GT(coupure, 200);
}

TEST_F(ClasseurXlsTest, DamagedWorkbooksAreReadOrRefusedNeverFatal) {
    // The test workbooks with a few bytes changed, the same ones at every run; freexl crashes on some of
    // them (at the 56th and the 81st).
    QList<QByteArray> modeles;
    for (const char* nom : {"generique.xls", "clients.xls", "grand.xls"}) {
        QFile f(fichier(nom));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        modeles << f.readAll();
    }
    LecteurClasseurEnEssai delai({}, 5000);
    QTemporaryDir d;
    std::mt19937 aleas(85);
    int lus = 0, refuses = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 200; ++i) {
        QByteArray octets = modeles.at(static_cast<int>(aleas() % 3));
        for (unsigned n = 1 + aleas() % 8; n > 0; --n) {
            const auto p = static_cast<qsizetype>(aleas() % static_cast<unsigned>(octets.size()));
            octets[p] = aleas() % 2 ? static_cast<char>(aleas())
                                    : static_cast<char>(octets[p] ^ (1u << (aleas() % 8)));
        }
        const QString chemin = d.filePath(QStringLiteral("abime%1.xls").arg(i));
        ecrire(chemin, octets);
        ClasseurXls c;
        if (!c.ouvrir(chemin)) {
            ++refuses;
            EXPECT_FALSE(c.erreur().isEmpty()) << i;
            EXPECT_FALSE(c.estOuvert()) << i;
            continue;
        }
        ++lus;
        // A workbook read gives its cells, or the documented failure of a cell it cannot read.
        for (const char* nom : {"Feuil1", "Autre", "Rapport 1", "liste"}) {
            try {
                if (!c.feuille(QString::fromUtf8(nom)))
                    continue;
                if (c.nombreLignes() > 0) {
                    EXPECT_EQ(c.entetes().size(), c.nombreColonnes()) << i;
                }
                for (int l = 0; l < std::min(c.nombreLignes(), 1000); ++l)
                    for (int col = 0; col < c.nombreColonnes(); ++col)
                        ClasseurXls::texte(c.cellule(l, col));
            } catch (const ErreurExecution&) {
            }
        }
    }
    EXPECT_GT(lus, 50);
    EXPECT_GT(refuses, 20);
    EXPECT_LT(t.elapsed(), 60000);
}
