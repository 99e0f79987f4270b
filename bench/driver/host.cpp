#include "bench/driver/host.h"

#include <windows.h>

#include "tests/support/temp_folder.h"

namespace bench {
namespace {

bool write_read_only(const std::string& path, const std::string& bytes) {
    return test_support::write_file(path, bytes) && test_support::set_read_only(path);
}

struct Installed {
    const char* destination;  // under the host folder
    const char* payload;      // under the payload folder
};

constexpr Installed installed_files[] = {
    {"Help\\Orvelle.chm", "help_en.chm"},
    {"PureLibraries\\UserLibraries\\Orvelle", "library.bin"},
    {"Residents\\Orvelle.res", "resident.res"},
    {"Examples\\Orvelle\\SetVantrel\\SetVantrel.pb", "SetVantrel.pb"},
    {"Examples\\Orvelle\\GetVantrel\\GetVantrel.pb", "GetVantrel.pb"},
};

constexpr const char* sibling_files[] = {
    "Help\\Lumora.chm",
    "PureLibraries\\UserLibraries\\Lumora",
    "Residents\\Lumora.res",
};

constexpr const char* host_folders[] = {
    "Help\\",     "PureLibraries\\",     "PureLibraries\\UserLibraries\\",  "Residents\\",
    "Examples\\", "Examples\\Orvelle\\", "Examples\\Orvelle\\SetVantrel\\", "Examples\\Orvelle\\GetVantrel\\",
};

}  // namespace

bool prepare_host(const std::string& folder) {
    test_support::remove_tree(folder);
    test_support::make_folder(folder);
    for (const char* sub : host_folders)
        test_support::make_folder(folder + sub);
    for (const char* sibling : sibling_files)
        if (!write_read_only(folder + sibling, "an older sibling library")) return false;
    for (const Installed& file : installed_files)
        if (!write_read_only(folder + file.destination, "an earlier copy")) return false;
    return true;
}

std::string check_installed(const std::string& folder, const std::string& payload_folder) {
    for (const Installed& file : installed_files) {
        if (!test_support::file_exists(payload_folder + file.payload))
            return std::string("cannot read ") + file.payload;
        if (!test_support::file_exists(folder + file.destination)) return std::string(file.destination) + " is missing";
        const std::string expected = test_support::read_file(payload_folder + file.payload);
        const std::string written = test_support::read_file(folder + file.destination);
        if (written != expected)
            return std::string(file.destination) + ": expected the " + std::to_string(expected.size()) + " bytes of " +
                   file.payload + ", got " + std::to_string(written.size()) + " other bytes";
    }
    for (const char* sibling : sibling_files)
        if (test_support::file_exists(folder + sibling)) return std::string(sibling) + " is still there";
    return "";
}

void remove_host(const std::string& folder) {
    test_support::remove_tree(folder);
}

}  // namespace bench
