#include "app/findwindow.h"

#include "dialogs/dialogkit.h"
#include "dialogs/wholetext.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

enum FoundColumn { FoundRecordColumn, FoundMultiplierColumn, FoundKindColumn, FoundColumnCount };

} // namespace

// The matches as rows, made from the tree only when a row is painted: a keystroke that
// finds a million records costs the search and a reset, not a thousand formatted rows.
class FindModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The matches of a search of `tree`, which the rows are made from.
    void setMatches(const CraftingData &tree, const FindResult &result)
    {
        beginResetModel();
        m_tree = tree;
        m_result = result;
        endResetModel();
    }
    const FindResult &result() const { return m_result; }
    RecordPath pathAt(int row) const { return m_result.listed.value(row); }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_result.listed.size());
    }
    int columnCount(const QModelIndex &) const override { return FoundColumnCount; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case FoundRecordColumn:
            return SmeltworkFindWindow::tr("Record");
        case FoundMultiplierColumn:
            return SmeltworkFindWindow::tr("Multiplier");
        default:
            return SmeltworkFindWindow::tr("Kind");
        }
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        // The tree may have changed since the search; a row past it shows nothing.
        const RecordsAt at = recordsAt(m_tree, pathAt(index.row()));
        if (!at.group)
            return {};
        switch (index.column()) {
        case FoundRecordColumn:
            return recordText(at);
        case FoundMultiplierColumn:
            return at.req ? at.req->multiplier : QString();
        default:
            return kindText(at);
        }
    }

private:
    static QString recordText(const RecordsAt &at)
    {
        static const QString step = QStringLiteral(" \u203a ");
        QString text = at.group->name;
        if (at.proc)
            text += step + at.proc->name;
        if (at.req)
            text += step + at.req->name;
        return text;
    }

    // The kinds as the window's type list names them.
    static QString kindText(const RecordsAt &at)
    {
        if (at.req)
            return at.req->type == 0 ? SmeltworkFindWindow::tr("Item/Tool")
                                     : SmeltworkFindWindow::tr("Skill");
        return at.proc ? SmeltworkFindWindow::tr("Process")
                       : SmeltworkFindWindow::tr("Process Group");
    }

    CraftingData m_tree; // the tree searched, not the window's: it may have changed since
    FindResult m_result;
};

SmeltworkFindWindow::SmeltworkFindWindow(QWidget *parent) : QDialog(parent, smeltworkWindowFlags())
{
    setUpDialog(this, false, nullptr, "SmeltworkFindWindow", 480, 300, tr("Find - Smeltwork"));
    buildWidgets();
    connectSignals();
    m_searcher.setMaxThreadCount(1);
}

SmeltworkFindWindow::~SmeltworkFindWindow()
{
    // The search running stops at once, and none waiting starts.
    ++m_searches;
    m_searcher.clear();
    m_searcher.waitForDone();
}

