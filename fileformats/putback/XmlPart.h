// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class QCryptographicHash;
class QTextCodec;
class QXmlStreamReader;

// One XML part of a package read once with a namespace-aware reader:
// elements are found by namespace URI and local name whatever prefixes the
// writer chose, and comments, CDATA and processing instructions are never
// taken for elements. Edits splice the part's text at the offsets the reader
// gave, so that everything around them keeps its bytes. A worksheet's rows
// and cells are kept apart from its other elements: there can be millions.
class XmlPart
{
public:
    struct Attribute
    {
        QString namespaceUri;
        QString name;
        QString qualifiedName;
        QString value;
    };
    struct Declaration
    {
        QString prefix; // empty for the default namespace
        QString namespaceUri;
    };
    struct Element
    {
        QString namespaceUri;
        QString name;
        QString qualifiedName;
        int start = 0;      // at its '<'
        int tagEnd = 0;     // just past its start tag
        int contentEnd = 0; // at its end tag, or tagEnd for an empty element
        int end = 0;        // just past the element
        int parent = -1;
        int last = 0; // the index of its last descendant, its own when none
        QVector<Attribute> attributes;
        QVector<Declaration> declarations; // made on this element

        bool is(const QString &uri, const QString &localName) const;
        // The attribute's value, or a null string when absent; an empty uri
        // names an attribute without prefix.
        QString attribute(const QString &localName, const QString &uri = QString()) const;
        bool isEmptyTag() const { return contentEnd == tagEnd && end == tagEnd; }
    };
    // A worksheet's rows and cells, in the order written.
    struct Row
    {
        int start;
        int tagEnd;
        int number;
        bool sized; // carries a height
        double height;
        bool byHand; // customHeight
    };
    struct Cell
    {
        int start;
        int tagEnd;
        int row;
        int column;
        int style;
    };
    struct Replacement
    {
        int start;
        int end;
        QString text;
    };

    XmlPart() = default;
    explicit XmlPart(const QByteArray &bytes);
    // A part made of text, written as UTF-8.
    static XmlPart ofText(const QString &text);
    // The part read from bytes without the characters [from, to) of its
    // text, counted as a reader of the bytes counts them; none where such a
    // reader's count may differ from the text's (a byte order mark, another
    // encoding, a faulty sequence). Read-only: its offsets are the shorter
    // text's.
    static std::optional<XmlPart> without(const QByteArray &bytes, int from, int to);

    // Empty while the part reads whole (every prefix bound); else why not.
    QString error() const;
    const QString &text() const { return m_text; }
    QByteArray bytes() const;
    bool isChanged() const { return m_changed; }
    // Whether the part was read already: its elements then cost nothing.
    bool isRead() const { return bool(m_parsed); }

    const QVector<Element> &elements() const;
    const Element &element(int index) const { return elements().at(index); }
    // The root element's index, or -1 for a part without elements.
    int root() const;
    QVector<int> children(int parent, const QString &uri, const QString &localName) const;
    int child(int parent, const QString &uri, const QString &localName) const;

    // Rows and cells of the worksheet's sheetData.
    const QVector<Row> &rows() const;
    const QVector<Cell> &cells() const;
    // A digest of every cell's place, type, value, formula and inline text;
    // worked out only when asked for, as it costs as much as the reading.
    QByteArray cellDigest() const;
    int cellCount() const { return cells().size(); }

    // The namespace bound to prefix where the element stands, or a null
    // string when unbound.
    QString namespaceOf(int index, const QString &prefix) const;
    // The prefix bound to uri there (empty for the default namespace), or a
    // null string when none is.
    QString prefixOf(int index, const QString &uri) const;
    // The namespaces that markup-compatibility lets readers ignore there.
    QStringList ignorableNamespaces(int index) const;

    // Attributes without prefix, each set to its value or removed when the
    // value is null.
    using Changes = QVector<QPair<QString, QString>>;
    // The element's start tag with the changes made; the rest as read.
    QString startTagWith(int index, const Changes &changes) const;
    // The same for the start tag at [start, tagEnd), a row's or a cell's; a
    // null string when it does not read.
    QString retagged(int start, int tagEnd, const Changes &changes) const;
    static QString startTag(const Element &element, const QVector<Attribute> &attributes,
                            const QVector<Declaration> &declarations, bool emptyTag);
    // The qualified name an element of uri and localName takes where the
    // element at index stands, or a null string when uri is not bound there.
    QString qualifiedName(int index, const QString &uri, const QString &localName) const;

    // The element as text to be put under the element intoParent of into:
    // each prefix it uses that into binds otherwise is declared on it, and
    // attributes and elements of namespaces the original lets readers ignore
    // but into does not are left out. attributeMap may change an attribute's
    // value, or return false to leave it out.
    using AttributeMap = std::function<bool(const Element &element, Attribute &attribute)>;
    QString copyOf(int index, const XmlPart &into, int intoParent, const AttributeMap &attributeMap = {}) const;

    // Where a new last child of parent goes.
    int endOfContent(int parent) const;

    // Replaces the spans (any order, not overlapping) in one pass; the
    // element indexes read before no longer hold.
    void splice(QVector<Replacement> replacements);

    static QString escaped(const QString &text);

private:
    struct Parsed
    {
        QString error;
        QVector<Element> elements;
        QVector<Row> rows;
        QVector<Cell> cells;
    };
    const Parsed &parsed() const;
    void parse(Parsed &into, QCryptographicHash *digest) const;
    // Gives the encoding the declaration names.
    static QString parseText(QXmlStreamReader &xml, const QString &text, Parsed &into, QCryptographicHash *digest);
    static std::shared_ptr<const Parsed> shifted(const Parsed &before, const QVector<Replacement> &replacements,
                                                 const QString &text);

    QTextCodec *m_codec = nullptr;
    QString m_text;
    // The UTF-8 bytes the text was read from while it is unchanged: the
    // reader takes them as they are rather than the text encoded again.
    QByteArray m_utf8;
    bool m_changed = false;
    mutable std::shared_ptr<const Parsed> m_parsed;
    mutable QByteArray m_digest;
};
