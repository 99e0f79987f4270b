#!/bin/sh
# check_executable.sh EXE OBJDUMP MAP
# The installer is a 32-bit GUI program that imports only system DLLs that the system
# always takes from its own folder, never from the program's (often a downloads folder):
# any other library it loads at run time, from the system folder. It starts at its own
# entry point, without the C runtime's start-up: its link map (MAP) must show no static
# constructor or destructor, which nothing would run, and the file no thread-local data.
exe=$1
objdump=$2
map=$3
kind=$(file -b "$exe")
case "$kind" in
    "PE32 executable (GUI) Intel 80386"*) ;;
    *) echo "expected a PE32 GUI executable for Intel 80386, file says: $kind"; exit 1 ;;
esac
# DLL names are compared without letter case, as the system loads them. ntdll is mapped into
# every process by the system itself, from its own folder, before any program code runs.
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll msvcrt.dll ntdll.dll "
status=0
for dll in $("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]'); do
    case "$allowed" in
        *" $dll "*) ;;
        *) echo "unexpected import: $dll (allowed:$allowed)"; status=1 ;;
    esac
done
# The constructor and destructor lists hold only their two end markers each.
ctors=$(sed -n 's/^ *0x\([0-9a-f]*\) *___CTOR_LIST__ = .*/\1/p' "$map")
dtors=$(sed -n 's/^ *0x\([0-9a-f]*\) *___DTOR_LIST__ = .*/\1/p' "$map")
if [ -z "$ctors" ] || [ -z "$dtors" ] || [ $((0x$dtors - 0x$ctors)) -ne 8 ]; then
    echo "static constructors are linked in (constructor list at 0x$ctors, destructor list at 0x$dtors)"
    status=1
fi
if "$objdump" -h "$exe" | grep -q -E ' \.(CRT|tls) '; then
    echo "the C runtime's start-up data is linked in:"; "$objdump" -h "$exe" | grep -E ' \.(CRT|tls) '
    status=1
fi
exit $status
