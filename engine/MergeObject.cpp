#include "engine/MergeObject.h"

#include "engine/edits/CellHyperlinkEdit.h"
#include "engine/edits/FormulaFillEdit.h"
#include "engine/edits/FormulaToValueEdit.h"
#include "engine/edits/HyperlinkIndexEdit.h"
#include "engine/edits/RowColumnEdit.h"

#include <QDir>

MergeObject::MergeObject(QObject *parent)
    : QObject(parent)
{
}

QFileInfoList MergeObject::ListAllFiles(const QString &path)
{
    QDir dir(path);
    QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::NoSort);
    const QFileInfoList folders = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &folder : folders)
        files.append(ListAllFiles(folder.absoluteFilePath()));
    return files;
}

void MergeObject::setShowsUnopenedListInViewer(bool show)
{
    m_showsUnopenedListInViewer = show;
}

void MergeObject::runJob(WorkbookEdit &edit)
{
    m_outcome = JobFrame(*this, edit, m_showsUnopenedListInViewer).run();
}

MergeObject::Outcome MergeObject::lastOutcome() const
{
    return m_outcome;
}

void MergeObject::AddColumn()
{
    RowColumnEdit edit(RowColumnEdit::InsertColumn);
    runJob(edit);
}

void MergeObject::AddRow()
{
    RowColumnEdit edit(RowColumnEdit::InsertRow);
    runJob(edit);
}

void MergeObject::DeleteRow()
{
    RowColumnEdit edit(RowColumnEdit::DeleteRow);
    runJob(edit);
}

void MergeObject::DeleteColumn()
{
    RowColumnEdit edit(RowColumnEdit::DeleteColumn);
    runJob(edit);
}

void MergeObject::CopyFormula()
{
    FormulaFillEdit edit;
    runJob(edit);
}

void MergeObject::FormulaToValue()
{
    FormulaToValueEdit edit;
    runJob(edit);
}

void MergeObject::InsertHyperLinks()
{
    HyperlinkIndexEdit edit;
    runJob(edit);
}

void MergeObject::InsertHyperlinksCell()
{
    CellHyperlinkEdit edit;
    runJob(edit);
}
