// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchEdits.h"

#include "batch/BatchRequest.h"
#include "engine/edits/JobEdits.h"
#include "launch/AsciiColons.h"
#include "launch/JobSettings.h"

namespace {

// The command's row of an edit of the shared table: its name, what follows
// the name and its core come from there.
BatchEdit fromJobEdit(const char *name, std::function<void(const BatchRequest &request)> applyArguments,
                      QString (*checkOptions)(BatchRequest &request), const char *inputRefusal, const char *help)
{
    const JobEdit &edit = *findJobEdit(QLatin1String(name));
    static const BatchEdit::Operand operands[] = {BatchEdit::None, BatchEdit::Row, BatchEdit::Column, BatchEdit::Text};
    if (edit.number) {
        std::int32_t *setting = edit.number;
        applyArguments = [setting](const BatchRequest &request) { *setting = request.number; };
    }
    return {edit.name, operands[edit.input], edit.makeEdit, applyArguments, checkOptions, inputRefusal, help};
}

// An edit of one row or column, whose number goes into the edit's setting.
BatchEdit rowColumn(const char *name, const char *help)
{
    return fromJobEdit(name, nullptr, nullptr, nullptr, help);
}

// As the form couples them: an automatic end keeps the other dimension at the
// start's row or column unless --end says otherwise.
QString checkFillEnds(BatchRequest &request)
{
    if (!request.startGiven)
        return QStringLiteral("fill-formula needs --start ROW,COL");
    if (request.autoEndRow && request.autoEndColumn)
        return QStringLiteral("--auto-end-row and --auto-end-column exclude each other");
    if (!request.endGiven) {
        if (!request.autoEndRow && !request.autoEndColumn)
            return QStringLiteral("fill-formula needs --end ROW,COL, --auto-end-row or --auto-end-column");
        request.endRow = request.startRow;
        request.endColumn = request.startColumn;
    }
    if ((!request.autoEndRow && request.endRow < request.startRow)
        || (!request.autoEndColumn && request.endColumn < request.startColumn))
        return QStringLiteral("--end %1,%2 lies before --start %3,%4")
            .arg(request.endRow).arg(request.endColumn).arg(request.startRow).arg(request.startColumn);
    return QString();
}

// A formula without its "=" is a text: written into every cell of the fill,
// it would replace what they hold. Only --text says that is meant.
QString checkFill(BatchRequest &request)
{
    if (!request.constantText && !request.text.trimmed().isEmpty() && !request.text.startsWith(QLatin1Char('=')))
        return QStringLiteral("fill-formula: \"%1\" does not start with \"=\" and would be written as text into "
                              "every cell; give it as --text \"%1\" if that constant is meant")
            .arg(request.text);
    return checkFillEnds(request);
}

} // namespace

const std::vector<BatchEdit> &batchEdits()
{
    static const std::vector<BatchEdit> edits = {
        rowColumn("add-row", "  add-row N              insert a row before row N (1-1048576)\n"),
        rowColumn("add-column", "  add-column N           insert a column before column N (1-16384)\n"),
        rowColumn("delete-row", "  delete-row N           delete row N\n"),
        rowColumn("delete-column", "  delete-column N        delete column N\n"),
        fromJobEdit("fill-formula",
         [](const BatchRequest &r) {
             JobSettings::firstFormula = r.text;
             JobSettings::copyFormulaStartRow = r.startRow;
             JobSettings::copyFormulaStartColumn = r.startColumn;
             JobSettings::copyFormulaEndRow = r.endRow;
             JobSettings::copyFormulaEndColumn = r.endColumn;
             JobSettings::autoEndRow = r.autoEndRow;
             JobSettings::autoEndColumn = r.autoEndColumn;
         },
         checkFill, "fill-formula needs a formula that is not empty",
         "  fill-formula FORMULA   write FORMULA (English, A1 style, starting with \"=\")\n"
         "                         into the start cell and fill it over the rectangle\n"
         "                         to the end cell:\n"
         "      --text TEXT        in FORMULA's place: write the constant TEXT instead\n"
         "      --start ROW,COL    the start cell (required)\n"
         "      --end ROW,COL      the end cell, or:\n"
         "      --auto-end-row     find the last row from each sheet's used range\n"
         "      --auto-end-column  find the last column from each sheet's used range\n"),
        fromJobEdit("formula-to-value",
         [](const BatchRequest &r) { JobSettings::valueRange = withAsciiColons(r.text); }, nullptr,
         "formula-to-value needs a range such as A1, B2:D2, B:B, B:D, 1:1 or 1:9 within the sheet",
         "  formula-to-value RANGE replace the formulas of RANGE (A1, B2:D2, B:B, 1:9) by values\n"),
        fromJobEdit("index-sheet", [](const BatchRequest &) {}, nullptr, nullptr,
         "  index-sheet            add a first sheet that links to every sheet\n"),
        fromJobEdit("cell-link",
         [](const BatchRequest &r) {
             JobSettings::linkCell = withAsciiColons(r.text);
             JobSettings::linkAddress = r.address;
             JobSettings::linkSubAddress = r.subAddress;
             JobSettings::linkText = r.displayText;
         },
         nullptr, "cell-link needs a cell such as A1 or B2:D2 within the sheet, and --address or --sub-address",
         "  cell-link CELL         put a hyperlink into CELL (A1 or B2:D2):\n"
         "      --address URL      a web address or file path\n"
         "      --sub-address LOC  a place in the workbook, such as 'Sheet2!A1'\n"
         "      --text TEXT        display text written into the cell (kept when omitted)\n"),
    };
    return edits;
}

const BatchEdit *findBatchEdit(const QString &name)
{
    for (const BatchEdit &edit : batchEdits()) {
        if (name == QLatin1String(edit.name))
            return &edit;
    }
    return nullptr;
}
