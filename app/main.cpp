#include "app/adminwindow.h"
#include "data/folderlock.h"
#include "data/trace.h"
#include "platform/termination.h"
#include "resources/translations.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    startTraceBuffering();
    QCoreApplication::setApplicationName(QStringLiteral("SmeltworkAdmin"));
    installTranslations();
    const FolderLock lock;
    if (lock.heldElsewhere())
        return refuseSecondWindow(lock);
    // A logout, a closed terminal or Ctrl+C closes the windows, which then save as ever.
    TerminationRequests termination;
    QObject::connect(&termination, &TerminationRequests::requested, &closeOpenWindows);

    auto *window = new SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags());
    window->exec();
    // However the window was closed (Exit, Escape, the title bar), the data is written.
    window->saveData();
    delete window;
    return 0;
}
