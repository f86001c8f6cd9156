// SPDX-License-Identifier: GPL-3.0-or-later
// The command line read into a request: every refusal of bad input is here,
// and every option is one row of the table below.

#include "batch/BatchEdits.h"
#include "batch/BatchOptionHelp.h"
#include "batch/BatchRequest.h"
#include "batch/ListedFiles.h"
#include "engine/backup/BackupHistory.h"
#include "platform/SpreadsheetApplication.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <functional>
#include <vector>

namespace {

// The form's limits: a worksheet's rows and columns.
const int maximumRow = 1048576;
const int maximumColumn = 16384;

bool readNumber(const QString &text, int maximum, int *number)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1 || value > maximum)
        return false;
    *number = value;
    return true;
}

// "K/N": slice K of N.
bool readShard(const QString &text, int *number, int *count)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    return parts.size() == 2 && readNumber(parts.at(1).trimmed(), 100000, count)
        && readNumber(parts.at(0).trimmed(), *count, number);
}

bool readCell(const QString &text, int *row, int *column)
{
    const QStringList parts = text.split(QLatin1Char(','));
    return parts.size() == 2 && readNumber(parts.at(0).trimmed(), maximumRow, row)
        && readNumber(parts.at(1).trimmed(), maximumColumn, column);
}

struct BatchOption
{
    const char *name;
    const char *valueName; // null for a switch
    // Takes the value (empty for a switch) into the request; false refuses it.
    std::function<bool(const QString &value, BatchRequest &request)> read;
    const char *refusal; // when the value is missing or refused
    const char *help;    // its lines under "Options:", null when an edit's help names it
};

BatchOption switchOption(const char *name, bool BatchRequest::*field, const char *help = nullptr)
{
    return {name, nullptr, [field](const QString &, BatchRequest &r) { return r.*field = true; }, nullptr, help};
}

BatchOption textOption(const char *name, const char *valueName, QString BatchRequest::*field,
                       const char *refusal, const char *help = nullptr)
{
    return {name, valueName,
            [field](const QString &value, BatchRequest &r) {
                r.*field = value;
                return true;
            },
            refusal, help};
}

BatchOption cellOption(const char *name, bool BatchRequest::*given, int BatchRequest::*row,
                       int BatchRequest::*column, const char *refusal)
{
    return {name, "ROW,COL",
            [=](const QString &value, BatchRequest &r) { return r.*given = readCell(value, &(r.*row), &(r.*column)); },
            refusal, nullptr};
}

const std::vector<BatchOption> &batchOptions()
{
    static const std::vector<BatchOption> options = {
        switchOption("first-sheet-only", &BatchRequest::firstSheetOnly,
                     "  --first-sheet-only          edit only the first sheet of each workbook\n"),
        {"sheet", "NAME",
         [](const QString &value, BatchRequest &r) {
             r.sheetName = value;
             // No sheet has an empty name: the job would touch nothing.
             return r.hasSheetName = !value.trimmed().isEmpty();
         },
         "--sheet needs a sheet name", "  --sheet NAME                edit only the sheets named NAME\n"},
        switchOption("close-spreadsheet-apps", &BatchRequest::closeSpreadsheetApps,
                     "  --close-spreadsheet-apps    first end running spreadsheet programs that could\n"
                     "                              hold the workbooks open (unsaved work is lost)\n"),
        switchOption("auto-end-row", &BatchRequest::autoEndRow),
        switchOption("auto-end-column", &BatchRequest::autoEndColumn),
        cellOption("start", &BatchRequest::startGiven, &BatchRequest::startRow, &BatchRequest::startColumn,
                   "--start needs ROW,COL with rows 1-1048576 and columns 1-16384"),
        cellOption("end", &BatchRequest::endGiven, &BatchRequest::endRow, &BatchRequest::endColumn,
                   "--end needs ROW,COL with rows 1-1048576 and columns 1-16384"),
        textOption("address", "URL", &BatchRequest::address, "--address needs a value"),
        textOption("sub-address", "LOC", &BatchRequest::subAddress, "--sub-address needs a value"),
        textOption("text", "TEXT", &BatchRequest::displayText, "--text needs a value"),
        switchOption("dry-run", &BatchRequest::dryRun,
                     "  --dry-run                   open and edit every workbook but save none, and\n"
                     "                              report what the job would do; nothing is touched\n"),
        switchOption("no-backup", &BatchRequest::noBackup,
                     "  --no-backup                 keep no originals for undo in this job\n"),
        {"keep-backups", "N",
         [](const QString &value, BatchRequest &r) { return readNumber(value, 1000, &r.keptBackups); },
         "--keep-backups needs a number from 1 to 1000",
         "  --keep-backups N            keep the originals of the last N jobs (default 10)\n"},
        switchOption("list", &BatchRequest::listUndoable,
                     "  --list                      with undo: list the jobs that can be undone\n"),
        switchOption("quiet", &BatchRequest::quiet,
                     "  --quiet                     print only the closing lines and errors\n"),
        {"report", "FILE",
         [](const QString &value, BatchRequest &r) {
             r.reportPath = value == QLatin1String("-") ? value : QFileInfo(value).absoluteFilePath();
             return !value.isEmpty() && !QFileInfo(value).isDir();
         },
         "--report needs a file name",
         "  --report FILE               write one JSON line for each workbook into FILE\n"
         "                              (- : standard output, the other texts then go\n"
         "                              to standard error)\n"},
        {"jobs", "N", [](const QString &value, BatchRequest &r) { return readNumber(value, 64, &r.jobs); },
         "--jobs needs a number from 1 to 64",
         "  --jobs N                    edit N workbooks side by side, each with its own\n"
         "                              spreadsheet application (default: one a core,\n"
         "                              as many as free memory holds at 512 MB each;\n"
         "                              on Windows one)\n"},
        textOption("files-from", "FILE", &BatchRequest::filesFrom, "--files-from needs a file name",
                   "  --files-from FILE           edit the workbooks FILE lists, one path a line\n"
                   "                              (- reads standard input), instead of every one\n"
                   "                              below FOLDER; each must lie below FOLDER\n"),
        {"shard", "K/N",
         [](const QString &value, BatchRequest &r) { return readShard(value, &r.shardNumber, &r.shardCount); },
         "--shard needs K/N with 1 <= K <= N",
         "  --shard K/N                 edit only slice K of N of the workbooks, so that N\n"
         "                              runs, on as many machines, share one folder; each\n"
         "                              slice has its own list file\n"},
    };
    return options;
}

