// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/OpenFailureReason.h"

#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/ZipArchive.h"
#include "platform/libreoffice/office/WorkbookLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

// LibreOffice needs room for its lock file and a stored copy beside the file.
const qint64 fullDiskRoom = 64 * 1024;

} // namespace

QString whyNotOpenedForEditing(const QString &path, const ZipArchive *archive)
{
    const QFileInfo file(path);
    const qint64 lockName = QFile::encodeName(QFileInfo(WorkbookLock::pathOf(path)).fileName()).size();
    if (lockName > NAME_MAX)
        return QCoreApplication::translate("Engine", "%1: the name is too long for LibreOffice's lock file (%2 of %3 bytes)")
            .arg(path)
            .arg(lockName)
            .arg(NAME_MAX);
    const QByteArray folder = QFile::encodeName(file.absolutePath());
    if (::access(folder.constData(), W_OK) != 0)
        return QCoreApplication::translate("Engine", "%1: its folder cannot be written (%2)").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (::access(QFile::encodeName(file.absoluteFilePath()).constData(), W_OK) != 0)
        return QCoreApplication::translate("Engine", "%1 cannot be written (%2)").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    const QStorageInfo storage(file.absolutePath());
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < fullDiskRoom)
        return QCoreApplication::translate("Engine", "%1: the disk is full (%2 bytes free)").arg(path).arg(storage.bytesAvailable());
    // A write reservation (a password to modify) opens read-only.
    if (archive && archive->member(OoxmlWorkbookParts::workbookPart).contains("<fileSharing"))
        return QCoreApplication::translate("Engine", "%1 is write-reserved (a password to modify it, or read-only recommended): LibreOffice opens it read-only").arg(path);
    return QString();
}
