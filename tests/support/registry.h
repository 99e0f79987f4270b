#pragma once

#include <initializer_list>
#include <string>

// Registry settings that the tests and the benchmark make in their Wine prefix.
namespace test_support {

// Registers `folder` (a Windows path with its trailing backslash) as PureBasic's folder, as
// the host's set-up does: the quoted program, then the quoted file, as the command that
// opens files with "PureBasic.exe" under HKEY_CLASSES_ROOT. unregister_host removes it.
bool register_host(const std::string& folder);
void unregister_host();
// The same with a folder in UTF-16, written as the platform stores it: for names that the
// ANSI code page cannot hold, which the ANSI call would turn into look-alikes.
bool register_host(const std::wstring& folder);

// Wine's settings for programs named `program`: the `libraries` (names without ".dll") are
// looked for natively first, as Windows does, in the program's folder before the system
// folder; Wine's own copies come first otherwise. A program started by another takes its
// library rules from here, not from the environment its parent gives it.
// forget_program_settings removes them all.
bool prefer_native_libraries(const std::string& program, std::initializer_list<const char*> libraries);
void forget_program_settings(const std::string& program);

}  // namespace test_support
