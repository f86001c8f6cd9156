#include "engine/UnopenedList.h"

#include <QFile>

bool writeUnopenedList(const QString &listPath, const QString &lines)
{
    QFile list(listPath);
    // Text mode writes CR LF on Windows, where Notepad reads it.
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    const QByteArray bytes = lines.toLocal8Bit();
    const bool written = list.write(bytes) == bytes.size();
    list.close();
    return written && list.error() == QFileDevice::NoError;
}
