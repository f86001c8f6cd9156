// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/widgets/JobResultsDialog.h"

#include "engine/report/TextViewer.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { PathColumn, OutcomeColumn, ReasonColumn };

} // namespace

JobResultsDialog::JobResultsDialog(QWidget *parent)
    : QDialog(parent)
    , heading(new QLabel(this))
    , list(new QTreeWidget(this))
    , listFileButton(new QPushButton(tr("显示列表文件"), this))
    , undoButton(new QPushButton(tr("撤销本次修改"), this))
{
    setObjectName(QStringLiteral("JobResultsDialog"));
    setWindowTitle(tr("处理结果"));
    heading->setWordWrap(true);
    list->setObjectName(QStringLiteral("tw_Results"));
    list->setRootIsDecorated(false);
    // A deep path keeps its file name in sight.
    list->setTextElideMode(Qt::ElideMiddle);
    list->setHeaderLabels({tr("文件"), tr("结果"), tr("原因")});
    list->header()->setStretchLastSection(true);

    auto *openFolder = new QPushButton(tr("打开所在文件夹"), this);
    auto *copy = new QPushButton(tr("复制列表"), this);
    auto *close = new QPushButton(tr("关闭"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {openFolder, copy, listFileButton, undoButton})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(list);
    layout->addLayout(buttons);

    connect(openFolder, &QPushButton::clicked, this, &JobResultsDialog::openSelectedFolder);
    connect(copy, &QPushButton::clicked, this, &JobResultsDialog::copyList);
    connect(listFileButton, &QPushButton::clicked, this, &JobResultsDialog::showListFile);
    connect(undoButton, &QPushButton::clicked, this, [this]() {
        hide();
        emit undoRequested();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    // Within the screen, as the window: on a small one the list scrolls and
    // the buttons stay in reach.
    const QSize frame(16, 48);
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size() - frame;
    setMaximumSize(room);
    resize(QSize(48 * fontMetrics().height(), 20 * fontMetrics().height()).boundedTo(room));
}

QString JobResultsDialog::outcomeText(const WorkbookResult &workbook, bool dryRun)
{
    switch (workbook.kind) {
    case WorkbookResult::NotOpened:
        return tr("未能打开");
    case WorkbookResult::NotSaved:
        return tr("未能保存");
    case WorkbookResult::Untouched:
        return tr("未修改");
    case WorkbookResult::Edited:
        break;
    }
    if (dryRun)
        return workbook.skippedSheets.isEmpty() ? tr("将修改") : tr("将修改，部分工作表跳过");
    return tr("已修改，部分工作表跳过");
}

QString JobResultsDialog::reasonText(const WorkbookResult &workbook)
{
    QStringList reasons;
    if (!workbook.reason.isEmpty())
        reasons << workbook.reason;
    reasons << workbook.skippedSheets;
    return reasons.join(tr("；"));
}

void JobResultsDialog::showResults(const QVector<WorkbookResult> &workbooks, const JobCounts &counts,
                                   const QString &listFilePath, bool dryRun)
{
    listFile = listFilePath;
    heading->setText(counts.text(dryRun) + QLatin1Char('\n')
                     + (dryRun ? tr("试运行：%1个文件将会这样处理（没有保存任何文件）").arg(workbooks.size())
                               : tr("%1个文件没有顺利修改：").arg(workbooks.size())));
    list->clear();
    for (const WorkbookResult &workbook : workbooks) {
        auto *row = new QTreeWidgetItem(list, {workbook.path, outcomeText(workbook, dryRun), reasonText(workbook)});
        row->setToolTip(PathColumn, workbook.path);
        row->setToolTip(ReasonColumn, reasonText(workbook));
    }
    list->resizeColumnToContents(PathColumn);
    list->resizeColumnToContents(OutcomeColumn);
    // A deep path leaves room for the reason; the whole path is in its tooltip.
    list->setColumnWidth(PathColumn, std::min({list->columnWidth(PathColumn), 28 * fontMetrics().height(), width() * 2 / 5}));
    list->setCurrentItem(list->topLevelItem(0));
    // The list file holds the workbooks not opened or saved; it is written
    // just after the job's end, so it exists by the time anyone clicks.
    const bool listed = std::any_of(workbooks.begin(), workbooks.end(), [](const WorkbookResult &workbook) {
        return workbook.kind == WorkbookResult::NotOpened || workbook.kind == WorkbookResult::NotSaved;
    });
    listFileButton->setEnabled(!dryRun && listed);
    show();
    raise();
}

void JobResultsDialog::setUndoEnabled(bool enabled)
{
    undoButton->setEnabled(enabled);
}

void JobResultsDialog::openSelectedFolder()
{
    const QTreeWidgetItem *row = list->currentItem();
    if (row)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(row->text(PathColumn)).absolutePath()));
}

// Tab-separated, one workbook a line, for a spreadsheet or a mail.
void JobResultsDialog::copyList()
{
    QStringList lines;
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        const QTreeWidgetItem *row = list->topLevelItem(index);
        lines << QStringList{row->text(PathColumn), row->text(OutcomeColumn), row->text(ReasonColumn)}.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void JobResultsDialog::showListFile()
{
    if (!QFileInfo::exists(listFile) || !showInTextViewer(listFile))
        heading->setText(heading->text() + QLatin1Char('\n') + tr("无法打开列表文件，请手动查看：%1").arg(listFile));
}
