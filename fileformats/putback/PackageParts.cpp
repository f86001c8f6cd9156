// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/PackageParts.h"

#include "fileformats/ZipArchive.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <QXmlStreamReader>

namespace PackageParts {

namespace {

const QString contentTypesPart = QStringLiteral("[Content_Types].xml");
const QString relationshipsNamespace = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");

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

QString freeName(const ZipArchive &archive, const QString &part)
{
    const QFileInfo info(part);
    const QString folder = folderOf(part);
    const QString stem = (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int number = 1;; ++number) {
        const QString candidate = stem + QStringLiteral("_%1").arg(number) + suffix;
        if (!archive.contains(candidate))
            return candidate;
    }
}

QString relationshipsXml(const QVector<Relationship> &list, const QString &fromPart)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships xmlns=\"%1\">")
                      .arg(relationshipsNamespace);
    for (const Relationship &r : list) {
        xml += QStringLiteral("<Relationship Id=\"%1\" Type=\"%2\" Target=\"%3\"%4/>")
                   .arg(escaped(r.id), escaped(r.type),
                        escaped(r.external ? r.target : relativeTarget(fromPart, r.target)),
                        r.external ? QStringLiteral(" TargetMode=\"External\"") : QString());
    }
    return xml + QStringLiteral("</Relationships>");
}

void writeRelationships(ZipArchive &archive, const QString &fromPart, const QVector<Relationship> &list)
{
    archive.replace(relationshipsPart(fromPart), relationshipsXml(list, fromPart).toUtf8());
}

} // namespace

QString escaped(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"));
}

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
    const QString folder = folderOf(fromPart);
    const QString path = QDir::cleanPath(QLatin1Char('/') + folder + QLatin1Char('/') + target);
    return path.mid(1);
}

// Targets of internal relationships come back as part names.
QVector<Relationship> relationships(const ZipArchive &archive, const QString &fromPart)
{
    QVector<Relationship> list;
    QXmlStreamReader xml(archive.member(relationshipsPart(fromPart)));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("Relationship"))
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        Relationship r;
        r.id = attributes.value(QLatin1String("Id")).toString();
        r.type = attributes.value(QLatin1String("Type")).toString();
        r.external = attributes.value(QLatin1String("TargetMode")) == QLatin1String("External");
        const QString target = attributes.value(QLatin1String("Target")).toString();
        r.target = r.external ? target : resolve(fromPart, target);
        list.append(r);
    }
    return list;
}

QString addRelationship(ZipArchive &archive, const QString &fromPart, const QString &type, const QString &toPart,
                        bool external)
{
    QVector<Relationship> list = relationships(archive, fromPart);
    QSet<QString> taken;
    for (const Relationship &r : list)
        taken.insert(r.id);
    int number = list.size() + 1;
    while (taken.contains(QStringLiteral("rId%1").arg(number)))
        ++number;
    const QString id = QStringLiteral("rId%1").arg(number);
    list.append({id, type, toPart, external});
    writeRelationships(archive, fromPart, list);
    if (!archive.contains(contentTypesPart))
        return id;
    setContentType(archive, relationshipsPart(fromPart),
                   QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    return id;
}

void removeRelationships(ZipArchive &archive, const QString &fromPart, const QString &type)
{
    QVector<Relationship> list = relationships(archive, fromPart);
    const int before = list.size();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Relationship &r) { return r.type == type; }),
               list.end());
    if (list.size() != before)
        writeRelationships(archive, fromPart, list);
}

QString workbookPart(const ZipArchive &archive)
{
    for (const Relationship &r : relationships(archive, QString()))
        if (r.type.endsWith(QLatin1String("/officeDocument")))
            return r.target;
    return QStringLiteral("xl/workbook.xml");
}

QMap<QString, QString> sheetParts(const ZipArchive &archive)
{
    const QString workbook = workbookPart(archive);
    QHash<QString, QString> targets;
    for (const Relationship &r : relationships(archive, workbook))
        targets.insert(r.id, r.target);
    QMap<QString, QString> parts;
    QXmlStreamReader xml(archive.member(workbook));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("sheet"))
            continue;
        QString id;
        for (const QXmlStreamAttribute &attribute : xml.attributes())
            if (attribute.name() == QLatin1String("id"))
                id = attribute.value().toString();
        const QString part = targets.value(id);
        if (!part.isEmpty())
            parts.insert(xml.attributes().value(QLatin1String("name")).toString(), part);
    }
    return parts;
}

QString contentType(const ZipArchive &archive, const QString &part)
{
    const QString extension = QFileInfo(part).suffix().toLower();
    QString byDefault;
    QXmlStreamReader xml(archive.member(contentTypesPart));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("Override")
            && attributes.value(QLatin1String("PartName")).toString().mid(1).compare(part, Qt::CaseInsensitive) == 0)
            return attributes.value(QLatin1String("ContentType")).toString();
        if (xml.name() == QLatin1String("Default")
            && attributes.value(QLatin1String("Extension")).toString().toLower() == extension)
            byDefault = attributes.value(QLatin1String("ContentType")).toString();
    }
    return byDefault;
}

void setContentType(ZipArchive &archive, const QString &part, const QString &type)
{
    if (type.isEmpty() || contentType(archive, part) == type)
        return;
    QString types = QString::fromUtf8(archive.member(contentTypesPart));
    const QRegularExpression override(
        QStringLiteral("<Override\\s[^>]*PartName=\"/%1\"[^>]*/>").arg(QRegularExpression::escape(part)),
        QRegularExpression::CaseInsensitiveOption);
    types.remove(override);
    const int end = types.lastIndexOf(QLatin1String("</Types>"));
    if (end < 0)
        return;
    types.insert(end, QStringLiteral("<Override PartName=\"/%1\" ContentType=\"%2\"/>").arg(escaped(part), escaped(type)));
    archive.replace(contentTypesPart, types.toUtf8());
}

QString copyPart(const ZipArchive &original, ZipArchive &stored, const QString &part, QHash<QString, QString> &copied)
{
    if (copied.contains(part))
        return copied.value(part);
    if (!original.contains(part))
        return QString();
    QString name = part;
    if (stored.contains(part) && stored.member(part) != original.member(part))
        name = freeName(stored, part);
    copied.insert(part, name);
    // As compressed: a damaged part fails the check of the stored file.
    stored.copyMember(original, part, name);
    setContentType(stored, name, contentType(original, part));

    QVector<Relationship> list = relationships(original, part);
    if (list.isEmpty())
        return name;
    for (Relationship &r : list) {
        if (r.external)
            continue;
        const QString target = copyPart(original, stored, r.target, copied);
        if (!target.isEmpty())
            r.target = target;
    }
    writeRelationships(stored, name, list);
    return name;
}

} // namespace PackageParts
