// The data grid as a user feels it: one full repaint of a 1920 x 1080 grid of 12 columns bound to the
// in-memory data set, and moving the current record by one page (the data set's move, the grid's
// scroll and the repaint), over 1,000 and 1,000,000 records; against Qt's QTableView over a
// QAbstractTableModel showing the same texts in the same cell sizes, rendered off screen in the same
// run. Prints the medians and the ratios at the end.
//
// The baseline talks to Qt directly on purpose: it is the yardstick the grid is measured by.
// bench-deps: datagrid dataedit platform_data platform_forms platform_controls platform_graphics platform_classes platform_win platform_rtl Qt6::Widgets

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QTableView>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/medians.h"
#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/controls.h"
#include "platform/data/memdataset.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kCols = 12;

std::string CellText(int Col, int Row) { return "R" + std::to_string(Row) + " C" + std::to_string(Col); }

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

// One data set per record count, filled once and shared by the benchmarks of that size.
TMemDataSet* DataSetOf(int Records) {
  static std::map<int, std::unique_ptr<TMemDataSet>> sets;
  auto& ds = sets[Records];
  if (!ds) {
    ds = std::make_unique<TMemDataSet>(nullptr);
    for (int c = 1; c <= kCols; ++c) ds->AddField("Column " + std::to_string(c), ftString, 16);
    ds->Open();
    ds->DisableControls();
    TField* fields[kCols];
    for (int c = 0; c < kCols; ++c) fields[c] = ds->Fields()[static_cast<size_t>(c)];
    for (int r = 1; r <= Records; ++r) {
      ds->Append();
      for (int c = 0; c < kCols; ++c) fields[c]->SetAsString(CellText(c + 1, r));
      ds->Post();
    }
    ds->EnableControls();
  }
  ds->First();
  return ds.get();
}

// The cell sizes the grid chose, handed to the baseline.
struct TGeometry {
  int RowHeight = 0, TitleHeight = 0, IndicatorWidth = 0, ColWidth = 0;
};
TGeometry GridGeometry;

// A data grid over Records records filling a 1920 x 1080 window.
struct GridScene {
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
  TDataSource* src = nullptr;
  TDBGridX* grid = nullptr;
  TMemDataSet* ds = nullptr;
  explicit GridScene(int Records) {
    win::ResetWindowManager();
    clock.Install();
    DBGridXUnit::Initialize();
    ds = DataSetOf(Records);
    auto* host = new TBenchHost(owner.get());
    host->SetBounds(0, 0, kWidth, kHeight);
    host->HandleNeeded();
    src = new TDataSource(owner.get());
    grid = new TDBGridX(owner.get());
    grid->SetBorderStyle(TBorderStyle::bsNone);
    grid->SetBounds(0, 0, kWidth, kHeight);
    grid->SetParent(host);
    src->SetDataSet(ds);
    grid->SetDataSource(src);
    int colWidth = (kWidth - grid->ColWidths(0) - GetSystemMetrics(SM_CXVSCROLL)) / kCols - 1;
    for (int c = 0; c < grid->Columns()->Count(); ++c) grid->Columns()->Items(c)->SetWidth(colWidth);
    grid->SetFocus();
    win::PumpMessages();
    GridGeometry = {grid->RowHeights(1), grid->RowHeights(0), grid->ColWidths(0), grid->ColWidths(1)};
  }
  ~GridScene() {
    src->SetDataSet(nullptr);
    owner.reset();
    DBGridXUnit::Finalize();
    win::ResetWindowManager();
    clock.Uninstall();
  }
};

void BM_DataGridRepaint(benchmark::State& state) {
  GridScene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.grid->Invalidate();
    scene.grid->Update();
  }
}
BENCHMARK(BM_DataGridRepaint)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void BM_DataGridPageStep(benchmark::State& state) {
  GridScene scene(static_cast<int>(state.range(0)));
  int page = scene.grid->VisibleRowCount();
  int records = static_cast<int>(state.range(0)), at = 1;
  for (auto _ : state) {
    if (at + page > records) {
      state.PauseTiming();
      scene.ds->First();
      scene.grid->Update();
      at = 1;
      state.ResumeTiming();
    }
    scene.ds->MoveBy(page);
    at += page;
    scene.grid->Update();
  }
}
BENCHMARK(BM_DataGridPageStep)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// ---------------------------------------------------------------------------------------------------
// Baseline

class TextModel : public QAbstractTableModel {
 public:
  explicit TextModel(int Rows) : FRows(Rows) {}
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : FRows; }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kCols; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(CellText(index.column() + 1, index.row() + 1));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? QString("Column %1").arg(section + 1) : QString();
  }

 private:
  int FRows;
};

struct ViewScene {
  TextModel model;
  QTableView view;
  QImage target{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
  explicit ViewScene(int Rows) : model(Rows) {
    if (GridGeometry.RowHeight == 0) GridScene measure(1000);  // the grid's sizes
    view.setModel(&model);
    view.resize(kWidth, kHeight);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(GridGeometry.RowHeight + 1);
    view.verticalHeader()->setFixedWidth(GridGeometry.IndicatorWidth + 1);
    view.horizontalHeader()->setFixedHeight(GridGeometry.TitleHeight + 1);
    view.horizontalHeader()->setDefaultSectionSize(GridGeometry.ColWidth + 1);
    view.show();
    view.setFocus();
    view.setCurrentIndex(model.index(0, 0));
    QApplication::processEvents();
  }
};

void BM_QTableViewRepaint(benchmark::State& state) {
  ViewScene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.view.render(&scene.target);
    benchmark::DoNotOptimize(scene.target.constBits());
  }
}
BENCHMARK(BM_QTableViewRepaint)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void BM_QTableViewPageStep(benchmark::State& state) {
  ViewScene scene(static_cast<int>(state.range(0)));
  int lastRow = static_cast<int>(state.range(0)) - 1;
  int page = kHeight / (GridGeometry.RowHeight + 1);
  for (auto _ : state) {
    if (scene.view.currentIndex().row() + page >= lastRow) {
      state.PauseTiming();
      scene.view.setCurrentIndex(scene.model.index(0, 0));
      scene.view.render(&scene.target);
      state.ResumeTiming();
    }
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&scene.view, &down);
    scene.view.render(&scene.target);
    benchmark::DoNotOptimize(scene.target.constBits());
  }
}
BENCHMARK(BM_QTableViewPageStep)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  TArgMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& m = reporter.Medians;
  for (const char* rows : {"1000", "1000000"}) {
    std::string k = std::string("/") + rows;
    double gr = m["BM_DataGridRepaint" + k], qr = m["BM_QTableViewRepaint" + k];
    double gp = m["BM_DataGridPageStep" + k], qp = m["BM_QTableViewPageStep" + k];
    std::printf("\n%s records, medians (ms): repaint grid %.3f, QTableView %.3f; page step grid %.3f, QTableView %.3f\n",
                rows, gr, qr, gp, qp);
    if (qr > 0 && qp > 0) std::printf("ratio grid / QTableView: repaint %.2f, page step %.2f\n", gr / qr, gp / qp);
  }
  benchmark::Shutdown();
  return 0;
}
