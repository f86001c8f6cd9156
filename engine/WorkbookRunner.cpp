// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/WorkbookRunner.h"

#include "automation/AxObject.h"
#include "engine/backup/JobBackup.h"
#include "engine/MergeObject.h"
#include "engine/RaisesException.h"
#include "engine/report/StatusTexts.h"
#include "engine/WorkbookEdit.h"
#include "launch/JobSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#ifdef Q_OS_WIN
#include <objbase.h>
#endif

namespace {

void editSelectedSheets(AxObject *sheets, WorkbookEdit &edit, JobContext &job)
{
    int sheetCount = sheets->property("Count").toInt();
    if (JobSettings::onlyFirstSheet)
        sheetCount = 1;
    for (int i = 1; i <= sheetCount; ++i) {
        const std::unique_ptr<AxObject> sheet(sheets->querySubObject("Item(int)", QVariant(i)));
        if (!sheet)
            continue;
        const QString name = sheet->property("Name").toString();
        if (JobSettings::appointedSheet && name != JobSettings::sheetName)
            continue;
        const int skippedBefore = job.skippedSheets().size();
        edit.editSheet(sheet.get(), job);
        if (job.skippedSheets().size() == skippedBefore)
            job.noteEditedSheet(name);
    }
}

} // namespace

WorkbookRunner::WorkbookRunner(const Job &job)
    : m_shared(job)
    , m_job([this](const QString &text) { report(text); }, job.skips)
{
}

WorkbookRunner::~WorkbookRunner()
{
    if (m_application)
        m_application->dynamicCall("Quit(void)");
    m_workbooks.reset();
    m_application.reset();
}

bool WorkbookRunner::startApplication()
{
#ifdef Q_OS_WIN
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
#endif
    m_application = std::make_unique<AxObject>();
    report(StatusTexts::applicationCreated());
    m_startFailure = raisedError(m_application.get(), [this]() {
        m_application->setControl(QStringLiteral("Excel.Application"));
    }).description;
    m_application->dynamicCall("SetVisible (bool Visible)", QVariant(QStringLiteral("false")));
    m_application->setProperty("DisplayAlerts", false);
    m_workbooks.reset(m_application->querySubObject("WorkBooks"));
    report(StatusTexts::workbooksRequested());
    if (!m_workbooks && m_startFailure.isEmpty())
        m_startFailure = QCoreApplication::translate("Engine", "the application gave no workbooks");
    return m_workbooks != nullptr;
}

WorkbookResult WorkbookRunner::editWorkbook(const QString &path)
{
    emit m_shared.worker.workbookStarted(path);
    QElapsedTimer clock;
    clock.start();
    WorkbookResult result;
    result.path = path;
    std::unique_ptr<AxObject> workbook;
    if (!m_shared.edit.fitsCsv() && path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        result.kind = WorkbookResult::Untouched;
        result.reason = QCoreApplication::translate("Engine", "a CSV file holds the text of one sheet only and cannot keep this edit");
        m_job.setWorkbook(path, m_shared.numbered + 1);
        m_job.skipWorkbook(result.reason);
    } else {
        const AutomationError error = raisedError(m_workbooks.get(), [&]() {
            workbook.reset(m_workbooks->querySubObject("Open(const QString&)", QVariant(path)));
        });
        result.reason = error.description;
        result.detail = technicalDetail(error);
        if (!workbook)
            result.kind = WorkbookResult::NotOpened;
    }
    // The formula fill numbers only the workbooks that open, and announces
    // each before the progress of its rows; every other edit numbers every
    // candidate and announces it once done with it.
    const bool openedOnly = m_shared.edit.countsOpenedWorkbooksOnly();
    if (!workbook && openedOnly) {
        result.seconds = clock.nsecsElapsed() / 1e9;
        return result;
    }
    const int number = ++m_shared.numbered;
    const QString progress = StatusTexts::progress(number, path);
    if (openedOnly)
        report(progress);
    if (workbook)
        editOpenWorkbook(std::move(workbook), result, number);
    if (!openedOnly)
        report(progress);
    result.seconds = clock.nsecsElapsed() / 1e9;
    return result;
}

// The workbook is released on return, so that memory does not grow with the
// number of workbooks in the folder.
void WorkbookRunner::editOpenWorkbook(std::unique_ptr<AxObject> workbook, WorkbookResult &result, int number)
{
    m_job.setWorkbook(result.path, number);
    if (const std::unique_ptr<AxObject> sheets{workbook->querySubObject("Sheets")}) {
        if (m_shared.edit.selectsSheets())
            editSelectedSheets(sheets.get(), m_shared.edit, m_job);
        else
            m_shared.edit.editWorkbook(sheets.get(), m_job);
    }
    result.skippedSheets = m_job.skippedSheets();
    result.editedSheets = m_job.editedSheets();
    // A workbook the edit did not change is not saved: saving can only lose
    // what the application cannot write back.
    if (m_job.workbookSkipped() || workbook->property("Saved").toBool()) {
        workbook->dynamicCall("Close (Boolean)", QVariant(false));
        result.kind = WorkbookResult::Untouched;
        result.editedSheets.clear();
        result.reason = m_job.workbookSkipped() ? m_job.workbookSkipReason()
                        : result.skippedSheets.isEmpty() ? QCoreApplication::translate("Engine", "no selected sheet to edit")
                                                         : QCoreApplication::translate("Engine", "none of the selected sheets was edited");
        return;
    }
    if (!JobSettings::dryRun)
        saveWorkbook(workbook.get(), result);
    workbook->dynamicCall("Close (Boolean)", QVariant(false));
}

// Without its original kept the workbook is not saved: the job could not be
// undone for it.
void WorkbookRunner::saveWorkbook(AxObject *workbook, WorkbookResult &result)
{
    JobBackup *backup = m_shared.backup;
    if (backup)
        result.reason = backup->keepOriginal(result.path);
    const bool kept = backup && result.reason.isEmpty();
    // A save the application refuses (a read-only file, a lost application)
    // must not pass for a handled workbook: the user would believe it was edited.
    if (result.reason.isEmpty()) {
        const AutomationError error = raisedError(workbook, [&]() { workbook->dynamicCall("Save()"); });
        result.reason = error.description;
        result.detail = technicalDetail(error);
    }
    if (result.reason.isEmpty()) {
        if (kept)
            result.reason = backup->recordSaved(result.path);
        if (result.reason.isEmpty())
            return;
    } else if (kept) {
        backup->dropOriginal(result.path);
    }
    result.kind = WorkbookResult::NotSaved;
    result.editedSheets.clear();
}

void WorkbookRunner::report(const QString &text)
{
    emit m_shared.worker.ShowDisposingFile(text);
}
