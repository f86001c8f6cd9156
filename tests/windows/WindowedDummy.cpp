// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for a spreadsheet application: a process with a top-level
// window, shown ("visible", as an Excel the user works in) or hidden (as an
// automation instance). Prints the window's handle, then waits to be ended.

#include <cstdio>
#include <cstring>

#include <windows.h>

int main(int argc, char *argv[])
{
    const bool visible = argc > 1 && std::strcmp(argv[1], "visible") == 0;
    HWND window = CreateWindowExW(0, L"STATIC", L"dummy workbook", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    if (visible)
        ShowWindow(window, SW_SHOWNORMAL);
    std::printf("%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
