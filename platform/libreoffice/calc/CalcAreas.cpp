// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcAreas.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/calc/CalcRange.h"
#include "platform/libreoffice/document/CalcDocument.h"

CalcAreas::CalcAreas(std::shared_ptr<CalcDocument> document, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
                     QVector<css::table::CellRangeAddress> blocks)
    : m_document(std::move(document))
    , m_sheet(std::move(sheet))
    , m_blocks(std::move(blocks))
{
}

std::shared_ptr<OfficeSession> CalcAreas::watchedSession() const
{
    return m_document->sharedSession();
}

AutomationObjectPtr CalcAreas::subObject(const QByteArray &member, const QVariantList &arguments)
{
    m_document->ensureUsable();
    if (member == "Areas")
        return std::make_shared<CalcAreas>(m_document, m_sheet, m_blocks);
    if (member == "Item(int)") {
        const int index = argument(arguments, 0).toInt();
        if (index < 1 || index > m_blocks.size())
            fail(QStringLiteral("there is no area %1").arg(index));
        return std::make_shared<CalcRange>(m_document, m_sheet, m_blocks.at(index - 1));
    }
    return CalcObject::subObject(member, arguments);
}

QVariant CalcAreas::read(const QByteArray &name)
{
    if (name == "Count")
        return int(m_blocks.size());
    return CalcObject::read(name);
}
