#include "common/MODTranslate.h"
#include "common/EtatGlobal.h"
#include "common/IniFile.h"

#include "DossierProgrammeTemp.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace MODTranslate;

namespace {

class MODTranslateTest : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { reinitialiserEtatGlobal(); }

    QString ecrire(const QString& nom, const QByteArray& octets) {
        return ecrireFichierTest(m_dir.filePath(nom), octets);
    }

    QTemporaryDir m_dir;
};

QString ressource(const QString& nom) {
    return QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(nom);
}

const QStringList& fichiersLangue() {
    static const QStringList f{QStringLiteral("french.lng"), QStringLiteral("nederlands.lng"),
                               QStringLiteral("poland.lng"), QStringLiteral("slovaque.lng"),
                               QStringLiteral("deutch.lng")};
    return f;
}

} // namespace

TEST_F(MODTranslateTest, MessageTableFollowsTheLanguageAndNeverLeavesATextBlank) {
    Global().LangueCourante = QStringLiteral("NL");
    ChargerTextesLangue(QString());
    EXPECT_EQ(Global().msg(33), QStringLiteral("Transactie geannuleerd !"));
    EXPECT_EQ(Global().msg(1), QStringLiteral("Sluiten"));
    EXPECT_EQ(Global().msg(41), QStringLiteral("Bad file format!"));

    Global().LangueCourante = QStringLiteral("SK");
    ChargerTextesLangue(QString());
    EXPECT_EQ(Global().msg(3), QStringLiteral("další stroj"));
    EXPECT_EQ(Global().msg(11), QStringLiteral(" Prosím, zvolte si najskôr druh."));
    EXPECT_EQ(Global().msg(27), QStringLiteral("V tomto období neprebehli ziadne  operácie."));

    // Polish has only the first ten texts: the rest are French, not empty.
    Global().LangueCourante = QStringLiteral("PL");
    ChargerTextesLangue(QString());
    EXPECT_EQ(Global().msg(1), QStringLiteral("Zamknij"));
    EXPECT_EQ(Global().msg(10), QStringLiteral("kolumna"));
    EXPECT_EQ(Global().msg(11), QStringLiteral("Veuillez d'abord sélectionner la famille !"));
    EXPECT_EQ(Global().msg(48),
              QStringLiteral("La taille du fichier est trop importante, elle doit être inferieur à 520 Ko"));

    // German has none: all French, whatever the table held before.
    Global().LangueCourante = QStringLiteral("DE");
    ChargerTextesLangue(QString());
    EXPECT_EQ(Global().msg(1), QStringLiteral("Fermer"));
    EXPECT_EQ(Global().msg(33), QStringLiteral("Opération annulée !"));

    Global().LangueCourante = QStringLiteral("FR");
    ChargerTextesLangue(QString());
    // Blanks are part of the texts.
    EXPECT_EQ(Global().msg(10), QStringLiteral("Colonne "));
    EXPECT_EQ(Global().msg(30), QStringLiteral("  existe déjà !"));
    EXPECT_EQ(Global().msg(24), QStringLiteral("Confirmer la suppression de: "));

    for (const char* langue : {"FR", "NL", "SK", "PL", "DE", "XX", ""}) {
        const auto msg = TextesMessages(QString::fromLatin1(langue));
        for (int n = 1; n <= 48; ++n)
            EXPECT_FALSE(msg[size_t(n)].isEmpty()) << langue << " " << n;
        EXPECT_TRUE(msg[0].isEmpty());
    }
}

