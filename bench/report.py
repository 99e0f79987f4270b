#!/usr/bin/env python3
"""Turns the driver's run lines into the benchmark's table: medians with min and max,
ratios ours / NSIS, and what ours costs beyond the floor (a window program that does
nothing). Prints the table and writes it with the machine, the date, the Wine version, the
load and the goals into a Markdown file, in the section of the mode Wine's 32-bit side ran
in (the other mode's section stays as it was), followed by the notes."""
import argparse
import datetime
import os
import pathlib
import platform
import re
import statistics

PAYLOAD_FILES = ["help_fr.chm", "help_en.chm", "library.bin", "resident.res",
                 "SetVantrel.pb", "GetVantrel.pb", "logo.bmp", "button.bmp"]
PEER_PAYLOAD_FILES = ["help_en.chm", "library.bin", "resident.res", "SetVantrel.pb", "GetVantrel.pb"]
# 5 files x 50 ms after each write, 7 list scrolls x 10 ms: the deliberate pacing of ours.
PACING_FLOOR_MS = 5 * 50 + 7 * 10
GOAL_OVERHEAD_BYTES = 36 * 1024
AIM_OVERHEAD_BYTES = 24 * 1024
GOAL_RUN_OVERHEAD_MS = 100
GOAL_PEAK_KB = 8 * 1024
# The sections of results.md, one per mode of Wine's 32-bit side, in their order there.
MODES = {"native": "native", "qemu": "through qemu-user"}
SECTION_END = "<!-- end of run -->"


def read_runs(path):
    """{(installer, mode): {figure: [values]}} from the measured rounds, and the reasons of
    the runs that could not be measured."""
    figures, problems = {}, {}
    for line in pathlib.Path(path).read_text(encoding="utf-8", errors="replace").splitlines():
        kind, _, rest = line.strip().partition(" ")
        if kind == "not_measured":
            head, _, reason = rest.partition(" reason=")
            fields = dict(item.split("=", 1) for item in head.split())
            problems[(fields["installer"], fields["mode"])] = reason
        elif kind in ("run", "floor"):
            fields = dict(item.split("=", 1) for item in rest.split())
            if fields["round"] == "0":
                continue
            key = (fields["installer"], fields["mode"]) if kind == "run" else ("floor", "")
            runs = figures.setdefault(key, {})
            for name, value in fields.items():
                # A negative time: the driver could not measure it.
                if name.endswith(("_ms", "_kb")) and float(value) >= 0:
                    runs.setdefault(name, []).append(float(value))
    return figures, problems


def summary(values):
    return statistics.median(values), min(values), max(values)


def cell(values, unit=""):
    if not values:
        return "not measured"
    median, low, high = summary(values)
    return f"{median:,.0f}{unit} ({low:,.0f} to {high:,.0f})"


def ratio(ours, peer):
    if not ours or not peer:
        return "-"
    return f"{statistics.median(ours) / statistics.median(peer):.2f}"


def beyond(ours, floor):
    """Median of ours minus median of the floor."""
    if not ours or not floor:
        return "-"
    return f"{statistics.median(ours) - statistics.median(floor):,.0f}"


def carries(exe, payload, names):
    data = pathlib.Path(exe).read_bytes()
    return all(pathlib.Path(payload, name).read_bytes() in data for name in names)


def payload_bytes(payload, names):
    return sum(os.path.getsize(os.path.join(payload, name)) for name in names)


def machine():
    model = "unknown processor"
    for line in pathlib.Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
    memory = 0
    for line in pathlib.Path("/proc/meminfo").read_text().splitlines():
        if line.startswith("MemTotal"):
            memory = int(line.split()[1]) // (1024 * 1024)
    return f"{model}, {os.cpu_count()} cores, {memory} GiB, Linux {platform.release()}"


