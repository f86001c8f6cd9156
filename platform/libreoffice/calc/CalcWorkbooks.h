// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"

class SessionKeeper;

// The workbooks collection: "Open" loads one, in a fresh soffice when the
// previous one crashed or hung.
class CalcWorkbooks : public CalcObject
{
public:
    explicit CalcWorkbooks(std::shared_ptr<SessionKeeper> keeper);

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments) override;

private:
    std::shared_ptr<SessionKeeper> m_keeper;
};
