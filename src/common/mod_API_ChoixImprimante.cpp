#include "common/mod_API_ChoixImprimante.h"

#include "common/ServiceDialogue.h"

#include <QCoreApplication>

namespace mod_API_ChoixImprimante {

namespace {
std::function<QStringList()>& collection() {
    static std::function<QStringList()> c;
    return c;
}
} // namespace

void definirCollectionImprimantes(std::function<QStringList()> c) {
    collection() = std::move(c);
}

bool ChoisirImprimante(const QString& fichierPdf) {
    const ResultatImprimante r = Dialogues().choisirImprimante(fichierPdf);
    QCoreApplication::processEvents();

    if (r.Code == 0)
        return false;
    if (r.Code != 1) {
        MsgBox(QStringLiteral("Erreur inatendue"), StyleMessage::OK);
        return false;
    }

    ChoixImprimante& courante = ImprimanteCourante();
    // A name the program does not know leaves the current printer as it is; orientation and copies
    // apply to whichever printer is current. A PDF file stands for a printer until a printer is chosen.
    const QString nom = r.Choix.NomImprimante;
    bool connue = !nom.isEmpty();
    if (connue && collection())
        connue = collection()().contains(nom);
    if (!r.Choix.Fichier.isEmpty()) {
        courante.Fichier = r.Choix.Fichier;
    } else if (connue) {
        courante.NomImprimante = nom;
        courante.Fichier.clear();
    }
    courante.Orientation = r.Choix.Orientation;
    courante.Copies = r.Choix.Copies;
    return true;
}

} // namespace mod_API_ChoixImprimante
