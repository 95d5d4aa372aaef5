#include "tool/smelttool.h"

#include "data/checks.h"
#include "data/dumptext.h"
#include "data/folderlock.h"
#include "data/jsonio.h"
#include "data/smeltfile.h"
#include "tool/merge.h"
#include "tool/tooltext.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>

namespace {

const char ProgramName[] = "smeltwork-tool";

// A data or help file as a command read it.
struct Input
{
    int status = ExitFailure;
    SmeltFile file;
    FileReport report;
    qint64 end = 0; // where the last record ends

    QString counts() const
    {
        if (std::holds_alternative<HelpTopics>(file))
            return SmeltworkTool::tr("%n topic(s)", nullptr, report.topics);
        return SmeltworkTool::tr("%1, %2, %3")
            .arg(SmeltworkTool::tr("%n group(s)", nullptr, report.groups),
                 SmeltworkTool::tr("%n process(es)", nullptr, report.procs),
                 SmeltworkTool::tr("%n requirement(s)", nullptr, report.reqs));
    }
    // Words for the bytes after the last record, which no command shows.
    QString trailing() const
    {
        return SmeltworkTool::tr("%n byte(s) after the last record, from byte %1, which no "
                                 "record holds",
                                 nullptr, int(qMin<qint64>(report.trailing, INT_MAX)))
            .arg(end);
    }
};

class Tool;

// An option of one command.
struct Option
{
    const char *name;  // "o" is typed -o, "force" --force
    const char *value; // what follows it ("FILE"), or null for a switch
    const char *summary;

    QString typed() const
    {
        return QLatin1String(qstrlen(name) == 1 ? "-" : "--") + QLatin1String(name);
    }
};

struct Command
{
    const char *name;
    const char *operands; // "BASE OURS THEIRS [PATH]": those in brackets may be left out
    std::vector<Option> options;
    int (Tool::*run)(const QStringList &operands);
    const char *summary; // a line or two for the tool's usage text
    const char *help;    // the command's own help, after its usage line

    // "merge [-o FILE] BASE OURS THEIRS [PATH]"
    QString usage() const
    {
        QString line = QLatin1String(name);
        for (const Option &option : options)
            line += QStringLiteral(" [") + option.typed() +
                    (option.value ? u' ' + QLatin1String(option.value) : QString()) + u']';
        return line + u' ' + QLatin1String(operands);
    }
    qsizetype required() const { return QString(operands).split(u' ').size() - optional(); }
    qsizetype optional() const { return QString(operands).count(u'['); }
};

class Tool
{
public:
    Tool(QIODevice &out, QIODevice &err, QIODevice &in) : m_out(out), m_err(err), m_in(in) {}

    int run(const QStringList &arguments);

    int dump(const QStringList &operands)
    {
        const Input input = load(operands.at(0));
        if (input.status == ExitFailure)
            return ExitFailure;
        m_out.write(dumpText(input.file));
        if (input.status == ExitProblems)
            m_out.write(SmeltworkTool::tr("(damaged file: nothing after this point could be "
                                          "read; %1)\n")
                            .arg(input.counts())
                            .toUtf8());
        return input.status;
    }

    int exportFile(const QStringList &operands)
    {
        const Input input = load(operands.at(0));
        if (input.status != ExitFailure)
            m_out.write(exportJson(input.file));
        return input.status;
    }

    int importFile(const QStringList &operands)
    {
        const QString &jsonPath = operands.at(0), &outPath = operands.at(1);
        if (!replaceable(outPath))
            return ExitFailure;
        QByteArray json;
        if (jsonPath == QLatin1String("-"))
            json = m_in.readAll();
        else if (!read(jsonPath, json))
            return ExitFailure;
        SmeltFile file;
        QString error;
        if (!importJson(json, file, error)) {
            const QString source =
                jsonPath == QLatin1String("-") ? SmeltworkTool::tr("standard input") : jsonPath;
            message(SmeltworkTool::tr("%1: %2; nothing was written").arg(source, error));
            return ExitFailure;
        }
        std::unique_ptr<FolderLock> lock;
        if (!lockFolderOf(outPath, lock))
            return ExitFailure;
        return replace(outPath, [&] { return saveSmeltFile(outPath, file); }) ? ExitFine
                                                                              : ExitFailure;
    }

