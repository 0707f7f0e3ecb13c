#pragma once

#include "common/ErreurExecution.h"
#include "common/forms/FormBase.h"
#include "mail/EnvoiEmail.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportData.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportDocument.h"
#include "reports/ReportTable.h"

#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>

class Connexion;
class ProgessBarre;
class QComboBox;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;
class QSpinBox;
class QToolButton;

// What became of a report.
enum class ResultatEtat {
    Pret,          // the report is in the viewer (ImprimerEtat2), or was shown (ImprimerEtat)
    RienAImprimer, // the builder found nothing to print: nothing is shown, the caller says so (message 27)
    Abandonne      // nothing is shown: a failure or an empty returns report, already told to the user
};

// What a caller may give beyond the report's texts.
struct OptionsEtat {
    QVariantList valeurs;       // the values bound to the "?" of a SELECT record source (typed values)
    QVariantList valeursFiltre; // those of the CA filter
    // Fills the work table in the transaction that writes the header and reads the tables (see
    // ReportData::Builder); false from it means nothing to print.
    ReportData::Builder constructeur;
    // The file as named, never its English twin (the cost-centre report is French only).
    bool sansJumeau = false;
};

// The report viewer: the one window through which every report is shown, printed and exported. A caller
// names a report file of the report folder (or its English twin), a title and a record source; the viewer
// writes the header InfoEtat, reads the tables the report is bound to (ReportData) in one transaction with
// the caller's builder, lays the report out once and shows its pages in a preview with zoom and page
// navigation. Outside the GSM configuration it prints (through the printer choice of the dialog service)
// and exports to PDF and Excel (through the save request); in the GSM configuration it shows the e-mail
// controls instead. The recipient list and the sending method are kept in settings section "Email".
class FenCrystalRep : public FormBase {
    Q_OBJECT
public:
    explicit FenCrystalRep(QWidget* parent = nullptr);
    ~FenCrystalRep() override;

    // Hourglass, load, ImprimerEtat2, then the viewer modal over `proprietaire` when the report is ready;
    // returns when it closes. A failure outside ImprimerEtat2 is logged under "ImprimerEtat".
    ResultatEtat ImprimerEtat(QString& fichier, const QString& formule, const QString& titre,
                              const QString& source, QWidget* proprietaire, const QString& filtre = QString(),
                              const OptionsEtat& options = {});
    // Prepares the report in the viewer without showing it. `fichier` receives the English twin's name when
    // that is opened; `formule` is not read. The period is that of FenCompteRendu.TextDebut and TextFin.
    // A failure shows its number and description and unloads the viewer; an empty returns report shows
    // message 27 and unloads it; a builder with nothing to print unloads it and shows nothing.
    ResultatEtat ImprimerEtat2(QString& fichier, const QString& formule, const QString& titre,
                               const QString& source, const QString& filtre = QString(),
                               const OptionsEtat& options = {});
    // Opens the viewer's connection when it is closed (the builders run on it).
    void ChargerProviderDatabase();
    // Mails one file through the viewer's mail control (EnvoiEmail::EnvoyerEmail), loading the viewer
    // first when it is not loaded, without showing it; ProgressBar1 follows the send, then shows 0.
    ResultatEnvoi EnvoyerEmail(const QString& sujet, const QString& corps, const QString& pieceJointe);
    // The viewer's sender: its mail control Email1 and the status log, kept while the viewer is loaded.
    EnvoiEmail& envoiEmail() { return *m_envoiEmail; }

    // The builders over the journal, for the period of the reports menu (FenCompteRendu::periode()).
    // CreerEtatCA's step, to hand to ImprimerEtat in OptionsEtat::constructeur: EtatCA, then
    // `instruction` with its bound `valeurs` when given, the count and the viewer's read, in one
    // transaction. Nothing to print when EtatDepuisCompteRendu is false (the menu is then not read) or the
    // period is none. Its own failures are logged under "CreerEtatCA" and shown by the viewer.
    ReportData::Builder CreerEtatCA(const QString& instruction = QString(), const QVariantList& valeurs = {});
    // The cost-centre report `fichier` (never its twin), titled "ConsoParCentreCout", over
    // ConsoParMachineSecteur filled for the period: shown modal over `proprietaire`, true. No row: the
    // viewer unloaded, nothing said, false. A failure is logged under "CreerEtatConsoParCentreCout",
    // shows nothing, gives false and, when `erreur` is given, lands there.
    bool CreerEtatConsoParCentreCout(const QString& fichier, QWidget* proprietaire,
                                     std::optional<ErreurExecution>* erreur = nullptr);
    // AjoutSuiviParHeure and AjoutCAparArticle for the period, on the viewer's connection: true when
    // their table holds a row; false when the period is none or on a failure (logged under the
    // builder's name).
    bool CreerEtatSuiviParHeure();
    bool CreerEtatCAparArticle();
    // The machine sheets' step, to hand to ImprimerEtat in OptionsEtat::constructeur
    // (ReportBuilders::CreerEtatRemplissageMach).
    ReportData::Builder CreerEtatRemplissageMach(int machine, int nombre, QString procedure,
                                                 std::function<bool(Connexion&)> travail = {});
    // Prepares one picture of the picture sheets on the viewer's connection (ReportBuilders::CreerImageRPT).
    void CreerImageRPT(const QString& dossier, const QString& reference);

