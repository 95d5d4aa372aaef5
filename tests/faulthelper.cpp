// A process of its own for the fault tests: one that can be killed in the middle of a save,
// and one that saves without root's right to ignore file permissions.
//
//   smelt_fault_helper [--unprivileged] save-new data|help FOLDER
//       loads the file in FOLDER as the program does, saves new records over it, and
//       prints the save's status on standard output (the trace goes to standard error)
//   smelt_fault_helper save-loop data|help FOLDER
//       saves two big trees in turn, for ever, printing "saved N" after each save
//
// With --unprivileged a process started as root first becomes the user "nobody".
#include "faulttrees.h"

#include <QDir>
#include <QLoggingCategory>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

bool becomeNobody()
{
    if (geteuid() != 0)
        return true; // already bound by permissions
    const passwd *nobody = getpwnam("nobody");
    return nobody && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 &&
           setuid(nobody->pw_uid) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    int arg = 1;
    const bool unprivileged = argc > arg && std::strcmp(argv[arg], "--unprivileged") == 0;
    if (unprivileged)
        ++arg;
    if (argc != arg + 3)
        return HelperUsage;
    const QByteArray mode = argv[arg];
    const QByteArray kind = argv[arg + 1];
    if (kind != "data" && kind != "help")
        return HelperUsage;
    const FaultFile file = kind == "data" ? FaultFile::Data : FaultFile::Help;

    if (unprivileged && !becomeNobody())
        return HelperNoUser;
    if (!QDir::setCurrent(QFile::decodeName(argv[arg + 2])))
        return HelperNoFolder;

    if (mode == "save-new") {
        std::printf("%s\n", saveStatusName(saveNewRecordsLikeTheProgram(file)));
        return HelperDone;
    }
    if (mode == "save-loop") {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
        for (long n = 0;; ++n) {
            saveBigRecords(file, int(n % 2));
            std::printf("saved %ld\n", n);
            std::fflush(stdout);
        }
    }
    return HelperUsage;
}
