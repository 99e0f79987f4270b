#pragma once

#include <windows.h>

// The program callback that colours the credits line and the list, with the two brushes
// it hands to the platform.
namespace app {

// The panel brush (the list panel's colour, behind the credits line) and the list brush.
void create_brushes();
// Deletes the brushes that exist.
void delete_brushes();

// Sees every message of the installer's windows first; answers the colour requests of
// the credits line and the list, and leaves everything else to the toolkit.
LRESULT CALLBACK colour_callback(HWND window, UINT message, WPARAM first, LPARAM second);

}  // namespace app
