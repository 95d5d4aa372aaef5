#include "app/adminwindow.h"

#include "app/findwindow.h"
#include "app/namecombo.h"
#include "app/reqrow.h"
#include "data/find.h"
#include "data/folderlock.h"
#include "dialogs/dialogkit.h"
#include "dialogs/fileboxes.h"
#include "dialogs/messagebox.h"
#include "dialogs/problemswindow.h"
#include "dialogs/wholetext.h"
#include "help/helpwindow.h"
#include "platform/processhooks.h"
#include "resources/appicon.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Fusion, except that a combo box drops its list below itself instead of laying it over
// the box: for the overlay Qt measures every entry each time the list opens, to make it as
// wide as the widest one, which took a third of a second with 65,535 groups.
class AdminStyle : public QProxyStyle
{
public:
    AdminStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Adds rows to a sorted requirement list in one go. With sorting on, Qt inserts a list of
// rows one row at a time; with it off, all together, and switching it on sorts them once.
// Switching it on also makes the header clickable again, which these lists are not.
void addSortedRows(QTreeWidget *list, const QList<QTreeWidgetItem *> &rows)
{
    list->setSortingEnabled(false);
    list->addTopLevelItems(rows);
    list->setSortingEnabled(true);
    list->header()->setSectionsClickable(false);
}

// The widest name and multiplier of one requirement list, measured as the rows are made.
class ColumnWidths
{
public:
    explicit ColumnWidths(const QTreeWidget *list)
        : m_name(list->font()), m_multiplier(list->font())
    {}

    void add(const Req &req)
    {
        m_name.add(req.name);
        m_multiplier.add(req.multiplier);
    }

    // Makes both columns as wide as their widest text and its margins, and their header; the
    // first column also holds the space of the tree's root decoration.
    void apply(QTreeWidget *list) const
    {
        const int margins = textMargins(list);
        const int indent = list->rootIsDecorated() ? list->indentation() : 0;
        QHeaderView *header = list->header();
        header->resizeSection(NameColumn, std::max(header->sectionSizeHint(NameColumn),
                                                   m_name.width() + margins + indent));
        header->resizeSection(MultiplierColumn, std::max(header->sectionSizeHint(MultiplierColumn),
                                                         m_multiplier.width() + margins));
    }

private:
    WidestText m_name;
    WidestText m_multiplier;
};

} // namespace

SmeltworkAdminDialogBase::SmeltworkAdminDialogBase(QWidget *parent, const char *name, bool modal,
                                                   Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setUpDialog(this, modal, name, "SmeltworkAdminDialogBase", 450, 400, tr("Smeltwork - Admin"));
    setWindowIcon(applicationIcon());
    QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    policy.setHeightForWidth(sizePolicy().hasHeightForWidth());
    setSizePolicy(policy);

    loadData();
    if (ProcessHooks *hooks = ProcessHooks::instance())
        connect(hooks, &ProcessHooks::exiting, &m_document, &DocumentBase::writePendingRecovery);
    buildWidgets();
    connectSignals();
    addShortcuts();
    addRecordKeys();
    ProcGroupList->setFocus();
    fillGroupList();
    SmeltworkAdminDialogBase::selectAction(0);
}

void SmeltworkAdminDialogBase::buildWidgets()
{
    MainLayout = makeLayout<QVBoxLayout>(4, 6, this);

    GroupRowLayout = buildListRow(ProcGroupLabel, "ProcGroupLabel", tr("&Groups:"), ProcGroupList,
                                  "ProcGroupList", SortGrpBtn, "SortGrpBtn");
    ProcessRowLayout = buildListRow(ProcessLabel, "ProcessLabel", tr("&Product:"), ProcessList,
                                    "ProcessList", SortProcBtn, "SortProcBtn");
    buildRequirementTabs();
    buildActionBox();

    ButtonRowLayout = makeLayout<QHBoxLayout>(6, 0);
    HelpBtn = makeButton(this, "HelpBtn", tr("Edit &help"));
    ExitBtn = makeButton(this, "ExitBtn", tr("E&xit"));
    ExitBtn->setAutoDefault(true);
    ExitBtn->setDefault(true); // made default last, so Exit, not Add, answers Return
    ButtonRowLayout->addWidget(HelpBtn);
    ButtonRowLayout->addItem(makeExpandingSpacer());
    ButtonRowLayout->addWidget(ExitBtn);
    MainLayout->addLayout(ButtonRowLayout);

    ProcGroupLabel->setBuddy(ProcGroupList);
    ProcessLabel->setBuddy(ProcessList);
    // The labels take the room their texts need, the same for both so that the boxes line
    // up; the boxes take the rest.
    const int labels =
        std::max(ProcGroupLabel->sizeHint().width(), ProcessLabel->sizeHint().width());
    for (QLabel *label : {ProcGroupLabel, ProcessLabel}) {
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        label->setMinimumWidth(labels);
    }
}

