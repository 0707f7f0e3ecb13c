#include "imaging/forms/FenScanner.h"

#include "common/EtatGlobal.h"
#include "common/ServiceDialogue.h"
#include "support/CouvertureLangues.h"
#include "support/DossierProgrammeTemp.h"
#include "support/ScannerDeTest.h"
#include "support/ServiceDialogueScripte.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FenScannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        ASSERT_TRUE(sane.valide());
        fichier = dossier.filePath(QStringLiteral("1234.jpg"));
        Global().FichierImageScan = fichier;
        f = std::make_unique<FenScanner>();
    }
    void TearDown() override {
        f.reset();
        dialogues.verifierTout();
        reinitialiserEtatGlobal();
    }

    void ouvrir(const QList<Scanner::Option>& reglages = ScannerDeTest::couleur()) {
        f->Show();
        ASSERT_TRUE(f->isVisible());
        f->Reglages = reglages;
    }
    // "Scannez", then the wait for the end of the acquisition.
    void scanner() {
        f->Command2->click();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !f->AcquisitionEnCours(); }, 10000));
        QCoreApplication::processEvents(); // the end is heard
    }
    QSize tailleFichier() const { return QImageReader(fichier).size(); }

    ScannerDeTest sane;
    QTemporaryDir dossier;
    QString fichier;
    ServiceDialogueScripte dialogues;
    std::unique_ptr<FenScanner> f;
};

} // namespace

TEST_F(FenScannerTest, OKStoresOnlyWhatThisWindowScanned) {
    ouvrir();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Scanner"));
    EXPECT_EQ(f->Command1->text(), QStringLiteral("Selectionnez le scanner"));
    EXPECT_EQ(f->Command2->text(), QStringLiteral("Scannez"));
    scanner();
    EXPECT_EQ(f->ImageAcquise().size(), QSize(400, 300));
    EXPECT_FALSE(f->Picture1->pixmap().isNull());
    EXPECT_EQ(f->Combo1->currentData().toString(), QStringLiteral("test:0"));
    f->grab().save(QStringLiteral("/tmp/dorvane-fenscanner.png"));
    f->cmdOK->click();
    EXPECT_FALSE(f->estCharge());
    EXPECT_TRUE(f->ImageEnregistree);
    EXPECT_EQ(tailleFichier(), QSize(190, 142));

    // 380 x 300 gives 190 x 150.
    ouvrir(ScannerDeTest::couleur(38, 30));
    EXPECT_FALSE(f->ImageEnregistree);
    EXPECT_TRUE(f->Picture1->pixmap().isNull()) << "the last opening's picture is gone";
    scanner();
    f->cmdOK->click();
    EXPECT_EQ(tailleFichier(), QSize(190, 150));

    // OK without a scan, and a scan closed without OK, write nothing.
    ASSERT_TRUE(QFile::remove(fichier));
    ouvrir();
    f->cmdOK->click();
    EXPECT_FALSE(f->estCharge());
    EXPECT_FALSE(f->ImageEnregistree);
    ouvrir();
    scanner();
    f->close();
    EXPECT_FALSE(f->estCharge());
    EXPECT_FALSE(f->ImageEnregistree);
    EXPECT_FALSE(QFile::exists(fichier));

    // A failed scan clears the earlier picture: OK then stores nothing.
    ouvrir();
    scanner();
    f->Reglages = ScannerDeTest::enPanne();
    dialogues.attendreMessageContenant(QStringLiteral("Error during device I/O"));
    scanner();
    EXPECT_TRUE(f->ImageAcquise().isNull());
    EXPECT_TRUE(f->Picture1->pixmap().isNull());
    f->cmdOK->click();
    EXPECT_FALSE(f->ImageEnregistree);
    EXPECT_FALSE(QFile::exists(fichier));

    // A folder that cannot be written: the message, nothing stored, the window closes.
    Global().FichierImageScan = dossier.filePath(QStringLiteral("absent/1234.jpg"));
    ouvrir();
    scanner();
    dialogues.attendreMessage(QStringLiteral("Erreur sur l'image: '") + Global().FichierImageScan +
                                  QStringLiteral("'"),
                              Reponse::OK, std::nullopt, StyleMessage::Critique);
    f->cmdOK->click();
    EXPECT_FALSE(f->estCharge());
    EXPECT_FALSE(f->ImageEnregistree);
}

