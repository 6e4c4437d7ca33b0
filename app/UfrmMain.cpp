#include "app/UfrmMain.h"

#include <cerrno>
#include <cmath>
#include <future>
#include <vector>

#include "app/UfrmColor.h"
#include "app/UfrmPlay.h"
#include "app/UfrmPrint.h"
#include "app/UfrmSelectModel.h"
#include "platform/rtl/sysutils.h"

TfrmMain* frmMain = nullptr;

TImageEx* HairCells[12] = {};
TImage* CollectionImages[3] = {};
TButton* CollectionDeleteButtons[3] = {};
GpMatrix* FlipMatrix = nullptr;
std::unique_ptr<TStringList> WomenHairList;
std::unique_ptr<TStringList> MenHairList;
TStringList* CurrentHairList = nullptr;
std::unique_ptr<TList> CollectionList;
int CollectionFirst = 0;
Byte ShowSelection = 1;
int HairPageFirst = 0;
Single HairFadeAlpha = -1;
Byte SelectedKind = 0;
TPlacedImage* SelectedPicture = nullptr;
Byte DragMode = 0;
int LastMouseX = 0, LastMouseY = 0;
GpBitmap* WomenBackdrop = nullptr;
GpBitmap* MenBackdrop = nullptr;
GpBitmap* MainLogo = nullptr;
GpBitmap* CellGradient = nullptr;
GpBitmap* MainGradient = nullptr;
GpBitmap* CollectionGradient = nullptr;
HCURSOR RotateCursorIcon = nullptr;
const char* const AboutPage = "about.html";

namespace {

constexpr TColor GradientWhite = 0xFFFFFF;
constexpr TColor GradientPurple = 0x800080;
constexpr ARGB LightBlue = 0xFFADD8E6;

void FreeBitmap(GpBitmap*& Bitmap) {
  if (Bitmap) GdipDisposeImage(Bitmap);
  Bitmap = nullptr;
}

// A GDI+ bitmap of a file, or nil when the file gives no picture (missing, unreadable, empty).
GpBitmap* BitmapFromFile(const std::string& FileName) {
  GpBitmap* bitmap = nullptr;
  const std::u16string name = Utf8ToUtf16(FileName);
  GdipCreateBitmapFromFile(name.c_str(), &bitmap);
  UINT w = 0, h = 0;
  BitmapSize(bitmap, w, h);
  if (w == 0 || h == 0) FreeBitmap(bitmap);
  return bitmap;
}

struct TGraphicsScope {
  GpGraphics* G = nullptr;
  explicit TGraphicsScope(TCanvas* Canvas) { GdipCreateFromHDC(Canvas->Handle(), &G); }
  ~TGraphicsScope() {
    if (G) GdipDeleteGraphics(G);
  }
};

TButton* MakeButton(TComponent* Owner, TWinControl* Parent, const std::string& Caption, int L, int T, int W,
                    int H) {
  auto* b = new TButton(Owner);
  b->SetParent(Parent);
  b->SetBounds(L, T, W, H);
  b->SetCaption(Caption);
  return b;
}

TPanel* MakePanel(TComponent* Owner, TWinControl* Parent, TAlign Align, int W, int H, int Top = 0) {
  auto* p = new TPanel(Owner);
  p->SetParent(Parent);
  p->SetBevelOuter(bvNone);
  p->SetBounds(0, Top, W, H);
  p->SetAlign(Align);
  return p;
}

// Start-up pictures decoded ahead (see UfrmMain::StartPrefetch).
TBitmapPrefetch ResourcePrefetch;
TBitmapPrefetch HairPagePrefetch;
// The scene's background is made when the scene is next drawn, at the picture's size when it was last
// resized: a window shown maximised is resized again before it is ever drawn.
int MainGradientWidth = 0, MainGradientHeight = 0;
// Hair pictures are drawn in their cells at their size divided by this.
constexpr double HairThumbnailDivisor = 2.6087;
constexpr float HairThumbnailScale = float(1 / HairThumbnailDivisor);

std::vector<std::string> ResourceFiles(const std::string& Folder) {
  return {Folder + "Resources/PreviewModel1.png", Folder + "Resources/PreviewModel2.png",
          Folder + "Resources/MainLogo.png"};
}

}  // namespace

namespace UfrmMain {

void Initialize() {
  GdipCreatePath(FillModeAlternate, &ModelPicture.Outline);
  GdipCreatePath(FillModeAlternate, &HairPicture.Outline);
  GdipCreatePath(FillModeAlternate, &HandlesPath);
  GdipCreateMatrix(&FlipMatrix);
  WomenHairList = std::make_unique<TStringList>();
  MenHairList = std::make_unique<TStringList>();
  CollectionList = std::make_unique<TList>();
  CollectionFirst = 0;
  ShowSelection = 1;
  HairPageFirst = 0;
  HairFadeAlpha = -1;
  SelectedKind = 0;
  SelectedPicture = nullptr;
  ::DragMode = 0;
  DragHandle = -1;
  RegisterClass<TImageEx>();
}

void StartPrefetch() {
  const std::string folder = ExecutableFolder();
  ResourcePrefetch.Start(ResourceFiles(folder));
  HairPagePrefetch.Start(FirstFiles(folder + "Hairs/女士/", "*.png", 12), HairThumbnailScale);
}

void Finalize() {
  ResourcePrefetch.Drop();
  HairPagePrefetch.Drop();
  FreeBitmap(ModelPicture.Bitmap);
  FreeBitmap(HairPicture.Bitmap);
  GdipDeletePath(ModelPicture.Outline);
  ModelPicture = TPlacedImage{};
  GdipDeletePath(HairPicture.Outline);
  HairPicture = TPlacedImage{};
  GdipDeletePath(HandlesPath);
  HandlesPath = nullptr;
  GdipDeleteMatrix(FlipMatrix);
  FlipMatrix = nullptr;
  MenHairList.reset();
  WomenHairList.reset();
  CurrentHairList = nullptr;
  FreeListAndItems(CollectionList);
  FreeBitmap(MenBackdrop);
  FreeBitmap(WomenBackdrop);
  FreeBitmap(MainLogo);
  FreeBitmap(CellGradient);
  FreeBitmap(MainGradient);
  MainGradientWidth = MainGradientHeight = 0;
  FreeBitmap(CollectionGradient);
  ExePath.clear();
  frmMain = nullptr;
  UnRegisterClass("TImageEx");
}

}  // namespace UfrmMain

