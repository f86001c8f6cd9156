// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The SHA-256 of a file's bytes in hexadecimal, or empty when it cannot be
// read: what tells a workbook a job wrote from one edited since.
QString fileChecksum(const QString &path);
