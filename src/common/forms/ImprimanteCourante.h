#pragma once

#include <QString>
#include <memory>

class QPrinter;

// The widget side of the program's current printer choice (ImprimanteCourante() of ServiceDialogue.h):
// print-outs build their QPrinter from it.

// A printer set up from the current choice: its PDF file, else its printer when the system knows it
// (else the default printer); its orientation and number of copies.
std::unique_ptr<QPrinter> creerImprimanteCourante();
// Every print-out of the program asks here: the print dialog (with no printer installed it offers a PDF
// file, proposing `fichierPdf`, a full path), then a printer set up from that choice. Null when the
// dialog was cancelled or failed (ChoisirImprimante has said so).
std::unique_ptr<QPrinter> choisirEtCreerImprimante(const QString& fichierPdf);
// Applies the current choice to an existing printer.
void appliquerImprimanteCourante(QPrinter& imprimante);
// Where a printer prints, as the user chose it: the file of a PDF output, else the printer's name.
QString nomImprimante(const QPrinter& imprimante);
// Gives the printer dialog the system's printers as the program's printer collection (main calls it once).
void installerCollectionImprimantes();
