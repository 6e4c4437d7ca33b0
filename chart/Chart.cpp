#include "chart/Chart.h"

#include <cstdlib>
#include <ctime>

#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "platform/classes/units.h"
#include "platform/controls/controls.h"

// ---------------------------------------------------------------------------------------------------
// Registries

TChartSeriesTypes::~TChartSeriesTypes() { Clear(); }
void TChartSeriesTypes::Clear() {
  for (void* p : List()) delete static_cast<TChartSeriesType*>(p);
  TList::Clear();
}

TChartToolTypes::~TChartToolTypes() { Clear(); }
void TChartToolTypes::Clear() {
  for (void* p : List()) delete static_cast<TChartToolType*>(p);
  TList::Clear();
}

namespace {
std::unique_ptr<TChartSeriesTypes> SeriesTypes;
std::unique_ptr<TChartToolTypes> ToolTypes;
std::unique_ptr<TColorPalettes> Palettes;
std::unique_ptr<TStringList> HelperA, HelperB;
// The engine unit's own list of pending objects (emptied when it stops).
std::unique_ptr<TList> EngineList;

int EngineStarts = 0;
int ChartStarts = 0;
int ConstStarts = 0;
int HelperStarts = 0;
int FilterStarts = 0;

// Counters for the units whose own start-up has none.
void StartCounted(int& Counter, void (*Init)()) {
  if (Counter++ == 0) Init();
}
void StopCounted(int& Counter, void (*Fini)()) {
  if (Counter > 0 && --Counter == 0) Fini();
}

void HelperInitialize() {
  HelperA = std::make_unique<TStringList>();
  HelperB = std::make_unique<TStringList>();
}
void HelperFinalize() {
  HelperA.reset();
  HelperB.reset();
}
}  // namespace

TChartSeriesTypes* ChartSeriesTypes() {
  if (!SeriesTypes) SeriesTypes = std::make_unique<TChartSeriesTypes>();
  return SeriesTypes.get();
}

TChartToolTypes* ChartToolTypes() {
  if (!ToolTypes) ToolTypes = std::make_unique<TChartToolTypes>();
  return ToolTypes.get();
}

TColorPalettes* ColorPalettes() { return Palettes.get(); }
TStringList* ChartHelperListA() { return HelperA.get(); }
TStringList* ChartHelperListB() { return HelperB.get(); }

void RegisterChartSeries(TClass SeriesClass, const std::string& Description, const std::string& GalleryPage) {
  auto* t = new TChartSeriesType;
  t->SeriesClass = SeriesClass;
  t->Description = Description;
  t->GalleryPage = GalleryPage;
  ChartSeriesTypes()->Add(t);
}

void RegisterChartTool(TClass ToolClass, const std::string& Description) {
  auto* t = new TChartToolType;
  t->ToolClass = ToolClass;
  t->Description = Description;
  ChartToolTypes()->Add(t);
}

// ---------------------------------------------------------------------------------------------------
// ChartEngine

namespace {
template <typename T>
void RegisterLoose() {
  RegisterClass(T::StaticClass()->Name, T::StaticClass(), [](TComponent*) -> TObject* { return new T(nullptr); });
}
}  // namespace

namespace ChartEngine {
int StartCount() { return EngineStarts; }

void Initialize() {
  if (EngineStarts++ > 0) return;
  const TClass control = TControl::StaticClass();
  StartClassGroup(control);
  ActivateClassGroup(control);
  // The group links outlive a stop (the registry has no way to undo them); made once per process.
  for (TClass c :
       {TCustomChartElement::StaticClass(), TChartFunction::StaticClass(), TChartSeriesSource::StaticClass()})
    if (ClassGroupOf(c) != ClassGroupOf(control)) GroupDescendentsWith(c, control);
  ChartCoordinateLimit = ChartCanvas::IsWinNT ? 0x3FFFFFF : 0x7FFF;
  EngineList = std::make_unique<TList>();
  // Made by name without a chart or series; whoever reads them attaches them afterwards.
  RegisterLoose<TChartAxisTitle>();
  RegisterLoose<TChartAxis>();
  RegisterLoose<TChartDepthAxis>();
  RegisterLoose<TSeriesMarks>();
}

void Finalize() {
  if (EngineStarts == 0 || --EngineStarts > 0) return;
  EngineList.reset();
  UnRegisterClass(TChartAxisTitle::StaticClass());
  UnRegisterClass(TChartAxis::StaticClass());
  UnRegisterClass(TChartDepthAxis::StaticClass());
  UnRegisterClass(TSeriesMarks::StaticClass());
}
}  // namespace ChartEngine

