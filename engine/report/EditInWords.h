// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// A job's edit as the batch command spells it (the record kept with its
// backup: "add-row 2 --sheet Data"), told in words for the window and the
// undo: "insert a row before row 2, only in the sheets named Data". A
// record this program did not write comes back as it is.
QString editInWords(const QStringList &description);
