#!/bin/sh
# check_executable.sh EXE OBJDUMP
# The installer is a 32-bit GUI program that needs nothing but the system's own DLLs.
exe=$1
objdump=$2
kind=$(file -b "$exe")
case "$kind" in
    "PE32 executable (GUI) Intel 80386"*) ;;
    *) echo "expected a PE32 GUI executable for Intel 80386, file says: $kind"; exit 1 ;;
esac
# DLL names are compared without letter case, as the system loads them (the import
# library of COMCTL32 names it "COMCTL32.DLL").
allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll advapi32.dll msvcrt.dll "
status=0
for dll in $("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]'); do
    case "$allowed" in
        *" $dll "*) ;;
        *) echo "unexpected import: $dll (allowed:$allowed)"; status=1 ;;
    esac
done
exit $status
