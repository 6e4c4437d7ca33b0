#pragma once
// The control model of the class library: TControl (position, visibility, mouse, messages),
// TWinControl (a real window of the Win32 level, children, focus, keyboard, alignment),
// TCustomControl (a window with a canvas and Paint) and TGraphicControl (painted on its parent's
// surface, mouse through its parent).
//
// Every message a control sees passes WndProc -> Dispatch -> DefaultHandler. WndProc is where a
// class looks at a message before the others (mouse clicks, for example); Dispatch routes a message
// by its id to the class's handler; DefaultHandler is what happens when nobody handled it (for a
// window, DefWindowProc).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/graphics/graphics.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/windows.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TDragObject;

// ---------------------------------------------------------------------------------------------------
// Component messages (sent between controls, never by the window manager)

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
// Ctl3D changed on this control (sent to itself); the parent's changed (sent to each child).
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;  // $B013
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;  // $B014
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
// Asked by a form designer: whether the control takes the mouse at a point (LParam: client X, Y).
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;  // $B01C
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_GETDATALINK = CM_BASE + 45;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;  // $B041
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
// BiDiMode changed on this control (sent to itself; with WParam 0 a window takes the extended styles of
// the new mode); the parent's changed (sent to each child).
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
// Asks a windowed control to make its window again (its styles no longer fit).
constexpr UINT CM_RECREATEWND = CM_BASE + 76;

// Notifications reflected back to the control that caused them.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;  // $BD14
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;  // $BD15

// ---------------------------------------------------------------------------------------------------
// Types of the control model

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
// TAlignment is declared in platform/classes/classes.h (data fields use it too).
enum TTextLayout { tlTop, tlCenter, tlBottom };
// The reading direction and alignment of a control: bdRightToLeft reads right to left, aligns from the
// right and puts the vertical scroll bar on the left; bdRightToLeftNoAlign keeps the alignment;
// bdRightToLeftReadingOnly only reads right to left.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Cursor indexes; negative values are the standard cursors, positive ones the program's own.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = -22;

// Modal results
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, WideChar& Key)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;

// Drag and drop between controls (dragdrop.h). A dmAutomatic control starts a drag when pressed; a
// dmManual one only when the program calls BeginDrag.
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// DragObject: nullptr lets the drag carry the control itself.
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
// Source: the dragged control (or the program's own drag object); Accept starts true.
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
// Target: the control dropped on, nullptr when the drag ended without a drop.
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

// Input method of a window while it has the focus: switched off (no context), closed, open, or left
// as it is. The names follow the class library's ordinal order.
enum TImeMode { imDisable, imClose, imOpen, imDontCare };
// The input method a control asks for by name. There is one input method here (the host's), so a
// name selects nothing: it is stored and streamed for the programs that set it.
using TImeName = std::string;

// Style and state flags of a control.
enum TControlStyleFlag {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
  csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
  csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TSet<TControlStyleFlag>;
enum TControlStateFlag {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateFlag>;

TShiftState KeysToShiftState(WPARAM Keys);
// Ctrl, Shift and Alt as the keyboard has them now.
TShiftState KeyboardStateToShiftState();
// True when Str marks the character of VK (a letter or digit key, or a character code) as its
// accelerator with '&' ("&&" is a plain ampersand).
bool IsAccel(WORD VK, const std::string& Str);

// Minimum and maximum size of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
  DECLARE_CLASS(TSizeConstraints, TPersistent)
  explicit TSizeConstraints(TControl* AControl) : FControl(AControl) {}
  int MinWidth() const { return FMinWidth; }
  int MaxWidth() const { return FMaxWidth; }
  int MinHeight() const { return FMinHeight; }
  int MaxHeight() const { return FMaxHeight; }
  void SetMinWidth(int Value);
  void SetMaxWidth(int Value);
  void SetMinHeight(int Value);
  void SetMaxHeight(int Value);
  void Assign(TPersistent* Source) override;
  // Clamps a proposed size.
  void Constrain(int& Width, int& Height) const;
  TNotifyEvent OnChange;

