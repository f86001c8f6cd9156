// SPDX-License-Identifier: GPL-3.0-or-later
// The test spreadsheet application as a local server, as Excel is: COM
// starts one process per application object (single use) and marshals every
// call to it through the type library. "/RegServer" registers it, with its
// type library, as "Excel.Application" in the prefix it runs in.
#include "ObjectModel.h"
#include "ServerKnobs.h"

#include <QString>

namespace {

const wchar_t clsidText[] = L"{6C1F2E0A-9D43-4B8E-A1F5-3E2D7C9B0A14}";

QString ownPath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return QString::fromWCharArray(path, int(length));
}

bool setKey(const QString &key, const QString &value)
{
    return RegSetValueW(HKEY_CLASSES_ROOT, reinterpret_cast<const wchar_t *>(key.utf16()), REG_SZ,
                        reinterpret_cast<const wchar_t *>(value.utf16()), DWORD(value.size() * sizeof(wchar_t)))
        == ERROR_SUCCESS;
}

int registerServer()
{
    const QString path = ownPath();
    ITypeLib *library = nullptr;
    if (FAILED(LoadTypeLibEx(reinterpret_cast<const wchar_t *>(path.utf16()), REGKIND_REGISTER, &library)))
        return 1;
    library->Release();
    const QString clsid = QString::fromWCharArray(clsidText);
    const bool registered = setKey(QStringLiteral("CLSID\\%1").arg(clsid), QStringLiteral("Microsoft Excel Application"))
        && setKey(QStringLiteral("CLSID\\%1\\LocalServer32").arg(clsid), QLatin1Char('"') + path + QStringLiteral("\" /automation"))
        && setKey(QStringLiteral("CLSID\\%1\\ProgID").arg(clsid), QStringLiteral("Excel.Application"))
        && setKey(QStringLiteral("Excel.Application"), QStringLiteral("Microsoft Excel Application"))
        && setKey(QStringLiteral("Excel.Application\\CLSID"), clsid);
    return registered ? 0 : 1;
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
    // One factory for the process's life.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto *application = new ApplicationObject;
        const HRESULT status = application->QueryInterface(iid, object);
        application->Release();
        return status;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (QByteArray(commandLine).contains("RegServer"))
        return registerServer();

    CoInitialize(nullptr);
    ITypeLib *library = nullptr;
    const QString path = ownPath();
    if (FAILED(LoadTypeLibEx(reinterpret_cast<const wchar_t *>(path.utf16()), REGKIND_NONE, &library)))
        return 1;
    setTypeLibrary(library);
    CLSID clsid;
    CLSIDFromString(clsidText, &clsid);
    static ApplicationFactory factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie)))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookie);
    ServerKnobs::log(QStringLiteral("ENDED"));
    // Without waiting for callers that still hold objects.
    ExitProcess(0);
}