QHBoxLayout *SmeltworkAdminDialogBase::buildListRow(QLabel *&label, const char *labelName,
                                                    const QString &text, QComboBox *&combo,
                                                    const char *comboName, QPushButton *&sort,
                                                    const char *sortName)
{
    auto *row = makeLayout<QHBoxLayout>(6, 0);
    label = makeLabel(this, labelName, text);
    combo = new NameCombo(this);
    combo->setObjectName(QString::fromLatin1(comboName));
    combo->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    sort = makeButton(this, sortName, tr("Sort"));
    sort->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    row->addWidget(label);
    row->addWidget(combo);
    row->addWidget(sort);
    MainLayout->addLayout(row);
    return row;
}

QTreeWidget *SmeltworkAdminDialogBase::makeRequirementList(QWidget *page, const char *name)
{
    // Sized to their widest text by each refill (fitColumns): Qt's own sizing to contents
    // measures only some of the rows, and does it again at every layout.
    QTreeWidget *list = makeIndexedList(page, name, {tr("Name"), tr("Multiplier"), {}, {}}, 2,
                                        QHeaderView::Fixed, NameColumn);
    list->setRootIsDecorated(true);
    // Switching sorting on made the header clickable again; a click would re-sort the rows
    // by another column.
    list->header()->setSectionsClickable(false);
    showCutTextsAsTips(list);
    return list;
}

QTreeWidget *SmeltworkAdminDialogBase::addRequirementPage(QWidget *&page, const char *pageName,
                                                          QVBoxLayout *&layout,
                                                          const char *listName,
                                                          const QString &label)
{
    page = makeNamed<QWidget>(ReqControl, pageName);
    layout = makeLayout<QVBoxLayout>(6, 4, page);
    QTreeWidget *list = makeRequirementList(page, listName);
    layout->addWidget(list);
    ReqControl->insertTab(ReqControl->count(), page, label);
    return list;
}

void SmeltworkAdminDialogBase::buildRequirementTabs()
{
    ReqControl = makeNamed<QTabWidget>(this, "ReqControl");
    ItemsList = addRequirementPage(tab, "tab", ItemsTabLayout, "ItemsList", tr("&Items/Tools"));
    SkillsList = addRequirementPage(tab_2, "tab_2", SkillsTabLayout, "SkillsList", tr("S&kills"));
    ReqControl->setCurrentIndex(0);
    MainLayout->addWidget(ReqControl);
}

void SmeltworkAdminDialogBase::buildActionBox()
{
    ActionBoxLayout = makeTitledRow(this, "ActionBox", tr("Actions"), ActionBox);

    ActionList = makeNamed<QComboBox>(ActionBox, "ActionList");
    ActionList->addItems({tr("Add"), tr("Delete"), tr("Edit")});
    TypeList = makeNamed<QComboBox>(ActionBox, "TypeList");
    TypeList->addItems({tr("Process Group"), tr("Process"), tr("Item/Tool"), tr("Skill")});
    ActionBtn = makeButton(ActionBox, "ActionBtn", tr("Add"));
    ActionBtn->setDefault(true);
    ActionBoxLayout->addWidget(ActionList);
    ActionBoxLayout->addWidget(TypeList);
    ActionBoxLayout->addWidget(ActionBtn);
    MainLayout->addWidget(ActionBox);
}

