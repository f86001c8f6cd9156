// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/EmbeddedObjects.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorkbookEdits.h"
#include "fileformats/putback/WorksheetOrder.h"

#include <QSet>

namespace EmbeddedObjects {

namespace {

const QString vmlType = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/vmlDrawing");

// Turns the relationship ids an element copied from a part of the original
// names into ids of the part it goes to, copying the parts they point at.
class References
{
public:
    References(StoredPackage &package, const QString &fromPart, const QString &toPart, QHash<QString, QString> &copied)
        : m_package(package)
        , m_list(PackageParts::relationships(package.originalArchive(), fromPart))
        , m_fromPart(fromPart)
        , m_toPart(toPart)
        , m_copied(copied)
    {
    }

    XmlPart::AttributeMap map()
    {
        return [this](const XmlPart::Element &, XmlPart::Attribute &attribute) {
            if (Namespaces::isRelationships(attribute.namespaceUri)
                || (attribute.namespaceUri == Namespaces::office && attribute.name == QLatin1String("relid")))
                attribute.value = carried(attribute.value);
            return true;
        };
    }

private:
    QString carried(const QString &id)
    {
        const auto done = m_ids.constFind(id);
        if (done != m_ids.constEnd())
            return done.value();
        const PackageParts::Relationship r = PackageParts::relationship(m_list, id);
        if (r.id.isEmpty())
            fail(QStringLiteral("%1 names no relationship %2").arg(m_fromPart, id));
        const QString target = r.external ? r.target : PackageParts::copyPart(m_package, r.target, m_copied);
        if (target.isEmpty())
            fail(QStringLiteral("%1 names a missing part %2").arg(m_fromPart, r.target));
        const QString carried = PackageParts::addRelationship(m_package, m_toPart, r.type, target, r.external);
        m_ids.insert(id, carried);
        return carried;
    }

