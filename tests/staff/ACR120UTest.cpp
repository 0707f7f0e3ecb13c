#include "staff/ACR120U.h"
#include "staff/PiloteACR120Scripte.h"
#include "support/DossierProgrammeTemp.h"

#include <gtest/gtest.h>

namespace {

QByteArray octets(std::initializer_list<int> liste) {
    QByteArray b;
    for (int o : liste)
        b.append(static_cast<char>(o));
    return b;
}

// `nombre` tags of `longueur` bytes each, tag i's bytes all equal to i.
QList<QByteArray> tags(int nombre, int longueur) {
    QList<QByteArray> liste;
    for (int i = 0; i < nombre; ++i)
        liste.append(QByteArray(longueur, static_cast<char>(i)));
    return liste;
}

class ACR120UTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dossier.valide()) << dossier.erreur().toStdString();
        ACR120U::installerPilote(&pilote);
    }
    void TearDown() override {
        ACR120U::installerPilote(nullptr);
        ACR120U::HandleLecteurACR120 = 0;
    }
    // One listing played on the open reader, and the text read.
    QString lire(const QList<QByteArray>& serie, qint16 statut = 0) {
        pilote.ajouterListage({statut, serie});
        return ACR120U::LireTagACR120();
    }

    DossierProgrammeTemp dossier;
    PiloteACR120Scripte pilote;
};

TEST_F(ACR120UTest, OuvertureEssaieLesPortsDansLOrdreEtGardeLeDernierCode) {
    pilote.definirPort(3, 17);
    pilote.definirPort(5, 9);
    EXPECT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK"));
    EXPECT_EQ(ACR120U::HandleLecteurACR120, 17);
    EXPECT_EQ(pilote.portsEssayes(), (QList<qint16>{0, 1, 2, 3}));
    EXPECT_TRUE(ACR120U::EstOuvert());
    // Opened again (the maintenance badges do), then closed once: the handle is gone for everyone.
    EXPECT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK"));
    LecteurTagACR120 commun;
    commun.FermerACR120();
    EXPECT_EQ(pilote.handlesFermes(), (QList<qint16>{17}));
    EXPECT_FALSE(ACR120U::EstOuvert());
    pilote.ajouterListage({0, {octets({0x0A})}});
    EXPECT_EQ(commun.LireTagACR120(), QString());

    // No reader: eight tries, the last port's code kept and told.
    PiloteACR120Scripte aucun;
    ACR120U::installerPilote(&aucun);
    EXPECT_EQ(commun.OuvrirACR120(), QStringLiteral("( X ) Invalid Port : -2000"));
    EXPECT_EQ(aucun.portsEssayes(), (QList<qint16>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(ACR120U::HandleLecteurACR120, -2000);
    EXPECT_FALSE(ACR120U::EstOuvert());
    EXPECT_EQ(ACR120U::LireTagACR120(), QString());
    EXPECT_EQ(aucun.handlesListes(), (QList<qint16>{-2000}));

    PiloteACR120Scripte septieme;
    septieme.definirPort(0, -2010);
    septieme.definirPort(7, -1);
    ACR120U::installerPilote(&septieme);
    EXPECT_EQ(ACR120U::OuvrirACR120(), QString());
    EXPECT_EQ(ACR120U::HandleLecteurACR120, -1);
    septieme.definirPort(7, -4030);
    EXPECT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("( X ) Decrement Failure (Empty) : -4030"));
}

TEST_F(ACR120UTest, MessagesDErreur) {
    const QList<QPair<qint16, const char*>> table{
        {-1000, "( X ) Unexpected Internal Library Error : -1000"},
        {-2000, "( X ) Invalid Port : -2000"},
        {-2010, "( X ) Port Occupied by Another Application : -2010"},
        {-2020, "( X ) Invalid Handle : -2020"},
        {-2030, "( X ) Incorrect Parameter : -2030"},
        {-3000, "( X ) No TAG Selected or in Reachable Range : -3000"},
        {-3010, "( X ) Read Failed after Operation : -3010"},
        {-3020, "( X ) Block doesn't contain value : -3020"},
        {-3030, "( X ) Operation Failed : -3030"},
        {-3040, "( X ) Unknown Reader Error : -3040"},
        {-4010, "( X ) Invalid stored key format in login process : -4010"},
        {-4020, "( X ) Reader can't read after write operation : -4020"},
        {-4030, "( X ) Decrement Failure (Empty) : -4030"},
    };
    for (const auto& [code, texte] : table)
        EXPECT_EQ(ACR120U::MessageErreurACR120(code), QString::fromUtf8(texte)) << code;
    for (qint16 inconnu : {-1, 0, 1, -2001, -32768})
        EXPECT_EQ(ACR120U::MessageErreurACR120(inconnu), QString()) << inconnu;
}

TEST_F(ACR120UTest, LectureDesTagsLeDernierGagne) {
    pilote.definirPort(0, 4);
    ASSERT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK"));

    EXPECT_EQ(lire({}), QString());
    EXPECT_EQ(lire({octets({0x0A, 0x1B, 0x2C, 0x3D})}), QStringLiteral("0A1B2C3D"));
    EXPECT_EQ(lire({octets({0x01, 0x02}), octets({0xFF, 0x00, 0xAB, 0x04, 0xC5, 0x06, 0x07})}),
              QStringLiteral("FF00AB04C50607"));
    // A tag without a serial still replaces the one before.
    EXPECT_EQ(lire({octets({0x0A, 0x1B}), QByteArray()}), QString());
    EXPECT_EQ(lire({octets({0x0A, 0x1B})}, -3030), QString());
    // Tag 45 fills the last cell of the serial buffer.
    EXPECT_EQ(lire(tags(46, 1)), QStringLiteral("2D"));
    // The longest serial, from index 0.
    EXPECT_EQ(lire({QByteArray(255, '\xE5')}), QStringLiteral("E5").repeated(255));
    EXPECT_EQ(pilote.handlesListes(), QList<qint16>(7, 4));
    EXPECT_TRUE(dossier.lignesJournal().isEmpty());
}

TEST_F(ACR120UTest, MarcheStoppeeAuBordDesTamponsEtJournalisee) {
    pilote.definirPort(0, 0);
    ASSERT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK"));

    // 52 tags: the walk passes the 51 tag places and stops on the 52nd, keeping the 51st's text
    // (tags past index 45 have no room for a serial).
    QList<QByteArray> cinquanteDeux = tags(46, 1);
    for (int i = 46; i < 52; ++i)
        cinquanteDeux.append(QByteArray());
    EXPECT_EQ(lire(cinquanteDeux), QString());
    // A serial running past index 450 stops the walk on the tag before it.
    EXPECT_EQ(lire(tags(47, 1)), QStringLiteral("2D"));
    EXPECT_EQ(lire(tags(60, 4)), QStringLiteral("2C2C2C2C"));
    QList<QByteArray> long255 = tags(21, 2);
    long255[20] = QByteArray(255, '\x7F');
    EXPECT_EQ(lire(long255), QStringLiteral("1313"));

    const QStringList journal = dossier.lignesJournal();
    ASSERT_EQ(journal.size(), 4);
    for (const QString& ligne : journal)
        EXPECT_EQ(ligne, QStringLiteral("LireTagACR120|N°: 9 Subscript out of range")) << ligne.toStdString();
}

} // namespace
