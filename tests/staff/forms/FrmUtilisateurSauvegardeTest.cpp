#include "staff/forms/FrmUtilisateur.h"

#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/EuroKey.h"
#include "support/FormeSurBase.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

class FrmUtilisateurSauvegardeTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        DetruireInstance<FrmUtilisateur>();
        EuroKey::FermerPortEuroKey();
        FormeSurBaseTest::TearDown();
    }
    qint64 salarie(const QString& nom, const QString& prenom, const QString& badge) {
        return Valeurs::lireEntier(base->valeurUnique(
            QStringLiteral(
                "INSERT INTO Utilisateurs (Nom, Prenom, NoBadge) VALUES (?, ?, ?) RETURNING IdUtilisateur"),
            {nom, prenom, badge}));
    }
    QString champ(qint64 id, const QString& colonne) {
        return base
            ->valeurUnique(QStringLiteral("SELECT %1 FROM Utilisateurs WHERE IdUtilisateur = ?").arg(colonne),
                           {id})
            .toString();
    }
    qint64 compter() {
        return Valeurs::lireEntier(base->valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Utilisateurs")));
    }
    static qint64 courant(FrmUtilisateur& f) {
        return Valeurs::lireEntier(f.data1->Field(QStringLiteral("IdUtilisateur")));
    }
    FrmUtilisateur& ouvrir() {
        FrmUtilisateur& f = Instance<FrmUtilisateur>();
        f.Show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    static QString face(const FrmUtilisateur& f) {
        return f.CmdModif->text() + u' ' + f.CmdModif->palette().color(QPalette::Button).name();
    }
};

} // namespace

