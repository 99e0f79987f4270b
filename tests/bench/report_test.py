#!/usr/bin/env python3
"""Tests of bench/report.py: which runs count, how medians, ratios, overheads and the costs
beyond the floor come out, how goals are judged, and how a run replaces only its own mode's
section of the results. Run as: report_test.py PATH_TO_REPORT_PY"""
import argparse
import importlib.util
import os
import pathlib
import sys
import tempfile
import unittest

loader = importlib.util.spec_from_file_location("report", sys.argv.pop(1))
report = importlib.util.module_from_spec(loader)
loader.loader.exec_module(report)

RUNS = """run installer=NSIS mode=window round=0 start_idle_ms=9000.0 install_ms=9000.0 total_ms=0.0 peak_ws_kb=9000
run installer=ours mode=window round=1 start_idle_ms=100.0 install_ms=400.0 total_ms=0.0 peak_ws_kb=3000
run installer=NSIS mode=window round=1 start_idle_ms=200.0 install_ms=50.0 total_ms=0.0 peak_ws_kb=6000
run installer=ours mode=window round=2 start_idle_ms=300.0 install_ms=500.0 total_ms=0.0 peak_ws_kb=5000
run installer=NSIS mode=window round=2 start_idle_ms=400.0 install_ms=150.0 total_ms=0.0 peak_ws_kb=6000
run installer=ours mode=window round=3 start_idle_ms=200.0 install_ms=410.0 total_ms=0.0 peak_ws_kb=4000
run installer=NSIS mode=window round=3 start_idle_ms=300.0 install_ms=100.0 total_ms=0.0 peak_ws_kb=6000
run installer=floor mode=idle round=0 start_idle_ms=9000.0 install_ms=0.0 total_ms=0.0 peak_ws_kb=9000
run installer=floor mode=idle round=1 start_idle_ms=50.0 install_ms=0.0 total_ms=0.0 peak_ws_kb=2000
run installer=floor mode=idle round=2 start_idle_ms=70.0 install_ms=0.0 total_ms=0.0 peak_ws_kb=2500
run installer=floor mode=idle round=3 start_idle_ms=60.0 install_ms=0.0 total_ms=0.0 peak_ws_kb=2200
floor round=0 byte_writes_ms=900.0
floor round=1 byte_writes_ms=30.0
floor round=2 byte_writes_ms=-1.0
floor round=3 byte_writes_ms=20.0
"""


class Folder:
    """A payload of small files with the real names, and executables with or without it."""

    def __init__(self):
        self.temp = tempfile.TemporaryDirectory()
        self.payload = os.path.join(self.temp.name, "payload")
        os.mkdir(self.payload)
        for index, name in enumerate(report.PAYLOAD_FILES):
            with open(os.path.join(self.payload, name), "wb") as out:
                out.write(bytes([65 + index]) * (index + 1) * 10)

    def write(self, name, data):
        path = os.path.join(self.temp.name, name)
        with open(path, "wb") as out:
            out.write(data)
        return path

    def payload_bytes(self, names):
        return b"".join(pathlib.Path(self.payload, n).read_bytes() for n in names)

    def arguments(self, runs, ours, peer, ours_writes="35802", peer_writes="5"):
        return argparse.Namespace(runs=self.write("runs.txt", runs.encode()), ours=ours, peer=peer,
                                  payload=self.payload, ours_writes=ours_writes, peer_writes=peer_writes)


def rows(text):
    """{first cell: the other cells} of the Markdown table."""
    table = {}
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip("|").split("|")]
        if len(cells) == 6:
            table[cells[0]] = cells[1:]
    return table


class ReadRuns(unittest.TestCase):
    def test_warm_up_round_is_left_out_and_reasons_are_kept_whole(self):
        folder = Folder()
        self.addCleanup(folder.temp.cleanup)
        path = folder.write("runs.txt", (RUNS + "not_measured installer=ours mode=silent reason=ended at once "
                                         "(exit code 0)\n").encode())
        figures, problems = report.read_runs(path)
        self.assertEqual([200.0, 400.0, 300.0], figures[("NSIS", "window")]["start_idle_ms"])
        self.assertEqual([400.0, 500.0, 410.0], figures[("ours", "window")]["install_ms"])
        self.assertEqual({("ours", "silent"): "ended at once (exit code 0)"}, problems)
        # Unmeasured times (negative) are left out too.
        self.assertEqual([30.0, 20.0], figures[("floor", "")]["byte_writes_ms"])
        self.assertEqual([50.0, 70.0, 60.0], figures[("floor", "idle")]["start_idle_ms"])


