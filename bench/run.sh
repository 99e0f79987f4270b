#!/usr/bin/env bash
# The benchmark: our installer against an NSIS installer of the same files, both driven
# through a full English installation in the build's Wine prefix on one virtual display,
# and against the floor, a window program that does nothing, started the same way. Prints
# one table and writes it to bench/results.md, in the section of the mode that Wine's
# 32-bit side runs in. It measures; it never fails on a figure, and it is not part of the
# test suite.
#   bench/run.sh [ROUNDS]     (default 7, after one warm-up round)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/fail-loudly.sh"
build_dir=${ORVELLE_BUILD:-$root/build}
rounds=${1:-7}
"$root/tools/setup.sh" "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
. "$root/tools/packages.sh"
install_packages nsis

work=$build_dir/bench
mkdir -p "$work"
cmake --build "$build_dir" --target bench_driver bench_floor orvelle_setup >/dev/null
ours=$build_dir/app/orvelle_setup.exe
peer=$work/peer.exe
driver=$work/bench_driver.exe
floor=$work/bench_floor.exe
payload=$root/install/payload
makensis -V2 -DPAYLOAD="$payload" -DOUTFILE="$peer" "$root/bench/peer.nsi" >"$work/makensis.log"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

. "$root/tools/wine-env.sh"
. "$root/tools/wine-session.sh"
start_wine_session

echo "== measuring: $rounds rounds after a warm-up round"
# Other work on the machine shows in the figures: the load says how much there was.
load=$(cut -d' ' -f1-3 /proc/loadavg)
# Whether Wine's 32-bit side runs natively or through qemu shows in the running driver's
# executable: the Wine loader itself, or the emulator.
"$WINE_LOADER" "$driver" measure "$rounds" "$(windows_path "$ours")" "$(windows_path "$peer")" \
    "$(windows_path "$floor")" "$(windows_path "$payload/")" >"$work/runs.txt" &
driver_pid=$!
sleep 1
case $(readlink "/proc/$driver_pid/exe" 2>/dev/null) in
    *qemu*) wine32=qemu ;;
    *) wine32=native ;;
esac
wait $driver_pid

# One traced run each: the installer's own NtWriteFile calls, picked out by its process id.
count_writes() {
    local name=$1 program=$2 process
    "$WINE_LOADER" "$driver" trace "$name" "$(windows_path "$program")" "$(windows_path "$payload/")" \
        >"$work/trace-$name.txt" 2>"$work/trace-$name.log"
    # The driver's lines end in CR LF, as a Windows console program's do.
    process=$(sed -n 's/^traced .* process=\([0-9a-f]*\).*/\1/p' "$work/trace-$name.txt")
    if [ -z "$process" ]; then
        echo "-"
        return
    fi
    grep -c "^$process:[0-9a-f]*:Call ntdll\.NtWriteFile(" "$work/trace-$name.log" || true
}
echo "== counting write calls (traced runs)"
ours_writes=$(count_writes ours "$ours")
peer_writes=$(count_writes NSIS "$peer")

python3 "$root/bench/report.py" --runs "$work/runs.txt" --ours "$ours" --peer "$peer" --payload "$payload" \
    --ours-writes "$ours_writes" --peer-writes "$peer_writes" --rounds "$rounds" \
    --wine "$("$WINE_LOADER" --version)" --wine32 "$wine32" --load "${load// /, }" \
    --notes "$root/bench/notes.md" --output "$root/bench/results.md"
