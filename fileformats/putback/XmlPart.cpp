// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/XmlPart.h"

#include "fileformats/SheetOutline.h"
#include "fileformats/putback/Namespaces.h"

#include <QCryptographicHash>
#include <QSet>
#include <QTextCodec>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

const QString xmlNamespace = QStringLiteral("http://www.w3.org/XML/1998/namespace");
const int utf8 = 106; // its MIB enum

QString prefixOfName(const QString &qualifiedName)
{
    const int colon = qualifiedName.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString(QLatin1String("")) : qualifiedName.left(colon);
}

} // namespace

bool XmlPart::Element::is(const QString &uri, const QString &localName) const
{
    if (name != localName)
        return false;
    return namespaceUri == uri || (Namespaces::isSpreadsheet(uri) && Namespaces::isSpreadsheet(namespaceUri))
        || (Namespaces::isRelationships(uri) && Namespaces::isRelationships(namespaceUri));
}

QString XmlPart::Element::attribute(const QString &localName, const QString &uri) const
{
    for (const Attribute &a : attributes)
        if (a.name == localName
            && (a.namespaceUri == uri
                || (Namespaces::isRelationships(uri) && Namespaces::isRelationships(a.namespaceUri))))
            return a.value;
    return QString();
}

// A part may be UTF-16 with its byte order mark: it is written back so.
XmlPart::XmlPart(const QByteArray &bytes)
    : m_codec(QTextCodec::codecForUtfText(bytes, QTextCodec::codecForMib(utf8)))
    , m_text(m_codec->toUnicode(bytes))
{
    // A byte order mark or a faulty sequence replaced would put the
    // reader's offsets apart from the text's.
    if (m_codec->mibEnum() == utf8 && !bytes.startsWith("\xEF\xBB\xBF") && !m_text.contains(QChar::ReplacementCharacter))
        m_utf8 = bytes;
}

std::optional<XmlPart> XmlPart::without(const QByteArray &bytes, int from, int to)
{
    if (from < 0 || from > to || bytes.startsWith("\xEF\xBB\xBF"))
        return std::nullopt;
    // Where the characters begin in the bytes, counted as a reader of UTF-8
    // counts them: one for each sequence, two for one beyond 16 bits.
    int fromByte = -1;
    int toByte = -1;
    int units = 0;
    for (int i = 0; i <= bytes.size(); ++i) {
        const uchar byte = i < bytes.size() ? uchar(bytes.at(i)) : 0;
        if ((byte & 0xC0) == 0x80)
            continue;
        if (units == from && fromByte < 0)
            fromByte = i;
        if (units == to) {
            toByte = i;
            break;
        }
        units += byte >= 0xF0 ? 2 : 1;
    }
    if (fromByte < 0 || toByte < 0)
        return std::nullopt;
    XmlPart part(bytes.left(fromByte) + bytes.mid(toByte));
    if (part.m_utf8.isNull())
        return std::nullopt;
    return part;
}

XmlPart XmlPart::ofText(const QString &text)
{
    XmlPart part;
    part.m_codec = QTextCodec::codecForMib(utf8);
    part.m_text = text;
    return part;
}

QByteArray XmlPart::bytes() const
{
    return m_codec && m_codec->mibEnum() != utf8 ? m_codec->fromUnicode(m_text) : m_text.toUtf8();
}

QString XmlPart::error() const
{
    return parsed().error;
}

const XmlPart::Parsed &XmlPart::parsed() const
{
    if (!m_parsed) {
        auto fresh = std::make_shared<Parsed>();
        parse(*fresh, nullptr);
        m_parsed = fresh;
    }
    return *m_parsed;
}

void XmlPart::parse(Parsed &into, QCryptographicHash *digest) const
{
    if (!m_utf8.isNull()) {
        QXmlStreamReader xml(m_utf8);
        const QString encoding = parseText(xml, m_text, into, digest);
        // A declaration naming another encoding is followed by the reader
        // reading bytes, and ignored by one reading the text.
        if (encoding.isEmpty() || encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0)
            return;
        into = Parsed();
        if (digest)
            digest->reset();
    }
    QXmlStreamReader xml(m_text);
    parseText(xml, m_text, into, digest);
}

