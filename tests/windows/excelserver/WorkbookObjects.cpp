// SPDX-License-Identifier: GPL-3.0-or-later
// Workbook, Sheets and Worksheet: saving in the workbook's own format, the
// sheets in order, a worksheet's ways to its ranges.
#include "CsvFile.h"
#include "ObjectModel.h"
#include "ServerKnobs.h"
#include "XlsxFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const long xlOpenXMLWorkbook = 51;
const long xlOpenXMLWorkbookMacroEnabled = 52;
const long xlCSV = 6;
const long xlCSVUTF8 = 62;

long fileFormatOf(const Workbook &workbook)
{
    switch (workbook.format) {
    case Workbook::Xlsx:
        return xlOpenXMLWorkbook;
    case Workbook::Xlsm:
        return xlOpenXMLWorkbookMacroEnabled;
    case Workbook::Csv:
        return xlCSV;
    }
    return xlOpenXMLWorkbook;
}

HRESULT sheetAt(const std::shared_ptr<Workbook> &workbook, const VARIANT &index, IDispatch **out)
{
    *out = nullptr;
    long position = 0;
    if (integerOf(index, position)) {
        if (position < 1 || position > workbook->sheets.size())
            return DISP_E_BADINDEX;
        return handOut<WorksheetObject>(out, workbook, workbook->sheets[position - 1]);
    }
    const VARIANT *v = V_VT(&index) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&index) : &index;
    if (V_VT(v) != VT_BSTR)
        return DISP_E_TYPEMISMATCH;
    const QString name = textOf(*v);
    for (const auto &sheet : workbook->sheets) {
        if (sheet->name.compare(name, Qt::CaseInsensitive) == 0)
            return handOut<WorksheetObject>(out, workbook, sheet);
    }
    return DISP_E_BADINDEX;
}

// The sheet a caller's argument names by object, or -1.
int sheetPositionOf(const Workbook &workbook, const VARIANT &argument)
{
    const VARIANT *v = V_VT(&argument) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&argument) : &argument;
    if (V_VT(v) != VT_DISPATCH)
        return -1;
    auto *sheet = dynamic_cast<WorksheetObject *>(serverObjectOf(V_DISPATCH(v)));
    if (!sheet)
        return -1;
    return workbook.sheets.indexOf(sheet->sheet());
}

} // namespace

WorkbookObject::WorkbookObject(StatePtr state, std::shared_ptr<Workbook> workbook)
    : m_state(std::move(state))
    , m_workbook(std::move(workbook))
{
}

HRESULT WorkbookObject::get_Name(BSTR *out)
{
    *out = bstrOf(QFileInfo(m_workbook->path).fileName());
    return S_OK;
}

HRESULT WorkbookObject::get_FullName(BSTR *out)
{
    *out = bstrOf(QDir::toNativeSeparators(m_workbook->path));
    return S_OK;
}

HRESULT WorkbookObject::get_Path(BSTR *out)
{
    *out = bstrOf(QDir::toNativeSeparators(QFileInfo(m_workbook->path).absolutePath()));
    return S_OK;
}

HRESULT WorkbookObject::get_Sheets(Sheets **out)
{
    return handOut<SheetsObject>(out, m_workbook);
}

HRESULT WorkbookObject::get_Worksheets(Sheets **out)
{
    return handOut<SheetsObject>(out, m_workbook);
}

