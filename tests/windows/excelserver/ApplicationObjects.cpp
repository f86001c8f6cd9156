// SPDX-License-Identifier: GPL-3.0-or-later
// Application and Workbooks: starting, opening (and the prompts Excel shows
// when a workbook needs an answer the call did not give), quitting.
#include "CsvFile.h"
#include "ObjectModel.h"
#include "ServerKnobs.h"
#include "XlsxFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const long msoAutomationSecurityForceDisable = 3;

HRESULT workbookAt(const StatePtr &state, const VARIANT &index, _Workbook **out)
{
    *out = nullptr;
    long position = 0;
    if (integerOf(index, position)) {
        if (position < 1 || position > state->workbooks.size())
            return DISP_E_BADINDEX;
        return handOut<WorkbookObject>(out, state, state->workbooks[position - 1]);
    }
    const QString name = textOf(index);
    for (const auto &workbook : state->workbooks) {
        if (QFileInfo(workbook->path).fileName().compare(name, Qt::CaseInsensitive) == 0)
            return handOut<WorkbookObject>(out, state, workbook);
    }
    return DISP_E_BADINDEX;
}

// Excel's run of a workbook's open event, as far as a test can see it.
void runOpenMacro(const ApplicationState &state, const Workbook &workbook)
{
    if (!workbook.traits.openMacro)
        return;
    if (state.automationSecurity == msoAutomationSecurityForceDisable || !state.enableEvents) {
        ServerKnobs::log(QStringLiteral("MACRO not run: %1").arg(workbook.path));
        return;
    }
    ServerKnobs::log(QStringLiteral("MACRO Workbook_Open ran: %1").arg(workbook.path));
}

QString cannotOpen(const QString &path)
{
    return QStringLiteral("Excel cannot open the file '%1' because the file format or file extension is not valid. "
                          "Verify that the file has not been corrupted and that the file extension matches the "
                          "format of the file.").arg(QFileInfo(path).fileName());
}

} // namespace

bool isMissing(const VARIANT &value)
{
    const VARIANT *v = V_VT(&value) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&value) : &value;
    return V_VT(v) == VT_EMPTY || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

bool integerOf(const VARIANT &value, long &number)
{
    if (isMissing(value))
        return false;
    VARIANT converted;
    VariantInit(&converted);
    if (V_VT(&value) == VT_BSTR || FAILED(VariantChangeType(&converted, const_cast<VARIANT *>(&value), 0, VT_I4)))
        return false;
    number = V_I4(&converted);
    return true;
}

bool truthOf(const VARIANT &value, bool fallback)
{
    if (isMissing(value))
        return fallback;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT *>(&value), 0, VT_BOOL)))
        return fallback;
    return V_BOOL(&converted) != VARIANT_FALSE;
}

QString textOf(const VARIANT &value)
{
    if (isMissing(value))
        return QString();
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT *>(&value), 0, VT_BSTR)))
        return QString();
    const QString text = QString::fromWCharArray(V_BSTR(&converted), int(SysStringLen(V_BSTR(&converted))));
    VariantClear(&converted);
    return text;
}

