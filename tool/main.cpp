#include "resources/translations.h"
#include "tool/smelttool.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <csignal>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char **argv)
{
#ifdef SIGPIPE
    // A reader that went away (a closed pipe) is then a failed write the tool reports, rather
    // than a silent end.
    std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef Q_OS_WIN
    // The same bytes as on Linux: a dump or JSON that git or a script reads, and JSON read
    // from standard input, get no carriage returns added or taken away.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    QCoreApplication app(argc, argv);
    installTranslations();
    QCoreApplication::setApplicationName(QStringLiteral("smeltwork-tool"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SMELTWORK_VERSION));
    // The data library traces every record; the tool's output must be the dump or the JSON
    // alone, and switching the trace off also spares formatting it. Its warnings (a save
    // that failed) read as the tool's own messages.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    qSetMessagePattern(QStringLiteral("smeltwork-tool: %{message}"));

    QFile out, err, in;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    in.open(stdin, QIODevice::ReadOnly);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return runSmeltworkTool(arguments, out, err, in);
}
