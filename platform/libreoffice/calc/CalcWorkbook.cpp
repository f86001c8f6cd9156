// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcWorkbook.h"

#include "automation/DeferredSaves.h"
#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/calc/CalcSheets.h"
#include "platform/libreoffice/office/OfficeSession.h"

#include <QFileInfo>

#include <exception>

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
        const QString leftOut = save(member);
        return leftOut.isEmpty() ? QVariant(true) : QVariant(leftOut);
    }
    if (member == "Close (Boolean)") {
        // Closing never saves: the engine saves first when it means to.
        m_document->close();
        return true;
    }
    return CalcObject::invoke(member, arguments);
}

// Where the caller collects deferred saves, all that follows LibreOffice's
// store goes on beside the next workbook's opening; the document is let go
// at once all the same (the engine closes it next).
QString CalcWorkbook::save(const QByteArray &member)
{
    std::unique_ptr<StoreFinish> finish = m_document->store();
    if (!finish)
        return QString();
    if (!DeferredSaves::accepted()) {
        const QString leftOut = finish->run();
        m_document->markSaved();
        return leftOut;
    }
    std::shared_ptr<StoreFinish> rest = std::move(finish);
    DeferredSaves::defer(m_document->path(), [rest, member]() {
        DeferredSaves::Outcome outcome;
        try {
            outcome.note = rest->run();
        } catch (const AutomationFailure &e) {
            outcome.error = memberError(member, e.description);
        } catch (const std::exception &e) {
            outcome.error = memberError(member, QString::fromLocal8Bit(e.what()));
        }
        return outcome;
    });
    return QString();
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
