// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QVariant>

// Lists to go as an array of arrays, as OpenText's FieldInfo takes its
// (column, type) pairs, not as the block of rows a list of lists is.
struct ArrayOfArrays
{
    QVariantList arrays;
    bool operator==(const ArrayOfArrays &other) const { return arrays == other.arrays; }
};
Q_DECLARE_METATYPE(ArrayOfArrays)
