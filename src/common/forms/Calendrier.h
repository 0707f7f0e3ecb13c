#pragma once

#include "common/forms/FormBase.h"

#include <QDate>
#include <array>

class QCalendarWidget;
class QLabel;
class QLineEdit;
class QPushButton;

// The date-range dialog: the user picks a first and a last day on a month calendar. Show it modal; once
// it is closed the period is in Global().DateDebut / DateFin and the day count in NombreJours.
// A first click chooses the first day (and the last, the same day), a second click the last day; every
// activation starts again with the first day.
class Calendrier : public FormBase {
    Q_OBJECT
public:
    explicit Calendrier(QWidget* parent = nullptr);

    // Days from the first to the last day, both included, as last shown; kept after the dialog closes.
    qint32 NombreJours = 0;

    QCalendarWidget* calendar1;
    QLabel* Label1;                // "Depuis:"
    QLineEdit* Text1;              // first day
    std::array<QLabel*, 2> Label2; // (0) the day count, (1) "Jusqu'à:"
    QLineEdit* Text2;              // last day
    QPushButton* Command1;         // "Fermer"

    // The text a date is shown as in the boxes.
    static QString texteDate(const QDate& date);

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;

private slots:
    void calendar1_DateClick(const QDate& date);
    void calendar1_SelChange();
    void Command1_Click();

private:
    // NombreJours and Label2(0) from the two boxes (no count when a box holds no date).
    void compterJours();

    // False: the next click sets the first day; true: it sets the last day.
    bool FinAttendue = false;
};
