// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"

class CalcDocument;

// The sheets collection of a workbook.
class CalcSheets : public CalcObject
{
public:
    explicit CalcSheets(std::shared_ptr<CalcDocument> document);

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments) override;
    QVariant invoke(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read(const QByteArray &name) override;

private:
    QString freeSheetName() const;

    std::shared_ptr<CalcDocument> m_document;
};
