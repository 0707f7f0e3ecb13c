#pragma once

#include "common/LecteurTag.h"

#include <QString>

// A contactless reader for tests: holds one tag (none when empty) and counts the reads.
class LecteurDeTest : public LecteurTag {
public:
    QString tag;
    int lectures = 0;
    QString OuvrirACR120() override { return QStringLiteral("OK"); }
    QString LireTagACR120() override {
        ++lectures;
        return tag;
    }
    void FermerACR120() override {}
};
