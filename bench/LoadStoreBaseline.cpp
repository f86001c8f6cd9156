// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/LoadStoreBaseline.h"

#include "platform/libreoffice/document/LoadArguments.h"
#include "platform/libreoffice/office/OfficeSession.h"
#include "platform/libreoffice/UnoStrings.h"

#include <QFileInfo>

#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <osl/file.hxx>

using namespace css;

LoadStoreBaseline::LoadStoreBaseline() = default;

// The session ends its soffice and removes its profile as it goes.
LoadStoreBaseline::~LoadStoreBaseline() = default;

bool LoadStoreBaseline::start(QString *whyNot)
{
    m_session = OfficeSession::start(LibreOfficeOptions(), whyNot);
    return m_session != nullptr;
}

qint64 LoadStoreBaseline::processId() const
{
    return m_session ? qint64(m_session->processId()) : 0;
}

bool LoadStoreBaseline::loadStore(const QString &path, QString *whyNot)
{
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(toOUString(QFileInfo(path).absoluteFilePath()), url)
        != osl::FileBase::E_None) {
        *whyNot = QStringLiteral("not a valid path");
        return false;
    }
    // A workbook that crashed soffice must not fail every one after it.
    if (!m_session->isAlive() && !start(whyNot))
        return false;
    const uno::Sequence<beans::PropertyValue> arguments = editingLoadArguments(std::nullopt);
    CallWatchdog::Scope bounded(m_session->watchdog(), m_session->options().callTimeoutMs);
    try {
        const uno::Reference<lang::XComponent> component =
            m_session->desktop()->loadComponentFromURL(url, "_blank", 0, arguments);
        if (!component.is()) {
            *whyNot = QStringLiteral("not loaded");
            return false;
        }
        const uno::Reference<util::XCloseable> closeable(component, uno::UNO_QUERY_THROW);
        try {
            uno::Reference<frame::XStorable>(component, uno::UNO_QUERY_THROW)->store();
        } catch (const uno::Exception &) {
            closeable->close(true);
            throw;
        }
        closeable->close(true);
        return true;
    } catch (const uno::Exception &e) {
        m_session->noteCallFailure(e);
        *whyNot = toQString(e.Message);
        return false;
    }
}
