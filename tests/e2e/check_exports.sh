#!/usr/bin/env bash
# Checks that the DLL exports exactly the eight entry points, undecorated.
set -euo pipefail
export LC_ALL=C
dll=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
expected="SfPv_CreateProvider SfPv_FreeProvider SfPv_Initialize SfPv_Uninitialize SfSv_CreateService SfSv_FreeService SfSv_Initialize SfSv_Uninitialize"
actual=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\].*[[:space:]]\([^[:space:]]*\)$/\1/p' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
    echo "export table mismatch"
    echo "expected: $expected"
    echo "actual:   $actual"
    exit 1
fi
echo "exports ok: $actual"