QString XmlPart::parseText(QXmlStreamReader &xml, const QString &text, Parsed &into, QCryptographicHash *digest)
{
    QString encoding;
    QVector<int> open;
    // Inside sheetData: how deep, and what the cell read so far holds.
    int cellsDepth = -1;
    int row = 0;
    int column = 0;
    QString cellText;
    QString *capture = nullptr;
    QString value, formula, inlineText;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        const int offset = int(xml.characterOffset());
        if (token == QXmlStreamReader::StartDocument)
            encoding = xml.documentEncoding().toString();
        if (cellsDepth > 0 || (cellsDepth == 0 && token == QXmlStreamReader::StartElement)) {
            if (token == QXmlStreamReader::StartElement) {
                ++cellsDepth;
                const QStringRef name = xml.name();
                const QXmlStreamAttributes attributes = xml.attributes();
                const int start = text.lastIndexOf(QLatin1Char('<'), offset - 1);
                if (cellsDepth == 1 && name == QLatin1String("row")) {
                    const QStringRef r = attributes.value(QLatin1String("r"));
                    row = r.isEmpty() ? row + 1 : r.toInt();
                    column = 0;
                    const QStringRef height = attributes.value(QLatin1String("ht"));
                    const QStringRef byHand = attributes.value(QLatin1String("customHeight"));
                    into.rows.append({start, offset, row, !height.isNull(), height.toDouble(),
                                      byHand == QLatin1String("1") || byHand == QLatin1String("true")});
                } else if (cellsDepth == 2 && name == QLatin1String("c")) {
                    const QStringRef r = attributes.value(QLatin1String("r"));
                    column = r.isEmpty() ? column + 1 : SheetOutline::referenceColumn(r);
                    const int number = SheetOutline::referenceRow(r);
                    if (number > 0)
                        row = number;
                    into.cells.append({start, offset, row, column, attributes.value(QLatin1String("s")).toInt()});
                    if (!digest)
                        continue;
                    cellText = QString::number(row) + QLatin1Char(',') + QString::number(column) + QLatin1Char('|')
                        + attributes.value(QLatin1String("t")) + QLatin1Char('|');
                    value.clear();
                    formula.clear();
                    inlineText.clear();
                } else if (!digest) {
                    // Values, formulas and texts are read for the digest alone.
                } else if (cellsDepth == 3 && name == QLatin1String("v")) {
                    capture = &value;
                } else if (cellsDepth == 3 && name == QLatin1String("f")) {
                    capture = &formula;
                    for (const char *shared : {"t", "ref", "si"})
                        formula += attributes.value(QLatin1String(shared)) + QLatin1Char(',');
                } else if (cellsDepth >= 4 && name == QLatin1String("t")) {
                    capture = &inlineText;
                }
            } else if (token == QXmlStreamReader::Characters && capture) {
                capture->append(xml.text());
            } else if (token == QXmlStreamReader::EndElement) {
                capture = nullptr;
                if (cellsDepth == 2 && digest) {
                    const QString whole = cellText + value + QLatin1Char('|') + formula + QLatin1Char('|')
                        + inlineText + QLatin1Char('\n');
                    digest->addData(whole.toUtf8());
                }
                --cellsDepth;
            }
            continue;
        }
        if (token == QXmlStreamReader::StartElement) {
            Element element;
            element.namespaceUri = xml.namespaceUri().toString();
            element.name = xml.name().toString();
            element.qualifiedName = xml.qualifiedName().toString();
            element.tagEnd = offset;
            element.start = text.lastIndexOf(QLatin1Char('<'), offset - 1);
            element.parent = open.isEmpty() ? -1 : open.last();
            for (const QXmlStreamAttribute &a : xml.attributes())
                element.attributes.append({a.namespaceUri().toString(), a.name().toString(),
                                           a.qualifiedName().toString(), a.value().toString()});
            for (const QXmlStreamNamespaceDeclaration &d : xml.namespaceDeclarations())
                element.declarations.append({d.prefix().toString(), d.namespaceUri().toString()});
            open.append(into.elements.size());
            if (open.size() == 2 && element.is(Namespaces::spreadsheet, QStringLiteral("sheetData")))
                cellsDepth = 0;
            into.elements.append(element);
        } else if (token == QXmlStreamReader::EndElement && !open.isEmpty()) {
            cellsDepth = -1;
            Element &element = into.elements[open.takeLast()];
            if (offset == element.tagEnd && text.at(offset - 2) == QLatin1Char('/')) {
                element.contentEnd = element.tagEnd;
            } else {
                element.contentEnd = text.lastIndexOf(QLatin1Char('<'), offset - 1);
            }
            element.end = offset;
            element.last = into.elements.size() - 1;
        }
    }
    if (xml.hasError())
        into.error = QStringLiteral("%1 (line %2, column %3)")
                         .arg(xml.errorString())
                         .arg(xml.lineNumber())
                         .arg(xml.columnNumber());
    else if (into.elements.isEmpty())
        into.error = QStringLiteral("no element");
    return encoding;
}

