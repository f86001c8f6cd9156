// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what opening and saving workbooks costs through the automation
// layer: the application's start-up, each workbook's Open+Save+Close against
// LibreOffice's own load+store of the same file in the same run, member calls
// per second, and the peak memory of this process and of each soffice.
//
// open_save_bench [folder]: the .xls/.xlsx/.xlsm files below folder, else 40
// of the shared corpus spread over its sizes. Both sides work on copies of
// their own. CSV files are left out: the server does not store an unchanged
// CSV, so there would be nothing to compare.

#include "automation/AxObject.h"
#include "bench/PeakMemory.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "bench/LoadStoreBaseline.h"
#include "tests/support/WorkbookFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const int defaultSelection = 40;
const int startRuns = 3;
const int callCount = 10000;

struct Timing
{
    QString workbook;
    qint64 bytes = 0;
    double automation = -1; // seconds, or negative when it failed
    double baseline = -1;
};

bool isBenchWorkbook(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm");
}

// Relative paths below folder, by size; with a limit, that many spread evenly
// from the smallest to the largest.
QStringList workbooksBelow(const QString &folder, int limit)
{
    QFileInfoList found;
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (isBenchWorkbook(path))
            found.append(QFileInfo(path));
    }
    std::sort(found.begin(), found.end(),
              [](const QFileInfo &a, const QFileInfo &b) { return a.size() < b.size(); });
    QStringList chosen;
    const int count = limit > 0 ? std::min(limit, int(found.size())) : int(found.size());
    for (int i = 0; i < count; ++i) {
        const int at = count > 1 ? int(qint64(i) * (found.size() - 1) / (count - 1)) : 0;
        chosen.append(QDir(folder).relativeFilePath(found.at(at).filePath()));
    }
    chosen.removeDuplicates();
    return chosen;
}

bool copyWorkbooks(const QString &from, const QStringList &workbooks, const QString &to)
{
    for (const QString &workbook : workbooks) {
        const QString copy = to + QLatin1Char('/') + workbook;
        if (!QDir().mkpath(QFileInfo(copy).path()) || !QFile::copy(from + QLatin1Char('/') + workbook, copy))
            return false;
    }
    return true;
}

double startUpSeconds()
{
    QVector<double> runs;
    for (int i = 0; i < startRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        AxObject excel;
        excel.setControl(QStringLiteral("Excel.Application"));
        if (!excel.querySubObject("WorkBooks"))
            return -1;
        runs.append(timer.elapsed() / 1000.0);
        excel.dynamicCall("Quit(void)");
    }
    std::sort(runs.begin(), runs.end());
    return runs.at(runs.size() / 2);
}

double automationOpenSaveClose(AxObject *workbooks, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<AxObject> workbook(workbooks->querySubObject("Open(const QString&)", path));
    if (!workbook)
        return -1;
    // A workbook nothing changed in is not stored at all: the cell below the
    // used range, written and cleared again, makes it one that is.
    std::unique_ptr<AxObject> sheets(workbook->querySubObject("Sheets"));
    std::unique_ptr<AxObject> sheet(sheets ? sheets->querySubObject("Item(int)", 1) : nullptr);
    std::unique_ptr<AxObject> used(sheet ? sheet->querySubObject("UsedRange") : nullptr);
    std::unique_ptr<AxObject> rows(used ? used->querySubObject("Rows") : nullptr);
    const int below = rows ? used->property("Row").toInt() + rows->property("Count").toInt() : 0;
    std::unique_ptr<AxObject> cell(below > 0 ? sheet->querySubObject("Cells(int,int)", below, 1) : nullptr);
    if (!cell)
        return -1;
    cell->dynamicCall("SetValue(const QVariant&)", QStringLiteral("x"));
    cell->dynamicCall("SetValue(const QVariant&)", QVariant());
    const bool saved = workbook->dynamicCall("Save()").isValid();
    workbook->dynamicCall("Close (Boolean)", false);
    return saved ? timer.elapsed() / 1000.0 : -1;
}

