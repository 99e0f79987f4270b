#include <gtest/gtest.h>

#include <windows.h>

#include <winternl.h>

#include <string>
#include <utility>
#include <vector>

#include "services/below.h"
#include "services/files.h"
#include "tests/support/temp_folder.h"

using namespace services;
using test_support::read_file;
using test_support::write_file;

// The work below a base as it goes where Windows answers what Wine does not. This program
// links substitutes for single platform calls in place of the system's: each hands the
// call to the system's own unless the case under test asks for Windows' answer, which the
// comments name. Nothing of this is in the installer.
namespace {

using Call = std::pair<int, ULONG>;  // an information class and its flags

struct Windows {
    // Windows 10 1809 and later: FileRenameInformationEx (65) and disposition_info_ex
    // (21) taken with their flags. Wine 8 refuses both; they are done here by the classic
    // classes, which under Wine replace a read-only target too.
    bool newer_classes = false;
    // Windows refuses a rename over a target that another program has open, even one
    // shared for deletion (access denied); Wine allows it. Refused this many times.
    int renames_refused = 0;
    // A volume that the mount manager does not know (a RAM disk, a mounted image): final
    // paths with a drive letter fail (ERROR_PATH_NOT_FOUND), the device form works.
    bool no_drive_letters = false;
    // A handle closed when the run first pauses for a holder: another program letting go.
    HANDLE let_go_at_pause = nullptr;
    int pauses = 0;
    std::vector<Call> renames;
    std::vector<Call> dispositions;
    std::vector<DWORD> attributes_set;
} g_windows;

template <typename Procedure>
Procedure system_procedure(const char* library, const char* name) {
    return reinterpret_cast<Procedure>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(library), name)));
}

constexpr int rename_information_ex = 65;
constexpr auto disposition_info_ex = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);

struct RenameInformation {
    ULONG flags;
    HANDLE root_directory;
    ULONG name_bytes;
    wchar_t name[1];
};

}  // namespace

extern "C" NTSTATUS NTAPI NtSetInformationFile(HANDLE file,
                                               PIO_STATUS_BLOCK io,
                                               PVOID information,
                                               ULONG length,
                                               FILE_INFORMATION_CLASS information_class) {
    using Procedure = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
    static const auto system = system_procedure<Procedure>("ntdll.dll", "NtSetInformationFile");
    const bool rename = information_class == FileRenameInformation || information_class == rename_information_ex;
    if (!rename) return system(file, io, information, length, information_class);
    auto* request = static_cast<RenameInformation*>(information);
    g_windows.renames.push_back({information_class, request->flags});
    // Windows' classic rename over a target that others have open.
    if (information_class == FileRenameInformation && g_windows.renames_refused > 0) {
        --g_windows.renames_refused;
        return static_cast<NTSTATUS>(0xC0000022);
    }
    if (information_class != rename_information_ex || !g_windows.newer_classes)
        return system(file, io, information, length, information_class);
    request->flags &= 1;  // ReplaceIfExists
    const NTSTATUS status = system(file, io, information, length, FileRenameInformation);
    request->flags = g_windows.renames.back().second;
    return status;
}

