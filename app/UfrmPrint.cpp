#include "app/UfrmPrint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/printers/printers.h"
#include "platform/rtl/sysutils.h"

TfrmPrint* frmPrint = nullptr;

namespace {
// The first three frames, decoded ahead for the window's first frame column (see StartPrefetch).
TBitmapPrefetch FramePrefetch;
}  // namespace

namespace UfrmPrint {
void Initialize() {}
void Finalize() {
  FramePrefetch.Drop();
  frmPrint = nullptr;
}
void StartPrefetch() { FramePrefetch.Start(FirstFiles(ExecutableFolder() + "Frames/", "*.png", 3)); }
}  // namespace UfrmPrint

namespace {

constexpr ARGB LightBlue = 0xFFADD8E6;
constexpr ARGB White = 0xFFFFFFFF;
constexpr ARGB Red = 0xFFFF0000;
constexpr TColor Teal = 0x808000;

// A GDI+ graphics object on a canvas's device context, released at the end of the scope.
struct TGraphicsScope {
  GpGraphics* G = nullptr;
  explicit TGraphicsScope(TCanvas* Canvas) { GdipCreateFromHDC(Canvas->Handle(), &G); }
  ~TGraphicsScope() {
    if (G) GdipDeleteGraphics(G);
  }
  TGraphicsScope(const TGraphicsScope&) = delete;
  TGraphicsScope& operator=(const TGraphicsScope&) = delete;
};

void DisposeBitmap(GpBitmap*& Bitmap) {
  if (Bitmap) GdipDisposeImage(Bitmap);
  Bitmap = nullptr;
}

GpRect BitmapRect(GpBitmap* Bitmap) {
  UINT w = 0, h = 0;
  GdipGetImageWidth(Bitmap, &w);
  GdipGetImageHeight(Bitmap, &h);
  return GpRect{0, 0, int(w), int(h)};
}

// The picture bitmap of an image control, 24 bits and of the control's size.
void SizeImage(TImage* Image) {
  TBitmap* picture = Image->Picture()->Bitmap();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(Image->Width(), Image->Height());
}

TButton* MakeButton(TComponent* Owner, TWinControl* Parent, const std::string& Caption, int L, int T, int W, int H,
                    std::function<void(TObject*)> Handler) {
  auto* b = new TButton(Owner);
  b->SetParent(Parent);
  b->SetBounds(L, T, W, H);
  b->SetCaption(Caption);
  b->OnClick = std::move(Handler);
  return b;
}

TLabel* MakeLabel(TComponent* Owner, TWinControl* Parent, const std::string& Caption, int L, int T) {
  auto* l = new TLabel(Owner);
  l->SetParent(Parent);
  l->SetLeft(L);
  l->SetTop(T);
  l->SetCaption(Caption);
  return l;
}

}  // namespace

void EmbossBitmap(TBitmap* Bitmap) {
  const int w = Bitmap->Width(), h = Bitmap->Height();
  for (int y = 0; y + 1 < h; ++y) {
    auto* row = static_cast<uint8_t*>(Bitmap->ScanLine(y));
    const auto* below = static_cast<const uint8_t*>(Bitmap->ScanLine(y + 1));
    for (int i = 0; i < w * 3; ++i) row[i] = uint8_t(std::clamp(int(row[i]) - int(below[i]) + 128, 0, 255));
  }
}

void GreyBitmap(TBitmap* Bitmap) {
  const int w = Bitmap->Width(), h = Bitmap->Height();
  for (int y = 0; y < h; ++y) {
    auto* p = static_cast<uint8_t*>(Bitmap->ScanLine(y));
    for (int x = 0; x < w; ++x, p += 3) {
      // Extended precision, like every floating expression of the program: in double the sum lands on
      // the other side of a half for thousands of colours (0, 5, 5 gives 3.5 instead of 3.4999...).
      const uint8_t v = uint8_t(Round(0.3L * p[2] + 0.59L * p[1] + 0.11L * p[0]));
      p[0] = p[1] = p[2] = v;
    }
  }
}

// ---------------------------------------------------------------------------------------------------