// Member calls on the first sheet of a workbook: the sheet's Name, and one
// cell's Value() through a fresh Cells(r,c) object each time.
void callsPerSecond(AxObject *workbooks, const QString &path, double &nameReads, double &cellReads)
{
    std::unique_ptr<AxObject> workbook(workbooks->querySubObject("Open(const QString&)", path));
    AxObject *sheet = workbook ? workbook->querySubObject("Sheets")->querySubObject("Item(int)", 1) : nullptr;
    if (!sheet)
        return;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < callCount; ++i)
        sheet->property("Name");
    nameReads = callCount / (timer.nsecsElapsed() / 1e9);
    timer.restart();
    for (int i = 0; i < callCount; ++i) {
        std::unique_ptr<AxObject> cell(sheet->querySubObject("Cells(int,int)", 1 + i % 100, 1 + i / 100 % 10));
        cell->dynamicCall("Value()");
    }
    cellReads = callCount / (timer.nsecsElapsed() / 1e9);
    workbook->dynamicCall("Close (Boolean)", false);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    registerLibreOfficeServer();
    const QString source = argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).absolutePath() : WorkbookFiles::corpusFolder();
    if (source.isEmpty()) {
        std::fprintf(stderr, "no folder given and no shared corpus\n");
        return 1;
    }
    const QStringList workbooks = workbooksBelow(source, argc > 1 ? 0 : defaultSelection);
    QTemporaryDir work;
    const QString automationFolder = work.filePath(QStringLiteral("automation"));
    const QString baselineFolder = work.filePath(QStringLiteral("baseline"));
    if (workbooks.isEmpty() || !copyWorkbooks(source, workbooks, automationFolder)
        || !copyWorkbooks(source, workbooks, baselineFolder)) {
        std::fprintf(stderr, "no workbooks to measure below %s\n", qPrintable(source));
        return 1;
    }
    QTextStream out(stdout);

    const double startUp = startUpSeconds();

    QVector<Timing> timings;
    PeakMemory::resetOwn();
    AxObject excel(QStringLiteral("Excel.Application"));
    AxObject *books = excel.querySubObject("WorkBooks");
    if (!books) {
        std::fprintf(stderr, "LibreOffice did not start\n");
        return 1;
    }
    for (const QString &workbook : workbooks) {
        Timing timing;
        timing.workbook = workbook;
        timing.bytes = QFileInfo(source + QLatin1Char('/') + workbook).size();
        timing.automation = automationOpenSaveClose(books, automationFolder + QLatin1Char('/') + workbook);
        timings.append(timing);
    }
    double nameReads = 0;
    double cellReads = 0;
    const auto firstOpened = std::find_if(timings.begin(), timings.end(), [](const Timing &t) { return t.automation >= 0; });
    if (firstOpened != timings.end())
        callsPerSecond(books, automationFolder + QLatin1Char('/') + firstOpened->workbook, nameReads, cellReads);
    const double ownMb = PeakMemory::ownMb();
    const double automationSofficeMb = PeakMemory::sofficeMbOf(excel.property("ProcessId").toLongLong());
    excel.dynamicCall("Quit(void)");

    LoadStoreBaseline baseline;
    QString whyNot;
    if (!baseline.start(&whyNot)) {
        std::fprintf(stderr, "the baseline's soffice did not start: %s\n", qPrintable(whyNot));
        return 1;
    }
    for (Timing &timing : timings) {
        QElapsedTimer timer;
        timer.start();
        if (baseline.loadStore(baselineFolder + QLatin1Char('/') + timing.workbook, &whyNot))
            timing.baseline = timer.elapsed() / 1000.0;
        else
            std::fprintf(stderr, "baseline, %s: %s\n", qPrintable(timing.workbook), qPrintable(whyNot));
    }
    const double baselineSofficeMb = PeakMemory::sofficeMbOf(baseline.processId());

    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("workbook"), -60)
               .arg(QStringLiteral("KB"), 7)
               .arg(QStringLiteral("engine s"), 9)
               .arg(QStringLiteral("LO s"), 7)
               .arg(QStringLiteral("ratio"), 6);
    double automationTotal = 0;
    double baselineTotal = 0;
    int compared = 0;
    for (const Timing &timing : qAsConst(timings)) {
        const bool both = timing.automation >= 0 && timing.baseline >= 0;
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(timing.workbook.right(60), -60)
                   .arg(timing.bytes / 1024.0, 7, 'f', 0)
                   .arg(timing.automation >= 0 ? QString::number(timing.automation, 'f', 3) : QStringLiteral("failed"), 9)
                   .arg(timing.baseline >= 0 ? QString::number(timing.baseline, 'f', 3) : QStringLiteral("failed"), 7)
                   .arg(both ? QString::number(timing.automation / timing.baseline, 'f', 2) : QStringLiteral("-"), 6);
        if (both) {
            automationTotal += timing.automation;
            baselineTotal += timing.baseline;
            ++compared;
        }
    }
    out << QStringLiteral("\nworkbooks measured on both sides: %1 of %2\n").arg(compared).arg(timings.size());
    out << QStringLiteral("Open+Save+Close, total: %1 s; LibreOffice load+store, total: %2 s; ratio %3\n")
               .arg(automationTotal, 0, 'f', 2)
               .arg(baselineTotal, 0, 'f', 2)
               .arg(baselineTotal > 0 ? automationTotal / baselineTotal : 0, 0, 'f', 2);
    out << QStringLiteral("application start-up (setControl to WorkBooks), median of %1: %2 s\n")
               .arg(startRuns)
               .arg(startUp, 0, 'f', 2);
    out << QStringLiteral("member calls per second: sheet Name %1, Cells(r,c) + Value() %2\n")
               .arg(nameReads, 0, 'f', 0)
               .arg(cellReads, 0, 'f', 0);
    out << QStringLiteral("peak memory (VmHWM): this process %1 MB, its soffice %2 MB, the baseline's soffice %3 MB\n")
               .arg(ownMb, 0, 'f', 1)
               .arg(automationSofficeMb, 0, 'f', 1)
               .arg(baselineSofficeMb, 0, 'f', 1);
    return 0;
}
