#pragma once

#include <QString>
#include <QStringList>

// What a job did to one candidate workbook, and why when it did not edit it.
struct WorkbookResult
{
    enum Kind { Edited, Untouched, NotOpened, NotSaved };

    QString path;
    Kind kind = Edited;
    // Why it was not opened, not saved or left untouched.
    QString reason;
    // The sheets passed over, each "sheet: reason"; the workbook may still
    // have been edited.
    QStringList skippedSheets;
    // In a dry run, the sheets the edit worked on; empty for an edit of the
    // workbook as a whole.
    QStringList editedSheets;

    // Edited and saved with every selected sheet.
    bool isComplete() const { return kind == Edited && skippedSheets.isEmpty(); }
};
