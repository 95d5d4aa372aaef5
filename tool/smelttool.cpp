#include "smelttool.h"

#include "checks.h"
#include "dumptext.h"
#include "jsonio.h"
#include "merge.h"
#include "smeltfile.h"
#include "tooltext.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace {

const char ProgramName[] = "smeltwork-tool";

QString usageText()
{
    return SmeltworkTool::tr(
        "Usage: smeltwork-tool COMMAND [ARGUMENTS]\n"
        "\n"
        "Shows, checks and converts the Smeltwork crafting data file (Smeltwork.dat) and\n"
        "help file (Smeltwork.hlp). Each file is recognised by its contents, whatever its\n"
        "name.\n"
        "\n"
        "Commands:\n"
        "  dump FILE             show the file as an indented text tree\n"
        "  export FILE           write the file as JSON to standard output\n"
        "  import JSON OUTFILE   write the file that exported JSON describes to OUTFILE\n"
        "  check FILE            report what is legal in the file but looks like a mistake\n"
        "  merge BASE OURS THEIRS\n"
        "                        merge two versions of a file against their common base,\n"
        "                        record by record, over OURS (a git merge driver)\n"
        "\n"
        "Options:\n"
        "  -h, --help            show this help; after a command, the command's help\n"
        "  --version             show the version\n"
        "\n"
        "Exit status: 0 when all is well; 1 when check found problems, a file is damaged\n"
        "(what could be read is still shown) or a merge left conflicts; 2 for bad usage, a\n"
        "file that cannot be read or is not a Smeltwork file, JSON that cannot be imported,\n"
        "files that cannot be merged, or an output file that cannot be written.\n");
}

struct Command
{
    const char *name;
    int arguments;
    const char *help;
};

