#include "imaging/Scanner.h"
#include "common/ErreurExecution.h"
#include "support/ScannerDeTest.h"

#include <QElapsedTimer>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using Scanner::Issue;
using Scanner::Option;

namespace {

Scanner::Resultat scanner(const QList<Option>& options, const QString& appareil = QStringLiteral("test:0")) {
    std::atomic_bool annuler{false};
    return Scanner::acquerir(appareil, options, annuler);
}

QList<Option> avec(QList<Option> o, const QList<Option>& plus) {
    return o + plus;
}

} // namespace

TEST(Scanner, DevicesAndAColourScanOfTheAskedSize) {
    ScannerDeTest sane;
    ASSERT_TRUE(sane.valide());
    const QList<Scanner::Peripherique> liste = Scanner::listePeripheriques();
    ASSERT_GE(liste.size(), 1);
    EXPECT_EQ(liste.first().nom, QStringLiteral("test:0"));
    EXPECT_TRUE(liste.first().libelle().contains(QStringLiteral("test:0")));

    QList<int> etapes;
    std::atomic_bool annuler{false};
    const Scanner::Resultat r = Scanner::acquerir(QStringLiteral("test:0"), ScannerDeTest::couleur(), annuler,
                                                  [&](int p) { etapes << p; });
    ASSERT_EQ(r.issue, Issue::Acquise) << r.erreur.toStdString();
    EXPECT_EQ(r.image.size(), QSize(400, 300));
    ASSERT_FALSE(etapes.isEmpty());
    EXPECT_EQ(etapes.last(), 100);
    EXPECT_TRUE(std::is_sorted(etapes.begin(), etapes.end()));
    EXPECT_EQ(scanner(ScannerDeTest::couleur(38, 30)).image.size(), QSize(380, 300));
}

TEST(Scanner, GreyAndColourFramesDepthsAndUnknownHeight) {
    ScannerDeTest sane;
    auto uni = [](const QImage& im, QRgb attendu) {
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x)
                if (im.pixel(x, y) != attendu)
                    return false;
        return !im.isNull();
    };
    const QRgb blanc = qRgb(255, 255, 255), noir = qRgb(0, 0, 0);
    auto image = [](const QList<Option>& plus) {
        return scanner(avec(ScannerDeTest::couleur(), plus)).image;
    };
    const Option gris{QStringLiteral("mode"), QStringLiteral("Gray")};
    const Option toutBlanc{QStringLiteral("test-picture"), QStringLiteral("Solid white")};
    const Option toutNoir{QStringLiteral("test-picture"), QStringLiteral("Solid black")};
    const Option unBit{QStringLiteral("depth"), 1};
    EXPECT_TRUE(uni(image({gris, toutBlanc}), blanc));
    // Line art: a set bit is black in grey, full intensity in colour.
    EXPECT_TRUE(uni(image({gris, unBit, toutNoir}), noir));
    EXPECT_TRUE(uni(image({gris, unBit, toutBlanc}), blanc));
    EXPECT_TRUE(uni(image({unBit, toutBlanc}), blanc));
    EXPECT_TRUE(uni(image({unBit, toutNoir}), noir));

    // Three one-colour passes give the single pass's picture.
    const QImage unePasse = image({});
    EXPECT_EQ(image({{QStringLiteral("three-pass"), true}}), unePasse);
    EXPECT_EQ(image({{QStringLiteral("three-pass"), true},
                     {QStringLiteral("three-pass-order"), QStringLiteral("BGR")}}),
              unePasse);

    // 16 bits in the machine's order: the pattern's red ramp rises smoothly (the wrong byte would jump).
    const QImage seize = image({{QStringLiteral("depth"), 16}});
    ASSERT_EQ(seize.size(), QSize(400, 300));
    for (int x = 10; x < 250; ++x) {
        EXPECT_LE(qRed(seize.pixel(x, 150)), qRed(seize.pixel(x + 1, 150))) << x;
        EXPECT_LE(qRed(seize.pixel(x + 1, 150)) - qRed(seize.pixel(x, 150)), 3) << x;
    }
    const QImage seizeGris = image({gris, {QStringLiteral("depth"), 16}});
    EXPECT_EQ(qRed(seizeGris.pixel(100, 150)), qGreen(seizeGris.pixel(100, 150)));
    EXPECT_EQ(qRed(seizeGris.pixel(100, 150)), qRed(seize.pixel(100, 150)));

    // A hand scanner does not say its height: the bar cannot show a share meanwhile.
    QList<int> etapes;
    std::atomic_bool annuler{false};
    const Scanner::Resultat main = Scanner::acquerir(
        QStringLiteral("test:0"), avec(ScannerDeTest::couleur(), {{QStringLiteral("hand-scanner"), true}}),
        annuler, [&](int p) { etapes << p; });
    ASSERT_EQ(main.issue, Issue::Acquise) << main.erreur.toStdString();
    EXPECT_EQ(main.image.width(), 1100); // its fixed 11 cm
    EXPECT_GT(main.image.height(), 0);
    EXPECT_TRUE(etapes.contains(-1));
    EXPECT_EQ(etapes.last(), 100);
}

