// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/ReplacementFile.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/office/WorkbookLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const hiddenSuffix = ".tmp";

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A crash right after the rename must not leave an empty file behind: the
// data and then the folder entry reach the disk first.
bool flush(const QByteArray &path, int flags)
{
    const int descriptor = ::open(path.constData(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool flushed = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return flushed;
}

// The stand-in's name, and the lock file LibreOffice makes beside it while
// storing, must stay within the file system's limit even beside a workbook
// whose own name nearly reaches it.
QString nameWithin(QString name)
{
    const int room = NAME_MAX - int(std::strlen(".~lock.#") + std::strlen("..gridwrighter-XXXXXX")
                                    + std::strlen(hiddenSuffix));
    while (QFile::encodeName(name).size() > room) {
        name.chop(1);
        if (!name.isEmpty() && QChar(name.back()).isHighSurrogate())
            name.chop(1);
    }
    return name;
}

} // namespace

ReplacementFile::ReplacementFile(const QString &target, const std::function<void(const QString &path)> &announce)
{
    // A link stays a link: the file it leads to is the one replaced.
    const QFileInfo link(target);
    m_target = link.isSymLink() && !link.canonicalFilePath().isEmpty() ? link.canonicalFilePath()
                                                                       : link.absoluteFilePath();
    struct stat original;
    if (::stat(QFile::encodeName(m_target).constData(), &original) != 0)
        fail(QCoreApplication::translate("Engine", "cannot save %1: %2").arg(m_target, systemError()));
    m_mode = original.st_mode & 07777;
    m_owner = original.st_uid;
    m_group = original.st_gid;

    // Hidden, so that nothing listing the folder takes it for a workbook.
    const QFileInfo file(m_target);
    const QString name = QStringLiteral(".%1.gridwrighter-").arg(nameWithin(file.fileName()));
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    for (int tries = 0; tries < 100; ++tries) {
        QString suffix;
        for (int i = 0; i < 6; ++i)
            suffix += letters.at(int(QRandomGenerator::global()->bounded(letters.size())));
        m_path = file.dir().filePath(name + suffix + QLatin1String(hiddenSuffix));
        // A name in use is not announced: the clean-up would remove that file.
        if (QFileInfo::exists(m_path))
            continue;
        // Named to whoever cleans up after a crash before it exists: a job
        // killed in between leaves nothing behind.
        announce(m_path);
        const int descriptor =
            ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (descriptor >= 0) {
            ::close(descriptor);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    fail(QCoreApplication::translate("Engine", "cannot save %1: no temporary file beside it: %2").arg(m_target, systemError()));
}

ReplacementFile::~ReplacementFile()
{
    if (m_committed)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    // A store that failed leaves the lock soffice made for the stand-in.
    ::unlink(QFile::encodeName(WorkbookLock::pathOf(m_path)).constData());
}

void ReplacementFile::commit()
{
    const QByteArray path = QFile::encodeName(m_path);
    // Only a privileged process can hand a file to another owner; otherwise
    // the new version belongs to whoever saved it, as with any editor.
    if (::chown(path.constData(), m_owner, m_group) != 0)
        ::chown(path.constData(), uid_t(-1), m_group);
    if (::chmod(path.constData(), m_mode) != 0)
        fail(QCoreApplication::translate("Engine", "cannot save %1: cannot set its permissions: %2").arg(m_target, systemError()));
    if (!flush(path, O_RDONLY))
        fail(QCoreApplication::translate("Engine", "cannot save %1: cannot write it to disk: %2").arg(m_target, systemError()));
    if (::rename(path.constData(), QFile::encodeName(m_target).constData()) != 0)
        fail(QCoreApplication::translate("Engine", "cannot save %1: %2").arg(m_target, systemError()));
    m_committed = true;
    flush(QFile::encodeName(QFileInfo(m_target).absolutePath()), O_RDONLY | O_DIRECTORY);
}
