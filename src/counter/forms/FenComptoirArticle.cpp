// The counter's article: found by its reference, by its supplier reference or from the list, with its
// picture. The supplier reference's search writes the reference box and the list writes it too: the
// reference's own search then runs, as typing there does.
#include "counter/forms/FenComptoir.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FonctionUtilitaires.h"
#include "common/MajBase.h"
#include "common/forms/ClicBox.h"
#include "common/forms/FiltreSaisie.h"
#include "counter/SelectionArticle.h"
#include "db/Recordset.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>

#include <algorithm>

void FenComptoir::connecterArticle() {
    // Digits only, typed or pasted.
    FiltreSaisie::installer(TextReference);
    FiltreSaisie::installer(TextQte);
    TextQte->installEventFilter(new ClicBox(TextQte, [this] { TextQte_Click(); }));
    connect(TextReference, &QLineEdit::textChanged, this, [this] { TextReference_Change(); });
    connect(TextRefFournisseur, &QLineEdit::textChanged, this, [this] { TextRefFournisseur_Change(); });
    // A choice of the operator's only, by the list or by Enter on a completed text.
    connect(Combo1, &QComboBox::activated, this, [this](int index) { Combo1_Click(index); });
}

void FenComptoir::afficherChampArticle(const QString& champ, int label) {
    if (const auto texte = texteNonNul(*RsArticles, champ))
        Label2[label]->setText(*texte);
}

void FenComptoir::TextReference_Change() {
    ArticleSelectionne = false;
    LabelMessage->hide();
    if (!RsArticles->IsOpen() || RsArticles->RecordCount() == 0)
        return;
    bool trouve = false;
    try {
        trouve = SelectionArticle::ChercherReference(*RsArticles, TextReference->text());
    } catch (const ErreurExecution& e) {
        // Only digits reach the box; a text that is still no number is logged and searches nothing.
        MajBase::SignalerErreur(QStringLiteral("TextReference_Change"), e);
        return;
    }
    if (!trouve) {
        Label2[7]->clear();
        Label2[8]->clear();
        TextBox2->clear();
        TextBox1->clear();
        TextQte->clear();
        Image1->hide();
        return;
    }
    // The quantity in stock is the supplier reference's: this search leaves Label2(10) alone.
    afficherChampArticle(QStringLiteral("Designation"), 7);
    afficherChampArticle(QStringLiteral("Taille"), 8);
    TextQte->setText(QStringLiteral("1"));
    ArticleSelectionne = true;
    AfficherImageArticle();
}

void FenComptoir::TextRefFournisseur_Change() {
    using SelectionArticle::Resultat;
    ArticleSelectionne = false;
    LabelMessage->hide();
    if (!RsArticles->IsOpen() || RsArticles->RecordCount() == 0)
        return;
    // The text as typed: quotes are characters, and the comparison ignores case already.
    switch (SelectionArticle::ChercherRefFournisseur(*RsArticles, TextRefFournisseur->text())) {
    case Resultat::Aucun:
        Label2[7]->clear();
        Label2[8]->clear();
        TextBox2->clear();
        TextBox1->clear();
        TextReference->clear();
        Label2[10]->clear();
        TextQte->clear();
        Image1->hide();
        // An article numbered 0, found by the emptied reference box, is not the one typed here.
        ArticleSelectionne = false;
        break;
    case Resultat::Exact: {
        afficherChampArticle(QStringLiteral("Designation"), 7);
        afficherChampArticle(QStringLiteral("QteEnStock"), 10);
        // A new reference runs its own search, which fills the size and shows the same article's picture.
        const QString reference =
            FonctionUtilitaires::ConvertNullStr(RsArticles->Field(QStringLiteral("Reference")));
        const bool nouvelle = reference != TextReference->text();
        TextReference->setText(reference);
        TextQte->setText(QStringLiteral("1"));
        ArticleSelectionne = true;
        if (!nouvelle)
            AfficherImageArticle();
        break;
    }
    case Resultat::Approche:
        // A wildcard reached another reference: no article is selected.
        break;
    }
}

void FenComptoir::Combo1_Click(int index) {
    if (index < 0 || index >= List1->count())
        return;
    List1->setCurrentRow(index);
    // The same reference as the box's changes nothing: no search runs.
    const QString reference = List1->currentItem()->text();
    if (!reference.isEmpty())
        TextReference->setText(reference);
}

void FenComptoir::TextQte_Click() {
    TextQte->clear();
}

void FenComptoir::AfficherImageArticle() {
    // Pictures kept as files are not shown here: the area keeps what it showed.
    if (!ImagesOuvertes || !Global().ImagesEnBase || !RsArticles->IsOpen())
        return;
    if (RsArticles->IsBOF() || RsArticles->IsEOF())
        return;
    try {
        // Read when shown: one row, by the article's picture name.
        const QImage image =
            SelectionArticle::ImageArticle(connexion(), RsArticles->Field(QStringLiteral("Image")));
        if (image.isNull()) {
            Image1->hide();
            return;
        }
        // A fixed height, the width in proportion; the label stretches the picture to its size. Centred
        // under the message line, as at design; a picture wider than the column starts at its edge.
        const QSize taille = SelectionArticle::TailleImage(image.size());
        const QRect colonne = LabelMessage->geometry();
        const int gauche = std::max(colonne.left(), colonne.center().x() - taille.width() / 2);
        Image1->setGeometry(gauche, Image1->y(), taille.width(), taille.height());
        Image1->setPixmap(QPixmap::fromImage(image));
        Image1->show();
    } catch (const ErreurExecution&) {
        // A failed read leaves the picture as it was.
    }
}