    int check(const QStringList &operands)
    {
        const Input input = load(operands.at(0));
        if (input.status == ExitFailure)
            return ExitFailure;
        QStringList problems;
        if (input.status == ExitProblems)
            problems
                << SmeltworkTool::tr("$: damaged file, read only in part (%1)").arg(input.counts());
        if (input.report.trailing > 0)
            problems << QStringLiteral("$: ") + input.trailing();
        for (const CheckProblem &problem : checkFile(input.file))
            problems << problemLine(problem);
        for (const QString &problem : std::as_const(problems))
            m_out.write(problem.toUtf8() + '\n');
        return problems.isEmpty() ? ExitFine : ExitProblems;
    }

    int merge(const QStringList &operands)
    {
        const QString output = m_options.value(QStringLiteral("o"), operands.at(1));
        // Git names the file in the work tree as a fourth argument when asked to (%P): the
        // conflicts belong beside it rather than beside git's temporary copy of ours.
        const QString shown = operands.value(3, output);
        const QString conflictsPath = shown + QStringLiteral(".conflicts.json");
        if (!replaceable(output) || !replaceable(conflictsPath))
            return ExitFailure;

        // Partial data would merge as if the rest had been deleted.
        SmeltFile files[3];
        for (int i = 0; i < 3; ++i) {
            Input input = load(operands.at(i));
            if (input.status == ExitProblems)
                message(SmeltworkTool::tr("%1: damaged; nothing was merged").arg(operands.at(i)));
            if (input.status != ExitFine)
                return ExitFailure;
            files[i] = std::move(input.file);
            if (files[i].index() != files[0].index()) {
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

        std::unique_ptr<FolderLock> lock;
        if (!lockFolderOf(output, lock))
            return ExitFailure;
        const auto saveMerged = [&] { return saveSmeltFile(output, merged.value); };
        if (merged.conflicts.isEmpty()) {
            if (!replace(output, saveMerged))
                return ExitFailure;
            if (QFile::exists(conflictsPath) && !QFile::remove(conflictsPath))
                message(SmeltworkTool::tr("%1: left by an earlier merge, and cannot be removed")
                            .arg(conflictsPath));
            return ExitFine;
        }
        // The conflicts are written first, so that a merged file never lacks its list.
        const QByteArray conflicts = conflictsJson(merged.conflicts);
        const auto saveConflicts = [&] {
            return saveAtomically(conflictsPath, false, [&](QIODevice &device) {
                return device.write(conflicts) == conflicts.size();
            });
        };
        if (!replace(conflictsPath, saveConflicts) || !replace(output, saveMerged)) {
            QFile::remove(conflictsPath);
            return ExitFailure;
        }
        for (const MergeConflict &conflict : merged.conflicts)
            m_err.write(conflictLine(conflict).toUtf8() + '\n');
        message(SmeltworkTool::tr("%1: %n conflict(s) left, each with our side's value; all are "
                                  "listed in %2",
                                  nullptr, int(merged.conflicts.size()))
                    .arg(shown, conflictsPath));
        return ExitProblems;
    }

private:
    int runCommand(const Command &command, const QStringList &arguments);

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

    // Reads a whole file, or says why not. A pipe or a device is never opened for good, and a
    // socket cannot be opened at all: each is named for what it is.
    bool read(const QString &path, QByteArray &bytes)
    {
        const FileReport report = readWholeFile(path, bytes);
        if (report.status == LoadStatus::Loaded)
            return true;
        if (report.status == LoadStatus::NotAFile)
            message(SmeltworkTool::tr("%1: is %2, not a file").arg(path, report.reason));
        else if (report.status == LoadStatus::Unreadable)
            message(SmeltworkTool::tr("%1: cannot be read (%2)").arg(path, report.reason));
        else
            message(SmeltworkTool::tr("%1: no such file").arg(path));
        return false;
    }

    // Reads a data or help file: ExitFailure when it cannot be read or is neither kind,
    // ExitProblems when it is damaged, with what could be read in `file`. Bytes after the last
    // record are said here, whatever the command.
    Input load(const QString &path)
    {
        Input input;
        QByteArray bytes;
        if (!read(path, bytes))
            return input;
        if (bytes.size() < 4) {
            message(SmeltworkTool::tr("%1: too short to be a Smeltwork file (%n byte(s))", nullptr,
                                      int(bytes.size()))
                        .arg(path));
            return input;
        }
        input.report = readSmeltFile(bytes, input.file);
        input.end = bytes.size() - input.report.trailing;
        switch (input.report.status) {
        case LoadStatus::Loaded:
            if (input.report.trailing > 0)
                message(path + QStringLiteral(": ") + input.trailing());
            input.status = ExitFine;
            break;
        case LoadStatus::Damaged:
            message(SmeltworkTool::tr("%1: damaged at byte %2; read as far as it goes (%3)")
                        .arg(path)
                        .arg(input.report.damagedAt)
                        .arg(input.counts()));
            input.status = ExitProblems;
            break;
        default:
            message(SmeltworkTool::tr("%1: not a Smeltwork data or help file (it begins with "
                                      "\"%2\" instead of a known magic number)")
                        .arg(path, QString::fromLatin1(bytes.left(4).toHex(' ').toUpper())));
        }
        return input;
    }

    // An output is saved over a regular file or where nothing is yet: a save renames its new file
    // over the path, which would put a file where a device or a pipe was.
    bool replaceable(const QString &path)
    {
        const QString kind = whatIsNotAFile(path);
        if (!kind.isEmpty())
            message(
                SmeltworkTool::tr("%1: is %2, not a file; nothing was written").arg(path, kind));
        return kind.isEmpty();
    }

    // A window holds its folder's lock while it has the folder's data and help file open, and
    // its next save would undo what is written there meanwhile: unless forced, the tool
    // writes either file only under that lock, which also keeps a window from opening while
    // it writes. Other files in the folder are no window's concern.
    bool lockFolderOf(const QString &path, std::unique_ptr<FolderLock> &lock)
    {
        QString name;
        const QByteArray folder = physicalFolderOf(path, &name);
        if (m_options.contains(QStringLiteral("force")) || folder.isEmpty() ||
            (name != craftingFilePath() && name != helpFilePath()))
            return true;
        lock = std::make_unique<FolderLock>(folder);
        if (!lock->heldElsewhere())
            return true;
        qint64 pid = 0;
        QString host, program;
        const QString holder = lock->holder(&pid, &host, &program)
                                   ? SmeltworkTool::tr("%1 (process %2 on host %3)")
                                         .arg(program, QString::number(pid), host)
                                   : SmeltworkTool::tr("another program");
        message(
            SmeltworkTool::tr("%1: open in %2; close it first, or pass --force").arg(path, holder));
        return false;
    }

    // Saves `path` through `save` and says what failed; the library's own warning line, if any,
    // comes first.
    bool replace(const QString &path, const std::function<SaveResult()> &save)
    {
        switch (save().status) {
        case SaveStatus::Saved:
            return true;
        case SaveStatus::WriteFailed:
            message(SmeltworkTool::tr("%1: writing failed; the file was left as it was").arg(path));
            return false;
        default:
            message(SmeltworkTool::tr("%1: cannot be written").arg(path));
            return false;
        }
    }

    QIODevice &m_out;
    QIODevice &m_err;
    QIODevice &m_in;
    QHash<QString, QString> m_options; // the command's options given, with their values
};

const Option ForceOption{
    "force", nullptr,
    QT_TRANSLATE_NOOP("SmeltworkTool", "write even while a window has the file's folder open")};

const Command Commands[] = {
    {"dump",
     "FILE",
     {},
     &Tool::dump,
     QT_TRANSLATE_NOOP("SmeltworkTool", "show the file as an indented text tree"),
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Shows a data or help file as an indented text tree on standard output:\n"
                       "one line for each group, process and requirement, or for each topic\n"
                       "followed by its body line by line after \"|\". Strings are quoted with\n"
                       "C-style escapes; a null string shows as null, an empty one as \"\".\n"
                       "Characters that a terminal or a diff would not show as they are\n"
                       "(control and format characters, line and paragraph separators, the\n"
                       "bidirectional controls) show as \\u{XXXX}, such as \\u{202E}.\n"
                       "The output is stable, so two dumps diff well (see the git textconv\n"
                       "driver in the README).\n"
                       "\n"
                       "A damaged file is shown as far as it could be read, followed by a line\n"
                       "saying so; the exit status is then 1. Bytes after the last record are\n"
                       "said on standard error.\n")},
    {"export",
     "FILE",
     {},
     &Tool::exportFile,
     QT_TRANSLATE_NOOP("SmeltworkTool", "write the file as JSON to standard output"),
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Writes a data or help file as JSON to standard output. Nothing is lost:\n"
                       "null strings are null and empty ones \"\", ids are signed numbers, types\n"
                       "and QLs are numbers, and a string that is not well-formed UTF-16 is\n"
                       "written as {\"utf16\": [code units]}. Importing the output gives the\n"
                       "same file again.\n"
                       "\n"
                       "A damaged file is exported as far as it could be read; the exit status\n"
                       "is then 1. Bytes after the last record are said on standard error.\n")},
    {"import",
     "JSON OUTFILE",
     {ForceOption},
     &Tool::importFile,
     QT_TRANSLATE_NOOP("SmeltworkTool", "write the file that exported JSON describes to OUTFILE"),
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Writes the data or help file described by JSON in the form that export\n"
                       "writes (its \"format\" says which) to OUTFILE. JSON \"-\" reads standard\n"
                       "input. Invalid JSON, a key that repeats in an object, unknown or missing\n"
                       "keys, values of the wrong type and values out of range (a QL above 255,\n"
                       "a type outside 0 to 255, an id outside the 32-bit range, more than 65535\n"
                       "entries in a list) are refused with the path of the offending value,\n"
                       "and nothing is written. OUTFILE is replaced only once the new file has\n"
                       "been written in full, and only if it is a regular file (or a link to\n"
                       "one).\n"
                       "\n"
                       "While a window (SmeltworkAdmin) has OUTFILE's folder open, writing its\n"
                       "Smeltwork.dat or Smeltwork.hlp is refused with status 2, since the\n"
                       "window's next save would undo it; --force writes anyway, and the window\n"
                       "then notices the new version.\n")},
    {"check",
     "FILE",
     {},
     &Tool::check,
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "report what is legal in the file but looks like a mistake"),
     QT_TRANSLATE_NOOP("SmeltworkTool",
                       "Reports what is legal in a file but most likely a mistake, one line each,\n"
                       "beginning with the path of the value as export writes it:\n"
                       "  data file: a minimum QL above the maximum; an empty name; a name that\n"
                       "  repeats among its siblings; a requirement type other than 0 (item/tool)\n"
                       "  or 1 (skill); a skill with an id other than 0; an item/tool with id 0;\n"
                       "  a multiplier that counts as fixed only because it is not a number\n"
                       "  (\"1,5\", \"x2\"); an item/tool name used with more than one id, and an\n"
                       "  id used under more than one name, each said at the requirements that\n"
                       "  differ from what most hold (from the first met, when none does most):\n"
                       "    $.groups[3].procs[2].reqs[1].id: item/tool \"Crucible\" has id 40013\n"
                       "    here and 40012 in 412 other places\n"
                       "  Skills, empty names and id 0 count for neither.\n"
                       "  help file: an id that repeats; a sub-topic (an id with a positive\n"
                       "  fraction) before any top-level topic, which leaves it without a parent;\n"
                       "  a body whose tags are not closed.\n"
                       "A damaged file is reported with how much of it could be read, and bytes\n"
                       "after the last record with where they begin.\n"
                       "\n"
                       "Exit status 0 when nothing was found, 1 when something was.\n")},
    {"merge",
     "BASE OURS THEIRS [PATH]",
     {{"o", "FILE",
       QT_TRANSLATE_NOOP("SmeltworkTool", "write the merge to FILE and leave OURS alone")},
      ForceOption},
     &Tool::merge,
     QT_TRANSLATE_NOOP("SmeltworkTool", "merge two versions of a file against their common base,\n"
                                        "record by record, over OURS (a git merge driver)"),
     QT_TRANSLATE_NOOP(
         "SmeltworkTool",
         "Merges two versions of a data file, or of a help file, against their common\n"
         "base, record by record, and writes the result over OURS, or with -o to FILE\n"
         "(OURS is then left alone). This is how git calls a merge driver, once\n"
         ".gitattributes holds lines such as \"*.dat merge=smeltwork\" and the driver\n"
         "is configured (see the README):\n"
         "  git config merge.smeltwork.driver \"smeltwork-tool merge %O %A %B %P\"\n"
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
         "  $.groups[3].procs[0].maxQL (group \"Tools\" \u203A process \"Tongs\"): base 100,\n"
         "  ours 150, theirs 120\n"
         "The path is the one export writes, into the output as written; a record left\n"
         "out gets the position it would have taken, and an order conflict the path of\n"
         "the list. The records along the path follow by kind and name (a help topic by\n"
         "its id). All conflicts go to the JSON file PATH.conflicts.json, or without\n"
         "PATH to OUTPUT.conflicts.json beside the output, with the names along the path\n"
         "and the three versions of each value in export's JSON form: a whole record for\n"
         "a record, null for a record missing on that side, the list of names for an\n"
         "order:\n"
         "  {\"conflicts\": [{\"path\": \"$.groups[3].procs[0].maxQL\",\n"
         "                  \"names\": [\"Tools\", \"Tongs\"],\n"
         "                  \"base\": 100, \"ours\": 150, \"theirs\": 120}]}\n"
         "In a git merge OURS is git's temporary copy, named like .merge_file_XXXXXX at\n"
         "the top of the work tree; %P passes the path of the file in the work tree as\n"
         "PATH, so that the conflicts file lands beside it. Resolve the conflicts in the\n"
         "output (with export and import, or the program). A clean merge removes a\n"
         "conflicts file left there by an earlier one.\n"
         "\n"
         "An output named Smeltwork.dat or Smeltwork.hlp in a folder a window has open\n"
         "is refused, as import refuses it, unless --force is given.\n"
         "\n"
         "Exit status 0 for a clean merge, 1 when conflicts remain, 2 for bad usage, an\n"
         "input that cannot be read, is damaged or is of another kind than the others, a\n"
         "merge that would put more than 65535 records in one list, or an output that\n"
         "cannot be written, is not a regular file or is open in a window; nothing is\n"
         "written then.\n")},
};

