#!/bin/sh
# The shipped program must be a PE32 GUI program that imports system DLLs only.
set -eu
exe="$1"
objdump=i686-w64-mingw32-objdump
"$objdump" -f "$exe" | grep -q 'file format pei-i386' || { echo "$exe: not PE32 i386"; exit 1; }
"$objdump" -p "$exe" | grep -q 'Subsystem.*(Windows GUI)' || { echo "$exe: not a GUI program"; exit 1; }
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|OLE32|SHELL32|COMCTL32|MSVCRT)\.DLL$'
bad=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr a-z A-Z | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
    echo "$exe imports non-system DLLs: $bad"
    exit 1
fi
"$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: /imports /p'
