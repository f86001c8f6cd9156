// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <windows.h>

namespace {

QString decoded(const QByteArray &bytes, unsigned codePage)
{
    if (bytes.isEmpty())
        return QString();
    const int length = MultiByteToWideChar(codePage, 0, bytes.constData(), bytes.size(), nullptr, 0);
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(codePage, 0, bytes.constData(), bytes.size(), reinterpret_cast<wchar_t *>(text.data()), length);
    return text;
}

// Characters the code page lacks become its default character, "?".
QByteArray encoded(const QString &text, unsigned codePage)
{
    if (text.isEmpty())
        return QByteArray();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = WideCharToMultiByte(codePage, 0, wide, text.size(), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(codePage, 0, wide, text.size(), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

QVector<QStringList> records(const QString &text)
{
    QVector<QStringList> all;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            record.append(field);
            field.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            record.append(field);
            all.append(record);
            record.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.isEmpty() || !record.isEmpty()) {
        record.append(field);
        all.append(record);
    }
    return all;
}

QString quotedField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

} // namespace

bool CsvFile::read(const QString &path, const Reading &how, Workbook &workbook, QString &whyNot)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        whyNot = file.errorString();
        return false;
    }
    QByteArray bytes = file.readAll();
    unsigned codePage = how.codePage ? how.codePage : CP_ACP;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.mid(3);
        codePage = CP_UTF8;
    }
    auto sheet = std::make_shared<Sheet>();
    sheet->name = QFileInfo(path).completeBaseName();
    const QVector<QStringList> all = records(decoded(bytes, codePage));
    for (int r = 0; r < all.size(); ++r) {
        for (int c = 0; c < all[r].size(); ++c) {
            const bool text = how.allText || how.textColumns.contains(c + 1);
            const Cell cell = typedEntry(all[r][c], text ? Cell::TextFormat : Cell::General);
            if (!cell.isBlank())
                sheet->cells.insert({r + 1, c + 1}, cell);
        }
    }
    workbook.sheets = {sheet};
    return true;
}

bool CsvFile::write(const Sheet &sheet, const QString &path, bool utf8, QString &whyNot)
{
    int lastRow = 0;
    int lastColumn = 0;
    for (auto it = sheet.cells.cbegin(); it != sheet.cells.cend(); ++it) {
        lastRow = qMax(lastRow, it.key().first);
        lastColumn = qMax(lastColumn, it.key().second);
    }
    QString text;
    for (int r = 1; r <= lastRow; ++r) {
        for (int c = 1; c <= lastColumn; ++c) {
            if (c > 1)
                text += QLatin1Char(',');
            text += quotedField(displayedText(sheet.cells.value({r, c})));
        }
        text += QLatin1String("\r\n");
    }
    QSaveFile file(path);
    const QByteArray bytes = utf8 ? QByteArray("\xEF\xBB\xBF") + text.toUtf8() : encoded(text, CP_ACP);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit()) {
        whyNot = file.errorString();
        return false;
    }
    return true;
}
