#include "reports/ReportDefinition.h"

#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <cmath>
#include <optional>

namespace {

// Reads one definition, failing with the file's name and the JSON path of the faulty place.
class Reader {
public:
    explicit Reader(QString fileName) : m_file(std::move(fileName)) {}

    [[noreturn]] void fail(const QString& where, const QString& what) const {
        throw ErreurExecution(ReportDefinition::ErrorNumber,
                              QStringLiteral("Définition d'état « %1 », %2 : %3").arg(m_file, where, what),
                              QStringLiteral("ReportDefinition"));
    }

    // Unknown keys are refused, so that a misspelt one is not silently ignored.
    void onlyKeys(const QJsonObject& o, const QStringList& keys, const QString& where) const {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!keys.contains(it.key()))
                fail(where, QStringLiteral("clé inconnue « %1 »").arg(it.key()));
    }

    QJsonObject object(const QJsonValue& v, const QString& where) const {
        if (!v.isObject())
            fail(where, QStringLiteral("un objet est attendu"));
        return v.toObject();
    }

    QJsonArray array(const QJsonObject& o, const QString& key, const QString& where) const {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return {};
        if (!v.isArray())
            fail(path(where, key), QStringLiteral("une liste est attendue"));
        return v.toArray();
    }

    // Measures are millimetres and points on a sheet of paper. Far beyond, a number is a typing error, and
    // the layout would overflow the whole numbers (pixels, twips) it converts it to.
    static constexpr double PlusGrandeMesure = 100000;

    double number(const QJsonObject& o, const QString& key, const QString& where, double byDefault,
                  bool required = false, double minimum = 0) const {
        const std::optional<double> v = given(o, key, where, required);
        if (!v)
            return byDefault;
        // Written so that a NaN fails too.
        if (!(*v >= minimum))
            fail(path(where, key), QStringLiteral("la valeur doit être au moins %1").arg(minimum));
        if (!(*v <= PlusGrandeMesure))
            fail(path(where, key), QStringLiteral("la valeur doit être au plus %1").arg(PlusGrandeMesure));
        return *v;
    }

    // A whole number from `minimum` to `maximum`, checked while it is still a double: the cast of a value
    // out of the int's range is undefined (3e9 came out negative and passed a maximum).
    int integer(const QJsonObject& o, const QString& key, const QString& where, int byDefault, int minimum,
                int maximum, const QString& expected, bool required = false) const {
        const std::optional<double> v = given(o, key, where, required);
        if (!v)
            return byDefault;
        if (!(*v >= minimum && *v <= maximum) || *v != std::floor(*v))
            fail(path(where, key), expected);
        return static_cast<int>(*v);
    }

    int decimals(const QJsonObject& o, const QString& where) const {
        return integer(o, QStringLiteral("decimals"), where, 2, 0, 10,
                       QStringLiteral("un nombre entier de décimales de 0 à 10 est attendu"));
    }

    QString text(const QJsonObject& o, const QString& key, const QString& where,
                 bool required = false) const {
        const QJsonValue v = o.value(key);
        if (v.isUndefined()) {
            if (required)
                fail(where, QStringLiteral("« %1 » manque").arg(key));
            return {};
        }
        if (!v.isString())
            fail(path(where, key), QStringLiteral("un texte est attendu"));
        if (required && v.toString().trimmed().isEmpty())
            fail(path(where, key), QStringLiteral("le texte est vide"));
        return v.toString();
    }

    bool flag(const QJsonObject& o, const QString& key, const QString& where, bool byDefault) const {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return byDefault;
        if (!v.isBool())
            fail(path(where, key), QStringLiteral("true ou false est attendu"));
        return v.toBool();
    }

