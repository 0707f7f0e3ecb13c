#include "app/forms/DemarrageFixture.h"

#include "app/MenuPrincipal.h"
#include "common/IniFile.h"
#include "common/MODTranslate.h"
#include "manuel/LivreManuel.h"
#include "manuel/PhotosManuel.h"
#include "support/OutilsProcessus.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QString dossierChapitres(const QString& langue) {
    return QDir(QStringLiteral(DORVANE_MANUEL_SOURCES)).filePath(langue.toLower());
}
QString manuelConstruit(const QString& langue) {
    return QDir(QStringLiteral(DORVANE_DOCUMENTS_DIR))
        .filePath(langue == QLatin1String("FR") ? QStringLiteral("mu_quorel.pdf")
                                                : QStringLiteral("mu_quorel%1.pdf").arg(langue));
}
QByteArray octets(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QString simplifie(QString texte) {
    return texte.replace(QChar(0x00A0), u' ').simplified();
}
// The pages of the PDF as pdftotext lays them out (it ends each with a form feed); each line with its blanks
// simplified. Page n is at index n - 1.
QList<QStringList> pagesPdf(const QString& pdf) {
    QList<QStringList> pages;
    for (const QString& page : OutilsProcessus::textePdf(pdf).split(u'\f')) {
        QStringList lignes;
        for (const QString& l : page.split(u'\n'))
            lignes << simplifie(l);
        pages << lignes;
    }
    if (!pages.isEmpty())
        pages.removeLast(); // after the last form feed
    return pages;
}

// The program in a folder laid out by the setup routine, then by the real dorvane-setup, which adds the
// manuals built with the program.
class ManuelTest : public DemarrageFixture {
protected:
    void SetUp() override {
        DemarrageFixture::SetUp();
        if (HasFatalFailure())
            return;
        int code = -1;
        OutilsProcessus::lancer(QStringLiteral(DORVANE_SETUP), {dossier->chemin()}, &code);
        ASSERT_EQ(code, 0);
    }
};

class AideManuelTest : public ManuelTest,
                       public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

} // namespace

TEST_P(AideManuelTest, TheHelpButtonOpensTheShippedManualOfTheLanguage) {
    const QString langue = QString::fromLatin1(GetParam().first);
    const QString attendu =
        dossier->fichier(QStringLiteral("documents/") + QString::fromLatin1(GetParam().second));
    // The shipped manual, as built, no copy of the test's own.
    ASSERT_TRUE(QFile::exists(attendu));
    EXPECT_EQ(octets(attendu),
              octets(manuelConstruit(langue == QLatin1String("NL") ? langue : QStringLiteral("FR"))));
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), langue);
    ASSERT_FALSE(Main().has_value());
    ASSERT_EQ(Global().LangueCourante, langue);
    session->attendreOuvrirDocument(attendu);
    QTest::mouseClick(bouton(QStringLiteral("Commandhelp")), Qt::LeftButton);
    EXPECT_EQ(session->documentsOuverts(), QStringList{attendu});
}

INSTANTIATE_TEST_SUITE_P(Langues, AideManuelTest,
                         ::testing::Values(std::pair{"FR", "mu_quorel.pdf"},
                                           std::pair{"NL", "mu_quorelNL.pdf"},
                                           std::pair{"PL", "mu_quorel.pdf"}));

