#include "common/LecteurTag.h"

namespace {
class LecteurTagAbsent : public LecteurTag {
public:
    QString OuvrirACR120() override { return texteLecteurTagAbsent(); }
    QString LireTagACR120() override { return QString(); }
    void FermerACR120() override {}
};

LecteurTagAbsent g_absent;
LecteurTag* g_lecteur = nullptr;
} // namespace

QString texteLecteurTagAbsent() {
    return QStringLiteral("Aucun lecteur sans contact n'a répondu.");
}

LecteurTag& LecteurTagCourant() {
    return g_lecteur ? *g_lecteur : g_absent;
}

void installerLecteurTag(LecteurTag* lecteur) {
    g_lecteur = lecteur;
}
