#pragma once

class QComboBox;

// The address boxes of the mail senders: leaving the box with a typed address that holds "." and "@"
// and that no entry equals exactly (letter case counts) adds it at the end of the list. The list is not
// saved here.
namespace ListeAdresses {

void AjouterAdresseSaisie(QComboBox* combo);

} // namespace ListeAdresses
