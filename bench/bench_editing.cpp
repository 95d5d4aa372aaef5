// Times the editing paths on the largest trees the data file can hold: sorting 65,535
// groups, editing one requirement of a process with 10,000 of them, adding a group to a tree
// of 65,000; finding records in a tree of 1,000,000 requirements as a user types, undoing and
// redoing the sort of 65,535 groups; and measures the memory that 100 undo steps of the
// 1,000,000-requirement tree hold. Prints the median and the single runs, in milliseconds.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editing [runs] [sort edit find undo dialogs]

#include "app/adminwindow.h"
#include "app/findwindow.h"
#include "bench/synthetictree.h"
#include "data/find.h"
#include "data/history.h"
#include "data/smeltfiles.h"
#include "dialogs/messagebox.h"
#include "resources/translations.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProcess>
#include <QPushButton>
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
    using SmeltworkAdminDialogBase::showReplace;
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

// Notes when the first window other than `main` is painted after start(), and rejects it
// then, so that the slot that opened it returns.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget *main) : m_main(main) { qApp->installEventFilter(this); }
    ~FirstPaint() override { qApp->removeEventFilter(this); }

    void start()
    {
        m_shown = -1;
        m_timer.start();
    }
    double shownMs() const { return m_shown; }
    QString shownClass() const { return m_class; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (m_shown < 0 && event->type() == QEvent::Paint && widget && widget->window() != m_main &&
            widget->window()->isVisible()) {
            m_shown = m_timer.nsecsElapsed() / 1e6;
            QWidget *window = widget->window();
            m_class = QString::fromLatin1(window->metaObject()->className());
            QTimer::singleShot(0, window, [window] {
                if (auto *dialog = qobject_cast<QDialog *>(window))
                    dialog->reject();
                else
                    window->close();
            });
        }
        return false;
    }

private:
    QWidget *m_main;
    QElapsedTimer m_timer;
    double m_shown = -1;
    QString m_class;
};

// From the key that opens each box and dialog to its first paint, on a window that loaded the
// realistic file of 240,000 requirements: the delete questions of the four kinds, the process
// and requirement dialogs of Add and Edit, the find window and the help window. The key is a
// Space on the focused Actions button (Ctrl+F, the Edit help button), as the user presses it.
void benchDialogs(int runs)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    if (QProcess::execute(QStringLiteral("python3"),
                          {QStringLiteral(SMELT_SOURCE_DIR "/bench/make_realistic.py"),
                           QStringLiteral("240000"), craftingFilePath()}) != 0)
        qFatal("bench: bench/make_realistic.py did not write the 240,000-requirement file");
    auto window = std::make_unique<BenchWindow>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qFatal("bench: the window did not show");
    // The group with the most requirements in its first process is as bad as it gets.
    window->ProcGroupList->setCurrentIndex(window->ProcGroupList->count() / 2);
    window->fillGroupList();
    FirstPaint paint(window.get());
    struct Case
    {
        const char *what;
        int action, kind; // -1: a key of its own
    };
    const Case cases[] = {
        {"delete question, process group", 1, 0}, {"delete question, process", 1, 1},
        {"delete question, item/tool", 1, 2},     {"delete question, skill", 1, 3},
        {"add dialog, process group", 0, 0},      {"edit dialog, process", 2, 1},
        {"edit dialog, item/tool", 2, 2},         {"add dialog, skill", 0, 3},
        {"find window (Ctrl+F)", -1, 0},          {"help window (Edit help)", -1, 1},
    };
    for (const Case &c : cases) {
        QList<double> times;
        QString shown;
        for (int i = 0; i < runs; ++i) {
            window->activateWindow();
            QApplication::processEvents();
            window->ItemsList->setCurrentItem(window->ItemsList->topLevelItem(0));
            window->SkillsList->setCurrentItem(window->SkillsList->topLevelItem(0));
            if (c.action >= 0) {
                window->ActionList->setCurrentIndex(c.action);
                window->selectAction(c.action);
                window->TypeList->setCurrentIndex(c.kind);
                window->ActionBtn->setFocus();
            }
            paint.start();
            if (c.action >= 0)
                QTest::keyClick(window->ActionBtn, Qt::Key_Space);
            else if (c.kind == 0)
                window->showFind();
            else
                QTest::keyClick(window->HelpBtn, Qt::Key_Space);
            QElapsedTimer wait;
            wait.start();
            while (paint.shownMs() < 0 && wait.elapsed() < 5000)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            times.append(paint.shownMs());
            shown = paint.shownClass();
            // The find window stays open beside the window; it goes away for the next run.
            if (auto *find = window->findChild<SmeltworkFindWindow *>())
                find->hide();
        }
        report(qPrintable(QStringLiteral("%1 shown (%2)").arg(QLatin1String(c.what), shown)),
               times);
    }
    QLoggingCategory::setFilterRules(QString());
}

// A tree of `requirements` named from a game's vocabulary, as bench/make_realistic.py writes
// it, loaded from its file.
CraftingData realisticTree(int requirements)
{
    const QString path = QStringLiteral("realistic.dat");
    CraftingData tree;
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    if (QProcess::execute(QStringLiteral("python3"),
                          {QStringLiteral(SMELT_SOURCE_DIR "/bench/make_realistic.py"),
                           QString::number(requirements), path}) != 0 ||
        loadFile(path, tree).status != LoadStatus::Loaded)
        qFatal("bench: bench/make_realistic.py did not write the realistic tree");
    QLoggingCategory::setFilterRules(QString());
    return tree;
}

