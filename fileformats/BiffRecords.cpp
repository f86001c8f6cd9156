// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/BiffRecords.h"

#include <QtEndian>

bool BiffRecords::next(quint16 *type, QByteArray *body)
{
    if (m_at < 0 || m_at + 4 > m_stream->size())
        return false;
    *type = qFromLittleEndian<quint16>(m_stream->constData() + m_at);
    const quint16 length = qFromLittleEndian<quint16>(m_stream->constData() + m_at + 2);
    if (m_at + 4 + length > m_stream->size())
        return false;
    *body = m_stream->mid(m_at + 4, length);
    m_at += 4 + length;
    return true;
}

qint64 BiffRecords::sheetOffset(const QByteArray &stream, const QString &sheetName)
{
    BiffRecords records(stream, 0);
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
