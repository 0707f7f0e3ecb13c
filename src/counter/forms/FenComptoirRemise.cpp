// The hand-out: the selected article given to the selected employee, recorded in the journal and taken
// from the reserve, after a question from the save button or at once from F11.
#include "counter/forms/FenComptoir.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "counter/EnregistrerVente.h"
#include "db/Recordset.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int MsgConfirmation = 25;
constexpr int MsgSelectionIncomplete = 34;

// The reader's timer waits while a box is open: its nested event loop would otherwise let the timer write
// another badge under the question, and the hand-out would go to an employee nobody confirmed.
class PauseLecteur {
public:
    explicit PauseLecteur(FenComptoir& f) : m_f(f), m_actif(f.TimerLecteurComptoir->isActive()) {
        m_f.TimerLecteurComptoir->stop();
    }
    ~PauseLecteur() {
        if (m_actif && m_f.estCharge())
            m_f.TimerLecteurComptoir->start();
    }
    PauseLecteur(const PauseLecteur&) = delete;
    PauseLecteur& operator=(const PauseLecteur&) = delete;

private:
    FenComptoir& m_f;
    bool m_actif;
};

void montrerErreur(const ErreurExecution& e) {
    MsgBox(QString::number(e.numero()) + u' ' + e.description());
}

} // namespace

void FenComptoir::connecterRemise() {
    connect(CmdSave, &QPushButton::clicked, this, [this] { CmdSave_Click(); });
}

void FenComptoir::CmdSave_Click() {
    const PauseLecteur pause(*this);
    const QString question =
        Global().msg(MsgConfirmation) + QStringLiteral("\r\n") + Label2[9]->text() + u' ' + Label2[3]->text();
    if (MsgBox(question, StyleMessage::YesNo) != Reponse::Oui)
        return;
    Sablier(true);
    EffectuerRemiseArticle();
    Sablier(false);
}

void FenComptoir::EffectuerRemiseArticle() {
    const PauseLecteur pause(*this);
    if (!SalarieSelectionne || !ArticleSelectionne) {
        MsgBox(QStringLiteral("Erreur\r\n") + Global().msg(MsgSelectionIncomplete));
        return;
    }
    ValeursVente vente;
    try {
        vente = ValeursCourantes(*RsSalaries, *RsArticles);
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("EffectuerRemiseArticle"), e);
        montrerErreur(e);
        return;
    }
    // A failure writes nothing: the card and the quantity stay for another try.
    try {
        EnregistrerVente(connexion(), vente, QuantiteVente(TextQte->text()));
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("EnregistrerVente"), e);
        montrerErreur(e);
        return;
    }
    AfficherMessage(QStringLiteral("ENREGISTREMENT OK"));
}

void FenComptoir::AfficherMessage(const QString& texte) {
    LabelMessage->setText(texte);
    LabelMessage->show();
}