TEST_F(ManuelTest, EachPictureIsOfTheWindowItsButtonOpensInTheManualsLanguageAndAFormThatCannotShowFails) {
    for (const QString& langue : {QStringLiteral("FR"), QStringLiteral("NL")}) {
        SCOPED_TRACE(langue.toStdString());
        QStringList noms;
        for (const LivreManuel::Chapitre& c : LivreManuel::lireChapitres(dossierChapitres(langue), nullptr))
            noms << PhotosManuel::nomsDemandes(c.markdown);
        ASSERT_GE(noms.size(), 10);
        ASSERT_TRUE(noms.contains(PhotosManuel::NomPrincipale));

        RegistreMenu::global().vider();
        enregistrerFormesMenu(RegistreMenu::global());
        definirCheminVerrou(verrou.filePath(langue + QStringLiteral(".lock")));
        // The customer whose menu has the job-code list.
        executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'KESTAVON'"));
        QTemporaryDir photos;
        QList<PhotosManuel::Photo> faites;
        QString erreur;
        ASSERT_TRUE(PhotosManuel::photographier(langue, noms, photos.path(), &faites, &erreur))
            << erreur.toStdString();
        ASSERT_EQ(faites.size(), QSet<QString>(noms.begin(), noms.end()).size());
        const auto lng = IniFile::lire(dossier->fichier(MODTranslate::NomFichierLangue(langue)));
        for (const PhotosManuel::Photo& p : faites) {
            SCOPED_TRACE(p.nom.toStdString());
            QString fenetre = QStringLiteral("FrmPrincipal");
            if (QWidget* f = RegistreMenu::global().instanceExistante(p.nom))
                fenetre = f->objectName();
            else if (p.nom == QLatin1String("CmdApropos"))
                fenetre = QStringLiteral("frmAbout");
            EXPECT_EQ(p.fenetre, fenetre);
            // Its title as the language file gives it (the version box is translated only through F12).
            const QString titre = lng.valeur(p.fenetre, QStringLiteral("Form.Caption"));
            if (!titre.isEmpty() && p.fenetre != QLatin1String("FrmPrincipal") &&
                p.fenetre != QLatin1String("frmAbout")) {
                EXPECT_EQ(p.titre, titre);
            }
            const QImage image(p.fichier);
            EXPECT_EQ(image.width(), p.taille.width());
            EXPECT_GT(image.height(), p.taille.height());
        }
        // The run ended as when the user leaves.
        EXPECT_FALSE(frmPrincipal().isVisible());
        reinitialiserEtatGlobal();
    }

    // A button whose window does not show, or that is greyed: the making stops and names it.
    RegistreMenu::global().vider();
    enregistrerFormesMenu(RegistreMenu::global());
    RegistreMenu::global().enregistrerAction(QStringLiteral("CmdVente"), [](QWidget*) {});
    definirCheminVerrou(verrou.filePath(QStringLiteral("echec.lock")));
    QTemporaryDir photos;
    QString erreur;
    EXPECT_FALSE(PhotosManuel::photographier(QStringLiteral("FR"),
                                             {QStringLiteral("CmdStock"), QStringLiteral("CmdVente")},
                                             photos.path(), nullptr, &erreur));
    EXPECT_TRUE(erreur.startsWith(QStringLiteral("CmdVente"))) << erreur.toStdString();
    reinitialiserEtatGlobal();
    definirCheminVerrou(verrou.filePath(QStringLiteral("fin.lock")));
    RegistreMenu::global().retirer(QStringLiteral("CmdVente"));
    EXPECT_FALSE(PhotosManuel::photographier(QStringLiteral("FR"), {QStringLiteral("CmdVente")},
                                             photos.path(), nullptr, &erreur));
    EXPECT_TRUE(erreur.startsWith(QStringLiteral("CmdVente"))) << erreur.toStdString();
}

