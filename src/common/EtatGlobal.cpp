#include "common/EtatGlobal.h"

EtatGlobal& Global() {
    static EtatGlobal etat;
    return etat;
}

void reinitialiserEtatGlobal() {
    Global() = EtatGlobal{};
}
