#include "staff/forms/FenBadgeMaintenance.h"

#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "db/Valeurs.h"
#include "staff/ACR120U.h"
#include "staff/EuroKey.h"
#include "staff/PiloteACR120Scripte.h"
#include "support/FormeSurBase.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int StyleMsg16 = StyleMessage::OKCancel | StyleMessage::Exclamation;
const QString Msg16 = QStringLiteral("Badge déjà utilisé par un salarié!");

// A serial line whose far end no reader answers (socat pty pair): the program's end, or "" when socat
// did not start.
QString lecteurMuet(QProcess& socat, const QTemporaryDir& dossier) {
    const QString a = dossier.filePath(QStringLiteral("a"));
    socat.start(QStringLiteral("socat"), {QStringLiteral("pty,raw,echo=0,link=") + a,
                                          QStringLiteral("pty,raw,echo=0,link=") + dossier.filePath("b")});
    return QTest::qWaitFor([&] { return QFileInfo::exists(a); }, 5000) ? a : QString();
}

class FenBadgeMaintenanceTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        f.Unload();
        ACR120U::installerPilote(nullptr);
        ACR120U::HandleLecteurACR120 = 0;
        EuroKey::FermerPortEuroKey();
        FormeSurBaseTest::TearDown();
    }
    void ouvrir(int typeLecteur) {
        Global().TypeLecteurBadge = typeLecteur;
        f.Show();
        ASSERT_TRUE(f.estCharge());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    QStringList stockes() {
        QStringList l;
        QSqlQuery q = base->executer(QStringLiteral("SELECT NoBadge FROM BadgeMaintenance ORDER BY Id"));
        while (q.next())
            l << q.value(0).toString();
        return l;
    }
    QStringList grille() {
        QStringList l;
        for (int r = 0; r < f.DBGrid1->model()->rowCount(); ++r)
            l << f.DBGrid1->model()->index(r, 0).data().toString();
        return l;
    }
    void taper(const QString& texte) {
        f.Text2->clear();
        QTest::keyClicks(f.Text2, texte);
    }
    void ajouter(const QString& texte) {
        taper(texte);
        QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    }
    void choisirLigne(int ligne) {
        QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {},
                          f.DBGrid1->visualRect(f.DBGrid1->model()->index(ligne, 0)).center());
    }

    FenBadgeMaintenance f;
};

} // namespace

