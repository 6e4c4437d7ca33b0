#pragma once
// Forms, the application object (message loop, modal loops, the exception box) and the screen.
//
// A form lays out its controls in its constructor; the application then calls AfterConstruction,
// which runs OnCreate (Application->CreateForm does both).

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/hints.h"
#include "platform/controls/stdctrls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
  DECLARE_CLASS(TCustomForm, TWinControl)
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  // Runs OnCreate once (an exception there is shown by the application, and creation goes on).
  void AfterConstruction() override;
  // Runs OnDestroy once; the application calls it before it frees its forms.
  void BeforeDestruction();

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  TFormState FormState() const { return FFormState; }

  void Show();
  void Hide();
  // Shows the form and runs a message loop until ModalResult is set (by a button, by Close, or by
  // code); the other forms are disabled meanwhile. Returns the modal result.
  virtual int ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Asks OnCloseQuery, runs OnClose and then hides, frees or (for the main form) ends the program.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages already queued for it have been handled.
  void Release();

  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SendCancelMode(TControl* Sender) override;
  void SetActiveControl(TWinControl* Control);
  bool Active() const { return FActive; }
  TCanvas* Canvas() { return FCanvas.get(); }
  // Moves the form to the centre of the work area.
  void CenterOnScreen();

  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  bool Showing() const override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // The form's role for its controls.
  bool IsForm() const override { return true; }
  void FocusedControlChanged(TWinControl* Control) override;
  bool KeyPreviewEnabled() const override { return FKeyPreview; }
  bool DialogKey(TWinControl* Sender, WORD Key, TShiftState Shift) override;
  void SetModalResultFromControl(int Value) override { FModalResult = Value; }
  void ChildControlRemoved(TControl* Control) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();

 private:
  void ShowWindowNow();
  void HideWindowNow();
  void CloseModal();
  void FocusFirstControl();
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  TFormState FFormState;
  TModalResult FModalResult = mrNone;
  bool FKeyPreview = false;
  TWinControl* FActiveControl = nullptr;
  bool FActive = false;
  bool FCreated = false;
  bool FDestroyed = false;
  std::unique_ptr<TCanvas> FCanvas;
};

class TForm : public TCustomForm {
  DECLARE_CLASS(TForm, TCustomForm)
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// The form a control sits on, or nullptr.
TCustomForm* GetParentForm(TControl* Control);

// ---------------------------------------------------------------------------------------------------
// TApplication

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
  DECLARE_CLASS(TApplication, TComponent)
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Installs the exception handler of the window procedures and timers.
  void Initialize();
  // Makes a form owned by the application: construction (its controls), then OnCreate. The first
  // form made becomes the main form.
  template <typename T>
  void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    form->AfterConstruction();
    if (!FMainForm) FMainForm = form;
  }
  TCustomForm* MainForm() const { return FMainForm; }
  // Shows the main form and runs the message loop until the main form closes (or Terminate).
  void Run();
  // One message, or idle work when there is none.
  void HandleMessage();
  // Every message pending now.
  void ProcessMessages();
  // Ends the loop: posts WM_QUIT.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Shows an exception's text in a message box (OnException instead when assigned); EAbort is silent.
  void HandleException(std::exception_ptr E);
  void ShowException(const std::exception& E);
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = MB_OK);

  // The full path of the running executable.
  std::string ExeName() const;
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }
  // The hint settings of the whole program (platform/controls/hints.h keeps them).
  bool ShowHint() const { return Hints::ShowHint(); }
  void SetShowHint(bool Value) { Hints::SetShowHint(Value); }
  int HintPause() const { return Hints::HintPause(); }
  void SetHintPause(int Value) { Hints::SetHintPause(Value); }
  int HintShortPause() const { return Hints::HintShortPause(); }
  void SetHintShortPause(int Value) { Hints::SetHintShortPause(Value); }
  int HintHidePause() const { return Hints::HintHidePause(); }
  void SetHintHidePause(int Value) { Hints::SetHintHidePause(Value); }
  TColor HintColor() const { return Hints::HintColor(); }
  void SetHintColor(TColor Value) { Hints::SetHintColor(Value); }
  void SetOnShowHint(TShowHintEvent Event) { Hints::SetOnShowHint(std::move(Event)); }
  void CancelHint() { Hints::CancelHint(); }
  void ActivateHint(const TPoint& CursorPos) { Hints::ActivateHint(CursorPos); }

  TExceptionEvent OnException;
  TIdleEvent OnIdle;

  // Frees the forms (OnDestroy first, last made first).
  void DestroyForms();

 private:
  bool ProcessMessage();
  void Idle();
  // Updates every action of the shown forms (run when the queue is empty).
  void UpdateActions();
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FShowMainForm = true;
  std::string FTitle;
  friend class TCustomForm;
};

