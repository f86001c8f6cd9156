// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/FileChecksum.h"

#include <QCryptographicHash>
#include <QFile>

QString fileChecksum(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}
