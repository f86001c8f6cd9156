// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/LibreOfficeOptions.h"

#include <QString>

#include <memory>

class OfficeSession;

// The application's soffice: started with the application, and started
// afresh (new process, new profile) when the one in use crashed or hung.
class SessionKeeper
{
public:
    explicit SessionKeeper(const LibreOfficeOptions &options);
    ~SessionKeeper();

    bool start(QString *whyNot);
    std::shared_ptr<OfficeSession> liveSession(QString *whyNot);
    std::shared_ptr<OfficeSession> currentSession() const { return m_session; }
    void end();

private:
    LibreOfficeOptions m_options;
    std::shared_ptr<OfficeSession> m_session;
};