TfrmPrint::TfrmPrint(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Print");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientSize(904, 453);

  // Two thumbnail columns of three cells with their scroll buttons.
  auto makeColumn = [this](int Left, TPanel*& Panel, TButton*& Up, TImage* (&Cells)[3], TButton*& Down,
                           std::function<void(TObject*)> UpClick, std::function<void(TObject*)> DownClick,
                           std::function<void(TObject*)> CellClick) {
    Panel = new TPanel(this);
    Panel->SetParent(this);
    Panel->SetBounds(Left, 4, 127, 445);
    Panel->SetBevelOuter(bvLowered);
    Up = MakeButton(this, Panel, "▲", 4, 4, 119, 20, std::move(UpClick));
    for (int i = 0; i < 3; ++i) {
      Cells[i] = new TImage(this);
      Cells[i]->SetParent(Panel);
      Cells[i]->SetBounds(4, 28 + i * 130, 119, 126);
      Cells[i]->SetTag(i);
      Cells[i]->SetCursor(crHandPoint);
      Cells[i]->OnClick = CellClick;
      SizeImage(Cells[i]);
    }
    Down = MakeButton(this, Panel, "▼", 4, 418, 119, 20, std::move(DownClick));
  };

  TImage* collection[3];
  makeColumn(6, Panel1, btnCollectionUp, collection, btnCollectionDown,
             [this](TObject* s) { btnCollectionUpClick(s); }, [this](TObject* s) { btnCollectionDownClick(s); },
             [this](TObject* s) { imgCollection1Click(s); });
  imgCollection1 = collection[0];
  imgCollection2 = collection[1];
  imgCollection3 = collection[2];

  imgMain = new TImage(this);
  imgMain->SetParent(this);
  imgMain->SetBounds(139, 4, 309, 355);
  imgMain->SetCursor(crSizeAll);
  SizeImage(imgMain);
  imgMain->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    imgMainMouseDown(s, b, sh, x, y);
  };
  imgMain->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { imgMainMouseMove(s, sh, x, y); };
  Label1 = MakeLabel(this, this, "按下鼠标左键拖动可以调节人像位置", 139, 365);
  btnZoomOut = MakeButton(this, this, "+", 404, 362, 20, 20, [this](TObject* s) { btnZoomOutClick(s); });
  btnZoomIn = MakeButton(this, this, "-", 428, 362, 20, 20, [this](TObject* s) { btnZoomInClick(s); });

  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetParent(this);
  GroupBox1->SetBounds(139, 384, 309, 65);
  Label2 = MakeLabel(this, GroupBox1, "文字", 10, 18);
  editText = new TEdit(this);
  editText->SetParent(GroupBox1);
  editText->SetBounds(42, 14, 178, 21);
  editText->OnChange = [this](TObject* s) { editTextChange(s); };
  btnFont = MakeButton(this, GroupBox1, "字体", 228, 13, 73, 23, [this](TObject* s) { btnFontClick(s); });
  Label3 = MakeLabel(this, GroupBox1, "效果", 10, 42);
  cboEffect = new TComboBox(this);
  cboEffect->SetParent(GroupBox1);
  cboEffect->SetBounds(42, 38, 178, 21);
  cboEffect->SetStyle(csDropDownList);
  // The first item is stored with the line breaks it was saved with; only its first line shows.
  cboEffect->Items()->Add("无\r\n\n");
  cboEffect->Items()->Add("浮雕");
  cboEffect->Items()->Add("灰度");
  cboEffect->OnChange = [this](TObject* s) { cboEffectChange(s); };

  TImage* frames[3];
  makeColumn(454, Panel2, btnFrameUp, frames, btnFrameDown, [this](TObject* s) { btnFrameUpClick(s); },
             [this](TObject* s) { btnFrameDownClick(s); }, [this](TObject* s) { imgFrame1Click(s); });
  imgFrame1 = frames[0];
  imgFrame2 = frames[1];
  imgFrame3 = frames[2];

  imgPrint = new TImage(this);
  imgPrint->SetParent(this);
  imgPrint->SetBounds(587, 4, 309, 355);
  SizeImage(imgPrint);
  imgPrint->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    imgPrintMouseDown(s, b, sh, x, y);
  };

  GroupBox3 = new TGroupBox(this);
  GroupBox3->SetParent(this);
  GroupBox3->SetBounds(587, 362, 100, 87);
  TRadioButton** radios[3] = {&rdoSinglePage, &rdo4Pages, &rdo9Pages};
  const char* layouts[3] = {"单张", "4张组合", "9张组合"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new TRadioButton(this);
    r->SetParent(GroupBox3);
    r->SetBounds(10, 12 + i * 24, 84, 20);
    r->SetCaption(layouts[i]);
    *radios[i] = r;
  }
  rdoSinglePage->SetChecked(true);
  // Bound after checking the first one, so that building the window draws nothing.
  for (TRadioButton* r : {rdoSinglePage, rdo4Pages, rdo9Pages}) r->OnClick = [this](TObject* s) { rdoSinglePageClick(s); };

  GroupBox2 = new TGroupBox(this);
  GroupBox2->SetParent(this);
  GroupBox2->SetBounds(691, 362, 150, 87);
  btnAddToPrint = MakeButton(this, GroupBox2, "加入打印", 8, 16, 66, 28, [this](TObject* s) { btnAddToPrintClick(s); });
  btnDelete = MakeButton(this, GroupBox2, "删除", 78, 16, 64, 28, [this](TObject* s) { btnDeleteClick(s); });
  btnClear = MakeButton(this, GroupBox2, "清空", 8, 50, 66, 28, [this](TObject* s) { btnClearClick(s); });
  btnSave = MakeButton(this, GroupBox2, "保存", 78, 50, 64, 28, [this](TObject* s) { btnSaveClick(s); });
  btnPrint = MakeButton(this, this, "打印", 845, 368, 51, 36, [this](TObject* s) { btnPrintClick(s); });
  btnCancel = MakeButton(this, this, "取消", 845, 411, 51, 36, [this](TObject* s) { btnCancelClick(s); });

  FontDialog = new TFontDialog(this);
  SaveDialog = new TSaveDialog(this);
  SaveDialog->SetFilter("*.bmp|*.bmp");
  PrintDialog = new TPrintDialog(this);

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

