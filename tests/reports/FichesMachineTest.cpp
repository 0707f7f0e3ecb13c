#include "BaseDeTest.h"
#include "support/DossierProgrammeTemp.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/ReportBuilders.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

using ReportData::Snapshot;

namespace {

// A JPEG of that size, its top half red and its bottom half blue.
QByteArray jpeg(int largeur, int hauteur) {
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < hauteur / 2; ++y)
        for (int x = 0; x < largeur; ++x)
            image.setPixelColor(x, y, Qt::red);
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "JPG", 95);
    return octets;
}

bool rouge(const QColor& c) {
    return c.red() > 200 && c.blue() < 60;
}

class FichesMachine : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        ASSERT_TRUE(m_temporaire.isValid() && m_images.isValid());
        m_tmpdirAvant = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_temporaire.path().toUtf8());
        EtatGlobal& g = Global();
        g.CheminImage = m_images.path();
        g.ImagesEnBase = false;
        g.LongeurCodeArticle = 3;
    }
    void TearDown() override {
        qputenv("TMPDIR", m_tmpdirAvant);
        TestAvecBase::TearDown();
    }
    void article(qint64 reference, const QVariant& code, const QString& image) {
        cnx().executer(
            "INSERT INTO ArticleEnStock (Reference, Designation, RefFournisseur, CodeArticle, Image) "
            "VALUES (?, ?, ?, ?, ?)",
            {reference, QStringLiteral("Article %1").arg(reference), QStringLiteral("F-%1").arg(reference),
             code, image});
    }
    void ligne(const QVariant& etage, qint64 reference, const QVariant& code, int machine) {
        cnx().executer("INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, NbUnite, Aremplir, "
                       "NumMach) VALUES (?, ?, ?, 2, 3.5, ?)",
                       {etage, reference, code, machine});
    }
    Snapshot fiche(ReportData::Builder constructeur, Connexion* c = nullptr) {
        ReportData::Request r;
        r.fileName = "RemplissageMachine.RPT";
        r.source = "ARemplissageMachine order by Etage";
        r.title = "Fiche";
        r.builder = std::move(constructeur);
        return ReportData::read(c ? *c : cnx(), r);
    }
    QStringList rangs(const QString& sql) { return lignesTexte(cnx(), sql); }
    QString temporaire(const QString& nom) const { return QDir(m_temporaire.path()).filePath(nom); }
    QString images(const QString& nom) const { return QDir(m_images.path()).filePath(nom); }

    QTemporaryDir m_temporaire, m_images;
    QByteArray m_tmpdirAvant;
};

} // namespace

