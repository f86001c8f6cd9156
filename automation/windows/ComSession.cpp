// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/windows/ComSession.h"

#include "automation/windows/ComVariants.h"

#include <QCoreApplication>

#include <functional>
#include <vector>

#include <objbase.h>
#include <windows.h>

namespace {

using namespace std::chrono;

// Loading or saving a large workbook takes a while; longer than this, the
// application is taken for hung (waiting on a dialog nobody sees).
const int defaultCallLimitMs = 120000;
// A busy application (a dialog open, a recalculation) is asked again for this long.
const int defaultBusyLimitMs = 60000;
const milliseconds busyPause(250);

milliseconds limitFromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return milliseconds(ok && value > 0 ? value : fallback);
}

struct MemberText
{
    QString name;
    QList<QByteArray> types; // as the member string declares them
    bool parenthesized = false;
};

// "SetVisible (bool Visible)" -> SetVisible, [bool]; "Quit(void)" -> Quit, [].
MemberText parseMember(const QByteArray &member)
{
    const int open = member.indexOf('(');
    if (open < 0)
        return {QString::fromLatin1(member.trimmed()), {}, false};
    MemberText text{QString::fromLatin1(member.left(open).trimmed()), {}, true};
    const QByteArray inside = member.mid(open + 1, member.lastIndexOf(')') - open - 1).trimmed();
    if (inside.isEmpty() || inside == "void")
        return text;
    for (QByteArray parameter : inside.split(',')) {
        parameter.replace("const ", "").replace('&', ' ').replace('*', ' ');
        text.types.append(parameter.simplified().split(' ').value(0));
    }
    return text;
}

bool isBusy(HRESULT result)
{
    return result == RPC_E_CALL_REJECTED || result == RPC_E_SERVERCALL_RETRYLATER;
}

// The application's process is gone or no longer reachable.
bool isGone(HRESULT result)
{
    switch (result) {
    case HRESULT(0x800706BA): // RPC_S_SERVER_UNAVAILABLE
    case HRESULT(0x800706BE): // RPC_S_CALL_FAILED
    case HRESULT(0x800706BF): // RPC_S_CALL_FAILED_DNE
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case RPC_E_CALL_CANCELED:
    case CO_E_OBJNOTCONNECTED:
        return true;
    default:
        return false;
    }
}

QString hex(long code)
{
    return QStringLiteral("0x%1").arg(quint32(code), 8, 16, QLatin1Char('0'));
}

QString fromBstr(BSTR text)
{
    return text ? QString::fromWCharArray(text, int(SysStringLen(text))) : QString();
}

const int unknownArgument = -1;

// Why a call failed other than by the application's own refusal; argument
// counts from 0, or is unknownArgument.
QString failureReason(HRESULT result, const QString &member, int argument)
{
    switch (result) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
        return QCoreApplication::translate("Engine", "the spreadsheet application has no member %1").arg(member);
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
    case DISP_E_PARAMNOTFOUND:
        return QCoreApplication::translate("Engine", "the spreadsheet application's %1 takes other arguments").arg(member);
    case DISP_E_TYPEMISMATCH:
    case DISP_E_BADVARTYPE:
    case DISP_E_OVERFLOW:
        if (argument != unknownArgument)
            return QCoreApplication::translate("Engine", "the spreadsheet application's %1 cannot take argument %2 as given")
                .arg(member)
                .arg(argument + 1);
        break;
    default:
        break;
    }
    return QCoreApplication::translate("Engine", "the spreadsheet application's %1 failed (error %2)")
        .arg(member, hex(result));
}

} // namespace

ComSession::ComSession(const QString &progId)
    : m_progId(progId)
    , m_callLimit(limitFromEnvironment("GRIDWRIGHTER_COM_CALL_LIMIT_MS", defaultCallLimitMs))
    , m_busyLimit(limitFromEnvironment("GRIDWRIGHTER_COM_BUSY_LIMIT_MS", defaultBusyLimitMs))
{
    m_watchdog = std::thread([this] { watch(); });
}

ComSession::~ComSession()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_watchdog.join();
    release();
}

