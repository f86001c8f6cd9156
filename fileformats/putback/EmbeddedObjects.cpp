// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/EmbeddedObjects.h"

#include "fileformats/ZipArchive.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/SheetPairs.h"
#include "fileformats/putback/SheetXml.h"
#include "fileformats/putback/WorkbookEdits.h"

#include <QRegularExpression>
#include <QSet>

namespace EmbeddedObjects {

namespace {

const QString vmlType = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/vmlDrawing");

PackageParts::Relationship relationshipOf(const ZipArchive &archive, const QString &part, const QString &id)
{
    for (const PackageParts::Relationship &r : PackageParts::relationships(archive, part))
        if (r.id == id)
            return r;
    return PackageParts::Relationship();
}

// The text with every relationship id that reference matches (its second
// group), one of fromPart in original, turned into one of toPart in stored,
// the parts they point at copied over. Empty when an id is unknown.
QString carryReferences(QString text, const QRegularExpression &reference, const ZipArchive &original,
                        const QString &fromPart, ZipArchive &stored, const QString &toPart,
                        QHash<QString, QString> &copied)
{
    QHash<QString, QString> ids;
    QRegularExpressionMatchIterator it = reference.globalMatch(text);
    while (it.hasNext()) {
        const QString id = it.next().captured(2);
        if (ids.contains(id))
            continue;
        const PackageParts::Relationship r = relationshipOf(original, fromPart, id);
        if (r.id.isEmpty())
            return QString();
        const QString target = r.external ? r.target : PackageParts::copyPart(original, stored, r.target, copied);
        ids.insert(id, PackageParts::addRelationship(stored, toPart, r.type, target, r.external));
    }
    QString out;
    int last = 0;
    it = reference.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(last, m.capturedStart(2) - last) + ids.value(m.captured(2));
        last = m.capturedEnd(2);
    }
    return out + text.mid(last);
}

const QRegularExpression &relationshipAttribute()
{
    static const QRegularExpression attribute(QStringLiteral("(\\sr:(?:id|pict)\\s*=\\s*\")([^\"]*)"));
    return attribute;
}

// Whether every prefix the element uses is bound in the stored sheet as in
// the original one.
bool prefixesAgree(const QByteArray &element, const QByteArray &original, const QByteArray &sheet)
{
    static const QRegularExpression used(QStringLiteral("[<\\s/]([A-Za-z][\\w]*):[A-Za-z]"));
    QSet<QString> prefixes;
    QRegularExpressionMatchIterator it = used.globalMatch(QString::fromUtf8(element));
    while (it.hasNext())
        prefixes.insert(it.next().captured(1));
    const QByteArray originalRoot = SheetXml::rootTag(original);
    const QByteArray storedRoot = SheetXml::rootTag(sheet);
    for (const QString &prefix : prefixes) {
        if (prefix == QLatin1String("xml"))
            continue;
        const QByteArray name = "xmlns:" + prefix.toUtf8();
        const QByteArray uri = SheetXml::attribute(originalRoot, name);
        if (uri.isNull() || SheetXml::attribute(storedRoot, name) != uri)
            return false;
    }
    return true;
}

void restoreHeaderFooterPictures(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets,
                                 const QString &name, QHash<QString, QString> &copied)
{
    const QByteArray originalSheet = sheets.original(name);
    const SheetXml::Span drawing = SheetXml::child(originalSheet, "legacyDrawingHF");
    QByteArray &sheet = sheets.stored(name);
    if (!drawing.found() || SheetXml::child(sheet, "legacyDrawingHF").found())
        return;
    const QString element = carryReferences(QString::fromUtf8(SheetXml::unprefixed(
                                                SheetXml::text(originalSheet, drawing), drawing.prefix)),
                                            relationshipAttribute(), original, sheets.originalPart(name), stored,
                                            sheets.storedPart(name), copied);
    if (!element.isEmpty())
        SheetXml::put(sheet, "legacyDrawingHF", element.toUtf8());
}

// The drawing shapes that show the objects, with the pictures they show.
QString previewShapes(const ZipArchive &original, const QString &vml, const QString &objects,
                      ZipArchive &stored, const QString &storedVml, QHash<QString, QString> &copied)
{
    const QString drawing = QString::fromUtf8(original.member(vml));
    QString shapes;
    static const QRegularExpression shapeType(QStringLiteral("<v:shapetype\\b[\\s\\S]*?</v:shapetype>"));
    QRegularExpressionMatchIterator types = shapeType.globalMatch(drawing);
    while (types.hasNext())
        shapes += types.next().captured(0);
    static const QRegularExpression shapeId(QStringLiteral("\\sshapeId\\s*=\\s*\"(\\d+)\""));
    QRegularExpressionMatchIterator ids = shapeId.globalMatch(objects);
    while (ids.hasNext()) {
        const QRegularExpression shape(
            QStringLiteral("<v:shape\\s[^>]*id=\"_x0000_s%1\"[\\s\\S]*?</v:shape>").arg(ids.next().captured(1)));
        shapes += shape.match(drawing).captured(0);
    }
    static const QRegularExpression pictureReference(QStringLiteral("(\\so:relid\\s*=\\s*\")([^\"]*)"));
    return carryReferences(shapes, pictureReference, original, vml, stored, storedVml, copied);
}

void restoreObjects(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets, const QString &name,
                    QHash<QString, QString> &copied)
{
    const QByteArray originalSheet = sheets.original(name);
    const SheetXml::Span objects = SheetXml::child(originalSheet, "oleObjects");
    QByteArray &sheet = sheets.stored(name);
    if (!objects.found() || SheetXml::child(sheet, "oleObjects").found())
        return;
    const QByteArray element = SheetXml::unprefixed(SheetXml::text(originalSheet, objects), objects.prefix);
    if (!prefixesAgree(element, originalSheet, sheet))
        return;

    const SheetXml::Span originalLegacy = SheetXml::child(originalSheet, "legacyDrawing");
    const QString originalVml = relationshipOf(original, sheets.originalPart(name),
                                               QString::fromUtf8(SheetXml::attribute(
                                                   SheetXml::text(originalSheet, originalLegacy), "r:id")))
                                    .target;
    const SheetXml::Span legacy = SheetXml::child(sheet, "legacyDrawing");
    QString storedVml = relationshipOf(stored, sheets.storedPart(name),
                                       QString::fromUtf8(SheetXml::attribute(SheetXml::text(sheet, legacy), "r:id")))
                            .target;
    const bool newDrawing = storedVml.isEmpty();
    if (newDrawing && !originalVml.isEmpty()) {
        storedVml = originalVml;
        for (int number = 1; stored.contains(storedVml); ++number)
            storedVml = QStringLiteral("xl/drawings/vmlDrawingObjects%1.vml").arg(number);
    }
    QString shapes;
    if (!originalVml.isEmpty())
        shapes = previewShapes(original, originalVml, QString::fromUtf8(element), stored, storedVml, copied);

    const QString carried = carryReferences(QString::fromUtf8(element), relationshipAttribute(), original,
                                            sheets.originalPart(name), stored, sheets.storedPart(name), copied);
    if (carried.isEmpty())
        return;
    if (!shapes.isEmpty()) {
        if (newDrawing) {
            stored.replace(storedVml, QStringLiteral("<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
                                                     "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                                                     "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">%1</xml>")
                                          .arg(shapes)
                                          .toUtf8());
            PackageParts::setContentType(stored, storedVml, PackageParts::contentType(original, originalVml));
            const QString id = PackageParts::addRelationship(stored, sheets.storedPart(name), vmlType, storedVml);
            SheetXml::put(sheet, "legacyDrawing", "<legacyDrawing r:id=\"" + id.toUtf8() + "\"/>");
        } else {
            QByteArray drawing = stored.member(storedVml);
            drawing.insert(drawing.lastIndexOf("</xml>"), shapes.toUtf8());
            stored.replace(storedVml, drawing);
        }
    }
    SheetXml::put(sheet, "oleObjects", carried.toUtf8());
}

} // namespace

void restore(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets, const WorkbookEdits &edits)
{
    QHash<QString, QString> copied;
    for (const QString &name : sheets.names()) {
        restoreHeaderFooterPictures(original, stored, sheets, name, copied);
        if (!edits.movesCells(name))
            restoreObjects(original, stored, sheets, name, copied);
    }
}

} // namespace EmbeddedObjects
