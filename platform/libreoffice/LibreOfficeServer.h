// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/LibreOfficeOptions.h"

// Registers LibreOffice Calc as the "Excel.Application" automation server:
// every AxObject::setControl("Excel.Application") then starts its own soffice.
void registerLibreOfficeServer();
void registerLibreOfficeServer(const LibreOfficeOptions &options);

// Ends every LibreOffice this process started, at once; safe in a signal
// handler. The workbooks in hand are left as they were.
void endStartedOffices();
