#include "app/adminwindow.h"
#include "data/folderlock.h"
#include "data/trace.h"
#include "dialogs/dialogkit.h"
#include "platform/processhooks.h"
#include "resources/translations.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ProcessHooks hooks;
    startTraceBuffering();
    QCoreApplication::setApplicationName(QStringLiteral("SmeltworkAdmin"));
    installTranslations();
    FolderLock lock;
    if (lock.heldElsewhere())
        return refuseSecondWindow(lock);

    // A logout, a closed terminal or Ctrl+C closes the windows, which then save as ever. Until
    // the window is up only its load boxes can be open, and nothing has been changed: the
    // program ends there and then, and a recovery copy stays for the next start.
    bool running = false;
    QObject::connect(&hooks, &ProcessHooks::terminationRequested, [&](int signal) {
        if (running)
            return closeOpenWindows();
        lock.release();
        hooks.endBySignal(signal);
    });

    auto *window = new SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags());
    running = true;
    window->exec();
    // However the window was closed (Exit, Escape, the title bar), the data is written. Then
    // the folder is free for the next window at once: the trace may still be on its way to a
    // terminal that reads slowly, and the program ends when it is out.
    window->saveData();
    lock.release();
    delete window;
    return 0;
}
