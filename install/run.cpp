#include "install/run.h"

#include <windows.h>

#include <initializer_list>

#include "app/numbers.h"
#include "app/texts.h"
#include "install/host_folder.h"
#include "services/below.h"
#include "services/files.h"
#include "services/folders.h"
#include "services/memory.h"
#include "services/strings.h"
#include "toolkit/accessible.h"
#include "toolkit/control.h"
#include "toolkit/message_box.h"
#include "toolkit/window.h"

namespace install {
namespace {

using app::chosen;

constexpr int payload_file_number = 0;
constexpr int progress_growth = 10;
constexpr int progress_files = 5;
constexpr int step_pause_ms = 50;
constexpr int scroll_pause_ms = 10;

constexpr char help_path[] = "\\Help\\Orvelle.chm";  // the platform takes the doubled separator as one
constexpr char help_sibling[] = "\\Help\\Lumora.chm";
constexpr char help_shown[] = "Help\\Orvelle.chm";
constexpr char library_path[] = "PureLibraries\\UserLibraries\\Orvelle";
constexpr char resident_path[] = "Residents\\Orvelle.res";
constexpr char examples_folder[] = "Examples\\Orvelle";
constexpr char old_examples_folder[] = "Examples\\Lumora\\";

// What the platform says when the host folder's drive, share or a folder above it is not
// there: a drive letter or a share that this logon session does not have (Windows keeps
// mapped drives per session, and an elevated run has a session of its own), a removed
// stick, an empty card reader.
constexpr DWORD unreachable_errors[] = {ERROR_FILE_NOT_FOUND,  ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE,
                                        ERROR_NOT_READY,       ERROR_BAD_NETPATH,    ERROR_DEV_NOT_EXIST,
                                        ERROR_NETNAME_DELETED, ERROR_BAD_NET_NAME,   ERROR_NO_NET_OR_BAD_PATH};

int g_progress;
char* g_refused_host;  // string variable
// Index of the list's last line: where a scroll goes.
int g_list_caret;

// A text built in the work buffer from its pieces and kept there, past its terminator,
// while it is in use: whatever runs meanwhile builds its own texts after it.
class Text {
  public:
    Text(std::initializer_list<const char*> pieces) : start_(services::write_position()) {
        for (const char* piece : pieces)
            services::append_string(piece);
        services::skip_terminator();
    }
    ~Text() { services::set_write_position(start_); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    operator const char*() const { return start_; }

  private:
    char* start_;
};

void add_line(const char* text) {
    const LRESULT index = toolkit::add_item(app::list_control, -1, text);
    if (index >= 0) g_list_caret = static_cast<int>(index);
}

// The lines of one file: the empty line, then the file heading and the name as the list
// shows it, or a single line saying that the file was not written; then, for a sibling's
// file that stays (`stuck`, when given), a line that says so and its name.
void report_file(bool written, const char* shown, const char* stuck) {
    add_line("");
    if (written) {
        add_line(chosen(app::file_heading));
        add_line(shown);
    } else {
        add_line(Text{chosen(app::file_not_written), shown});
    }
    if (!stuck) return;
    add_line(chosen(app::file_not_deleted));
    add_line(stuck[0] == '\\' ? stuck + 1 : stuck);
}

// A written file is one step more on the progress bar.
bool install_file(const char* relative, const Blob& blob) {
    const bool written = write_blob(relative, blob);
    if (written) progress_step();
    return written;
}

// One level per call, parents first, below the host folder; an existing folder is no error.
constexpr const char* host_folders[] = {
    "Examples\\", "Examples\\Orvelle\\", "Residents\\", "PureLibraries\\", "PureLibraries\\UserLibraries\\", "Help\\"};

enum class Host { entered, unreachable, denied, unusable };

bool is_unreachable(DWORD error) {
    for (DWORD each : unreachable_errors)
        if (each == error) return true;
    return false;
}

// Makes the host folder when missing (its parent must be there), then works below it: the
// host folder itself may be reached through a link, and from there on every act is checked
// against its final place. Unusable: something that is not a folder at its own place, below
// which every act is refused and every file listed as not written.
Host enter_host(const char* host) {
    const DWORD made = services::create_folder(host) ? ERROR_SUCCESS : GetLastError();
    if (services::enter_base(host)) return Host::entered;
    const DWORD opened = GetLastError();
    if (made == ERROR_ACCESS_DENIED || opened == ERROR_ACCESS_DENIED) return Host::denied;
    if (is_unreachable(made) || is_unreachable(opened)) return Host::unreachable;
    return Host::unusable;
}

// Once an act has been refused for the user's rights before anything changed, every later
// act is refused too: the run stops and reports nothing but that.
bool denied() {
    return services::denied_before_change();
}

bool install_help(const char* host) {
    const Blob& help = app::language() == app::language_french ? french_help : english_help;
    const bool removed = remove_file(help_sibling);
    const bool written = install_file(help_path, help);
    if (denied()) return false;
    if (written) scroll_list();
    add_line(Text{host, app::host_line_ending});
    report_file(written, help_shown, removed ? nullptr : help_sibling);
    scroll_list();
    return written && removed;
}

// The library and the resident file: the sibling's file goes, then the own one takes the
// place of the earlier copy. False when either fails.
bool install_host_file(const char* sibling, const char* relative, const Blob& blob) {
    const bool removed = remove_file(sibling);
    const bool written = install_file(relative, blob);
    if (denied()) return false;
    report_file(written, relative, removed ? nullptr : sibling);
    scroll_list();
    return written && removed;
}

// The library and the resident file as steps of the run, which take the host folder.
bool install_library(const char*) {
    return install_host_file("PureLibraries\\UserLibraries\\Lumora", library_path, library_file);
}

bool install_resident(const char*) {
    return install_host_file("Residents\\Lumora.res", resident_path, resident_file);
}

// The example files, each in its own folder, cut from the example blob in table order.
bool install_examples(const char* host) {
    add_line("");
    add_line(app::separator_line());
    add_line(Text{host, examples_folder, "\\"});
    scroll_list();

    // Without its table (the heap could not give it) no example can be written.
    bool written_all = example_table_rows() > 0;
    const unsigned char* cursor = example_sources.start;
    for (int row = 0; row < example_table_rows(); ++row) {
        const ExampleRow& example = *example_row(row);
        const Text relative{examples_folder, example.name};
        char* folder = services::path_part(relative, services::write_position());
        services::skip_terminator();
        // Nothing goes into a folder that is not at its own place.
        const bool ready = services::create_folder_below(folder) != 0;
        services::set_write_position(folder);
        const bool written = ready && install_file(relative, Blob{cursor, example.size});
        if (denied()) return false;
        report_file(written, example.name, nullptr);
        scroll_list();
        written_all = written_all && written;
        cursor += example.size;
    }
    return written_all;
}

// The superseded library's example folder goes only when the user says so.
void offer_old_examples_deletion(const char* host) {
    // Asked only about a folder that the deletion would act on, checked as it checks: not
    // through a link on the way.
    if (!services::folder_below(old_examples_folder)) return;
    const Text folder{host, old_examples_folder};
    const Text question{chosen(app::question_before), folder, chosen(app::question_after)};
    // The main window is not redrawn behind the question.
    LockWindowUpdate(toolkit::window_handle(app::main_window));
    const int answer = toolkit::message_box(chosen(app::question_title), question, MB_YESNO | MB_ICONQUESTION);
    // The question may wait for a long time, and the folders may change meanwhile: the
    // deletion checks again, on what it acts on, at the moment it acts.
    const bool deleted = answer == IDYES && services::delete_tree_below(old_examples_folder) != 0;
    LockWindowUpdate(nullptr);
    if (answer != IDYES) return;
    add_line(chosen(deleted ? app::folder_deleted : app::folder_not_deleted));
    add_line(folder);
    scroll_list();
}

// The run once the host folder is known.
RunOutcome install_into(const char* host) {
    const Host entry = enter_host(host);
    if (entry == Host::unreachable) return RunOutcome::unreachable_host;
    if (entry == Host::denied) return RunOutcome::denied_host;
    for (const char* folder : host_folders)
        services::create_folder_below(folder);
    if (denied()) return RunOutcome::denied_host;
    add_line(app::separator_line());
    bool written_all = true;
    for (bool (*install_step)(const char*) : {install_help, install_library, install_resident, install_examples}) {
        written_all = install_step(host) && written_all;
        if (denied()) return RunOutcome::denied_host;
    }
    if (entry == Host::entered) offer_old_examples_deletion(host);
    return written_all ? RunOutcome::installed : RunOutcome::files_failed;
}

}  // namespace

void open_progress_bar() {
    toolkit::use_window(app::main_window);
    const int height = toolkit::window_height();
    toolkit::resize_window(toolkit::window_width(), height + progress_growth);
    if (!toolkit::begin_controls(toolkit::window_handle(app::main_window))) return;
    toolkit::add_progress_bar(app::progress_bar, 10, 340, toolkit::window_width() - 20, 8, 0, progress_files);
    toolkit::set_progress_colours(app::progress_bar, app::progress_bar_colour, app::progress_background_colour);
    toolkit::set_control_state(app::progress_bar, 1);
    toolkit::set_control_name(app::progress_bar, chosen(app::progress_name));
}

void progress_step() {
    ++g_progress;
    toolkit::set_control_state(app::progress_bar, g_progress);
    services::delay_ms(step_pause_ms);
}

void scroll_list() {
    SendMessageA(toolkit::control_handle(app::list_control), LB_SETCARETINDEX, g_list_caret, 0);
    services::delay_ms(scroll_pause_ms);
}

bool remove_file(const char* relative) {
    return services::remove_below(relative) != services::removal_refused;
}

bool write_blob(const char* relative, const Blob& blob) {
    if (!services::begin_file_below(payload_file_number, relative)) return false;
    bool written = true;
    for (int i = 0; written && i < blob.length; ++i)
        written = services::write_byte(services::peek_byte(blob.start + i)) != 0;
    // A partly written file never takes the earlier copy's place.
    return services::place_file_below(payload_file_number, written) != 0;
}

RunOutcome run_installation() {
    toolkit::disable_control(app::install_control, 1);
    toolkit::disable_control(app::cancel_control, 1);
    open_progress_bar();

    char* start = services::write_position();
    if (services::string_length(find_host_folder(&g_refused_host)) == 0) {
        services::set_write_position(start);
        return g_refused_host ? RunOutcome::unusable_host : RunOutcome::no_host;
    }
    char* host = nullptr;  // string variable
    services::assign_string(&host, start);
    const RunOutcome outcome = install_into(host);
    services::leave_base();
    const bool refused = outcome == RunOutcome::unreachable_host || outcome == RunOutcome::denied_host;
    if (refused) services::assign_literal(&g_refused_host, host);
    services::free_string_local(host);
    if (!refused) toolkit::disable_control(app::cancel_control, 0);
    return outcome;
}

const char* refused_host_folder() {
    return g_refused_host;
}

}  // namespace install
