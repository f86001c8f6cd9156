// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/windows/DispatchBridge.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Asked for by objectOf(): answered only by bridges of this module.
const IID bridgeIid = {0x5d0c7a51, 0x3e2b, 0x4f6a, {0x9c, 0x11, 0x2a, 0x7e, 0x41, 0x90, 0xd3, 0x6b}};

enum Kind { Sub, Call, Read, Write };

struct Member
{
    const char *name;  // as the caller names it over IDispatch
    int arguments;
    bool put;          // a DISPATCH_PROPERTYPUT
    Kind kind;
    const char *engineMember;  // null: the name itself
};

// The object model's members, as QAxObject calls them over IDispatch from
// the engine's member strings: "SetValue(...)" is a property write of Value,
// "FormulaR1C1()" a method call, "Count" a property read.
const Member members[] = {
    {"WorkBooks", 0, false, Sub, nullptr},
    {"Open", 1, false, Sub, "Open(const QString&)"},
    {"Open", 13, false, Sub, "Open(const QString&,int,bool,const QVariant&,const QString&,const QString&,bool,"
                             "const QVariant&,const QVariant&,const QVariant&,bool,const QVariant&,bool)"},
    {"Sheets", 0, false, Sub, nullptr},
    {"Item", 1, false, Sub, "Item(int)"},
    {"Rows", 1, false, Sub, "Rows(int)"},
    {"Rows", 0, false, Sub, nullptr},
    {"Columns", 1, false, Sub, "Columns(int)"},
    {"Columns", 0, false, Sub, nullptr},
    {"Cells", 2, false, Sub, "Cells(int,int)"},
    {"Range", 1, false, Sub, "Range(const QVariant&)"},
    {"UsedRange", 0, false, Sub, nullptr},
    {"Hyperlinks", 0, false, Sub, "Hyperlinks()"},
    {"Add", 1, false, Call, "Add(const QVariant&)"},
    {"Add", 3, false, Call, "Add(const QVariant&,const QVariant&,const QVariant&)"},
    {"Insert", 0, false, Call, "Insert()"},
    {"Delete", 1, false, Call, "Delete(int)"},
    {"Delete", 0, false, Call, "Delete()"},
    {"Formula", 1, true, Call, "SetFormula(const QVariant&)"},
    {"FormulaR1C1", 0, false, Call, "FormulaR1C1()"},
    {"FormulaR1C1", 1, true, Call, "SetFormulaR1C1(const QVariant&)"},
    {"Value", 0, false, Call, "Value()"},
    {"Value", 1, true, Call, "SetValue(const QVariant&)"},
    {"Visible", 1, true, Call, "SetVisible (bool Visible)"},
    {"Save", 0, false, Call, "Save()"},
    {"Close", 1, false, Call, "Close (Boolean)"},
    {"Quit", 0, false, Call, "Quit(void)"},
    {"DisplayAlerts", 1, true, Write, nullptr},
    {"AutomationSecurity", 1, true, Write, nullptr},
    {"EnableEvents", 1, true, Write, nullptr},
    {"AskToUpdateLinks", 1, true, Write, nullptr},
    {"Count", 0, false, Read, nullptr},
    {"Name", 0, false, Read, nullptr},
    {"Row", 0, false, Read, nullptr},
    {"Column", 0, false, Read, nullptr},
    {"Saved", 0, false, Read, nullptr},
};

// DISPIDs are positions in this list of distinct names, from 1.
std::vector<QByteArray> memberNames()
{
    std::vector<QByteArray> names;
    for (const Member &member : members) {
        if (std::find(names.begin(), names.end(), QByteArray(member.name)) == names.end())
            names.emplace_back(member.name);
    }
    return names;
}

const std::vector<QByteArray> &names()
{
    static const std::vector<QByteArray> all = memberNames();
    return all;
}

const Member *findMember(const QByteArray &name, int arguments, bool put)
{
    for (const Member &member : members) {
        if (name == member.name && member.put == put && member.arguments == arguments)
            return &member;
    }
    return nullptr;
}

QVariant toQVariant(const VARIANT &value)
{
    const VARIANT *v = &value;
    if (v->vt == (VT_VARIANT | VT_BYREF))
        v = v->pvarVal;
    switch (v->vt) {
    case VT_BSTR:
        return QString::fromWCharArray(v->bstrVal, int(SysStringLen(v->bstrVal)));
    case VT_I2:
        return int(v->iVal);
    case VT_I4:
        return int(v->lVal);
    case VT_INT:
        return int(v->intVal);
    case VT_R8:
        return v->dblVal;
    case VT_BOOL:
        return v->boolVal != VARIANT_FALSE;
    case VT_DISPATCH:
        return QVariant::fromValue(DispatchBridge::objectOf(v->pdispVal));
    default:
        return QVariant();
    }
}