// Each keystroke of `typed` in the find window of a window that loaded `tree` from its file:
// how long the keystroke keeps the window busy, and how long until its matches are listed and
// painted. Then the whole text typed at once, key after key, each replacing the search of
// the one before: until the matches of the last are shown.
void benchFindWindow(int runs, const QString &label, const CraftingData &tree,
                     const QStringList &texts)
{
    auto window = windowOn(tree);
    window->showFind();
    auto *find = window->findChild<SmeltworkFindWindow *>();
    if (!QTest::qWaitForWindowExposed(find))
        qFatal("the find window did not show");
    int resets = 0;
    QObject::connect(find->MatchList->model(), &QAbstractItemModel::modelReset,
                     [&resets] { ++resets; });
    const auto waitForMatches = [&](int after) {
        QElapsedTimer wait;
        wait.start();
        while (resets == after && wait.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        find->MatchList->viewport()->repaint();
    };
    for (const QString &typed : texts) {
        QList<QList<double>> keys(typed.size()), shown(typed.size());
        QStringList counts(typed.size());
        QList<double> whole;
        for (int i = 0; i < runs; ++i) {
            find->FindEdit->clear();
            for (int at = 0; at < typed.size(); ++at) {
                QElapsedTimer timer;
                timer.start();
                const int before = resets;
                QTest::keyClick(find->FindEdit, typed.at(at).toLatin1());
                keys[at].append(timer.nsecsElapsed() / 1e6);
                waitForMatches(before);
                shown[at].append(timer.nsecsElapsed() / 1e6);
                counts[at] = find->CountLabel->text();
            }
            find->FindEdit->clear();
            QElapsedTimer timer;
            timer.start();
            QTest::keyClicks(find->FindEdit, typed);
            const QString last = counts.last();
            while (find->CountLabel->text() != last && timer.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            find->MatchList->viewport()->repaint();
            whole.append(timer.nsecsElapsed() / 1e6);
        }
        for (int at = 0; at < typed.size(); ++at) {
            const QString what = QStringLiteral("%1: keystroke \"%2\" in the find window (%3)")
                                     .arg(label, typed.left(at + 1), counts.at(at));
            report(qPrintable(what + QStringLiteral(", window busy")), keys.at(at));
            report(qPrintable(what + QStringLiteral(", matches shown")), shown.at(at));
        }
        report(qPrintable(QStringLiteral("%1: \"%2\" typed at once, until its matches are shown")
                              .arg(label, typed)),
               whole);
    }
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

    benchFindWindow(runs, QStringLiteral("1M"), tree,
                    {QStringLiteral("Iron Ingot 3"), QStringLiteral("q")});
    benchFindWindow(runs, QStringLiteral("1M real"), realisticTree(1000000),
                    {QStringLiteral("Iron Sword"), QStringLiteral("q")});
}

// Replace All in the find window on 1,000,000 requirements, 20,000 of them named "Crucible":
// the question answered at once, the change made, the lists refilled. Turns "Crucible" into
// "Crucibles" and back, by whole name, so every run replaces the same 20,000 names.
void benchReplaceAll(int runs)
{
    CraftingData tree = makeUniformTree(1000, 100, 10);
    for (int i = 0; i < 20000; ++i)
        tree[i % 1000].procs[i / 1000 * 5].reqs[i % 10].name = QStringLiteral("Crucible");
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    auto window = windowOn(tree);
    window->showReplace();
    auto *find = window->findChild<SmeltworkFindWindow *>();
    find->WholeNameBox->setChecked(true);
    SmeltworkMessageBox::setScript(
        [](const SmeltworkMessageBox::Shown &) { return SmeltworkMessageBox::Yes; });
    QList<double> times;
    for (int i = 0; i < 2 * runs; ++i) {
        find->FindEdit->setText(i % 2 ? QStringLiteral("Crucibles") : QStringLiteral("Crucible"));
        find->ReplaceEdit->setText(i % 2 ? QStringLiteral("Crucible")
                                         : QStringLiteral("Crucibles"));
        times.append(elapsedMs([&] { find->ReplaceAllBtn->click(); }));
    }
    SmeltworkMessageBox::setScript({});
    QLoggingCategory::setFilterRules(QString());
    report("Replace All of 20,000 names among 1,000,000 requirements (window)", times);
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

    // The parts named after the runs, or all of them.
    QStringList parts;
    for (int i = 2; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    const auto wanted = [&parts](const char *part) {
        return parts.isEmpty() || parts.contains(QLatin1String(part));
    };
    if (wanted("sort")) {
        benchSort(runs, false);
        benchSort(runs, true);
    }
    if (wanted("edit")) {
        benchEditRequirement(runs);
        benchAddGroup(runs);
    }
    if (wanted("find"))
        benchFind(runs);
    if (wanted("undo")) {
        benchUndoSort(runs);
        benchHistoryMemory();
    }
    if (wanted("dialogs"))
        benchDialogs(runs);
    if (wanted("replace"))
        benchReplaceAll(runs);
    std::fclose(devNull);
    return 0;
}
