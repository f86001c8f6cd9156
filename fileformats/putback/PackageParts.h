// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QVector>

class ZipArchive;

// The package layer of an Office Open XML file: which part a relationship
// points at, what content type a part has, and parts carried over whole
// from one package into another.
namespace PackageParts {

struct Relationship
{
    QString id;
    QString type;
    QString target;
    bool external = false;
};

// "xl/worksheets/sheet1.xml" -> "xl/worksheets/_rels/sheet1.xml.rels".
QString relationshipsPart(const QString &part);
// The part a relationship of fromPart targets: "../media/a.png" from a sheet
// is "xl/media/a.png".
QString resolve(const QString &fromPart, const QString &target);
QVector<Relationship> relationships(const ZipArchive &archive, const QString &fromPart);
// Adds a relationship of fromPart to toPart (a part name, or a URL when
// external) and gives its id.
QString addRelationship(ZipArchive &archive, const QString &fromPart, const QString &type, const QString &toPart,
                        bool external = false);
void removeRelationships(ZipArchive &archive, const QString &fromPart, const QString &type);

// The part holding the workbook, as the package's own relationships name it.
QString workbookPart(const ZipArchive &archive);
// Sheet name -> the part holding it (worksheets and chart sheets alike).
QMap<QString, QString> sheetParts(const ZipArchive &archive);

QString contentType(const ZipArchive &archive, const QString &part);
// Gives part the content type, by an override where the extension's
// default says otherwise.
void setContentType(ZipArchive &archive, const QString &part, const QString &type);

// Copies part from original into stored with its content type and, by its
// relationships, the parts it uses. A name stored already holds with other
// content gets a free one instead; copied maps original names to the names
// used (a part used twice is copied once). Gives the name in stored, or an
// empty string when original has no such part.
QString copyPart(const ZipArchive &original, ZipArchive &stored, const QString &part,
                 QHash<QString, QString> &copied);

QString escaped(const QString &text);

} // namespace PackageParts
