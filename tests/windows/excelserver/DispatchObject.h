// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExcelObjectModel.h"

#include <QString>

// What every object of the server shares: IUnknown, and IDispatch answered
// from the registered type library (names, argument counts and types checked
// by it, as Excel's own dispatch does), with the test's knobs and call log in
// between. The C++ object behind an IDispatch the caller hands back (a range
// as an anchor, a sheet to insert before) is found through ServerObject.
struct ServerObject
{
    virtual ~ServerObject() = default;
};

// The library every object answers from, loaded once at start.
void setTypeLibrary(ITypeLib *library);
// The type information of one interface of the library.
ITypeInfo *interfaceTypeInfo(REFIID iid);
// Invoke through the type library, after the knobs and the log.
HRESULT invokeMember(IDispatch *self, const IID &iid, DISPID id, LCID lcid, WORD flags, DISPPARAMS *parameters,
                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError);
// The server object behind a caller's IDispatch, or null.
ServerObject *serverObjectOf(IUnknown *object);
// Counts the objects alive: the server ends when the last is released.
void objectCreated();
void objectReleased();

BSTR bstrOf(const QString &text);

// Excel's run-time error 1004 with its text, as EXCEPINFO reaches the caller.
HRESULT excelError(const QString &description);

extern const IID IID_ServerObject;

template <class Interface>
class DispatchObject : public Interface, public ServerObject
{
public:
    DispatchObject() { objectCreated(); }
    ~DispatchObject() override { objectReleased(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface)) {
            *object = static_cast<Interface *>(this);
        } else if (iid == IID_ServerObject) {
            *object = static_cast<ServerObject *>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
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
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo **info) override
    {
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        *info = interfaceTypeInfo(__uuidof(Interface));
        (*info)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) override
    {
        return DispGetIDsOfNames(interfaceTypeInfo(__uuidof(Interface)), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS *parameters,
                                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override
    {
        return invokeMember(static_cast<Interface *>(this), __uuidof(Interface), id, lcid, flags, parameters,
                            result, exception, argumentError);
    }

private:
    LONG m_references = 1;
};

// A new object handed out with one reference.
template <class Object, class Interface, class... Arguments>
HRESULT handOut(Interface **out, Arguments &&...arguments)
{
    *out = new Object(std::forward<Arguments>(arguments)...);
    return S_OK;
}
