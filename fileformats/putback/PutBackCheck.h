// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/ZipArchive.h"
#include "fileformats/putback/XmlPart.h"

#include <QHash>
#include <QString>
#include <QStringList>

// What the put-backs wrote, read back before it is kept, as a save is:
// against the package LibreOffice stored, the parts they changed must be
// well-formed XML whose prefixes (those markup compatibility names too) are
// bound, with a content type, relationships whose parts exist, names that
// no other part has in another case, and worksheets whose children keep
// their order and whose cells (places, types, values, formulas) are those
// LibreOffice wrote.
class PutBackCheck
{
public:
    explicit PutBackCheck(const ZipArchive &stored);

    // A stored sheet part as LibreOffice wrote it, read already.
    void knowStoredSheet(const QString &part, const XmlPart &sheet) { m_storedSheets.insert(part, sheet); }
    // Why output is worse than the stored package, or empty. written may
    // hold changed sheet parts as the put-backs left them, read already:
    // their text is checked for the output's, and the cells in it that are
    // LibreOffice's own text, byte for byte, are not read again.
    QString problem(const ZipArchive &output, const QStringList &changed,
                    const QHash<QString, XmlPart> &written = QHash<QString, XmlPart>());

private:
    QString partProblem(const ZipArchive &output, const QString &name, const QByteArray &types,
                        const QHash<QString, XmlPart> &written);
    QString sheetProblem(const QString &name, const XmlPart &sheet, const XmlPart *written);
    const XmlPart &storedSheet(const QString &name);

    const ZipArchive m_stored;
    QStringList m_sheetParts;
    QHash<QString, XmlPart> m_storedSheets;
};
