// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/CompoundFile.h"

#include <QVector>
#include <QtEndian>

#include <algorithm>

namespace {

const quint32 endOfChain = 0xFFFFFFFE;

quint32 u32(const QByteArray &bytes, qint64 at)
{
    return at >= 0 && at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at) : endOfChain;
}

quint16 u16(const QByteArray &bytes, qint64 at)
{
    return at >= 0 && at + 2 <= bytes.size() ? qFromLittleEndian<quint16>(bytes.constData() + at) : 0;
}

class Reader
{
public:
    explicit Reader(const QByteArray &file)
        : m_file(file)
    {
    }

    QByteArray stream(const QString &name)
    {
        static const QByteArray signature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        if (!m_file.startsWith(signature))
            return QByteArray();
        const int shift = u16(m_file, 0x1E);
        if (shift != 9 && shift != 12)
            return QByteArray();
        m_sectorSize = 1 << shift;
        readFat();
        const QByteArray directory = chain(u32(m_file, 0x30), m_fat, -1);
        for (qint64 entry = 0; entry + 128 <= directory.size(); entry += 128) {
            const int nameBytes = qMin<int>(u16(directory, entry + 0x40), 64);
            if (directory.at(int(entry + 0x42)) != 2 || nameBytes < 2)
                continue;
            const QString entryName = QString::fromUtf16(
                reinterpret_cast<const char16_t *>(directory.constData() + entry), nameBytes / 2 - 1);
            if (entryName.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            const quint32 start = u32(directory, entry + 0x74);
            const qint64 size = u32(directory, entry + 0x78);
            if (size >= u32(m_file, 0x38))
                return chain(start, m_fat, size);
            // Small streams live in the mini stream, in 64-byte sectors.
            const QVector<quint32> miniFat = toEntries(chain(u32(m_file, 0x3C), m_fat, -1));
            const QByteArray miniStream = chain(u32(directory, 0x74), m_fat, u32(directory, 0x78));
            return chain(start, miniFat, size, &miniStream, 64);
        }
        return QByteArray();
    }

private:
    static QVector<quint32> toEntries(const QByteArray &bytes)
    {
        QVector<quint32> entries(int(bytes.size() / 4));
        for (int i = 0; i < entries.size(); ++i)
            entries[i] = u32(bytes, qint64(i) * 4);
        return entries;
    }

    QByteArray sector(quint32 number, const QByteArray *mini = nullptr, int miniSize = 0) const
    {
        if (mini)
            return mini->mid(qint64(number) * miniSize, miniSize);
        return m_file.mid((qint64(number) + 1) * m_sectorSize, m_sectorSize);
    }

    // The sectors from start on, as the table links them; size < 0 reads to
    // the chain's end. A chain that comes back to a sector it passed is
    // damaged.
    QByteArray chain(quint32 start, const QVector<quint32> &table, qint64 size, const QByteArray *mini = nullptr,
                     int miniSize = 0) const
    {
        QByteArray bytes;
        QVector<bool> passed(table.size());
        for (quint32 at = start; at < quint32(table.size()) && (size < 0 || bytes.size() < size); at = table.at(int(at))) {
            if (passed.at(int(at)))
                return QByteArray();
            passed[int(at)] = true;
            const QByteArray next = sector(at, mini, miniSize);
            if (next.isEmpty())
                return QByteArray();
            bytes += next;
        }
        return size < 0 ? bytes : bytes.left(size);
    }

    void readFat()
    {
        QVector<quint32> fatSectors;
        for (int i = 0; i < 109; ++i)
            fatSectors.append(u32(m_file, 0x4C + i * 4));
        // No count is taken beyond the sectors the file has: a damaged list
        // of FAT sectors can name itself as its next.
        const quint32 sectors = quint32(m_file.size() / m_sectorSize);
        quint32 dif = u32(m_file, 0x44);
        for (quint32 count = qMin(u32(m_file, 0x48), sectors); count > 0 && dif < endOfChain - 5; --count) {
            const QByteArray block = sector(dif);
            for (int i = 0; i + 4 < block.size(); i += 4)
                fatSectors.append(u32(block, i));
            dif = u32(block, block.size() - 4);
        }
        const quint32 fatCount = std::min({u32(m_file, 0x2C), quint32(fatSectors.size()), sectors});
        QByteArray fat;
        for (quint32 i = 0; i < fatCount; ++i)
            fat += sector(fatSectors.at(int(i)));
        m_fat = toEntries(fat);
    }

    const QByteArray &m_file;
    int m_sectorSize = 512;
    QVector<quint32> m_fat;
};

} // namespace

QByteArray compoundFileStream(const QByteArray &file, const QString &streamName)
{
    return Reader(file).stream(streamName);
}
