// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/PageSetup.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorksheetOrder.h"

namespace PageSetup {

namespace {

const QStringList elements{QStringLiteral("printOptions"), QStringLiteral("pageMargins"), QStringLiteral("pageSetup"),
                           QStringLiteral("headerFooter")};

// The printer's own settings part is not carried over.
bool withoutPrinterSettings(const XmlPart::Element &element, XmlPart::Attribute &attribute)
{
    return !(element.is(Namespaces::spreadsheet, QStringLiteral("pageSetup"))
             && Namespaces::isRelationships(attribute.namespaceUri));
}

// The stored sheet's pageSetUpPr gets the original's fitToPage.
void addFitToPage(const XmlPart &original, const XmlPart &sheet, QVector<XmlPart::Replacement> &edits)
{
    const int originalProperties = WorksheetOrder::child(original, QStringLiteral("sheetPr"));
    const int originalSetUp = originalProperties < 0 ? -1
        : original.child(originalProperties, Namespaces::spreadsheet, QStringLiteral("pageSetUpPr"));
    const QString fit = originalSetUp < 0 ? QString() : original.element(originalSetUp).attribute(QStringLiteral("fitToPage"));
    const int properties = WorksheetOrder::child(sheet, QStringLiteral("sheetPr"));
    const int setUp = properties < 0 ? -1 : sheet.child(properties, Namespaces::spreadsheet, QStringLiteral("pageSetUpPr"));
    if (setUp < 0)
        return;
    const XmlPart::Element &element = sheet.element(setUp);
    edits.append({element.start, element.tagEnd,
                  sheet.startTagWith(setUp, {{QStringLiteral("fitToPage"), fit.isNull() ? QStringLiteral("false") : fit}})});
}

} // namespace

void restore(StoredPackage &package)
{
    for (const QString &name : package.sheetNames()) {
        const XmlPart &original = package.originalSheet(name);
        XmlPart &sheet = package.storedSheet(name);
        if (!original.error().isEmpty() || !sheet.error().isEmpty())
            fail(QStringLiteral("the sheet %1 cannot be read: %2").arg(name, original.error() + sheet.error()));
        QVector<XmlPart::Replacement> edits;
        for (const QString &element : elements) {
            const int from = WorksheetOrder::child(original, element);
            const XmlPart::Replacement edit = WorksheetOrder::put(
                sheet, element, from < 0 ? QString() : original.copyOf(from, sheet, sheet.root(), withoutPrinterSettings));
            if (edit.start < 0)
                fail(QStringLiteral("the stored sheet %1 has no room for its page setup").arg(name));
            edits.append(edit);
        }
        addFitToPage(original, sheet, edits);
        sheet.splice(edits);
    }
}

} // namespace PageSetup