const Command Commands[] = {
    {"dump", 1,
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Usage: smeltwork-tool dump FILE\n"
                       "\n"
                       "Shows a data or help file as an indented text tree on standard output:\n"
                       "one line for each group, process and requirement, or for each topic\n"
                       "followed by its body line by line after \"|\". Strings are quoted with\n"
                       "C-style escapes; a null string shows as null, an empty one as \"\".\n"
                       "The output is stable, so two dumps diff well (see the git textconv\n"
                       "driver in the README).\n"
                       "\n"
                       "A damaged file is shown as far as it could be read, followed by a line\n"
                       "saying so; the exit status is then 1.\n")},
    {"export", 1,
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Usage: smeltwork-tool export FILE\n"
                       "\n"
                       "Writes a data or help file as JSON to standard output. Nothing is lost:\n"
                       "null strings are null and empty ones \"\", ids are signed numbers, types\n"
                       "and QLs are numbers, and a string that is not well-formed UTF-16 is\n"
                       "written as {\"utf16\": [code units]}. Importing the output gives the\n"
                       "same file again.\n"
                       "\n"
                       "A damaged file is exported as far as it could be read; the exit status\n"
                       "is then 1.\n")},
    {"import", 2,
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Usage: smeltwork-tool import JSON OUTFILE\n"
                       "\n"
                       "Writes the data or help file described by JSON in the form that export\n"
                       "writes (its \"format\" says which) to OUTFILE. JSON \"-\" reads standard\n"
                       "input. Invalid JSON, unknown or missing keys, values of the wrong type\n"
                       "and values out of range (a QL above 255, a type outside 0 to 255, an id\n"
                       "outside the 32-bit range, more than 65535 entries in a list) are\n"
                       "refused with the path of the offending value, and nothing is written.\n"
                       "OUTFILE is replaced only once the new file has been written in full.\n")},
    {"check", 1,
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Usage: smeltwork-tool check FILE\n"
                       "\n"
                       "Reports what is legal in a file but most likely a mistake, one line each,\n"
                       "beginning with the path of the value as export writes it:\n"
                       "  data file: a minimum QL above the maximum; an empty name; a name that\n"
                       "  repeats among its siblings; a requirement type other than 0 (item/tool)\n"
                       "  or 1 (skill); a skill with an id other than 0; an item/tool with id 0;\n"
                       "  a multiplier that counts as fixed only because it is not a number\n"
                       "  (\"1,5\", \"x2\").\n"
                       "  help file: an id that repeats; a sub-topic (an id with a positive\n"
                       "  fraction) before any top-level topic, which leaves it without a parent;\n"
                       "  a body whose tags are not closed.\n"
                       "A damaged file is reported with how much of it could be read.\n"
                       "\n"
                       "Exit status 0 when nothing was found, 1 when something was.\n")},
    {"merge", 3,
     QT_TRANSLATE_NOOP(
         "SmeltworkTool",
         "Usage: smeltwork-tool merge [-o FILE] BASE OURS THEIRS\n"
         "\n"
         "Merges two versions of a data file, or of a help file, against their common\n"
         "base, record by record, and writes the result over OURS, or with -o to FILE\n"
         "(OURS is then left alone). This is how git calls a merge driver, once\n"
         ".gitattributes holds lines such as \"*.dat merge=smeltwork\" and the driver\n"
         "is configured (see the README):\n"
         "  git config merge.smeltwork.driver \"smeltwork-tool merge %O %A %B\"\n"
         "\n"
         "Records match by name: groups among the groups, processes within their group,\n"
         "requirements by name and kind (item/tool for type 0, skill for any other type)\n"
         "within their process, and help topics by id. When a name repeats in a list,\n"
         "its n-th record matches the n-th of that name. A null name differs from \"\".\n"
         "\n"
         "Merged without a conflict: a record added on one side; a record deleted on one\n"
         "side and unchanged on the other; a field changed on one side, or to the same\n"
         "value on both; a list reordered (sorted) on one side, where the records the\n"
         "other side added follow the record they followed there, or come first. A new\n"
         "name is a rename when the record's other content is unchanged, else a deletion\n"
         "and an addition. Both sides adding records of the same name is clean only when\n"
         "the two are equal.\n"
         "\n"
         "Conflicts: a field changed to different values; a record deleted on one side\n"
         "and changed on the other; a record both sides added, differently; a list both\n"
         "sides reordered, differently. The output holds our side's value at each (a\n"
         "record ours deleted stays out). Each conflict is one line on standard error:\n"
         "  $.groups[3].procs[0].maxQL: base 100, ours 150, theirs 120\n"
         "The path is the one export writes, into the output as written; a record left\n"
         "out gets the position it would have taken, and an order conflict the path of\n"
         "the list. All conflicts go to the JSON file OUTPUT.conflicts.json beside the\n"
         "output, with the three versions of each value in export's JSON form: a whole\n"
         "record for a record, null for a record missing on that side, the list of\n"
         "names for an order:\n"
         "  {\"conflicts\": [{\"path\": \"$.groups[3].procs[0].maxQL\",\n"
         "                  \"base\": 100, \"ours\": 150, \"theirs\": 120}]}\n"
         "In a git merge OURS is git's temporary copy, named like .merge_file_XXXXXX at\n"
         "the top of the work tree, and the conflicts file is named after it. Resolve\n"
         "the conflicts in the output (with export and import, or the program). A clean\n"
         "merge removes a conflicts file left there by an earlier one.\n"
         "\n"
         "Exit status 0 for a clean merge, 1 when conflicts remain, 2 for bad usage, an\n"
         "input that cannot be read, is damaged or is of another kind than the others, a\n"
         "merge that would put more than 65535 records in one list, or an output that\n"
         "cannot be written; nothing is written then.\n")},
};

// Collects the loaders' warnings while a file is read, so that they reach the user as the
// tool's own messages; the load trace is dropped.
class LoaderMessages
{
public:
    LoaderMessages()
    {
        s_lines = &m_lines;
        m_previous = qInstallMessageHandler(handler);
    }
    ~LoaderMessages()
    {
        qInstallMessageHandler(m_previous);
        s_lines = nullptr;
    }
    LoaderMessages(const LoaderMessages &) = delete;
    LoaderMessages &operator=(const LoaderMessages &) = delete;

    QStringList lines() const { return m_lines; }

private:
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type != QtDebugMsg && type != QtInfoMsg && s_lines)
            s_lines->append(text);
    }

    static inline QStringList *s_lines = nullptr;
    QStringList m_lines;
    QtMessageHandler m_previous;
};

class Tool
{
public:
    Tool(QIODevice &out, QIODevice &err, QIODevice &in) : m_out(out), m_err(err), m_in(in) {}