TEST_F(MODTranslateTest, LireTraductionReadsThroughTheIniRules) {
    const QString f = ecrire(QStringLiteral("nederlands.lng"), "[FrmStock]\r\n"
                                                               "Label1.Caption = Artikel \r\n"
                                                               "Label2(29).Caption=\" Met spatie\"\r\n"
                                                               "broken line without equals\r\n"
                                                               "[FrmStock\r\n"
                                                               "Leeg.Caption=\r\n"
                                                               "Lang.Caption=" +
                                                                   QByteArray(300, 'x') + "\r\n");
    const QString d = QStringLiteral("defaut");
    EXPECT_EQ(LireTraduction(f, QStringLiteral("FrmStock"), QStringLiteral("Label1.Caption"), d),
              QStringLiteral("Artikel"));
    EXPECT_EQ(LireTraduction(f, QStringLiteral(" frmstock "), QStringLiteral("label2(29).caption"), d),
              QStringLiteral(" Met spatie"));
    EXPECT_EQ(LireTraduction(f, QStringLiteral("FrmStock"), QStringLiteral("Leeg.Caption"), d), QString());
    EXPECT_EQ(LireTraduction(f, QStringLiteral("FrmStock"), QStringLiteral("Lang.Caption"), d).size(), 254);
    EXPECT_EQ(LireTraduction(f, QStringLiteral("FrmStock"), QStringLiteral("Absent.Caption"), d), d);
    EXPECT_EQ(LireTraduction(f, QStringLiteral("FenSites"), QStringLiteral("Label1.Caption"), d), d);
    // The default is handed back as it is, blanks included.
    EXPECT_EQ(LireTraduction(f, QStringLiteral("FenSites"), QStringLiteral("X"), QStringLiteral(" a ")),
              QStringLiteral(" a "));

    EXPECT_EQ(LireTraduction(m_dir.filePath(QStringLiteral("absent.lng")), QStringLiteral("FrmStock"),
                             QStringLiteral("Label1.Caption"), d),
              d);
    EXPECT_EQ(LireTraduction(QString(), QStringLiteral("FrmStock"), QStringLiteral("Label1.Caption"), d), d);
    const QString vide = ecrire(QStringLiteral("vide.lng"), QByteArray());
    EXPECT_EQ(LireTraduction(vide, QStringLiteral("FrmStock"), QStringLiteral("Label1.Caption"), d), d);
    const QString binaire = ecrire(QStringLiteral("binaire.lng"), QByteArray("\0\xff\xfe[\0]=\n\0", 9));
    EXPECT_EQ(LireTraduction(binaire, QStringLiteral("FrmStock"), QStringLiteral("Label1.Caption"), d), d);
    // Lines ended by a lone CR are lines too.
    const QString mac =
        ecrire(QStringLiteral("deutch.lng"), "[FrmStock]\rLabel1.Caption=Artikel\rLabel2.Caption=Menge\r");
    EXPECT_EQ(LireTraduction(mac, QStringLiteral("FrmStock"), QStringLiteral("Label1.Caption"), d),
              QStringLiteral("Artikel"));
    EXPECT_EQ(LireTraduction(mac, QStringLiteral("FrmStock"), QStringLiteral("Label2.Caption"), d),
              QStringLiteral("Menge"));
}

TEST_F(MODTranslateTest, SingleByteLanguageFilesDecodeWithTheirCodePage) {
    // "Zamknij okno łódź" in Windows-1250, "Schließen" in Windows-1252.
    const QByteArray pl = "[Calendrier]\nCommand1.Caption=Zamknij okno \xb3\xf3"
                          "d\x9f\n";
    const QByteArray de = "[Calendrier]\nCommand1.Caption=Schlie\xdf"
                          "en\n";
    const QString fpl = ecrire(QStringLiteral("poland.lng"), pl);
    const QString fsk = ecrire(QStringLiteral("SLOVAQUE.LNG"), pl);
    const QString fde = ecrire(QStringLiteral("deutch.lng"), de);
    const QString s = QStringLiteral("Calendrier"), k = QStringLiteral("Command1.Caption");
    EXPECT_EQ(LireTraduction(fpl, s, k, {}), QStringLiteral("Zamknij okno łódź"));
    EXPECT_EQ(LireTraduction(fsk, s, k, {}), QStringLiteral("Zamknij okno łódź"));
    EXPECT_EQ(LireTraduction(fde, s, k, {}), QStringLiteral("Schließen"));
}

TEST_F(MODTranslateTest, AChangedFileIsReadAgain) {
    const QString f = ecrire(QStringLiteral("french.lng"), "[A]\nB.Caption=un\n");
    EXPECT_EQ(LireTraduction(f, QStringLiteral("A"), QStringLiteral("B.Caption"), {}), QStringLiteral("un"));
    {
        QFile w(f);
        ASSERT_TRUE(w.open(QIODevice::WriteOnly));
        w.write("[A]\nB.Caption=deux, plus long\n");
    }
    EXPECT_EQ(LireTraduction(f, QStringLiteral("A"), QStringLiteral("B.Caption"), {}),
              QStringLiteral("deux, plus long"));
}

