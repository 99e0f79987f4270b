#pragma once

#include <string>

namespace test_support {

// A fresh folder under the temporary folder, removed with everything in it at the end of
// the test. Removal never follows a linked folder: the link alone is removed.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, with its trailing backslash.
    const std::string& path() const { return path_; }
    // path() followed by `relative`.
    std::string operator/(const std::string& relative) const { return path_ + relative; }

  private:
    std::string path_;
};

// Small file helpers for tests; paths are Windows paths.
bool write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
void make_folder(const std::string& path);
bool set_read_only(const std::string& path);
// The same by the wide-character calls, for names that the ANSI code page cannot hold;
// wide() gives an ANSI text in UTF-16.
std::wstring wide(const std::string& text);
std::string read_file(const std::wstring& path);
void make_folder(const std::wstring& path);
// Removes a tree like TempFolder does; links are removed, not followed, and names are taken
// exactly as the folder holds them (wide-character calls).
void remove_tree(const std::string& path);

// Makes `link` a Unix symbolic link to `target` (which must exist) with the host's ln, and
// returns once the link is there; false when Wine cannot run ln or the link never shows.
// remove_link removes such a link if it is still there, and returns once it is gone: Wine's
// own calls resolve a symbolic link before they remove, so they cannot remove it (and
// through a link to a file they remove, or change, the target).
bool make_link(const std::string& target, const std::string& link);
void remove_link(const std::string& link);

// True when the platform opens `link` as the link itself (a handle opened with
// FILE_FLAG_OPEN_REPARSE_POINT shows a reparse point), so that it can be removed without
// reaching its target; Wine opens the target instead. Asked before the act under test.
bool opens_as_link(const std::string& link);

// The Unix path of a Windows path under Wine (for fixtures made with host tools), or the
// empty text when Wine cannot tell.
std::string unix_path(const std::string& windows_path);

}  // namespace test_support
