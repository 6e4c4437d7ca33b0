#pragma once
// The chart library's start-up as the program sees it: its units join the program's unit list. Kept
// apart from Chart.h so that the program's start-up does not take in the chart's enumerations, whose
// names (paCenter...) other libraries' units use too.

#include <string>

// The library's units in their start-up order, each behind its start counter: ChartConst, the helper
// lists, ChartCanvas, ChartFilters, ChartProcs, ChartEngine, Chart.
namespace ChartLibrary {
// Appends the units to the program's unit start-up list (platform/classes/units.h).
void AddUnits();
// Starts or stops the whole library directly (what AddUnits' entries do, in order).
void Initialize();
void Finalize();
int StartCount(const std::string& UnitName);
}  // namespace ChartLibrary
