// The data grid's navigation as a user feels it, on an in-memory data set of 1,000 and 1,000,000
// records shown in a 1920 x 1080 grid:
//   - holding PgDn: one WM_KEYDOWN per page, the data set moves a page, the grid repaints;
//   - dragging the vertical thumb from top to bottom with the mouse (thumb tracking on): each mouse
//     step is a WM_VSCROLL SB_THUMBTRACK, a move of the data set and a repaint (one frame);
//   - typing a search text that only the last record matches (the in-place search walks the data set
//     through the column's display text), against a plain Locate of the same text.
// The page step's baselines, in the same run: the first grid's page step (the data set moves a page,
// the grid repaints) on the same scene, and the grid base's own PgDn over a draw grid of as many rows. Prints the medians and the ratios at the end.
// bench-deps: datagrid dataedit platform_data platform_forms platform_controls platform_graphics platform_classes platform_win platform_rtl

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/medians.h"
#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/controls.h"
#include "platform/controls/grids.h"
#include "platform/data/memdataset.h"
#include "platform/win/clock.h"
#include "platform/win/scrollbars.h"
#include "platform/win/testing.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kDragStep = 4;  // pixels of mouse movement per frame of the thumb drag

std::string NameOf(int I) {
  char b[32];
  std::snprintf(b, sizeof b, "Name %07d", I);
  return b;
}

