#!/bin/sh
# immutable.sh set|clear DONE FOLDER
# set makes FOLDER immutable (chattr +i), so that Wine refuses every new entry in it as
# access denied, even to root, whom no permission bits stop; clear makes it ordinary again.
# DONE then gets "ok", or what failed (Wine's start does not wait for a Unix program).
action=$1 done=$2 folder=$3
if [ "$action" = set ]; then flag=+i; else flag=-i; fi
result=$(chattr $flag "$folder" 2>&1 && echo ok)
echo "$result" >"$done.part"
mv "$done.part" "$done"
