#pragma once

#include <QDate>
#include <QString>

// A day as the period boxes and the report headers show it, and the reading of a typed period text.
namespace DateTexte {

// dd/MM/yyyy: 1 March 2026 gives "01/03/2026"; an invalid date gives "".
QString ecrire(const QDate& date);
// A text read as day/month/year, blanks around it ignored, the day and month with or without their
// leading zero ("1/3/2026", " 01/03/2026 "); an invalid QDate when the text is no such date ("31/02/2026",
// "", "12/13/2026", any other form).
QDate lire(const QString& texte);

} // namespace DateTexte
