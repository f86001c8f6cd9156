#include "batch/BatchEdits.h"

#include "batch/BatchRequest.h"
#include "engine/edits/CellHyperlinkEdit.h"
#include "engine/edits/FormulaFillEdit.h"
#include "engine/edits/FormulaToValueEdit.h"
#include "engine/edits/HyperlinkIndexEdit.h"
#include "engine/edits/RowColumnEdit.h"
#include "launch/AsciiColons.h"
#include "launch/JobSettings.h"

namespace {

template<RowColumnEdit::Kind kind>
std::unique_ptr<WorkbookEdit> makeRowColumnEdit()
{
    return std::make_unique<RowColumnEdit>(kind);
}

template<typename Edit>
std::unique_ptr<WorkbookEdit> make()
{
    return std::make_unique<Edit>();
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
    return QString();
}

} // namespace

const std::vector<BatchEdit> &batchEdits()
{
    static const std::vector<BatchEdit> edits = {
        {"add-row", BatchEdit::Row, makeRowColumnEdit<RowColumnEdit::InsertRow>,
         [](const BatchRequest &r) { JobSettings::addRowNumber = r.number; }, nullptr, nullptr,
         "  add-row N              insert a row before row N (1-1048576)\n"},
        {"add-column", BatchEdit::Column, makeRowColumnEdit<RowColumnEdit::InsertColumn>,
         [](const BatchRequest &r) { JobSettings::addColumnNumber = r.number; }, nullptr, nullptr,
         "  add-column N           insert a column before column N (1-16384)\n"},
        {"delete-row", BatchEdit::Row, makeRowColumnEdit<RowColumnEdit::DeleteRow>,
         [](const BatchRequest &r) { JobSettings::deleteRowNumber = r.number; }, nullptr, nullptr,
         "  delete-row N           delete row N\n"},
        {"delete-column", BatchEdit::Column, makeRowColumnEdit<RowColumnEdit::DeleteColumn>,
         [](const BatchRequest &r) { JobSettings::deleteColumnNumber = r.number; }, nullptr, nullptr,
         "  delete-column N        delete column N\n"},
        {"fill-formula", BatchEdit::Text, make<FormulaFillEdit>,
         [](const BatchRequest &r) {
             JobSettings::firstFormula = r.text;
             JobSettings::copyFormulaStartRow = r.startRow;
             JobSettings::copyFormulaStartColumn = r.startColumn;
             JobSettings::copyFormulaEndRow = r.endRow;
             JobSettings::copyFormulaEndColumn = r.endColumn;
             JobSettings::autoEndRow = r.autoEndRow;
             JobSettings::autoEndColumn = r.autoEndColumn;
         },
         checkFillEnds, nullptr,
         "  fill-formula FORMULA   write FORMULA (English, A1 style) into the start cell\n"
         "                         and fill it over the rectangle to the end cell:\n"
         "      --start ROW,COL    the start cell (required)\n"
         "      --end ROW,COL      the end cell, or:\n"
         "      --auto-end-row     find the last row from each sheet's used range\n"
         "      --auto-end-column  find the last column from each sheet's used range\n"},
        {"formula-to-value", BatchEdit::Text, make<FormulaToValueEdit>,
         [](const BatchRequest &r) { JobSettings::valueRange = withAsciiColons(r.text); }, nullptr,
         "formula-to-value needs a range such as B2:D2",
         "  formula-to-value RANGE replace the formulas of RANGE (A1, B2:D2, B:B, 1:9) by values\n"},
        {"index-sheet", BatchEdit::None, make<HyperlinkIndexEdit>, [](const BatchRequest &) {}, nullptr,
         nullptr, "  index-sheet            add a first sheet that links to every sheet\n"},
        {"cell-link", BatchEdit::Text, make<CellHyperlinkEdit>,
         [](const BatchRequest &r) {
             JobSettings::linkCell = withAsciiColons(r.text);
             JobSettings::linkAddress = r.address;
             JobSettings::linkSubAddress = r.subAddress;
             JobSettings::linkText = r.displayText;
         },
         nullptr, "cell-link needs a cell such as A1, and --address or --sub-address",
         "  cell-link CELL         put a hyperlink into CELL (A1 or B2:D2):\n"
         "      --address URL      a web address or file path\n"
         "      --sub-address LOC  a place in the workbook, such as Sheet2!A1\n"
         "      --text TEXT        display text written into the cell (kept when omitted)\n"},
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
