#pragma once
// The program's unit start-up list. Every unit with start-up work has an Initialize and a Finalize
// function; the program names them once, in its fixed order, before anything runs:
//   AddUnit("Communal", &Communal::Initialize, &Communal::Finalize);
//   ...
//   InitializeUnits();   // forward
//   ...                  // the program runs
//   FinalizeUnits();     // backward, only for the units whose Initialize completed
// Static initialisers do no work; nothing registers itself.

#include <functional>
#include <string>
#include <vector>

using TUnitProc = std::function<void()>;

// Appends a unit. Either procedure may be empty. Adding a name twice (ignoring ASCII case) raises
// EInvalidOperation ("Unit X is already in the unit list").
void AddUnit(const std::string& Name, TUnitProc Initialize, TUnitProc Finalize);
// Runs the initialisations in list order. Running it again while the units are initialised raises
// EInvalidOperation ("Unit X is already initialized"), since no unit may start twice. When one
// initialisation raises, the exception propagates; the units before it stay initialised and
// FinalizeUnits undoes them.
void InitializeUnits();
// Runs the finalisations of the initialised units in reverse order. A finalisation that raises does
// not stop the others; the first exception is raised again at the end.
void FinalizeUnits();
bool UnitInitialized(const std::string& Name);
std::vector<std::string> UnitNames();
// Empties the list (for tests); the units must be finalised first (EInvalidOperation otherwise).
void ClearUnits();
