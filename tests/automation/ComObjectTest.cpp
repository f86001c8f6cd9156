// SPDX-License-Identifier: GPL-3.0-or-later
// The COM layer over an IDispatch of the test's own, registered under a
// ProgID of this process: every failed call raised with a reason, a busy
// server asked again, a lost one restarted, a hung call bounded, the values
// a spreadsheet gives (empty and error cells) kept as they are.

#include "automation/AxObject.h"
#include "fileformats/CellErrorValue.h"

#include <QSignalSpy>
#include <QTest>

#include <windows.h>

#include <map>
#include <string>
#include <thread>

namespace {

const CLSID scriptedClass = {0x3b7e4c21, 0x6f0a, 0x4d2e, {0x9a, 0x51, 0x0c, 0x8e, 0x27, 0x44, 0xb1, 0x63}};
const wchar_t progId[] = L"Gridwrighter.ScriptedServer";

// What the test server met: its instances and the last values put.
struct Seen
{
    int instances = 0;
    int busyLeft = 0;
    int calls = 0;
    std::map<std::wstring, VARIANT> puts;
    VARIANT firstOmitted;
};
Seen g_seen;

const wchar_t *const g_names[] = {L"Busy", L"Refuse", L"Value2", L"Die", L"Hang", L"Open", L"Visible",
                                  L"DisplayAlerts", L"WorkBooks", L"Count"};

// An application whose members do what their names say.
class ScriptedServer : public IDispatch
{
public:
    ScriptedServer() { ++g_seen.instances; }
    virtual ~ScriptedServer() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return ULONG(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return DISP_E_BADINDEX; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT, LCID, DISPID *id) override
    {
        for (DISPID i = 0; i < DISPID(sizeof g_names / sizeof *g_names); ++i) {
            if (_wcsicmp(names[0], g_names[i]) == 0) {
                *id = i + 1;
                return S_OK;
            }
        }
        *id = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *parameters, VARIANT *result,
                                     EXCEPINFO *, UINT *argumentError) override
    {
        ++g_seen.calls;
        if (m_dead)
            return RPC_E_DISCONNECTED;
        const std::wstring name = g_names[id - 1];
        if (flags & DISPATCH_PROPERTYPUT) {
            VARIANT &put = g_seen.puts[name];
            VariantInit(&put);
            VariantCopy(&put, &parameters->rgvarg[0]);
            return S_OK;
        }
        if (name == L"Busy") {
            if (g_seen.busyLeft > 0) {
                --g_seen.busyLeft;
                return RPC_E_CALL_REJECTED;
            }
            result->vt = VT_I4;
            result->lVal = 7;
        } else if (name == L"Refuse") {
            *argumentError = 0;
            return DISP_E_TYPEMISMATCH;
        } else if (name == L"Value2") {
            // Excel's block: 1-based, an empty cell, two error values.
            SAFEARRAYBOUND bounds[2] = {{1, 1}, {4, 1}};
            SAFEARRAY *block = SafeArrayCreate(VT_VARIANT, 2, bounds);
            VARIANT cells[4];
            for (VARIANT &cell : cells)
                VariantInit(&cell);
            cells[0].vt = VT_R8;
            cells[0].dblVal = 1.5;
            cells[2].vt = VT_ERROR;
            cells[2].scode = SCODE(0x800A07D7); // #DIV/0!
            cells[3].vt = VT_ERROR;
            cells[3].scode = SCODE(0x800A07FF); // none Excel names
            for (LONG column = 0; column < 4; ++column) {
                LONG at[2] = {1, column + 1};
                SafeArrayPutElement(block, at, &cells[column]);
            }
            result->vt = VT_ARRAY | VT_VARIANT;
            result->parray = block;
        } else if (name == L"Die") {
            m_dead = true;
            return RPC_E_DISCONNECTED;
        } else if (name == L"Hang") {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        } else if (name == L"Open") {
            VariantCopy(&g_seen.firstOmitted, &parameters->rgvarg[parameters->cArgs - 2]);
        } else if (name == L"WorkBooks") {
            result->vt = VT_DISPATCH;
            result->pdispVal = this;
            AddRef();
        }
        return S_OK;
    }

private:
    LONG m_references = 1;
    bool m_dead = false;
};

class Factory : public IClassFactory
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *, REFIID iid, void **object) override
    {
        ScriptedServer *server = new ScriptedServer;
        const HRESULT result = server->QueryInterface(iid, object);
        server->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
Factory g_factory;

QString reasonOf(const QSignalSpy &raised)
{
    return raised.isEmpty() ? QString() : raised.last().at(2).toString();
}

} // namespace

class ComObjectTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void everyFailedCallIsRaisedWithAReason();
    void busyServerIsAskedAgain();
    void errorAndEmptyCellsKeepWhatTheyAre();
    void argumentsTakeTheirDeclaredTypes();
    void lostServerIsStartedAgainWithItsSettings();
    void hungCallIsBounded();

private:
    DWORD m_registration = 0;
};

void ComObjectTest::initTestCase()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    QVERIFY(SUCCEEDED(CoRegisterClassObject(scriptedClass, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                            &m_registration)));
    LPOLESTR classText = nullptr;
    StringFromCLSID(scriptedClass, &classText);
    // In this Wine prefix only.
    const std::wstring key = std::wstring(progId) + L"\\CLSID";
    QCOMPARE(RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, classText, DWORD(wcslen(classText) * 2)),
             LONG(ERROR_SUCCESS));
    CoTaskMemFree(classText);
    qputenv("GRIDWRIGHTER_COM_CALL_LIMIT_MS", "500");
    qputenv("GRIDWRIGHTER_COM_BUSY_LIMIT_MS", "2000");
}

void ComObjectTest::init()
{
    g_seen.busyLeft = 0;
    g_seen.calls = 0;
}

void ComObjectTest::everyFailedCallIsRaisedWithAReason()
{
    AxObject excel;
    QSignalSpy unbound(&excel, &AxObject::exception);
    excel.setControl(QString::fromWCharArray(progId));
    QVERIFY2(!excel.isNull(), qPrintable(reasonOf(unbound)));
    QSignalSpy raised(&excel, &AxObject::exception);
    excel.dynamicCall("Refuse(int)", 1);
    QCOMPARE(raised.size(), 1);
    QCOMPARE(raised.last().at(0).toInt(), int(DISP_E_TYPEMISMATCH));
    QVERIFY2(reasonOf(raised).contains(QStringLiteral("Refuse")), qPrintable(reasonOf(raised)));
    excel.dynamicCall("NoSuchMember()");
    QCOMPARE(raised.size(), 2);
    QVERIFY2(reasonOf(raised).contains(QStringLiteral("no member NoSuchMember")), qPrintable(reasonOf(raised)));
    QVERIFY(!excel.querySubObject("Count")); // a number, not an object
    QCOMPARE(raised.size(), 3);
}

void ComObjectTest::busyServerIsAskedAgain()
{
    AxObject excel(QString::fromWCharArray(progId));
    QSignalSpy raised(&excel, &AxObject::exception);
    g_seen.busyLeft = 3;
    QCOMPARE(excel.dynamicCall("Busy()").toInt(), 7);
    QVERIFY(raised.isEmpty());
    // Busy for longer than the bound: refused with the reason.
    g_seen.busyLeft = 1000000;
    QVERIFY(!excel.dynamicCall("Busy()").isValid());
    QCOMPARE(raised.size(), 1);
    QVERIFY2(reasonOf(raised).contains(QStringLiteral("busy")), qPrintable(reasonOf(raised)));
}

void ComObjectTest::errorAndEmptyCellsKeepWhatTheyAre()
{
    AxObject excel(QString::fromWCharArray(progId));
    QSignalSpy raised(&excel, &AxObject::exception);
    const QVariantList rows = excel.dynamicCall("Value2()").toList();
    QCOMPARE(rows.size(), 1);
    const QVariantList cells = rows.first().toList();
    QCOMPARE(cells.size(), 4);
    QCOMPARE(cells.at(0), QVariant(1.5));
    QVERIFY(!cells.at(1).isValid());
    QCOMPARE(cells.at(2).value<CellErrorValue>().text, QStringLiteral("#DIV/0!"));
    QCOMPARE(cells.at(3).userType(), qMetaTypeId<UnreadableValue>());

    // An error value goes back as the same error value...
    excel.dynamicCall("SetValue2(const QVariant&)", QVariantList{QVariant(QVariantList{cells.at(0), cells.at(2)})});
    QVERIFY(raised.isEmpty());
    VARIANT &put = g_seen.puts[L"Value2"];
    QCOMPARE(int(put.vt), int(VT_ARRAY | VT_VARIANT));
    VARIANT cell;
    VariantInit(&cell);
    LONG at[2] = {0, 1};
    SafeArrayGetElement(put.parray, at, &cell);
    QCOMPARE(int(cell.vt), int(VT_ERROR));
    QCOMPARE(quint32(cell.scode), quint32(0x800A07D7));
    // A text stays a text: Excel would read "00123" as a number.
    excel.dynamicCall("SetValue2(const QVariant&)", QStringLiteral("00123"));
    QCOMPARE(int(g_seen.puts[L"Value2"].vt), int(VT_BSTR));
    QCOMPARE(QString::fromWCharArray(g_seen.puts[L"Value2"].bstrVal), QStringLiteral("'00123"));
    // ...and what could not be read never goes at all.
    const int callsBefore = g_seen.calls;
    excel.dynamicCall("SetValue2(const QVariant&)", QVariantList{QVariant(QVariantList{cells.at(3)})});
    QCOMPARE(raised.size(), 1);
    QCOMPARE(g_seen.calls, callsBefore);
    // Nor a write without its value (ActiveQt wrote the text "QVariant").
    excel.dynamicCall("SetValue2(const QVariant&)", QVariant());
    QCOMPARE(raised.size(), 2);
    QCOMPARE(g_seen.calls, callsBefore);
}

