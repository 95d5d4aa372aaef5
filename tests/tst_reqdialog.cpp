#include "appicon.h"
#include "reqdialog.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Counts the runs of the Fixed switch, to see the box's signal come back once.
class CountingReqDialog : public SmeltworkReqDialog
{
public:
    using SmeltworkReqDialog::SmeltworkReqDialog;
    QList<bool> calls;
    void setFixed(bool on) override
    {
        calls.append(on);
        SmeltworkReqDialog::setFixed(on);
    }
};

class ReqDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshDialogShowsItsDefaults();
    void altKeysReachTheFieldsBesideTheLabels_data();
    void altKeysReachTheFieldsBesideTheLabels();
    void fixedDisablesTheMultiplierAndKeepsItsText();
    void directSetFixedRunsOnceMoreThroughTheBox();
    void keysAndButtonsEndTheRun_data();
    void keysAndButtonsEndTheRun();
};

void ReqDialogTest::freshDialogShowsItsDefaults()
{
    SmeltworkReqDialog dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("SmeltworkReqDialog"));
    QCOMPARE(SmeltworkReqDialog(nullptr, "given").objectName(), QStringLiteral("given"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("SmeltworkAdmin"));
    QCOMPARE(dialog.size(), QSize(240, 130));
    QCOMPARE(dialog.windowIcon().pixmap(32, 32).toImage(),
             applicationPixmap().toImage().convertToFormat(
                 dialog.windowIcon().pixmap(32, 32).toImage().format()));
    QCOMPARE(dialog.MainFrame->frameShape(), QFrame::Box);
    QCOMPARE(dialog.MainFrame->frameShadow(), QFrame::Sunken);
    QVERIFY(dialog.NameEdit->text().isEmpty());
    QVERIFY(dialog.MultiEdit->text().isEmpty());
    QCOMPARE(dialog.ZorvexEdit->text(), QStringLiteral("0"));
    QVERIFY(!dialog.FixedBox->isChecked());
    QCOMPARE(QStringList({dialog.NameLabel->text(), dialog.MultiLabel->text(),
                          dialog.FixedBox->text(), dialog.ParentLabel->text()}),
             QStringList({"&Name", "&Multiplier", "&Fixed", "&Parent"}));
    QVERIFY(dialog.ZorvexLabel->text().startsWith(QLatin1String("&zorvex")));
    QVERIFY(dialog.ZorvexLabel->text().endsWith(QLatin1String(" ID")));
    QVERIFY(!dialog.ParentList->isEditable());
    QCOMPARE(dialog.ParentList->count(), 1);
    QCOMPARE(dialog.ParentList->currentText(), QStringLiteral("Main Item"));
    for (QLineEdit *edit : {dialog.NameEdit, dialog.MultiEdit, dialog.ZorvexEdit}) {
        QVERIFY(!edit->validator() && edit->inputMask().isEmpty());
        QCOMPARE(edit->maxLength(), QLineEdit().maxLength());
    }
    QVERIFY(dialog.OkBtn->isDefault() && dialog.OkBtn->autoDefault());
    QVERIFY(!dialog.CancelBtn->isDefault() && dialog.CancelBtn->autoDefault());

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.NameEdit);
}

void ReqDialogTest::altKeysReachTheFieldsBesideTheLabels_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");
    QTest::newRow("Alt+M") << int(Qt::Key_M) << "MultiEdit";
    QTest::newRow("Alt+Z") << int(Qt::Key_Z) << "ZorvexEdit";
    QTest::newRow("Alt+P") << int(Qt::Key_P) << "ParentList";
    QTest::newRow("Alt+N") << int(Qt::Key_N) << "NameEdit";
}

void ReqDialogTest::altKeysReachTheFieldsBesideTheLabels()
{
    QFETCH(int, key);
    QFETCH(QString, target);
    SmeltworkReqDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.CancelBtn->setFocus();
    QTest::keyClick(&dialog, Qt::Key(key), Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), target);
}

void ReqDialogTest::fixedDisablesTheMultiplierAndKeepsItsText()
{
    SmeltworkReqDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(dialog.NameEdit, QStringLiteral("Hammer"));
    QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0.5"));
    QTest::keyClick(&dialog, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(dialog.FixedBox->isChecked()); // a shortcut animates the click first
    QVERIFY(!dialog.MultiEdit->isEnabled());
    QVERIFY(dialog.MultiLabel->isEnabled());
    QCOMPARE(dialog.MultiEdit->text(), QStringLiteral("0.5"));
    QTest::mouseClick(dialog.FixedBox, Qt::LeftButton);
    QVERIFY(dialog.MultiEdit->isEnabled());
    QCOMPARE(dialog.MultiEdit->text(), QStringLiteral("0.5"));
}

void ReqDialogTest::directSetFixedRunsOnceMoreThroughTheBox()
{
    CountingReqDialog dialog;
    dialog.setFixed(true);
    QCOMPARE(dialog.calls, QList<bool>({true, true}));
    QVERIFY(dialog.FixedBox->isChecked());
    QVERIFY(!dialog.MultiEdit->isEnabled());

    dialog.calls.clear();
    dialog.FixedBox->click();
    QCOMPARE(dialog.calls, QList<bool>({false}));
    QVERIFY(dialog.MultiEdit->isEnabled());
}

void ReqDialogTest::keysAndButtonsEndTheRun_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key"); // 0: press the button named in `field`
    QTest::addColumn<int>("result");
    QTest::newRow("Enter in name") << "NameEdit" << int(Qt::Key_Return) << 1;
    QTest::newRow("Enter in multiplier") << "MultiEdit" << int(Qt::Key_Return) << 1;
    QTest::newRow("Enter in ID") << "ZorvexEdit" << int(Qt::Key_Enter) << 1;
    QTest::newRow("Escape") << "NameEdit" << int(Qt::Key_Escape) << 0;
    QTest::newRow("OK") << "OkBtn" << 0 << 1;
    QTest::newRow("Cancel") << "CancelBtn" << 0 << 0;
}

void ReqDialogTest::keysAndButtonsEndTheRun()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, result);
    SmeltworkReqDialog dialog(nullptr, nullptr, true);
    whenModalOpens([&](QWidget *modal) {
        auto *widget = modal->findChild<QWidget *>(field);
        QVERIFY(widget);
        widget->setFocus();
        QTest::keyClicks(widget, QStringLiteral("7"));
        if (key)
            QTest::keyClick(widget, Qt::Key(key));
        else
            QTest::mouseClick(widget, Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), result);
}

QTEST_MAIN(ReqDialogTest)
#include "tst_reqdialog.moc"
