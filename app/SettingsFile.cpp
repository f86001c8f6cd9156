// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsFile.h"

#include <QFile>

namespace {

QByteArray trimmedOfSpacesAndTabs(const QByteArray &text)
{
    int begin = 0;
    int end = text.size();
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QByteArray readSetting(const QByteArray &text, const QByteArray &key)
{
    const QByteArray content = trimmedOfSpacesAndTabs(text);
    const QByteArray assignment = key + '=';
    const int keyAt = content.indexOf(assignment);
    if (keyAt < 0)
        return QByteArray();
    const int valueAt = keyAt + assignment.size();
    int valueEnd = content.indexOf('\n', valueAt);
    if (valueEnd < 0)
        valueEnd = content.size();
    else if (valueEnd > valueAt && content.at(valueEnd - 1) == '\r')
        --valueEnd;
    return trimmedOfSpacesAndTabs(content.mid(valueAt, valueEnd - valueAt));
}

int writeSetting(const QString &path, const QByteArray &key, const QByteArray &value)
{
    QFile file(path);
    QByteArray content;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        content = file.readAll();
        file.close();
    }

    const QByteArray line = key + '=' + value + "\r\n";
    const int keyAt = content.indexOf(key + '=');
    QByteArray rewritten;
    if (keyAt >= 0) {
        // A CR LF ends with the same LF as a bare line end, so one search covers both.
        const int lineEnd = content.indexOf('\n', keyAt);
        const QByteArray following = lineEnd < 0 ? QByteArray() : content.mid(lineEnd + 1);
        rewritten = content.left(keyAt) + line + following;
    } else {
        rewritten = content;
        if (!content.isEmpty() && !content.endsWith('\n'))
            rewritten += "\r\n";
        rewritten += line;
    }

    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    if (file.write(rewritten) != rewritten.size())
        return -1;
    return 0;
}
