#include "counter/forms/FenComptoir.h"

#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "support/FormeSurBase.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QByteArray png(int largeur, int hauteur) {
    QImage im(largeur, hauteur, QImage::Format_RGB32);
    im.fill(QColor(40, 110, 170));
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    im.save(&tampon, "PNG");
    return octets;
}

class FenComptoirArticleTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        f.Unload();
        DetruireInstance<FenComptoir>();
        FormeSurBaseTest::TearDown();
    }
    void article(qint64 reference, const QVariant& refFournisseur, const QString& designation, int qte = 5,
                 const QVariant& image = QVariant(QMetaType::fromType<QString>())) {
        base->executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, RefFournisseur, Designation, "
                                      "Taille, QteEnStock, Image) VALUES (?, ?, NULLIF(?, ''), ?, ?, ?)"),
                       {reference, refFournisseur, designation, taille, qte, image});
    }
    void ouvrir() {
        f.Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    // Designation, size, quantity in stock, quantity, selection; then the descriptions are filled again.
    QString carte() {
        const QString c = f.Label2[7]->text() + u'|' + f.Label2[8]->text() + u'|' + f.Label2[10]->text() +
                          u'|' + f.TextQte->text() + u'|' + (f.ArticleSelectionne ? u'1' : u'0') +
                          f.TextBox1->toPlainText() + f.TextBox2->toPlainText();
        f.TextBox1->setPlainText(QStringLiteral("+"));
        f.TextBox2->setPlainText(QStringLiteral("+"));
        return c;
    }

    QVariant taille;
    FenComptoir f;
};

} // namespace

// Digits only in the reference box, typed or pasted; "0047" finds 47; an empty or unknown reference
// empties the card but the quantity in stock; the list, a click in the quantity, an empty list.
TEST_F(FenComptoirArticleTest, ReferenceSearchAndListFillTheCardFromDigitsOnly) {
    base->executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('XL', 1, 1)"));
    taille = base->valeurUnique(QStringLiteral("SELECT MAX(NoTaille) FROM Tailles"));
    article(47, QStringLiteral("GT-47"), QStringLiteral("Gants nitrile"));
    taille.clear();
    article(12, QStringLiteral("AB-12"), QString());
    ouvrir();

    f.TextReference->setFocus();
    QTest::keyClicks(f.TextReference, QStringLiteral("45x6"));
    EXPECT_EQ(f.TextReference->text(), QStringLiteral("456"));
    f.TextReference->clear();
    f.Label2[10]->setText(QStringLiteral("99"));
    f.LabelMessage->show();
    QTest::keyClicks(f.TextReference, QStringLiteral("0047"));
    EXPECT_EQ(carte(), QStringLiteral("Gants nitrile|XL|99|1|1"));
    EXPECT_FALSE(f.LabelMessage->isVisible());
    // Null designation and size leave their labels.
    f.TextReference->setText(QStringLiteral("12"));
    EXPECT_EQ(carte(), QStringLiteral("Gants nitrile|XL|99|1|1++"));
    for (const QString& texte : {QString(), QString(25, u'9')}) {
        f.TextReference->setText(QStringLiteral("47"));
        f.Image1->show();
        f.TextReference->setText(texte);
        EXPECT_EQ(carte(), QStringLiteral("||99||0")) << texte.toStdString();
        EXPECT_FALSE(f.Image1->isVisible());
    }
    f.TextReference->clear();
    QApplication::clipboard()->setText(QStringLiteral("12a"));
    f.TextReference->paste();
    EXPECT_EQ(f.TextReference->text(), QStringLiteral("12"));
    EXPECT_TRUE(f.ArticleSelectionne);

    QTest::keyClicks(f.TextQte, QStringLiteral("2a"));
    EXPECT_EQ(f.TextQte->text(), QStringLiteral("12"));
    QTest::mouseClick(f.TextQte, Qt::LeftButton);
    EXPECT_TRUE(f.TextQte->text().isEmpty());
    // The list's second item is GT-47; chosen again, the same reference searches nothing.
    f.Combo1->setCurrentIndex(0);
    QTest::keyClick(f.Combo1, Qt::Key_Down);
    EXPECT_EQ(carte(), QStringLiteral("Gants nitrile|XL|99|1|1"));
    f.TextQte->setText(QStringLiteral("3"));
    QSignalSpy recherches(f.TextReference, &QLineEdit::textChanged);
    emit f.Combo1->activated(1);
    EXPECT_EQ(QString::number(recherches.size()) + f.TextQte->text(), QStringLiteral("03"));

    // No article at all: the boxes search nothing and touch nothing.
    f.Unload();
    base->executer(QStringLiteral("DELETE FROM ArticleEnStock"));
    ouvrir();
    f.TextReference->setText(QStringLiteral("47"));
    f.TextRefFournisseur->setText(QStringLiteral("GT-47"));
    EXPECT_EQ(carte(), QStringLiteral("|||1|0"));
    EXPECT_EQ(f.TextReference->text(), QStringLiteral("47"));
    EXPECT_TRUE(dossier->lignesJournal().isEmpty()) << dossier->lignesJournal().join(u'\n').toStdString();
}

