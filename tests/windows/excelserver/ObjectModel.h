// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DispatchObject.h"
#include "Spreadsheet.h"

#include <QVector>

#include <memory>

// The application's state every object of one server reaches.
struct ApplicationState
{
    bool visible = false;
    bool displayAlerts = true;
    bool enableEvents = true;
    bool screenUpdating = true;
    long automationSecurity = 1; // msoAutomationSecurityLow, as Excel started by automation has
    HWND window = nullptr;
    QVector<std::shared_ptr<Workbook>> workbooks;
    std::shared_ptr<Workbook> active;
};
using StatePtr = std::shared_ptr<ApplicationState>;

// Helpers of the members' arguments.
bool isMissing(const VARIANT &value);
// The argument as a whole number or a truth, or the fallback when missing.
bool integerOf(const VARIANT &value, long &number);
bool truthOf(const VARIANT &value, bool fallback);
QString textOf(const VARIANT &value);

class ApplicationObject : public DispatchObject<_Application>
{
public:
    ApplicationObject();
    ~ApplicationObject() override;
    HRESULT STDMETHODCALLTYPE get_Workbooks(Workbooks **out) override;
    HRESULT STDMETHODCALLTYPE get_ActiveWorkbook(_Workbook **out) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL *out) override;
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_DisplayAlerts(VARIANT_BOOL *out) override;
    HRESULT STDMETHODCALLTYPE put_DisplayAlerts(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_EnableEvents(VARIANT_BOOL *out) override;
    HRESULT STDMETHODCALLTYPE put_EnableEvents(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ScreenUpdating(VARIANT_BOOL *out) override;
    HRESULT STDMETHODCALLTYPE put_ScreenUpdating(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AutomationSecurity(LONG *out) override;
    HRESULT STDMETHODCALLTYPE put_AutomationSecurity(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Hwnd(LONG *out) override;
    HRESULT STDMETHODCALLTYPE Quit() override;

private:
    StatePtr m_state;
};

class WorkbooksObject : public DispatchObject<Workbooks>
{
public:
    explicit WorkbooksObject(StatePtr state);
    HRESULT STDMETHODCALLTYPE get_Count(LONG *out) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, _Workbook **out) override;
    HRESULT STDMETHODCALLTYPE get__Default(VARIANT index, _Workbook **out) override;
    HRESULT STDMETHODCALLTYPE Open(BSTR filename, VARIANT updateLinks, VARIANT readOnly, VARIANT format,
                                   VARIANT password, VARIANT writeResPassword, VARIANT ignoreReadOnlyRecommended,
                                   VARIANT origin, VARIANT delimiter, VARIANT editable, VARIANT notify,
                                   VARIANT converter, VARIANT addToMru, VARIANT local, VARIANT corruptLoad,
                                   _Workbook **out) override;
    HRESULT STDMETHODCALLTYPE OpenText(BSTR filename, VARIANT origin, VARIANT startRow, VARIANT dataType,
                                       VARIANT textQualifier, VARIANT consecutiveDelimiter, VARIANT tab,
                                       VARIANT semicolon, VARIANT comma, VARIANT space, VARIANT other,
                                       VARIANT otherChar, VARIANT fieldInfo, VARIANT textVisualLayout,
                                       VARIANT decimalSeparator, VARIANT thousandsSeparator,
                                       VARIANT trailingMinusNumbers, VARIANT local) override;
    HRESULT STDMETHODCALLTYPE Close() override;

private:
    StatePtr m_state;
};

class WorkbookObject : public DispatchObject<_Workbook>
{
public:
    WorkbookObject(StatePtr state, std::shared_ptr<Workbook> workbook);
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE get_FullName(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE get_Sheets(Sheets **out) override;
    HRESULT STDMETHODCALLTYPE get_Worksheets(Sheets **out) override;
    HRESULT STDMETHODCALLTYPE get_Saved(VARIANT_BOOL *out) override;
    HRESULT STDMETHODCALLTYPE put_Saved(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ReadOnly(VARIANT_BOOL *out) override;
    HRESULT STDMETHODCALLTYPE get_FileFormat(LONG *out) override;
    HRESULT STDMETHODCALLTYPE Save() override;
    HRESULT STDMETHODCALLTYPE SaveAs(VARIANT filename, VARIANT fileFormat, VARIANT password,
                                     VARIANT writeResPassword, VARIANT readOnlyRecommended, VARIANT createBackup,
                                     LONG accessMode, VARIANT conflictResolution, VARIANT addToMru,
                                     VARIANT textCodepage, VARIANT textVisualLayout, VARIANT local) override;
    HRESULT STDMETHODCALLTYPE Close(VARIANT saveChanges, VARIANT filename, VARIANT routeWorkbook) override;

private:
    HRESULT write(const QString &path, Workbook::Format format, bool csvUtf8);
    StatePtr m_state;
    std::shared_ptr<Workbook> m_workbook;
};

class SheetsObject : public DispatchObject<Sheets>
{
public:
    explicit SheetsObject(std::shared_ptr<Workbook> workbook);
    HRESULT STDMETHODCALLTYPE get_Count(LONG *out) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IDispatch **out) override;
    HRESULT STDMETHODCALLTYPE get__Default(VARIANT index, IDispatch **out) override;
    HRESULT STDMETHODCALLTYPE Add(VARIANT before, VARIANT after, VARIANT count, VARIANT type, IDispatch **out) override;

private:
    std::shared_ptr<Workbook> m_workbook;
};

class WorksheetObject : public DispatchObject<_Worksheet>
{
public:
    WorksheetObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet);
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Index(LONG *out) override;
    HRESULT STDMETHODCALLTYPE get_Cells(::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_Rows(::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_Columns(::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_Range(VARIANT cell1, VARIANT cell2, ::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_UsedRange(::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_Hyperlinks(::Hyperlinks **out) override;

    const std::shared_ptr<Sheet> &sheet() const { return m_sheet; }

private:
    std::shared_ptr<Workbook> m_workbook;
    std::shared_ptr<Sheet> m_sheet;
};

// A rectangle of a sheet, rows and columns from 1.
struct Area
{
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
    int rows() const { return bottom - top + 1; }
    int columns() const { return right - left + 1; }
    bool contains(int row, int column) const { return row >= top && row <= bottom && column >= left && column <= right; }
};

class RangeObject : public DispatchObject<::Range>
{
public:
    // How Count and Item see the range: its cells, its rows or its columns.
    enum View { CellsView, RowsView, ColumnsView };
    RangeObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet, QVector<Area> areas,
                View view = CellsView);

    HRESULT STDMETHODCALLTYPE get__Default(VARIANT rowIndex, VARIANT columnIndex, VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE put__Default(VARIANT rowIndex, VARIANT columnIndex, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT rowIndex, VARIANT columnIndex, VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT dataType, VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT dataType, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE get_Value2(VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE put_Value2(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE get_Formula(VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE put_Formula(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE get_FormulaR1C1(VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE put_FormulaR1C1(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE get_Text(VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE get_HasFormula(VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE get_NumberFormat(VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE put_NumberFormat(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE get_Row(LONG *out) override;
    HRESULT STDMETHODCALLTYPE get_Column(LONG *out) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG *out) override;
    HRESULT STDMETHODCALLTYPE get_Cells(::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_Rows(::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_Columns(::Range **out) override;
    HRESULT STDMETHODCALLTYPE get_Areas(::Areas **out) override;
    HRESULT STDMETHODCALLTYPE get_Address(VARIANT rowAbsolute, VARIANT columnAbsolute, LONG referenceStyle,
                                          VARIANT external, VARIANT relativeTo, BSTR *out) override;
    HRESULT STDMETHODCALLTYPE get_Worksheet(_Worksheet **out) override;
    HRESULT STDMETHODCALLTYPE get_Hyperlinks(::Hyperlinks **out) override;
    HRESULT STDMETHODCALLTYPE SpecialCells(LONG type, VARIANT value, ::Range **out) override;
    HRESULT STDMETHODCALLTYPE Insert(VARIANT shift, VARIANT copyOrigin, VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE Delete(VARIANT shift, VARIANT *out) override;
    HRESULT STDMETHODCALLTYPE ClearContents(VARIANT *out) override;

    const std::shared_ptr<Sheet> &sheet() const { return m_sheet; }
    const QVector<Area> &areas() const { return m_areas; }

private:
    enum Reading { Value2Reading, ValueReading, FormulaReading, FormulaR1C1Reading, TextReading };
    enum Writing { ValueWriting, FormulaWriting, FormulaR1C1Writing };
    HRESULT read(Reading how, VARIANT *out) const;
    HRESULT write(Writing how, const VARIANT &value);
    HRESULT writeCell(Writing how, int row, int column, const VARIANT &value);
    HRESULT readCell(Reading how, int row, int column, VARIANT *out) const;
    HRESULT item(long first, const VARIANT &second, VARIANT *out) const;
    HRESULT shiftLines(bool insert);

    std::shared_ptr<Workbook> m_workbook;
    std::shared_ptr<Sheet> m_sheet;
    QVector<Area> m_areas;
    View m_view;
};

class AreasObject : public DispatchObject<::Areas>
{
public:
    AreasObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet, QVector<Area> areas);
    HRESULT STDMETHODCALLTYPE get_Count(LONG *out) override;
    HRESULT STDMETHODCALLTYPE Item(LONG index, ::Range **out) override;
    HRESULT STDMETHODCALLTYPE _Default(LONG index, ::Range **out) override;

private:
    std::shared_ptr<Workbook> m_workbook;
    std::shared_ptr<Sheet> m_sheet;
    QVector<Area> m_areas;
};

class HyperlinksObject : public DispatchObject<::Hyperlinks>
{
public:
    // The links of the sheet, or of the cells of the areas given.
    HyperlinksObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet, QVector<Area> areas = {});
    HRESULT STDMETHODCALLTYPE get_Count(LONG *out) override;
    HRESULT STDMETHODCALLTYPE Item(VARIANT index, ::Hyperlink **out) override;
    HRESULT STDMETHODCALLTYPE Add(IDispatch *anchor, BSTR address, VARIANT subAddress, VARIANT screenTip,
                                  VARIANT textToDisplay, IDispatch **out) override;
    HRESULT STDMETHODCALLTYPE Delete() override;

private:
    QVector<CellKey> keys() const;
    std::shared_ptr<Workbook> m_workbook;
    std::shared_ptr<Sheet> m_sheet;
    QVector<Area> m_areas;
};

class HyperlinkObject : public DispatchObject<::Hyperlink>
{
public:
    HyperlinkObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet, CellKey cell);
    HRESULT STDMETHODCALLTYPE get_Address(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE get_SubAddress(BSTR *out) override;
    HRESULT STDMETHODCALLTYPE Delete() override;

private:
    std::shared_ptr<Workbook> m_workbook;
    std::shared_ptr<Sheet> m_sheet;
    CellKey m_cell;
};
