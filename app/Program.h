#pragma once
// The program's start-up: its unit list in the fixed order, its five windows, and the message loop.

namespace Program {
// Names every unit with start-up work, in the order the program starts them.
void AddUnits();
// Initialises the application object and creates the five windows in their order.
void CreateForms();
// Frees the windows, then finalises the units in reverse order.
void Shutdown();
// All of it: start the units, create the windows, run the main window's loop, shut down.
int Run();
}  // namespace Program
