// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/formulafill/FormulaCopyCheck.h"

#include "platform/libreoffice/cells/SheetAreas.h"

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/sheet/ComplexReference.hpp>
#include <com/sun/star/sheet/ExternalReference.hpp>
#include <com/sun/star/sheet/FormulaToken.hpp>
#include <com/sun/star/sheet/ReferenceFlags.hpp>
#include <com/sun/star/sheet/SingleReference.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XFormulaTokens.hpp>
#include <com/sun/star/sheet/XSheetAnnotation.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XUniqueCellFormatRangesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>

using namespace css;

namespace {

struct SheetSize
{
    sal_Int32 rows;
    sal_Int32 columns;
};

bool inside(sal_Int32 value, sal_Int32 first, sal_Int32 last)
{
    return value >= first && value <= last;
}

// A relative part lands on the grid from every cell of the area, or a copy
// would mark it deleted where a cell's own formula still finds its target.
bool staysOnGrid(const sheet::SingleReference &reference, const table::CellRangeAddress &area,
                 const SheetSize &size)
{
    using namespace sheet::ReferenceFlags;
    if (reference.Flags & (COLUMN_DELETED | ROW_DELETED | SHEET_DELETED))
        return false;
    if ((reference.Flags & ROW_RELATIVE)
        && !(inside(area.StartRow + reference.RelativeRow, 0, size.rows - 1)
             && inside(area.EndRow + reference.RelativeRow, 0, size.rows - 1)))
        return false;
    if ((reference.Flags & COLUMN_RELATIVE)
        && !(inside(area.StartColumn + reference.RelativeColumn, 0, size.columns - 1)
             && inside(area.EndColumn + reference.RelativeColumn, 0, size.columns - 1)))
        return false;
    return true;
}

bool referencesStayOnGrid(const uno::Any &data, const table::CellRangeAddress &area, const SheetSize &size)
{
    sheet::SingleReference single;
    if (data >>= single)
        return staysOnGrid(single, area, size);
    sheet::ComplexReference complex;
    if (data >>= complex)
        return staysOnGrid(complex.Reference1, area, size) && staysOnGrid(complex.Reference2, area, size);
    sheet::ExternalReference external;
    if (data >>= external)
        return referencesStayOnGrid(external.Reference, area, size);
    return true;
}

// Each of the area's columns has one format all the way down, so that a row
// copied down brings each cell the format it already has.
bool formatsRunDown(const uno::Reference<table::XCellRange> &range, const table::CellRangeAddress &area)
{
    const uno::Reference<sheet::XUniqueCellFormatRangesSupplier> formats(range, uno::UNO_QUERY_THROW);
    const uno::Reference<container::XIndexAccess> groups = formats->getUniqueCellFormatRanges();
    for (sal_Int32 index = 0, count = groups->getCount(); index < count; ++index) {
        const uno::Reference<sheet::XSheetCellRanges> group(groups->getByIndex(index), uno::UNO_QUERY_THROW);
        for (const table::CellRangeAddress &part : group->getRangeAddresses()) {
            if (part.StartRow != area.StartRow || part.EndRow != area.EndRow)
                return false;
        }
    }
    return true;
}

bool hasNoConditionalFormat(const uno::Reference<table::XCellRange> &range)
{
    const uno::Reference<beans::XPropertySet> properties(range->getCellByPosition(0, 0), uno::UNO_QUERY_THROW);
    const uno::Reference<container::XIndexAccess> entries(properties->getPropertyValue("ConditionalFormat"),
                                                          uno::UNO_QUERY);
    return !entries.is() || entries->getCount() == 0;
}

bool hasNoNotes(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellRangeAddress &area)
{
    const uno::Reference<sheet::XSheetAnnotationsSupplier> supplier(sheet, uno::UNO_QUERY_THROW);
    const uno::Reference<container::XIndexAccess> notes(supplier->getAnnotations(), uno::UNO_QUERY_THROW);
    for (sal_Int32 index = 0, count = notes->getCount(); index < count; ++index) {
        const uno::Reference<sheet::XSheetAnnotation> note(notes->getByIndex(index), uno::UNO_QUERY_THROW);
        const table::CellAddress at = note->getPosition();
        if (inside(at.Row, area.StartRow, area.EndRow) && inside(at.Column, area.StartColumn, area.EndColumn))
            return false;
    }
    return true;
}

// Hidden rows include filtered ones, which a copy leaves out.
bool isAllVisible(const uno::Reference<table::XCellRange> &range, const table::CellRangeAddress &area)
{
    const uno::Reference<sheet::XCellRangesQuery> query(range, uno::UNO_QUERY_THROW);
    const uno::Sequence<table::CellRangeAddress> visible = query->queryVisibleCells()->getRangeAddresses();
    if (visible.getLength() != 1)
        return false;
    const table::CellRangeAddress &only = visible[0];
    return only.StartRow == area.StartRow && only.EndRow == area.EndRow && only.StartColumn == area.StartColumn
           && only.EndColumn == area.EndColumn;
}

bool overlaps(const awt::Point &position, const awt::Size &size, const awt::Point &otherPosition,
              const awt::Size &otherSize)
{
    return position.X <= otherPosition.X + otherSize.Width && otherPosition.X <= position.X + size.Width
           && position.Y <= otherPosition.Y + otherSize.Height && otherPosition.Y <= position.Y + size.Height;
}

bool hasNoDrawings(const uno::Reference<sheet::XSpreadsheet> &sheet, const uno::Reference<table::XCellRange> &range)
{
    const uno::Reference<drawing::XDrawPageSupplier> supplier(sheet, uno::UNO_QUERY_THROW);
    const uno::Reference<drawing::XDrawPage> page = supplier->getDrawPage();
    const sal_Int32 count = page->getCount();
    if (count == 0)
        return true;
    const uno::Reference<beans::XPropertySet> properties(range, uno::UNO_QUERY_THROW);
    awt::Point position;
    awt::Size size;
    properties->getPropertyValue("Position") >>= position;
    properties->getPropertyValue("Size") >>= size;
    for (sal_Int32 index = 0; index < count; ++index) {
        const uno::Reference<drawing::XShape> shape(page->getByIndex(index), uno::UNO_QUERY_THROW);
        if (overlaps(shape->getPosition(), shape->getSize(), position, size))
            return false;
    }
    return true;
}

} // namespace

