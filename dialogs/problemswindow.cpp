#include "dialogs/problemswindow.h"

#include "data/find.h"
#include "dialogs/dialogkit.h"
#include "dialogs/wholetext.h"

#include <QAbstractListModel>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTreeView>
#include <QVBoxLayout>

// The problems as rows, their texts made from the content only when a row is painted.
class ProblemModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setProblems(const SmeltFile &content, const QList<CheckProblem> &problems)
    {
        beginResetModel();
        m_content = content;
        m_problems = problems;
        endResetModel();
    }
    const CheckProblem &at(int row) const { return m_problems.at(row); }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_problems.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        const CheckProblem &problem = m_problems.at(index.row());
        return placeText(problem) + QStringLiteral(": ") + problem.what;
    }

private:
    QString placeText(const CheckProblem &problem) const
    {
        if (const auto *topics = std::get_if<HelpTopics>(&m_content)) {
            const HelpTopic topic = topics->value(problem.topic);
            return QStringLiteral("%1 (%2)").arg(topic.header, topic.id);
        }
        const RecordsAt at = recordsAt(std::get<CraftingData>(m_content), problem.record);
        static const QString step = QStringLiteral(" \u203a ");
        QString text = at.group ? at.group->name : QString();
        if (at.proc)
            text += step + at.proc->name;
        if (at.req)
            text += step + at.req->name;
        return text;
    }

    SmeltFile m_content;
    QList<CheckProblem> m_problems;
};

SmeltworkProblemsWindow::SmeltworkProblemsWindow(QWidget *parent)
    : QDialog(parent, smeltworkWindowFlags())
{
    setUpDialog(this, false, nullptr, "SmeltworkProblemsWindow", 520, 300,
                tr("Problems - Smeltwork"));
    m_checker.setMaxThreadCount(1);

    auto *layout = makeLayout<QVBoxLayout>(6, 8, this);
    m_model = new ProblemModel(this);
    ProblemList = makeNamed<QTreeView>(this, "ProblemList");
    ProblemList->setModel(m_model);
    ProblemList->setRootIsDecorated(false);
    ProblemList->setUniformRowHeights(true);
    ProblemList->setHeaderHidden(true);
    ProblemList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A problem longer than the window is wide shows whole as a tool tip.
    showCutTextsAsTips(ProblemList);
    layout->addWidget(ProblemList);
    CountLabel = makeLabel(this, "CountLabel", QString());
    layout->addWidget(CountLabel);

    connect(ProblemList, &QTreeView::activated, this,
            [this](const QModelIndex &index) { emit showRequested(m_model->at(index.row())); });
}

void SmeltworkProblemsWindow::open(SmeltworkProblemsWindow *&window, QWidget *owner,
                                   DocumentBase &document,
                                   const std::function<SmeltFile()> &content,
                                   const std::function<void(const CheckProblem &)> &show)
{
    if (!window) {
        window = new SmeltworkProblemsWindow(owner);
        placeBeside(window, owner);
        connect(window, &SmeltworkProblemsWindow::showRequested, owner, show);
        connect(&document, &DocumentBase::changed, window,
                [window, content] { window->setContent(content()); });
        window->setContent(content());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

SmeltworkProblemsWindow::~SmeltworkProblemsWindow()
{
    m_checker.clear();
    m_checker.waitForDone();
}

void SmeltworkProblemsWindow::setContent(const SmeltFile &content)
{
    m_content = content;
    m_stale = true;
    ++m_generation; // what is being checked now is out of date
    if (isVisible())
        check();
}

void SmeltworkProblemsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_stale)
        check();
}

void SmeltworkProblemsWindow::check()
{
    m_stale = false;
    // A check still waiting for its turn is for content that is gone already.
    m_checker.clear();
    m_checker.start([this, content = m_content, generation = ++m_generation] {
        const QList<CheckProblem> problems = checkFile(content);
        QMetaObject::invokeMethod(
            this, [=] { showProblems(content, problems, generation); }, Qt::QueuedConnection);
    });
}

void SmeltworkProblemsWindow::showProblems(const SmeltFile &content,
                                           const QList<CheckProblem> &problems, int generation)
{
    if (generation != m_generation)
        return; // the content changed again while this one was checked
    const int row = ProblemList->currentIndex().row();
    m_model->setProblems(content, problems);
    if (!problems.isEmpty())
        ProblemList->setCurrentIndex(m_model->index(std::clamp(row, 0, int(problems.size()) - 1)));
    CountLabel->setText(tr("%n problem(s)", nullptr, int(problems.size())));
}
