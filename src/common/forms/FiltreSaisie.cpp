#include "common/forms/FiltreSaisie.h"

#include "common/EtatGlobal.h"
#include "common/SaisieNumerique.h"
#include "common/forms/LongueurSaisie.h"

#include <QKeyEvent>
#include <QLineEdit>

FiltreSaisie::FiltreSaisie(const QString& autres, bool decimal, QObject* parent)
    : QObject(parent), m_autres(autres), m_decimal(decimal) {}

FiltreSaisie* FiltreSaisie::installer(QLineEdit* champ, const QString& autres, bool decimal) {
    auto* filtre = new FiltreSaisie(autres, decimal, champ);
    champ->installEventFilter(filtre);
    // Typed keys are refused above, before the box (and the form's key preview) sees them; a pasted or
    // dropped text loses the same characters through the box's edit helper.
    LongueurSaisie::pour(champ)->setFiltre([autres, decimal](QChar& c) {
        if (decimal && (c == u'.' || c == u',')) {
            c = SaisieNumerique::echangerSeparateur(c);
            return true;
        }
        return c.unicode() >= 32 && c.unicode() != 127 && SaisieNumerique::toucheAcceptee(c, autres);
    });
    return filtre;
}

bool FiltreSaisie::estInstalle(QLineEdit* champ) {
    return champ->findChild<FiltreSaisie*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}

void FiltreSaisie::retirer(QLineEdit* champ) {
    delete champ->findChild<FiltreSaisie*>(QString(), Qt::FindDirectChildrenOnly);
    if (LongueurSaisie* l = LongueurSaisie::de(champ))
        l->setFiltre({});
}

bool FiltreSaisie::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() != QEvent::KeyPress)
        return false;
    auto* champ = qobject_cast<QLineEdit*>(objet);
    auto* touche = static_cast<QKeyEvent*>(e);
    const QString texte = touche->text();
    // Shortcuts (copy, paste, select all) and keys without text pass.
    if (!champ || texte.isEmpty() || (touche->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (texte.size() == 1 && m_decimal && (texte[0] == u'.' || texte[0] == u',')) {
        if (!champ->isReadOnly())
            champ->insert(QString(SaisieNumerique::echangerSeparateur(texte[0])));
        return true;
    }
    for (QChar c : texte)
        if (!SaisieNumerique::toucheAcceptee(c, m_autres))
            return true; // refused: the key is dropped
    return false;
}
