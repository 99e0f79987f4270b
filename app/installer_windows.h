#pragma once

// The installer's windows: the main window and, inside it, the banner, the list panel and
// the button panel, with their controls, fonts, images and colours.
namespace app {

// Opens windows 2 to 5 and places their controls; installs the colour callback with its
// brushes. A window that cannot be opened is skipped with its controls, and so are the
// controls of a panel that cannot take any.
void open_installer_windows();

// The user's choice of language (language_french or language_english), made once: both
// language buttons are disabled for good, the install control is enabled, the buttons and
// the names that screen readers read take the language, and the list gets its heading.
void choose_language(unsigned char flag);

// Deletes the brushes and frees the images that the windows show. The windows and their
// controls close with the program's end.
void free_window_resources();

}  // namespace app