TfrmPrint::~TfrmPrint() {
  // A form freed without BeforeDestruction would run OnDestroy from the base class's destructor, when
  // this part of the object is already gone.
  OnDestroy = nullptr;
  ReleasePictures();
}

void TfrmPrint::ReleasePictures() {
  FrameFiles.reset();
  FreeListAndItems(PageList);
  DisposeBitmap(FrameBitmap);
  DisposeBitmap(PortraitCopy);
}

// ---- creation and set-up ---------------------------------------------------------------------------

void TfrmPrint::FormCreate(TObject*) {
  imgMain->Canvas()->Font()->SetName("Tahoma");
  FrameImages[0] = imgFrame1;
  FrameImages[1] = imgFrame2;
  FrameImages[2] = imgFrame3;
  CollectionImages[0] = imgCollection1;
  CollectionImages[1] = imgCollection2;
  CollectionImages[2] = imgCollection3;
  LoadFrames();
}

void TfrmPrint::LoadFrames() {
  FrameFiles = std::make_unique<TStringList>();
  FindFiles(ExePath + "Frames/", FrameFiles.get(), "*.png");
  FrameFirst = 0;
  DrawFrameList();
}

void TfrmPrint::Setup(TList* List) {
  PrintCollection = List;
  PrintCollectionFirst = 0;
  DrawCollectionList();
  FreeListAndItems(PageList);
  PageList = std::make_unique<TList>();
  cboEffect->SetItemIndex(0);
  // The editor opens on the first collection picture, as if it had been clicked: a working copy at
  // the upper-left corner in its own size. Zoom, drag and effect always act on such a copy.
  if (PrintCollection && PrintCollection->Count() > 0) {
    SelectedPortrait = 0;
    ClonePortrait();
    PortraitX = 0;
    PortraitY = 0;
    const GpRect r = BitmapRect(PortraitCopy);
    PortraitWidth = r.Width;
    PortraitHeight = r.Height;
  } else {
    SelectedPortrait = -1;
    DisposeBitmap(PortraitCopy);
  }
  SelectedFrame = -1;
  SelectedCell = -1;
  rdoSinglePage->SetChecked(true);
  DrawEditor();
  DrawPage();
}

