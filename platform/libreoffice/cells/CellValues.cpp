// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/cells/CellValues.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/CachedResults.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "fileformats/CellErrorValue.h"
#include "fileformats/OoxmlWorkbookParts.h"
#include "platform/libreoffice/cells/SheetAreas.h"
#include "platform/libreoffice/UnoStrings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QPoint>
#include <QRect>
#include <QVector>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellFormatRangesSupplier.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/CellProtection.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XProtectable.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <algorithm>
#include <cmath>

using namespace css;

namespace {

const qint64 msecsPerDay = 86400000;

// What a number means by its cell's format.
enum class NumberKind : char { Plain, Boolean, Date, DateTime };

NumberKind kindOfFormatType(sal_Int16 type)
{
    if (type & util::NumberFormat::LOGICAL)
        return NumberKind::Boolean;
    const bool date = type & util::NumberFormat::DATE;
    const bool time = type & util::NumberFormat::TIME;
    if (date && !time)
        return NumberKind::Date;
    if (time)
        return NumberKind::DateTime;
    return NumberKind::Plain;
}

// Cell positions inside the block, row-major.
class BlockIndex
{
public:
    explicit BlockIndex(const table::CellRangeAddress &area)
        : m_area(area)
        , m_columns(area.EndColumn - area.StartColumn + 1)
    {
    }

    int size() const { return (m_area.EndRow - m_area.StartRow + 1) * m_columns; }
    int at(sal_Int32 row, sal_Int32 column) const
    {
        return (row - m_area.StartRow) * m_columns + (column - m_area.StartColumn);
    }

