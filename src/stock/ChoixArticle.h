#pragma once

#include <QString>
#include <QtGlobal>

// The answer of the article picker: the article form shown modally by another form (a machine form, the
// profile form) to choose one article. The caller writes its own fields from it.
struct ChoixArticle {
    enum class Nature {
        Aucun,   // closed without a choice: the caller keeps its values
        Article, // "Séléctionner": the article of the fields below
        Vide     // "Séléction vide": the caller empties its slot with the values below
    };
    Nature nature = Nature::Aucun;
    // The picked article's; a field the article leaves empty is 0 or "". A machine form is never handed
    // an article without code; the profile form may be (it reads the reference only).
    qint64 codeArticle = 0;
    qint64 reference = 0;
    QString designation;
    QString refFournisseur;

    // The empty choice: codes 0, no designation, and the supplier reference "0", as the locker form keeps
    // an emptied locker.
    static ChoixArticle vide() {
        ChoixArticle c;
        c.nature = Nature::Vide;
        c.refFournisseur = QStringLiteral("0");
        return c;
    }
};
