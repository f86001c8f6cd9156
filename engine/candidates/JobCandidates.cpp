// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/candidates/JobCandidates.h"

#include "engine/candidates/CandidateWorkbook.h"
#include "engine/MergeObject.h"
#include "engine/JobOptions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QtEndian>

QStringList jobCandidates(MergeObject &worker, const JobOptions &options)
{
    QStringList found;
    if (options.filesListed) {
        found = options.listedFiles;
    } else {
        for (const QFileInfo &entry : worker.ListAllFiles(options.sourcePath))
            found.append(QDir::toNativeSeparators(entry.filePath()));
    }
    const QDir folder(options.sourcePath);
    QStringList candidates;
    for (const QString &path : found) {
        if (isCandidateWorkbook(path)
            && isInShard(folder.relativeFilePath(QDir::fromNativeSeparators(path)), options.shardNumber,
                         options.shardCount))
            candidates.append(path);
    }
    return candidates;
}

bool isInShard(const QString &relativePath, int number, int count)
{
    if (count <= 1)
        return true;
    const QByteArray hash = QCryptographicHash::hash(relativePath.toUtf8(), QCryptographicHash::Sha1);
    const quint64 value = qFromBigEndian<quint64>(reinterpret_cast<const uchar *>(hash.constData()));
    return int(value % quint64(count)) == number - 1;
}
