// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/SheetCellCounts.h"

#include "fileformats/BiffRecords.h"
#include "fileformats/ZipArchive.h"

#include <QHash>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace {

const QString packageRelationships = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
// Transitional and strict Office Open XML.
const QString spreadsheetMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString strictSpreadsheetMain = QStringLiteral("http://purl.oclc.org/ooxml/spreadsheetml/main");
const QString officeRelationships = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString strictOfficeRelationships = QStringLiteral("http://purl.oclc.org/ooxml/officeDocument/relationships");

bool isSpreadsheetElement(const QXmlStreamReader &xml, QLatin1String name)
{
    return xml.name() == name
           && (xml.namespaceUri() == spreadsheetMain || xml.namespaceUri() == strictSpreadsheetMain);
}

// Part names compare without regard to case in a package.
QString memberNamed(const ZipArchive &archive, const QString &name)
{
    if (archive.contains(name))
        return name;
    for (const QString &member : archive.names()) {
        if (member.compare(name, Qt::CaseInsensitive) == 0)
            return member;
    }
    return QString();
}

// A relationship's target as a part name: relative to the folder of the part
// holding the relationship ("./worksheets/sheet1.xml", "../media/a.png"), or
// from the package's root ("/xl/worksheets/sheet1.xml"), percent-encoded.
QString resolvedTarget(const QString &sourcePart, const QString &target)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QStringList segments;
    if (!decoded.startsWith(QLatin1Char('/'))) {
        segments = sourcePart.split(QLatin1Char('/'));
        segments.removeLast();
    }
    for (const QString &segment : decoded.split(QLatin1Char('/'))) {
        if (segment.isEmpty() || segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String("..")) {
            if (!segments.isEmpty())
                segments.removeLast();
        } else {
            segments.append(segment);
        }
    }
    return segments.join(QLatin1Char('/'));
}

struct Relationship
{
    QString type;
    QString part;
};

// The relationships of a part ("" for the package itself) that lead to
// parts of the package, by their id.
QHash<QString, Relationship> relationshipsOf(const ZipArchive &archive, const QString &sourcePart)
{
    const int slash = sourcePart.lastIndexOf(QLatin1Char('/'));
    const QString relationshipsPart = sourcePart.left(slash + 1) + QStringLiteral("_rels/")
                                      + sourcePart.mid(slash + 1) + QStringLiteral(".rels");
    QHash<QString, Relationship> relationships;
    QXmlStreamReader xml(archive.member(memberNamed(archive, relationshipsPart)));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("Relationship")
            || xml.namespaceUri() != packageRelationships)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.value(QLatin1String("TargetMode")) == QLatin1String("External"))
            continue;
        relationships.insert(attributes.value(QLatin1String("Id")).toString(),
                             {attributes.value(QLatin1String("Type")).toString(),
                              resolvedTarget(sourcePart, attributes.value(QLatin1String("Target")).toString())});
    }
    return relationships;
}

QString workbookPartOf(const ZipArchive &archive)
{
    for (const Relationship &relationship : relationshipsOf(archive, QString())) {
        if (relationship.type.endsWith(QLatin1String("/officeDocument")))
            return memberNamed(archive, relationship.part);
    }
    return QString();
}

using Block = SheetCellCount::Block;

using PartReader = SheetCellCounts::PartReader;

// Feeds each token of an XML part to take, piece by piece as the part is
// inflated, so that a large sheet never sits in memory whole.
void readPart(const ZipArchive &archive, const QString &part, const std::function<void(const QXmlStreamReader &)> &take)
{
    QXmlStreamReader xml;
    archive.readMember(part, [&](const QByteArray &piece) {
        xml.addData(piece);
        for (;;) {
            xml.readNext();
            if (xml.atEnd())
                break;
            take(xml);
        }
        return !xml.hasError() || xml.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    });
}

// "AB12" -> row 11 and column 27, 0-based; the row is left as it was when
// the reference has none.
bool cellPosition(QStringView reference, int *row, int *column)
{
    int at = 0;
    int letters = 0;
    while (at < reference.size() && at < 3 && reference.at(at).isLetter()) {
        letters = letters * 26 + (reference.at(at).toUpper().unicode() - 'A' + 1);
        ++at;
    }
    if (letters == 0)
        return false;
    *column = letters - 1;
    bool numbered = false;
    const int number = reference.mid(at).toInt(&numbered);
    if (numbered)
        *row = number - 1;
    return true;
}

