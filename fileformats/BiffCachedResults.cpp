// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/BiffCachedResults.h"

#include "fileformats/BiffRecords.h"
#include "fileformats/CellErrorValue.h"
#include "fileformats/CompoundFile.h"

#include <QFile>
#include <QtEndian>

namespace {

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#VALUE!");
    }
}

// A STRING record's text: a length, a flag byte (bit 0: two bytes a
// character) and the characters, which may go on in CONTINUE records, each
// with a flag byte of its own.
QString stringRecordText(const QByteArray &body, BiffRecords &records)
{
    if (body.size() < 3)
        return QString();
    int left = qFromLittleEndian<quint16>(body.constData());
    QString text;
    QByteArray piece = body.mid(2);
    for (;;) {
        const bool wide = quint8(piece.at(0)) & 1;
        const int available = wide ? (piece.size() - 1) / 2 : piece.size() - 1;
        const int count = qMin(left, available);
        text += wide ? QString::fromUtf16(reinterpret_cast<const char16_t *>(piece.constData() + 1), count)
                     : QString::fromLatin1(piece.constData() + 1, count);
        left -= count;
        quint16 type = 0;
        BiffRecords ahead = records;
        if (left == 0 || !ahead.next(&type, &piece) || type != BiffRecords::Continue || piece.isEmpty())
            return text;
        records = ahead;
    }
}

} // namespace

QHash<QPair<int, int>, QVariant> biffCachedResults(const QString &path, const QString &sheetName)
{
    QHash<QPair<int, int>, QVariant> results;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return results;
    const QByteArray stream = compoundFileStream(file.readAll(), QStringLiteral("Workbook"));
    BiffRecords records(stream, BiffRecords::sheetOffset(stream, sheetName));
    quint16 type = 0;
    QByteArray body;
    if (records.offset() < 0 || !records.next(&type, &body) || type != BiffRecords::BeginOfFile)
        return results;
    QPair<int, int> awaitingText(-1, -1);
    while (records.next(&type, &body) && type != BiffRecords::EndOfFile) {
        if (type == BiffRecords::String && awaitingText.first >= 0) {
            results.insert(awaitingText, stringRecordText(body, records));
            awaitingText = {-1, -1};
            continue;
        }
        if (type != BiffRecords::Formula || body.size() < 16)
            continue;
        awaitingText = {-1, -1};
        const QPair<int, int> cell(qFromLittleEndian<quint16>(body.constData()),
                                   qFromLittleEndian<quint16>(body.constData() + 2));
        // Bit 1 of the options: the result is to be computed on loading.
        if (qFromLittleEndian<quint16>(body.constData() + 14) & 0x0002)
            continue;
        // A result that is not a number ends in 0xFFFF, its first byte telling
        // which kind, its third the value of a logical or an error.
        if (quint8(body.at(12)) != 0xFF || quint8(body.at(13)) != 0xFF) {
            results.insert(cell, qFromLittleEndian<double>(body.constData() + 6));
            continue;
        }
        switch (body.at(6)) {
        case 0: // the text follows in a STRING record
            awaitingText = cell;
            break;
        case 1:
            results.insert(cell, body.at(8) != 0);
            break;
        case 2:
            results.insert(cell, QVariant::fromValue(CellErrorValue{errorText(quint8(body.at(8)))}));
            break;
        case 3:
            results.insert(cell, QString(QLatin1String("")));
            break;
        default:
            break;
        }
    }
    return results;
}
