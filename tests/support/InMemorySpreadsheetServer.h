// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <utility>

// A spreadsheet application held in memory, registered as "Excel.Application"
// while installed. Workbooks are plain data keyed by their native path; every
// member call is recorded in order, so tests can check what the engine asked
// and in which order. It models the members the engine uses, not a whole
// spreadsheet: cells hold what was written into them.
class InMemorySpreadsheetServer
{
public:
    struct Link
    {
        int row = 0;
        int column = 0;
        QString address;
        QString subAddress;
    };

    struct Sheet
    {
        QString name;
        // (row, column), 1-based; a text starting with "=" is a formula
        QMap<std::pair<int, int>, QVariant> cells;
        // What the formula cells give, by the same key; none gives nothing.
        QMap<std::pair<int, int>, QVariant> results;
        QList<Link> links;
        bool chart = false;
        int rowLimit = 1048576;
        int columnLimit = 16384;
    };

    struct Workbook
    {
        // Empty sheets of these names.
        static Workbook withSheets(const QStringList &names);

        QList<Sheet> sheets;
        bool protectedStructure = false;
        int saves = 0;
    };

    struct Call
    {
        QString object; // "application", "workbooks", "workbook", "sheets", "sheet", "range", ...
        QString member;
        QVariantList arguments;
    };

    InMemorySpreadsheetServer();
    ~InMemorySpreadsheetServer();

    void install();
    void uninstall();

    // A workbook that has not been set opens with one empty sheet "Sheet1".
    void setWorkbook(const QString &nativePath, const Workbook &workbook);
    Workbook workbook(const QString &nativePath) const;
    void failToOpen(const QString &nativePath);
    void failToSave(const QString &nativePath);
    // Where the caller takes deferred saves, each save ends on a thread of
    // its own after delayMs, or the delay delayMsOf gives its path (failing
    // for the paths of failToSave), as LibreOffice's server lets the checks
    // and put-backs go on; saveEnds is told of each as it ends.
    void deferSaves(int delayMs, const QHash<QString, int> &delayMsOf = {},
                    const std::function<void(const QString &)> &saveEnds = {});
    // Whether the save of the workbook at nativePath has ended.
    bool saveEnded(const QString &nativePath) const;

    QList<Call> calls() const;
    // "member" for each call, in order.
    QStringList members() const;
    int count(const QString &member) const;
    int applicationsStarted() const;
    int applicationsQuit() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};