// "B2:D9" or "B2"; false for anything else.
bool blockOf(QStringView reference, Block *block)
{
    const int colon = reference.indexOf(QLatin1Char(':'));
    block->firstRow = block->lastRow = -1;
    if (!cellPosition(colon < 0 ? reference : reference.left(colon), &block->firstRow, &block->firstColumn))
        return false;
    block->lastRow = block->firstRow;
    block->lastColumn = block->firstColumn;
    if (colon >= 0 && !cellPosition(reference.mid(colon + 1), &block->lastRow, &block->lastColumn))
        return false;
    return block->firstRow >= 0 && block->lastRow >= block->firstRow && block->lastColumn >= block->firstColumn;
}

// The first of the blocks holding the cell, or none.
Block *blockHolding(QVector<Block> &blocks, int row, int column)
{
    for (Block &block : blocks) {
        if (row >= block.firstRow && row <= block.lastRow && column >= block.firstColumn && column <= block.lastColumn)
            return &block;
    }
    return nullptr;
}

// Where a string's text is: <t> elements of <si> or <is>, those of a
// phonetic reading (<rPh>) left aside. LibreOffice makes no cell of an
// empty one.
class StringText
{
public:
    void start() { m_empty = true; }
    void take(const QXmlStreamReader &xml)
    {
        if (xml.isStartElement()) {
            m_phonetic += isSpreadsheetElement(xml, QLatin1String("rPh")) ? 1 : 0;
            m_inText = m_phonetic == 0 && isSpreadsheetElement(xml, QLatin1String("t"));
        } else if (xml.isEndElement()) {
            m_phonetic -= isSpreadsheetElement(xml, QLatin1String("rPh")) ? 1 : 0;
            m_inText = false;
        } else if (xml.isCharacters() && m_inText && !xml.text().isEmpty()) {
            m_empty = false;
        }
    }
    bool isEmpty() const { return m_empty; }

private:
    int m_phonetic = 0;
    bool m_inText = false;
    bool m_empty = true;
};

// The indices of the empty strings of the shared string table.
QSet<int> emptySharedStrings(const PartReader &readPart, const QString &part)
{
    QSet<int> empty;
    int index = -1;
    bool inString = false;
    StringText text;
    readPart(part, [&](const QXmlStreamReader &xml) {
        if (xml.isStartElement() && isSpreadsheetElement(xml, QLatin1String("si"))) {
            ++index;
            inString = true;
            text.start();
        } else if (xml.isEndElement() && isSpreadsheetElement(xml, QLatin1String("si"))) {
            inString = false;
            if (text.isEmpty())
                empty.insert(index);
        } else if (inString) {
            text.take(xml);
        }
    });
    return empty;
}

// The output blocks of the pivot tables on a sheet, from the tables' parts.
QVector<Block> pivotTableBlocks(const ZipArchive &archive, const PartReader &readPart, const QString &sheetPart)
{
    QVector<Block> blocks;
    for (const Relationship &relationship : relationshipsOf(archive, sheetPart)) {
        if (!relationship.type.endsWith(QLatin1String("/pivotTable")))
            continue;
        readPart(memberNamed(archive, relationship.part), [&](const QXmlStreamReader &xml) {
            Block block;
            if (xml.isStartElement() && isSpreadsheetElement(xml, QLatin1String("location"))
                && blockOf(xml.attributes().value(QLatin1String("ref")), &block)) {
                block.pivotTable = true;
                blocks.append(block);
            }
        });
    }
    return blocks;
}

