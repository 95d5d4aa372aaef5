// Times the editing paths on the largest trees the data file can hold: sorting 65,535
// groups, editing one requirement of a process with 10,000 of them, adding a group to a tree
// of 65,000; finding records in a tree of 1,000,000 requirements as a user types, undoing and
// redoing the sort of 65,535 groups; and measures the memory that 100 undo steps of the
// 1,000,000-requirement tree hold. Prints the median and the single runs, in milliseconds.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editing [runs]

#include "app/adminwindow.h"
#include "app/findwindow.h"
#include "bench/synthetictree.h"
#include "data/find.h"
#include "data/history.h"
#include "data/smeltfiles.h"
#include "resources/translations.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <memory>
#include <unistd.h>

namespace {

class BenchWindow : public SmeltworkAdminDialogBase
{
public:
    using SmeltworkAdminDialogBase::doAction;
    using SmeltworkAdminDialogBase::fillGroupList;
    using SmeltworkAdminDialogBase::fillReqLists;
    using SmeltworkAdminDialogBase::selectAction;
    using SmeltworkAdminDialogBase::showFind;
    using SmeltworkAdminDialogBase::sortProcGrpList;

    // Undo and redo as their keys run them.
    void undo() { runKey(QKeySequence(Qt::CTRL | Qt::Key_Z)); }
    void redo() { runKey(QKeySequence(Qt::CTRL | Qt::Key_Y)); }

private:
    void runKey(const QKeySequence &key)
    {
        for (QShortcut *shortcut : findChildren<QShortcut *>()) {
            if (shortcut->keys().contains(key))
                emit shortcut->activated();
        }
    }
};

FILE *devNull = nullptr;

// The trace goes to /dev/null, so its formatting and writing are paid but not seen.
void toDevNull(QtMsgType, const QMessageLogContext &, const QString &text)
{
    std::fputs(qPrintable(text), devNull);
    std::fputc('\n', devNull);
}

QString randomName(QRandomGenerator &random)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz ";
    QString name;
    const int length = 4 + random.bounded(12);
    for (int i = 0; i < length; ++i)
        name.append(QLatin1Char(letters[random.bounded(int(sizeof letters) - 1)]));
    return name;
}

CraftingData manyGroups(int count)
{
    QRandomGenerator random(42);
    CraftingData data;
    data.reserve(count);
    for (int i = 0; i < count; ++i)
        data.append(ProcGroup{randomName(random), {Proc{QStringLiteral("Ingot"), 100, 1, {}}}});
    return data;
}

CraftingData manyRequirements(int count)
{
    QRandomGenerator random(7);
    QList<Req> reqs;
    reqs.reserve(count);
    for (int i = 0; i < count; ++i)
        reqs.append(Req{randomName(random), QStringLiteral("1"), qint8(i % 2), i});
    return {ProcGroup{QStringLiteral("Ores"), {Proc{QStringLiteral("Ingot"), 100, 1, reqs}}}};
}

// A window that loaded `data` from the working folder, as the program does.
std::unique_ptr<BenchWindow> windowOn(const CraftingData &data)
{
    QtMessageHandler previous = qInstallMessageHandler(toDevNull);
    QFile file(craftingFilePath());
    file.open(QIODevice::WriteOnly);
    writeCraftingData(file, data);
    file.close();
    auto window = std::make_unique<BenchWindow>();
    qInstallMessageHandler(previous);
    window->show();
    return window;
}

// Accepts the next dialog as soon as it is shown, as a user pressing Enter at once would.
void acceptNextDialog()
{
    auto *poll = new QTimer;
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, [poll] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            dialog->accept();
        }
    });
    poll->start();
}

double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

void report(const char *what, QList<double> runs)
{
    QString single;
    for (double ms : runs)
        single += QString::number(ms, 'f', 1) + QLatin1Char(' ');
    std::sort(runs.begin(), runs.end());
    std::printf("%-70s median %8.1f ms   (runs: %s)\n", what, runs.at(runs.size() / 2),
                qPrintable(single.trimmed()));
    std::fflush(stdout);
}

