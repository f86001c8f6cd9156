// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Reads one stream out of an OLE compound file, the container of .xls
// workbooks. Empty when the file is not one or the stream is not there; a
// damaged file gives empty, never a crash or an endless loop.
QByteArray compoundFileStream(const QByteArray &file, const QString &streamName);
