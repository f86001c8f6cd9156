#include "platform/libreoffice/LoadStoreBaseline.h"

#include "platform/libreoffice/AbortingInteractionHandler.h"
#include "platform/libreoffice/OfficeSession.h"
#include "platform/libreoffice/UnoStrings.h"

#include <QFileInfo>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <osl/file.hxx>

using namespace css;

namespace {

beans::PropertyValue property(const char *name, const uno::Any &value)
{
    beans::PropertyValue result;
    result.Name = OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

} // namespace

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
    // The load arguments the server's Open passes.
    uno::Sequence<beans::PropertyValue> arguments(5);
    beans::PropertyValue *argument = arguments.getArray();
    argument[0] = property("Hidden", uno::Any(true));
    argument[1] = property("MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE));
    argument[2] = property("UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE));
    argument[3] = property("ReadOnly", uno::Any(false));
    argument[4] = property("InteractionHandler",
                           uno::Any(uno::Reference<task::XInteractionHandler>(new AbortingInteractionHandler)));
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
        *whyNot = toQString(e.Message);
        return false;
    }
}
