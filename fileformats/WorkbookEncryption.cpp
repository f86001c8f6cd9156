// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/WorkbookEncryption.h"

#include "fileformats/BiffRecords.h"
#include "fileformats/CompoundFile.h"

#include <QFile>

namespace {

const quint16 filePass = 0x002F;

// FILEPASS follows the workbook's BOF record, before its sheet list.
bool hasFilePass(const QByteArray &workbookStream)
{
    BiffRecords records(workbookStream, 0);
    quint16 type = 0;
    QByteArray body;
    while (records.next(&type, &body) && type != BiffRecords::EndOfFile && type != BiffRecords::BoundSheet) {
        if (type == filePass)
            return true;
    }
    return false;
}

} // namespace

bool isEncryptedWorkbook(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (!compoundFileStream(bytes, QStringLiteral("EncryptedPackage")).isEmpty()
        && !compoundFileStream(bytes, QStringLiteral("EncryptionInfo")).isEmpty())
        return true;
    QByteArray workbook = compoundFileStream(bytes, QStringLiteral("Workbook"));
    if (workbook.isEmpty())
        workbook = compoundFileStream(bytes, QStringLiteral("Book"));
    return hasFilePass(workbook);
}