void benchSort(int runs, bool suppressed)
{
    const CraftingData data = manyGroups(MaxListSize);
    QLoggingCategory::setFilterRules(suppressed ? QStringLiteral("default.debug=false")
                                                : QString());
    QList<double> total;
    QList<double> refill;
    for (int i = 0; i < runs; ++i) {
        auto window = windowOn(data);
        QtMessageHandler previous = qInstallMessageHandler(toDevNull);
        total.append(elapsedMs([&] { window->sortProcGrpList(); }));
        qInstallMessageHandler(previous);
        refill.append(elapsedMs([&] { window->fillGroupList(); }));
    }
    QLoggingCategory::setFilterRules(QString());
    report(suppressed ? "sort 65,535 groups, trace suppressed (slot)"
                      : "sort 65,535 groups, trace to /dev/null (slot)",
           total);
    report("  the refill on its own (fillGroupList)", refill);
}

void benchEditRequirement(int runs)
{
    auto window = windowOn(manyRequirements(10000));
    window->ActionList->setCurrentIndex(2);
    window->selectAction(2);
    window->TypeList->setCurrentIndex(2);
    QList<double> total;
    QList<double> refill;
    for (int i = 0; i < runs; ++i) {
        window->ItemsList->setCurrentItem(window->ItemsList->topLevelItem(2500));
        acceptNextDialog();
        total.append(elapsedMs([&] { window->doAction(); }));
        refill.append(elapsedMs([&] { window->fillReqLists(); }));
    }
    report("edit 1 of 10,000 requirements (dialog run + refill)", total);
    report("  the refill alone (fillReqLists)", refill);
}

void benchAddGroup(int runs)
{
    auto window = windowOn(manyGroups(65000));
    window->ActionList->setCurrentIndex(0);
    window->selectAction(0);
    window->TypeList->setCurrentIndex(0);
    QList<double> total;
    QList<double> refill;
    for (int i = 0; i < runs; ++i) {
        acceptNextDialog();
        total.append(elapsedMs([&] { window->doAction(); }));
        refill.append(elapsedMs([&] { window->fillGroupList(); }));
    }
    report("add a group to 65,000 groups (dialog run + refill)", total);
    report("  the refill alone (fillGroupList)", refill);
}

// Each keystroke of a query typed into the find window on the 1M tree: the search, the
// list's reset and its repaint. The one-letter queries are the worst case: nearly every
// record matches, so every match is counted and the list is full.
void benchFind(int runs)
{
    const CraftingData tree = makeUniformTree(1000, 100, 10);
    QList<double> search;
    qsizetype found = 0;
    for (const char *query : {"e", "q", "7", "Iron", "zzz"}) {
        const QString text = QString::fromLatin1(query);
        QList<double> times;
        for (int i = 0; i < runs; ++i)
            times.append(elapsedMs([&] { found = findRecords(tree, text).total; }));
        report(qPrintable(QStringLiteral("find \"%1\" in the 1M tree, search only: %2 matches")
                              .arg(QLatin1String(query))
                              .arg(found)),
               times);
        // What QString::contains() would take for the same walk.
        QList<double> plain;
        for (int i = 0; i < runs; ++i) {
            plain.append(elapsedMs([&] {
                found = 0;
                for (const ProcGroup &group : tree) {
                    found += group.name.contains(text, Qt::CaseInsensitive);
                    for (const Proc &proc : group.procs) {
                        found += proc.name.contains(text, Qt::CaseInsensitive);
                        for (const Req &req : proc.reqs)
                            found += req.name.contains(text, Qt::CaseInsensitive);
                    }
                }
            }));
        }
        report(qPrintable(
                   QStringLiteral("  the same walk with QString::contains: %1 matches").arg(found)),
               plain);
    }

    auto window = windowOn(tree);
    window->showFind();
    auto *find = window->findChild<SmeltworkFindWindow *>();
    if (!QTest::qWaitForWindowExposed(find))
        qFatal("the find window did not show");
    for (const QString &typed : {QStringLiteral("Iron Ingot 3"), QStringLiteral("q")}) {
        QList<QList<double>> keys(typed.size());
        QStringList counts(typed.size());
        for (int i = 0; i < runs; ++i) {
            find->FindEdit->clear();
            for (int at = 0; at < typed.size(); ++at) {
                keys[at].append(elapsedMs([&] {
                    QTest::keyClick(find->FindEdit, typed.at(at).toLatin1());
                    find->MatchList->viewport()->repaint();
                }));
                counts[at] = find->CountLabel->text();
            }
        }
        for (int at = 0; at < typed.size(); ++at) {
            report(qPrintable(QStringLiteral("keystroke \"%1\" in the find window: %2")
                                  .arg(typed.left(at + 1), counts.at(at))),
                   keys.at(at));
        }
    }
}

