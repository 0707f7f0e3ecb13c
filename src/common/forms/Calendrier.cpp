#include "common/forms/Calendrier.h"

#include "common/DateTexte.h"
#include "common/EtatGlobal.h"
#include "common/forms/Centrage.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QDateTime debutDeJour(const QDate& d) {
    return QDateTime(d, QTime(0, 0));
}

QDate lireDate(const QString& texte) {
    return QDate::fromString(texte.trimmed(), QStringLiteral("dd/MM/yyyy"));
}

} // namespace

Calendrier::Calendrier(QWidget* parent)
    : FormBase(QStringLiteral("Calendrier"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Sélection de date"));

    calendar1 = new QCalendarWidget(this);
    calendar1->setObjectName(QStringLiteral("calendar1"));
    // Month and day names and the first day of the week come from the interface language (the date
    // widgets follow it, see TraductionsQt.h).
    calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar1->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    calendar1->setGridVisible(true);

    Label1 = new QLabel(QStringLiteral("Depuis:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));

    Label2[1] = new QLabel(QStringLiteral("Jusqu'à:"), this);
    Label2[1]->setObjectName(QStringLiteral("Label2(1)"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));

    Label2[0] = new QLabel(this);
    Label2[0]->setObjectName(QStringLiteral("Label2(0)"));
    Label2[0]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont gras = Label2[0]->font();
    gras.setBold(true);
    Label2[0]->setFont(gras);

    Command1 = new QPushButton(QStringLiteral("Fermer"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setMinimumWidth(90);
    setBoutonAnnuler(Command1);

    // The boxes only show the period: the dates come from the calendar.
    for (QLineEdit* t : {Text1, Text2}) {
        t->setReadOnly(true);
        t->setFocusPolicy(Qt::ClickFocus);
        t->setAlignment(Qt::AlignCenter);
        t->setMinimumWidth(t->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
    }
    Label1->setBuddy(Text1);
    Label2[1]->setBuddy(Text2);

    auto* grille = new QGridLayout(this);
    grille->setContentsMargins(10, 10, 10, 10);
    grille->setHorizontalSpacing(12);
    grille->setVerticalSpacing(4);
    grille->addWidget(calendar1, 0, 0, 1, 2);
    grille->setRowMinimumHeight(1, 6);
    grille->addWidget(Label1, 2, 0);
    grille->addWidget(Label2[1], 2, 1);
    grille->addWidget(Text1, 3, 0);
    grille->addWidget(Text2, 3, 1);
    grille->setRowMinimumHeight(4, 6);
    grille->addWidget(Label2[0], 5, 0);
    grille->addWidget(Command1, 5, 1, Qt::AlignRight);

    connect(calendar1, &QCalendarWidget::clicked, this, &Calendrier::calendar1_DateClick);
    connect(calendar1, &QCalendarWidget::selectionChanged, this, &Calendrier::calendar1_SelChange);
    connect(Command1, &QPushButton::clicked, this, &Calendrier::Command1_Click);
    adjustSize(); // placed by its size before it is first shown
}

QString Calendrier::texteDate(const QDate& date) {
    return DateTexte::ecrire(date);
}

void Calendrier::Form_Load() {
    // The names of the language give the calendar its width: size the dialog before placing it.
    adjustSize();
    FonctionUtilitaires::CentrerFormEnHaut(this);
    const QDate premier(QDate::currentDate().year(), 12, 1);
    {
        // Setting the date is no choice of the user.
        const QSignalBlocker bloque(calendar1);
        calendar1->setSelectedDate(premier);
    }
    Text1->setText(texteDate(premier));
    Text2->clear();
    Label2[0]->clear();
    Global().DateDebut = debutDeJour(premier);
    FinAttendue = false;
}

void Calendrier::Form_Activate() {
    FinAttendue = false;
}

void Calendrier::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    if (Text2->text().isEmpty())
        Global().DateFin = debutDeJour(QDate::currentDate());
}

void Calendrier::calendar1_DateClick(const QDate& date) {
    Q_UNUSED(date);
    // The calendar selects one day at a time: the selection's first and last day are that day.
    const QDate jour = calendar1->selectedDate();
    EtatGlobal& g = Global();
    if (!FinAttendue) {
        g.DateDebut = debutDeJour(jour);
        g.DateFin = debutDeJour(jour);
        Text1->setText(texteDate(jour));
        Text2->setText(texteDate(jour));
        FinAttendue = true;
    } else {
        g.DateFin = debutDeJour(jour);
        Text2->setText(texteDate(jour));
        FinAttendue = false;
    }
    // A click on the day already selected changes no selection: count here too, or the count of an
    // earlier use would stand for this period.
    compterJours();
    Command1->setFocus();
}

void Calendrier::calendar1_SelChange() {
    const QDate jour = calendar1->selectedDate();
    if (FinAttendue) {
        Text2->setText(texteDate(jour));
    } else {
        Text1->setText(texteDate(jour));
        Text2->setText(texteDate(jour));
    }
    compterJours();
}

void Calendrier::compterJours() {
    const QDate debut = lireDate(Text1->text());
    const QDate fin = lireDate(Text2->text());
    if (!debut.isValid() || !fin.isValid()) {
        Label2[0]->clear();
        return;
    }
    NombreJours = qint32(debut.daysTo(fin) + 1);
    Label2[0]->setText(QString::number(NombreJours) + QStringLiteral(" Jours"));
}

void Calendrier::Command1_Click() {
    Unload();
}
