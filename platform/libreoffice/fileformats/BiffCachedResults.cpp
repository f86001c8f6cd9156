// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/fileformats/BiffLogicalResults.h"

#include "platform/libreoffice/fileformats/CompoundFile.h"

#include <QFile>
#include <QtEndian>

namespace {

enum Record : quint16 { Formula = 0x0006, EndOfFile = 0x000A, BoundSheet = 0x0085, BeginOfFile = 0x0809 };

struct RecordReader
{
    const QByteArray &stream;
    qint64 at;

    // The next record's type and body; false at the stream's end.
    bool next(quint16 *type, QByteArray *body)
    {
        if (at < 0 || at + 4 > stream.size())
            return false;
        *type = qFromLittleEndian<quint16>(stream.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(stream.constData() + at + 2);
        if (at + 4 + length > stream.size())
            return false;
        *body = stream.mid(at + 4, length);
        at += 4 + length;
        return true;
    }
};

// The stream offset of the sheet's records, from the workbook's sheet list.
qint64 sheetOffset(const QByteArray &stream, const QString &sheetName)
{
    RecordReader records{stream, 0};
    quint16 type = 0;
    QByteArray body;
    // BIFF8 only: its version is 0x0600.
    if (!records.next(&type, &body) || type != BeginOfFile || body.size() < 2
        || qFromLittleEndian<quint16>(body.constData()) != 0x0600)
        return -1;
    while (records.next(&type, &body) && type != EndOfFile) {
        if (type != BoundSheet || body.size() < 8)
            continue;
        const int length = quint8(body.at(6));
        const bool wide = quint8(body.at(7)) & 1;
        const QString name = wide ? QString::fromUtf16(reinterpret_cast<const char16_t *>(body.constData() + 8),
                                                       qMin(length, int(body.size() - 8) / 2))
                                  : QString::fromLatin1(body.constData() + 8, qMin(length, int(body.size()) - 8));
        if (name == sheetName)
            return qFromLittleEndian<quint32>(body.constData());
    }
    return -1;
}

} // namespace

QHash<QPair<int, int>, bool> biffLogicalResults(const QString &path, const QString &sheetName)
{
    QHash<QPair<int, int>, bool> results;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return results;
    const QByteArray stream = compoundFileStream(file.readAll(), QStringLiteral("Workbook"));
    RecordReader records{stream, sheetOffset(stream, sheetName)};
    quint16 type = 0;
    QByteArray body;
    if (records.at < 0 || !records.next(&type, &body) || type != BeginOfFile)
        return results;
    while (records.next(&type, &body) && type != EndOfFile) {
        // A result that is not a number ends in 0xFFFF, its first byte
        // telling which kind: 1 is a logical, its third byte the value.
        if (type != Formula || body.size() < 14 || quint8(body.at(12)) != 0xFF || quint8(body.at(13)) != 0xFF
            || body.at(6) != 1)
            continue;
        const int row = qFromLittleEndian<quint16>(body.constData());
        const int column = qFromLittleEndian<quint16>(body.constData() + 2);
        results.insert({row, column}, body.at(8) != 0);
    }
    return results;
}
