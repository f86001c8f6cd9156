#include "engine/JobFrame.h"

#include "automation/AxObject.h"
#include "engine/CandidateWorkbook.h"
#include "engine/JobBackup.h"
#include "engine/JobInput.h"
#include "engine/MergeObject.h"
#include "engine/RaisesException.h"
#include "engine/StatusTexts.h"
#include "engine/TextViewer.h"
#include "engine/UnopenedList.h"
#include "engine/WorkbookEdit.h"
#include "launch/JobSettings.h"

#include <QDir>
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

// The edit's description with the sheet choice, as the batch command spells it.
QStringList jobDescription(const WorkbookEdit &edit)
{
    QStringList description = edit.description();
    if (edit.selectsSheets() && JobSettings::onlyFirstSheet)
        description << QStringLiteral("--first-sheet-only");
    if (edit.selectsSheets() && JobSettings::appointedSheet)
        description << QStringLiteral("--sheet") << JobSettings::sheetName;
    return description;
}

QString closingText(int count, const JobContext &job, int failed, const QString &backupFolder)
{
    QStringList notes;
    if (failed > 0)
        notes.append(QStringLiteral("其中%1个文件无法打开或保存（见列表文件）").arg(failed));
    if (job.skippedCount() > 0)
        notes.append(QStringLiteral("%1处未修改（%2）").arg(job.skippedCount()).arg(job.firstSkipReason()));
    if (!backupFolder.isEmpty())
        notes.append(StatusTexts::backupKept(backupFolder));
    return StatusTexts::finished(count) + notes.join(QStringLiteral("；"));
}

} // namespace

JobFrame::JobFrame(MergeObject &worker, WorkbookEdit &edit, bool showsUnopenedListInViewer)
    : m_worker(worker)
    , m_edit(edit)
    , m_showsUnopenedListInViewer(showsUnopenedListInViewer)
    , m_job([this](const QString &text) { report(text); })
{
}

JobFrame::~JobFrame() = default;

JobFrame::Outcome JobFrame::run()
{
    const QString problem = jobInputProblem(m_edit);
    if (!problem.isEmpty()) {
        report(problem);
        emit m_worker.Signal_SetButtonEnable();
        return m_outcome;
    }

    if (JobSettings::keepsBackups && !JobSettings::dryRun)
        m_backup = std::make_unique<JobBackup>(JobSettings::sourcePath, jobDescription(m_edit));
    startApplication();
    if (m_workbooks) {
        for (const QFileInfo &entry : m_worker.ListAllFiles(JobSettings::sourcePath)) {
            const QString path = QDir::toNativeSeparators(entry.filePath());
            if (!isCandidateWorkbook(path))
                continue;
            if (m_worker.stopRequested()) {
                m_outcome.stopped = true;
                break;
            }
            editWorkbook(path);
        }
    }
    finish();
    return m_outcome;
}

void JobFrame::startApplication()
{
#ifdef Q_OS_WIN
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
#endif
    m_application = std::make_unique<AxObject>();
    report(StatusTexts::applicationCreated());
    m_application->setControl(QStringLiteral("Excel.Application"));
    m_application->dynamicCall("SetVisible (bool Visible)", QVariant(QStringLiteral("false")));
    m_application->setProperty("DisplayAlerts", false);
    m_workbooks.reset(m_application->querySubObject("WorkBooks"));
    report(StatusTexts::workbooksRequested());
    m_outcome.applicationStarted = m_workbooks != nullptr;
}

