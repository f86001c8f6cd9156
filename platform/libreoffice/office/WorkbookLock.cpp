// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/office/WorkbookLock.h"

#include "platform/linux/ProcessList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>

namespace WorkbookLock {

namespace {

// Profiles of this program's own soffice processes, as OfficeSession makes them.
bool isOwnProfile(const QString &profilePath)
{
    return profilePath.startsWith(QDir::tempPath() + QStringLiteral("/gridwrighter-lo-"));
}

bool profileInUse(const QByteArray &profileUrl)
{
    const QByteArray argument = "-env:UserInstallation=" + profileUrl;
    for (const pid_t pid : ProcessList::ids()) {
        if (ProcessList::arguments(pid).contains(argument))
            return true;
    }
    return false;
}

} // namespace

QString pathOf(const QString &workbook)
{
    const QFileInfo file(workbook);
    return file.dir().filePath(QStringLiteral(".~lock.%1#").arg(file.fileName()));
}

bool isFree(const QString &workbook, const QString &ownProfile, QString *holder)
{
    QFile lock(pathOf(workbook));
    if (!lock.exists())
        return true;
    QByteArray record;
    if (lock.open(QIODevice::ReadOnly))
        record = lock.read(4096).trimmed();
    // ",user,host,date,profile URL;" — the first field is an unused name.
    if (record.endsWith(';'))
        record.chop(1);
    const QList<QByteArray> fields = record.split(',');
    const QByteArray host = fields.value(2);
    const QByteArray profileUrl = fields.value(4);
    const QString profilePath = QUrl(QString::fromUtf8(profileUrl)).toLocalFile();
    if (QDir(profilePath) == QDir(ownProfile))
        return true;
    if (host == QSysInfo::machineHostName().toUtf8() && isOwnProfile(profilePath) && !profileInUse(profileUrl)) {
        lock.close();
        if (QFile::remove(lock.fileName()))
            return true;
    }
    if (holder)
        *holder = QCoreApplication::translate("Engine", "%1 on %2").arg(QString::fromUtf8(fields.value(1)), QString::fromUtf8(host));
    return false;
}

} // namespace WorkbookLock
