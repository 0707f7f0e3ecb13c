#include "common/forms/LongueurSaisie.h"

#include <QLineEdit>
#include <algorithm>

LongueurSaisie::LongueurSaisie(QLineEdit* champ, int longueur)
    : QObject(champ), m_champ(champ), m_longueur(longueur), m_precedent(champ->text()) {
    connect(champ, &QLineEdit::textEdited, this, &LongueurSaisie::surEdition);
    connect(champ, &QLineEdit::textChanged, this, [this] {
        if (m_champ)
            m_precedent = m_champ->text();
    });
}

LongueurSaisie* LongueurSaisie::installer(QLineEdit* champ, int longueur) {
    LongueurSaisie* l = pour(champ);
    l->setLongueur(longueur);
    return l;
}

LongueurSaisie* LongueurSaisie::pour(QLineEdit* champ) {
    if (LongueurSaisie* l = de(champ))
        return l;
    return new LongueurSaisie(champ, 0);
}

LongueurSaisie* LongueurSaisie::de(QLineEdit* champ) {
    return champ ? champ->findChild<LongueurSaisie*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void LongueurSaisie::surEdition(const QString& texte) {
    if (m_correction || !m_champ)
        return;
    const bool limite = m_longueur > 0 && texte.size() > m_longueur && texte.size() > m_precedent.size();
    if (!limite && !m_filtre)
        return;
    // What the edit replaced: the common start and end of the two texts frame the inserted part.
    const QString& avant = m_precedent;
    qsizetype debut = 0;
    while (debut < avant.size() && debut < texte.size() && avant.at(debut) == texte.at(debut))
        ++debut;
    qsizetype fin = 0;
    while (fin < avant.size() - debut && fin < texte.size() - debut &&
           avant.at(avant.size() - 1 - fin) == texte.at(texte.size() - 1 - fin))
        ++fin;
    const qsizetype retire = avant.size() - debut - fin;
    QString garde = texte.mid(debut, texte.size() - debut - fin);
    if (m_filtre) {
        QString filtre;
        for (QChar c : garde)
            if (m_filtre(c))
                filtre += c;
        garde = filtre;
    }
    if (m_longueur > 0) {
        const qsizetype place = std::max<qsizetype>(0, m_longueur - (avant.size() - retire));
        garde = garde.left(place);
    }
    const QString corrige = avant.left(debut) + garde + avant.mid(debut + retire);
    if (corrige == texte)
        return;
    m_correction = true;
    m_champ->setText(corrige);
    m_champ->setCursorPosition(static_cast<int>(debut + garde.size()));
    m_correction = false;
}
