#pragma once

#include "data/editing.h"
#include "data/records.h"

#include <QDialog>

class FindModel;
class QLabel;
class QLineEdit;
class QTreeView;
class QVBoxLayout;

// The administration window's find window: a name or part of one typed, the groups,
// processes and requirements whose names hold it listed as the user types, and the selected
// one shown in the administration window on Return or a double-click. It is not modal: it
// stays open beside the administration window while the user goes from match to match.
class SmeltworkFindWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkFindWindow(QWidget *parent);

    QLineEdit *FindEdit;
    QTreeView *MatchList;
    QLabel *CountLabel;

public Q_SLOTS:
    // The tree to search, a copy that shares its lists with the window's: when it has
    // changed, a shown window searches it again for the same text, keeping the selected row
    // where it can.
    void setTree(const CraftingData &tree);

Q_SIGNALS:
    void showRequested(const RecordPath &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgets();
    void connectSignals();
    void search();
    void showSelected();

    FindModel *m_model;
    QVBoxLayout *m_layout;
};
