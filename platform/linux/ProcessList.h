// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

#include <sys/types.h>

// The one reader of the process list on Linux: what /proc says about the
// running processes. A process that ends while it is read reads as absent.
namespace ProcessList {

// Every process id, lowest first.
QList<pid_t> ids();

// A process as its /proc/PID/stat line gives it.
struct Stat
{
    char state = 0; // 'R', 'S', ... 'Z' for a zombie
    pid_t parent = 0;
    pid_t group = 0;
};
// False when the process is gone.
bool stat(pid_t pid, Stat *stat);

// The living (not zombie) processes of a process group.
QList<pid_t> groupMembers(pid_t group);

// The value of a "Key:" line of /proc/PID/status, trimmed, or empty.
QByteArray statusField(pid_t pid, const QByteArray &key);

// The process's arguments (argv[0] first), or none when they cannot be read.
QList<QByteArray> arguments(pid_t pid);

// The path of the process's executable, or empty when the link cannot be read
// (another user's process).
QByteArray executable(pid_t pid);

// The processes that the threads of this one spawned.
QList<pid_t> children(pid_t pid);

} // namespace ProcessList
