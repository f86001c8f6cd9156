// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/MacroProject.h"

#include "fileformats/ZipArchive.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/SheetPairs.h"
#include "fileformats/putback/SheetXml.h"

namespace MacroProject {

namespace {

const QString projectType = QStringLiteral("http://schemas.microsoft.com/office/2006/relationships/vbaProject");

QString projectPart(const ZipArchive &archive, const QString &workbook)
{
    for (const PackageParts::Relationship &r : PackageParts::relationships(archive, workbook))
        if (r.type == projectType && !r.external)
            return r.target;
    return QString();
}

// The project's own relationships (its signatures) copied beside it.
void restoreProject(const ZipArchive &original, ZipArchive &stored, const QString &originalProject,
                    const QString &storedWorkbook)
{
    QString project = projectPart(stored, storedWorkbook);
    if (project.isEmpty()) {
        project = originalProject;
        PackageParts::addRelationship(stored, storedWorkbook, projectType, project);
    }
    stored.replace(project, original.member(originalProject));
    PackageParts::setContentType(stored, project, PackageParts::contentType(original, originalProject));
    const QString projectRelationships = PackageParts::relationshipsPart(project);
    if (stored.contains(projectRelationships))
        stored.replace(projectRelationships, QByteArray(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"></Relationships>"));
    QHash<QString, QString> copied;
    for (const PackageParts::Relationship &r : PackageParts::relationships(original, originalProject)) {
        const QString target = r.external ? r.target : PackageParts::copyPart(original, stored, r.target, copied);
        if (!target.isEmpty())
            PackageParts::addRelationship(stored, project, r.type, target, r.external);
    }
}

QByteArray withCodeName(QByteArray properties, const QByteArray &codeName)
{
    return SheetXml::withAttribute(properties, "codeName", codeName);
}

void restoreWorkbookCodeName(const ZipArchive &original, ZipArchive &stored, const QString &originalWorkbook,
                             const QString &storedWorkbook)
{
    const QByteArray originalXml = original.member(originalWorkbook);
    const SheetXml::Span originalProperties = SheetXml::find(originalXml, "workbookPr");
    const QByteArray codeName = SheetXml::attribute(SheetXml::text(originalXml, originalProperties), "codeName");
    if (codeName.isNull())
        return;
    QByteArray storedXml = stored.member(storedWorkbook);
    const SheetXml::Span properties = SheetXml::find(storedXml, "workbookPr");
    if (!properties.found())
        return;
    storedXml.replace(properties.start, properties.end - properties.start,
                      withCodeName(SheetXml::text(storedXml, properties), codeName));
    stored.replace(storedWorkbook, storedXml);
}

void restoreSheetCodeNames(SheetPairs &sheets)
{
    for (const QString &name : sheets.names()) {
        const QByteArray original = sheets.original(name);
        const QByteArray codeName =
            SheetXml::attribute(SheetXml::text(original, SheetXml::child(original, "sheetPr")), "codeName");
        if (codeName.isNull())
            continue;
        QByteArray &sheet = sheets.stored(name);
        const SheetXml::Span properties = SheetXml::child(sheet, "sheetPr");
        SheetXml::put(sheet, "sheetPr",
                      properties.found() ? withCodeName(SheetXml::text(sheet, properties), codeName)
                                         : "<sheetPr codeName=\"" + codeName + "\"/>");
    }
}

} // namespace

void restore(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets)
{
    const QString originalWorkbook = PackageParts::workbookPart(original);
    const QString originalProject = projectPart(original, originalWorkbook);
    if (originalProject.isEmpty() || !original.contains(originalProject))
        return;
    const QString storedWorkbook = PackageParts::workbookPart(stored);
    restoreProject(original, stored, originalProject, storedWorkbook);
    PackageParts::setContentType(stored, storedWorkbook, PackageParts::contentType(original, originalWorkbook));
    restoreWorkbookCodeName(original, stored, originalWorkbook, storedWorkbook);
    restoreSheetCodeNames(sheets);
}

} // namespace MacroProject
