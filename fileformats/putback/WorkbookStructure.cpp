// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/WorkbookStructure.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/StoredPackage.h"

#include <QStringList>

namespace WorkbookStructure {

namespace {

const QString veryHidden = QStringLiteral("veryHidden");

// The children of a workbook that may come before its protection.
const QStringList before{QStringLiteral("fileVersion"), QStringLiteral("fileSharing"), QStringLiteral("workbookPr")};

XmlPart::Replacement protectionEdit(const XmlPart &original, const XmlPart &workbook)
{
    const int protection = original.child(original.root(), Namespaces::spreadsheet, QStringLiteral("workbookProtection"));
    if (protection < 0 || original.element(protection).attributes.isEmpty())
        return {-1, -1, QString()};
    const QString element = original.copyOf(protection, workbook, workbook.root());
    const int present = workbook.child(workbook.root(), Namespaces::spreadsheet, QStringLiteral("workbookProtection"));
    if (present >= 0)
        return {workbook.element(present).start, workbook.element(present).end, element};
    const QVector<XmlPart::Element> &all = workbook.elements();
    const int root = workbook.root();
    for (int i = root + 1; i <= all.at(root).last; i = all.at(i).last + 1)
        if (Namespaces::isSpreadsheet(all.at(i).namespaceUri) && !before.contains(all.at(i).name))
            return {all.at(i).start, all.at(i).start, element};
    fail(QStringLiteral("the stored workbook has no sheets"));
}

} // namespace

void restore(StoredPackage &package)
{
    const XmlPart &original = package.originalPart(PackageParts::workbookPart(package.originalArchive()));
    XmlPart &workbook = package.part(PackageParts::workbookPart(package));
    if (!workbook.error().isEmpty())
        fail(QStringLiteral("the stored workbook part cannot be read: %1").arg(workbook.error()));
    QVector<XmlPart::Replacement> edits;
    const XmlPart::Replacement protection = protectionEdit(original, workbook);
    if (protection.start >= 0)
        edits.append(protection);

    const int originalSheets = original.child(original.root(), Namespaces::spreadsheet, QStringLiteral("sheets"));
    QStringList missing;
    for (const int sheet : original.children(originalSheets, Namespaces::spreadsheet, QStringLiteral("sheet")))
        if (original.element(sheet).attribute(QStringLiteral("state")) == veryHidden)
            missing.append(original.element(sheet).attribute(QStringLiteral("name")));
    const int sheets = workbook.child(workbook.root(), Namespaces::spreadsheet, QStringLiteral("sheets"));
    for (const int sheet : workbook.children(sheets, Namespaces::spreadsheet, QStringLiteral("sheet"))) {
        const XmlPart::Element &element = workbook.element(sheet);
        if (missing.removeOne(element.attribute(QStringLiteral("name"))))
            edits.append({element.start, element.tagEnd, workbook.startTagWith(sheet, {{QStringLiteral("state"), veryHidden}})});
    }
    if (!missing.isEmpty())
        fail(QStringLiteral("the stored workbook has not the very hidden sheets %1").arg(missing.join(QStringLiteral(", "))));
    workbook.splice(edits);
}

} // namespace WorkbookStructure
