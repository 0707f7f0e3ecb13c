// The viewer's Excel send of a 10,000-line report to the tests' SMTP server, beside the workbook export,
// Zipper and EnvoyerEmail called in a row on the same report, same run.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "ServeurLocal.h"

#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/IniFile.h"
#include "common/forms/Instance.h"
#include "mail/Zipper.h"
#include "reports/ReportExcel.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: bench_envoi_etat [--help]\n"
    "\n"
    "Fills CA with 10,000 lines and prepares, on the offscreen platform, in the GSM configuration, the\n"
    "viewer's report over them (a detail line of six columns, with group and report totals), then\n"
    "starts the tests' SMTP server (tests/mail/serveur_smtp.py, /usr/bin/python3, python3-aiosmtpd,\n"
    "127.0.0.1) and times, alternately in the same process, one warm-up then 11 timed runs each:\n"
    "  - FenCrystalRep::CmdenvoieEmailExcel_Click: the workbook written to the temporary folder, packed\n"
    "    into its \".zip\" and mailed (the one-second wait before the send skipped by a clock of the\n"
    "    benchmark's);\n"
    "  - ReportExcel::write, Zipper and the viewer's EnvoyerEmail called in a row on the same report.\n"
    "Medians and worst times shown, with the ratio (target: 1.2 at most). The send reads no database: the\n"
    "report is prepared once per backend, on SQLite and, when DORVANE_TEST_PG holds a libpq connection\n"
    "string, on PostgreSQL too.\n";

constexpr int Fois = 11;
constexpr int Lignes = 10000;

const QString Sujet = QStringLiteral("Rapport du distributeur automatique d'E.P.I. : ");
const QString Titre = QStringLiteral("Conso 03/2026");

const char* const Definition = R"({
  "tables": ["CA", "InfoEtat", "InfoSociete"],
  "computed": [{"name": "Montant", "product": ["Quantite", "PrixAchatUnit"]}],
  "reportHeader": {"height": 20, "elements": [
    {"type": "text", "x": 0, "y": 0, "width": 120, "height": 6, "field": "InfoSociete.NOM"},
    {"type": "text", "x": 0, "y": 8, "width": 180, "height": 6, "field": "InfoEtat.Titre"}]},
  "groups": [{"key": "Utilisateur",
    "header": {"height": 7, "elements": [
      {"type": "text", "x": 0, "y": 1, "width": 60, "height": 5, "field": "Nom"},
      {"type": "text", "x": 60, "y": 1, "width": 60, "height": 5, "field": "Prenom"}]},
    "footer": {"height": 7, "elements": [
      {"type": "text", "x": 108, "y": 1, "width": 14, "height": 5, "aggregate": "sum", "field": "Quantite", "format": "integer"},
      {"type": "text", "x": 148, "y": 1, "width": 32, "height": 5, "aggregate": "sum", "field": "Montant", "format": "money"}]}}],
  "detail": {"height": 5, "elements": [
    {"type": "text", "x": 0, "y": 0, "width": 22, "height": 5, "field": "NomSite"},
    {"type": "text", "x": 22, "y": 0, "width": 20, "height": 5, "field": "Reference", "format": "integer"},
    {"type": "text", "x": 44, "y": 0, "width": 64, "height": 5, "field": "Designation"},
    {"type": "text", "x": 108, "y": 0, "width": 14, "height": 5, "field": "Quantite", "format": "integer"},
    {"type": "text", "x": 122, "y": 0, "width": 26, "height": 5, "field": "PrixAchatUnit", "format": "money"},
    {"type": "text", "x": 148, "y": 0, "width": 32, "height": 5, "field": "Montant", "format": "money"}]},
  "reportFooter": {"height": 8, "elements": [
    {"type": "text", "x": 148, "y": 1, "width": 32, "height": 6, "aggregate": "sum", "field": "Montant", "format": "money"}]}
})";

void remplir(Connexion& c) {
    TransactionEcriture t(c);
    DonneesBench::detail::Lots lots(
        c, QStringLiteral("CA"),
        {"Utilisateur", "Nom", "Prenom", "NomSite", "Reference", "Designation", "Quantite", "PrixAchatUnit"});
    for (int i = 0; i < Lignes; ++i) {
        const int salarie = i / 25;
        lots.ajouter({QStringLiteral("S%1").arg(salarie, 4, 10, QLatin1Char('0')),
                      QStringLiteral("Nom %1").arg(salarie), QStringLiteral("Prénom %1").arg(salarie),
                      QStringLiteral("Site %1").arg(i % 7), 100000 + i % 400,
                      QStringLiteral("Gants de protection taille %1 lot %2").arg(i % 11).arg(i % 400),
                      1 + i % 5, 2.5 + (i % 40) * 0.25});
    }
    lots.finir();
    t.valider();
    c.executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Société Élan'"));
}

