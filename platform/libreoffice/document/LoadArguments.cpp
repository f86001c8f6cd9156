// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/LoadArguments.h"

#include "platform/libreoffice/document/AbortingInteractionHandler.h"
#include "platform/libreoffice/UnoStrings.h"

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>

using namespace css;

namespace {

beans::PropertyValue property(const char *name, const uno::Any &value)
{
    beans::PropertyValue result;
    result.Name = OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

} // namespace

uno::Sequence<beans::PropertyValue> editingLoadArguments(const std::optional<CsvFilterOptions> &csv)
{
    uno::Sequence<beans::PropertyValue> arguments(csv ? 7 : 5);
    beans::PropertyValue *argument = arguments.getArray();
    argument[0] = property("Hidden", uno::Any(true));
    argument[1] = property("MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE));
    argument[2] = property("UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE));
    argument[3] = property("ReadOnly", uno::Any(false));
    argument[4] = property("InteractionHandler",
                           uno::Any(uno::Reference<task::XInteractionHandler>(new AbortingInteractionHandler)));
    if (csv) {
        argument[5] = property("FilterName", uno::Any(OUString::createFromAscii(CsvFilterOptions::filterName())));
        argument[6] = property("FilterOptions", uno::Any(toOUString(csv->importOptions())));
    }
    return arguments;
}
