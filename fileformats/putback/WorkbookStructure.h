// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StoredPackage;

// LibreOffice writes an empty workbook protection and knows only hidden
// sheets. The original's workbook protection comes back, and the sheets it
// hid so that only a macro can show them again get that state back.
namespace WorkbookStructure {

void restore(StoredPackage &package);

} // namespace WorkbookStructure