// The cells of one sheet part that hold something: a <c> of the sheet's
// data with a formula, a value that is not empty or an inline string that
// is not, outside the blocks LibreOffice fills itself; those inside are
// counted in their block.
qint64 cellsOfPart(const PartReader &readPart, const QString &part, const QSet<int> &emptyStrings,
                   QVector<Block> *uncounted)
{
    qint64 cells = 0;
    int depth = 0;
    int dataDepth = -1; // of the open <sheetData>
    int cellDepth = -1; // of the open <c>
    int row = -1;
    int column = -1;
    bool shared = false;
    bool holds = false;
    bool inValue = false;
    bool inInline = false;
    QString value;
    StringText inlineText;
    readPart(part, [&](const QXmlStreamReader &xml) {
        if (xml.isStartElement()) {
            ++depth;
            if (cellDepth >= 0) {
                if (depth == cellDepth + 1) {
                    inValue = isSpreadsheetElement(xml, QLatin1String("v"));
                    inInline = isSpreadsheetElement(xml, QLatin1String("is"));
                    if (inInline)
                        inlineText.start();
                    if (isSpreadsheetElement(xml, QLatin1String("f"))) {
                        holds = true;
                        Block block;
                        if (xml.attributes().value(QLatin1String("t")) == QLatin1String("array")
                            && blockOf(xml.attributes().value(QLatin1String("ref")), &block)
                            && (block.lastRow > block.firstRow || block.lastColumn > block.firstColumn))
                            uncounted->append(block);
                    }
                } else if (inInline) {
                    inlineText.take(xml);
                }
            } else if (dataDepth < 0 && isSpreadsheetElement(xml, QLatin1String("sheetData"))) {
                dataDepth = depth;
            } else if (dataDepth >= 0 && depth == dataDepth + 1 && isSpreadsheetElement(xml, QLatin1String("row"))) {
                const QStringView r = xml.attributes().value(QLatin1String("r"));
                bool numbered = false;
                const int number = r.toInt(&numbered);
                row = numbered ? number - 1 : row + 1;
                column = -1;
            } else if (dataDepth >= 0 && depth == dataDepth + 2 && isSpreadsheetElement(xml, QLatin1String("c"))) {
                cellDepth = depth;
                if (!cellPosition(xml.attributes().value(QLatin1String("r")), &row, &column))
                    ++column;
                shared = xml.attributes().value(QLatin1String("t")) == QLatin1String("s");
                holds = false;
                value.clear();
            }
        } else if (xml.isCharacters()) {
            if (inValue && shared)
                value += xml.text();
            else if (inValue)
                holds = holds || !xml.text().isEmpty();
            else if (inInline)
                inlineText.take(xml);
        } else if (xml.isEndElement()) {
            if (depth == cellDepth + 1 && inInline)
                holds = holds || !inlineText.isEmpty();
            else if (inInline)
                inlineText.take(xml);
            if (depth == cellDepth + 1) {
                inValue = false;
                inInline = false;
            }
            if (depth == cellDepth) {
                if (shared && !holds) {
                    bool numbered = false;
                    const int index = value.toInt(&numbered);
                    holds = numbered ? !emptyStrings.contains(index) : !value.isEmpty();
                }
                if (holds) {
                    Block *block = blockHolding(*uncounted, row, column);
                    ++(block ? block->cells : cells);
                }
                cellDepth = -1;
            } else if (depth == dataDepth) {
                dataDepth = -1;
            }
            --depth;
        }
    });
    return cells;
}

enum BiffRecord : quint16 {
    BoolErr = 0x0205,
    Label = 0x0204,
    LabelSst = 0x00FD,
    MulRk = 0x00BD,
    Number = 0x0203,
    Rk = 0x027E,
    RString = 0x00D6,
    SharedStrings = 0x00FC,
};

// The shared string table (SST) of a BIFF8 workbook read for which strings
// are empty: each string's length, flags and characters, the characters
// going on in the next CONTINUE record with a flag byte of their own.
class SharedStringReader
{
public:
    explicit SharedStringReader(QVector<QByteArray> pieces)
        : m_pieces(std::move(pieces))
    {
    }

