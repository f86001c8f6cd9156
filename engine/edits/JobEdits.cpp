// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/JobEdits.h"

#include "engine/edits/CellHyperlinkEdit.h"
#include "engine/edits/FormulaFillEdit.h"
#include "engine/edits/FormulaToValueEdit.h"
#include "engine/edits/HyperlinkIndexEdit.h"
#include "engine/edits/RowColumnEdit.h"
#include "launch/JobSettings.h"

#include <algorithm>

namespace {

template<typename Edit>
std::unique_ptr<WorkbookEdit> make()
{
    return std::make_unique<Edit>();
}

template<RowColumnEdit::Kind kind>
std::unique_ptr<WorkbookEdit> makeRowColumn()
{
    return std::make_unique<RowColumnEdit>(kind);
}

} // namespace

const std::vector<JobEdit> &jobEdits()
{
    static const std::vector<JobEdit> edits = {
        {"add-column", "AddColumn", JobEdit::ColumnNumber, &JobSettings::addColumnNumber, &MergeObject::AddColumn,
         makeRowColumn<RowColumnEdit::InsertColumn>},
        {"add-row", "AddRow", JobEdit::RowNumber, &JobSettings::addRowNumber, &MergeObject::AddRow,
         makeRowColumn<RowColumnEdit::InsertRow>},
        {"delete-row", "DeleteRow", JobEdit::RowNumber, &JobSettings::deleteRowNumber, &MergeObject::DeleteRow,
         makeRowColumn<RowColumnEdit::DeleteRow>},
        {"delete-column", "DeleteColumn", JobEdit::ColumnNumber, &JobSettings::deleteColumnNumber,
         &MergeObject::DeleteColumn, makeRowColumn<RowColumnEdit::DeleteColumn>},
        {"fill-formula", "CopyFormula", JobEdit::Fields, nullptr, &MergeObject::CopyFormula, make<FormulaFillEdit>},
        {"formula-to-value", "FormulaToValue", JobEdit::Fields, nullptr, &MergeObject::FormulaToValue,
         make<FormulaToValueEdit>},
        {"index-sheet", "HyperLinks", JobEdit::None, nullptr, &MergeObject::InsertHyperLinks, make<HyperlinkIndexEdit>},
        {"cell-link", "HyperlinksCell", JobEdit::Fields, nullptr, &MergeObject::InsertHyperlinksCell,
         make<CellHyperlinkEdit>},
    };
    return edits;
}

const JobEdit *findJobEdit(const QString &name)
{
    for (const JobEdit &edit : jobEdits()) {
        if (name == QLatin1String(edit.name))
            return &edit;
    }
    return nullptr;
}

const JobEdit &jobEditOf(MergeObject::Job job)
{
    const std::vector<JobEdit> &edits = jobEdits();
    const auto found = std::find_if(edits.begin(), edits.end(), [job](const JobEdit &edit) { return edit.job == job; });
    Q_ASSERT(found != edits.end());
    return *found;
}
