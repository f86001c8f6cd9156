// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/CsvRecords.h"

#include <QString>

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

// Whether LibreOffice read a CSV file's records as its bytes hold them:
// cell for cell, each row's texts must be the record's fields. Where they
// differ (a character set read wrongly swallows separators and quotes, a
// quoting LibreOffice reads otherwise), saving would write that reading
// over the file. Gives where they first differ, or empty.
QString csvMisreading(const css::uno::Reference<css::sheet::XSpreadsheetDocument> &document,
                      const CsvRecords &records);
