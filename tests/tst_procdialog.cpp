#include "procdialog.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

// Counts the runs of the Special switch, to see the box's signal come back once.
class CountingProcDialog : public SmeltworkProcDialog
{
public:
    using SmeltworkProcDialog::SmeltworkProcDialog;
    QList<bool> calls;
    void setSpecial(bool on) override
    {
        calls.append(on);
        SmeltworkProcDialog::setSpecial(on);
    }
};

class ProcDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onlyKindOneBuildsTheProcessForm_data();
    void onlyKindOneBuildsTheProcessForm();
    void freshProcessFormShowsItsDefaults();
    void spinBoxesStayWithinOneTo300_data();
    void spinBoxesStayWithinOneTo300();
    void checkingSpecialDisablesOnlyMaxQl();
    void directSetSpecialRunsOnceMoreThroughTheBox();
    void tabWalksTheFieldsInCreationOrder();
    void keysAndButtonsEndTheRun_data();
    void keysAndButtonsEndTheRun();
};

void ProcDialogTest::onlyKindOneBuildsTheProcessForm_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("processForm");
    QTest::newRow("process group") << 0 << false;
    QTest::newRow("process") << 1 << true;
    QTest::newRow("item/tool") << 2 << false;
    QTest::newRow("negative") << -1 << false;
}

void ProcDialogTest::onlyKindOneBuildsTheProcessForm()
{
    QFETCH(int, kind);
    QFETCH(bool, processForm);
    SmeltworkProcDialog dialog(kind);
    QCOMPARE(dialog.MaxQlSpin != nullptr, processForm);
    QCOMPARE(dialog.MinQlSpin != nullptr, processForm);
    QCOMPARE(dialog.MaxQlLabel != nullptr, processForm);
    QCOMPARE(dialog.MinQlLabel != nullptr, processForm);
    QCOMPARE(dialog.SpecialBox != nullptr, processForm);
    QCOMPARE(dialog.findChildren<QSpinBox *>().size(), processForm ? 2 : 0);
    QCOMPARE(dialog.findChildren<QCheckBox *>().size(), processForm ? 1 : 0);
    // The name row and the buttons are in both forms.
    QCOMPARE(dialog.NameLabel->text(), QStringLiteral("Name"));
    QCOMPARE(dialog.OkBtn->text(), QStringLiteral("&OK"));
    QCOMPARE(dialog.CancelBtn->text(), QStringLiteral("&Cancel"));
    dialog.setSpecial(true); // harmless on the name-only form
}

void ProcDialogTest::freshProcessFormShowsItsDefaults()
{
    SmeltworkProcDialog dialog(1);
    QCOMPARE(dialog.objectName(), QStringLiteral("SmeltworkProcDialog"));
    QCOMPARE(SmeltworkProcDialog(1, nullptr, "given").objectName(), QStringLiteral("given"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("SmeltworkAdmin"));
    QCOMPARE(dialog.size(), QSize(240, 80));
    QVERIFY(dialog.windowIcon().isNull());
    QCOMPARE(dialog.MaxQlLabel->text(), QStringLiteral("Max QL"));
    QCOMPARE(dialog.MinQlLabel->text(), QStringLiteral("Min QL"));
    QCOMPARE(dialog.SpecialBox->text(), QStringLiteral("&Special"));
    QCOMPARE(dialog.MaxQlSpin->value(), 300);
    QCOMPARE(dialog.MinQlSpin->value(), 1);
    QVERIFY(!dialog.SpecialBox->isChecked());
    QVERIFY(dialog.MaxQlSpin->isEnabled());
    QVERIFY(dialog.NameEdit->text().isEmpty());
    QVERIFY(!dialog.NameEdit->validator());
    QVERIFY(dialog.OkBtn->isDefault());
    for (QLabel *label : dialog.findChildren<QLabel *>())
        QVERIFY2(!label->buddy(), qPrintable(label->objectName()));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.NameEdit);
}

void ProcDialogTest::spinBoxesStayWithinOneTo300_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value");
    QTest::newRow("inside") << "120" << 120;
    QTest::newRow("highest") << "300" << 300;
    QTest::newRow("above: last digit refused") << "301" << 30;
    QTest::newRow("far above") << "999" << 99;
    QTest::newRow("zero falls back") << "0" << 300;
}