// ---------------------------------------------------------------------------------------------------
// Construction: the window's controls, as its designer laid them out.

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Tressora");
  SetBorderStyle(bsSingle);
  SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
  SetClientSize(964, 700);
  SetWindowState(wsMaximized);

  imgList = new TImageList(this);
  imgList->SetWidth(64);
  imgList->SetHeight(64);

  ToolBar1 = new TToolBar(this);
  ToolBar1->SetParent(this);
  ToolBar1->SetBounds(0, 0, 964, 97);
  ToolBar1->SetAlign(alTop);
  ToolBar1->SetButtonWidth(71);
  ToolBar1->SetButtonHeight(84);
  ToolBar1->SetShowCaptions(true);
  ToolBar1->SetFlat(true);
  ToolBar1->SetImages(imgList);
  ToolBar1->SetShowHint(true);
  int image = 0;
  auto tool = [&](const std::string& caption, bool separator = false) {
    auto* b = new TToolButton(this);
    b->SetParent(ToolBar1);
    if (separator) {
      b->SetStyle(tbsSeparator);
      return b;
    }
    b->SetCaption(caption);
    b->SetHint(caption);
    b->SetImageIndex(image++);
    return b;
  };
  btnSelectModel = tool("选择模特");
  btnOpenPicture = tool("打开图片");
  btnSavePicture = tool("保存图片");
  ToolButton3 = tool("", true);
  btnPrint = tool("打印");
  btnClearHair = tool("清除发型");
  ToolButton6 = tool("", true);
  btnModelColor = tool("人像调色");
  btnHairColor = tool("头发调色");
  ToolButton9 = tool("", true);
  ToolButton2 = tool("about");
  ToolButton2->SetHint("");
  ToolButton2->SetAutoSize(true);

  // Right side first, so that the scene takes what is left.
  pnlRightMain = MakePanel(this, this, alRight, 474, 603);
  pnlRightTop = MakePanel(this, pnlRightMain, alTop, 474, 32);
  cboHairGender = new TComboBox(this);
  cboHairGender->SetParent(pnlRightTop);
  cboHairGender->SetStyle(csDropDownList);
  cboHairGender->SetBounds(4, 5, 120, 22);
  cboHairGender->Items()->Add("女士");
  cboHairGender->Items()->Add("男士");

  pnlHairImages = MakePanel(this, pnlRightMain, alTop, 472, 472, 32);
  pnlHairImages->Constraints()->SetMinHeight(472);
  pnlHairImages->Constraints()->SetMaxHeight(472);
  bvlOutline = new TBevel(this);
  bvlOutline->SetParent(pnlHairImages);
  bvlOutline->SetShape(bsFrame);
  bvlOutline->SetBounds(1, 1, 118, 149);
  bvlOutline->SetVisible(false);
  lblPageIndex = new TLabel(this);
  lblPageIndex->SetParent(pnlHairImages);
  lblPageIndex->SetBounds(4, 451, 240, 16);
  btnFirstPage = MakeButton(this, pnlHairImages, "首页", 250, 447, 54, 23);
  btnPreviousPage = MakeButton(this, pnlHairImages, "上一页", 305, 447, 54, 23);
  btnNextPage = MakeButton(this, pnlHairImages, "下一页", 360, 447, 54, 23);
  btnLastPage = MakeButton(this, pnlHairImages, "尾页", 415, 447, 54, 23);

  pnlCollections = MakePanel(this, pnlRightMain, alClient, 474, 99, 504);
  btnCollectionLeft = MakeButton(this, pnlCollections, "<", 2, 4, 20, 91);
  imgCollection1 = new TImage(this);
  imgCollection2 = new TImage(this);
  imgCollection3 = new TImage(this);
  TImage* cells[3] = {imgCollection1, imgCollection2, imgCollection3};
  btnCollectionRight = MakeButton(this, pnlCollections, ">", 392, 4, 20, 91);
  btnAdd = MakeButton(this, pnlCollections, "加入", 416, 4, 55, 29);
  btnSaveAll = MakeButton(this, pnlCollections, "导出", 416, 35, 55, 29);
  btnPlay = MakeButton(this, pnlCollections, "播放", 416, 66, 55, 29);
  TButton** deletes[3] = {&btnDeleteCollection1, &btnDeleteCollection2, &btnDeleteCollection3};
  for (int i = 0; i < 3; ++i) {
    cells[i]->SetParent(pnlCollections);
    cells[i]->SetBounds(24 + i * 123, 4, 122, 91);
    *deletes[i] = MakeButton(this, pnlCollections, "X", 24 + i * 123 + 122 - 15, 4, 15, 15);
    (*deletes[i])->SetTag(i);
    (*deletes[i])->SetVisible(false);
  }

  Panel4 = MakePanel(this, this, alClient, 490, 603);
  Panel5 = MakePanel(this, Panel4, alBottom, 490, 34);
  imgMain = new TImage(this);
  imgMain->SetParent(Panel4);
  imgMain->SetAlign(alClient);
  const char* steps[9] = {"左移", "右移", "上移", "下移", "加宽", "加长", "变窄", "变短", "归位"};
  TButton** stepButtons[9] = {&btnMoveLeft, &btnMoveRight, &btnMoveUp,  &btnMoveDown,    &btnWiden,
                              &btnLengthen, &btnNarror,    &btnShorten, &btnBackPosition};
  for (int i = 0; i < 9; ++i) {
    *stepButtons[i] = MakeButton(this, Panel5, steps[i], 4 + i * 43, 5, 41, 25);
    (*stepButtons[i])->SetTag(i);
    (*stepButtons[i])->OnClick = [this](TObject* s) { btnAdjustClick(s); };
  }

  OpenPictureDialog = new TOpenPictureDialog(this);
  OpenPictureDialog->SetFilter(
      "All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
      "Bitmaps (*.bmp)|*.bmp");
  SaveDialog = new TSaveDialog(this);
  SaveDialog->SetFilter("*.bmp|*.bmp");
  TimerFade = new TTimer(this);
  TimerFade->SetEnabled(false);
  TimerFade->SetInterval(100);

  // Events, bound once every control exists.
  btnSelectModel->OnClick = [this](TObject* s) { btnSelectModelClick(s); };
  btnOpenPicture->OnClick = [this](TObject* s) { btnOpenPictureClick(s); };
  btnSavePicture->OnClick = [this](TObject* s) { btnSavePictureClick(s); };
  btnPrint->OnClick = [this](TObject* s) { btnPrintClick(s); };
  btnClearHair->OnClick = [this](TObject* s) { btnClearHairClick(s); };
  btnModelColor->OnClick = [this](TObject* s) { btnModelColorClick(s); };
  btnHairColor->OnClick = [this](TObject* s) { btnHairColorClick(s); };
  ToolButton2->OnClick = [this](TObject* s) { ToolButton2Click(s); };
  imgMain->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    imgMainMouseDown(s, b, sh, x, y);
  };
  imgMain->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { imgMainMouseMove(s, sh, x, y); };
  cboHairGender->OnChange = [this](TObject* s) { cboHairGenderChange(s); };
  btnFirstPage->OnClick = [this](TObject* s) { btnFirstPageClick(s); };
  btnPreviousPage->OnClick = [this](TObject* s) { btnPreviousPageClick(s); };
  btnNextPage->OnClick = [this](TObject* s) { btnNextPageClick(s); };
  btnLastPage->OnClick = [this](TObject* s) { btnLastPageClick(s); };
  pnlHairImages->OnResize = [this](TObject* s) { pnlHairImagesResize(s); };
  btnAdd->OnClick = [this](TObject* s) { btnAddClick(s); };
  btnSaveAll->OnClick = [this](TObject* s) { btnSaveAllClick(s); };
  btnPlay->OnClick = [this](TObject* s) { btnPlayClick(s); };
  btnCollectionLeft->OnClick = [this](TObject* s) { btnCollectionLeftClick(s); };
  btnCollectionRight->OnClick = [this](TObject* s) { btnCollectionRightClick(s); };
  for (TButton* b : {btnDeleteCollection1, btnDeleteCollection2, btnDeleteCollection3})
    b->OnClick = [this](TObject* s) { btnDeleteCollectionClick(s); };
  pnlCollections->OnResize = [this](TObject* s) { pnlCollectionsResize(s); };
  TimerFade->OnTimer = [this](TObject* s) { TimerFadeTimer(s); };
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnPaint = [this](TObject* s) { FormPaint(s); };
  frmMain = this;
}

