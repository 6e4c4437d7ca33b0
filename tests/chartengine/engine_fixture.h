#pragma once
// Shared by the tests of the chart object model: the library's settings units started once, a chart and
// a series double, and a component that streams one settings object as its sub-object.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/Chart.h"
#include "chart/ChartConst.h"
#include "platform/classes/filer.h"

class TChartEngineEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ChartConst::Initialize();
    ChartCanvas::Initialize();
    ChartProcs::Initialize();
    ChartEngine::Initialize();
  }
  void TearDown() override {
    ChartEngine::Finalize();
    ChartProcs::Finalize();
    ChartCanvas::Finalize();
  }
};
inline ::testing::Environment* const kChartEngineUnits =
    ::testing::AddGlobalTestEnvironment(new TChartEngineEnvironment);

// A chart: counts repaints, measures text at 6 pixels a character ("W" is 7).
class TTestChart : public TComponent, public TCustomAxisPanel {
  DECLARE_CLASS(TTestChart, TComponent)
  TTestChart() : TComponent(nullptr) {}
  void Repaint() override { ++Repaints; }
  bool IsLoading() const override { return Loading; }
  int SeriesCount() const override { return static_cast<int>(SeriesItems.size()); }
  TChartSeriesBase* Series(int Index) const override { return SeriesItems.at(static_cast<size_t>(Index)); }
  int TextWidth(const std::string& Text) override { return 6 * static_cast<int>(Text.size()); }
  int LetterWidth() override { return 7; }
  int Width3D() const override { return Depth; }
  int MaxPointsPerPage() const override { return PageSize; }
  int Page() const override { return CurrentPage; }
  bool ScaleLastPage() const override { return ScaleLast; }
  bool CoordinateLimitDisabled() const override { return NoLimit; }
  TChartAxis* OtherDepthAxis(TChartAxis* Axis) override { return Axis == DepthA ? DepthB : Axis == DepthB ? DepthA : nullptr; }

  int Repaints = 0;
  bool Loading = false;
  std::vector<TChartSeriesBase*> SeriesItems;
  int Depth = 0;
  int PageSize = 0;
  int CurrentPage = 1;
  bool ScaleLast = true;
  bool NoLimit = false;
  TChartAxis* DepthA = nullptr;
  TChartAxis* DepthB = nullptr;
};

// A series of x and y values drawn against two axes.
class TTestSeries : public TChartSeriesBase {
  DECLARE_CLASS(TTestSeries, TChartSeriesBase)
  explicit TTestSeries(TTestChart* AChart, TChartAxis* AHoriz = nullptr, TChartAxis* AVert = nullptr)
      : TChartSeriesBase(nullptr), Chart(AChart), Horiz(AHoriz), Vert(AVert) {}
  TCustomAxisPanel* ParentChart() const override { return Chart; }
  bool Active() const override { return IsActive; }
  int Count() const override { return X.Count(); }
  bool UsesAxis(TChartAxis* Axis) const override { return Axis == Horiz || Axis == Vert; }
  bool AxisAlongPoints(TChartAxis* Axis) const override { return Axis == Horiz; }
  double ValueOnAxis(TChartAxis* Axis, int Index) const override { return Axis == Horiz ? X[Index] : Y[Index]; }
  double MaxOnAxis(TChartAxis* Axis) const override { return Extreme(Axis, false); }
  double MinOnAxis(TChartAxis* Axis) const override { return Extreme(Axis, true); }
  std::string PointLabel(int Index) const override {
    return Index < static_cast<int>(Labels.size()) ? Labels[static_cast<size_t>(Index)] : std::string();
  }
  void Repaint() override { ++Repaints; }
  void AddXY(double AX, double AY, const std::string& Label) override {
    X.Add(AX);
    Y.Add(AY);
    Labels.push_back(Label);
  }
  void ClearValues() override {
    X.Clear();
    Y.Clear();
    Labels.clear();
    ++Clears;
  }
  TChartValueList* XValues() override { return &X; }
  TChartValueList* YValues() override { return &Y; }
  bool IsHorizontal() const override { return Horizontal; }
  bool SinglePoints() const override { return Single; }
  TChartAxis* HorizAxis() const override { return Horiz; }
  void Recalculate() override { ++Recalculations; }

  TTestChart* Chart;
  TChartAxis* Horiz;
  TChartAxis* Vert;
  TChartValueList X, Y;
  std::vector<std::string> Labels;
  bool IsActive = true, Horizontal = false, Single = false;
  int Repaints = 0, Clears = 0, Recalculations = 0;

 private:
  double Extreme(TChartAxis* Axis, bool Min) const {
    const TChartValueList& l = Axis == Horiz ? X : Y;
    if (l.Count() == 0) return 0;
    double r = l[0];
    for (int i = 1; i < l.Count(); ++i) r = Min ? std::min(r, l[i]) : std::max(r, l[i]);
    return r;
  }
};

// Streams one settings object as the sub-object "Item" of a component.
class TSettingsHolder : public TComponent {
  DECLARE_PUBLISHED_CLASS(TSettingsHolder, TComponent)
  static void DeclarePublished(TPublished<TSettingsHolder>& P) { P.Object("Item", &TSettingsHolder::Item); }
  explicit TSettingsHolder(TPersistent* AItem) : TComponent(nullptr), FItem(AItem) {}
  TPersistent* Item() { return FItem; }

 private:
  TPersistent* FItem;
};

inline std::vector<uint8_t> StreamOf(TPersistent* Item) {
  TSettingsHolder h(Item);
  TMemoryStream ms;
  ms.WriteComponent(&h);
  return ms.Bytes();
}

inline void ReadInto(const std::vector<uint8_t>& Bytes, TPersistent* Item) {
  TSettingsHolder h(Item);
  TMemoryStream ms;
  ms.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  ms.SetPosition(0);
  ms.ReadComponent(&h);
}

// Whether the stream names any property of the item.
inline bool WritesItem(const std::vector<uint8_t>& Bytes) {
  const std::string s(Bytes.begin(), Bytes.end());
  return s.find("Item.") != std::string::npos;
}

inline std::string Text(const std::vector<uint8_t>& Bytes) { return std::string(Bytes.begin(), Bytes.end()); }