void benchUndoSort(int runs)
{
    auto window = windowOn(manyGroups(MaxListSize));
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    window->sortProcGrpList();
    QLoggingCategory::setFilterRules(QString());
    QList<double> undo;
    QList<double> redo;
    for (int i = 0; i < runs; ++i) {
        undo.append(elapsedMs([&] { window->undo(); }));
        redo.append(elapsedMs([&] { window->redo(); }));
    }
    report("undo the sort of 65,535 groups (slot, refill included)", undo);
    report("redo the sort of 65,535 groups (slot, refill included)", redo);
}

double residentMb()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// 100 changes of the 1M tree as the window makes them, each after handing the tree as it was
// to the history: edits, deletions and additions of requirements at random places, and edits
// of processes.
void benchHistoryMemory()
{
    const double empty = residentMb();
    CraftingData tree = makeUniformTree(1000, 100, 10);
    const double loaded = residentMb();
    CraftingHistory history;
    QRandomGenerator random(11);
    for (int i = 0; i < 100; ++i) {
        const CraftingData before = tree;
        const int g = random.bounded(1000);
        const int p = random.bounded(100);
        const int k = random.bounded(int(tree.at(g).procs.at(p).reqs.size()));
        const QString name = QStringLiteral("Changed %1").arg(i);
        switch (i % 4) {
        case 0:
            editReq(tree[g].procs[p].reqs[k],
                    {name, QStringLiteral("2"), false, QStringLiteral("5")});
            break;
        case 1: // the position is in the tree: the removal cannot fail
            static_cast<void>(removeRecord(tree, {g, p, k}));
            break;
        case 2: // a process of the bench's tree holds far fewer than 65,535 requirements
            static_cast<void>(
                appendReq(tree, g, p, newReq({name, QStringLiteral("1"), false, QString()}, true)));
            break;
        case 3:
            editProc(tree[g].procs[p], {name, QStringLiteral("90"), QStringLiteral("10"), false});
            break;
        }
        history.record(before, {g, p, k});
    }
    const double kept = residentMb();
    std::printf("%-70s %8.1f MB\n", "the 1M tree, resident", loaded - empty);
    std::printf("%-70s %8.1f MB   (%.0f KB a step; estimated %.1f MB)\n",
                "100 undo steps after 100 changes, resident", kept - loaded,
                (kept - loaded) * 1024 / 100, double(history.cost()) / (1 << 20));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    installTranslations();
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    devNull = std::fopen("/dev/null", "w");
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());

    benchSort(runs, false);
    benchSort(runs, true);
    benchEditRequirement(runs);
    benchAddGroup(runs);
    benchFind(runs);
    benchUndoSort(runs);
    benchHistoryMemory();
    std::fclose(devNull);
    return 0;
}
