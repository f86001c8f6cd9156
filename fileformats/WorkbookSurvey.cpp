// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/WorkbookSurvey.h"

#include "fileformats/LoadSoundness.h"
#include "fileformats/ZipArchive.h"

#include <QXmlStreamReader>

WorkbookSurvey::WorkbookSurvey(const ZipArchive &archive)
{
    // The soundness check's answer for each part read so far.
    QHash<QString, QString> checked;
    // Reads a part for the soundness check and the row heights, and for
    // count (when given), which takes every token up to the part's end or
    // its first error, as the count does on its own.
    const auto survey = [&](const QString &part, const std::function<void(const QXmlStreamReader &)> &count) {
        QXmlStreamReader xml;
        LoadSoundness::XmlPartCheck check(part);
        StoredRowRuns rows;
        SheetOutline outline(archive.contentStamp(part));
        bool going = true;
        const bool read = archive.readMember(part, [&](const QByteArray &piece) {
            xml.addData(piece);
            while (going) {
                xml.readNext();
                if (xml.atEnd())
                    break;
                going = check.take(xml) || count;
                rows.take(xml);
                outline.take(xml);
                if (count)
                    count(xml);
            }
            return going && (!xml.hasError() || xml.error() == QXmlStreamReader::PrematureEndOfDocumentError);
        });
        const QString problem = check.problem(read, xml);
        checked.insert(part, problem);
        const QVector<StoredRowRuns::Run> runs = rows.runs();
        if (!runs.isEmpty())
            m_rowRuns.insert(part, runs);
        if (read && outline.isWhole())
            m_outlines.insert(part, outline);
        return problem;
    };
    // The count reads the shared strings before the sheets: it leads.
    m_cellCounts = SheetCellCounts::ofOoxml(archive, survey);
    m_problem = LoadSoundness::ooxmlProblem(archive, [&](const QString &part) {
        return checked.contains(part) ? checked.value(part) : survey(part, nullptr);
    });
}