void SmeltworkFindWindow::buildWidgets()
{
    m_layout = makeLayout<QVBoxLayout>(6, 8, this);

    FindEdit = makeNamed<QLineEdit>(this, "FindEdit");
    FindEdit->setPlaceholderText(tr("Name or part of a name"));
    FindEdit->setClearButtonEnabled(true);
    // Up and Down move through the matches while the cursor stays in the line.
    FindEdit->installEventFilter(this);
    m_layout->addWidget(FindEdit);

    auto *replaceRow = makeLayout<QHBoxLayout>(6, 0);
    ReplaceLabel = makeLabel(this, "ReplaceLabel", tr("Replace &with:"));
    ReplaceEdit = makeLineEdit(this, "ReplaceEdit");
    ReplaceLabel->setBuddy(ReplaceEdit);
    WholeNameBox = makeNamed<QCheckBox>(this, "WholeNameBox");
    WholeNameBox->setText(tr("Whole &name"));
    ReplaceAllBtn = makeButton(this, "ReplaceAllBtn", tr("Replace &All"));
    ReplaceAllBtn->setAutoDefault(false); // Return in the lines shows a match, as in Find
    for (QWidget *widget : QList<QWidget *>{ReplaceLabel, ReplaceEdit, WholeNameBox, ReplaceAllBtn})
        replaceRow->addWidget(widget);
    m_layout->addLayout(replaceRow);
    setReplacing(false);

    m_model = new FindModel(this);
    MatchList = makeNamed<QTreeView>(this, "MatchList");
    MatchList->setModel(m_model);
    MatchList->setRootIsDecorated(false);
    MatchList->setUniformRowHeights(true);
    // A long path keeps its group and its record in view, and shows whole as a tool tip.
    MatchList->setTextElideMode(Qt::ElideMiddle);
    showCutTextsAsTips(MatchList);
    MatchList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MatchList->setSelectionMode(QAbstractItemView::SingleSelection);
    MatchList->setSelectionBehavior(QAbstractItemView::SelectRows);
    QHeaderView *header = MatchList->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(FoundRecordColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(FoundMultiplierColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(FoundKindColumn, QHeaderView::ResizeToContents);
    // Measuring a column reads its rows from the tree; a hundred of them tell the width.
    header->setResizeContentsPrecision(100);
    m_layout->addWidget(MatchList);

    CountLabel = makeLabel(this, "CountLabel", QString());
    m_layout->addWidget(CountLabel);
}

void SmeltworkFindWindow::connectSignals()
{
    using Self = SmeltworkFindWindow;
    connect(FindEdit, &QLineEdit::textChanged, this, [this] { search(); });
    connect(WholeNameBox, &QCheckBox::toggled, this, [this] { search(); });
    connect(ReplaceEdit, &QLineEdit::returnPressed, this, &Self::showSelected);
    connect(ReplaceAllBtn, &QPushButton::clicked, this, [this] {
        if (!FindEdit->text().isEmpty())
            emit replaceRequested(FindEdit->text(), ReplaceEdit->text(), wholeNames());
    });
    connect(FindEdit, &QLineEdit::returnPressed, this, &Self::showSelected);
    connect(MatchList, &QTreeView::activated, this, &Self::showSelected);
}

void SmeltworkFindWindow::setReplacing(bool replacing)
{
    for (QWidget *widget : QList<QWidget *>{ReplaceLabel, ReplaceEdit, WholeNameBox, ReplaceAllBtn})
        widget->setVisible(replacing);
    if (!replacing && WholeNameBox->isChecked())
        WholeNameBox->setChecked(false); // finds parts of names again
}

bool SmeltworkFindWindow::wholeNames() const
{
    return WholeNameBox->isChecked();
}

void SmeltworkFindWindow::setTree(const CraftingData &tree)
{
    m_tree = tree;
    m_names = nameCount(tree);
    // A search of a large tree takes a while; a hidden window searches when it shows again.
    if (isVisible())
        search(MatchList->currentIndex().row());
}

void SmeltworkFindWindow::search(int keptRow)
{
    const QString text = FindEdit->text();
    const int search = ++m_searches;
    m_searcher.clear();
    const bool whole = wholeNames();
    if (m_names < SearchedAtOnce || text.isEmpty()) {
        showMatches(m_tree, text, findRecords(m_tree, text, MaxListedMatches, {}, whole), keptRow);
        return;
    }
    // The thread reads its own copy of the tree, which shares the lists of the window's; no
    // one writes to those, as a change writes to a copy of its own.
    m_searcher.start([this, tree = m_tree, text, search, keptRow, whole] {
        const auto outdated = [this, search] { return m_searches.load() != search; };
        const FindResult result = findRecords(tree, text, MaxListedMatches, outdated, whole);
        if (outdated())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, tree, text, result, search, keptRow] {
                if (m_searches.load() == search)
                    showMatches(tree, text, result, keptRow);
            },
            Qt::QueuedConnection);
    });
}

void SmeltworkFindWindow::showMatches(const CraftingData &tree, const QString &text,
                                      const FindResult &result, int keptRow)
{
    m_model->setMatches(tree, result);
    const int rows = int(result.listed.size());
    if (rows > 0)
        MatchList->setCurrentIndex(m_model->index(std::clamp(keptRow, 0, rows - 1), 0));

    if (text.isEmpty())
        CountLabel->clear();
    else if (result.total > rows)
        CountLabel->setText(
            tr("%n match(es), the first %1 listed", nullptr, int(result.total)).arg(rows));
    else
        CountLabel->setText(tr("%n match(es)", nullptr, int(result.total)));
}

void SmeltworkFindWindow::showSelected()
{
    const QModelIndex current = MatchList->currentIndex();
    if (current.isValid())
        emit showRequested(m_model->pathAt(current.row()));
}

bool SmeltworkFindWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FindEdit && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(MatchList, event);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