void TfrmPrint::FormClose(TObject*, TCloseAction&) { FreeListAndItems(PageList); }

void TfrmPrint::FormDestroy(TObject*) { ReleasePictures(); }

// ---- thumbnail columns -----------------------------------------------------------------------------

void TfrmPrint::DrawFrameList() {
  const int count = FrameFiles ? FrameFiles->Count() : 0;
  const int w = imgFrame1->Width(), h = imgFrame1->Height();
  std::vector<std::string> names(3);
  for (int i = 0; i < 3; ++i)
    if (FrameFirst + i < count) names[size_t(i)] = FrameFiles->Strings(FrameFirst + i);
  std::vector<GpBitmap*> frames = FramePrefetch.Take(names);
  if (frames.empty()) frames = LoadBitmapFiles(names);
  for (int i = 0; i < 3; ++i) {
    TImage* cell = FrameImages[i] ? FrameImages[i] : imgFrame1;
    GpBitmap* frame = frames[size_t(i)];
    bool drawn = false;
    {
      TGraphicsScope graphics(cell->Canvas());
      if (graphics.G) {
        drawn = true;
        GdipGraphicsClear(graphics.G, LightBlue);
        if (frame) {
          const GpRect r = FitImageRect(BitmapRect(frame), w, h);
          GdipDrawImageRectI(graphics.G, frame, r.X, r.Y, r.Width, r.Height);
        }
      }
    }
    if (frame) GdipDisposeImage(frame);
    if (drawn) cell->Invalidate();
  }
}

void TfrmPrint::DrawCollectionList() {
  const int count = PrintCollection ? PrintCollection->Count() : 0;
  const int w = imgCollection1->Width(), h = imgCollection1->Height();
  for (int i = 0; i < 3; ++i) {
    TImage* cell = CollectionImages[i] ? CollectionImages[i] : imgCollection1;
    {
      TGraphicsScope graphics(cell->Canvas());
      if (!graphics.G) continue;
      GdipGraphicsClear(graphics.G, LightBlue);
      if (PrintCollectionFirst + i < count) {
        GpBitmap* picture = ListBitmap(PrintCollection, PrintCollectionFirst + i);
        const GpRect r = FitImageRect(BitmapRect(picture), w, h);
        GdipDrawImageRectI(graphics.G, picture, r.X, r.Y, r.Width, r.Height);
      }
    }
    cell->Invalidate();
  }
}

void TfrmPrint::btnCollectionUpClick(TObject*) {
  if (PrintCollectionFirst > 0) --PrintCollectionFirst;
  DrawCollectionList();
}

void TfrmPrint::btnCollectionDownClick(TObject*) {
  const int count = PrintCollection ? PrintCollection->Count() : 0;
  if (PrintCollectionFirst < count - 3) ++PrintCollectionFirst;
  DrawCollectionList();
}

void TfrmPrint::btnFrameUpClick(TObject*) {
  if (FrameFirst > 0) --FrameFirst;
  DrawFrameList();
}

void TfrmPrint::btnFrameDownClick(TObject*) {
  const int count = FrameFiles ? FrameFiles->Count() : 0;
  if (FrameFirst < count - 3) ++FrameFirst;
  DrawFrameList();
}

void TfrmPrint::imgFrame1Click(TObject* Sender) {
  const int i = int(static_cast<TComponent*>(Sender)->Tag()) + FrameFirst;
  if (!FrameFiles || i >= FrameFiles->Count()) {
    SelectedFrame = -1;
    DisposeBitmap(FrameBitmap);
    DrawEditor();
  } else if (i != SelectedFrame) {
    SelectedFrame = i;
    DisposeBitmap(FrameBitmap);
    const std::u16string name = Utf8ToUtf16(FrameFiles->Strings(i));
    GdipCreateBitmapFromFile(name.c_str(), &FrameBitmap);
    DrawEditor();
  }
}

