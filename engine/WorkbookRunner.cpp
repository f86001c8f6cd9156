// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/WorkbookRunner.h"

#include "automation/AxObject.h"
#include "engine/backup/JobBackup.h"
#include "engine/MergeObject.h"
#include "engine/RaisesException.h"
#include "engine/report/StatusTexts.h"
#include "engine/WorkbookEdit.h"
#include "engine/JobOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

#ifdef Q_OS_WIN
#include <objbase.h>
#endif

namespace {

// Office's MsoAutomationSecurity: no macro of a workbook opened by automation runs.
const int macrosForcedOff = 3;
// Excel's XlUpdateLinks: links to other workbooks are not updated, and not asked about.
const int linksNeverUpdated = 0;
// Given for a workbook that needs a password to open or to modify, so that
// opening it fails at once instead of asking for one; ignored by the others.
// Short enough for the older formats (15 characters at most).
const char noPassword[] = "gw-no-password";

QVariantList openArguments(const QString &path)
{
    const QVariant omitted = QVariant::fromValue(OmittedArgument());
    const QString password = QString::fromLatin1(noPassword);
    return {path, linksNeverUpdated, false, omitted, password, password, true,
            omitted, omitted, omitted, false, omitted, false};
}

void editSelectedSheets(AxObject *sheets, WorkbookEdit &edit, const JobOptions &options, JobContext &job)
{
    int sheetCount = sheets->property("Count").toInt();
    if (options.onlyFirstSheet)
        sheetCount = 1;
    for (int i = 1; i <= sheetCount; ++i) {
        const std::unique_ptr<AxObject> sheet(sheets->querySubObject("Item(int)", QVariant(i)));
        if (!sheet)
            continue;
        const QString name = sheet->property("Name").toString();
        if (options.appointedSheet && name != options.sheetName)
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
    m_deferredSaves.emplace();
}

WorkbookRunner::~WorkbookRunner()
{
    // A save going on ends before its application does.
    m_deferredSaves.reset();
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
    // Nothing may ask, and no workbook's macro run, in an application nobody
    // sees; an application without one of these settings goes on without it.
    m_application->setProperty("AutomationSecurity", macrosForcedOff);
    m_application->setProperty("EnableEvents", false);
    m_application->setProperty("AskToUpdateLinks", false);
    m_workbooks.reset(m_application->querySubObject("WorkBooks"));
    report(StatusTexts::workbooksRequested());
    if (!m_workbooks && m_startFailure.isEmpty())
        m_startFailure = QCoreApplication::translate("Engine", "the application gave no workbooks");
    return m_workbooks != nullptr;
}

void WorkbookRunner::editWorkbook(const QString &path, const Finished &finished)
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
        // The application opens this workbook while the saves of those
        // before go on.
        QVariantList arguments = openArguments(path);
        const AutomationError error = raisedError(m_workbooks.get(), [&]() {
            workbook.reset(m_workbooks->querySubObject(openMember, arguments));
        });
        handOn(savesAtOnce);
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
        handOver(result, finished, QString());
        return;
    }
    const int number = ++m_shared.numbered;
    const QString progress = StatusTexts::progress(number, path);
    if (openedOnly)
        report(progress);
    bool kept = false;
    const bool saving = workbook && editOpenWorkbook(std::move(workbook), result, number, &kept);
    result.seconds = clock.nsecsElapsed() / 1e9;
    if (saving)
        m_held.push_back(Held{openedOnly ? QString() : progress, result, finished, true, kept});
    else
        handOver(result, finished, openedOnly ? QString() : progress);
}

void WorkbookRunner::finishPending()
{
    handOn(0);
}

void WorkbookRunner::handOver(WorkbookResult result, const Finished &finished, const QString &progress)
{
    if (!m_held.empty()) {
        m_held.push_back(Held{progress, std::move(result), finished});
        return;
    }
    if (!progress.isEmpty())
        show(progress);
    finished(result);
}

void WorkbookRunner::handOn(int running)
{
    collectEndedSaves();
    while (!m_held.empty()) {
        Held &front = m_held.front();
        if (front.saving) {
            if (savesGoingOn() <= running)
                return;
            // Those after it that end meanwhile are recorded as they end.
            while (!DeferredSaves::ended(front.result->path, 50))
                collectEndedSaves();
            collectSave(front);
        }
        const Held held = std::move(front);
        m_held.pop_front();
        if (!held.text.isEmpty())
            show(held.text);
        if (held.result)
            held.finished(*held.result);
    }
}

