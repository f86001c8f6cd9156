// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcSheet.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/calc/CalcHyperlinks.h"
#include "platform/libreoffice/calc/CalcRange.h"
#include "platform/libreoffice/cells/SheetAreas.h"
#include "platform/libreoffice/UnoStrings.h"

#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

#include <QCoreApplication>

using namespace css;

CalcSheet::CalcSheet(std::shared_ptr<CalcDocument> document, uno::Reference<sheet::XSpreadsheet> sheet)
    : m_document(std::move(document))
    , m_sheet(std::move(sheet))
{
}

std::shared_ptr<OfficeSession> CalcSheet::watchedSession() const
{
    return m_document->sharedSession();
}

// A cell handed out looks at nothing yet, so held-back writes may stay held.
void CalcSheet::beforeMember(const QByteArray &member)
{
    if (member != "Cells(int,int)")
        m_document->pendingWrites().settle();
}

AutomationObjectPtr CalcSheet::subObject(const QByteArray &member, const QVariantList &arguments)
{
    m_document->ensureUsable();
    const GridLimits grid = m_document->grid();
    if (member == "Cells(int,int)") {
        const int row = argument(arguments, 0).toInt();
        const int column = argument(arguments, 1).toInt();
        if (row < 1 || row > grid.rows || column < 1 || column > grid.columns)
            fail(QCoreApplication::translate("Engine", "cell (%1, %2) is outside the sheet").arg(row).arg(column));
        // No call into soffice: the range learns its sheet's index when a
        // member needs it, which a cell of a long fill may never do.
        return std::make_shared<CalcRange>(m_document, m_sheet,
                                           table::CellRangeAddress(0, column - 1, row - 1, column - 1, row - 1));
    }
    const sal_Int32 sheetIndex = m_document->sheetIndex(m_sheet);
    auto area = [&](int firstColumn, int firstRow, int lastColumn, int lastRow) {
        return table::CellRangeAddress(sal_Int16(sheetIndex), firstColumn, firstRow, lastColumn, lastRow);
    };
    if (member == "Rows(int)") {
        const int row = argument(arguments, 0).toInt();
        if (row < 1 || row > grid.rows)
            fail(QCoreApplication::translate("Engine", "row %1 is outside the sheet").arg(row));
        return std::make_shared<CalcRange>(m_document, m_sheet, area(0, row - 1, grid.columns - 1, row - 1),
                                           CalcRange::View::Rows);
    }
    if (member == "Columns(int)") {
        const int column = argument(arguments, 0).toInt();
        if (column < 1 || column > grid.columns)
            fail(QCoreApplication::translate("Engine", "column %1 is outside the sheet").arg(column));
        return std::make_shared<CalcRange>(m_document, m_sheet,
                                           area(column - 1, 0, column - 1, grid.rows - 1),
                                           CalcRange::View::Columns);
    }
    if (member == "UsedRange")
        return std::make_shared<CalcRange>(m_document, m_sheet, SheetAreas::usedArea(m_sheet));
    if (member == "Range(const QVariant&)")
        return rangeByName(argument(arguments, 0).toString());
    if (member == "Hyperlinks()")
        return std::make_shared<CalcHyperlinks>(m_document, m_sheet,
                                                area(0, 0, grid.columns - 1, grid.rows - 1));
    return CalcObject::subObject(member, arguments);
}

QVariant CalcSheet::read(const QByteArray &name)
{
    if (name == "Name") {
        m_document->ensureUsable();
        const uno::Reference<container::XNamed> named(m_sheet, uno::UNO_QUERY_THROW);
        return toQString(named->getName());
    }
    return CalcObject::read(name);
}

// A1 text of this sheet only: a sheet name or several areas are not taken.
AutomationObjectPtr CalcSheet::rangeByName(const QString &reference) const
{
    const QString text = reference.trimmed();
    if (text.isEmpty() || text.contains(QLatin1Char('!')) || text.contains(QLatin1Char(','))
        || text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('.')))
        fail(QCoreApplication::translate("Engine", "not a reference to cells of this sheet: \"%1\"").arg(reference));
    table::CellRangeAddress address;
    try {
        const uno::Reference<sheet::XCellRangeAddressable> range(
            m_sheet->getCellRangeByName(toOUString(text)), uno::UNO_QUERY_THROW);
        address = range->getRangeAddress();
    } catch (const uno::RuntimeException &) {
        fail(QCoreApplication::translate("Engine", "not a valid reference: \"%1\"").arg(reference));
    }
    // B:B and 1:1 reach the end of LibreOffice's grid, which is larger than
    // the file format's; they mean the end of the file format's.
    const GridLimits grid = m_document->grid();
    const uno::Reference<table::XColumnRowRange> lines(m_sheet, uno::UNO_QUERY_THROW);
    if (address.StartRow == 0 && address.EndRow == lines->getRows()->getCount() - 1)
        address.EndRow = grid.rows - 1;
    if (address.StartColumn == 0 && address.EndColumn == lines->getColumns()->getCount() - 1)
        address.EndColumn = grid.columns - 1;
    if (address.EndRow >= grid.rows || address.EndColumn >= grid.columns)
        fail(QStringLiteral("\"%1\" reaches outside the sheet").arg(reference));
    return std::make_shared<CalcRange>(m_document, m_sheet, address);
}