namespace {

BOOL WINAPI set_file_information(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information, DWORD size) {
    using Procedure = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    static const auto system = system_procedure<Procedure>("kernel32.dll", "SetFileInformationByHandle");
    if (kind == FileBasicInfo)
        g_windows.attributes_set.push_back(static_cast<FILE_BASIC_INFO*>(information)->FileAttributes);
    if (kind != FileDispositionInfo && kind != disposition_info_ex) return system(file, kind, information, size);
    const ULONG flags = kind == disposition_info_ex ? static_cast<FILE_DISPOSITION_INFO_EX*>(information)->Flags
                                                    : static_cast<FILE_DISPOSITION_INFO*>(information)->DeleteFile;
    g_windows.dispositions.push_back({kind, flags});
    if (kind == FileDispositionInfo || !g_windows.newer_classes) return system(file, kind, information, size);
    FILE_DISPOSITION_INFO classic{(flags & FILE_DISPOSITION_FLAG_DELETE) != 0};
    return system(file, FileDispositionInfo, &classic, sizeof classic);
}

DWORD WINAPI final_path(HANDLE file, LPWSTR path, DWORD size, DWORD flags) {
    using Procedure = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto system = system_procedure<Procedure>("kernel32.dll", "GetFinalPathNameByHandleW");
    if (g_windows.no_drive_letters && (flags & (VOLUME_NAME_NT | VOLUME_NAME_NONE | VOLUME_NAME_GUID)) == 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return system(file, path, size, flags);
}

void WINAPI pause(DWORD milliseconds) {
    using Procedure = void(WINAPI*)(DWORD);
    static const auto system = system_procedure<Procedure>("kernel32.dll", "Sleep");
    ++g_windows.pauses;
    if (!g_windows.let_go_at_pause) return system(milliseconds);
    CloseHandle(g_windows.let_go_at_pause);
    g_windows.let_go_at_pause = nullptr;
}

}  // namespace

// The program's calls to these go through their import entries, which are these, constant
// from the start: the system's entries are not linked.
extern "C" {
extern decltype(&set_file_information) const set_file_information_entry asm("__imp__SetFileInformationByHandle@16");
decltype(&set_file_information) const set_file_information_entry = set_file_information;
extern decltype(&final_path) const final_path_entry asm("__imp__GetFinalPathNameByHandleW@16");
decltype(&final_path) const final_path_entry = final_path;
extern decltype(&pause) const pause_entry asm("__imp__Sleep@4");
decltype(&pause) const pause_entry = pause;
}

namespace {

const char earlier_bytes[] = "earlier";

class BelowOnWindows : public testing::Test {
  protected:
    void SetUp() override {
        g_windows = Windows{};
        test_support::make_folder(host_);
        test_support::make_folder(host_ + "Residents");
        write_file(earlier_, earlier_bytes);
    }
    void TearDown() override {
        leave_base();
        close_file(0);
        if (g_windows.let_go_at_pause) CloseHandle(g_windows.let_go_at_pause);
        g_windows = Windows{};
        SetFileAttributesA(earlier_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // Puts "new bytes" at Residents\Orvelle.res as the run does; true when it is in place.
    bool put_file() {
        if (!begin_file_below(0, "Residents\\Orvelle.res")) return false;
        for (char byte : std::string("new bytes"))
            write_byte(byte);
        return place_file_below(0, true) != 0;
    }

    // Held as a viewer holds a file: others may read it, but neither write nor delete it.
    static HANDLE hold(const std::string& path) {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    std::string residents() const { return test_support::read_file(earlier_) + "|" + leftovers(); }
    std::string leftovers() const {
        return test_support::file_exists(earlier_ + ".orvelle-setup~") ? "temporary file left" : "";
    }

    test_support::TempFolder temp_;
    const std::string host_ = temp_ / "host\\";
    const std::string earlier_ = host_ + "Residents\\Orvelle.res";
};

TEST_F(BelowOnWindows, VolumesWithoutDriveLettersAreWorkedOn) {
    g_windows.no_drive_letters = true;
    ASSERT_NE(0, enter_base(host_.c_str()));
    EXPECT_TRUE(put_file());
    EXPECT_EQ("new bytes|", residents());
    EXPECT_EQ(1, create_folder_below("Examples\\"));
    EXPECT_EQ(removal_done, remove_below("Residents\\Orvelle.res"));
}

// The newer classes where the system takes them; the classic ones, made ready for them,
// where it does not (Wine: "not implemented" for the rename, error 87 for the disposition).
TEST_F(BelowOnWindows, NewerClassesWhereTheSystemTakesThem) {
    const struct {
        bool newer_classes;
        std::vector<Call> renames;
        std::vector<Call> dispositions;
        std::vector<DWORD> attributes_set;  // of the read-only earlier copy, then of the sibling
    } cases[] = {
        {true, {{65, 0x43}}, {{21, 3}}, {FILE_ATTRIBUTE_NORMAL}},
        {false, {{65, 0x43}, {65, 0x3}, {10, 1}}, {{21, 3}, {4, 1}}, {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newer_classes);
        g_windows = Windows{};
        g_windows.newer_classes = c.newer_classes;
        SetFileAttributesA(earlier_.c_str(), FILE_ATTRIBUTE_NORMAL);
        write_file(earlier_, earlier_bytes);
        test_support::set_read_only(earlier_);
        write_file(host_ + "Residents\\Lumora.res", "sibling");
        ASSERT_NE(0, enter_base(host_.c_str()));
        EXPECT_TRUE(put_file());
        EXPECT_EQ("new bytes|", residents());
        EXPECT_EQ(c.renames, g_windows.renames);
        EXPECT_EQ(removal_done, remove_below("Residents\\Lumora.res"));
        EXPECT_EQ(c.dispositions, g_windows.dispositions);
        EXPECT_EQ(c.attributes_set, g_windows.attributes_set) << "attributes changed";
        leave_base();
    }
}

// Another program that has the earlier copy open, or holds it without delete sharing, for
// a moment or for good: tried again a few times, about a second in all, then given up with
// the earlier copy whole. Under Wine the newer rename classes are refused first.
TEST_F(BelowOnWindows, WhatIsHeldForAMomentIsWaitedFor) {
    enum class Hold { none, moment, good };
    const struct {
        const char* what;
        int renames_refused;
        Hold hold;
        bool placed;
        int pauses;
        size_t renames;
        std::string residents;
    } cases[] = {
        {"open target, two refusals", 2, Hold::none, true, 2, 5, "new bytes|"},
        {"open target for good", 1000, Hold::none, false, 9, 12, "earlier|"},
        {"held, let go at the first pause", 0, Hold::moment, true, 1, 3, "new bytes|"},
        {"held for good", 0, Hold::good, false, 9, 0, "earlier|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_windows = Windows{};
        write_file(earlier_, earlier_bytes);
        write_file(host_ + "Residents\\Lumora.res", "sibling");
        ASSERT_NE(0, enter_base(host_.c_str()));
        g_windows.renames_refused = c.renames_refused;
        HANDLE holder = c.hold == Hold::none ? nullptr : hold(earlier_);
        if (c.hold == Hold::moment) g_windows.let_go_at_pause = holder;
        EXPECT_EQ(c.placed, put_file());
        EXPECT_EQ(c.residents, residents());
        EXPECT_EQ(c.pauses, g_windows.pauses);
        EXPECT_EQ(c.renames, g_windows.renames.size());
        if (c.hold == Hold::good) {
            HANDLE sibling = hold(host_ + "Residents\\Lumora.res");
            EXPECT_EQ(removal_refused, remove_below("Residents\\Lumora.res"));
            EXPECT_EQ(18, g_windows.pauses);
            CloseHandle(sibling);
            CloseHandle(holder);
        }
        leave_base();
    }
}

}  // namespace
