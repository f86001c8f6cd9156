// SPDX-License-Identifier: GPL-3.0-or-later
// load_store_folder FOLDER: LibreOffice's own load and store of every
// workbook below FOLDER, in one soffice, with nothing of ours in between. The
// baseline a whole job over the same files is held against: it prints how
// many it stored and how long that took. It stores the files in place: give
// it a copy.

#include "bench/LoadStoreBaseline.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    if (application.arguments().size() != 2) {
        out << "usage: load_store_folder FOLDER\n";
        return 2;
    }
    QStringList workbooks;
    QDirIterator files(application.arguments().at(1), {"*.xls", "*.xlsx", "*.xlsm"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext())
        workbooks.append(files.next());
    workbooks.sort();

    QElapsedTimer clock;
    clock.start();
    LoadStoreBaseline baseline;
    QString whyNot;
    if (!baseline.start(&whyNot)) {
        out << "LibreOffice did not start: " << whyNot << '\n';
        return 3;
    }
    int stored = 0;
    for (const QString &path : workbooks)
        stored += baseline.loadStore(path, &whyNot) ? 1 : 0;
    out << "stored " << stored << " of " << workbooks.size() << " in " << clock.nsecsElapsed() / 1e9 << " s\n";
    return 0;
}
