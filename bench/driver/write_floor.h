#pragma once

#include <string>

// The cost of writing a payload one byte per call, as ours does, measured in the driver's
// own process: the floor under ours' installation run that no change of code removes.
namespace bench {

// One-byte WriteFile calls of an English installation of ours.
constexpr int english_payload_bytes = 35802;

// Writes `english_payload_bytes` bytes one call each into a new file in `folder`, which is
// removed again. Returns the milliseconds taken, or a negative value when the file cannot
// be written.
double time_byte_writes(const std::string& folder);

}  // namespace bench
