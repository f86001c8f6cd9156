// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/Gb18030Codec.h"

namespace {

bool isDigit(uchar byte)
{
    return byte >= 0x30 && byte <= 0x39;
}

bool isLead(uchar byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

// The code point of the four-byte sequence at bytes, or 0 when it is none
// of the supplementary planes'.
uint supplementaryAt(const uchar *bytes)
{
    if (bytes[0] < 0x90 || bytes[0] > 0xE3 || !isDigit(bytes[1]) || !isLead(bytes[2]) || !isDigit(bytes[3]))
        return 0;
    const uint offset =
        (uint(bytes[0]) - 0x90) * 12600 + (uint(bytes[1]) - 0x30) * 1260 + (uint(bytes[2]) - 0x81) * 10 + (bytes[3] - 0x30);
    return offset <= 0xFFFFF ? 0x10000 + offset : 0;
}

} // namespace

Gb18030Codec *Gb18030Codec::instance()
{
    // Made once and never deleted: Qt keeps every codec made to the end.
    static Gb18030Codec *const codec = new Gb18030Codec;
    return codec;
}

Gb18030Codec::Gb18030Codec()
    : m_qt(QTextCodec::codecForName("GB18030"))
{
}

QByteArray Gb18030Codec::name() const
{
    return QByteArrayLiteral("GB18030 (supplementary planes read whole)");
}

int Gb18030Codec::mibEnum() const
{
    // Not GB18030's own 114, which stays Qt's codec's.
    return -114;
}

QString Gb18030Codec::convertToUnicode(const char *in, int length, ConverterState *state) const
{
    const uchar *bytes = reinterpret_cast<const uchar *>(in);
    QString text;
    text.reserve(length);
    int runStart = 0;
    int at = 0;
    while (at < length) {
        if (!isLead(bytes[at])) {
            ++at;
            continue;
        }
        const bool fourBytes = at + 3 < length && isDigit(bytes[at + 1]);
        const uint codePoint = fourBytes ? supplementaryAt(bytes + at) : 0;
        if (codePoint == 0) {
            at += fourBytes ? 4 : 2;
            continue;
        }
        text += m_qt->toUnicode(in + runStart, at - runStart, state);
        text += QChar(QChar::highSurrogate(codePoint));
        text += QChar(QChar::lowSurrogate(codePoint));
        at += 4;
        runStart = at;
    }
    text += m_qt->toUnicode(in + runStart, length - runStart, state);
    return text;
}

QByteArray Gb18030Codec::convertFromUnicode(const QChar *in, int length, ConverterState *state) const
{
    return m_qt->fromUnicode(in, length, state);
}
