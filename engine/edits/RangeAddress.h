// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Whether text is a range in one of the forms the form shows (A1, B2:D2,
// B:B, B:D, 1:1, 1:9, with or without $), inside the largest sheet of the
// formats edited (1,048,576 rows, 16,384 columns, up to XFD).
bool isRangeAddress(const QString &text);
