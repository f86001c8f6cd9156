// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/PackageParts.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/ZipArchive.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/XmlPart.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace PackageParts {

const QString contentTypesPart = QStringLiteral("[Content_Types].xml");

namespace {

QString folderOf(const QString &part)
{
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

QString relativeTarget(const QString &fromPart, const QString &toPart)
{
    const QString folder = folderOf(fromPart);
    return folder.isEmpty() ? toPart : QDir(QLatin1Char('/') + folder).relativeFilePath(QLatin1Char('/') + toPart);
}

// Free whatever the case of its letters: Excel takes part names that differ
// only in case for the same part.
QString freeName(const StoredPackage &package, const QString &part)
{
    const QFileInfo info(part);
    const QString folder = folderOf(part);
    const QString stem = (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int number = 1;; ++number) {
        const QString candidate = stem + QStringLiteral("_%1").arg(number) + suffix;
        if (package.nameIgnoringCase(candidate).isEmpty())
            return candidate;
    }
}

QString relationshipsXml(const QVector<Relationship> &list, const QString &fromPart)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships xmlns=\"%1\">")
                      .arg(Namespaces::packageRelationships);
    for (const Relationship &r : list) {
        xml += QStringLiteral("<Relationship Id=\"%1\" Type=\"%2\" Target=\"%3\"%4/>")
                   .arg(XmlPart::escaped(r.id), XmlPart::escaped(r.type),
                        XmlPart::escaped(r.external ? r.target : relativeTarget(fromPart, r.target)),
                        r.external ? QStringLiteral(" TargetMode=\"External\"") : QString());
    }
    return xml + QStringLiteral("</Relationships>");
}

} // namespace

QString relationshipsPart(const QString &part)
{
    const QString folder = folderOf(part);
    const QString name = part.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") + name
        + QStringLiteral(".rels");
}

QString resolve(const QString &fromPart, const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target).mid(1);
    // Never a leading "//": on Windows cleanPath keeps that as a network path.
    const QString folder = folderOf(fromPart);
    const QString path =
        QDir::cleanPath(QLatin1Char('/') + (folder.isEmpty() ? target : folder + QLatin1Char('/') + target));
    return path.mid(1);
}

QVector<Relationship> relationships(const QByteArray &relationshipsXml, const QString &fromPart)
{
    QVector<Relationship> list;
    if (relationshipsXml.isNull())
        return list;
    const XmlPart xml(relationshipsXml);
    if (!xml.error().isEmpty())
        fail(QStringLiteral("the relationships of %1 cannot be read: %2").arg(fromPart, xml.error()));
    for (const int index : xml.children(xml.root(), Namespaces::packageRelationships, QStringLiteral("Relationship"))) {
        const XmlPart::Element &element = xml.element(index);
        Relationship r;
        r.id = element.attribute(QStringLiteral("Id"));
        r.type = element.attribute(QStringLiteral("Type"));
        r.external = element.attribute(QStringLiteral("TargetMode")) == QLatin1String("External");
        const QString target = element.attribute(QStringLiteral("Target"));
        r.target = r.external ? target : resolve(fromPart, target);
        list.append(r);
    }
    return list;
}

QVector<Relationship> relationships(const ZipArchive &archive, const QString &fromPart)
{
    return relationships(archive.member(relationshipsPart(fromPart)), fromPart);
}

QVector<Relationship> relationships(const StoredPackage &package, const QString &fromPart)
{
    return relationships(package.member(relationshipsPart(fromPart)), fromPart);
}

Relationship relationship(const QVector<Relationship> &list, const QString &id)
{
    for (const Relationship &r : list)
        if (r.id == id)
            return r;
    return Relationship();
}

