// SPDX-License-Identifier: GPL-3.0-or-later
// Range and Areas: cells read as the VARIANT types Excel gives (VT_EMPTY,
// VT_R8, VT_BSTR, VT_BOOL, VT_ERROR with CVErr codes, VT_DATE through Value,
// a 1-based two-dimensional array for a block), written as Excel takes them
// (a string as typed entry), lines inserted and deleted.
#include "ObjectModel.h"
#include "ServerKnobs.h"

namespace {

const long xlCellTypeFormulas = -4123;
const long xlCellTypeConstants = 2;
const long xlCellTypeBlanks = 4;
const SCODE cvErrBase = SCODE(0x800A0000);

const VARIANT &dereferenced(const VARIANT &value)
{
    return V_VT(&value) == (VT_VARIANT | VT_BYREF) ? *V_VARIANTREF(&value) : value;
}

void setText(VARIANT *out, const QString &text)
{
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = bstrOf(text);
}

QString constantText(const Cell &cell)
{
    switch (cell.type) {
    case Cell::Number:
        return QString::number(cell.number, 'g', 15);
    case Cell::Text:
        return cell.text;
    case Cell::Boolean:
        return cell.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Cell::Error:
        return errorName(cell.error);
    case Cell::Empty:
        break;
    }
    return QString();
}

QString formatCode(Cell::Format format)
{
    switch (format) {
    case Cell::Date:
        return QStringLiteral("yyyy/m/d");
    case Cell::DateTime:
        return QStringLiteral("yyyy/m/d h:mm");
    case Cell::TextFormat:
        return QStringLiteral("@");
    case Cell::General:
        break;
    }
    return QStringLiteral("General");
}

// The cells of the areas that hold something, or every cell within the used
// rectangle for blanks.
QVector<CellKey> cellsOf(const Sheet &sheet, const QVector<Area> &areas)
{
    QVector<CellKey> found;
    for (auto it = sheet.cells.cbegin(); it != sheet.cells.cend(); ++it) {
        for (const Area &area : areas) {
            if (area.contains(it.key().first, it.key().second)) {
                found.append(it.key());
                break;
            }
        }
    }
    return found;
}

} // namespace

RangeObject::RangeObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet, QVector<Area> areas,
                         View view)
    : m_workbook(std::move(workbook))
    , m_sheet(std::move(sheet))
    , m_areas(std::move(areas))
    , m_view(view)
{
}

HRESULT RangeObject::readCell(Reading how, int row, int column, VARIANT *out) const
{
    VariantInit(out);
    const Cell cell = m_sheet->cells.value({row, column});
    if (how == FormulaReading || how == FormulaR1C1Reading) {
        if (cell.formula.isEmpty())
            setText(out, constantText(cell));
        else
            setText(out, how == FormulaReading ? cell.formula : formulaToR1C1(cell.formula, row, column));
        return S_OK;
    }
    if (how == TextReading) {
        setText(out, displayedText(cell));
        return S_OK;
    }
    switch (cell.type) {
    case Cell::Empty:
        break;
    case Cell::Number:
        if (how == ValueReading && (cell.format == Cell::Date || cell.format == Cell::DateTime)) {
            V_VT(out) = VT_DATE;
            V_DATE(out) = cell.number;
        } else {
            V_VT(out) = VT_R8;
            V_R8(out) = cell.number;
        }
        break;
    case Cell::Text:
        setText(out, cell.text);
        break;
    case Cell::Boolean:
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = cell.boolean ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case Cell::Error:
        V_VT(out) = VT_ERROR;
        V_ERROR(out) = cvErrBase | cell.error;
        break;
    }
    return S_OK;
}

HRESULT RangeObject::read(Reading how, VARIANT *out) const
{
    VariantInit(out);
    const Area &area = m_areas.first();
    if (area.rows() == 1 && area.columns() == 1)
        return readCell(how, area.top, area.left, out);
    SAFEARRAYBOUND bounds[2] = {{ULONG(area.rows()), 1}, {ULONG(area.columns()), 1}};
    SAFEARRAY *block = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!block)
        return E_OUTOFMEMORY;
    for (int r = area.top; r <= area.bottom; ++r) {
        for (int c = area.left; c <= area.right; ++c) {
            LONG at[2] = {r - area.top + 1, c - area.left + 1};
            VARIANT cell;
            readCell(how, r, c, &cell);
            SafeArrayPutElement(block, at, &cell);
            VariantClear(&cell);
        }
    }
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = block;
    return S_OK;
}

