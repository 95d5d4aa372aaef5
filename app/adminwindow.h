#pragma once

#include "data/filesession.h"
#include "data/history.h"
#include "data/records.h"
#include "data/smeltfiles.h"
#include "dialogs/dialogkit.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class SmeltworkFindWindow;
class QTreeWidget;
class QVBoxLayout;

// The administration window: the crafting tree shown as group, process and requirement
// lists, the actions that change it, and the way into the help editor.
class SmeltworkAdminDialogBase : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkAdminDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                                      bool modal = false, Qt::WindowFlags fl = {});
    ~SmeltworkAdminDialogBase() override;

    QLabel *ProcGroupLabel;
    QComboBox *ProcGroupList;
    QPushButton *SortGrpBtn;
    QLabel *ProcessLabel;
    QComboBox *ProcessList;
    QPushButton *SortProcBtn;
    QTabWidget *ReqControl;
    QWidget *tab;
    QTreeWidget *ItemsList;
    QWidget *tab_2;
    QTreeWidget *SkillsList;
    QGroupBox *ActionBox;
    QComboBox *ActionList;
    QComboBox *TypeList;
    QPushButton *ActionBtn;
    QPushButton *HelpBtn;
    QPushButton *ExitBtn;

    // Writes the whole tree to the data file, or wherever the user saves it when that fails;
    // false when the user gave the changes up instead. main() calls it once the window has
    // closed, Ctrl+S while it is open.
    bool saveData();

    const CraftingData &data() const { return groups; }
    const FileReport &loadReport() const { return m_loadReport; }

    // Makes the record at `path` current: its group and process in the lists, and a
    // requirement's row on its tab. Positions past the end of a list stand for its last entry.
    void showRecord(const RecordPath &path);

Q_SIGNALS:
    // The tree has changed at `touched`, by an action, a sort, an undo or a redo.
    void treeChanged(const RecordPath &touched);

protected:
    QVBoxLayout *MainLayout;
    QHBoxLayout *ButtonRowLayout;
    QHBoxLayout *GroupRowLayout;
    QHBoxLayout *ProcessRowLayout;
    QVBoxLayout *ItemsTabLayout;
    QVBoxLayout *SkillsTabLayout;
    QHBoxLayout *ActionBoxLayout;

    int currentAction = 0;
    CraftingData groups;

    void loadData();
    void fillGroupList();
    void fillProcessList();
    void fillReqLists();

    // Positions of the current group and process, or -1 when the level is empty.
    int currentGroup() const;
    int currentProc() const;

    // Every change of the tree ends here, once the lists show it: what has to follow any
    // change (saving, recovery) hooks in here or on treeChanged().
    void changed(const RecordPath &touched);

protected Q_SLOTS:
    virtual void doAction();
    virtual void selectProcGrp(int);
    virtual void selectProc(int);
    virtual void selectAction(int index);
    virtual void editHelp();
    virtual void sortProcGrpList();
    virtual void sortProcList();
    virtual void showFind();
    virtual void undo();
    virtual void redo();

private:
    void buildWidgets();
    void buildRequirementTabs();
    void buildActionBox();
    void connectSignals();
    void addShortcuts();
    QTreeWidget *makeRequirementList(QWidget *page, const char *name);
    QTreeWidget *addRequirementPage(QWidget *&page, const char *pageName, QVBoxLayout *&layout,
                                    const char *listName, const QString &label);
    // A label, its combo box and the combo's Sort button in one row of the window.
    QHBoxLayout *buildListRow(QLabel *&label, const char *labelName, const QString &text,
                              QComboBox *&combo, const char *comboName, QPushButton *&sort,
                              const char *sortName);

    // The actions behind doAction(), one per record kind (actions.cpp).
    void addGroup();
    void deleteGroup();
    void editGroupAction();
    void addProc();
    void deleteProc();
    void editProcAction();
    void addReq(bool skill);
    void deleteReq(bool skill);
    void editReqAction(bool skill);
    int currentReq(bool skill) const;
    bool refusedAsFull(qsizetype size, const QString &message);

    // Keeps `before` for undo when the tree now differs from it, and announces the change.
    void recordChange(const CraftingData &before, const RecordPath &touched);
    void restore(const std::optional<CraftingHistory::Step> &step);
    void fillGroupNames();
    void selectReqRow(int k);

    FileReport m_loadReport;
    FileSession m_file{craftingFilePath()};
    CraftingHistory m_history;
    SmeltworkFindWindow *m_find = nullptr;
};

// The window as the program shows it: the base, with the application style set once the
// window is built.
class SmeltworkAdminDialog : public SmeltworkAdminDialogBase
{
    Q_OBJECT

public:
    explicit SmeltworkAdminDialog(QWidget *parent = nullptr, const char *name = nullptr,
                                  bool modal = false, Qt::WindowFlags fl = {});
};

class FolderLock;

// Says that the working folder's data file is open in another window, held by `lock`'s
// holder; the exit status for main() to return.
int refuseSecondWindow(const FolderLock &lock);

// Closes every open window from the top down as its close button would, so that each saves
// what it holds as it does when the user closes it.
void closeOpenWindows();
