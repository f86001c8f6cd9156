#include "batch/BatchRequest.h"

#include "launch/JobSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

// The form's limits: a worksheet's rows and columns.
const int maximumRow = 1048576;
const int maximumColumn = 16384;

struct EditSpec
{
    BatchRequest::Edit edit;
    enum Operand { None, Row, Column, Text } operand;
};

const QHash<QString, EditSpec> &edits()
{
    static const QHash<QString, EditSpec> known = {
        {QStringLiteral("add-row"), {BatchRequest::AddRow, EditSpec::Row}},
        {QStringLiteral("add-column"), {BatchRequest::AddColumn, EditSpec::Column}},
        {QStringLiteral("delete-row"), {BatchRequest::DeleteRow, EditSpec::Row}},
        {QStringLiteral("delete-column"), {BatchRequest::DeleteColumn, EditSpec::Column}},
        {QStringLiteral("fill-formula"), {BatchRequest::FillFormula, EditSpec::Text}},
        {QStringLiteral("formula-to-value"), {BatchRequest::FormulaToValue, EditSpec::Text}},
        {QStringLiteral("index-sheet"), {BatchRequest::IndexSheet, EditSpec::None}},
        {QStringLiteral("cell-link"), {BatchRequest::CellLink, EditSpec::Text}},
    };
    return known;
}

bool readNumber(const QString &text, int maximum, int *number)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1 || value > maximum)
        return false;
    *number = value;
    return true;
}

bool readCell(const QString &text, int *row, int *column)
{
    const QStringList parts = text.split(QLatin1Char(','));
    return parts.size() == 2 && readNumber(parts.at(0).trimmed(), maximumRow, row)
        && readNumber(parts.at(1).trimmed(), maximumColumn, column);
}

BatchParse invalid(const QString &error)
{
    BatchParse parse;
    parse.error = error;
    return parse;
}

} // namespace

QString batchUsage()
{
    return QStringLiteral(
        "Usage: gridwrighter-batch FOLDER EDIT [options]\n"
        "Applies one edit to every workbook (.xls .xlsx .xlsm .csv) below FOLDER and\n"
        "its subfolders, saving each in place. Changes cannot be undone: back up first.\n"
        "\n"
        "EDIT is one of:\n"
        "  add-row N              insert a row before row N (1-1048576)\n"
        "  add-column N           insert a column before column N (1-16384)\n"
        "  delete-row N           delete row N\n"
        "  delete-column N        delete column N\n"
        "  fill-formula FORMULA   write FORMULA (English, A1 style) into the start cell\n"
        "                         and fill it over the rectangle to the end cell:\n"
        "      --start ROW,COL    the start cell (required)\n"
        "      --end ROW,COL      the end cell, or:\n"
        "      --auto-end-row     find the last row from each sheet's used range\n"
        "      --auto-end-column  find the last column from each sheet's used range\n"
        "  formula-to-value RANGE replace the formulas of RANGE (A1, B2:D2, B:B, 1:9) by values\n"
        "  index-sheet            add a first sheet that links to every sheet\n"
        "  cell-link CELL         put a hyperlink into CELL (A1 or B2:D2):\n"
        "      --address URL      a web address or file path\n"
        "      --sub-address LOC  a place in the workbook, such as Sheet2!A1\n"
        "      --text TEXT        display text written into the cell (kept when omitted)\n"
        "\n"
        "Options:\n"
        "  --first-sheet-only          edit only the first sheet of each workbook\n"
        "  --sheet NAME                edit only the sheets named NAME\n"
        "  --close-spreadsheet-apps    first end running spreadsheet programs that could\n"
        "                              hold the workbooks open (unsaved work is lost)\n"
        "  --help                      show this text\n"
        "\n"
        "Exit status: 0 every workbook edited and saved; 1 some not opened or not saved\n"
        "(their list is written into FOLDER); 2 bad arguments; 3 no spreadsheet application.\n");
}

