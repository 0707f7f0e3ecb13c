#include "reports/ReportEngine.h"

#include "common/Ean13.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/Monnaie.h"
#include "db/Valeurs.h"
#include "reports/HashTexte.h"
#include "reports/ReportSort.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QHash>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <unordered_map>
#include <vector>

namespace ReportEngine {

namespace {

bool isNumberOrFlag(const QVariant& v) {
    return Valeurs::estNombre(v) || v.metaType().id() == QMetaType::Bool;
}

bool isNull(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

QString withSeparator(QString number) {
    const QString separator =
        Global().SeparateurDecimal.isEmpty() ? QStringLiteral(",") : Global().SeparateurDecimal;
    if (number.startsWith(u'-') && number.count(u'0') + number.count(u'.') == number.size() - 1)
        number.remove(0, 1); // no "-0,00"
    return number.replace(u'.', separator);
}

// Three-way comparison of two values of a row, as SQL compares them: false in *comparable when either is
// Null or they have no common kind. Text is compared letter by letter without regard to case.
int compareValues(const QVariant& a, const QVariant& b, bool* comparable) {
    *comparable = !isNull(a) && !isNull(b);
    if (!*comparable)
        return 0;
    if (a.metaType().id() == QMetaType::QDateTime || b.metaType().id() == QMetaType::QDateTime) {
        const QDateTime x = Valeurs::lireDate(a), y = Valeurs::lireDate(b);
        *comparable = x.isValid() && y.isValid();
        const double u = ReportSort::wallClock(x), v = ReportSort::wallClock(y);
        return u < v ? -1 : (u > v ? 1 : 0);
    }
    if (isNumberOrFlag(a) || isNumberOrFlag(b)) {
        bool okA = false, okB = false;
        const double x = a.toDouble(&okA), y = b.toDouble(&okB);
        *comparable = okA && okB;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const int c = QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The key that finds a linked row: numbers by value (3 and 3.0 meet), text without regard to case.
QString linkKey(const QVariant& v) {
    if (isNull(v))
        return QString();
    if (isNumberOrFlag(v)) {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 9.0e15)
            return u'n' + QString::number(static_cast<qint64>(d));
        return u'n' + QString::number(d, 'g', 17);
    }
    if (v.metaType().id() == QMetaType::QDateTime)
        return u'd' + Valeurs::texteDate(Valeurs::lireDate(v));
    return u't' + Valeurs::plierCasse(v.toString());
}

struct FieldRef {
    int table = 0;
    int column = -1;
    int computed = -1;
};

// A text font with its metrics; widths of texts already met are kept, since a report repeats them.
struct FontInfo {
    explicit FontInfo(const QFont& f) : metrics(f), ascent(metrics.ascent()), height(metrics.height()) {}
    float width(const QString& text) {
        const auto it = widths.find(text);
        if (it != widths.end())
            return it->second;
        if (widths.size() > 20000)
            widths.clear();
        const float w = static_cast<float>(metrics.horizontalAdvance(text));
        widths.emplace(text, w);
        return w;
    }
    QFontMetricsF metrics;
    float ascent;
    float height;
    std::unordered_map<QString, float, HashTexte> widths;
};

struct Element {
    const ReportElement* source = nullptr;
    int index = 0; // among its band's elements
    FieldRef field;
    bool hasField = false;
    int slot = -1; // aggregate: its place among the accumulators of the band's level
    int style = 0;
    bool pageNumbers = false;
    QString text;                     // fixed text, print date already in
    QByteArray file;                  // picture of a file: its bytes, read once
    int chart = -1;                   // chart: its sums
    float x = 0, y = 0, w = 0, h = 0; // twips, from the band's top left
};

struct Chart {
    FieldRef key;
    FieldRef value;
    bool rowOrder = false;
    std::vector<QVariant> labels; // the first value met of each key
    std::vector<double> sums;
    std::vector<size_t> order; // the bars from left to right
};

struct Band {
    float height = 0;
    std::vector<Element> elements;
};

struct Slot {
    ReportElement::Aggregate kind = ReportElement::Aggregate::Sum;
    FieldRef field;
    bool hasField = false;
};

struct Filter {
    ReportFilter::Kind kind = ReportFilter::Kind::Compare;
    ReportFilter::Operator op = ReportFilter::Operator::Equal;
    FieldRef field;
    FieldRef other;
    bool hasOther = false;
    QVariant value;
    QVariantList values;
    std::vector<Filter> terms;
};

struct PendingText {
    int page;
    int index;
    const Element* element;
    float left; // of its band: a label's own
};

class Engine {
public:
    Engine(const ReportDefinition& d, const QList<ReportTable>& t) : m_d(d), m_t(t) {}
    ReportDocument run();

private:
    [[noreturn]] void fail(const QString& where, const QString& what) const {
        throw ErreurExecution(
            ReportDefinition::ErrorNumber,
            QStringLiteral("Définition d'état « %1 », %2 : %3").arg(m_d.fileName, where, what),
            QStringLiteral("ReportEngine"));
    }

    void compile();
    FieldRef resolve(const QString& name, const QString& where, int computedLimit) const;
    Filter compileFilter(const ReportFilter& f);
    Band compileBand(const ReportBand& b, int level);
    int fontOf(const ReportFont& f);
    int fontOf(const QFont& font);
    // The style of `style`'s font at the largest size that fits `text` into `room` twips.
    int fitting(int style, const QString& text, float room);

    int rowOf(int table, int row);
    QVariant value(const FieldRef& f, int row);
    bool accepts(const Filter& f, int row);
    std::vector<int> orderedRows();

    void startPage();
    void endPage();
    void ensure(float height);
    void place(const Band& band, int row, bool body, int kind = -1, int level = 0);
    void placeText(const Element& e, QString text, float top);
    void placePicture(const Element& e, const QByteArray& bytes, float top);
    void placeEan13(const Element& e, const QVariant& value, float top);
    void placeChart(const Element& e, float top);
    void sumCharts(const std::vector<int>& rows);
    void finishPageNumbers();
    void runList(const std::vector<int>& rows);
    void runLabels(const std::vector<int>& rows);

public:
    QList<ReportRow>* m_rows = nullptr; // when set, every band placed is also kept as a row of values

private:
    const ReportDefinition& m_d;
    const QList<ReportTable>& m_t;
    ReportDocument m_doc;
    std::deque<FontInfo> m_fonts; // by the document's font index

    struct Link {
        FieldRef from;
        int toTable = 0;
        QHash<QString, int> rows;
    };
    std::vector<int> m_linkOf; // per table: its link, or -1
    std::vector<Link> m_links;
    struct Computed {
        ReportComputed::Operation operation;
        std::vector<FieldRef> operands;
    };
    std::vector<Computed> m_computed;
    bool m_hasFilter = false;
    Filter m_filter;
    std::vector<FieldRef> m_groupKeys;
    std::vector<FieldRef> m_sortKeys;
    std::vector<bool> m_sortDescending;

    Band m_reportHeader, m_pageHeader, m_detail, m_reportFooter, m_pageFooter;
    std::vector<Band> m_groupHeaders, m_groupFooters;
    std::vector<std::vector<Slot>> m_slots; // per level: groups, then the whole report
    std::vector<std::vector<double>> m_sums;
    std::vector<Chart> m_charts;
    QHash<QPair<QByteArray, qint64>, int> m_images; // picture bytes and box in pixels: the document's image

    int m_cachedRow = -2;
    std::vector<int> m_rowCache;

    QString m_printDate;
    float m_left = 0, m_top = 0, m_bottom = 0;
    float m_y = 0;
    int m_page = -1;
    bool m_fresh = true;
    int m_context = -1; // the row the page bands read table 1's fields from
    std::vector<PendingText> m_pending;
    const std::vector<double>* m_placing = nullptr; // the accumulators a totals band shows
    std::vector<int> m_groupBreaks; // per ordered row: the outermost group it opens (levels: none)
};

FieldRef Engine::resolve(const QString& name, const QString& where, int computedLimit) const {
    const QString n = name.trimmed();
    const qsizetype dot = n.indexOf(u'.');
    FieldRef r;
    QString column = n;
    if (dot >= 0) {
        const QString table = n.left(dot).trimmed();
        column = n.mid(dot + 1).trimmed();
        r.table = -1;
        for (int i = 0; i < m_d.tables.size(); ++i)
            if (Valeurs::egalSansCasse(m_d.tables.at(i), table))
                r.table = i;
        if (r.table < 0)
            fail(where, QStringLiteral("la table « %1 » n'est pas déclarée dans « tables »").arg(table));
    } else {
        for (int k = 0; k < computedLimit; ++k)
            if (Valeurs::egalSansCasse(m_d.computed.at(k).name, n)) {
                r.computed = k;
                return r;
            }
    }
    r.column = m_t.at(r.table).columnIndex(column);
    if (r.column < 0)
        fail(where,
             QStringLiteral("la table « %1 » n'a pas de champ « %2 »").arg(m_d.tables.at(r.table), column));
    return r;
}

int Engine::fontOf(const ReportFont& f) {
    QFont font(f.family);
    // Pixel sizes in twips: the painter scales the page, so text keeps its size on every device.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(f.size * 20))));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return fontOf(font);
}

int Engine::fontOf(const QFont& font) {
    const int i = m_doc.fontIndex(font);
    if (i >= static_cast<int>(m_fonts.size()))
        m_fonts.emplace_back(font);
    return i;
}

int Engine::fitting(int style, const QString& text, float room) {
    QFont font = m_doc.fonts().at(style);
    const float width = m_fonts[style].width(text);
    int pixels = std::min(font.pixelSize() - 1, static_cast<int>(font.pixelSize() * room / width));
    for (;; --pixels) {
        font.setPixelSize(std::max(1, pixels));
        const int i = fontOf(font);
        if (pixels <= 1 || m_fonts[i].width(text) <= room + 0.5f)
            return i;
    }
}

Filter Engine::compileFilter(const ReportFilter& f) {
    Filter c;
    c.kind = f.kind;
    c.op = f.op;
    if (f.kind == ReportFilter::Kind::All || f.kind == ReportFilter::Kind::Any) {
        for (const ReportFilter& t : f.terms)
            c.terms.push_back(compileFilter(t));
        return c;
    }
    c.field = resolve(f.field, f.where, static_cast<int>(m_d.computed.size()));
    c.value = f.value;
    c.values = f.values;
    if (!f.otherField.isEmpty()) {
        c.other = resolve(f.otherField, f.where, static_cast<int>(m_d.computed.size()));
        c.hasOther = true;
    }
    return c;
}

Band Engine::compileBand(const ReportBand& b, int level) {
    Band band;
    band.height = static_cast<float>(b.height * ReportDocument::TwipsPerMm);
    const int computed = static_cast<int>(m_d.computed.size());
    for (const ReportElement& e : b.elements) {
        Element c;
        c.source = &e;
        c.index = static_cast<int>(band.elements.size());
        c.x = static_cast<float>(e.rect.x() * ReportDocument::TwipsPerMm);
        c.y = static_cast<float>(e.rect.y() * ReportDocument::TwipsPerMm);
        c.w = static_cast<float>(e.rect.width() * ReportDocument::TwipsPerMm);
        c.h = static_cast<float>(e.rect.height() * ReportDocument::TwipsPerMm);
        switch (e.type) {
        case ReportElement::Type::Line:
        case ReportElement::Type::Box:
            c.style = m_doc.penIndex(static_cast<float>(e.thickness * ReportDocument::TwipsPerMm));
            band.elements.push_back(c);
            continue;
        case ReportElement::Type::Picture:
            if (!e.field.trimmed().isEmpty()) {
                c.field = resolve(e.field, e.where, computed);
                c.hasField = true;
            } else {
                // A missing or unreadable file leaves the box empty, as a picture that does not decode.
                QFile f(QDir(m_d.folder).filePath(e.file.trimmed()));
                if (f.open(QIODevice::ReadOnly))
                    c.file = f.readAll();
            }
            band.elements.push_back(c);
            continue;
        case ReportElement::Type::Ean13:
            c.field = resolve(e.field, e.where, computed);
            c.hasField = true;
            c.style = fontOf(e.font);
            band.elements.push_back(c);
            continue;
        case ReportElement::Type::Chart:
            c.style = fontOf(e.font);
            c.chart = static_cast<int>(m_charts.size());
            m_charts.push_back(Chart{resolve(e.key, e.where, computed),
                                     resolve(e.value, e.where, computed),
                                     e.rowOrder,
                                     {},
                                     {},
                                     {}});
            band.elements.push_back(c);
            continue;
        case ReportElement::Type::Text:
            break;
        }
        c.style = fontOf(e.font);
        if (!e.field.trimmed().isEmpty()) {
            c.field = resolve(e.field, e.where, computed);
            c.hasField = true;
        }
        if (e.aggregate != ReportElement::Aggregate::None) {
            if (level < 0)
                fail(e.where, QStringLiteral("un total ne se place que dans le pied d'un groupe ou dans "
                                             "« reportFooter »"));
            c.slot = static_cast<int>(m_slots[level].size());
            m_slots[level].push_back(Slot{e.aggregate, c.field, c.hasField});
        }
        c.text = e.text;
        c.text.replace(QLatin1String("{date}"), m_printDate);
        c.pageNumbers = c.text.contains(QLatin1String("{page}")) || c.text.contains(QLatin1String("{pages}"));
        band.elements.push_back(c);
    }
    return band;
}

void Engine::compile() {
    const int n = static_cast<int>(m_d.tables.size());
    if (m_t.size() < n)
        fail(QStringLiteral("tables"), QStringLiteral("l'état attend %1 tables (%2), %3 reçue(s)")
                                           .arg(n)
                                           .arg(m_d.tables.join(QStringLiteral(", ")))
                                           .arg(m_t.size()));

    m_linkOf.assign(n, -1);
    for (const ReportLink& l : m_d.links) {
        Link link;
        link.from = resolve(l.from, l.where, 0);
        const FieldRef to = resolve(l.to, l.where, 0);
        if (!l.to.contains(u'.') || to.table == 0)
            fail(l.where,
                 QStringLiteral("« to » doit nommer une autre table que la table %1").arg(m_d.tables.at(0)));
        if (m_linkOf[to.table] >= 0)
            fail(l.where, QStringLiteral("la table « %1 » est déjà liée").arg(m_d.tables.at(to.table)));
        link.toTable = to.table;
        // The first row of each key wins, as a lookup in the original's linked tables did.
        const ReportTable& target = m_t.at(to.table);
        for (int r = target.rowCount() - 1; r >= 0; --r) {
            const QString k = linkKey(target.value(r, to.column));
            if (!k.isNull())
                link.rows.insert(k, r);
        }
        m_linkOf[to.table] = static_cast<int>(m_links.size());
        m_links.push_back(std::move(link));
    }
    for (int i = 0; i < n; ++i) {
        // Every chain of links must lead back to table 1.
        int table = i;
        for (int step = 0; table != 0 && m_linkOf[table] >= 0; ++step) {
            if (step > n)
                fail(QStringLiteral("links"), QStringLiteral("les liens forment un cercle"));
            table = m_links[m_linkOf[table]].from.table;
        }
    }

    for (int k = 0; k < m_d.computed.size(); ++k) {
        Computed c{m_d.computed.at(k).operation, {}};
        for (const QString& o : m_d.computed.at(k).operands)
            c.operands.push_back(resolve(o, m_d.computed.at(k).where, k));
        m_computed.push_back(std::move(c));
    }
    if (m_d.hasFilter) {
        m_filter = compileFilter(m_d.filter);
        m_hasFilter = true;
    }
    const int all = static_cast<int>(m_d.computed.size());
    for (const ReportGroup& g : m_d.groups)
        m_groupKeys.push_back(resolve(g.key, g.where + QStringLiteral(".key"), all));
    for (const ReportSortKey& s : m_d.sort) {
        m_sortKeys.push_back(resolve(s.field, s.where, all));
        m_sortDescending.push_back(s.descending);
    }

    const int levels = static_cast<int>(m_d.groups.size());
    m_slots.assign(levels + 1, {});
    m_reportHeader = compileBand(m_d.reportHeader, -1);
    m_pageHeader = compileBand(m_d.pageHeader, -1);
    for (int g = 0; g < levels; ++g) {
        m_groupHeaders.push_back(compileBand(m_d.groups.at(g).header, -1));
        m_groupFooters.push_back(compileBand(m_d.groups.at(g).footer, g));
    }
    m_detail = compileBand(m_d.detail, -1);
    m_reportFooter = compileBand(m_d.reportFooter, levels);
    m_pageFooter = compileBand(m_d.pageFooter, -1);
    m_sums.assign(levels + 1, {});
    for (int l = 0; l <= levels; ++l)
        m_sums[l].assign(m_slots[l].size(), 0.0);
}

int Engine::rowOf(int table, int row) {
    if (table == 0)
        return row;
    if (row != m_cachedRow) {
        m_cachedRow = row;
        m_rowCache.assign(m_d.tables.size(), -2);
    }
    int& cached = m_rowCache[table];
    if (cached != -2)
        return cached;
    const int l = m_linkOf[table];
    if (l < 0) {
        // A table read for its first row: the company record, the report header.
        cached = m_t.at(table).rowCount() > 0 ? 0 : -1;
        return cached;
    }
    const Link& link = m_links[l];
    const int from = rowOf(link.from.table, row);
    cached =
        from < 0 ? -1 : link.rows.value(linkKey(m_t.at(link.from.table).value(from, link.from.column)), -1);
    return cached;
}

QVariant Engine::value(const FieldRef& f, int row) {
    if (f.computed >= 0) {
        const Computed& c = m_computed[f.computed];
        if (c.operation == ReportComputed::Operation::Month ||
            c.operation == ReportComputed::Operation::Year) {
            const QVariant v = value(c.operands.front(), row);
            const QDate d = isNull(v) ? QDate() : Valeurs::lireDate(v).date();
            if (!d.isValid())
                return QVariant(QMetaType::fromType<double>());
            return c.operation == ReportComputed::Operation::Year ? double(d.year())
                                                                  : double(d.year() * 100 + d.month());
        }
        double result = c.operation == ReportComputed::Operation::Product ? 1.0 : 0.0;
        for (const FieldRef& o : c.operands) {
            const QVariant v = value(o, row);
            bool ok = false;
            const double d = isNull(v) ? 0.0 : v.toDouble(&ok);
            if (c.operation == ReportComputed::Operation::Sum)
                result += ok ? d : 0.0; // a Null or a text counts as nothing
            else if (!ok)
                return QVariant(QMetaType::fromType<double>()); // a product with a Null is Null
            else
                result *= d;
        }
        return result;
    }
    const int r = rowOf(f.table, row);
    if (r < 0)
        return QVariant();
    return m_t.at(f.table).value(r, f.column);
}

bool Engine::accepts(const Filter& f, int row) {
    switch (f.kind) {
    case ReportFilter::Kind::All:
        for (const Filter& t : f.terms)
            if (!accepts(t, row))
                return false;
        return true;
    case ReportFilter::Kind::Any:
        for (const Filter& t : f.terms)
            if (accepts(t, row))
                return true;
        return false;
    case ReportFilter::Kind::In: {
        const QVariant v = value(f.field, row);
        for (const QVariant& x : f.values) {
            bool comparable = false;
            if (compareValues(v, x, &comparable) == 0 && comparable)
                return true;
        }
        return false;
    }
    case ReportFilter::Kind::Compare:
        break;
    }
    bool comparable = false;
    const int c = compareValues(value(f.field, row), f.hasOther ? value(f.other, row) : f.value, &comparable);
    if (!comparable)
        return false;
    switch (f.op) {
    case ReportFilter::Operator::Equal:
        return c == 0;
    case ReportFilter::Operator::NotEqual:
        return c != 0;
    case ReportFilter::Operator::Less:
        return c < 0;
    case ReportFilter::Operator::LessOrEqual:
        return c <= 0;
    case ReportFilter::Operator::Greater:
        return c > 0;
    case ReportFilter::Operator::GreaterOrEqual:
        return c >= 0;
    }
    return false;
}

std::vector<int> Engine::orderedRows() {
    std::vector<int> rows;
    const int n = m_t.at(0).rowCount();
    rows.reserve(n);
    for (int r = 0; r < n; ++r)
        if (!m_hasFilter || accepts(m_filter, r))
            rows.push_back(r);

    // Groups always come together; the definition's own order applies when the source gives none, and
    // breaks the ties of the source's columns when it gives them.
    auto keysOf = [&](const FieldRef& f) {
        std::vector<QVariant> values;
        values.reserve(rows.size());
        for (const int r : rows)
            values.push_back(value(f, r));
        return ReportSort::keys(values);
    };
    const int levels = static_cast<int>(m_groupKeys.size());
    std::vector<std::vector<ReportSort::Key>> groups, keys;
    for (const FieldRef& f : m_groupKeys)
        groups.push_back(keysOf(f));
    std::vector<std::vector<ReportSort::Key>> sortKeys;
    std::vector<bool> descending;
    for (const auto& [column, columnDown] : m_t.at(0).order()) {
        sortKeys.push_back(keysOf(resolve(column, QStringLiteral("source"), 0)));
        descending.push_back(columnDown);
    }
    if (!m_t.at(0).ordered() || !m_t.at(0).order().isEmpty()) {
        for (const FieldRef& f : m_sortKeys)
            sortKeys.push_back(keysOf(f));
        descending.insert(descending.end(), m_sortDescending.begin(), m_sortDescending.end());
    }
    std::vector<bool> down(levels, false);
    keys = groups;
    // Groups in the rows' order: each ranked by the place of its first row in that order, within its
    // enclosing group.
    bool bySort = false;
    for (int g = 0; g < levels; ++g)
        bySort = bySort || m_d.groups.at(g).sortOrder;
    if (bySort) {
        const size_t count = rows.size();
        std::vector<int> rowOrder;
        if (sortKeys.empty())
            for (size_t i = 0; i < count; ++i)
                rowOrder.push_back(static_cast<int>(i));
        else
            rowOrder = ReportSort::order(sortKeys, descending);
        std::vector<int> prefix(count, 0), next(count, 0);
        for (int g = 0; g < levels; ++g) {
            std::map<std::pair<int, ReportSort::Key>, int> ids;
            std::vector<double> first;
            for (size_t p = 0; p < count; ++p) {
                const int r = rowOrder[p];
                const auto [it, added] =
                    ids.try_emplace({prefix[r], groups[g][r]}, static_cast<int>(first.size()));
                if (added)
                    first.push_back(static_cast<double>(p));
                next[r] = it->second;
            }
            prefix.swap(next);
            if (m_d.groups.at(g).sortOrder)
                for (size_t r = 0; r < count; ++r)
                    keys[g][r] = ReportSort::Key{1, first[prefix[r]]};
        }
    }
    keys.insert(keys.end(), sortKeys.begin(), sortKeys.end());
    down.insert(down.end(), descending.begin(), descending.end());
    const std::vector<int> index = keys.empty() ? std::vector<int>() : ReportSort::order(keys, down);
    std::vector<int> sorted(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        sorted[i] = index.empty() ? rows[i] : rows[index[i]];
    // A group breaks where its key changes, by the same keys: "Dupont" and "DUPONT" stay one group.
    m_groupBreaks.assign(rows.size(), levels);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0) {
            m_groupBreaks[i] = 0;
            continue;
        }
        for (int g = 0; g < levels; ++g)
            if (!(groups[g][index[i]] == groups[g][index[i - 1]])) {
                m_groupBreaks[i] = g;
                break;
            }
    }
    return sorted;
}

void Engine::placeText(const Element& e, QString text, float top) {
    if (text.isEmpty())
        return;
    int style = e.style;
    float width = m_fonts[style].width(text);
    const ReportElement& s = *e.source;
    // Words that do not fit are cut with an ellipsis; numbers never are, a cut number would lie: they
    // are drawn smaller, so that they never run into the next box either.
    if (width > e.w + 0.5f) {
        if ((s.format == ReportFormat::Text || s.format == ReportFormat::Date ||
             s.format == ReportFormat::DateTime) &&
            s.aggregate == ReportElement::Aggregate::None) {
            text = m_fonts[style].metrics.elidedText(text, Qt::ElideRight, e.w);
        } else {
            style = fitting(style, text, e.w);
        }
        width = m_fonts[style].width(text);
    }
    const FontInfo& font = m_fonts[style];
    float x = m_left + e.x;
    if (s.align == ReportAlign::Right)
        x += e.w - width;
    else if (s.align == ReportAlign::Center)
        x += (e.w - width) / 2;
    const float baseline = top + e.y + (e.h - font.height) / 2 + font.ascent;
    const int index = m_doc.add(ReportItem{ReportItem::Kind::Text, static_cast<quint16>(style), x, baseline,
                                           width, font.height, std::move(text)});
    if (e.pageNumbers)
        m_pending.push_back(PendingText{m_page, index, &e, m_left});
}

void Engine::place(const Band& band, int row, bool body, int kind, int level) {
    const float top = m_y;
    ReportRow* kept = nullptr;
    if (m_rows && kind >= 0) {
        m_rows->append(ReportRow{static_cast<ReportRow::Kind>(kind), level, {}});
        kept = &m_rows->last();
    }
    auto keep = [&](const Element& e, QVariant v, bool total) {
        if (!kept)
            return;
        const ReportElement& s = *e.source;
        kept->cells.append(
            ReportCell{std::move(v), s.format, s.decimals, e.index, s.field, s.rect, s.font, total});
    };
    for (const Element& e : band.elements) {
        const ReportElement& s = *e.source;
        switch (s.type) {
        case ReportElement::Type::Line:
        case ReportElement::Type::Box:
            m_doc.add(ReportItem{
                s.type == ReportElement::Type::Line ? ReportItem::Kind::Line : ReportItem::Kind::Box,
                static_cast<quint16>(e.style), m_left + e.x, top + e.y, e.w, e.h, QString()});
            continue;
        case ReportElement::Type::Picture: {
            if (!e.hasField) {
                placePicture(e, e.file, top);
                continue;
            }
            const QVariant v = value(e.field, row);
            if (v.metaType().id() == QMetaType::QByteArray)
                placePicture(e, v.toByteArray(), top);
            continue;
        }
        case ReportElement::Type::Ean13: {
            const QVariant v = value(e.field, row);
            placeEan13(e, v, top);
            keep(e, v, false);
            continue;
        }
        case ReportElement::Type::Chart:
            placeChart(e, top);
            continue;
        case ReportElement::Type::Text:
            break;
        }
        if (e.slot >= 0) {
            const double sum = (*m_placing)[e.slot];
            placeText(e, formatValue(sum, s.format, s.decimals), top);
            keep(e, sum, true);
        } else if (e.hasField) {
            const QVariant v = value(e.field, row);
            placeText(e, formatValue(v, s.format, s.decimals), top);
            keep(e, v, false);
        } else {
            placeText(e, e.text, top);
            if (!e.pageNumbers && !e.text.isEmpty())
                keep(e, e.text, false);
        }
    }
    if (kept && kept->cells.isEmpty())
        m_rows->removeLast();
    m_y += band.height;
    if (body)
        m_fresh = false;
}

void Engine::placePicture(const Element& e, const QByteArray& bytes, float top) {
    if (bytes.isEmpty() || e.w <= 0 || e.h <= 0)
        return;
    // Decoded at no more than 300 dots an inch of its box: a photograph of many megapixels stays small.
    const int boxWidth = std::max(1, static_cast<int>(std::ceil(e.w / 1440.0f * 300)));
    const int boxHeight = std::max(1, static_cast<int>(std::ceil(e.h / 1440.0f * 300)));
    const QPair<QByteArray, qint64> key(bytes, (static_cast<qint64>(boxWidth) << 32) | boxHeight);
    int index = m_images.value(key, -2);
    if (index == -2) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        QSize size = reader.size();
        if (size.isValid() && (size.width() > boxWidth || size.height() > boxHeight) &&
            reader.transformation() == QImageIOHandler::TransformationNone) {
            size.scale(boxWidth, boxHeight, Qt::KeepAspectRatio);
            reader.setScaledSize(size.expandedTo(QSize(1, 1)));
        }
        const QImage image = reader.read();
        index = image.isNull() ? -1 : m_doc.addImage(image);
        m_images.insert(key, index);
    }
    if (index < 0)
        return;
    const QImage& image = m_doc.images().at(index);
    const float scale = std::min(e.w / image.width(), e.h / image.height());
    const float w = image.width() * scale, h = image.height() * scale;
    m_doc.add(ReportItem{ReportItem::Kind::Picture, static_cast<quint16>(index), m_left + e.x + (e.w - w) / 2,
                         top + e.y + (e.h - h) / 2, w, h, QString()});
}

void Engine::placeEan13(const Element& e, const QVariant& v, float top) {
    const QString code = formatValue(v, ReportFormat::Text).trimmed();
    const QString modules = Ean13::modules(code);
    if (modules.isEmpty()) {
        // Not a number a reader would accept: shown as it is, never as bars that scan wrong.
        placeText(e, code, top);
        return;
    }
    FontInfo& font = m_fonts[e.style];
    const float module = e.w / (Ean13::LeftQuietZone + Ean13::Modules + Ean13::RightQuietZone);
    // The digits under the bars when the box leaves room for them; the guards reach down between them.
    const bool digits = e.h >= 2.5f * font.height;
    const float bars = digits ? e.h - font.height : e.h;
    const float guards = digits ? e.h - font.height / 2 : e.h;
    const float left = m_left + e.x + Ean13::LeftQuietZone * module;
    const auto black = static_cast<quint16>(m_doc.colorIndex(Qt::black));
    for (int i = 0; i < Ean13::Modules;) {
        if (modules[i] != u'1') {
            ++i;
            continue;
        }
        int j = i;
        while (j < Ean13::Modules && modules[j] == u'1')
            ++j;
        m_doc.add(ReportItem{ReportItem::Kind::Fill, black, left + i * module, top + e.y, (j - i) * module,
                             Ean13::isGuard(i) ? guards : bars, QString()});
        i = j;
    }
    if (!digits)
        return;
    const float baseline = top + e.y + e.h - font.height + font.ascent;
    auto digitsAt = [&](const QString& text, float x, float width) {
        const float w = font.width(text);
        m_doc.add(ReportItem{ReportItem::Kind::Text, static_cast<quint16>(e.style), x + (width - w) / 2,
                             baseline, w, font.height, text});
    };
    const float first = font.width(code.left(1));
    digitsAt(code.left(1), left - module - first, first);
    digitsAt(code.mid(1, 6), left + 3 * module, 42 * module);
    digitsAt(code.mid(7, 6), left + 50 * module, 42 * module);
}

void Engine::sumCharts(const std::vector<int>& rows) {
    for (Chart& chart : m_charts) {
        std::vector<QVariant> keys;
        keys.reserve(rows.size());
        for (const int r : rows)
            keys.push_back(value(chart.key, r));
        const std::vector<ReportSort::Key> order = ReportSort::keys(keys);
        // Keys that sort as one ("Dupont", "DUPONT") make one bar, named by the first met.
        std::map<ReportSort::Key, size_t> bar;
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto [it, added] = bar.try_emplace(order[i], chart.sums.size());
            if (added) {
                chart.labels.push_back(keys[i]);
                chart.sums.push_back(0);
            }
            const QVariant v = value(chart.value, rows[i]);
            bool ok = false;
            const double d = isNull(v) ? 0.0 : v.toDouble(&ok);
            if (ok && std::isfinite(d))
                chart.sums[it->second] += d; // a Null counts as nothing
        }
        if (chart.rowOrder) {
            for (size_t i = 0; i < chart.sums.size(); ++i)
                chart.order.push_back(i);
        } else {
            for (const auto& [key, i] : bar)
                chart.order.push_back(i);
        }
    }
}

void Engine::startPage() {
    m_doc.newPage();
    ++m_page;
    m_y = m_top;
    if (m_page == 0)
        place(m_reportHeader, m_context, false, static_cast<int>(ReportRow::Kind::ReportHeader));
    // Exports keep the column heads once.
    place(m_pageHeader, m_context, false, m_page == 0 ? static_cast<int>(ReportRow::Kind::PageHeader) : -1);
    m_fresh = true;
}

void Engine::endPage() {
    m_y = m_bottom;
    place(m_pageFooter, m_context, false);
}

void Engine::ensure(float height) {
    // A band taller than a whole page goes on a fresh page anyway, cut at the bottom.
    if (m_y + height > m_bottom + 0.5f && !m_fresh) {
        endPage();
        startPage();
    }
}

void Engine::finishPageNumbers() {
    const QString pages = QString::number(m_page + 1);
    for (const PendingText& p : m_pending) {
        ReportItem& item = m_doc.item(p.page, p.index);
        const Element& e = *p.element;
        QString text = e.text;
        text.replace(QLatin1String("{pages}"), pages)
            .replace(QLatin1String("{page}"), QString::number(p.page + 1));
        const float width = m_fonts[e.style].width(text);
        float x = p.left + e.x;
        if (e.source->align == ReportAlign::Right)
            x += e.w - width;
        else if (e.source->align == ReportAlign::Center)
            x += (e.w - width) / 2;
        item.x = x;
        item.w = width;
        item.text = text;
    }
}

void Engine::placeChart(const Element& e, float top) {
    const Chart& chart = m_charts[e.chart];
    const ReportElement& s = *e.source;
    FontInfo& font = m_fonts[e.style];
    const float fh = font.height;
    const auto style = static_cast<quint16>(e.style);
    const auto pen =
        static_cast<quint16>(m_doc.penIndex(static_cast<float>(0.2 * ReportDocument::TwipsPerMm)));
    auto text = [&](const QString& t, float x, float baseline) {
        if (!t.isEmpty())
            m_doc.add(ReportItem{ReportItem::Kind::Text, style, x, baseline, font.width(t), fh, t});
    };
    auto line = [&](float x, float y, float w, float h) {
        m_doc.add(ReportItem{ReportItem::Kind::Line, pen, x, y, w, h, QString()});
    };

    // The value axis runs from the lowest to the highest sum, zero always in: bars of negative sums
    // (returns) go down from it; with no sum, or only zeros, it runs from 0 to 1.
    double low = 0, high = 0;
    for (const double v : chart.sums) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    if (high - low <= 0)
        high = low + 1;
    double step = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(step)));
    const double ratio = step / magnitude;
    step = magnitude * (ratio <= 1 ? 1 : ratio <= 2 ? 2 : ratio <= 2.5 ? 2.5 : ratio <= 5 ? 5 : 10);
    if (s.format == ReportFormat::Integer)
        step = std::max(step, 1.0);
    low = std::floor(low / step + 1e-9) * step;
    high = std::ceil(high / step - 1e-9) * step;
    if (high <= low)
        high = low + step;
    std::vector<std::pair<double, QString>> ticks;
    float tickWidth = 0;
    for (int k = 0; low + k * step <= high + step / 2 && k <= 1000; ++k) {
        const double t = low + k * step;
        ticks.emplace_back(t, formatValue(std::fabs(t) < step * 1e-9 ? 0.0 : t, s.format, s.decimals));
        tickWidth = std::max(tickWidth, font.width(ticks.back().second));
    }

    const float x0 = m_left + e.x, y0 = top + e.y;
    const float plotTop = y0 + (s.valueCaption.isEmpty() ? 0 : 1.5f * fh) + fh;
    const float plotBottom =
        std::max(plotTop + 1, y0 + e.h - 1.5f * fh - (s.keyCaption.isEmpty() ? 0 : 1.5f * fh));
    const float plotLeft = x0 + tickWidth + fh / 2;
    const float plotRight = std::max(plotLeft + 1, x0 + e.w - fh / 4);
    auto yOf = [&](double v) {
        return static_cast<float>(plotBottom - (v - low) / (high - low) * (plotBottom - plotTop));
    };

    text(s.valueCaption, x0, y0 + font.ascent);
    line(plotLeft, plotTop, 0, plotBottom - plotTop);
    for (const auto& [t, label] : ticks) {
        const float y = yOf(t);
        line(plotLeft - fh / 4, y, fh / 4, 0);
        text(label, plotLeft - fh / 3 - font.width(label), y - fh / 2 + font.ascent);
    }
    const float zero = yOf(0);
    line(plotLeft, zero, plotRight - plotLeft, 0);

    const auto fill = static_cast<quint16>(m_doc.colorIndex(QColor(0x50, 0x50, 0x50)));
    const float slot = (plotRight - plotLeft) / std::max<size_t>(1, chart.order.size());
    for (size_t k = 0; k < chart.order.size(); ++k) {
        const size_t i = chart.order[k];
        const double v = chart.sums[i];
        const float x = plotLeft + slot * k;
        const float bar = slot * 0.6f;
        const float y = yOf(v);
        if (v != 0)
            m_doc.add(ReportItem{ReportItem::Kind::Fill, fill, x + (slot - bar) / 2, std::min(y, zero), bar,
                                 std::fabs(zero - y), QString()});
        const QString figure = formatValue(v, s.format, s.decimals);
        const float w = font.width(figure);
        if (w <= slot)
            text(figure, x + (slot - w) / 2,
                 v < 0 ? y + fh / 6 + font.ascent : y - fh / 6 - fh + font.ascent);
        QString name = formatValue(chart.labels[i], ReportFormat::Text);
        if (font.width(name) > slot)
            name = font.metrics.elidedText(name, Qt::ElideRight, slot);
        text(name, x + (slot - font.width(name)) / 2, plotBottom + fh / 4 + font.ascent);
    }
    if (!s.keyCaption.isEmpty())
        text(s.keyCaption, plotLeft + (plotRight - plotLeft - font.width(s.keyCaption)) / 2,
             plotBottom + 1.75f * fh + font.ascent);
}