 private:
  void Changed();
  TControl* FControl;
  int FMinWidth = 0, FMaxWidth = 0, FMinHeight = 0, FMaxHeight = 0;
};

// ---------------------------------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
  DECLARE_PUBLISHED_CLASS(TControl, TComponent)
  // What a form resource stores of any control. Text is Caption under its other name (read, not
  // written twice).
  static void DeclarePublished(TPublished<TControl>& P) {
    P.Integer("Left", &TControl::Left, &TControl::SetLeft);
    P.Integer("Top", &TControl::Top, &TControl::SetTop);
    P.Integer("Width", &TControl::Width, &TControl::SetWidth);
    P.Integer("Height", &TControl::Height, &TControl::SetHeight);
    P.String("Caption", &TControl::Caption, &TControl::SetCaption);
    P.String("Text", [](TControl* C) { return C->Text(); }, [](TControl* C, const std::string& V) { C->SetText(V); })
        .Stored(false);
    P.Integer("Tag", [](TControl* C) { return static_cast<int64_t>(C->Tag()); },
              [](TControl* C, int64_t V) { C->SetTag(static_cast<intptr_t>(V)); })
        .Default(0);
    P.Color("Color", &TControl::Color, &TControl::SetColor).StoredWhen([](TObject* O) {
      return !static_cast<TControl*>(O)->ParentColor();
    });
    P.Object("Font", &TControl::Font);
    P.Boolean("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Enum("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode,
           {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"})
        .StoredWhen([](TObject* O) { return !static_cast<TControl*>(O)->ParentBiDiMode(); });
    P.Boolean("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
    P.Integer("DragCursor", [](TControl* C) { return static_cast<int64_t>(C->DragCursor()); },
              [](TControl* C, int64_t V) { C->SetDragCursor(static_cast<TCursor>(V)); })
        .Default(crDrag);
    P.Enum("DragMode", &TControl::DragMode, &TControl::SetDragMode, {"dmManual", "dmAutomatic"}).Default(dmManual);
  }
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  // Streaming: a control is written in its parent's child list and read back into it.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  // The form this control sits on (the top of its parent chain when that is a form), or nullptr.
  // GetParentForm of the forms layer gives it as a TCustomForm.
  TWinControl* ParentFormControl() const;

  // Geometry, in the parent's client coordinates (a top-level window: the screen).
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return TRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }
  virtual TRect ClientRect() const;
  int ClientWidth() const { return ClientRect().Right; }
  int ClientHeight() const { return ClientRect().Bottom; }
  virtual void SetClientSize(int AWidth, int AHeight);
  void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
  void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
  // Where the client area's (0, 0) lies in the parent's client coordinates.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(const TPoint& P) const;
  TPoint ScreenToClient(const TPoint& P) const;
  TPoint ClientToParent(const TPoint& P, TWinControl* AParent = nullptr) const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value) { FAnchors = Value; }
  TSizeConstraints* Constraints() const { return FConstraints.get(); }

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  // Visible here and in every parent up to the top-level window, which is shown.
  virtual bool Showing() const;

  // Caption and Text are one string.
  const std::string& Caption() const { return FText; }
  void SetCaption(const std::string& Value) { SetText(Value); }
  virtual std::string Text() const { return FText; }
  virtual void SetText(const std::string& Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);

  // Reading direction. A control follows its parent's BiDiMode while ParentBiDiMode is set; setting
  // BiDiMode clears it. The three questions below are what drawing and layout ask; a windowed control
  // turns them into WS_EX_RTLREADING, WS_EX_LEFTSCROLLBAR and WS_EX_RIGHT (see TWinControl). Every
  // locale reads right to left here when asked to: the platform has no locale that forbids it.
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value);
  // Alignment mirrored (left becomes right): bdRightToLeft.
  virtual bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  // Text read right to left: any mode but bdLeftToRight.
  virtual bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  // Vertical scroll bar on the left: bdRightToLeft and bdRightToLeftNoAlign.
  virtual bool UseRightToLeftScrollBar() const {
    return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
  }
  bool IsRightToLeft() const {
    return UseRightToLeftAlignment() || UseRightToLeftReading() || UseRightToLeftScrollBar();
  }
  // DrawText flags for this control: DT_LEFT and DT_RIGHT swapped under right-to-left alignment,
  // DT_RTLREADING added under right-to-left reading.
  UINT DrawTextBiDiModeFlags(UINT Flags) const;
  // The canvas's text flags follow the reading direction (ETO_RTLREADING); a control's canvas gets
  // them before Paint.
  void UpdateTextFlags(TCanvas* Canvas) const;
  // DT_RTLREADING under right-to-left reading, else 0.
  UINT DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }
  // The alignment the control's content has before mirroring: what right-to-left alignment turns
  // into WS_EX_RIGHT (left) or leaves (right, centre).
  virtual TAlignment GetControlsAlignment() const { return taLeftJustify; }

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The menu a right click (WM_CONTEXTMENU) pops up when its AutoPopup is on; not owned, forgotten
  // when it is freed. OnContextPopup runs first and may handle the click itself.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  TContextPopupEvent OnContextPopup;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }

  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // Messages
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // A handler of this control for one message id, tried before Dispatch (a message map entry). The
  // handler may pass the message on by calling Dispatch itself.
  using TMessageHandler = std::function<void(TMessage& Message)>;
  void SetMessageHandler(UINT Msg, TMessageHandler Handler);
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
  // The procedure every message of this control enters by (Perform and the window alike): WndProc
  // until another is set. A control that watches this one puts its own in place and passes each
  // message on to WndProc; setting an empty function gives the control its own procedure back.
  using TWndMethod = std::function<void(TMessage& Message)>;
  TWndMethod WindowProc();
  void SetWindowProc(TWndMethod Value) { FWindowProc = std::move(Value); }
  bool WindowProcIsOwn() const { return !FWindowProc; }

  // Painting
  virtual void Invalidate();
  virtual void Update();
  void Repaint() { Invalidate(); Update(); }
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  virtual void Click();
  virtual void DblClick();

  // Drag and drop (dragdrop.h). BeginDrag starts a drag of this control unless one is under way: at
  // once, or once the mouse has moved Threshold pixels (-1: the mouse's DragThreshold). EndDrag ends
  // this control's drag, dropping where the mouse is when Drop.
  TDragMode DragMode() const { return FDragMode; }
  virtual void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  void BeginDrag(bool Immediate, int Threshold = -1);
  void EndDrag(bool Drop);
  // This control is the source of the drag under way.
  bool Dragging() const;
  // The target's side: whether Source may be dropped at (X, Y) (Accept starts as "OnDragOver is
  // assigned", which then decides), and the drop itself (OnDragDrop).
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, int X, int Y);

  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;

 protected:
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void Changed();
  // Text, font or colour changed: the control usually repaints or resizes itself.
  virtual void TextChanged();
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void VisibleChanging() {}
  virtual void EnabledChanged();
  // Asks the parent to lay out its aligned children again.
  void RequestAlign();
  // Children of a parent adopt its font and colour while ParentFont/ParentColor is set.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  // CM_BIDIMODECHANGED: the control repaints (a window also changes its extended styles).
  virtual void BiDiModeChanged(TMessage& Message);
  // CM_PARENTBIDIMODECHANGED: a control following its parent takes its BiDiMode.
  void ParentBiDiModeChanged();
  // Geometry only; SetBounds calls it and then tells the parent.
  virtual void DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // Size a control wants when it sizes itself (labels, tool buttons); false: no wish.
  virtual bool CanAutoSize(int& /*NewWidth*/, int& /*NewHeight*/) { return false; }
  void AdjustSize();
  bool AutoSizeEnabled() const { return FAutoSize; }
  void SetAutoSizeFlag(bool Value);

  // The source's side of a drag: OnStartDrag when it begins, OnEndDrag when it ends; a drag that
  // dropped nowhere is DragCanceled first.
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, int X, int Y);
  virtual void DragCanceled() {}
  // A press on a dmAutomatic control: a drag as the mouse settings say, instead of the press.
  void BeginAutoDrag();

  void MouseMessage(TMessage& Message);
  // Dispatch through the message map first.
  void DispatchMapped(TMessage& Message);
  std::vector<std::pair<UINT, TMessageHandler>> FMessageMap;
  TWndMethod FWindowProc;  // empty: WndProc
  TPopupMenu* FPopupMenu = nullptr;
  // WM_CONTEXTMENU: OnContextPopup, then the popup menu; false when neither took it.
  bool ContextMenu(TMessage& Message);

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  std::unique_ptr<TSizeConstraints> FConstraints;
  bool FVisible = true;
  bool FEnabled = true;
  bool FAutoSize = false;
  std::string FText;
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FTakingParentFont = false;  // the font changes because the parent's did
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  void TakeParentFont();
  std::string FHint;
  bool FShowHint = false;
  TCursor FCursor = crDefault;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;
  bool FAdjustingSize = false;
  TDragMode FDragMode = dmManual;
  TCursor FDragCursor = crDrag;

  friend class TWinControl;
  friend class TDragControlObject;
};

