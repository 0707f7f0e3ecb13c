#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>

// A run-time failure, as the original's error object: number, description and source. Handlers catch it
// and hand their own procedure name to SignalerErreur.
class ErreurExecution : public std::exception {
public:
    // Numbers of the original where the program branches on them or logs them. They are signed 32-bit
    // values, as the original's error numbers: &H80004005 is -2147467259.
    static constexpr qint32 InvalidProcedureCall = 5; // an argument the routine cannot take
    static constexpr qint32 Overflow = 6;
    static constexpr qint32 SubscriptOutOfRange = 9;
    static constexpr qint32 DivisionByZero = 11;
    static constexpr qint32 TypeMismatch = 13;
    static constexpr qint32 FileNotFound = 53;
    static constexpr qint32 InvalidUseOfNull = 94; // a Null where a number or a flag must be
    static constexpr qint32 PathFileAccess = 75;
    static constexpr qint32 InvalidPicture = 481; // bytes that are no picture
    static constexpr qint32 JpegEchec = 26001;
    static constexpr qint32 PortSerieFerme = 8018; // the serial port is not open (badge reader)
    // A mail the SMTP server did not take: its last reply, the socket's error, or its silence.
    static constexpr qint32 EnvoiEmailEchec = 26100;
    static constexpr qint32 BaseInaccessible = static_cast<qint32>(0x80004005u); // database cannot be opened
    static constexpr qint32 ErreurBase =
        static_cast<qint32>(0x80040E14u); // other database errors, driver's text

    // A number given as its unsigned 32-bit pattern (0x80004005) is kept as the signed value it stands for.
    ErreurExecution(qint64 numero, QString description, QString source = QString())
        : m_numero(static_cast<qint32>(static_cast<quint32>(numero))), m_description(std::move(description)),
          m_source(std::move(source)), m_what(m_description.toUtf8()) {}

    qint32 numero() const { return m_numero; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

    // The log text: "N°: " followed by the (signed) number, a blank and the description.
    QString texteJournal() const {
        return QStringLiteral("N°: ") + QString::number(m_numero) + QLatin1Char(' ') + m_description;
    }

private:
    qint32 m_numero;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};
