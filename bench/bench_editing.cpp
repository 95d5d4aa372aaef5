// Times the editing paths on the largest trees the data file can hold: sorting 65,535
// groups, editing one requirement of a process with 10,000 of them, adding a group to a tree
// of 65,000. Prints the median and the single runs, in milliseconds.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editing [runs]

#include "adminwindow.h"
#include "smeltfiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

class BenchWindow : public SmeltworkAdminDialogBase
{
public:
    using SmeltworkAdminDialogBase::doAction;
    using SmeltworkAdminDialogBase::fillGroupList;
    using SmeltworkAdminDialogBase::fillReqLists;
    using SmeltworkAdminDialogBase::selectAction;
    using SmeltworkAdminDialogBase::sortProcGrpList;
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
    std::printf("%-58s median %8.1f ms   (runs: %s)\n", what, runs.at(runs.size() / 2),
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    devNull = std::fopen("/dev/null", "w");
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());

    benchSort(runs, false);
    benchSort(runs, true);
    benchEditRequirement(runs);
    benchAddGroup(runs);
    std::fclose(devNull);
    return 0;
}