// The tool's usage text: its commands, each with its summary and its own options, from the
// table above.
QString usageText()
{
    // Two columns: what is typed, then from column 25 what it does.
    const auto item = [](const QString &typed, const char *summary) {
        QString text = typed;
        text +=
            typed.size() + 2 <= 24 ? QString(24 - typed.size(), u' ') : u'\n' + QString(24, u' ');
        return text + SmeltworkTool::tr(summary).replace(u'\n', u'\n' + QString(24, u' ')) + u'\n';
    };
    QString commands;
    for (const Command &command : Commands) {
        commands +=
            item(QStringLiteral("  ") + command.name + u' ' + command.operands, command.summary);
        for (const Option &option : command.options)
            commands += item(QStringLiteral("    ") + option.typed() +
                                 (option.value ? u' ' + QLatin1String(option.value) : QString()),
                             option.summary);
    }
    return SmeltworkTool::tr(
               "Usage: smeltwork-tool COMMAND [ARGUMENTS]\n"
               "\n"
               "Shows, checks and converts the Smeltwork crafting data file (Smeltwork.dat) and\n"
               "help file (Smeltwork.hlp). Each file is recognised by its contents, whatever its\n"
               "name.\n"
               "\n"
               "Commands:\n") +
           commands +
           SmeltworkTool::tr(
               "\n"
               "Options:\n"
               "  -h, --help            show this help; after a command, the command's help\n"
               "  --version             show the version\n"
               "\n"
               "Exit status: 0 when all is well; 1 when check found problems, a file is damaged\n"
               "(what could be read is still shown) or a merge left conflicts; 2 for bad usage, a\n"
               "file that cannot be read or is not a Smeltwork file, JSON that cannot be "
               "imported,\n"
               "files that cannot be merged, or an output file that cannot be written.\n"
               "Only regular files, or links to them, are read or replaced: a folder, pipe, "
               "device\n"
               "or socket is refused with status 2, and so is standard output that cannot be\n"
               "written (a full disk, a closed pipe).\n");
}

