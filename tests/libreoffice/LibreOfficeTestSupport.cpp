#include "tests/libreoffice/LibreOfficeTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

#include <csignal>

namespace LibreOfficeTestSupport {

namespace {

QString runTool(const QStringList &arguments, bool *ok)
{
    QProcess python;
    python.start(QStringLiteral(GRIDWRIGHTER_PYTHON), QStringList{QStringLiteral(GRIDWRIGHTER_WORKBOOK_TOOL)} + arguments);
    *ok = python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
    if (!*ok)
        qWarning("workbook_tool.py failed: %s", python.readAllStandardError().constData());
    return QString::fromUtf8(python.readAllStandardOutput());
}

} // namespace

QString corpusDirectory()
{
    const QString directory = QStringLiteral(GRIDWRIGHTER_CORPUS_DIR);
    return QFileInfo(directory).isDir() ? QDir(directory).absolutePath() : QString();
}

QString copyFromCorpus(const QString &relativePath, const QString &directory)
{
    const QString source = corpusDirectory() + QLatin1Char('/') + relativePath;
    const QString target = directory + QLatin1Char('/') + QFileInfo(relativePath).fileName();
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return QString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

bool createWorkbook(const QString &path, const QJsonObject &description)
{
    bool ok = false;
    runTool({QStringLiteral("create"), path,
             QString::fromUtf8(QJsonDocument(description).toJson(QJsonDocument::Compact))},
            &ok);
    return ok;
}

QJsonObject dumpWorkbook(const QString &path)
{
    bool ok = false;
    const QString output = runTool({QStringLiteral("dump"), path}, &ok);
    return ok ? QJsonDocument::fromJson(output.toUtf8()).object() : QJsonObject();
}

QString packagePart(const QString &path, const QString &part)
{
    bool ok = false;
    return runTool({QStringLiteral("part"), path, part}, &ok);
}

bool processGroupAlive(pid_t group)
{
    if (group <= 0 || ::kill(-group, 0) != 0)
        return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toInt() == group && fields.at(0) != "Z")
            return true;
    }
    return false;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace LibreOfficeTestSupport

void ErrorLog::watch(AxObject *object)
{
    connect(object, &AxObject::exception, this, &ErrorLog::record);
}

void ErrorLog::record(int, const QString &, const QString &description, const QString &)
{
    m_descriptions.append(description);
}
