#include "testsupport.h"
#include "topicdialog.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TopicDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshDialogOffersHlpWithTheFocusOnTheId();
    void leaving_data();
    void leaving();
};

void TopicDialogTest::freshDialogOffersHlpWithTheFocusOnTheId()
{
    SmeltworkTopicDialog dialog;
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.objectName(), QStringLiteral("SmeltworkTopicDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("SmeltworkAdmin"));
    QCOMPARE(dialog.IDLabel->text(), QStringLiteral("ID"));
    QCOMPARE(dialog.HeaderLabel->text(), QStringLiteral("Header"));
    QCOMPARE(dialog.IDEdit->text(), QStringLiteral("HLP_"));
    QVERIFY(dialog.HeaderEdit->text().isEmpty());
    QCOMPARE(dialog.OkBtn->text(), QStringLiteral("&Ok"));
    QCOMPARE(dialog.CancelBtn->text(), QStringLiteral("&Cancel"));
    QTRY_COMPARE(QApplication::focusWidget(), dialog.IDEdit);
    QTest::keyClick(dialog.IDEdit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), dialog.HeaderEdit);
    // The ID row stands above the header row, and every widget lives in the frame.
    QVERIFY(dialog.IDEdit->y() < dialog.HeaderEdit->y());
    for (QWidget *w : {static_cast<QWidget *>(dialog.IDEdit), static_cast<QWidget *>(dialog.OkBtn)})
        QCOMPARE(w->parentWidget(), dialog.MainFrame);
    QCOMPARE(dialog.MainFrame->frameShape(), QFrame::Box);
    // Neither button is the default one, not even once the dialog is shown.
    QVERIFY(!dialog.OkBtn->isDefault());
    QVERIFY(!dialog.CancelBtn->isDefault());
}

void TopicDialogTest::leaving_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");

    QTest::newRow("Ok clicked") << "OkBtn" << int(QDialog::Accepted);
    QTest::newRow("Alt+O") << "Alt+O" << int(QDialog::Accepted);
    QTest::newRow("Cancel clicked") << "CancelBtn" << int(QDialog::Rejected);
    QTest::newRow("Escape") << "Escape" << int(QDialog::Rejected);
    QTest::newRow("window's close button") << "close" << int(QDialog::Rejected);
}

void TopicDialogTest::leaving()
{
    QFETCH(QString, how);
    QFETCH(int, result);

    SmeltworkTopicDialog dialog(nullptr, nullptr, true);
    dialog.IDEdit->setText(QStringLiteral("2"));
    whenModalOpens([&](QWidget *modal) {
        QCOMPARE(modal, &dialog);
        // Any text is taken, an empty one too; the id is typed over the old one.
        QTest::keyClick(dialog.IDEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog.IDEdit, QStringLiteral("2.1"));
        QTest::keyClicks(dialog.HeaderEdit, QStringLiteral("Sub"));
        if (how == QLatin1String("Escape"))
            QTest::keyClick(dialog.HeaderEdit, Qt::Key_Escape);
        else if (how == QLatin1String("Alt+O"))
            QTest::keyClick(dialog.HeaderEdit, Qt::Key_O, Qt::AltModifier);
        else if (how == QLatin1String("close"))
            dialog.close();
        else
            QTest::mouseClick(dialog.findChild<QPushButton *>(how), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(dialog.IDEdit->text(), QStringLiteral("2.1"));
    QCOMPARE(dialog.HeaderEdit->text(), QStringLiteral("Sub"));
}

QTEST_MAIN(TopicDialogTest)
#include "tst_topicdialog.moc"
