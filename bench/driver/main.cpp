// The benchmark's driver, run under Wine by bench/run.sh. It registers a host folder,
// drives the installers through full English installations and prints one line per run:
//   bench_driver measure ROUNDS OURS.EXE PEER.EXE FLOOR.EXE PAYLOAD_FOLDER
//       round 0 warms up and is printed as such; each round runs ours, NSIS through its
//       windows, NSIS silent, the floor (a window program that does nothing) up to its idle
//       window, then times the one-byte writes of ours' payload alone.
//   bench_driver trace ours|NSIS PROGRAM PAYLOAD_FOLDER
//       one driven run with Wine's relay trace of NtWriteFile (on standard error); prints
//       the process id that the trace lines carry.
// Lines: "run installer=... mode=window|silent|idle round=N start_idle_ms=... install_ms=...
// total_ms=... peak_ws_kb=...", "not_measured installer=... mode=... reason=..." or
// "floor round=N byte_writes_ms=...".
// Every installer's run is checked: a run that leaves other files than an English
// installation does counts as not measured.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/driver/host.h"
#include "bench/driver/measure.h"
#include "bench/driver/relay.h"
#include "bench/driver/write_floor.h"
#include "tests/support/registry.h"

namespace {

// One folder level: the driver lays it out afresh before each run.
constexpr char host_folder[] = "C:\\PureBasicBench\\";
constexpr unsigned trace_timeout_ms = 1800000;

enum class Mode { window, silent, idle };

struct Target {
    const bench::Installer& installer;
    Mode mode;
    const char* program;
    bool measurable = true;
};

const char* mode_name(Mode mode) {
    switch (mode) {
        case Mode::window:
            return "window";
        case Mode::silent:
            return "silent";
        default:
            return "idle";
    }
}

std::string run_once(const Target& target,
                     const char* payload,
                     const bench::RunOptions& options,
                     bench::Figures* figures) {
    if (target.mode == Mode::idle) return bench::idle_run(target.installer, target.program, options, figures);
    if (!bench::prepare_host(host_folder)) return "the host folder cannot be laid out";
    const std::string problem = target.mode == Mode::window
                                    ? bench::drive_run(target.installer, target.program, options, figures)
                                    : bench::silent_run(target.program, options, figures);
    if (!problem.empty()) return problem;
    return bench::check_installed(host_folder, payload);
}

void print_figures(const Target& target, int round, const bench::Figures& figures) {
    std::printf("run installer=%s mode=%s round=%d start_idle_ms=%.1f install_ms=%.1f total_ms=%.1f peak_ws_kb=%u\n",
                target.installer.name, mode_name(target.mode), round, figures.start_idle_ms, figures.install_ms,
                figures.total_ms, static_cast<unsigned>(figures.peak_working_set / 1024));
}

void print_problem(const Target& target, const std::string& problem) {
    std::printf("not_measured installer=%s mode=%s reason=%s\n", target.installer.name, mode_name(target.mode),
                problem.c_str());
}

int measure(int rounds, const char* ours, const char* peer, const char* floor, const char* payload) {
    Target targets[] = {{bench::ours_installer, Mode::window, ours},
                        {bench::peer_installer, Mode::window, peer},
                        {bench::peer_installer, Mode::silent, peer},
                        {bench::floor_installer, Mode::idle, floor}};
    const bench::RunOptions options;
    for (int round = 0; round <= rounds; ++round) {
        for (Target& target : targets) {
            if (!target.measurable) continue;
            bench::Figures figures;
            const std::string problem = run_once(target, payload, options, &figures);
            if (problem.empty()) {
                print_figures(target, round, figures);
            } else {
                // An installer that fails once is not run again: its figures would mix.
                print_problem(target, problem);
                target.measurable = false;
            }
            std::fflush(stdout);
        }
        if (bench::prepare_host(host_folder))
            std::printf("floor round=%d byte_writes_ms=%.1f\n", round, bench::time_byte_writes(host_folder));
    }
    return 0;
}

int trace(const char* name, const char* program, const char* payload) {
    const bool is_ours = std::strcmp(name, bench::ours_installer.name) == 0;
    Target target{is_ours ? bench::ours_installer : bench::peer_installer, Mode::window, program};
    if (!bench::narrow_relay_to_writes()) {
        print_problem(target, "the relay trace cannot be narrowed");
        return 1;
    }
    bench::RunOptions options;
    options.variable = bench::relay_variable;
    options.timeout_ms = trace_timeout_ms;
    bench::Figures figures;
    const std::string problem = run_once(target, payload, options, &figures);
    bench::widen_relay_again();
    if (!problem.empty()) {
        print_problem(target, problem);
        return 0;
    }
    std::printf("traced installer=%s process=%04lx\n", target.installer.name, figures.process_id);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: bench_driver measure ROUNDS OURS.EXE PEER.EXE FLOOR.EXE PAYLOAD_FOLDER\n"
                 "       bench_driver trace ours|NSIS PROGRAM PAYLOAD_FOLDER\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if ((command == "measure" && argc != 7) || (command == "trace" && argc != 5)) return usage();
    if (command != "measure" && command != "trace") return usage();
    if (!test_support::register_host(host_folder)) {
        std::fprintf(stderr, "bench_driver: cannot register the host folder in the registry\n");
        return 1;
    }
    const int status = command == "measure" ? measure(std::atoi(argv[2]), argv[3], argv[4], argv[5], argv[6])
                                            : trace(argv[2], argv[3], argv[4]);
    test_support::unregister_host();
    bench::remove_host(host_folder);
    return status;
}
