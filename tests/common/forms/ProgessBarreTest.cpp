#include "common/forms/ProgessBarre.h"
#include "common/EtatGlobal.h"
#include "common/forms/Centrage.h"
#include "common/forms/FiltreSaisie.h"
#include "common/forms/ServiceSessionWidgets.h"

#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ProgessBarre, ValeurTexteEtLargeur) {
    ProgessBarre p;
    p.resize(200, 24);
    p.show();
    ASSERT_NE(p.findChild<QWidget*>(QStringLiteral("Shape1")), nullptr);
    ASSERT_NE(p.findChild<QLabel*>(QStringLiteral("Label1")), nullptr);
    // Before any value: "100%" and the design width.
    EXPECT_EQ(p.Label1->text(), QStringLiteral("100%"));

    p.setValue(0);
    EXPECT_EQ(p.Label1->text(), QStringLiteral("0%"));
    EXPECT_EQ(p.Shape1->width(), 0);
    p.setValue(100);
    EXPECT_EQ(p.Shape1->width(), p.width());
    EXPECT_EQ(p.Label1->text(), QStringLiteral("100%"));
    p.setValue(150);
    EXPECT_GT(p.Shape1->width(), p.width());
    EXPECT_EQ(p.Shape1->width(), 300);
    p.setValue(37);
    EXPECT_EQ(p.Shape1->width(), 74);
    EXPECT_EQ(p.Shape1->height(), 24);

    // A resize lays the label out again and keeps the bar until the next value.
    p.resize(400, 40);
    EXPECT_EQ(p.Shape1->width(), 74);
    EXPECT_EQ(p.Shape1->height(), 40);
    EXPECT_EQ(p.Label1->width(), 400);
    const int h = p.Label1->height();
    EXPECT_LE(std::abs(p.Label1->y() - (40 - h) / 2), 1);

    p.setValue(50);
    p.setBackColor(0xFFFFFF);
    p.setFillCouleur(0x0000FF); // red
    p.setFontColor(0xFF0000);   // blue
    p.setFontBold(true);
    p.setFontSize(10);
    EXPECT_EQ(p.FillCouleur(), 0x0000FFu);
    EXPECT_EQ(p.FontColor(), 0xFF0000u);
    EXPECT_TRUE(p.FontBold());
    EXPECT_DOUBLE_EQ(p.FontSize(), 10.0);
    const QImage image = p.grab().toImage();
    image.save(QStringLiteral("/tmp/dorvane-progessbarre.png"));
    EXPECT_EQ(QColor(image.pixel(5, 3)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(image.pixel(395, 3)), QColor(255, 255, 255));
}

TEST(FiltreSaisie, ChiffresSeulementEtSeparateur) {
    Global().SeparateurDecimal = QStringLiteral(",");
    QLineEdit champ;
    FiltreSaisie::installer(&champ);
    QTest::keyClicks(&champ, QStringLiteral("12a-3 4"));
    EXPECT_EQ(champ.text(), QStringLiteral("1234"));
    QTest::keyClick(&champ, Qt::Key_Backspace);
    EXPECT_EQ(champ.text(), QStringLiteral("123"));
    // A paste keeps what a typed key could bring; what code set stays as it is.
    QApplication::clipboard()->setText(QStringLiteral("4A-5"));
    champ.paste();
    EXPECT_EQ(champ.text(), QStringLiteral("12345"));
    champ.setText(QStringLiteral("+33"));
    QApplication::clipboard()->setText(QStringLiteral("x1"));
    champ.paste();
    EXPECT_EQ(champ.text(), QStringLiteral("+331"));

    QLineEdit tel;
    FiltreSaisie::installer(&tel, QStringLiteral(" "));
    QTest::keyClicks(&tel, QStringLiteral("01 23x"));
    EXPECT_EQ(tel.text(), QStringLiteral("01 23"));

    QLineEdit prix;
    FiltreSaisie::installer(&prix, QString(), true);
    QTest::keyClicks(&prix, QStringLiteral("12.5"));
    EXPECT_EQ(prix.text(), QStringLiteral("12,5"));
    Global().SeparateurDecimal = QStringLiteral(".");
    prix.clear();
    QTest::keyClicks(&prix, QStringLiteral("3,25"));
    EXPECT_EQ(prix.text(), QStringLiteral("3.25"));
    prix.clear();
    QApplication::clipboard()->setText(QStringLiteral("7,5 €"));
    prix.paste();
    EXPECT_EQ(prix.text(), QStringLiteral("7.5"));
    reinitialiserEtatGlobal();
}

TEST(Centrage, SurLaFenetrePrincipale) {
    Global().LargeurFenPrincipale = 1000;
    Global().HauteurFenPrincipale = 700;
    QWidget f;
    f.resize(400, 300);
    FonctionUtilitaires::CentrerForm(&f);
    EXPECT_EQ(f.pos(), QPoint(300, 200));
    FonctionUtilitaires::CentrerFormEnHaut(&f);
    EXPECT_EQ(f.pos(), QPoint(300, 0));
    QWidget parent;
    auto* cadre = new QWidget(&parent);
    cadre->resize(200, 100);
    FonctionUtilitaires::CentrerFrame(cadre);
    EXPECT_EQ(cadre->pos(), QPoint(400, 300));
    reinitialiserEtatGlobal();

    // Before the main window exists: the middle of the screen.
    const QRect ecran = QGuiApplication::primaryScreen()->geometry();
    FonctionUtilitaires::CentrerSurEcran(&f);
    EXPECT_EQ(f.pos(), QPoint(ecran.x() + (ecran.width() - 400) / 2, ecran.y() + (ecran.height() - 300) / 2));
}

TEST(ServiceSessionWidgets, ModalJusquALaFermeture) {
    ServiceSessionWidgets s;
    QWidget form;
    form.setObjectName(QStringLiteral("FenTest"));
    bool vuModal = false;
    QTimer::singleShot(0, [&] {
        vuModal = form.isVisible() && form.windowModality() == Qt::ApplicationModal;
        form.hide();
    });
    s.montrerModal(&form);
    EXPECT_TRUE(vuModal);
    EXPECT_FALSE(form.isVisible());

    // A close also ends the show, and a later modeless show is possible.
    QTimer::singleShot(0, [&] { form.close(); });
    s.montrerModal(&form);
    EXPECT_EQ(form.windowModality(), Qt::NonModal);

    // A form destroyed while shown.
    auto* dialogue = new QWidget;
    QTimer::singleShot(0, [&] { delete dialogue; });
    s.montrerModal(dialogue);

    // terminer() leaves the modal show and records the end.
    QWidget autre;
    QTimer::singleShot(0, [&] { s.terminer(3); });
    s.montrerModal(&autre);
    EXPECT_TRUE(Global().FinDemandee);
    EXPECT_EQ(Global().CodeSortie, 3);
    reinitialiserEtatGlobal();
}
