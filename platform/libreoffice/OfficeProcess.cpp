#include "platform/libreoffice/OfficeProcess.h"

#include "platform/linux/ProcessList.h"

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
#include <sys/wait.h>
#include <vector>

extern char **environ;

OfficeProcess::~OfficeProcess()
{
    stop(0);
}

bool OfficeProcess::start(const QString &program, const QStringList &arguments, QString *whyNot)
{
    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // soffice would otherwise keep the caller's pipes open after it ends.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        if (whyNot)
            *whyNot = QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(result)));
        return false;
    }
    m_pid = pid;
    m_reaped = false;
    return true;
}

bool OfficeProcess::isRunning()
{
    if (m_reaped)
        return false;
    return !reap(0);
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
    m_pid = 0;
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
