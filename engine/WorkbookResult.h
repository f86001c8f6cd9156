// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
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
    // Where the reason came from (the application and the member that
    // failed), for reports; empty when the program itself refused.
    QString detail;
    // The sheets passed over, each "sheet: reason"; the workbook may still
    // have been edited.
    QStringList skippedSheets;
    // The sheets the edit changed (in a dry run: would change); empty when
    // it was not edited, or for an edit of the workbook as a whole.
    QStringList editedSheets;
    // From opening to closing, for reports.
    double seconds = 0;

    // Edited and saved with every selected sheet.
    bool isComplete() const { return kind == Edited && skippedSheets.isEmpty(); }
};

Q_DECLARE_METATYPE(WorkbookResult)
