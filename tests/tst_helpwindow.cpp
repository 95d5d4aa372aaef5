#include "adminwindow.h"
#include "editor.h"
#include "helpwindow.h"
#include "testsupport.h"
#include "topicdialog.h"

#include <QBuffer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

class HelpWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructionTraceInOrder();
    void widgets();
    void tree_data();
    void tree();
    void idTestLines_data();
    void idTestLines();
    void selectingShowsTheBodyRendered();
    void addWithDefaults();
    void addCancelledChangesNothing();
    void editKeepsTheItemCurrent();
    void deleteAsks_data();
    void deleteAsks();
    void editorSaveAndClose_data();
    void editorSaveAndClose();
    void withoutSelectionNothingHappens();
    void leavingSavesTheTopicsShown_data();
    void leavingSavesTheTopicsShown();
    void foreignFileIsKeptAsBackup();
    void damagedFileKeepsWhatWasComplete();
    void aTopicTooManyIsRefused();
};

namespace {

QByteArray helpFile(const HelpTopics &topics)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QtMessageHandler quiet =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    writeHelpTopics(buffer, topics);
    qInstallMessageHandler(quiet);
    return bytes;
}

HelpTopics topicsWithIds(const QStringList &ids)
{
    HelpTopics topics;
    for (const QString &id : ids)
        topics.append({id, QStringLiteral("Topic ") + id, QStringLiteral("Body of ") + id});
    return topics;
}

// The tree as text: ids in display order, children in parentheses when expanded (in angle
// brackets when not), an empty id as ''.
QString shape(const QTreeWidgetItem *parent)
{
    QStringList parts;
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem *item = parent->child(i);
        QString part = item->text(1).isEmpty() ? QStringLiteral("''") : item->text(1);
        if (item->childCount() > 0)
            part += (item->isExpanded() ? u'(' : u'<') + shape(item) +
                    (item->isExpanded() ? u')' : u'>');
        parts.append(part);
    }
    return parts.join(u' ');
}

QString shape(const QTreeWidget *list)
{
    return shape(list->invisibleRootItem());
}

QTreeWidgetItem *itemWithId(const QTreeWidget *list, const QString &id)
{
    const QList<QTreeWidgetItem *> found =
        list->findItems(id, Qt::MatchExactly | Qt::MatchRecursive, 1);
    return found.value(0);
}

void clickItem(QTreeWidget *list, QTreeWidgetItem *item)
{
    QVERIFY(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

QPushButton *messageBoxButton(QWidget *modal, QMessageBox::StandardButton which)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    return box ? qobject_cast<QPushButton *>(box->button(which)) : nullptr;
}

// What the program printed, without the offscreen platform's complaint about size hints.
QStringList printed(const TraceCapture &trace)
{
    QStringList lines = trace.lines();
    lines.removeAll(QStringLiteral("W: This plugin does not support propagateSizeHints()"));
    return lines;
}

// The help window as a test holds it: loaded from the scratch folder's help file, shown.
struct ShownHelp
{
    SmeltworkHelpDialog window;
    ShownHelp() { window.show(); }
    bool exposed() { return QTest::qWaitForWindowExposed(&window); }
    QStringList ids() const
    {
        QStringList out;
        for (const HelpTopic &topic : window.helpTopics())
            out.append(topic.id);
        return out;
    }
};

// Reports, and closes, any modal window that opens while it lives.
class ModalWatch
{
public:
    ModalWatch()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                m_opened = true;
                modal->close();
            }
        });
        m_timer.start();
    }
    bool opened() const { return m_opened; }

private:
    QTimer m_timer;
    bool m_opened = false;
};

} // namespace

void HelpWindowTest::constructionTraceInOrder()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile({{"1", "Intro", "x"}, {"1.1", "Sub", QString()}}));
    TraceCapture trace;
    SmeltworkHelpDialog window;
    const QStringList expected = {
        "D: Loading help data...",
        "D: Topics: 2",
        "D:  * Topic #0: 1> \"Intro\" (not displaying body...)",
        "D:  * Topic #1: 1.1> \"Sub\" (not displaying body...)",
        "D: Finished loading help file",
        "D: Setting up GUI:",
        "D:  * TopLevel layout",
        "D:    + HBoxLayout",
        "D:      + VBoxLayout",
        "D:        + HeaderLabel",
        "D:        + HeaderList",
        "D:      + BodyFrame",
        "D:        + BodyView",
        "D:    + ActionGroup",
        "D:      + AddBtn",
        "D:      + EditBtn",
        "D:      + DelBtn",
        "D:      + EditorBtn",
        "D:    + HBoxLayout",
        "D:      + CloseBtnBtn",
        "D: Connecting signals",
        "D: IDTest: 1.00 - 1 = 0.00",
        "D: IDTest: 1.10 - 1 = 0.10",
    };
    QCOMPARE(printed(trace), expected);
}

