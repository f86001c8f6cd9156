#pragma once

#include <QString>

// Whether an .xlsx or .xlsm file locks its workbook structure (no sheet may
// be added, removed or moved). LibreOffice 7.4 neither reports nor keeps that
// lock, so it is read from the file itself. False for other formats and for
// files that cannot be read.
bool hasLockedStructure(const QString &path);
