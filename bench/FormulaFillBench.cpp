// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long filling a formula over 10,000 and 100,000 cells takes
// through the engine (one cell at a time, as on Windows) against LibreOffice's
// own one-call fill of the same range, and how long turning the filled column
// into values takes, with the peak memory of this process and of soffice.
// Then the same fill down a column of 20,000 rows formatted like a real sheet
// (alternating fills, a number format changing every few rows), with the
// longest wait between two status texts of the engine's job.

#include "automation/AxObject.h"
#include "bench/PeakMemory.h"
#include "engine/MergeObject.h"
#include "fileformats/ColumnLetters.h"
#include "launch/JobSettings.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/support/WorkbookFiles.h"
#include "engine/report/UnopenedList.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

struct Shape
{
    int rows;
    int columns;
    QString range; // the filled block, B1 at its top left
};

struct LongestSilence
{
    double seconds = 0;
    QString after; // the status text shown before it, or "" for the job's start
};

struct Figure
{
    QString name;
    int cells;
    double seconds;
    double ownMb;
    double sofficeMb;
};

// Column A numbered 1..rows, written by LibreOffice in one call; formats
// holds the sheet's formats in workbook_tool.py's terms.
bool makeInput(const QString &path, int rows, const QJsonObject &formats = {})
{
    QJsonObject sheetSpec = formats;
    sheetSpec.insert("name", "Sheet1");
    sheetSpec.insert("cells", QJsonObject{{"A1", 1}});
    if (!WorkbookFiles::create(path, QJsonObject{{"sheets", QJsonArray{sheetSpec}}}))
        return false;
    AxObject excel(QStringLiteral("Excel.Application"));
    AxObject *book = excel.querySubObject("WorkBooks")->querySubObject("Open(const QString&)", path);
    if (!book)
        return false;
    AxObject *sheet = book->querySubObject("Sheets")->querySubObject("Item(int)", 1);
    QVariantList numbers;
    for (int row = 1; row <= rows; ++row)
        numbers.append(QVariant(QVariantList{row}));
    sheet->querySubObject("Range(const QVariant&)", QStringLiteral("A1:A%1").arg(rows))
        ->dynamicCall("SetValue(const QVariant&)", QVariant(numbers));
    book->dynamicCall("Save()");
    book->dynamicCall("Close (Boolean)", false);
    excel.dynamicCall("Quit(void)");
    return true;
}

QString freshFolder(const QTemporaryDir &work, const QString &name, const QString &input)
{
    const QString folder = work.filePath(name);
    QDir().mkpath(folder);
    QFile::copy(input, folder + QStringLiteral("/book.xlsx"));
    return folder;
}

void pointJobAt(const QString &folder)
{
    JobSettings::sourcePath = folder + QLatin1Char('/');
    JobSettings::unopenedListPath = JobSettings::sourcePath + unopenedListFileName();
    JobSettings::onlyFirstSheet = false;
    JobSettings::appointedSheet = false;
}

// A whole job of the engine over a folder holding one workbook; silence, if
// given, gets the longest time the status line stood still, up to the job's end.
Figure runJob(const QString &name, int cells, void (MergeObject::*slot)(), LongestSilence *silence = nullptr)
{
    MergeObject worker;
    worker.setShowsUnopenedListInViewer(false);
    PeakMemory::resetOwn();
    PeakMemory::SofficeWatcher soffice;
    QElapsedTimer timer;
    qint64 lastShown = 0;
    QString lastText;
    auto shown = [&](const QString &text) {
        const qint64 now = timer.elapsed();
        if (silence && (now - lastShown) / 1000.0 > silence->seconds)
            *silence = LongestSilence{(now - lastShown) / 1000.0, lastText};
        lastShown = now;
        lastText = text;
    };
    QObject::connect(&worker, &MergeObject::ShowDisposingFile, shown);
    timer.start();
    (worker.*slot)();
    shown(QString());
    const double seconds = timer.elapsed() / 1000.0;
    if (worker.lastOutcome().failed != 0 || worker.lastOutcome().candidates != 1)
        std::fprintf(stderr, "%s: the job did not edit its workbook\n", qPrintable(name));
    return Figure{name, cells, seconds, PeakMemory::ownMb(), soffice.peakMb()};
}

// LibreOffice's own fill, framed like a job (start, open, write B1, fill,
// save, close, quit); fillSeconds gets the fill call alone.
Figure oneCallFill(const QString &path, const Shape &shape, double &fillSeconds)
{
    PeakMemory::resetOwn();
    PeakMemory::SofficeWatcher soffice;
    QElapsedTimer timer;
    timer.start();
    AxObject excel(QStringLiteral("Excel.Application"));
    AxObject *book = excel.querySubObject("WorkBooks")->querySubObject("Open(const QString&)", path);
    AxObject *sheet = book->querySubObject("Sheets")->querySubObject("Item(int)", 1);
    sheet->querySubObject("Range(const QVariant&)", QStringLiteral("B1"))
        ->dynamicCall("SetFormula(const QVariant&)", QStringLiteral("=A1*2"));
    // Across the first row, then down: Range.FillRight and Range.FillDown.
    AxObject *firstRow = sheet->querySubObject("Range(const QVariant&)",
                                               QStringLiteral("B1:%1%2").arg(columnLetters(shape.columns + 1)).arg(1));
    AxObject *block = sheet->querySubObject("Range(const QVariant&)", shape.range);
    QElapsedTimer fill;
    fill.start();
    if (shape.columns > 1)
        firstRow->dynamicCall("FillRight()");
    block->dynamicCall("FillDown()");
    fillSeconds = fill.elapsed() / 1000.0;
    book->dynamicCall("Save()");
    book->dynamicCall("Close (Boolean)", false);
    excel.dynamicCall("Quit(void)");
    return Figure{QStringLiteral("one-call fill (job frame)"), shape.rows * shape.columns,
                  timer.elapsed() / 1000.0, PeakMemory::ownMb(), soffice.peakMb()};
}