TfrmMain::~TfrmMain() {
  if (frmMain == this) frmMain = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Creation

void TfrmMain::FormCreate(TObject*) {
  ExePath = ExecutableFolder();
  static const char* const toolImages[8] = {"SelectModel", "OpenPicture", "SavePicture", "Print",
                                            "ClearHair",   "ModelColor",  "HairColor",   "About"};
  for (const char* name : toolImages) {
    try {
      imgList->AddFromFile(ExePath + "Toolbar/" + name + ".png");
    } catch (const Exception&) {
      // A missing button picture leaves the button with its caption only.
    }
  }
  RotateCursorIcon = LoadCursorFromFile((ExePath + "Resources/rotate.ico").c_str());
  Screen->SetCursors(crRotate, RotateCursorIcon);
  std::vector<GpBitmap*> resources = ResourcePrefetch.Take(ResourceFiles(ExePath));
  if (resources.empty()) resources = LoadBitmapFiles(ResourceFiles(ExePath));
  WomenBackdrop = resources[0];
  MenBackdrop = resources[1];
  MainLogo = resources[2];
  CollectionImages[0] = imgCollection1;
  CollectionImages[1] = imgCollection2;
  CollectionImages[2] = imgCollection3;
  CollectionDeleteButtons[0] = btnDeleteCollection1;
  CollectionDeleteButtons[1] = btnDeleteCollection2;
  CollectionDeleteButtons[2] = btnDeleteCollection3;
  FreeBitmap(CellGradient);
  MakeGradientBitmap(CellGradient, 0xFF00FF, 0x808000, 115, 146);

  int x = 2, y = 2;
  for (int i = 0; i < 12; ++i) {
    auto* panel = new TPanel(this);
    panel->SetBounds(x, y, 115, 146);
    panel->SetCaption("");
    panel->SetBevelOuter(bvNone);
    auto* cell = new TImageEx(this);
    cell->OnMouseEnter = [this](TObject* s) { HairCellMouseEnter(s); };
    cell->OnMouseLeave = [this](TObject* s) { HairCellMouseLeave(s); };
    cell->OnClick = [this](TObject* s) { HairCellClick(s); };
    cell->SetTag(i);
    cell->SetParent(panel);
    cell->SetBounds(0, 0, 115, 146);
    cell->SetCursor(crHandPoint);
    panel->SetParent(pnlHairImages);
    HairCells[i] = cell;
    if (i == 3 || i == 7) {
      x = 2;
      y += 148;
    } else {
      x += 117;
    }
  }
  bvlOutline->BringToFront();
  LoadHairLists();
  FormResize(this);
  MakeCollectionBackground();
  DrawCollection();
}

void TfrmMain::FormDestroy(TObject*) {
  ResourcePrefetch.Drop();
  HairPagePrefetch.Drop();
  Screen->SetCursors(crRotate, nullptr);
  if (RotateCursorIcon) DestroyCursor(RotateCursorIcon);
  RotateCursorIcon = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// The scene

void TfrmMain::FormResize(TObject*) {
  const int w = imgMain->Width(), h = imgMain->Height();
  if (w <= 0 || h <= 0) return;
  FreeBitmap(MainGradient);
  MainGradientWidth = w;
  MainGradientHeight = h;
  MakeCollectionBackground();
  TBitmap* picture = imgMain->Picture()->Bitmap();
  picture->SetPixelFormat(pfDevice);
  picture->SetSize(w, h);
  if (FlipMatrix) {
    GdipSetMatrixElements(FlipMatrix, 1, 0, 0, 1, 0, 0);
    GdipTranslateMatrix(FlipMatrix, 0, Single(h), MatrixOrderPrepend);
    GdipScaleMatrix(FlipMatrix, 1, -1, MatrixOrderPrepend);
  }
}

void TfrmMain::FormPaint(TObject*) { DrawScene(); }

void TfrmMain::DrawScene() {
  const int w = imgMain->Width(), h = imgMain->Height();
  if (w <= 0 || h <= 0) return;
  {
    TGraphicsScope graphics(imgMain->Canvas());
    GpGraphics* g = graphics.G;
    if (!g) return;
    if (!MainGradient && MainGradientWidth > 0)
      MakeGradientBitmap(MainGradient, GradientWhite, GradientPurple, MainGradientWidth, MainGradientHeight);
    GdipDrawImageRectI(g, MainGradient, 0, 0, w, h);
    GdipSetSmoothingMode(g, SmoothingModeHighQuality);
    if (!ModelPicture.Bitmap) {
      UINT lw = 0, lh = 0;
      BitmapSize(MainLogo, lw, lh);
      if (MainLogo) GdipDrawImageRectI(g, MainLogo, (w - int(lw)) / 2, (h - int(lh)) / 2, int(lw), int(lh));
      imgMain->Invalidate();
      return;
    }
    GdipSetWorldTransform(g, FlipMatrix);
    GdipDrawImagePoints(g, ModelPicture.Bitmap, ModelPicture.Corners, 3);
    if (HairPicture.Bitmap) {
      if (HairFadeAlpha >= 0) {
        GpImageAttributes* attributes = nullptr;
        GdipCreateImageAttributes(&attributes);
        ColorMatrix m;
        for (int i = 0; i < 5; ++i) m.m[i][i] = 1;
        m.m[3][3] = HairFadeAlpha;
        GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, TRUE, &m, nullptr,
                                          ColorMatrixFlagsDefault);
        UINT hw = 0, hh = 0;
        BitmapSize(HairPicture.Bitmap, hw, hh);
        GdipDrawImagePointsRect(g, HairPicture.Bitmap, HairPicture.Corners, 3, 0, 0, Single(hw), Single(hh),
                                UnitPixel, attributes, nullptr, nullptr);
        GdipDisposeImageAttributes(attributes);
      } else {
        GdipDrawImagePoints(g, HairPicture.Bitmap, HairPicture.Corners, 3);
      }
    }
    if (SelectedKind != 0 && ShowSelection == 1 && SelectedPicture) {
      GpPen* pen = nullptr;
      GpSolidFill* brush = nullptr;
      GdipCreatePen1(0xFF000000, 1.0f, UnitWorld, &pen);
      GdipCreateSolidFill(0xFFFF0000, &brush);
      GdipDrawPath(g, pen, SelectedKind == 1 ? ModelPicture.Outline : HairPicture.Outline);
      GdipFillPath(g, brush, HandlesPath);
      GdipDrawPath(g, pen, HandlesPath);
      GdipDeletePen(pen);
      GdipDeleteBrush(brush);
    }
  }
  imgMain->Invalidate();
}

void TfrmMain::imgMainMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
  if (!ModelPicture.Bitmap) return;
  const GpPointF p{Single(X), Single(imgMain->Height() - Y)};
  bool hitTest = true;
  if (SelectedKind != 0 && SelectedPicture) {
    DragHandle = HitHandle(p);
    if (DragHandle >= 0) {
      ::DragMode = 2;
      hitTest = false;
    } else {
      DragHandle = HitRotateZone(p, SelectedPicture->Outline);
      if (DragHandle >= 0) {
        ::DragMode = 3;
        hitTest = false;
      }
    }
  }
  if (hitTest) {
    if (HairPicture.Bitmap && PointInPath(HairPicture.Outline, p)) {
      SelectedKind = 2;
      SelectedPicture = &HairPicture;
      ::DragMode = 1;
    } else if (PointInPath(ModelPicture.Outline, p)) {
      SelectedKind = 1;
      SelectedPicture = &ModelPicture;
      ::DragMode = 1;
    } else {
      SelectedKind = 0;
      ::DragMode = 0;
      SelectedPicture = nullptr;
    }
  }
  if (::DragMode == 2 && DragHandle >= 0 && SelectedPicture) BeginResize(*SelectedPicture);
  LastMouseX = X;
  LastMouseY = Y;
  if (SelectedPicture) UpdatePlacement(*SelectedPicture);
  DrawScene();
}