    // Calls visit(sheetRow, sheetColumn) for each cell of part inside the block.
    template<typename Visit>
    void forEachShared(const table::CellRangeAddress &part, Visit visit) const
    {
        for (sal_Int32 row = std::max(part.StartRow, m_area.StartRow); row <= std::min(part.EndRow, m_area.EndRow); ++row) {
            for (sal_Int32 column = std::max(part.StartColumn, m_area.StartColumn);
                 column <= std::min(part.EndColumn, m_area.EndColumn); ++column)
                visit(row, column);
        }
    }

private:
    table::CellRangeAddress m_area;
    int m_columns;
};

QVector<NumberKind> numberKinds(CalcDocument &document, const uno::Reference<table::XCellRange> &range,
                                const BlockIndex &index)
{
    QVector<NumberKind> kinds(index.size(), NumberKind::Plain);
    const uno::Reference<util::XNumberFormatsSupplier> supplier(document.document(), uno::UNO_QUERY_THROW);
    const uno::Reference<util::XNumberFormats> formats = supplier->getNumberFormats();
    // One part per block of cells sharing a format, not one call per cell.
    const uno::Reference<container::XIndexAccess> parts =
        uno::Reference<sheet::XCellFormatRangesSupplier>(range, uno::UNO_QUERY_THROW)->getCellFormatRanges();
    QHash<sal_Int32, NumberKind> kindByFormat;
    for (sal_Int32 i = 0; i < parts->getCount(); ++i) {
        const uno::Reference<beans::XPropertySet> part(parts->getByIndex(i), uno::UNO_QUERY_THROW);
        sal_Int32 key = 0;
        part->getPropertyValue("NumberFormat") >>= key;
        if (!kindByFormat.contains(key)) {
            sal_Int16 type = 0;
            formats->getByKey(key)->getPropertyValue("Type") >>= type;
            kindByFormat.insert(key, kindOfFormatType(type));
        }
        const NumberKind kind = kindByFormat.value(key);
        if (kind == NumberKind::Plain)
            continue;
        const table::CellRangeAddress address =
            uno::Reference<sheet::XCellRangeAddressable>(part, uno::UNO_QUERY_THROW)->getRangeAddress();
        index.forEachShared(address, [&](sal_Int32 row, sal_Int32 column) { kinds[index.at(row, column)] = kind; });
    }
    return kinds;
}

// Excel's names of LibreOffice's error codes (formula/errorcodes.hxx).
QString errorText(sal_Int32 code)
{
    switch (code) {
    case 532:
        return QStringLiteral("#DIV/0!");
    case 32767:
        return QStringLiteral("#N/A");
    case 524:
        return QStringLiteral("#REF!");
    case 525:
        return QStringLiteral("#NAME?");
    case 503:
        return QStringLiteral("#NUM!");
    case 521:
        return QStringLiteral("#NULL!");
    default:
        return QStringLiteral("#VALUE!");
    }
}

QHash<int, CellErrorValue> errorCells(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                      const uno::Reference<table::XCellRange> &range, const BlockIndex &index)
{
    QHash<int, CellErrorValue> errors;
    const uno::Sequence<table::CellRangeAddress> parts =
        uno::Reference<sheet::XCellRangesQuery>(range, uno::UNO_QUERY_THROW)
            ->queryFormulaCells(sheet::FormulaResult::ERROR)
            ->getRangeAddresses();
    for (const table::CellRangeAddress &part : parts) {
        index.forEachShared(part, [&](sal_Int32 row, sal_Int32 column) {
            const sal_Int32 code = sheet->getCellByPosition(column, row)->getError();
            errors.insert(index.at(row, column), CellErrorValue{errorText(code)});
        });
    }
    return errors;
}

QVariant numberValue(double number, NumberKind kind, const QDate &nullDate)
{
    switch (kind) {
    case NumberKind::Boolean:
        return number != 0;
    case NumberKind::Date:
        return nullDate.addDays(qint64(std::floor(number)));
    case NumberKind::DateTime: {
        const qint64 msecs = qint64(std::llround(number * msecsPerDay));
        const qint64 days = msecs >= 0 ? msecs / msecsPerDay : -((-msecs + msecsPerDay - 1) / msecsPerDay);
        return QDateTime(nullDate.addDays(days), QTime(0, 0).addMSecs(int(msecs - days * msecsPerDay)));
    }
    case NumberKind::Plain:
        break;
    }
    return number;
}

QVariant cellValue(const uno::Any &data, NumberKind kind, const CellErrorValue *error, const QDate &nullDate)
{
    if (error)
        return QVariant::fromValue(*error);
    double number = 0;
    if (data >>= number)
        return numberValue(number, kind, nullDate);
    OUString text;
    if ((data >>= text) && !text.isEmpty())
        return toQString(text);
    return QVariant();
}

uno::Any dataOf(const QVariant &value, const QDate &nullDate)
{
    if (!value.isValid() || value.isNull())
        return uno::Any(OUString());
    switch (int(value.userType())) {
    case QMetaType::Bool:
        return uno::Any(value.toBool() ? 1.0 : 0.0);
    case QMetaType::QDate:
        return uno::Any(double(nullDate.daysTo(value.toDate())));
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        return uno::Any(double(nullDate.daysTo(moment.date())) + moment.time().msecsSinceStartOfDay() / double(msecsPerDay));
    }
    case QMetaType::QTime:
        return uno::Any(value.toTime().msecsSinceStartOfDay() / double(msecsPerDay));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return uno::Any(value.toDouble());
    default:
        return uno::Any(toOUString(value.toString()));
    }
}

bool isErrorValue(const QVariant &value)
{
    return value.userType() == qMetaTypeId<CellErrorValue>();
}

// Error constants are formulas in LibreOffice; #N/A is the NA() function.
OUString errorFormula(const CellErrorValue &error)
{
    if (error.text == QLatin1String("#N/A"))
        return "=NA()";
    return toOUString(QLatin1Char('=') + error.text);
}

