// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/BackupManifest.h"

#include "engine/backup/FileLinks.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString BackupManifest::fileName()
{
    return QStringLiteral("manifest.json");
}

bool BackupManifest::write(const QString &folder) const
{
    QJsonArray entries;
    for (const Workbook &workbook : workbooks) {
        entries.append(QJsonObject{{QStringLiteral("path"), workbook.path},
                                   {QStringLiteral("original"), workbook.original},
                                   {QStringLiteral("written"), workbook.written}});
    }
    const QJsonObject manifest{{QStringLiteral("time"), time.toString(Qt::ISODateWithMs)},
                               {QStringLiteral("edit"), QJsonArray::fromStringList(edit)},
                               {QStringLiteral("workbooks"), entries},
                               {QStringLiteral("undone"), undone}};
    return writeWholeFile(QDir(folder).filePath(fileName()), QJsonDocument(manifest).toJson());
}

bool BackupManifest::read(const QString &folder)
{
    QFile file(QDir(folder).filePath(fileName()));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return false;
    const QJsonObject manifest = document.object();
    time = QDateTime::fromString(manifest.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    edit.clear();
    for (const QJsonValue &part : manifest.value(QStringLiteral("edit")).toArray())
        edit.append(part.toString());
    workbooks.clear();
    for (const QJsonValue &value : manifest.value(QStringLiteral("workbooks")).toArray()) {
        const QJsonObject entry = value.toObject();
        workbooks.append({entry.value(QStringLiteral("path")).toString(),
                          entry.value(QStringLiteral("original")).toString(),
                          entry.value(QStringLiteral("written")).toString()});
    }
    undone = manifest.value(QStringLiteral("undone")).toBool();
    return time.isValid();
}
