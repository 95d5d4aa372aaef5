#include "help/helpwindow.h"

#include "data/editing.h"
#include "data/trace.h"
#include "dialogs/dialogkit.h"
#include "dialogs/fileboxes.h"
#include "dialogs/messagebox.h"
#include "dialogs/problemswindow.h"
#include "dialogs/wholetext.h"
#include "help/editor.h"
#include "help/topicdialog.h"
#include "platform/processhooks.h"
#include "resources/appicon.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

enum TopicColumn { TitleColumn, IdColumn, IndexColumn };

// Ids sort by their characters' codes, not by the locale and not as numbers: "10" comes
// before "2" and capitals before small letters, as the planner lists them. The hidden column
// shows the topic's index; the item keeps it as a number too.
class TopicItem : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 2;

    TopicItem(const HelpTopic &topic, int index)
        : QTreeWidgetItem({topic.header, topic.id, QString::number(index)}, Type), m_index(index)
    {}

    int index() const { return m_index; }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : IdColumn;
        return text(column) < other.text(column);
    }

private:
    int m_index;
};

// The body view grows into whatever width the topic list leaves; it asks for little of its
// own, so the list can show both its columns.
class BodyBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;
    QSize sizeHint() const override { return {160, 192}; }
};

} // namespace

SmeltworkHelpDialog::SmeltworkHelpDialog(QWidget *parent, const char *name, bool modal,
                                         Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setUpDialog(this, modal, name, "SmeltworkHelpDialog", 450, 400, tr("SmeltworkAdmin"));
    setWindowIcon(applicationIcon());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    traceLine("Loading help data...");
    loadHelpFile();
    if (ProcessHooks *hooks = ProcessHooks::instance())
        connect(hooks, &ProcessHooks::exiting, &m_document, &DocumentBase::writePendingRecovery);
    traceLine("Setting up GUI:");
    buildWidgets();
    traceLine("Connecting signals");
    connectSignals();
    addShortcuts();
    fillTopicList();
}

void SmeltworkHelpDialog::buildWidgets()
{
    traceLine(" * TopLevel layout");
    HelpDialogLayout = makeLayout<QVBoxLayout>(6, 8, this);

    traceLine("   + HBoxLayout");
    UpperRowLayout = makeLayout<QHBoxLayout>(0, 0);

    traceLine("     + VBoxLayout");
    TopicColumnLayout = makeLayout<QVBoxLayout>(0, 0);
    buildTopicList();
    UpperRowLayout->addLayout(TopicColumnLayout);
    buildBodyView();
    HelpDialogLayout->addLayout(UpperRowLayout, 0);

    buildActionGroup();
    buildBottomRow();
}

void SmeltworkHelpDialog::buildTopicList()
{
    traceLine("       + HeaderLabel");
    HeaderLabel = makeLabel(this, "HeaderLabel", tr("Help Topics:"));
    HeaderLabel->setFrameShape(QFrame::Panel);
    HeaderLabel->setFrameShadow(QFrame::Raised);
    TopicColumnLayout->addWidget(HeaderLabel);

    traceLine("       + HeaderList");
    // The index maps an item back to its topic; the user never sees it.
    HeaderList = makeIndexedList(this, "HeaderList", {tr("Title"), tr("ID"), tr("index")}, 1,
                                 QHeaderView::ResizeToContents, IdColumn);
    HeaderList->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    HeaderList->setLineWidth(1);
    HeaderList->setHeaderHidden(true);
    HeaderList->setSelectionMode(QAbstractItemView::SingleSelection);
    // Asks for the width of its columns, so both stay in view when the window has room.
    HeaderList->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    showCutTextsAsTips(HeaderList);
    TopicColumnLayout->addWidget(HeaderList);
}

void SmeltworkHelpDialog::buildBodyView()
{
    traceLine("     + BodyFrame");
    BodyFrame = makeNamed<QFrame>(this, "BodyFrame");
    BodyFrame->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Preferred);
    BodyFrame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    BodyFrameLayout = makeLayout<QHBoxLayout>(6, 4, BodyFrame);

    traceLine("       + BodyView");
    BodyView = makeNamed<BodyBrowser>(BodyFrame, "BodyView");
    BodyView->setLineWidth(1);
    // A view of the body only: a link in it is text, not a way to another page.
    BodyView->setOpenLinks(false);
    BodyFrameLayout->addWidget(BodyView);
    UpperRowLayout->addWidget(BodyFrame);
}

void SmeltworkHelpDialog::buildActionGroup()
{
    traceLine("   + ActionGroup");
    ActionGroupLayout = makeTitledRow(this, "ActionGroup", tr("Actions"), ActionGroup);
    const auto addButton = [this](const char *name, const QString &text) {
        traceLine("     + %s", name);
        QPushButton *button = makeButton(ActionGroup, name, text);
        ActionGroupLayout->addWidget(button, 0);
        return button;
    };
    AddBtn = addButton("AddBtn", tr("Add Topic"));
    EditBtn = addButton("EditBtn", tr("Edit Topic"));
    DelBtn = addButton("DelBtn", tr("Delete Topic"));
    EditorBtn = addButton("EditorBtn", tr("Open Editor"));
    HelpDialogLayout->addWidget(ActionGroup, 0);
}

