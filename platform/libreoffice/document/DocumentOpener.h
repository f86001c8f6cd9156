// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class CalcDocument;
class OfficeSession;

// Loads a workbook for editing in place. Fails (AutomationFailure) for
// anything that cannot be edited and saved back safely: a missing, empty,
// broken or encrypted file, one that is locked or not a spreadsheet.
std::shared_ptr<CalcDocument> openDocument(const std::shared_ptr<OfficeSession> &session,
                                           const QString &path);
