// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

class ZipArchive;

// The sheets an original workbook and its stored version share, by name:
// the original's part without its cells (all a put-back reads of it), and
// the stored part, edited in place and written back once.
class SheetPairs
{
public:
    SheetPairs(const ZipArchive &original, ZipArchive &stored);

    QStringList names() const { return m_names; }
    QString originalPart(const QString &name) const { return m_originalParts.value(name); }
    QString storedPart(const QString &name) const { return m_storedParts.value(name); }
    // The original part with the content of its sheetData dropped.
    QByteArray original(const QString &name);
    // The original part whole, for reading its cells.
    QByteArray originalWhole(const QString &name) const;
    QByteArray &stored(const QString &name);
    void write();

private:
    const ZipArchive &m_original;
    ZipArchive &m_stored;
    QMap<QString, QString> m_originalParts;
    QMap<QString, QString> m_storedParts;
    QStringList m_names;
    QHash<QString, QByteArray> m_originalSkeletons;
    QHash<QString, QByteArray> m_storedTexts;
};