namespace {

void ResizePortrait(TPlacedImage& P, const GpPointF& p) {
  const bool s = SideOfLine(p, DragAnchor1, DragAnchor2);
  P.Angle = s == DragStartSide1 ? DragStartAngle : Single(DragStartAngle + M_PI);
  UpdateSinCos(P);
  const Single d = DistanceToLine(p, DragAnchor1, DragAnchor2) / 2;
  if (PortraitSetsWidth[DragHandle]) {
    P.HalfWidth = d;
    P.HalfHeight = d / P.Aspect;
  } else {
    P.HalfHeight = d;
    P.HalfWidth = d * P.Aspect;
  }
  // The corner opposite the grabbed handle stays where it is.
  const int k = HandleAnchor1[DragHandle];
  const int* sign = CornerSigns[k];
  P.CenterX = Handles[k].X - sign[0] * P.HalfWidth * P.CosAngle - sign[1] * P.HalfHeight * P.SinAngle;
  P.CenterY = Handles[k].Y - sign[2] * P.HalfHeight * P.CosAngle - sign[3] * P.HalfWidth * P.SinAngle;
  UpdatePlacement(P);
}

void ToggleFlag(TPlacedImage& P, TMirrorFlag Flag) {
  if (Flag == mfMirrorH) P.MirrorH ^= 1;
  if (Flag == mfMirrorV) P.MirrorV ^= 1;
}

void ResizeHair(TPlacedImage& P, const GpPointF& p) {
  P.MirrorH = DragStartMirrorH;
  P.MirrorV = DragStartMirrorV;
  P.Angle = DragStartAngle;
  const bool s1 = SideOfLine(p, DragAnchor1, DragAnchor2);
  const int h = DragHandle;
  if (h > 3) {
    if (s1 != DragStartSide1) {
      if (h == 4 || h == 7) P.MirrorV ^= 1;
      else P.MirrorH ^= 1;
    }
    const Single d = DistanceToLine(p, DragAnchor1, DragAnchor2) / 2;
    if (h == 4 || h == 7) P.HalfHeight = d;
    else P.HalfWidth = d;
    GpPointF centre{DragThird.X - d * DragEdgeSin, DragThird.Y + d * DragEdgeCos};
    if (SideOfLine(centre, DragAnchor1, DragAnchor2) != s1)
      centre = GpPointF{2 * DragThird.X - centre.X, 2 * DragThird.Y - centre.Y};
    P.CenterX = centre.X;
    P.CenterY = centre.Y;
  } else {
    const bool s2 = SideOfLine(p, DragAnchor1, DragThird);
    const bool side1Changed = s1 != DragStartSide1, side2Changed = s2 != DragStartSide2;
    if (side1Changed && side2Changed) P.Angle = Single(DragStartAngle + M_PI);
    else if (side2Changed) ToggleFlag(P, ToggleOnSide2[h]);
    else if (side1Changed) ToggleFlag(P, ToggleOnSide1[h]);
    P.CenterX = (p.X + DragAnchor1.X) / 2;
    P.CenterY = (p.Y + DragAnchor1.Y) / 2;
    const Single d1 = DistanceToLine(p, DragAnchor1, DragAnchor2) / 2;
    const Single d2 = DistanceToLine(p, DragAnchor1, DragThird) / 2;
    if (HairCornerSetsWidth[h]) {
      P.HalfWidth = d1;
      P.HalfHeight = d2;
    } else {
      P.HalfHeight = d1;
      P.HalfWidth = d2;
    }
  }
  UpdateSinCos(P);
  UpdateDiagonalAngle(P);
  UpdatePlacement(P);
}

void Rotate(TPlacedImage& P, const GpPointF& p) {
  const Single d = AngleOfVector(P.CenterX, P.CenterY, p.X, p.Y);
  const double pi = M_PI;
  switch (RotationCase[DragHandle + 16 * P.MirrorH + 8 * P.MirrorV]) {
    case 0: P.Angle = Single(d - (pi - P.DiagAngle)); break;
    case 1: P.Angle = d - P.DiagAngle; break;
    case 2: P.Angle = Single(d - (pi + P.DiagAngle)); break;
    case 3: P.Angle = d + P.DiagAngle; break;
    case 4: P.Angle = Single(d - pi / 2); break;
    case 5: P.Angle = Single(d - pi); break;
    case 6: P.Angle = d; break;
    case 7: P.Angle = Single(d - 3 * pi / 2); break;
  }
  UpdateSinCos(P);
  UpdatePlacement(P);
}

}  // namespace

