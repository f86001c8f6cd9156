// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/AbortingInteractionHandler.h"

#include <com/sun/star/task/XInteractionAbort.hpp>

using namespace css;

void SAL_CALL AbortingInteractionHandler::handle(const uno::Reference<task::XInteractionRequest> &request)
{
    const uno::Sequence<uno::Reference<task::XInteractionContinuation>> continuations = request->getContinuations();
    for (const uno::Reference<task::XInteractionContinuation> &continuation : continuations) {
        const uno::Reference<task::XInteractionAbort> abort(continuation, uno::UNO_QUERY);
        if (abort.is()) {
            abort->select();
            return;
        }
    }
}
