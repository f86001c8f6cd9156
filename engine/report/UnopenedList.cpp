// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/report/UnopenedList.h"

#include "launch/JobSettings.h"

#include <QFile>

QString unopenedListFileName()
{
    // The slices of a job spread over several machines write beside each
    // other into the one folder.
    if (JobSettings::shardCount > 1)
        return QStringLiteral("无法打开修改的文件目录(文件格式有误)-shard%1of%2.txt")
            .arg(JobSettings::shardNumber)
            .arg(JobSettings::shardCount);
    return QStringLiteral("无法打开修改的文件目录(文件格式有误).txt");
}

void chooseUnopenedList()
{
    JobSettings::unopenedListPath = JobSettings::sourcePath + unopenedListFileName();
}

void removeEarlierUnopenedList(const QString &listPath)
{
    if (QFile::exists(listPath))
        QFile::remove(listPath);
}

bool writeUnopenedList(const QString &listPath, const QString &lines)
{
    QFile list(listPath);
    // Text mode writes CR LF on Windows, where Notepad reads it.
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    const QByteArray bytes = lines.toLocal8Bit();
    const bool written = list.write(bytes) == bytes.size();
    list.close();
    return written && list.error() == QFileDevice::NoError;
}
