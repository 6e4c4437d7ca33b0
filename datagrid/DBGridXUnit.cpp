#include "datagrid/DBGridXUnit.h"

#include "dataedit/DbUtilsX.h"

#include <memory>
#include <string>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXMemFeatures.h"

TDBGridXDataService* DBGridXDataService = nullptr;
TFont* SortMarkerFont = nullptr;
TImageList* IndicatorImages = nullptr;
TImageList* SortMarkerImages = nullptr;
HCURSOR ColumnSelectCursor = nullptr;
HCURSOR RowSelectCursor = nullptr;
HCURSOR RowSelectCursorRTL = nullptr;
TShortCut SearchShortCut = 0;
TShortCut SearchNextShortCut = 0;
TShortCut SearchPriorShortCut = 0;
TShortCut CopyFromPriorRecordShortCut = 0;
TShortCut FindDialogShortCut = 0;
int SearchTimeoutDefault = 1500;
TColor SearchHighlightColor = clYellow;
TColor SearchHighlightTextColor = clBlack;

void TDBGridXDataService::ApplyFilter(TCustomDBGridX* Grid) {
  if (OnApplyFilter) OnApplyFilter(Grid);
  else DefaultApplyFilter(Grid);
}

void TDBGridXDataService::ApplySorting(TCustomDBGridX* Grid) {
  if (OnApplySorting) OnApplySorting(Grid);
  else DefaultApplySorting(Grid);
}

namespace {
// The features object registered for the grid's data set (or its nearest ancestor class), if any.
TDatasetFeaturesX* GridDataSetFeatures(TCustomDBGridX* Grid, TDataSet*& DataSet) {
  TDataSource* source = Grid ? Grid->DataSource() : nullptr;
  DataSet = source ? source->DataSet() : nullptr;
  return DataSet ? FindDatasetFeatures(DataSet) : nullptr;
}
}  // namespace

// Without a registered features object the data set is left as it is.
void TDBGridXDataService::DefaultApplyFilter(TCustomDBGridX* Grid) {
  TDataSet* ds = nullptr;
  if (TDatasetFeaturesX* f = GridDataSetFeatures(Grid, ds)) f->ApplyFilter(Grid, ds, true);
}

void TDBGridXDataService::DefaultApplySorting(TCustomDBGridX* Grid) {
  TDataSet* ds = nullptr;
  if (TDatasetFeaturesX* f = GridDataSetFeatures(Grid, ds)) f->ApplySorting(Grid, ds, true);
}

namespace {

int InitCount = 0;
// The unit was set up by a grid (EnsureInitialized), not by the program.
bool StartedByGrid = false;
// The in-memory data set's features object while it is registered (the registry owns it).
TDatasetFeaturesX* MemFeatures = nullptr;

// A picture from rows of characters: '#' Ink, '.' the background, any other the mask colour.
std::unique_ptr<TBitmap> Picture(const char* const* Rows, int W, int H, TColor Ink, TColor Back, TColor Mask) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(W, H);
  TCanvas* c = b->Canvas();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      char ch = Rows[y][x];
      c->SetPixels(x, y, ch == '#' ? Ink : ch == '.' ? Back : Mask);
    }
  return b;
}

// Indicator pictures, 6 x 11; ' ' is the mask (white).
const char* const kArrow[] = {"      ", "      ", "#     ", "##    ", "###   ", "####  ", "###   ", "##    ",
                              "#     ", "      ", "      "};
const char* const kEdit[] = {"      ", "##### ", "  #   ", "  #   ", "  #   ", "  #   ", "  #   ", "  #   ",
                             "  #   ", "##### ", "      "};
const char* const kInsert[] = {"      ", "      ", "  #   ", "# # # ", " ###  ", "##### ", " ###  ", "# # # ",
                               "  #   ", "      ", "      "};
const char* const kMultiDot[] = {"      ", "      ", "      ", "      ", " ##   ", " ##   ", " ##   ", "      ",
                                 "      ", "      ", "      "};
const char* const kMultiArrow[] = {"      ", "      ", "#     ", "##    ", "### ##", "######", "### ##", "##    ",
                                   "#     ", "      ", "      "};
// The search arrow: '.' stands on the highlight, ' ' is the teal mask.
const char* const kArrowW[] = {"      ", "......", "#.....", "##....", "###...", "####..", "###...", "##....",
                               "#.....", "......", "      "};
// Sort markers, 10 x 9; ' ' is the fuchsia mask.
const char* const kDown[] = {"          ", "#########", " ####### ", "  #####  ", "   ###   ", "    #    ",
                             "          ", "          ", "          "};
const char* const kUp[] = {"          ", "    #     ", "   ###    ", "  #####   ", " #######  ", "######### ",
                           "          ", "          ", "          "};

// Rows shorter than the width count as mask.
std::unique_ptr<TBitmap> PicturePadded(const char* const* Rows, int W, int H, TColor Ink, TColor Back, TColor Mask) {
  std::vector<std::string> rows;
  for (int y = 0; y < H; ++y) {
    std::string r = Rows[y];
    r.resize(static_cast<size_t>(W), ' ');
    rows.push_back(r);
  }
  std::vector<const char*> ptrs;
  for (const std::string& r : rows) ptrs.push_back(r.c_str());
  return Picture(ptrs.data(), W, H, Ink, Back, Mask);
}

