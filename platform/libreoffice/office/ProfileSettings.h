// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Settings written into a private profile before its soffice starts. Calc's
// sheets get the 16,384 columns of the file formats it edits: by default
// LibreOffice 7 keeps 1,024, and would drop the columns beyond them.
bool writeProfileSettings(const QString &profileFolder, QString *whyNot);
