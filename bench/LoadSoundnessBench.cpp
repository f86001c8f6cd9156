// SPDX-License-Identifier: GPL-3.0-or-later
// The checks made before a workbook is loaded (every XML part well-formed,
// every cell within the grid, read in one pass with the cells each sheet
// holds and the row heights it stores; an .xls's records read to their end,
// a CSV's lines and fields counted), run over every workbook below a folder:
// what each refuses, and what the checks cost against reading the files.
//
//   load_soundness_bench FOLDER

#include "fileformats/CsvDialect.h"
#include "fileformats/LoadSoundness.h"
#include "fileformats/WorkbookSurvey.h"
#include "fileformats/ZipArchive.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QTextStream>

#include <ctime>

namespace {

// Processor time, not wall time: the machine is shared.
qint64 cpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace


int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: load_soundness_bench FOLDER\n";
        return 2;
    }
    QTextStream out(stdout);
    int files = 0;
    int refused = 0;
    qint64 bytes = 0;
    qint64 readNanoseconds = 0;
    qint64 checkNanoseconds = 0;
    QString slowest;
    qint64 slowestNanoseconds = 0;
    QDirIterator walk(QString::fromLocal8Bit(argv[1]), {"*.xlsx", "*.xlsm", "*.xls", "*.csv"}, QDir::Files,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        qint64 start = cpuNanoseconds();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray content = file.readAll();
        ZipArchive archive;
        const bool zip = content.startsWith("PK\x03\x04") && archive.read(content);
        readNanoseconds += cpuNanoseconds() - start;
        start = cpuNanoseconds();
        QString problem;
        if (zip) {
            problem = WorkbookSurvey(archive).problem();
        } else if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
            const CsvDialect dialect = CsvDialect::of(content);
            if (dialect.lines > LoadSoundness::gridRows || dialect.widestRecord > LoadSoundness::gridColumns)
                problem = QStringLiteral("beyond the grid: %1 lines, %2 fields").arg(dialect.lines).arg(dialect.widestRecord);
        } else {
            problem = LoadSoundness::biffProblem(path);
        }
        const qint64 spent = cpuNanoseconds() - start;
        checkNanoseconds += spent;
        if (spent > slowestNanoseconds) {
            slowestNanoseconds = spent;
            slowest = path;
        }
        ++files;
        bytes += content.size();
        if (!problem.isEmpty()) {
            ++refused;
            out << "refused: " << path << ": " << problem << '\n';
        }
    }
    out << QStringLiteral("%1 files, %2 MB: %3 refused; processor time reading %4 s, checking %5 s; slowest check %6 s (%7)\n")
               .arg(files)
               .arg(bytes / 1e6, 0, 'f', 1)
               .arg(refused)
               .arg(readNanoseconds / 1e9, 0, 'f', 2)
               .arg(checkNanoseconds / 1e9, 0, 'f', 2)
               .arg(slowestNanoseconds / 1e9, 0, 'f', 2)
               .arg(slowest);
    return 0;
}
