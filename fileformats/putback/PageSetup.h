// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StoredPackage;

// LibreOffice resets a sheet's print scale and writes its own header and
// footer margins. Each sheet gets the original's print options, margins,
// page setup (without the printer's own settings, which LibreOffice does
// not keep), header and footer and fit-to-page switch back: the sheet's
// own, not those of its custom views. None of them names a cell: where the
// edit inserted or deleted lines, the print area is the one LibreOffice
// moved, and its page setup stays the original's, as in Excel.
namespace PageSetup {

void restore(StoredPackage &package);

} // namespace PageSetup