void TfrmMain::imgMainMouseMove(TObject*, TShiftState Shift, int X, int Y) {
  const GpPointF p{Single(X), Single(imgMain->Height() - Y)};
  if (!Shift.Contains(ssLeft)) {
    TCursor cursor = crDefault;
    if (SelectedKind != 0 && SelectedPicture) {
      if (HitHandle(p) >= 0) cursor = crHandPoint;
      else if (HitRotateZone(p, SelectedPicture->Outline) >= 0) cursor = crRotate;
      else if (PointInPath(SelectedPicture->Outline, p)) cursor = crSizeAll;
    }
    imgMain->SetCursor(cursor);
    return;
  }
  if (::DragMode == 0 || !SelectedPicture) return;
  TPlacedImage& P = *SelectedPicture;
  switch (::DragMode) {
    case 1:
      P.CenterX += Single(X - LastMouseX);
      P.CenterY -= Single(Y - LastMouseY);
      UpdatePlacement(P);
      break;
    case 3:
      if (DragHandle >= 0) Rotate(P, p);
      break;
    case 2:
      if (DragHandle < 0) break;
      if (&P == &HairPicture) ResizeHair(P, p);
      else ResizePortrait(P, p);
      break;
  }
  LastMouseX = X;
  LastMouseY = Y;
  DrawScene();
}

