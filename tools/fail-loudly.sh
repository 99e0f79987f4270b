# Sourced first by every script: with `set -e` a failing command ends the script, and this
# says which command it was and its status instead of ending without a word. Functions
# (set -E) and the sourced helpers report the same way.
set -eEuo pipefail
trap 'printf "%s: stopped: \"%s\" failed with status %s\n" "${0##*/}" "$BASH_COMMAND" "$?" >&2' ERR