// A formula giving TRUE or FALSE holds 1 or 0 in a cell without a logical
// format (as .xls files load): only its shown text tells, and the value
// written in its place must stay a logical one.
void markLogicalResults(const uno::Reference<sheet::XSpreadsheet> &sheet, const uno::Reference<table::XCellRange> &range,
                        const BlockIndex &index, const uno::Sequence<uno::Sequence<uno::Any>> &data,
                        QVector<NumberKind> &kinds)
{
    const table::CellRangeAddress area =
        uno::Reference<sheet::XCellRangeAddressable>(range, uno::UNO_QUERY_THROW)->getRangeAddress();
    const uno::Sequence<table::CellRangeAddress> formulas =
        uno::Reference<sheet::XCellRangesQuery>(range, uno::UNO_QUERY_THROW)
            ->queryFormulaCells(sheet::FormulaResult::VALUE)
            ->getRangeAddresses();
    for (const table::CellRangeAddress &part : formulas) {
        index.forEachShared(part, [&](sal_Int32 row, sal_Int32 column) {
            const int at = index.at(row, column);
            double number = -1;
            if (kinds.at(at) != NumberKind::Plain
                || !(data[row - area.StartRow][column - area.StartColumn] >>= number) || (number != 0 && number != 1))
                return;
            const OUString shown =
                uno::Reference<text::XTextRange>(sheet->getCellByPosition(column, row), uno::UNO_QUERY_THROW)->getString();
            if (shown == "TRUE" || shown == "FALSE")
                kinds[at] = NumberKind::Boolean;
        });
    }
}

// A TRUE or FALSE written as 1 or 0 into a cell without a logical format
// would show, and be saved, as a number.
void keepLogical(CalcDocument &document, const uno::Reference<table::XCellRange> &range, const QList<QPoint> &cells)
{
    if (cells.isEmpty())
        return;
    const uno::Reference<util::XNumberFormatsSupplier> supplier(document.document(), uno::UNO_QUERY_THROW);
    const uno::Reference<util::XNumberFormats> formats = supplier->getNumberFormats();
    const sal_Int32 logical = uno::Reference<util::XNumberFormatTypes>(formats, uno::UNO_QUERY_THROW)
                                  ->getStandardFormat(util::NumberFormat::LOGICAL, lang::Locale());
    for (const QPoint &at : cells) {
        const uno::Reference<beans::XPropertySet> cell(range->getCellByPosition(at.x(), at.y()), uno::UNO_QUERY_THROW);
        sal_Int32 key = 0;
        cell->getPropertyValue("NumberFormat") >>= key;
        sal_Int16 type = 0;
        formats->getByKey(key)->getPropertyValue("Type") >>= type;
        if (!(type & util::NumberFormat::LOGICAL))
            cell->setPropertyValue("NumberFormat", uno::Any(logical));
    }
}

// The formula results the file stores, for the formula cells of the range,
// while nothing but values changed since opening: they are what the workbook
// shows, where LibreOffice may compute some functions differently.
QHash<int, QVariant> storedResults(const CalcDocument &document, const uno::Reference<sheet::XSpreadsheet> &sheet,
                                   const uno::Reference<table::XCellRange> &range, const BlockIndex &index)
{
    QHash<int, QVariant> results;
    if ((!OoxmlWorkbookParts::isOoxmlWorkbook(document.path()) && !document.grid().binary)
        || document.changedBeyondValues())
        return results;
    const uno::Sequence<table::CellRangeAddress> formulas =
        uno::Reference<sheet::XCellRangesQuery>(range, uno::UNO_QUERY_THROW)
            ->queryContentCells(sheet::CellFlags::FORMULA)
            ->getRangeAddresses();
    if (!formulas.hasElements())
        return results;
    const table::CellRangeAddress area =
        uno::Reference<sheet::XCellRangeAddressable>(range, uno::UNO_QUERY_THROW)->getRangeAddress();
    const QString sheetName = toQString(uno::Reference<container::XNamed>(sheet, uno::UNO_QUERY_THROW)->getName());
    const CachedResults cached = CachedResults::read(document.path(), sheetName, area.StartRow, area.StartColumn,
                                                     area.EndRow, area.EndColumn);
    if (cached.isEmpty())
        return results;
    for (const table::CellRangeAddress &part : formulas) {
        index.forEachShared(part, [&](sal_Int32 row, sal_Int32 column) {
            const QVariant result = cached.at(row, column);
            if (result.isValid())
                results.insert(index.at(row, column), result);
        });
    }
    return results;
}

