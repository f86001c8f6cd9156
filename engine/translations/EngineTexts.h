// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>

class QCoreApplication;

// Whether the user reads Chinese: the system's locale is a Chinese one.
bool userReadsChinese();

// Puts the engine's texts (why a workbook was not edited, the undo, the
// status of a job) into the user's language: Chinese for Chinese, English
// for any other. False when the compiled texts cannot be loaded.
bool installEngineTexts(QCoreApplication &application, QLocale::Language language = QLocale::system().language());