    // One of `choices`, the index of the match.
    int choice(const QJsonObject& o, const QString& key, const QString& where, const QStringList& choices,
               int byDefault) const {
        if (o.value(key).isUndefined())
            return byDefault;
        const QString t = text(o, key, where);
        const int i = static_cast<int>(choices.indexOf(t));
        if (i < 0)
            fail(path(where, key),
                 QStringLiteral("« %1 » n'est pas une valeur permise (%2)").arg(t, choices.join(u", ")));
        return i;
    }

    // The number written at `key`; none when the key is absent and not required.
    std::optional<double> given(const QJsonObject& o, const QString& key, const QString& where,
                                bool required) const {
        const QJsonValue v = o.value(key);
        if (v.isUndefined()) {
            if (required)
                fail(where, QStringLiteral("« %1 » manque").arg(key));
            return std::nullopt;
        }
        if (!v.isDouble())
            fail(path(where, key), QStringLiteral("un nombre est attendu"));
        return v.toDouble();
    }

    static QString path(const QString& where, const QString& key) {
        return where.isEmpty() ? key : where + u'.' + key;
    }
    static QString item(const QString& where, int i) { return where + u'[' + QString::number(i) + u']'; }

    ReportFont font(const QJsonObject& parent, const QString& where, const ReportFont& byDefault) const {
        if (parent.value(QStringLiteral("font")).isUndefined())
            return byDefault;
        const QString w = path(where, QStringLiteral("font"));
        const QJsonObject o = object(parent.value(QStringLiteral("font")), w);
        onlyKeys(o, {"family", "size", "bold", "italic"}, w);
        ReportFont f = byDefault;
        if (o.contains(QStringLiteral("family")))
            f.family = text(o, QStringLiteral("family"), w, true);
        f.size = number(o, QStringLiteral("size"), w, f.size, false, 1);
        f.bold = flag(o, QStringLiteral("bold"), w, f.bold);
        f.italic = flag(o, QStringLiteral("italic"), w, f.italic);
        return f;
    }