void SmeltworkHelpDialog::buildBottomRow()
{
    traceLine("   + HBoxLayout");
    BottomRowLayout = makeLayout<QHBoxLayout>(6, 0);
    BottomRowLayout->addItem(makeExpandingSpacer());

    traceLine("     + CloseBtnBtn");
    CloseBtn = makeButton(this, "CloseBtn", tr("&Close"));
    CloseBtn->setAutoDefault(true);
    CloseBtn->setDefault(true);
    BottomRowLayout->addWidget(CloseBtn);
    HelpDialogLayout->addLayout(BottomRowLayout, 0);
}

void SmeltworkHelpDialog::connectSignals()
{
    using Self = SmeltworkHelpDialog;
    connect(CloseBtn, &QPushButton::clicked, this, &Self::accept);
    connect(HeaderList, &QTreeWidget::itemSelectionChanged, this, &Self::topicSelected);
    connect(AddBtn, &QPushButton::clicked, this, &Self::addTopic);
    connect(EditBtn, &QPushButton::clicked, this, &Self::editTopic);
    connect(DelBtn, &QPushButton::clicked, this, &Self::deleteTopic);
    connect(EditorBtn, &QPushButton::clicked, this, &Self::editBody);
    connect(&m_document, &DocumentBase::diskChanged, this, &Self::followDisk);
}

void SmeltworkHelpDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QMetaObject::invokeMethod(this, &SmeltworkHelpDialog::followDisk, Qt::QueuedConnection);
}

void SmeltworkHelpDialog::followDisk()
{
    // As in the administration window: never under one of the window's dialogs.
    if (QApplication::activeModalWidget() != this)
        return;
    const int selected = selectedTopic();
    const QString id = selected >= 0 ? topics.at(selected).id : QString();
    if (!SmeltworkFileBoxes::followDisk(this, m_document))
        return;
    int index = -1;
    for (int i = 0; i < topics.size() && index < 0 && selected >= 0; ++i)
        index = topics.at(i).id == id ? i : -1;
    showChange(index);
}

void SmeltworkHelpDialog::addShortcuts()
{
    addWindowKeys(this,
                  QList<WindowKey>{{tr("Problems"), problemsKeys(), [this] { showProblems(); }}} +
                      documentKeys([this] { showChange(m_document.undo()); },
                                   [this] { showChange(m_document.redo()); },
                                   [this] { saveHelpFile(); }));
    // The keys and the context menu of the list run the buttons' slots; then the topic they
    // touched (the new one, or the one after a deleted one) is current, and the list keeps
    // the focus.
    const auto showTopic = [this](int index) {
        if (QTreeWidgetItem *item = itemOfTopic(std::min(index, int(topics.size()) - 1)))
            HeaderList->setCurrentItem(item);
        HeaderList->setFocus();
    };
    addRecordActions(
        HeaderList,
        [this, showTopic] {
            const qsizetype before = topics.size();
            addTopic();
            if (topics.size() > before)
                showTopic(int(before));
        },
        [this] {
            editTopic();
            HeaderList->setFocus();
        },
        [this, showTopic] {
            const int index = selectedTopic();
            const qsizetype before = topics.size();
            deleteTopic();
            if (topics.size() < before)
                showTopic(index);
        });
}

void SmeltworkHelpDialog::loadHelpFile()
{
    SmeltworkFileBoxes::load(this, m_document, [](const FileReport &report) {
        return SmeltworkFileBoxes::Texts{
            tr("Unable to load help file: Format not recognized"),
            tr("The help file is damaged: it ends early or holds impossible lengths.\n"
               "Recovered %n topic(s); the rest could not be read.",
               nullptr, report.topics)};
    });
}

bool SmeltworkHelpDialog::saveHelpFile()
{
    return SmeltworkFileBoxes::saveUntilDone(this, m_document);
}

void SmeltworkHelpDialog::fillTopicList(bool traced)
{
    // Inserting into a sorting view re-sorts later, item by item; sort once at the end.
    HeaderList->setSortingEnabled(false);
    HeaderList->clear();
    const QList<int> parents = topicParents(topics, traced);
    m_items.clear();
    m_items.reserve(topics.size());
    QList<QTreeWidgetItem *> topLevel;
    for (int i = 0; i < topics.size(); ++i) {
        auto *item = new TopicItem(topics.at(i), i);
        m_items.append(item);
        if (parents.at(i) < 0)
            topLevel.append(item);
        else
            m_items.at(parents.at(i))->addChild(item);
    }
    HeaderList->addTopLevelItems(topLevel);
    for (QTreeWidgetItem *item : std::as_const(topLevel))
        item->setExpanded(item->childCount() > 0);
    HeaderList->setSortingEnabled(true);
}

