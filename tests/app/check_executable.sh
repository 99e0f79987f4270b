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
allowed=" KERNEL32.dll USER32.dll GDI32.dll COMCTL32.dll ADVAPI32.dll msvcrt.dll "
status=0
for dll in $("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case "$allowed" in
        *" $dll "*) ;;
        *) echo "unexpected import: $dll (allowed:$allowed)"; status=1 ;;
    esac
done
exit $status