const char *helpLine = "  -h, --help                  show this text\n";
const char *versionLine = "  -V, --version               show the version\n";

BatchParse invalid(const QString &error)
{
    BatchParse parse;
    parse.error = error;
    return parse;
}

// Why QCommandLineParser refused the arguments, in the command's words.
QString parserRefusal(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString name = unknown.first();
        return QStringLiteral("unknown option %1").arg((name.size() > 1 ? "--" : "-") + name);
    }
    // Else a value is missing, which only the last argument can lack.
    for (const BatchOption &option : batchOptions()) {
        if (arguments.last() == QLatin1String("--") + QLatin1String(option.name))
            return QString::fromUtf8(option.refusal);
    }
    return parser.errorText();
}

} // namespace

std::vector<BatchOptionHelp> batchOptionHelp()
{
    std::vector<BatchOptionHelp> options;
    for (const BatchOption &option : batchOptions()) {
        options.push_back({QString::fromUtf8(option.name), QString(), QString::fromUtf8(option.valueName),
                           QString::fromUtf8(option.help)});
    }
    options.push_back({QStringLiteral("help"), QStringLiteral("h"), QString(), QString::fromUtf8(helpLine)});
    options.push_back({QStringLiteral("version"), QStringLiteral("V"), QString(), QString::fromUtf8(versionLine)});
    return options;
}

QString batchVersion()
{
    return QStringLiteral("gridwrighter-batch " GRIDWRIGHTER_VERSION);
}

QString batchUsage()
{
    QString usage = QStringLiteral(
        "Usage: gridwrighter-batch FOLDER EDIT [options]\n"
        "       gridwrighter-batch FOLDER undo [--list]\n"
        "Applies one edit to every workbook (.xls .xlsx .xlsm .csv) below FOLDER and\n"
        "its subfolders, saving each in place. The originals of the workbooks saved\n"
        "are kept in FOLDER/.gridwrighter-backup; undo puts back those of the last job\n"
        "not undone yet, leaving any workbook changed since that job as it is.\n"
        "\n"
        "EDIT is one of:\n");
    for (const BatchEdit &edit : batchEdits())
        usage += QString::fromUtf8(edit.help);
    usage += QStringLiteral("\nOptions:\n");
    for (const BatchOption &option : batchOptions()) {
        if (option.help)
            usage += QString::fromUtf8(option.help);
    }
    usage += QString::fromUtf8(helpLine);
    usage += QString::fromUtf8(versionLine);
    usage += QStringLiteral(
        "\n"
        "Exit status: 0 every workbook edited and saved; 1 some not opened or not saved\n"
        "(their list is written into FOLDER), left untouched or with sheets skipped (each\n"
        "named on standard error with the reason); 2 bad arguments or a report that\n"
        "cannot be written, nothing touched; 3 no spreadsheet application.\n"
        "undo: 0 every workbook restored; 1 some not restored (each named on standard\n"
        "error with the reason, its original left in the backup); 4 no job to undo.\n"
        "\n"
        "On a terminal the progress is one updating line; otherwise every status text\n"
        "is printed on its own line.\n");
    return usage;
}