void SmeltworkAdminDialogBase::connectSignals()
{
    using Self = SmeltworkAdminDialogBase;
    connect(ExitBtn, &QPushButton::clicked, this, &Self::accept);
    connect(HelpBtn, &QPushButton::clicked, this, &Self::editHelp);
    connect(ProcGroupList, &QComboBox::activated, this, &Self::selectProcGrp);
    connect(ProcessList, &QComboBox::activated, this, &Self::selectProc);
    connect(SortGrpBtn, &QPushButton::clicked, this, &Self::sortProcGrpList);
    connect(SortProcBtn, &QPushButton::clicked, this, &Self::sortProcList);
    connect(ActionList, &QComboBox::activated, this, &Self::selectAction);
    connect(ActionBtn, &QPushButton::clicked, this, &Self::doAction);
    connect(&m_document, &DocumentBase::diskChanged, this, &Self::followDisk);
}

void SmeltworkAdminDialogBase::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QMetaObject::invokeMethod(this, &SmeltworkAdminDialogBase::followDisk,
                                  Qt::QueuedConnection);
}

void SmeltworkAdminDialogBase::followDisk()
{
    // Nothing changes the tree while a dialog of the window is open, so positions read before
    // it ran stay valid after it; the window looks again when it is active once more.
    if (QApplication::activeModalWidget() != this)
        return;
    const QString group = ProcGroupList->currentText(), process = ProcessList->currentText();
    if (!SmeltworkFileBoxes::followDisk(this, m_document))
        return;
    fillGroupNames();
    showRecord({std::max(0, ProcGroupList->findText(group)), -1});
    if (const int p = ProcessList->findText(process); p > 0)
        showRecord({currentGroup(), p});
}

void SmeltworkAdminDialogBase::addShortcuts()
{
    addWindowKeys(
        this,
        QList<WindowKey>{
            {tr("Find"), findKeys(), [this] { showFind(); }},
            {tr("Replace"), {QKeySequence(Qt::CTRL | Qt::Key_H)}, [this] { showReplace(); }},
            {tr("Problems"), problemsKeys(), [this] { showProblems(); }}} +
            documentKeys([this] { showChange(m_document.undo()); },
                         [this] { showChange(m_document.redo()); }, [this] { saveData(); }));
}

void SmeltworkAdminDialogBase::addRecordKeys()
{
    // Insert on a requirement list adds to the tab's kind, whatever row is current.
    for (int kind = GroupKind; kind < KindCount; ++kind)
        addRecordActions(
            listOf(kind), [this, kind] { actDirectly(AddAction, kind); },
            [this, kind] { actDirectly(EditAction, kind); },
            [this, kind] { actDirectly(DeleteAction, kind); },
            {{tr("D&uplicate"),
              {QKeySequence(Qt::CTRL | Qt::Key_D)},
              [this, kind] { duplicate(kind); }},
             {tr("Cu&t"), {QKeySequence(Qt::CTRL | Qt::Key_X)}, [this, kind] { cut(kind); }},
             {tr("&Copy"), {QKeySequence(Qt::CTRL | Qt::Key_C)}, [this, kind] { copy(kind); }},
             {tr("&Paste"), {QKeySequence(Qt::CTRL | Qt::Key_V)}, [this, kind] { paste(kind); }}});
}

void SmeltworkAdminDialogBase::loadData()
{
    SmeltworkFileBoxes::load(this, m_document, [](const FileReport &report) {
        return SmeltworkFileBoxes::Texts{
            tr("Unable to load data file: Format not recognized"),
            tr("The data file is damaged: it ends early or holds impossible lengths.\n"
               "Recovered %1, %2 and %3; the rest could not be read.")
                .arg(tr("%n process group(s)", nullptr, report.groups),
                     tr("%n process(es)", nullptr, report.procs),
                     tr("%n item(s)/tool(s) and skill(s)", nullptr, report.reqs))};
    });
}

bool SmeltworkAdminDialogBase::saveData()
{
    return SmeltworkFileBoxes::saveUntilDone(this, m_document);
}

int SmeltworkAdminDialogBase::currentGroup() const
{
    const int g = ProcGroupList->currentIndex();
    return g >= 0 && g < groups.size() ? g : -1;
}

int SmeltworkAdminDialogBase::currentProc() const
{
    const int g = currentGroup();
    const int p = ProcessList->currentIndex();
    return g >= 0 && p >= 0 && p < groups.at(g).procs.size() ? p : -1;
}

void SmeltworkAdminDialogBase::fillGroupList()
{
    fillGroupNames();
    fillProcessList();
}

void SmeltworkAdminDialogBase::fillGroupNames()
{
    QStringList names;
    names.reserve(groups.size());
    for (const ProcGroup &group : std::as_const(groups))
        names.append(group.name);
    static_cast<NameCombo *>(ProcGroupList)->setEntries(names);
}

