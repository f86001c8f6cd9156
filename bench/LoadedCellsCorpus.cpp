// SPDX-License-Identifier: GPL-3.0-or-later
// loaded_cells_corpus [FOLDER]: opens every .xls/.xlsx/.xlsm below FOLDER
// (else the shared corpus) for editing the way a job opens it, each from a
// copy of its own, and prints the workbooks refused because LibreOffice
// loaded a sheet with other cells than the file holds (or the file's cells
// could not be read to hold them against), the workbooks refused
// for any other reason, and how many opened. A workbook LibreOffice loads
// whole must never be refused for its cells.

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/document/DocumentOpener.h"
#include "platform/libreoffice/office/OfficeSession.h"
#include "tests/support/WorkbookFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    const QString folder = application.arguments().size() > 1 ? application.arguments().at(1)
                                                              : WorkbookFiles::corpusFolder();
    QStringList workbooks;
    QDirIterator files(folder, {"*.xls", "*.xlsx", "*.xlsm"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        workbooks.append(files.next());
    workbooks.sort();

    QString whyNot;
    std::shared_ptr<OfficeSession> session = OfficeSession::start(LibreOfficeOptions(), &whyNot);
    if (!session) {
        out << "LibreOffice did not start: " << whyNot << '\n';
        return 3;
    }
    int opened = 0;
    QStringList forCells;
    QStringList otherwise;
    QElapsedTimer clock;
    clock.start();
    for (const QString &path : workbooks) {
        if (!session->isAlive())
            session = OfficeSession::start(LibreOfficeOptions(), &whyNot);
        QTemporaryDir copyFolder;
        const QString copy = copyFolder.filePath(QFileInfo(path).fileName());
        QFile::copy(path, copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        const QString name = QDir(folder).relativeFilePath(path);
        try {
            openDocument(session, copy)->close();
            ++opened;
        } catch (const AutomationFailure &failure) {
            const QString reason = QString(failure.description).replace(copy, name);
            (reason.contains(QLatin1String("LibreOffice loaded")) || reason.contains(QLatin1String("LibreOffice made"))
                     || reason.contains(QLatin1String("did not load the sheet"))
                     || reason.contains(QLatin1String("cannot be read from the file"))
                 ? forCells
                 : otherwise)
                .append(reason);
        }
    }
    out << "refused for their cells (" << forCells.size() << "):\n  " << forCells.join("\n  ") << '\n';
    out << "refused otherwise (" << otherwise.size() << "):\n  " << otherwise.join("\n  ") << '\n';
    out << "opened " << opened << " of " << workbooks.size() << " in " << clock.elapsed() / 1000.0 << " s\n";
    return 0;
}
