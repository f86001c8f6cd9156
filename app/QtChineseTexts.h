// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Puts Qt's own texts (the folder dialog, the buttons of message boxes) into
// Chinese like the rest of the window, from Qt's translations (on Debian the
// package qttranslations5-l10n). False when they are not installed; the
// texts then stay English.
bool installQtChineseTexts(QCoreApplication &application);