void HelpWindowTest::widgets()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({"1", "2"})));
    ShownHelp help;
    SmeltworkHelpDialog &window = help.window;
    QVERIFY(help.exposed());
    QCOMPARE(window.objectName(), QStringLiteral("SmeltworkHelpDialog"));
    QCOMPARE(window.windowTitle(), QStringLiteral("SmeltworkAdmin"));
    QCOMPARE(window.HeaderLabel->text(), QStringLiteral("Help Topics:"));
    QCOMPARE(window.ActionGroup->title(), QStringLiteral("Actions"));
    const QList<QPushButton *> buttons = {window.AddBtn, window.EditBtn, window.DelBtn,
                                          window.EditorBtn};
    const QStringList texts = {"Add Topic", "Edit Topic", "Delete Topic", "Open Editor"};
    for (int i = 0; i < buttons.size(); ++i) {
        QCOMPARE(buttons.at(i)->text(), texts.at(i));
        QCOMPARE(buttons.at(i)->parentWidget(), window.ActionGroup);
        if (i > 0)
            QVERIFY(buttons.at(i - 1)->x() < buttons.at(i)->x());
    }
    QCOMPARE(window.CloseBtn->text(), QStringLiteral("&Close"));
    QVERIFY(window.CloseBtn->isDefault());
    QCOMPARE(window.BodyView->parentWidget(), window.BodyFrame);

    // Three columns, the index one and the header never visible.
    QTreeWidget *list = window.HeaderList;
    QCOMPARE(list->columnCount(), 3);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Title"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("ID"));
    QCOMPARE(list->headerItem()->text(2), QStringLiteral("index"));
    QVERIFY(list->isHeaderHidden());
    QVERIFY(list->isColumnHidden(2));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QTreeWidgetItem *item = itemWithId(list, "2");
    QVERIFY(item);
    QCOMPARE(item->text(0), QStringLiteral("Topic 2"));
    QCOMPARE(item->text(2), QStringLiteral("1"));
}

void HelpWindowTest::tree_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("tree");

    QTest::newRow("sub-topics under their topic")
        << QStringList{"1", "1.1", "1.2", "2"} << "1(1.1 1.2) 2";
    QTest::newRow("under the nearest preceding topic, whatever the numbers")
        << QStringList{"1", "2", "1.5"} << "1 2(1.5)";
    QTest::newRow("no number, empty and negative ids at the top level")
        << QStringList{"HLP_", "", "-1.5"} << "'' -1.5 HLP_";
    QTest::newRow("sorted by character codes, not as numbers")
        << QStringList{"2", "10", "a", "B"} << "10 2 B a";
    QTest::newRow("children sorted among themselves")
        << QStringList{"1", "1.2", "1.10", "1.05"} << "1(1.05 1.10 1.2)";
    QTest::newRow("a sub-topic before every whole number stands at the top")
        << QStringList{"1.5", "1", "1.2"} << "1(1.2) 1.5";
    QTest::newRow("and takes no sub-topics of its own")
        << QStringList{"0.5", "0.7", "3"} << "0.5 0.7 3";
    QTest::newRow("beyond 32 bits the fraction still decides")
        << QStringList{"7", "3000000000.5", "1e999", "-3000000000"}
        << "-3000000000 1e999 7(3000000000.5)";
}

void HelpWindowTest::tree()
{
    QFETCH(QStringList, ids);
    QFETCH(QString, tree);

    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
    TraceCapture trace;
    SmeltworkHelpDialog window;
    QCOMPARE(shape(window.HeaderList), tree);
    // Column 2 always holds the topic's position in the list.
    for (int i = 0; i < ids.size(); ++i) {
        const QList<QTreeWidgetItem *> items = window.HeaderList->findItems(
            QString::number(i), Qt::MatchExactly | Qt::MatchRecursive, 2);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first()->text(1), ids.at(i));
    }
}

