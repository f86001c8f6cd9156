// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class SheetPairs;
class WorkbookEdits;
class ZipArchive;

// LibreOffice writes some fonts under other names than the file gave them
// (a CJK font such as 宋体 or 微软雅黑 comes back as the font it stood in with,
// "Noto Sans CJK SC"), and orders the workbook's fonts its own way. Each
// font of the stored workbook whose cells all had one font name in the
// original, cell for cell (followed through the edit's inserted and
// deleted lines), gets that name back as the original spells it. A font
// shared by cells of different original names keeps LibreOffice's.
namespace FontNames {

void restore(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets, const WorkbookEdits &edits);

} // namespace FontNames