// The cells of the block a write changes: every formula, which its value
// replaces, and every constant given another value. A constant given its own
// value is not written at all: rewriting it would drop what a value does not
// carry (rich text, a field) and mark the workbook changed for nothing.
QVector<bool> cellsToWrite(const CalcDocument &document, const uno::Reference<table::XCellRange> &range,
                           const uno::Sequence<uno::Sequence<uno::Any>> &data, const QList<QPoint> &errors,
                           const BlockIndex &index, const table::CellRangeAddress &block)
{
    QVector<bool> formula(index.size(), false);
    const uno::Sequence<table::CellRangeAddress> formulas =
        uno::Reference<sheet::XCellRangesQuery>(range, uno::UNO_QUERY_THROW)
            ->queryContentCells(sheet::CellFlags::FORMULA)
            ->getRangeAddresses();
    for (const table::CellRangeAddress &part : formulas)
        index.forEachShared(part, [&](sal_Int32 row, sal_Int32 column) { formula[index.at(row, column)] = true; });
    // LibreOffice loads an error constant as a formula of the error alone
    // (=#N/A), and a TRUE or FALSE constant of an .xls as the formula TRUE()
    // or FALSE(): constants of the file all the same.
    uno::Sequence<uno::Sequence<OUString>> texts;
    if (formulas.hasElements())
        texts = uno::Reference<sheet::XCellRangeFormula>(range, uno::UNO_QUERY_THROW)->getFormulaArray();
    const auto isConstant = [&](const OUString &text) {
        return text.startsWith("=#")
               || (document.grid().binary && (text == "=TRUE()" || text == "=FALSE()"));
    };
    const uno::Sequence<uno::Sequence<uno::Any>> held =
        uno::Reference<sheet::XCellRangeData>(range, uno::UNO_QUERY_THROW)->getDataArray();
    QVector<bool> error(index.size(), false);
    for (const QPoint &at : errors)
        error[index.at(block.StartRow + at.y(), block.StartColumn + at.x())] = true;
    QVector<bool> changed(index.size(), false);
    for (sal_Int32 row = 0; row < data.getLength(); ++row) {
        for (sal_Int32 column = 0; column < data[row].getLength(); ++column) {
            const int at = index.at(block.StartRow + row, block.StartColumn + column);
            const bool formulaOfTheFile = formula.at(at) && !isConstant(texts[row][column]);
            // An error, held as a formula, goes where a formula of the file
            // or no formula was.
            changed[at] = formulaOfTheFile || (error.at(at) ? !formula.at(at) : held[row][column] != data[row][column]);
        }
    }
    return changed;
}

// Rectangles (x, y: column, row within the block) covering the marked cells:
// the runs of each row, merged downwards while the next row has the same run,
// so that a column of formulas is written in one call.
QVector<QRect> rectanglesOf(const QVector<bool> &marked, int rows, int columns)
{
    QVector<QRect> rectangles;
    QHash<QPair<int, int>, int> open; // a run's columns -> its rectangle, reaching the row above
    for (int row = 0; row < rows; ++row) {
        QHash<QPair<int, int>, int> reaching;
        for (int column = 0; column < columns; ++column) {
            if (!marked.at(row * columns + column))
                continue;
            const int first = column;
            while (column + 1 < columns && marked.at(row * columns + column + 1))
                ++column;
            const QPair<int, int> run(first, column);
            const auto above = open.constFind(run);
            if (above != open.constEnd()) {
                rectangles[*above].setBottom(row);
                reaching.insert(run, *above);
            } else {
                rectangles.append(QRect(QPoint(first, row), QPoint(column, row)));
                reaching.insert(run, rectangles.size() - 1);
            }
        }
        open = reaching;
    }
    return rectangles;
}

