// The counter's employee: found by badge (typed or read), by name, or stepped through in name order.
// A box written here runs that box's own search, as typing does, whenever its text changes; the searches
// therefore run into each other and stop once the two boxes agree with the list.
#include "counter/forms/FenComptoir.h"

#include "common/EtatGlobal.h"
#include "common/FonctionUtilitaires.h"
#include "common/LecteurTag.h"
#include "common/forms/SpinButton.h"
#include "counter/SelectionSalarie.h"
#include "db/Recordset.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

constexpr int LecteurSansContact = 6;

} // namespace

std::optional<QString> FenComptoir::texteNonNul(const Recordset& rs, const QString& champ) {
    const QVariant v = rs.Field(champ);
    if (v.isNull())
        return std::nullopt;
    return FonctionUtilitaires::ConvertNullStr(v);
}

void FenComptoir::connecterSalarie() {
    connect(TextUtilisateur, &QLineEdit::textChanged, this, [this] { TextUtilisateur_Change(); });
    connect(TextNom, &QLineEdit::textChanged, this, [this] { TextNom_Change(); });
    connect(SpinButton1, &SpinButton::SpinUp, this, [this] { SpinButton1_SpinUp(); });
    connect(SpinButton1, &SpinButton::SpinDown, this, [this] { SpinButton1_SpinDown(); });
    connect(TimerLecteurComptoir, &QTimer::timeout, this, [this] { TimerLecteurComptoir_Timer(); });
}

void FenComptoir::FermerHistorique() {
    if (RsHistorique->IsOpen())
        RsHistorique->Close();
}

void FenComptoir::AfficherSalarie() {
    if (RsSalaries->IsBOF() || RsSalaries->IsEOF())
        return;
    for (const SelectionSalarie::ChampCarte& c : SelectionSalarie::Carte())
        if (const auto texte = texteNonNul(*RsSalaries, c.champ))
            Label2[c.label]->setText(*texte);
}

void FenComptoir::ViderCarte() {
    for (const SelectionSalarie::ChampCarte& c : SelectionSalarie::Carte())
        Label2[c.label]->clear();
}

void FenComptoir::TextUtilisateur_Change() {
    using SelectionSalarie::Resultat;
    SalarieSelectionne = false;
    LabelMessage->hide();
    FermerHistorique();
    if (!RsSalaries->IsOpen() || RsSalaries->RecordCount() == 0)
        return;
    // The text as typed: a quote is a character like any other.
    switch (SelectionSalarie::ChercherBadge(*RsSalaries, TextUtilisateur->text())) {
    case Resultat::Aucun:
        TextNom->clear();
        ViderCarte();
        SalarieSelectionne = false;
        break;
    case Resultat::Exact:
        if (const auto nom = texteNonNul(*RsSalaries, QStringLiteral("NOM")))
            TextNom->setText(*nom);
        AfficherSalarie();
        SalarieSelectionne = true;
        break;
    case Resultat::Approche:
        // A wildcard reached another badge: nobody is selected.
        break;
    }
}

void FenComptoir::TextNom_Change() {
    using SelectionSalarie::Resultat;
    SalarieSelectionne = false;
    LabelMessage->hide();
    FermerHistorique();
    if (!RsSalaries->IsOpen() || RsSalaries->RecordCount() == 0)
        return;
    switch (SelectionSalarie::ChercherNom(*RsSalaries, TextNom->text())) {
    case Resultat::Aucun:
        TextUtilisateur->clear();
        ViderCarte();
        SalarieSelectionne = false;
        return;
    case Resultat::Exact:
        // The whole name: its badge goes to the badge box, whose search fills the card.
        if (const auto badge = texteNonNul(*RsSalaries, QStringLiteral("NoBadge")))
            TextUtilisateur->setText(*badge);
        AfficherSalarie();
        break;
    case Resultat::Approche:
        AfficherSalarie();
        break;
    }
    SalarieSelectionne = true;
}

void FenComptoir::TextUtilisateur_KeyUp(QKeyEvent* e) {
    // Enter goes on to the article, the next box in tab order.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        focusNextChild();
}

void FenComptoir::SpinButton1_SpinUp() {
    avancer(false);
}

void FenComptoir::SpinButton1_SpinDown() {
    avancer(true);
}

void FenComptoir::avancer(bool suivant) {
    FermerHistorique();
    // An empty list has no row to step to, nor a first one to come back to.
    if (!RsSalaries->IsOpen() || RsSalaries->RecordCount() == 0)
        return;
    using SelectionSalarie::Sens;
    if (!SelectionSalarie::Avancer(*RsSalaries, suivant ? Sens::Suivant : Sens::Precedent)) {
        TextNom->clear();
        TextUtilisateur->clear();
        ViderCarte();
        RsSalaries->MoveFirst();
        SalarieSelectionne = false;
        return;
    }
    // Each write searches again and may move to the first employee of that name: the badge is read from
    // the row the name's search left current.
    if (const auto nom = texteNonNul(*RsSalaries, QStringLiteral("NOM")))
        TextNom->setText(*nom);
    if (const auto badge = texteNonNul(*RsSalaries, QStringLiteral("NoBadge")))
        TextUtilisateur->setText(*badge);
    AfficherSalarie();
}

void FenComptoir::TimerLecteurComptoir_Timer() {
    if (Global().TypeLecteurBadge != LecteurSansContact)
        return;
    const QString tag = LecteurTagCourant().LireTagACR120();
    // A tag left on the reader is read again every second: only a new one is written.
    if (tag.isEmpty() || tag == TextUtilisateur->text())
        return;
    TextUtilisateur->setText(tag);
    TextReference->setFocus();
}
