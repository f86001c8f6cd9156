// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/office/OfficeSession.h"

#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/office/ProfileSettings.h"
#include "platform/libreoffice/UnoStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <QUuid>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/ConnectionSetupException.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <osl/file.hxx>

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

using namespace css;

namespace {

const char *const installedSoffice = "/usr/lib/libreoffice/program/soffice";
const char *const ureBootstrap = "vnd.sun.star.pathname:/usr/lib/libreoffice/program/fundamentalrc";

// The local UNO runtime can be bootstrapped once per process; it is kept for
// the life of the process on purpose (tearing it down at exit is unsafe).
// Several applications may start at once, each on its own thread.
uno::Reference<uno::XComponentContext> localContext(QString *whyNot)
{
    static std::mutex bootstrapping;
    const std::lock_guard<std::mutex> locked(bootstrapping);
    static uno::Reference<uno::XComponentContext> *context = nullptr;
    if (context)
        return *context;
    if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP"))
        qputenv("URE_BOOTSTRAP", ureBootstrap);
    // A dying soffice must not take the caller down with a broken pipe.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        context = new uno::Reference<uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
        return *context;
    } catch (const cppu::BootstrapException &e) {
        *whyNot = QCoreApplication::translate("Engine", "UNO bootstrap failed: %1").arg(toQString(e.getMessage()));
    } catch (const uno::Exception &e) {
        *whyNot = QCoreApplication::translate("Engine", "UNO bootstrap failed: %1").arg(toQString(e.Message));
    }
    return {};
}

QString sofficeProgram(const LibreOfficeOptions &options)
{
    if (!options.sofficePath.isEmpty())
        return options.sofficePath;
    const QString fromEnvironment = qEnvironmentVariable("GRIDWRIGHTER_SOFFICE");
    return fromEnvironment.isEmpty() ? QString::fromLatin1(installedSoffice) : fromEnvironment;
}

} // namespace

