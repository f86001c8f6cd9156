// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/RowColumnEdit.h"

#include "engine/RaisesException.h"
#include "engine/JobContext.h"
#include "launch/JobSettings.h"

#include <memory>

#include <QCoreApplication>

namespace {

// The application's shift directions for a deletion.
const int xlShiftUp = -4162;
const int xlShiftToLeft = -4159;

int numberOf(RowColumnEdit::Kind kind)
{
    switch (kind) {
    case RowColumnEdit::InsertRow:
        return JobSettings::addRowNumber;
    case RowColumnEdit::InsertColumn:
        return JobSettings::addColumnNumber;
    case RowColumnEdit::DeleteRow:
        return JobSettings::deleteRowNumber;
    case RowColumnEdit::DeleteColumn:
        return JobSettings::deleteColumnNumber;
    }
    return 0;
}

} // namespace

RowColumnEdit::RowColumnEdit(Kind kind)
    : m_kind(kind)
    , m_number(numberOf(kind))
{
}

void RowColumnEdit::editSheet(AxObject *sheet, JobContext &job)
{
    const int n = m_number;
    const std::unique_ptr<AxObject> line(
        sheet->querySubObject(onRows() ? "Rows(int)" : "Columns(int)", QVariant(n)));
    if (!line) {
        job.skipSheet(sheet, onRows() ? QCoreApplication::translate("Engine", "row %1 lies beyond the sheet's rows").arg(n)
                                      : QCoreApplication::translate("Engine", "column %1 lies beyond the sheet's columns").arg(n));
        return;
    }
    const bool insert = m_kind == InsertRow || m_kind == InsertColumn;
    const bool refused = raisesException(line.get(), [&]() {
        if (insert)
            line->dynamicCall("Insert()");
        else
            line->dynamicCall("Delete(int)", QVariant(onRows() ? xlShiftUp : xlShiftToLeft));
    });
    if (refused) {
        // Refused for a protected sheet, or because content would be pushed
        // past the sheet's last row or column.
        job.skipSheet(sheet, insert ? QCoreApplication::translate("Engine", "the spreadsheet application refused to insert (the sheet is protected, or cells would be pushed off its edge); nothing was inserted")
                                    : QCoreApplication::translate("Engine", "the spreadsheet application refused to delete (the sheet may be protected)"));
    }
}

QStringList RowColumnEdit::description() const
{
    const char *names[] = {"add-row", "add-column", "delete-row", "delete-column"};
    return {QString::fromLatin1(names[m_kind]), QString::number(m_number)};
}

bool RowColumnEdit::onRows() const
{
    return m_kind == InsertRow || m_kind == DeleteRow;
}
