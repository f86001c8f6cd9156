// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>

class CalcDocument;

// One sheet: its rows, columns, cells and ranges, its used range and its
// hyperlinks. A chart sheet comes in from LibreOffice as an ordinary sheet
// holding the chart as a drawing, and is one here too.
class CalcSheet : public CalcObject
{
public:
    CalcSheet(std::shared_ptr<CalcDocument> document, css::uno::Reference<css::sheet::XSpreadsheet> sheet);

    const std::shared_ptr<CalcDocument> &document() const { return m_document; }
    const css::uno::Reference<css::sheet::XSpreadsheet> &sheet() const { return m_sheet; }

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    void beforeMember(const QByteArray &member) override;
    AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read(const QByteArray &name) override;

private:
    AutomationObjectPtr rangeByName(const QString &reference) const;

    std::shared_ptr<CalcDocument> m_document;
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
};
