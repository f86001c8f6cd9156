// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Whether a workbook file is encrypted with a password to open it: an
// encrypted .xlsx/.xlsm is an OLE compound file holding the streams
// EncryptionInfo and EncryptedPackage instead of a zip archive; an encrypted
// .xls has a FILEPASS record among its workbook's first records.
bool isEncryptedWorkbook(const QString &path);
