#pragma once

#include "data/checks.h"
#include "data/document.h"
#include "data/smeltfile.h"

#include <QDialog>
#include <QThreadPool>
#include <functional>

class ProblemModel;
class QLabel;
class QTreeView;

// The problems window: what the checks find in a window's content, one row each as "Group ›
// Process › Requirement: what" (a topic's header and id in the help window), with a count;
// Return or a double-click shows the record in the window it belongs to. It is not modal,
// and it checks in the background, so a large tree never holds up the typing: the newest
// content's result is the one shown.
class SmeltworkProblemsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkProblemsWindow(QWidget *parent);
    ~SmeltworkProblemsWindow() override;

    // Shows the problems window of `owner`, made beside it the first time, for the content
    // that `content` gives, checked again whenever `document` changes; `show` shows the record
    // of a problem chosen there.
    static void open(SmeltworkProblemsWindow *&window, QWidget *owner, DocumentBase &document,
                     const std::function<SmeltFile()> &content,
                     const std::function<void(const CheckProblem &)> &show);

    QTreeView *ProblemList;
    QLabel *CountLabel;

public Q_SLOTS:
    // The content to check, a copy that shares its lists with the window's. A hidden window
    // checks when it is shown again.
    void setContent(const SmeltFile &content);

Q_SIGNALS:
    void showRequested(const CheckProblem &problem);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void check();
    void showProblems(const SmeltFile &content, const QList<CheckProblem> &problems,
                      int generation);

    ProblemModel *m_model;
    SmeltFile m_content;
    bool m_stale = true;
    int m_generation = 0;
    QThreadPool m_checker; // one thread; waited for when the window goes
};