HRESULT WorkbookObject::get_Saved(VARIANT_BOOL *out)
{
    *out = m_workbook->saved ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT WorkbookObject::put_Saved(VARIANT_BOOL value)
{
    m_workbook->saved = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT WorkbookObject::get_ReadOnly(VARIANT_BOOL *out)
{
    *out = QFileInfo(m_workbook->path).isWritable() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT WorkbookObject::get_FileFormat(LONG *out)
{
    *out = fileFormatOf(*m_workbook);
    return S_OK;
}

HRESULT WorkbookObject::write(const QString &path, Workbook::Format format, bool csvUtf8)
{
    const QFileInfo file(path);
    if (file.exists() && !file.isWritable())
        return excelError(QStringLiteral("Cannot access read-only document '%1'.").arg(file.fileName()));
    QString whyNot;
    const bool written = format == Workbook::Csv
        ? CsvFile::write(*m_workbook->sheets.first(), path, csvUtf8, whyNot)
        : XlsxFile::write(*m_workbook, path, whyNot);
    if (!written)
        return excelError(QStringLiteral("Cannot access '%1'.").arg(file.fileName()));
    ServerKnobs::log(QStringLiteral("SAVED %1").arg(path));
    m_workbook->saved = true;
    return S_OK;
}

HRESULT WorkbookObject::Save()
{
    return write(m_workbook->path, m_workbook->format, false);
}

HRESULT WorkbookObject::SaveAs(VARIANT filename, VARIANT fileFormat, VARIANT, VARIANT, VARIANT, VARIANT, LONG, VARIANT,
                               VARIANT, VARIANT, VARIANT, VARIANT)
{
    const QString path = isMissing(filename) ? m_workbook->path : QDir::fromNativeSeparators(textOf(filename));
    long format = 0;
    if (!integerOf(fileFormat, format)) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        format = suffix == QLatin1String("csv") ? xlCSV : suffix == QLatin1String("xlsm") ? xlOpenXMLWorkbookMacroEnabled
                                                                                         : xlOpenXMLWorkbook;
    }
    Workbook::Format kind = Workbook::Xlsx;
    if (format == xlCSV || format == xlCSVUTF8)
        kind = Workbook::Csv;
    else if (format == xlOpenXMLWorkbookMacroEnabled)
        kind = Workbook::Xlsm;
    else if (format != xlOpenXMLWorkbook)
        return excelError(QStringLiteral("SaveAs method of Workbook class failed"));
    const HRESULT status = write(path, kind, format == xlCSVUTF8);
    if (SUCCEEDED(status)) {
        m_workbook->path = QFileInfo(path).absoluteFilePath();
        m_workbook->format = kind;
    }
    return status;
}

HRESULT WorkbookObject::Close(VARIANT saveChanges, VARIANT, VARIANT)
{
    if (truthOf(saveChanges, false) && !m_workbook->saved) {
        const HRESULT status = Save();
        if (FAILED(status))
            return status;
    }
    m_state->workbooks.removeAll(m_workbook);
    if (m_state->active == m_workbook)
        m_state->active = m_state->workbooks.isEmpty() ? nullptr : m_state->workbooks.last();
    ServerKnobs::log(QStringLiteral("CLOSED %1").arg(m_workbook->path));
    return S_OK;
}

SheetsObject::SheetsObject(std::shared_ptr<Workbook> workbook)
    : m_workbook(std::move(workbook))
{
}

HRESULT SheetsObject::get_Count(LONG *out)
{
    *out = m_workbook->sheets.size();
    return S_OK;
}

HRESULT SheetsObject::get_Item(VARIANT index, IDispatch **out)
{
    return sheetAt(m_workbook, index, out);
}

HRESULT SheetsObject::get__Default(VARIANT index, IDispatch **out)
{
    return sheetAt(m_workbook, index, out);
}

HRESULT SheetsObject::Add(VARIANT before, VARIANT after, VARIANT count, VARIANT, IDispatch **out)
{
    *out = nullptr;
    int position = 0; // the active sheet, the first here
    if (!isMissing(before)) {
        position = sheetPositionOf(*m_workbook, before);
        if (position < 0)
            return excelError(QStringLiteral("Add method of Sheets class failed"));
    } else if (!isMissing(after)) {
        position = sheetPositionOf(*m_workbook, after);
        if (position < 0)
            return excelError(QStringLiteral("Add method of Sheets class failed"));
        ++position;
    }
    long sheets = 1;
    integerOf(count, sheets);
    std::shared_ptr<Sheet> added;
    for (long i = 0; i < sheets; ++i) {
        int number = m_workbook->sheets.size() + 1;
        auto taken = [&](int n) {
            for (const auto &sheet : m_workbook->sheets) {
                if (sheet->name.compare(QStringLiteral("Sheet%1").arg(n), Qt::CaseInsensitive) == 0)
                    return true;
            }
            return false;
        };
        while (taken(number))
            ++number;
        added = std::make_shared<Sheet>();
        added->name = QStringLiteral("Sheet%1").arg(number);
        m_workbook->sheets.insert(position, added);
    }
    m_workbook->saved = false;
    return handOut<WorksheetObject>(out, m_workbook, added);
}

WorksheetObject::WorksheetObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet)
    : m_workbook(std::move(workbook))
    , m_sheet(std::move(sheet))
{
}

HRESULT WorksheetObject::get_Name(BSTR *out)
{
    *out = bstrOf(m_sheet->name);
    return S_OK;
}

HRESULT WorksheetObject::put_Name(BSTR value)
{
    const QString name = QString::fromWCharArray(value);
    if (name.isEmpty() || name.size() > 31 || name.contains(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]"))))
        return excelError(QStringLiteral("Application-defined or object-defined error"));
    m_sheet->name = name;
    m_workbook->saved = false;
    return S_OK;
}

HRESULT WorksheetObject::get_Index(LONG *out)
{
    *out = m_workbook->sheets.indexOf(m_sheet) + 1;
    return S_OK;
}

HRESULT WorksheetObject::get_Cells(::Range **out)
{
    return handOut<RangeObject>(out, m_workbook, m_sheet, QVector<Area>{{1, 1, maxRows, maxColumns}});
}

HRESULT WorksheetObject::get_Rows(::Range **out)
{
    return handOut<RangeObject>(out, m_workbook, m_sheet, QVector<Area>{{1, 1, maxRows, maxColumns}},
                                RangeObject::RowsView);
}

HRESULT WorksheetObject::get_Columns(::Range **out)
{
    return handOut<RangeObject>(out, m_workbook, m_sheet, QVector<Area>{{1, 1, maxRows, maxColumns}},
                                RangeObject::ColumnsView);
}

// "A1", "B2:D2", "B:B", "1:9", "A1:B2,D4", or two corners (text or ranges).
HRESULT WorksheetObject::get_Range(VARIANT cell1, VARIANT cell2, ::Range **out)
{
    *out = nullptr;
    auto areasOf = [this](const VARIANT &argument, QVector<Area> &areas) {
        const VARIANT *v = V_VT(&argument) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&argument) : &argument;
        if (V_VT(v) == VT_DISPATCH) {
            auto *range = dynamic_cast<RangeObject *>(serverObjectOf(V_DISPATCH(v)));
            if (!range || range->sheet() != m_sheet)
                return false;
            areas = range->areas();
            return true;
        }
        if (V_VT(v) != VT_BSTR)
            return false;
        static const QRegularExpression whole(QStringLiteral("^\\$?([A-Za-z]{1,3}|[0-9]{1,7}):\\$?([A-Za-z]{1,3}|[0-9]{1,7})$"));
        for (const QString &part : textOf(*v).split(QLatin1Char(','))) {
            Area area;
            const QStringList corners = part.trimmed().split(QLatin1Char(':'));
            int row = 0;
            int column = 0;
            const QRegularExpressionMatch lines = whole.match(part.trimmed());
            if (corners.size() == 1 && parseCell(corners[0], row, column)) {
                area = {row, column, row, column};
            } else if (corners.size() == 2 && parseCell(corners[0], area.top, area.left)
                       && parseCell(corners[1], area.bottom, area.right)) {
            } else if (lines.hasMatch()) {
                const bool rows = lines.captured(1).at(0).isDigit();
                if (rows != lines.captured(2).at(0).isDigit())
                    return false;
                if (rows) {
                    area = {lines.captured(1).toInt(), 1, lines.captured(2).toInt(), maxColumns};
                } else {
                    parseCell(lines.captured(1) + QStringLiteral("1"), row, area.left);
                    parseCell(lines.captured(2) + QStringLiteral("1"), row, area.right);
                    area.top = 1;
                    area.bottom = maxRows;
                }
                if (area.top < 1 || area.bottom > maxRows)
                    return false;
            } else {
                return false;
            }
            if (area.top > area.bottom)
                std::swap(area.top, area.bottom);
            if (area.left > area.right)
                std::swap(area.left, area.right);
            areas.append(area);
        }
        return !areas.isEmpty();
    };
    QVector<Area> first;
    if (!areasOf(cell1, first))
        return excelError(QStringLiteral("Method 'Range' of object '_Worksheet' failed"));
    if (!isMissing(cell2)) {
        QVector<Area> second;
        if (!areasOf(cell2, second))
            return excelError(QStringLiteral("Method 'Range' of object '_Worksheet' failed"));
        Area spanning = first.first();
        for (const Area &a : first + second) {
            spanning.top = qMin(spanning.top, a.top);
            spanning.left = qMin(spanning.left, a.left);
            spanning.bottom = qMax(spanning.bottom, a.bottom);
            spanning.right = qMax(spanning.right, a.right);
        }
        first = {spanning};
    }
    return handOut<RangeObject>(out, m_workbook, m_sheet, first);
}

HRESULT WorksheetObject::get_UsedRange(::Range **out)
{
    Area used{maxRows, maxColumns, 1, 1};
    bool any = false;
    auto take = [&](const CellKey &key) {
        used.top = qMin(used.top, key.first);
        used.left = qMin(used.left, key.second);
        used.bottom = qMax(used.bottom, key.first);
        used.right = qMax(used.right, key.second);
        any = true;
    };
    for (auto it = m_sheet->cells.cbegin(); it != m_sheet->cells.cend(); ++it)
        take(it.key());
    for (auto it = m_sheet->links.cbegin(); it != m_sheet->links.cend(); ++it)
        take(it.key());
    if (!any)
        used = {1, 1, 1, 1};
    return handOut<RangeObject>(out, m_workbook, m_sheet, QVector<Area>{used});
}

HRESULT WorksheetObject::get_Hyperlinks(::Hyperlinks **out)
{
    return handOut<HyperlinksObject>(out, m_workbook, m_sheet);
}
