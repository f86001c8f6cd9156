// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/putback/XmlPart.h"

// A sheet the put-backs wrote holds LibreOffice's cells as they were stored
// when its sheetData is the stored one's text, where only rows' and cells'
// start tags may have another height or style: then nothing of the cells
// needs reading again, which for a large sheet is nearly all of it.
namespace KeptCells {

// The written sheet with its sheetData's content cut out, read, when it
// holds the stored sheet's cells so, under the same namespaces and after
// the same prolog, at the places the put-backs' own reading of written
// gives; else a part of null text. Both parts must be read already.
XmlPart withoutStoredCells(const XmlPart &stored, const XmlPart &written);

} // namespace KeptCells
