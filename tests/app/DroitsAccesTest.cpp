#include "app/DroitsAcces.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "support/BaseDeTest.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

class DroitsAccesTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        m_optionAvant = Global().OptionLimitationAcces;
    }
    void TearDown() override {
        Global().OptionLimitationAcces = m_optionAvant;
        TestAvecBase::TearDown();
    }

    // A row of Gestionnaire with every right set to `droit` except the named columns, which get
    // `exceptions` (a null QVariant writes Null).
    void ajouterLigne(const QString& login, bool droit, const QMap<QString, QVariant>& exceptions = {}) {
        ParametresConnexion p = Connexion::parametresDroits();
        p.lectureSeule = false;
        Connexion droits(p);
        QString colonnes = QStringLiteral("Utilisateur");
        QString marques = QStringLiteral("?");
        QVariantList valeurs{login};
        for (const DroitsAcces::ColonneDroit& c : DroitsAcces::colonnesDroits()) {
            colonnes += QStringLiteral(", ") + c.colonne;
            marques += QStringLiteral(", ?");
            valeurs << exceptions.value(c.colonne, QVariant(droit));
        }
        droits.executer(QStringLiteral("INSERT INTO Gestionnaire (%1) VALUES (%2)").arg(colonnes, marques),
                        valeurs);
    }

    static QMap<QString, bool> tous(bool etat) {
        QMap<QString, bool> m;
        for (const QString& b : DroitsAcces::boutonsGouvernes())
            m.insert(b, etat);
        return m;
    }

private:
    bool m_optionAvant = false;
};

} // namespace

TEST_P(DroitsAccesTest, ToutSaufComptoirActiveChaqueBoutonGouverneSaufLeComptoir) {
    ajouterLigne(QStringLiteral("autre"), false);
    ajouterLigne(QStringLiteral("mdurand"), true, {{QStringLiteral("Comptoir"), false}});

    const auto droits = DroitsAcces::LireDroits(QStringLiteral("mdurand"));
    ASSERT_TRUE(droits.has_value());
    QMap<QString, bool> attendu = tous(true);
    attendu[QStringLiteral("CmdComptoir")] = false;
    EXPECT_EQ(*droits, attendu);
    // The login is compared without regard to case.
    EXPECT_EQ(DroitsAcces::LireDroits(QStringLiteral("MDurand")), droits);
    EXPECT_EQ(DroitsAcces::LireDroits(QStringLiteral("autre")), tous(false));
}

TEST_P(DroitsAccesTest, LoginSansLigneNeChangeRien) {
    ajouterLigne(QStringLiteral("mdurand"), false);
    EXPECT_FALSE(DroitsAcces::LireDroits(QStringLiteral("jmartin")).has_value());
    EXPECT_FALSE(DroitsAcces::LireDroits(QString()).has_value());
    // A prefix or an extension of a known login is another login.
    EXPECT_FALSE(DroitsAcces::LireDroits(QStringLiteral("mdura")).has_value());
    EXPECT_FALSE(DroitsAcces::LireDroits(QStringLiteral("mdurand2")).has_value());
}

TEST_P(DroitsAccesTest, JokersEtApostrophesDuLoginNeCorrespondentQuALuiMeme) {
    ajouterLigne(QStringLiteral("mdurand"), false);
    for (const QString& login :
         {QStringLiteral("%"), QStringLiteral("*"), QStringLiteral("m%"), QStringLiteral("mdur_nd"),
          QStringLiteral("mdur?nd"), QStringLiteral("md[u]rand"), QStringLiteral("' OR '1'='1"),
          QStringLiteral("d'Artagnan"), QStringLiteral("\\")})
        EXPECT_FALSE(DroitsAcces::LireDroits(login).has_value()) << login.toStdString();

    ajouterLigne(QStringLiteral("d'Artagnan"), true);
    ajouterLigne(QStringLiteral("100%_sur"), true, {{QStringLiteral("Tailles"), false}});
    EXPECT_EQ(DroitsAcces::LireDroits(QStringLiteral("D'ARTAGNAN")), tous(true));
    QMap<QString, bool> attendu = tous(true);
    attendu[QStringLiteral("CmdTailles")] = false;
    EXPECT_EQ(DroitsAcces::LireDroits(QStringLiteral("100%_sur")), attendu);
    EXPECT_FALSE(DroitsAcces::LireDroits(QStringLiteral("100x_sur")).has_value());
}

TEST_P(DroitsAccesTest, DroitNullEstUneErreur) {
    ajouterLigne(QStringLiteral("mdurand"), true, {{QStringLiteral("Report"), QVariant()}});
    try {
        DroitsAcces::LireDroits(QStringLiteral("mdurand"));
        FAIL() << "a Null right was taken as an answer";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), 94);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Report")));
    }
}

TEST_P(DroitsAccesTest, SansLimitationLaBaseDesDroitsNEstJamaisOuverte) {
    ajouterLigne(DroitsAcces::UserName(), false);
    Global().OptionLimitationAcces = true;
    EXPECT_EQ(DroitsAcces::DroitsUtilisateurCourant(), tous(false));

    // With the option off, not even a missing rights database is noticed.
    const QString droitsAvant = Global().NomBaseDroits;
    Global().NomBaseDroits = QStringLiteral("droits_absents_%1").arg(QCoreApplication::applicationPid());
    Global().OptionLimitationAcces = false;
    EXPECT_NO_THROW(EXPECT_FALSE(DroitsAcces::DroitsUtilisateurCourant().has_value()));

    // With the option on, it is an error for the main window to show.
    Global().OptionLimitationAcces = true;
    try {
        DroitsAcces::DroitsUtilisateurCourant();
        ADD_FAILURE() << "a missing rights database went unnoticed";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::BaseInaccessible);
    }
    Global().NomBaseDroits = droitsAvant;
}

DORVANE_SUR_CHAQUE_BASE(DroitsAccesTest);

TEST(DroitsAcces, ChaineDeConnexion) {
    EtatGlobal& g = Global();
    const EtatGlobal avant = g;
    g.UtilisateurSQL = QStringLiteral("sa");
    g.MotDePasseSQL = QStringLiteral("tovek");
    g.NomServeur = QStringLiteral("SRV01\\SQLEXPRESS");
    g.NomBaseDroits = QStringLiteral("gestionnaire");
    EXPECT_EQ(DroitsAcces::ChaineConnexionDroits(),
              QStringLiteral("uid=sa;pwd=tovek;driver={SQL Server}; server=SRV01\\SQLEXPRESS;"
                             "database=gestionnaire;dsn=''"));
    g = avant;

    EXPECT_FALSE(DroitsAcces::UserName().isEmpty());
}
