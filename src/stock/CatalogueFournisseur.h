#pragma once

#include <QString>

class Connexion;

// The supplier's article catalogue "fichiersalvendo.MDB" of the program folder (a SQLite file) and its
// pictures under "image/imagessalvendo/<Numéro>/". The article form carries these operations. Each does
// nothing when the program folder has no catalogue file (found without regard to case), opens the file
// only while it runs (read-write only for the two that write its work table) and throws ErreurExecution
// where it fails. Each writing step is one transaction: a failure leaves the work table as it was.
namespace CatalogueFournisseur {

inline const QString NomFichier = QStringLiteral("fichiersalvendo.MDB");

// The catalogue file, in its real spelling; "" when the program folder has none.
QString FichierCatalogue();

// Appends to the work table FICHIERARTICLE4 one row per catalogue line (FICHIERARTICLE3, in REFBASE
// order) completed with the first catalogue article (article, in REFBASE order) whose REFBASE begins with
// the line's (letters without regard to case, every other character as typed; an empty or Null line
// REFBASE takes the first article): the article's data and Image = its REFBASE when that REFBASE occurs,
// exactly, within the line's RefFournisseur; nothing when it does not, or when RefFournisseur is Null.
// A line no article begins with is appended alone, Image = its own REFBASE. NoFournisseur is always 1;
// values are copied as they are stored. The work table is not emptied first.
void ImporterArticlesCatalogue();

// Gives each row of the work table the size number (Tailles.NoTaille, read on `connexionStock`) of the
// first size of its family (Famille) whose text is its NomTaille (without regard to case, otherwise as
// typed). A row whose family is Null or no number, or whose size is not found, keeps its Taille.
void ImporterTaillesCatalogue(Connexion& connexionStock);

// Opens the work table and reads it through.
void OuvrirCatalogue();

// Copies "zoom_1.jpg" of each catalogue article's folder "image/imagessalvendo/<Numéro>" to
// "image/<Image>.jpg" of the program folder, replacing a file of that name; an article without that
// file, or whose Numéro or Image is no plain file name, is skipped. Copies already made stay when one
// fails.
void ImageSalvendo();

} // namespace CatalogueFournisseur