// LibreOffice ignores a write into the locked cells of a protected sheet
// without a word; Excel refuses it, and so does this.
void refuseLockedCells(const uno::Reference<sheet::XSpreadsheet> &sheet, const uno::Reference<table::XCellRange> &range,
                       const QVector<QRect> &rectangles)
{
    const uno::Reference<util::XProtectable> protection(sheet, uno::UNO_QUERY);
    if (!protection.is() || !protection->isProtected())
        return;
    for (const QRect &rectangle : rectangles) {
        const uno::Reference<container::XIndexAccess> parts =
            uno::Reference<sheet::XCellFormatRangesSupplier>(
                range->getCellRangeByPosition(rectangle.left(), rectangle.top(), rectangle.right(), rectangle.bottom()),
                uno::UNO_QUERY_THROW)
                ->getCellFormatRanges();
        for (sal_Int32 i = 0; i < parts->getCount(); ++i) {
            util::CellProtection cells;
            uno::Reference<beans::XPropertySet>(parts->getByIndex(i), uno::UNO_QUERY_THROW)
                    ->getPropertyValue("CellProtection")
                >>= cells;
            if (cells.IsLocked)
                fail(QCoreApplication::translate("Engine", "the sheet is protected"));
        }
    }
}

uno::Sequence<uno::Sequence<uno::Any>> part(const uno::Sequence<uno::Sequence<uno::Any>> &data, const QRect &rectangle)
{
    uno::Sequence<uno::Sequence<uno::Any>> rows(rectangle.height());
    for (int row = 0; row < rectangle.height(); ++row) {
        const uno::Sequence<uno::Any> &line = data[rectangle.top() + row];
        rows.getArray()[row] = uno::Sequence<uno::Any>(line.getConstArray() + rectangle.left(), rectangle.width());
    }
    return rows;
}

} // namespace

