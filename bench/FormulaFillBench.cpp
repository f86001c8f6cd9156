// Prints how long filling a formula over 10,000 and 100,000 cells takes
// through the engine (one cell at a time, as on Windows) against LibreOffice's
// own one-call fill of the same range, and how long turning the filled column
// into values takes, with the peak memory of this process and of soffice.

#include "automation/AxObject.h"
#include "bench/PeakMemory.h"
#include "engine/MergeObject.h"
#include "launch/JobSettings.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/support/WorkbookFiles.h"
#include "engine/UnopenedList.h"

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

struct Figure
{
    QString name;
    int cells;
    double seconds;
    double ownMb;
    double sofficeMb;
};

QString columnName(int column)
{
    QString name;
    for (; column > 0; column = (column - 1) / 26)
        name.prepend(QChar('A' + (column - 1) % 26));
    return name;
}

// Column A numbered 1..rows, written by LibreOffice in one call.
bool makeInput(const QString &path, int rows)
{
    if (!WorkbookFiles::create(path, QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Sheet1"},
                                                                                   {"cells", QJsonObject{{"A1", 1}}}}}}}))
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

// A whole job of the engine over a folder holding one workbook.
Figure runJob(const QString &name, int cells, void (MergeObject::*slot)())
{
    MergeObject worker;
    worker.setShowsUnopenedListInViewer(false);
    PeakMemory::resetOwn();
    PeakMemory::SofficeWatcher soffice;
    QElapsedTimer timer;
    timer.start();
    (worker.*slot)();
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
                                               QStringLiteral("B1:%1%2").arg(columnName(shape.columns + 1)).arg(1));
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    registerLibreOfficeServer();
    QTemporaryDir work;
    const QList<Shape> shapes = {{100, 100, QStringLiteral("B1:CW100")},
                                 {100000, 1, QStringLiteral("B1:B100000")}};
    QTextStream out(stdout);
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("case"), -34)
               .arg(QStringLiteral("cells"), 8)
               .arg(QStringLiteral("seconds"), 9)
               .arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("own MB"), 8)
               .arg(QStringLiteral("soffice MB"), 11);
    for (const Shape &shape : shapes) {
        const int cells = shape.rows * shape.columns;
        const QString input = work.filePath(QStringLiteral("input-%1.xlsx").arg(cells));
        if (!makeInput(input, shape.rows)) {
            std::fprintf(stderr, "could not make the input workbook\n");
            return 1;
        }
        double fillSeconds = 0;
        const QString oneCallFolder = freshFolder(work, QStringLiteral("one-call-%1").arg(cells), input);
        const Figure oneCall = oneCallFill(oneCallFolder + QStringLiteral("/book.xlsx"), shape, fillSeconds);

        pointJobAt(freshFolder(work, QStringLiteral("engine-%1").arg(cells), input));
        JobSettings::firstFormula = QStringLiteral("=A1*2");
        JobSettings::copyFormulaStartRow = 1;
        JobSettings::copyFormulaStartColumn = 2;
        JobSettings::copyFormulaEndRow = shape.rows;
        JobSettings::copyFormulaEndColumn = shape.columns + 1;
        JobSettings::autoEndRow = false;
        JobSettings::autoEndColumn = false;
        const Figure engine = runJob(QStringLiteral("engine fill (CopyFormula job)"), cells,
                                     &MergeObject::CopyFormula);
        JobSettings::valueRange = QStringLiteral("B:B");
        const Figure values = runJob(QStringLiteral("formulas to values B:B (job)"), shape.rows,
                                     &MergeObject::FormulaToValue);

        out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                   .arg(QStringLiteral("one-call fill, the call alone"), -34)
                   .arg(cells, 8)
                   .arg(fillSeconds, 9, 'f', 3)
                   .arg(QStringLiteral("-"), 7)
                   .arg(QStringLiteral("-"), 8)
                   .arg(QStringLiteral("-"), 11);
        for (const Figure &figure : {oneCall, engine, values}) {
            out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                       .arg(figure.name, -34)
                       .arg(figure.cells, 8)
                       .arg(figure.seconds, 9, 'f', 3)
                       .arg(figure.seconds / oneCall.seconds, 7, 'f', 2)
                       .arg(figure.ownMb, 8, 'f', 1)
                       .arg(figure.sofficeMb, 11, 'f', 1);
        }
        out.flush();
    }
    return 0;
}
