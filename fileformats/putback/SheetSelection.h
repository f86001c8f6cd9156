// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StoredPackage;
class WorkbookEdits;

// LibreOffice puts the active cell of many sheets back on A1. Each sheet's
// first view gets the original's selections back, moved with the rows and
// columns the edit inserted or deleted. Where LibreOffice wrote other panes
// than the original had, or cells moved within a block, its own selection
// stays.
namespace SheetSelection {

void restore(StoredPackage &package, const WorkbookEdits &edits);

} // namespace SheetSelection
