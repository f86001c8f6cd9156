// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The settings file: 8-bit text lines key=value ending in CR LF (a bare LF is
// read as a line end too).

// The value of the first "key=" in the text, spaces and tabs trimmed; empty
// when the key is absent.
QByteArray readSetting(const QByteArray &text, const QByteArray &key);

// Replaces the first "key=" line of the file, or appends one; the other lines
// stay as they are. A missing file is created. Returns -1, writing nothing,
// when the file cannot be read or written, else 0.
int writeSetting(const QString &path, const QByteArray &key, const QByteArray &value);
