// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// A zip archive held in memory, as Office Open XML workbooks are: its members
// can be read, replaced and written out again. Members left alone keep their
// compressed bytes as they were.
class ZipArchive
{
public:
    // False when the bytes are not a zip archive this class can read
    // (damaged, naming a member twice, or zip64).
    bool read(const QByteArray &archive);

    QStringList names() const;
    bool contains(const QString &name) const;
    // The member's content, or a null array when it is missing or damaged
    // (an empty member gives an empty, non-null array).
    QByteArray member(const QString &name) const;
    // The member's content piece by piece as it is inflated, so that a large
    // sheet never sits in memory whole; take returns false to stop early.
    // False when the member is missing or damaged (a damage past a stop goes
    // unnoticed).
    bool readMember(const QString &name, const std::function<bool(const QByteArray &piece)> &take) const;
    // The member's checksum and size in one: the same for two archives that
    // hold the same content under the name; 0 for a missing member.
    quint64 contentStamp(const QString &name) const;
    void replace(const QString &name, const QByteArray &content);
    // Copies the member of from as it is stored, compressed, with its
    // checksum, under the name as: nothing is inflated or deflated. False
    // when from has no such member.
    bool copyMember(const ZipArchive &from, const QString &name, const QString &as);
    // The first member whose content does not match its checksum, or empty.
    // A member once read whole and found matching is not read again.
    QString damagedMember() const;
    // Takes the members stored byte for byte as in checked, where they were
    // found matching their checksums, for matching here too.
    void trustMatchingAs(const ZipArchive &checked);
    // The member declares more content than any workbook part holds (a zip
    // bomb): it is never inflated.
    bool isOversized(const QString &name) const;

    QByteArray bytes() const;

private:
    struct Entry
    {
        QByteArray name;
        quint16 method = 0;
        quint16 time = 0;
        quint16 date = 0;
        quint32 crc = 0;
        quint32 size = 0;
        QByteArray stored; // as compressed in the archive
        // Read whole and found matching its checksum.
        mutable bool matching = false;
    };
    const Entry *find(const QString &name) const;
    static bool inflatePieces(const Entry &entry, const std::function<bool(const QByteArray &piece)> &take);
    static bool inflateUntil(const Entry &entry, const std::function<bool(const QByteArray &piece)> &take);
    static void appendSharedFields(QByteArray &out, const Entry &entry);

    QVector<Entry> m_entries;
};
