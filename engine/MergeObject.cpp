// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MergeObject.h"

#include "engine/backup/BackupHistory.h"
#include "engine/edits/JobEdits.h"

#include <QDir>

MergeObject::MergeObject(QObject *parent)
    : QObject(parent)
{
    // The results travel to the window's thread.
    qRegisterMetaType<WorkbookResult>();
}

QFileInfoList MergeObject::ListAllFiles(const QString &path)
{
    QDir dir(path);
    QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::NoSort);
    // Linked folders are not entered, as linked files are not opened: a link
    // to a parent folder would have every workbook edited again and again,
    // and one to a folder elsewhere would edit workbooks outside the folder.
    const QFileInfoList folders =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::NoSort);
    for (const QFileInfo &folder : folders) {
        // The backups hold originals, not workbooks to edit. Hidden folders
        // are passed over already, but a leading dot hides nothing on Windows.
        if (folder.fileName() == BackupHistory::folderName())
            continue;
        files.append(ListAllFiles(folder.absoluteFilePath()));
    }
    return files;
}

void MergeObject::setShowsUnopenedListInViewer(bool show)
{
    m_showsUnopenedListInViewer = show;
}

void MergeObject::runJob(WorkbookEdit &edit)
{
    m_stopRequested = false;
    m_outcome = JobFrame(*this, edit, JobOptions::fromJobSettings(), m_showsUnopenedListInViewer).run();
}

MergeObject::Outcome MergeObject::lastOutcome() const
{
    return m_outcome;
}

std::unique_ptr<WorkbookEdit> MergeObject::editOf(Job job)
{
    return jobEditOf(job).makeEdit();
}

void MergeObject::AddColumn()
{
    runJob(*editOf(&MergeObject::AddColumn));
}

void MergeObject::AddRow()
{
    runJob(*editOf(&MergeObject::AddRow));
}

void MergeObject::DeleteRow()
{
    runJob(*editOf(&MergeObject::DeleteRow));
}

void MergeObject::DeleteColumn()
{
    runJob(*editOf(&MergeObject::DeleteColumn));
}

void MergeObject::CopyFormula()
{
    runJob(*editOf(&MergeObject::CopyFormula));
}

void MergeObject::FormulaToValue()
{
    runJob(*editOf(&MergeObject::FormulaToValue));
}

void MergeObject::InsertHyperLinks()
{
    runJob(*editOf(&MergeObject::InsertHyperLinks));
}

void MergeObject::InsertHyperlinksCell()
{
    runJob(*editOf(&MergeObject::InsertHyperlinksCell));
}
