// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcWorkbook.h"

#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/calc/CalcSheets.h"
#include "platform/libreoffice/office/OfficeSession.h"

#include <QFileInfo>

CalcWorkbook::CalcWorkbook(std::shared_ptr<CalcDocument> document)
    : m_document(std::move(document))
{
}

std::shared_ptr<OfficeSession> CalcWorkbook::watchedSession() const
{
    return m_document->sharedSession();
}

void CalcWorkbook::beforeMember(const QByteArray &member)
{
    // Closing never saves: held-back writes would be lost with the others.
    if (member == "Close (Boolean)")
        m_document->pendingWrites().discard();
    else
        m_document->pendingWrites().settle();
}

AutomationObjectPtr CalcWorkbook::subObject(const QByteArray &member, const QVariantList &arguments)
{
    if (member == "Sheets") {
        m_document->ensureUsable();
        return std::make_shared<CalcSheets>(m_document);
    }
    return CalcObject::subObject(member, arguments);
}

QVariant CalcWorkbook::invoke(const QByteArray &member, const QVariantList &arguments)
{
    // What could not be kept comes back as Save's result, where Excel's
    // gives none.
    if (member == "Save()") {
        const QString leftOut = m_document->save();
        return leftOut.isEmpty() ? QVariant(true) : QVariant(leftOut);
    }
    if (member == "Close (Boolean)") {
        // Closing never saves: the engine saves first when it means to.
        m_document->close();
        return true;
    }
    return CalcObject::invoke(member, arguments);
}

QVariant CalcWorkbook::read(const QByteArray &name)
{
    if (name == "Name")
        return QFileInfo(m_document->path()).fileName();
    if (name == "FullName")
        return m_document->path();
    // True while nothing has changed since the workbook was opened or saved.
    if (name == "Saved")
        return !m_document->isModified();
    return CalcObject::read(name);
}