// The refill sheet of one machine: exactly its lines, codes of LongeurCodeArticle digits, the prepared
// pictures of the articles that have one (a portrait turned, a square not), made once, from files or from
// the database, a name that would leave the folder or bytes that are no picture making none.
TEST_P(FichesMachine, RefillSheetRowsCodesAndPreparedPictures) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(dossier.valide());
    cnx().executer("INSERT INTO Machines (NoMachine, Location) VALUES (4, 'Hall B')");
    const QList<std::tuple<int, QVariant, QString>> articles{
        {10, 7, "gant-nitrile"}, {11, 1234, "Casque été"}, {12, QVariant(), "carré"},
        {13, 5, "  "},           {14, 0, "a/../../x"},     {15, 8, "illisible"}};
    for (const auto& [reference, code, image] : articles)
        article(reference, code, image);
    ecrireFichierTest(images("gant-nitrile.jpg"), jpeg(480, 800));
    ecrireFichierTest(images("Casque été.jpg"), jpeg(640, 480));
    ecrireFichierTest(images("carré.jpg"), jpeg(100, 100));
    ecrireFichierTest(images("illisible.jpg"), "ceci n'est pas une image");
    ecrireFichierTest(images("x.jpg"), jpeg(100, 200));
    QDir(m_temporaire.path()).mkdir("RPTa");
    // The line's code unless Null or 0; an article gone leaves its line with Nulls.
    for (const auto& [etage, reference, code] : QList<std::tuple<int, int, QVariant>>{
             {1, 10, 0}, {2, 11, QVariant()}, {3, 12, 0}, {4, 99, 0}, {5, 13, 42}, {6, 14, 0}, {7, 15, 0}})
        ligne(etage, reference, code, 4);
    cnx().executer("INSERT INTO ARemplissageMachine (Etage, Designation) VALUES (9, 'ancienne')");

    Snapshot s = fiche(ReportBuilders::CreerEtatRemplissageMach(4, 1, "RemplissageMachine"));
    ASSERT_EQ(s.outcome, Snapshot::Outcome::Ready);
    EXPECT_EQ(s.tables[0].rowCount(), 7);
    EXPECT_EQ(rangs("SELECT Etage, ReferenceArticle, Designation, RefFournisseur, CodeArticle, NbUnite, "
                    "Aremplir, NoMachine, Location, Image, CASE WHEN Picture IS NULL THEN 0 ELSE 1 END FROM "
                    "ARemplissageMachine ORDER BY Etage"),
              (QStringList{"1|10|Article 10|F-10|007|2|3.5|4|Hall B|gant-nitrile|1",
                           "2|11|Article 11|F-11|1234|2|3.5|4|Hall B|Casque été|1",
                           "3|12|Article 12|F-12||2|3.5|4|Hall B|carré|1", "4|99||||2|3.5|4|Hall B||0",
                           "5|13|Article 13|F-13|042|2|3.5|4|Hall B|  |0",
                           "6|14|Article 14|F-14|000|2|3.5|4|Hall B|a/../../x|0",
                           "7|15|Article 15|F-15|008|2|3.5|4|Hall B|illisible|0"}));
    // Landscape 128 x 65: the portrait turned (its red top now on the left), the square as it was.
    const QImage gant(temporaire("RPTgant-nitrile.jpg"));
    ASSERT_EQ(gant.size(), QSize(128, 65));
    EXPECT_TRUE(rouge(gant.pixelColor(10, 32)) && !rouge(gant.pixelColor(118, 32)));
    const QImage carre(temporaire("RPTcarré.jpg"));
    ASSERT_EQ(carre.size(), QSize(128, 65));
    EXPECT_TRUE(rouge(carre.pixelColor(64, 5)) && !rouge(carre.pixelColor(64, 60)));
    // Neither a name leaving the folder nor bytes that are no picture make a file; both are logged.
    EXPECT_FALSE(QFileInfo::exists(QDir(m_temporaire.path()).filePath("../x.jpg")));
    EXPECT_EQ(QDir(m_temporaire.path()).entryList({"*x*", "*illisible*"}, QDir::Files), QStringList());
    const QStringList journal = dossier.lignesJournal();
    ASSERT_EQ(journal.size(), 2) << journal.join("\n").toStdString();
    EXPECT_TRUE(journal[0].startsWith("CreerImageRPT|N°: 75 ")) << journal[0].toStdString();
    EXPECT_TRUE(journal[1].startsWith("CreerImageRPT|N°: 481 ")) << journal[1].toStdString();

    // Kept as they are, whatever the source now holds, also under their name in other letters.
    const QDateTime ancienne = QDateTime::currentDateTime().addDays(-3);
    QFile ecrite(temporaire("RPTgant-nitrile.jpg"));
    ASSERT_TRUE(ecrite.open(QIODevice::ReadWrite) &&
                ecrite.setFileTime(ancienne, QFileDevice::FileModificationTime));
    ecrite.close();
    ecrireFichierTest(images("gant-nitrile.jpg"), jpeg(800, 480));
    QFile::rename(temporaire("RPTcarré.jpg"), temporaire("rptCARRÉ.JPG"));
    ASSERT_EQ(fiche(ReportBuilders::CreerEtatRemplissageMach(4, 1, "RemplissageMachine")).outcome,
              Snapshot::Outcome::Ready);
    EXPECT_EQ(QFileInfo(ecrite).lastModified().toSecsSinceEpoch(), ancienne.toSecsSinceEpoch());
    EXPECT_FALSE(QFileInfo::exists(temporaire("RPTcarré.jpg")));
    EXPECT_EQ(rangs("SELECT COUNT(*) FROM ARemplissageMachine WHERE Picture IS NOT NULL"), QStringList{"3"});

    // Pictures in the database: the row found by its name in other letters, literally ("_" and "%" are
    // letters, a quote is one); the picture folder is not read.
    Global().ImagesEnBase = true;
    cnx().executer("INSERT INTO ImageProduit (RefImage, Picture) VALUES ('GANT-NITRILE', ?), ('o''neil', ?), "
                   "('bleuXrouge', ?)",
                   {jpeg(300, 500), jpeg(400, 100), jpeg(400, 100)});
    article(16, 3, "bleu_rouge");
    article(17, 4, "O'Neil");
    article(18, 6, "%");
    QFile::remove(temporaire("RPTgant-nitrile.jpg"));
    ecrireFichierTest(images("bleu_rouge.jpg"), jpeg(100, 100));
    cnx().executer("DELETE FROM TRemplissageMachine");
    for (const int r : {10, 16, 17, 18})
        ligne(r, r, 0, 4);
    ASSERT_EQ(fiche(ReportBuilders::CreerEtatRemplissageMach(4, 1, "RemplissageMachine")).outcome,
              Snapshot::Outcome::Ready);
    EXPECT_EQ(rangs("SELECT Etage, CASE WHEN Picture IS NULL THEN 0 ELSE 1 END FROM ARemplissageMachine "
                    "ORDER BY Etage"),
              (QStringList{"10|1", "16|0", "17|1", "18|0"}));
    EXPECT_EQ(QImage(temporaire("RPTgant-nitrile.jpg")).size(), QSize(128, 65));
    EXPECT_TRUE(QFileInfo::exists(temporaire("RPTO'Neil.jpg")));
    // The second build tried the two refused pictures again; the third had none.
    EXPECT_EQ(dossier.lignesJournal().size(), 4);
}

