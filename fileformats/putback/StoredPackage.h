// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/SheetOutline.h"
#include "fileformats/ZipArchive.h"
#include "fileformats/putback/XmlPart.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

// The package LibreOffice stored, as the put-backs change it, beside the
// original it came from. Each XML part is read once and shared by every
// put-back; a copy of the whole is cheap, so that a put-back can be undone.
// An original sheet whose outline is known (read before loading, of the same
// content) is read without its cells: a sheet part may be tens of megabytes.
class StoredPackage
{
public:
    StoredPackage(const ZipArchive &original, const ZipArchive &stored,
                  const QHash<QString, SheetOutline> &outlines = {});

    const ZipArchive &originalArchive() const { return *m_original; }
    const XmlPart &originalPart(const QString &name) const;

    bool contains(const QString &name) const;
    // The part's name as stored when one differs from name only in case,
    // or empty.
    QString nameIgnoringCase(const QString &name) const;
    QByteArray member(const QString &name) const;
    // The stored part, changed in place.
    XmlPart &part(const QString &name);
    void put(const QString &name, const QByteArray &content);

    // The sheets both workbooks have, by name, in the original's order, and
    // the parts holding them.
    QStringList sheetNames() const { return m_sheetNames; }
    QString originalSheetPart(const QString &sheet) const { return m_originalSheets.value(sheet); }
    QString storedSheetPart(const QString &sheet) const { return m_storedSheets.value(sheet); }
    // The original sheet's elements; its rows and cells are those below.
    const XmlPart &originalSheet(const QString &sheet) const { return originalPart(originalSheetPart(sheet)); }
    QVector<SheetOutline::Row> originalRows(const QString &sheet) const;
    QVector<SheetOutline::Cell> originalCells(const QString &sheet) const;
    XmlPart &storedSheet(const QString &sheet) { return part(storedSheetPart(sheet)); }

    // Each stored sheet part read so far, as LibreOffice stored it.
    QHash<QString, XmlPart> storedSheets() const { return *m_storedSheetsRead; }
    // The stored sheet parts the put-backs changed, as they left them.
    QHash<QString, XmlPart> writtenSheets() const;

    // The stored archive with every change made, and the parts changed.
    ZipArchive archive() const;
    QStringList changedNames() const;

private:
    // The original's parts as read, shared by every copy; the outlines of
    // the sheets read without their cells, or yet to be read.
    struct Originals
    {
        QHash<QString, SheetOutline> outlines;
        QHash<QString, XmlPart> parts;
    };

    bool isStoredSheet(const QString &name) const;
    XmlPart readOriginal(const QString &name) const;
    // The outline the original sheet was read by, or none when read whole.
    const SheetOutline *outlineRead(const QString &sheet) const;

    const ZipArchive *m_original;
    ZipArchive m_stored;
    QHash<QString, XmlPart> m_parts;
    QSet<QString> m_put;
    std::shared_ptr<Originals> m_originals;
    // Read-only, shared by every copy.
    std::shared_ptr<QHash<QString, XmlPart>> m_storedSheetsRead;
    QStringList m_sheetNames;
    QMap<QString, QString> m_originalSheets;
    QMap<QString, QString> m_storedSheets;
};
