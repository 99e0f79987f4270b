#!/bin/sh
# swap_links.sh READY STOP DONE PATH TARGET [PATH TARGET...]
# Another user at work in a folder that the installer trusts: until STOP exists, each PATH
# in turn is moved aside, replaced by a symbolic link to its TARGET, and put back. READY is
# made once the swapping runs; DONE gets the count of swaps when it ends. A step that fails
# (the installer removed or made something meanwhile) is skipped.
ready=$1 stop=$2 done=$3
shift 3
swaps=0
: >"$ready"
while [ ! -e "$stop" ]; do
    index=0
    for argument in "$@"; do
        index=$((index + 1))
        if [ $((index % 2)) -eq 1 ]; then
            path=$argument
            continue
        fi
        if mv -T "$path" "$path.aside" 2>/dev/null; then
            ln -s "$argument" "$path" 2>/dev/null && rm -f "$path"
            mv -T "$path.aside" "$path" 2>/dev/null
            swaps=$((swaps + 1))
        fi
    done
done
echo "$swaps" >"$done"
