// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class AxObject;
class SkipTally;

// What the frame offers a core while it edits one workbook: the workbook's
// place in the job, the status line, and a way to pass over a sheet that the
// edit cannot be applied to without losing the user's data.
class JobContext
{
public:
    using Reporter = std::function<void(const QString &)>;

    // skips is the job's, shared by every workbook it edits.
    JobContext(Reporter report, SkipTally &skips);

    void setWorkbook(const QString &path, int number);
    QString workbookPath() const;
    int workbookNumber() const;

    void report(const QString &text) const;

    // The sheet keeps what it had; the job's tally shows the reason.
    void skipSheet(AxObject *sheet, const QString &reason);
    // The workbook as a whole was left as it was: the frame closes it
    // without saving, since saving can only change it.
    void skipWorkbook(const QString &reason);
    bool workbookSkipped() const;
    // The sheets passed over in the workbook in hand, each "sheet: reason",
    // and the reason the workbook as a whole was left.
    QStringList skippedSheets() const { return m_skippedSheets; }
    QString workbookSkipReason() const { return m_workbookSkipReason; }
    // The sheets of the workbook in hand that the edit changed.
    void noteEditedSheet(const QString &name) { m_editedSheets.append(name); }
    QStringList editedSheets() const { return m_editedSheets; }

private:
    void reportSkip(const QString &text) const;

    Reporter m_report;
    SkipTally &m_skips;
    QString m_workbookPath;
    int m_workbookNumber = 0;
    bool m_workbookSkipped = false;
    QString m_workbookSkipReason;
    QStringList m_skippedSheets;
    QStringList m_editedSheets;
};
