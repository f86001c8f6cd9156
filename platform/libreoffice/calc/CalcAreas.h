// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

#include <QVector>

class CalcDocument;

// Several blocks of one sheet, as Excel's Range.SpecialCells gives them, and
// their Areas collection: "Count" blocks, "Item(int)" each as a range.
class CalcAreas : public CalcObject
{
public:
    CalcAreas(std::shared_ptr<CalcDocument> document, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
              QVector<css::table::CellRangeAddress> blocks);

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read(const QByteArray &name) override;

private:
    std::shared_ptr<CalcDocument> m_document;
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
    QVector<css::table::CellRangeAddress> m_blocks;
};