void ProcDialogTest::spinBoxesStayWithinOneTo300()
{
    QFETCH(QString, typed);
    QFETCH(int, value);
    SmeltworkProcDialog dialog(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.MaxQlSpin->setFocus();
    QTest::keyClick(dialog.MaxQlSpin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog.MaxQlSpin, typed);
    QTest::keyClick(dialog.MaxQlSpin, Qt::Key_Tab);
    QCOMPARE(dialog.MaxQlSpin->value(), value);
    dialog.MinQlSpin->setValue(0);
    QCOMPARE(dialog.MinQlSpin->value(), 1);
    dialog.MinQlSpin->setValue(400);
    QCOMPARE(dialog.MinQlSpin->value(), 300);
}

void ProcDialogTest::checkingSpecialDisablesOnlyMaxQl()
{
    SmeltworkProcDialog dialog(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.MaxQlSpin->setValue(200);
    QTest::keyClick(&dialog, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(dialog.SpecialBox->isChecked()); // a shortcut animates the click first
    QVERIFY(!dialog.MaxQlSpin->isEnabled());
    QVERIFY(dialog.MinQlSpin->isEnabled());
    QVERIFY(dialog.MaxQlLabel->isEnabled() && dialog.MinQlLabel->isEnabled());
    QTest::mouseClick(dialog.SpecialBox, Qt::LeftButton);
    QVERIFY(!dialog.SpecialBox->isChecked());
    QVERIFY(dialog.MaxQlSpin->isEnabled());
    QCOMPARE(dialog.MaxQlSpin->value(), 200);
}

void ProcDialogTest::directSetSpecialRunsOnceMoreThroughTheBox()
{
    CountingProcDialog dialog(1);
    dialog.setSpecial(true);
    QCOMPARE(dialog.calls, QList<bool>({true, true}));
    QVERIFY(dialog.SpecialBox->isChecked());
    QVERIFY(!dialog.MaxQlSpin->isEnabled());

    dialog.calls.clear();
    dialog.SpecialBox->click(); // from the box: one run
    QCOMPARE(dialog.calls, QList<bool>({false}));
    QVERIFY(dialog.MaxQlSpin->isEnabled());

    dialog.calls.clear();
    dialog.setSpecial(false); // already off: the box stays quiet
    QCOMPARE(dialog.calls, QList<bool>({false}));
}

void ProcDialogTest::tabWalksTheFieldsInCreationOrder()
{
    SmeltworkProcDialog dialog(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const QList<QWidget *> order{dialog.MaxQlSpin, dialog.MinQlSpin, dialog.SpecialBox,
                                 dialog.OkBtn,     dialog.CancelBtn, dialog.NameEdit};
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void ProcDialogTest::keysAndButtonsEndTheRun_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    for (int kind : {0, 1}) {
        const QByteArray form = kind ? "process: " : "group: ";
        QTest::newRow(form + "Enter in the name") << kind << "enter" << 1;
        QTest::newRow(form + "OK") << kind << "ok" << 1;
        QTest::newRow(form + "Cancel") << kind << "cancel" << 0;
        QTest::newRow(form + "Escape") << kind << "escape" << 0;
        QTest::newRow(form + "close button") << kind << "close" << 0;
    }
    QTest::newRow("process: Enter in Min QL") << 1 << "enter in spin" << 1;
}

void ProcDialogTest::keysAndButtonsEndTheRun()
{
    QFETCH(int, kind);
    QFETCH(QString, how);
    QFETCH(int, result);
    SmeltworkProcDialog dialog(kind, nullptr, nullptr, true);
    QString typed;
    whenModalOpens([&](QWidget *) {
        QTest::keyClicks(dialog.NameEdit, QStringLiteral("Ores"));
        typed = dialog.NameEdit->text();
        if (how == QLatin1String("enter"))
            QTest::keyClick(dialog.NameEdit, Qt::Key_Return);
        else if (how == QLatin1String("enter in spin"))
            QTest::keyClick(dialog.MinQlSpin, Qt::Key_Enter);
        else if (how == QLatin1String("ok"))
            QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
        else if (how == QLatin1String("cancel"))
            QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(dialog.NameEdit, Qt::Key_Escape);
        else
            dialog.close();
    });
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(typed, QStringLiteral("Ores")); // the cursor started in the name field
}

QTEST_MAIN(ProcDialogTest)
#include "tst_procdialog.moc"
