#include "editingsupport.h"
#include "procdialog.h"
#include "reqdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

enum { Add, Delete, Edit };
enum { GroupKind, ProcessKind, ItemKind, SkillKind };

// Runs the window as the program does: exec() with `script` driving it from inside, then
// the save that follows however the window was closed.
void runProgram(const std::function<void(SmeltworkAdminDialog &)> &script)
{
    auto *window = new SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags());
    QTimer::singleShot(0, window, [window, script] {
        if (QTest::qWaitForWindowActive(window))
            script(*window);
        if (window->isVisible()) // a failed check must not leave the loop running
            window->reject();
    });
    window->exec();
    window->saveData();
    delete window;
}

void typeName(const char *name, QWidget *modal)
{
    QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("NameEdit")),
                     QString::fromUtf8(name));
}

void pressOk(QWidget *modal)
{
    QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("OkBtn")), Qt::LeftButton);
}

void answerYes(QWidget *modal)
{
    QTest::mouseClick(qobject_cast<QMessageBox *>(modal)->button(QMessageBox::Yes), Qt::LeftButton);
}

} // namespace

class EditingSessionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneGroupAddedToNoFileGivesTheseBytes();
    void everyChangeReachesTheFileWhenTheWindowCloses_data();
    void everyChangeReachesTheFileWhenTheWindowCloses();
};

void EditingSessionTest::oneGroupAddedToNoFileGivesTheseBytes()
{
    ScratchFolder folder;
    TraceCapture quiet;
    runProgram([](SmeltworkAdminDialog &w) {
        whenModalOpens([](QWidget *modal) {
            typeName("A", modal);
            pressOk(modal);
        });
        pressAction(w, Add, GroupKind);
        QTest::mouseClick(w.ExitBtn, Qt::LeftButton);
    });
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.dat")),
             fromHex("2A E5 10 A4 · 00 01 · 00 00 00 02 00 41 · 00 00"));
}

void EditingSessionTest::everyChangeReachesTheFileWhenTheWindowCloses_data()
{
    QTest::addColumn<QString>("close");
    QTest::newRow("Exit") << "Exit";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("title bar") << "title bar";
}

void EditingSessionTest::everyChangeReachesTheFileWhenTheWindowCloses()
{
    QFETCH(QString, close);
    ScratchFolder folder;
    TraceCapture quiet;
    const CraftingData start{
        group("Wood", {proc("Plank", 50, 10, {item("Saw", "1", 77)})}),
        group("Ores", {proc("Ingot", 100, 1, {item("Hammer", "1", 1234), skill("Smithing", "2")})}),
    };
    writeDataFile(start);
    const QByteArray before = folder.readFile(QStringLiteral("Smeltwork.dat"));

    runProgram([&](SmeltworkAdminDialog &w) {
        whenModalOpens([](QWidget *modal) {
            typeName("Clay", modal);
            pressOk(modal);
        });
        pressAction(w, Add, GroupKind);

        choose(w.ProcGroupList, 2);
        whenModalOpens([](QWidget *modal) {
            auto *dialog = qobject_cast<SmeltworkProcDialog *>(modal);
            typeName("Brick", modal);
            QTest::mouseClick(dialog->SpecialBox, Qt::LeftButton);
            typeOver(dialog->MinQlSpin, QStringLiteral("20"));
            pressOk(modal);
        });
        pressAction(w, Add, ProcessKind);

        whenModalOpens([](QWidget *modal) {
            auto *dialog = qobject_cast<SmeltworkReqDialog *>(modal);
            typeName("Mould", modal);
            QTest::keyClicks(dialog->MultiEdit, QStringLiteral("2"));
            typeOver(dialog->ZorvexEdit, QStringLiteral("-5"));
            pressOk(modal);
        });
        pressAction(w, Add, ItemKind);
        whenModalOpens([](QWidget *modal) {
            auto *dialog = qobject_cast<SmeltworkReqDialog *>(modal);
            typeName("Firing", modal);
            QTest::mouseClick(dialog->FixedBox, Qt::LeftButton);
            pressOk(modal);
        });
        pressAction(w, Add, SkillKind);

        QTest::mouseClick(w.SortGrpBtn, Qt::LeftButton); // Clay, Ores, Wood
        QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.dat")), before);

        choose(w.ProcGroupList, 1);
        whenModalOpens([](QWidget *modal) {
            auto *dialog = qobject_cast<SmeltworkProcDialog *>(modal);
            QCOMPARE(dialog->NameEdit->selectedText(), QStringLiteral("Ingot"));
            QTest::keyClick(dialog->NameEdit, Qt::Key_End);
            QTest::keyClicks(dialog->NameEdit, QStringLiteral("s"));
            typeOver(dialog->MaxQlSpin, QStringLiteral("300"));
            pressOk(modal);
        });
        pressAction(w, Edit, ProcessKind);

        choose(w.ProcGroupList, 1);
        QVERIFY(clickRow(w, w.SkillsList, QStringLiteral("Smithing")));
        whenModalOpens(answerYes);
        pressAction(w, Delete, SkillKind);

        choose(w.ProcGroupList, 2);
        whenModalOpens(answerYes);
        pressAction(w, Delete, GroupKind);

        whenModalOpens(pressOk); // a group without a name
        pressAction(w, Add, GroupKind);

        if (close == QLatin1String("Exit"))
            QTest::mouseClick(w.ExitBtn, Qt::LeftButton);
        else if (close == QLatin1String("Escape"))
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            w.close();
    });
    QVERIFY(!QTest::currentTestFailed());

    const CraftingData expected{
        group("Clay", {proc("Brick", 20, 20, {item("Mould", "2", -5), skill("Firing", "0")})}),
        group("Ores", {proc("Ingots", 255, 1, {item("Hammer", "1", 1234)})}),
        group(""),
    };
    QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.dat")), dataFileBytes(expected));
}

QTEST_MAIN(EditingSessionTest)
#include "tst_editingsession.moc"
