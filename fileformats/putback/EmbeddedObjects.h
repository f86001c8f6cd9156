// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StoredPackage;
class WorkbookEdits;

// LibreOffice drops the documents embedded in a sheet (Word, PowerPoint,
// OLE objects) with their preview pictures, and the pictures of headers and
// footers. They come back from the original: the embedded parts, the
// sheet's oleObjects (with the markup-compatibility choices Excel wraps them
// in) and the drawing shapes showing them, and the header/footer drawing.
// Embedded objects sit on cells, so on a sheet whose rows or columns the
// edit moved they are left out rather than put where the cells no longer
// are.
namespace EmbeddedObjects {

void restore(StoredPackage &package, const WorkbookEdits &edits);

} // namespace EmbeddedObjects
