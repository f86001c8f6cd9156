// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StoredPackage;
class WorkbookEdits;

// LibreOffice writes some cells' fonts under other names than the file gave
// them (a cell of Chinese text in 微软雅黑 or Courier New comes back in the
// font that drew it, "Noto Sans CJK SC"), merging fonts that differed only
// by name. Each such cell, matched with the original cell for cell
// (followed through the edit's inserted and deleted lines), gets a cell
// format of its own whose font has the original name; LibreOffice's fonts
// and formats stay as they are for the rest.
namespace FontNames {

void restore(StoredPackage &package, const WorkbookEdits &edits);

} // namespace FontNames
