#include "reports/ReportData.h"

#include "common/DateTexte.h"
#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Recordset.h"

#include <QDate>

namespace ReportData {

namespace {

const QString Source = QStringLiteral("ReportData");

// The record source as the caller gives it: the recordset reads every form of it and puts an order of
// fields in French order, then the rows are copied and the recordset closed.
ReportTable callerRows(Connexion& c, const QString& source, const QVariantList& values) {
    Recordset rs;
    rs.Open(c, source, values);
    ReportTable t = ReportTable::fromRecordset(rs);
    t.setOrdered(!rs.SortField().isEmpty());
    rs.Close();
    return t;
}

ReportTable snapshot(Connexion& c, Table table, const Request& r) {
    if (table == Table::Source)
        return callerRows(c, r.source, r.values);
    if (table == Table::CA && !r.filter.isEmpty())
        return callerRows(c, QStringLiteral("select * from CA ") + r.filter, r.filterValues);
    return ReportTable::read(c, tableName(table));
}

QString shortDate(const QString& text) {
    const QDate d = DateTexte::lire(text);
    return d.isValid() ? DateTexte::ecrire(d) : text;
}

} // namespace

Rule rule(const QString& fileName, const QString& source) {
    if (fileName.contains(QLatin1String("ConsParMachine")))
        return Rule::Machines;
    if (source.contains(QLatin1String("Retour")))
        return Rule::Returns;
    const bool employeeReport = fileName == QLatin1String("ConsUnSalarie.rpt") ||
                                fileName == QLatin1String("ConsSur1refeParSalarie.RPT") ||
                                fileName == QLatin1String("ConsSur1refeParSalarieTalmer.RPT");
    if (!source.contains(QLatin1String("CA")) || employeeReport) {
        if (source.isEmpty())
            return Rule::Articles;
        if (source == QLatin1String("GrUtilisateur"))
            return Rule::Employees;
        return Rule::Source;
    }
    return Rule::CA;
}

QList<Table> tables(Rule rule) {
    switch (rule) {
    case Rule::Machines:
        return {Table::CA, Table::InfoEtat, Table::InfoSociete, Table::Machines};
    case Rule::Returns:
        return {Table::Source, Table::InfoSociete, Table::InfoEtat};
    case Rule::Articles:
        return {Table::ArticleEnStock, Table::Familles, Table::Fournisseur, Table::InfoSociete,
                Table::InfoEtat};
    case Rule::Employees:
        return {Table::GrUtilisateur, Table::InfoSociete};
    case Rule::Source:
        return {Table::Source, Table::InfoEtat, Table::InfoSociete};
    case Rule::CA:
        return {Table::CA, Table::InfoEtat, Table::InfoSociete};
    }
    return {};
}

QString tableName(Table table) {
    switch (table) {
    case Table::Source:
        return QString();
    case Table::CA:
        return QStringLiteral("CA");
    case Table::InfoEtat:
        return QStringLiteral("InfoEtat");
    case Table::InfoSociete:
        return QStringLiteral("InfoSociete");
    case Table::Machines:
        return QStringLiteral("Machines");
    case Table::ArticleEnStock:
        return QStringLiteral("ArticleEnStock");
    case Table::Familles:
        return QStringLiteral("Familles");
    case Table::Fournisseur:
        return QStringLiteral("Fournisseur");
    case Table::GrUtilisateur:
        return QStringLiteral("GrUtilisateur");
    }
    return QString();
}

Builder inTransaction(const QStringList& workTables, std::function<bool(Connexion&)> fill) {
    return [workTables, fill = std::move(fill)](Connexion& c, const std::function<void()>& read) {
        TransactionEcriture t(c);
        for (const QString& table : workTables)
            c.verrouillerTable(table);
        const bool something = fill(c);
        if (something)
            read();
        t.valider();
        return something;
    };
}

Builder logged(const QString& procedure, Builder builder) {
    return [procedure, builder = std::move(builder)](Connexion& c, const std::function<void()>& read) {
        bool inRead = false;
        try {
            return builder(c, [&] {
                inRead = true;
                read();
                inRead = false;
            });
        } catch (const std::exception& e) {
            if (!inRead)
                MajBase::SignalerErreur(procedure, e);
            throw;
        }
    };
}

Snapshot read(Connexion& c, const Request& r) {
    Snapshot s;
    s.rule = rule(r.fileName, r.source);
    const QList<Table> order = tables(s.rule);
    bool done = false;
    const auto reading = [&] {
        done = true;
        if (order.contains(Table::CA))
            c.verrouillerTable(QStringLiteral("CA"));
        c.verrouillerTable(QStringLiteral("InfoEtat"));
        // The table has no key: the header is the one row left.
        c.executer(QStringLiteral("DELETE FROM InfoEtat"));
        c.executer(QStringLiteral("INSERT INTO InfoEtat (Titre, Periode) VALUES (?, ?)"),
                   {r.title, r.period});
        s.tables.clear();
        for (const Table t : order) {
            s.tables << snapshot(c, t, r);
            if (t == Table::InfoSociete && s.tables.last().rowCount() < 1)
                throw ErreurExecution(ErreurExecution::ErreurBase,
                                      QStringLiteral("La fiche société (table InfoSociete) est vide"),
                                      Source);
        }
        if (s.rule == Rule::Returns && s.tables.first().rowCount() < 1)
            s.outcome = Snapshot::Outcome::EmptyReturns;
    };
    if (!r.builder) {
        TransactionEcriture t(c);
        reading();
        t.valider();
        return s;
    }
    if (!r.builder(c, reading)) {
        Snapshot nothing;
        nothing.outcome = Snapshot::Outcome::NothingToPrint;
        nothing.rule = s.rule;
        return nothing;
    }
    if (!done)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("Les tables de l'état n'ont pas été lues"), Source);
    return s;
}

QString reportFile(const QString& folder, const QString& fileName, bool french) {
    if (french)
        return fileName;
    const QString twin = fileName.left(qMax<qsizetype>(0, fileName.size() - 4)) + QStringLiteral("EN.rpt");
    return FnWendrox::FichierExiste(folder, twin) ? twin : fileName;
}

QString periodLine(const QString& start, const QString& end, bool french) {
    if (french)
        return QStringLiteral("Période du ") + shortDate(start) + QStringLiteral(" au ") + shortDate(end);
    return QStringLiteral("Period from ") + shortDate(start) + QStringLiteral(" to ") + shortDate(end);
}

} // namespace ReportData