TEST_F(MODTranslateTest, GridCaptionsOnlyForAForeignLanguageAndAFormWithGrids) {
    const QString f =
        ecrire(QStringLiteral("nederlands.lng"), "[Grid]\n"
                                                 "FrmStock.DBGrid2.Caption=Artikelen\n"
                                                 "FrmStock.DBGrid2.Columns(2).Caption=Omschrijving\n"
                                                 "FrmConfigMachine.DataGrid1.Columns(1).Caption=Soort\n");
    Global().LangueCourante = QStringLiteral("FR");
    EXPECT_TRUE(ChargerTextesLangue(f, QStringLiteral("FrmStock")).isEmpty());

    Global().LangueCourante = QStringLiteral("NL");
    EXPECT_TRUE(ChargerTextesLangue(f).isEmpty());
    EXPECT_TRUE(ChargerTextesLangue(f, QStringLiteral("Calendrier")).isEmpty());
    EXPECT_EQ(Global().msg(1), QStringLiteral("Sluiten"));

    const QList<TexteGrille> stock = ChargerTextesLangue(f, QStringLiteral("FrmStock"));
    ASSERT_EQ(stock.size(), 13);
    EXPECT_EQ(stock[0].grille, QStringLiteral("DBGrid2"));
    EXPECT_EQ(stock[0].colonne, -1);
    EXPECT_EQ(stock[0].texte, QStringLiteral("Artikelen"));
    EXPECT_EQ(stock[3].colonne, 2);
    EXPECT_EQ(stock[3].texte, QStringLiteral("Omschrijving"));
    // A missing key gives the French caption.
    EXPECT_EQ(stock[1].texte, QStringLiteral("Réference"));
    EXPECT_EQ(stock[11].texte, QStringLiteral("Qté Global"));

    // The locker form reads the machine form's keys for its own grid.
    const QList<TexteGrille> casier = ChargerTextesLangue(f, QStringLiteral("FrmConfigMachineCasier"));
    ASSERT_EQ(casier.size(), 4);
    EXPECT_EQ(casier[1].grille, QStringLiteral("DataGrid1"));
    EXPECT_EQ(casier[1].texte, QStringLiteral("Soort"));

    // Two grids on one form, columns the table skips stay out.
    const QList<LibelleGrille> utilisateur = LibellesGrille(QStringLiteral("FrmUtilisateur"));
    QSet<int> colonnes;
    for (const auto& l : utilisateur)
        if (l.grille == QLatin1String("DBGrid1"))
            colonnes.insert(l.colonne);
    EXPECT_EQ(colonnes, (QSet<int>{-1, 0, 1, 2, 3, 4, 5, 7, 8, 9}));
    EXPECT_EQ(LibellesGrille(QStringLiteral("FrmUtilisateur")).size(), 17);
}

TEST_F(MODTranslateTest, GridKeyTableCoversThirteenFormsWithUniqueKeys) {
    QSet<QString> formes;
    QSet<QString> cles;
    for (const LibelleGrille& l : TableLibellesGrille()) {
        formes.insert(l.forme);
        EXPECT_TRUE(l.cle.startsWith(l.forme == QLatin1String("FrmConfigMachineCasier")
                                         ? QStringLiteral("FrmConfigMachine.")
                                         : l.forme + QLatin1Char('.')))
            << qPrintable(l.cle);
        EXPECT_FALSE(l.defaut.isEmpty());
        cles.insert(l.forme + QLatin1Char('|') + l.cle);
    }
    EXPECT_EQ(formes.size(), 13);
    EXPECT_EQ(cles.size(), TableLibellesGrille().size());
}

TEST_F(MODTranslateTest, ShippedLanguageFilesHoldEveryGridKeyInUtf8) {
    for (const QString& nom : fichiersLangue()) {
        const QString chemin = ressource(nom);
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(nom);
        const QByteArray octets = f.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString texte = utf8(octets);
        EXPECT_FALSE(utf8.hasError()) << qPrintable(nom);

        const auto ini = IniFile::enCache(chemin, IniFile::codePagePour(chemin));
        ASSERT_TRUE(ini && ini->valide()) << qPrintable(nom);
        for (const LibelleGrille& l : TableLibellesGrille()) {
            bool trouve = false;
            const QString v = ini->valeur(QStringLiteral("Grid"), l.cle, &trouve);
            EXPECT_TRUE(trouve) << qPrintable(nom) << " " << qPrintable(l.cle);
            EXPECT_FALSE(v.trimmed().isEmpty()) << qPrintable(nom) << " " << qPrintable(l.cle);
            if (nom == QLatin1String("french.lng")) {
                EXPECT_EQ(v, l.defaut) << qPrintable(l.cle);
            }
        }
        // Keys that no grid reads would be dead weight.
        for (const QString& cle : ini->cles(QStringLiteral("Grid"))) {
            bool connue = false;
            for (const LibelleGrille& l : TableLibellesGrille())
                connue = connue || l.cle.compare(cle, Qt::CaseInsensitive) == 0;
            EXPECT_TRUE(connue) << qPrintable(nom) << " " << qPrintable(cle);
        }
        for (const QString& section : ini->sections())
            for (const QString& cle : ini->cles(section))
                EXPECT_LE(ini->valeur(section, cle).size(), IniFile::LongueurMax);
    }
}