ApplicationObject::ApplicationObject()
    : m_state(std::make_shared<ApplicationState>())
{
    // Excel's main window, hidden: what a caller finds the process by.
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"XLMAIN";
    RegisterClassW(&windowClass);
    m_state->window = CreateWindowW(L"XLMAIN", L"Excel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    ServerKnobs::log(QStringLiteral("STARTED"));
}

ApplicationObject::~ApplicationObject()
{
    if (m_state->window)
        DestroyWindow(m_state->window);
}

HRESULT ApplicationObject::get_Workbooks(Workbooks **out)
{
    return handOut<WorkbooksObject>(out, m_state);
}

HRESULT ApplicationObject::get_ActiveWorkbook(_Workbook **out)
{
    *out = nullptr;
    if (!m_state->active)
        return S_OK;
    return handOut<WorkbookObject>(out, m_state, m_state->active);
}

HRESULT ApplicationObject::get_Name(BSTR *out)
{
    *out = bstrOf(QStringLiteral("Microsoft Excel"));
    return S_OK;
}

HRESULT ApplicationObject::get_Version(BSTR *out)
{
    *out = bstrOf(QStringLiteral("16.0"));
    return S_OK;
}

#define BOOLEAN_PROPERTY(Name, field)                                   \
    HRESULT ApplicationObject::get_##Name(VARIANT_BOOL *out)            \
    {                                                                   \
        *out = m_state->field ? VARIANT_TRUE : VARIANT_FALSE;           \
        return S_OK;                                                    \
    }                                                                   \
    HRESULT ApplicationObject::put_##Name(VARIANT_BOOL value)           \
    {                                                                   \
        m_state->field = value != VARIANT_FALSE;                        \
        return S_OK;                                                    \
    }
BOOLEAN_PROPERTY(Visible, visible)
BOOLEAN_PROPERTY(DisplayAlerts, displayAlerts)
BOOLEAN_PROPERTY(EnableEvents, enableEvents)
BOOLEAN_PROPERTY(ScreenUpdating, screenUpdating)
#undef BOOLEAN_PROPERTY

HRESULT ApplicationObject::get_AutomationSecurity(LONG *out)
{
    *out = m_state->automationSecurity;
    return S_OK;
}

HRESULT ApplicationObject::put_AutomationSecurity(LONG value)
{
    if (value < 1 || value > 3)
        return excelError(QStringLiteral("Application-defined or object-defined error"));
    m_state->automationSecurity = value;
    return S_OK;
}

HRESULT ApplicationObject::get_Hwnd(LONG *out)
{
    *out = LONG(reinterpret_cast<quintptr>(m_state->window));
    return S_OK;
}

// The process ends once the call has returned, whatever the caller still
// holds: its later calls find the server gone.
HRESULT ApplicationObject::Quit()
{
    m_state->workbooks.clear();
    m_state->active.reset();
    PostQuitMessage(0);
    return S_OK;
}

WorkbooksObject::WorkbooksObject(StatePtr state)
    : m_state(std::move(state))
{
}

HRESULT WorkbooksObject::get_Count(LONG *out)
{
    *out = m_state->workbooks.size();
    return S_OK;
}

HRESULT WorkbooksObject::get_Item(VARIANT index, _Workbook **out)
{
    return workbookAt(m_state, index, out);
}

HRESULT WorkbooksObject::get__Default(VARIANT index, _Workbook **out)
{
    return workbookAt(m_state, index, out);
}

HRESULT WorkbooksObject::Open(BSTR filename, VARIANT updateLinks, VARIANT readOnly, VARIANT, VARIANT password,
                              VARIANT writeResPassword, VARIANT ignoreReadOnlyRecommended, VARIANT origin, VARIANT,
                              VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, _Workbook **out)
{
    *out = nullptr;
    ServerKnobs::startBusyClock();
    const QString path = QDir::fromNativeSeparators(QString::fromWCharArray(filename));
    ServerKnobs::maybeDieOpening(path);
    const QFileInfo file(path);
    if (!file.isFile()) {
        return excelError(QStringLiteral("Sorry, we couldn't find %1. Is it possible it was moved, renamed or deleted?")
                              .arg(QString::fromWCharArray(filename)));
    }
    auto workbook = std::make_shared<Workbook>();
    workbook->path = file.absoluteFilePath();
    QString whyNot;
    const QString suffix = file.suffix().toLower();
    if (suffix == QLatin1String("csv")) {
        CsvFile::Reading how;
        long codePage = 0;
        if (integerOf(origin, codePage))
            how.codePage = codePage == 2 ? CP_ACP : codePage == 3 ? CP_OEMCP : unsigned(codePage);
        workbook->format = Workbook::Csv;
        if (!CsvFile::read(path, how, *workbook, whyNot))
            return excelError(cannotOpen(path));
    } else if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm")) {
        workbook->format = suffix == QLatin1String("xlsm") ? Workbook::Xlsm : Workbook::Xlsx;
        if (!XlsxFile::read(path, *workbook, whyNot))
            return excelError(cannotOpen(path));
    } else {
        return excelError(cannotOpen(path));
    }

    // What Excel asks when the call leaves it open, in a window nobody sees.
    const WorkbookTraits &traits = workbook->traits;
    if (traits.passwordToOpen) {
        if (isMissing(password))
            ServerKnobs::blockOnPrompt(QStringLiteral("password to open %1").arg(path));
        return excelError(QStringLiteral("The password you supplied is not correct. Verify that the CAPS LOCK key is "
                                         "off and be sure to use the correct capitalization."));
    }
    bool openedReadOnly = truthOf(readOnly, false);
    if (traits.passwordToModify && !openedReadOnly) {
        if (isMissing(writeResPassword)) {
            ServerKnobs::blockOnPrompt(QStringLiteral("password to modify %1").arg(path));
            return excelError(QStringLiteral("Open method of Workbooks class failed"));
        }
        return excelError(QStringLiteral("The password you supplied is not correct. Verify that the CAPS LOCK key is "
                                         "off and be sure to use the correct capitalization."));
    }
    if (traits.readOnlyRecommended && !truthOf(ignoreReadOnlyRecommended, false) && !openedReadOnly) {
        if (m_state->displayAlerts)
            ServerKnobs::blockOnPrompt(QStringLiteral("read-only recommended %1").arg(path));
        openedReadOnly = true;
    }
    if (traits.externalLinks > 0 && isMissing(updateLinks))
        ServerKnobs::blockOnPrompt(QStringLiteral("update links of %1").arg(path));
    if (openedReadOnly)
        ServerKnobs::log(QStringLiteral("OPENED read-only %1").arg(path));
    m_state->workbooks.append(workbook);
    m_state->active = workbook;
    runOpenMacro(*m_state, *workbook);
    return handOut<WorkbookObject>(out, m_state, workbook);
}