// The mails the server has kept, which are then removed.
int relever(const QString& boite) {
    const int n = static_cast<int>(QDir(boite).entryList({QStringLiteral("*.eml")}, QDir::Files).size());
    QDir(boite).removeRecursively();
    QDir().mkpath(boite);
    return n;
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    QTemporaryDir dossier;
    const QString programme = p.serveur.isEmpty() ? p.dossier : dossier.filePath(QStringLiteral("programme"));
    const QString temporaire = dossier.filePath(QStringLiteral("tmp"));
    const QString boite = dossier.filePath(QStringLiteral("boite"));
    for (const QString& d :
         {programme, temporaire, boite, QDir(programme).filePath(QStringLiteral("RPT SQL"))})
        QDir().mkpath(d);
    ServeurLocal serveur(QStringLiteral(DORVANE_SCRIPT_SERVEUR_SMTP), {boite});
    if (serveur.port() == 0)
        throw ErreurExecution(0, QStringLiteral("the SMTP server did not start: ") + serveur.erreurs(),
                              QString());

    EtatGlobal& g = Global();
    g.NomServeur = p.serveur;
    g.NomBase = p.base;
    g.UtilisateurSQL = p.utilisateur;
    g.MotDePasseSQL = p.motDePasse;
    g.OptionVersionGSM = true;
    qputenv("DORVANE_HOME", QFile::encodeName(programme));
    qputenv("TMPDIR", QFile::encodeName(temporaire));
    g.CheminIni = QDir(programme).filePath(QStringLiteral("automat.ini"));
    g.CheminRapports = FnWendrox::AjouteBackslash(QDir(programme).filePath(QStringLiteral("RPT SQL")));
    for (const auto& [cle, valeur] : {std::pair{QStringLiteral("SMTP"), QStringLiteral("127.0.0.1")},
                                      {QStringLiteral("Port"), QString::number(serveur.port())},
                                      {QStringLiteral("MailFrom"), QStringLiteral("lise@exemple.fr")}})
        IniFile::ecrire(g.CheminIni, QStringLiteral("Email"), cle, valeur);
    QFile def(g.CheminRapports + QStringLiteral("ConsParSite.RPT"));
    if (!def.open(QIODevice::WriteOnly) || def.write(Definition) < 0)
        throw ErreurExecution(0, QStringLiteral("no report definition"), QString());
    def.close();
    FenCompteRendu::periode().TextDebut->setText(QStringLiteral("01/03/2026"));
    FenCompteRendu::periode().TextFin->setText(QStringLiteral("31/03/2026"));

    FenCrystalRep& f = Instance<FenCrystalRep>();
    f.Load();
    QString fichier = QStringLiteral("ConsParSite.RPT");
    if (f.ImprimerEtat2(fichier, QString(), Titre, QStringLiteral("CA")) != ResultatEtat::Pret)
        throw ErreurExecution(0, QStringLiteral("the report was not prepared"), QString());
    f.ComboAdressEmail->setEditText(QStringLiteral("paul@exemple.fr"));
    // Each reading of the clock two seconds on: the one-second wait ends at once.
    qint64 saut = 0;
    FnWendrox::definirHorloge([&saut] { return QDateTime::currentDateTime().addSecs(2 * ++saut); });

    const QString xlsx = QDir(temporaire).filePath(QStringLiteral("Conso 03-2026.xlsx"));
    const QString zip = QDir(temporaire).filePath(QStringLiteral("Conso 03-2026.zip"));
    std::vector<double> tBouton, tSuite;
    bool envoye = true;
    for (int essai = 0; essai <= Fois; ++essai) {
        const auto bouton = [&] {
            QElapsedTimer chrono;
            chrono.start();
            f.CmdenvoieEmailExcel_Click();
            if (essai > 0)
                tBouton.push_back(chrono.nsecsElapsed() / 1e6);
            envoye = envoye && relever(boite) == 1;
        };
        const auto suite = [&] {
            QElapsedTimer chrono;
            chrono.start();
            ReportExcel::write(f.definition(), f.tables(), xlsx);
            envoye = envoye && Zipper(xlsx, zip) && f.EnvoyerEmail(Sujet, QString(), zip).envoye();
            if (essai > 0)
                tSuite.push_back(chrono.nsecsElapsed() / 1e6);
            envoye = envoye && relever(boite) == 1;
        };
        dansLOrdre(essai, bouton, suite);
    }
    FnWendrox::definirHorloge({});
    const qsizetype lignes = f.tables().isEmpty() ? 0 : f.tables().first().rowCount();
    f.Unload();
    DetruireInstance<FenCrystalRep>();

    const double a = mediane(tBouton), b = mediane(tSuite);
    std::printf("%-10s | %d lines, %.0f KB archive | CmdenvoieEmailExcel_Click %7.1f ms (worst %7.1f) | "
                "write + Zipper + EnvoyerEmail %7.1f ms (worst %7.1f) | ratio %4.2f%s\n",
                moteur, static_cast<int>(lignes), QFileInfo(zip).size() / 1024.0, a,
                *std::max_element(tBouton.begin(), tBouton.end()), b,
                *std::max_element(tSuite.begin(), tSuite.end()), a / b, envoye ? "" : " (A SEND FAILED)");
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(argc, argv, Usage, QStringLiteral("bench_envoi_etat"), remplir,
                              [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
