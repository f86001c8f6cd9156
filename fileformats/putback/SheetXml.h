// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QVector>

// Elements of a worksheet part found and replaced in its text, whatever
// namespace prefix the writer chose. A sheet's cells can run to tens of
// megabytes: only the elements around them are looked at.
namespace SheetXml {

struct Span
{
    int start = -1;
    int end = -1; // just past the element
    QByteArray prefix; // "x:" or empty
    bool found() const { return start >= 0; }
};

// The first element named localName in xml[from, until).
Span find(const QByteArray &xml, const QByteArray &localName, int from = 0, int until = -1);
// A child of the worksheet: looked for before the cells or after them, as
// the order of a worksheet's children places it.
Span child(const QByteArray &worksheet, const QByteArray &localName);
QByteArray text(const QByteArray &xml, const Span &span);
// The element with prefix dropped from its own names and its descendants'.
QByteArray unprefixed(const QByteArray &element, const QByteArray &prefix);
// The start tag of the part's root element.
QByteArray rootTag(const QByteArray &xml);

// Puts element among the worksheet's children in the place the format
// orders it, replacing the child of the same name; an empty element
// removes that child.
void put(QByteArray &worksheet, const QByteArray &localName, const QByteArray &element);

// The value of an attribute of the element's start tag (as written, not
// unescaped), or a null array.
QByteArray attribute(const QByteArray &element, const QByteArray &name);
// The element with the attribute of its start tag set, or removed when
// value is null.
QByteArray withAttribute(const QByteArray &element, const QByteArray &name, const QByteArray &value);

struct Replacement
{
    int start;
    int end;
    QByteArray text;
};
// Replaces the spans, given in order, in one pass: a sheet part is too
// large to be moved once for each of its rows.
void replaceAll(QByteArray &xml, const QVector<Replacement> &replacements);

} // namespace SheetXml
