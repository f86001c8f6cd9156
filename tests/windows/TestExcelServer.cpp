// SPDX-License-Identifier: GPL-3.0-or-later
// A COM in-process server answering "Excel.Application" with the in-memory
// spreadsheet, for the test prefix that registers it. Workbooks come from
// their files and go back into them when saved, so that a whole job of the
// real batch command runs through COM and its results can be read:
//   sheet NAME          a sheet, in order
//   cell ROW COLUMN TEXT   a cell of the sheet above
//   fail open | fail save  the application refuses to open or save it
//   link ROW COLUMN ADDRESS  written back: a hyperlink of the sheet above

#include "automation/AutomationRegistry.h"
#include "tests/support/InMemorySpreadsheetServer.h"
#include "tests/windows/DispatchBridge.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QTextStream>

#include <windows.h>

namespace {

// {6C1F2E0A-9D43-4B8E-A1F5-3E2D7C9B0A14}, as the test's registry file names it.
const CLSID serverClsid = {0x6c1f2e0a, 0x9d43, 0x4b8e, {0xa1, 0xf5, 0x3e, 0x2d, 0x7c, 0x9b, 0x0a, 0x14}};

struct Spreadsheets
{
    InMemorySpreadsheetServer server;
    QMutex lock;
    QHash<QString, int> savesWritten; // by path, for every workbook opened
};

Spreadsheets &spreadsheets()
{
    static Spreadsheets *all = [] {
        auto *made = new Spreadsheets;
        made->server.install();
        return made;
    }();
    return *all;
}

void readWorkbookFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    InMemorySpreadsheetServer::Workbook workbook;
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.value(0) == QLatin1String("sheet")) {
            InMemorySpreadsheetServer::Sheet sheet;
            sheet.name = line.mid(6);
            workbook.sheets.append(sheet);
        } else if (fields.value(0) == QLatin1String("cell") && fields.size() >= 4 && !workbook.sheets.isEmpty()) {
            const QString text = fields.mid(3).join(QLatin1Char(' '));
            workbook.sheets.last().cells.insert({fields.at(1).toInt(), fields.at(2).toInt()}, text);
        } else if (line == QLatin1String("fail open")) {
            spreadsheets().server.failToOpen(path);
        } else if (line == QLatin1String("fail save")) {
            spreadsheets().server.failToSave(path);
        }
    }
    spreadsheets().server.setWorkbook(path, workbook);
}

void writeWorkbookFile(const QString &path, const InMemorySpreadsheetServer::Workbook &workbook)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    for (const InMemorySpreadsheetServer::Sheet &sheet : workbook.sheets) {
        out << "sheet " << sheet.name << '\n';
        for (auto cell = sheet.cells.cbegin(); cell != sheet.cells.cend(); ++cell)
            out << "cell " << cell.key().first << ' ' << cell.key().second << ' ' << cell.value().toString() << '\n';
        for (const InMemorySpreadsheetServer::Link &link : sheet.links)
            out << "link " << link.row << ' ' << link.column << ' ' << link.address << '\n';
    }
}

// Files are read as the engine opens them and written when it closes one
// that was saved since.
void followFiles(AutomationObject *, const QByteArray &member, const QVariantList &arguments)
{
    Spreadsheets &all = spreadsheets();
    QMutexLocker locker(&all.lock);
    if (member.startsWith("Open(")) {
        const QString path = arguments.value(0).toString();
        if (!all.savesWritten.contains(path))
            readWorkbookFile(path);
        all.savesWritten.insert(path, all.server.workbook(path).saves);
    } else if (member == "Close (Boolean)") {
        for (auto it = all.savesWritten.begin(); it != all.savesWritten.end(); ++it) {
            const InMemorySpreadsheetServer::Workbook workbook = all.server.workbook(it.key());
            if (workbook.saves > it.value()) {
                writeWorkbookFile(it.key(), workbook);
                it.value() = workbook.saves;
            }
        }
    }
}

class ApplicationFactory : public IClassFactory
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One factory for the module's life.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        spreadsheets();
        QString whyNot;
        const AutomationObjectPtr application =
            AutomationRegistry::create(QStringLiteral("Excel.Application"), &whyNot);
        if (!application)
            return E_FAIL;
        auto *bridge = new DispatchBridge(application, followFiles);
        const HRESULT status = bridge->QueryInterface(iid, object);
        bridge->Release();
        return status;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **object)
{
    static ApplicationFactory factory;
    if (clsid != serverClsid) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory.QueryInterface(iid, object);
}

// Kept loaded: the spreadsheets live as long as the process.
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return S_FALSE;
}