// The global sheet takes every machine's lines whatever machine it names; the presentation sheet the
// planned floors of its machine; the sheet's computation runs first in the same transaction and may say
// there is nothing to print.
TEST_P(FichesMachine, GlobalPresentationAndTheSheetsComputation) {
    cnx().executer("INSERT INTO Machines (NoMachine, Location) VALUES (1, 'Un'), (3, 'Trois'), (6, 'Six'), "
                   "(8, 'Huit')");
    article(10, 7, "");
    article(11, 12, "");
    for (const int m : {1, 3, 6}) {
        ligne(QVariant(), 10, QVariant(), m);
        ligne(QVariant(), 11, QVariant(), m);
    }
    EXPECT_EQ(fiche(ReportBuilders::CreerEtatRemplissageMach(6, 3, "RemplissageMachine")).outcome,
              Snapshot::Outcome::Ready);
    EXPECT_EQ(
        rangs("SELECT NoMachine, Location, ReferenceArticle, CodeArticle FROM ARemplissageMachine ORDER BY "
              "ReferenceArticle, NoMachine"),
        (QStringList{"1|Un|10|007", "3|Trois|10|007", "6|Six|10|007", "1|Un|11|012", "3|Trois|11|012",
                     "6|Six|11|012"}));

    cnx().executer("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle) VALUES "
                   "(8, 4, 11, 0), (8, 1, 10, 21), (8, 2, NULL, NULL), (8, 3, 11, NULL), (6, 1, 10, 7)");
    const Snapshot p = fiche(ReportBuilders::CreerEtatRemplissageMach(8, 1, "PresentationArticle"));
    ASSERT_EQ(p.outcome, Snapshot::Outcome::Ready);
    EXPECT_EQ(p.tables[0].rowCount(), 3);
    EXPECT_EQ(rangs("SELECT Etage, ReferenceArticle, Designation, CodeArticle, NbUnite, Aremplir, NoMachine, "
                    "Location FROM ARemplissageMachine ORDER BY Etage"),
              (QStringList{"1|10|Article 10|021|||8|Huit", "3|11|Article 11|012|||8|Huit",
                           "4|11|Article 11|012|||8|Huit"}));
    // The presentation sheet leaves the work table alone.
    EXPECT_EQ(rangs("SELECT COUNT(*) FROM TRemplissageMachine"), QStringList{"6"});

    // The computation writes the lines the routine then reads; false: nothing to print, the sheet's table
    // left as it was.
    const auto calcul = [](Connexion& c) {
        c.executer("DELETE  FROM TRemplissageMachine");
        c.executer("INSERT INTO TRemplissageMachine (Etage, Reference, NumMach) VALUES (2, 11, 3)");
        return true;
    };
    EXPECT_EQ(fiche(ReportBuilders::CreerEtatRemplissageMach(3, 1, "RemplissageMachine", calcul)).outcome,
              Snapshot::Outcome::Ready);
    EXPECT_EQ(rangs("SELECT Etage, NoMachine FROM ARemplissageMachine"), QStringList{"2|3"});
    EXPECT_EQ(fiche(ReportBuilders::CreerEtatRemplissageMach(3, 1, "RemplissageMachine",
                                                             [](Connexion&) { return false; }))
                  .outcome,
              Snapshot::Outcome::NothingToPrint);
    EXPECT_EQ(rangs("SELECT Etage, NoMachine FROM ARemplissageMachine"), QStringList{"2|3"});
}