void SmeltworkAdminDialogBase::fillProcessList()
{
    QStringList names;
    const int g = currentGroup();
    if (g >= 0) {
        const QList<Proc> &procs = groups.at(g).procs;
        names.reserve(procs.size());
        for (const Proc &proc : procs)
            names.append(proc.name);
    }
    static_cast<NameCombo *>(ProcessList)->setEntries(names);
    SortProcBtn->setEnabled(names.size() > 1);
    fillReqLists();
}

void SmeltworkAdminDialogBase::fillReqLists()
{
    ItemsList->clear();
    SkillsList->clear();
    QList<QTreeWidgetItem *> items;
    QList<QTreeWidgetItem *> skills;
    ColumnWidths itemWidths(ItemsList), skillWidths(SkillsList);
    if (const int p = currentProc(); p >= 0) {
        const QList<Req> &reqs = groups.at(currentGroup()).procs.at(p).reqs;
        for (int k = 0; k < reqs.size(); ++k) {
            const bool item = reqs.at(k).type == 0;
            (item ? items : skills).append(new ReqRow(reqs.at(k), k));
            (item ? itemWidths : skillWidths).add(reqs.at(k));
        }
    }
    addSortedRows(ItemsList, items);
    addSortedRows(SkillsList, skills);
    itemWidths.apply(ItemsList);
    skillWidths.apply(SkillsList);
}

void SmeltworkAdminDialogBase::showRecord(const RecordPath &path)
{
    const auto within = [](int at, qsizetype size) {
        return size > 0 ? std::clamp(at, 0, int(size) - 1) : -1;
    };
    ProcGroupList->setCurrentIndex(within(path.group, groups.size()));
    fillProcessList();
    const int g = currentGroup();
    if (g < 0 || path.proc < 0)
        return;
    const int p = within(path.proc, groups.at(g).procs.size());
    if (p != ProcessList->currentIndex()) {
        ProcessList->setCurrentIndex(p);
        fillReqLists();
    }
    if (p >= 0 && path.req >= 0 && path.req < groups.at(g).procs.at(p).reqs.size())
        selectReqRow(path.req);
}

void SmeltworkAdminDialogBase::selectReqRow(int k)
{
    const Req &req = groups.at(currentGroup()).procs.at(currentProc()).reqs.at(k);
    QTreeWidget *list = req.type == 0 ? ItemsList : SkillsList;
    ReqControl->setCurrentWidget(req.type == 0 ? tab : tab_2);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = list->topLevelItem(row);
        if (reqPosition(item) == k) {
            list->setCurrentItem(item);
            list->scrollToItem(item);
            return;
        }
    }
}

void SmeltworkAdminDialogBase::showFind()
{
    openFind(false);
}

void SmeltworkAdminDialogBase::showReplace()
{
    openFind(true);
}

void SmeltworkAdminDialogBase::openFind(bool replacing)
{
    using Self = SmeltworkAdminDialogBase;
    if (!m_find) {
        m_find = new SmeltworkFindWindow(this);
        placeBeside(m_find, this);
        connect(m_find, &SmeltworkFindWindow::showRequested, this, &Self::showFound);
        connect(m_find, &SmeltworkFindWindow::replaceRequested, this, &Self::replaceEverywhere);
        connect(&m_document, &DocumentBase::changed, m_find, [this] { m_find->setTree(groups); });
    }
    m_find->setReplacing(replacing);
    m_find->show();
    m_find->setTree(groups); // a hidden window does not search
    m_find->raise();
    m_find->activateWindow();
    m_find->FindEdit->setFocus();
    m_find->FindEdit->selectAll();
}

void SmeltworkAdminDialogBase::replaceEverywhere(const QString &text, const QString &replacement,
                                                 bool wholeName)
{
    CraftingData replaced = groups;
    const int names = replaceInNames(replaced, text, replacement, wholeName);
    if (names == 0 ||
        SmeltworkMessageBox::question(
            m_find,
            tr("Replace \"%1\" with \"%2\" in %n name(s)?", nullptr, names).arg(text, replacement),
            SmeltworkMessageBox::Buttons(SmeltworkMessageBox::Yes) | SmeltworkMessageBox::No,
            SmeltworkMessageBox::No) != SmeltworkMessageBox::Yes)
        return;
    const RecordPath current{currentGroup(), currentProc()};
    m_document.edit({}, [&replaced](CraftingData &d) { d = replaced; });
    fillGroupNames();
    showRecord(current);
}

