#pragma once

#include <QString>

// The contactless badge reader as the main window and the counter see it: open answers "OK" or the
// reader's error text; a read answers the tag in the field, "" when there is none or it fails; close
// takes no answer. The program's start installs the real reader; until then the absent reader answers
// with an error text and reads nothing.
class LecteurTag {
public:
    virtual ~LecteurTag() = default;
    virtual QString OuvrirACR120() = 0;
    virtual QString LireTagACR120() = 0;
    virtual void FermerACR120() = 0;
};

// The reader used by the main window and the counter; the absent reader when none is installed.
LecteurTag& LecteurTagCourant();
// Installs a reader (ownership stays with the caller); nullptr goes back to the absent reader.
void installerLecteurTag(LecteurTag* lecteur);

// What the absent reader answers.
QString texteLecteurTagAbsent();