const QVector<XmlPart::Element> &XmlPart::elements() const
{
    return parsed().elements;
}

int XmlPart::root() const
{
    return elements().isEmpty() ? -1 : 0;
}

QVector<int> XmlPart::children(int parent, const QString &uri, const QString &localName) const
{
    QVector<int> found;
    const QVector<Element> &all = elements();
    if (parent < 0 || parent >= all.size())
        return found;
    for (int i = parent + 1; i <= all.at(parent).last; i = all.at(i).last + 1)
        if (all.at(i).is(uri, localName))
            found.append(i);
    return found;
}

int XmlPart::child(int parent, const QString &uri, const QString &localName) const
{
    const QVector<int> found = children(parent, uri, localName);
    return found.isEmpty() ? -1 : found.first();
}

const QVector<XmlPart::Row> &XmlPart::rows() const
{
    return parsed().rows;
}

const QVector<XmlPart::Cell> &XmlPart::cells() const
{
    return parsed().cells;
}

QByteArray XmlPart::cellDigest() const
{
    if (m_digest.isNull()) {
        QCryptographicHash digest(QCryptographicHash::Sha1);
        // One reading for both when nothing was read yet.
        auto fresh = std::make_shared<Parsed>();
        parse(*fresh, &digest);
        if (!m_parsed)
            m_parsed = fresh;
        m_digest = digest.result();
    }
    return m_digest;
}

QString XmlPart::namespaceOf(int index, const QString &prefix) const
{
    if (prefix == QLatin1String("xml"))
        return xmlNamespace;
    for (int i = index; i >= 0; i = element(i).parent)
        for (const Declaration &d : element(i).declarations)
            if (d.prefix == prefix)
                return d.namespaceUri;
    return prefix.isEmpty() ? QString(QLatin1String("")) : QString();
}

QString XmlPart::prefixOf(int index, const QString &uri) const
{
    for (int i = index; i >= 0; i = element(i).parent)
        for (const Declaration &d : element(i).declarations)
            if (d.namespaceUri == uri && namespaceOf(index, d.prefix) == uri)
                return d.prefix;
    return QString();
}

QStringList XmlPart::ignorableNamespaces(int index) const
{
    QStringList found;
    for (int i = index; i >= 0; i = element(i).parent) {
        const QString prefixes = element(i).attribute(QStringLiteral("Ignorable"), Namespaces::markupCompatibility);
        for (const QString &prefix : prefixes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString uri = namespaceOf(i, prefix);
            if (!uri.isEmpty())
                found.append(uri);
        }
    }
    return found;
}

QString XmlPart::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\t': out += QLatin1String("&#9;"); break;
        case '\n': out += QLatin1String("&#10;"); break;
        case '\r': out += QLatin1String("&#13;"); break;
        default: out += c;
        }
    }
    return out;
}

