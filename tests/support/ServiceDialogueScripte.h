#pragma once

#include "common/ServiceDialogue.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// A dialog service for tests: a queue of expected calls with their answers. Installed by the constructor
// (the previous service comes back at destruction); an unexpected call fails the test at once, and the
// destructor fails it when an expected call never came.
//
//     ServiceDialogueScripte d;
//     d.attendreMessage("Mot de passe incorect !", Reponse::OK);
class ServiceDialogueScripte : public ServiceDialogue {
public:
    enum class Genre { Message, Saisie, OuvertureFichier, EnregistrementFichier, Imprimante };

    // One call as it was made.
    struct Appel {
        Genre genre = Genre::Message;
        QString texte; // message text or input prompt
        QString titre;
        int style = 0;
        QString defaut; // input box: the text proposed; printer dialog: the PDF file proposed
        DemandeOuvertureFichier demande;
        DemandeEnregistrementFichier demandeEnregistrement;
    };

    ServiceDialogueScripte();
    ~ServiceDialogueScripte() override;
    ServiceDialogueScripte(const ServiceDialogueScripte&) = delete;
    ServiceDialogueScripte& operator=(const ServiceDialogueScripte&) = delete;

    // A message box with exactly this text; title and style are checked when given.
    ServiceDialogueScripte& attendreMessage(const QString& texte, int reponse = Reponse::OK,
                                            std::optional<QString> titre = std::nullopt,
                                            std::optional<int> style = std::nullopt);
    // A message box whose text contains `extrait`.
    ServiceDialogueScripte& attendreMessageContenant(const QString& extrait, int reponse = Reponse::OK,
                                                     std::optional<QString> titre = std::nullopt);
    // An input box with this prompt (any prompt when empty); `reponse` is what the user typed
    // ("" = Cancel).
    ServiceDialogueScripte& attendreSaisie(const QString& invite, const QString& reponse);
    // A file-open dialog; `verifier` may check the request with EXPECT_*.
    ServiceDialogueScripte&
    attendreOuverture(const ResultatOuvertureFichier& resultat,
                      std::function<void(const DemandeOuvertureFichier&)> verifier = {});
    // Shortcuts: the user picks that file, or cancels.
    ServiceDialogueScripte& attendreFichierChoisi(const QString& chemin, int filterIndex = 1);
    ServiceDialogueScripte& attendreOuvertureAnnulee();
    // A save dialog; `verifier` may check the request with EXPECT_*. Shortcuts: the user gives that
    // path, or cancels.
    ServiceDialogueScripte&
    attendreEnregistrement(const ResultatEnregistrementFichier& resultat,
                           std::function<void(const DemandeEnregistrementFichier&)> verifier = {});
    ServiceDialogueScripte& attendreEnregistrementChoisi(const QString& chemin);
    ServiceDialogueScripte& attendreEnregistrementAnnule();
    // The printer dialog; `verifier` may check the PDF file it proposes.
    ServiceDialogueScripte& attendreImprimante(const ResultatImprimante& resultat,
                                               std::function<void(const QString& fichierPdf)> verifier = {});

    // Every call made so far, expected or not.
    const QList<Appel>& appels() const { return m_appels; }
    // The texts of the message boxes shown so far.
    QStringList messages() const;
    int attentesRestantes() const { return static_cast<int>(m_attentes.size()); }
    // Fails the test for every expectation not met yet, and forgets them.
    void verifierTout();

    int message(const QString& texte, int style, const QString& titre) override;
    QString saisie(const QString& invite, const QString& titre, const QString& defaut) override;
    ResultatOuvertureFichier ouvrirFichier(const DemandeOuvertureFichier& demande) override;
    ResultatEnregistrementFichier enregistrerFichier(const DemandeEnregistrementFichier& demande) override;
    ResultatImprimante choisirImprimante(const QString& fichierPdf) override;

private:
    struct Attente {
        Genre genre = Genre::Message;
        QString description;
        std::function<bool(const Appel&, QString* ecart)> accepte;
        int reponse = 0;
        QString texte;
        ResultatOuvertureFichier fichier;
        std::function<void(const DemandeOuvertureFichier&)> verifier;
        ResultatImprimante imprimante;
        std::function<void(const QString&)> verifierImprimante;
        ResultatEnregistrementFichier enregistrement;
        std::function<void(const DemandeEnregistrementFichier&)> verifierEnregistrement;
    };
    // The next expectation when it matches the call; nullopt (and a test failure) otherwise.
    std::optional<Attente> prendre(const Appel& appel, const QString& resume);

    QList<Attente> m_attentes;
    QList<Appel> m_appels;
    ServiceDialogue* m_precedent = nullptr;
};
