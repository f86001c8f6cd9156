// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/KeptCells.h"

#include "fileformats/putback/Namespaces.h"

#include <QMap>
#include <QXmlStreamReader>

#include <algorithm>

namespace KeptCells {

namespace {

// The sheet's own sheetData, or -1.
int cellsOf(const XmlPart &sheet)
{
    return sheet.root() < 0 ? -1 : sheet.child(sheet.root(), Namespaces::spreadsheet, QStringLiteral("sheetData"));
}

// Each prefix bound where the element stands, and to what.
QMap<QString, QString> bindings(const XmlPart &xml, int index)
{
    QMap<QString, QString> bound;
    for (int i = index; i >= 0; i = xml.element(i).parent)
        for (const XmlPart::Declaration &d : xml.element(i).declarations)
            if (!bound.contains(d.prefix))
                bound.insert(d.prefix, d.namespaceUri);
    return bound;
}

struct Span
{
    int start;
    int end;
};

// The start tags of the sheet's rows and cells, in the order written.
QVector<Span> tagsOf(const XmlPart &sheet)
{
    QVector<Span> tags;
    tags.reserve(sheet.rows().size() + sheet.cells().size());
    for (const XmlPart::Row &row : sheet.rows())
        tags.append({row.start, row.tagEnd});
    for (const XmlPart::Cell &cell : sheet.cells())
        tags.append({cell.start, cell.tagEnd});
    std::inplace_merge(tags.begin(), tags.begin() + sheet.rows().size(), tags.end(),
                       [](const Span &a, const Span &b) { return a.start < b.start; });
    return tags;
}

// What the put-backs may change on a row or a cell: none is in the digest.
bool mayChange(const QXmlStreamAttribute &attribute)
{
    return attribute.namespaceUri().isEmpty()
        && (attribute.name() == QLatin1String("ht") || attribute.name() == QLatin1String("customHeight")
            || attribute.name() == QLatin1String("s"));
}

// The attributes but those the put-backs may change alike, in the same order.
bool sameKeptAttributes(const QXmlStreamAttributes &before, const QXmlStreamAttributes &after)
{
    int i = 0;
    int j = 0;
    for (;; ++i, ++j) {
        while (i < before.size() && mayChange(before.at(i)))
            ++i;
        while (j < after.size() && mayChange(after.at(j)))
            ++j;
        if (i == before.size() || j == after.size())
            return i == before.size() && j == after.size();
        const QXmlStreamAttribute &a = before.at(i);
        const QXmlStreamAttribute &b = after.at(j);
        if (a.namespaceUri() != b.namespaceUri() || a.name() != b.name() || a.value() != b.value())
            return false;
    }
}

// Both lists of empty-element tags read whole under the namespaces bound,
// tag for tag the same element with the same declarations and the same
// attributes but those the put-backs may change.
bool sameTags(const QString &stored, const QString &written, const QMap<QString, QString> &bound)
{
    QString wrapper = QStringLiteral("<w");
    for (auto it = bound.constBegin(); it != bound.constEnd(); ++it)
        wrapper += (it.key().isEmpty() ? QStringLiteral(" xmlns") : QStringLiteral(" xmlns:") + it.key())
            + QStringLiteral("=\"") + XmlPart::escaped(it.value()) + QLatin1Char('"');
    wrapper += QLatin1Char('>');
    QXmlStreamReader before(wrapper + stored + QStringLiteral("</w>"));
    QXmlStreamReader after(wrapper + written + QStringLiteral("</w>"));
    for (;;) {
        const QXmlStreamReader::TokenType a = before.readNext();
        const QXmlStreamReader::TokenType b = after.readNext();
        if (a != b)
            return false;
        if (a == QXmlStreamReader::EndDocument || a == QXmlStreamReader::Invalid)
            return a == QXmlStreamReader::EndDocument && !before.hasError() && !after.hasError();
        if (a != QXmlStreamReader::StartElement)
            continue;
        if (before.qualifiedName() != after.qualifiedName() || before.namespaceUri() != after.namespaceUri()
            || before.namespaceDeclarations() != after.namespaceDeclarations()
            || !sameKeptAttributes(before.attributes(), after.attributes()))
            return false;
    }
}

// A start tag closed as an empty element, to be read alone.
QString closed(const QStringRef &tag, bool empty)
{
    return empty ? tag.toString() : tag.left(tag.size() - 1) + QStringLiteral("/>");
}

// Whether the written sheetData content [at, end) is the stored one
// [from, to) but for rows' and cells' start tags changed only where the
// put-backs may change them.
bool sameCells(const XmlPart &stored, int from, int to, const XmlPart &written, int at, int end,
               const QMap<QString, QString> &bound)
{
    const QVector<Span> before = tagsOf(stored);
    const QVector<Span> after = tagsOf(written);
    if (before.size() != after.size())
        return false;
    const QString &storedText = stored.text();
    const QString &writtenText = written.text();
    QString storedTags;
    QString writtenTags;
    int storedDone = from;
    int writtenDone = at;
    for (int i = 0; i <= before.size(); ++i) {
        const int storedNext = i < before.size() ? before.at(i).start : to;
        const int writtenNext = i < after.size() ? after.at(i).start : end;
        if (storedNext < storedDone || writtenNext < writtenDone || writtenNext > writtenText.size()
            || storedText.midRef(storedDone, storedNext - storedDone)
                != writtenText.midRef(writtenDone, writtenNext - writtenDone))
            return false;
        if (i == before.size())
            break;
        const Span a = before.at(i);
        const Span b = after.at(i);
        if (b.end < b.start || b.end > writtenText.size())
            return false;
        const QStringRef storedTag = storedText.midRef(a.start, a.end - a.start);
        const QStringRef writtenTag = writtenText.midRef(b.start, b.end - b.start);
        if (storedTag != writtenTag) {
            const bool empty = storedTag.endsWith(QLatin1String("/>"));
            if (writtenTag.endsWith(QLatin1String("/>")) != empty)
                return false;
            storedTags += closed(storedTag, empty);
            writtenTags += closed(writtenTag, empty);
        }
        storedDone = a.end;
        writtenDone = b.end;
    }
    return storedTags.isEmpty() || sameTags(storedTags, writtenTags, bound);
}

} // namespace

XmlPart withoutStoredCells(const XmlPart &stored, const XmlPart &written)
{
    if (!stored.isRead() || !written.isRead() || !stored.error().isEmpty() || !written.error().isEmpty())
        return XmlPart();
    const int storedCells = cellsOf(stored);
    const int writtenCells = cellsOf(written);
    if (storedCells < 0 || writtenCells < 0)
        return XmlPart();
    const XmlPart::Element &cells = stored.element(storedCells);
    const int at = written.element(writtenCells).tagEnd;
    const int end = written.element(writtenCells).contentEnd;
    const int prolog = stored.element(stored.root()).start;
    const QString &text = written.text();
    const QMap<QString, QString> bound = bindings(stored, storedCells);
    if (written.element(written.root()).start != prolog || text.leftRef(prolog) != stored.text().leftRef(prolog)
        || !sameCells(stored, cells.tagEnd, cells.contentEnd, written, at, end, bound))
        return XmlPart();
    const XmlPart outside = XmlPart::ofText(text.left(at) + text.midRef(end));
    const int outsideCells = cellsOf(outside);
    if (!outside.error().isEmpty() || outsideCells < 0 || outside.element(outsideCells).tagEnd != at
        || outside.element(outsideCells).contentEnd != at || bindings(outside, outsideCells) != bound)
        return XmlPart();
    return outside;
}

} // namespace KeptCells
