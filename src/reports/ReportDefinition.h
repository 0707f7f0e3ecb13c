#pragma once

#include <QByteArray>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// A report definition: the data that says what one report file prints (one JSON format for every
// report of the program, in "RPT SQL/" under the report's own name). Lengths are millimetres, font sizes
// points. The format:
//
//   "tables":   the names the report gives the tables it is handed, in binding order (position 1 first);
//               table 1 feeds the detail band, the others are read through "links" or by their first row
//   "links":    [{"from": "ArticleEnStock.NoFournisseur", "to": "Fournisseur.No"}]: the row of the "to"
//               table whose key equals the field of the "from" row
//   "computed": [{"name": "Montant", "product": ["Quantite", "PrixAchatUnit"]}] or {"sum": [...]}, or
//               {"month": ["LaDate"]} / {"year": [...]}: the date's year * 100 + month, or its year (a key
//               that groups by month in date order)
//   "filter":   {"field": f, "op": "=|<>|<|<=|>|>=", "value": v | "otherField": g},
//               {"field": f, "op": "in", "values": [...]}, {"all": [...]}, {"any": [...]}
//   "sort":     [{"field": f, "descending": false}]: applied when the record source gives no order
//   "page":     {"size": "A4", "orientation": "portrait|landscape", "margins": {"top", "bottom", "left",
//               "right"}}
//   "font":     the default font {"family", "size", "bold", "italic"}
//   bands:      "reportHeader", "pageHeader", "groups": [{"key": f, "order": "key|sort", "header": band,
//               "footer": band}], "detail", "reportFooter" (the report totals), "pageFooter"; a band is
//               {"height": mm, "elements": [...]}. The rows of a group always come together; the groups
//               of a level come in the order of their key, or with "order": "sort" in the order of their
//               first row by "sort" (or the source's own order): a group per article (key "Reference")
//               listed by designation. A group whose detail band is empty and whose footer shows the
//               group's sums prints one line per key.
//   elements:   {"type": "text", "x", "y", "width", "height", "text" | "field", "aggregate": "sum|count",
//               "format": "text|integer|decimal|money|date|datetime", "decimals", "align": "left|right|center",
//               "font"}; {"type": "line" | "box", "x", "y", "width", "height", "thickness"};
//               {"type": "picture", "x", "y", "width", "height", "field" | "file"}: the picture of a
//               column of bytes (JPEG, PNG, ...) or of a file (a relative name from the definition's
//               folder), scaled into its box keeping its proportions; a Null value or bytes that do not
//               decode leave the box empty;
//               {"type": "ean13", "x", "y", "width", "height", "field", "font"}: the bars of a 13-digit
//               EAN-13 number with its quiet zones and digits, across the whole box; any other value
//               (12 digits, a wrong check digit, letters) prints as text;
//               {"type": "chart", "x", "y", "width", "height", "key", "value", "order": "key|rows",
//               "keyCaption", "valueCaption", "format", "decimals", "font"}: a bar per value of "key"
//               with the sum of "value" over the report's rows, in the order of the keys or of their first
//               row; in "reportHeader" or "reportFooter" only
//   "labels":   a label sheet instead of a list: {"columns", "rows", "width", "height", "horizontalPitch",
//               "verticalPitch", "left", "top"} (pitches default to the label's size, "left" and "top" to
//               a sheet centred on the page); the detail band is printed once per row in each label, across
//               then down, "columns" x "rows" labels a page; no other band
//
// A field is "Table.Column" or, for table 1 and computed fields, the bare name. A text may hold "{page}",
// "{pages}" and "{date}" (the print date). Every object's "type" names its kind, so that other kinds of
// element can join the format.
//
// The base form: a file that holds only
//   {"base": "ConsParMachine.rpt", "texts": {"Désignation": "Description", ...}, "filter": {...},
//    "sort": [...]}
// is the definition "base" of the same folder (its name compared without regard to case; itself
// possibly of the base form, 4 files of this form in a chain at most), with every fixed text of an
// element and every chart caption equal to a key of "texts" replaced whole by its value (a field's
// value never; "Total" does not touch "Total général"), and its filter and sort replaced by these when
// given. English twins ("...EN.rpt") and variants of one layout (the same report over some machines,
// in another order) take this form, so that a layout is written once. A missing base, a chain that
// leads back to one of its files or runs longer, a key that no text equals and any other key are
// errors ErrorNumber naming the file. The definition keeps the name of the file read (messages) and
// its folder.
struct ReportFont {
    QString family = QStringLiteral("Arial");
    double size = 9; // points
    bool bold = false;
    bool italic = false;
};

