// The viewer's pages: the preview over the engine's painting routine, the page navigation and zoom, the
// print-out and the PDF and Excel exports.

#include "reports/forms/FenCrystalRep.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/ServiceDialogue.h"
#include "common/forms/ImprimanteCourante.h"
#include "reports/ReportExcel.h"

#include <QDir>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {

// A button's caption as the title of the dialog it opens, so that the title follows the language the
// window shows: without the mnemonic mark ("&&" stands for "&").
QString titreDuBouton(const QPushButton* bouton) {
    const QString legende = bouton->text();
    QString titre;
    for (qsizetype i = 0; i < legende.size(); ++i) {
        if (legende.at(i) == u'&' && ++i == legende.size())
            break;
        titre += legende.at(i);
    }
    return titre;
}

// The printer's page is the report's page, without margins: the display list is painted over all of it.
void mettreEnPage(QPrinter& imprimante, const ReportDocument& document) {
    const QSizeF twips = document.pageSize().isEmpty() ? QSizeF(11906, 16838) : document.pageSize();
    const QSizeF mm(twips.width() / ReportDocument::TwipsPerMm, twips.height() / ReportDocument::TwipsPerMm);
    const QSizeF portrait = document.landscape() ? mm.transposed() : mm;
    imprimante.setFullPage(true);
    imprimante.setPageLayout(QPageLayout(
        QPageSize(portrait, QPageSize::Millimeter),
        document.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

// The report's PDF: the workbook's name rule, with the extension of a PDF.
QString nomPdf(const QString& titre) {
    return ReportExcel::fileName(titre, QStringLiteral(".pdf"));
}

void peindre(QPrinter& imprimante, QPainter& pinceau, const ReportDocument& document) {
    const QRectF page(QPointF(0, 0), imprimante.pageLayout().fullRectPixels(imprimante.resolution()).size());
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0)
            imprimante.newPage();
        document.paintPage(pinceau, i, page);
    }
}

} // namespace

void FenCrystalRep::afficher() {
    mettreEnPage(*m_apercu, m_document);
    CRViewer1->updatePreview();
    CRViewer1->fitInView();
    allerPage(1);
}

void FenCrystalRep::vider() {
    m_document = ReportDocument();
    m_tables.clear();
    m_definition = ReportDefinition();
    CRViewer1->updatePreview();
}

void FenCrystalRep::CRViewer1_paintRequested(QPrinter* imprimante) {
    if (m_document.pageCount() == 0)
        return;
    QPainter pinceau(imprimante);
    peindre(*imprimante, pinceau, m_document);
}

void FenCrystalRep::CRViewer1_previewChanged() {
    const int pages = qMax(1, CRViewer1->pageCount());
    const QSignalBlocker bloque(TextPage);
    TextPage->setRange(1, pages);
    TextPage->setValue(qBound(1, CRViewer1->currentPage(), pages));
    LabelPages->setText(QStringLiteral("/ %1").arg(pages));
}

void FenCrystalRep::allerPage(int page) {
    if (CRViewer1->pageCount() < 1)
        return;
    CRViewer1->setCurrentPage(qBound(1, page, CRViewer1->pageCount()));
    CRViewer1_previewChanged();
}

void FenCrystalRep::CRViewer1_PrintButtonClicked() {
    if (Global().OptionVersionGSM) {
        CmdEmail_Click();
        return;
    }
    if (m_document.pageCount() == 0)
        return;
    const std::unique_ptr<QPrinter> imprimante =
        choisirEtCreerImprimante(QDir::home().filePath(nomPdf(m_titre)));
    if (!imprimante)
        return;
    try {
        imprimante->setDocName(m_titre);
        mettreEnPage(*imprimante, m_document);
        QPainter pinceau;
        if (!pinceau.begin(imprimante.get()))
            throw ErreurExecution(ErreurExecution::PathFileAccess,
                                  MODTranslate::TexteLangue(objectName(),
                                                            QStringLiteral("MsgImpressionImpossible"),
                                                            QStringLiteral("Impression impossible sur")) +
                                      u' ' + nomImprimante(*imprimante),
                                  objectName());
        peindre(*imprimante, pinceau, m_document);
        pinceau.end();
    } catch (const std::exception& e) {
        signaler(QStringLiteral("CRViewer1_PrintButtonClicked"), e);
    }
}

QString FenCrystalRep::fichierExport(const QString& dlgTitre, const QString& filtre, const QString& nom) {
    DemandeEnregistrementFichier demande;
    demande.DlgTitle = dlgTitre;
    demande.Filter = filtre;
    demande.FileName = nom;
    demande.InitDir = QDir::homePath();
    const ResultatEnregistrementFichier r = Dialogues().enregistrerFichier(demande);
    return r.Accepte ? r.FileName : QString();
}

void FenCrystalRep::CmdExportPdf_Click() {
    if (m_document.pageCount() == 0)
        return;
    const QString chemin =
        fichierExport(titreDuBouton(CmdExportPdf), QStringLiteral("PDF|*.pdf"), nomPdf(m_titre));
    if (chemin.isEmpty())
        return;
    try {
        m_document.writePdf(chemin, m_titre);
    } catch (const std::exception& e) {
        signaler(QStringLiteral("CmdExportPdf_Click"), e);
    }
}

void FenCrystalRep::CmdExportExcel_Click() {
    if (m_document.pageCount() == 0)
        return;
    const QString chemin = fichierExport(titreDuBouton(CmdExportExcel), QStringLiteral("Excel|*.xlsx"),
                                         ReportExcel::fileName(m_titre));
    if (chemin.isEmpty())
        return;
    try {
        ReportExcel::write(m_definition, m_tables, chemin);
    } catch (const std::exception& e) {
        signaler(QStringLiteral("CmdExportExcel_Click"), e);
    }
}