void Engine::runList(const std::vector<int>& rows) {
    const int levels = static_cast<int>(m_groupKeys.size());
    // What follows a group header: the detail band, or when it prints nothing (a line per group), the
    // innermost group's footer.
    const float first =
        m_detail.height > 0 || levels == 0 ? m_detail.height : m_groupFooters[levels - 1].height;
    startPage();
    auto closeGroups = [&](int from, int row) {
        for (int g = levels - 1; g >= from; --g) {
            ensure(m_groupFooters[g].height);
            m_placing = &m_sums[g];
            place(m_groupFooters[g], row, true, static_cast<int>(ReportRow::Kind::GroupFooter), g);
            std::fill(m_sums[g].begin(), m_sums[g].end(), 0.0);
        }
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = rows[i];
        const int level = m_groupBreaks[i];
        if (i > 0)
            closeGroups(level, rows[i - 1]);
        m_context = row;
        for (int g = level; g < levels; ++g) {
            // A group header never stays alone at the foot of a page.
            ensure(m_groupHeaders[g].height + first);
            place(m_groupHeaders[g], row, true, static_cast<int>(ReportRow::Kind::GroupHeader), g);
        }
        for (int l = 0; l <= levels; ++l) {
            for (size_t s = 0; s < m_slots[l].size(); ++s) {
                const Slot& slot = m_slots[l][s];
                if (slot.kind == ReportElement::Aggregate::Count) {
                    if (!slot.hasField || !isNull(value(slot.field, row)))
                        m_sums[l][s] += 1;
                    continue;
                }
                const QVariant v = value(slot.field, row);
                bool ok = false;
                const double d = isNull(v) ? 0.0 : v.toDouble(&ok);
                if (ok)
                    m_sums[l][s] += d; // a Null counts as 0
            }
        }
        ensure(m_detail.height);
        place(m_detail, row, true, static_cast<int>(ReportRow::Kind::Detail));
    }
    if (!rows.empty())
        closeGroups(0, rows.back());
    ensure(m_reportFooter.height);
    m_placing = &m_sums[levels];
    place(m_reportFooter, m_context, true, static_cast<int>(ReportRow::Kind::ReportFooter));
    endPage();
}

