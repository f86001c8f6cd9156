// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ListedFiles.h"

#include "engine/backup/BackupHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextCodec>

#include <cstdio>

namespace {

// Why the walk of folder would not find the file at path, or empty; relative
// is its path below folder then.
QString whyNotInWalk(const QString &path, const QString &folder, QString *relative)
{
    const QFileInfo file(path);
    if (!file.exists())
        return QStringLiteral("does not exist");
    if (file.isSymLink())
        return QStringLiteral("is a link");
    if (!file.isFile())
        return QStringLiteral("is not a file");
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonical = file.canonicalFilePath();
    if (!canonical.startsWith(canonicalFolder + QLatin1Char('/')))
        return QStringLiteral("is not below the folder %1").arg(QDir::toNativeSeparators(folder));
    *relative = canonical.mid(canonicalFolder.size() + 1);
    // Spelled without the canonical form's resolved links, the path must
    // lead the same way: else it passes through a linked folder.
    if (QDir(QFileInfo(folder).absoluteFilePath()).relativeFilePath(file.absoluteFilePath()) != *relative)
        return QStringLiteral("is reached through a linked folder");
    const QStringList folders = relative->split(QLatin1Char('/')).mid(0, relative->count(QLatin1Char('/')));
    for (const QString &name : folders) {
        if (name == BackupHistory::folderName())
            return QStringLiteral("is in the backup folder");
        if (name.startsWith(QLatin1Char('.')))
            return QStringLiteral("is in a hidden folder");
    }
    return QString();
}

// A list written by a UTF-8 editor or tool (with or without its byte order
// mark) is read as UTF-8; one that is not valid UTF-8 in the system's 8-bit
// code page, as Windows tools write it.
QString decodeList(QByteArray bytes)
{
    const QByteArray byteOrderMark("\xEF\xBB\xBF");
    if (bytes.startsWith(byteOrderMark))
        return QString::fromUtf8(bytes.mid(byteOrderMark.size()));
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 ? text : QString::fromLocal8Bit(bytes);
}

} // namespace

QString readListedFiles(const QString &listPath, const QString &folder, QStringList *paths)
{
    QFile list(listPath);
    const bool fromInput = listPath == QLatin1String("-");
    if (!(fromInput ? list.open(stdin, QIODevice::ReadOnly) : list.open(QIODevice::ReadOnly)))
        return QStringLiteral("cannot read the list %1: %2").arg(QDir::toNativeSeparators(listPath), list.errorString());
    const QByteArray bytes = list.readAll();
    if (list.error() != QFileDevice::NoError)
        return QStringLiteral("cannot read the list %1: %2").arg(QDir::toNativeSeparators(listPath), list.errorString());
    QSet<QString> listed;
    int lineNumber = 0;
    for (QString line : decodeList(bytes).split(QLatin1Char('\n'))) {
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        QString relative;
        const QString why = whyNotInWalk(line, folder, &relative);
        if (!why.isEmpty())
            return QStringLiteral("line %1 of %2: %3 %4").arg(lineNumber).arg(QDir::toNativeSeparators(listPath), line, why);
        if (listed.contains(relative))
            continue;
        listed.insert(relative);
        paths->append(QDir::toNativeSeparators(QDir(folder).filePath(relative)));
    }
    return QString();
}