void TfrmPrint::imgCollection1Click(TObject* Sender) {
  const int i = int(static_cast<TComponent*>(Sender)->Tag()) + PrintCollectionFirst;
  SelectedPortrait = i;
  if (!PrintCollection || i >= PrintCollection->Count()) {
    SelectedPortrait = -1;
    DisposeBitmap(PortraitCopy);
  } else {
    ClonePortrait();
    PortraitX = 0;
    PortraitY = 0;
    const GpRect r = BitmapRect(PortraitCopy);
    PortraitWidth = r.Width;
    PortraitHeight = r.Height;
  }
  DrawEditor();
}

void TfrmPrint::ClonePortrait() {
  DisposeBitmap(PortraitCopy);
  GpBitmap* source = ListBitmap(PrintCollection, SelectedPortrait);
  const GpRect r = BitmapRect(source);
  GdipCloneBitmapAreaI(0, 0, r.Width, r.Height, 0, source, &PortraitCopy);
}

// ---- editor ----------------------------------------------------------------------------------------

void TfrmPrint::DrawEditor() {
  TCanvas* canvas = imgMain->Canvas();
  {
    TGraphicsScope graphics(canvas);
    GpGraphics* g = graphics.G;
    if (!g) return;
    GdipSetSmoothingMode(g, SmoothingModeHighQuality);
    GdipGraphicsClear(g, LightBlue);
    if (SelectedPortrait >= 0 && PortraitCopy)
      GdipDrawImageRectI(g, PortraitCopy, PortraitX, PortraitY, PortraitWidth, PortraitHeight);
    if (SelectedFrame >= 0 && FrameBitmap) GdipDrawImageRectI(g, FrameBitmap, 0, 0, 309, 355);

    TFont* font = canvas->Font();
    const std::u16string family = Utf8ToUtf16(font->Name());
    GpFontFamily* fontFamily = nullptr;
    GdipCreateFontFamilyFromName(family.c_str(), nullptr, &fontFamily);
    const TFontStyles style = font->Style();
    const INT styleBits = (style.Contains(fsBold) ? FontStyleBold : 0) | (style.Contains(fsItalic) ? FontStyleItalic : 0) |
                          (style.Contains(fsUnderline) ? FontStyleUnderline : 0) |
                          (style.Contains(fsStrikeOut) ? FontStyleStrikeout : 0);
    GpFont* gpFont = nullptr;
    GdipCreateFont(fontFamily, REAL(font->Size()), styleBits, UnitPoint, &gpFont);
    // The colour's three low bytes as they are: system colours are not resolved.
    const uint32_t c = uint32_t(font->Color());
    const ARGB colour = 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(colour, &brush);
    GdipSetTextRenderingHint(g, TextRenderingHintAntiAlias);
    const std::u16string text = Utf8ToUtf16(editText->Text());
    const GpRectF origin{5.0f, 5.0f, 0.0f, 0.0f};
    GdipDrawString(g, text.c_str(), -1, gpFont, &origin, nullptr, brush);
    if (fontFamily) GdipDeleteFontFamily(fontFamily);
    if (brush) GdipDeleteBrush(brush);
    if (gpFont) GdipDeleteFont(gpFont);
  }
  imgMain->Invalidate();
}

void TfrmPrint::editTextChange(TObject*) { DrawEditor(); }

void TfrmPrint::btnFontClick(TObject*) {
  TFont* font = imgMain->Canvas()->Font();
  FontDialog->SetFont(font);
  if (FontDialog->Execute()) {
    font->Assign(FontDialog->Font());
    DrawEditor();
  }
}

void TfrmPrint::imgMainMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) return;
  EditorLastX = X;
  EditorLastY = Y;
}

void TfrmPrint::imgMainMouseMove(TObject*, TShiftState Shift, int X, int Y) {
  if (SelectedPortrait < 0 || !Shift.Contains(ssLeft)) return;
  PortraitX += X - EditorLastX;
  PortraitY += Y - EditorLastY;
  EditorLastX = X;
  EditorLastY = Y;
  DrawEditor();
}

void TfrmPrint::btnZoomOutClick(TObject*) {
  if (SelectedPortrait >= 0) {
    PortraitWidth = int(Round(PortraitWidth * 1.05));
    PortraitHeight = int(Round(PortraitHeight * 1.05));
  }
  DrawEditor();
}