// A save that ended is recorded at once, whatever is held before it, so
// that a job killed meanwhile can still be undone for that workbook.
void WorkbookRunner::collectEndedSaves()
{
    for (Held &held : m_held) {
        if (held.saving && DeferredSaves::ended(held.result->path))
            collectSave(held);
    }
}

// Waits for the save to end.
void WorkbookRunner::collectSave(Held &held)
{
    QElapsedTimer clock;
    clock.start();
    const DeferredSaves::Outcome outcome = DeferredSaves::finish(held.result->path);
    held.saving = false;
    if (completeSave(*held.result, held.kept, outcome.error, outcome.note) && held.kept)
        recordSaved(*held.result);
    held.result->seconds += clock.nsecsElapsed() / 1e9;
}

int WorkbookRunner::savesGoingOn() const
{
    return int(std::count_if(m_held.cbegin(), m_held.cend(), [](const Held &held) { return held.saving; }));
}

// The workbook is released on return, so that memory does not grow with the
// number of workbooks in the folder.
bool WorkbookRunner::editOpenWorkbook(std::unique_ptr<AxObject> workbook, WorkbookResult &result, int number,
                                      bool *kept)
{
    m_job.setWorkbook(result.path, number);
    if (const std::unique_ptr<AxObject> sheets{workbook->querySubObject("Sheets")}) {
        if (m_shared.edit.selectsSheets())
            editSelectedSheets(sheets.get(), m_shared.edit, m_shared.options, m_job);
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
        return false;
    }
    bool savedNow = false;
    const bool saving = !m_shared.options.dryRun && saveWorkbook(workbook.get(), result, kept, &savedNow);
    workbook->dynamicCall("Close (Boolean)", QVariant(false));
    // The application may write the file as late as its Close: what the job
    // wrote is read for the backup's manifest once the workbook is closed.
    if (savedNow && *kept)
        recordSaved(result);
    return saving;
}

// Without its original kept the workbook is not saved: the job could not be
// undone for it. True while the save still goes on; savedNow when it ended
// saved.
bool WorkbookRunner::saveWorkbook(AxObject *workbook, WorkbookResult &result, bool *kept, bool *savedNow)
{
    JobBackup *backup = m_shared.backup;
    if (backup)
        result.reason = backup->keepOriginal(result.path);
    *kept = backup && result.reason.isEmpty();
    if (!result.reason.isEmpty()) {
        completeSave(result, false, AutomationError(), QString());
        return false;
    }
    // Saves going on beside the application take a processor each.
    handOn(savesAtOnce - 1);
    QVariant saved;
    const AutomationError error = raisedError(workbook, [&]() { saved = workbook->dynamicCall("Save()"); });
    if (!error.raised && DeferredSaves::pending(result.path))
        return true;
    // Saved, but with something of the original the application could not
    // keep: said in the report.
    *savedNow = completeSave(result, *kept, error, saved.type() == QVariant::String ? saved.toString() : QString());
    return false;
}

// A save the application refuses (a read-only file, a lost application)
// must not pass for a handled workbook: the user would believe it was edited.
// True when saved; note says what of the workbook could not be kept.
bool WorkbookRunner::completeSave(WorkbookResult &result, bool kept, const AutomationError &error,
                                  const QString &note)
{
    if (result.reason.isEmpty()) {
        result.reason = error.description;
        result.detail = error.raised ? technicalDetail(error) : note;
    }
    if (result.reason.isEmpty())
        return true;
    if (kept)
        m_shared.backup->dropOriginal(result.path);
    result.kind = WorkbookResult::NotSaved;
    result.editedSheets.clear();
    return false;
}

void WorkbookRunner::recordSaved(WorkbookResult &result)
{
    result.reason = m_shared.backup->recordSaved(result.path);
    if (result.reason.isEmpty())
        return;
    result.kind = WorkbookResult::NotSaved;
    result.editedSheets.clear();
}

void WorkbookRunner::report(const QString &text)
{
    if (m_held.empty())
        show(text);
    else
        m_held.push_back(Held{text});
}

void WorkbookRunner::show(const QString &text)
{
    emit m_shared.worker.ShowDisposingFile(text);
}