    ReportElement element(const QJsonValue& v, const QString& where, const ReportFont& bandFont) const {
        const QJsonObject o = object(v, where);
        ReportElement e;
        e.where = where;
        const QString type = text(o, QStringLiteral("type"), where, true);
        if (type == QLatin1String("text")) {
            e.type = ReportElement::Type::Text;
            onlyKeys(o,
                     {"type", "x", "y", "width", "height", "text", "field", "aggregate", "format", "decimals",
                      "align", "font"},
                     where);
        } else if (type == QLatin1String("line") || type == QLatin1String("box")) {
            e.type = type == QLatin1String("line") ? ReportElement::Type::Line : ReportElement::Type::Box;
            onlyKeys(o, {"type", "x", "y", "width", "height", "thickness"}, where);
        } else if (type == QLatin1String("picture")) {
            e.type = ReportElement::Type::Picture;
            onlyKeys(o, {"type", "x", "y", "width", "height", "field", "file"}, where);
        } else if (type == QLatin1String("ean13")) {
            e.type = ReportElement::Type::Ean13;
            onlyKeys(o, {"type", "x", "y", "width", "height", "field", "font"}, where);
        } else if (type == QLatin1String("chart")) {
            e.type = ReportElement::Type::Chart;
            onlyKeys(o,
                     {"type", "x", "y", "width", "height", "key", "value", "order", "keyCaption",
                      "valueCaption", "format", "decimals", "font"},
                     where);
        } else {
            fail(path(where, QStringLiteral("type")),
                 QStringLiteral("type d'élément inconnu « %1 »").arg(type));
        }
        const bool line = e.type == ReportElement::Type::Line || e.type == ReportElement::Type::Box;
        e.rect = QRectF(number(o, QStringLiteral("x"), where, 0), number(o, QStringLiteral("y"), where, 0),
                        number(o, QStringLiteral("width"), where, 0, !line),
                        number(o, QStringLiteral("height"), where, 0, !line));
        switch (e.type) {
        case ReportElement::Type::Line:
        case ReportElement::Type::Box:
            e.thickness = number(o, QStringLiteral("thickness"), where, e.thickness);
            return e;
        case ReportElement::Type::Picture:
            e.field = this->text(o, QStringLiteral("field"), where);
            e.file = this->text(o, QStringLiteral("file"), where);
            if (e.field.trimmed().isEmpty() == e.file.trimmed().isEmpty())
                fail(where, QStringLiteral("« field » ou « file » est attendu, l'un des deux"));
            return e;
        case ReportElement::Type::Ean13:
            e.field = this->text(o, QStringLiteral("field"), where, true);
            e.font = font(o, where, bandFont);
            return e;
        case ReportElement::Type::Chart:
            e.key = this->text(o, QStringLiteral("key"), where, true);
            e.value = this->text(o, QStringLiteral("value"), where, true);
            e.rowOrder = choice(o, QStringLiteral("order"), where, {"key", "rows"}, 0) == 1;
            e.keyCaption = this->text(o, QStringLiteral("keyCaption"), where);
            e.valueCaption = this->text(o, QStringLiteral("valueCaption"), where);
            e.format = static_cast<ReportFormat>(
                choice(o, QStringLiteral("format"), where,
                       {"text", "integer", "decimal", "money", "date", "datetime"}, 1));
            if (e.format == ReportFormat::Text || e.format == ReportFormat::Date ||
                e.format == ReportFormat::DateTime)
                fail(path(where, QStringLiteral("format")),
                     QStringLiteral("une somme se montre en « integer », « decimal » ou « money »"));
            e.decimals = decimals(o, where);
            e.font = font(o, where, bandFont);
            return e;
        case ReportElement::Type::Text:
            break;
        }
        e.text = this->text(o, QStringLiteral("text"), where);
        e.field = this->text(o, QStringLiteral("field"), where);
        e.aggregate = static_cast<ReportElement::Aggregate>(
            choice(o, QStringLiteral("aggregate"), where, {"", "sum", "count"}, 0));
        if (o.contains(QStringLiteral("text")) &&
            (o.contains(QStringLiteral("field")) || e.aggregate != ReportElement::Aggregate::None))
            fail(where, QStringLiteral("« text » exclut « field » et « aggregate »"));
        if (!o.contains(QStringLiteral("text")) && e.field.trimmed().isEmpty() &&
            e.aggregate != ReportElement::Aggregate::Count)
            fail(where, QStringLiteral("« text » ou « field » est attendu"));
        e.format =
            static_cast<ReportFormat>(choice(o, QStringLiteral("format"), where,
                                             {"text", "integer", "decimal", "money", "date", "datetime"}, 0));
        e.decimals = decimals(o, where);
        e.align = static_cast<ReportAlign>(
            choice(o, QStringLiteral("align"), where, {"left", "right", "center"}, 0));
        e.font = font(o, where, bandFont);
        return e;
    }

    ReportBand band(const QJsonObject& parent, const QString& key, const QString& where,
                    const ReportFont& defaultFont) const {
        ReportBand b;
        b.where = path(where, key);
        if (parent.value(key).isUndefined())
            return b;
        const QJsonObject o = object(parent.value(key), b.where);
        onlyKeys(o, {"height", "elements", "font"}, b.where);
        b.height = number(o, QStringLiteral("height"), b.where, 0, true);
        const ReportFont bandFont = font(o, b.where, defaultFont);
        const QJsonArray elements = array(o, QStringLiteral("elements"), b.where);
        for (int i = 0; i < elements.size(); ++i)
            b.elements << element(elements.at(i), item(path(b.where, QStringLiteral("elements")), i),
                                  bandFont);
        return b;
    }