void ComObjectTest::argumentsTakeTheirDeclaredTypes()
{
    AxObject excel(QString::fromWCharArray(progId));
    excel.dynamicCall("SetVisible (bool Visible)", QStringLiteral("false"));
    QCOMPARE(int(g_seen.puts[L"Visible"].vt), int(VT_BOOL));
    QCOMPARE(g_seen.puts[L"Visible"].boolVal, VARIANT_FALSE);
    QVariantList open{QStringLiteral("a.xlsx"), QVariant::fromValue(OmittedArgument()), 0};
    excel.dynamicCall("Open(const QString&,const QVariant&,int)", open);
    QCOMPARE(int(g_seen.firstOmitted.vt), int(VT_ERROR));
    QCOMPARE(g_seen.firstOmitted.scode, SCODE(DISP_E_PARAMNOTFOUND));
}

// As after a crash: the workbook in hand fails, the next opens in a new
// instance that has the settings made on the first.
void ComObjectTest::lostServerIsStartedAgainWithItsSettings()
{
    AxObject excel(QString::fromWCharArray(progId));
    excel.setProperty("DisplayAlerts", false);
    AxObject *workbooks = excel.querySubObject("WorkBooks");
    QVERIFY(workbooks);
    AxObject *book = workbooks->querySubObject("WorkBooks"); // stands for an opened workbook
    QVERIFY(book);
    const int instances = g_seen.instances;
    QSignalSpy raised(book, &AxObject::exception);
    book->dynamicCall("Die()");
    QCOMPARE(raised.size(), 1);
    QVERIFY2(reasonOf(raised).contains(QStringLiteral("quit unexpectedly")), qPrintable(reasonOf(raised)));
    const int callsBefore = g_seen.calls;
    book->dynamicCall("Busy()"); // fails at once, without asking the lost instance
    QCOMPARE(raised.size(), 2);
    QCOMPARE(g_seen.calls, callsBefore);

    g_seen.puts.erase(L"DisplayAlerts");
    QSignalSpy workbooksRaised(workbooks, &AxObject::exception);
    QCOMPARE(workbooks->dynamicCall("Busy()").toInt(), 7);
    QVERIFY(workbooksRaised.isEmpty());
    QCOMPARE(g_seen.instances, instances + 1);
    QCOMPARE(int(g_seen.puts[L"DisplayAlerts"].vt), int(VT_BOOL));
}

// Served in this process, the instance cannot be ended: the call returns in
// its own time and fails as hung, and the next workbook gets a new instance.
void ComObjectTest::hungCallIsBounded()
{
    AxObject excel(QString::fromWCharArray(progId));
    AxObject *workbooks = excel.querySubObject("WorkBooks");
    QSignalSpy raised(workbooks, &AxObject::exception);
    const int instances = g_seen.instances;
    workbooks->dynamicCall("Hang()");
    QCOMPARE(raised.size(), 1);
    QVERIFY2(reasonOf(raised).contains(QStringLiteral("did not answer")), qPrintable(reasonOf(raised)));
    QCOMPARE(workbooks->dynamicCall("Busy()").toInt(), 7);
    QCOMPARE(g_seen.instances, instances + 1);
}

QTEST_GUILESS_MAIN(ComObjectTest)
#include "ComObjectTest.moc"
