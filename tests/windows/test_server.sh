# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the Windows test scripts that run inside a Wine prefix of their
# own: registers the test server as "Excel.Application" in that prefix only.

windowsPath() { printf 'Z:%s' "$1" | tr / '\\'; }

# Usage: registerTestServer TestExcelServer.dll WORKFOLDER
registerTestServer() {
    clsid='{6C1F2E0A-9D43-4B8E-A1F5-3E2D7C9B0A14}'
    dll=$(windowsPath "$1" | sed 's/\\/\\\\/g')
    cat > "$2/server.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Classes\\Excel.Application\\CLSID]
@="$clsid"

[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$clsid\\InprocServer32]
@="$dll"
"ThreadingModel"="Both"
REG
    wine regedit /S "$(windowsPath "$2/server.reg")"
}
