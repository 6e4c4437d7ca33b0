#pragma once
// The main window: the scene of portrait and hair, the hair-style pages, the step buttons, the
// collection strip and the tool bar commands.

#include <memory>
#include <string>

#include "app/Communal.h"
#include "app/PlacedImage.h"
#include "platform/controls/buttons.h"
#include "platform/controls/comctrls.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/imglist.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/dialogs.h"
#include "platform/forms/forms.h"

class TfrmMain : public TForm {
  DECLARE_CLASS(TfrmMain, TForm)
  explicit TfrmMain(TComponent* AOwner);
  ~TfrmMain() override;

  // Tool bar
  TImageList* imgList;
  TToolBar* ToolBar1;
  TToolButton* btnSelectModel;
  TToolButton* btnOpenPicture;
  TToolButton* btnSavePicture;
  TToolButton* ToolButton3;
  TToolButton* btnPrint;
  TToolButton* btnClearHair;
  TToolButton* ToolButton6;
  TToolButton* btnModelColor;
  TToolButton* btnHairColor;
  TToolButton* ToolButton9;
  TToolButton* ToolButton2;
  // Scene and step buttons
  TPanel* Panel4;
  TImage* imgMain;
  TPanel* Panel5;
  TButton* btnMoveLeft;
  TButton* btnMoveRight;
  TButton* btnMoveUp;
  TButton* btnMoveDown;
  TButton* btnWiden;
  TButton* btnLengthen;
  TButton* btnNarror;
  TButton* btnShorten;
  TButton* btnBackPosition;
  // Hair pages
  TPanel* pnlRightMain;
  TPanel* pnlRightTop;
  TComboBox* cboHairGender;
  TPanel* pnlHairImages;
  TLabel* lblPageIndex;
  TBevel* bvlOutline;
  TButton* btnFirstPage;
  TButton* btnPreviousPage;
  TButton* btnNextPage;
  TButton* btnLastPage;
  // Collection strip
  TPanel* pnlCollections;
  TImage* imgCollection1;
  TImage* imgCollection2;
  TImage* imgCollection3;
  TButton* btnCollectionLeft;
  TButton* btnCollectionRight;
  TButton* btnAdd;
  TButton* btnSaveAll;
  TButton* btnPlay;
  TButton* btnDeleteCollection1;
  TButton* btnDeleteCollection2;
  TButton* btnDeleteCollection3;
  // Non-visual
  TOpenPictureDialog* OpenPictureDialog;
  TSaveDialog* SaveDialog;
  TTimer* TimerFade;

  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormResize(TObject* Sender);
  void FormPaint(TObject* Sender);

  void DrawScene();
  void imgMainMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void imgMainMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);

  // Returns false (and says why) when the file gives no picture.
  bool LoadModel(const std::string& FileName);
  bool LoadHair(const std::string& FileName);
  void LoadHairLists();
  void ShowHairPage();
  void HairCellMouseEnter(TObject* Sender);
  void HairCellMouseLeave(TObject* Sender);
  void HairCellClick(TObject* Sender);

  void btnSelectModelClick(TObject* Sender);
  void btnOpenPictureClick(TObject* Sender);
  void btnSavePictureClick(TObject* Sender);
  void btnClearHairClick(TObject* Sender);
  void btnModelColorClick(TObject* Sender);
  void btnHairColorClick(TObject* Sender);
  void ToolButton2Click(TObject* Sender);
  void btnAdjustClick(TObject* Sender);
  void cboHairGenderChange(TObject* Sender);
  void btnFirstPageClick(TObject* Sender);
  void btnPreviousPageClick(TObject* Sender);
  void btnNextPageClick(TObject* Sender);
  void btnLastPageClick(TObject* Sender);
  void TimerFadeTimer(TObject* Sender);
  void pnlHairImagesResize(TObject* Sender);

  void MakeCollectionBackground();
  void DrawCollection();
  void btnAddClick(TObject* Sender);
  void btnCollectionLeftClick(TObject* Sender);
  void btnCollectionRightClick(TObject* Sender);
  void btnDeleteCollectionClick(TObject* Sender);
  void btnSaveAllClick(TObject* Sender);
  void btnPlayClick(TObject* Sender);
  void btnPrintClick(TObject* Sender);
  void pnlCollectionsResize(TObject* Sender);

 private:
  void UpdatePageButtons();
  void AdjustPicture(TPlacedImage& P, int Tag);
  void ColourPicture(TPlacedImage& P);
};

extern TfrmMain* frmMain;

// Unit-level state of the main window.
extern TImageEx* HairCells[12];
extern TImage* CollectionImages[3];
extern TButton* CollectionDeleteButtons[3];
extern GpPath* HandlesPath;
extern GpMatrix* FlipMatrix;
extern std::unique_ptr<TStringList> WomenHairList;
extern std::unique_ptr<TStringList> MenHairList;
extern TStringList* CurrentHairList;  // one of the two above
extern std::unique_ptr<TList> CollectionList;  // GDI+ bitmaps, owned with their items
extern int CollectionFirst;
extern Byte ShowSelection;
extern int HairPageFirst;
extern Single HairFadeAlpha;
extern Byte SelectedKind;  // 0 nothing, 1 portrait, 2 hair
extern TPlacedImage* SelectedPicture;
// 0 none, 1 move, 2 resize, 3 rotate. The form's methods write ::DragMode: a control has a DragMode of its own.
extern Byte DragMode;
extern int LastMouseX, LastMouseY;
extern GpBitmap* WomenBackdrop;
extern GpBitmap* MenBackdrop;
extern GpBitmap* MainLogo;
extern GpBitmap* CellGradient;
extern GpBitmap* MainGradient;
extern GpBitmap* CollectionGradient;
extern HCURSOR RotateCursorIcon;
constexpr TCursor crRotate = 1;
// The About page shipped beside the executable.
extern const char* const AboutPage;

namespace UfrmMain {
void Initialize();
void Finalize();
// Starts decoding the pictures the main window's creation work reads (resources, first hair page) on
// worker threads; the creation work takes them when it gets there.
void StartPrefetch();
}  // namespace UfrmMain
