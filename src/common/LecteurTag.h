#pragma once

#include <QString>

// The contactless badge reader as the main window sees it: open answers "OK" or the reader's error
// text; close takes no answer. The employees subsystem installs the real driver; until then the
// absent reader answers with an error text.
class LecteurTag {
public:
    virtual ~LecteurTag() = default;
    virtual QString OuvrirACR120() = 0;
    virtual void FermerACR120() = 0;
};

// The reader used by the main window; the absent reader when none is installed.
LecteurTag& LecteurTagCourant();
// Installs a reader (ownership stays with the caller); nullptr goes back to the absent reader.
void installerLecteurTag(LecteurTag* lecteur);

// What the absent reader answers.
QString texteLecteurTagAbsent();