def table(args):
    figures, problems = read_runs(args.runs)
    ours = figures.get(("ours", "window"), {})
    peer = figures.get(("NSIS", "window"), {})
    silent = figures.get(("NSIS", "silent"), {})
    writes_alone = figures.get(("floor", ""), {})
    floor = figures.get(("floor", "idle"), {})
    ours_size, peer_size = os.path.getsize(args.ours), os.path.getsize(args.peer)
    ours_payload = payload_bytes(args.payload, PAYLOAD_FILES)
    peer_payload = payload_bytes(args.payload, PEER_PAYLOAD_FILES)
    ours_carries = carries(args.ours, args.payload, PAYLOAD_FILES)
    # An executable without its payload (the linker drops it while nothing uses it) is all
    # code overhead.
    ours_overhead = ours_size - ours_payload if ours_carries else ours_size
    peer_overhead = peer_size - peer_payload
    ours_run_overhead = [v - PACING_FLOOR_MS for v in ours.get("install_ms", [])]
    writes = {"ours": args.ours_writes, "NSIS": args.peer_writes}

    # Figure, ours, NSIS, the floor, ours / NSIS, ours - the floor.
    rows = [
        ("start to main window shown and idle, ms", cell(ours.get("start_idle_ms")),
         cell(peer.get("start_idle_ms")), cell(floor.get("start_idle_ms")),
         ratio(ours.get("start_idle_ms"), peer.get("start_idle_ms")),
         beyond(ours.get("start_idle_ms"), floor.get("start_idle_ms"))),
        ("installation run: install command to completion message, ms", cell(ours.get("install_ms")),
         cell(peer.get("install_ms")), "-", ratio(ours.get("install_ms"), peer.get("install_ms")), "-"),
        (f"installation run beyond the pacing floor ({PACING_FLOOR_MS} ms for ours, none for NSIS), ms",
         cell(ours_run_overhead), cell(peer.get("install_ms")), "-", ratio(ours_run_overhead, peer.get("install_ms")),
         "-"),
        ("the writes alone, one byte per WriteFile call (35,802 calls in the driver's process), ms",
         cell(writes_alone.get("byte_writes_ms")), "-", "-", "-", "-"),
        ("NSIS silent (/S): process start to its end, ms", "-", cell(silent.get("total_ms")), "-", "-", "-"),
        ("executable size, bytes", f"{ours_size:,}", f"{peer_size:,}", "-", f"{ours_size / peer_size:.2f}", "-"),
        (f"code overhead: size minus the payload carried ({ours_payload:,} / {peer_payload:,} bytes)",
         f"{ours_overhead:,}" + ("" if ours_carries else " (payload not embedded)"), f"{peer_overhead:,}", "-",
         f"{ours_overhead / peer_overhead:.2f}", "-"),
        ("peak working set, KB (window runs; silent NSIS in brackets)", cell(ours.get("peak_ws_kb")),
         cell(peer.get("peak_ws_kb")) + f" [{cell(silent.get('peak_ws_kb'))}]", cell(floor.get("peak_ws_kb")),
         ratio(ours.get("peak_ws_kb"), peer.get("peak_ws_kb")), beyond(ours.get("peak_ws_kb"), floor.get("peak_ws_kb"))),
        ("NtWriteFile calls of the installer process (one traced run)",
         f"{int(writes['ours']):,}" if writes["ours"] != "-" else "not measured",
         f"{int(writes['NSIS']):,}" if writes["NSIS"] != "-" else "not measured", "-",
         f"{int(writes['ours']) / int(writes['NSIS']):.0f}" if "-" not in writes.values() and int(writes["NSIS"])
         else "-", "-"),
    ]
    lines = ["| figure | ours | NSIS | floor | ours / NSIS | ours - floor |", "|---|---|---|---|---|---|"]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    for (installer, mode), reason in sorted(problems.items()):
        lines.append(f"\n{installer} ({mode} runs) not measured: {reason}")
    # Through qemu these two figures are the emulator's as much as the program's.
    emulated = " (through qemu: no verdict, see below)" if getattr(args, "wine32", "") == "qemu" else ""
    goals = [
        ("code overhead under 36 KB, aiming for 24 KB",
         f"{ours_overhead:,} bytes: " + ("met" if ours_overhead < GOAL_OVERHEAD_BYTES else "missed")
         + (", aim met" if ours_overhead < AIM_OVERHEAD_BYTES else ", aim missed")),
        ("start to idle window at most NSIS's",
         "not measured" if not ours.get("start_idle_ms") or not peer.get("start_idle_ms") else
         ("met" if statistics.median(ours["start_idle_ms"]) <= statistics.median(peer["start_idle_ms"])
          else "missed")),
        (f"installation run beyond the pacing floor under {GOAL_RUN_OVERHEAD_MS} ms",
         "not measured" if not ours_run_overhead else
         ("met" if statistics.median(ours_run_overhead) < GOAL_RUN_OVERHEAD_MS else "missed") + emulated),
        ("peak working set under 8 MB",
         "not measured" if not ours.get("peak_ws_kb") else
         ("met" if statistics.median(ours["peak_ws_kb"]) < GOAL_PEAK_KB else "missed") + emulated),
    ]
    return "\n".join(lines), goals