TEST_F(FenScannerTest, ASlowScanLeavesTheWindowResponsiveAndCanBeCancelled) {
    ouvrir(ScannerDeTest::lente());
    int battements = 0;
    qint64 plusLongSilence = 0;
    QElapsedTimer depuis;
    depuis.start();
    QTimer horloge;
    QObject::connect(&horloge, &QTimer::timeout, [&] {
        ++battements;
        plusLongSilence = std::max(plusLongSilence, depuis.restart());
    });
    horloge.start(10);

    f->Command2->click();
    EXPECT_TRUE(f->AcquisitionEnCours());
    EXPECT_TRUE(f->CmdAnnuler->isVisible());
    EXPECT_FALSE(f->cmdOK->isEnabled());
    EXPECT_FALSE(f->Command2->isEnabled());
    // The window's own event loop runs on while the bar moves.
    QEventLoop boucle;
    QObject::connect(f->ProgressBar1, &QProgressBar::valueChanged, &boucle, [&](int v) {
        if (v > 20)
            boucle.quit();
    });
    QTimer::singleShot(10000, &boucle, &QEventLoop::quit);
    QElapsedTimer duree;
    duree.start();
    depuis.restart();
    battements = 0;
    boucle.exec();
    ASSERT_GT(f->ProgressBar1->value(), 20);
    f->grab().save(QStringLiteral("/tmp/dorvane-fenscanner-scan.png"));
    EXPECT_TRUE(f->AcquisitionEnCours());
    EXPECT_GE(battements, duree.elapsed() / 10 / 3);
    EXPECT_LT(plusLongSilence, 250) << "the event loop stalled";

    f->CmdAnnuler->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !f->AcquisitionEnCours(); }, 3000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(f->ImageAcquise().isNull());
    EXPECT_TRUE(f->Picture1->pixmap().isNull());
    EXPECT_FALSE(f->CmdAnnuler->isVisible());
    EXPECT_TRUE(f->cmdOK->isEnabled());
    f->cmdOK->click();
    EXPECT_FALSE(f->ImageEnregistree);
    EXPECT_FALSE(QFile::exists(fichier));

    // Closing the window during a scan stops it.
    ouvrir(ScannerDeTest::lente());
    f->Command2->click();
    ASSERT_TRUE(f->AcquisitionEnCours());
    f->close();
    EXPECT_FALSE(f->AcquisitionEnCours());
    EXPECT_FALSE(f->estCharge());
}

TEST_F(FenScannerTest, ScannerListNoScannerAndTranslations) {
    ouvrir();
    f->Command1->click();
    ASSERT_GE(f->Combo1->count(), 2);
    f->Combo1->hidePopup();
    f->Combo1->setCurrentIndex(1);
    emit f->Combo1->activated(1);
    EXPECT_EQ(f->Peripherique, QStringLiteral("test:1"));
    f->Unload();

    {
        ScannerDeTest aucun(false);
        FenScanner seule;
        seule.Show();
        dialogues.attendreMessage(QStringLiteral("Aucun scanner n'a été trouvé."));
        seule.Command1->click();
        dialogues.attendreMessage(QStringLiteral("Aucun scanner n'a été trouvé."));
        seule.Command2->click();
        EXPECT_FALSE(seule.AcquisitionEnCours());
        seule.Unload();
    }

    const QStringList manquantes = clesManquantes(f.get());
    EXPECT_TRUE(manquantes.isEmpty()) << manquantes.join(QLatin1Char('\n')).toStdString();
    // Translated by F12 only, not by its activation.
    DossierProgrammeTemp programme;
    ASSERT_TRUE(programme.valide());
    programme.ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("DE"));
    Global().LangueCourante = QStringLiteral("FR");
    Global().FichierLangue = programme.fichier(QStringLiteral("deutch.lng"));
    ouvrir();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    EXPECT_EQ(f->Command2->text(), QStringLiteral("Scannez"));
    QTest::keyClick(f->Command2, Qt::Key_F12);
    EXPECT_EQ(f->Command2->text(), QStringLiteral("Scannen"));
    EXPECT_EQ(f->CmdAnnuler->toolTip(), QStringLiteral("Scannen abbrechen"));
}
