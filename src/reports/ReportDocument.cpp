#include "reports/ReportDocument.h"

#include "common/ErreurExecution.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <limits>

void ReportDocument::setPage(const QSizeF& sizeTwips, bool landscape) {
    m_pageSize = sizeTwips;
    m_landscape = landscape;
}

int ReportDocument::fontIndex(const QFont& font) {
    for (int i = 0; i < m_fonts.size(); ++i)
        if (m_fonts.at(i) == font)
            return i;
    m_fonts.append(font);
    return static_cast<int>(m_fonts.size() - 1);
}

int ReportDocument::penIndex(float widthTwips) {
    const qsizetype i = m_pens.indexOf(widthTwips);
    if (i >= 0)
        return static_cast<int>(i);
    m_pens.append(widthTwips);
    return static_cast<int>(m_pens.size() - 1);
}

int ReportDocument::colorIndex(const QColor& color) {
    const qsizetype i = m_colors.indexOf(color);
    if (i >= 0)
        return static_cast<int>(i);
    m_colors.append(color);
    return static_cast<int>(m_colors.size() - 1);
}

int ReportDocument::addImage(const QImage& image) {
    if (m_images.size() > std::numeric_limits<quint16>::max())
        return -1;
    m_images.append(image);
    return static_cast<int>(m_images.size() - 1);
}

int ReportDocument::add(ReportItem item) {
    if (m_pages.isEmpty())
        newPage();
    m_pages.last().append(std::move(item));
    return static_cast<int>(m_pages.last().size() - 1);
}

void ReportDocument::paintPage(QPainter& painter, int page, const QRectF& target) const {
    if (page < 0 || page >= m_pages.size() || m_pageSize.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / m_pageSize.width(), target.height() / m_pageSize.height());
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::black);
    int font = -1;
    int pen = -1;
    for (const ReportItem& it : m_pages.at(page)) {
        if (it.kind == ReportItem::Kind::Text) {
            if (it.style != font) {
                font = it.style;
                painter.setFont(m_fonts.at(font));
                pen = -1;
                painter.setPen(Qt::black);
            }
            painter.drawText(QPointF(it.x, it.y), it.text);
            continue;
        }
        if (it.kind == ReportItem::Kind::Fill) {
            painter.fillRect(QRectF(it.x, it.y, it.w, it.h), m_colors.at(it.style));
            continue;
        }
        if (it.kind == ReportItem::Kind::Picture) {
            painter.drawImage(QRectF(it.x, it.y, it.w, it.h), m_images.at(it.style));
            continue;
        }
        if (it.style != pen) {
            pen = it.style;
            QPen p(Qt::black);
            p.setWidthF(m_pens.at(pen));
            painter.setPen(p);
        }
        if (it.kind == ReportItem::Kind::Line)
            painter.drawLine(QPointF(it.x, it.y), QPointF(it.x + it.w, it.y + it.h));
        else
            painter.drawRect(QRectF(it.x, it.y, it.w, it.h));
    }
    painter.restore();
}

void ReportDocument::writePdf(const QString& path, const QString& title) const {
    QPdfWriter writer(path);
    // One device unit per twip: the display list is painted unscaled.
    writer.setResolution(1440);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Dorvane"));
    const QSizeF mm(m_pageSize.width() / TwipsPerMm, m_pageSize.height() / TwipsPerMm);
    const QSizeF portrait = m_landscape ? mm.transposed() : mm;
    writer.setPageLayout(QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                                     m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer))
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Écriture impossible : %1").arg(path),
                              QStringLiteral("ReportDocument"));
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0)
            writer.newPage();
        paintPage(painter, i, QRectF(0, 0, writer.width(), writer.height()));
    }
    painter.end();
}