TEST_F(FrmUtilisateurSauvegardeTest, SaveShowsTheOutcomeAndAFailureKeepsTheCard) {
    Global().TypeLecteurBadge = 3;
    const qint64 abel = salarie(QStringLiteral("Abel"), QStringLiteral("Paul"), QStringLiteral("B1"));
    salarie(QStringLiteral("DUPONT"), QStringLiteral("Jean"), QStringLiteral("0000000012348"));
    FrmUtilisateur& f = ouvrir();
    f.data1->MoveFirst();
    const QString modifier = face(f);
    f.Text2[0]->setText(QStringLiteral("4711"));
    f.Text2[1]->setText(QStringLiteral("Abel-Bis"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("000000004711"));
    EXPECT_EQ(champ(abel, QStringLiteral("NoBadge")), QStringLiteral("0000000047111"));
    // The list read again, on the same row.
    EXPECT_EQ(f.DBGrid1->model()->index(0, 1).data().toString(), QStringLiteral("0000000047111"));
    EXPECT_EQ(f.DBGrid1->model()->index(0, 2).data().toString(), QStringLiteral("Abel-Bis"));
    EXPECT_EQ(courant(f), abel);
    // DUPONT's badge: the three lines, nothing written, the card as typed.
    f.Text2[0]->setText(QStringLiteral("1234"));
    dialogues.attendreMessage(
        QStringLiteral("No de Badge déjà utilisé par \nDUPONT Jean\nopération annulée !"), Reponse::OK,
        QStringLiteral("Erreur"), StyleMessage::OKCancel | StyleMessage::Exclamation);
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("1234"));
    EXPECT_EQ(champ(abel, QStringLiteral("NoBadge")), QStringLiteral("0000000047111"));

    // A row added, then deleted on another workstation: the save says so, logs it, keeps card and face.
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_EQ(face(f), QStringLiteral("Enregistrer #ff0000"));
    base->executer(QStringLiteral("DELETE FROM Utilisateurs WHERE IdUtilisateur = ?"), {courant(f)});
    f.Text2[1]->setText(QStringLiteral("Zoé"));
    dialogues.attendreMessageContenant(QStringLiteral("n'existe plus"), Reponse::OK,
                                       QStringLiteral("Erreur"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("Zoé"));
    EXPECT_EQ(face(f), QStringLiteral("Enregistrer #ff0000"));
    EXPECT_TRUE(
        dossier->lignesJournal().join(u'\n').contains(QStringLiteral("CmdModif_Click|N°: -2147217864 ")));
    // On a row that exists the save puts the design face back.
    f.data1->Requery();
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(face(f), modifier);
}

TEST_F(FrmUtilisateurSauvegardeTest, AddShowsTheNewRowAndTheSaveKeepsItsMachines) {
    base->executer(QStringLiteral("INSERT INTO Machines (NoMachine) VALUES (2), (1)"));
    FrmUtilisateur& f = ouvrir();
    const QString modifier = face(f);
    // An empty table: one row, personnel number "0", the save button on red, the surname box focused.
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    ASSERT_EQ(compter(), 1);
    const qint64 zoe = courant(f);
    EXPECT_EQ(champ(zoe, QStringLiteral("MachineAutorise")), QStringLiteral("1,2"));
    EXPECT_EQ(f.Text2[3]->text(), QStringLiteral("0"));
    EXPECT_EQ(f.Text2[0]->text().size(), 30);
    EXPECT_EQ(face(f), QStringLiteral("Enregistrer #ff0000"));
    EXPECT_EQ(QApplication::focusWidget(), f.Text2[1]);
    // The machines panel's choice made meanwhile stays through the save.
    base->executer(QStringLiteral("UPDATE Utilisateurs SET MachineAutorise = '2'"));
    f.Text2[1]->setText(QStringLiteral("Zoé"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(face(f), modifier);
    EXPECT_EQ(champ(zoe, QStringLiteral("Nom")) + champ(zoe, QStringLiteral("MachineAutorise")),
              QStringLiteral("Zoé2"));

    // Name mode, "du" typed: the box empties and the new row, without a surname, is current; from
    // DUPONT on, Zoé's "0" takes her badge.
    salarie(QStringLiteral("Dupré"), QStringLiteral("Luc"), QStringLiteral("P1"));
    salarie(QStringLiteral("DUPONT"), QStringLiteral("Jean"), QStringLiteral("D1"));
    f.data1->Requery();
    QTest::keyClicks(f.TextCherche, QStringLiteral("du"));
    ASSERT_EQ(f.data1->RecordCount(), 2);
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_TRUE(f.TextCherche->text().isEmpty());
    EXPECT_EQ(f.data1->RecordCount(), 4);
    EXPECT_EQ(f.Text2[0]->text(), champ(courant(f), QStringLiteral("NoBadge")));
    EXPECT_TRUE(f.Text2[1]->text().isEmpty());
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), f.data1->AbsolutePosition());
    EXPECT_EQ(champ(zoe, QStringLiteral("MatriculeSalarie")), champ(zoe, QStringLiteral("NoBadge")));
}

TEST_F(FrmUtilisateurSauvegardeTest, DeleteAsksThenRemovesExactlyTheRowShown) {
    const qint64 martin = salarie(QStringLiteral("Martin"), QStringLiteral("Paul"), QStringLiteral("X1"));
    salarie(QStringLiteral("DUPONT"), QStringLiteral("Jean"), QStringLiteral("X1"));
    FrmUtilisateur& f = ouvrir();
    f.data1->MoveFirst();
    const QString question = QStringLiteral("Confirmer la suppression de: DUPONT Jean !");
    dialogues.attendreMessage(question, Reponse::Non, QStringLiteral("Confirmation"), StyleMessage::YesNo);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(compter(), 2);
    dialogues.attendreMessage(question, Reponse::Oui);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(champ(martin, QStringLiteral("Nom")), QStringLiteral("Martin"));
    EXPECT_EQ(compter(), 1);
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("Martin"));
    // The database refuses: said, nothing removed.
    base->executer(QStringLiteral(
        "CREATE TRIGGER Refus BEFORE DELETE ON Utilisateurs BEGIN SELECT RAISE(ABORT, 'refus'); END"));
    dialogues.attendreMessage(QStringLiteral("Confirmer la suppression de: Martin Paul !"), Reponse::Oui);
    dialogues.attendreMessage(QStringLiteral("Suppression non autorisée !"), Reponse::OK,
                              QStringLiteral("Erreur"), StyleMessage::OKCancel | StyleMessage::Exclamation);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(compter(), 1);
}