void SmeltworkAdminDialogBase::showProblems()
{
    SmeltworkProblemsWindow::open(
        m_problems, this, m_document, [this] { return SmeltFile(groups); },
        [this](const CheckProblem &problem) { showFound(problem.record); });
}

void SmeltworkAdminDialogBase::showFound(const RecordPath &path)
{
    showRecord(path);
    // Ready to act on what was found: the action box names its kind, and its list has the
    // focus in this window, which takes over from the find window.
    const RecordsAt at = recordsAt(groups, path);
    if (!at.group)
        return;
    const int kind = at.req    ? (at.req->type == 0 ? ItemKind : SkillKind)
                     : at.proc ? ProcessKind
                               : GroupKind;
    TypeList->setCurrentIndex(kind);
    activateWindow();
    listOf(kind)->setFocus();
}

QWidget *SmeltworkAdminDialogBase::listOf(int kind) const
{
    QWidget *const lists[KindCount] = {ProcGroupList, ProcessList, ItemsList, SkillsList};
    return lists[kind];
}

void SmeltworkAdminDialogBase::selectProcGrp(int)
{
    fillProcessList();
    selectAction(currentAction);
}

void SmeltworkAdminDialogBase::selectProc(int)
{
    fillReqLists();
    selectAction(currentAction);
}

void SmeltworkAdminDialogBase::selectAction(int index)
{
    currentAction = index;
    ActionBtn->setText(ActionList->currentText());
}

void SmeltworkAdminDialogBase::editHelp()
{
    SmeltworkHelpDialog help(this, nullptr, true, smeltworkWindowFlags());
    help.exec();
    // However the help window was left, the topics it holds are written back.
    help.saveHelpFile();
}

SmeltworkAdminDialog::SmeltworkAdminDialog(QWidget *parent, const char *name, bool modal,
                                           Qt::WindowFlags fl)
    : SmeltworkAdminDialogBase(parent, name, modal, fl)
{
    // Set only now, so the window and the data are in place before the look changes.
    QApplication::setStyle(new AdminStyle);
}

int refuseSecondWindow(const FolderLock &lock)
{
    qint64 pid = 0;
    QString host;
    const QString who =
        lock.holder(&pid, &host)
            ? SmeltworkAdminDialogBase::tr(" (process %1 on host %2)").arg(pid).arg(host)
            : QString();
    SmeltworkMessageBox::warning(
        nullptr,
        SmeltworkAdminDialogBase::tr("%1 is already open in another window%2.")
            .arg(craftingFilePath(), who),
        SmeltworkMessageBox::Ok, SmeltworkMessageBox::Ok,
        SmeltworkAdminDialogBase::tr("Close it there first. This window does not open, and "
                                     "nothing is changed."));
    return 1;
}

namespace {

// Goes on closing the windows once `dialog` has been left.
void closeAfter(QDialog *dialog)
{
    QObject::connect(
        dialog, &QDialog::finished, qApp, [] { QTimer::singleShot(0, qApp, &closeOpenWindows); },
        Qt::SingleShotConnection);
}

} // namespace

void closeOpenWindows()
{
    // A request that comes while a window asks its question (the body editor, about typed
    // text) is the one being answered: asking again would stack a second question.
    static bool closing = false;
    if (closing)
        return;
    closing = true;
    const auto done = qScopeGuard([] { closing = false; });
    // Each window taken off the top uncovers the one below; a window that would not close
    // must not keep this going for ever.
    for (int left = 32; left > 0; --left) {
        QWidget *window = QApplication::activeModalWidget();
        if (!window)
            return;
        auto *dialog = qobject_cast<QDialog *>(window);
        // A box about changes that could be lost waits for the user's answer; the windows
        // below it close after that.
        if (dialog && SmeltworkMessageBox::mustAnswer(window))
            return closeAfter(dialog);
        if (!dialog) {
            window->close();
            continue;
        }
        dialog->reject();
        // The user chose to keep editing: the program ends once they leave the window, by
        // saving or by giving the text up.
        if (dialog->isVisible())
            return closeAfter(dialog);
    }
}
