// SPDX-License-Identifier: GPL-3.0-or-later
#include "DispatchObject.h"

#include "ServerKnobs.h"

#include <QHash>
#include <QStringList>

// {0B7F3C2D-5E41-4A96-B8D3-61C2E9A7F450}: answered only by this server's objects.
const IID IID_ServerObject = {0x0b7f3c2d, 0x5e41, 0x4a96, {0xb8, 0xd3, 0x61, 0xc2, 0xe9, 0xa7, 0xf4, 0x50}};

namespace {

ITypeLib *library = nullptr;
LONG objectsAlive = 0;
QString lastErrorDescription;

const HRESULT excelErrorCode = HRESULT(0x800A03EC);

QString variantTypes(const DISPPARAMS *parameters)
{
    QStringList types;
    for (UINT i = parameters->cArgs; i > 0; --i) {
        const VARIANT &v = parameters->rgvarg[i - 1];
        types.append(QStringLiteral("0x%1").arg(V_VT(&v), 0, 16));
    }
    return types.join(QLatin1Char(','));
}

QString flagNames(WORD flags)
{
    QStringList names;
    if (flags & DISPATCH_METHOD)
        names << QStringLiteral("METHOD");
    if (flags & DISPATCH_PROPERTYGET)
        names << QStringLiteral("GET");
    if (flags & DISPATCH_PROPERTYPUT)
        names << QStringLiteral("PUT");
    if (flags & DISPATCH_PROPERTYPUTREF)
        names << QStringLiteral("PUTREF");
    return names.join(QLatin1Char('|'));
}

struct MemberKinds
{
    bool method = false;
    bool get = false;
    int getParameters = 0; // besides the result
};

MemberKinds kindsOf(ITypeInfo *info, DISPID id)
{
    MemberKinds kinds;
    TYPEATTR *attributes = nullptr;
    info->GetTypeAttr(&attributes);
    for (UINT i = 0; attributes && i < attributes->cFuncs; ++i) {
        FUNCDESC *function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)))
            continue;
        if (function->memid == id) {
            if (function->invkind == INVOKE_FUNC)
                kinds.method = true;
            if (function->invkind == INVOKE_PROPERTYGET) {
                kinds.get = true;
                kinds.getParameters = function->cParams - 1;
            }
        }
        info->ReleaseFuncDesc(function);
    }
    if (attributes)
        info->ReleaseTypeAttr(attributes);
    return kinds;
}

} // namespace

BSTR bstrOf(const QString &text)
{
    return SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), UINT(text.size()));
}

void setTypeLibrary(ITypeLib *loaded)
{
    library = loaded;
}

ITypeInfo *interfaceTypeInfo(REFIID iid)
{
    static QHash<QByteArray, ITypeInfo *> found;
    const QByteArray key(reinterpret_cast<const char *>(&iid), sizeof iid);
    if (ITypeInfo *info = found.value(key))
        return info;
    ITypeInfo *dispatchInfo = nullptr;
    library->GetTypeInfoOfGuid(iid, &dispatchInfo);
    // A dual interface's type information describes the dispatch view; its
    // vtable view is the one Invoke calls through.
    ITypeInfo *info = dispatchInfo;
    HREFTYPE vtable = 0;
    if (SUCCEEDED(dispatchInfo->GetRefTypeOfImplType(-1, &vtable))) {
        ITypeInfo *interfaceInfo = nullptr;
        if (SUCCEEDED(dispatchInfo->GetRefTypeInfo(vtable, &interfaceInfo))) {
            info = interfaceInfo;
            dispatchInfo->Release();
        }
    }
    found.insert(key, info);
    return info;
}

HRESULT invokeMember(IDispatch *self, const IID &iid, DISPID id, LCID lcid, WORD flags, DISPPARAMS *parameters,
                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
{
    ITypeInfo *info = interfaceTypeInfo(iid);
    BSTR name = nullptr;
    UINT names = 0;
    info->GetNames(id, &name, 1, &names);
    BSTR interfaceName = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &interfaceName, nullptr, nullptr, nullptr);
    const QString member = QString::fromWCharArray(interfaceName ? interfaceName : L"?") + QLatin1Char('.')
        + QString::fromWCharArray(name ? name : L"?");
    SysFreeString(name);
    SysFreeString(interfaceName);
    ServerKnobs::log(QStringLiteral("CALL %1 %2 (%3)").arg(member, flagNames(flags), variantTypes(parameters)));
    if (ServerKnobs::busy()) {
        ServerKnobs::log(QStringLiteral("REJECTED %1").arg(member));
        return RPC_E_CALL_REJECTED;
    }

    // Like Excel, a property is also reached as a method, and arguments
    // given to a property without parameters go to the default member of
    // what it returns: Cells(2, 3), Rows(2).
    const MemberKinds kinds = kindsOf(info, id);
    WORD use = flags;
    if ((flags & DISPATCH_METHOD) && !kinds.method && kinds.get)
        use = DISPATCH_PROPERTYGET;
    lastErrorDescription.clear();
    HRESULT status;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (!put && (use & DISPATCH_PROPERTYGET) && kinds.get && kinds.getParameters == 0 && parameters->cArgs > 0
        && parameters->cNamedArgs == 0) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VARIANT object;
        VariantInit(&object);
        status = DispInvoke(self, info, id, DISPATCH_PROPERTYGET, &none, &object, exception, argumentError);
        if (SUCCEEDED(status) && V_VT(&object) == VT_DISPATCH && V_DISPATCH(&object)) {
            status = V_DISPATCH(&object)->Invoke(DISPID_VALUE, IID_NULL, lcid, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                                 parameters, result, exception, argumentError);
        } else if (SUCCEEDED(status)) {
            status = DISP_E_BADPARAMCOUNT;
        }
        VariantClear(&object);
    } else {
        status = DispInvoke(self, info, id, use, parameters, result, exception, argumentError);
    }
    // A member's error 1004 reaches the caller as DISP_E_EXCEPTION with the
    // text in EXCEPINFO, as Excel's does.
    if (status == excelErrorCode || (status == DISP_E_EXCEPTION && !lastErrorDescription.isEmpty())) {
        if (exception && !exception->bstrDescription) {
            exception->scode = excelErrorCode;
            exception->bstrSource = bstrOf(QStringLiteral("Microsoft Excel"));
            exception->bstrDescription = bstrOf(lastErrorDescription);
        }
        status = DISP_E_EXCEPTION;
    }
    if (FAILED(status))
        ServerKnobs::log(QStringLiteral("FAILED %1 0x%2 %3").arg(member).arg(ulong(status), 8, 16, QLatin1Char('0')).arg(lastErrorDescription));
    return status;
}

ServerObject *serverObjectOf(IUnknown *object)
{
    ServerObject *found = nullptr;
    if (!object || FAILED(object->QueryInterface(IID_ServerObject, reinterpret_cast<void **>(&found))))
        return nullptr;
    // The reference taken by QueryInterface is the caller's own, still held.
    dynamic_cast<IUnknown *>(found)->Release();
    return found;
}

void objectCreated()
{
    InterlockedIncrement(&objectsAlive);
}

void objectReleased()
{
    if (InterlockedDecrement(&objectsAlive) == 0)
        PostQuitMessage(0);
}

HRESULT excelError(const QString &description)
{
    lastErrorDescription = description;
    ICreateErrorInfo *create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetSource(const_cast<LPOLESTR>(L"Microsoft Excel"));
        create->SetDescription(reinterpret_cast<LPOLESTR>(const_cast<ushort *>(description.utf16())));
        IErrorInfo *info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return excelErrorCode;
}
