// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/office/SessionKeeper.h"

#include "platform/libreoffice/office/OfficeSession.h"

SessionKeeper::SessionKeeper(const LibreOfficeOptions &options)
    : m_options(options)
{
}

SessionKeeper::~SessionKeeper()
{
    end();
}

bool SessionKeeper::start(QString *whyNot)
{
    m_session = OfficeSession::start(m_options, whyNot);
    return m_session != nullptr;
}

std::shared_ptr<OfficeSession> SessionKeeper::liveSession(QString *whyNot)
{
    if (m_session && m_session->isAlive())
        return m_session;
    // Workbooks of the dead session keep it for their error reports, but its
    // process and profile go now.
    end();
    start(whyNot);
    return m_session;
}

void SessionKeeper::end()
{
    if (m_session)
        m_session->end();
    m_session.reset();
}
