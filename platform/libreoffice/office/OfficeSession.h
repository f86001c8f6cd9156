// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/office/CallWatchdog.h"
#include "platform/libreoffice/LibreOfficeOptions.h"
#include "platform/libreoffice/office/OfficeProcess.h"

#include <QDateTime>
#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <atomic>
#include <memory>
#include <vector>

class CalcDocument;

// One running soffice with its private profile and the UNO connection to it.
// Every call goes through the thread that started it. Ending the session
// closes the documents still open, terminates soffice and removes the
// profile and the pipe, whether it ends by Quit or by destruction.
class OfficeSession
{
public:
    static std::shared_ptr<OfficeSession> start(const LibreOfficeOptions &options, QString *whyNot);
    ~OfficeSession();

    OfficeSession(const OfficeSession &) = delete;
    OfficeSession &operator=(const OfficeSession &) = delete;

    // False once soffice died, its connection broke, the watchdog killed it or
    // the session ended.
    bool isAlive();
    // Takes note of a failed call: one that failed because the connection
    // broke means soffice is gone, even before its process has ended.
    void noteCallFailure(const css::uno::Exception &failure);
    void end();

    // The files (a workbook's lock, a half-written replacement) removed if
    // this process dies while they exist.
    void setFilesInHand(const QStringList &files);
    void removeFilesInHand();
    // A replacement whose save goes on after the document was let go,
    // possibly on another thread: removed too if this process dies before it
    // is released.
    void holdFinishing(const QString &file);
    void releaseFinishing(const QString &file);

    pid_t processId() const { return m_process.pid(); }
    QString profilePath() const { return m_profile.path(); }
    const LibreOfficeOptions &options() const { return m_options; }
    CallWatchdog &watchdog() { return m_watchdog; }

    const css::uno::Reference<css::uno::XComponentContext> &context() const { return m_context; }
    const css::uno::Reference<css::frame::XDesktop2> &desktop() const { return m_desktop; }

    void adopt(const std::shared_ptr<CalcDocument> &document);

private:
    void writeInHandList();

    explicit OfficeSession(const LibreOfficeOptions &options);

    bool launch(QString *whyNot);
    bool connect(QString *whyNot);
    void closeDocuments();
    void removePipeFiles();
    QString pipeFile() const;

    LibreOfficeOptions m_options;
    QTemporaryDir m_profile;
    QString m_pipeName;
    OfficeProcess m_process;
    CallWatchdog m_watchdog;
    QStringList m_pipeFiles;
    QMutex m_inHandMutex; // the files in hand and those finishing, and their list
    QStringList m_filesInHand;
    QStringList m_filesFinishing;
    QDateTime m_filesInHandSince;
    pid_t m_officePid = 0; // soffice.bin's, kept after it ended
    bool m_ended = false;
    std::atomic<bool> m_bridgeLost{false};
    css::uno::Reference<css::uno::XComponentContext> m_context;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
    std::vector<std::weak_ptr<CalcDocument>> m_documents;
};
