// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <rtl/ustring.hxx>

using rtl::OUString;

// Both sides are UTF-16, so the conversion is a copy.
inline QString toQString(const OUString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getStr()), text.getLength());
}

inline OUString toOUString(const QString &text)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(text.utf16()), text.size());
}