class TBenchHost : public TCustomControl {
  DECLARE_CLASS(TBenchHost, TCustomControl)
  explicit TBenchHost(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

// A data grid filling a 1920 x 1080 window over Rows records: ID, Name ("Name 0000001"..), Amount,
// Code; the Name column is read-only so that typing searches.
struct DataScene {
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
  TMemDataSet* ds = nullptr;
  TDBGridX* grid = nullptr;
  int rows;
  explicit DataScene(int Rows) : rows(Rows) {
    win::ResetWindowManager();
    clock.Install();
    auto* host = new TBenchHost(owner.get());
    host->SetBounds(0, 0, kWidth, kHeight);
    host->HandleNeeded();
    ds = new TMemDataSet(owner.get());
    ds->AddField("ID", ftInteger);
    ds->AddField("Name", ftString, 20);
    ds->AddField("Amount", ftFloat);
    ds->AddField("Code", ftString, 4);
    ds->Open();
    ds->DisableControls();
    for (int i = 1; i <= Rows; ++i) {
      ds->Append();
      ds->Fields().Fields(0)->SetAsInteger(i);
      ds->Fields().Fields(1)->SetAsString(NameOf(i));
      ds->Fields().Fields(2)->SetAsFloat(i * 0.25);
      ds->Fields().Fields(3)->SetAsString(i % 3 ? "A" : "B");
      ds->Post();
    }
    ds->First();
    ds->EnableControls();
    auto* src = new TDataSource(owner.get());
    src->SetDataSet(ds);
    grid = new TDBGridX(owner.get());
    grid->SetBounds(0, 0, kWidth, kHeight);
    grid->SetParent(host);
    grid->SetDataSource(src);
    auto ox = grid->OptionsX();
    ox.Include(gxoIncSearch);
    grid->SetOptionsX(ox);
    grid->Columns()->Items(0)->SetReadOnly(true);
    grid->Columns()->Items(1)->SetReadOnly(true);
    grid->VertScrollBar()->SetTracking(true);
    grid->SetFocus();
    win::PumpMessages();
  }
  ~DataScene() {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
};

std::map<int, std::unique_ptr<DataScene>>& Scenes() {
  static std::map<int, std::unique_ptr<DataScene>> scenes;
  return scenes;
}

// One scene per size, kept for the whole run (a million records take a while to append).
DataScene& SceneOf(int Rows) {
  auto it = Scenes().find(Rows);
  if (it != Scenes().end()) return *it->second;
  Scenes().clear();  // one window manager: the old scene goes first
  auto scene = std::make_unique<DataScene>(Rows);
  DataScene& r = *scene;
  Scenes()[Rows] = std::move(scene);
  return r;
}

void BM_DataGridPageDown(benchmark::State& state) {
  DataScene& scene = SceneOf(static_cast<int>(state.range(0)));
  HWND h = scene.grid->Handle();
  scene.ds->First();
  scene.grid->Update();
  for (auto _ : state) {
    if (scene.ds->Eof()) {
      state.PauseTiming();
      scene.ds->First();
      scene.grid->Update();
      state.ResumeTiming();
    }
    SendMessage(h, WM_KEYDOWN, VK_NEXT, 0);
    scene.grid->Update();
  }
}
BENCHMARK(BM_DataGridPageDown)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The first grid's page step on the same scene: the data set moves a page and the grid repaints,
// without the key's way through the grid (BM_DataGridPageStep of datagrid_bench.cpp).
void BM_DataGridPageStep(benchmark::State& state) {
  DataScene& scene = SceneOf(static_cast<int>(state.range(0)));
  int page = scene.grid->VisibleRowCount();
  scene.ds->First();
  scene.grid->Update();
  for (auto _ : state) {
    if (scene.ds->RecNo() + page > scene.rows) {
      state.PauseTiming();
      scene.ds->First();
      scene.grid->Update();
      state.ResumeTiming();
    }
    scene.ds->MoveBy(page);
    scene.grid->Update();
  }
}
BENCHMARK(BM_DataGridPageStep)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// Frames of the last drag, for the frames-per-second figure.
int gDragFrames = 0;

// One whole drag of the thumb from the top of the bar to its bottom.
void BM_DataGridThumbDrag(benchmark::State& state) {
  DataScene& scene = SceneOf(static_cast<int>(state.range(0)));
  HWND h = scene.grid->Handle();
  for (auto _ : state) {
    state.PauseTiming();
    scene.ds->First();
    scene.grid->Update();
    win::ScrollBarLook look;
    win::GetScrollBarLook(h, SB_VERT, look);
    RECT wr;
    GetWindowRect(h, &wr);
    int x = wr.left + (look.thumb.left + look.thumb.right) / 2;
    int y = wr.top + (look.thumb.top + look.thumb.bottom) / 2;
    int end = wr.top + look.arrowDown.top + 2;
    win::InjectMouse(x, y, WM_LBUTTONDOWN);
    win::PumpMessages();
    state.ResumeTiming();
    int frames = 0;
    for (int py = y + kDragStep; py <= end; py += kDragStep, ++frames) {
      win::InjectMouse(x, py, WM_MOUSEMOVE, MK_LBUTTON);
      win::PumpMessages();
    }
    state.PauseTiming();
    win::InjectMouse(x, end, WM_LBUTTONUP);
    win::PumpMessages();
    gDragFrames = frames;
    if (scene.ds->RecNo() != scene.rows) state.SkipWithError("the drag did not reach the last record");
    state.ResumeTiming();
  }
  state.counters["frames"] = gDragFrames;
}
BENCHMARK(BM_DataGridThumbDrag)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Typing the last record's name into the in-place search, from the first record.
// Types Text into the in-place search on data column Column from the first record; only the last
// record matches.
void TypeSearch(benchmark::State& state, DataScene& scene, int Column, const std::string& Text) {
  for (auto _ : state) {
    state.PauseTiming();
    scene.grid->StopInplaceSearch();
    scene.ds->First();
    scene.grid->SelectColumn(Column, 0, false);
    scene.grid->Update();
    state.ResumeTiming();
    win::InjectChar(Text);
    win::PumpMessages();
    state.PauseTiming();
    if (scene.ds->RecNo() != scene.rows) state.SkipWithError("the search did not find the last record");
    state.ResumeTiming();
  }
}

void BM_DataGridTypeSearch(benchmark::State& state) {
  DataScene& scene = SceneOf(static_cast<int>(state.range(0)));
  TypeSearch(state, scene, 1, NameOf(scene.rows));
}
BENCHMARK(BM_DataGridTypeSearch)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same on the ID column, whose cells are formatted numbers: each record's display text is formed
// and compared ("1000000" is first matched by the last record).
void BM_DataGridTypeSearchNumbers(benchmark::State& state) {
  DataScene& scene = SceneOf(static_cast<int>(state.range(0)));
  TypeSearch(state, scene, 0, std::to_string(scene.rows));
}
BENCHMARK(BM_DataGridTypeSearchNumbers)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LocateLast(benchmark::State& state) {
  DataScene& scene = SceneOf(static_cast<int>(state.range(0)));
  std::string text = NameOf(scene.rows);
  for (auto _ : state) {
    state.PauseTiming();
    scene.ds->First();
    scene.grid->Update();
    state.ResumeTiming();
    bool found = scene.ds->Locate("Name", Variant(text), {loCaseInsensitive, loPartialKey});
    scene.grid->Update();
    if (!found) state.SkipWithError("Locate did not find the last record");
  }
}
BENCHMARK(BM_LocateLast)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---------------------------------------------------------------------------------------------------
// Baseline: the grid base's page step over as many rows (cells drawn by the grid base).

class TNumberGrid : public TDrawGrid {
  DECLARE_CLASS(TNumberGrid, TDrawGrid)
  using TDrawGrid::TDrawGrid;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState) override {
    Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2,
                       ARow == 0 ? "Column" : (ACol == 2 ? NameOf(ARow) : std::to_string(ARow * 10 + ACol)));
  }
};

void BM_GridBasePageDown(benchmark::State& state) {
  Scenes().clear();
  win::FakeClock clock;
  win::ResetWindowManager();
  clock.Install();
  {
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* host = new TBenchHost(owner.get());
    host->SetBounds(0, 0, kWidth, kHeight);
    host->HandleNeeded();
    auto* grid = new TNumberGrid(owner.get());
    grid->SetBounds(0, 0, kWidth, kHeight);
    grid->SetColCount(5);
    grid->SetRowCount(static_cast<int>(state.range(0)) + 1);
    grid->SetDefaultColWidth(300);
    grid->SetColWidths(0, 11);
    grid->SetDefaultRowHeight(18);
    grid->SetParent(host);
    grid->SetFocus();
    win::PumpMessages();
    HWND h = grid->Handle();
    int last = grid->RowCount() - 1;
    for (auto _ : state) {
      if (grid->Row() >= last) {
        state.PauseTiming();
        grid->FocusCell(1, 1, true);
        grid->Update();
        state.ResumeTiming();
      }
      SendMessage(h, WM_KEYDOWN, VK_NEXT, 0);
      grid->Update();
    }
  }
  win::ResetWindowManager();
  clock.Uninstall();
}
BENCHMARK(BM_GridBasePageDown)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace

int main(int argc, char** argv) {
  DBGridXUnit::Initialize();
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  TArgMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  Scenes().clear();
  auto& m = reporter.Medians;
  double p1k = m["BM_DataGridPageDown/1000"], p1m = m["BM_DataGridPageDown/1000000"];
  double base = m["BM_GridBasePageDown/1000000"];
  double step1k = m["BM_DataGridPageStep/1000"], step1m = m["BM_DataGridPageStep/1000000"];
  double drag = m["BM_DataGridThumbDrag/1000000"];
  double search = m["BM_DataGridTypeSearch/1000000"], locate = m["BM_LocateLast/1000000"];
  std::printf("\nmedians (ms)\n");
  std::printf("PgDn step: data grid %.3f at 1,000 records, %.3f at 1,000,000; grid base %.3f at 1,000,000 rows\n",
              p1k, p1m, base);
  if (p1m > 0) std::printf("  pages per second held: %.0f; ratio data grid / grid base %.2f; 1,000,000 / 1,000 %.2f\n",
                           1000.0 / p1m, base > 0 ? p1m / base : 0.0, p1k > 0 ? p1m / p1k : 0.0);
  if (step1m > 0)
    std::printf("page step baseline (data set MoveBy a page + repaint): %.3f at 1,000, %.3f at 1,000,000; PgDn / page"
                " step %.2f at 1,000, %.2f at 1,000,000\n",
                step1k, step1m, step1k > 0 ? p1k / step1k : 0.0, p1m / step1m);
  if (drag > 0 && gDragFrames > 0 && step1m > 0)
    std::printf("  thumb-drag frame / page step %.2f\n", drag / gDragFrames / step1m);
  if (drag > 0 && gDragFrames > 0)
    std::printf("thumb drag top to bottom, 1,000,000 records: %.1f ms for %d frames, %.3f ms a frame, %.0f frames/s;"
                " ratio frame / grid base page step %.2f\n",
                drag, gDragFrames, drag / gDragFrames, 1000.0 * gDragFrames / drag,
                base > 0 ? drag / gDragFrames / base : 0.0);
  double numbers = m["BM_DataGridTypeSearchNumbers/1000000"];
  if (locate > 0 && numbers > 0)
    std::printf("typing \"1000000\" into the ID column's search: %.1f, ratio to the Locate of the name %.2f\n",
                numbers, numbers / locate);
  if (locate > 0)
    std::printf("typing \"%s\" (last record): in-place search %.1f, Locate %.1f, ratio %.2f\n", NameOf(1000000).c_str(),
                search, locate, search / locate);
  benchmark::Shutdown();
  DBGridXUnit::Finalize();
  return 0;
}
