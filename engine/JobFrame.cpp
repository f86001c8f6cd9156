#include "engine/JobFrame.h"

#include "automation/AxObject.h"
#include "engine/CandidateWorkbook.h"
#include "engine/MergeObject.h"
#include "engine/RaisesException.h"
#include "engine/StatusTexts.h"
#include "engine/TextViewer.h"
#include "engine/UnopenedList.h"
#include "engine/WorkbookEdit.h"
#include "launch/JobSettings.h"

#include <QDir>

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
        if (JobSettings::appointedSheet && sheet->property("Name") != QVariant(JobSettings::sheetName))
            continue;
        edit.editSheet(sheet.get(), job);
    }
}

// A save the application refuses (a read-only file, a lost application) must
// not pass for a handled workbook: the user would believe it was edited.
bool saveAndClose(AxObject *workbook)
{
    const bool saveFailed = raisesException(workbook, [workbook]() { workbook->dynamicCall("Save()"); });
    workbook->dynamicCall("Close (Boolean)", QVariant(false));
    return !saveFailed;
}

QString closingText(int count, const JobContext &job, int failed)
{
    QStringList notes;
    if (failed > 0)
        notes.append(QStringLiteral("其中%1个文件无法打开或保存（见列表文件）").arg(failed));
    if (job.skippedCount() > 0)
        notes.append(QStringLiteral("%1处未修改（%2）").arg(job.skippedCount()).arg(job.firstSkipReason()));
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
    const QString problem = m_edit.inputProblem();
    if (!problem.isEmpty()) {
        report(problem);
        emit m_worker.Signal_SetButtonEnable();
        return m_outcome;
    }

    startApplication();
    if (m_workbooks) {
        for (const QFileInfo &entry : m_worker.ListAllFiles(JobSettings::sourcePath)) {
            const QString path = QDir::toNativeSeparators(entry.filePath());
            if (isCandidateWorkbook(path))
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
    std::unique_ptr<AxObject> workbook(m_workbooks->querySubObject("Open(const QString&)", QVariant(path)));
    if (!workbook)
        noteFailure(path);
    // The formula fill numbers only the workbooks that open, and announces
    // each before the progress of its rows; every other edit numbers every
    // candidate and announces it once done with it.
    const bool openedOnly = m_edit.countsOpenedWorkbooksOnly();
    if (!workbook && openedOnly)
        return;
    const int number = ++m_count;
    const QString progress = StatusTexts::progress(number, path);
    if (openedOnly)
        report(progress);
    if (workbook)
        editOpenWorkbook(std::move(workbook), path, number);
    if (!openedOnly)
        report(progress);
}

// The workbook is released on return, so that memory does not grow with the
// number of workbooks in the folder.
void JobFrame::editOpenWorkbook(std::unique_ptr<AxObject> workbook, const QString &path, int number)
{
    m_job.setWorkbook(path, number);
    if (const std::unique_ptr<AxObject> sheets{workbook->querySubObject("Sheets")}) {
        if (m_edit.selectsSheets())
            editSelectedSheets(sheets.get(), m_edit, m_job);
        else
            m_edit.editWorkbook(sheets.get(), m_job);
    }
    if (m_job.workbookSkipped())
        workbook->dynamicCall("Close (Boolean)", QVariant(false));
    else if (!saveAndClose(workbook.get()))
        noteFailure(path);
}

void JobFrame::finish()
{
    report(m_workbooks ? closingText(m_count, m_job, m_outcome.failed) : StatusTexts::noApplication());
    m_application->dynamicCall("Quit(void)");
    m_workbooks.reset();
    m_application.reset();
    emit m_worker.Signal_SetButtonEnable();

    if (m_unopened.isEmpty())
        return;
    if (!writeUnopenedList(JobSettings::unopenedListPath, m_unopened))
        report(StatusTexts::listFileNotWritten(JobSettings::unopenedListPath));
    else if (m_showsUnopenedListInViewer)
        showInTextViewer(JobSettings::unopenedListPath);
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
