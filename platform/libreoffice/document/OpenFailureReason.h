// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ZipArchive;

// Why LibreOffice did not open a healthy workbook for editing, looked for
// when it refused one or opened it read-only: its folder cannot be written
// (read-only, immutable), the disk is full, its name leaves no room for
// LibreOffice's lock file, or the workbook is reserved for writing. Empty when
// none of these holds; archive is the .xlsx/.xlsm's, or null.
QString whyNotOpenedForEditing(const QString &path, const ZipArchive *archive);
