#pragma once

// What the report benchmarks compare the report engine with: a bare QPdfWriter drawing text lines, and
// the number of text lines a laid-out report prints.

#include "reports/ReportDocument.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>
#include <QString>

// A PDF at the engine's resolution, one drawText a line, 50 lines a page.
class PdfNu {
public:
    explicit PdfNu(const QString& fichier) : m_writer(fichier) {
        m_writer.setResolution(1440);
        m_writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        m_painter.begin(&m_writer);
        QFont police(QStringLiteral("Arial"));
        police.setPixelSize(180);
        m_painter.setFont(police);
    }
    void ligne(const QString& texte) {
        if (m_ligne == 50) {
            m_writer.newPage();
            m_ligne = 0;
        }
        m_painter.drawText(QPointF(850, 1700 + m_ligne * 283), texte);
        ++m_ligne;
    }

private:
    QPdfWriter m_writer;
    QPainter m_painter;
    int m_ligne = 0;
};

// The text lines a report prints: the distinct baselines of each page.
inline qint64 lignesImprimees(const ReportDocument& doc) {
    qint64 n = 0;
    for (int p = 0; p < doc.pageCount(); ++p) {
        QSet<float> lignes;
        for (const ReportItem& it : doc.items(p))
            if (it.kind == ReportItem::Kind::Text)
                lignes.insert(it.y);
        n += lignes.size();
    }
    return n;
}
