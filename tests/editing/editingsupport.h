#pragma once

#include "adminwindow.h"
#include "testsupport.h"

#include <QStringList>
#include <functional>
#include <memory>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

// The administration window with the slots a user cannot reach made callable.
class AdminWindow : public SmeltworkAdminDialogBase
{
public:
    using SmeltworkAdminDialogBase::selectAction;
    using SmeltworkAdminDialogBase::SmeltworkAdminDialogBase;
    using SmeltworkAdminDialogBase::sortProcList;
};

// A shown window built on `data`, loaded from its own scratch folder; the load trace is
// kept off the console.
struct Session
{
    explicit Session(const CraftingData &data);
    ScratchFolder folder;
    TraceCapture trace;
    std::unique_ptr<AdminWindow> window;
};

// The bytes the writer makes of `data`, and the same written as Smeltwork.dat here.
QByteArray dataFileBytes(const CraftingData &data);
void writeDataFile(const CraftingData &data);

Req item(const char *name, const char *multiplier, qint32 id);
Req skill(const char *name, const char *multiplier, qint8 type = 1, qint32 id = 0);
Proc proc(const char *name, int maxQL, int minQL, const QList<Req> &reqs = {});
ProcGroup group(const char *name, const QList<Proc> &procs = {});

// Picks an entry the way a user does with the keyboard: focus, Home, then Down.
void choose(QComboBox *combo, int index);
// Picks the action and the record kind, then presses the action button.
void pressAction(SmeltworkAdminDialogBase &window, int action, int kind);
// Shows the tab of `list` (Alt+I or Alt+K) and clicks the row with `name` in column 0.
QTreeWidgetItem *clickRow(SmeltworkAdminDialogBase &window, QTreeWidget *list, const QString &name);
// Column texts of all rows, in the order shown: "name|multiplier|hidden2|hidden3".
QStringList rows(const QTreeWidget *list);
QStringList entries(const QComboBox *combo);

// Runs `act` and returns the modal widgets that opened meanwhile, as their class names
// (message boxes with ": " and their text); each is closed at once, so an unexpected dialog
// cannot hang the test.
QStringList modalsOpenedBy(const std::function<void()> &act);
// Selects the whole text of a line edit or spin box and types `text` over it.
void typeOver(QWidget *field, const QString &text);
