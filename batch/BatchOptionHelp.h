// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <vector>

// The options as --help lists them, read from the same table the command
// line is parsed with, so that the manual page and the shell completion made
// from them at build time name what the command takes (BatchArguments.cpp).
struct BatchOptionHelp
{
    QString name;      // without its dashes
    QString shortName; // one letter, or empty
    QString valueName; // empty for a switch
    QString help;      // its lines of the usage text; empty when an edit's help names it
};

std::vector<BatchOptionHelp> batchOptionHelp();

// "gridwrighter-batch 2.3", for --version.
QString batchVersion();
