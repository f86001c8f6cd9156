// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/ZipArchive.h"

#include <QSet>
#include <QtEndian>

#include <zlib.h>

namespace {

const quint32 localHeader = 0x04034b50;
const quint32 centralHeader = 0x02014b50;
const quint32 endOfCentralDirectory = 0x06054b50;
const quint16 deflated = 8;
// Workbook parts are small; a member claiming more is taken for damage.
const quint32 largestMember = 256u << 20;

quint16 little16(const QByteArray &bytes, qint64 at)
{
    if (at < 0 || at + 2 > bytes.size())
        return 0;
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 little32(const QByteArray &bytes, qint64 at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

void append16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void append32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray deflateRaw(const QByteArray &content)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out(int(deflateBound(&stream, uLong(content.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(content.constData()));
    stream.avail_in = uInt(content.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return QByteArray();
    out.resize(int(stream.total_out));
    return out;
}

quint32 crcOf(const QByteArray &content)
{
    return quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(content.constData()),
                         uInt(content.size())));
}

} // namespace

bool ZipArchive::read(const QByteArray &archive)
{
    m_entries.clear();
    const qint64 end = archive.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        return false;
    const quint16 count = little16(archive, end + 10);
    qint64 at = little32(archive, end + 16);
    QSet<QByteArray> names;
    for (quint16 i = 0; i < count; ++i) {
        if (little32(archive, at) != centralHeader)
            return false;
        Entry entry;
        entry.method = little16(archive, at + 10);
        entry.time = little16(archive, at + 12);
        entry.date = little16(archive, at + 14);
        entry.crc = little32(archive, at + 16);
        const quint32 compressedSize = little32(archive, at + 20);
        entry.size = little32(archive, at + 24);
        const quint16 nameLength = little16(archive, at + 28);
        const quint16 extraLength = little16(archive, at + 30);
        const quint16 commentLength = little16(archive, at + 32);
        const quint32 local = little32(archive, at + 42);
        entry.name = archive.mid(at + 46, nameLength);
        if (compressedSize == 0xffffffffu || entry.size == 0xffffffffu || little32(archive, local) != localHeader)
            return false;
        // Which of two members of one name counts is anyone's guess:
        // LibreOffice refuses such an archive.
        if (names.contains(entry.name))
            return false;
        names.insert(entry.name);
        const qint64 data = qint64(local) + 30 + little16(archive, local + 26) + little16(archive, local + 28);
        if (data + compressedSize > archive.size())
            return false;
        entry.stored = archive.mid(data, compressedSize);
        m_entries.append(entry);
        at += 46 + nameLength + extraLength + commentLength;
    }
    return true;
}

const ZipArchive::Entry *ZipArchive::find(const QString &name) const
{
    const QByteArray wanted = name.toUtf8();
    for (const Entry &entry : m_entries)
        if (entry.name == wanted)
            return &entry;
    return nullptr;
}

QStringList ZipArchive::names() const
{
    QStringList names;
    for (const Entry &entry : m_entries)
        names.append(QString::fromUtf8(entry.name));
    return names;
}

bool ZipArchive::contains(const QString &name) const
{
    return find(name) != nullptr;
}

QByteArray ZipArchive::member(const QString &name) const
{
    QByteArray content("", 0);
    // Room for what the member declares, up to what any workbook part holds:
    // a large sheet is not copied over and over as it grows.
    if (const Entry *entry = find(name))
        content.reserve(int(qMin(entry->size, largestMember)));
    const auto append = [&content](const QByteArray &piece) {
        content.append(piece);
        return true;
    };
    return readMember(name, append) ? content : QByteArray();
}

bool ZipArchive::readMember(const QString &name, const std::function<bool(const QByteArray &piece)> &take) const
{
    const Entry *entry = find(name);
    return entry && inflatePieces(*entry, take);
}

// Read whole, the member is known to match its checksum from then on.
bool ZipArchive::inflatePieces(const Entry &entry, const std::function<bool(const QByteArray &piece)> &take)
{
    bool whole = true;
    const bool read = inflateUntil(entry, [&](const QByteArray &piece) { return whole = take(piece); });
    if (read && whole)
        entry.matching = true;
    return read;
}

bool ZipArchive::inflateUntil(const Entry &entry, const std::function<bool(const QByteArray &piece)> &take)
{
    if (entry.method == 0) {
        if (crcOf(entry.stored) != entry.crc || quint32(entry.stored.size()) != entry.size)
            return false;
        take(entry.stored);
        return true;
    }
    if (entry.method != deflated || entry.size > largestMember)
        return false;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(entry.stored.constData()));
    stream.avail_in = uInt(entry.stored.size());
    // Below malloc's threshold for mapping fresh pages: the buffer comes from
    // the heap again for every member, without a page fault per page.
    QByteArray piece(1 << 16, Qt::Uninitialized);
    uLong crc = crc32(0, nullptr, 0);
    int result = Z_OK;
    bool taking = true;
    while (taking && result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(piece.data());
        stream.avail_out = uInt(piece.size());
        result = inflate(&stream, Z_NO_FLUSH);
        const uInt produced = uInt(piece.size()) - stream.avail_out;
        // Past the declared size is damage: a small member could otherwise
        // inflate to gigabytes.
        if ((result != Z_OK && result != Z_STREAM_END) || stream.total_out > entry.size)
            break;
        crc = crc32(crc, reinterpret_cast<const Bytef *>(piece.constData()), produced);
        taking = take(QByteArray::fromRawData(piece.constData(), int(produced)));
        if (result == Z_OK && produced == 0 && stream.avail_in == 0)
            break;
    }
    const bool whole = result == Z_STREAM_END && stream.total_out == entry.size && quint32(crc) == entry.crc;
    inflateEnd(&stream);
    return whole || !taking;
}

quint64 ZipArchive::contentStamp(const QString &name) const
{
    const Entry *entry = find(name);
    return entry ? (quint64(entry->crc) << 32 | entry->size) : 0;
}

bool ZipArchive::isOversized(const QString &name) const
{
    const Entry *entry = find(name);
    return entry && entry->size > largestMember;
}

QString ZipArchive::damagedMember() const
{
    const auto takeAll = [](const QByteArray &) { return true; };
    for (const Entry &entry : m_entries)
        if (!entry.matching && !inflatePieces(entry, takeAll))
            return QString::fromUtf8(entry.name);
    return QString();
}

void ZipArchive::trustMatchingAs(const ZipArchive &checked)
{
    for (Entry &entry : m_entries) {
        const Entry *same = checked.find(QString::fromUtf8(entry.name));
        if (same && same->matching && same->method == entry.method && same->crc == entry.crc
            && same->size == entry.size && same->stored == entry.stored)
            entry.matching = true;
    }
}

bool ZipArchive::copyMember(const ZipArchive &from, const QString &name, const QString &as)
{
    const Entry *source = from.find(name);
    if (!source)
        return false;
    Entry copy = *source;
    copy.name = as.toUtf8();
    if (Entry *entry = const_cast<Entry *>(find(as)))
        *entry = copy;
    else
        m_entries.append(copy);
    return true;
}

void ZipArchive::replace(const QString &name, const QByteArray &content)
{
    // Looked up through the vector itself, so that an archive copied before
    // keeps its own members.
    const QByteArray wanted = name.toUtf8();
    Entry *entry = nullptr;
    for (Entry &present : m_entries)
        if (present.name == wanted)
            entry = &present;
    if (!entry) {
        m_entries.append(Entry());
        entry = &m_entries.last();
        entry->name = name.toUtf8();
        entry->date = (1 << 5) | 1; // 1980-01-01, the first day a zip date holds
    }
    entry->method = deflated;
    entry->matching = false;
    entry->crc = crcOf(content);
    entry->size = quint32(content.size());
    entry->stored = deflateRaw(content);
}

// The fields a member's local header and its directory entry share, from
// the method to the name's length.
void ZipArchive::appendSharedFields(QByteArray &out, const Entry &entry)
{
    append16(out, entry.method);
    append16(out, entry.time);
    append16(out, entry.date);
    append32(out, entry.crc);
    append32(out, quint32(entry.stored.size()));
    append32(out, entry.size);
    append16(out, quint16(entry.name.size()));
}

QByteArray ZipArchive::bytes() const
{
    const quint16 deflateVersion = 20;
    QByteArray out;
    QByteArray directory;
    for (const Entry &entry : m_entries) {
        const quint32 offset = quint32(out.size());
        append32(out, localHeader);
        append16(out, deflateVersion);
        append16(out, 0); // flags: the sizes are in this header
        appendSharedFields(out, entry);
        append16(out, 0); // extra
        out.append(entry.name);
        out.append(entry.stored);

        append32(directory, centralHeader);
        append16(directory, deflateVersion); // made by
        append16(directory, deflateVersion); // needed
        append16(directory, 0);              // flags
        appendSharedFields(directory, entry);
        append16(directory, 0); // extra
        append16(directory, 0); // comment
        append16(directory, 0); // disk
        append16(directory, 0); // internal attributes
        append32(directory, 0); // external attributes
        append32(directory, offset);
        directory.append(entry.name);
    }
    const quint32 directoryOffset = quint32(out.size());
    out.append(directory);
    append32(out, endOfCentralDirectory);
    append16(out, 0);
    append16(out, 0);
    append16(out, quint16(m_entries.size()));
    append16(out, quint16(m_entries.size()));
    append32(out, quint32(directory.size()));
    append32(out, directoryOffset);
    append16(out, 0);
    return out;
}
