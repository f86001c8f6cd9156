// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcWorkbooks.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/calc/CalcWorkbook.h"
#include "platform/libreoffice/document/DocumentOpener.h"
#include "platform/libreoffice/office/OfficeSession.h"
#include "platform/libreoffice/office/SessionKeeper.h"

#include <QCoreApplication>

CalcWorkbooks::CalcWorkbooks(std::shared_ptr<SessionKeeper> keeper)
    : m_keeper(std::move(keeper))
{
}

std::shared_ptr<OfficeSession> CalcWorkbooks::watchedSession() const
{
    return m_keeper->currentSession();
}

AutomationObjectPtr CalcWorkbooks::subObject(const QByteArray &member, const QVariantList &arguments)
{
    // Excel's further arguments (links, passwords, notify) say what loads
    // here do anyway: they update no link and never ask.
    if (member.startsWith("Open(")) {
        const QString path = argument(arguments, 0).toString();
        QString whyNot;
        const std::shared_ptr<OfficeSession> session = m_keeper->liveSession(&whyNot);
        if (!session)
            fail(QCoreApplication::translate("Engine", "LibreOffice cannot be started: %1").arg(whyNot));
        // The session may be a new one, which the frame's watchdog does not cover.
        CallWatchdog::Scope bounded(session->watchdog(), session->options().callTimeoutMs);
        const std::shared_ptr<CalcDocument> document = openDocument(session, path);
        session->adopt(document);
        return std::make_shared<CalcWorkbook>(document);
    }
    return CalcObject::subObject(member, arguments);
}
