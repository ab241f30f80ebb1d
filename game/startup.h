// Start-up and the 50 Hz main loop. Never returns: the program ends through End() or an error.
#pragma once

class TDraw2DDriver;

[[noreturn]] void RunStomp(TDraw2DDriver* driver);
