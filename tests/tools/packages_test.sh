#!/usr/bin/env bash
# packages_test.sh SOURCE_DIR
# install_packages with stand-ins for apt-get, dpkg-query and sudo on PATH: a list update that
# keeps failing is tried three times and passed by, the install alone decides; an install
# that fails names the packages and its status; after a failed update, an install that
# fails is tried once more with the release's own suite first.
set -uo pipefail

src=$(cd "${1:?source folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
    echo "FAILED: $*"
    status=1
}

# The stand-ins log each call to $work/calls. apt-get's update fails while $work/update_fails
# exists; its install fails while $work/install_fails holds a number above 0, one less each
# time.
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/sh
echo "apt-get $*" >>"$STANDIN_DIR/calls"
case " $* " in
    *" update "*) [ -e "$STANDIN_DIR/update_fails" ] && exit 100 ;;
    *" install "*)
        left=$(cat "$STANDIN_DIR/install_fails" 2>/dev/null || echo 0)
        if [ "$left" -gt 0 ]; then
            echo $((left - 1)) >"$STANDIN_DIR/install_fails"
            echo "E: Unable to correct problems, you have held broken packages." >&2
            exit 100
        fi ;;
esac
exit 0
STANDIN
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*
export STANDIN_DIR=$work PATH=$work/bin:$PATH ORVELLE_UPDATE_PAUSE=0

codename=$(. /etc/os-release && printf '%s' "${VERSION_CODENAME:-}")

# check NAME UPDATE_FAILS INSTALL_FAILS EXPECTED_STATUS EXPECTED_CALLS [EXPECTED_MESSAGE]
check() {
    local name=$1 expected_status=$4 expected_calls=$5 message=${6:-}
    rm -f "$work/calls" "$work/update_fails"
    [ "$2" = yes ] && touch "$work/update_fails"
    echo "$3" >"$work/install_fails"
    local got
    got=$(bash -c '. "$1/tools/packages.sh"; install_packages pkg-one pkg-two' _ "$src" 2>&1)
    local got_status=$?
    [ "$got_status" = "$expected_status" ] || fail "$name: status $got_status, expected $expected_status"
    local calls
    calls=$(cat "$work/calls")
    [ "$calls" = "$expected_calls" ] || fail "$name: calls were
$calls
expected
$expected_calls"
    if [ -n "$message" ] && ! grep -qxF -- "$message" <<<"$got"; then
        fail "$name: no line \"$message\" in:
$got"
    fi
}

install='apt-get install -y -q --no-install-recommends pkg-one pkg-two'
pinned="apt-get install -y -q --no-install-recommends -t $codename pkg-one pkg-two"
update='apt-get update -q'

check "update and install succeed" no 0 0 "$update
$install"
check "update keeps failing, install succeeds" yes 0 0 "$update
$update
$update
$install" "== going on with the package lists at hand"
check "update succeeds, install fails" no 1 100 "$update
$install" "== could not install pkg-one pkg-two (apt-get install: status 100)"
check "update fails, the release's own suite installs" yes 1 0 "$update
$update
$update
$install
$pinned" "== trying again with the packages of $codename first"
check "update fails, both installs fail" yes 2 100 "$update
$update
$update
$install
$pinned" "== could not install pkg-one pkg-two (apt-get install: status 100)"

[ $status = 0 ] && echo "packages_test: 5 cases passed"
exit $status
