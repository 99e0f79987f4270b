#!/bin/sh
# small_drive.sh mount|unmount DONE FOLDER LETTER
# A drive of 24 KB for the installer's host folder: mount puts a tmpfs of that size on
# FOLDER and makes it the drive LETTER of the Wine prefix; unmount takes both away. DONE
# then gets "ok", or what failed (Wine's start does not wait for a Unix program).
action=$1 done=$2 folder=$3
link="$WINEPREFIX/dosdevices/$(echo "$4" | tr 'A-Z' 'a-z'):"
if [ -z "$WINEPREFIX" ]; then
    result="no WINEPREFIX"
elif [ "$action" = mount ]; then
    result=$(mount -t tmpfs -o size=24k tmpfs "$folder" 2>&1 && ln -s "$folder" "$link" 2>&1 && echo ok)
else
    rm -f "$link"
    result=$(umount "$folder" 2>&1 && echo ok)
fi
echo "$result" >"$done.part"
mv "$done.part" "$done"
