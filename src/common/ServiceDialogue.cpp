#include "common/ServiceDialogue.h"

#include <QtGlobal>

namespace {
ServiceDialogue* g_service = nullptr;
} // namespace

void installerServiceDialogue(ServiceDialogue* service) {
    g_service = service;
}

ServiceDialogue* serviceDialogueInstalle() {
    return g_service;
}

ServiceDialogue& Dialogues() {
    if (!g_service)
        qFatal("Dorvane: a message box, input box or file dialog was asked for, but no dialog service is "
               "installed (main installs the widget one; tests install ServiceDialogueScripte).");
    return *g_service;
}

int MsgBox(const QString& texte, int style, const QString& titre) {
    return Dialogues().message(texte, style, titreParDefaut(titre));
}

QString InputBox(const QString& invite, const QString& titre, const QString& defaut) {
    return Dialogues().saisie(invite, titreParDefaut(titre), defaut);
}

QString titreParDefaut(const QString& titre) {
    return titre.isEmpty() ? QStringLiteral("Dorvane") : titre;
}

ChoixImprimante& ImprimanteCourante() {
    static ChoixImprimante choix;
    return choix;
}