QString addRelationship(StoredPackage &package, const QString &fromPart, const QString &type, const QString &toPart,
                        bool external)
{
    QVector<Relationship> list = relationships(package, fromPart);
    QSet<QString> taken;
    for (const Relationship &r : list)
        taken.insert(r.id);
    int number = list.size() + 1;
    while (taken.contains(QStringLiteral("rId%1").arg(number)))
        ++number;
    const QString id = QStringLiteral("rId%1").arg(number);
    list.append({id, type, toPart, external});
    package.put(relationshipsPart(fromPart), relationshipsXml(list, fromPart).toUtf8());
    setContentType(package, relationshipsPart(fromPart),
                   QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    return id;
}

namespace {

QString workbookTarget(const QVector<Relationship> &list)
{
    for (const Relationship &r : list)
        if (r.type.endsWith(QLatin1String("/officeDocument")))
            return r.target;
    return QStringLiteral("xl/workbook.xml");
}

} // namespace

QString workbookPart(const ZipArchive &archive)
{
    return workbookTarget(relationships(archive, QString()));
}

QString workbookPart(const StoredPackage &package)
{
    return workbookTarget(relationships(package, QString()));
}

QMap<QString, QString> sheetParts(const ZipArchive &archive)
{
    const QString workbook = workbookPart(archive);
    const QVector<Relationship> list = relationships(archive, workbook);
    QMap<QString, QString> parts;
    const XmlPart xml(archive.member(workbook));
    const int sheets = xml.child(xml.root(), Namespaces::spreadsheet, QStringLiteral("sheets"));
    for (const int sheet : xml.children(sheets, Namespaces::spreadsheet, QStringLiteral("sheet"))) {
        const XmlPart::Element &element = xml.element(sheet);
        const QString part = relationship(list, element.attribute(QStringLiteral("id"), Namespaces::relationships)).target;
        if (!part.isEmpty())
            parts.insert(element.attribute(QStringLiteral("name")), part);
    }
    return parts;
}

QString contentType(const QByteArray &contentTypesXml, const QString &part)
{
    const QString extension = QFileInfo(part).suffix();
    const XmlPart xml(contentTypesXml);
    QString byDefault;
    for (const int index : xml.children(xml.root(), Namespaces::contentTypes, QStringLiteral("Override"))) {
        const XmlPart::Element &element = xml.element(index);
        if (element.attribute(QStringLiteral("PartName")).mid(1).compare(part, Qt::CaseInsensitive) == 0)
            return element.attribute(QStringLiteral("ContentType"));
    }
    for (const int index : xml.children(xml.root(), Namespaces::contentTypes, QStringLiteral("Default"))) {
        const XmlPart::Element &element = xml.element(index);
        if (element.attribute(QStringLiteral("Extension")).compare(extension, Qt::CaseInsensitive) == 0)
            byDefault = element.attribute(QStringLiteral("ContentType"));
    }
    return byDefault;
}

QString contentType(const ZipArchive &archive, const QString &part)
{
    return contentType(archive.member(contentTypesPart), part);
}

void setContentType(StoredPackage &package, const QString &part, const QString &type)
{
    if (type.isEmpty() || contentType(package.member(contentTypesPart), part) == type)
        return;
    XmlPart &types = package.part(contentTypesPart);
    const int root = types.root();
    const int end = root < 0 ? -1 : types.endOfContent(root);
    if (end < 0)
        fail(QStringLiteral("the content types part cannot be read: %1").arg(types.error()));
    QVector<XmlPart::Replacement> edits;
    for (const int index : types.children(root, Namespaces::contentTypes, QStringLiteral("Override"))) {
        const XmlPart::Element &element = types.element(index);
        if (element.attribute(QStringLiteral("PartName")).mid(1).compare(part, Qt::CaseInsensitive) == 0)
            edits.append({element.start, element.end, QString()});
    }
    const QString prefix = types.prefixOf(root, Namespaces::contentTypes);
    const QString name = prefix.isEmpty() ? QStringLiteral("Override") : prefix + QStringLiteral(":Override");
    edits.append({end, end, QStringLiteral("<%1 PartName=\"/%2\" ContentType=\"%3\"/>")
                                .arg(name, XmlPart::escaped(part), XmlPart::escaped(type))});
    types.splice(edits);
}

QString copyPart(StoredPackage &package, const QString &part, QHash<QString, QString> &copied)
{
    if (copied.contains(part))
        return copied.value(part);
    const ZipArchive &original = package.originalArchive();
    const QByteArray content = original.member(part);
    if (content.isNull())
        return QString();
    QString name = part;
    const QString present = package.nameIgnoringCase(part);
    if (!present.isEmpty()) {
        if (package.member(present) == content && present == part)
            name = present;
        else
            name = freeName(package, part);
    }
    copied.insert(part, name);
    package.put(name, content);
    setContentType(package, name, contentType(original, part));

    QVector<Relationship> list = relationships(original, part);
    if (list.isEmpty())
        return name;
    for (Relationship &r : list) {
        if (r.external)
            continue;
        const QString target = copyPart(package, r.target, copied);
        if (!target.isEmpty())
            r.target = target;
    }
    package.put(relationshipsPart(name), relationshipsXml(list, name).toUtf8());
    setContentType(package, relationshipsPart(name),
                   QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    return name;
}

} // namespace PackageParts