BatchParse parseBatchArguments(const QStringList &arguments)
{
    BatchParse parse;
    BatchRequest &request = parse.request;
    QStringList positional;
    bool endGiven = false;
    bool startGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i);
        auto value = [&](QString *out) {
            if (i + 1 >= arguments.size())
                return false;
            *out = arguments.at(++i);
            return true;
        };
        QString option;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parse.result = BatchParse::Help;
            return parse;
        } else if (argument == QLatin1String("--")) {
            positional.append(arguments.mid(i + 1));
            break;
        } else if (argument == QLatin1String("--first-sheet-only")) {
            request.firstSheetOnly = true;
        } else if (argument == QLatin1String("--close-spreadsheet-apps")) {
            request.closeSpreadsheetApps = true;
        } else if (argument == QLatin1String("--auto-end-row")) {
            request.autoEndRow = true;
        } else if (argument == QLatin1String("--auto-end-column")) {
            request.autoEndColumn = true;
        } else if (argument == QLatin1String("--sheet")) {
            if (!value(&request.sheetName))
                return invalid(QStringLiteral("--sheet needs a sheet name"));
            request.hasSheetName = true;
        } else if (argument == QLatin1String("--address")) {
            if (!value(&request.address))
                return invalid(QStringLiteral("--address needs a value"));
        } else if (argument == QLatin1String("--sub-address")) {
            if (!value(&request.subAddress))
                return invalid(QStringLiteral("--sub-address needs a value"));
        } else if (argument == QLatin1String("--text")) {
            if (!value(&request.displayText))
                return invalid(QStringLiteral("--text needs a value"));
        } else if (argument == QLatin1String("--start")) {
            if (!value(&option) || !readCell(option, &request.startRow, &request.startColumn))
                return invalid(QStringLiteral("--start needs ROW,COL with rows 1-1048576 and columns 1-16384"));
            startGiven = true;
        } else if (argument == QLatin1String("--end")) {
            if (!value(&option) || !readCell(option, &request.endRow, &request.endColumn))
                return invalid(QStringLiteral("--end needs ROW,COL with rows 1-1048576 and columns 1-16384"));
            endGiven = true;
        } else if (argument.startsWith(QLatin1String("--"))) {
            return invalid(QStringLiteral("unknown option %1").arg(argument));
        } else {
            positional.append(argument);
        }
    }

    if (positional.size() < 2)
        return invalid(QStringLiteral("FOLDER and EDIT are required"));
    request.folder = positional.at(0);
    if (!QFileInfo(request.folder).isDir())
        return invalid(QStringLiteral("the folder %1 does not exist").arg(request.folder));
    const auto spec = edits().constFind(positional.at(1));
    if (spec == edits().constEnd())
        return invalid(QStringLiteral("unknown edit %1").arg(positional.at(1)));
    request.edit = spec->edit;
    const int operands = spec->operand == EditSpec::None ? 0 : 1;
    if (positional.size() != 2 + operands)
        return invalid(operands ? QStringLiteral("%1 needs one value").arg(positional.at(1))
                                : QStringLiteral("%1 takes no value").arg(positional.at(1)));
    if (spec->operand == EditSpec::Row && !readNumber(positional.at(2), maximumRow, &request.number))
        return invalid(QStringLiteral("the row must be a number from 1 to 1048576"));
    if (spec->operand == EditSpec::Column && !readNumber(positional.at(2), maximumColumn, &request.number))
        return invalid(QStringLiteral("the column must be a number from 1 to 16384"));
    if (spec->operand == EditSpec::Text)
        request.text = positional.at(2);

    if (request.edit == BatchRequest::FillFormula) {
        if (!startGiven)
            return invalid(QStringLiteral("fill-formula needs --start ROW,COL"));
        if (request.autoEndRow && request.autoEndColumn)
            return invalid(QStringLiteral("--auto-end-row and --auto-end-column exclude each other"));
        // As the form couples them: an automatic end keeps the other dimension
        // at the start's row or column unless --end says otherwise.
        if (!endGiven) {
            if (!request.autoEndRow && !request.autoEndColumn)
                return invalid(QStringLiteral("fill-formula needs --end ROW,COL, --auto-end-row or --auto-end-column"));
            request.endRow = request.startRow;
            request.endColumn = request.startColumn;
        }
    }
    if (request.edit == BatchRequest::FormulaToValue && withAsciiColons(request.text).trimmed().isEmpty())
        return invalid(QStringLiteral("formula-to-value needs a range such as B2:D2"));
    if (request.edit == BatchRequest::CellLink) {
        if (withAsciiColons(request.text).trimmed().isEmpty())
            return invalid(QStringLiteral("cell-link needs a cell such as A1"));
        if (request.address.isEmpty() && request.subAddress.isEmpty())
            return invalid(QStringLiteral("cell-link needs --address or --sub-address"));
    }
    parse.result = BatchParse::Run;
    return parse;
}

void applyToJobSettings(const BatchRequest &request)
{
    // Ends in a separator as a folder chosen in the window does, so that the
    // list file lands inside the folder.
    QString folder = QDir::toNativeSeparators(request.folder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    JobSettings::sourcePath = folder;
    JobSettings::onlyFirstSheet = request.firstSheetOnly;
    JobSettings::appointedSheet = request.hasSheetName;
    if (request.hasSheetName)
        JobSettings::sheetName = request.sheetName;

    switch (request.edit) {
    case BatchRequest::AddRow:
        JobSettings::addRowNumber = request.number;
        break;
    case BatchRequest::AddColumn:
        JobSettings::addColumnNumber = request.number;
        break;
    case BatchRequest::DeleteRow:
        JobSettings::deleteRowNumber = request.number;
        break;
    case BatchRequest::DeleteColumn:
        JobSettings::deleteColumnNumber = request.number;
        break;
    case BatchRequest::FillFormula:
        JobSettings::firstFormula = request.text;
        JobSettings::copyFormulaStartRow = request.startRow;
        JobSettings::copyFormulaStartColumn = request.startColumn;
        JobSettings::copyFormulaEndRow = request.endRow;
        JobSettings::copyFormulaEndColumn = request.endColumn;
        JobSettings::autoEndRow = request.autoEndRow;
        JobSettings::autoEndColumn = request.autoEndColumn;
        break;
    case BatchRequest::FormulaToValue:
        JobSettings::valueRange = withAsciiColons(request.text);
        break;
    case BatchRequest::IndexSheet:
        break;
    case BatchRequest::CellLink:
        JobSettings::linkCell = withAsciiColons(request.text);
        JobSettings::linkAddress = request.address;
        JobSettings::linkSubAddress = request.subAddress;
        JobSettings::linkText = request.displayText;
        break;
    }
    resetUnopenedList();
}
