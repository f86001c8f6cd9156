// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class WorkbookEdits;

// What LibreOffice loses when it stores an .xlsx or .xlsm, put back into the
// stored file from the original, each put-back following what the edit did:
// workbook protection and very hidden sheets, the VBA project, embedded
// documents and header/footer pictures, page setup, default row heights,
// selections and font names. Fails (AutomationFailure) when the stored workbook would lose
// something that cannot be put back; the stored file is then as
// LibreOffice wrote it, and is not used.
namespace OriginalParts {

void restore(const QString &originalPath, const QString &storedPath, const WorkbookEdits &edits);

} // namespace OriginalParts
