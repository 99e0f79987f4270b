#pragma once

// What the benchmark's driver and its floor program (bench/floor/) agree on: the class of
// the floor's window and the number of its one button, which ends it.
namespace bench {

constexpr char floor_class[] = "BenchFloor";
constexpr int floor_button = 1;

}  // namespace bench
