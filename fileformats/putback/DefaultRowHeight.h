// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StoredPackage;
class WorkbookEdits;

// A row a file stores without a height takes the sheet's default, which
// Excel works out for its default font (15.6 pt for a Chinese one, 13.15
// pt...). LibreOffice writes its own default and gives every row it stores
// the height its fonts make, so such rows change height in Excel. The
// sheet's default comes back as the original states it, and the rows the
// original left at the default lose the height LibreOffice gave them
// (rows the edit inserted keep theirs). A row of no height, which
// LibreOffice opens at its default, gets none again.
namespace DefaultRowHeight {

void restore(StoredPackage &package, const WorkbookEdits &edits);

} // namespace DefaultRowHeight