    QSet<int> emptyStrings()
    {
        QSet<int> empty;
        quint32 unique = 0;
        if (!skip(4) || !read(&unique, 4))
            return empty;
        for (quint32 index = 0; index < unique; ++index) {
            quint16 length = 0;
            quint8 flags = 0;
            if (!read(&length, 2) || !read(&flags, 1))
                break;
            quint16 runs = 0;
            quint32 extension = 0;
            if (((flags & 0x08) && !read(&runs, 2)) || ((flags & 0x04) && !read(&extension, 4)))
                break;
            if (length == 0)
                empty.insert(int(index));
            if (!skipCharacters(length, flags & 0x01) || !skip(qint64(runs) * 4 + extension))
                break;
        }
        return empty;
    }

private:
    bool read(void *into, int size)
    {
        QByteArray bytes;
        while (bytes.size() < size) {
            if (!nextPieceIfDone())
                return false;
            const int take = qMin(size - int(bytes.size()), int(m_pieces.at(m_piece).size()) - m_at);
            bytes += m_pieces.at(m_piece).mid(m_at, take);
            m_at += take;
        }
        std::memcpy(into, bytes.constData(), size_t(size)); // little-endian, as the file
        return true;
    }

    bool skip(qint64 size)
    {
        while (size > 0) {
            if (!nextPieceIfDone())
                return false;
            const qint64 take = qMin<qint64>(size, m_pieces.at(m_piece).size() - m_at);
            m_at += int(take);
            size -= take;
        }
        return true;
    }

    bool skipCharacters(int count, bool wide)
    {
        while (count > 0) {
            if (m_at >= m_pieces.at(m_piece).size()) {
                quint8 flags = 0;
                if (!nextPieceIfDone() || !read(&flags, 1))
                    return false;
                wide = flags & 0x01;
            }
            const int width = wide ? 2 : 1;
            const int take = qMin(count, (int(m_pieces.at(m_piece).size()) - m_at) / width);
            if (take == 0)
                return false;
            m_at += take * width;
            count -= take;
        }
        return true;
    }

    bool nextPieceIfDone()
    {
        while (m_piece < m_pieces.size() && m_at >= m_pieces.at(m_piece).size()) {
            if (m_piece + 1 >= m_pieces.size())
                return false;
            ++m_piece;
            m_at = 0;
        }
        return m_piece < m_pieces.size();
    }

    QVector<QByteArray> m_pieces;
    int m_piece = 0;
    int m_at = 0;
};

// How many cells holding something a record of a sheet gives: blank cells
// (BLANK, MULBLANK) only carry a format, and LibreOffice makes no cell of an
// empty text.
qint64 cellsOfRecord(quint16 type, const QByteArray &body, const QSet<int> &emptyStrings)
{
    switch (type) {
    case BiffRecords::Formula:
    case BoolErr:
    case Number:
    case Rk:
        return 1;
    case Label:
    case RString: // row, column, format, then the text's length
        return body.size() >= 8 && qFromLittleEndian<quint16>(body.constData() + 6) > 0 ? 1 : 0;
    case LabelSst:
        return body.size() >= 10 && !emptyStrings.contains(int(qFromLittleEndian<quint32>(body.constData() + 6))) ? 1 : 0;
    case MulRk: // row, first column, 6 bytes a cell, last column
        return body.size() >= 12 ? (body.size() - 6) / 6 : 0;
    default:
        return 0;
    }
}

// The cells of the sheet whose records begin at offset, up to its EOF; the
// records of a chart embedded in it (from its BOF to its EOF) are not its,
// and a chart sheet's are its chart's data, no cells.
qint64 cellsOfSheet(const QByteArray &stream, qint64 offset, const QSet<int> &emptyStrings)
{
    BiffRecords records(stream, offset);
    quint16 type = 0;
    QByteArray body;
    const quint16 chartSheet = 0x0020;
    if (!records.next(&type, &body) || type != BiffRecords::BeginOfFile || body.size() < 4
        || qFromLittleEndian<quint16>(body.constData() + 2) == chartSheet)
        return 0;
    qint64 cells = 0;
    int depth = 1;
    while (depth > 0 && records.next(&type, &body)) {
        if (type == BiffRecords::BeginOfFile)
            ++depth;
        else if (type == BiffRecords::EndOfFile)
            --depth;
        else if (depth == 1)
            cells += cellsOfRecord(type, body, emptyStrings);
    }
    return cells;
}