// A command's help: its usage line, then its own text.
QString commandHelp(const Command &command)
{
    return SmeltworkTool::tr("Usage: smeltwork-tool %1\n\n%2")
        .arg(command.usage(), SmeltworkTool::tr(command.help));
}

// The argument as typed of the first option the parser did not know ("--verbose", "-x").
QString unknownOption(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QString name = parser.unknownOptionNames().value(0);
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        const QString typed = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        if (argument.startsWith(u'-') && typed.section(u'=', 0, 0) == name)
            return argument;
    }
    return name;
}

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")}, QString());

int Tool::run(const QStringList &arguments)
{
    // Options before the command are the tool's, the rest the command's.
    const QCommandLineOption version(QStringLiteral("version"), QString());
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addOptions({HelpOption, version});
    if (!parser.parse(QStringList(QLatin1String(ProgramName)) + arguments))
        return usageError(
            SmeltworkTool::tr("unknown option \"%1\"").arg(unknownOption(parser, arguments)));
    QStringList operands = parser.positionalArguments();
    if (parser.isSet(version)) {
        m_out.write(QByteArray(ProgramName) + ' ' +
                    QCoreApplication::applicationVersion().toUtf8() + '\n');
        return ExitFine;
    }
    const bool helpCommand = operands.value(0) == QLatin1String("help");
    if (helpCommand)
        operands.removeFirst();
    if (operands.isEmpty() || parser.isSet(HelpOption)) {
        const bool asked = helpCommand || parser.isSet(HelpOption);
        (asked ? m_out : m_err).write(usageText().toUtf8());
        return asked ? ExitFine : ExitFailure;
    }
    for (const Command &command : Commands) {
        if (operands.first() != QLatin1String(command.name))
            continue;
        if (helpCommand) {
            m_out.write(commandHelp(command).toUtf8());
            return ExitFine;
        }
        return runCommand(command, operands.mid(1));
    }
    return usageError(SmeltworkTool::tr("unknown command \"%1\"").arg(operands.first()));
}

