#pragma once

#include <QStringList>
#include <functional>

// The print dialog: the chosen printer, orientation and copies become the program's current printer
// choice (ImprimanteCourante() of ServiceDialogue.h), which the next print-out uses.
namespace mod_API_ChoixImprimante {

// True when a printer was chosen; false when the dialog was cancelled or failed ("Erreur inatendue").
// With no printer installed the dialog offers a PDF file instead, proposing `fichierPdf` (a full path).
bool ChoisirImprimante(const QString& fichierPdf = QString());

// The printers the program can print on. The forms library installs the system's list; with none
// installed every name the dialog gives is taken as known.
void definirCollectionImprimantes(std::function<QStringList()> collection);

} // namespace mod_API_ChoixImprimante