// A 32 x 32 arrow cursor drawn in code, pointing down, right or left.
HCURSOR MakeCursor(int Direction) {
  TBitmap color, mask;
  color.SetSize(32, 32);
  mask.SetSize(32, 32);
  color.Canvas()->Brush()->SetColor(clBlack);
  color.Canvas()->FillRect(TRect(0, 0, 32, 32));
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(TRect(0, 0, 32, 32));
  for (int i = 0; i < 8; ++i)
    for (int j = -i; j <= i; ++j) {
      int x = 0, y = 0;
      if (Direction == 0) { x = 8 + j; y = 4 + i; }       // down: tip at the bottom
      else if (Direction == 1) { x = 4 + i; y = 8 + j; }  // right
      else { x = 11 - i; y = 8 + j; }                     // left
      mask.Canvas()->SetPixels(x, y, clBlack);
      color.Canvas()->SetPixels(x, y, clWhite);
    }
  ICONINFO info;
  info.fIcon = FALSE;
  info.xHotspot = Direction == 2 ? 4 : 8;
  info.yHotspot = 8;
  info.hbmMask = mask.Handle();
  info.hbmColor = color.Handle();
  HICON h = CreateIconIndirect(&info);
  if (!h) throw EOutOfResources("Cannot load cursor resource");
  return static_cast<HCURSOR>(h);
}

}  // namespace

void RefreshSearchIndicatorImage() {
  if (!IndicatorImages) return;
  // The highlight stands where the arrow's surround is; teal is the mask, so a teal highlight shifts.
  TColor back = SearchHighlightColor == clTeal ? static_cast<TColor>(RGB(0, 127, 127)) : SearchHighlightColor;
  auto b = PicturePadded(kArrowW, 6, 11, clBlack, back, clTeal);
  if (IndicatorImages->Count() == 7) IndicatorImages->Delete(6);
  IndicatorImages->AddMasked(b.get(), clTeal);
}

namespace DBGridXUnit {

void Initialize() {
  if (StartedByGrid) {
    StartedByGrid = false;  // this call owns the start-up a grid made
    return;
  }
  if (InitCount++ > 0) return;
  RegisterGridPropertyInterceptors();
  MemFeatures = new TMemDataSetFeaturesX();
  RegisterDatasetFeatures(MemFeatures);
  DefaultGridStyle = new TDBGridXStyle();
  DBGridXDataService = new TDBGridXDataService();
  SortMarkerFont = new TFont();
  SortMarkerFont->SetHeight(1 - 9);
  SortMarkerFont->SetName("Arial");
  ColumnSelectCursor = MakeCursor(0);
  RowSelectCursor = MakeCursor(1);
  RowSelectCursorRTL = MakeCursor(2);
  SearchShortCut = ShortCut(70, TShiftState{ssCtrl});
  SearchNextShortCut = ShortCut(13, TShiftState{ssCtrl});
  SearchPriorShortCut = ShortCut(13, TShiftState{ssShift, ssCtrl});
  CopyFromPriorRecordShortCut = ShortCut(222, TShiftState{ssCtrl});
  FindDialogShortCut = ShortCut(70, TShiftState{ssCtrl});
  SearchTimeoutDefault = 1500;
  SearchHighlightColor = clYellow;
  SearchHighlightTextColor = clBlack;
  IndicatorImages = new TImageList(nullptr);
  IndicatorImages->SetWidth(6);
  IndicatorImages->SetHeight(11);
  for (const char* const* p : {kArrow, kEdit, kInsert, kMultiDot, kMultiArrow})
    IndicatorImages->AddMasked(PicturePadded(p, 6, 11, clBlack, clWhite, clWhite).get(), clWhite);
  IndicatorImages->AddMasked(PicturePadded(kArrowW, 6, 11, clBlack, clWhite, clTeal).get(), clTeal);
  RefreshSearchIndicatorImage();
  SortMarkerImages = new TImageList(nullptr);
  SortMarkerImages->SetWidth(10);
  SortMarkerImages->SetHeight(9);
  SortMarkerImages->AddMasked(PicturePadded(kDown, 10, 9, clGray, clGray, clFuchsia).get(), clFuchsia);
  SortMarkerImages->AddMasked(PicturePadded(kUp, 10, 9, clGray, clGray, clFuchsia).get(), clFuchsia);
}

void EnsureInitialized() {
  if (InitCount > 0) return;
  Initialize();
  StartedByGrid = true;
}

void Finalize() {
  if (InitCount == 0 || --InitCount > 0) return;
  StartedByGrid = false;
  UnregisterGridPropertyInterceptors();
  UnregisterDatasetFeatures(MemFeatures);
  MemFeatures = nullptr;
  for (HCURSOR* c : {&ColumnSelectCursor, &RowSelectCursor, &RowSelectCursorRTL}) {
    if (*c) DestroyCursor(*c);
    *c = nullptr;
  }
  delete IndicatorImages;
  IndicatorImages = nullptr;
  delete SortMarkerImages;
  SortMarkerImages = nullptr;
  delete SortMarkerFont;
  SortMarkerFont = nullptr;
  delete DefaultGridStyle;
  DefaultGridStyle = nullptr;
  delete DBGridXDataService;
  DBGridXDataService = nullptr;
}

}  // namespace DBGridXUnit