// A failing build leaves both tables as they were, is logged under its name and goes on to the viewer;
// a temporary folder that takes no file sends the pictures to the picture folder.
TEST_P(FichesMachine, FailuresRollBackAndTheFolderFallsBack) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(dossier.valide());
    article(10, 7, "gant");
    ecrireFichierTest(images("gant.jpg"), jpeg(64, 48));
    ligne(1, 10, 0, 2);
    cnx().executer("INSERT INTO ARemplissageMachine (Etage, Designation) VALUES (9, 'ancienne')");
    const auto calcul = [](Connexion& c) {
        return c.executer("DELETE  FROM TRemplissageMachine").isActive();
    };

    EXPECT_THROW(fiche(ReportBuilders::CreerEtatRemplissageMach(2, 1, "Inconnue", calcul)), ErreurExecution);
    // A column the table lacks is never dropped.
    Routines::enregistrer(QStringLiteral("FicheEssai"),
                          Routines::RoutineResultat([](Connexion& c, const QVariantList&, Recordset& r) {
                              r.Open(c, "SELECT Etage, Reference AS Colonne FROM TRemplissageMachine");
                          }));
    EXPECT_THROW(fiche(ReportBuilders::CreerEtatRemplissageMach(2, 1, "FicheEssai", calcul)),
                 ErreurExecution);
    // A routine without a result cannot fill a sheet.
    EXPECT_THROW(fiche(ReportBuilders::CreerEtatRemplissageMach(2, 1, "EtatCA")), ErreurExecution);
    EXPECT_EQ(rangs("SELECT Etage, Reference FROM TRemplissageMachine"), QStringList{"1|10"});
    EXPECT_EQ(rangs("SELECT Etage, Designation FROM ARemplissageMachine"), QStringList{"9|ancienne"});
    EXPECT_FALSE(cnx().enTransaction());
    QStringList journal = dossier.lignesJournal();
    ASSERT_EQ(journal.size(), 3);
    for (const QString& l : journal)
        EXPECT_TRUE(l.startsWith("CreerEtatRemplissageMach|N°: ")) << l.toStdString();
    EXPECT_TRUE(journal[1].contains("colonne colonne", Qt::CaseInsensitive)) << journal[1].toStdString();

    qputenv("TMPDIR", images("absent").toUtf8());
    EXPECT_EQ(fiche(ReportBuilders::CreerEtatRemplissageMach(2, 1, "RemplissageMachine")).outcome,
              Snapshot::Outcome::Ready);
    EXPECT_EQ(rangs("SELECT COUNT(*) FROM ARemplissageMachine WHERE Picture IS NOT NULL"), QStringList{"1"});
    EXPECT_EQ(QImage(images("RPTgant.jpg")).size(), QSize(128, 65));
    journal = dossier.lignesJournal();
    ASSERT_EQ(journal.size(), 4);
    EXPECT_EQ(journal[3], "CreerImageRPT|Impossible de trouver le chemin du répertoire temporaire !");
}

// Two workstations printing the sheets of machines 1 and 2 at once, each computing its lines first: each
// prints its own rows, though the tables are filled a while before they are read.
TEST_P(FichesMachine, SheetsOfTwoMachinesAtOnceEachPrintTheirOwnRows) {
    const ParametresConnexion parametres = base().parametres();
    std::atomic<int> ecarts{0}, lectures{0};
    const auto poste = [&](int machine) {
        try {
            Connexion c(parametres);
            for (int i = 0; i < 5; ++i) {
                const ReportData::Builder etape = ReportBuilders::CreerEtatRemplissageMach(
                    machine, 1, "RemplissageMachine", [machine](Connexion& cx) {
                        cx.executer("DELETE  FROM TRemplissageMachine");
                        for (int etage = 1; etage <= 10; ++etage)
                            cx.executer("INSERT INTO TRemplissageMachine (Etage, Reference, NumMach) VALUES "
                                        "(?, ?, ?)",
                                        {etage, etage + 10 * (machine - 1), machine});
                        return true;
                    });
                const Snapshot s = fiche(
                    [&](Connexion& cx, const std::function<void()>& lecture) {
                        return etape(cx, [&] {
                            QThread::msleep(30);
                            lecture();
                        });
                    },
                    &c);
                const ReportTable& t = s.tables.value(0);
                bool siens = t.rowCount() == 10;
                for (int l = 0; l < t.rowCount(); ++l)
                    siens = siens && Valeurs::lireEntier(t.value(l, t.columnIndex("NoMachine"))) == machine;
                if (!siens)
                    ++ecarts;
                ++lectures;
            }
        } catch (const ErreurExecution& e) {
            ADD_FAILURE() << e.description().toStdString();
        }
    };
    std::thread un(poste, 1);
    std::thread deux(poste, 2);
    un.join();
    deux.join();
    EXPECT_EQ(lectures, 10);
    EXPECT_EQ(ecarts, 0);
}

DORVANE_SUR_CHAQUE_BASE(FichesMachine);
