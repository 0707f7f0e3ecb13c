// The journal's search: the box and its options, the sort of each mode, the lines of the current
// withdrawal after every move.
#include "counter/forms/FrmVente.h"

#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/forms/ClicBox.h"
#include "common/forms/FiltreSaisie.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

namespace {

// What the date mode lets through besides digits (and the control keys and the blank, codes up to 32).
const char* const CaracteresDate = "/: ";

} // namespace

QLayout* FrmVente::construireRecherche() {
    Label1 = new QLabel(QStringLiteral("Rechercher:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    TextCherche = new QLineEdit(this);
    TextCherche->setObjectName(QStringLiteral("TextCherche"));
    TextCherche->setMinimumWidth(160);
    Label1->setBuddy(TextCherche);
    auto option = [this](const char* nom, const QString& legende) {
        auto* o = new QRadioButton(legende, this);
        o->setObjectName(QLatin1String(nom));
        // Chosen by the user: its click runs (selecting the same option again applies it again).
        connect(o, &QRadioButton::clicked, this, [this] { ChangerModeRecherche(); });
        return o;
    };
    SSOptionDate = option("SSOptionDate", QStringLiteral("Date"));
    SSOptionClient = option("SSOptionClient", QStringLiteral("Salarié"));
    SSOptionNom = option("SSOptionNom", QStringLiteral("Nom"));
    SSOptionDate->setChecked(true);
    CheckRetour = new QCheckBox(QStringLiteral("Retour"), this);
    CheckRetour->setObjectName(QStringLiteral("CheckRetour"));

    auto* h = new QHBoxLayout;
    h->setSpacing(12);
    h->addWidget(Label1);
    h->addWidget(TextCherche, 1);
    h->addWidget(SSOptionDate);
    h->addWidget(SSOptionClient);
    h->addWidget(SSOptionNom);
    h->addSpacing(24);
    h->addWidget(CheckRetour);
    return h;
}

void FrmVente::connecterRecherche() {
    connect(TextCherche, &QLineEdit::textChanged, this, [this] { TextCherche_Change(); });
    TextCherche->installEventFilter(new ClicBox(TextCherche, [this] { TextCherche_Click(); }));
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { DBGrid1_HeadClick(c); });
    connect(data1, &Recordset::MoveComplete, this, [this] { data1_MoveComplete(); });
}

void FrmVente::ChangerModeRecherche() {
    try {
        TextCherche->setFocus();
        if (SSOptionDate->isChecked())
            ModeRecherche = JournalVentes::ParDate;
        else if (SSOptionNom->isChecked())
            ModeRecherche = JournalVentes::ParNom;
        else
            ModeRecherche = JournalVentes::ParSalarie;
        if (ModeRecherche != JournalVentes::ParDate)
            FiltreSaisie::retirer(TextCherche);
        else if (!FiltreSaisie::estInstalle(TextCherche))
            FiltreSaisie::installer(TextCherche, QString::fromLatin1(CaracteresDate));
        // Emptied: the search runs once more with nothing typed.
        TextCherche->clear();
        const bool retours = CheckRetour->isChecked();
        Recordset* liste = retours ? data3 : data1;
        if (liste->IsOpen())
            JournalVentes::TrierSelonMode(*liste, static_cast<JournalVentes::Mode>(ModeRecherche), retours);
    } catch (const std::exception& e) {
        // Logged under the failure's own description.
        MajBase::SignalerErreur(QString::fromUtf8(e.what()), e);
    }
}

void FrmVente::selectionnerOption(QRadioButton* option) {
    if (option->isChecked())
        return;
    option->setChecked(true);
    ChangerModeRecherche();
}

void FrmVente::DBGrid1_HeadClick(int ColIndex) {
    if (ColIndex == 1)
        selectionnerOption(SSOptionDate);
    else if (ColIndex == 2)
        selectionnerOption(SSOptionClient);
}

void FrmVente::TextCherche_Change() {
    // The journal moves, also while the returns cover it. A failure ends the search, the grid left
    // where it was.
    try {
        JournalVentes::Chercher(*data1, static_cast<JournalVentes::Mode>(ModeRecherche), TextCherche->text());
    } catch (const std::exception&) {
    }
}

void FrmVente::TextCherche_Click() {
    TextCherche->clear();
}

void FrmVente::data1_MoveComplete() {
    const bool courant = data1->IsOpen() && data1->AbsolutePosition() >= 0;
    TextTicket->setText(courant ? Valeurs::lireTexte(data1->Field(QStringLiteral("Ticket"))) : QString());
    AfficherDetailVente();
}

void FrmVente::AfficherDetailVente() {
    Connexion* c = connexionOuverte();
    if (!c)
        return;
    try {
        JournalVentes::AfficherDetailVente(*c, *data2, *data1, Global().OptionVersionGSM);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QString::fromUtf8(e.what()), e);
    }
}
