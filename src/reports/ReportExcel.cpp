#include "reports/ReportExcel.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "reports/ReportEngine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <xlsxwriter.h>

namespace ReportExcel {

namespace {

[[noreturn]] void fail(const QString& path, const QString& why = QString()) {
    throw ErreurExecution(ErreurExecution::PathFileAccess,
                          why.isEmpty() ? QStringLiteral("Écriture impossible : %1").arg(path)
                                        : QStringLiteral("Écriture impossible : %1 (%2)").arg(path, why),
                          QStringLiteral("ReportExcel"));
}

// A detail field or text, by its place on paper.
struct Column {
    double left = 0;
    double right = 0;
    QString field;
    int element = 0;
};

// What one cell of the sheet receives.
struct Value {
    enum class Kind { Empty, Number, Date, Boolean, Text };
    Kind kind = Kind::Empty;
    double number = 0;
    QDateTime date;
    QString text;
};

Value valueOf(const ReportCell& c) {
    Value v;
    const QVariant& x = c.value;
    if (!x.isValid() || x.isNull())
        return v;
    const int id = x.metaType().id();
    if (id == QMetaType::QDateTime || id == QMetaType::QDate ||
        ((c.format == ReportFormat::Date || c.format == ReportFormat::DateTime) &&
         id == QMetaType::QString)) {
        v.date = Valeurs::lireDate(x);
        // Excel counts days from 1900: an earlier date is kept as its text.
        if (v.date.isValid() && v.date.date().year() >= 1900) {
            v.kind = Value::Kind::Date;
            return v;
        }
    } else if (id == QMetaType::Bool) {
        v.kind = Value::Kind::Boolean;
        v.number = x.toBool() ? 1 : 0;
        return v;
    } else if (Valeurs::estNombre(x)) {
        v.number = x.toDouble();
        if (std::isfinite(v.number))
            v.kind = Value::Kind::Number;
        return v;
    } else if (id == QMetaType::QByteArray) {
        return v;
    }
    v.text = ReportEngine::formatValue(x, ReportFormat::Text);
    if (!v.text.isEmpty())
        v.kind = Value::Kind::Text;
    return v;
}

class Sheet {
public:
    Sheet(const QString& file, const QString& shownPath) : m_path(shownPath) {
        m_book = workbook_new(QFile::encodeName(file).constData());
        if (!m_book)
            fail(m_path);
        m_sheet = workbook_add_worksheet(m_book, "Etat");
        if (!m_sheet)
            fail(m_path);
    }
    ~Sheet() {
        if (m_book)
            workbook_close(m_book); // after a failure: frees it, the temporary file is removed anyway
    }

    void close() {
        lxw_workbook* book = m_book;
        m_book = nullptr;
        const lxw_error e = workbook_close(book);
        if (e != LXW_NO_ERROR)
            fail(m_path, QString::fromUtf8(lxw_strerror(e)));
    }

    void width(int column, double millimetres) {
        // A character of the default font is about 1,9 mm wide.
        check(worksheet_set_column(m_sheet, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column),
                                   std::max(4.0, millimetres / 1.9), nullptr));
    }