    int run(QStringList arguments)
    {
        if (arguments.isEmpty()) {
            m_err.write(usageText().toUtf8());
            return ExitFailure;
        }
        const QString first = arguments.takeFirst();
        if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
            m_out.write(usageText().toUtf8());
            return ExitFine;
        }
        if (first == QLatin1String("--version")) {
            m_out.write(QByteArray(ProgramName) + ' ' +
                        QCoreApplication::applicationVersion().toUtf8() + '\n');
            return ExitFine;
        }
        if (first == QLatin1String("help")) {
            if (arguments.isEmpty()) {
                m_out.write(usageText().toUtf8());
                return ExitFine;
            }
            if (const Command *command = find(arguments.first())) {
                m_out.write(SmeltworkTool::tr(command->help).toUtf8());
                return ExitFine;
            }
            return usageError(SmeltworkTool::tr("unknown command \"%1\"").arg(arguments.first()));
        }
        const Command *command = find(first);
        if (!command)
            return usageError(first.startsWith(u'-')
                                  ? SmeltworkTool::tr("unknown option \"%1\"").arg(first)
                                  : SmeltworkTool::tr("unknown command \"%1\"").arg(first));
        if (QLatin1String(command->name) == QLatin1String("merge"))
            return merge(*command, arguments);

        QStringList operands;
        bool optionsEnd = false;
        for (const QString &argument : std::as_const(arguments)) {
            if (!optionsEnd &&
                (argument == QLatin1String("-h") || argument == QLatin1String("--help"))) {
                m_out.write(SmeltworkTool::tr(command->help).toUtf8());
                return ExitFine;
            }
            if (!optionsEnd && argument == QLatin1String("--")) {
                optionsEnd = true;
            } else if (!optionsEnd && argument.startsWith(u'-') && argument != QLatin1String("-")) {
                return usageError(SmeltworkTool::tr("%1: unknown option \"%2\"")
                                      .arg(QLatin1String(command->name), argument));
            } else {
                operands << argument;
            }
        }
        if (operands.size() != command->arguments)
            return usageError(
                SmeltworkTool::tr("%1 takes %n argument(s), %2 given; see \"smeltwork-tool %1 "
                                  "--help\"",
                                  nullptr, command->arguments)
                    .arg(QLatin1String(command->name))
                    .arg(operands.size()));

        const QByteArray name = command->name;
        if (name == "dump")
            return dump(operands.at(0));
        if (name == "export")
            return exportFile(operands.at(0));
        if (name == "import")
            return importFile(operands.at(0), operands.at(1));
        return check(operands.at(0));
    }