// ---------------------------------------------------------------------------------------------------
// TScreen

// One monitor of the desktop, as the screen hands it out (owned by the screen).
enum TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

class TMonitor : public TObject {
  DECLARE_CLASS(TMonitor, TObject)
  explicit TMonitor(HMONITOR Handle) : FHandle(Handle) {}
  HMONITOR Handle() const { return FHandle; }
  TRect BoundsRect() const;
  TRect WorkareaRect() const;
  bool Primary() const;
  int Left() const { return BoundsRect().Left; }
  int Top() const { return BoundsRect().Top; }
  int Width() const { return BoundsRect().Width(); }
  int Height() const { return BoundsRect().Height(); }

 private:
  HMONITOR FHandle;
};

class TScreen : public TComponent {
  DECLARE_CLASS(TScreen, TComponent)
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // The cursor table: standard cursors at negative indexes, the program's own at positive ones.
  HCURSOR Cursors(TCursor Index) const { return GetCursorHandle(Index); }
  void SetCursors(TCursor Index, HCURSOR Handle);
  // A cursor that overrides every control's while it is not crDefault.
  TCursor Cursor() const { return GetScreenCursor(); }
  void SetCursor(TCursor Value) { SetScreenCursor(Value); }

  int Width() const;
  int Height() const;
  TRect WorkAreaRect() const;
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  int PixelsPerInch() const { return 96; }
  // The input method and keyboard layout the program started with: controls go back to them when
  // they lose the focus.
  TImeName DefaultIme() const { return DefaultImeName(); }
  HKL DefaultKbLayout() const { return FDefaultKbLayout; }

  // Monitors: the one that holds most of a rectangle (or a point, or a window), else by Default the
  // nearest, none (nullptr) or the primary one. The objects live as long as the screen.
  int MonitorCount() const { return GetSystemMetrics(SM_CMONITORS); }
  TMonitor* MonitorFromRect(const TRect& Rect, TMonitorDefaultTo Default = mdNearest);
  TMonitor* MonitorFromPoint(const TPoint& Point, TMonitorDefaultTo Default = mdNearest);
  TMonitor* MonitorFromWindow(HWND Window, TMonitorDefaultTo Default = mdNearest);

  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const { return FForms.at(static_cast<size_t>(Index)); }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveForm ? FActiveForm->ActiveControl() : nullptr; }

 private:
  friend class TCustomForm;
  std::vector<TCustomForm*> FForms;  // borrowed
  TCustomForm* FActiveForm = nullptr;
  HKL FDefaultKbLayout = GetKeyboardLayout(0);
  TMonitor* MonitorOf(HMONITOR Handle);
  std::vector<std::unique_ptr<TMonitor>> FMonitors;
};

// The application and the screen: made by FormsUnit::Initialize, freed by FormsUnit::Finalize.
extern TApplication* Application;
extern TScreen* Screen;

namespace FormsUnit {
void Initialize();
void Finalize();
}  // namespace FormsUnit