std::shared_ptr<ComSession> ComSession::start(const QString &progId, AutomationError &error)
{
    std::shared_ptr<ComSession> session(new ComSession(progId));
    if (!session->launch(error))
        return nullptr;
    return session;
}

QString ComSession::lostReason() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_lostReason;
}

bool ComSession::launch(AutomationError &error)
{
    CLSID classId;
    if (FAILED(CLSIDFromProgID(reinterpret_cast<const wchar_t *>(m_progId.utf16()), &classId))) {
        error.raise(-1, m_progId, QStringLiteral("no automation server is registered as %1").arg(m_progId));
        return false;
    }
    IDispatch *application = nullptr;
    const HRESULT result = CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                            reinterpret_cast<void **>(&application));
    if (FAILED(result) || !application) {
        error.raise(int(result), m_progId,
                    QCoreApplication::translate("Engine", "%1 could not be started (error %2)").arg(m_progId, hex(result)));
        return false;
    }
    m_application = application;
    ++m_generation;
    findProcess();
    return true;
}

void ComSession::release()
{
    if (m_application)
        m_application->Release();
    m_application = nullptr;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_processId = 0;
}

// The process to end when a call hangs: the program's own instance, by its
// main window. Not found (no such property, an in-process server), a hung
// call fails only when it returns.
void ComSession::findProcess()
{
    VARIANT window;
    VariantInit(&window);
    AutomationError ignored;
    unsigned long processId = 0;
    if (invoke(m_application, "Hwnd", Access::Read, {}, &window, ignored) && SUCCEEDED(VariantChangeType(&window, &window, 0, VT_I8))) {
        DWORD owner = 0;
        if (window.llVal && GetWindowThreadProcessId(reinterpret_cast<HWND>(window.llVal), &owner) && owner != GetCurrentProcessId())
            processId = owner;
    }
    VariantClear(&window);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_processId = processId;
}

void ComSession::remember(const QByteArray &member, Access access, const QVariantList &arguments)
{
    m_settings.append({member, access, arguments});
}

bool ComSession::restart(AutomationError &error)
{
    release();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_lostReason.clear();
        m_lost = false;
    }
    if (!launch(error)) {
        markLost(error.description);
        return false;
    }
    for (const Setting &setting : m_settings) {
        AutomationError ignored; // as when they were first made
        invoke(m_application, setting.member, setting.access, setting.arguments, nullptr, ignored);
    }
    return true;
}

