#pragma once
// Chart: the library's type registries (series and tool types, palette names) and the ordered start-up
// of every unit of the library. Each unit keeps a start counter: its initialisation runs on the first
// start only and its finalisation on the last stop only, so starting twice registers nothing twice.

#include <memory>
#include <string>

#include "chart/ChartFunctions.h"
#include "chart/ChartLibrary.h"
#include "chart/ChartMarks.h"

// One registered series type: the class, its gallery page and its description.
struct TChartSeriesType {
  TClass SeriesClass = nullptr;
  TClass FunctionClass = nullptr;
  std::string Description;
  std::string GalleryPage;
  int NumGallerySeries = 1;
};

// One registered tool type.
struct TChartToolType {
  TClass ToolClass = nullptr;
  std::string Description;
};

// A list that owns its entries: clearing frees every one.
class TChartSeriesTypes : public TList {
  DECLARE_CLASS(TChartSeriesTypes, TList)
  ~TChartSeriesTypes() override;
  TChartSeriesType* Items(int Index) const { return static_cast<TChartSeriesType*>(TList::Items(Index)); }
  void Clear() override;
};

class TChartToolTypes : public TList {
  DECLARE_CLASS(TChartToolTypes, TList)
  ~TChartToolTypes() override;
  TChartToolType* Items(int Index) const { return static_cast<TChartToolType*>(TList::Items(Index)); }
  void Clear() override;
};

class TColorPalettes : public TStringList {
  DECLARE_CLASS(TColorPalettes, TStringList)
};

// Made on first use; freed when the chart unit stops.
TChartSeriesTypes* ChartSeriesTypes();
TChartToolTypes* ChartToolTypes();
// Made when the chart unit starts (nullptr while it is stopped).
TColorPalettes* ColorPalettes();

void RegisterChartSeries(TClass SeriesClass, const std::string& Description, const std::string& GalleryPage);
void RegisterChartTool(TClass ToolClass, const std::string& Description);

// The two string lists of the small unit that starts right after the message table.
TStringList* ChartHelperListA();
TStringList* ChartHelperListB();

namespace ChartUnit {
int StartCount();
void Initialize();
void Finalize();
}  // namespace ChartUnit