// ---------------------------------------------------------------------------------------------------
// Portrait and hair

bool TfrmMain::LoadModel(const std::string& FileName) {
  GpBitmap* bitmap = BitmapFromFile(FileName);
  if (!bitmap) {
    // An unreadable picture would leave a portrait of no size; keep the scene as it is instead.
    Application->MessageBox(Format("无法读取图片文件：%s", FileName), Caption(), MB_OK | MB_ICONWARNING);
    return false;
  }
  FreeBitmap(ModelPicture.Bitmap);
  ModelPicture.Bitmap = bitmap;
  ModelPicture.CenterX = Single(imgMain->Width()) / 2;
  ModelPicture.CenterY = Single(imgMain->Height()) / 2;
  ResetPlacement(ModelPicture);
  SelectedKind = 1;
  ::DragMode = 0;
  SelectedPicture = &ModelPicture;
  UpdatePlacement(ModelPicture);
  DrawScene();
  return true;
}

bool TfrmMain::LoadHair(const std::string& FileName) {
  if (!ModelPicture.Bitmap) {
    Application->MessageBox("请先选择模特", Caption(), MB_OK);
    return false;
  }
  GpBitmap* bitmap = BitmapFromFile(FileName);
  if (!bitmap) {
    Application->MessageBox(Format("无法读取图片文件：%s", FileName), Caption(), MB_OK | MB_ICONWARNING);
    return false;
  }
  if (HairPicture.Bitmap) {
    // The new style goes into the old one's box.
    FreeBitmap(HairPicture.Bitmap);
    HairPicture.Bitmap = bitmap;
  } else {
    HairPicture.CenterX = Single(imgMain->Width()) / 2 - 16;
    HairPicture.CenterY = Single(imgMain->Height()) / 2 + 14;
    HairPicture.Bitmap = bitmap;
    ResetPlacement(HairPicture);
  }
  SelectedKind = 2;
  ::DragMode = 0;
  SelectedPicture = &HairPicture;
  UpdatePlacement(HairPicture);
  HairFadeAlpha = 0.0001f;
  DrawScene();
  TimerFade->SetEnabled(true);
  return true;
}

void TfrmMain::TimerFadeTimer(TObject*) {
  HairFadeAlpha += 2.0f / (1000.0f / Single(TimerFade->Interval()));
  DrawScene();
  if (HairFadeAlpha >= 1) {
    HairFadeAlpha = -1;
    TimerFade->SetEnabled(false);
  }
}

// ---------------------------------------------------------------------------------------------------
// Hair pages

void TfrmMain::LoadHairLists() {
  FindFiles(ExePath + "Hairs/女士/", WomenHairList.get(), "*.png");
  FindFiles(ExePath + "Hairs/男士/", MenHairList.get(), "*.png");
  cboHairGender->SetItemIndex(0);
  cboHairGenderChange(cboHairGender);
}

void TfrmMain::UpdatePageButtons() {
  btnPreviousPage->SetEnabled(HairPageFirst != 0);
  btnNextPage->SetEnabled(HairPageFirst + 12 < CurrentHairList->Count());
}

void TfrmMain::cboHairGenderChange(TObject*) {
  CurrentHairList = cboHairGender->ItemIndex() == 1 ? MenHairList.get() : WomenHairList.get();
  HairPageFirst = 0;
  UpdatePageButtons();
  ShowHairPage();
}

void TfrmMain::btnFirstPageClick(TObject*) {
  HairPageFirst = 0;
  UpdatePageButtons();
  ShowHairPage();
}

void TfrmMain::btnPreviousPageClick(TObject*) {
  HairPageFirst -= 12;
  UpdatePageButtons();
  ShowHairPage();
}

void TfrmMain::btnNextPageClick(TObject*) {
  HairPageFirst += 12;
  UpdatePageButtons();
  ShowHairPage();
}

void TfrmMain::btnLastPageClick(TObject*) {
  const int count = CurrentHairList->Count();
  int first = count - count % 12;
  if (first == count) first -= 12;
  HairPageFirst = std::max(first, 0);
  UpdatePageButtons();
  btnNextPage->SetEnabled(false);
  ShowHairPage();
}

void TfrmMain::ShowHairPage() {
  const int count = CurrentHairList->Count();
  const int pages = std::max((count + 11) / 12, 1);
  lblPageIndex->SetCaption(Format("共%d个发型，当前第%d页，共%d页", count, HairPageFirst / 12 + 1, pages));
  GpBitmap* backdrop = cboHairGender->ItemIndex() == 0 ? WomenBackdrop : MenBackdrop;
  // The page's pictures are decoded together first; each is drawn and freed in its cell as before.
  std::vector<std::string> names(12);
  for (int i = 0; i < 12; ++i)
    if (HairPageFirst + i < count) names[size_t(i)] = CurrentHairList->Strings(HairPageFirst + i);
  std::vector<GpBitmap*> hairs = HairPagePrefetch.Take(names);
  if (hairs.empty()) hairs = LoadBitmapFiles(names, HairThumbnailScale);
  for (int i = 0; i < 12; ++i) {
    TImageEx* cell = HairCells[i];
    GpBitmap* hair = hairs[size_t(i)];
    bool drawn = false;
    {
      TGraphicsScope graphics(cell->Canvas());
      if (graphics.G) {
        drawn = true;
        GdipDrawImageRectI(graphics.G, CellGradient, 0, 0, 115, 146);
        if (HairPageFirst + i < count) {
          if (backdrop) GdipDrawImageRectI(graphics.G, backdrop, 0, 0, 115, 146);
          UINT w = 0, h = 0;
          BitmapSize(hair, w, h);
          if (hair)
            GdipDrawImageRectI(graphics.G, hair, -8, 1, int(Round(w / HairThumbnailDivisor)),
                               int(Round(h / HairThumbnailDivisor)));
        }
      }
    }
    if (hair) GdipDisposeImage(hair);
    if (drawn) cell->Invalidate();
  }
}

