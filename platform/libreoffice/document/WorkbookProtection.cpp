// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/WorkbookProtection.h"

#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/ZipArchive.h"

#include <QFile>
#include <QRegularExpression>

bool hasLockedStructure(const QString &path)
{
    if (!OoxmlWorkbookParts::isOoxmlWorkbook(path))
        return false;
    QFile file(path);
    ZipArchive archive;
    if (!file.open(QIODevice::ReadOnly) || !archive.read(file.readAll()))
        return false;
    static const QRegularExpression lock(
        QStringLiteral("\\blockStructure\\s*=\\s*[\"'](?:1|true)[\"']"));
    const QString protection = OoxmlWorkbookParts::workbookProtection(archive.member(OoxmlWorkbookParts::workbookPart));
    return lock.match(protection).hasMatch();
}
