// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/SheetXml.h"

#include <QList>
#include <QRegularExpression>

namespace SheetXml {

namespace {

// The children of a worksheet in the order the format requires.
const QList<QByteArray> &childOrder()
{
    static const QList<QByteArray> order{
        "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
        "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
        "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks",
        "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties",
        "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF",
        "picture", "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};
    return order;
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'
        || c == '.';
}

int cellsStart(const QByteArray &worksheet)
{
    const Span cells = find(worksheet, "sheetData");
    return cells.found() ? cells.start : worksheet.size();
}

int cellsEnd(const QByteArray &worksheet)
{
    const Span cells = find(worksheet, "sheetData");
    return cells.found() ? cells.end : 0;
}

} // namespace

Span find(const QByteArray &xml, const QByteArray &localName, int from, int until)
{
    if (until < 0)
        until = xml.size();
    for (int at = xml.indexOf(localName, from); at >= 0 && at < until; at = xml.indexOf(localName, at + 1)) {
        const int after = at + localName.size();
        if (after >= xml.size() || isNameChar(xml.at(after)) || xml.at(after) == ':')
            continue;
        int open = at - 1;
        if (open >= 0 && xml.at(open) == ':') {
            --open;
            while (open >= 0 && isNameChar(xml.at(open)))
                --open;
        }
        if (open < 0 || xml.at(open) != '<')
            continue;
        Span span;
        span.start = open;
        span.prefix = xml.mid(open + 1, at - open - 1);
        const int close = xml.indexOf('>', after);
        if (close < 0)
            return Span();
        if (xml.at(close - 1) == '/') {
            span.end = close + 1;
            return span;
        }
        const QByteArray endTag = "</" + span.prefix + localName + ">";
        const int end = xml.indexOf(endTag, close);
        if (end < 0)
            return Span();
        span.end = end + endTag.size();
        return span;
    }
    return Span();
}

Span child(const QByteArray &worksheet, const QByteArray &localName)
{
    const int place = childOrder().indexOf(localName);
    const int cells = childOrder().indexOf("sheetData");
    if (place < cells)
        return find(worksheet, localName, 0, cellsStart(worksheet));
    return find(worksheet, localName, cellsEnd(worksheet));
}

QByteArray text(const QByteArray &xml, const Span &span)
{
    return span.found() ? xml.mid(span.start, span.end - span.start) : QByteArray();
}

QByteArray unprefixed(const QByteArray &element, const QByteArray &prefix)
{
    if (prefix.isEmpty())
        return element;
    QByteArray out = element;
    out.replace("<" + prefix, "<");
    out.replace("</" + prefix, "</");
    return out;
}

QByteArray rootTag(const QByteArray &xml)
{
    int at = xml.indexOf('<');
    while (at >= 0 && at + 1 < xml.size() && (xml.at(at + 1) == '?' || xml.at(at + 1) == '!'))
        at = xml.indexOf('<', at + 1);
    return at < 0 ? QByteArray() : xml.mid(at, xml.indexOf('>', at) + 1 - at);
}

void put(QByteArray &worksheet, const QByteArray &localName, const QByteArray &element)
{
    const Span present = child(worksheet, localName);
    if (present.found()) {
        worksheet.replace(present.start, present.end - present.start, element);
        return;
    }
    if (element.isEmpty())
        return;
    const int place = childOrder().indexOf(localName);
    for (int next = place + 1; next < childOrder().size(); ++next) {
        const Span later = child(worksheet, childOrder().at(next));
        if (later.found()) {
            worksheet.insert(later.start, element);
            return;
        }
    }
    const int end = worksheet.lastIndexOf("</");
    if (end >= 0)
        worksheet.insert(end, element);
}

// Read without a regular expression: it runs for every row and cell.
QByteArray attribute(const QByteArray &element, const QByteArray &name)
{
    int close = element.indexOf('>');
    if (close < 0)
        close = element.size();
    for (int at = element.indexOf(name); at > 0 && at < close; at = element.indexOf(name, at + 1)) {
        const char before = element.at(at - 1);
        if (before != ' ' && before != '\t' && before != '\n' && before != '\r')
            continue;
        int equals = at + name.size();
        while (equals < close && (element.at(equals) == ' ' || element.at(equals) == '\t'))
            ++equals;
        if (equals >= close || element.at(equals) != '=')
            continue;
        int quote = equals + 1;
        while (quote < close && (element.at(quote) == ' ' || element.at(quote) == '\t'))
            ++quote;
        if (quote >= close || (element.at(quote) != '"' && element.at(quote) != '\''))
            continue;
        const int end = element.indexOf(element.at(quote), quote + 1);
        if (end < 0)
            return QByteArray();
        return element.mid(quote + 1, end - quote - 1);
    }
    return QByteArray();
}

QByteArray withAttribute(const QByteArray &element, const QByteArray &name, const QByteArray &value)
{
    const int close = element.indexOf('>');
    QString tag = QString::fromUtf8(element.left(close));
    const QRegularExpression present(QStringLiteral("\\s%1\\s*=\\s*(\"[^\"]*\"|'[^']*')").arg(QString::fromLatin1(name)));
    tag.remove(present);
    if (!value.isNull()) {
        int at = tag.size();
        if (tag.endsWith(QLatin1Char('/')))
            --at;
        tag.insert(at, QStringLiteral(" %1=\"%2\"").arg(QString::fromLatin1(name), QString::fromUtf8(value)));
    }
    return tag.toUtf8() + element.mid(close);
}

void replaceAll(QByteArray &xml, const QVector<Replacement> &replacements)
{
    if (replacements.isEmpty())
        return;
    QByteArray out;
    out.reserve(xml.size() + 64 * replacements.size());
    int done = 0;
    for (const Replacement &r : replacements) {
        out.append(xml.constData() + done, r.start - done);
        out.append(r.text);
        done = r.end;
    }
    out.append(xml.constData() + done, xml.size() - done);
    xml = out;
}

} // namespace SheetXml
