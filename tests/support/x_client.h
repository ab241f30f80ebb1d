// What the tests and benchmarks ask of a test X server as a window manager or the pointer's owner
// would. Include it last: the X headers define macros such as Bool and None that other headers
// use as names.
#pragma once

#include <optional>

#include <X11/Xlib.h>

namespace testing_support {

// The close box: sends `window` WM_PROTOCOLS / WM_DELETE_WINDOW, as a window manager does, and
// flushes it; false when the server refused to take it.
bool RequestClose(Display* display, Window window);

// Whether the pointer image the server shows now has any visible pixel; nullopt when the server
// gives none.
std::optional<bool> PointerVisible(Display* display);

}  // namespace testing_support