// ---------------------------------------------------------------------------------------------------
// TWinControl

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  UINT WindowClassStyle = CS_DBLCLKS;
  std::string WinClassName;
};

class TWinControl : public TControl {
  DECLARE_PUBLISHED_CLASS(TWinControl, TControl)
  static void DeclarePublished(TPublished<TWinControl>& P) {
    P.Boolean("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).StoredWhen([](TObject* O) {
      return !static_cast<TWinControl*>(O)->ParentCtl3D();
    });
    P.Boolean("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
  }
  explicit TWinControl(TComponent* AOwner);
  // Streaming: the components written after this one: Root's non-visual ones (when this is Root),
  // then the child controls Root owns.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  ~TWinControl() override;

  // The window; made when first asked for (or when the control is parented to a window that exists).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window (children too); it is made again when next needed.
  void DestroyHandle();
  // Recreates the window with fresh CreateParams (after a style change). A control inside that had the
  // focus has it again afterwards, without OnExit and OnEnter: it was never left.
  void RecreateWnd();

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(static_cast<size_t>(Index)); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(const TControl* Control) const;
  // The topmost visible child (graphic controls only unless AllowWinControls) at a client point.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false) const;

  // Focus
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  int TabOrder() const;
  void SetTabOrder(int Value);
  void GetTabOrderList(std::vector<TWinControl*>& List);
  // The next control in tab order inside this one, or nullptr.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  // Layout. AControl, when given, is the child whose position or alignment just changed: it goes
  // first among the children aligned to the same edge at the same place.
  void Realign(TControl* AControl = nullptr);
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  bool AlignDisabled() const { return FAlignLevel > 0; }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);

  // The sunken 3-D look (on) or a flat single line (off) of controls that draw a border. Setting it
  // clears ParentCtl3D and sends CM_CTL3DCHANGED to the control, which tells its children
  // (CM_PARENTCTL3DCHANGED); a child with ParentCtl3D takes the parent's value the same way. A control
  // whose frame depends on it makes its window again on CM_CTL3DCHANGED.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() const override;
  bool Showing() const override;
  void Invalidate() override;
  void Update() override;
  void Repaint() { Invalidate(); Update(); }
  // Paints the graphic children onto the DC of this window (they sit on its surface), in z-order.
  void PaintControls(HDC DC, TControl* First);
  // Leaves the bounds of visible opaque graphic children out of the DC's clip: they paint every pixel
  // of their own, so the window need not paint under them.
  void ExcludeOpaqueControls(HDC DC);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  // The control bound to a window made by this layer, or nullptr.
  static TWinControl* FindControl(HWND Wnd);

  // The role of a form, filled in by the forms layer: the controls on a form reach it through these.
  virtual bool IsForm() const { return false; }
  // A control of the form got the focus.
  virtual void FocusedControlChanged(TWinControl* /*Control*/) {}
  // The form sees key messages of its controls first.
  virtual bool KeyPreviewEnabled() const { return false; }
  // Tab, Return and Escape that the focused control did not take; true when the form used the key.
  virtual bool DialogKey(TWinControl* /*Sender*/, WORD /*Key*/, TShiftState /*Shift*/) { return false; }
  // A button with a modal result was clicked.
  virtual void SetModalResultFromControl(int /*Value*/) {}
  // A control (with its children) leaves the form: references to it must go.
  virtual void ChildControlRemoved(TControl* /*Control*/) {}
  // A control of the form was pressed with the mouse: the form's focused control hears CM_CANCELMODE
  // with the pressed control in LParam (so it can close a drop-down the press was outside of).
  virtual void SendCancelMode(TControl* /*Sender*/) {}

  // The input method while this control has the focus: applied when it gains the focus (and at once
  // when changed while it has it), undone when it loses it. ImeName is kept and streamed only: there
  // is one input method here, so a name selects nothing.
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value);
  const TImeName& ImeName() const { return FImeName; }
  void SetImeName(const TImeName& Value) { FImeName = Value; }

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TMouseWheelEvent OnMouseWheel;

 protected:
  // Fills the window's parameters; the reading direction enters ExStyle through AddBiDiModeExStyle.
  virtual void CreateParams(TCreateParams& Params);
  // WS_EX_RTLREADING under right-to-left reading, WS_EX_LEFTSCROLLBAR with the scroll bar on the left,
  // WS_EX_RIGHT under right-to-left alignment of left-aligned content.
  void AddBiDiModeExStyle(DWORD& ExStyle) const;
  // CM_CTL3DCHANGED: repaint and tell the children.
  virtual void Ctl3DChanged();
  void BiDiModeChanged(TMessage& Message) override;
  virtual void CreateWnd();
  virtual void CreateHandle();
  virtual void DestroyWnd();
  // Called once the window exists (children made, text and fonts set).
  virtual void CreateWindowHandle(const TCreateParams& Params);
  // After the window was made: creates the children's windows.
  void CreateChildHandles();

  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // The part of the client area that aligned children share (panels leave their borders out).
  virtual void AdjustClientRect(TRect& Rect);
  virtual void PaintWindow(HDC DC);
  // Background of the client area (WM_ERASEBKGND).
  virtual void EraseBackground(HDC DC);
  void DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  friend class TCustomForm;
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(WideChar& Key);
  // Whether this control handles a dialog key (Tab, Return, Escape, arrows) itself.
  virtual bool WantsKey(WORD /*Key*/, TShiftState /*Shift*/) { return false; }
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos);
  virtual void DoEnter();
  virtual void DoExit();
  void EnabledChanged() override;
  void TextChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  void NotifyChildren(UINT Msg);
  // Applies ImeMode to the window (focus gain); ResetIme undoes what was applied (focus loss).
  void SetIme();
  void ResetIme();

  HWND FHandle = nullptr;
  std::vector<TControl*> FControls;  // z-order, bottom first; borrowed (freed through their owners)
  bool FTabStop = false;
  int FBorderWidth = 0;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  int FAlignLevel = 0;
  bool FSettingBounds = false;
  int FLastAlignWidth = -1, FLastAlignHeight = -1;
  TImeMode FImeMode = imDontCare;
  TImeName FImeName;
  TImeMode FImeApplied = imDontCare;  // what SetIme did to the window, undone by ResetIme

 private:
  void WMPaint(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  bool IsControlMouseMsg(TMessage& Message);
  void DoKeyMessage(TMessage& Message);
  // Focus moves: CM_EXIT to the controls that stop holding the focus, CM_ENTER to those that start.
  void ExitTo(HWND NewFocus);
  void EnterFrom(HWND OldFocus);
  void UpdateBoundsFromWindow();
  friend LRESULT ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend class TControl;
};

