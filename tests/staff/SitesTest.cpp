#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "staff/Sites.h"

#include <gtest/gtest.h>

class SitesBase : public TestAvecBase {
protected:
    qint64 nombre(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(cnx().valeurUnique(sql, valeurs));
    }
    template <class Fn> void refuse(Fn&& fn, const char* quoi) {
        try {
            fn();
            ADD_FAILURE() << quoi;
        } catch (const ErreurExecution&) {
        }
    }
};

TEST_P(SitesBase, SiteNamesComparedLiterallyWithoutCaseAndSitesInUseKept) {
    const auto nord = Sites::AjouterSite(cnx(), QStringLiteral("Nord"), QStringLiteral("1 rue"), QString());
    ASSERT_TRUE(nord);
    // Every letter folded, accents kept, every other character as typed.
    for (const char* doublon : {"Nord", "NORD", "nord"})
        EXPECT_FALSE(Sites::AjouterSite(cnx(), QString::fromUtf8(doublon), {}, {})) << doublon;
    for (const char* nouveau : {"Nörd", "N%", "N_rd", "L'Isle", "   "})
        EXPECT_TRUE(Sites::AjouterSite(cnx(), QString::fromUtf8(nouveau), {}, {})) << nouveau;
    EXPECT_FALSE(Sites::AjouterSite(cnx(), QStringLiteral("l'isle"), {}, {}));
    EXPECT_FALSE(Sites::AjouterSite(cnx(), QStringLiteral("n%"), {}, {}));
    const QString long300(300, u'x');
    const auto loin = Sites::AjouterSite(cnx(), long300, {}, {});
    ASSERT_TRUE(loin);
    EXPECT_EQ(
        cnx().valeurUnique(QStringLiteral("SELECT NomSite FROM Sites WHERE NoSite = ?"), {*loin}).toString(),
        long300);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites")), 7);

    // A change may take another site's name.
    Sites::ModifierSite(cnx(), *loin, QStringLiteral("NORD"), QStringLiteral("a"), QStringLiteral("i"));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NomSite = 'NORD' AND Info = 'i'")), 1);
    refuse([&] { Sites::ModifierSite(cnx(), 9999, QStringLiteral("X"), {}, {}); }, "site absent modifié");

    // A site an employee belongs to stays.
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom, Site) VALUES ('B1', 'Abel', ?)"),
                   {*nord});
    refuse([&] { Sites::SupprimerSite(cnx(), *nord); }, "site utilisé supprimé");
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NoSite = ?"), {*nord}), 1);
    Sites::SupprimerSite(cnx(), *loin);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NoSite = ?"), {*loin}), 0);
}

TEST_P(SitesBase, ServicesComparedWithinTheirSiteOrAmongAllAndServicesInUseKept) {
    const qint64 nord = *Sites::AjouterSite(cnx(), QStringLiteral("Nord"), {}, {});
    const qint64 sud = *Sites::AjouterSite(cnx(), QStringLiteral("Sud"), {}, {});
    const auto atelierNord =
        Sites::AjouterService(cnx(), QStringLiteral("Atelier"), QStringLiteral("i"), nord);
    ASSERT_TRUE(atelierNord);
    EXPECT_FALSE(Sites::AjouterService(cnx(), QStringLiteral("ATELIER"), {}, nord));
    EXPECT_TRUE(Sites::AjouterService(cnx(), QStringLiteral("Atelier"), {}, sud));
    EXPECT_EQ(nombre(QStringLiteral("SELECT Site FROM Services WHERE NoService = ?"), {*atelierNord}), nord);

    // Without a site: compared with every service, written with no site.
    EXPECT_FALSE(Sites::AjouterService(cnx(), QStringLiteral("atelier"), {}, std::nullopt));
    const auto magasin = Sites::AjouterService(cnx(), QStringLiteral("Magasin 50%"), {}, std::nullopt);
    ASSERT_TRUE(magasin);
    EXPECT_TRUE(cnx()
                    .valeurUnique(QStringLiteral("SELECT Site FROM Services WHERE NoService = ?"), {*magasin})
                    .isNull());
    EXPECT_FALSE(Sites::AjouterService(cnx(), QStringLiteral("MAGASIN 50%"), {}, std::nullopt));
    EXPECT_TRUE(Sites::AjouterService(cnx(), QStringLiteral("Magasin 5%"), {}, std::nullopt));

    Sites::ModifierService(cnx(), *magasin, QStringLiteral("Atelier"), QStringLiteral("x"));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Services WHERE NomService = 'Atelier'")), 3);

    cnx().executer(
        QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom, Service) VALUES ('B1', 'Abel', ?)"),
        {*atelierNord});
    refuse([&] { Sites::SupprimerService(cnx(), *atelierNord); }, "service utilisé supprimé");
    Sites::SupprimerService(cnx(), *magasin);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Services")), 3);
}

DORVANE_SUR_CHAQUE_BASE(SitesBase);