    // The height kept free below the viewer, in twips, from the task bar's height in pixels (negative when
    // unknown): 22 twips a pixel, at least 800.
    static int HauteurReservee(int hauteurBarre);

    // The report in the viewer: its title (the base name of its exports) and its pages.
    const QString& titre() const { return m_titre; }
    const ReportDocument& document() const { return m_document; }
    const ReportDefinition& definition() const { return m_definition; }
    const QList<ReportTable>& tables() const { return m_tables; }

    QLabel* Label1; // "Adresse E-mail:"
    QComboBox* ComboAdressEmail;
    QComboBox* ComboEmail; // sending method, hidden
    QPushButton* CmdEmail;
    QPushButton* CmdenvoieEmailExcel;
    ProgessBarre* ProgressBar1;
    QPrintPreviewWidget* CRViewer1;
    // The viewer's own controls.
    QPushButton* CmdImprimer;
    QPushButton* CmdExportPdf;
    QPushButton* CmdExportExcel;
    QToolButton* CmdPremierePage;
    QToolButton* CmdPagePrecedente;
    QSpinBox* TextPage;
    QLabel* LabelPages; // "/ <page count>"
    QToolButton* CmdPageSuivante;
    QToolButton* CmdDernierePage;
    QPushButton* CmdZoomMoins;
    QPushButton* CmdZoomPlus;
    QPushButton* CmdPageEntiere;
    QPushButton* CmdPleineLargeur;

public slots:
    // The two send buttons: the report the viewer holds (kept after an unload until the next report)
    // exported to the temporary folder under its title, as a PDF or as a workbook packed in a ".zip",
    // and, with the SMTP destination, mailed to the address of ComboAdressEmail. A failure, a mail not
    // sent included, is shown; nothing is sent after it.
    void CmdEmail_Click();
    void CmdenvoieEmailExcel_Click();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& annuler) override;
    // Esc closes the viewer, as its window's close button does.
    bool toucheEchap(QObject* controle) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private slots:
    // The viewer's print request: in the GSM configuration the PDF mail, otherwise the print-out.
    void CRViewer1_PrintButtonClicked();
    void CmdExportPdf_Click();
    void CmdExportExcel_Click();
    void CRViewer1_paintRequested(QPrinter* imprimante);
    void CRViewer1_previewChanged();

private:
    // The mail control's events (FenCrystalRepEmail.cpp).
    void brancherEmail();
    void Email1_ProgressionEnvoi(qint64 envoye, qint64 total, int pourcentage);
    void Email1_ProgressionPieceJointe(bool enCours, const QString& fichier, int pourcentage);
    void Email1_ListePiecesJointes(int nombre, const QString& liste);

    // The send buttons (FenCrystalRepEnvoi.cpp).
    void envoyerRapport(bool classeur);

    void ComboAdressEmail_LostFocus();
    void Form_Terminate();
    void ecrireDestinataires(bool silencieux);
    void afficher();
    void vider();
    void allerPage(int page);
    // Where to write an export, through the save request proposing `nom`; "" when cancelled.
    QString fichierExport(const QString& dlgTitre, const QString& filtre, const QString& nom);
    void signaler(const QString& procedure, const std::exception& e);
    // The body of ImprimerEtat2, which shows its failures, and of CreerEtatConsoParCentreCout, which
    // does not: the report prepared in the viewer (Pret), or the viewer unloaded (RienAImprimer; an empty
    // returns report: message 27, Abandonne). Failures are thrown.
    ResultatEtat preparer(QString& fichier, const QString& titre, const QString& source,
                          const QString& filtre, const OptionsEtat& options);
    ReportBuilders::Periode periodeMenu(bool lireDrapeau) const;
    bool resumePeriode(const QString& procedure, bool (*resume)(Connexion&, const ReportBuilders::Periode&));

    EnvoiEmail* m_envoiEmail;
    std::unique_ptr<QPrinter> m_apercu; // the preview's page set-up
    ReportDefinition m_definition;
    QList<ReportTable> m_tables;
    ReportDocument m_document;
    QString m_titre;
    int m_hauteurReservee = 800;
    bool m_dejaCharge = false;
};