void TfrmMain::HairCellMouseEnter(TObject* Sender) {
  const TControl* panel = static_cast<TControl*>(Sender)->Parent();
  bvlOutline->SetBounds(panel->Left() - 1, panel->Top() - 1, bvlOutline->Width(), bvlOutline->Height());
  bvlOutline->SetVisible(true);
}

void TfrmMain::HairCellMouseLeave(TObject*) { bvlOutline->SetVisible(false); }

void TfrmMain::HairCellClick(TObject* Sender) {
  TStringList* list = cboHairGender->ItemIndex() == 1 ? MenHairList.get() : WomenHairList.get();
  const int index = int(static_cast<TComponent*>(Sender)->Tag()) + HairPageFirst;
  if (index < list->Count()) LoadHair(list->Strings(index));
}

void TfrmMain::pnlHairImagesResize(TObject*) { pnlCollections->SetHeight(ClientHeight()); }

// ---------------------------------------------------------------------------------------------------
// Commands

void TfrmMain::btnSelectModelClick(TObject*) { frmSelectModel->ShowModal(); }

void TfrmMain::btnOpenPictureClick(TObject*) {
  if (OpenPictureDialog->Execute()) LoadModel(OpenPictureDialog->FileName());
}

void TfrmMain::btnSavePictureClick(TObject*) {
  if (!SaveDialog->Execute()) return;
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(imgMain->Width(), imgMain->Height());
  const TRect r(0, 0, imgMain->Width(), imgMain->Height());
  bmp.Canvas()->CopyRect(r, imgMain->Canvas(), r);
  const std::string name = BitmapFileName(SaveDialog->FileName());
  if (const int err = SavePictureFile(&bmp, name))
    Application->MessageBox(SaveFailedText(name, err), Caption(), MB_OK | MB_ICONWARNING);
}

void TfrmMain::btnClearHairClick(TObject*) {
  if (!HairPicture.Bitmap) return;
  FreeBitmap(HairPicture.Bitmap);
  if (SelectedKind == 2) SelectedKind = 0;
  if (SelectedPicture == &HairPicture) SelectedPicture = nullptr;
  DrawScene();
}

void TfrmMain::ColourPicture(TPlacedImage& P) {
  frmColorConfigure->Prepare(P.Bitmap);
  frmColorConfigure->ShowModal();
  if (frmColorConfigure->Accepted) {
    FreeBitmap(P.Bitmap);
    frmColorConfigure->TakeAdjustedBitmap(P);
    DrawScene();
  }
  frmColorConfigure->FreeWorkingBitmap();
}

void TfrmMain::btnModelColorClick(TObject*) {
  if (!ModelPicture.Bitmap) {
    Application->MessageBox("还未打开模特", Caption(), MB_OK);
    return;
  }
  ColourPicture(ModelPicture);
}

void TfrmMain::btnHairColorClick(TObject*) {
  if (!HairPicture.Bitmap) {
    Application->MessageBox("还未打开头发", Caption(), MB_OK);
    return;
  }
  ColourPicture(HairPicture);
}

// Without a desktop handler for the page nothing would show at all: the user is told where it is.
void TfrmMain::ToolButton2Click(TObject*) {
  const std::string page = ExePath + AboutPage;
  if (!RunProgram(page))
    Application->MessageBox(Format("没有可以打开关于页面的程序。关于页面在：\n%s", page), Caption(),
                            MB_OK | MB_ICONINFORMATION);
}

void TfrmMain::AdjustPicture(TPlacedImage& P, int Tag) {
  const bool portrait = &P == &ModelPicture;
  auto widthFollowUp = [&] {
    if (portrait) P.HalfHeight = P.HalfWidth / P.Aspect;
    else UpdateDiagonalAngle(P);
  };
  auto heightFollowUp = [&] {
    if (portrait) P.HalfWidth = P.HalfHeight * P.Aspect;
    else UpdateDiagonalAngle(P);
  };
  switch (Tag) {
    case 0: P.CenterX -= 1; break;
    case 1: P.CenterX += 1; break;
    case 2: P.CenterY += 1; break;
    case 3: P.CenterY -= 1; break;
    case 4:
      P.HalfWidth += 1;
      widthFollowUp();
      break;
    case 5:
      P.HalfHeight += 1;
      heightFollowUp();
      break;
    case 6:
      if (P.HalfWidth >= 5) P.HalfWidth -= 1;
      widthFollowUp();
      break;
    case 7:
      if (P.HalfHeight >= 5) P.HalfHeight -= 1;
      heightFollowUp();
      break;
    case 8:
      P.CenterX = Single(imgMain->Width()) / 2 - (portrait ? 0 : 16);
      P.CenterY = Single(imgMain->Height()) / 2 + (portrait ? 0 : 14);
      ResetPlacement(P);
      break;
  }
}

void TfrmMain::btnAdjustClick(TObject* Sender) {
  if (SelectedKind == 0 || !SelectedPicture) return;
  AdjustPicture(*SelectedPicture, int(static_cast<TComponent*>(Sender)->Tag()));
  UpdatePlacement(*SelectedPicture);
  DrawScene();
}

// ---------------------------------------------------------------------------------------------------
// Collection strip

void TfrmMain::MakeCollectionBackground() {
  FreeBitmap(CollectionGradient);
  MakeGradientBitmap(CollectionGradient, GradientWhite, GradientPurple, imgCollection1->Width(),
                     imgCollection1->Height());
}

