#include "common/forms/ListeAdresses.h"

#include <QComboBox>

namespace ListeAdresses {

void AjouterAdresseSaisie(QComboBox* combo) {
    const QString adresse = combo->currentText();
    if (adresse.isEmpty() || !adresse.contains(u'.') || !adresse.contains(u'@'))
        return;
    if (combo->findText(adresse, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    combo->addItem(adresse);
}

} // namespace ListeAdresses