    ReportFilter filter(const QJsonValue& v, const QString& where) const {
        const QJsonObject o = object(v, where);
        ReportFilter f;
        f.where = where;
        if (o.contains(QStringLiteral("all")) || o.contains(QStringLiteral("any"))) {
            onlyKeys(o, {"all", "any"}, where);
            if (o.size() != 1)
                fail(where, QStringLiteral("« all » ou « any », pas les deux"));
            const QString key =
                o.contains(QStringLiteral("all")) ? QStringLiteral("all") : QStringLiteral("any");
            f.kind = key == QLatin1String("all") ? ReportFilter::Kind::All : ReportFilter::Kind::Any;
            const QJsonArray terms = array(o, key, where);
            if (terms.isEmpty())
                fail(path(where, key), QStringLiteral("la liste est vide"));
            for (int i = 0; i < terms.size(); ++i)
                f.terms << filter(terms.at(i), item(path(where, key), i));
            return f;
        }
        onlyKeys(o, {"field", "op", "value", "otherField", "values"}, where);
        f.field = text(o, QStringLiteral("field"), where, true);
        const int op = choice(o, QStringLiteral("op"), where, {"=", "<>", "<", "<=", ">", ">=", "in"}, -1);
        if (op < 0)
            fail(where, QStringLiteral("« op » manque"));
        if (op == 6) {
            f.kind = ReportFilter::Kind::In;
            if (!o.value(QStringLiteral("values")).isArray())
                fail(where, QStringLiteral("« values » (une liste) est attendu"));
            f.values = o.value(QStringLiteral("values")).toArray().toVariantList();
            return f;
        }
        f.kind = ReportFilter::Kind::Compare;
        f.op = static_cast<ReportFilter::Operator>(op);
        const bool value = o.contains(QStringLiteral("value"));
        f.otherField = text(o, QStringLiteral("otherField"), where);
        if (value == o.contains(QStringLiteral("otherField")))
            fail(where, QStringLiteral("« value » ou « otherField » est attendu, l'un des deux"));
        if (value) {
            const QJsonValue x = o.value(QStringLiteral("value"));
            if (!x.isDouble() && !x.isString())
                fail(path(where, QStringLiteral("value")),
                     QStringLiteral("un nombre ou un texte est attendu"));
            f.value = x.toVariant();
        }
        return f;
    }

    QList<ReportSortKey> sort(const QJsonObject& root) const {
        QList<ReportSortKey> r;
        const QJsonArray sort = array(root, QStringLiteral("sort"), QString());
        for (int i = 0; i < sort.size(); ++i) {
            const QString w = item(QStringLiteral("sort"), i);
            const QJsonObject o = object(sort.at(i), w);
            onlyKeys(o, {"field", "descending"}, w);
            r << ReportSortKey{text(o, QStringLiteral("field"), w, true),
                               flag(o, QStringLiteral("descending"), w, false), w};
        }
        return r;
    }