    StoredPackage &m_package;
    const QVector<PackageParts::Relationship> m_list;
    const QString m_fromPart;
    const QString m_toPart;
    QHash<QString, QString> &m_copied;
    QHash<QString, QString> m_ids;
};

// The part a top-level child's relationship id names, or empty.
QString drawingPart(const XmlPart &sheet, const QVector<PackageParts::Relationship> &list)
{
    const int legacy = WorksheetOrder::child(sheet, QStringLiteral("legacyDrawing"));
    if (legacy < 0)
        return QString();
    return PackageParts::relationship(list, sheet.element(legacy).attribute(QStringLiteral("id"), Namespaces::relationships))
        .target;
}

void restoreHeaderFooterPictures(StoredPackage &package, const QString &name, QHash<QString, QString> &copied,
                                 QVector<XmlPart::Replacement> &edits)
{
    const XmlPart &original = package.originalSheet(name);
    const int drawing = WorksheetOrder::child(original, QStringLiteral("legacyDrawingHF"));
    XmlPart &sheet = package.storedSheet(name);
    if (drawing < 0 || WorksheetOrder::child(sheet, QStringLiteral("legacyDrawingHF")) >= 0)
        return;
    References references(package, package.originalSheetPart(name), package.storedSheetPart(name), copied);
    edits.append(WorksheetOrder::put(sheet, QStringLiteral("legacyDrawingHF"),
                                     original.copyOf(drawing, sheet, sheet.root(), references.map())));
}

QSet<QString> shapeIds(const XmlPart &sheet, int objects)
{
    QSet<QString> ids;
    for (int i = objects; i <= sheet.element(objects).last; ++i)
        if (sheet.element(i).is(Namespaces::spreadsheet, QStringLiteral("oleObject")))
            ids.insert(QStringLiteral("_x0000_s") + sheet.element(i).attribute(QStringLiteral("shapeId")));
    return ids;
}

// The drawing shapes that show the objects, with the pictures they show.
QString previewShapes(StoredPackage &package, const QString &vml, const QSet<QString> &ids, const XmlPart &into,
                      const QString &intoPart, QHash<QString, QString> &copied)
{
    const XmlPart &drawing = package.originalPart(vml);
    if (!drawing.error().isEmpty())
        fail(QStringLiteral("the drawing %1 cannot be read: %2").arg(vml, drawing.error()));
    References references(package, vml, intoPart, copied);
    QString shapes;
    const QVector<XmlPart::Element> &all = drawing.elements();
    for (int i = drawing.root() + 1; i <= all.at(0).last; i = all.at(i).last + 1) {
        const XmlPart::Element &shape = all.at(i);
        if (shape.is(Namespaces::vml, QStringLiteral("shapetype"))
            || (shape.is(Namespaces::vml, QStringLiteral("shape"))
                && (ids.contains(shape.attribute(QStringLiteral("id")))
                    || ids.contains(shape.attribute(QStringLiteral("spid"), Namespaces::office)))))
            shapes += drawing.copyOf(i, into, into.root(), references.map());
    }
    return shapes;
}

// The legacyDrawing element naming a drawing by relationship id.
QString drawingElement(const XmlPart &sheet, const QString &id)
{
    const QString name = sheet.qualifiedName(sheet.root(), Namespaces::spreadsheet, QStringLiteral("legacyDrawing"));
    if (name.isNull())
        fail(QStringLiteral("the stored sheet binds no prefix to its own namespace"));
    const QString prefix = sheet.prefixOf(sheet.root(), Namespaces::relationships);
    if (prefix.isNull() || prefix.isEmpty())
        return QStringLiteral("<%1 xmlns:r=\"%2\" r:id=\"%3\"/>").arg(name, Namespaces::relationships, id);
    return QStringLiteral("<%1 %2:id=\"%3\"/>").arg(name, prefix, id);
}

void restoreObjects(StoredPackage &package, const QString &name, QHash<QString, QString> &copied,
                    QVector<XmlPart::Replacement> &edits)
{
    const XmlPart &original = package.originalSheet(name);
    const int objects = WorksheetOrder::child(original, QStringLiteral("oleObjects"));
    XmlPart &sheet = package.storedSheet(name);
    if (objects < 0 || WorksheetOrder::child(sheet, QStringLiteral("oleObjects")) >= 0)
        return;
    const QString originalVml =
        drawingPart(original, PackageParts::relationships(package.originalArchive(), package.originalSheetPart(name)));
    QString storedVml = drawingPart(sheet, PackageParts::relationships(package, package.storedSheetPart(name)));
    const bool newDrawing = storedVml.isEmpty();
    if (newDrawing && !originalVml.isEmpty()) {
        storedVml = originalVml;
        for (int number = 1; !package.nameIgnoringCase(storedVml).isEmpty(); ++number)
            storedVml = QStringLiteral("xl/drawings/vmlDrawingObjects%1.vml").arg(number);
    }
    XmlPart drawing(QByteArrayLiteral("<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
                                      "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                                      "xmlns:x=\"urn:schemas-microsoft-com:office:excel\"></xml>"));
    if (!newDrawing)
        drawing = package.part(storedVml);
    if (!drawing.error().isEmpty() || drawing.endOfContent(drawing.root()) < 0)
        fail(QStringLiteral("the stored drawing %1 cannot be read: %2").arg(storedVml, drawing.error()));
    const QString shapes = originalVml.isEmpty()
        ? QString()
        : previewShapes(package, originalVml, shapeIds(original, objects), drawing, storedVml, copied);

    References references(package, package.originalSheetPart(name), package.storedSheetPart(name), copied);
    const QString carried = original.copyOf(objects, sheet, sheet.root(), references.map());
    if (!shapes.isEmpty()) {
        const int end = drawing.endOfContent(drawing.root());
        drawing.splice({{end, end, shapes}});
        package.put(storedVml, drawing.bytes());
        if (newDrawing) {
            PackageParts::setContentType(package, storedVml,
                                         PackageParts::contentType(package.originalArchive(), originalVml));
            const QString id = PackageParts::addRelationship(package, package.storedSheetPart(name), vmlType, storedVml);
            edits.append(WorksheetOrder::put(sheet, QStringLiteral("legacyDrawing"), drawingElement(sheet, id)));
        }
    }
    edits.append(WorksheetOrder::put(sheet, QStringLiteral("oleObjects"), carried));
}

} // namespace

void restore(StoredPackage &package, const WorkbookEdits &edits)
{
    QHash<QString, QString> copied;
    for (const QString &name : package.sheetNames()) {
        const XmlPart &original = package.originalSheet(name);
        XmlPart &sheet = package.storedSheet(name);
        if (!original.error().isEmpty() || !sheet.error().isEmpty())
            fail(QStringLiteral("the sheet %1 cannot be read: %2").arg(name, original.error() + sheet.error()));
        QVector<XmlPart::Replacement> sheetEdits;
        restoreHeaderFooterPictures(package, name, copied, sheetEdits);
        if (!edits.movesCells(name))
            restoreObjects(package, name, copied, sheetEdits);
        for (const XmlPart::Replacement &edit : sheetEdits)
            if (edit.start < 0)
                fail(QStringLiteral("the stored sheet %1 has no room for its drawings").arg(name));
        package.storedSheet(name).splice(sheetEdits);
    }
}

} // namespace EmbeddedObjects
