#pragma once

// Wine's relay trace, narrowed to the platform's file write call: with it, a process
// started with WINEDEBUG=+pid,+relay writes one "Call ntdll.NtWriteFile" line per call.
namespace bench {

// The environment entry that turns the trace on for one process.
constexpr char relay_variable[] = "WINEDEBUG=+pid,+relay";

// Sets and removes HKCU\Software\Wine\Debug RelayInclude.
bool narrow_relay_to_writes();
void widen_relay_again();

}  // namespace bench