// ---------------------------------------------------------------------------------------------------
// Chart

namespace ChartUnit {
int StartCount() { return ChartStarts; }

void Initialize() {
  if (ChartStarts++ > 0) return;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  ChartSeriesTypes();
  ChartToolTypes();
  Palettes = std::make_unique<TColorPalettes>();
  // "Default" comes first in the message table but is not a palette of its own.
  for (const std::string* name :
       {&ChartMsgCorvane, &ChartMsgExcel, &ChartMsgVictorian, &ChartMsgPastels, &ChartMsgSolid, &ChartMsgClassic,
        &ChartMsgWeb, &ChartMsgModern, &ChartMsgRainbow, &ChartMsgWinXP, &ChartMsgMacOS, &ChartMsgWinVista,
        &ChartMsgGrayScalePalette, &ChartMsgOpera, &ChartMsgWarm, &ChartMsgCool})
    Palettes->Add(*name);
}

void Finalize() {
  if (ChartStarts == 0 || --ChartStarts > 0) return;
  Palettes.reset();
  SeriesTypes.reset();
  ToolTypes.reset();
}
}  // namespace ChartUnit

// ---------------------------------------------------------------------------------------------------
// The library's start-up order

namespace ChartLibrary {
namespace {
struct TLibUnit {
  const char* Name;
  void (*Init)();
  void (*Fini)();
};
void ConstInit() { StartCounted(ConstStarts, &ChartConst::Initialize); }
void ConstFini() { StopCounted(ConstStarts, &ChartConst::Finalize); }
void HelperInit() { StartCounted(HelperStarts, &HelperInitialize); }
void HelperFini() { StopCounted(HelperStarts, &HelperFinalize); }
void FiltersInit() { StartCounted(FilterStarts, &ChartFilters::Initialize); }
void FiltersFini() { StopCounted(FilterStarts, &ChartFilters::Finalize); }

const TLibUnit Units[] = {
    {"ChartConst", &ConstInit, &ConstFini},
    {"ChartHelpers", &HelperInit, &HelperFini},
    {"ChartCanvas", &ChartCanvas::Initialize, &ChartCanvas::Finalize},
    {"ChartFilters", &FiltersInit, &FiltersFini},
    {"ChartProcs", &ChartProcs::Initialize, &ChartProcs::Finalize},
    {"ChartEngine", &ChartEngine::Initialize, &ChartEngine::Finalize},
    {"Chart", &ChartUnit::Initialize, &ChartUnit::Finalize},
};
}  // namespace

void AddUnits() {
  for (const TLibUnit& u : Units) AddUnit(u.Name, u.Init, u.Fini);
}

void Initialize() {
  for (const TLibUnit& u : Units) u.Init();
}

void Finalize() {
  for (auto it = std::rbegin(Units); it != std::rend(Units); ++it) it->Fini();
}

int StartCount(const std::string& UnitName) {
  if (UnitName == "ChartConst") return ConstStarts;
  if (UnitName == "ChartHelpers") return HelperStarts;
  if (UnitName == "ChartCanvas") return ChartCanvas::StartCount();
  if (UnitName == "ChartFilters") return FilterStarts;
  if (UnitName == "ChartProcs") return ChartProcs::StartCount();
  if (UnitName == "ChartEngine") return ChartEngine::StartCount();
  if (UnitName == "Chart") return ChartUnit::StartCount();
  return 0;
}
}  // namespace ChartLibrary
