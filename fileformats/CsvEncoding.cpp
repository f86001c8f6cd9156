// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/CsvEncoding.h"

#include "fileformats/Gb18030Codec.h"

#include <QCoreApplication>
#include <QTextCodec>

namespace {

const QByteArray utf8Mark("\xEF\xBB\xBF");
const QByteArray utf16LittleEndianMark("\xFF\xFE");
const QByteArray utf16BigEndianMark("\xFE\xFF");

bool isValidUtf8(const char *data, qsizetype size)
{
    const int piece = 1 << 20;
    QTextCodec::ConverterState state;
    QTextCodec *const utf8 = QTextCodec::codecForName("UTF-8");
    for (qsizetype at = 0; at < size; at += piece) {
        utf8->toUnicode(data + at, int(qMin<qsizetype>(piece, size - at)), &state);
        if (state.invalidChars != 0)
            return false;
    }
    return state.remainingChars == 0;
}

bool isHigh(quint8 byte)
{
    return byte >= 0x80;
}

// How the bytes fit GB18030: one byte below 0x80, two bytes from a lead
// 0x81-0xFE, or four bytes with digits second and fourth.
struct Gb18030Fit
{
    bool valid = true;
    int characters = 0;
    // Pairs whose second byte is an ASCII letter or sign: a Western accented
    // letter before a plain one ("Mü" + "ller") looks the same.
    int pairsEndingInAscii = 0;

    explicit Gb18030Fit(const QByteArray &bytes)
    {
        const int size = bytes.size();
        for (int i = 0; i < size && valid;) {
            const quint8 lead = quint8(bytes.at(i));
            if (!isHigh(lead)) {
                ++i;
                continue;
            }
            const quint8 second = i + 1 < size ? quint8(bytes.at(i + 1)) : 0;
            valid = lead >= 0x81 && lead <= 0xFE;
            if (valid && second >= 0x30 && second <= 0x39) {
                const quint8 third = i + 2 < size ? quint8(bytes.at(i + 2)) : 0;
                const quint8 fourth = i + 3 < size ? quint8(bytes.at(i + 3)) : 0;
                valid = third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39;
                i += 4;
            } else {
                valid = valid && ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE));
                pairsEndingInAscii += second < 0x80 ? 1 : 0;
                i += 2;
            }
            ++characters;
        }
    }
};

// How the bytes fit Shift-JIS as Windows writes it (code page 932).
struct ShiftJisFit
{
    bool valid = true;
    int halfWidthKatakana = 0;
    // Full-width hiragana and katakana: Chinese text read as Shift-JIS never
    // gives them, its lead bytes being 0xA1 and above.
    int kana = 0;

    explicit ShiftJisFit(const QByteArray &bytes)
    {
        const int size = bytes.size();
        for (int i = 0; i < size && valid;) {
            const quint8 lead = quint8(bytes.at(i));
            if (!isHigh(lead)) {
                ++i;
            } else if (lead >= 0xA1 && lead <= 0xDF) {
                ++halfWidthKatakana;
                ++i;
            } else {
                const quint8 second = i + 1 < size ? quint8(bytes.at(i + 1)) : 0;
                valid = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF) || (lead >= 0xFA && lead <= 0xFC))
                        && ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFC));
                kana += (lead == 0x82 && second >= 0x9F && second <= 0xF1) || (lead == 0x83 && second <= 0x96) ? 1 : 0;
                i += 2;
            }
        }
    }
};

// Western text in Windows-1252: its bytes outside ASCII stand alone or two
// together (é, ß, “ and ”), or are a few letters in a row (æøå), never the
// long runs of CJK or Cyrillic text, and none is one of the five bytes the
// code page leaves undefined.
bool isWindows1252Letter(quint8 byte)
{
    return (byte >= 0xC0 && byte != 0xD7 && byte != 0xF7) || byte == 0x8A || byte == 0x8C || byte == 0x8E
           || byte == 0x9A || byte == 0x9C || byte == 0x9E || byte == 0x9F;
}

bool fitsWindows1252(const QByteArray &bytes)
{
    int run = 0;
    bool lettersOnly = true;
    for (const char byte : bytes) {
        const quint8 value = quint8(byte);
        if (value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D)
            return false;
        if (!isHigh(value)) {
            run = 0;
            lettersOnly = true;
            continue;
        }
        ++run;
        lettersOnly = lettersOnly && isWindows1252Letter(value);
        if (run > (lettersOnly ? 4 : 2))
            return false;
    }
    return true;
}

} // namespace

CsvEncoding CsvEncoding::of(const QByteArray &content)
{
    CsvEncoding encoding;
    // UTF-32 is checked first: its little-endian mark starts like UTF-16's.
    if (content.startsWith(QByteArray("\xFF\xFE\x00\x00", 4)) || content.startsWith(QByteArray("\x00\x00\xFE\xFF", 4))) {
        encoding.problem = QCoreApplication::translate("Engine", "its text is UTF-32, which LibreOffice cannot read");
        return encoding;
    }
    if (content.startsWith(utf16LittleEndianMark) || content.startsWith(utf16BigEndianMark)) {
        encoding.kind = content.startsWith(utf16LittleEndianMark) ? Utf16LittleEndian : Utf16BigEndian;
        encoding.byteOrderMark = content.left(2);
        return encoding;
    }
    if (content.startsWith(utf8Mark)) {
        encoding.byteOrderMark = utf8Mark;
        if (isValidUtf8(content.constData() + 3, content.size() - 3))
            encoding.kind = Utf8;
        else
            encoding.problem = QCoreApplication::translate(
                "Engine", "it starts with a UTF-8 byte order mark but its text is not UTF-8");
        return encoding;
    }
    if (isValidUtf8(content.constData(), content.size())) {
        encoding.kind = Utf8;
        return encoding;
    }

    const Gb18030Fit gb(content);
    const ShiftJisFit shiftJis(content);
    const bool western = fitsWindows1252(content);
    if (gb.valid && gb.pairsEndingInAscii == 0 && !(shiftJis.valid && shiftJis.kana > 0))
        encoding.kind = Gb18030;
    else if (shiftJis.valid && (shiftJis.kana > 0 || (shiftJis.halfWidthKatakana > 0 && !gb.valid && !western)))
        encoding.kind = ShiftJis;
    else if (western)
        encoding.kind = Windows1252;
    else if (gb.valid)
        encoding.kind = Gb18030;
    else
        encoding.problem = QCoreApplication::translate(
            "Engine", "the encoding of its text cannot be told with confidence (it is not UTF-8, GB18030, "
                      "Shift-JIS or Windows-1252 text)");
    return encoding;
}

QTextCodec *CsvEncoding::codec() const
{
    switch (kind) {
    case Utf8:
        return QTextCodec::codecForName("UTF-8");
    case Utf16LittleEndian:
        return QTextCodec::codecForName("UTF-16LE");
    case Utf16BigEndian:
        return QTextCodec::codecForName("UTF-16BE");
    case Gb18030:
        return Gb18030Codec::instance();
    case ShiftJis:
        return QTextCodec::codecForName("Shift_JIS");
    case Windows1252:
        return QTextCodec::codecForName("windows-1252");
    case Unknown:
        break;
    }
    return nullptr;
}

int CsvEncoding::unitSize() const
{
    return kind == Utf16LittleEndian || kind == Utf16BigEndian ? 2 : 1;
}

QString CsvEncoding::name() const
{
    const char *names[] = {"UTF-8", "UTF-16LE", "UTF-16BE", "GB18030", "Shift-JIS", "Windows-1252", "unknown"};
    return QString::fromLatin1(names[kind]);
}
