#pragma once

#include <string>

// The host folder the installers write into (registered with test_support::register_host):
// laid out afresh before each run, and checked after it.
namespace bench {

// Empties `folder` and lays out what an earlier state leaves: the sibling library's files
// and earlier copies of ours, all read-only.
bool prepare_host(const std::string& folder);

// Checks that the English installation is complete: the five files with the payload's
// bytes, no sibling file left. Returns the empty text, or what is wrong.
std::string check_installed(const std::string& folder, const std::string& payload_folder);

// Removes `folder` with everything in it.
void remove_host(const std::string& folder);

}  // namespace bench