// ---------------------------------------------------------------------------------------------------
// TCustomControl and TGraphicControl: controls that paint themselves through a canvas.

class TCustomControl : public TWinControl {
  DECLARE_CLASS(TCustomControl, TWinControl)
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  // Valid inside Paint; outside it the canvas draws on a DC of the window fetched on demand.
  TCanvas* Canvas();

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  void DestroyWnd() override;
  std::unique_ptr<TCanvas> FCanvas;
  HDC FCanvasDC = nullptr;
  bool FCanvasDCOwned = false;
  void ReleaseCanvasDC();
};

class TGraphicControl : public TControl {
  DECLARE_CLASS(TGraphicControl, TControl)
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  // Draws on the parent's surface; valid inside Paint.
  TCanvas* Canvas();
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}
  std::unique_ptr<TCanvas> FCanvas;
};

// ---------------------------------------------------------------------------------------------------
// Shared services of the control layer

// The control under the mouse (it received CM_MOUSEENTER last) and the control that holds the mouse.
TControl* GetMouseControl();
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// Makes Control the one under the mouse: the previous one gets CM_MOUSELEAVE, the new one
// CM_MOUSEENTER (nullptr: the mouse left every control).
void SetMouseControl(TControl* Control);

// Whether the keyboard has an input method behind it (East Asian layouts): input-method settings of
// controls apply only then. DefaultImeName: that input method's name (the screen's default one).
bool InputMethodPresent();
TImeName DefaultImeName();

