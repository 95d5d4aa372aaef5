#pragma once

#include "data/document.h"
#include "data/smeltfiles.h"

#include <QDialog>
#include <QString>
#include <optional>

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class SmeltworkFindWindow;
class SmeltworkProblemsWindow;
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

    // Makes the record at `path` current: its group and process in the lists, and a
    // requirement's row on its tab. Positions past the end of a list stand for its last entry.
    void showRecord(const RecordPath &path);

protected:
    // A window that becomes active again looks whether its file changed meanwhile.
    void changeEvent(QEvent *event) override;
    // Shows another program's version of the data file, keeping the current group and
    // process where they still exist.
    void followDisk();

    // Entries of ActionList and TypeList, by position.
    enum ActionEntry { AddAction, DeleteAction, EditAction, ActionCount };
    enum KindEntry { GroupKind, ProcessKind, ItemKind, SkillKind, KindCount };

    QVBoxLayout *MainLayout;
    QHBoxLayout *ButtonRowLayout;
    QHBoxLayout *GroupRowLayout;
    QHBoxLayout *ProcessRowLayout;
    QVBoxLayout *ItemsTabLayout;
    QVBoxLayout *SkillsTabLayout;
    QHBoxLayout *ActionBoxLayout;

    int currentAction = 0;
    // The tree lives in the document, which every change goes through; `groups` reads it.
    CraftingDocument m_document{craftingFilePath()};
    const CraftingData &groups = m_document.content();

    void loadData();
    void fillGroupList();
    void fillProcessList();
    void fillReqLists();

    // Positions of the current group and process, or -1 when the level is empty.
    int currentGroup() const;
    int currentProc() const;

protected Q_SLOTS:
    virtual void doAction();
    virtual void selectProcGrp(int);
    virtual void selectProc(int);
    virtual void selectAction(int index);
    virtual void editHelp();
    virtual void sortProcGrpList();
    virtual void sortProcList();
    virtual void showFind();
    // The find window with the line to replace with (Ctrl+H).
    virtual void showReplace();
    virtual void showProblems();

private:
    void buildWidgets();
    void buildRequirementTabs();
    void buildActionBox();
    void connectSignals();
    void addShortcuts();
    void addRecordKeys();
    QTreeWidget *makeRequirementList(QWidget *page, const char *name);
    QTreeWidget *addRequirementPage(QWidget *&page, const char *pageName, QVBoxLayout *&layout,
                                    const char *listName, const QString &label);
    // A label, its combo box and the combo's Sort button in one row of the window.
    QHBoxLayout *buildListRow(QLabel *&label, const char *labelName, const QString &text,
                              QComboBox *&combo, const char *comboName, QPushButton *&sort,
                              const char *sortName);

    // The actions behind doAction(), one per record kind (actions.cpp). Each returns where it
    // changed the tree, or nothing when the user changed their mind or there was nothing to
    // act on.
    using Touched = std::optional<RecordPath>;
    Touched act(int action, int kind);
    Touched addGroup();
    Touched deleteGroup();
    Touched editGroupAction();
    Touched addProc();
    Touched deleteProc();
    Touched editProcAction();
    Touched addReq(bool skill);
    Touched deleteReq(bool skill);
    Touched editReqAction(bool skill);
    int currentReq(bool skill) const;
    // Runs an action from a key, a double-click or a context menu on a list: the action box
    // shows it as if chosen there, and the record it touched is current and has the focus.
    void actDirectly(int action, int kind);
    void showAsAction(int action, int kind);
    // The list that shows records of `kind`.
    QWidget *listOf(int kind) const;
    // The current record of `kind`: its positions, -1 where there is none (clipboard.cpp).
    RecordPath currentOf(int kind) const;
    // Duplicate, cut, copy and paste on the list of `kind`, each one undo step; the record
    // made is current and has the focus.
    void duplicate(int kind);
    void copy(int kind);
    void cut(int kind);
    void paste(int kind);
    // Shows `path` after a change made from a list, and gives the list of its kind the focus.
    void showEdited(const RecordPath &path);
    void showFound(const RecordPath &path);
    // Replace All of the find window: every name at once, after a question, one undo step.
    void replaceEverywhere(const QString &text, const QString &replacement, bool wholeName);
    void openFind(bool replacing);
    // Says that the list a record would be added to at `place` is full, when it is.
    bool refusedAsFull(qsizetype size, const RecordPath &place);
    // Changes the tree at `place` by `rule` (actions.cpp), and says so when its list was full;
    // whether the rule was carried out.
    template <typename Rule> bool apply(const RecordPath &place, Rule &&rule)
    {
        // Lists are checked before a dialog runs; a record gone meanwhile is no news.
        const EditResult result = m_document.edit(place, std::forward<Rule>(rule));
        if (result == EditResult::ListFull)
            refusedAsFull(MaxListSize, place);
        return result == EditResult::Done;
    }
    void showChange(const std::optional<RecordPath> &place);
    void fillGroupNames();
    void selectReqRow(int k);

    SmeltworkFindWindow *m_find = nullptr;
    SmeltworkProblemsWindow *m_problems = nullptr;
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
