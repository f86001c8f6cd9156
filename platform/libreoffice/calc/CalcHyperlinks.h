// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/calc/CalcObject.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XCell.hpp>

#include <functional>

class CalcDocument;

// The hyperlinks of a sheet or of a range. LibreOffice keeps a link either as
// a URL field in a text cell's text or as the Hyperlink property of a number
// or formula cell; only those two forms are exported to xlsx.
class CalcHyperlinks : public CalcObject
{
public:
    CalcHyperlinks(std::shared_ptr<CalcDocument> document, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
                   const css::table::CellRangeAddress &area);

protected:
    std::shared_ptr<OfficeSession> watchedSession() const override;
    void beforeMember(const QByteArray &member) override;
    QVariant invoke(const QByteArray &member, const QVariantList &arguments) override;
    QVariant read(const QByteArray &name) override;

private:
    void add(const QVariant &anchor, const QString &address, const QString &subAddress);
    void linkCell(const css::uno::Reference<css::table::XCell> &cell, const QString &target,
                  const QString &display);
    void forEachFilledCell(const std::function<void(const css::uno::Reference<css::table::XCell> &)> &visit);
    int count();
    void removeAll();

    std::shared_ptr<CalcDocument> m_document;
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
    css::table::CellRangeAddress m_area;
};
