// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"

class CalcDocument;

// One open workbook: its sheets, saving in place and closing.
class CalcWorkbook : public CalcObject
{
public:
    explicit CalcWorkbook(std::shared_ptr<CalcDocument> document);

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    void beforeMember(const QByteArray &member) override;
    AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments) override;
    QVariant invoke(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read(const QByteArray &name) override;

private:
    QString save(const QByteArray &member);

    std::shared_ptr<CalcDocument> m_document;
};