    // The root object of a file's bytes.
    QJsonObject root(const QByteArray& json) const {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError) {
            // The place as a person finds it in an editor: line and column of the offending byte.
            const QByteArray before = json.left(error.offset);
            const qsizetype line = before.count('\n') + 1;
            const qsizetype column = error.offset - (before.lastIndexOf('\n') + 1) + 1;
            fail(QStringLiteral("ligne %1, colonne %2").arg(line).arg(column), error.errorString());
        }
        if (!doc.isObject())
            fail(QStringLiteral("racine"), QStringLiteral("un objet est attendu"));
        return doc.object();
    }

    // A definition of the base form: `base` (read from the same folder) with the texts, filter and sort
    // that `root` gives in place of its own.
    ReportDefinition derived(const QJsonObject& root, ReportDefinition base) const {
        onlyKeys(root, {"base", "texts", "filter", "sort"}, QStringLiteral("racine"));
        base.fileName = m_file;
        if (root.contains(QStringLiteral("filter"))) {
            base.hasFilter = true;
            base.filter = filter(root.value(QStringLiteral("filter")), QStringLiteral("filter"));
        }
        if (root.contains(QStringLiteral("sort")))
            base.sort = sort(root);
        if (!root.contains(QStringLiteral("texts")))
            return base;
        const QString w = QStringLiteral("texts");
        const QJsonObject texts = object(root.value(w), w);
        QHash<QString, QString> by;
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            if (!it.value().isString())
                fail(path(w, it.key()), QStringLiteral("un texte est attendu"));
            by.insert(it.key(), it.value().toString());
        }
        // Fixed texts and chart captions equal to a key, whole: never a field, nor part of a text.
        QSet<QString> used;
        auto replace = [&](QString& t) {
            const auto it = by.constFind(t);
            if (t.isEmpty() || it == by.constEnd())
                return;
            used.insert(t);
            t = *it;
        };
        auto band = [&](ReportBand& b) {
            for (ReportElement& e : b.elements) {
                if (e.type == ReportElement::Type::Text && e.field.isEmpty() &&
                    e.aggregate == ReportElement::Aggregate::None)
                    replace(e.text);
                if (e.type == ReportElement::Type::Chart) {
                    replace(e.keyCaption);
                    replace(e.valueCaption);
                }
            }
        };
        for (ReportBand* b :
             {&base.reportHeader, &base.pageHeader, &base.detail, &base.reportFooter, &base.pageFooter})
            band(*b);
        for (ReportGroup& g : base.groups) {
            band(g.header);
            band(g.footer);
        }
        for (auto it = texts.begin(); it != texts.end(); ++it)
            if (!used.contains(it.key()))
                fail(path(w, it.key()),
                     QStringLiteral("aucun texte de la base ne vaut « %1 »").arg(it.key()));
        return base;
    }

    ReportDefinition definition(const QJsonObject& root) const {
        ReportDefinition d;
        d.fileName = m_file;
        onlyKeys(root,
                 {"tables", "links", "computed", "filter", "sort", "page", "labels", "font", "reportHeader",
                  "pageHeader", "groups", "detail", "reportFooter", "pageFooter"},
                 QStringLiteral("racine"));

        const QJsonArray tables = array(root, QStringLiteral("tables"), QString());
        if (tables.isEmpty())
            fail(QStringLiteral("tables"), QStringLiteral("au moins une table est attendue"));
        QSet<QString> seen;
        for (int i = 0; i < tables.size(); ++i) {
            const QString w = item(QStringLiteral("tables"), i);
            if (!tables.at(i).isString() || tables.at(i).toString().trimmed().isEmpty())
                fail(w, QStringLiteral("un nom de table est attendu"));
            const QString name = tables.at(i).toString().trimmed();
            if (seen.contains(name.toLower()))
                fail(w, QStringLiteral("la table « %1 » est nommée deux fois").arg(name));
            seen.insert(name.toLower());
            d.tables << name;
        }

        const QJsonArray links = array(root, QStringLiteral("links"), QString());
        for (int i = 0; i < links.size(); ++i) {
            const QString w = item(QStringLiteral("links"), i);
            const QJsonObject o = object(links.at(i), w);
            onlyKeys(o, {"from", "to"}, w);
            d.links << ReportLink{text(o, QStringLiteral("from"), w, true),
                                  text(o, QStringLiteral("to"), w, true), w};
        }

        const QJsonArray computed = array(root, QStringLiteral("computed"), QString());
        for (int i = 0; i < computed.size(); ++i) {
            const QString w = item(QStringLiteral("computed"), i);
            const QJsonObject o = object(computed.at(i), w);
            onlyKeys(o, {"name", "product", "sum", "month", "year"}, w);
            ReportComputed c;
            c.where = w;
            c.name = text(o, QStringLiteral("name"), w, true);
            static const std::pair<const char*, ReportComputed::Operation> Operations[] = {
                {"product", ReportComputed::Operation::Product},
                {"sum", ReportComputed::Operation::Sum},
                {"month", ReportComputed::Operation::Month},
                {"year", ReportComputed::Operation::Year}};
            QString key;
            int trouvees = 0;
            for (const auto& [nom, operation] : Operations)
                if (o.contains(QLatin1String(nom))) {
                    key = QLatin1String(nom);
                    c.operation = operation;
                    ++trouvees;
                }
            if (trouvees != 1)
                fail(w, QStringLiteral("« product », « sum », « month » ou « year » est attendu, un seul"));
            const QJsonArray operands = array(o, key, w);
            for (int k = 0; k < operands.size(); ++k) {
                if (!operands.at(k).isString())
                    fail(item(path(w, key), k), QStringLiteral("un nom de champ est attendu"));
                c.operands << operands.at(k).toString();
            }
            if (c.operands.isEmpty())
                fail(path(w, key), QStringLiteral("la liste est vide"));
            if (c.operands.size() > 1 && (c.operation == ReportComputed::Operation::Month ||
                                          c.operation == ReportComputed::Operation::Year))
                fail(path(w, key), QStringLiteral("un seul champ date est attendu"));
            d.computed << c;
        }

        if (root.contains(QStringLiteral("filter"))) {
            d.hasFilter = true;
            d.filter = filter(root.value(QStringLiteral("filter")), QStringLiteral("filter"));
        }

        d.sort = sort(root);

        if (root.contains(QStringLiteral("page"))) {
            const QString w = QStringLiteral("page");
            const QJsonObject o = object(root.value(w), w);
            onlyKeys(o, {"size", "orientation", "margins"}, w);
            if (o.contains(QStringLiteral("size")) &&
                text(o, QStringLiteral("size"), w) != QLatin1String("A4"))
                fail(path(w, QStringLiteral("size")), QStringLiteral("seul le format « A4 » est connu"));
            d.landscape = choice(o, QStringLiteral("orientation"), w, {"portrait", "landscape"}, 0) == 1;
            if (d.landscape)
                d.pageSize.transpose();
            if (o.contains(QStringLiteral("margins"))) {
                const QString wm = path(w, QStringLiteral("margins"));
                const QJsonObject m = object(o.value(QStringLiteral("margins")), wm);
                onlyKeys(m, {"top", "bottom", "left", "right"}, wm);
                d.margins = QMarginsF(number(m, QStringLiteral("left"), wm, d.margins.left()),
                                      number(m, QStringLiteral("top"), wm, d.margins.top()),
                                      number(m, QStringLiteral("right"), wm, d.margins.right()),
                                      number(m, QStringLiteral("bottom"), wm, d.margins.bottom()));
                if (d.margins.left() + d.margins.right() >= d.pageSize.width() ||
                    d.margins.top() + d.margins.bottom() >= d.pageSize.height())
                    fail(wm, QStringLiteral("les marges couvrent toute la page"));
            }
        }

        const ReportFont font = this->font(root, QString(), ReportFont());
        d.reportHeader = band(root, QStringLiteral("reportHeader"), QString(), font);
        d.pageHeader = band(root, QStringLiteral("pageHeader"), QString(), font);
        const QJsonArray groups = array(root, QStringLiteral("groups"), QString());
        for (int i = 0; i < groups.size(); ++i) {
            const QString w = item(QStringLiteral("groups"), i);
            const QJsonObject o = object(groups.at(i), w);
            onlyKeys(o, {"key", "order", "header", "footer"}, w);
            ReportGroup g;
            g.where = w;
            g.key = text(o, QStringLiteral("key"), w, true);
            g.sortOrder = choice(o, QStringLiteral("order"), w, {"key", "sort"}, 0) == 1;
            g.header = band(o, QStringLiteral("header"), w, font);
            g.footer = band(o, QStringLiteral("footer"), w, font);
            d.groups << g;
        }
        d.detail = band(root, QStringLiteral("detail"), QString(), font);
        d.reportFooter = band(root, QStringLiteral("reportFooter"), QString(), font);
        d.pageFooter = band(root, QStringLiteral("pageFooter"), QString(), font);

        // A chart sums the rows of the whole report: it has no place in a band printed per row or group.
        auto noChart = [&](const ReportBand& b) {
            for (const ReportElement& e : b.elements)
                if (e.type == ReportElement::Type::Chart)
                    fail(e.where, QStringLiteral("un graphique ne se place que dans « reportHeader » ou "
                                                 "« reportFooter »"));
        };
        noChart(d.pageHeader);
        noChart(d.detail);
        noChart(d.pageFooter);
        for (const ReportGroup& g : d.groups) {
            noChart(g.header);
            noChart(g.footer);
        }

        if (root.contains(QStringLiteral("labels"))) {
            labels(root, d);
            return d;
        }
        const double body = d.pageSize.height() - d.margins.top() - d.margins.bottom();
        if (d.pageHeader.height + d.pageFooter.height >= body)
            fail(QStringLiteral("pageHeader"),
                 QStringLiteral("les en-tête et pied de page couvrent toute la page"));
        return d;
    }

    static QString mm(double v) { return QString::number(v, 'g', 6).replace(u'.', u','); }

    void labels(const QJsonObject& root, ReportDefinition& d) const {
        const QString w = QStringLiteral("labels");
        const QJsonObject o = object(root.value(w), w);
        onlyKeys(o, {"columns", "rows", "width", "height", "horizontalPitch", "verticalPitch", "left", "top"},
                 w);
        ReportLabels& l = d.labels;
        auto whole = [&](const QString& key) {
            return integer(o, key, w, 0, 1, 100,
                           QStringLiteral("un nombre entier d'étiquettes de 1 à 100 est attendu"), true);
        };
        l.columns = whole(QStringLiteral("columns"));
        l.rows = whole(QStringLiteral("rows"));
        l.size = QSizeF(number(o, QStringLiteral("width"), w, 0, true),
                        number(o, QStringLiteral("height"), w, 0, true));
        if (l.size.width() <= 0 || l.size.height() <= 0)
            fail(w, QStringLiteral("une étiquette a une largeur et une hauteur"));
        l.horizontalPitch = number(o, QStringLiteral("horizontalPitch"), w, l.size.width());
        l.verticalPitch = number(o, QStringLiteral("verticalPitch"), w, l.size.height());
        if (l.horizontalPitch < l.size.width() - 0.005 || l.verticalPitch < l.size.height() - 0.005)
            fail(w, QStringLiteral("le pas est plus petit que l'étiquette : les étiquettes se chevauchent"));
        const double across = (l.columns - 1) * l.horizontalPitch + l.size.width();
        const double down = (l.rows - 1) * l.verticalPitch + l.size.height();
        l.left = number(o, QStringLiteral("left"), w, (d.pageSize.width() - across) / 2);
        l.top = number(o, QStringLiteral("top"), w, (d.pageSize.height() - down) / 2);
        // A hundredth of a millimetre of slack: the stocks' figures are rounded.
        auto refuse = [&](int count, const QString& what, double size, double pitch, double from, double span,
                          double page, const QString& side) {
            fail(w,
                 QStringLiteral("les étiquettes ne tiennent pas sur la page : %1 %2 de %3 mm au pas de %4 mm "
                                "font %5 mm, de %6 mm à %7 mm, et la page fait %8 mm de %9")
                     .arg(count)
                     .arg(what, mm(size), mm(pitch), mm(span), mm(from), mm(from + span), mm(page), side));
        };
        if (l.left < 0 || l.left + across > d.pageSize.width() + 0.01)
            refuse(l.columns, QStringLiteral("colonne(s)"), l.size.width(), l.horizontalPitch, l.left, across,
                   d.pageSize.width(), QStringLiteral("large"));
        if (l.top < 0 || l.top + down > d.pageSize.height() + 0.01)
            refuse(l.rows, QStringLiteral("rangée(s)"), l.size.height(), l.verticalPitch, l.top, down,
                   d.pageSize.height(), QStringLiteral("haut"));
        // A label is the detail band: the bands of a list have no place on it.
        for (const ReportBand* b : {&d.reportHeader, &d.pageHeader, &d.reportFooter, &d.pageFooter})
            if (b->height > 0 || !b->elements.isEmpty())
                fail(b->where, QStringLiteral("une planche d'étiquettes n'imprime que « detail »"));
        if (!d.groups.isEmpty())
            fail(QStringLiteral("groups"),
                 QStringLiteral("une planche d'étiquettes n'imprime que « detail »"));
        if (d.detail.height > l.size.height() + 0.005)
            fail(d.detail.where, QStringLiteral("le détail (%1 mm) est plus haut que l'étiquette (%2 mm)")
                                     .arg(mm(d.detail.height), mm(l.size.height())));
        d.hasLabels = true;
    }

