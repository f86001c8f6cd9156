// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"
#include "platform/libreoffice/LibreOfficeOptions.h"

class SessionKeeper;

// The application object: its own soffice, started with it and ended by
// "Quit(void)" or, when the job ends early, by its destruction.
class CalcApplication : public CalcObject
{
public:
    // Null, with the reason, when LibreOffice cannot be started.
    static std::shared_ptr<CalcApplication> start(const LibreOfficeOptions &options, QString *whyNot);
    ~CalcApplication() override;

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments) override;
    QVariant invoke(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read(const QByteArray &name) override;
    void write(const QByteArray &name, const QVariant &value) override;

private:
    explicit CalcApplication(const LibreOfficeOptions &options);

    std::shared_ptr<SessionKeeper> m_keeper;
};
