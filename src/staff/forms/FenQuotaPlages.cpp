// The weekday time windows of the current profile: the block at the right of the form.
#include "staff/forms/FenQuota.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/ClicBox.h"
#include "staff/PlagesHoraires.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <functional>

namespace {

QString texteErreur(const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    return erreur ? erreur->description() : QString::fromUtf8(e.what());
}

// A click on the picker, on its field or on its arrows.
void surClic(QTimeEdit* t, const std::function<void()>& clic) {
    for (QWidget* w : {static_cast<QWidget*>(t), static_cast<QWidget*>(t->findChild<QLineEdit*>())})
        w->installEventFilter(new ClicBox(w, clic));
}

QTimeEdit* picker(const QString& nom, QWidget* parent) {
    auto* t = new QTimeEdit(QTime(0, 0), parent);
    t->setObjectName(nom);
    t->setDisplayFormat(QStringLiteral("HH:mm"));
    // Narrow enough to leave the longest day name ("Poniedziałek") its room.
    t->setFixedWidth(62);
    // A click selects the hours or the minutes under it, so that the digits typed then replace them:
    // typed at a cursor inside a field already full, they would be refused.
    surClic(t, [t] { t->setSelectedSection(t->currentSection()); });
    return t;
}

} // namespace

void FenQuota::construireBlocPlages() {
    BlocPlageHoraire = new QWidget(this);
    Label4 = new QLabel(QStringLiteral("Plage horaire"), BlocPlageHoraire);
    Label4->setObjectName(QStringLiteral("Label4"));
    QFont gras = Label4->font();
    gras.setBold(true);
    Label4->setFont(gras);
    Label1 = new QLabel(QStringLiteral("Début"), BlocPlageHoraire);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label3 = new QLabel(QStringLiteral("Fin"), BlocPlageHoraire);
    Label3->setObjectName(QStringLiteral("Label3"));
    const char* const jours[] = {"", "Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"};
    auto* l = new QGridLayout(BlocPlageHoraire);
    l->setContentsMargins(0, 10, 4, 10);
    l->setVerticalSpacing(0);
    l->setHorizontalSpacing(4);
    l->addWidget(Label4, 0, 0, 1, 3);
    l->addWidget(Label1, 1, 1);
    l->addWidget(Label3, 1, 2);
    // Monday at the top, Sunday at the bottom, 360 twips apart.
    const int rangees[] = {0, 7, 1, 2, 3, 4, 5, 6};
    for (int i = 1; i <= 7; ++i) {
        LabelJour[i] = new QLabel(QString::fromUtf8(jours[i]), BlocPlageHoraire);
        LabelJour[i]->setObjectName(QStringLiteral("LabelJour(%1)").arg(i));
        DTPickerStart[i] = picker(QStringLiteral("DTPickerStart(%1)").arg(i), BlocPlageHoraire);
        DTPickerEnd[i] = picker(QStringLiteral("DTPickerEnd(%1)").arg(i), BlocPlageHoraire);
        const int r = rangees[i] + 1;
        l->addWidget(LabelJour[i], r, 0);
        l->addWidget(DTPickerStart[i], r, 1);
        l->addWidget(DTPickerEnd[i], r, 2);
        l->setRowMinimumHeight(r, 24);
        // An end time changes the window as much as a start time; a click into a start picker is taken
        // for a change too.
        connect(DTPickerStart[i], &QTimeEdit::timeChanged, this, [this] { pickerChange(); });
        connect(DTPickerEnd[i], &QTimeEdit::timeChanged, this, [this] { pickerChange(); });
        surClic(DTPickerStart[i], [this] { pickerChange(); });
    }
    Command4 = creerBouton(QStringLiteral("Command4"), QStringLiteral("Valider"), BlocPlageHoraire);
    l->addWidget(Command4, 9, 1, 1, 2);
    l->setRowStretch(10, 1);
    Command4->setEnabled(false);
    BlocPlageHoraire->resize(229, 380);
}

void FenQuota::pickerChange() {
    Command4->setEnabled(true);
    Command4->update();
}

void FenQuota::resetPickers() {
    for (int i = 1; i <= 7; ++i) {
        const QSignalBlocker a(DTPickerStart[i]);
        const QSignalBlocker b(DTPickerEnd[i]);
        DTPickerStart[i]->setTime(QTime(0, 0));
        DTPickerEnd[i]->setTime(QTime(0, 0));
    }
}

void FenQuota::AfficherPlageHoraire() {
    Command4->setEnabled(false);
    // Setting the pickers here is no change of the user's.
    resetPickers();
    qint64 noQuota = 0;
    if (!profilCourant(&noQuota))
        return;
    try {
        const PlagesHoraires::Semaine s = PlagesHoraires::LirePlages(connexion(), noQuota);
        for (int i = 1; i <= 7; ++i) {
            const PlagesHoraires::PlageJour& p = s[static_cast<size_t>(i)];
            if (!p.enregistree)
                continue;
            // A row without a name keeps the label's caption.
            if (!p.nomJour.trimmed().isEmpty())
                LabelJour[i]->setText(p.nomJour);
            const QSignalBlocker a(DTPickerStart[i]);
            const QSignalBlocker b(DTPickerEnd[i]);
            DTPickerStart[i]->setTime(p.debut);
            DTPickerEnd[i]->setTime(p.fin);
        }
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(texteErreur(e), e);
    }
}

void FenQuota::Command4_Click() {
    if (!Global().OptionPlageHoraire)
        return;
    Command4->setEnabled(false);
    qint64 noQuota = 0;
    if (!profilCourant(&noQuota))
        return;
    PlagesHoraires::Semaine s;
    for (int i = 1; i <= 7; ++i) {
        s[static_cast<size_t>(i)].debut = DTPickerStart[i]->time();
        s[static_cast<size_t>(i)].fin = DTPickerEnd[i]->time();
    }
    try {
        PlagesHoraires::EnregistrerPlages(connexion(), noQuota, s);
    } catch (const std::exception& e) {
        // Nothing of the week was written: the user may try again.
        MajBase::SignalerErreur(texteErreur(e), e);
        MsgBox(texteErreur(e), StyleMessage::OK | StyleMessage::Exclamation);
        Command4->setEnabled(true);
    }
}
