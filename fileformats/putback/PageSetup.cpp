// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/PageSetup.h"

#include "fileformats/putback/SheetPairs.h"
#include "fileformats/putback/SheetXml.h"

namespace PageSetup {

namespace {

QByteArray originalElement(const QByteArray &original, const QByteArray &name)
{
    const SheetXml::Span span = SheetXml::child(original, name);
    QByteArray element = SheetXml::unprefixed(SheetXml::text(original, span), span.prefix);
    // The printer's own settings part is not carried over.
    if (name == "pageSetup" && !element.isEmpty())
        element = SheetXml::withAttribute(element, "r:id", QByteArray());
    return element;
}

void restoreFitToPage(const QByteArray &original, QByteArray &sheet)
{
    const QByteArray originalProperties = SheetXml::text(original, SheetXml::child(original, "sheetPr"));
    const QByteArray fit = SheetXml::attribute(
        SheetXml::text(originalProperties, SheetXml::find(originalProperties, "pageSetUpPr")), "fitToPage");
    const SheetXml::Span properties = SheetXml::child(sheet, "sheetPr");
    if (!properties.found())
        return;
    const SheetXml::Span setUp = SheetXml::find(sheet, "pageSetUpPr", properties.start, properties.end);
    if (!setUp.found())
        return;
    sheet.replace(setUp.start, setUp.end - setUp.start,
                  SheetXml::withAttribute(SheetXml::text(sheet, setUp), "fitToPage",
                                          fit.isNull() ? QByteArray("false") : fit));
}

} // namespace

void restore(SheetPairs &sheets)
{
    for (const QString &name : sheets.names()) {
        const QByteArray originalSheet = sheets.original(name);
        QByteArray &sheet = sheets.stored(name);
        for (const QByteArray element : {QByteArrayLiteral("printOptions"), QByteArrayLiteral("pageMargins"),
                                         QByteArrayLiteral("pageSetup"), QByteArrayLiteral("headerFooter")})
            SheetXml::put(sheet, element, originalElement(originalSheet, element));
        restoreFitToPage(originalSheet, sheet);
    }
}

} // namespace PageSetup
