// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/SheetOutline.h"
#include "fileformats/putback/WorkbookEdits.h"
#include "platform/libreoffice/document/CsvFilterOptions.h"

#include <QHash>
#include <QString>

#include <functional>

#include <memory>
#include <optional>

class OfficeSession;
class ReplacementFile;

// Everything a save does once LibreOffice has stored the workbook into its
// replacement file: the stored file read back, what is put back from the
// original, the replacement renamed over the file. It needs nothing of
// LibreOffice, so it may run on a thread of its own while LibreOffice opens
// the next workbook; every step after the store belongs here.
class StoreFinish
{
public:
    // Writes what LibreOffice stored of a CSV file back into the original's
    // bytes; the reason when it cannot.
    using CsvPutBack = std::function<QString(const QString &storedPath)>;

    struct Stored
    {
        QString path; // the workbook's file
        std::optional<CsvFilterOptions> csv;
        qint64 csvRecords = 0; // the records the CSV file's sheet holds
        bool binary = false;   // stored as an .xls, whatever its name
        WorkbookEdits edits;
        CsvPutBack csvPutBack;
        // What was read of the original's sheets before loading, by part.
        QHash<QString, SheetOutline> outlines;
    };

    // The replacement is listed among the session's files in hand until it
    // is renamed or removed, so that a crash of this process removes it.
    StoreFinish(Stored stored, std::unique_ptr<ReplacementFile> replacement,
                const std::shared_ptr<OfficeSession> &session);
    ~StoreFinish();
    StoreFinish(const StoreFinish &) = delete;
    StoreFinish &operator=(const StoreFinish &) = delete;

    // Replaces the file, or fails (AutomationFailure) leaving it as it was
    // and the replacement removed. Gives what of the original could not be
    // put back, or an empty string.
    QString run();

private:
    const Stored m_stored;
    std::unique_ptr<ReplacementFile> m_replacement;
    std::weak_ptr<OfficeSession> m_session;
};
