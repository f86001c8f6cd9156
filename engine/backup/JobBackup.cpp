// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/JobBackup.h"

#include "engine/backup/BackupHistory.h"
#include "engine/backup/FileChecksum.h"
#include "engine/backup/FileLinks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

JobBackup::JobBackup(const QString &folder, const QStringList &edit)
    : m_folder(BackupHistory::absoluteFolder(folder))
{
    m_manifest.time = QDateTime::currentDateTime();
    m_manifest.edit = edit;
}

QString JobBackup::keepOriginal(const QString &path)
{
    QString kept;
    {
        const QMutexLocker locker(&m_mutex);
        if (m_jobFolder.isEmpty())
            m_jobFolder = BackupHistory::newJobFolder(m_folder, m_manifest.time);
        kept = keptPath(path);
        if (!QDir().mkpath(QFileInfo(kept).absolutePath()))
            return QCoreApplication::translate("Engine", "cannot make the backup folder %1; the edit was not saved").arg(QDir::toNativeSeparators(QFileInfo(kept).absolutePath()));
        // The manifest is written now so that a folder that takes no manifest
        // stops the save before the original is needed.
        if (!m_manifest.write(m_jobFolder))
            return QCoreApplication::translate("Engine", "cannot write the backup record %1; the edit was not saved")
                .arg(QDir::toNativeSeparators(QDir(m_jobFolder).filePath(BackupManifest::fileName())));
    }
    // Copied outside the lock: other workers' workbooks are other files.
    const QString checksum = fileChecksum(path);
    const QString failure = checksum.isEmpty() ? QCoreApplication::translate("Engine", "cannot read the original") : keepFileAs(path, kept);
    if (!failure.isEmpty())
        return QCoreApplication::translate("Engine", "cannot keep the original as %1 (%2); the edit was not saved").arg(QDir::toNativeSeparators(kept), failure);
    const QMutexLocker locker(&m_mutex);
    m_originalChecksums.insert(path, checksum);
    return QString();
}

QString JobBackup::recordSaved(const QString &path)
{
    const QString savedChecksum = fileChecksum(path);
    const QMutexLocker locker(&m_mutex);
    const QString original = m_originalChecksums.take(path);
    m_manifest.workbooks.append({relativePath(path), original, savedChecksum});
    if (m_manifest.write(m_jobFolder))
        return QString();
    m_manifest.workbooks.removeLast();
    const QString kept = keptPath(path);
    const QString failure = replaceFileWith(path, kept);
    if (failure.isEmpty())
        QFile::remove(kept);
    return failure.isEmpty() ? QCoreApplication::translate("Engine", "cannot write the backup record %1; the original was put back")
                                   .arg(QDir::toNativeSeparators(QDir(m_jobFolder).filePath(BackupManifest::fileName())))
                             : QCoreApplication::translate("Engine", "cannot write the backup record nor put the original back (%1); the original is in %2")
                                   .arg(failure, QDir::toNativeSeparators(kept));
}

void JobBackup::dropOriginal(const QString &path)
{
    const QMutexLocker locker(&m_mutex);
    m_originalChecksums.remove(path);
    QFile::remove(keptPath(path));
}

QString JobBackup::finish(int keep)
{
    const QMutexLocker locker(&m_mutex);
    if (!m_jobFolder.isEmpty() && m_manifest.workbooks.isEmpty()) {
        BackupHistory::removeJob(m_folder, m_jobFolder);
        m_jobFolder.clear();
    }
    BackupHistory::keepNewest(m_folder, keep);
    return QDir::toNativeSeparators(m_jobFolder);
}

QString JobBackup::relativePath(const QString &path) const
{
    return QDir(m_folder).relativeFilePath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
}

QString JobBackup::keptPath(const QString &path) const
{
    return QDir(m_jobFolder).filePath(relativePath(path));
}