void HelpWindowTest::idTestLines_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("line");

    QTest::newRow("2.5") << "2.5"
                         << "IDTest: 2.50 - 2 = 0.50";
    QTest::newRow("whole") << "2"
                           << "IDTest: 2.00 - 2 = 0.00";
    QTest::newRow("negative") << "-1.5"
                              << "IDTest: -1.50 - -1 = -0.50";
    QTest::newRow("no number") << "HLP_"
                               << "IDTest: 0.00 - 0 = 0.00";
    QTest::newRow("beyond 32 bits") << "3000000000.5"
                                    << "IDTest: 3000000000.50 - 2147483647 = 0.50";
    QTest::newRow("beyond a double") << "1e999"
                                     << "IDTest: inf - 2147483647 = 0.00";
}

void HelpWindowTest::idTestLines()
{
    QFETCH(QString, id);
    QFETCH(QString, line);

    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({id})));
    TraceCapture trace;
    SmeltworkHelpDialog window;
    QCOMPARE(trace.debugLines().last(), line);
}

void HelpWindowTest::selectingShowsTheBodyRendered()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile({{"1", "One", "<b>bold</b> and<br>\nnext"},
                                                {"2", "Two", QString()}}));
    ShownHelp help;
    SmeltworkHelpDialog &window = help.window;
    QVERIFY(help.exposed());
    TraceCapture trace;
    clickItem(window.HeaderList, itemWithId(window.HeaderList, "1"));
    QCOMPARE(window.BodyView->toPlainText(), QStringLiteral("bold and\nnext"));
    QTextCursor bold(window.BodyView->document());
    bold.setPosition(1);
    QCOMPARE(bold.charFormat().fontWeight(), int(QFont::Bold));
    clickItem(window.HeaderList, itemWithId(window.HeaderList, "2"));
    QCOMPARE(window.BodyView->toPlainText(), QString());
    QCOMPARE(printed(trace), QStringList({"D: Topic selected: #0", "D: Topic selected: #1"}));
}

void HelpWindowTest::addWithDefaults()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({"1"})));
    ShownHelp help;
    SmeltworkHelpDialog &window = help.window;
    QVERIFY(help.exposed());
    TraceCapture trace;
    whenModalOpens([](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkTopicDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->parentWidget(), modal->parentWidget());
        QCOMPARE(dialog->IDEdit->text(), QStringLiteral("HLP_"));
        QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(window.AddBtn, Qt::LeftButton);
    QCOMPARE(help.ids(), QStringList({"1", "HLP_"}));
    const HelpTopic added = window.helpTopics().last();
    QVERIFY(added.header.isEmpty());
    QVERIFY(!added.header.isNull()); // an empty header is stored as empty, not as null
    QVERIFY(added.body.isNull());
    QCOMPARE(printed(trace),
             QStringList({"D: IDTest: 1.00 - 1 = 0.00", "D: IDTest: 0.00 - 0 = 0.00"}));
    QCOMPARE(shape(window.HeaderList), QStringLiteral("1 HLP_"));

    trace.clear();
    clickItem(window.HeaderList, itemWithId(window.HeaderList, "HLP_"));
    QCOMPARE(printed(trace), QStringList({"D: Topic selected: #1"}));
    QCOMPARE(window.BodyView->toPlainText(), QString());
}