void TfrmPrint::btnZoomInClick(TObject*) {
  if (SelectedPortrait >= 0 && PortraitWidth > 20 && PortraitHeight > 20) {
    PortraitWidth = int(Round(PortraitWidth / 1.05));
    PortraitHeight = int(Round(PortraitHeight / 1.05));
  }
  DrawEditor();
}

void TfrmPrint::cboEffectChange(TObject*) {
  if (SelectedPortrait < 0) return;
  // Effects always start again from the collection picture; they never stack.
  ClonePortrait();
  const int effect = cboEffect->ItemIndex();
  if (effect == 1 || effect == 2) {
    TBitmap bmp;
    HBITMAP handle = nullptr;
    GdipCreateHBITMAPFromBitmap(PortraitCopy, &handle, 0);
    bmp.SetHandle(handle);
    bmp.SetPixelFormat(pf24bit);
    if (effect == 1)
      EmbossBitmap(&bmp);
    else
      GreyBitmap(&bmp);
    DisposeBitmap(PortraitCopy);
    GdipCreateBitmapFromHBITMAP(bmp.Handle(), bmp.Palette(), &PortraitCopy);
  }
  DrawEditor();
}

// ---- page ------------------------------------------------------------------------------------------

void TfrmPrint::btnAddToPrintClick(TObject*) {
  const int w = imgMain->Width(), h = imgMain->Height();
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(w, h);
  bmp.Canvas()->CopyRect(::Rect(0, 0, w, h), imgMain->Canvas(), ::Rect(0, 0, w, h));
  GpBitmap* picture = nullptr;
  if (GdipCreateBitmapFromHBITMAP(bmp.Handle(), bmp.Palette(), &picture) == Ok && picture) {
    if (!PageList) PageList = std::make_unique<TList>();
    PageList->Add(picture);
  }
  // In 单张 the new picture now covers the page; the old selection would hatch it and 删除 would
  // remove a picture no longer shown.
  DropHiddenSelection();
  DrawPage();
}

bool TfrmPrint::CellShown(int Cell) const {
  const int count = PageList ? PageList->Count() : 0;
  if (Cell < 0 || Cell >= count) return false;
  if (rdo4Pages->Checked()) return Cell < 4;
  if (rdo9Pages->Checked()) return Cell < 9;
  return Cell == count - 1;
}

void TfrmPrint::DropHiddenSelection() {
  if (SelectedCell != -1 && !CellShown(SelectedCell)) SelectedCell = -1;
}

void TfrmPrint::DrawPage() {
  const int W = imgPrint->Width(), H = imgPrint->Height();
  const int count = PageList ? PageList->Count() : 0;
  {
    TGraphicsScope graphics(imgPrint->Canvas());
    GpGraphics* g = graphics.G;
    if (!g) return;
    GdipGraphicsClear(g, White);
    if (count > 0) {
      GdipSetSmoothingMode(g, SmoothingModeHighQuality);
      if (rdo4Pages->Checked() || rdo9Pages->Checked()) {
        const int n = rdo4Pages->Checked() ? 2 : 3;
        GpPen* pen = nullptr;
        GdipCreatePen1(Red, 2.0f, UnitWorld, &pen);
        for (int k = 1; k < n; ++k) {
          const REAL x = REAL(k) * W / n, y = REAL(k) * H / n;
          GdipDrawLine(g, pen, x, 0, x, REAL(H));
          GdipDrawLine(g, pen, 0, y, REAL(W), y);
        }
        if (pen) GdipDeletePen(pen);
        const REAL cw = REAL(W) / n, ch = REAL(H) / n;
        const int last = std::min(n * n - 1, count - 1);
        for (int i = 0; i <= last; ++i)
          GdipDrawImageRect(g, ListBitmap(PageList.get(), i), cw * (i % n), ch * (i / n), cw, ch);
      } else {
        GdipDrawImageRectI(g, ListBitmap(PageList.get(), count - 1), 0, 0, W, H);
      }
    }
  }
  // The hatch is the last thing drawn in every layout; it goes pixel by pixel through the canvas.
  if (count > 0 && SelectedCell != -1) {
    if (rdo4Pages->Checked()) {
      HatchCell((W / 2) * (SelectedCell % 2), (H / 2) * (SelectedCell > 1 ? 1 : 0), W / 2, H / 2);
    } else if (rdo9Pages->Checked()) {
      HatchCell((W / 3) * (SelectedCell % 3), (H / 3) * (SelectedCell / 3), W / 3, H / 3);
    } else {
      HatchCell(0, 0, W, H);
    }
  }
  imgPrint->Invalidate();
}

