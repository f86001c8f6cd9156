// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileLock.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <windows.h>

// LockFileEx byte locks. Windows does not tell who holds a lock, so each
// holder writes its process into the file's first bytes, which no lock
// covers: the locked bytes lie far beyond them.

namespace {

const qint64 lockedBytesStart = qint64(1) << 32;
const DWORD lockedBytesLength = MAXDWORD;

OVERLAPPED at(qint64 offset)
{
    OVERLAPPED overlapped = {};
    overlapped.Offset = DWORD(offset & 0xFFFFFFFF);
    overlapped.OffsetHigh = DWORD(offset >> 32);
    return overlapped;
}

bool lock(HANDLE file, qint64 offset, DWORD length, bool alone)
{
    OVERLAPPED overlapped = at(offset);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (alone ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(file, flags, 0, length, 0, &overlapped) != 0;
}

void unlock(HANDLE file, qint64 offset, DWORD length)
{
    OVERLAPPED overlapped = at(offset);
    UnlockFileEx(file, 0, length, 0, &overlapped);
}

HANDLE openShared(const QString &path, DWORD access, DWORD disposition)
{
    const QString native = QDir::toNativeSeparators(path);
    return CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

QString systemMessage(DWORD error)
{
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("error %1").arg(error);
    LocalFree(text);
    return message;
}

QString computerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? QString::fromWCharArray(name, int(size)) : QString();
}

QString ownImageName()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return QFileInfo(QString::fromWCharArray(path, int(length))).fileName();
}

// "process id", the image name and the machine, one a line.
void writeHolderRecord(HANDLE file)
{
    const QByteArray record = QStringLiteral("%1\n%2\n%3\n")
                                  .arg(GetCurrentProcessId())
                                  .arg(ownImageName(), computerName())
                                  .toUtf8();
    OVERLAPPED overlapped = at(0);
    DWORD written = 0;
    WriteFile(file, record.constData(), DWORD(record.size()), &written, &overlapped);
    LARGE_INTEGER end;
    end.QuadPart = record.size();
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN))
        SetEndOfFile(file);
}

QString describeHolder(HANDLE file)
{
    char bytes[512];
    DWORD read = 0;
    OVERLAPPED overlapped = at(0);
    const QStringList record = ReadFile(file, bytes, sizeof(bytes), &read, &overlapped)
                                   ? QString::fromUtf8(bytes, int(read)).split(QLatin1Char('\n'))
                                   : QStringList();
    if (record.size() < 3 || record.at(0).toULong() == 0)
        return QStringLiteral("another process");
    QString described = QStringLiteral("process %1").arg(record.at(0));
    if (!record.at(1).isEmpty())
        described += QStringLiteral(" (%1)").arg(record.at(1));
    if (record.at(2) != computerName())
        described += QStringLiteral(" on %1").arg(record.at(2));
    return described;
}

// Whether a process holds any lock on the file: taken for a moment alone.
bool isLocked(HANDLE file)
{
    if (!lock(file, lockedBytesStart, lockedBytesLength, true))
        return true;
    unlock(file, lockedBytesStart, lockedBytesLength);
    return false;
}

bool sameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second)
        && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh
        && first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace

FileLock::FileLock(const QString &path)
    : m_path(path)
    , m_handle(openShared(path, GENERIC_READ | GENERIC_WRITE | DELETE, OPEN_ALWAYS))
{
    if (m_handle == INVALID_HANDLE_VALUE)
        m_error = systemMessage(GetLastError());
}

FileLock::~FileLock()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
}

bool FileLock::isOpen() const
{
    return m_handle != INVALID_HANDLE_VALUE;
}

bool FileLock::lockByte(qint64 byte, bool alone)
{
    if (!lock(m_handle, lockedBytesStart + byte, 1, alone))
        return false;
    m_lockedBytes.append(byte);
    return true;
}

void FileLock::recordHolder()
{
    writeHolderRecord(m_handle);
}

// A file its last holder marked for removal can no longer be opened.
bool FileLock::isStillAtPath() const
{
    const HANDLE named = openShared(m_path, FILE_READ_ATTRIBUTES, OPEN_EXISTING);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    const bool same = sameFile(m_handle, named);
    CloseHandle(named);
    return same;
}

// This object's own locks are in the way of taking the whole range: they go
// first. The file is marked for removal while locked and goes with the last
// handle; a process that opened it meanwhile finds it no longer at its path.
bool FileLock::removeIfUnshared()
{
    for (qint64 byte : m_lockedBytes)
        unlock(m_handle, lockedBytesStart + byte, 1);
    m_lockedBytes.clear();
    if (!lock(m_handle, lockedBytesStart, lockedBytesLength, true))
        return false;
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(m_handle, FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
}

QString FileLock::holderOf(const QString &path)
{
    const HANDLE file = openShared(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return QString();
    const QString holder = isLocked(file) ? describeHolder(file) : QString();
    CloseHandle(file);
    return holder;
}
