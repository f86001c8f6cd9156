// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/SheetOutline.h"
#include "fileformats/ZipArchive.h"

#include <QHash>

#include <QString>
#include <QStringList>

class WorkbookEdits;

// What LibreOffice loses when it stores an .xlsx or .xlsm, put back into the
// stored file from the original, each put-back following what the edit did:
// workbook protection and very hidden sheets, the VBA project, embedded
// documents and header/footer pictures, page setup, default row heights,
// selections and font names. What the put-backs wrote is checked
// (PutBackCheck); a put-back that fails, or whose output does not pass, is
// left out and the others kept, so that the file is never worse than
// LibreOffice's own store. Fails (AutomationFailure) when the stored
// workbook would lose something that cannot be put back; the stored file is
// then as LibreOffice wrote it, and is not used.
namespace OriginalParts {

struct Outcome
{
    ZipArchive archive;
    // One line for each put-back left out, and why: for reports.
    QStringList leftOut;
};

// outlines: what was read of the original's sheets before loading, by part.
Outcome restore(const ZipArchive &original, const ZipArchive &stored, const WorkbookEdits &edits,
                const QString &originalPath, const QHash<QString, SheetOutline> &outlines = {});
// The same over files, the stored file rewritten in place; gives what was
// left out, or an empty string.
QString restore(const QString &originalPath, const QString &storedPath, const WorkbookEdits &edits,
                const QHash<QString, SheetOutline> &outlines = {});

} // namespace OriginalParts