void HelpWindowTest::addCancelledChangesNothing()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({"1"})));
    ShownHelp help;
    QVERIFY(help.exposed());
    TraceCapture trace;
    whenModalOpens([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QTest::mouseClick(help.window.AddBtn, Qt::LeftButton);
    QCOMPARE(help.ids(), QStringList({"1"}));
    QVERIFY(printed(trace).isEmpty());
}

void HelpWindowTest::editKeepsTheItemCurrent()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({"1", "2", "3"})));
    ShownHelp help;
    SmeltworkHelpDialog &window = help.window;
    QVERIFY(help.exposed());
    clickItem(window.HeaderList, itemWithId(window.HeaderList, "2"));

    TraceCapture trace;
    whenModalOpens([](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkTopicDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->IDEdit->text(), QStringLiteral("2"));
        QCOMPARE(dialog->HeaderEdit->text(), QStringLiteral("Topic 2"));
        QTest::keyClick(dialog->IDEdit, Qt::Key_End);
        QTest::keyClicks(dialog->IDEdit, QStringLiteral(".5"));
        QTest::keyClick(dialog->HeaderEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog->HeaderEdit, QStringLiteral("Renamed"));
        QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(window.EditBtn, Qt::LeftButton);

    const HelpTopic edited = window.helpTopics().at(1);
    QCOMPARE(edited.id, QStringLiteral("2.5"));
    QCOMPARE(edited.header, QStringLiteral("Renamed"));
    QCOMPARE(edited.body, QStringLiteral("Body of 2"));
    QCOMPARE(shape(window.HeaderList), QStringLiteral("1(2.5) 3"));
    QTreeWidgetItem *current = window.HeaderList->currentItem();
    QVERIFY(current);
    QCOMPARE(current->text(2), QStringLiteral("1"));
    QCOMPARE(current->text(0), QStringLiteral("Renamed"));
    QCOMPARE(printed(trace), QStringList({"D: Editing Topic: #1", "D: IDTest: 1.00 - 1 = 0.00",
                                          "D: IDTest: 2.50 - 2 = 0.50",
                                          "D: IDTest: 3.00 - 3 = 0.00", "D: Topic selected: #1"}));

    // Cancelled, the topic and the list stay as they are.
    trace.clear();
    whenModalOpens([](QWidget *modal) {
        QTest::mouseClick(qobject_cast<SmeltworkTopicDialog *>(modal)->CancelBtn, Qt::LeftButton);
    });
    QTest::mouseClick(window.EditBtn, Qt::LeftButton);
    QCOMPARE(printed(trace), QStringList({"D: Editing Topic: #1"}));
    QCOMPARE(window.HeaderList->currentItem(), current);
    QCOMPARE(window.helpTopics().at(1).id, QStringLiteral("2.5"));
}

void HelpWindowTest::deleteAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("left");

    QTest::newRow("Yes") << "Yes" << QStringList{"2", "3"};
    QTest::newRow("No") << "No" << QStringList{"1", "2", "3"};
    QTest::newRow("Escape") << "Escape" << QStringList{"1", "2", "3"};
}

void HelpWindowTest::deleteAsks()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, left);

    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({"1", "2", "3"})));
    ShownHelp help;
    SmeltworkHelpDialog &window = help.window;
    QVERIFY(help.exposed());
    clickItem(window.HeaderList, itemWithId(window.HeaderList, "1"));
    QCOMPARE(window.BodyView->toPlainText(), QStringLiteral("Body of 1"));

    TraceCapture trace;
    whenModalOpens([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("SmeltworkAdmin"));
        QCOMPARE(box->text(), QStringLiteral("Really delete help topic \"Topic 1\" (1)?"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        if (answer == QLatin1String("Escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            QTest::mouseClick(messageBoxButton(box, answer == QLatin1String("Yes")
                                                        ? QMessageBox::Yes
                                                        : QMessageBox::No),
                              Qt::LeftButton);
    });
    QTest::mouseClick(window.DelBtn, Qt::LeftButton);
    QCOMPARE(help.ids(), left);
    QCOMPARE(printed(trace).first(), QStringLiteral("D: Deleting Topic: #0"));
    QCOMPARE(printed(trace).size(), answer == QLatin1String("Yes") ? 3 : 1);
    // The view keeps the deleted topic's body until another topic is selected.
    QCOMPARE(window.BodyView->toPlainText(), QStringLiteral("Body of 1"));
    if (answer == QLatin1String("Yes")) {
        QCOMPARE(itemWithId(window.HeaderList, "2")->text(2), QStringLiteral("0"));
        QCOMPARE(itemWithId(window.HeaderList, "3")->text(2), QStringLiteral("1"));
    }
}

void HelpWindowTest::editorSaveAndClose_data()
{
    QTest::addColumn<QString>("leaveWith");
    QTest::addColumn<QString>("body");

    QTest::newRow("Save") << "SaveBtn"
                          << "<b>new </b>Body of 2";
    QTest::newRow("Close") << "CloseBtn"
                           << "Body of 2";
    QTest::newRow("Escape") << "Escape"
                            << "Body of 2";
}

