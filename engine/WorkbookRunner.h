// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobContext.h"
#include "engine/WorkbookResult.h"

#include <QString>

#include <atomic>
#include <memory>

class AxObject;
class JobBackup;
class MergeObject;
class SkipTally;
class WorkbookEdit;
struct JobOptions;

// One application of a job and the workbooks it edits with it, one at a
// time: open, let the edit's core work on it, keep its original, save, close.
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
    WorkbookResult editWorkbook(const QString &path);

private:
    void editOpenWorkbook(std::unique_ptr<AxObject> workbook, WorkbookResult &result, int number);
    bool saveWorkbook(AxObject *workbook, WorkbookResult &result);
    void recordSaved(WorkbookResult &result);
    void report(const QString &text);

    const Job m_shared;
    JobContext m_job;
    std::unique_ptr<AxObject> m_application;
    std::unique_ptr<AxObject> m_workbooks;
    QString m_startFailure;
};
