// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StoredPackage;

// LibreOffice stores a macro workbook's VBA project as it re-exports it
// from what it imported, smaller and not the same. The original project
// (and its digital signature) comes back byte for byte, with the content
// types and relationships pointing at it, and the code names that tie the
// project's document modules to the workbook and its sheets. Those are
// matched by sheet name: a sheet the edit added has none, and Excel gives
// it a free one with its module when it opens the file.
namespace MacroProject {

void restore(StoredPackage &package);

} // namespace MacroProject