BSTR toBstr(const QString &text)
{
    return SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), UINT(text.size()));
}

void toVariant(const QVariant &value, const DispatchBridge::Observer &observer, VARIANT *result)
{
    VariantInit(result);
    if (const AutomationObjectPtr object = automationObjectFromVariant(value)) {
        result->vt = VT_DISPATCH;
        result->pdispVal = new DispatchBridge(object, observer);
        return;
    }
    switch (value.type()) {
    case QVariant::Bool:
        result->vt = VT_BOOL;
        result->boolVal = value.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case QVariant::Int:
        result->vt = VT_I4;
        result->lVal = value.toInt();
        break;
    case QVariant::Double:
        result->vt = VT_R8;
        result->dblVal = value.toDouble();
        break;
    case QVariant::String:
        result->vt = VT_BSTR;
        result->bstrVal = toBstr(value.toString());
        break;
    default:
        break;
    }
}

} // namespace

DispatchBridge::DispatchBridge(AutomationObjectPtr object, Observer observer)
    : m_object(std::move(object))
    , m_observer(std::move(observer))
{
}

AutomationObjectPtr DispatchBridge::objectOf(IDispatch *dispatch)
{
    DispatchBridge *bridge = nullptr;
    if (!dispatch || FAILED(dispatch->QueryInterface(bridgeIid, reinterpret_cast<void **>(&bridge))))
        return nullptr;
    AutomationObjectPtr object = bridge->m_object;
    bridge->Release();
    return object;
}

HRESULT DispatchBridge::QueryInterface(REFIID iid, void **object)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == bridgeIid) {
        *object = this;
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchBridge::AddRef()
{
    return ULONG(InterlockedIncrement(&m_references));
}

ULONG DispatchBridge::Release()
{
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0)
        delete this;
    return ULONG(left);
}

HRESULT DispatchBridge::GetTypeInfoCount(UINT *count)
{
    *count = 0;
    return S_OK;
}

HRESULT DispatchBridge::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    *info = nullptr;
    return DISP_E_BADINDEX;
}

// Names are matched without regard to case, as COM callers expect.
HRESULT DispatchBridge::GetIDsOfNames(REFIID, LPOLESTR *requested, UINT count, LCID, DISPID *ids)
{
    HRESULT status = S_OK;
    for (UINT i = 0; i < count; ++i) {
        const QString name = QString::fromWCharArray(requested[i]);
        ids[i] = DISPID_UNKNOWN;
        for (size_t n = 0; n < names().size(); ++n) {
            if (name.compare(QLatin1String(names()[n]), Qt::CaseInsensitive) == 0)
                ids[i] = DISPID(n + 1);
        }
        if (ids[i] == DISPID_UNKNOWN)
            status = DISP_E_UNKNOWNNAME;
    }
    return status;
}

HRESULT DispatchBridge::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *parameters, VARIANT *result,
                               EXCEPINFO *exception, UINT *)
{
    if (id < 1 || size_t(id) > names().size())
        return DISP_E_MEMBERNOTFOUND;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    QVariantList arguments;
    for (UINT i = parameters->cArgs; i > 0; --i)
        arguments.append(toQVariant(parameters->rgvarg[i - 1]));
    const Member *member = findMember(names()[size_t(id - 1)], arguments.size(), put);
    if (!member)
        return DISP_E_BADPARAMCOUNT;
    const QByteArray engineMember = member->engineMember ? member->engineMember : member->name;
    if (m_observer)
        m_observer(m_object.get(), engineMember, arguments);

    AutomationError error;
    QVariant value;
    switch (member->kind) {
    case Sub:
        value = QVariant::fromValue(m_object->querySubObject(engineMember, arguments, error));
        break;
    case Call:
        value = m_object->call(engineMember, arguments, error);
        break;
    case Read:
        value = m_object->property(engineMember, error);
        break;
    case Write:
        m_object->setProperty(engineMember, arguments.value(0), error);
        break;
    }
    if (error.raised) {
        if (exception) {
            memset(exception, 0, sizeof(*exception));
            exception->scode = E_FAIL;
            exception->bstrSource = toBstr(error.source);
            exception->bstrDescription = toBstr(error.description);
        }
        return DISP_E_EXCEPTION;
    }
    if (result)
        toVariant(value, m_observer, result);
    return S_OK;
}