void TfrmMain::DrawCollection() {
  const int count = CollectionList ? CollectionList->Count() : 0;
  const int w = imgCollection1->Width(), h = imgCollection1->Height();
  for (int i = 0; i < 3; ++i) {
    TImage* cell = CollectionImages[i] ? CollectionImages[i] : imgCollection1;
    {
      TGraphicsScope graphics(cell->Canvas());
      if (!graphics.G) continue;
      GdipDrawImageRectI(graphics.G, CollectionGradient, 0, 0, w, h);
      TButton* del = CollectionDeleteButtons[i];
      if (CollectionFirst + i < count) {
        GpBitmap* snapshot = ListBitmap(CollectionList.get(), CollectionFirst + i);
        UINT sw = 0, sh = 0;
        BitmapSize(snapshot, sw, sh);
        const GpRect r = FitImageRect(GpRect{0, 0, int(sw), int(sh)}, w, h);
        GdipDrawImageRectI(graphics.G, snapshot, r.X, r.Y, r.Width, r.Height);
        if (del) del->SetVisible(true);
      } else if (del) {
        del->SetVisible(false);
      }
    }
    cell->Invalidate();
  }
}

void TfrmMain::btnAddClick(TObject*) {
  if (!ModelPicture.Bitmap) return;
  const Single W = Single(imgMain->Width()), H = Single(imgMain->Height());
  const GpPointF* c = ModelPicture.Corners;
  const Single left = std::max(MinOfSingles({c[0].X, c[1].X, c[2].X, c[3].X}), 0.0f);
  const Single bottom = std::max(MinOfSingles({c[0].Y, c[1].Y, c[2].Y, c[3].Y}), 0.0f);
  const Single right = std::min(MaxOfSingles({c[0].X, c[1].X, c[2].X, c[3].X}), W);
  const Single top = std::min(MaxOfSingles({c[0].Y, c[1].Y, c[2].Y, c[3].Y}), H);
  const Single width = right - left, height = top - bottom;
  const int bw = int(Round(width)), bh = int(Round(height));
  // A portrait moved wholly outside the picture area has nothing to keep.
  if (bw <= 0 || bh <= 0) return;
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(bw, bh);
  ShowSelection = 0;
  if (TimerFade->Enabled()) {
    TimerFade->SetEnabled(false);
    HairFadeAlpha = -1;
  }
  DrawScene();
  const int sx = int(Round(left)), sy = int(Round(H - bottom - height));
  bmp.Canvas()->SetCopyMode(cmSrcCopy);
  bmp.Canvas()->CopyRect(TRect(0, 0, bw, bh), imgMain->Canvas(), TRect(sx, sy, sx + bw, sy + bh));
  GpBitmap* snapshot = BitmapFromClassBitmap(&bmp);
  ShowSelection = 1;
  DrawScene();
  if (!snapshot) return;
  CollectionList->Add(snapshot);
  if (CollectionList->Count() > 3) CollectionFirst += 1;
  DrawCollection();
}

void TfrmMain::btnCollectionLeftClick(TObject*) {
  if (CollectionFirst > 0) CollectionFirst -= 1;
  DrawCollection();
}

void TfrmMain::btnCollectionRightClick(TObject*) {
  if (CollectionFirst < CollectionList->Count() - 3) CollectionFirst += 1;
  DrawCollection();
}

void TfrmMain::btnDeleteCollectionClick(TObject* Sender) {
  const int index = int(static_cast<TComponent*>(Sender)->Tag()) + CollectionFirst;
  if (index >= 0 && index < CollectionList->Count()) {
    GdipDisposeImage(ListBitmap(CollectionList.get(), index));
    CollectionList->Delete(index);
  }
  DrawCollection();
}

void TfrmMain::btnSaveAllClick(TObject*) {
  const int count = CollectionList->Count();
  if (count == 0) {
    Application->MessageBox("没有图片可以保存。", Caption(), MB_OK);
    return;
  }
  std::string folder;
  if (!SelectDirectory("", "", folder)) return;
  folder = IncludeTrailingPathDelimiter(folder);
  CLSID bmpEncoder;
  if (!FindEncoder(u"image/bmp", bmpEncoder)) return;
  for (int i = 0; i < count; ++i) {
    const std::string name = Format("%s%d.bmp", folder, i);
    const std::u16string wide = Utf8ToUtf16(name);
    // The imaging layer writes through a temporary file and a rename; a failed write leaves a file of
    // the same name as it was and the reason in errno.
    errno = 0;
    const GpStatus status = GdipSaveImageToFile(ListBitmap(CollectionList.get(), i), wide.c_str(), &bmpEncoder, nullptr);
    const int err = status == Win32Error ? errno : 0;
    if (status != Ok)
      Application->MessageBox(SaveFailedText(name, err), Caption(), MB_OK | MB_ICONWARNING);
  }
}

void TfrmMain::btnPlayClick(TObject*) {
  if (CollectionList->Count() == 0) {
    Application->MessageBox("请先添加图片, 然后才可播放。", Caption(), MB_OK);
    return;
  }
  frmPlay->Setup(CollectionList.get());
  frmPlay->ShowModal();
}

void TfrmMain::btnPrintClick(TObject*) {
  if (CollectionList->Count() == 0) {
    Application->MessageBox("请先添加图片, 然后才可打印。", Caption(), MB_OK);
    return;
  }
  frmPrint->Setup(CollectionList.get());
  frmPrint->ShowModal();
}

void TfrmMain::pnlCollectionsResize(TObject*) {
  for (TImage* cell : {imgCollection1, imgCollection2, imgCollection3}) {
    if (!cell) continue;
    TBitmap* picture = cell->Picture()->Bitmap();
    picture->SetPixelFormat(pfDevice);
    picture->SetSize(cell->Width(), cell->Height());
  }
  if (CollectionImages[0]) DrawCollection();
}
