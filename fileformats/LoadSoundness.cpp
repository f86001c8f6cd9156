// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/LoadSoundness.h"

#include "fileformats/BiffRecords.h"
#include "fileformats/CompoundFile.h"
#include "fileformats/ZipArchive.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QXmlStreamReader>
#include <QtEndian>

namespace {

// "AB12" -> column 28 and row 12, 1-based; the row is 0 when absent.
bool cellPosition(QStringView reference, qint64 *row, qint64 *column)
{
    int at = 0;
    qint64 letters = 0;
    while (at < reference.size() && reference.at(at).isLetter() && letters <= LoadSoundness::gridColumns) {
        letters = letters * 26 + (reference.at(at).toUpper().unicode() - 'A' + 1);
        ++at;
    }
    if (letters == 0)
        return false;
    *column = letters;
    *row = reference.mid(at).toLongLong();
    return true;
}

bool isXmlPart(const QString &name)
{
    return name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)
           || name.endsWith(QLatin1String(".rels"), Qt::CaseInsensitive);
}

QString xmlPartProblem(const ZipArchive &archive, const QString &name)
{
    QXmlStreamReader xml;
    LoadSoundness::XmlPartCheck check(name);
    bool going = true;
    const bool read = archive.readMember(name, [&](const QByteArray &piece) {
        xml.addData(piece);
        while (going) {
            xml.readNext();
            if (xml.atEnd())
                break;
            going = check.take(xml);
        }
        return going && (!xml.hasError() || xml.error() == QXmlStreamReader::PrematureEndOfDocumentError);
    });
    return check.problem(read, xml);
}

const quint16 filePass = 0x002F;

enum CellRecord : quint16 {
    Blank = 0x0201,
    BoolErr = 0x0205,
    Formula = 0x0006,
    Label = 0x0204,
    LabelSst = 0x00FD,
    MulBlank = 0x00BE,
    MulRk = 0x00BD,
    Number = 0x0203,
    Rk = 0x027E,
    RString = 0x00D6,
};

// The last column a cell record fills, 0-based; -1 for other records.
int lastColumnOf(quint16 type, const QByteArray &body)
{
    switch (type) {
    case Blank:
    case BoolErr:
    case Formula:
    case Label:
    case LabelSst:
    case Number:
    case Rk:
    case RString:
        return body.size() >= 4 ? qFromLittleEndian<quint16>(body.constData() + 2) : -1;
    case MulBlank:
    case MulRk:
        return body.size() >= 6 ? qFromLittleEndian<quint16>(body.constData() + body.size() - 2) : -1;
    default:
        return -1;
    }
}

} // namespace

