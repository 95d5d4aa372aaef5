#pragma once

#include "data/find.h"

#include <QDialog>
#include <QThreadPool>
#include <atomic>

class FindModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QVBoxLayout;

// The administration window's find window: a name or part of one typed, the groups,
// processes and requirements whose names hold it listed as the user types, and the selected
// one shown in the administration window on Return or a double-click. It is not modal: it
// stays open beside the administration window while the user goes from match to match.
//
// A large tree is searched on a thread of the window's own, so that typing never waits for
// a search: the search of a newer text takes the place of the one running, which stops. A
// small one is searched at once, which takes less than a repaint.
class SmeltworkFindWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkFindWindow(QWidget *parent);
    ~SmeltworkFindWindow() override;

    // Trees of fewer names are searched on the keystroke itself.
    static constexpr qsizetype SearchedAtOnce = 50000;

    QLineEdit *FindEdit;
    QLabel *ReplaceLabel;
    QLineEdit *ReplaceEdit;
    QCheckBox *WholeNameBox;
    QPushButton *ReplaceAllBtn;
    QTreeView *MatchList;
    QLabel *CountLabel;

    // Shows or hides the line to replace with, the Whole name box and Replace All.
    void setReplacing(bool replacing);

public Q_SLOTS:
    // The tree to search, a copy that shares its lists with the window's: when it has
    // changed, a shown window searches it again for the same text, keeping the selected row
    // where it can.
    void setTree(const CraftingData &tree);

Q_SIGNALS:
    void showRequested(const RecordPath &path);
    // Replace All: `text` is to become `replacement` in every name that holds it (is it,
    // with `wholeName`).
    void replaceRequested(const QString &text, const QString &replacement, bool wholeName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgets();
    void connectSignals();
    // Searches the tree for the text typed; the row `keptRow` stays selected where it can.
    void search(int keptRow = 0);
    void showMatches(const CraftingData &tree, const QString &text, const FindResult &result,
                     int keptRow);
    void showSelected();
    bool wholeNames() const;

    FindModel *m_model;
    QVBoxLayout *m_layout;
    CraftingData m_tree; // a copy that shares its lists with the window's
    qsizetype m_names = 0;
    // Counts the searches started: a search whose number is no longer the last stops.
    std::atomic<int> m_searches{0};
    QThreadPool m_searcher;
};
