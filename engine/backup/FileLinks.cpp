// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/FileLinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>

#include <QSaveFile>
#else
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString copied(const QString &original, const QString &copy)
{
    QFile source(original);
    if (source.copy(copy))
        return QString();
    return source.errorString();
}

} // namespace

#ifdef Q_OS_WIN

// Excel and WPS may write a saved workbook into the same file, which would
// change a linked original with it: on Windows the original is copied.
QString keepFileAs(const QString &original, const QString &copy)
{
    return copied(original, copy);
}

#else

QString keepFileAs(const QString &original, const QString &copy)
{
    if (::link(QFile::encodeName(original).constData(), QFile::encodeName(copy).constData()) == 0)
        return QString();
    const int linkError = errno;
    if (linkError == EEXIST || linkError == ENOENT)
        return QString::fromLocal8Bit(std::strerror(linkError));
    return copied(original, copy);
}

#endif

QString replaceFileWith(const QString &target, const QString &source)
{
    const QFileInfo info(target);
    const QString standIn = info.dir().filePath(QStringLiteral(".%1.gridwrighter-restore").arg(info.fileName()));
    QFile::remove(standIn); // left by a restore that was cut short
    const QString kept = keepFileAs(source, standIn);
    if (!kept.isEmpty())
        return kept;
#ifdef Q_OS_WIN
    const bool renamed = MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(standIn).utf16()),
                                     reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    const QString reason = renamed ? QString() : QStringLiteral("error %1").arg(GetLastError());
#else
    const bool renamed = std::rename(QFile::encodeName(standIn).constData(), QFile::encodeName(target).constData()) == 0;
    const QString reason = renamed ? QString() : QString::fromLocal8Bit(std::strerror(errno));
#endif
    if (!renamed)
        QFile::remove(standIn);
    return reason;
}

#ifdef Q_OS_WIN

bool writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

#else

namespace {

bool writeAll(int descriptor, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

// Every step is checked: a full disk may fail the write, the flush or the
// close, and a file cut at any of them must never take the old one's place.
bool writeWholeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    QByteArray temporary = QFile::encodeName(info.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0)
        return false;
    const bool written = writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    const int folder = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

#endif