bool ComSession::invoke(IDispatch *target, const QByteArray &member, Access access, const QVariantList &arguments,
                        VARIANT *result, AutomationError &error)
{
    const QString source = QStringLiteral("%1, %2").arg(m_progId, QString::fromLatin1(member));
    if (m_lost || !target) {
        error.raise(int(RPC_E_DISCONNECTED), source, lostReason());
        return false;
    }
    const MemberText text = parseMember(member);
    WORD flags = DISPATCH_PROPERTYGET;
    if (access == Access::Write || (access == Access::Call && !text.parenthesized && arguments.size() == 1))
        flags = DISPATCH_PROPERTYPUT;
    else if (access == Access::Call && text.parenthesized)
        flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

    DISPID id = DISPID_UNKNOWN;
    const auto resolve = [&](const QString &name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(reinterpret_cast<const wchar_t *>(name.utf16()))};
        return watched([&] { return target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); });
    };
    HRESULT status = resolve(text.name);
    // "SetValue2(...)": a write of Value2, as ActiveQt reads such a name.
    if (status == DISP_E_UNKNOWNNAME && flags != DISPATCH_PROPERTYGET && text.parenthesized
        && text.name.startsWith(QLatin1String("Set"), Qt::CaseInsensitive) && text.name.size() > 3) {
        const HRESULT property = resolve(text.name.mid(3));
        if (SUCCEEDED(property)) {
            status = property;
            flags = DISPATCH_PROPERTYPUT;
        }
    }

    // A write takes exactly its value (ActiveQt would take the member
    // string's parameter text for the value when none is given).
    if (SUCCEEDED(status) && flags == DISPATCH_PROPERTYPUT && arguments.size() != 1)
        status = DISP_E_BADPARAMCOUNT;

    UINT argumentError = 0;
    EXCEPINFO exception;
    memset(&exception, 0, sizeof(exception));
    if (SUCCEEDED(status)) {
        // Arguments go last first.
        const int count = arguments.size();
        std::vector<VARIANT> values(static_cast<size_t>(count));
        bool converted = true;
        for (int i = 0; i < count; ++i) {
            VARIANT &value = values[size_t(count - 1 - i)];
            VariantInit(&value);
            if (!ComVariants::toVariant(arguments.at(i), value, text.types.value(i))) {
                converted = false;
                argumentError = UINT(i);
            }
        }
        DISPID putId = DISPID_PROPERTYPUT;
        const bool put = flags == DISPATCH_PROPERTYPUT;
        DISPPARAMS parameters{values.data(), put ? &putId : nullptr, UINT(count), put ? 1u : 0u};
        const steady_clock::time_point busySince = steady_clock::now();
        if (!converted)
            status = DISP_E_TYPEMISMATCH;
        while (converted) {
            memset(&exception, 0, sizeof(exception));
            if (result)
                VariantInit(result);
            status = watched([&] {
                return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, put ? nullptr : result,
                                      &exception, &argumentError);
            });
            if (!isBusy(status) || steady_clock::now() - busySince >= m_busyLimit)
                break;
            std::this_thread::sleep_for(busyPause);
        }
        for (VARIANT &value : values)
            VariantClear(&value);
        // Arguments are numbered last first, too.
        if (status == DISP_E_TYPEMISMATCH || status == DISP_E_PARAMNOTFOUND)
            argumentError = converted ? UINT(count) - 1 - argumentError : argumentError;
    }
    // A call the watchdog gave up on fails even if it came back in the end.
    if (SUCCEEDED(status) && !m_lost)
        return true;

    if (isGone(status))
        markLost(QCoreApplication::translate("Engine", "the spreadsheet application has quit unexpectedly"));
    int code = int(status);
    QString reason;
    QString raisedBy = source;
    if (m_lost) {
        reason = lostReason();
    } else if (status == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        code = exception.scode ? int(exception.scode) : int(exception.wCode);
        reason = fromBstr(exception.bstrDescription);
        if (!fromBstr(exception.bstrSource).isEmpty())
            raisedBy = QStringLiteral("%1, %2").arg(fromBstr(exception.bstrSource), QString::fromLatin1(member));
        // The member's own failure: puArgErr names no argument then.
        if (reason.isEmpty())
            reason = failureReason(code, text.name, unknownArgument);
    } else if (isBusy(status)) {
        reason = QCoreApplication::translate("Engine", "the spreadsheet application stayed busy for %1 seconds "
                                                       "(a dialog box may be open in it)")
                     .arg(duration_cast<seconds>(m_busyLimit).count());
    } else {
        reason = failureReason(status, text.name, int(argumentError));
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    error.raise(code, raisedBy, reason);
    return false;
}

HRESULT ComSession::watched(const std::function<HRESULT()> &call)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = true;
        m_deadline = steady_clock::now() + m_callLimit;
    }
    m_changed.notify_all();
    const HRESULT result = call();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = false;
    }
    return result;
}

void ComSession::markLost(const QString &reason)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lost)
        return;
    m_lostReason = reason;
    m_lost = true;
}

void ComSession::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_changed.wait(lock);
            continue;
        }
        const steady_clock::time_point deadline = m_deadline;
        m_changed.wait_until(lock, deadline);
        if (m_stopping || !m_armed || m_deadline != deadline || steady_clock::now() < deadline)
            continue;
        m_armed = false;
        if (!m_lost) {
            m_lostReason = QCoreApplication::translate("Engine", "the spreadsheet application did not answer for %1 "
                                                                 "seconds and was ended")
                               .arg(duration_cast<seconds>(m_callLimit).count());
            m_lost = true;
        }
        const unsigned long processId = m_processId;
        lock.unlock();
        // Ending the process makes the blocked call return.
        if (HANDLE process = processId ? OpenProcess(PROCESS_TERMINATE, FALSE, processId) : nullptr) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
        lock.lock();
    }
}