enum class ReportFormat { Text, Integer, Decimal, Money, Date, DateTime };
enum class ReportAlign { Left, Right, Center };

struct ReportElement {
    enum class Type { Text, Line, Box, Picture, Ean13, Chart };
    enum class Aggregate { None, Sum, Count };
    Type type = Type::Text;
    QRectF rect; // within the band, millimetres
    QString text;
    QString field;
    Aggregate aggregate = Aggregate::None;
    ReportFormat format = ReportFormat::Text;
    int decimals = 2;
    ReportAlign align = ReportAlign::Left;
    ReportFont font;
    double thickness = 0.2; // millimetres
    QString file;           // picture: a fixed file, as the definition gives it
    QString key;            // chart: the field of the bars
    QString value;          // chart: the field summed per bar
    bool rowOrder = false;  // chart: bars in the order of their first row, not of their keys
    QString keyCaption;     // chart: the captions of the axes
    QString valueCaption;
    QString where; // its place in the file, for messages
};

struct ReportBand {
    double height = 0;
    QList<ReportElement> elements;
    QString where;
};

struct ReportGroup {
    QString key;
    bool sortOrder = false; // the groups follow the rows' order by their first row, not their key's
    ReportBand header;
    ReportBand footer;
    QString where;
};

struct ReportLink {
    QString from; // "Table.Column"
    QString to;   // "Table.Column"
    QString where;
};

struct ReportComputed {
    // Month and Year read one date: its year * 100 + month (202604), or its year; Null without a date.
    enum class Operation { Product, Sum, Month, Year };
    QString name;
    Operation operation = Operation::Product;
    QStringList operands;
    QString where;
};

struct ReportFilter {
    enum class Kind { Compare, In, All, Any };
    enum class Operator { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };
    Kind kind = Kind::Compare;
    QString field;
    Operator op = Operator::Equal;
    QVariant value;
    QString otherField; // compared with another field of the row instead of a value
    QVariantList values;
    QList<ReportFilter> terms;
    QString where;
};

struct ReportSortKey {
    QString field;
    bool descending = false;
    QString where;
};

// The stock of a label sheet, millimetres.
struct ReportLabels {
    int columns = 0;
    int rows = 0;
    QSizeF size;
    double horizontalPitch = 0; // from one label's left edge to the next one's
    double verticalPitch = 0;
    double left = 0; // the first label's top left corner on the page
    double top = 0;
    int perPage() const { return columns * rows; }
};

struct ReportDefinition {
    // Definitions that cannot be read or that do not fit the tables they are given.
    static constexpr qint32 ErrorNumber = 30001;

    // Reads `fileName` in `folder`, the name compared without regard to case. A missing file is the
    // ErreurExecution FileNotFound; a file that does not parse or does not follow the format is
    // ErrorNumber with a text naming the file and the place.
    static ReportDefinition load(const QString& folder, const QString& fileName);
    // The same from the bytes of a file; `fileName` names it in messages. A file of the base form has a
    // folder: its bytes alone are refused.
    static ReportDefinition parse(const QByteArray& json, const QString& fileName);

    QString fileName;
    QString folder; // where the file was read; relative picture files are found there
    QStringList tables;
    QList<ReportLink> links;
    QList<ReportComputed> computed;
    bool hasFilter = false;
    ReportFilter filter;
    QList<ReportSortKey> sort;

    QSizeF pageSize{210, 297}; // millimetres, as oriented
    bool landscape = false;
    QMarginsF margins{15, 15, 15, 15};
    bool hasLabels = false;
    ReportLabels labels;

    ReportBand reportHeader;
    ReportBand pageHeader;
    QList<ReportGroup> groups;
    ReportBand detail;
    ReportBand reportFooter;
    ReportBand pageFooter;
};