TEST_F(FenBadgeMaintenanceTest, BarCodeBadgesTypedDigitsPaddedCheckedAndNeverAnEmployees) {
    EXPECT_TRUE(RegistreMenu::global().estEnregistre(QStringLiteral("CmdBadgeMainten")));
    base->executer(
        QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom) VALUES ('0000000000017', 'Durand')"));
    ouvrir(3);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Badges de maintenances"));
    EXPECT_EQ(f.DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("N° de Badge"));
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_TRUE(stockes().isEmpty());

    // Digits only, typed or pasted, at most 12.
    taper(QStringLiteral("4A2"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("42"));
    QApplication::clipboard()->setText(QStringLiteral("4A"));
    f.Text2->paste();
    EXPECT_EQ(f.Text2->text(), QStringLiteral("424"));
    taper(QStringLiteral("12345678901234"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("123456789012"));

    ajouter(QStringLiteral("42"));
    EXPECT_EQ(stockes(), QStringList{QStringLiteral("0000000000420")});
    EXPECT_EQ(f.Text2->text(), QStringLiteral("000000000042"));
    ajouter(QStringLiteral("42"));
    EXPECT_TRUE(f.Text2->text().isEmpty());
    EXPECT_TRUE(f.Text2->hasFocus());
    ajouter(QStringLiteral("123456789012"));
    dialogues.attendreMessage(Msg16, Reponse::OK, QStringLiteral("Erreur"), StyleMsg16);
    ajouter(QStringLiteral("1"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("000000000001"));
    EXPECT_EQ(stockes(), (QStringList{"0000000000420", "1234567890128"}));
    EXPECT_EQ(grille(), stockes());

    // A stored number shows whole and is saved unchanged; a change is checked as an add.
    choisirLigne(1);
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1234567890128"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    dialogues.attendreMessage(Msg16, Reponse::Annuler, QStringLiteral("Erreur"), StyleMsg16);
    taper(QStringLiteral("1"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(stockes(), (QStringList{"0000000000420", "1234567890128"}));
    taper(QStringLiteral("5"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(f.Text2->text(), QStringLiteral("000000000005"));
    EXPECT_EQ(stockes(), (QStringList{"0000000000420", "0000000000055"}));
    EXPECT_EQ(grille(), stockes());
    f.grab().save(QStringLiteral("/tmp/dorvane-fenbadgemaintenance-fr.png"));

    choisirLigne(0);
    const QString question = QStringLiteral("Confirmer la suppression de: 0000000000420 !");
    dialogues.attendreMessage(question, Reponse::Non, QStringLiteral("Confirmation"), StyleMessage::YesNo);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(stockes().size(), 2);
    dialogues.attendreMessage(question, Reponse::Oui, QStringLiteral("Confirmation"), StyleMessage::YesNo);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(stockes(), QStringList{QStringLiteral("0000000000055")});
    EXPECT_EQ(grille(), stockes());
    EXPECT_EQ(f.Text2->text(), QStringLiteral("0000000000055"));
}

TEST_F(FenBadgeMaintenanceTest, TypedNumbersStoredAsTypedAndARefusedWriteChangesNothing) {
    base->executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('Zé-1')"));
    ouvrir(1);
    EXPECT_EQ(f.Text2->text(), QStringLiteral("Zé-1"));
    const QString long250 = QString(248, u'9') + QStringLiteral("'%");
    for (const QString& b : {QStringLiteral("o'k %"), long250, QStringLiteral("ZÉ-1")}) {
        f.Text2->setText(b);
        QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    }
    EXPECT_TRUE(f.Text2->text().isEmpty()) << "letters without regard to case";
    EXPECT_EQ(stockes(), (QStringList{"Zé-1", "o'k %", long250}));

    // The database refuses: its reason is shown, the box and the rows stay.
    base->executer(QStringLiteral("CREATE TRIGGER refus BEFORE INSERT ON BadgeMaintenance BEGIN "
                                  "SELECT RAISE(ABORT, 'badge refusé'); END"));
    dialogues.attendreMessageContenant(QStringLiteral("badge refusé"), Reponse::OK, QStringLiteral("Erreur"));
    ajouter(QStringLiteral("NEUF"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("NEUF"));
    EXPECT_EQ(stockes().size(), 3);
    EXPECT_EQ(grille().size(), 3);
}

TEST_F(FenBadgeMaintenanceTest, ContactlessReadUsesTheMainWindowsReaderAndLeavesItOpen) {
    PiloteACR120Scripte pilote;
    pilote.definirPort(0, 5);
    ACR120U::installerPilote(&pilote);
    ASSERT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK")); // the main window's, at start
    ouvrir(6);
    pilote.ajouterListage({0, {QByteArray::fromHex("0A1B2C3D")}});
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_EQ(stockes(), QStringList{QStringLiteral("0A1B2C3D")});
    EXPECT_TRUE(pilote.handlesFermes().isEmpty());
    pilote.ajouterListage({0, {QByteArray::fromHex("99")}});
    EXPECT_EQ(ACR120U::LireTagACR120(), QStringLiteral("99")) << "the counter still polls";

    // No reader open: one is opened for the read and closed after it; an empty field adds nothing.
    ACR120U::ACR120_Close(ACR120U::HandleLecteurACR120);
    pilote.definirPort(0, 6);
    pilote.ajouterListage({0, {QByteArray::fromHex("0E")}});
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_EQ(pilote.handlesFermes(), (QList<qint16>{5, 6, 6}));
    EXPECT_FALSE(ACR120U::EstOuvert());
    EXPECT_EQ(stockes(), (QStringList{"0A1B2C3D", "0E"}));
}

TEST_F(FenBadgeMaintenanceTest, SerialReadReportsAMissingDeviceAndIgnoresASilentReader) {
    Global().PeripheriqueLecteurBadge = QStringLiteral("/nonexistent/ttyBadge");
    ouvrir(2);
    dialogues.attendreMessageContenant(QStringLiteral("/nonexistent/ttyBadge"), Reponse::OK,
                                       QStringLiteral("Erreur"));
    QTest::mouseClick(f.Command1, Qt::LeftButton);

    QProcess socat;
    QTemporaryDir dossierLigne;
    Global().PeripheriqueLecteurBadge = lecteurMuet(socat, dossierLigne);
    ASSERT_FALSE(Global().PeripheriqueLecteurBadge.isEmpty());
    f.Text2->setText(QStringLiteral("tapé"));
    QTest::mouseClick(f.Command1, Qt::LeftButton); // "ERREUR"
    EXPECT_EQ(f.Text2->text(), QStringLiteral("tapé"));
    EXPECT_TRUE(stockes().isEmpty());
    EuroKey::FermerPortEuroKey();
    socat.kill();
    socat.waitForFinished(5000);
}

TEST_F(FenBadgeMaintenanceTest, TranslatedInSlovak) {
    base->executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('0000000000420'), "
                                  "('1234567890128'), ('0A1B2C3D')"));
    Global().LangueCourante = QStringLiteral("SK");
    Global().FichierLangue = dossier->fichier(QStringLiteral("slovaque.lng"));
    ouvrir(3);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Servisné karty"));
    EXPECT_EQ(f.cmdDelete->text(), QStringLiteral("Odstrániť"));
    EXPECT_EQ(f.DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Číslo karty"));
    f.grab().save(QStringLiteral("/tmp/dorvane-fenbadgemaintenance-sk.png"));
}
