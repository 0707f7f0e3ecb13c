#pragma once

#include <QByteArray>
#include <QChar>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// Outside programs the tests read their results with (pdftotext, unzip, zipinfo, zbarimg...).
namespace OutilsProcessus {

// The standard output of a program; its exit code in *code, or a failure when it is not 0.
inline QByteArray lancer(const QString& programme, const QStringList& arguments, int* code = nullptr) {
    QProcess p;
    p.start(programme, arguments);
    if (!p.waitForStarted(60000))
        ADD_FAILURE() << programme.toStdString() << " did not start: " << p.errorString().toStdString();
    else if (!p.waitForFinished(60000))
        ADD_FAILURE() << programme.toStdString() << " did not finish";
    if (code)
        *code = p.exitCode();
    else if (p.exitCode() != 0)
        ADD_FAILURE() << programme.toStdString() << ": " << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// The text of a PDF as pdftotext lays it out (it gives the NO-BREAK SPACE of amounts as a blank).
inline QString textePdf(const QString& pdf) {
    return QString::fromUtf8(
               lancer(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}))
        .replace(QChar(0x00A0), u' ');
}

} // namespace OutilsProcessus
