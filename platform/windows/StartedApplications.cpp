// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StartedApplications.h"

#include "platform/windows/OwnProcesses.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringList>
#include <QVector>

#include <mutex>

namespace {

// One line a started application: its process and start time, then those of
// the program that started it.
struct Noted
{
    DWORD application;
    quint64 applicationStart;
    DWORD owner;
    quint64 ownerStart;
};

QString notesPath()
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Gridwrighter");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/started-applications.txt");
}

QVector<Noted> readNotes(const QString &path)
{
    QVector<Noted> notes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return notes;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() == 4)
            notes.append({DWORD(fields[0].toULong()), fields[1].toULongLong(), DWORD(fields[2].toULong()),
                          fields[3].toULongLong()});
    }
    return notes;
}

void writeNotes(const QString &path, const QVector<Noted> &notes)
{
    QByteArray text;
    for (const Noted &noted : notes)
        text += QByteArray::number(quint64(noted.application)) + ' ' + QByteArray::number(noted.applicationStart) + ' '
            + QByteArray::number(quint64(noted.owner)) + ' ' + QByteArray::number(noted.ownerStart) + '\n';
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

// Several copies (the window, batch commands) share the file.
template <typename Change>
void changeNotes(Change change)
{
    const QString path = notesPath();
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(2000))
        return;
    QVector<Noted> notes = readNotes(path);
    change(notes);
    writeNotes(path, notes);
}

// This process's applications, for the console's handler, which must not
// wait on files.
std::mutex ownMutex;
QVector<Noted> ownApplications;

bool stillRuns(DWORD process, quint64 start)
{
    return start != 0 && processStartTime(process) == start;
}

} // namespace

// An application answering inside this process (a server loaded as a DLL)
// is not one to end.
void StartedApplications::noteByWindow(qint64 windowHandle)
{
    DWORD application = 0;
    if (windowHandle == 0 || !GetWindowThreadProcessId(reinterpret_cast<HWND>(windowHandle), &application)
        || application == 0 || application == GetCurrentProcessId())
        return;
    const Noted noted{application, processStartTime(application), GetCurrentProcessId(),
                      processStartTime(GetCurrentProcessId())};
    {
        const std::lock_guard<std::mutex> locked(ownMutex);
        ownApplications.append(noted);
    }
    changeNotes([&](QVector<Noted> &notes) { notes.append(noted); });
}

void StartedApplications::endOwn()
{
    const std::lock_guard<std::mutex> locked(ownMutex);
    for (const Noted &noted : ownApplications) {
        if (stillRuns(noted.application, noted.applicationStart))
            terminate(noted.application);
    }
    ownApplications.clear();
}

// One showing a window is the user's now (made visible), and stays.
int StartedApplications::endLeftBehind()
{
    int ended = 0;
    changeNotes([&](QVector<Noted> &notes) {
        QVector<Noted> kept;
        for (const Noted &noted : notes) {
            if (stillRuns(noted.owner, noted.ownerStart)) {
                kept.append(noted);
                continue;
            }
            if (stillRuns(noted.application, noted.applicationStart) && isOwnProcess(noted.application)
                && !showsWindow(noted.application) && terminate(noted.application))
                ++ended;
        }
        notes = kept;
    });
    return ended;
}
