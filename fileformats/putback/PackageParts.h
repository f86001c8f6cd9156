// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QVector>

class StoredPackage;
class ZipArchive;

// The package layer of an Office Open XML file: which part a relationship
// points at, what content type a part has, and parts carried over whole
// from one package into another. A relationships part that cannot be read
// fails (AutomationFailure) rather than passing for one without
// relationships.
namespace PackageParts {

struct Relationship
{
    QString id;
    QString type;
    QString target;
    bool external = false;
};

extern const QString contentTypesPart;

// "xl/worksheets/sheet1.xml" -> "xl/worksheets/_rels/sheet1.xml.rels".
QString relationshipsPart(const QString &part);
// The part a relationship of fromPart targets: "../media/a.png" from a sheet
// is "xl/media/a.png".
QString resolve(const QString &fromPart, const QString &target);
// Targets of internal relationships come back as part names.
QVector<Relationship> relationships(const QByteArray &relationshipsXml, const QString &fromPart);
QVector<Relationship> relationships(const ZipArchive &archive, const QString &fromPart);
QVector<Relationship> relationships(const StoredPackage &package, const QString &fromPart);
// The relationship of fromPart with that id, or one without id.
Relationship relationship(const QVector<Relationship> &list, const QString &id);
// Adds a relationship of fromPart to toPart (a part name, or a URL when
// external) and gives its id.
QString addRelationship(StoredPackage &package, const QString &fromPart, const QString &type, const QString &toPart,
                        bool external = false);

// The part holding the workbook, as the package's own relationships name it.
QString workbookPart(const ZipArchive &archive);
QString workbookPart(const StoredPackage &package);
// Sheet name -> the part holding it (worksheets and chart sheets alike).
QMap<QString, QString> sheetParts(const ZipArchive &archive);

// The content type the [Content_Types].xml part gives part.
QString contentType(const QByteArray &contentTypesXml, const QString &part);
QString contentType(const ZipArchive &archive, const QString &part);
// Gives part the content type, by an override where the extension's
// default says otherwise.
void setContentType(StoredPackage &package, const QString &part, const QString &type);

// Copies part from the original into the stored package with its content
// type and, by its relationships, the parts it uses. A name stored already
// (in any case) holds with other content gets a free one instead; copied
// maps original names to the names used (a part used twice is copied once).
// Gives the name in stored, or an empty string when original has no such
// part.
QString copyPart(StoredPackage &package, const QString &part, QHash<QString, QString> &copied);

} // namespace PackageParts
