// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcHyperlinks.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/calc/CalcRange.h"
#include "platform/libreoffice/cells/SheetAreas.h"
#include "platform/libreoffice/UnoStrings.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>

#include <QCoreApplication>

using namespace css;

namespace {

QString cellHyperlink(const uno::Reference<table::XCell> &cell)
{
    OUString target;
    uno::Reference<beans::XPropertySet>(cell, uno::UNO_QUERY_THROW)->getPropertyValue("Hyperlink") >>= target;
    return toQString(target);
}

bool hasUrlField(const uno::Reference<table::XCell> &cell)
{
    const uno::Reference<text::XTextFieldsSupplier> supplier(cell, uno::UNO_QUERY);
    if (!supplier.is())
        return false;
    const uno::Reference<container::XEnumeration> fields = supplier->getTextFields()->createEnumeration();
    while (fields->hasMoreElements()) {
        // Cell fields are URL, page, sheet name...: only a URL field has a URL.
        const uno::Reference<beans::XPropertySet> field(fields->nextElement(), uno::UNO_QUERY);
        if (field.is() && field->getPropertySetInfo()->hasPropertyByName("URL"))
            return true;
    }
    return false;
}

} // namespace

CalcHyperlinks::CalcHyperlinks(std::shared_ptr<CalcDocument> document, uno::Reference<sheet::XSpreadsheet> sheet,
                               const table::CellRangeAddress &area)
    : m_document(std::move(document))
    , m_sheet(std::move(sheet))
    , m_area(area)
{
}

std::shared_ptr<OfficeSession> CalcHyperlinks::watchedSession() const
{
    return m_document->sharedSession();
}

void CalcHyperlinks::beforeMember(const QByteArray &)
{
    m_document->pendingWrites().settle();
}

QVariant CalcHyperlinks::invoke(const QByteArray &member, const QVariantList &arguments)
{
    m_document->ensureUsable();
    if (member == "Add(const QVariant&,const QVariant&,const QVariant&)") {
        add(argument(arguments, 0), argument(arguments, 1).toString(),
            arguments.size() > 2 ? arguments.at(2).toString() : QString());
        return true;
    }
    if (member == "Delete()") {
        removeAll();
        return true;
    }
    return CalcObject::invoke(member, arguments);
}

QVariant CalcHyperlinks::read(const QByteArray &name)
{
    if (name == "Count") {
        m_document->ensureUsable();
        return count();
    }
    return CalcObject::read(name);
}

void CalcHyperlinks::add(const QVariant &anchor, const QString &address, const QString &subAddress)
{
    const auto range = std::dynamic_pointer_cast<CalcRange>(automationObjectFromVariant(anchor));
    if (!range || range->document() != m_document
        || m_document->sheetIndex(range->sheet()) != m_document->sheetIndex(m_sheet))
        fail(QStringLiteral("the anchor must be a range of this sheet"));
    if (address.isEmpty() && subAddress.isEmpty())
        fail(QCoreApplication::translate("Engine", "a hyperlink needs an address or a place in the document"));
    // "#Sheet2!A1" is LibreOffice's place in the document; it is saved to
    // xlsx as the location Sheet2!A1.
    const QString target = subAddress.isEmpty() ? address : address + QLatin1Char('#') + subAddress;
    const QString display = address.isEmpty() ? subAddress : address;
    const auto cells = SheetAreas::workingArea(m_sheet, range->address(), m_document->grid());
    if (!cells)
        return;
    for (sal_Int32 row = cells->StartRow; row <= cells->EndRow; ++row) {
        for (sal_Int32 column = cells->StartColumn; column <= cells->EndColumn; ++column)
            linkCell(m_sheet->getCellByPosition(column, row), target, display);
    }
}

// Text and empty cells get a URL field over their whole text (an empty cell
// shows the address, as in Excel); others get the Hyperlink property, which
// is not exported on text.
void CalcHyperlinks::linkCell(const uno::Reference<table::XCell> &cell, const QString &target,
                              const QString &display)
{
    const table::CellContentType type = cell->getType();
    if (type != table::CellContentType_TEXT && type != table::CellContentType_EMPTY) {
        uno::Reference<beans::XPropertySet>(cell, uno::UNO_QUERY_THROW)
            ->setPropertyValue("Hyperlink", uno::Any(toOUString(target)));
        return;
    }
    const uno::Reference<text::XText> text(cell, uno::UNO_QUERY_THROW);
    const QString shown = type == table::CellContentType_TEXT ? toQString(text->getString()) : display;
    const uno::Reference<lang::XMultiServiceFactory> factory(m_document->document(), uno::UNO_QUERY_THROW);
    const uno::Reference<text::XTextContent> field(factory->createInstance("com.sun.star.text.TextField.URL"),
                                                   uno::UNO_QUERY_THROW);
    const uno::Reference<beans::XPropertySet> fieldProperties(field, uno::UNO_QUERY_THROW);
    fieldProperties->setPropertyValue("URL", uno::Any(toOUString(target)));
    fieldProperties->setPropertyValue("Representation", uno::Any(toOUString(shown)));
    text->setString(OUString());
    const uno::Reference<text::XTextRange> start(text->createTextCursor(), uno::UNO_QUERY_THROW);
    text->insertTextContent(start, field, false);
}

void CalcHyperlinks::forEachFilledCell(const std::function<void(const uno::Reference<table::XCell> &)> &visit)
{
    const auto area = SheetAreas::workingArea(m_sheet, m_area, m_document->grid());
    if (!area)
        return;
    const uno::Reference<sheet::XCellRangesQuery> query(SheetAreas::cellRange(m_sheet, *area), uno::UNO_QUERY_THROW);
    const sal_Int16 filled = sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING
                             | sheet::CellFlags::FORMULA;
    const uno::Sequence<table::CellRangeAddress> parts = query->queryContentCells(filled)->getRangeAddresses();
    for (const table::CellRangeAddress &part : parts) {
        for (sal_Int32 row = part.StartRow; row <= part.EndRow; ++row) {
            for (sal_Int32 column = part.StartColumn; column <= part.EndColumn; ++column)
                visit(m_sheet->getCellByPosition(column, row));
        }
    }
}

// One per linked cell, as Excel counts a link put on a single cell.
int CalcHyperlinks::count()
{
    int links = 0;
    forEachFilledCell([&](const uno::Reference<table::XCell> &cell) {
        if (!cellHyperlink(cell).isEmpty() || (cell->getType() == table::CellContentType_TEXT && hasUrlField(cell)))
            ++links;
    });
    return links;
}

// Rewriting a text cell's string drops its fields (and its rich text); the
// value stays.
void CalcHyperlinks::removeAll()
{
    forEachFilledCell([&](const uno::Reference<table::XCell> &cell) {
        if (cell->getType() == table::CellContentType_TEXT && hasUrlField(cell)) {
            const uno::Reference<text::XText> text(cell, uno::UNO_QUERY_THROW);
            text->setString(text->getString());
        }
        if (!cellHyperlink(cell).isEmpty())
            uno::Reference<beans::XPropertySet>(cell, uno::UNO_QUERY_THROW)
                ->setPropertyValue("Hyperlink", uno::Any(OUString()));
    });
}
