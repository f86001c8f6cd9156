// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/OriginalParts.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/putback/DefaultRowHeight.h"
#include "fileformats/putback/EmbeddedObjects.h"
#include "fileformats/putback/FontNames.h"
#include "fileformats/putback/MacroProject.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/PageSetup.h"
#include "fileformats/putback/PutBackCheck.h"
#include "fileformats/putback/SheetSelection.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorkbookStructure.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <functional>

namespace OriginalParts {

namespace {

struct PutBack
{
    const char *what;
    std::function<void(StoredPackage &, const WorkbookEdits &)> apply;
};

const QVector<PutBack> &putBacks()
{
    static const QVector<PutBack> list{
        {QT_TRANSLATE_NOOP("Engine", "the workbook protection and very hidden sheets"),
         [](StoredPackage &package, const WorkbookEdits &) { WorkbookStructure::restore(package); }},
        {QT_TRANSLATE_NOOP("Engine", "the VBA project"),
         [](StoredPackage &package, const WorkbookEdits &) { MacroProject::restore(package); }},
        {QT_TRANSLATE_NOOP("Engine", "the embedded documents and header/footer pictures"), EmbeddedObjects::restore},
        {QT_TRANSLATE_NOOP("Engine", "the page setup"),
         [](StoredPackage &package, const WorkbookEdits &) { PageSetup::restore(package); }},
        {QT_TRANSLATE_NOOP("Engine", "the default row heights"), DefaultRowHeight::restore},
        {QT_TRANSLATE_NOOP("Engine", "the selections"), SheetSelection::restore},
        {QT_TRANSLATE_NOOP("Engine", "the font names"), FontNames::restore},
    };
    return list;
}

QString leftOut(const char *what, const QString &why)
{
    return QCoreApplication::translate("Engine", "%1 of the original could not be kept (%2)")
        .arg(QCoreApplication::translate("Engine", what), why);
}

// Applies the put-back, or leaves the package as it was when it fails.
bool apply(const PutBack &putBack, StoredPackage &package, const WorkbookEdits &edits, QStringList &notes)
{
    const StoredPackage before = package;
    try {
        putBack.apply(package, edits);
        return true;
    } catch (const AutomationFailure &failure) {
        package = before;
        notes.append(leftOut(putBack.what, failure.description));
        return false;
    }
}

ZipArchive readArchive(const QString &path)
{
    QFile file(path);
    ZipArchive archive;
    if (!file.open(QIODevice::ReadOnly) || !archive.read(file.readAll()))
        fail(QCoreApplication::translate("Engine", "cannot read %1 as a workbook archive").arg(path));
    return archive;
}

} // namespace

Outcome restore(const ZipArchive &original, const ZipArchive &stored, const WorkbookEdits &edits,
                const QString &originalPath, const QHash<QString, SheetOutline> &outlines)
{
    OoxmlWorkbookParts::refuseLostLinks(original, stored, originalPath);
    if (!stored.contains(PackageParts::workbookPart(stored)))
        fail(QStringLiteral("LibreOffice wrote no workbook part for %1").arg(originalPath));
    std::unique_ptr<StoredPackage> start;
    try {
        start = std::make_unique<StoredPackage>(original, stored, outlines);
    } catch (const AutomationFailure &failure) {
        return {stored, {leftOut(QT_TRANSLATE_NOOP("Engine", "everything LibreOffice drops"), failure.description)}};
    }
    PutBackCheck check(stored);
    // Every put-back at once, checked once; only when that fails, one by
    // one, each checked, to find which to leave out.
    StoredPackage package = *start;
    QStringList notes;
    for (const PutBack &putBack : putBacks())
        apply(putBack, package, edits, notes);
    const QHash<QString, XmlPart> read = package.storedSheets();
    for (auto it = read.constBegin(); it != read.constEnd(); ++it)
        check.knowStoredSheet(it.key(), it.value());
    ZipArchive output = package.archive();
    if (check.problem(output, package.changedNames(), package.writtenSheets()).isEmpty())
        return {output, notes};

    package = *start;
    notes.clear();
    for (const PutBack &putBack : putBacks()) {
        const StoredPackage before = package;
        if (!apply(putBack, package, edits, notes))
            continue;
        const QString problem = check.problem(package.archive(), package.changedNames(), package.writtenSheets());
        if (!problem.isEmpty()) {
            package = before;
            notes.append(leftOut(putBack.what, problem));
        }
    }
    return {package.archive(), notes};
}

QString restore(const QString &originalPath, const QString &storedPath, const WorkbookEdits &edits,
                const QHash<QString, SheetOutline> &outlines)
{
    const ZipArchive original = readArchive(originalPath);
    const ZipArchive stored = readArchive(storedPath);
    const Outcome outcome = restore(original, stored, edits, originalPath, outlines);
    const QByteArray before = stored.bytes();
    const QByteArray after = outcome.archive.bytes();
    if (after != before) {
        QSaveFile file(storedPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(after) < 0 || !file.commit())
            fail(QStringLiteral("cannot write %1").arg(storedPath));
    }
    return outcome.leftOut.join(QStringLiteral("; "));
}

} // namespace OriginalParts
