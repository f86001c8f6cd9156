// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Whether an .xlsx or .xlsm file locks its workbook structure (no sheet may
// be added, removed or moved). LibreOffice neither reports that lock nor
// writes it back, so it is read from the file itself. False for other
// formats and for files that cannot be read.
bool hasLockedStructure(const QString &path);
