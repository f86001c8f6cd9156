// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

// A newer copy of the window asks this one to end with SIGTERM: the request is
// handed to the event loop, so that the job in hand ends as the tray's quit
// ends it rather than mid-workbook. Nothing on Windows, where the newer copy
// ends the older one itself.
void onTerminationRequest(QObject *receiver, std::function<void()> handle);
