// Linked into the test executables that run SDL's video inside the test process.
//
// SDL's D-Bus connection keeps a buffer that libdbus frees only at its own shutdown, which SDL
// never asks for; under LeakSanitizer that would fail every run of such a process.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name LeakSanitizer looks for
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