private:
    static const Command *find(const QString &name)
    {
        for (const Command &command : Commands) {
            if (name == QLatin1String(command.name))
                return &command;
        }
        return nullptr;
    }

    void message(const QString &text)
    {
        m_err.write(QByteArray(ProgramName) + ": " + text.toUtf8() + '\n');
    }

    int usageError(const QString &text)
    {
        message(text);
        m_err.write(
            SmeltworkTool::tr("Run \"smeltwork-tool --help\" for the commands.\n").toUtf8());
        return ExitFailure;
    }

    // Reads a data or help file. ExitFailure when it cannot be read or is neither kind;
    // ExitProblems when it is damaged, with what could be read in `file`.
    int load(const QString &path, SmeltFile &file, QString &damage)
    {
        const QFileInfo info(path);
        QByteArray bytes;
        if (info.isDir()) {
            message(SmeltworkTool::tr("%1: is a folder, not a file").arg(path));
            return ExitFailure;
        }
        if (readWholeFile(path, bytes).status != LoadStatus::Loaded) {
            message(info.exists() ? SmeltworkTool::tr("%1: cannot be read").arg(path)
                                  : SmeltworkTool::tr("%1: no such file").arg(path));
            return ExitFailure;
        }
        SmeltFile::Kind kind;
        if (!smeltFileKind(bytes, kind)) {
            message(SmeltworkTool::tr("%1: not a Smeltwork data or help file (it begins with "
                                      "\"%2\" instead of a known magic number)")
                        .arg(path, QString::fromLatin1(bytes.left(4).toHex(' ').toUpper())));
            return ExitFailure;
        }

        SmeltFile read;
        read.kind = kind;
        FileReport report;
        if (kind == SmeltFile::Crafting) {
            report = readCraftingData(bytes, read.groups);
            damage = SmeltworkTool::tr("%1, %2, %3")
                         .arg(SmeltworkTool::tr("%n group(s)", nullptr, report.groups),
                              SmeltworkTool::tr("%n process(es)", nullptr, report.procs),
                              SmeltworkTool::tr("%n requirement(s)", nullptr, report.reqs));
        } else {
            report = readHelpTopics(bytes, read.topics);
            damage = SmeltworkTool::tr("%n topic(s)", nullptr, report.topics);
        }
        file = std::move(read);
        if (report.status == LoadStatus::Loaded)
            return ExitFine;
        message(SmeltworkTool::tr("%1: damaged at byte %2; read as far as it goes (%3)")
                    .arg(path)
                    .arg(report.damagedAt)
                    .arg(damage));
        return ExitProblems;
    }

    int dump(const QString &path)
    {
        SmeltFile file;
        QString damage;
        const int status = load(path, file, damage);
        if (status == ExitFailure)
            return status;
        m_out.write(dumpText(file));
        if (status == ExitProblems)
            m_out.write(SmeltworkTool::tr("(damaged file: nothing after this point could be "
                                          "read; %1)\n")
                            .arg(damage)
                            .toUtf8());
        return status;
    }

    int exportFile(const QString &path)
    {
        SmeltFile file;
        QString damage;
        const int status = load(path, file, damage);
        if (status == ExitFailure)
            return status;
        m_out.write(exportJson(file));
        return status;
    }

    int importFile(const QString &jsonPath, const QString &outPath)
    {
        QByteArray json;
        if (jsonPath == QLatin1String("-")) {
            json = m_in.readAll();
        } else if (readWholeFile(jsonPath, json).status != LoadStatus::Loaded) {
            message(QFileInfo::exists(jsonPath)
                        ? SmeltworkTool::tr("%1: cannot be read").arg(jsonPath)
                        : SmeltworkTool::tr("%1: no such file").arg(jsonPath));
            return ExitFailure;
        }
        const QString source =
            jsonPath == QLatin1String("-") ? SmeltworkTool::tr("standard input") : jsonPath;
        SmeltFile file;
        QString error;
        if (!importJson(json, file, error)) {
            message(SmeltworkTool::tr("%1: %2; nothing was written").arg(source, error));
            return ExitFailure;
        }

        SaveStatus status;
        QStringList warnings;
        {
            LoaderMessages writer; // the save trace is not for the tool's users
            status =
                (file.kind == SmeltFile::Crafting ? saveFile(outPath, file.groups, false)
                                                  : saveFile(outPath, file.topics, false))
                    .status;
            warnings = writer.lines();
        }
        for (const QString &warning : std::as_const(warnings))
            message(outPath + QStringLiteral(": ") + warning);
        switch (status) {
        case SaveStatus::Saved:
            return ExitFine;
        case SaveStatus::NotWritable:
        case SaveStatus::NotAFile:
        case SaveStatus::BackupFailed:
            message(SmeltworkTool::tr("%1: cannot be written").arg(outPath));
            break;
        case SaveStatus::WriteFailed:
            message(
                SmeltworkTool::tr("%1: writing failed; the file was left as it was").arg(outPath));
            break;
        }
        return ExitFailure;
    }

    int check(const QString &path)
    {
        SmeltFile file;
        QString damage;
        const int status = load(path, file, damage);
        if (status == ExitFailure)
            return status;
        QStringList problems;
        if (status == ExitProblems)
            problems << SmeltworkTool::tr("$: damaged file, read only in part (%1)").arg(damage);
        problems += checkFile(file);
        for (const QString &problem : std::as_const(problems))
            m_out.write(problem.toUtf8() + '\n');
        return problems.isEmpty() ? ExitFine : ExitProblems;
    }

    // The one command with an option reads its own arguments.
    int merge(const Command &command, const QStringList &arguments)
    {
        QStringList operands;
        QString output;
        bool optionsEnd = false;
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            const QString &argument = arguments.at(i);
            if (optionsEnd || argument == QLatin1String("-") || !argument.startsWith(u'-')) {
                operands << argument;
            } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
                m_out.write(SmeltworkTool::tr(command.help).toUtf8());
                return ExitFine;
            } else if (argument == QLatin1String("--")) {
                optionsEnd = true;
            } else if (argument == QLatin1String("-o") && i + 1 < arguments.size()) {
                output = arguments.at(++i);
            } else {
                return usageError(argument == QLatin1String("-o")
                                      ? SmeltworkTool::tr("merge: -o needs a file name")
                                      : SmeltworkTool::tr("%1: unknown option \"%2\"")
                                            .arg(QLatin1String(command.name), argument));
            }
        }
        if (operands.size() != command.arguments)
            return usageError(
                SmeltworkTool::tr("%1 takes %2 argument(s), %3 given; see \"smeltwork-tool %1 "
                                  "--help\"")
                    .arg(QLatin1String(command.name))
                    .arg(command.arguments)
                    .arg(operands.size()));
        if (output.isEmpty())
            output = operands.at(1);

        // Partial data would merge as if the rest had been deleted.
        SmeltFile files[3];
        for (int i = 0; i < 3; ++i) {
            QString damage;
            const int status = load(operands.at(i), files[i], damage);
            if (status == ExitProblems)
                message(SmeltworkTool::tr("%1: damaged; nothing was merged").arg(operands.at(i)));
            if (status != ExitFine)
                return ExitFailure;
            if (files[i].kind != files[0].kind) {
                message(SmeltworkTool::tr("%1 and %2 are not the same kind of file (one is a "
                                          "data file, the other a help file); nothing was merged")
                            .arg(operands.at(0), operands.at(i)));
                return ExitFailure;
            }
        }

        const Merged<SmeltFile> merged = mergeSmeltFiles(files[0], files[1], files[2]);
        qsizetype size = 0;
        const QString overfull = overfullList(merged.value, size);
        if (!overfull.isEmpty()) {
            message(SmeltworkTool::tr("%1: the merge holds %n records there, more than the file "
                                      "can count (%2); nothing was written",
                                      nullptr, int(size))
                        .arg(overfull)
                        .arg(MaxListSize));
            return ExitFailure;
        }

        // The conflicts are written first, so that a merged file never lacks its list.
        const QString conflictsPath = output + QStringLiteral(".conflicts.json");
        const QByteArray conflicts = conflictsJson(merged.conflicts);
        SaveStatus status = SaveStatus::Saved;
        QString failed;
        QStringList warnings;
        {
            LoaderMessages writer; // the save trace is not for the tool's users
            if (!merged.conflicts.isEmpty()) {
                status = saveAtomically(conflictsPath, false, [&conflicts](QIODevice &device) {
                             return device.write(conflicts) == conflicts.size();
                         }).status;
                failed = conflictsPath;
            }
            if (status == SaveStatus::Saved) {
                status = (merged.value.kind == SmeltFile::Crafting
                              ? saveFile(output, merged.value.groups, false)
                              : saveFile(output, merged.value.topics, false))
                             .status;
                failed = output;
                if (status != SaveStatus::Saved && !merged.conflicts.isEmpty())
                    QFile::remove(conflictsPath);
            }
            warnings = writer.lines();
        }
        for (const QString &warning : std::as_const(warnings))
            message(failed + QStringLiteral(": ") + warning);
        if (status != SaveStatus::Saved) {
            message(
                SmeltworkTool::tr("%1: cannot be written; the merge was not saved").arg(failed));
            return ExitFailure;
        }
        if (merged.conflicts.isEmpty()) {
            if (QFile::exists(conflictsPath) && !QFile::remove(conflictsPath))
                message(SmeltworkTool::tr("%1: left by an earlier merge, and cannot be removed")
                            .arg(conflictsPath));
            return ExitFine;
        }
        for (const MergeConflict &conflict : merged.conflicts)
            m_err.write(conflict.path.toUtf8() + ": " + conflict.summary.toUtf8() + '\n');
        message(SmeltworkTool::tr("%1: %n conflict(s) left, each with our side's value; all are "
                                  "listed in %2",
                                  nullptr, int(merged.conflicts.size()))
                    .arg(output, conflictsPath));
        return ExitProblems;
    }

    QIODevice &m_out;
    QIODevice &m_err;
    QIODevice &m_in;
};

} // namespace

int runSmeltworkTool(const QStringList &arguments, QIODevice &out, QIODevice &err, QIODevice &in)
{
    return Tool(out, err, in).run(arguments);
}
