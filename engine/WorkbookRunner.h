// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/DeferredSaves.h"
#include "engine/JobContext.h"
#include "engine/WorkbookResult.h"

#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class AxObject;
class JobBackup;
class MergeObject;
class SkipTally;
class WorkbookEdit;
struct JobOptions;

// One application of a job and the workbooks it edits with it, one at a
// time: open, let the edit's core work on it, keep its original, save, close.
// Where the application lets a save go on in the background (DeferredSaves),
// the workbook's result is final only once that save ended. Meanwhile the
// next workbooks are opened, edited and saved; their texts and results are
// held and handed on once every save before them ended, so that the report
// keeps the order of the workbooks.
// A job that edits several workbooks side by side has a runner for each
// application, each on a thread of its own: an application answers only on
// the thread that started it, so a runner is made, used and ended there.
class WorkbookRunner
{
public:
    // What the runners of one job share.
    struct Job
    {
        MergeObject &worker; // reports through its signals
        WorkbookEdit &edit;
        const JobOptions &options;
        SkipTally &skips;
        JobBackup *backup; // null when the job keeps no originals
        std::atomic<int> &numbered; // the workbooks numbered so far
    };

    // Excel's Workbooks.Open with the arguments that make it refuse rather
    // than ask in a window nobody sees: FileName, UpdateLinks, ReadOnly,
    // Format, Password, WriteResPassword, IgnoreReadOnlyRecommended, Origin,
    // Delimiter, Editable, Notify, Converter, AddToMru.
    static constexpr const char *openMember =
        "Open(const QString&,int,bool,const QVariant&,const QString&,const QString&,bool,"
        "const QVariant&,const QVariant&,const QVariant&,bool,const QVariant&,bool)";

    explicit WorkbookRunner(const Job &job);
    // Quits the application.
    ~WorkbookRunner();

    WorkbookRunner(const WorkbookRunner &) = delete;
    WorkbookRunner &operator=(const WorkbookRunner &) = delete;

    // False when the application did not start; startFailure() says why.
    bool startApplication();
    QString startFailure() const { return m_startFailure; }
    // Gets each workbook's result once it is final.
    using Finished = std::function<void(const WorkbookResult &)>;
    // Edits the workbook at path. Its result goes to finished once it and
    // every workbook before it are done, at the latest at finishPending().
    void editWorkbook(const QString &path, const Finished &finished);
    // Waits for the saves still going on and hands over what was held.
    void finishPending();

private:
    // What is handed on in the workbooks' order: a text, or a workbook's
    // result and its progress text, its save perhaps still going on.
    struct Held
    {
        QString text;
        std::optional<WorkbookResult> result;
        Finished finished;
        bool saving = false;
        bool kept = false;
    };
    // Saves a workbook's own work may run beside the application's: more
    // would only take its processor.
    static constexpr int savesAtOnce = 2;

    // True while the save still goes on.
    bool editOpenWorkbook(std::unique_ptr<AxObject> workbook, WorkbookResult &result, int number, bool *kept);
    bool saveWorkbook(AxObject *workbook, WorkbookResult &result, bool *kept, bool *savedNow);
    bool completeSave(WorkbookResult &result, bool kept, const AutomationError &error, const QString &note);
    void recordSaved(WorkbookResult &result);
    void handOver(WorkbookResult result, const Finished &finished, const QString &progress);
    // Hands on what is held up to the first save still going on; waits for
    // saves until no more than running of them go on.
    void handOn(int running);
    void collectEndedSaves();
    void collectSave(Held &held);
    // The saves held that were not collected yet.
    int savesGoingOn() const;
    void report(const QString &text);
    void show(const QString &text);

    const Job m_shared;
    JobContext m_job;
    std::unique_ptr<AxObject> m_application;
    std::unique_ptr<AxObject> m_workbooks;
    QString m_startFailure;
    std::optional<DeferredSaves::Acceptance> m_deferredSaves;
    std::deque<Held> m_held;
};