int SmeltworkHelpDialog::selectedTopic() const
{
    const QList<QTreeWidgetItem *> selected = HeaderList->selectedItems();
    if (selected.isEmpty() || selected.first()->type() != TopicItem::Type)
        return -1;
    const int index = static_cast<const TopicItem *>(selected.first())->index();
    return index < topics.size() ? index : -1;
}

QTreeWidgetItem *SmeltworkHelpDialog::itemOfTopic(int index) const
{
    return m_items.value(index);
}

void SmeltworkHelpDialog::topicSelected()
{
    const int index = selectedTopic();
    if (index < 0)
        return;
    traceLine("Topic selected: #%d", index);
    BodyView->setHtml(topics.at(index).body);
}

bool SmeltworkHelpDialog::refusedAsFull(EditResult result)
{
    // The file counts topics in 16 bits; one more could not be saved.
    if (result != EditResult::ListFull)
        return false;
    SmeltworkMessageBox::warning(this, tr("The help file cannot hold more than %n topic(s).\n"
                                          "Delete a topic before adding another one.",
                                          nullptr, int(MaxHelpTopics)));
    return true;
}

void SmeltworkHelpDialog::showProblems()
{
    SmeltworkProblemsWindow::open(
        m_problems, this, m_document, [this] { return SmeltFile(topics); },
        [this](const CheckProblem &problem) {
            if (QTreeWidgetItem *item = itemOfTopic(problem.topic))
                HeaderList->setCurrentItem(item);
        });
}

void SmeltworkHelpDialog::addTopic()
{
    if (refusedAsFull(roomFor(topics.size())))
        return;
    SmeltworkTopicDialog dialog(this, nullptr, true, smeltworkWindowFlags());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const HelpTopic topic = newTopic({dialog.IDEdit->text(), dialog.HeaderEdit->text()});
    refusedAsFull(m_document.edit(int(topics.size()),
                                  [&topic](HelpTopics &t) { return appendTopic(t, topic); }));
    fillTopicList();
}

void SmeltworkHelpDialog::editTopic()
{
    const int index = selectedTopic();
    if (index < 0)
        return;
    traceLine("Editing Topic: #%d", index);
    SmeltworkTopicDialog dialog(this, nullptr, true, smeltworkWindowFlags());
    dialog.IDEdit->setText(topics.at(index).id);
    dialog.HeaderEdit->setText(topics.at(index).header);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TopicFields fields{dialog.IDEdit->text(), dialog.HeaderEdit->text()};
    m_document.edit(index, [index, &fields](HelpTopics &t) { ::editTopic(t[index], fields); });
    fillTopicList();
    if (QTreeWidgetItem *item = itemOfTopic(index))
        HeaderList->setCurrentItem(item);
}

void SmeltworkHelpDialog::deleteTopic()
{
    const int index = selectedTopic();
    if (index < 0)
        return;
    traceLine("Deleting Topic: #%d", index);
    const HelpTopic &topic = topics.at(index);
    // One pass over both arguments, so a "%2" in the header stays as it is.
    const QString question =
        tr("Really delete help topic \"%1\" (%2)?").arg(topic.header, topic.id);
    const auto answer = SmeltworkMessageBox::warning(
        this, question, SmeltworkMessageBox::Yes | SmeltworkMessageBox::No,
        SmeltworkMessageBox::No);
    if (answer != SmeltworkMessageBox::Yes)
        return;
    m_document.edit(index, [index](HelpTopics &t) { t.removeAt(index); });
    fillTopicList();
}

void SmeltworkHelpDialog::editBody()
{
    const int index = selectedTopic();
    if (index < 0)
        return;
    traceLine("Editing Body: #%d", index);
    QTreeWidgetItem *selected = HeaderList->selectedItems().constFirst();
    SmeltworkEditor editor(this, nullptr, true, smeltworkWindowFlags());
    editor.BodyEdit->setText(topics.at(index).body);
    if (editor.exec() != QDialog::Accepted)
        return;
    const QString edited = editor.BodyEdit->text();
    m_document.edit(index, [index, &edited](HelpTopics &t) {
        t[index].body = editedBody(t.at(index).body, edited);
    });
    HeaderList->setCurrentItem(selected);
}

// Shows the topics as they were, with the changed one (or its neighbour, when it is gone)
// selected and its body in view; without the trace that a refill or a selection prints.
void SmeltworkHelpDialog::showChange(const std::optional<int> &touched)
{
    if (!touched)
        return;
    fillTopicList(false);
    const int index = std::min(*touched, int(topics.size()) - 1);
    if (QTreeWidgetItem *item = itemOfTopic(index)) {
        const QSignalBlocker quiet(HeaderList);
        HeaderList->setCurrentItem(item);
        BodyView->setHtml(topics.at(index).body);
    } else {
        BodyView->clear();
    }
}