class Table(unittest.TestCase):
    def setUp(self):
        self.folder = Folder()
        self.addCleanup(self.folder.temp.cleanup)
        self.peer = self.folder.write("peer.exe", b"H" * 1000 + self.folder.payload_bytes(report.PEER_PAYLOAD_FILES))

    def test_medians_ranges_ratios_and_the_pacing_floor(self):
        ours = self.folder.write("ours.exe", b"C" * 500 + self.folder.payload_bytes(report.PAYLOAD_FILES))
        text, goals = report.table(self.folder.arguments(RUNS, ours, self.peer))
        table = rows(text)
        self.assertEqual(["200 (100 to 300)", "300 (200 to 400)", "60 (50 to 70)", "0.67", "140"],
                         table["start to main window shown and idle, ms"])
        self.assertEqual(["410 (400 to 500)", "100 (50 to 150)", "-", "4.10", "-"],
                         table["installation run: install command to completion message, ms"])
        self.assertEqual(["90 (80 to 180)", "100 (50 to 150)", "-", "0.90", "-"],
                         table["installation run beyond the pacing floor (320 ms for ours, none for NSIS), ms"])
        self.assertEqual(["25 (20 to 30)", "-", "-", "-", "-"],
                         table["the writes alone, one byte per WriteFile call (35,802 calls in the driver's process), ms"])
        self.assertEqual(["500", "1,000", "-", "0.50", "-"],
                         table["code overhead: size minus the payload carried (360 / 200 bytes)"])
        self.assertEqual(["4,000 (3,000 to 5,000)", "6,000 (6,000 to 6,000) [not measured]", "2,200 (2,000 to 2,500)",
                          "0.67", "1,800"],
                         table["peak working set, KB (window runs; silent NSIS in brackets)"])
        self.assertEqual(["35,802", "5", "-", "7160", "-"],
                         table["NtWriteFile calls of the installer process (one traced run)"])
        self.assertEqual(("code overhead under 36 KB, aiming for 24 KB", "500 bytes: met, aim met"), goals[0])
        self.assertEqual("met", goals[1][1])
        self.assertEqual("met", goals[2][1])
        self.assertEqual("met", goals[3][1])

    def test_an_executable_without_its_payload_is_all_overhead(self):
        ours = self.folder.write("ours.exe", b"C" * 30000)
        text, goals = report.table(self.folder.arguments(RUNS, ours, self.peer))
        self.assertEqual(["30,000 (payload not embedded)", "1,000", "-", "30.00", "-"],
                         rows(text)["code overhead: size minus the payload carried (360 / 200 bytes)"])
        self.assertEqual("30,000 bytes: met, aim missed", goals[0][1])

    def test_an_installer_not_measured_has_no_figures_and_its_reason_shows(self):
        ours = self.folder.write("ours.exe", b"C" * 40000)
        runs = "\n".join(l for l in RUNS.splitlines() if "installer=ours" not in l)
        runs += "\nnot_measured installer=ours mode=window reason=ended before showing its main window\n"
        text, goals = report.table(self.folder.arguments(runs, ours, self.peer, ours_writes="-"))
        table = rows(text)
        self.assertEqual(["not measured", "300 (200 to 400)", "60 (50 to 70)", "-", "-"],
                         table["start to main window shown and idle, ms"])
        self.assertEqual(["not measured", "5", "-", "-", "-"],
                         table["NtWriteFile calls of the installer process (one traced run)"])
        self.assertIn("ours (window runs) not measured: ended before showing its main window", text)
        self.assertEqual("40,000 bytes: missed, aim missed", goals[0][1])
        self.assertEqual(["not measured"] * 3, [state for _, state in goals[1:]])


class Results(unittest.TestCase):
    """The results file: one section per mode of Wine's 32-bit side, then the notes."""

    NOTES = "## Notes\n\nwhat dominates\n"

    def setUp(self):
        self.folder = Folder()
        self.addCleanup(self.folder.temp.cleanup)
        self.notes = self.folder.write("notes.md", self.NOTES.encode())
        self.output = os.path.join(self.folder.temp.name, "results.md")

    def run_in(self, wine32, load, date):
        """Writes the results of a run in mode `wine32` as bench/run.sh does; returns them."""
        ours = self.folder.write("ours.exe", b"C" * 500 + self.folder.payload_bytes(report.PAYLOAD_FILES))
        peer = self.folder.write("peer.exe", b"H" * 1000 + self.folder.payload_bytes(report.PEER_PAYLOAD_FILES))
        args = self.folder.arguments(RUNS, ours, peer)
        args.wine32, args.load, args.rounds, args.wine = wine32, load, "3", "wine-8.0"
        args.notes, args.output = self.notes, self.output
        text, goals = report.table(args)
        content = report.results(args, text, goals, date)
        pathlib.Path(self.output).write_text(content, encoding="utf-8")
        return content

    @staticmethod
    def section(content, mode):
        start = content.index(f"<!-- run: {mode} -->")
        return content[start:content.index("<!-- end of run -->", start)]

    def test_a_run_replaces_its_own_mode_and_keeps_the_other_as_it_was(self):
        qemu = self.section(self.run_in("qemu", "0.10, 0.20, 0.30", "2026-01-01 00:00 UTC"), "qemu")
        self.run_in("native", "2.00, 1.50, 1.00", "2026-01-02 00:00 UTC")
        content = self.run_in("native", "0.50, 0.40, 0.30", "2026-01-03 00:00 UTC")
        self.assertEqual(qemu, self.section(content, "qemu"))
        native = self.section(content, "native")
        self.assertEqual(1, content.count("<!-- run: native -->"))
        self.assertLess(content.index(native), content.index(qemu))
        self.assertIn("## The last run with Wine's 32-bit side native\n", native)
        self.assertIn("- date: 2026-01-03 00:00 UTC\n", native)
        self.assertIn("- load average before the run (1, 5 and 15 minutes): 0.50, 0.40, 0.30\n", native)
        self.assertNotIn("Through qemu", native)
        self.assertIn("| peak working set under 8 MB | met |", native)
        self.assertTrue(content.endswith("<!-- end of run -->\n\n" + self.NOTES))
        self.assertEqual(1, content.count(self.NOTES))

    def test_a_run_through_qemu_says_what_it_distorts_and_gives_no_verdict_on_it(self):
        content = self.run_in("qemu", "1.00, 1.00, 1.00", "2026-01-01 00:00 UTC")
        qemu = self.section(content, "qemu")
        self.assertNotIn("<!-- run: native -->", content)
        self.assertIn("## The last run with Wine's 32-bit side through qemu-user\n", qemu)
        self.assertIn("the times and the working set are distorted", qemu)
        self.assertIn("| peak working set under 8 MB | met (through qemu: no verdict, see below) |", qemu)


if __name__ == "__main__":
    unittest.main()