QString XmlPart::startTag(const Element &element, const QVector<Attribute> &attributes,
                          const QVector<Declaration> &declarations, bool emptyTag)
{
    QString tag = QLatin1Char('<') + element.qualifiedName;
    for (const Declaration &d : declarations)
        tag += (d.prefix.isEmpty() ? QStringLiteral(" xmlns") : QStringLiteral(" xmlns:") + d.prefix)
            + QStringLiteral("=\"") + escaped(d.namespaceUri) + QLatin1Char('"');
    for (const Attribute &a : attributes)
        tag += QLatin1Char(' ') + a.qualifiedName + QStringLiteral("=\"") + escaped(a.value) + QLatin1Char('"');
    return tag + (emptyTag ? QStringLiteral("/>") : QStringLiteral(">"));
}

namespace {

QVector<XmlPart::Attribute> changed(QVector<XmlPart::Attribute> attributes, const XmlPart::Changes &changes)
{
    for (const auto &change : changes) {
        auto present = std::find_if(attributes.begin(), attributes.end(), [&](const XmlPart::Attribute &a) {
            return a.namespaceUri.isEmpty() && a.name == change.first;
        });
        if (present != attributes.end() && change.second.isNull())
            attributes.erase(present);
        else if (present != attributes.end())
            present->value = change.second;
        else if (!change.second.isNull())
            attributes.append({QString(), change.first, change.first, change.second});
    }
    return attributes;
}

} // namespace

QString XmlPart::qualifiedName(int index, const QString &uri, const QString &localName) const
{
    const QString prefix = prefixOf(index, uri);
    if (prefix.isNull())
        return QString();
    return prefix.isEmpty() ? localName : prefix + QLatin1Char(':') + localName;
}

QString XmlPart::startTagWith(int index, const Changes &changes) const
{
    const Element &e = element(index);
    return startTag(e, changed(e.attributes, changes), e.declarations, e.isEmptyTag());
}

// Rows and cells are too many to read each tag again with a reader: the tag,
// known to be well-formed, is split into its attributes, and only those
// without prefix (in no namespace) are changed.
QString XmlPart::retagged(int start, int tagEnd, const Changes &changes) const
{
    const QStringRef tag = m_text.midRef(start, tagEnd - start);
    const auto isSpace = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
    int at = 1;
    while (at < tag.size() && !isSpace(tag.at(at)) && tag.at(at) != QLatin1Char('/') && tag.at(at) != QLatin1Char('>'))
        ++at;
    QString out = tag.left(at).toString();
    QVector<bool> done(changes.size());
    for (;;) {
        int space = at;
        while (at < tag.size() && isSpace(tag.at(at)))
            ++at;
        if (at >= tag.size())
            return QString();
        if (tag.at(at) == QLatin1Char('/') || tag.at(at) == QLatin1Char('>'))
            break;
        const int nameStart = at;
        while (at < tag.size() && tag.at(at) != QLatin1Char('=') && !isSpace(tag.at(at)))
            ++at;
        const QStringRef name = tag.mid(nameStart, at - nameStart);
        while (at < tag.size() && (isSpace(tag.at(at)) || tag.at(at) == QLatin1Char('=')))
            ++at;
        if (at >= tag.size() || (tag.at(at) != QLatin1Char('"') && tag.at(at) != QLatin1Char('\'')))
            return QString();
        const int close = tag.indexOf(tag.at(at), at + 1);
        if (close < 0)
            return QString();
        at = close + 1;
        int change = 0;
        while (change < changes.size() && changes.at(change).first != name)
            ++change;
        if (change == changes.size()) {
            out += tag.mid(space, at - space);
            continue;
        }
        done[change] = true;
        if (!changes.at(change).second.isNull())
            out += QLatin1Char(' ') + name + QStringLiteral("=\"") + escaped(changes.at(change).second) + QLatin1Char('"');
    }
    for (int change = 0; change < changes.size(); ++change)
        if (!done.at(change) && !changes.at(change).second.isNull())
            out += QLatin1Char(' ') + changes.at(change).first + QStringLiteral("=\"") + escaped(changes.at(change).second)
                + QLatin1Char('"');
    return out + tag.mid(at);
}