void HelpWindowTest::editorSaveAndClose()
{
    QFETCH(QString, leaveWith);
    QFETCH(QString, body);

    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({"1", "2"})));
    ShownHelp help;
    SmeltworkHelpDialog &window = help.window;
    QVERIFY(help.exposed());
    QTreeWidgetItem *item = itemWithId(window.HeaderList, "2");
    clickItem(window.HeaderList, item);

    TraceCapture trace;
    whenModalOpens([&](QWidget *modal) {
        auto *editor = qobject_cast<SmeltworkEditor *>(modal);
        QVERIFY(editor);
        QCOMPARE(editor->BodyEdit->text(), QStringLiteral("Body of 2"));
        QTest::keyClicks(editor->BodyEdit, QStringLiteral("new "));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(editor->BodyEdit, Qt::Key_Left, Qt::ShiftModifier);
        QTest::mouseClick(editor->findChild<QPushButton *>("BoldBtn"), Qt::LeftButton);
        if (leaveWith == QLatin1String("Escape"))
            QTest::keyClick(editor->BodyEdit, Qt::Key_Escape);
        else
            QTest::mouseClick(editor->findChild<QPushButton *>(leaveWith), Qt::LeftButton);
    });
    QTest::mouseClick(window.EditorBtn, Qt::LeftButton);
    QCOMPARE(window.helpTopics().at(1).body, body);
    QCOMPARE(printed(trace), QStringList({"D: Editing Body: #1"}));
    QCOMPARE(window.HeaderList->currentItem(), item);
    QVERIFY(item->isSelected());
    // Not refreshed: the view shows the old body until a topic is selected anew.
    QCOMPARE(window.BodyView->toPlainText(), QStringLiteral("Body of 2"));
}

void HelpWindowTest::withoutSelectionNothingHappens()
{
    for (const QStringList &ids : {QStringList(), QStringList{"1", "2"}}) {
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
        ShownHelp help;
        SmeltworkHelpDialog &window = help.window;
        QVERIFY(help.exposed());
        TraceCapture trace;
        ModalWatch watch;
        for (QPushButton *button : {window.EditBtn, window.DelBtn, window.EditorBtn})
            QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!watch.opened());
        QVERIFY(printed(trace).isEmpty());
        QCOMPARE(help.ids(), ids);
    }
}

void HelpWindowTest::leavingSavesTheTopicsShown_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Close") << "Close";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("window's close button") << "close";
}

void HelpWindowTest::leavingSavesTheTopicsShown()
{
    QFETCH(QString, how);

    ScratchFolder folder;
    {
        TraceCapture trace;
        SmeltworkAdminDialog admin;
        admin.show();
        QVERIFY(QTest::qWaitForWindowExposed(&admin));

        // With no help file the window opens empty; the save after it writes six bytes.
        whenModalOpens([&](QWidget *modal) {
            QVERIFY(qobject_cast<SmeltworkHelpDialog *>(modal));
            QCOMPARE(modal->parentWidget(), &admin);
            QCOMPARE(qobject_cast<SmeltworkHelpDialog *>(modal)->HeaderList->topLevelItemCount(),
                     0);
            QTest::mouseClick(qobject_cast<SmeltworkHelpDialog *>(modal)->CloseBtn, Qt::LeftButton);
        });
        QTest::mouseClick(admin.HelpBtn, Qt::LeftButton);
        QCOMPARE(folder.readFile("Smeltwork.hlp"), QByteArray::fromHex("E9A7143D0000"));

        // A topic added in the next run is in the file however the window is left.
        whenModalOpens([&](QWidget *modal) {
            auto *help = qobject_cast<SmeltworkHelpDialog *>(modal);
            QVERIFY(help);
            whenModalOpens([](QWidget *topic) {
                auto *dialog = qobject_cast<SmeltworkTopicDialog *>(topic);
                QTest::keyClicks(dialog->HeaderEdit, QStringLiteral("Intro"));
                QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
            });
            QTest::mouseClick(help->AddBtn, Qt::LeftButton);
            if (how == QLatin1String("Escape"))
                QTest::keyClick(help->HeaderList, Qt::Key_Escape);
            else if (how == QLatin1String("close"))
                help->close();
            else
                QTest::mouseClick(help->CloseBtn, Qt::LeftButton);
        });
        trace.clear();
        QTest::mouseClick(admin.HelpBtn, Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &admin);
        QCOMPARE(trace.debugLines().mid(trace.debugLines().size() - 2),
                 QStringList({"Saving help file...", "Finished saving help file"}));
    }
    QCOMPARE(folder.readFile("Smeltwork.hlp"), helpFile({{"HLP_", "Intro", QString()}}));
    QVERIFY(!folder.exists("Smeltwork.hlp.bak"));
}