// A BOUNDSHEET record's name: BIFF8 as a Unicode string, BIFF5 in bytes.
QString boundSheetName(const QByteArray &body, bool biff8)
{
    const int length = quint8(body.at(6));
    if (!biff8)
        return QString::fromLatin1(body.constData() + 7, qMin(length, int(body.size()) - 7));
    const bool wide = quint8(body.at(7)) & 1;
    return wide ? QString::fromUtf16(reinterpret_cast<const char16_t *>(body.constData() + 8),
                                     qMin(length, int(body.size() - 8) / 2))
                : QString::fromLatin1(body.constData() + 8, qMin(length, int(body.size()) - 8));
}

} // namespace

namespace SheetCellCounts {

std::optional<QVector<SheetCellCount>> ofOoxml(const ZipArchive &archive)
{
    return ofOoxml(archive, [&archive](const QString &part, const std::function<void(const QXmlStreamReader &)> &take) {
        readPart(archive, part, take);
    });
}

std::optional<QVector<SheetCellCount>> ofOoxml(const ZipArchive &archive, const PartReader &readPart)
{
    const QString workbookPart = workbookPartOf(archive);
    if (workbookPart.isEmpty())
        return std::nullopt;
    const QHash<QString, Relationship> relationships = relationshipsOf(archive, workbookPart);
    QSet<int> emptyStrings;
    for (const Relationship &relationship : relationships) {
        if (relationship.type.endsWith(QLatin1String("/sharedStrings")))
            emptyStrings = emptySharedStrings(readPart, memberNamed(archive, relationship.part));
    }
    QVector<SheetCellCount> counts;
    bool listed = false;
    QXmlStreamReader xml(archive.member(workbookPart));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && isSpreadsheetElement(xml, QLatin1String("sheets")))
            listed = true;
        if (!xml.isStartElement() || !isSpreadsheetElement(xml, QLatin1String("sheet")))
            continue;
        SheetCellCount count;
        QString id;
        for (const QXmlStreamAttribute &attribute : xml.attributes()) {
            if (attribute.namespaceUri().isEmpty() && attribute.name() == QLatin1String("name"))
                count.sheet = attribute.value().toString();
            else if (attribute.name() == QLatin1String("id")
                     && (attribute.namespaceUri() == officeRelationships
                         || attribute.namespaceUri() == strictOfficeRelationships))
                id = attribute.value().toString();
        }
        const QString part = memberNamed(archive, relationships.value(id).part);
        if (!part.isEmpty()) {
            count.uncounted = pivotTableBlocks(archive, readPart, part);
            count.cells = cellsOfPart(readPart, part, emptyStrings, &count.uncounted);
        }
        counts.append(count);
    }
    if (!listed || xml.hasError())
        return std::nullopt;
    return counts;
}

std::optional<QVector<SheetCellCount>> ofBiff(const QByteArray &workbookStream)
{
    BiffRecords records(workbookStream, 0);
    quint16 type = 0;
    QByteArray body;
    if (!records.next(&type, &body) || type != BiffRecords::BeginOfFile || body.size() < 2)
        return std::nullopt;
    const quint16 version = qFromLittleEndian<quint16>(body.constData());
    if (version != 0x0600 && version != 0x0500)
        return std::nullopt;
    QVector<QPair<QString, qint64>> sheets;
    QVector<QByteArray> sharedStrings; // the SST and the CONTINUE records right after it
    bool inSharedStrings = false;
    while (records.next(&type, &body) && type != BiffRecords::EndOfFile) {
        inSharedStrings = type == SharedStrings || (inSharedStrings && type == BiffRecords::Continue);
        if (inSharedStrings)
            sharedStrings.append(body);
        else if (type == BiffRecords::BoundSheet && body.size() >= 8)
            sheets.append({boundSheetName(body, version == 0x0600), qFromLittleEndian<quint32>(body.constData())});
    }
    const QSet<int> emptyStrings = SharedStringReader(sharedStrings).emptyStrings();
    QVector<SheetCellCount> counts;
    for (const auto &[name, offset] : sheets)
        counts.append({name, cellsOfSheet(workbookStream, offset, emptyStrings), {}});
    return counts;
}

} // namespace SheetCellCounts
