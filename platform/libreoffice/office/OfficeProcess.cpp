// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/office/OfficeProcess.h"

#include "platform/linux/ProcessList.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <vector>

extern char **environ;

OfficeProcess::~OfficeProcess()
{
    stop(0);
}

namespace {

// The process groups of the offices running, for killAllGroups: lock-free
// slots, since a signal handler reads them.
std::array<std::atomic<pid_t>, 256> runningGroups{};

void noteGroup(pid_t from, pid_t to)
{
    for (std::atomic<pid_t> &slot : runningGroups) {
        pid_t expected = from;
        if (slot.compare_exchange_strong(expected, to))
            return;
    }
}

// Runs the office under a guard shell that holds the read end of a pipe whose
// write end only this process holds. However this process ends, even by
// kill -9, the pipe closes: a watcher outside the office's process group then
// kills the group and removes the private profile, the pipe file and the
// files listed as in hand (the lock and temporary file of the workbook being
// edited), with the lu*.tmp files soffice made beside them since: a store
// writes the whole new file into one before renaming it ("lu" and
// soffice.bin's process id, recorded in "office-pid", begin its name; while
// that id is not known, only the empty ones go). The office keeps its own
// temporary files in the profile, so that they go with it. The guard itself
// ends when the office ends.
const char *const guardScript = R"guard(
program=$1; profile=$2; pipe=$3; shift 3
exec 3<&0
mkdir -p "$profile/tmp"
TMPDIR="$profile/tmp" "$program" "$@" 3<&- </dev/null >/dev/null 2>&1 &
office=$!
setsid sh -c '
    while read -r _; do :; done
    /bin/kill -s KILL -- -"$1" 2>/dev/null
    tries=0
    while /bin/kill -s 0 -- -"$1" 2>/dev/null && [ $tries -lt 50 ]; do sleep 0.1; tries=$((tries + 1)); done
    if [ -f "$2/in-hand" ]; then
        office=$(cat "$2/office-pid" 2>/dev/null)
        while IFS= read -r file; do
            rm -f -- "$file"
            if [ -n "$office" ]; then
                find "$(dirname -- "$file")" -maxdepth 1 -type f -name "lu$office*.tmp" -newer "$2/in-hand" -delete
            else
                find "$(dirname -- "$file")" -maxdepth 1 -type f -name "lu*.tmp" -size 0 -newer "$2/in-hand" -delete
            fi
        done < "$2/in-hand"
    fi
    rm -rf -- "$2"
    rm -f -- "$3"
' watcher $$ "$profile" "$pipe" <&3 3<&- >/dev/null 2>&1 &
watcher=$!
exec 3<&-
wait $office
status=$?
kill $watcher 2>/dev/null
exit $status
)guard";

} // namespace