void HelpWindowTest::foreignFileIsKeptAsBackup()
{
    ScratchFolder folder;
    const QByteArray dataFile = QByteArray::fromHex("2AE510A40000");
    folder.writeFile("Smeltwork.hlp", dataFile);
    TraceCapture trace;
    bool boxShown = false;
    whenModalOpens([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        boxShown = true;
        QCOMPARE(box->windowTitle(), QStringLiteral("SmeltworkAdmin"));
        QCOMPARE(box->text(), QStringLiteral("Unable to load help file: Format not recognized"));
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        QTest::mouseClick(messageBoxButton(box, QMessageBox::Ok), Qt::LeftButton);
    });
    SmeltworkHelpDialog window;
    QVERIFY(boxShown);
    QVERIFY(window.helpTopics().isEmpty());
    QCOMPARE(printed(trace).mid(0, 3), QStringList({"D: Loading help data...",
                                                    "W: BAD MAGIC NUMBER!", "D: Setting up GUI:"}));
    trace.clear();
    window.saveHelpFile();
    QCOMPARE(folder.readFile("Smeltwork.hlp.bak"), dataFile);
    QCOMPARE(folder.readFile("Smeltwork.hlp"), QByteArray::fromHex("E9A7143D0000"));
    QCOMPARE(printed(trace),
             QStringList({"W: Kept the old file as Smeltwork.hlp.bak", "D: Saving help file...",
                          "D: Finished saving help file"}));
}

void HelpWindowTest::damagedFileKeepsWhatWasComplete()
{
    ScratchFolder folder;
    const QByteArray whole = helpFile(topicsWithIds({"1", "1.1", "2"}));
    const QByteArray damaged = whole.chopped(3);
    folder.writeFile("Smeltwork.hlp", damaged);
    TraceCapture trace;
    QString boxText;
    whenModalOpens([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("SmeltworkAdmin"));
        boxText = box->text();
        QTest::mouseClick(messageBoxButton(box, QMessageBox::Ok), Qt::LeftButton);
    });
    SmeltworkHelpDialog window;
    QVERIFY2(boxText.contains(QLatin1String("Recovered 2 topics")), qPrintable(boxText));
    QCOMPARE(shape(window.HeaderList), QStringLiteral("1(1.1)"));
    const QStringList warnings = printed(trace).filter(QRegularExpression("^W: "));
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().startsWith(QLatin1String("W: Help file damaged at byte ")));

    window.saveHelpFile();
    QCOMPARE(folder.readFile("Smeltwork.hlp.bak"), damaged);
    QCOMPARE(folder.readFile("Smeltwork.hlp"), helpFile(topicsWithIds({"1", "1.1"})));
}

void HelpWindowTest::aTopicTooManyIsRefused()
{
    ScratchFolder folder;
    const HelpTopics full(MaxHelpTopics, HelpTopic{"1", "x", QString()});
    folder.writeFile("Smeltwork.hlp", helpFile(full));
    // 65,535 topics print two lines each; the trace is switched off for the load.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    ShownHelp help;
    QLoggingCategory::setFilterRules(QString());
    SmeltworkHelpDialog &window = help.window;
    QVERIFY(help.exposed());
    QCOMPARE(window.HeaderList->topLevelItemCount(), int(MaxHelpTopics));

    QString boxText;
    whenModalOpens([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("SmeltworkAdmin"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        boxText = box->text();
        QTest::mouseClick(messageBoxButton(box, QMessageBox::Ok), Qt::LeftButton);
    });
    QTest::mouseClick(window.AddBtn, Qt::LeftButton);
    QVERIFY2(boxText.contains(QLatin1String("65535")), qPrintable(boxText));
    QCOMPARE(window.helpTopics().size(), MaxHelpTopics);
}

QTEST_MAIN(HelpWindowTest)
#include "tst_helpwindow.moc"
