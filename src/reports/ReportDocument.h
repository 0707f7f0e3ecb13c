#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// One thing drawn on a page, in twips (1/1440 inch) from the page's top left corner. A text is drawn from
// its baseline origin (x, y) and is w wide; a line runs from (x, y) by (w, h); a box is the frame of
// (x, y, w, h); a fill is the rectangle (x, y, w, h) filled (bars of a code or a chart); a picture fills
// (x, y, w, h), already in its proportions.
struct ReportItem {
    enum class Kind : quint8 { Text, Line, Box, Fill, Picture };
    Kind kind = Kind::Text;
    // text: index of the document's font; line and box: of its pen width; fill: of its colour; picture:
    // of its image
    quint16 style = 0;
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;
    QString text;
};

// A laid-out report: the display list of every page, device-independent, painted by one routine onto
// any paint device (PDF, printer, preview widget, picture). It holds no picture of a page, so that a
// report of many pages stays small; the pictures it shows are held once each, at the resolution their
// box needs.
class ReportDocument {
public:
    static constexpr double TwipsPerMm = 1440.0 / 25.4;

    QSizeF pageSize() const { return m_pageSize; } // twips
    bool landscape() const { return m_landscape; }
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    const QList<ReportItem>& items(int page) const { return m_pages.at(page); }
    // The fonts of the texts: pixel sizes in twips (a 9-point font is 180 twips high).
    const QList<QFont>& fonts() const { return m_fonts; }
    const QList<QColor>& colors() const { return m_colors; }
    const QList<QImage>& images() const { return m_images; }

    // Paints page `page` (from 0) scaled into `target`, in the painter's coordinates.
    void paintPage(QPainter& painter, int page, const QRectF& target) const;
    // Writes the whole report as a PDF file (text stays text, so that it can be searched and copied).
    // Throws ErreurExecution PathFileAccess when the file cannot be written.
    void writePdf(const QString& path, const QString& title = QString()) const;

    // Building, for the engine.
    void setPage(const QSizeF& sizeTwips, bool landscape);
    int fontIndex(const QFont& font);
    int penIndex(float widthTwips);
    int colorIndex(const QColor& color);
    // -1 when the document holds as many images as a style can index.
    int addImage(const QImage& image);
    void newPage() { m_pages.append(QList<ReportItem>()); }
    // Adds to the last page; the item's index on it.
    int add(ReportItem item);
    ReportItem& item(int page, int index) { return m_pages[page][index]; }

private:
    QSizeF m_pageSize;
    bool m_landscape = false;
    QList<QList<ReportItem>> m_pages;
    QList<QFont> m_fonts;
    QList<float> m_pens;
    QList<QColor> m_colors;
    QList<QImage> m_images;
};