HRESULT RangeObject::writeCell(Writing how, int row, int column, const VARIANT &given)
{
    const VARIANT &value = dereferenced(given);
    const CellKey key{row, column};
    const Cell::Format format = m_sheet->cells.value(key).format;
    Cell cell;
    cell.format = format;
    switch (V_VT(&value)) {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_BSTR: {
        QString text = QString::fromWCharArray(V_BSTR(&value), int(SysStringLen(V_BSTR(&value))));
        if (how == FormulaR1C1Writing && text.startsWith(QLatin1Char('=')) && format != Cell::TextFormat)
            text = formulaFromR1C1(text, row, column);
        cell = typedEntry(text, format);
        break;
    }
    case VT_BOOL:
        cell.type = Cell::Boolean;
        cell.boolean = V_BOOL(&value) != VARIANT_FALSE;
        break;
    case VT_DATE:
        cell.type = Cell::Number;
        cell.number = V_DATE(&value);
        if (format == Cell::General)
            cell.format = cell.number == qint64(cell.number) ? Cell::Date : Cell::DateTime;
        break;
    case VT_ERROR:
        cell.type = Cell::Error;
        if ((V_ERROR(&value) & 0xFFFF0000) == cvErrBase) {
            cell.error = V_ERROR(&value) & 0xFFFF;
        } else {
            // Not one of Excel's error values (a missing argument's
            // DISP_E_PARAMNOTFOUND): the cell gets #N/A here; logged, as
            // what Excel itself writes is not documented.
            cell.error = 2042;
            ServerKnobs::log(QStringLiteral("WROTE foreign error 0x%1 to %2%3")
                                 .arg(ulong(V_ERROR(&value)), 8, 16, QLatin1Char('0'))
                                 .arg(columnName(column)).arg(row));
        }
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return DISP_E_TYPEMISMATCH;
    default: {
        VARIANT number;
        VariantInit(&number);
        if (FAILED(VariantChangeType(&number, const_cast<VARIANT *>(&value), 0, VT_R8)))
            return DISP_E_TYPEMISMATCH;
        cell.type = Cell::Number;
        cell.number = V_R8(&number);
    }
    }
    if (cell.isBlank() && cell.format == Cell::General)
        m_sheet->cells.remove(key);
    else
        m_sheet->cells.insert(key, cell);
    return S_OK;
}

HRESULT RangeObject::write(Writing how, const VARIANT &given)
{
    const VARIANT &value = dereferenced(given);
    m_workbook->saved = false;
    if (V_VT(&value) & VT_ARRAY) {
        SAFEARRAY *block = (V_VT(&value) & VT_BYREF) ? *V_ARRAYREF(&value) : V_ARRAY(&value);
        VARTYPE elements = VT_EMPTY;
        SafeArrayGetVartype(block, &elements);
        if (elements != VT_VARIANT)
            return DISP_E_TYPEMISMATCH;
        const UINT dimensions = SafeArrayGetDim(block);
        LONG low[2] = {0, 0};
        LONG high[2] = {0, -1};
        for (UINT d = 0; d < dimensions && d < 2; ++d) {
            SafeArrayGetLBound(block, d + 1, &low[d]);
            SafeArrayGetUBound(block, d + 1, &high[d]);
        }
        for (const Area &area : m_areas) {
            for (int r = area.top; r <= area.bottom; ++r) {
                for (int c = area.left; c <= area.right; ++c) {
                    // A one-dimensional array is one row; cells beyond the
                    // array get #N/A, as in Excel.
                    LONG at[2] = {low[0] + (r - area.top), low[1] + (c - area.left)};
                    if (dimensions == 1)
                        at[0] = low[0] + (c - area.left);
                    const bool inside = dimensions == 1 ? (r == area.top && at[0] <= high[0])
                                                        : (at[0] <= high[0] && at[1] <= high[1]);
                    VARIANT element;
                    VariantInit(&element);
                    if (inside) {
                        SafeArrayGetElement(block, at, &element);
                    } else {
                        V_VT(&element) = VT_ERROR;
                        V_ERROR(&element) = cvErrBase | 2042;
                    }
                    const HRESULT status = writeCell(how, r, c, element);
                    VariantClear(&element);
                    if (FAILED(status))
                        return status;
                }
            }
        }
        return S_OK;
    }
    for (const Area &area : m_areas) {
        if (V_VT(&value) == VT_EMPTY && area.rows() * qint64(area.columns()) > 100000) {
            // Clearing a whole line: only the cells that hold something.
            for (const CellKey &key : cellsOf(*m_sheet, {area}))
                writeCell(how, key.first, key.second, value);
            continue;
        }
        for (int r = area.top; r <= area.bottom; ++r) {
            for (int c = area.left; c <= area.right; ++c) {
                const HRESULT status = writeCell(how, r, c, value);
                if (FAILED(status))
                    return status;
            }
        }
    }
    return S_OK;
}

