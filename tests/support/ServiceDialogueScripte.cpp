#include "support/ServiceDialogueScripte.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
const char* nomGenre(ServiceDialogueScripte::Genre g) {
    switch (g) {
    case ServiceDialogueScripte::Genre::Message:
        return "message box";
    case ServiceDialogueScripte::Genre::Saisie:
        return "input box";
    case ServiceDialogueScripte::Genre::OuvertureFichier:
        return "file-open dialog";
    case ServiceDialogueScripte::Genre::EnregistrementFichier:
        return "save dialog";
    case ServiceDialogueScripte::Genre::Imprimante:
        return "printer dialog";
    }
    return "?";
}
} // namespace

ServiceDialogueScripte::ServiceDialogueScripte() : m_precedent(serviceDialogueInstalle()) {
    installerServiceDialogue(this);
}

ServiceDialogueScripte::~ServiceDialogueScripte() {
    verifierTout();
    installerServiceDialogue(m_precedent);
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreMessage(const QString& texte, int reponse,
                                                                std::optional<QString> titre,
                                                                std::optional<int> style) {
    Attente a;
    a.genre = Genre::Message;
    a.description = QStringLiteral("message \"%1\"").arg(texte);
    a.reponse = reponse;
    a.accepte = [texte, titre, style](const Appel& c, QString* ecart) {
        if (c.texte != texte)
            *ecart = QStringLiteral("text \"%1\", expected \"%2\"").arg(c.texte, texte);
        else if (titre && c.titre != *titre)
            *ecart = QStringLiteral("title \"%1\", expected \"%2\"").arg(c.titre, *titre);
        else if (style && c.style != *style)
            *ecart = QStringLiteral("style %1, expected %2").arg(c.style).arg(*style);
        return ecart->isEmpty();
    };
    m_attentes.append(a);
    return *this;
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreMessageContenant(const QString& extrait, int reponse,
                                                                         std::optional<QString> titre) {
    Attente a;
    a.genre = Genre::Message;
    a.description = QStringLiteral("message containing \"%1\"").arg(extrait);
    a.reponse = reponse;
    a.accepte = [extrait, titre](const Appel& c, QString* ecart) {
        if (!c.texte.contains(extrait))
            *ecart = QStringLiteral("text \"%1\" lacks \"%2\"").arg(c.texte, extrait);
        else if (titre && c.titre != *titre)
            *ecart = QStringLiteral("title \"%1\", expected \"%2\"").arg(c.titre, *titre);
        return ecart->isEmpty();
    };
    m_attentes.append(a);
    return *this;
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreSaisie(const QString& invite,
                                                               const QString& reponse) {
    Attente a;
    a.genre = Genre::Saisie;
    a.description = QStringLiteral("input box \"%1\"").arg(invite);
    a.texte = reponse;
    a.accepte = [invite](const Appel& c, QString* ecart) {
        if (!invite.isEmpty() && c.texte != invite)
            *ecart = QStringLiteral("prompt \"%1\", expected \"%2\"").arg(c.texte, invite);
        return ecart->isEmpty();
    };
    m_attentes.append(a);
    return *this;
}

ServiceDialogueScripte&
ServiceDialogueScripte::attendreOuverture(const ResultatOuvertureFichier& resultat,
                                          std::function<void(const DemandeOuvertureFichier&)> verifier) {
    Attente a;
    a.genre = Genre::OuvertureFichier;
    a.description = QStringLiteral("file-open dialog");
    a.fichier = resultat;
    a.verifier = std::move(verifier);
    a.accepte = [](const Appel&, QString*) { return true; };
    m_attentes.append(a);
    return *this;
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreFichierChoisi(const QString& chemin,
                                                                      int filterIndex) {
    ResultatOuvertureFichier r;
    r.Accepte = true;
    r.FileName = chemin;
    r.FileTitle = QFileInfo(chemin).fileName();
    r.FilterIndex = filterIndex;
    return attendreOuverture(r);
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreOuvertureAnnulee() {
    ResultatOuvertureFichier r;
    r.Accepte = false;
    r.FilterIndex = -1;
    return attendreOuverture(r);
}

ServiceDialogueScripte&
ServiceDialogueScripte::attendreImprimante(const ResultatImprimante& resultat,
                                           std::function<void(const QString& fichierPdf)> verifier) {
    Attente a;
    a.genre = Genre::Imprimante;
    a.description = QStringLiteral("printer dialog");
    a.accepte = [](const Appel&, QString*) { return true; };
    a.imprimante = resultat;
    a.verifierImprimante = std::move(verifier);
    m_attentes.append(a);
    return *this;
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreEnregistrement(
    const ResultatEnregistrementFichier& resultat,
    std::function<void(const DemandeEnregistrementFichier&)> verifier) {
    Attente a;
    a.genre = Genre::EnregistrementFichier;
    a.description = QStringLiteral("save dialog");
    a.accepte = [](const Appel&, QString*) { return true; };
    a.enregistrement = resultat;
    a.verifierEnregistrement = std::move(verifier);
    m_attentes.append(a);
    return *this;
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreEnregistrementChoisi(const QString& chemin) {
    ResultatEnregistrementFichier r;
    r.Accepte = true;
    r.FileName = chemin;
    return attendreEnregistrement(r);
}

ServiceDialogueScripte& ServiceDialogueScripte::attendreEnregistrementAnnule() {
    return attendreEnregistrement(ResultatEnregistrementFichier{});
}

QStringList ServiceDialogueScripte::messages() const {
    QStringList l;
    for (const Appel& a : m_appels)
        if (a.genre == Genre::Message)
            l.append(a.texte);
    return l;
}

void ServiceDialogueScripte::verifierTout() {
    for (const Attente& a : m_attentes)
        ADD_FAILURE() << "Expected dialog call never made: " << a.description.toStdString();
    m_attentes.clear();
}

std::optional<ServiceDialogueScripte::Attente> ServiceDialogueScripte::prendre(const Appel& appel,
                                                                               const QString& resume) {
    m_appels.append(appel);
    if (m_attentes.isEmpty()) {
        ADD_FAILURE() << "Unexpected " << nomGenre(appel.genre) << ": " << resume.toStdString();
        return std::nullopt;
    }
    Attente a = m_attentes.takeFirst();
    if (a.genre != appel.genre) {
        ADD_FAILURE() << "Unexpected " << nomGenre(appel.genre) << " (" << resume.toStdString()
                      << "); expected " << a.description.toStdString();
        return std::nullopt;
    }
    QString ecart;
    if (!a.accepte(appel, &ecart)) {
        ADD_FAILURE() << "Wrong " << nomGenre(appel.genre) << ": " << ecart.toStdString();
        return std::nullopt;
    }
    return a;
}

int ServiceDialogueScripte::message(const QString& texte, int style, const QString& titre) {
    Appel c;
    c.genre = Genre::Message;
    c.texte = texte;
    c.titre = titre;
    c.style = style;
    const auto a = prendre(c, QStringLiteral("\"%1\" titled \"%2\"").arg(texte, titre));
    return a ? a->reponse : Reponse::Annuler;
}

QString ServiceDialogueScripte::saisie(const QString& invite, const QString& titre, const QString& defaut) {
    Appel c;
    c.genre = Genre::Saisie;
    c.texte = invite;
    c.titre = titre;
    c.defaut = defaut;
    const auto a = prendre(c, QStringLiteral("\"%1\"").arg(invite));
    return a ? a->texte : QString();
}

ResultatOuvertureFichier ServiceDialogueScripte::ouvrirFichier(const DemandeOuvertureFichier& demande) {
    Appel c;
    c.genre = Genre::OuvertureFichier;
    c.titre = demande.DlgTitle;
    c.demande = demande;
    const auto a =
        prendre(c, QStringLiteral("title \"%1\", filter \"%2\"").arg(demande.DlgTitle, demande.Filter));
    if (!a) {
        ResultatOuvertureFichier annule;
        annule.FilterIndex = -1;
        return annule;
    }
    if (a->verifier)
        a->verifier(demande);
    return a->fichier;
}

ResultatEnregistrementFichier
ServiceDialogueScripte::enregistrerFichier(const DemandeEnregistrementFichier& demande) {
    Appel c;
    c.genre = Genre::EnregistrementFichier;
    c.titre = demande.DlgTitle;
    c.demandeEnregistrement = demande;
    const auto a =
        prendre(c, QStringLiteral("title \"%1\", name \"%2\"").arg(demande.DlgTitle, demande.FileName));
    if (!a)
        return {};
    if (a->verifierEnregistrement)
        a->verifierEnregistrement(demande);
    return a->enregistrement;
}

ResultatImprimante ServiceDialogueScripte::choisirImprimante(const QString& fichierPdf) {
    Appel c;
    c.genre = Genre::Imprimante;
    c.defaut = fichierPdf;
    const auto a = prendre(c, QStringLiteral("PDF file \"%1\"").arg(fichierPdf));
    if (!a)
        return {};
    if (a->verifierImprimante)
        a->verifierImprimante(fichierPdf);
    return a->imprimante;
}
