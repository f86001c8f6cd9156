// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

#include <QVector>

class CalcDocument;

// A block of cells: a cell, a range, whole rows or whole columns. The view
// says what "Count" counts, as Excel's Range.Rows and Range.Columns do.
class CalcRange : public CalcObject
{
public:
    enum class View { Cells, Rows, Columns };

    CalcRange(std::shared_ptr<CalcDocument> document, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
              const css::table::CellRangeAddress &address, View view = View::Cells);

    const std::shared_ptr<CalcDocument> &document() const { return m_document; }
    const css::uno::Reference<css::sheet::XSpreadsheet> &sheet() const { return m_sheet; }
    const css::table::CellRangeAddress &address() const { return m_address; }

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    void beforeMember(const QByteArray &member) override;
    AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments) override;
    QVariant invoke(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read(const QByteArray &name) override;

private:
    bool isOneCell() const;
    // The blocks of formula cells, as LibreOffice groups them.
    QVector<css::table::CellRangeAddress> formulaBlocks() const;
    void findSheetIndex();
    bool actsOnRows() const;
    bool actsOnColumns() const;
    void insert();
    void remove(int shift);

    std::shared_ptr<CalcDocument> m_document;
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
    css::table::CellRangeAddress m_address;
    View m_view;
};
