#pragma once
// The print layout window: an editor with frame, text and effect, and pages of one, four or nine
// pictures that are printed or saved as a BMP file.

#include <memory>
#include <string>

#include "app/Communal.h"
#include "platform/controls/buttons.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/dialogs.h"
#include "platform/forms/forms.h"

class TfrmPrint : public TForm {
  DECLARE_CLASS(TfrmPrint, TForm)
  explicit TfrmPrint(TComponent* AOwner);
  ~TfrmPrint() override;

  // Collection column
  TPanel* Panel1;
  TButton* btnCollectionUp;
  TImage* imgCollection1;
  TImage* imgCollection2;
  TImage* imgCollection3;
  TButton* btnCollectionDown;
  // Editor
  TImage* imgMain;
  TLabel* Label1;
  TButton* btnZoomOut;  // "+"
  TButton* btnZoomIn;   // "-"
  TGroupBox* GroupBox1;
  TLabel* Label2;
  TEdit* editText;
  TButton* btnFont;
  TLabel* Label3;
  TComboBox* cboEffect;
  // Frame column
  TPanel* Panel2;
  TButton* btnFrameUp;
  TImage* imgFrame1;
  TImage* imgFrame2;
  TImage* imgFrame3;
  TButton* btnFrameDown;
  // Page
  TImage* imgPrint;
  TGroupBox* GroupBox3;
  TRadioButton* rdoSinglePage;
  TRadioButton* rdo4Pages;
  TRadioButton* rdo9Pages;
  TGroupBox* GroupBox2;
  TButton* btnAddToPrint;
  TButton* btnDelete;
  TButton* btnClear;
  TButton* btnSave;
  TButton* btnPrint;
  TButton* btnCancel;
  // Non-visual
  TFontDialog* FontDialog;
  TSaveDialog* SaveDialog;
  TPrintDialog* PrintDialog;

  // Window state
  std::unique_ptr<TStringList> FrameFiles;  // full names of the frame pictures
  TImage* FrameImages[3] = {};
  TImage* CollectionImages[3] = {};
  int FrameFirst = 0;
  int SelectedFrame = -1;
  GpBitmap* FrameBitmap = nullptr;      // owned
  TList* PrintCollection = nullptr;     // the main window's collection, borrowed
  int PrintCollectionFirst = 0;
  int SelectedPortrait = -1;
  GpBitmap* PortraitCopy = nullptr;     // owned
  int PortraitX = 0;
  int PortraitY = 0;
  int PortraitWidth = 0;
  int PortraitHeight = 0;
  std::unique_ptr<TList> PageList;      // GDI+ bitmaps, owned with their items
  int SelectedCell = -1;
  int EditorLastX = 0;
  int EditorLastY = 0;

  // Borrows the list of GDI+ bitmaps for the next showing and starts from an empty page.
  void Setup(TList* List);

  void ClonePortrait();
  void DrawEditor();
  void DrawPage();
  void HatchCell(int X, int Y, int W, int H);
  void LoadFrames();
  void DrawFrameList();
  void DrawCollectionList();

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void imgCollection1Click(TObject* Sender);
  void imgFrame1Click(TObject* Sender);
  void btnCollectionUpClick(TObject* Sender);
  void btnCollectionDownClick(TObject* Sender);
  void btnFrameUpClick(TObject* Sender);
  void btnFrameDownClick(TObject* Sender);
  void imgMainMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void imgMainMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void btnZoomOutClick(TObject* Sender);
  void btnZoomInClick(TObject* Sender);
  void btnFontClick(TObject* Sender);
  void editTextChange(TObject* Sender);
  void cboEffectChange(TObject* Sender);
  void btnAddToPrintClick(TObject* Sender);
  void rdoSinglePageClick(TObject* Sender);
  void imgPrintMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void btnDeleteClick(TObject* Sender);
  void btnClearClick(TObject* Sender);
  void btnPrintClick(TObject* Sender);
  void btnSaveClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);

 private:
  void ReleasePictures();
  // Whether the current layout shows page picture Cell.
  bool CellShown(int Cell) const;
  void DropHiddenSelection();
};

// The effects of the editor, on 24-bit bitmaps (blue, green, red bytes).
// Emboss: each byte of every row but the last becomes clamp(value - value below + 128, 0, 255).
void EmbossBitmap(TBitmap* Bitmap);
// Grey: each pixel's three bytes become Round(0.3 red + 0.59 green + 0.11 blue), in long double.
void GreyBitmap(TBitmap* Bitmap);

extern TfrmPrint* frmPrint;

namespace UfrmPrint {
void Initialize();
void Finalize();
// Starts decoding the first frames the window's frame column shows on worker threads.
void StartPrefetch();
}  // namespace UfrmPrint