    void put(int row, int column, const Value& v, const ReportCell& c, bool headerLine = false) {
        if (row > static_cast<int>(LXW_ROW_MAX) - 1)
            fail(m_path, QStringLiteral("plus de lignes qu'une feuille Excel n'en tient"));
        const auto r = static_cast<lxw_row_t>(row);
        const auto col = static_cast<lxw_col_t>(column);
        switch (v.kind) {
        case Value::Kind::Empty:
            return;
        case Value::Kind::Number:
            check(worksheet_write_number(m_sheet, r, col, v.number, format(c, false, headerLine)));
            return;
        case Value::Kind::Boolean:
            check(worksheet_write_boolean(m_sheet, r, col, v.number != 0, format(c, false, headerLine)));
            return;
        case Value::Kind::Date: {
            const QDate d = v.date.date();
            const QTime t = v.date.time();
            lxw_datetime x{d.year(), d.month(),  d.day(),
                           t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
            check(worksheet_write_datetime(m_sheet, r, col, &x, format(c, true, headerLine)));
            return;
        }
        case Value::Kind::Text: {
            // A cell holds 32 767 characters at most.
            const QByteArray text = v.text.left(32767).toUtf8();
            check(worksheet_write_string(m_sheet, r, col, text.constData(), format(c, false, headerLine)));
            return;
        }
        }
    }

private:
    void check(lxw_error e) const {
        if (e != LXW_NO_ERROR)
            fail(m_path, QString::fromUtf8(lxw_strerror(e)));
    }

    // The number format of a value shown as the report shows it; bold and, for the header lines, the
    // size of the report's font.
    lxw_format* format(const ReportCell& c, bool date, bool headerLine) {
        QString number;
        if (date) {
            number = c.format == ReportFormat::DateTime ? QStringLiteral("dd/mm/yyyy hh:mm:ss")
                                                        : QStringLiteral("dd/mm/yyyy");
        } else {
            switch (c.format) {
            case ReportFormat::Integer:
                number = QStringLiteral("0");
                break;
            case ReportFormat::Decimal:
                number =
                    c.decimals > 0 ? QStringLiteral("0.") + QString(c.decimals, u'0') : QStringLiteral("0");
                break;
            case ReportFormat::Money:
                number = QStringLiteral("#,##0.00 \"\u20AC\"");
                break;
            case ReportFormat::Text:
            case ReportFormat::Date:
            case ReportFormat::DateTime:
                break;
            }
        }
        const double size = headerLine ? c.font.size : 0;
        const QString key = number + u'|' + QString::number(c.font.bold) + u'|' + QString::number(size);
        if (number.isEmpty() && !c.font.bold && size == 0)
            return nullptr;
        lxw_format*& f = m_formats[key];
        if (!f) {
            f = workbook_add_format(m_book);
            if (!number.isEmpty())
                format_set_num_format(f, number.toUtf8().constData());
            if (c.font.bold)
                format_set_bold(f);
            if (size > 0)
                format_set_font_size(f, size);
        }
        return f;
    }

    QString m_path;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    QHash<QString, lxw_format*> m_formats;
};

// The detail's texts and fields, left to right.
std::vector<Column> columnsOf(const ReportDefinition& d) {
    std::vector<Column> columns;
    for (int i = 0; i < d.detail.elements.size(); ++i) {
        const ReportElement& e = d.detail.elements.at(i);
        if (e.type == ReportElement::Type::Text || e.type == ReportElement::Type::Ean13)
            columns.push_back(Column{e.rect.left(), e.rect.right(), e.field.trimmed(), i});
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const Column& a, const Column& b) { return a.left < b.left; });
    return columns;
}

// The column a value of another band goes under: the detail column of the same field, else the one its
// left edge stands in, else the nearest one to its left.
int columnFor(const std::vector<Column>& columns, const ReportCell& c) {
    const QString field = c.field.trimmed();
    if (!field.isEmpty())
        for (size_t i = 0; i < columns.size(); ++i)
            if (Valeurs::egalSansCasse(columns[i].field, field))
                return static_cast<int>(i);
    const double x = c.rect.left();
    int best = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (x >= columns[i].left - 0.01 && x < columns[i].right)
            return static_cast<int>(i);
        if (columns[i].left <= x)
            best = static_cast<int>(i);
    }
    return best;
}

} // namespace

QString fileName(const QString& title, const QString& extension) {
    QString name = title.trimmed();
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'-';
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("Etat");
    return name + extension;
}

