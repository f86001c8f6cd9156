// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <functional>

#include <oaidl.h>

// An automation object served over IDispatch the way Excel serves its object
// model: members by their Excel names ("Open", "Rows", "Value"...), property
// writes as DISPATCH_PROPERTYPUT, errors as DISP_E_EXCEPTION with an
// EXCEPINFO. Each call is turned back into the member string the engine uses
// and handed to the object. No type library: callers go by GetIDsOfNames.
class DispatchBridge : public IDispatch
{
public:
    // Told of every member call before it is made, by its member string.
    using Observer = std::function<void(AutomationObject *object, const QByteArray &member,
                                        const QVariantList &arguments)>;

    DispatchBridge(AutomationObjectPtr object, Observer observer);
    virtual ~DispatchBridge() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID,
                                            DISPID *ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *parameters,
                                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;

    // The object behind an IDispatch this bridge gave out, or null.
    static AutomationObjectPtr objectOf(IDispatch *dispatch);

private:
    LONG m_references = 1;
    AutomationObjectPtr m_object;
    Observer m_observer;
};
