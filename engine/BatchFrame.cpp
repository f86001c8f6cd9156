// The frame every job runs in: start the application, walk the folder, open
// each candidate workbook, let the edit's core work on it, save, close, report.

#include "engine/MergeObject.h"

#include "automation/AxObject.h"
#include "engine/AutomationCall.h"
#include "engine/CandidateWorkbook.h"
#include "engine/JobContext.h"
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
        AxObject *sheet = sheets->querySubObject("Item(int)", QVariant(i));
        if (!sheet)
            continue;
        if (JobSettings::appointedSheet
            && sheet->property("Name") != QVariant(JobSettings::sheetName)) {
            delete sheet;
            continue;
        }
        edit.editSheet(sheet, job);
        delete sheet;
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

void MergeObject::runJob(WorkbookEdit &edit)
{
    m_outcome = Outcome();
    const QString problem = edit.inputProblem();
    if (!problem.isEmpty()) {
        emit ShowDisposingFile(problem);
        emit Signal_SetButtonEnable();
        return;
    }

    QString unopened;
#ifdef Q_OS_WIN
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
#endif
    auto *excel = new AxObject(this);
    emit ShowDisposingFile(StatusTexts::applicationCreated());
    excel->setControl(QStringLiteral("Excel.Application"));
    excel->dynamicCall("SetVisible (bool Visible)", QVariant(QStringLiteral("false")));
    excel->setProperty("DisplayAlerts", false);
    AxObject *workbooks = excel->querySubObject("WorkBooks");
    emit ShowDisposingFile(StatusTexts::workbooksRequested());

    if (!workbooks) {
        emit ShowDisposingFile(StatusTexts::noApplication());
    } else {
        m_outcome.applicationStarted = true;
        JobContext job([this](const QString &text) { emit ShowDisposingFile(text); });
        const QFileInfoList files = ListAllFiles(JobSettings::sourcePath);
        int count = 0;
        for (const QFileInfo &entry : files) {
            const QString path = QDir::toNativeSeparators(entry.filePath());
            if (!isCandidateWorkbook(path))
                continue;
            ++m_outcome.candidates;
            AxObject *workbook = workbooks->querySubObject("Open(const QString&)", QVariant(path));
            if (!workbook) {
                unopened += path + QLatin1Char('\n');
                ++m_outcome.failed;
                if (!edit.countsOpenedWorkbooksOnly()) {
                    ++count;
                    emit ShowDisposingFile(StatusTexts::progress(count, path));
                }
                continue;
            }
            if (edit.countsOpenedWorkbooksOnly()) {
                ++count;
                emit ShowDisposingFile(StatusTexts::progress(count, path));
            }
            job.setWorkbook(path, count + (edit.countsOpenedWorkbooksOnly() ? 0 : 1));

            if (AxObject *sheets = workbook->querySubObject("Sheets")) {
                if (edit.selectsSheets())
                    editSelectedSheets(sheets, edit, job);
                else
                    edit.editWorkbook(sheets, job);
            }
            if (job.workbookSkipped()) {
                workbook->dynamicCall("Close (Boolean)", QVariant(false));
            } else if (!saveAndClose(workbook)) {
                unopened += path + QLatin1Char('\n');
                ++m_outcome.failed;
            }
            // Released at once, so that memory does not grow with the number
            // of workbooks in the folder.
            delete workbook;

            if (!edit.countsOpenedWorkbooksOnly()) {
                ++count;
                emit ShowDisposingFile(StatusTexts::progress(count, path));
            }
        }
        emit ShowDisposingFile(closingText(count, job, m_outcome.failed));
    }

    excel->dynamicCall("Quit(void)");
    delete excel;
    emit Signal_SetButtonEnable();

    if (!unopened.isEmpty()) {
        if (!writeUnopenedList(JobSettings::unopenedListPath, unopened))
            emit ShowDisposingFile(StatusTexts::listFileNotWritten(JobSettings::unopenedListPath));
        else if (m_showsUnopenedListInViewer)
            showInTextViewer(JobSettings::unopenedListPath);
    }
}