def run_section(args, text, goals, now):
    """This run's section of the results: its mode, machine, date, load, table and goals."""
    qemu = args.wine32 == "qemu"
    lines = [f"<!-- run: {args.wine32} -->", f"## The last run with Wine's 32-bit side {MODES[args.wine32]}", "",
             f"- machine: {machine()}", f"- date: {now}", f"- Wine: {args.wine}",
             f"- load average before the run (1, 5 and 15 minutes): {args.load}",
             f"- figures: median of {args.rounds} rounds (min to max in brackets), after one warm-up round; "
             "ratios compare only runs of the same mode; the floor is a window program that does nothing "
             "(one window, one button, the common controls initialised as ours does), started and measured "
             "as the installers are", "", text, ""]
    if qemu:
        lines += ["Through qemu, every time includes the emulation of the installer and of Wine's 32-bit code, "
                  "and the working set is that of the emulator's process (its own code and its translated code "
                  "included): the times and the working set are distorted, the sizes and the call counts are not.",
                  ""]
    lines += ["### Goals, as this run judges them", "", "| goal | this run |", "|---|---|"]
    lines += [f"| {goal} | {state} |" for goal, state in goals]
    return "\n".join(lines) + "\n" + SECTION_END + "\n"


def kept_sections(path):
    """{mode: section} of the results written before, with their markers."""
    try:
        text = pathlib.Path(path).read_text(encoding="utf-8")
    except FileNotFoundError:
        return {}
    pattern = r"<!-- run: (\w+) -->\n.*?" + re.escape(SECTION_END) + "\n"
    return {m.group(1): m.group(0) for m in re.finditer(pattern, text, re.DOTALL)}


def results(args, text, goals, now):
    """The whole results file: this run's section in place of the earlier one of its mode,
    the other mode's as it was, then the notes."""
    sections = kept_sections(args.output)
    sections[args.wine32] = run_section(args, text, goals, now)
    head = ("# Benchmark: ours against an NSIS installer of the same files\n\n"
            "The last run of `bench/run.sh` in each mode of Wine's 32-bit side, each section saying "
            "which; a run replaces the section of its own mode.\n\n")
    return head + "\n".join(sections[m] for m in MODES if m in sections) + "\n" + \
        pathlib.Path(args.notes).read_text(encoding="utf-8")


def main():
    parser = argparse.ArgumentParser()
    for name in ("runs", "ours", "peer", "payload", "ours-writes", "peer-writes", "rounds", "wine", "wine32",
                 "load", "notes", "output"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()
    text, goals = table(args)
    print(text)
    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    content = results(args, text, goals, now)
    with open(args.output, "w", encoding="utf-8") as out:
        out.write(content)
    print(f"\nwritten to {args.output}")


if __name__ == "__main__":
    main()
