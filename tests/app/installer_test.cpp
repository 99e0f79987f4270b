#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/registry.h"
#include "tests/support/temp_folder.h"
#include "tools/driver/installer_driver.h"
#include "tools/driver/keyboard.h"

// The real installer, driven from this process as a user would drive it (with the mouse, or
// with real key presses alone), into a host folder registered in the test prefix.
namespace {

using test_support::file_exists;
using test_support::folder_exists;
using test_support::make_folder;
using test_support::read_file;
using test_support::set_read_only;
using test_support::write_file;

enum class Language { french, english };
// swapped: while the question waits, "Examples" is renamed and a link in its place leads to
// another user's folder beside the host folder, which holds a "Lumora" of its own.
enum class OldExamples { absent, file, tree, busy_tree, link, swapped };
enum class Stop { before_language, before_install, after_install };
// A link in the host folder to read-only files beside it, as whoever can write to the host
// folder could leave one for an installer run with higher rights.
enum class Planted { none, earlier_copy_link, sibling_link, help_folder_link, library_folder_link };
// The registered host folder's name, below the temporary folder (code page 1252 here).
enum class HostName { plain, accented, fullwidth, polish, fullwidth_quote };
// Clicks queued to the buttons, or the keyboard alone: Tab, Shift+Tab, Space on a button,
// Enter in a box, Alt+F4.
enum class Input { mouse, keyboard };

// Every text the installer shows, as the user must see it.
struct Words {
    const char* button;
    const char* install_label;
    const char* cancel_label;
    const char* heading;
    const char* file_heading;
    const char* not_written;
    const char* not_removed;  // a sibling's file that stays
    const char* deleted;
    const char* not_deleted;
    const char* question_title;
    const char* question_before;
    const char* question_after;
    const char* completion;
    const char* failure;
    const char* no_host;
    const char* unusable_before;  // around the host folder whose name cannot be used
    const char* unusable_after;
    const char* unreachable_before;  // then the host folder and unusable_after
    const char* denied_before;       // around the host folder that the user may not change
    const char* denied_after;
};

const Words french{
    "Français",
    "Installer",
    "",
    "Installation de la librairie :",
    "Fichier extrait : ",
    "Fichier non écrit : ",
    "Impossible de supprimer le fichier :",
    "Fichier et dossier supprimé :",
    "Impossible de supprimer le répertoire :",
    " Librairie Lumora",
    " Effacer le répertoire ",
    "\n et son contenu ?",
    "      L'installation de la librairie Orvelle V1.00        \n      est terminée",
    "      L'installation de la librairie Orvelle V1.00        \n      a échoué pour certains fichiers",
    "PureBasic est introuvable : aucun fichier n'a été installé.",
    "Le nom du dossier de PureBasic ne peut pas servir sur ce système :\n",
    "\nAucun fichier n'a été installé.",
    "Le dossier de PureBasic est inaccessible :\n",
    "Le dossier de PureBasic ne peut pas être modifié avec vos droits :\n",
    "\nLancez l'installation en tant qu'administrateur. Aucun fichier n'a été installé.",
};
const Words english{
    "English",
    "Install",
    "Cancel",
    "Library installation :",
    "Extracted file : ",
    "File not written : ",
    "Unable to delete file :",
    "File and folder deleted :",
    "Unable to delete folder :",
    " Library Lumora",
    " Delete Folder ",
    "\n and all the content ?",
    "      Installation of Orvelle library V1.00         \n      ended",
    "      Installation of Orvelle library V1.00         \n      failed for some files",
    "PureBasic was not found: no file was installed.",
    "The name of PureBasic's folder cannot be used on this system:\n",
    "\nNo file was installed.",
    "PureBasic's folder cannot be reached:\n",
    "PureBasic's folder cannot be changed with your rights:\n",
    "\nRun the installer as an administrator. No file was installed.",
};

// The files the installer writes: where, the payload file, and the name the list shows.
struct Installed {
    const char* path;
    const char* payload;
    const char* shown;
};
const Installed installed_files[] = {
    {"Help\\Orvelle.chm", nullptr, "Help\\Orvelle.chm"},  // the help file of the chosen language
    {"PureLibraries\\UserLibraries\\Orvelle", "library.bin", "PureLibraries\\UserLibraries\\Orvelle"},
    {"Residents\\Orvelle.res", "resident.res", "Residents\\Orvelle.res"},
    {"Examples\\Orvelle\\SetVantrel\\SetVantrel.pb", "SetVantrel.pb", "\\SetVantrel\\SetVantrel.pb"},
    {"Examples\\Orvelle\\GetVantrel\\GetVantrel.pb", "GetVantrel.pb", "\\GetVantrel\\GetVantrel.pb"},
};
const char* const sibling_files[] = {"Help\\Lumora.chm", "PureLibraries\\UserLibraries\\Lumora",
                                     "Residents\\Lumora.res"};
// Read-only files and folders of the superseded library's example folder.
const char* const old_tree[] = {"a.pb", "sub\\", "sub\\b.pb", "sub\\deep\\", "sub\\deep\\c.pb"};

const std::string separator(62, '=');
const char old_bytes[] = "an earlier copy";

struct Case {
    const char* name;
    Language language = Language::french;
    bool registered = true;   // the host's command is in the registry
    bool host_exists = true;  // the host folder exists (its parent always does)
    bool earlier_copies = false;
    OldExamples old_examples = OldExamples::absent;
    int answer = IDNO;
    const char* held_open = nullptr;  // held by the driver without write or delete sharing
    Stop stop = Stop::after_install;
    bool close_request = false;  // ends with a close request rather than the cancel control
    Planted planted = Planted::none;
    Input input = Input::mouse;
    HostName host_name = HostName::plain;
    // A first run killed once the help file being written holds this many bytes, or 0.
    size_t killed_at = 0;
    bool small_drive = false;  // the host folder on a drive of 24 KB, with an earlier help file of 6000 bytes
    // This process works in one example folder (its current folder) and holds the other
    // without delete sharing, as a command prompt or an editor does.
    bool examples_in_use = false;
    const char* build = nullptr;  // the system's build number, as GetVersion gives it
    bool unreachable = false;     // the host folder registered on a drive that the system lacks
    bool immutable = false;       // an empty host folder in which nothing can be made
};

const Case cases[] = {
    {"FrenchFullRun", Language::french, true, true, false, OldExamples::tree},
    {"EnglishFullRunEndedByACloseRequest", Language::english, true, true, false, OldExamples::tree, IDNO, nullptr,
     Stop::after_install, true},
    {"FrenchWithoutHost", Language::french, false},
    {"EnglishWithoutHost", Language::english, false},
    {"ReadOnlyEarlierCopiesAreReplaced", Language::english, true, true, true},
    {"MissingHostFolderIsCreated", Language::french, true, false},
    {"OldExamplesAsAFileAskNothing", Language::french, true, true, false, OldExamples::file},
    {"OldExamplesDeletedOnYes", Language::english, true, true, false, OldExamples::tree, IDYES},
    {"OldExamplesThatCannotGoAreReported", Language::french, true, true, false, OldExamples::busy_tree, IDYES},
    {"LinkedOldExamplesLeaveTheirTarget", Language::english, true, true, false, OldExamples::link, IDYES},
    {"OldExamplesSwappedWhileAskedLeaveTheOtherFolder", Language::english, true, true, false, OldExamples::swapped,
     IDYES},
    // With the old examples, a question stops the run while its progress bar can be read.
    {"HeldResidentFileIsReported", Language::french, true, true, true, OldExamples::tree, IDNO,
     "Residents\\Orvelle.res"},
    {"HeldHelpFileIsReported", Language::english, true, true, true, OldExamples::tree, IDNO, "Help\\Orvelle.chm"},
    {"CloseRequestBeforeInstalling", Language::english, true, true, false, OldExamples::absent, IDNO, nullptr,
     Stop::before_install, true},
    {.name = "KeysFrenchRunAnsweredNo", .old_examples = OldExamples::tree, .input = Input::keyboard},
    {.name = "KeysEnglishRunAnsweredYes",
     .language = Language::english,
     .old_examples = OldExamples::tree,
     .answer = IDYES,
     .input = Input::keyboard},
    {.name = "KeysCancelBeforeALanguage", .stop = Stop::before_language, .input = Input::keyboard},
    {.name = "KeysCancelAfterTheChoice",
     .language = Language::english,
     .stop = Stop::before_install,
     .input = Input::keyboard},
    {.name = "KeysCloseRequestAfterTheChoice",
     .stop = Stop::before_install,
     .close_request = true,
     .input = Input::keyboard},
    {.name = "LinkAtAnEarlierCopyLeavesItsTarget",
     .language = Language::english,
     .planted = Planted::earlier_copy_link},
    {.name = "LinkAtASiblingFileLeavesItsTarget", .planted = Planted::sibling_link},
    {.name = "LinkedHelpFolderLeavesItsFiles", .language = Language::english, .planted = Planted::help_folder_link},
    {.name = "AccentedHostNameOfTheCodePage",
     .language = Language::english,
     .old_examples = OldExamples::tree,
     .host_name = HostName::accented},
    {.name = "FullwidthHostNameIsRefused", .host_name = HostName::fullwidth},
    {.name = "PolishHostNameIsRefused", .language = Language::english, .host_name = HostName::polish},
    {.name = "FullwidthQuoteInTheHostNameIsRefused", .host_name = HostName::fullwidth_quote},
    {.name = "LinkedFolderOnTheWayGetsNothing", .planted = Planted::library_folder_link},
    {.name = "HeldSiblingFileIsReported",
     .language = Language::english,
     .earlier_copies = true,
     .held_open = "Residents\\Lumora.res"},
    {.name = "FullDiskKeepsTheEarlierHelpFile", .language = Language::english, .small_drive = true},
    // Early, half-way and late in the help file, over read-only earlier copies.
    {.name = "KilledEarlyLeavesEveryFileWhole", .earlier_copies = true, .killed_at = 100},
    {.name = "KilledHalfWayLeavesEveryFileWhole", .earlier_copies = true, .killed_at = 15700},
    {.name = "KilledLateLeavesEveryFileWhole",
     .language = Language::english,
     .earlier_copies = true,
     .killed_at = 24000},
    {.name = "ExampleFoldersSomeoneWorksInGetTheirFiles", .earlier_copies = true, .examples_in_use = true},
    {.name = "Build10240FindsTheHost", .language = Language::english, .build = "10240"},
    {.name = "UnreachableHostIsSaid", .unreachable = true},
    {.name = "HostThatCannotBeChangedIsSaid", .language = Language::english, .immutable = true},
};

// Each host name: the folder as registered in UTF-16, an ordinary folder beside it that the
// code page's best-fit table would read it as (made empty, like the host folder), and, for
// a name the code page cannot hold, the folder as the installer's message names it.
struct HostFolderName {
    const wchar_t* folder;
    const char* look_alike;
    const char* shown;
};
const HostFolderName host_names[] = {
    {L"PureBasic\\", nullptr, nullptr},
    {L"Biblioth\u00e8que\\PureBasic\\", nullptr, nullptr},
    {L"\uff30\uff22\\", "PB\\", "??\\"},
    {L"Narz\u0119dzia\\PureBasic\\", "Narzedzia\\PureBasic\\", "Narz?dzia\\PureBasic\\"},
    // Read as a quote, it would end the path at the temporary folder itself.
    {L"\uff02PureBasic\\", nullptr, "?PureBasic\\"},
};

// Each planted link: where it is in the host folder, the files it reaches beside the host
// folder (in "elsewhere\\", all read-only), the installed file it stands for, if any, and
// whether it stands at a file's place (where the run removes the link, if the platform
// opens it as a link) or is a folder on the way (never removed).
struct PlantedLink {
    const char* link;
    const char* target;
    std::vector<const char*> outside_files;
    const char* stands_for;
    bool at_file;
};
const PlantedLink planted_links[] = {
    {},
    {"Residents\\Orvelle.res", "elsewhere\\Orvelle.res", {"Orvelle.res"}, "Residents\\Orvelle.res", true},
    {"PureLibraries\\UserLibraries\\Lumora", "elsewhere\\Lumora", {"Lumora"}, nullptr, true},
    {"Help", "elsewhere", {"Lumora.chm", "Orvelle.chm"}, "Help\\Orvelle.chm", false},
    {"PureLibraries", "elsewhere", {}, "PureLibraries\\UserLibraries\\Orvelle", false},
};
// The other user's folder of the swapped case, beside the host folder: read-only files.
const char* const victim_files[] = {"Lumora\\a.pb", "Lumora\\Sub\\b.pb"};

// Cases show by their names in test listings.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

std::string payload(const char* name) {
    return read_file(std::string(PAYLOAD_DIR) + name);
}

// The size of the largest file in `folder`.
size_t largest_file(const std::string& folder) {
    size_t largest = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            largest = std::max<size_t>(largest, entry.nFileSizeLow);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return largest;
}

std::string narrow(const std::wstring& text, UINT code_page) {
    std::string result(text.size() * 3 + 1, '\0');
    const int length = WideCharToMultiByte(code_page, 0, text.c_str(), -1, result.data(),
                                           static_cast<int>(result.size()), nullptr, nullptr);
    result.resize(length > 0 ? length - 1 : 0);
    return result;
}

std::string shown_bytes(const std::string& bytes) {
    if (bytes.size() <= 64) return bytes;
    unsigned long digest = 2166136261u;  // FNV-1a
    for (unsigned char byte : bytes)
        digest = (digest ^ byte) * 16777619u;
    return std::to_string(bytes.size()) + " bytes #" + std::to_string(digest & 0xFFFFFFFFu);
}

// Every file and folder under `folder`, with their contents, in one text; names in UTF-8,
// listed by the wide-character calls, which give them exactly. A long file shows its size
// and a digest of its bytes, which keeps a failure's message readable.
std::string tree_of(const std::wstring& folder) {
    std::string listing;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return listing;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listing += narrow(name, CP_UTF8) + "\\{" + tree_of(folder + name + L"\\") + "} ";
        else
            listing += narrow(name, CP_UTF8) + "=" + shown_bytes(read_file(folder + name)) + " ";
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return listing;
}

std::string tree_of(const std::string& folder) {
    return tree_of(test_support::wide(folder));
}

class Installer : public testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        const Case& c = GetParam();
        const HostFolderName& name = host_names[static_cast<int>(c.host_name)];
        std::wstring host = test_support::wide(temp_.path()) + name.folder;
        if (c.small_drive) {
            ASSERT_NO_FATAL_FAILURE(small_drive("mount"));
            host = test_support::wide(drive_) + L"PureBasic\\";
        }
        if (c.unreachable) host = test_support::wide(free_drive()) + L"PureBasic\\";
        if (c.build) {
            ASSERT_TRUE(set_build(c.build));
        }
        // A name the code page can hold is used as the installer uses it, in that code page.
        if (!name.shown) host_ = narrow(host, CP_ACP);
        words_ = c.language == Language::french ? &french : &english;
        test_support::unregister_host();
        if (c.registered) {
            ASSERT_TRUE(test_support::register_host(host));
        }
        if (c.host_exists && !c.unreachable) make_folders(host);
        if (c.small_drive) {
            make_folder(host_);
            make_folder(host_ + "Help");
            ASSERT_TRUE(write_file(host_ + installed_files[0].path, std::string(6000, 'h')));
        }
        if (name.look_alike) make_folders(test_support::wide(temp_ / name.look_alike));
        if (c.earlier_copies) make_earlier_copies();
        make_old_examples(c.old_examples);
        ASSERT_NO_FATAL_FAILURE(plant_link(c.planted));
        if (c.immutable) {
            ASSERT_NO_FATAL_FAILURE(unix_script(IMMUTABLE, "set", host_));
            immutable_ = true;
        }
        before_ = tree_of(temp_.path());
        if (unwritten()) unwritten_before_ = read_file(host_ + unwritten());
        for (const char* file : sibling_files)
            siblings_before_.push_back(read_file(host_ + file));
        elsewhere_before_ = tree_of(temp_ / "elsewhere\\");
    }

    void TearDown() override {
        if (alt_held_) driver::release(VK_MENU);
        if (held_) CloseHandle(held_);
        if (installer_.process) {
            unsigned ignored;
            driver::wait_exit(installer_, 0, &ignored);
        }
        test_support::unregister_host();
        remove_planted_link();
        if (!drive_.empty()) small_drive("unmount");
        if (immutable_) unix_script(IMMUTABLE, "clear", host_);
        if (held_folder_ != INVALID_HANDLE_VALUE) CloseHandle(held_folder_);
        if (!working_folder_.empty()) SetCurrentDirectoryA(working_folder_.c_str());
        for (const BuildValue& build : builds_)
            set_build_value(build);
    }

    // A drive letter that the system does not have.
    static std::string free_drive() {
        const DWORD drives = GetLogicalDrives();
        char letter = 'Q';
        while (drives & (1u << (letter - 'A')))
            ++letter;
        return std::string(1, letter) + ":\\";
    }

    // Wine gives new programs the build number of its registry, which a 32-bit program reads
    // in its own view; both views get it, and their earlier values come back at the end.
    static constexpr const char* build_values[] = {"CurrentBuildNumber", "CurrentBuild"};
    static constexpr REGSAM registry_views[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
    static constexpr char version_key[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";

    struct BuildValue {
        REGSAM view;
        const char* name;
        std::string value;
    };

    static bool set_build_value(const BuildValue& build) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, version_key, 0, KEY_SET_VALUE | build.view, &key) != ERROR_SUCCESS)
            return false;
        const LONG set = RegSetValueExA(key, build.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(build.value.c_str()),
                                        static_cast<DWORD>(build.value.size() + 1));
        RegCloseKey(key);
        return set == ERROR_SUCCESS;
    }

    bool set_build(const char* build) {
        for (REGSAM view : registry_views) {
            for (const char* name : build_values) {
                char value[64] = "";
                DWORD size = sizeof value - 1;
                HKEY key;
                if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, version_key, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
                    return false;
                const LONG read = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
                RegCloseKey(key);
                if (read != ERROR_SUCCESS) return false;
                builds_.push_back({view, name, value});
                if (!set_build_value({view, name, build})) return false;
            }
        }
        return true;
    }

    // Runs a Unix script of the tests (`script` ACTION DONE FOLDER [MORE]), which Wine's start does
    // not wait for, and waits for its word in DONE. Where the machine refuses, the test fails
    // with the reason.
    void unix_script(const char* script,
                     const std::string& action,
                     const std::string& folder,
                     const std::string& more = "") {
        const std::string done = temp_ / "script.done";
        DeleteFileA(done.c_str());
        const auto started = test_support::run_child("start.exe /unix /bin/sh \"" + std::string(script) + "\" " +
                                                     action + " \"" + test_support::unix_path(done) + "\" \"" +
                                                     test_support::unix_path(folder) + "\" " + more);
        ASSERT_TRUE(started.finished && driver::wait_until([&] { return file_exists(done); }, 30000));
        ASSERT_EQ("ok\n", read_file(done)) << script << " " << action << " " << folder;
    }

    // The names in `folder`, for the folders that a program could make a relative path in.
    static std::string names_in(const std::string& folder) {
        std::string names;
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            names += std::string(entry.cFileName) + " ";
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        return names;
    }

    // This process's current folder is one example folder; the other is held open.
    void work_in_examples() {
        char folder[MAX_PATH];
        ASSERT_NE(0u, GetCurrentDirectoryA(MAX_PATH, folder));
        working_folder_ = folder;
        ASSERT_TRUE(SetCurrentDirectoryA((host_ + "Examples\\Orvelle\\GetVantrel").c_str()));
        held_folder_ = CreateFileA((host_ + "Examples\\Orvelle\\SetVantrel").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held_folder_);
    }

    // The message of a run that installs nothing because of its host folder; empty for a
    // run that goes through.
    std::string refusal() const {
        const Case& c = GetParam();
        const char* shown = host_names[static_cast<int>(c.host_name)].shown;
        if (!c.registered) return words_->no_host;
        if (shown) return words_->unusable_before + temp_.path() + shown + words_->unusable_after;
        if (c.unreachable) return words_->unreachable_before + host_ + words_->unusable_after;
        if (c.immutable) return words_->denied_before + host_ + words_->denied_after;
        return "";
    }

    // A drive of 24 KB: a tmpfs mounted on a folder here and made a drive of the prefix by a
    // Unix script, which Wine's start does not wait for. Where the machine refuses, the test
    // fails with the reason.
    void small_drive(const std::string& action) {
        if (drive_.empty()) {
            drive_ = free_drive();
            make_folder(temp_ / "drive");
        }
        unix_script(SMALL_DRIVE, action, temp_ / "drive", drive_.substr(0, 1));
    }

    // Makes `folder` (below the temporary folder, with its trailing backslash) and the
    // folders on the way.
    void make_folders(const std::wstring& folder) const {
        for (size_t end = temp_.path().size(); (end = folder.find(L'\\', end)) != std::wstring::npos; ++end)
            make_folder(folder.substr(0, end));
    }

    void make_earlier_copies() {
        for (const char* folder :
             {"Help\\", "PureLibraries\\", "PureLibraries\\UserLibraries\\", "Residents\\", "Examples\\",
              "Examples\\Orvelle\\", "Examples\\Orvelle\\SetVantrel\\", "Examples\\Orvelle\\GetVantrel\\"})
            make_folder(host_ + folder);
        for (const Installed& file : installed_files)
            copy_read_only(file.path);
        for (const char* file : sibling_files)
            copy_read_only(file);
    }

    void copy_read_only(const std::string& relative) {
        ASSERT_TRUE(write_file(host_ + relative, old_bytes)) << relative;
        ASSERT_TRUE(set_read_only(host_ + relative)) << relative;
    }

    void make_old_examples(OldExamples kind) {
        if (kind == OldExamples::absent) return;
        make_folder(host_ + "Examples\\");
        const std::string old = host_ + "Examples\\Lumora";
        if (kind == OldExamples::file) {
            ASSERT_TRUE(write_file(old, old_bytes));
        } else if (kind == OldExamples::link) {
            make_folder(temp_ / "outside");
            make_folder(temp_ / "outside\\inner");
            ASSERT_TRUE(write_file(temp_ / "outside\\kept.pb", old_bytes));
            ASSERT_TRUE(write_file(temp_ / "outside\\inner\\kept.pb", old_bytes));
            ASSERT_TRUE(test_support::make_link(temp_ / "outside", old));
            link_removable_ = test_support::opens_as_link(old);
        } else if (kind == OldExamples::swapped) {
            make_folder(old);
            ASSERT_TRUE(write_file(old + "\\a.pb", old_bytes));
            ASSERT_TRUE(write_file(old + "\\b.pb", old_bytes));
            for (const char* folder : {"victim", "victim\\Lumora", "victim\\Lumora\\Sub"})
                make_folder(temp_ / folder);
            for (const char* file : victim_files) {
                ASSERT_TRUE(write_file(temp_ / "victim\\" + file, old_bytes));
                ASSERT_TRUE(set_read_only(temp_ / "victim\\" + file));
            }
        } else {
            make_folder(old);
            for (const char* entry : old_tree) {
                const std::string path = old + "\\" + entry;
                if (path.back() == '\\')
                    make_folder(path);
                else
                    ASSERT_TRUE(write_file(path, old_bytes));
            }
            // Files first: a read-only folder would refuse them.
            for (auto entry = std::rbegin(old_tree); entry != std::rend(old_tree); ++entry)
                ASSERT_TRUE(set_read_only(old + "\\" + *entry));
            if (kind == OldExamples::busy_tree) held_ = hold(old + "\\sub\\b.pb");
            old_tree_before_ = tree_of(old + "\\");
        }
    }

    // Opened as a viewer would: others may read it, but neither write nor delete it.
    static HANDLE hold(const std::string& path) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << path;
        return file == INVALID_HANDLE_VALUE ? nullptr : file;
    }

    const PlantedLink& planted() const { return planted_links[static_cast<int>(GetParam().planted)]; }

    void plant_link(Planted kind) {
        if (kind == Planted::none) return;
        const PlantedLink& link = planted_links[static_cast<int>(kind)];
        make_folder(temp_ / "elsewhere");
        for (const char* file : link.outside_files) {
            ASSERT_TRUE(write_file(temp_ / "elsewhere\\" + file, old_bytes));
            ASSERT_TRUE(set_read_only(temp_ / "elsewhere\\" + file));
        }
        const std::string at = host_ + link.link;
        for (size_t end = host_.size(); (end = at.find('\\', end + 1)) != std::string::npos;)
            make_folder(at.substr(0, end));
        ASSERT_TRUE(test_support::make_link(temp_ / link.target, at));
        // Asked of the platform before the run, so that a run that removes nothing fails.
        link_removable_ = link.at_file && test_support::opens_as_link(at);
    }

    // While the question waits: "Examples" goes aside, and a link to the other user's
    // folder takes its place.
    void swap_examples() {
        ASSERT_TRUE(MoveFileA((host_ + "Examples").c_str(), (host_ + "Examples.old").c_str()));
        ASSERT_TRUE(test_support::make_link(temp_ / "victim", host_ + "Examples"));
    }

    // Before the temporary folder goes: its removal cannot tell a file link from a file.
    void remove_planted_link() {
        if (GetParam().planted != Planted::none) test_support::remove_link(host_ + planted().link);
        if (GetParam().old_examples == OldExamples::swapped) test_support::remove_link(host_ + "Examples");
    }

    // The installed file that the run cannot write: the help file on the small drive, a held
    // file, or the file a link stands for, unless the run can remove the link.
    const char* unwritten() const {
        const Case& c = GetParam();
        if (c.small_drive) return installed_files[0].path;
        if (c.held_open && !stuck()) return c.held_open;
        const char* file = planted().stands_for;
        return file && !link_removable_ ? file : nullptr;
    }

    // The sibling's file that stays: a held one, or a link the run cannot remove.
    const char* stuck() const {
        const Case& c = GetParam();
        if (c.held_open && std::string(c.held_open).find("Lumora") != std::string::npos) return c.held_open;
        return c.planted == Planted::sibling_link && !link_removable_ ? planted().link : nullptr;
    }

    // Whether the run asks about the old example folder: not about a file of that name, nor
    // about a link that the platform follows, which the deletion would refuse to act on.
    bool asked() const {
        switch (GetParam().old_examples) {
            case OldExamples::absent:
            case OldExamples::file:
                return false;
            case OldExamples::link:
                return link_removable_;
            default:
                return true;
        }
    }

    // Whether the run deletes the old example folder on Yes: a held file keeps it, a link
    // goes where the platform opens it as one, and a folder swapped for a link stays.
    bool old_examples_deleted() const {
        switch (GetParam().old_examples) {
            case OldExamples::tree:
                return true;
            case OldExamples::link:
                return link_removable_;
            default:
                return false;
        }
    }

    void expect_victim_untouched() const {
        for (const char* file : victim_files) {
            const std::string path = temp_ / "victim\\" + file;
            EXPECT_EQ(old_bytes, read_file(path)) << path;
            EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) << path << " is not read-only";
        }
    }

    bool under_planted_link(const std::string& file) const {
        return GetParam().planted != Planted::none && file.rfind(planted().link, 0) == 0;
    }

    void expect_outside_untouched() const {
        for (const char* file : planted().outside_files) {
            const std::string path = temp_ / "elsewhere\\" + file;
            const std::string bytes = read_file(path);
            EXPECT_TRUE(bytes == old_bytes) << path << " holds " << bytes.size() << " other bytes";
            EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) << path << " is not read-only";
        }
    }

    // A control that is not there fails the test rather than read as disabled or empty.
    HWND control(int number) const {
        HWND found = driver::find_control(installer_, number);
        if (!found) ADD_FAILURE() << "no control " << number;
        return found;
    }

    // Presses control `number` as the case's user does: a click, or Tab to it and Space.
    void use(int number) {
        if (GetParam().input == Input::mouse) {
            driver::press(control(number));
            return;
        }
        ASSERT_TRUE(driver::press_with_keys(installer_, control(number))) << "control " << number << " not reached";
    }

    void answer(const driver::Box& box, int id) {
        if (GetParam().input == Input::mouse) {
            driver::answer(box, id);
            return;
        }
        ASSERT_TRUE(driver::answer_with_keys(box, id)) << "the box was not answered with " << id;
    }

    // From the keyboard, Alt stays down until the program has ended: the end must come
    // without any further input.
    void request_close() {
        if (GetParam().input == Input::mouse) {
            PostMessageA(installer_.main, WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
        ASSERT_TRUE(driver::bring_to_front(installer_.main));
        alt_held_ = driver::hold(VK_MENU);
        ASSERT_TRUE(alt_held_ && driver::tap(VK_F4));
    }

    // Tab from no focused control goes to the first tab stop, and from the last one back to
    // the first; Shift+Tab goes back the same way.
    void walk_tab_stops() {
        ASSERT_TRUE(driver::bring_to_front(installer_.main)) << "the installer did not come to the front";
        std::vector<int> forward, backward;
        for (int step = 0; step < 5; ++step)
            forward.push_back(GetDlgCtrlID(driver::tab(installer_.main)));
        for (int step = 0; step < 4; ++step)
            backward.push_back(GetDlgCtrlID(driver::tab(installer_.main, true)));
        EXPECT_EQ((std::vector<int>{7, 9, 6, 100, 7}), forward);
        EXPECT_EQ((std::vector<int>{100, 6, 9, 7}), backward);
    }

    void expect_enabled(std::vector<int> enabled) const {
        for (int number : {6, 7, 8, 9}) {
            const bool expected = std::find(enabled.begin(), enabled.end(), number) != enabled.end();
            EXPECT_EQ(expected, IsWindowEnabled(control(number)) != 0) << "control " << number;
        }
    }

    // The list after a run that wrote every file but unwritten(), with stuck() reported.
    std::vector<std::string> expected_lines() const {
        const char* failed = unwritten();
        std::vector<std::string> lines{words_->heading, separator, host_ + " . . ."};
        for (const Installed& file : installed_files) {
            // The examples come under a heading of their own.
            if (&file == &installed_files[3]) lines.insert(lines.end(), {"", separator, host_ + "Examples\\Orvelle\\"});
            lines.push_back("");
            if (failed && std::string(failed) == file.path) {
                lines.push_back(std::string(words_->not_written) + file.shown);
            } else {
                lines.push_back(words_->file_heading);
                lines.push_back(file.shown);
            }
            const size_t index = &file - installed_files;
            if (stuck() && index < std::size(sibling_files) && std::string(stuck()) == sibling_files[index])
                lines.insert(lines.end(), {words_->not_removed, stuck()});
        }
        return lines;
    }

    void expect_message(const driver::Box& box,
                        const char* title,
                        const std::string& text,
                        driver::BoxIcon icon,
                        std::vector<int> buttons) const {
        EXPECT_EQ(title, box.title);
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(icon, box.icon);
        EXPECT_EQ(buttons, box.buttons);
    }

    void choose_language() {
        const Case& c = GetParam();
        ASSERT_NO_FATAL_FAILURE(use(c.language == Language::french ? 7 : 9));
        // The heading line comes last, and the list answers only once the installer is back
        // in its loop: by then the whole choice is made.
        HWND list = control(100);
        ASSERT_TRUE(list);
        ASSERT_TRUE(driver::wait_until([&] { return !driver::list_lines(list).empty(); })) << "no language chosen";
        expect_enabled({6, 8});
        EXPECT_EQ("Français", driver::window_text(control(7)));
        EXPECT_EQ("English", driver::window_text(control(9)));
        EXPECT_EQ(words_->install_label, driver::window_text(control(8)));
        EXPECT_EQ(words_->cancel_label, driver::window_text(control(6)));
        EXPECT_EQ(std::vector<std::string>{words_->heading}, driver::list_lines(control(100)));
    }

    // The payload file that `file` installs (the help file of the case's language).
    std::string installed_bytes(const Installed& file) const {
        if (file.payload) return payload(file.payload);
        return payload(GetParam().language == Language::french ? "help_fr.chm" : "help_en.chm");
    }

    // A first run, killed by a watcher in this process once a file of the Help folder holds
    // `bytes` bytes: every installed file is whole then, the earlier copy or the new one, and
    // the kill came while the help file was being written.
    void cut_short(size_t bytes) {
        ASSERT_TRUE(driver::start_installer(SETUP_EXE, installer_)) << "the main window did not show";
        ASSERT_NO_FATAL_FAILURE(choose_language());
        ASSERT_NO_FATAL_FAILURE(use(8));
        const std::string help = host_ + "Help\\";
        for (const DWORD start = GetTickCount(); largest_file(help) < bytes && GetTickCount() - start < 60000;) {
        }
        unsigned ignored;
        driver::wait_exit(installer_, 0, &ignored);  // ends it at once
        const size_t written = largest_file(help);
        std::printf("killed with %u bytes of the help file written\n", static_cast<unsigned>(written));
        EXPECT_TRUE(written >= bytes && written < installed_bytes(installed_files[0]).size())
            << "killed with " << written << " bytes of the help file written";
        for (const Installed& file : installed_files) {
            const std::string now = read_file(host_ + file.path);
            EXPECT_TRUE(now == old_bytes || now == installed_bytes(file)) << file.path << ": " << shown_bytes(now);
        }
    }

    void answer_question() {
        const Case& c = GetParam();
        driver::Box box;
        ASSERT_TRUE(driver::wait_message_box(installer_, box)) << "no question";
        const std::string folder = host_ + "Examples\\Lumora\\";
        expect_message(box, words_->question_title, words_->question_before + folder + words_->question_after,
                       driver::BoxIcon::question, {IDYES, IDNO});
        // The main program's bar stays at 1; the run's own, made last, counts the files written.
        std::vector<LRESULT> progress;
        for (HWND bar : driver::find_controls(installer_, 201))
            progress.push_back(SendMessageW(bar, PBM_GETPOS, 0, 0));
        EXPECT_EQ((std::vector<LRESULT>{1, unwritten() ? 4 : 5}), progress);
        if (c.old_examples == OldExamples::swapped) {
            ASSERT_NO_FATAL_FAILURE(swap_examples());
        }
        ASSERT_NO_FATAL_FAILURE(answer(box, c.answer));
    }

    std::string host_;
    test_support::TempFolder temp_;
    const Words* words_ = nullptr;
    driver::Installer installer_;
    HANDLE held_ = nullptr;
    bool alt_held_ = false;
    bool link_removable_ = false;   // the run can remove the case's link: the platform opens it as one
    std::string before_;            // the whole temporary folder before the installer starts
    std::string old_tree_before_;   // the old examples' tree
    std::string unwritten_before_;  // what unwritten() held
    std::vector<std::string> siblings_before_;
    std::string elsewhere_before_;  // the folder beside the host folder that planted links lead to
    std::string drive_;             // the small drive's root
    bool immutable_ = false;        // the host folder is immutable until the end
    std::string working_folder_;    // this process's current folder before it worked in the examples
    HANDLE held_folder_ = INVALID_HANDLE_VALUE;
    std::vector<BuildValue> builds_;  // the build values to put back
};

TEST_P(Installer, RunsAsTheUserSeesIt) {
    const Case& c = GetParam();
    if (c.killed_at) {
        ASSERT_NO_FATAL_FAILURE(cut_short(c.killed_at));
    }
    if (c.held_open) held_ = hold(host_ + c.held_open);
    if (c.examples_in_use) {
        ASSERT_NO_FATAL_FAILURE(work_in_examples());
    }
    const std::string setup_folder = std::string(SETUP_EXE).substr(0, std::string(SETUP_EXE).rfind('\\') + 1);
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    const std::string around_before = names_in(setup_folder) + "| " + names_in(std::string(current) + "\\");
    ASSERT_TRUE(driver::start_installer(SETUP_EXE, installer_)) << "the main window did not show";
    expect_enabled({6, 7, 9});
    EXPECT_EQ("Installer", driver::window_text(control(8)));
    EXPECT_EQ("", driver::window_text(control(6)));
    EXPECT_TRUE(driver::list_lines(control(100)).empty());
    if (c.input == Input::keyboard) {
        ASSERT_NO_FATAL_FAILURE(walk_tab_stops());
    }

    unsigned expected_exit = 0;
    if (c.stop != Stop::before_language) {
        ASSERT_NO_FATAL_FAILURE(choose_language());
    }
    if (c.stop == Stop::after_install) {
        RECT before{};
        GetClientRect(installer_.main, &before);
        ASSERT_NO_FATAL_FAILURE(use(8));
        if (asked()) {
            ASSERT_NO_FATAL_FAILURE(answer_question());
        }

        driver::Box box;
        ASSERT_TRUE(driver::wait_message_box(installer_, box)) << "no message after the install command";
        const std::string text = refusal();
        if (!text.empty()) {
            expect_message(box, "Infos :", text, driver::BoxIcon::error, {IDOK});
            EXPECT_EQ(std::vector<std::string>{words_->heading}, driver::list_lines(control(100)));
            ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
            unsigned exit_code = 99;
            EXPECT_TRUE(driver::wait_exit(installer_, 60000, &exit_code));
            EXPECT_EQ(1u, exit_code);
            EXPECT_EQ(before_, tree_of(temp_.path())) << "something was written without a host";
            EXPECT_EQ(around_before, names_in(setup_folder) + "| " + names_in(std::string(current) + "\\"))
                << "something was made beside the installer or in the current folder";
            return;
        }
        const bool failed = unwritten() || stuck();
        expected_exit = failed ? 1 : 0;
        expect_message(box, "Infos :", failed ? words_->failure : words_->completion,
                       failed ? driver::BoxIcon::warning : driver::BoxIcon::information, {IDOK});
        std::vector<std::string> lines = expected_lines();
        const std::string old = host_ + "Examples\\Lumora\\";
        if (asked() && c.answer == IDYES) {
            const bool gone = old_examples_deleted();
            EXPECT_EQ(gone, !folder_exists(old));
            lines.insert(lines.end(), {gone ? words_->deleted : words_->not_deleted, old});
        }
        EXPECT_EQ(lines, driver::list_lines(control(100)));
        RECT after{};
        GetClientRect(installer_.main, &after);
        EXPECT_EQ(before.bottom, after.bottom) << "the main window keeps its height";
        const std::vector<HWND> bars = driver::find_controls(installer_, 201);
        ASSERT_EQ(1u, bars.size()) << "the run's progress bar is gone, the first one stays";
        EXPECT_EQ(1, SendMessageW(bars[0], PBM_GETPOS, 0, 0));
        expect_enabled({6});
        ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    }

    if (c.close_request) {
        ASSERT_NO_FATAL_FAILURE(request_close());
    } else {
        ASSERT_NO_FATAL_FAILURE(use(6));
    }
    // Nothing more comes: no click, no key, no mouse move.
    unsigned exit_code = 99;
    EXPECT_TRUE(driver::wait_exit(installer_, 60000, &exit_code)) << "the installer did not end";
    EXPECT_EQ(expected_exit, exit_code);
    if (held_) CloseHandle(held_);
    held_ = nullptr;

    if (c.stop != Stop::after_install) {
        EXPECT_EQ(before_, tree_of(temp_.path())) << "something was written without the install command";
        return;
    }
    for (const Installed& file : installed_files) {
        const bool held = unwritten() && std::string(unwritten()) == file.path;
        std::string path = host_ + file.path;
        // The examples went aside with their folder.
        if (c.old_examples == OldExamples::swapped && path.find("Examples\\") == host_.size())
            path.insert(host_.size() + 8, ".old");
        EXPECT_EQ(shown_bytes(held ? unwritten_before_ : installed_bytes(file)), shown_bytes(read_file(path)))
            << file.path;
    }
    for (size_t i = 0; i < std::size(sibling_files); ++i) {
        // A link that stays shows what it leads to, beside the host folder.
        const std::string file = sibling_files[i];
        const bool kept = (under_planted_link(file) && !link_removable_) || (stuck() && file == stuck());
        EXPECT_EQ(kept ? siblings_before_[i] : "", read_file(host_ + file)) << file;
        if (!kept) {
            EXPECT_FALSE(file_exists(host_ + file)) << file;
        }
    }
    expect_outside_untouched();
    EXPECT_EQ(elsewhere_before_, tree_of(temp_ / "elsewhere\\")) << "changed beside the host folder";
    // Nothing of a run cut short stays.
    if (c.killed_at) {
        EXPECT_EQ("Orvelle.chm=" + shown_bytes(installed_bytes(installed_files[0])) + " ", tree_of(host_ + "Help\\"));
    }
    const std::string old = host_ + "Examples\\Lumora";
    switch (c.old_examples) {
        case OldExamples::absent:
            EXPECT_FALSE(folder_exists(old) || file_exists(old));
            break;
        case OldExamples::file:
            EXPECT_EQ(old_bytes, read_file(old));
            break;
        case OldExamples::tree:
            if (c.answer == IDNO) {
                EXPECT_EQ(old_tree_before_, tree_of(old + "\\")) << "the old examples were touched";
            }
            break;
        case OldExamples::busy_tree:
            EXPECT_EQ(old_bytes, read_file(old + "\\sub\\b.pb")) << "the held file stays";
            break;
        case OldExamples::link:
            EXPECT_EQ("inner\\{kept.pb=an earlier copy } kept.pb=an earlier copy ", tree_of(temp_ / "outside\\"));
            break;
        case OldExamples::swapped:
            expect_victim_untouched();
            EXPECT_EQ("a.pb=an earlier copy b.pb=an earlier copy ", tree_of(host_ + "Examples.old\\Lumora\\"));
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, Installer, testing::ValuesIn(cases), [](const testing::TestParamInfo<Case>& info) {
    return std::string(info.param.name);
});

}  // namespace
