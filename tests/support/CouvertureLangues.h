#pragma once

// Header only: it needs the forms library, which only the form tests link.

#include "common/IniFile.h"
#include "common/forms/TraduireForm.h"

#include <QDir>
#include <QStringList>
#include <QWidget>

// The five shipped language files.
inline QStringList fichiersLangueLivres() {
    return {QStringLiteral("french.lng"), QStringLiteral("nederlands.lng"), QStringLiteral("poland.lng"),
            QStringLiteral("slovaque.lng"), QStringLiteral("deutch.lng")};
}

// The keys a form's section must hold: "Form.Caption" when it has a title, "<name>.Caption" for every
// control with a caption, "<name>.ToolTipText" for every control with a tooltip. Controls whose text the
// form sets at run time (a count, a version) go in `dynamiques` by name.
inline QStringList clesAttendues(QWidget* frm, const QStringList& dynamiques = {}) {
    QStringList cles;
    if (!frm->windowTitle().trimmed().isEmpty())
        cles << QStringLiteral("Form.Caption");
    for (QObject* c : MODTranslate::ControlesFormulaire(frm)) {
        const QString nom = c->objectName();
        if (dynamiques.contains(nom))
            continue;
        bool aLegende = false;
        const QString legende = MODTranslate::LegendeControle(c, &aLegende);
        if (aLegende && !legende.trimmed().isEmpty())
            cles << nom + QStringLiteral(".Caption");
        if (!c->property("toolTip").toString().trimmed().isEmpty())
            cles << nom + QStringLiteral(".ToolTipText");
    }
    return cles;
}

// Every expected key of the form missing from a shipped language file, as "<file>: [<section>] <key>";
// empty when all five files cover the form.
inline QStringList clesManquantes(QWidget* frm, const QStringList& dynamiques = {}) {
    QStringList manquantes;
    const QDir ressources(QStringLiteral(DORVANE_RESOURCES_DIR));
    const QStringList cles = clesAttendues(frm, dynamiques);
    for (const QString& nom : fichiersLangueLivres()) {
        const QString chemin = ressources.filePath(nom);
        const IniFile ini = IniFile::lire(chemin, IniFile::codePagePour(chemin));
        for (const QString& cle : cles) {
            bool trouve = false;
            ini.valeur(frm->objectName(), cle, &trouve);
            if (!trouve)
                manquantes << nom + QStringLiteral(": [") + frm->objectName() + QStringLiteral("] ") + cle;
        }
    }
    return manquantes;
}