// The cursor table (Screen.Cursors) and the global override (Screen.Cursor).
HCURSOR GetCursorHandle(TCursor Cursor);
void SetCursorHandle(TCursor Cursor, HCURSOR Handle);
TCursor GetScreenCursor();
void SetScreenCursor(TCursor Cursor);

// An exception that escaped a window procedure or a timer event. The forms layer installs the
// application's handler (a message box with the text, then the loop goes on); without one the
// exception is reported on stderr and dropped.
using TExceptionHandler = std::function<void(std::exception_ptr)>;
void SetApplicationExceptionHandler(TExceptionHandler Handler);
void HandleControlException(std::exception_ptr E);

// A hidden window for a non-visual component (timers): its messages go to Method.
HWND AllocateHWnd(std::function<void(TMessage&)> Method);
void DeallocateHWnd(HWND Wnd);

// Every top-level window of this layer that is a form (the forms layer fills it).
using TFormHook = std::function<void(TCustomForm*)>;

// The work area of the monitor nearest a screen point: where pop-ups (menus, hints) are kept.
RECT WorkAreaAt(int X, int Y);

// Colour helpers: the RGB value of a colour (system colours resolved).
COLORREF ColorRef(TColor Color);

// UTF-8 helpers for controls that edit text.
std::string Utf8FromCodePoint(char32_t CodePoint);
// Byte offset of the character boundary before/after Pos (Pos is a byte offset, 0-based).
size_t Utf8PrevBoundary(const std::string& S, size_t Pos);
size_t Utf8NextBoundary(const std::string& S, size_t Pos);
