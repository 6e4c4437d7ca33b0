// The string grid as a user feels it: one full repaint of a 1920 x 1080 grid, and one PgDn step (the
// key, the scroll and the repaint), over 1,000 and 1,000,000 rows of 12 columns; against Qt's
// QTableView over a QAbstractTableModel showing the same texts in the same cell sizes, rendered off
// screen in the same run. Prints the medians and the ratios at the end.
//
// The baseline talks to Qt directly on purpose: it is the yardstick the platform layer is measured by.
// bench-deps: platform_controls platform_graphics platform_win platform_classes platform_rtl Qt6::Widgets

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QTableView>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/medians.h"
#include "platform/controls/controls.h"
#include "platform/controls/grids.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kCols = 12;
constexpr int kRowHeight = 24;
constexpr int kFixedWidth = 64;

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

// A string grid of Rows data rows and 12 data columns (plus a title row and a row-number column)
// filling a 1920 x 1080 window.
struct GridScene {
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
  TStringGrid* grid = nullptr;
  explicit GridScene(int Rows) {
    win::ResetWindowManager();
    clock.Install();
    auto* host = new TBenchHost(owner.get());
    host->SetBounds(0, 0, kWidth, kHeight);
    host->HandleNeeded();
    grid = new TStringGrid(owner.get());
    grid->SetBorderStyle(TBorderStyle::bsNone);
    grid->SetBounds(0, 0, kWidth, kHeight);
    grid->SetColCount(kCols + 1);
    grid->SetRowCount(Rows + 1);
    grid->SetDefaultRowHeight(kRowHeight);
    int colWidth = (kWidth - kFixedWidth - GetSystemMetrics(SM_CXVSCROLL)) / kCols - 1;
    grid->SetDefaultColWidth(colWidth);
    grid->SetColWidths(0, kFixedWidth);
    for (int c = 1; c <= kCols; ++c) grid->SetCells(c, 0, "Column " + std::to_string(c));
    for (int r = 1; r <= Rows; ++r) {
      grid->SetCells(0, r, std::to_string(r));
      for (int c = 1; c <= kCols; ++c) grid->SetCells(c, r, CellText(c, r));
    }
    grid->SetParent(host);
    grid->SetFocus();
    win::PumpMessages();
  }
  ~GridScene() {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
};

void BM_GridRepaint(benchmark::State& state) {
  GridScene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.grid->Invalidate();
    scene.grid->Update();
  }
}
BENCHMARK(BM_GridRepaint)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_GridPageDown(benchmark::State& state) {
  GridScene scene(static_cast<int>(state.range(0)));
  HWND h = scene.grid->Handle();
  int lastRow = scene.grid->RowCount() - 1;
  for (auto _ : state) {
    if (scene.grid->Row() >= lastRow) {
      state.PauseTiming();
      scene.grid->FocusCell(1, 1, true);
      scene.grid->Update();
      state.ResumeTiming();
    }
    SendMessage(h, WM_KEYDOWN, VK_NEXT, 0);
    scene.grid->Update();
  }
}
BENCHMARK(BM_GridPageDown)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// One line of the vertical scroll bar: the rows that stay are moved, one row is painted (no baseline:
// for the note's information).
void BM_GridLineDown(benchmark::State& state) {
  GridScene scene(static_cast<int>(state.range(0)));
  HWND h = scene.grid->Handle();
  int lastTop = scene.grid->RowCount() - scene.grid->VisibleRowCount();
  for (auto _ : state) {
    if (scene.grid->TopRow() >= lastTop) {
      state.PauseTiming();
      scene.grid->SetTopRow(1);
      scene.grid->Update();
      state.ResumeTiming();
    }
    SendMessage(h, WM_VSCROLL, SB_LINEDOWN, 0);
    scene.grid->Update();
  }
}
BENCHMARK(BM_GridLineDown)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

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
    return orientation == Qt::Horizontal ? QString("Column %1").arg(section + 1) : QString::number(section + 1);
  }

 private:
  int FRows;
};

struct ViewScene {
  TextModel model;
  QTableView view;
  QImage target{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
  explicit ViewScene(int Rows) : model(Rows) {
    view.setModel(&model);
    view.resize(kWidth, kHeight);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(kRowHeight);
    view.verticalHeader()->setFixedWidth(kFixedWidth);
    view.horizontalHeader()->setDefaultSectionSize((kWidth - kFixedWidth - 17) / kCols);
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
BENCHMARK(BM_QTableViewRepaint)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_QTableViewPageDown(benchmark::State& state) {
  ViewScene scene(static_cast<int>(state.range(0)));
  int lastRow = static_cast<int>(state.range(0)) - 1;
  for (auto _ : state) {
    if (scene.view.currentIndex().row() >= lastRow) {
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
BENCHMARK(BM_QTableViewPageDown)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

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
    double gr = m["BM_GridRepaint" + k], qr = m["BM_QTableViewRepaint" + k];
    double gp = m["BM_GridPageDown" + k], qp = m["BM_QTableViewPageDown" + k];
    std::printf("\n%s rows, medians (ms): repaint grid %.3f, QTableView %.3f; PgDn grid %.3f, QTableView %.3f\n", rows,
                gr, qr, gp, qp);
    if (qr > 0 && qp > 0) std::printf("ratio grid / QTableView: repaint %.2f, PgDn %.2f\n", gr / qr, gp / qp);
  }
  std::printf("\none line of the scroll bar, 1000000 rows (ms): grid %.3f\n", m["BM_GridLineDown/1000000"]);
  benchmark::Shutdown();
  return 0;
}
