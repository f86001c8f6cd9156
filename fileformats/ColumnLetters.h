// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A column's letters as a cell reference writes them: 1 is "A", 28 "AB".
QString columnLetters(int column);
