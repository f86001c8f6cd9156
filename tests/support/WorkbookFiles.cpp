#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QString tool()
{
    return QStringLiteral(GRIDWRIGHTER_SOURCE_DIR "/tests/support/workbook_tool.py");
}

} // namespace

namespace WorkbookFiles {

bool create(const QString &path, const QJsonObject &description)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {tool(), QStringLiteral("create"), path,
                  QString::fromUtf8(QJsonDocument(description).toJson(QJsonDocument::Compact))});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("workbook_tool create failed: %s", python.readAllStandardError().constData());
        return false;
    }
    return true;
}

QJsonObject read(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {tool(), QStringLiteral("dump"), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("workbook_tool dump failed: %s", python.readAllStandardError().constData());
        return QJsonObject();
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
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