TEST(ManuelPdf, EveryMenuCaptionIsInTheManualAndItsContentsGiveTheRightPages) {
    for (const QString& langue : {QStringLiteral("FR"), QStringLiteral("NL")}) {
        SCOPED_TRACE(langue.toStdString());
        const QString pdf = manuelConstruit(langue);
        const QString texte = simplifie(OutilsProcessus::textePdf(pdf));
        ASSERT_FALSE(texte.isEmpty());
        const auto lng = IniFile::lire(
            QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(MODTranslate::NomFichierLangue(langue)));
        for (const BoutonMenu& b : MenuPrincipal::boutons()) {
            QString legende = b.legende;
            if (langue != QLatin1String("FR"))
                legende = lng.valeur(QStringLiteral("FrmPrincipal"), b.nom + QStringLiteral(".Caption"));
            EXPECT_TRUE(texte.contains(simplifie(legende)))
                << b.nom.toStdString() << " \"" << legende.toStdString() << '"';
        }

        // The contents: the pages after the title page up to the first with a header.
        const QList<QStringList> pages = pagesPdf(pdf);
        const QString entete = simplifie(LivreManuel::textes(langue).titre + QStringLiteral(" — ") +
                                         LivreManuel::textes(langue).sousTitre);
        static const QRegularExpression ligne(QStringLiteral(R"(^(\d+(?:\.\d+)?) (.+?)[ .]* (\d+)$)"));
        QList<QList<QString>> entrees;
        int page = 2;
        for (; page <= pages.size(); ++page) {
            const QStringList& l = pages[page - 1];
            if (l.join(u'\n').contains(entete))
                break;
            for (const QString& t : l)
                if (const auto m = ligne.match(t); m.hasMatch())
                    entrees.append({m.captured(1), m.captured(2), m.captured(3)});
        }
        const int chapitres =
            static_cast<int>(LivreManuel::lireChapitres(dossierChapitres(langue), nullptr).size());
        ASSERT_GE(entrees.size(), chapitres);
        // Each title stands on a line of its own on the page the contents give, and on no other.
        int chapitresVus = 0;
        for (const auto& e : entrees) {
            const QString titre = e[0] + u' ' + e[1];
            const int annoncee = e[2].toInt();
            chapitresVus += !e[0].contains(u'.');
            QList<int> ou;
            for (int p = page; p <= pages.size(); ++p)
                if (pages[p - 1].contains(titre))
                    ou << p;
            EXPECT_EQ(ou, QList<int>{annoncee}) << titre.toStdString();
        }
        EXPECT_EQ(chapitresVus, chapitres);
    }
}

TEST(ManuelPdf, EverySettingOfAutomatIniIsInTheFirstChapter) {
    const IniFile ini =
        IniFile::lire(QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("automat.ini")));
    ASSERT_TRUE(ini.valide());
    QStringList cles;
    for (const QString& s : ini.sections())
        for (const QString& c : ini.cles(s))
            if (!cles.contains(c))
                cles << c;
    ASSERT_GT(cles.size(), 40);
    for (const QString& langue : {QStringLiteral("FR"), QStringLiteral("NL")}) {
        SCOPED_TRACE(langue.toStdString());
        const auto chapitres = LivreManuel::lireChapitres(dossierChapitres(langue), nullptr);
        ASSERT_FALSE(chapitres.isEmpty());
        ASSERT_TRUE(QFileInfo(chapitres.first().fichier).fileName().startsWith(QStringLiteral("00")));
        QSet<QString> citees;
        static const QRegularExpression code(QStringLiteral("`([^`]+)`"));
        for (auto m = code.globalMatch(chapitres.first().markdown); m.hasNext();)
            citees.insert(m.next().captured(1).trimmed());
        // A numbered series ("Mailto0" to "Mailto50") may be given by its first and last keys.
        static const QRegularExpression serie(QStringLiteral(R"(^(.*\D)(\d+)$)"));
        for (const QString& c : cles) {
            if (citees.contains(c))
                continue;
            const auto m = serie.match(c);
            bool bornes = false;
            if (m.hasMatch()) {
                int dernier = 0;
                for (const QString& autre : cles)
                    if (const auto n = serie.match(autre); n.hasMatch() && n.captured(1) == m.captured(1))
                        dernier = std::max(dernier, n.captured(2).toInt());
                bornes = citees.contains(m.captured(1) + u'0') &&
                         citees.contains(m.captured(1) + QString::number(dernier));
            }
            EXPECT_TRUE(bornes) << c.toStdString();
        }
    }
}
