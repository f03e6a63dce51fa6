// The product code dialog: upper case as typed, the focus moving on after three characters, and
// the code joined from the fields as they are.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "wizard/cfgimport/ProductCodeDialog.h"

namespace orn::wizard::test {

class ProductCodeDialogTest : public QObject {
  Q_OBJECT

  static void Type(const QString& text) {  // into whichever control has the focus, as a user does
    for (const QChar c : text) QTest::keyClicks(QApplication::focusWidget(), QString(c));
  }

 private slots:
  void UpperCaseFocusAndTheJoinedCode() {
    ProductCodeDialog dialog;
    dialog.OnInitDialog();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ORN! Product Identification Code"));
    QCOMPARE(dialog.CancelButton()->text(), QStringLiteral("Abbruch"));
    Type(QStringLiteral("ab"));
    QVERIFY(dialog.Field(0)->hasFocus());  // two characters: the focus stays
    Type(QStringLiteral("1"));
    QVERIFY(dialog.Field(1)->hasFocus());
    QTest::keyClicks(dialog.Field(0), QStringLiteral("x"));  // a full field takes no more
    QCOMPARE(dialog.Field(0)->text(), QStringLiteral("AB1"));

    Type(QStringLiteral("cd2ef"));
    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
    QVERIFY(dialog.grab().save(QStringLiteral(SCREENSHOT_DIR "/product-code-dialog.png")));
    dialog.Field(3)->setFocus();  // the third field is left with two characters
    Type(QStringLiteral("gh3ij4kl5"));
    QVERIFY(dialog.OkButton()->hasFocus());  // from the sixth field to OK
    QTest::keyClick(dialog.OkButton(), Qt::Key_Space);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_strCode, QStringLiteral("AB1CD2EFGH3IJ4KL5"));  // 3+3+2+3+3+3 = 17 characters
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::ProductCodeDialogTest)
#include "ProductCodeDialogTest.moc"
