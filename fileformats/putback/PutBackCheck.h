// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/ZipArchive.h"

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
    // What the check compares a written sheet part with.
    struct StoredSheet
    {
        QByteArray cells; // digest
        int cellCount = 0;
        bool ordered = false;
    };

    explicit PutBackCheck(const ZipArchive &stored);

    // A stored sheet part, read already.
    void knowStoredSheet(const QString &part, const StoredSheet &sheet) { m_storedSheets.insert(part, sheet); }
    // Why output is worse than the stored package, or empty.
    QString problem(const ZipArchive &output, const QStringList &changed);

private:
    QString partProblem(const ZipArchive &output, const QString &name, const QByteArray &types);
    QString sheetProblem(const QString &name, const QByteArray &content);

    const ZipArchive m_stored;
    QStringList m_sheetParts;
    QHash<QString, StoredSheet> m_storedSheets;
};
