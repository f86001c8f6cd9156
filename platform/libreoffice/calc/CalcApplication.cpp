// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcApplication.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/calc/CalcWorkbooks.h"
#include "platform/libreoffice/office/OfficeSession.h"
#include "platform/libreoffice/office/SessionKeeper.h"

#include <QCoreApplication>

CalcApplication::CalcApplication(const LibreOfficeOptions &options)
    : m_keeper(std::make_shared<SessionKeeper>(options))
{
}

std::shared_ptr<CalcApplication> CalcApplication::start(const LibreOfficeOptions &options, QString *whyNot)
{
    std::shared_ptr<CalcApplication> application(new CalcApplication(options));
    if (!application->m_keeper->start(whyNot))
        return nullptr;
    return application;
}

CalcApplication::~CalcApplication()
{
    m_keeper->end();
}

std::shared_ptr<OfficeSession> CalcApplication::watchedSession() const
{
    return m_keeper->currentSession();
}

AutomationObjectPtr CalcApplication::subObject(const QByteArray &member, const QVariantList &arguments)
{
    if (member == "WorkBooks") {
        if (!m_keeper->currentSession())
            fail(QCoreApplication::translate("Engine", "LibreOffice has quit"));
        return std::make_shared<CalcWorkbooks>(m_keeper);
    }
    return CalcObject::subObject(member, arguments);
}

QVariant CalcApplication::invoke(const QByteArray &member, const QVariantList &arguments)
{
    if (member == "SetVisible (bool Visible)")
        return QVariant(); // soffice runs headless: there is nothing to show
    if (member == "Quit(void)") {
        m_keeper->end();
        return QVariant();
    }
    return CalcObject::invoke(member, arguments);
}

QVariant CalcApplication::read(const QByteArray &name)
{
    const std::shared_ptr<OfficeSession> session = m_keeper->currentSession();
    // For tests and diagnostics: which soffice and profile this application uses.
    if (name == "ProcessId")
        return session ? qint64(session->processId()) : qint64(0);
    if (name == "ProfilePath")
        return session ? session->profilePath() : QString();
    return CalcObject::read(name);
}

void CalcApplication::write(const QByteArray &name, const QVariant &value)
{
    // Nothing ever prompts: loads abort every interaction, run no macro and
    // update no link.
    if (name == "DisplayAlerts" || name == "AutomationSecurity" || name == "EnableEvents" || name == "AskToUpdateLinks")
        return;
    CalcObject::write(name, value);
}
