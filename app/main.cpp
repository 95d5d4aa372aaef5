#include "adminwindow.h"
#include "trace.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    startTraceBuffering();
    auto *window = new SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags());
    window->exec();
    // However the window was closed (Exit, Escape, the title bar), the data is written.
    window->saveData();
    delete window;
    return 0;
}
