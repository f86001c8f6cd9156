#include "platform/libreoffice/WorkbookProtection.h"

#include <QFile>
#include <QRegularExpression>

#include <zlib.h>

namespace {

// Workbook parts are small; anything larger is not read.
const quint32 largestPart = 64u << 20;

quint32 little16(const QByteArray &bytes, qint64 at)
{
    if (at < 0 || at + 2 > bytes.size())
        return 0;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8;
}

quint32 little32(const QByteArray &bytes, qint64 at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    return little16(bytes, at) | little16(bytes, at + 2) << 16;
}

QByteArray inflateRaw(const QByteArray &compressed, quint32 expectedSize)
{
    if (expectedSize > largestPart)
        return QByteArray();
    QByteArray out(int(expectedSize), Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return QByteArray();
    out.resize(int(stream.total_out));
    return out;
}

// One member of a zip archive, found through its central directory.
QByteArray zipMember(const QByteArray &archive, const QByteArray &name)
{
    qint64 end = archive.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        return QByteArray();
    const quint32 entries = little16(archive, end + 10);
    qint64 at = little32(archive, end + 16);
    for (quint32 i = 0; i < entries && little32(archive, at) == 0x02014b50; ++i) {
        const quint32 method = little16(archive, at + 10);
        const quint32 compressedSize = little32(archive, at + 20);
        const quint32 size = little32(archive, at + 24);
        const quint32 nameLength = little16(archive, at + 28);
        const quint32 extraLength = little16(archive, at + 30);
        const quint32 commentLength = little16(archive, at + 32);
        const quint32 local = little32(archive, at + 42);
        if (archive.mid(at + 46, nameLength) == name) {
            const qint64 data = qint64(local) + 30 + little16(archive, local + 26) + little16(archive, local + 28);
            if (little32(archive, local) != 0x04034b50 || data + compressedSize > archive.size())
                return QByteArray();
            const QByteArray stored = archive.mid(data, compressedSize);
            if (method == 0)
                return stored;
            return method == 8 ? inflateRaw(stored, size) : QByteArray();
        }
        at += 46 + nameLength + extraLength + commentLength;
    }
    return QByteArray();
}

} // namespace

bool hasLockedStructure(const QString &path)
{
    const QString lower = path.toLower();
    if (!lower.endsWith(QLatin1String(".xlsx")) && !lower.endsWith(QLatin1String(".xlsm")))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray workbook = zipMember(file.readAll(), QByteArrayLiteral("xl/workbook.xml"));
    static const QRegularExpression lock(
        QStringLiteral("<(?:\\w+:)?workbookProtection\\b[^>]*\\blockStructure\\s*=\\s*[\"'](?:1|true)[\"']"));
    return lock.match(QString::fromUtf8(workbook)).hasMatch();
}
