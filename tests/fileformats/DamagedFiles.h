// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

// Small real files of the shared corpus, read where they lie, and the
// damaged copies the tests make of them in memory.
namespace DamagedFiles {

inline QString corpusPath(const QString &relativePath)
{
    return QStringLiteral(GRIDWRIGHTER_CORPUS "/") + relativePath;
}

// Empty when the file cannot be read.
inline QByteArray corpusFile(const QString &relativePath)
{
    QFile file(corpusPath(relativePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray flipped(QByteArray bytes, int at)
{
    bytes[at] = char(~bytes.at(at));
    return bytes;
}

template <typename T>
QByteArray withLittleEndian(QByteArray bytes, int at, T value)
{
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
}

} // namespace DamagedFiles
