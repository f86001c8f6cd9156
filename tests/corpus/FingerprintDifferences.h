#pragma once

#include "tests/corpus/WorkbookFingerprint.h"

#include <QStringList>

// How the after fingerprint of a workbook differs from the before one, a line
// per difference (at most a few per sheet), or empty when they match. Numbers
// match within a relative 1e-9: a recalculated formula may move the last bits.
// With controls (the untouched file read again, once per control), a cell
// whose value differs from its before value in any control changes at every
// load (NOW(), RAND()) and is not compared; two controls make a random value
// that happens to come back the same unlikely enough.
QStringList fingerprintDifferences(const WorkbookFingerprint &before, const WorkbookFingerprint &after,
                                   const QVector<WorkbookFingerprint> &controls = {});
