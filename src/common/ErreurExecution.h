#pragma once

#include <QString>
#include <exception>

// A run-time failure, as the original's error object: number, description and source. Handlers catch it
// and hand their own procedure name to SignalerErreur.
class ErreurExecution : public std::exception {
public:
    // Numbers of the original where the program branches on them or logs them.
    static constexpr qint64 Overflow = 6;
    static constexpr qint64 TypeMismatch = 13;
    static constexpr qint64 FileNotFound = 53;
    static constexpr qint64 PathFileAccess = 75;
    static constexpr qint64 JpegEchec = 26001;
    static constexpr qint64 BaseInaccessible = 0x80004005; // database cannot be opened
    static constexpr qint64 ErreurBase = 0x80040E14;        // any other database error, with the driver's text

    ErreurExecution(qint64 numero, QString description, QString source = QString())
        : m_numero(numero), m_description(std::move(description)), m_source(std::move(source)),
          m_what(m_description.toUtf8()) {}

    qint64 numero() const { return m_numero; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

    // The log text: "N°: " followed by the number, a blank and the description.
    QString texteJournal() const {
        return QStringLiteral("N°: ") + QString::number(m_numero) + QLatin1Char(' ') + m_description;
    }

private:
    qint64 m_numero;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};