HRESULT WorkbooksObject::OpenText(BSTR filename, VARIANT origin, VARIANT startRow, VARIANT, VARIANT, VARIANT, VARIANT,
                                  VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT fieldInfo, VARIANT, VARIANT,
                                  VARIANT, VARIANT, VARIANT)
{
    ServerKnobs::startBusyClock();
    const QString path = QDir::fromNativeSeparators(QString::fromWCharArray(filename));
    ServerKnobs::maybeDieOpening(path);
    if (!QFileInfo(path).isFile())
        return excelError(QStringLiteral("Sorry, we couldn't find %1. Is it possible it was moved, renamed or deleted?")
                              .arg(QString::fromWCharArray(filename)));
    CsvFile::Reading how;
    long codePage = 0;
    if (integerOf(origin, codePage))
        how.codePage = codePage == 2 ? CP_ACP : codePage == 3 ? CP_OEMCP : unsigned(codePage);
    long first = 1;
    integerOf(startRow, first);
    // FieldInfo: an array of (column, XlColumnDataType) pairs; 2 is xlTextFormat.
    if (!isMissing(fieldInfo) && (V_VT(&fieldInfo) & VT_ARRAY)) {
        SAFEARRAY *pairs = (V_VT(&fieldInfo) & VT_BYREF) ? *V_ARRAYREF(&fieldInfo) : V_ARRAY(&fieldInfo);
        LONG low = 0;
        LONG high = -1;
        SafeArrayGetLBound(pairs, 1, &low);
        SafeArrayGetUBound(pairs, 1, &high);
        for (LONG i = low; i <= high; ++i) {
            VARIANT pair;
            VariantInit(&pair);
            // Excel refuses what it cannot read as run-time error 1004.
            if (FAILED(SafeArrayGetElement(pairs, &i, &pair)) || !(V_VT(&pair) & VT_ARRAY))
                return excelError(QStringLiteral("OpenText method of Workbooks class failed"));
            LONG pairLow = 0;
            SafeArrayGetLBound(V_ARRAY(&pair), 1, &pairLow);
            VARIANT column;
            VARIANT type;
            VariantInit(&column);
            VariantInit(&type);
            LONG at = pairLow;
            SafeArrayGetElement(V_ARRAY(&pair), &at, &column);
            ++at;
            SafeArrayGetElement(V_ARRAY(&pair), &at, &type);
            long columnNumber = 0;
            long typeNumber = 0;
            if (integerOf(column, columnNumber) && integerOf(type, typeNumber) && typeNumber == 2)
                how.textColumns.insert(int(columnNumber));
            VariantClear(&pair);
        }
    }
    auto workbook = std::make_shared<Workbook>();
    workbook->path = QFileInfo(path).absoluteFilePath();
    workbook->format = Workbook::Csv;
    QString whyNot;
    if (!CsvFile::read(path, how, *workbook, whyNot))
        return excelError(cannotOpen(path));
    if (first > 1) {
        shiftRows(*workbook->sheets.first(), 1, -int(first - 1));
    }
    m_state->workbooks.append(workbook);
    m_state->active = workbook;
    return S_OK;
}

HRESULT WorkbooksObject::Close()
{
    m_state->workbooks.clear();
    m_state->active.reset();
    return S_OK;
}