// The supplier reference selects on the whole reference only, case ignored beyond ASCII too, with the
// badges' wildcards and quotes; nothing found empties the card and the reference. Its picture: 2850
// twips high, as wide as it is in proportion, read by a name found without regard to case; none, or bytes
// that are no picture, hide it; with the pictures kept as files the area keeps what it showed.
TEST_F(FenComptoirArticleTest, SupplierReferenceSelectsTheWholeReferenceAndShowsItsPicture) {
    const QList<QPair<QString, QByteArray>> images = {{"Photo-A", png(600, 400)},
                                                      {"large", png(1000, 500)},
                                                      {"bande", png(1200, 300)},
                                                      {"abime", QByteArray("\xff\xd8\xff\xe0 no picture")},
                                                      {"vide", QByteArray()}};
    for (const auto& [nom, octets] : images)
        base->executer(QStringLiteral("INSERT INTO ImageProduit (RefImage, Picture) VALUES (?, ?)"),
                       {nom, octets});
    article(1, QStringLiteral("Größe-2"), QStringLiteral("Gants"), 48, QStringLiteral("PHOTO-a"));
    article(2, QStringLiteral("RF-12345"), QStringLiteral("Lunettes"), 3, QStringLiteral("large"));
    article(3, QStringLiteral("O'BRIEN"), QStringLiteral("Bande"), 0, QStringLiteral("bande"));
    for (const char* image : {"abime", "vide", "absente"})
        article(10 + qstrlen(image), QString::fromLatin1(image), QStringLiteral("Sans image"), 1,
                QString::fromLatin1(image));
    article(0, QStringLiteral("ZERO"), QStringLiteral("Zéro"));
    Global().ImagesEnBase = true;
    ouvrir();

    f.TextRefFournisseur->setText(QStringLiteral("größe-2"));
    EXPECT_EQ(carte(), QStringLiteral("Gants||48|1|1"));
    EXPECT_EQ(f.TextReference->text(), QStringLiteral("1"));
    EXPECT_EQ(f.Image1->geometry().center().x(), f.LabelMessage->geometry().center().x());
    EXPECT_EQ(f.Image1->size(), QSize(285, 190));
    f.grab().save(QStringLiteral("/tmp/dorvane-comptoir-article.png"));
    // The stock as read at the opening.
    base->executer(QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = 1"));
    f.TextRefFournisseur->setText(QStringLiteral("rf-12345"));
    EXPECT_EQ(carte(), QStringLiteral("Lunettes||3|1|1++"));
    EXPECT_EQ(f.Image1->geometry(), QRect(f.LabelMessage->x(), 378, 380, 190));
    f.TextRefFournisseur->setText(QStringLiteral("o'brien"));
    EXPECT_EQ(f.Image1->size(), QSize(760, 190));
    for (const QString& texte : QStringList{"abime", "vide", "absente"}) {
        f.TextRefFournisseur->setText(texte);
        EXPECT_TRUE(f.ArticleSelectionne && !f.Image1->isVisible()) << texte.toStdString();
        f.TextReference->setText(QStringLiteral("1"));
        ASSERT_TRUE(f.Image1->isVisible());
    }
    // The reference already in its box: no search of it, the picture shown all the same.
    f.Image1->hide();
    f.TextRefFournisseur->setText(QStringLiteral("größe-2"));
    ASSERT_EQ(carte(), QStringLiteral("Gants||48|1|1++"));
    EXPECT_TRUE(f.Image1->isVisible());
    // A wildcard reaching another reference: nothing selected, nothing changed.
    for (const QString& texte : QStringList{"RF-1*", "%"}) {
        f.TextRefFournisseur->setText(texte);
        EXPECT_EQ(carte(), QStringLiteral("Gants||48|1|0++")) << texte.toStdString();
        EXPECT_EQ(f.TextReference->text(), QStringLiteral("1"));
    }
    // Nothing found: the emptied reference box finds article 0, which is not what was typed.
    for (const QString& texte : {QString(100, u'R'), QStringLiteral("RF_12345"), QStringLiteral("'; --")}) {
        f.TextRefFournisseur->setText(QStringLiteral("RF-12345"));
        f.TextRefFournisseur->setText(texte);
        EXPECT_EQ(carte(), QStringLiteral("Zéro||||0")) << texte.toStdString();
        EXPECT_TRUE(f.TextReference->text().isEmpty() && !f.Image1->isVisible());
    }
    // Pictures kept as files: a found article leaves the picture shown.
    f.TextReference->setText(QStringLiteral("1"));
    f.ImagesOuvertes = false;
    f.TextReference->setText(QStringLiteral("2"));
    EXPECT_TRUE(f.Image1->isVisible());
    EXPECT_EQ(f.Image1->size(), QSize(285, 190));
}
