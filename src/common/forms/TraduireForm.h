#pragma once

#include "common/MODTranslate.h"

#include <QList>
#include <QString>

class QObject;
class QWidget;

namespace MODTranslate {

// Translates one form from a language file: first the message table and the grid captions
// (ChargerTextesLangue below), then the window title from "Form.Caption" and, for every control of the
// form found by objectName, its caption from "<name>.Caption" and its tooltip from "<name>.ToolTipText"
// (array members are named "Label2(29)"). The section is the form's objectName. Captions are the text
// of labels, buttons, check and radio boxes, actions and menus, the title of group boxes. A missing key
// keeps the current text; a missing or unreadable file changes nothing.
void TraduireForm(QWidget* frm, const QString& fichierLng);

// Fills the message table, then, when LangueCourante is not "FR", sets the grid captions of the form
// from section Grid (and the fixed caption of the main window's import button).
void ChargerTextesLangue(QWidget* frm, const QString& fichierLng);

// Sets grid captions on a form: the column headers of its grids (QTableWidget header items, otherwise
// the model's setHeaderData) and the grid captions on their caption widgets.
void AppliquerTextesGrille(QWidget* frm, const QList<TexteGrille>& textes);

// The controls of a form that the translation walks: every named descendant widget and action. It
// does not go into other windows, nor into controls of our own classes (a composite control keeps its
// inner names to itself) unless such a widget has the dynamic property "conteneur" set to true; the
// inner parts of Qt's own widgets, named "qt_...", are left out.
QList<QObject*> ControlesFormulaire(QWidget* frm);

// The caption of a control ("" and *aLegende false for a control without one).
QString LegendeControle(const QObject* controle, bool* aLegende = nullptr);
void ChangerLegendeControle(QObject* controle, const QString& texte);

} // namespace MODTranslate