void write(const ReportDefinition& definition, const QList<ReportTable>& tables, const QString& path) {
    // Everything that can fail on the definition fails before a file exists.
    const QList<ReportRow> rows = ReportEngine::tabulate(definition, tables);
    const std::vector<Column> columns = columnsOf(definition);
    std::vector<int> columnOfElement(definition.detail.elements.size(), 0);
    for (size_t i = 0; i < columns.size(); ++i)
        columnOfElement[columns[i].element] = static_cast<int>(i);

    const QFileInfo target(path);
    if (target.fileName().isEmpty() || target.isDir())
        fail(path);
    QString temporary;
    {
        QTemporaryFile t(target.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
        t.setAutoRemove(false);
        if (!t.open())
            fail(path);
        temporary = t.fileName();
    }
    struct Remove {
        QString name;
        ~Remove() {
            if (!name.isEmpty())
                QFile::remove(name);
        }
    } remove{temporary};

    Sheet sheet(temporary, path);
    for (size_t i = 0; i < columns.size(); ++i)
        sheet.width(static_cast<int>(i), columns[i].right - columns[i].left);

    int line = 0;
    bool gap = false;
    for (const ReportRow& row : rows) {
        if (row.kind == ReportRow::Kind::ReportHeader) {
            // Each printed line of the header (company, address, title, period) is one line of column A.
            QList<ReportCell> cells = row.cells;
            std::stable_sort(cells.begin(), cells.end(), [](const ReportCell& a, const ReportCell& b) {
                return a.rect.top() < b.rect.top() - 0.5 ||
                       (std::fabs(a.rect.top() - b.rect.top()) <= 0.5 && a.rect.left() < b.rect.left());
            });
            for (qsizetype i = 0; i < cells.size();) {
                qsizetype j = i;
                QStringList texts;
                for (; j < cells.size() && std::fabs(cells[j].rect.top() - cells[i].rect.top()) <= 0.5; ++j) {
                    const QString t =
                        ReportEngine::formatValue(cells[j].value, cells[j].format, cells[j].decimals)
                            .trimmed();
                    if (!t.isEmpty())
                        texts << t;
                }
                if (!texts.isEmpty()) {
                    Value v;
                    v.kind = Value::Kind::Text;
                    v.text = texts.join(u' ');
                    ReportCell c = cells[i];
                    c.format = ReportFormat::Text;
                    sheet.put(line++, 0, v, c, true);
                }
                i = j;
            }
            gap = line > 0;
            continue;
        }
        if (gap) {
            ++line; // a blank line between the header lines and the table
            gap = false;
        }

        std::vector<Value> values(std::max<size_t>(1, columns.size()));
        std::vector<const ReportCell*> sources(values.size(), nullptr);
        if (row.kind == ReportRow::Kind::Detail) {
            for (const ReportCell& c : row.cells) {
                const int k = columns.empty() ? 0 : columnOfElement[c.element];
                values[k] = valueOf(c);
                sources[k] = &c;
            }
        } else {
            // Figures take their column first; a text that meets one moves to the nearest free column.
            for (const ReportCell& c : row.cells) {
                const Value v = valueOf(c);
                if (v.kind == Value::Kind::Text || v.kind == Value::Kind::Empty)
                    continue;
                const int k = columnFor(columns, c);
                if (values[k].kind == Value::Kind::Empty) {
                    values[k] = v;
                    sources[k] = &c;
                }
            }
            for (const ReportCell& c : row.cells) {
                const Value v = valueOf(c);
                if (v.kind != Value::Kind::Text)
                    continue;
                int k = columnFor(columns, c);
                if (values[k].kind != Value::Kind::Empty && values[k].kind != Value::Kind::Text) {
                    int free = -1;
                    for (int i = k - 1; i >= 0 && free < 0; --i)
                        if (values[i].kind == Value::Kind::Empty)
                            free = i;
                    for (int i = k + 1; i < static_cast<int>(values.size()) && free < 0; ++i)
                        if (values[i].kind == Value::Kind::Empty)
                            free = i;
                    if (free < 0)
                        continue;
                    k = free;
                }
                if (values[k].kind == Value::Kind::Text) {
                    values[k].text += u' ' + v.text;
                } else {
                    values[k] = v;
                    sources[k] = &c;
                }
            }
        }
        bool any = false;
        for (size_t k = 0; k < values.size(); ++k) {
            if (sources[k] && values[k].kind != Value::Kind::Empty) {
                sheet.put(line, static_cast<int>(k), values[k], *sources[k]);
                any = true;
            }
        }
        if (any)
            ++line;
    }
    sheet.close();

    QFile::setPermissions(temporary, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // rename() replaces an older file in one step: a reader sees the old workbook or the new one.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0)
        fail(path);
    remove.name.clear();
}

} // namespace ReportExcel
