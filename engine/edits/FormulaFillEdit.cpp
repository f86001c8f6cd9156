// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/FormulaFillEdit.h"

#include "engine/RaisesException.h"
#include "engine/JobContext.h"
#include "engine/report/StatusTexts.h"
#include "launch/JobSettings.h"

#include <memory>

#include <QCoreApplication>

namespace {

struct UsedArea
{
    int firstRow = 0;
    int firstColumn = 0;
    int rowCount = 0;
    int columnCount = 0;
};

UsedArea readUsedArea(AxObject *usedRange)
{
    UsedArea area;
    area.firstRow = usedRange->property("Row").toInt();
    area.firstColumn = usedRange->property("Column").toInt();
    std::unique_ptr<AxObject> rows(usedRange->querySubObject("Rows"));
    std::unique_ptr<AxObject> columns(usedRange->querySubObject("Columns"));
    area.rowCount = rows ? rows->property("Count").toInt() : 0;
    area.columnCount = columns ? columns->property("Count").toInt() : 0;
    return area;
}

} // namespace

FormulaFillEdit::FormulaFillEdit()
    : m_formula(JobSettings::firstFormula)
    , m_startRow(JobSettings::copyFormulaStartRow)
    , m_startColumn(JobSettings::copyFormulaStartColumn)
    , m_endRow(JobSettings::copyFormulaEndRow)
    , m_endColumn(JobSettings::copyFormulaEndColumn)
    , m_autoEndRow(JobSettings::autoEndRow)
    , m_autoEndColumn(JobSettings::autoEndColumn)
{
}

QString FormulaFillEdit::inputProblem() const
{
    // An empty formula would be written as empty text: it clears the cells.
    if (m_formula.trimmed().isEmpty())
        return QCoreApplication::translate("Engine", "Fill in the formula");
    // Only the start cell would be written, and the job look done.
    if ((!m_autoEndRow && m_endRow < m_startRow)
        || (!m_autoEndColumn && m_endColumn < m_startColumn))
        return QCoreApplication::translate("Engine", "The end cell cannot lie before the start cell");
    return QString();
}

QStringList FormulaFillEdit::description() const
{
    auto cell = [](int row, int column) { return QStringLiteral("%1,%2").arg(row).arg(column); };
    QStringList description{QStringLiteral("fill-formula"), m_formula, QStringLiteral("--start"),
                            cell(m_startRow, m_startColumn),
                            QStringLiteral("--end"),
                            cell(m_endRow, m_endColumn)};
    if (m_autoEndRow)
        description << QStringLiteral("--auto-end-row");
    if (m_autoEndColumn)
        description << QStringLiteral("--auto-end-column");
    return description;
}

void FormulaFillEdit::editSheet(AxObject *sheet, JobContext &job)
{
    std::unique_ptr<AxObject> usedRange(sheet->querySubObject("UsedRange"));
    if (!usedRange) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the sheet has no cells (a chart sheet, for example)"));
        return;
    }
    const UsedArea used = readUsedArea(usedRange.get());
    usedRange.reset();

    const int startRow = m_startRow;
    const int startColumn = m_startColumn;
    const int endRow = m_autoEndRow ? used.firstRow + used.rowCount - 1
                                               : m_endRow;
    int endColumn = m_autoEndColumn ? used.firstColumn + used.columnCount - 1
                                               : m_endColumn;

    std::unique_ptr<AxObject> start(
        sheet->querySubObject("Cells(int,int)", QVariant(startRow), QVariant(startColumn)));
    if (!start) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the start cell lies outside the sheet"));
        return;
    }
    AxObject *startCell = start.get();
    const bool refused = raisesException(startCell, [&]() {
        startCell->dynamicCall("SetFormula(const QVariant&)", QVariant(m_formula));
    });
    // Filling with whatever the start cell held before would overwrite the
    // whole rectangle with a stale value.
    if (refused) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the spreadsheet application does not accept the formula \"%1\"").arg(m_formula));
        return;
    }

    for (int r = startRow; r <= endRow; ++r) {
        job.report(StatusTexts::rowProgress(job.workbookNumber(), job.workbookPath(), r));
        for (int k = startColumn; k <= endColumn; ++k) {
            // Released right after its write: memory stays flat over long fills.
            std::unique_ptr<AxObject> cell(
                sheet->querySubObject("Cells(int,int)", QVariant(r), QVariant(k)));
            if (!cell) {
                job.skipSheet(sheet, QCoreApplication::translate("Engine", "the fill runs past the edge of the sheet; the cells beyond it were not filled"));
                if (k == startColumn)
                    return;
                endColumn = k - 1;
                break;
            }
            const QVariant r1c1 = startCell->dynamicCall("FormulaR1C1()");
            cell->dynamicCall("SetFormulaR1C1(const QVariant&)", r1c1);
        }
    }
}