TEST(Scanner, FailuresCancellationAndNoScanner) {
    {
        ScannerDeTest sane;
        const Scanner::Resultat panne = scanner(ScannerDeTest::enPanne());
        EXPECT_EQ(panne.issue, Issue::Echec);
        EXPECT_TRUE(panne.image.isNull());
        EXPECT_TRUE(panne.erreur.contains(QStringLiteral("Error during device I/O")))
            << panne.erreur.toStdString();

        // An option the scanner lacks fails the scan, unless it may be left out.
        const Scanner::Resultat inconnue =
            scanner(avec(ScannerDeTest::couleur(), {{QStringLiteral("gamma-x"), 2}}));
        EXPECT_EQ(inconnue.issue, Issue::Echec);
        EXPECT_TRUE(inconnue.erreur.contains(QStringLiteral("gamma-x")));
        EXPECT_EQ(scanner(avec(ScannerDeTest::couleur(), {{QStringLiteral("gamma-x"), 2, true}})).issue,
                  Issue::Acquise);

        EXPECT_EQ(scanner(ScannerDeTest::couleur(), QStringLiteral("test:99")).issue, Issue::Echec);

        std::atomic_bool annuler{true};
        EXPECT_EQ(Scanner::acquerir(QStringLiteral("test:0"), ScannerDeTest::couleur(), annuler).issue,
                  Issue::Annulee);
    }
    ScannerDeTest aucun(false);
    EXPECT_TRUE(Scanner::listePeripheriques().isEmpty());
}

TEST(Scanner, AcquisitionOnAThreadReportsAndCanBeCancelled) {
    ScannerDeTest sane;
    Scanner::Acquisition a;
    QSignalSpy fin(&a, &Scanner::Acquisition::terminee);
    QList<int> etapes;
    QObject::connect(&a, &Scanner::Acquisition::progression, [&](int p) { etapes << p; });

    // A slowed scan: the caller's thread goes on, sees the bar move, and cancels.
    ASSERT_TRUE(a.demarrer(QStringLiteral("test:0"), ScannerDeTest::lente()));
    EXPECT_TRUE(a.enCours());
    EXPECT_FALSE(a.demarrer(QStringLiteral("test:0"), ScannerDeTest::couleur()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !etapes.isEmpty() && etapes.last() > 0; }, 10000));
    QElapsedTimer t;
    t.start();
    a.annuler();
    ASSERT_TRUE(fin.wait(5000));
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(a.resultat().issue, Issue::Annulee);
    EXPECT_TRUE(a.resultat().image.isNull());
    EXPECT_LT(etapes.last(), 100);

    // The next one runs to its end.
    ASSERT_TRUE(a.demarrer(QStringLiteral("test:0"), ScannerDeTest::couleur()));
    ASSERT_TRUE(fin.wait(10000));
    EXPECT_EQ(a.resultat().issue, Issue::Acquise);
    EXPECT_EQ(a.resultat().image.size(), QSize(400, 300));

    // Destroyed while scanning: it stops and waits.
    {
        Scanner::Acquisition b;
        ASSERT_TRUE(b.demarrer(QStringLiteral("test:0"), ScannerDeTest::lente()));
    }
}

TEST(Scanner, StoredPictureIs190WideRoundedHalfToEven) {
    QTemporaryDir dossier;
    auto enregistrer = [&](const QSize& taille) {
        QImage im(taille, QImage::Format_RGB888);
        im.fill(QColor(200, 40, 40));
        const QString fichier = dossier.filePath(QStringLiteral("1234.jpg"));
        Scanner::EnregistrerImageScannee(im, fichier);
        QImageReader lecteur(fichier);
        EXPECT_EQ(lecteur.format(), "jpeg");
        return lecteur.read();
    };
    EXPECT_EQ(enregistrer({400, 300}).size(), QSize(190, 142)); // 142.5
    EXPECT_EQ(enregistrer({380, 300}).size(), QSize(190, 150));
    const QImage memeLargeur = enregistrer({190, 77});
    EXPECT_EQ(memeLargeur.size(), QSize(190, 77));
    EXPECT_NEAR(qRed(memeLargeur.pixel(95, 38)), 200, 6);
    EXPECT_EQ(Scanner::tailleEnregistree({1000, 2000}), QSize(190, 380));

    QImage im(400, 300, QImage::Format_RGB888);
    im.fill(Qt::white);
    const QString ailleurs = dossier.filePath(QStringLiteral("absent/1234.jpg"));
    try {
        Scanner::EnregistrerImageScannee(im, ailleurs);
        ADD_FAILURE() << "written to a missing folder";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::JpegEchec);
    }
    EXPECT_FALSE(QFile::exists(ailleurs));
}
