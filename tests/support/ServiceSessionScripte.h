#pragma once

#include "common/ServiceSession.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// A session service for tests. terminer() records its code and marks the end in the state like the real
// one (Global().FinDemandee, CodeSortie); documents and programs must be expected, with their answers;
// montrerModal goes to a callback (the test drives the form there), and fails the test without one.
// Installed by the constructor; the destructor restores the previous service and the end flag, and fails
// the test when an expected call never came.
class ServiceSessionScripte : public ServiceSession {
public:
    ServiceSessionScripte();
    ~ServiceSessionScripte() override;
    ServiceSessionScripte(const ServiceSessionScripte&) = delete;
    ServiceSessionScripte& operator=(const ServiceSessionScripte&) = delete;

    // Every code terminer() was called with, in order.
    const QList<int>& codesFin() const { return m_codes; }
    std::optional<int> codeFin() const;
    bool termine() const { return !m_codes.isEmpty(); }

    // The path (compared exactly; any path when empty) and the answer.
    ServiceSessionScripte& attendreOuvrirDocument(const QString& chemin, bool reponse = true);
    ServiceSessionScripte& attendreDemarrerProgramme(const QString& chemin, bool reponse = true);
    // Every modal show goes to this callback, which plays the user's part; the scripted service itself
    // shows nothing.
    void surModal(std::function<void(QObject* form)> rappel);

    const QStringList& documentsOuverts() const { return m_documents; }
    const QStringList& programmesDemarres() const { return m_programmes; }
    const QList<QObject*>& formsModales() const { return m_modales; }
    void verifierTout();

    void terminer(int code) override;
    bool ouvrirDocument(const QString& chemin) override;
    bool demarrerProgramme(const QString& chemin, const QStringList& arguments = {}) override;
    void montrerModal(QObject* form) override;

private:
    struct Attente {
        bool document = true;
        QString chemin;
        bool reponse = true;
    };
    bool prendre(bool document, const QString& chemin);

    QList<int> m_codes;
    QList<Attente> m_attentes;
    QStringList m_documents;
    QStringList m_programmes;
    QList<QObject*> m_modales;
    std::function<void(QObject*)> m_modal;
    ServiceSession* m_precedent = nullptr;
    bool m_finAvant = false;
    int m_codeAvant = 0;
};