OfficeSession::OfficeSession(const LibreOfficeOptions &options)
    : m_options(options)
    , m_profile(QDir::tempPath() + QStringLiteral("/gridwrighter-lo-XXXXXX"))
    , m_pipeName(QStringLiteral("gridwrighter_%1_%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(QUuid::createUuid().toString(QUuid::Id128)))
    , m_watchdog([this] { m_process.killGroup(); })
{
}

std::shared_ptr<OfficeSession> OfficeSession::start(const LibreOfficeOptions &options, QString *whyNot)
{
    QString reason;
    std::shared_ptr<OfficeSession> session(new OfficeSession(options));
    if (session->launch(&reason) && session->connect(&reason))
        return session;
    session->end();
    if (whyNot)
        *whyNot = reason;
    return nullptr;
}

OfficeSession::~OfficeSession()
{
    end();
}

bool OfficeSession::launch(QString *whyNot)
{
    if (!m_profile.isValid()) {
        *whyNot = QCoreApplication::translate("Engine", "cannot create a private LibreOffice profile: %1").arg(m_profile.errorString());
        return false;
    }
    if (!writeProfileSettings(m_profile.path(), whyNot))
        return false;
    OUString profileUrl;
    osl::FileBase::getFileURLFromSystemPath(toOUString(m_profile.path()), profileUrl);
    const QStringList arguments = {
        QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--nologo"),
        QStringLiteral("--norestore"), QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
        QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(m_pipeName),
        QStringLiteral("-env:UserInstallation=%1").arg(toQString(profileUrl)),
    };
    return m_process.start(sofficeProgram(m_options), arguments, {m_profile.path(), pipeFile()}, whyNot);
}

bool OfficeSession::connect(QString *whyNot)
{
    const uno::Reference<uno::XComponentContext> local = localContext(whyNot);
    if (!local.is())
        return false;
    CallWatchdog::Scope bounded(m_watchdog, m_options.startTimeoutMs);
    const OUString url = toOUString(
        QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(m_pipeName));
    QElapsedTimer waited;
    waited.start();
    try {
        const uno::Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
        for (;;) {
            try {
                m_context.set(resolver->resolve(url), uno::UNO_QUERY_THROW);
                break;
            } catch (const connection::NoConnectException &) {
            } catch (const connection::ConnectionSetupException &) {
            }
            if (!m_process.isRunning()) {
                *whyNot = QCoreApplication::translate("Engine", "soffice ended before it accepted a connection");
                return false;
            }
            if (waited.elapsed() > m_options.startTimeoutMs || m_watchdog.hasExpired()) {
                *whyNot = QCoreApplication::translate("Engine", "soffice did not answer within %1 s").arg(m_options.startTimeoutMs / 1000);
                return false;
            }
            QThread::msleep(100);
        }
        m_desktop = frame::Desktop::create(m_context);
        // The temporary files soffice.bin stores into carry its process id:
        // the guard removes those of a store cut short.
        if (m_process.findOffice()) {
            m_officePid = m_process.officePid();
            QSaveFile officePid(QDir(m_profile.path()).filePath(QStringLiteral("office-pid")));
            if (officePid.open(QIODevice::WriteOnly)) {
                officePid.write(QByteArray::number(m_officePid));
                officePid.commit();
            }
        }
        // soffice leaves its pipe files behind when it is killed; note them now.
        m_pipeFiles = m_process.socketFiles();
        return true;
    } catch (const uno::Exception &e) {
        *whyNot = QCoreApplication::translate("Engine", "cannot connect to soffice: %1").arg(toQString(e.Message));
    }
    return false;
}

bool OfficeSession::isAlive()
{
    return !m_ended && !m_bridgeLost && !m_watchdog.hasExpired() && m_process.isRunning();
}

void OfficeSession::noteCallFailure(const uno::Exception &failure)
{
    // UNO exceptions carry no run-time type: the bridge says so in words.
    if (failure.Message.indexOf("URP bridge") >= 0)
        m_bridgeLost = true;
}

void OfficeSession::removeFilesInHand()
{
    QStringList files;
    QDateTime since;
    {
        const QMutexLocker locker(&m_inHandMutex);
        files = m_filesInHand;
        since = m_filesInHandSince;
    }
    QSet<QString> folders;
    for (const QString &file : qAsConst(files)) {
        QFile::remove(file);
        folders.insert(QFileInfo(file).absolutePath());
    }
    // A store cut short leaves the lu*.tmp soffice was writing beside the
    // workbook: only those named after its process and made since the files
    // came in hand are its (empty ones only, while that process is unknown).
    const pid_t office = m_officePid;
    const QString pattern = office > 0 ? QStringLiteral("lu%1*.tmp").arg(office) : QStringLiteral("lu*.tmp");
    for (const QString &folder : qAsConst(folders)) {
        for (const QFileInfo &file : QDir(folder).entryInfoList({pattern}, QDir::Files | QDir::Hidden)) {
            if ((office > 0 || file.size() == 0) && file.lastModified() >= since)
                QFile::remove(file.filePath());
        }
    }
    setFilesInHand({});
}

void OfficeSession::setFilesInHand(const QStringList &files)
{
    const QMutexLocker locker(&m_inHandMutex);
    m_filesInHand = files;
    // Whole seconds: some file systems keep no finer times.
    m_filesInHandSince = QDateTime::currentDateTime().addSecs(-1);
    writeInHandList();
}

void OfficeSession::holdFinishing(const QString &file)
{
    const QMutexLocker locker(&m_inHandMutex);
    m_filesFinishing.append(file);
    writeInHandList();
}

void OfficeSession::releaseFinishing(const QString &file)
{
    const QMutexLocker locker(&m_inHandMutex);
    m_filesFinishing.removeOne(file);
    writeInHandList();
}

// What the guard's watcher removes should this process die.
void OfficeSession::writeInHandList()
{
    QSaveFile list(QDir(m_profile.path()).filePath(QStringLiteral("in-hand")));
    if (list.open(QIODevice::WriteOnly)) {
        for (const QString &file : m_filesInHand + m_filesFinishing)
            list.write(QFile::encodeName(file) + '\n');
        list.commit();
    }
}

QString OfficeSession::pipeFile() const
{
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(m_pipeName);
}

void OfficeSession::adopt(const std::shared_ptr<CalcDocument> &document)
{
    m_documents.push_back(document);
}

void OfficeSession::closeDocuments()
{
    for (const std::weak_ptr<CalcDocument> &held : m_documents) {
        if (const std::shared_ptr<CalcDocument> document = held.lock())
            document->close();
    }
    m_documents.clear();
}

void OfficeSession::end()
{
    if (m_ended)
        return;
    const bool died = !isAlive();
    if (!died) {
        CallWatchdog::Scope bounded(m_watchdog, m_options.quitTimeoutMs);
        // Terminating with a document open would leave its lock file behind.
        closeDocuments();
        try {
            m_desktop->terminate();
        } catch (const uno::Exception &) {
            // soffice is stopped by its process below anyway.
        }
    }
    m_ended = true;
    closeDocuments();
    m_process.stop(m_options.quitTimeoutMs);
    // A dead soffice leaves the lock files it made behind: of the workbook
    // it was opening or editing, and of a replacement it was writing.
    if (died)
        removeFilesInHand();
    m_desktop.clear();
    m_context.clear();
    removePipeFiles();
    m_profile.remove();
}

void OfficeSession::removePipeFiles()
{
    m_pipeFiles.append(pipeFile());
    for (const QString &file : qAsConst(m_pipeFiles)) {
        if (file.startsWith(QLatin1String("/tmp/OSL_PIPE_")))
            QFile::remove(file);
    }
    m_pipeFiles.clear();
}