private:
    QString m_file;
};

} // namespace

namespace {

// Files of the base form in one chain, the file itself included: twins of variants, and a margin.
constexpr int PlusLongueChaine = 4;

// Reads `path`; `chain` holds the files of the base form that led to it, outermost first.
ReportDefinition read(const QString& path, QStringList& chain) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Lecture impossible : %1").arg(path),
                              QStringLiteral("ReportDefinition"));
    const QString name = FnWendrox::NomFichier(path);
    const Reader reader(name);
    const QJsonObject root = reader.root(f.readAll());
    if (!root.contains(QStringLiteral("base"))) {
        ReportDefinition d = reader.definition(root);
        d.folder = QFileInfo(path).absolutePath();
        return d;
    }
    const QString w = QStringLiteral("base");
    const QString baseName = reader.text(root, w, QString(), true);
    const QString folder = QFileInfo(path).absolutePath();
    const QString basePath = FnWendrox::FichierExistant(folder, baseName.trimmed());
    if (basePath.isEmpty())
        reader.fail(w,
                    QStringLiteral("la définition « %1 » est introuvable dans « %2 »").arg(baseName, folder));
    chain << name;
    for (const QString& c : chain)
        if (c.compare(FnWendrox::NomFichier(basePath), Qt::CaseInsensitive) == 0)
            reader.fail(w, QStringLiteral("« %1 » mène en cercle (%2)")
                               .arg(baseName, (chain + QStringList{c}).join(QStringLiteral(" → "))));
    if (chain.size() > PlusLongueChaine)
        reader.fail(
            w, QStringLiteral("plus de %1 définitions en chaîne (%2)")
                   .arg(PlusLongueChaine)
                   .arg((chain + QStringList{FnWendrox::NomFichier(basePath)}).join(QStringLiteral(" → "))));
    return reader.derived(root, read(basePath, chain));
}

} // namespace

ReportDefinition ReportDefinition::load(const QString& folder, const QString& fileName) {
    const QString path = FnWendrox::FichierExistant(folder, fileName);
    if (path.isEmpty())
        throw ErreurExecution(ErreurExecution::FileNotFound,
                              QStringLiteral("Fichier d'état introuvable : %1")
                                  .arg(FnWendrox::AjouteBackslash(folder) + fileName),
                              QStringLiteral("ReportDefinition"));
    QStringList chain;
    return read(path, chain);
}

ReportDefinition ReportDefinition::parse(const QByteArray& json, const QString& fileName) {
    const Reader reader(fileName);
    const QJsonObject root = reader.root(json);
    // A base is a file of the same folder: bytes have none.
    if (root.contains(QStringLiteral("base")))
        reader.fail(
            QStringLiteral("base"),
            QStringLiteral("une définition sur une base ne se lit que de son fichier, dans son dossier"));
    return reader.definition(root);
}
