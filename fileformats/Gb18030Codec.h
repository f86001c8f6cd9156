// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTextCodec>

// GB18030 as Qt's own "GB18030" codec, but for the four-byte sequences of the
// supplementary planes (0x90308130 to 0xE3329A35), which Qt's built-in codec
// (the one without ICU, as on Windows) cuts to one UTF-16 unit on reading:
// those are read here, as the surrogate pair they stand for. A sequence is
// not carried from one call to the next; texts are read whole.
class Gb18030Codec : public QTextCodec
{
public:
    static Gb18030Codec *instance();

    QByteArray name() const override;
    int mibEnum() const override;

protected:
    QString convertToUnicode(const char *in, int length, ConverterState *state) const override;
    QByteArray convertFromUnicode(const QChar *in, int length, ConverterState *state) const override;

private:
    Gb18030Codec();
    QTextCodec *const m_qt;
};
