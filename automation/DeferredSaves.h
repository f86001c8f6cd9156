// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <QString>

#include <functional>

// Saves whose last steps (reading the stored file back, what is put back
// from the original, the rename over it) go on in the background, so that
// the application can already open the next workbook. A server defers a save
// only on a thread that takes them: that thread's caller then collects each
// workbook's outcome with finish() before it counts the workbook as saved.
// On any other thread, and with servers that never defer (COM), Save() is
// whole when it returns. Thread-local: each thread collects its own.
namespace DeferredSaves {

// While it exists, the saves made on the thread that made it may be
// deferred. Ending it waits for every save still going on.
class Acceptance
{
public:
    Acceptance();
    ~Acceptance();
    Acceptance(const Acceptance &) = delete;
    Acceptance &operator=(const Acceptance &) = delete;
};

// How a deferred save ended: its error, or none and what of the workbook
// could not be kept (an empty note when everything was).
struct Outcome
{
    AutomationError error;
    QString note;
};

// For servers: whether this thread takes deferred saves.
bool accepted();
// For servers: the save of path goes on with rest, started now on a thread
// of its own; what rest gives is the save's outcome.
void defer(const QString &path, std::function<Outcome()> rest);

// Whether a save of path is going on or waits to be collected.
bool pending(const QString &path);
// Whether the save of path has ended (or there is none), waiting for it
// up to milliseconds: finish() then does not wait.
bool ended(const QString &path, int milliseconds = 0);
// Waits for the save of path to end: its outcome, no error when it replaced
// the file or was not deferred at all.
Outcome finish(const QString &path);

} // namespace DeferredSaves