void printFigure(QTextStream &out, const QString &name, int cells, double seconds, const QString &ratio,
                 const QString &ownMb, const QString &sofficeMb)
{
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(name, -40)
               .arg(cells, 8)
               .arg(seconds, 9, 'f', 3)
               .arg(ratio, 7)
               .arg(ownMb, 8)
               .arg(sofficeMb, 11);
}

void printFigure(QTextStream &out, const Figure &figure, const Figure &oneCall)
{
    printFigure(out, figure.name, figure.cells, figure.seconds,
                QString::number(figure.seconds / oneCall.seconds, 'f', 2), QString::number(figure.ownMb, 'f', 1),
                QString::number(figure.sofficeMb, 'f', 1));
}

struct Case
{
    QString name;
    Shape shape;
    QJsonObject formats; // workbook_tool.py's sheet formats
    bool convertsToValues;
};

// Row i of column A to C: fills alternate, the number format changes every
// third row, as on a report made to be printed.
QJsonObject stripedFormats(int rows)
{
    return QJsonObject{{"stripes", QJsonObject{{"area", QStringLiteral("A1:C%1").arg(rows)},
                                               {"fills", QJsonArray{"FFDDEBF7", "FFFFFFFF"}},
                                               {"number_formats", QJsonArray{"0.00", "#,##0", "0.0%"}},
                                               {"format_rows", 3}}}};
}

} // namespace

// Arguments name the cases to run (plain, striped); none runs them all.
int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    registerLibreOfficeServer();
    QTemporaryDir work;
    const QList<Case> cases = {{QStringLiteral("plain"), {100, 100, QStringLiteral("B1:CW100")}, {}, true},
                               {QStringLiteral("plain"), {100000, 1, QStringLiteral("B1:B100000")}, {}, true},
                               {QStringLiteral("striped"), {20000, 1, QStringLiteral("B1:B20000")},
                                stripedFormats(20000), false}};
    const QStringList chosen = application.arguments().mid(1);
    QTextStream out(stdout);
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("case"), -40)
               .arg(QStringLiteral("cells"), 8)
               .arg(QStringLiteral("seconds"), 9)
               .arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("own MB"), 8)
               .arg(QStringLiteral("soffice MB"), 11);
    for (const Case &benchCase : cases) {
        if (!chosen.isEmpty() && !chosen.contains(benchCase.name))
            continue;
        const Shape &shape = benchCase.shape;
        const int cells = shape.rows * shape.columns;
        const QString tag = QStringLiteral("%1-%2").arg(benchCase.name).arg(cells);
        const QString input = work.filePath(QStringLiteral("input-%1.xlsx").arg(tag));
        if (!makeInput(input, shape.rows, benchCase.formats)) {
            std::fprintf(stderr, "could not make the input workbook\n");
            return 1;
        }
        double fillSeconds = 0;
        const QString oneCallFolder = freshFolder(work, QStringLiteral("one-call-%1").arg(tag), input);
        Figure oneCall = oneCallFill(oneCallFolder + QStringLiteral("/book.xlsx"), shape, fillSeconds);
        oneCall.name = QStringLiteral("%1: %2").arg(benchCase.name, oneCall.name);

        pointJobAt(freshFolder(work, QStringLiteral("engine-%1").arg(tag), input));
        JobSettings::firstFormula = QStringLiteral("=A1*2");
        JobSettings::copyFormulaStartRow = 1;
        JobSettings::copyFormulaStartColumn = 2;
        JobSettings::copyFormulaEndRow = shape.rows;
        JobSettings::copyFormulaEndColumn = shape.columns + 1;
        JobSettings::autoEndRow = false;
        JobSettings::autoEndColumn = false;
        LongestSilence silence;
        const Figure engine = runJob(QStringLiteral("%1: engine fill (CopyFormula job)").arg(benchCase.name), cells,
                                     &MergeObject::CopyFormula, &silence);

        printFigure(out, QStringLiteral("%1: one-call fill, the call alone").arg(benchCase.name), cells, fillSeconds,
                    QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"));
        printFigure(out, oneCall, oneCall);
        printFigure(out, engine, oneCall);
        if (benchCase.convertsToValues) {
            JobSettings::valueRange = QStringLiteral("B:B");
            const Figure values = runJob(QStringLiteral("%1: formulas to values B:B (job)").arg(benchCase.name),
                                         shape.rows, &MergeObject::FormulaToValue);
            printFigure(out, values, oneCall);
        }
        out << QStringLiteral("%1: longest silence of the status line in the engine fill: %2 s, after \"%3\"\n")
                   .arg(benchCase.name)
                   .arg(silence.seconds, 0, 'f', 2)
                   .arg(silence.after);
        out.flush();
    }
    return 0;
}
