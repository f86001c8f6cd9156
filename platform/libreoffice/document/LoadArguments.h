// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/document/CsvFilterOptions.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Sequence.hxx>

#include <optional>

// How a workbook is loaded for editing: hidden, no macros, no link updates,
// writable, every prompt answered "no"; a CSV with its detected options.
css::uno::Sequence<css::beans::PropertyValue> editingLoadArguments(const std::optional<CsvFilterOptions> &csv);