BatchParse parseBatchArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    parser.addOption(version);
    for (const BatchOption &option : batchOptions()) {
        parser.addOption(QCommandLineOption(QString::fromUtf8(option.name), QString(),
                                            option.valueName ? QString::fromUtf8(option.valueName) : QString()));
    }
    // QCommandLineParser skips the first argument as the program's name.
    const bool parsed = parser.parse(QStringList{QStringLiteral("gridwrighter-batch")} + arguments);
    if (parser.isSet(help)) {
        BatchParse parse;
        parse.result = BatchParse::Help;
        return parse;
    }
    if (parser.isSet(version)) {
        BatchParse parse;
        parse.result = BatchParse::Version;
        return parse;
    }
    if (!parsed)
        return invalid(parserRefusal(parser, arguments));

    BatchParse parse;
    BatchRequest &request = parse.request;
    for (const BatchOption &option : batchOptions()) {
        const QString name = QString::fromUtf8(option.name);
        if (parser.isSet(name) && !option.read(parser.value(name), request))
            return invalid(QString::fromUtf8(option.refusal));
    }

    QStringList positional = parser.positionalArguments();
    if (positional.size() < 2)
        return invalid(QStringLiteral("FOLDER and EDIT are required"));
    // Absolute from here on, so that the job and its undo agree on it, and
    // every path the job prints or reports reads the same elsewhere.
    request.folder = BackupHistory::absoluteFolder(positional.at(0));
    if (!QFileInfo(request.folder).isDir())
        return invalid(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(request.folder)));
    const QString name = positional.at(1);
    if (name == QLatin1String("undo")) {
        if (positional.size() != 2)
            return invalid(QStringLiteral("undo takes no value"));
        // A dry run promises that nothing is touched, which an undo cannot keep.
        if (request.dryRun)
            return invalid(QStringLiteral("--dry-run does not go with undo"));
        request.undo = true;
        parse.result = BatchParse::Run;
        return parse;
    }
    if (request.listUndoable)
        return invalid(QStringLiteral("--list goes with undo only"));
    if (request.jobs == 0)
        request.jobs = SpreadsheetApplication::defaultCount();
    if (!request.filesFrom.isEmpty()) {
        const QString refusal = readListedFiles(request.filesFrom, request.folder, &request.listedFiles);
        if (!refusal.isEmpty())
            return invalid(QStringLiteral("--files-from: %1").arg(refusal));
    }
    request.edit = findBatchEdit(name);
    if (!request.edit)
        return invalid(QStringLiteral("unknown edit %1").arg(name));
    const BatchEdit &edit = *request.edit;
    // fill-formula --text TEXT: a constant, given in the formula's place.
    request.constantText = QLatin1String(edit.name) == QLatin1String("fill-formula") && parser.isSet(QStringLiteral("text"));
    if (request.constantText) {
        if (positional.size() != 2)
            return invalid(QStringLiteral("fill-formula takes FORMULA or --text TEXT, not both"));
        positional.append(request.displayText);
    }
    const int operands = edit.operand == BatchEdit::None ? 0 : 1;
    if (positional.size() != 2 + operands)
        return invalid(operands ? QStringLiteral("%1 needs one value").arg(name)
                                : QStringLiteral("%1 takes no value").arg(name));
    if (edit.operand == BatchEdit::Row && !readNumber(positional.at(2), maximumRow, &request.number))
        return invalid(QStringLiteral("the row must be a number from 1 to 1048576"));
    if (edit.operand == BatchEdit::Column && !readNumber(positional.at(2), maximumColumn, &request.number))
        return invalid(QStringLiteral("the column must be a number from 1 to 16384"));
    if (edit.operand == BatchEdit::Text)
        request.text = positional.at(2);

    if (edit.checkOptions) {
        const QString refusal = edit.checkOptions(request);
        if (!refusal.isEmpty())
            return invalid(refusal);
    }
    // The edit's own input check reads the job settings: its arguments are
    // written there first, as the window writes them before a launch.
    edit.applyArguments(request);
    if (!edit.makeEdit()->inputProblem().isEmpty())
        return invalid(operands ? QStringLiteral("%1: got \"%2\"").arg(QString::fromUtf8(edit.inputRefusal), request.text)
                                : QString::fromUtf8(edit.inputRefusal));
    parse.result = BatchParse::Run;
    return parse;
}