namespace LoadSoundness {

XmlPartCheck::XmlPartCheck(const QString &name)
    : m_name(name)
{
}

bool XmlPartCheck::take(const QXmlStreamReader &xml)
{
    if (!m_beyond.isEmpty())
        return false;
    if (!xml.isStartElement())
        return true;
    if (!m_rootSeen)
        m_worksheet = xml.name() == QLatin1String("worksheet");
    m_rootSeen = true;
    if (!m_worksheet)
        return true;
    if (xml.name() == QLatin1String("row")) {
        const QStringView r = xml.attributes().value(QLatin1String("r"));
        m_row = r.isEmpty() ? m_row + 1 : r.toLongLong();
        m_column = 0;
    } else if (xml.name() == QLatin1String("c")) {
        qint64 row = 0;
        if (cellPosition(xml.attributes().value(QLatin1String("r")), &row, &m_column))
            m_row = row > 0 ? row : m_row;
        else
            ++m_column;
        if (m_row > gridRows || m_column > gridColumns)
            m_beyond = QStringLiteral("row %1, column %2").arg(m_row).arg(m_column);
    }
    return m_beyond.isEmpty();
}

QString XmlPartCheck::problem(bool read, const QXmlStreamReader &xml) const
{
    if (!m_beyond.isEmpty())
        return QCoreApplication::translate("Engine", "holds data beyond LibreOffice's grid of %1 rows and %2 columns "
                                                     "(%3, %4), which loading would cut off")
            .arg(gridRows)
            .arg(gridColumns)
            .arg(m_name, m_beyond);
    const bool broken = xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError;
    if (!read && !broken)
        return QCoreApplication::translate("Engine", "is damaged: its part %1 cannot be read").arg(m_name);
    if (xml.hasError())
        return QCoreApplication::translate("Engine", "is damaged: its part %1 is not well-formed XML (line %2: %3)")
            .arg(m_name)
            .arg(xml.lineNumber())
            .arg(xml.errorString());
    return QString();
}

QString ooxmlProblem(const ZipArchive &archive)
{
    return ooxmlProblem(archive, [&archive](const QString &name) { return xmlPartProblem(archive, name); });
}

QString ooxmlProblem(const ZipArchive &archive, const std::function<QString(const QString &name)> &checkPart)
{
    for (const QString &name : archive.names()) {
        if (!isXmlPart(name))
            continue;
        const QString problem = checkPart(name);
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

QString biffProblem(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    QByteArray stream = compoundFileStream(bytes, QStringLiteral("Workbook"));
    if (stream.isEmpty())
        stream = compoundFileStream(bytes, QStringLiteral("Book"));
    if (stream.isEmpty())
        return QString();
    BiffRecords records(stream, 0);
    quint16 type = 0;
    QByteArray body;
    if (!records.next(&type, &body) || type != BiffRecords::BeginOfFile || body.size() < 2)
        return QCoreApplication::translate("Engine", "is damaged: its workbook stream does not begin as a workbook");
    const bool biff8 = qFromLittleEndian<quint16>(body.constData()) == 0x0600;
    // Past a FILEPASS record the bodies are encrypted: only the chain of
    // records can be followed.
    bool encrypted = false;
    // Each sheet the workbook lists must begin where it says, with a BOF
    // record of the chain, and end with an EOF record: a record that lies
    // about its length breaks that. Each sheet the stream holds must be
    // listed (a chart inside a sheet is part of it): the cells of one that
    // is not would be loaded by no reader.
    QSet<qint64> sheetOffsets;
    QSet<qint64> beginnings{0};
    QSet<qint64> sheetsHeld;
    int depth = 1; // within the workbook's globals
    int endings = 0;
    qint64 at = records.offset();
    while (records.next(&type, &body)) {
        if (type == BiffRecords::BeginOfFile) {
            beginnings.insert(at);
            if (depth++ == 0)
                sheetsHeld.insert(at);
        } else if (type == BiffRecords::EndOfFile) {
            ++endings;
            depth = qMax(0, depth - 1);
        } else if (type == BiffRecords::BoundSheet && body.size() >= 4) {
            sheetOffsets.insert(qFromLittleEndian<quint32>(body.constData()));
        }
        at = records.offset();
        encrypted = encrypted || type == filePass;
        if (biff8 && !encrypted && lastColumnOf(type, body) >= biffColumns)
            return QCoreApplication::translate("Engine", "holds data beyond the %1 columns of the .xls format (column %2), which saving "
                                  "would cut off")
                .arg(biffColumns)
                .arg(lastColumnOf(type, body) + 1);
    }
    // Writers pad the stream with a few bytes, too few for a record.
    if (stream.size() - records.offset() >= 4)
        return QCoreApplication::translate("Engine", "is damaged: its records break off at byte %1 of %2")
            .arg(records.offset())
            .arg(stream.size());
    if (!beginnings.contains(sheetOffsets) || endings < beginnings.size() || !sheetOffsets.contains(sheetsHeld))
        return QCoreApplication::translate("Engine", "is damaged: its sheets do not begin and end where its workbook says");
    return QString();
}

} // namespace LoadSoundness