bool OfficeProcess::start(const QString &program, const QStringList &arguments, const OrphanCleanup &cleanup,
                          QString *whyNot)
{
    // The guard shell would start, and only then fail to run the office.
    if (!QFileInfo(program).isExecutable()) {
        if (whyNot)
            *whyNot = QCoreApplication::translate("Engine", "cannot start %1: no such program").arg(program);
        return false;
    }
    std::vector<QByteArray> storage = {"/bin/sh", "-c", guardScript, "gridwrighter-office-guard",
                                       program.toLocal8Bit(), QFile::encodeName(cleanup.folder),
                                       QFile::encodeName(cleanup.pipeFile)};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    int lifeline[2];
    if (::pipe2(lifeline, O_CLOEXEC) != 0) {
        if (whyNot)
            *whyNot = QCoreApplication::translate("Engine", "cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, lifeline[0], STDIN_FILENO);
    // soffice would otherwise keep the caller's pipes open after it ends.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(lifeline[0]);
    if (result != 0) {
        ::close(lifeline[1]);
        if (whyNot)
            *whyNot = QCoreApplication::translate("Engine", "cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(result)));
        return false;
    }
    m_lifeline = lifeline[1];
    m_pid = pid;
    noteGroup(0, pid);
    m_reaped = false;
    return true;
}

bool OfficeProcess::isRunning()
{
    if (m_reaped || reap(0))
        return false;
    // The guard and the launcher outlive a crashed soffice.bin for a moment:
    // the process that answers calls is the one watched, once it is known.
    if (m_officeHandle >= 0) {
        pollfd ended{m_officeHandle, POLLIN, 0};
        return ::poll(&ended, 1, 0) == 0;
    }
    ProcessList::Stat office;
    return m_office <= 0 || (ProcessList::stat(m_office, &office) && office.state != 'Z');
}

bool OfficeProcess::findOffice()
{
    QList<pid_t> below = ProcessList::children(m_pid);
    while (!below.isEmpty()) {
        const pid_t pid = below.takeFirst();
        if (ProcessList::executable(pid).endsWith("/soffice.bin")) {
            m_office = pid;
            m_officeHandle = int(::syscall(SYS_pidfd_open, pid, 0));
            return true;
        }
        below.append(ProcessList::children(pid));
    }
    return false;
}

void OfficeProcess::killAllGroups()
{
    for (const std::atomic<pid_t> &slot : runningGroups) {
        const pid_t group = slot.load();
        if (group > 0)
            ::kill(-group, SIGKILL);
    }
}

void OfficeProcess::killGroup()
{
    const pid_t pid = m_pid;
    if (pid > 0)
        ::kill(-pid, SIGKILL);
}

void OfficeProcess::stop(int timeoutMs)
{
    if (m_pid <= 0)
        return;
    if (!m_reaped && !reap(timeoutMs)) {
        killGroup();
        reap(-1);
    }
    // soffice.bin outlives its launcher for a moment when the launcher is killed.
    QElapsedTimer waited;
    waited.start();
    while (groupAlive()) {
        if (waited.elapsed() > 2000)
            killGroup();
        QThread::msleep(20);
        if (waited.elapsed() > 10000)
            break;
    }
    noteGroup(m_pid, 0);
    m_pid = 0;
    if (m_lifeline >= 0) {
        ::close(m_lifeline);
        m_lifeline = -1;
    }
    m_office = 0;
    if (m_officeHandle >= 0) {
        ::close(m_officeHandle);
        m_officeHandle = -1;
    }
}

bool OfficeProcess::reap(int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        int status = 0;
        const pid_t result = ::waitpid(m_pid, &status, timeoutMs < 0 ? 0 : WNOHANG);
        if (result == m_pid || (result < 0 && errno == ECHILD)) {
            m_reaped = true;
            return true;
        }
        if (result < 0 && errno == EINTR)
            continue;
        if (timeoutMs >= 0 && waited.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(20);
    }
}

QStringList OfficeProcess::socketFiles() const
{
    QSet<QByteArray> inodes;
    for (const pid_t member : ProcessList::groupMembers(m_pid)) {
        const QString fdDirectory = QStringLiteral("/proc/%1/fd").arg(member);
        const QStringList fds = QDir(fdDirectory).entryList(QDir::Files | QDir::System);
        for (const QString &fd : fds) {
            const QString target = QFile::symLinkTarget(fdDirectory + QLatin1Char('/') + fd);
            if (target.contains(QLatin1String("socket:[")))
                inodes.insert(target.section(QLatin1Char('['), 1).chopped(1).toLatin1());
        }
    }
    QStringList files;
    QFile table(QStringLiteral("/proc/net/unix"));
    if (!table.open(QIODevice::ReadOnly))
        return files;
    // Num RefCount Protocol Flags Type St Inode Path
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 8 && inodes.contains(fields.at(6)) && fields.at(7).startsWith('/'))
            files.append(QString::fromLocal8Bit(fields.at(7)));
    }
    return files;
}

bool OfficeProcess::groupAlive() const
{
    const pid_t pid = m_pid;
    // A member that already ended may stay a zombie for as long as nobody
    // reaps it (soffice.bin's new parent in a container): it does not count.
    return pid > 0 && ::kill(-pid, 0) == 0 && !ProcessList::groupMembers(pid).isEmpty();
}
