#pragma once

#include <QString>

// The fields of the semicolon-separated files the program writes for spreadsheet programs.
namespace ChampCSV {

// The value as one field: a value holding ";", a double quote, CR or LF is put between double quotes
// with its inner quotes doubled, so that it stays one field; any other value is written as it stands.
QString champ(const QString& valeur);
// The same, appended to `ligne`.
void ajouter(QString& ligne, QStringView valeur);

} // namespace ChampCSV
