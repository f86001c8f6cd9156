// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/StoreFinish.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/StoredWorkbookCheck.h"
#include "fileformats/ZipArchive.h"
#include "fileformats/putback/OriginalParts.h"
#include "platform/libreoffice/document/ReplacementFile.h"
#include "platform/libreoffice/office/OfficeSession.h"

#include <QFileInfo>

StoreFinish::StoreFinish(Stored stored, std::unique_ptr<ReplacementFile> replacement,
                         const std::shared_ptr<OfficeSession> &session)
    : m_stored(std::move(stored))
    , m_replacement(std::move(replacement))
    , m_session(session)
{
    session->holdFinishing(m_replacement->path());
}

StoreFinish::~StoreFinish()
{
    const QString replacement = m_replacement->path();
    m_replacement.reset();
    if (const std::shared_ptr<OfficeSession> session = m_session.lock())
        session->releaseFinishing(replacement);
}

QString StoreFinish::run()
{
    const QString &path = m_stored.path;
    const QString stored = m_replacement->path();
    // Near a full disk the export can write an empty or cut file and still
    // report success: what was stored is read back before it replaces anything.
    QString problem;
    QString leftOut;
    if (m_stored.csv) {
        problem = StoredWorkbookCheck::csvProblem(stored, m_stored.csvRecords);
        if (problem.isEmpty())
            problem = m_stored.csvPutBack(stored);
    } else if (m_stored.binary) {
        // LibreOffice keeps the format it loaded, whatever the file's name:
        // an .xls named .xlsx is stored as an .xls.
        problem = StoredWorkbookCheck::compoundFileProblem(stored);
    } else if (OoxmlWorkbookParts::isOoxmlWorkbook(path)) {
        // What the put-backs left as LibreOffice stored it was read whole
        // once: only what they changed is read again.
        ZipArchive asStored;
        problem = StoredWorkbookCheck::archiveProblem(stored, &asStored);
        if (problem.isEmpty()) {
            leftOut = OriginalParts::restore(path, stored, m_stored.edits, m_stored.outlines);
            problem = StoredWorkbookCheck::archiveProblem(stored, nullptr, &asStored);
        }
    }
    if (!problem.isEmpty())
        fail(QStringLiteral("cannot save %1: %2%3")
                 .arg(path, problem, StoredWorkbookCheck::fullDiskNote(path, QFileInfo(path).size())));
    m_replacement->commit();
    return leftOut;
}