int Tool::runCommand(const Command &command, const QStringList &arguments)
{
    const QLatin1String name(command.name);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(HelpOption);
    for (const Option &option : command.options)
        parser.addOption(
            QCommandLineOption(QLatin1String(option.name), QString(), QLatin1String(option.value)));
    if (!parser.parse(QStringList(QLatin1String(ProgramName)) + arguments)) {
        const QString unknown = unknownOption(parser, arguments);
        if (!unknown.isEmpty())
            return usageError(SmeltworkTool::tr("%1: unknown option \"%2\"").arg(name, unknown));
        for (const Option &option : command.options) {
            if (option.value && arguments.last() == option.typed())
                return usageError(
                    SmeltworkTool::tr("%1: %2 needs a file name").arg(name, option.typed()));
        }
        return usageError(name + QStringLiteral(": ") + parser.errorText());
    }
    if (parser.isSet(HelpOption)) {
        m_out.write(commandHelp(command).toUtf8());
        return ExitFine;
    }
    const QStringList operands = parser.positionalArguments();
    if (operands.size() < command.required() ||
        operands.size() > command.required() + command.optional())
        return usageError(
            SmeltworkTool::tr("%1 takes %n argument(s), %2 given; see \"smeltwork-tool %1 "
                              "--help\"",
                              nullptr, int(command.required()))
                .arg(name)
                .arg(operands.size()));
    for (const Option &option : command.options) {
        if (parser.isSet(QLatin1String(option.name)))
            m_options.insert(QLatin1String(option.name),
                             option.value ? parser.value(QLatin1String(option.name)) : QString());
    }
    return (this->*command.run)(operands);
}

} // namespace

int runSmeltworkTool(const QStringList &arguments, QIODevice &out, QIODevice &err, QIODevice &in)
{
    const int status = Tool(out, err, in).run(arguments);
    // A full disk or a reader that went away shows when the output is flushed, if not before.
    auto *file = qobject_cast<QFileDevice *>(&out);
    if (file && (!file->flush() || file->error() != QFileDevice::NoError)) {
        err.write(QByteArray(ProgramName) + ": " +
                  SmeltworkTool::tr("standard output: cannot be written (%1)")
                      .arg(file->errorString())
                      .toUtf8() +
                  '\n');
        return ExitFailure;
    }
    return status;
}