void JobFrame::editWorkbook(const QString &path)
{
    ++m_outcome.candidates;
    emit m_worker.workbookStarted(path);
    QElapsedTimer clock;
    clock.start();
    WorkbookResult result;
    result.path = path;
    std::unique_ptr<AxObject> workbook;
    if (!m_edit.fitsCsv() && path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        result.kind = WorkbookResult::Untouched;
        result.reason = QStringLiteral("CSV文件只能保存一个工作表的文字，无法保存此修改");
        m_job.setWorkbook(path, m_count + 1);
        m_job.skipWorkbook(result.reason);
    } else {
        result.reason = raisedDescription(m_workbooks.get(), [&]() {
            workbook.reset(m_workbooks->querySubObject("Open(const QString&)", QVariant(path)));
        });
        if (!workbook) {
            result.kind = WorkbookResult::NotOpened;
            noteFailure(path);
        }
    }
    // The formula fill numbers only the workbooks that open, and announces
    // each before the progress of its rows; every other edit numbers every
    // candidate and announces it once done with it.
    const bool openedOnly = m_edit.countsOpenedWorkbooksOnly();
    if (!workbook && openedOnly) {
        result.seconds = clock.nsecsElapsed() / 1e9;
        m_outcome.workbooks.append(result);
        return;
    }
    const int number = ++m_count;
    const QString progress = StatusTexts::progress(number, path);
    if (openedOnly)
        report(progress);
    if (workbook)
        editOpenWorkbook(std::move(workbook), result, number);
    if (!openedOnly)
        report(progress);
    result.seconds = clock.nsecsElapsed() / 1e9;
    m_outcome.workbooks.append(result);
}

// The workbook is released on return, so that memory does not grow with the
// number of workbooks in the folder.
void JobFrame::editOpenWorkbook(std::unique_ptr<AxObject> workbook, WorkbookResult &result, int number)
{
    m_job.setWorkbook(result.path, number);
    if (const std::unique_ptr<AxObject> sheets{workbook->querySubObject("Sheets")}) {
        if (m_edit.selectsSheets())
            editSelectedSheets(sheets.get(), m_edit, m_job);
        else
            m_edit.editWorkbook(sheets.get(), m_job);
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
                        : result.skippedSheets.isEmpty() ? QStringLiteral("没有选中的工作表需要修改")
                                                         : QStringLiteral("所有选中的工作表都未修改");
        return;
    }
    if (!JobSettings::dryRun)
        saveWorkbook(workbook.get(), result);
    workbook->dynamicCall("Close (Boolean)", QVariant(false));
}

// Without its original kept the workbook is not saved: the job could not be
// undone for it.
void JobFrame::saveWorkbook(AxObject *workbook, WorkbookResult &result)
{
    if (m_backup)
        result.reason = m_backup->keepOriginal(result.path);
    const bool kept = m_backup && result.reason.isEmpty();
    // A save the application refuses (a read-only file, a lost application)
    // must not pass for a handled workbook: the user would believe it was edited.
    if (result.reason.isEmpty())
        result.reason = raisedDescription(workbook, [&]() { workbook->dynamicCall("Save()"); });
    if (result.reason.isEmpty()) {
        if (kept)
            m_backup->recordSaved(result.path);
        return;
    }
    if (kept)
        m_backup->dropOriginal(result.path);
    result.kind = WorkbookResult::NotSaved;
    result.editedSheets.clear();
    noteFailure(result.path);
}

void JobFrame::finish()
{
    const QString backupFolder = m_backup ? m_backup->finish(JobSettings::keptBackupJobs) : QString();
    QString closing = m_workbooks ? closingText(m_count, m_job, m_outcome.failed, backupFolder)
                                  : StatusTexts::noApplication();
    if (m_outcome.stopped)
        closing += StatusTexts::stopped();
    if (JobSettings::dryRun)
        closing += StatusTexts::dryRun();
    report(closing);
    m_application->dynamicCall("Quit(void)");
    m_workbooks.reset();
    m_application.reset();
    emit m_worker.Signal_SetButtonEnable();

    if (m_unopened.isEmpty() || JobSettings::dryRun)
        return;
    m_outcome.listWritten = writeUnopenedList(JobSettings::unopenedListPath, m_unopened);
    if (!m_outcome.listWritten)
        report(StatusTexts::listFileNotWritten(JobSettings::unopenedListPath));
    else if (m_showsUnopenedListInViewer && !showInTextViewer(JobSettings::unopenedListPath))
        report(StatusTexts::listFileNotShown(JobSettings::unopenedListPath));
}

void JobFrame::noteFailure(const QString &path)
{
    m_unopened += path + QLatin1Char('\n');
    ++m_outcome.failed;
}

void JobFrame::report(const QString &text)
{
    emit m_worker.ShowDisposingFile(text);
}

bool JobFrame::Outcome::complete() const
{
    for (const WorkbookResult &workbook : workbooks) {
        if (!workbook.isComplete())
            return false;
    }
    return applicationStarted;
}
