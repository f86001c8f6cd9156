// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/BackupHistory.h"

#include <QDir>
#include <QFileInfo>

namespace BackupHistory {

QString folderName()
{
    return QStringLiteral(".gridwrighter-backup");
}

QString absoluteFolder(const QString &folder)
{
    return QDir::cleanPath(QDir(QDir::fromNativeSeparators(folder)).absolutePath());
}

QString rootOf(const QString &folder)
{
    return QDir(folder).filePath(folderName());
}

QStringList jobFolders(const QString &folder)
{
    const QDir root(rootOf(folder));
    QStringList folders;
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        folders.append(root.filePath(name));
    return folders;
}

QString newJobFolder(const QString &folder, const QDateTime &time)
{
    // Two jobs within a millisecond still get folders of their own.
    QDateTime named = time;
    QString path;
    do {
        path = QDir(rootOf(folder)).filePath(named.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
        named = named.addMSecs(1);
    } while (QFileInfo::exists(path));
    return path;
}

void removeJob(const QString &folder, const QString &jobFolder)
{
    QDir(jobFolder).removeRecursively();
    // Fails, as it should, while the backup folder holds anything.
    QDir().rmdir(rootOf(folder));
}

void keepNewest(const QString &folder, int keep)
{
    const QStringList jobs = jobFolders(folder);
    for (int i = 0; i < jobs.size() - keep; ++i)
        removeJob(folder, jobs.at(i));
}

} // namespace BackupHistory
