// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

#include <sys/types.h>

// A new version of a file, written beside it under a hidden name and moved
// over it in one step, so that the file is at every moment either the old
// version or the complete new one. Removed again unless committed.
class ReplacementFile
{
public:
    // Creates the empty stand-in, giving its name to announce first; fails
    // (AutomationFailure) when the file's folder does not take it.
    ReplacementFile(const QString &target,
                             const std::function<void(const QString &path)> &announce);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    QString path() const { return m_path; }

    // Gives the stand-in the target's permissions and owner, flushes it to
    // disk and renames it over the target. Fails (AutomationFailure) with the
    // target left as it was.
    void commit();

private:
    QString m_target;
    QString m_path;
    mode_t m_mode = 0;
    uid_t m_owner = 0;
    gid_t m_group = 0;
    bool m_committed = false;
};
