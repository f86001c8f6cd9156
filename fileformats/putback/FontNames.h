// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class SheetPairs;
class WorkbookEdits;
class ZipArchive;

// LibreOffice writes some cells' fonts under other names than the file gave
// them (a cell of Chinese text in 微软雅黑 or Courier New comes back in the
// font that drew it, "Noto Sans CJK SC"), merging fonts that differed only
// by name. Each such cell, matched with the original cell for cell
// (followed through the edit's inserted and deleted lines), gets a cell
// format of its own whose font has the original name as the original
// spells it; LibreOffice's fonts and formats stay as they are for the rest.
namespace FontNames {

void restore(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets, const WorkbookEdits &edits);

} // namespace FontNames
