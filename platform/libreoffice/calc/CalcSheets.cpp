// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcSheets.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/calc/CalcSheet.h"
#include "platform/libreoffice/UnoStrings.h"
#include "platform/libreoffice/document/WorkbookProtection.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/util/XProtectable.hpp>

#include <QCoreApplication>
#include <QSet>

using namespace css;

CalcSheets::CalcSheets(std::shared_ptr<CalcDocument> document)
    : m_document(std::move(document))
{
}

std::shared_ptr<OfficeSession> CalcSheets::watchedSession() const
{
    return m_document->sharedSession();
}

AutomationObjectPtr CalcSheets::subObject(const QByteArray &member, const QVariantList &arguments)
{
    if (member == "Item(int)") {
        const int number = argument(arguments, 0).toInt();
        const uno::Reference<container::XIndexAccess> sheets(m_document->sheets(), uno::UNO_QUERY_THROW);
        if (number < 1 || number > sheets->getCount())
            fail(QCoreApplication::translate("Engine", "there is no sheet %1").arg(number));
        const uno::Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(number - 1), uno::UNO_QUERY_THROW);
        return std::make_shared<CalcSheet>(m_document, sheet);
    }
    return CalcObject::subObject(member, arguments);
}

QVariant CalcSheets::invoke(const QByteArray &member, const QVariantList &arguments)
{
    if (member == "Add(const QVariant&)") {
        const auto before = std::dynamic_pointer_cast<CalcSheet>(automationObjectFromVariant(argument(arguments, 0)));
        if (!before || before->document() != m_document)
            fail(QStringLiteral("the new sheet's place must be a sheet of this workbook"));
        const uno::Reference<util::XProtectable> protection(m_document->document(), uno::UNO_QUERY);
        if ((protection.is() && protection->isProtected()) || hasLockedStructure(m_document->path()))
            fail(QCoreApplication::translate("Engine", "the workbook's structure is protected"));
        const QString name = freeSheetName();
        m_document->sheets()->insertNewByName(toOUString(name),
                                              sal_Int16(m_document->sheetIndex(before->sheet())));
        return name;
    }
    return CalcObject::invoke(member, arguments);
}

QVariant CalcSheets::read(const QByteArray &name)
{
    if (name == "Count") {
        const uno::Reference<container::XIndexAccess> sheets(m_document->sheets(), uno::UNO_QUERY_THROW);
        return int(sheets->getCount());
    }
    return CalcObject::read(name);
}

// As Excel names a new sheet: the first "SheetN" not taken, from the count up.
QString CalcSheets::freeSheetName() const
{
    const uno::Sequence<OUString> names = m_document->sheets()->getElementNames();
    QSet<QString> taken;
    for (const OUString &name : names)
        taken.insert(toQString(name).toLower());
    for (int number = names.getLength() + 1;; ++number) {
        const QString candidate = QStringLiteral("Sheet%1").arg(number);
        if (!taken.contains(candidate.toLower()))
            return candidate;
    }
}
