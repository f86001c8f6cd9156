// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/StoredWorkbookCheck.h"

#include "fileformats/CompoundFile.h"
#include "fileformats/ZipArchive.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace StoredWorkbookCheck {

QString csvProblem(const QString &path, qint64 records)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("Engine", "the stored file cannot be read back: %1").arg(file.errorString());
    // Read in pieces: a CSV file may be far larger than the memory it deserves.
    qint64 ended = 0;
    bool quoted = false;
    bool open = false; // bytes after the last record end
    const QByteArray byteOrderMark("\xEF\xBB\xBF");
    bool first = true;
    while (!file.atEnd()) {
        QByteArray piece = file.read(1 << 16);
        if (piece.isEmpty())
            return QCoreApplication::translate("Engine", "the stored file cannot be read back: %1").arg(file.errorString());
        if (first && piece.startsWith(byteOrderMark))
            piece.remove(0, byteOrderMark.size());
        first = false;
        for (const char byte : qAsConst(piece)) {
            if (byte == '"')
                quoted = !quoted;
            if (byte == '\n' && !quoted) {
                ++ended;
                open = false;
            } else {
                open = true;
            }
        }
    }
    const qint64 stored = ended + (open ? 1 : 0);
    // A document without rows may be stored as nothing or as one empty line.
    if (stored == records || (records == 0 && stored <= 1))
        return QString();
    return QCoreApplication::translate("Engine", "the stored file holds %1 of the %2 records of the workbook").arg(stored).arg(records);
}

QString archiveProblem(const QString &path, ZipArchive *read, const ZipArchive *checkedBefore)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("Engine", "the stored file cannot be read back: %1").arg(file.errorString());
    ZipArchive own;
    ZipArchive &archive = read ? *read : own;
    if (!archive.read(file.readAll()))
        return QCoreApplication::translate("Engine", "the stored file's zip directory cannot be read");
    if (checkedBefore)
        archive.trustMatchingAs(*checkedBefore);
    const QString damaged = archive.damagedMember();
    if (!damaged.isEmpty())
        return QCoreApplication::translate("Engine", "the stored file's part %1 does not match its checksum").arg(damaged);
    if (archive.names().isEmpty())
        return QCoreApplication::translate("Engine", "the stored file holds no part");
    return QString();
}

QString compoundFileProblem(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("Engine", "the stored file cannot be read back: %1").arg(file.errorString());
    const QByteArray bytes = file.readAll();
    if (compoundFileStream(bytes, QStringLiteral("Workbook")).isEmpty()
        && compoundFileStream(bytes, QStringLiteral("Book")).isEmpty())
        return QCoreApplication::translate("Engine", "the stored file's workbook stream cannot be read");
    return QString();
}

QString fullDiskNote(const QString &path, qint64 size)
{
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < qMax<qint64>(size, 1 << 16))
        return QCoreApplication::translate("Engine", " (the disk is full: %1 bytes free)").arg(storage.bytesAvailable());
    return QString();
}

} // namespace StoredWorkbookCheck
