# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the Windows test scripts that run inside a Wine prefix of their
# own: registers the test server TestExcel.exe as "Excel.Application" in that
# prefix only.

windowsPath() { printf 'Z:%s' "$1" | tr / '\\'; }

# Local servers register with the RPC service, which cannot start while a new
# prefix still starts its other services (the service database is locked):
# waited for here, once, as the jobs follow each other without a pause.
# Usage: registerTestServer TestExcel.exe
registerTestServer() {
    tries=0
    until LC_ALL=C wine net start rpcss 2>&1 | grep -q 'already running'; do
        tries=$((tries + 1))
        [ $tries -lt 60 ] || { echo "the RPC service does not start" >&2; exit 1; }
        sleep 1
    done
    wine "$1" /RegServer
}
