// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/OriginalParts.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/ZipArchive.h"
#include "fileformats/putback/DefaultRowHeight.h"
#include "fileformats/putback/EmbeddedObjects.h"
#include "fileformats/putback/FontNames.h"
#include "fileformats/putback/MacroProject.h"
#include "fileformats/putback/PageSetup.h"
#include "fileformats/putback/SheetPairs.h"
#include "fileformats/putback/SheetSelection.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

namespace OriginalParts {

namespace {

ZipArchive readArchive(const QString &path)
{
    QFile file(path);
    ZipArchive archive;
    if (!file.open(QIODevice::ReadOnly) || !archive.read(file.readAll()))
        fail(QCoreApplication::translate("Engine", "cannot read %1 as a workbook archive").arg(path));
    return archive;
}

} // namespace

void restore(const QString &originalPath, const QString &storedPath, const WorkbookEdits &edits)
{
    const ZipArchive original = readArchive(originalPath);
    ZipArchive stored = readArchive(storedPath);
    const QByteArray before = stored.bytes();
    OoxmlWorkbookParts::restore(original, stored, originalPath);
    {
        SheetPairs sheets(original, stored);
        MacroProject::restore(original, stored, sheets);
        EmbeddedObjects::restore(original, stored, sheets, edits);
        PageSetup::restore(sheets);
        DefaultRowHeight::restore(sheets, edits);
        SheetSelection::restore(sheets, edits);
        FontNames::restore(original, stored, sheets, edits);
        sheets.write();
    }
    const QByteArray after = stored.bytes();
    if (after == before)
        return;
    QSaveFile file(storedPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(after) < 0 || !file.commit())
        fail(QCoreApplication::translate("Engine", "cannot write %1").arg(storedPath));
}

} // namespace OriginalParts
