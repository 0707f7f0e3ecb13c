#pragma once

#include <QList>
#include <QString>

// The user manual as a PDF: a title page, a table of contents with page numbers, then one chapter per
// Markdown file (read by QTextDocument), numbered, each starting on a new page, under a header with the
// manual's and the chapter's titles and over a footer with the page number; A4 with margins, pictures
// no wider than the text.
namespace LivreManuel {

// The texts the builder adds around the chapters, in the manual's language.
struct Textes {
    QString titre;            // "Dorvane"
    QString sousTitre;        // "Manuel d'utilisation"
    QString tableDesMatieres; // "Table des matières"
    QString version;          // "Version 1.0.0"
};

// The builder's texts for a language ("FR", "NL"); French for any other.
Textes textes(const QString& langue);

struct Chapitre {
    QString fichier;  // the Markdown file, for messages
    QString markdown; // its text: one "# " title, "## " sections
};

// One line of the table of contents: a chapter (niveau 1) or a section (niveau 2).
struct Entree {
    int niveau = 1;
    QString numero; // "3", "3.2"
    QString titre;
    int page = 0; // as printed in the footers: the title page is page 1
};

// The chapters of a language's folder, in file-name order (every "*.md").
QList<Chapitre> lireChapitres(const QString& dossier, QString* erreur);

// Writes the PDF. A picture's name "shots/NAME.png" is read from `dossierPhotos` (NAME.png). False, with
// a message naming the chapter, when a chapter has no title, a picture is missing, or its text would run
// over the margin.
bool ecrire(const QList<Chapitre>& chapitres, const QString& dossierPhotos, const Textes& textes,
            const QString& pdf, QList<Entree>* sommaire, QString* erreur);

} // namespace LivreManuel
