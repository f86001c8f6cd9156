// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/MacroProject.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorksheetOrder.h"

namespace MacroProject {

namespace {

const QString projectType = QStringLiteral("http://schemas.microsoft.com/office/2006/relationships/vbaProject");
const QString codeName = QStringLiteral("codeName");

QString projectPart(const QVector<PackageParts::Relationship> &list)
{
    for (const PackageParts::Relationship &r : list)
        if (r.type == projectType && !r.external)
            return r.target;
    return QString();
}

// The project's own relationships (its signatures) copied beside it.
void restoreProject(StoredPackage &package, const QString &originalProject, const QString &storedWorkbook)
{
    const ZipArchive &original = package.originalArchive();
    QString project = projectPart(PackageParts::relationships(package, storedWorkbook));
    if (project.isEmpty()) {
        project = originalProject;
        PackageParts::addRelationship(package, storedWorkbook, projectType, project);
    }
    package.put(project, original.member(originalProject));
    PackageParts::setContentType(package, project, PackageParts::contentType(original, originalProject));
    const QString projectRelationships = PackageParts::relationshipsPart(project);
    if (package.contains(projectRelationships))
        package.put(projectRelationships, QByteArray(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"></Relationships>"));
    QHash<QString, QString> copied;
    for (const PackageParts::Relationship &r : PackageParts::relationships(original, originalProject)) {
        const QString target = r.external ? r.target : PackageParts::copyPart(package, r.target, copied);
        if (!target.isEmpty())
            PackageParts::addRelationship(package, project, r.type, target, r.external);
    }
}

void restoreWorkbookCodeName(StoredPackage &package, const QString &originalWorkbook, const QString &storedWorkbook)
{
    const XmlPart &original = package.originalPart(originalWorkbook);
    const int originalProperties = original.child(original.root(), Namespaces::spreadsheet, QStringLiteral("workbookPr"));
    const QString name = originalProperties < 0 ? QString() : original.element(originalProperties).attribute(codeName);
    if (name.isNull())
        return;
    XmlPart &workbook = package.part(storedWorkbook);
    const int properties = workbook.child(workbook.root(), Namespaces::spreadsheet, QStringLiteral("workbookPr"));
    if (properties < 0)
        fail(QStringLiteral("the stored workbook has no workbook properties for its code name"));
    const XmlPart::Element &element = workbook.element(properties);
    workbook.splice({{element.start, element.tagEnd, workbook.startTagWith(properties, {{codeName, name}})}});
}

void restoreSheetCodeNames(StoredPackage &package)
{
    for (const QString &name : package.sheetNames()) {
        const XmlPart &original = package.originalSheet(name);
        const int originalProperties = WorksheetOrder::child(original, QStringLiteral("sheetPr"));
        const QString value = originalProperties < 0 ? QString() : original.element(originalProperties).attribute(codeName);
        if (value.isNull())
            continue;
        XmlPart &sheet = package.storedSheet(name);
        const int properties = WorksheetOrder::child(sheet, QStringLiteral("sheetPr"));
        if (properties >= 0) {
            const XmlPart::Element &element = sheet.element(properties);
            sheet.splice({{element.start, element.tagEnd, sheet.startTagWith(properties, {{codeName, value}})}});
            continue;
        }
        const QString qualified = sheet.qualifiedName(sheet.root(), Namespaces::spreadsheet, QStringLiteral("sheetPr"));
        const XmlPart::Replacement edit = WorksheetOrder::put(
            sheet, QStringLiteral("sheetPr"),
            QStringLiteral("<%1 codeName=\"%2\"/>").arg(qualified, XmlPart::escaped(value)));
        if (qualified.isNull() || edit.start < 0)
            fail(QStringLiteral("the stored sheet %1 has no room for its code name").arg(name));
        sheet.splice({edit});
    }
}

} // namespace

void restore(StoredPackage &package)
{
    const ZipArchive &original = package.originalArchive();
    const QString originalWorkbook = PackageParts::workbookPart(original);
    const QString originalProject = projectPart(PackageParts::relationships(original, originalWorkbook));
    if (originalProject.isEmpty() || !original.contains(originalProject))
        return;
    const QString storedWorkbook = PackageParts::workbookPart(package);
    restoreProject(package, originalProject, storedWorkbook);
    PackageParts::setContentType(package, storedWorkbook, PackageParts::contentType(original, originalWorkbook));
    restoreWorkbookCodeName(package, originalWorkbook, storedWorkbook);
    restoreSheetCodeNames(package);
}

} // namespace MacroProject
