// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/ProgramPaths.h"
#include "app/SettingsFile.h"
#include "app/widgets/JobCounts.h"
#include "engine/backup/JobUndo.h"
#include "engine/report/TextViewer.h"
#include "launch/JobSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

const char stoppedAt[] = "StoppedJob";
const char stoppedFolder[] = "StoppedJobFolder";
const char stoppedCounts[] = "StoppedJobCounts";
const char stoppedList[] = "StoppedJobList";
const char stoppedBackup[] = "StoppedJobBackup";

} // namespace

// Written as the job ends for a newer copy, which reads it at its start:
// how far the job came, its folder, its counts, its list file and its backup.
void MainWindow::rememberStoppedJob()
{
    const QString &file = ProgramPaths::settingsFilePath;
    writeSetting(file, stoppedAt, QByteArray::number(jobResults.size()) + '/' + QByteArray::number(qMax(candidateTotal, 0)));
    writeSetting(file, stoppedFolder, lastJob.folder.toLocal8Bit());
    writeSetting(file, stoppedCounts, JobCounts::of(jobResults).toSetting());
    writeSetting(file, stoppedList, QFileInfo::exists(JobSettings::unopenedListPath) ? JobSettings::unopenedListPath.toLocal8Bit() : QByteArray());
    writeSetting(file, stoppedBackup, lastJob.backup.toLocal8Bit());
}

// Told once: the note is cleared as it is shown. The user may see the list
// of workbooks not opened or saved, or undo the stopped job.
void MainWindow::offerStoppedJob()
{
    QFile settingsFile(ProgramPaths::settingsFilePath);
    if (!settingsFile.open(QIODevice::ReadOnly))
        return;
    const QByteArray settings = settingsFile.readAll();
    settingsFile.close();
    const QList<QByteArray> count = readSetting(settings, stoppedAt).split('/');
    if (count.size() != 2)
        return;
    const QString folder = QString::fromLocal8Bit(readSetting(settings, stoppedFolder));
    const QString list = QString::fromLocal8Bit(readSetting(settings, stoppedList));
    const JobCounts counts = JobCounts::fromSetting(readSetting(settings, stoppedCounts));
    const QString backup = QString::fromLocal8Bit(readSetting(settings, stoppedBackup));
    for (const char *key : {stoppedAt, stoppedFolder, stoppedCounts, stoppedList, stoppedBackup})
        writeSetting(ProgramPaths::settingsFilePath, key, QByteArray());

    auto *notice = new QMessageBox(QMessageBox::Information, tr("提示"),
                                   tr("上次启动的程序在处理完%1个文件（共%2个）后停止了任务，文件夹：%3\n%4")
                                       .arg(QString::fromLatin1(count.at(0)), QString::fromLatin1(count.at(1)),
                                            QDir::toNativeSeparators(folder), counts.text(false)),
                                   QMessageBox::NoButton, this);
    notice->setObjectName(QStringLiteral("StoppedJobNotice"));
    notice->setAttribute(Qt::WA_DeleteOnClose);
    if (!list.isEmpty() && QFileInfo::exists(list)) {
        QPushButton *showList = notice->addButton(tr("显示列表文件"), QMessageBox::ActionRole);
        connect(showList, &QPushButton::clicked, this, [list]() { showInTextViewer(list); });
    }
    // Only that job: one that saved nothing has no backup of its own.
    const QVector<UndoableJob> jobs = backup.isEmpty() ? QVector<UndoableJob>() : undoableJobs(folder);
    if (!jobs.isEmpty() && jobs.first().folder == backup) {
        QPushButton *undo = notice->addButton(tr("撤销这次修改"), QMessageBox::ActionRole);
        connect(undo, &QPushButton::clicked, this, [this, folder, backup]() { askToUndoJob(folder, backup); });
    }
    notice->addButton(tr("关闭"), QMessageBox::RejectRole);
    notice->open();
}
