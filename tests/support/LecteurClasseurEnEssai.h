#pragma once

// Header only: the workbook reader's tests and the employee import's share it.

#include <QByteArray>
#include <QtGlobal>

// The workbook reader made to fail for the object's life: DORVANE_CLASSEUR_ESSAI gives it the failure
// ("abandon", "memoire", "blocage", "tronque:N"; empty for none), DORVANE_CLASSEUR_DELAI the wall-clock
// limit in milliseconds (0 for the program's own). Both are cleared at the end.
class LecteurClasseurEnEssai {
public:
    explicit LecteurClasseurEnEssai(const QByteArray& essai, int delaiMs = 0) {
        if (!essai.isEmpty())
            qputenv("DORVANE_CLASSEUR_ESSAI", essai);
        if (delaiMs > 0)
            qputenv("DORVANE_CLASSEUR_DELAI", QByteArray::number(delaiMs));
    }
    ~LecteurClasseurEnEssai() {
        qunsetenv("DORVANE_CLASSEUR_ESSAI");
        qunsetenv("DORVANE_CLASSEUR_DELAI");
    }
    LecteurClasseurEnEssai(const LecteurClasseurEnEssai&) = delete;
    LecteurClasseurEnEssai& operator=(const LecteurClasseurEnEssai&) = delete;
};
