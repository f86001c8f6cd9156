// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/report/StatusTexts.h"

#include <QCoreApplication>

// The window translates the Chinese texts for other locales; the batch command
// installs no translation.
namespace StatusTexts {

QString applicationCreated()
{
    return QString::fromLocal8Bit("excel OK!");
}

QString workbooksRequested()
{
    return QString::fromLocal8Bit("WorkBooks OK!");
}

QString noApplication()
{
    return QCoreApplication::translate("StatusTexts", "本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!");
}

QString progress(int count, const QString &path)
{
    return QString::number(count) + QStringLiteral("  ") + path;
}

QString rowProgress(int count, const QString &path, int row)
{
    return progress(count, path) + QStringLiteral("  ") + QString::number(row);
}

QString finished(int count)
{
    return QCoreApplication::translate("StatusTexts", "成功") + QString::number(count) + QCoreApplication::translate("StatusTexts", "个文件,");
}

QString listFileNotWritten(const QString &path)
{
    return QCoreApplication::translate("StatusTexts", "无法写入文件：%1").arg(path);
}

QString listFileNotShown(const QString &path)
{
    return QCoreApplication::translate("StatusTexts", "无法打开列表文件，请手动查看：%1").arg(path);
}

QString stopped()
{
    return QCoreApplication::translate("StatusTexts", "（任务已停止，其余文件未处理）");
}

QString backupKept(const QString &folder)
{
    return QCoreApplication::translate("StatusTexts", "原文件已备份到%1，可撤销").arg(folder);
}

QString dryRun()
{
    return QCoreApplication::translate("StatusTexts", "（试运行，没有保存任何文件）");
}

QString folderTaken(const QString &holder)
{
    return QCoreApplication::translate("Engine", "The folder is being edited by another job (%1); try again once it has ended").arg(holder);
}

} // namespace StatusTexts
