// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// Runs one command of workbook_tool.py, keeping what it prints in output.
bool runTool(const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral(GRIDWRIGHTER_SOURCE_DIR "/tests/support/workbook_tool.py")} + arguments);
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        qWarning("workbook_tool %s failed: %s", qPrintable(arguments.value(0)),
                 python.readAllStandardError().constData());
        return false;
    }
    if (output)
        *output = python.readAllStandardOutput();
    return true;
}

} // namespace

namespace WorkbookFiles {

bool create(const QString &path, const QJsonObject &description)
{
    return runTool({QStringLiteral("create"), path,
                    QString::fromUtf8(QJsonDocument(description).toJson(QJsonDocument::Compact))});
}

QJsonObject read(const QString &path)
{
    QByteArray output;
    return runTool({QStringLiteral("dump"), path}, &output) ? QJsonDocument::fromJson(output).object() : QJsonObject();
}

QString part(const QString &path, const QString &name)
{
    QByteArray output;
    runTool({QStringLiteral("part"), path, name}, &output);
    return QString::fromUtf8(output);
}

QString convert(const QString &path, const QString &extension, const QString &outputFolder)
{
    QTemporaryDir profile;
    QProcess office;
    office.start(QStringLiteral("/usr/lib/libreoffice/program/soffice"),
                 {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                  QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                  QStringLiteral("--convert-to"), extension, QStringLiteral("--outdir"), outputFolder, path});
    if (!office.waitForFinished(120000)) {
        office.kill();
        office.waitForFinished();
        return QString();
    }
    const QString converted = QDir(outputFolder).filePath(QFileInfo(path).completeBaseName()
                                                          + QLatin1Char('.') + extension);
    return QFileInfo::exists(converted) ? converted : QString();
}

QJsonObject sheet(const QJsonObject &workbook, const QString &name)
{
    for (const QJsonValue &value : workbook.value(QStringLiteral("sheets")).toArray())
        if (value.toObject().value(QStringLiteral("name")).toString() == name)
            return value.toObject();
    return QJsonObject();
}

QJsonObject sheetAt(const QJsonObject &workbook, int index)
{
    return workbook.value(QStringLiteral("sheets")).toArray().at(index).toObject();
}

QString corpusFolder()
{
    const QString folder = QStringLiteral(GRIDWRIGHTER_SOURCE_DIR "/../shared/corpus");
    return QFileInfo(folder).isDir() ? QDir(folder).canonicalPath() : QString();
}

} // namespace WorkbookFiles