QString XmlPart::copyOf(int index, const XmlPart &into, int intoParent, const AttributeMap &attributeMap) const
{
    const QVector<Element> &all = elements();
    const Element &top = all.at(index);
    const QStringList ignorableHere = ignorableNamespaces(index);
    const QStringList ignorableThere = into.ignorableNamespaces(intoParent);
    const auto droppable = [&](const QString &uri) {
        return !uri.isEmpty() && ignorableHere.contains(uri) && !ignorableThere.contains(uri);
    };
    // A prefix used below the copied element but bound above it.
    QSet<QString> boundAbove;
    const auto use = [&](int at, const QString &prefix) {
        if (prefix == QLatin1String("xml"))
            return;
        for (int i = at; i >= index; i = all.at(i).parent)
            for (const Declaration &d : all.at(i).declarations)
                if (d.prefix == prefix)
                    return;
        boundAbove.insert(prefix);
    };
    QVector<Replacement> edits;
    QVector<Attribute> topAttributes = top.attributes;
    for (int i = index; i <= top.last; ++i) {
        const Element &e = all.at(i);
        if (i != index && droppable(e.namespaceUri)) {
            edits.append({e.start, e.end, QString()});
            i = e.last;
            continue;
        }
        use(i, prefixOfName(e.qualifiedName));
        QVector<Attribute> kept;
        bool changed = false;
        for (Attribute a : e.attributes) {
            if (droppable(a.namespaceUri)) {
                changed = true;
                continue;
            }
            const QString before = a.value;
            if (attributeMap && !attributeMap(e, a)) {
                changed = true;
                continue;
            }
            changed = changed || a.value != before;
            if (a.qualifiedName.contains(QLatin1Char(':')))
                use(i, prefixOfName(a.qualifiedName));
            // Markup compatibility names namespaces by their prefixes.
            if (a.namespaceUri == Namespaces::markupCompatibility)
                for (const QString &prefix : a.value.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                    use(i, prefix);
            kept.append(a);
        }
        if (i == index)
            topAttributes = kept;
        else if (changed)
            edits.append({e.start, e.tagEnd, startTag(e, kept, e.declarations, e.isEmptyTag())});
    }
    QVector<Declaration> declarations = top.declarations;
    for (const QString &prefix : boundAbove) {
        const QString uri = namespaceOf(index, prefix);
        if (uri.isNull() || into.namespaceOf(intoParent, prefix) == uri)
            continue;
        declarations.append({prefix, uri});
    }
    // Bytes kept where nothing changed.
    if (declarations.size() != top.declarations.size() || topAttributes.size() != top.attributes.size()
        || !std::equal(topAttributes.begin(), topAttributes.end(), top.attributes.begin(),
                       [](const Attribute &a, const Attribute &b) { return a.value == b.value; }))
        edits.append({top.start, top.tagEnd, startTag(top, topAttributes, declarations, top.isEmptyTag())});
    std::sort(edits.begin(), edits.end(), [](const Replacement &a, const Replacement &b) { return a.start < b.start; });
    QString out;
    int done = top.start;
    for (const Replacement &r : edits) {
        out += m_text.midRef(done, r.start - done);
        out += r.text;
        done = r.end;
    }
    out += m_text.midRef(done, top.end - done);
    return out;
}

int XmlPart::endOfContent(int parent) const
{
    if (parent < 0)
        return -1;
    const Element &e = element(parent);
    return e.isEmptyTag() ? -1 : e.contentEnd;
}

void XmlPart::splice(QVector<Replacement> replacements)
{
    if (replacements.isEmpty())
        return;
    std::stable_sort(replacements.begin(), replacements.end(),
                     [](const Replacement &a, const Replacement &b) { return a.start < b.start; });
    QString out;
    out.reserve(m_text.size() + 64 * replacements.size());
    int done = 0;
    for (const Replacement &r : replacements) {
        out += m_text.midRef(done, r.start - done);
        out += r.text;
        done = std::max(done, r.end);
    }
    out += m_text.midRef(done);
    // Edits that give the text it had change nothing.
    if (out == m_text)
        return;
    m_parsed = m_parsed ? shifted(*m_parsed, replacements, out) : nullptr;
    m_text = out;
    m_utf8.clear();
    m_digest.clear();
    m_changed = true;
}

namespace {

// Moves each row's or cell's tag by what the replacements before it added;
// a replacement of the tag itself gives its new end.
template<typename Tag>
void shiftTags(QVector<Tag> &tags, const QVector<XmlPart::Replacement> &replacements)
{
    int next = 0;
    int delta = 0;
    for (Tag &tag : tags) {
        while (next < replacements.size() && replacements.at(next).end <= tag.start) {
            delta += replacements.at(next).text.size() - (replacements.at(next).end - replacements.at(next).start);
            ++next;
        }
        tag.start += delta;
        if (next < replacements.size() && replacements.at(next).start == tag.start - delta) {
            tag.tagEnd = tag.start + replacements.at(next).text.size();
            delta += replacements.at(next).text.size() - (replacements.at(next).end - replacements.at(next).start);
            ++next;
        } else {
            tag.tagEnd += delta;
        }
    }
}

template<typename Tag>
bool isTag(const QVector<Tag> &tags, const XmlPart::Replacement &r)
{
    const auto found = std::lower_bound(tags.begin(), tags.end(), r.start,
                                        [](const Tag &tag, int start) { return tag.start < start; });
    return found != tags.end() && found->start == r.start && found->tagEnd == r.end;
}

} // namespace

// A worksheet is read once: after a splice that leaves its rows and cells
// in place (or only changes their start tags), they are moved rather than
// read again, and only the rest of the sheet is.
std::shared_ptr<const XmlPart::Parsed> XmlPart::shifted(const Parsed &before, const QVector<Replacement> &replacements,
                                                         const QString &text)
{
    if (!before.error.isEmpty() || before.rows.isEmpty())
        return nullptr;
    const Element *cells = nullptr;
    for (const Element &e : before.elements)
        if (e.parent == 0 && e.is(Namespaces::spreadsheet, QStringLiteral("sheetData")))
            cells = &e;
    if (!cells || cells->isEmptyTag())
        return nullptr;
    int deltaBefore = 0;
    int deltaInside = 0;
    QVector<Replacement> inside;
    for (const Replacement &r : replacements) {
        const int delta = r.text.size() - (r.end - r.start);
        if (r.end <= cells->start && r.start < cells->start) {
            deltaBefore += delta;
        } else if (r.start >= cells->tagEnd && r.end <= cells->contentEnd
                   && (isTag(before.rows, r) || isTag(before.cells, r))) {
            deltaInside += delta;
            inside.append(r);
        } else if (r.start < cells->end) {
            return nullptr;
        }
    }
    const int cut = cells->tagEnd + deltaBefore;
    const int resume = cells->contentEnd + deltaBefore + deltaInside;
    auto after = std::make_shared<Parsed>();
    const QString outside = text.left(cut) + text.midRef(resume);
    QXmlStreamReader xml(outside);
    parseText(xml, outside, *after, nullptr);
    if (!after->error.isEmpty())
        return nullptr;
    const int length = resume - cut;
    for (Element &e : after->elements) {
        for (int *at : {&e.start, &e.tagEnd, &e.contentEnd, &e.end})
            if (*at > cut)
                *at += length;
        if (e.parent == 0 && e.is(Namespaces::spreadsheet, QStringLiteral("sheetData")))
            e.contentEnd += length;
    }
    after->rows = before.rows;
    after->cells = before.cells;
    shiftTags(after->rows, inside);
    shiftTags(after->cells, inside);
    for (XmlPart::Row &row : after->rows) {
        row.start += deltaBefore;
        row.tagEnd += deltaBefore;
    }
    for (XmlPart::Cell &cell : after->cells) {
        cell.start += deltaBefore;
        cell.tagEnd += deltaBefore;
    }
    return after;
}