HRESULT RangeObject::item(long first, const VARIANT &second, VARIANT *out) const
{
    VariantInit(out);
    const Area &area = m_areas.first();
    Area picked;
    long column = 0;
    const bool twoIndexes = integerOf(second, column);
    if (!twoIndexes && !isMissing(second))
        return DISP_E_TYPEMISMATCH;
    View view = CellsView;
    if (m_view == RowsView && !twoIndexes) {
        picked = {int(area.top + first - 1), area.left, int(area.top + first - 1), area.right};
        view = RowsView;
    } else if (m_view == ColumnsView && !twoIndexes) {
        picked = {area.top, int(area.left + first - 1), area.bottom, int(area.left + first - 1)};
        view = ColumnsView;
    } else if (twoIndexes) {
        const int row = int(area.top + first - 1);
        const int c = int(area.left + column - 1);
        picked = {row, c, row, c};
    } else {
        const int row = int(area.top + (first - 1) / area.columns());
        const int c = int(area.left + (first - 1) % area.columns());
        picked = {row, c, row, c};
    }
    if (first < 1 || (twoIndexes && column < 1) || picked.bottom > maxRows || picked.right > maxColumns)
        return excelError(QStringLiteral("Application-defined or object-defined error"));
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = new RangeObject(m_workbook, m_sheet, {picked}, view);
    return S_OK;
}

HRESULT RangeObject::get__Default(VARIANT rowIndex, VARIANT columnIndex, VARIANT *out)
{
    if (isMissing(rowIndex) && isMissing(columnIndex))
        return read(ValueReading, out);
    return get_Item(rowIndex, columnIndex, out);
}

HRESULT RangeObject::put__Default(VARIANT rowIndex, VARIANT columnIndex, VARIANT value)
{
    if (isMissing(rowIndex) && isMissing(columnIndex))
        return write(ValueWriting, value);
    VARIANT picked;
    const HRESULT status = get_Item(rowIndex, columnIndex, &picked);
    if (FAILED(status))
        return status;
    static_cast<RangeObject *>(static_cast<::Range *>(V_DISPATCH(&picked)))->write(ValueWriting, value);
    VariantClear(&picked);
    return S_OK;
}

HRESULT RangeObject::get_Item(VARIANT rowIndex, VARIANT columnIndex, VARIANT *out)
{
    long first = 0;
    if (!integerOf(rowIndex, first))
        return DISP_E_TYPEMISMATCH;
    return item(first, columnIndex, out);
}

HRESULT RangeObject::get_Value(VARIANT dataType, VARIANT *out)
{
    long type = 10;
    if (!isMissing(dataType) && (!integerOf(dataType, type) || type != 10))
        return excelError(QStringLiteral("Application-defined or object-defined error"));
    return read(ValueReading, out);
}

HRESULT RangeObject::put_Value(VARIANT, VARIANT value)
{
    return write(ValueWriting, value);
}

HRESULT RangeObject::get_Value2(VARIANT *out)
{
    return read(Value2Reading, out);
}

HRESULT RangeObject::put_Value2(VARIANT value)
{
    return write(ValueWriting, value);
}

HRESULT RangeObject::get_Formula(VARIANT *out)
{
    return read(FormulaReading, out);
}

HRESULT RangeObject::put_Formula(VARIANT value)
{
    return write(FormulaWriting, value);
}

HRESULT RangeObject::get_FormulaR1C1(VARIANT *out)
{
    return read(FormulaR1C1Reading, out);
}

HRESULT RangeObject::put_FormulaR1C1(VARIANT value)
{
    return write(FormulaR1C1Writing, value);
}

HRESULT RangeObject::get_Text(VARIANT *out)
{
    return read(TextReading, out);
}