void Engine::runLabels(const std::vector<int>& rows) {
    // Across, then down; a sheet without rows is one empty page.
    const ReportLabels& l = m_d.labels;
    const int perPage = l.perPage();
    m_doc.newPage();
    m_page = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int n = static_cast<int>(i % perPage);
        if (i > 0 && n == 0) {
            m_doc.newPage();
            ++m_page;
        }
        m_left =
            static_cast<float>((l.left + (n % l.columns) * l.horizontalPitch) * ReportDocument::TwipsPerMm);
        m_y = static_cast<float>((l.top + (n / l.columns) * l.verticalPitch) * ReportDocument::TwipsPerMm);
        m_context = rows[i];
        place(m_detail, rows[i], true, static_cast<int>(ReportRow::Kind::Detail));
    }
}

ReportDocument Engine::run() {
    m_printDate = FnWendrox::Maintenant().toString(QStringLiteral("dd/MM/yyyy"));
    m_doc.setPage(m_d.pageSize * ReportDocument::TwipsPerMm, m_d.landscape);
    compile();
    m_left = static_cast<float>(m_d.margins.left() * ReportDocument::TwipsPerMm);
    m_top = static_cast<float>(m_d.margins.top() * ReportDocument::TwipsPerMm);
    m_bottom =
        static_cast<float>((m_d.pageSize.height() - m_d.margins.bottom()) * ReportDocument::TwipsPerMm) -
        m_pageFooter.height;

    const std::vector<int> rows = orderedRows();
    sumCharts(rows);
    m_context = rows.empty() ? (m_t.at(0).rowCount() > 0 ? 0 : -1) : rows.front();
    if (m_d.hasLabels)
        runLabels(rows);
    else
        runList(rows);
    finishPageNumbers();
    return std::move(m_doc);
}

} // namespace