// After a delete the card shows the next employee; saving it as it stands keeps the stored service, also
// one the site's list does not offer (another site's, or a service without a site on the row).
TEST_F(FrmUtilisateurSauvegardeTest, SavingTheCardShownAfterADeleteKeepsItsService) {
    Global().OptionLienSiteService = true;
    const auto cle = [&](const char* sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(base->valeurUnique(QString::fromUtf8(sql), valeurs));
    };
    const qint64 nord = cle("INSERT INTO Sites (NomSite) VALUES ('Nord') RETURNING NoSite");
    const qint64 sud = cle("INSERT INTO Sites (NomSite) VALUES ('Sud') RETURNING NoSite");
    const qint64 atelier =
        cle("INSERT INTO Services (NomService, Site) VALUES ('Atelier', ?) RETURNING NoService", {nord});
    const qint64 quai =
        cle("INSERT INTO Services (NomService, Site) VALUES ('Quai', ?) RETURNING NoService", {sud});
    const qint64 martin = salarie(QStringLiteral("Martin"), QStringLiteral("Paul"), QStringLiteral("M1"));
    const qint64 petit = salarie(QStringLiteral("Petit"), QStringLiteral("Luc"), QStringLiteral("P1"));
    base->executer(QStringLiteral("UPDATE Utilisateurs SET Site = ?, Service = ? WHERE IdUtilisateur = ?"),
                   {nord, quai, martin});
    base->executer(QStringLiteral("UPDATE Utilisateurs SET Service = ? WHERE IdUtilisateur = ?"),
                   {atelier, petit});
    FrmUtilisateur& f = ouvrir();
    // A row added (first by name, without a surname), then deleted: Martin's card is shown.
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    dialogues.attendreMessageContenant(QStringLiteral("Confirmer la suppression de:"), Reponse::Oui);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(courant(f), martin);
    EXPECT_EQ(f.Combo2->currentText(), QStringLiteral("Quai"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(champ(martin, QStringLiteral("Service")), QString::number(quai));
    EXPECT_EQ(champ(martin, QStringLiteral("Site")), QString::number(nord));
    f.data1->MoveNext();
    ASSERT_EQ(courant(f), petit);
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(champ(petit, QStringLiteral("Service")), QString::number(atelier));
    // A site chosen on the card lists its own services: no service chosen is then written as none.
    f.Combo1->setCurrentIndex(f.Combo1->findData(sud));
    EXPECT_EQ(f.Combo2->currentIndex(), -1);
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(champ(petit, QStringLiteral("Site")) + u'|' + champ(petit, QStringLiteral("Service")),
              QString::number(sud) + u'|');
}

// The serial reader through a pty pair: the badge read becomes the new row's; a silent reader
// ("ERREUR") gives the placeholder.
TEST_F(FrmUtilisateurSauvegardeTest, SerialReaderAddCarriesTheBadgeRead) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("lecteur-a")),
                  b = dir.filePath(QStringLiteral("lecteur-b"));
    QProcess socat;
    socat.start(QStringLiteral("socat"),
                {QStringLiteral("pty,raw,echo=0,link=") + a, QStringLiteral("pty,raw,echo=0,link=") + b});
    ASSERT_TRUE(socat.waitForStarted(5000));
    for (int i = 0; i < 500 && !(QFileInfo::exists(a) && QFileInfo::exists(b)); ++i)
        QTest::qWait(10);
    ASSERT_TRUE(QFileInfo::exists(b));
    Global().TypeLecteurBadge = 2;
    Global().PeripheriqueLecteurBadge = a;
    // The reader answers each request in turn; the frame carries 00 00 30 39: 12345.
    std::atomic<bool> fin{false};
    std::thread lecteur([&] {
        const int fd = ::open(b.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QByteArray trame(17, '\0');
        trame[11] = 0x30;
        trame[12] = 0x39;
        const QByteArray reponses[] = {QByteArray(1, '\x01'), QByteArray(1, '\x02'), trame};
        for (int n = 0; fd >= 0 && !fin && n < 3;) {
            pollfd p{fd, POLLIN, 0};
            char c;
            if (::poll(&p, 1, 10) > 0 && ::read(fd, &c, 1) == 1 &&
                ::write(fd, reponses[n].constData(), size_t(reponses[n].size())) > 0)
                ++n;
        }
        if (fd >= 0)
            ::close(fd);
    });
    FrmUtilisateur& f = ouvrir();
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    fin = true;
    lecteur.join();
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("12345"));
    EXPECT_EQ(f.CmdModif->text(), QStringLiteral("Enregistrer"));
    // Nobody answers now.
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_EQ(compter(), 2);
    EXPECT_EQ(f.Text2[0]->text().size(), 30);
    socat.kill();
    socat.waitForFinished(5000);
}
