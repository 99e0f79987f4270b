#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "install/payload.h"
#include "install/run.h"
#include "services/below.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

// The run's acts below the host folder while another user keeps swapping a folder on the
// way for a link to a folder of read-only files of theirs. The swapper is a Unix process
// (tests/install/swap_links.sh), so that this test stays single-threaded; the rounds are
// fixed, and the other user's files must never lose a byte or their read-only attribute.
// Each round must also meet the swaps: some of its acts must be refused (an entry of ours
// left, a file not written), or it proves nothing.
namespace {

using test_support::make_folder;
using test_support::read_file;
using test_support::TempFolder;
using test_support::unix_path;
using test_support::write_file;

constexpr int rounds = 20;
constexpr int tree_entries = 500;
constexpr int file_steps = 500;  // each one removal and one written file
const char victim_bytes[] = "another user's";

// Polls until `path` exists, for at most 30 s.
bool wait_for(const std::string& path) {
    for (int waited = 0; waited < 30000; waited += 10) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(10);
    }
    return false;
}

// The swapper of one round: started, and running, by the constructor; stopped, and
// waited for, by stop().
class Swapper {
  public:
    Swapper(const TempFolder& temp, const std::string& path, const std::string& target)
        : ready_(temp / "swapper.ready"), stop_(temp / "swapper.stop"), done_(temp / "swapper.done") {
        // Wine's start program runs a Unix program without waiting for it.
        const auto started = test_support::run_child("start.exe /unix /bin/sh \"" SWAPPER "\" \"" + unix_path(ready_) +
                                                     "\" \"" + unix_path(stop_) + "\" \"" + unix_path(done_) + "\" \"" +
                                                     unix_path(path) + "\" \"" + unix_path(target) + "\"");
        running_ = started.finished && started.exit_code == 0 && wait_for(ready_);
    }
    // The number of swaps made, or -1 when the swapper did not end.
    int stop() {
        write_file(stop_, "");
        if (!wait_for(done_)) return -1;
        // The count is written after the file is made: wait for its line.
        for (int waited = 0; waited < 30000 && read_file(done_).find('\n') == std::string::npos; waited += 10)
            Sleep(10);
        const int swaps = std::stoi("0" + read_file(done_));
        for (const std::string& file : {ready_, stop_, done_})
            DeleteFileA(file.c_str());
        return swaps;
    }
    bool running() const { return running_; }

  private:
    std::string ready_, stop_, done_;
    bool running_ = false;
};

std::string entry_name(int index) {
    char name[16];
    wsprintfA(name, "e%04d.pb", index);
    return name;
}

// The other user's folder: `count` read-only files of the given names.
void make_victim(const std::string& folder, int count) {
    make_folder(folder);
    for (int i = 0; i < count; ++i) {
        write_file(folder + "\\" + entry_name(i), victim_bytes);
        test_support::set_read_only(folder + "\\" + entry_name(i));
    }
}

// How many files `folder` holds.
int files_in(const std::string& folder) {
    int count = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        count += !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return count;
}

// How many of the victim's files lost a byte or their read-only attribute.
int victim_losses(const std::string& folder, int count) {
    int losses = 0;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "\\" + entry_name(i);
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (read_file(path) != victim_bytes || attributes == INVALID_FILE_ATTRIBUTES ||
            !(attributes & FILE_ATTRIBUTE_READONLY))
            ++losses;
    }
    return losses;
}

TEST(RunRace, TreeDeletionNeverFollowsASwappedFolder) {
    TempFolder temp;
    const std::string host = temp / "host\\", victim = temp / "victim";
    make_victim(victim, tree_entries);
    make_folder(host);
    ASSERT_NE(0, services::enter_base(host.c_str()));
    const std::string tree = host + "Lumora", sub = tree + "\\Sub";
    int losses = 0, swaps = 0, refused = 0;
    for (int round = 0; round < rounds; ++round) {
        make_folder(tree);
        make_folder(sub);
        for (int i = 0; i < tree_entries; ++i) {
            write_file(sub + "\\" + entry_name(i), "ours");
            test_support::set_read_only(sub + "\\" + entry_name(i));
        }
        Swapper swapper(temp, sub, victim);
        ASSERT_TRUE(swapper.running()) << "round " << round;
        services::delete_tree_below("Lumora\\");
        const int round_swaps = swapper.stop();
        ASSERT_GE(round_swaps, 0) << "the swapper did not end, round " << round;
        swaps += round_swaps;
        const int round_refused = files_in(sub);
        EXPECT_GT(round_refused, 0) << "round " << round << " met no swap";
        refused += round_refused;
        losses += victim_losses(victim, tree_entries);
        test_support::remove_tree(tree);
        ASSERT_FALSE(test_support::folder_exists(tree)) << "round " << round;
    }
    services::leave_base();
    std::printf("%d rounds of %d entries, %d swaps, %d entries refused, %d files lost\n", rounds, tree_entries, swaps,
                refused, losses);
    EXPECT_EQ(0, losses) << "files of the other user lost, over " << rounds << " rounds and " << swaps << " swaps";
    EXPECT_GT(swaps, 0) << "nothing was swapped";
}

TEST(RunRace, FileStepsNeverFollowASwappedFolder) {
    TempFolder temp;
    const std::string host = temp / "host\\", victim = temp / "victim";
    make_folder(victim);
    write_file(victim + "\\Orvelle.res", victim_bytes);
    test_support::set_read_only(victim + "\\Orvelle.res");
    make_folder(host);
    make_folder(host + "Residents");
    ASSERT_NE(0, services::enter_base(host.c_str()));
    int losses = 0, swaps = 0, refused = 0;
    for (int round = 0; round < rounds; ++round) {
        Swapper swapper(temp, host + "Residents", victim);
        ASSERT_TRUE(swapper.running()) << "round " << round;
        int round_refused = 0;
        for (int step = 0; step < file_steps; ++step) {
            install::remove_file("Residents\\Orvelle.res");
            round_refused += !install::write_blob("Residents\\Orvelle.res", install::resident_file);
        }
        const int round_swaps = swapper.stop();
        ASSERT_GE(round_swaps, 0) << "the swapper did not end, round " << round;
        swaps += round_swaps;
        EXPECT_GT(round_refused, 0) << "round " << round << " met no swap";
        refused += round_refused;
        const DWORD attributes = GetFileAttributesA((victim + "\\Orvelle.res").c_str());
        if (read_file(victim + "\\Orvelle.res") != victim_bytes || attributes == INVALID_FILE_ATTRIBUTES ||
            !(attributes & FILE_ATTRIBUTE_READONLY))
            ++losses;
        // Put back for the next round what a lost round changed.
        SetFileAttributesA((victim + "\\Orvelle.res").c_str(), FILE_ATTRIBUTE_NORMAL);
        write_file(victim + "\\Orvelle.res", victim_bytes);
        test_support::set_read_only(victim + "\\Orvelle.res");
        make_folder(host + "Residents");
    }
    services::leave_base();
    std::printf("%d rounds of %d steps, %d swaps, %d steps refused, %d rounds lost\n", rounds, file_steps, swaps,
                refused, losses);
    EXPECT_EQ(0, losses) << "rounds in which the other user's file was changed, of " << rounds << ", over " << swaps
                         << " swaps";
    EXPECT_GT(swaps, 0) << "nothing was swapped";
}

}  // namespace
