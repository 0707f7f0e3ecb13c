#include "common/forms/LongueurSaisie.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

TEST(LongueurSaisie, TypedAndPastedTextStopsAtTheLimitWhileCodeSetsAnyLength) {
    QLineEdit box;
    LongueurSaisie::installer(&box, 12);
    EXPECT_EQ(box.maxLength(), 32767);
    QTest::keyClicks(&box, QStringLiteral("1234567890123"));
    EXPECT_EQ(box.text(), QStringLiteral("123456789012"));
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClicks(&box, QStringLiteral("9"));
    EXPECT_EQ(box.text(), QStringLiteral("123456789012"));

    // A stored 13-digit badge shows whole; a further character is refused, deleting is not.
    box.setText(QStringLiteral("0000000047111"));
    EXPECT_EQ(box.text(), QStringLiteral("0000000047111"));
    QTest::keyClicks(&box, QStringLiteral("5"));
    EXPECT_EQ(box.text(), QStringLiteral("0000000047111"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text(), QStringLiteral("000000004711"));

    // A paste is cut where the limit falls, at the cursor.
    box.setText(QStringLiteral("AB"));
    box.setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("xxxxxxxxxxxxxxxxxxxx"));
    box.paste();
    EXPECT_EQ(box.text(), QStringLiteral("AxxxxxxxxxxB"));
    EXPECT_EQ(box.cursorPosition(), 11);
    box.selectAll();
    box.paste();
    EXPECT_EQ(box.text(), QString(12, u'x'));

    // No limit once set to 0.
    LongueurSaisie::installer(&box, 0);
    QTest::keyClicks(&box, QStringLiteral("yy"));
    EXPECT_EQ(box.text().size(), 14);
}
