// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>

// Answers every request of a load (password, repair, filter choice...) with
// "abort": nobody is there to answer, and waiting would hang the job.
class AbortingInteractionHandler : public cppu::WeakImplHelper1<css::task::XInteractionHandler>
{
public:
    void SAL_CALL handle(const css::uno::Reference<css::task::XInteractionRequest> &request) override;
};
