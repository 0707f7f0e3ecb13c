#include "support/ServiceSessionScripte.h"

#include "common/EtatGlobal.h"

#include <QObject>
#include <gtest/gtest.h>

ServiceSessionScripte::ServiceSessionScripte()
    : m_precedent(serviceSessionInstalle()), m_finAvant(Global().FinDemandee),
      m_codeAvant(Global().CodeSortie) {
    installerServiceSession(this);
}

ServiceSessionScripte::~ServiceSessionScripte() {
    verifierTout();
    installerServiceSession(m_precedent);
    Global().FinDemandee = m_finAvant;
    Global().CodeSortie = m_codeAvant;
}

std::optional<int> ServiceSessionScripte::codeFin() const {
    if (m_codes.isEmpty())
        return std::nullopt;
    return m_codes.last();
}

ServiceSessionScripte& ServiceSessionScripte::attendreOuvrirDocument(const QString& chemin, bool reponse) {
    m_attentes.append({true, chemin, reponse});
    return *this;
}

ServiceSessionScripte& ServiceSessionScripte::attendreDemarrerProgramme(const QString& chemin, bool reponse) {
    m_attentes.append({false, chemin, reponse});
    return *this;
}

void ServiceSessionScripte::surModal(std::function<void(QObject*)> rappel) {
    m_modal = std::move(rappel);
}

void ServiceSessionScripte::verifierTout() {
    for (const Attente& a : m_attentes)
        ADD_FAILURE() << "Expected " << (a.document ? "document opening" : "program start")
                      << " never made: \"" << a.chemin.toStdString() << '"';
    m_attentes.clear();
}

void ServiceSessionScripte::terminer(int code) {
    m_codes.append(code);
    marquerFin(code);
}

bool ServiceSessionScripte::prendre(bool document, const QString& chemin) {
    const char* quoi = document ? "document opening" : "program start";
    if (m_attentes.isEmpty()) {
        ADD_FAILURE() << "Unexpected " << quoi << ": \"" << chemin.toStdString() << '"';
        return false;
    }
    const Attente a = m_attentes.takeFirst();
    if (a.document != document || (!a.chemin.isEmpty() && a.chemin != chemin)) {
        ADD_FAILURE() << "Unexpected " << quoi << ": \"" << chemin.toStdString() << "\"; expected "
                      << (a.document ? "document opening" : "program start") << " \""
                      << a.chemin.toStdString() << '"';
        return false;
    }
    return a.reponse;
}

bool ServiceSessionScripte::ouvrirDocument(const QString& chemin) {
    m_documents.append(chemin);
    return prendre(true, chemin);
}

bool ServiceSessionScripte::demarrerProgramme(const QString& chemin, const QStringList& arguments) {
    m_programmes.append(arguments.isEmpty() ? chemin
                                            : chemin + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
    return prendre(false, chemin);
}

void ServiceSessionScripte::montrerModal(QObject* form) {
    m_modales.append(form);
    if (!m_modal) {
        ADD_FAILURE() << "Unexpected modal show of "
                      << (form ? form->objectName().toStdString() + " (" + form->metaObject()->className() +
                                     ")"
                               : std::string("nullptr"));
        return;
    }
    m_modal(form);
}