ReportDocument layout(const ReportDefinition& definition, const QList<ReportTable>& tables) {
    return Engine(definition, tables).run();
}

QList<ReportRow> tabulate(const ReportDefinition& definition, const QList<ReportTable>& tables) {
    QList<ReportRow> rows;
    Engine engine(definition, tables);
    engine.m_rows = &rows;
    engine.run();
    return rows;
}

QString formatValue(const QVariant& value, ReportFormat format, int decimals) {
    if (isNull(value))
        return QString();
    switch (format) {
    case ReportFormat::Text:
        if (value.metaType().id() == QMetaType::QDateTime)
            return Valeurs::lireDate(value).toString(QStringLiteral("dd/MM/yyyy"));
        if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float)
            return withSeparator(QString::number(value.toDouble(), 'g', 15));
        return value.toString();
    case ReportFormat::Integer: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return QString();
        if (value.metaType().id() == QMetaType::LongLong || value.metaType().id() == QMetaType::Int)
            return QString::number(value.toLongLong());
        // Past 64 bits the digits as they stand: the conversion would wrap them into another number.
        if (std::fabs(d) >= 9.0e18)
            return QString::number(d, 'f', 0);
        return QString::number(static_cast<qint64>(std::nearbyint(d)));
    }
    case ReportFormat::Decimal: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return QString();
        return withSeparator(QString::number(d, 'f', decimals));
    }
    case ReportFormat::Money:
        return Monnaie::texteMonnaie(value);
    case ReportFormat::Date: {
        const QDateTime d = Valeurs::lireDate(value);
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    }
    case ReportFormat::DateTime: {
        const QDateTime d = Valeurs::lireDate(value);
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
    }
    }
    return QString();
}

} // namespace ReportEngine