namespace CellValues {

QVariant read(CalcDocument &document, const uno::Reference<sheet::XSpreadsheet> &sheet,
              const table::CellRangeAddress &area, Dates dates)
{
    const uno::Reference<table::XCellRange> range = SheetAreas::cellRange(sheet, area);
    const uno::Sequence<uno::Sequence<uno::Any>> data =
        uno::Reference<sheet::XCellRangeData>(range, uno::UNO_QUERY_THROW)->getDataArray();
    const BlockIndex index(area);
    QVector<NumberKind> kinds = numberKinds(document, range, index);
    if (dates == Dates::AsNumbers)
        std::replace_if(kinds.begin(), kinds.end(), [](NumberKind kind) { return kind != NumberKind::Boolean; },
                        NumberKind::Plain);
    markLogicalResults(sheet, range, index, data, kinds);
    const QHash<int, CellErrorValue> errors = errorCells(sheet, range, index);
    const QHash<int, QVariant> stored = storedResults(document, sheet, range, index);
    const QDate nullDate = document.nullDate();

    QVariantList rows;
    for (sal_Int32 row = 0; row < data.getLength(); ++row) {
        QVariantList values;
        for (sal_Int32 column = 0; column < data[row].getLength(); ++column) {
            const int at = index.at(area.StartRow + row, area.StartColumn + column);
            const auto result = stored.constFind(at);
            if (result != stored.constEnd()) {
                values.append(result->userType() == QMetaType::Double
                                  ? numberValue(result->toDouble(), kinds.at(at), nullDate)
                                  : *result);
                continue;
            }
            const auto error = errors.constFind(at);
            values.append(cellValue(data[row][column], kinds.at(at), error == errors.constEnd() ? nullptr : &*error,
                                    nullDate));
        }
        rows.append(QVariant(values));
    }
    if (rows.size() == 1 && rows.first().toList().size() == 1)
        return rows.first().toList().first();
    return rows;
}

void write(CalcDocument &document, const uno::Reference<sheet::XSpreadsheet> &sheet,
           const table::CellRangeAddress &area, const QVariant &value)
{
    const int areaRows = area.EndRow - area.StartRow + 1;
    const int areaColumns = area.EndColumn - area.StartColumn + 1;
    QList<QVariantList> rows;
    if (value.userType() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        const bool listOfRows = !list.isEmpty() && list.first().userType() == QMetaType::QVariantList;
        if (listOfRows) {
            for (const QVariant &row : list)
                rows.append(row.toList());
        } else {
            rows.append(list); // a flat list is one row, as in Excel
        }
    } else {
        const QVariantList filledRow = QVector<QVariant>(areaColumns, value).toList();
        for (int row = 0; row < areaRows; ++row)
            rows.append(filledRow);
    }
    const int blockRows = std::min(int(rows.size()), areaRows);
    int blockColumns = 0;
    for (int row = 0; row < blockRows; ++row)
        blockColumns = std::max(blockColumns, int(rows.at(row).size()));
    blockColumns = std::min(blockColumns, areaColumns);
    if (blockRows == 0 || blockColumns == 0)
        return;

    const QDate nullDate = document.nullDate();
    uno::Sequence<uno::Sequence<uno::Any>> data(blockRows);
    QList<QPair<QPoint, CellErrorValue>> errors;
    QList<QPoint> logicals;
    for (int row = 0; row < blockRows; ++row) {
        uno::Sequence<uno::Any> &line = data.getArray()[row];
        line.realloc(blockColumns);
        const QVariantList &values = rows.at(row);
        for (int column = 0; column < blockColumns; ++column) {
            const QVariant cell = column < values.size() ? values.at(column) : QVariant();
            if (isErrorValue(cell)) {
                errors.append({QPoint(column, row), cell.value<CellErrorValue>()});
                line.getArray()[column] = uno::Any(OUString());
            } else {
                if (cell.userType() == QMetaType::Bool)
                    logicals.append(QPoint(column, row));
                line.getArray()[column] = dataOf(cell, nullDate);
            }
        }
    }
    const table::CellRangeAddress block(area.Sheet, area.StartColumn, area.StartRow,
                                        area.StartColumn + blockColumns - 1, area.StartRow + blockRows - 1);
    const uno::Reference<table::XCellRange> range = SheetAreas::cellRange(sheet, block);
    const BlockIndex index(block);
    QList<QPoint> errorPlaces;
    for (const auto &error : errors)
        errorPlaces.append(error.first);
    const QVector<bool> changed = cellsToWrite(document, range, data, errorPlaces, index, block);
    const QVector<QRect> rectangles = rectanglesOf(changed, blockRows, blockColumns);
    if (rectangles.isEmpty())
        return;
    refuseLockedCells(sheet, range, rectangles);
    const bool beforeAnyOtherChange = !document.changedBeyondValues();
    for (const QRect &rectangle : rectangles) {
        uno::Reference<sheet::XCellRangeData>(range->getCellRangeByPosition(rectangle.left(), rectangle.top(),
                                                                            rectangle.right(), rectangle.bottom()),
                                              uno::UNO_QUERY_THROW)
            ->setDataArray(part(data, rectangle));
    }
    // setDataArray would turn every error into #N/A.
    for (const auto &error : errors) {
        if (changed.at(error.first.y() * blockColumns + error.first.x()))
            range->getCellByPosition(error.first.x(), error.first.y())->setFormula(errorFormula(error.second));
    }
    QList<QPoint> changedLogicals;
    for (const QPoint &at : logicals) {
        if (changed.at(at.y() * blockColumns + at.x()))
            changedLogicals.append(at);
    }
    keepLogical(document, range, changedLogicals);
    document.noteValuesWritten(beforeAnyOtherChange);
}

} // namespace CellValues