void TfrmPrint::HatchCell(int X, int Y, int W, int H) {
  TCanvas* canvas = imgPrint->Canvas();
  for (int i = X; i <= X + W; i += 2)
    for (int j = Y; j <= Y + H; j += 2) canvas->SetPixels(i, j, Teal);
}

void TfrmPrint::rdoSinglePageClick(TObject*) {
  // A selection that the new layout does not show is dropped, so that 删除 only ever removes the
  // picture under the hatch.
  DropHiddenSelection();
  DrawPage();
}

void TfrmPrint::imgPrintMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
  const int count = PageList ? PageList->Count() : 0;
  if (count == 0) return;
  const int W = imgPrint->Width(), H = imgPrint->Height();
  int cell;
  if (rdo4Pages->Checked()) {
    cell = (X >= W / 2 ? 1 : 0) + (Y >= H / 2 ? 2 : 0);
  } else if (rdo9Pages->Checked()) {
    const int column = X < W / 3 ? 0 : X < (W / 3) * 2 ? 1 : 2;
    const int row = Y < H / 3 ? 0 : Y < (H / 3) * 2 ? 1 : 2;
    cell = row * 3 + column;
  } else {
    cell = count - 1;
  }
  if (cell >= count) cell = -1;
  SelectedCell = cell;
  DrawPage();
}

void TfrmPrint::btnDeleteClick(TObject*) {
  if (SelectedCell == -1 || !PageList || SelectedCell >= PageList->Count()) return;
  GdipDisposeImage(ListBitmap(PageList.get(), SelectedCell));
  PageList->Delete(SelectedCell);
  SelectedCell = -1;
  DrawPage();
}

void TfrmPrint::btnClearClick(TObject*) {
  FreeListAndItems(PageList);
  PageList = std::make_unique<TList>();
  SelectedCell = -1;
  DrawPage();
}

void TfrmPrint::btnPrintClick(TObject*) {
  if (!PrintDialog->Execute()) return;
  TPrinter* printer = Printer();
  if (!PrintDialog->PrinterName().empty()) printer->SetPrinterName(PrintDialog->PrinterName());
  const int w = imgPrint->Width(), h = imgPrint->Height();
  printer->BeginDoc();
  try {
    // Copied pixel for pixel, the page would be a few centimetres wide at the printer's resolution: it
    // is stretched to the printable area's width, or its height when that is reached first, keeping its
    // proportions, with smoothing.
    const int pw = printer->PageWidth(), ph = printer->PageHeight();
    int dw = pw, dh = MulDiv(h, pw, w);
    if (dh > ph) {
      dh = ph;
      dw = MulDiv(w, ph, h);
    }
    TCanvas* page = printer->Canvas();
    page->SetCopyMode(cmSrcCopy);
    SetStretchBltMode(page->Handle(), HALFTONE);
    page->CopyRect(::Rect(0, 0, dw, dh), imgPrint->Canvas(), ::Rect(0, 0, w, h));
    printer->EndDoc();
  } catch (...) {
    printer->Abort();
    throw;
  }
}

void TfrmPrint::btnSaveClick(TObject*) {
  if (!SaveDialog->Execute()) return;
  const std::string name = BitmapFileName(SaveDialog->FileName());
  const int w = imgPrint->Width(), h = imgPrint->Height();
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(w, h);
  bmp.Canvas()->CopyRect(::Rect(0, 0, w, h), imgPrint->Canvas(), ::Rect(0, 0, w, h));
  if (const int err = SavePictureFile(&bmp, name))
    Application->MessageBox(SaveFailedText(name, err), Caption(), MB_OK | MB_ICONWARNING);
}

void TfrmPrint::btnCancelClick(TObject*) { Close(); }