namespace FormulaCopyCheck {

bool staysOnGrid(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellRangeAddress &area)
{
    const uno::Reference<table::XColumnRowRange> lines(sheet, uno::UNO_QUERY_THROW);
    const SheetSize size{lines->getRows()->getCount(), lines->getColumns()->getCount()};
    const uno::Reference<sheet::XFormulaTokens> first(sheet->getCellByPosition(area.StartColumn, area.StartRow),
                                                      uno::UNO_QUERY_THROW);
    const uno::Sequence<sheet::FormulaToken> tokens = first->getTokens();
    for (const sheet::FormulaToken &token : tokens) {
        if (!referencesStayOnGrid(token.Data, area, size))
            return false;
    }
    return true;
}

bool copiesLikeWrites(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellRangeAddress &area)
{
    const uno::Reference<table::XCellRange> range = SheetAreas::cellRange(sheet, area);
    return staysOnGrid(sheet, area) && formatsRunDown(range, area) && hasNoConditionalFormat(range)
           && hasNoNotes(sheet, area) && isAllVisible(range, area) && hasNoDrawings(sheet, range);
}

bool hasOneFormat(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellRangeAddress &area)
{
    const uno::Reference<sheet::XUniqueCellFormatRangesSupplier> formats(SheetAreas::cellRange(sheet, area),
                                                                         uno::UNO_QUERY_THROW);
    return formats->getUniqueCellFormatRanges()->getCount() == 1;
}

} // namespace FormulaCopyCheck