HRESULT RangeObject::get_HasFormula(VARIANT *out)
{
    VariantInit(out);
    int formulas = 0;
    qint64 cells = 0;
    for (const Area &area : m_areas)
        cells += qint64(area.rows()) * area.columns();
    for (const CellKey &key : cellsOf(*m_sheet, m_areas))
        formulas += m_sheet->cells.value(key).formula.isEmpty() ? 0 : 1;
    if (formulas > 0 && formulas < cells) {
        V_VT(out) = VT_NULL;
        return S_OK;
    }
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = formulas > 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT RangeObject::get_NumberFormat(VARIANT *out)
{
    VariantInit(out);
    const Area &area = m_areas.first();
    setText(out, formatCode(m_sheet->cells.value({area.top, area.left}).format));
    return S_OK;
}

HRESULT RangeObject::put_NumberFormat(VARIANT value)
{
    const QString code = textOf(value);
    Cell::Format format = Cell::General;
    if (code == QLatin1String("@"))
        format = Cell::TextFormat;
    else if (code.contains(QLatin1Char('h'), Qt::CaseInsensitive))
        format = Cell::DateTime;
    else if (code.contains(QLatin1Char('y'), Qt::CaseInsensitive) || code.contains(QLatin1Char('d'), Qt::CaseInsensitive))
        format = Cell::Date;
    for (const Area &area : m_areas) {
        for (int r = area.top; r <= area.bottom && r <= 65536; ++r) {
            for (int c = area.left; c <= area.right && c <= 256; ++c)
                m_sheet->cells[{r, c}].format = format;
        }
    }
    m_workbook->saved = false;
    return S_OK;
}

HRESULT RangeObject::get_Row(LONG *out)
{
    *out = m_areas.first().top;
    return S_OK;
}

HRESULT RangeObject::get_Column(LONG *out)
{
    *out = m_areas.first().left;
    return S_OK;
}

HRESULT RangeObject::get_Count(LONG *out)
{
    qint64 count = 0;
    for (const Area &area : m_areas) {
        count += m_view == RowsView ? area.rows()
            : m_view == ColumnsView ? area.columns()
                                    : qint64(area.rows()) * area.columns();
    }
    if (count > 0x7fffffff)
        return excelError(QStringLiteral("Overflow"));
    *out = LONG(count);
    return S_OK;
}

HRESULT RangeObject::get_Cells(::Range **out)
{
    return handOut<RangeObject>(out, m_workbook, m_sheet, m_areas, CellsView);
}

HRESULT RangeObject::get_Rows(::Range **out)
{
    return handOut<RangeObject>(out, m_workbook, m_sheet, m_areas, RowsView);
}

HRESULT RangeObject::get_Columns(::Range **out)
{
    return handOut<RangeObject>(out, m_workbook, m_sheet, m_areas, ColumnsView);
}

HRESULT RangeObject::get_Areas(::Areas **out)
{
    return handOut<AreasObject>(out, m_workbook, m_sheet, m_areas);
}

HRESULT RangeObject::get_Address(VARIANT rowAbsolute, VARIANT columnAbsolute, LONG, VARIANT, VARIANT, BSTR *out)
{
    const QString rowMark = truthOf(rowAbsolute, true) ? QStringLiteral("$") : QString();
    const QString columnMark = truthOf(columnAbsolute, true) ? QStringLiteral("$") : QString();
    QStringList parts;
    for (const Area &area : m_areas) {
        auto corner = [&](int row, int column) {
            return columnMark + columnName(column) + rowMark + QString::number(row);
        };
        QString part = corner(area.top, area.left);
        if (area.rows() > 1 || area.columns() > 1)
            part += QLatin1Char(':') + corner(area.bottom, area.right);
        parts.append(part);
    }
    *out = bstrOf(parts.join(QLatin1Char(',')));
    return S_OK;
}

HRESULT RangeObject::get_Worksheet(_Worksheet **out)
{
    return handOut<WorksheetObject>(out, m_workbook, m_sheet);
}

HRESULT RangeObject::get_Hyperlinks(::Hyperlinks **out)
{
    return handOut<HyperlinksObject>(out, m_workbook, m_sheet, m_areas);
}

// Excel searches the whole used range when the range is one cell.
HRESULT RangeObject::SpecialCells(LONG type, VARIANT, ::Range **out)
{
    *out = nullptr;
    QVector<Area> searched = m_areas;
    if (m_areas.size() == 1 && m_areas.first().rows() == 1 && m_areas.first().columns() == 1)
        searched = {{1, 1, maxRows, maxColumns}};
    QVector<CellKey> picked;
    if (type == xlCellTypeFormulas || type == xlCellTypeConstants) {
        for (const CellKey &key : cellsOf(*m_sheet, searched)) {
            const Cell cell = m_sheet->cells.value(key);
            const bool formula = !cell.formula.isEmpty();
            if (type == xlCellTypeFormulas ? formula : (!formula && cell.type != Cell::Empty))
                picked.append(key);
        }
    } else if (type == xlCellTypeBlanks) {
        // Blanks within the used rectangle only.
        Area used{maxRows, maxColumns, 0, 0};
        for (auto it = m_sheet->cells.cbegin(); it != m_sheet->cells.cend(); ++it) {
            used.top = qMin(used.top, it.key().first);
            used.left = qMin(used.left, it.key().second);
            used.bottom = qMax(used.bottom, it.key().first);
            used.right = qMax(used.right, it.key().second);
        }
        for (const Area &area : searched) {
            for (int r = qMax(area.top, used.top); r <= qMin(area.bottom, used.bottom); ++r) {
                for (int c = qMax(area.left, used.left); c <= qMin(area.right, used.right); ++c) {
                    if (m_sheet->cells.value({r, c}).isBlank())
                        picked.append({r, c});
                }
            }
        }
    } else {
        return excelError(QStringLiteral("SpecialCells method of Range class failed"));
    }
    if (picked.isEmpty())
        return excelError(QStringLiteral("No cells were found."));
    // Neighbours in a row make one area.
    QVector<Area> areas;
    for (const CellKey &key : picked) {
        if (!areas.isEmpty() && areas.last().top == key.first && areas.last().right + 1 == key.second)
            ++areas.last().right;
        else
            areas.append({key.first, key.second, key.first, key.second});
    }
    return handOut<RangeObject>(out, m_workbook, m_sheet, areas);
}

HRESULT RangeObject::shiftLines(bool insert)
{
    const Area &area = m_areas.first();
    const bool wholeRows = area.left == 1 && area.right == maxColumns;
    const bool wholeColumns = area.top == 1 && area.bottom == maxRows;
    if (!wholeRows && !wholeColumns) {
        ServerKnobs::log(QStringLiteral("UNSUPPORTED shift of part of a sheet"));
        return excelError(QStringLiteral("This test server shifts whole rows and columns only"));
    }
    const int count = wholeRows ? area.rows() : area.columns();
    const int at = wholeRows ? area.top : area.left;
    if (insert) {
        const int limit = (wholeRows ? maxRows : maxColumns) - count;
        for (auto it = m_sheet->cells.cbegin(); it != m_sheet->cells.cend(); ++it) {
            if ((wholeRows ? it.key().first : it.key().second) > limit && !it.value().isBlank())
                return excelError(QStringLiteral("To prevent possible loss of data, Excel cannot shift nonblank "
                                                 "cells off of the worksheet."));
        }
    }
    if (wholeRows)
        shiftRows(*m_sheet, at, insert ? count : -count);
    else
        shiftColumns(*m_sheet, at, insert ? count : -count);
    m_workbook->saved = false;
    return S_OK;
}

HRESULT RangeObject::Insert(VARIANT, VARIANT, VARIANT *out)
{
    const HRESULT status = shiftLines(true);
    VariantInit(out);
    if (SUCCEEDED(status)) {
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = VARIANT_TRUE;
    }
    return status;
}

HRESULT RangeObject::Delete(VARIANT, VARIANT *out)
{
    const HRESULT status = shiftLines(false);
    VariantInit(out);
    if (SUCCEEDED(status)) {
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = VARIANT_TRUE;
    }
    return status;
}

HRESULT RangeObject::ClearContents(VARIANT *out)
{
    VARIANT empty;
    VariantInit(&empty);
    VariantInit(out);
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = VARIANT_TRUE;
    return write(ValueWriting, empty);
}

AreasObject::AreasObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet, QVector<Area> areas)
    : m_workbook(std::move(workbook))
    , m_sheet(std::move(sheet))
    , m_areas(std::move(areas))
{
}

HRESULT AreasObject::get_Count(LONG *out)
{
    *out = m_areas.size();
    return S_OK;
}

HRESULT AreasObject::Item(LONG index, ::Range **out)
{
    *out = nullptr;
    if (index < 1 || index > m_areas.size())
        return DISP_E_BADINDEX;
    return handOut<RangeObject>(out, m_workbook, m_sheet, QVector<Area>{m_areas[index - 1]});
}

HRESULT AreasObject::_Default(LONG index, ::Range **out)
{
    return Item(index, out);
}
