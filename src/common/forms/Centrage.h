#pragma once

class QWidget;

// Centring of forms and frames over the main window's size (LargeurFenPrincipale, HauteurFenPrincipale
// of the state, in pixels).
namespace FonctionUtilitaires {

// Left = (main width - inner width) / 2, top = (main height - inner height) / 2, for a window.
void CentrerForm(QWidget* frm);
// Left as CentrerForm, top 0.
void CentrerFormEnHaut(QWidget* frm);
// A frame inside a form, by its outer size.
void CentrerFrame(QWidget* cadre);
// A window in the middle of the primary screen (dialogs shown before the main window).
void CentrerSurEcran(QWidget* frm);

} // namespace FonctionUtilitaires
