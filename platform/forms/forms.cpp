#include "platform/forms/forms.h"
#include "platform/controls/actions.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
std::unique_ptr<TApplication> gApplication;
std::unique_ptr<TScreen> gScreen;

// Descendant controls of a window, depth first.
template <typename F>
void ForEachControl(TWinControl* Parent, F&& Fn) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    Fn(c);
    if (auto* w = dynamic_cast<TWinControl*>(c)) ForEachControl(w, Fn);
  }
}

bool ReallyUsable(TControl* C) {
  for (TControl* c = C; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}
}  // namespace

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  return dynamic_cast<TCustomForm*>(Control->ParentFormControl());
}

// ---------------------------------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = clBtnFace;
  FLeft = 0;
  FTop = 0;
  FWidth = 320;
  FHeight = 240;
  FFormState.Include(fsCreating);
  if (Screen) Screen->FForms.push_back(this);
}

TCustomForm::~TCustomForm() {
  BeforeDestruction();
  if (Screen) {
    auto& v = Screen->FForms;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (Screen->FActiveForm == this) Screen->FActiveForm = nullptr;
  }
  if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
  FActiveControl = nullptr;
}

void TCustomForm::AfterConstruction() {
  if (FCreated) return;
  FCreated = true;
  FFormState.Exclude(fsCreating);
  try {
    DoCreate();
  } catch (...) {
    HandleControlException(std::current_exception());
  }
}

void TCustomForm::BeforeDestruction() {
  if (FDestroyed) return;
  FDestroyed = true;
  try {
    DoDestroy();
  } catch (...) {
    HandleControlException(std::current_exception());
  }
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  TRect client = ClientRect();
  FBorderStyle = Value;
  // The client area keeps its size; the frame changes around it.
  SetClientSize(client.Right, client.Bottom);
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == FBorderIcons) return;
  FBorderIcons = Value;
  RecreateWnd();
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_CLIPCHILDREN;
  Params.ExStyle = 0;
  Params.WndParent = nullptr;
  switch (FBorderStyle) {
    case bsNone:
      Params.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      // A captioned top-level window (the host draws its frame); WS_POPUP would make it frameless.
      Params.Style |= WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone) {
    if (FBorderIcons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
      if (FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (Application && Application->MainForm() && Application->MainForm() != this &&
      Application->MainForm()->HandleAllocated())
    Params.WndParent = Application->MainForm()->Handle();
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (FHandle) UpdateWindow(FHandle);
}

TRect TCustomForm::ClientRect() const {
  if (FHandle) {
    RECT r;
    GetClientRect(FHandle, &r);
    return TRect(0, 0, r.right, r.bottom);
  }
  TCreateParams p;
  const_cast<TCustomForm*>(this)->CreateParams(p);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  int w = FWidth - (frame.right - frame.left);
  int h = FHeight - (frame.bottom - frame.top);
  return TRect(0, 0, std::max(0, w), std::max(0, h));
}

TPoint TCustomForm::ClientOrigin() const {
  if (FHandle) {
    POINT p{0, 0};
    ::ClientToScreen(FHandle, &p);
    return TPoint(p.x, p.y);
  }
  TCreateParams p;
  const_cast<TCustomForm*>(this)->CreateParams(p);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  return TPoint(FLeft - frame.left, FTop - frame.top);
}

bool TCustomForm::Showing() const { return FVisible && FHandle && IsWindowVisible(FHandle); }

void TCustomForm::SetWindowState(TWindowState Value) {
  if (Value == FWindowState) return;
  FWindowState = Value;
  if (FHandle && FVisible) {
    int cmd = Value == wsMaximized ? SW_MAXIMIZE : Value == wsMinimized ? SW_MINIMIZE : SW_RESTORE;
    ShowWindow(FHandle, cmd);
  }
}

void TCustomForm::CenterOnScreen() {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  int l = work.left + (work.right - work.left - FWidth) / 2;
  int t = work.top + (work.bottom - work.top - FHeight) / 2;
  SetBounds(std::max<int>(work.left, l), std::max<int>(work.top, t), FWidth, FHeight);
}

void TCustomForm::Show() { SetVisible(true); }
void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::ShowWindowNow() {
  HandleNeeded();
  // Centred positions apply at every showing; the others keep where the form is.
  if (FWindowState == wsNormal) {
    switch (FPosition) {
      case poScreenCenter:
      case poDesktopCenter:
        CenterOnScreen();
        break;
      case poMainFormCenter:
      case poOwnerFormCenter: {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (main && main != this && main->Showing()) {
          SetBounds(main->Left() + (main->Width() - FWidth) / 2, main->Top() + (main->Height() - FHeight) / 2,
                    FWidth, FHeight);
        } else {
          CenterOnScreen();
        }
        break;
      }
      default:
        break;
    }
  }
  FFormState.Include(fsShowing);
  try {
    DoShow();
  } catch (...) {
    FFormState.Exclude(fsShowing);
    throw;
  }
  FFormState.Exclude(fsShowing);
  int cmd = FWindowState == wsMaximized ? SW_MAXIMIZE : FWindowState == wsMinimized ? SW_MINIMIZE : SW_SHOW;
  ShowWindow(FHandle, cmd);
  SetActiveWindow(FHandle);
  // Children that were made visible while hidden need painting now that the window shows.
  Invalidate();
  if (!FActiveControl || GetFocus() == FHandle || !GetFocus()) FocusFirstControl();
}

void TCustomForm::HideWindowNow() {
  DoHide();
  if (FHandle) ShowWindow(FHandle, SW_HIDE);
  if (FActive) {
    FActive = false;
    Deactivate();
  }
}

void TCustomForm::FocusFirstControl() {
  if (!FHandle || !IsWindowVisible(FHandle)) return;
  TWinControl* target = FActiveControl;
  if (!target || !target->CanFocus() || !ContainsControl(target)) {
    bool inside = false;
    if (target)
      for (TControl* c = target; c; c = c->Parent())
        if (c == this) inside = true;
    if (!target || !inside || !target->CanFocus()) target = FindNextControl(nullptr, true, true, false);
  }
  if (target && target->CanFocus())
    ::SetFocus(target->Handle());
  else if (GetFocus() != FHandle)
    ::SetFocus(FHandle);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  FActiveControl = Control;
  if (Control && Showing() && Control->CanFocus()) Control->SetFocus();
}

void TCustomForm::SendCancelMode(TControl* Sender) {
  if (FActiveControl) FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}

void TCustomForm::ChildControlRemoved(TControl* Control) {
  for (TControl* c = FActiveControl; c; c = c->Parent())
    if (c == Control) {
      FActiveControl = nullptr;
      return;
    }
}

void TCustomForm::FocusedControlChanged(TWinControl* Control) {
  if (Control != this) FActiveControl = Control;
}

bool TCustomForm::DialogKey(TWinControl* Sender, WORD Key, TShiftState Shift) {
  switch (Key) {
    case VK_TAB:
      if (Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return false;
      SelectNext(Sender, !Shift.Contains(ssShift), true);
      return true;
    case VK_RETURN: {
      if (auto* b = dynamic_cast<TButton*>(Sender)) {
        b->Click();
        return true;
      }
      TButton* def = nullptr;
      ForEachControl(this, [&](TControl* c) {
        if (auto* b = dynamic_cast<TButton*>(c); b && !def && b->Default() && ReallyUsable(b)) def = b;
      });
      if (def) {
        def->Click();
        return true;
      }
      return false;
    }
    case VK_ESCAPE: {
      TButton* cancel = nullptr;
      ForEachControl(this, [&](TControl* c) {
        if (auto* b = dynamic_cast<TButton*>(c); b && !cancel && b->Cancel() && ReallyUsable(b)) cancel = b;
      });
      if (cancel) {
        cancel->Click();
        return true;
      }
      return false;
    }
    default:
      // Alt with a character: the control whose caption has it as its accelerator takes it.
      if (Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl)) {
        bool handled = false;
        ForEachControl(this, [&](TControl* c) {
          if (!handled && ReallyUsable(c) && c->Perform(CM_DIALOGCHAR, Key, 0) != 0) handled = true;
        });
        return handled;
      }
      return false;
  }
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::Release() {
  if (FHandle)
    PostMessage(FHandle, CM_RELEASE, 0, 0);
  else
    delete this;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone) FModalResult = mrNone;
}

int TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FFormState.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) {
    SendMessage(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  HWND previous = GetActiveWindow();
  // The other top-level forms take no input while this one is up.
  std::vector<HWND> disabled;
  if (Screen) {
    for (TCustomForm* f : Screen->FForms) {
      if (f == this || !f->HandleAllocated()) continue;
      HWND h = f->Handle();
      if (IsWindowVisible(h) && IsWindowEnabled(h)) {
        EnableWindow(h, FALSE);
        disabled.push_back(h);
      }
    }
  }
  FFormState.Include(fsModal);
  FModalResult = mrNone;
  int result = mrNone;
  try {
    Show();
    do {
      if (Application) {
        Application->HandleMessage();
        if (Application->Terminated()) FModalResult = mrCancel;
      } else {
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
          if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            FModalResult = mrCancel;
          } else {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
          }
        } else {
          WaitMessage();
        }
      }
      if (FModalResult != mrNone) CloseModal();
    } while (FModalResult == mrNone);
    result = FModalResult;
    Hide();
  } catch (...) {
    for (HWND h : disabled)
      if (IsWindow(h)) EnableWindow(h, TRUE);
    FFormState.Exclude(fsModal);
    throw;
  }
  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  FFormState.Exclude(fsModal);
  if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
  return result;
}

void TCustomForm::PaintWindow(HDC DC) {
  if (!OnPaint) return;
  FCanvas->SetHandle(DC);
  try {
    FCanvas->Font()->Assign(FFont.get());
    FCanvas->Brush()->SetColor(FColor);
    OnPaint(this);
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_VISIBLECHANGED:
      if (FVisible)
        ShowWindowNow();
      else
        HideWindowNow();
      return;
    case WM_CLOSE:
      Close();
      return;
    case CM_RELEASE:
      delete this;
      return;
    case WM_ACTIVATE: {
      bool active = LOWORD(Message.WParam) != WA_INACTIVE;
      DefaultHandler(Message);
      if (active) {
        FActive = true;
        FFormState.Include(fsActivated);
        if (Screen) Screen->FActiveForm = this;
        FocusFirstControl();
        Activate();
      } else {
        if (FActive) {
          FActive = false;
          Deactivate();
        }
      }
      return;
    }
    case WM_SIZE: {
      TWinControl::Dispatch(Message);
      // The window manager may change the state (the user maximises or restores the window); a
      // hidden window keeps the state it will be shown in.
      if (!FHandle || !IsWindowVisible(FHandle)) return;
      if (Message.WParam == SIZE_MAXIMIZED) FWindowState = wsMaximized;
      else if (Message.WParam == SIZE_MINIMIZED) FWindowState = wsMinimized;
      else if (Message.WParam == SIZE_RESTORED) FWindowState = wsNormal;
      return;
    }
    case WM_SYSCOMMAND:
      if ((Message.WParam & 0xFFF0) == SC_MAXIMIZE) { SetWindowState(wsMaximized); return; }
      if ((Message.WParam & 0xFFF0) == SC_MINIMIZE) { SetWindowState(wsMinimized); return; }
      if ((Message.WParam & 0xFFF0) == SC_RESTORE) { SetWindowState(wsNormal); return; }
      TWinControl::Dispatch(Message);
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  std::string exe = ExeName();
  size_t slash = exe.find_last_of('/');
  std::string base = slash == std::string::npos ? exe : exe.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  FTitle = dot == std::string::npos ? base : base.substr(0, dot);
}

TApplication::~TApplication() {
  DestroyForms();
  SetApplicationExceptionHandler(nullptr);
}

void TApplication::Initialize() {
  SetApplicationExceptionHandler([this](std::exception_ptr E) { HandleException(E); });
}

void TApplication::DestroyForms() {
  // Every form hears OnDestroy while all of them still exist, then they are freed, last made first.
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TCustomForm*>(Components(i))) forms.push_back(f);
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) (*it)->BeforeDestruction();
  FMainForm = nullptr;
  DestroyComponents();
}

std::string TApplication::ExeName() const {
  char buf[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n <= 0) return std::string();
  buf[n] = 0;
  return std::string(buf);
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    // The key goes to the control first; only a key that neither the control's key handling nor the
    // form's dialog keys took becomes a character. Typed before, a Tab that moved the focus would
    // still reach the control that was left as a Tab character.
    if (DispatchMessage(&msg) == 0) TranslateMessage(&msg);
    return true;
  }
  TranslateMessage(&msg);
  DispatchMessage(&msg);
  return true;
}

void TApplication::Idle() {
  bool done = true;
  try {
    if (OnIdle) OnIdle(this, done);
    if (done) UpdateActions();
  } catch (...) {
    HandleException(std::current_exception());
  }
  if (done && !FTerminated) WaitMessage();
}

void TApplication::UpdateActions() {
  if (!Screen) return;
  // The forms' actions take their state (enabled...) from what they act on, as it is now.
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (!form->Showing()) continue;
    for (int j = 0; j < form->ComponentCount(); ++j)
      if (auto* action = dynamic_cast<TBasicAction*>(form->Components(j))) action->Update();
  }
}

void TApplication::HandleMessage() {
  try {
    if (!ProcessMessage()) Idle();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

void TApplication::ProcessMessages() {
  while (true) {
    bool any = false;
    try {
      any = ProcessMessage();
    } catch (...) {
      HandleException(std::current_exception());
      any = true;
    }
    if (!any || FTerminated) break;
  }
}

void TApplication::Run() {
  FTerminated = false;
  if (FMainForm && FShowMainForm) FMainForm->Show();
  while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(std::exception_ptr E) {
  try {
    std::rethrow_exception(E);
  } catch (const EAbort&) {
    // The silent exception.
  } catch (const std::exception& e) {
    if (OnException)
      OnException(this, e);
    else
      ShowException(e);
  } catch (...) {
    if (!OnException) MessageBox("Unknown exception", FTitle, MB_OK | MB_ICONSTOP);
  }
}

void TApplication::ShowException(const std::exception& E) {
  std::string text;
  if (auto* ex = dynamic_cast<const Exception*>(&E))
    text = ex->Message();
  else
    text = E.what();
  if (!text.empty() && text.back() != '.' && text.back() != '\n') {
    // The text is shown as the exception carries it.
  }
  MessageBox(text, FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  HWND owner = GetActiveWindow();
  return ::MessageBox(owner, Text.c_str(), Caption.c_str(), Flags);
}

// ---------------------------------------------------------------------------------------------------
// TScreen

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
  // Index 0 is the default: setting it changes the arrow.
  SetCursorHandle(Index == crDefault ? crArrow : Index, Handle);
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  RECT work{0, 0, Width(), Height()};
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  return TRect(work);
}

static DWORD MonitorFlags(TMonitorDefaultTo Default) {
  switch (Default) {
    case mdNull: return MONITOR_DEFAULTTONULL;
    case mdPrimary: return MONITOR_DEFAULTTOPRIMARY;
    default: return MONITOR_DEFAULTTONEAREST;
  }
}

TMonitor* TScreen::MonitorOf(HMONITOR Handle) {
  if (!Handle) return nullptr;
  for (auto& m : FMonitors)
    if (m->Handle() == Handle) return m.get();
  FMonitors.push_back(std::make_unique<TMonitor>(Handle));
  return FMonitors.back().get();
}

TMonitor* TScreen::MonitorFromRect(const TRect& Rect, TMonitorDefaultTo Default) {
  RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  return MonitorOf(::MonitorFromRect(&r, MonitorFlags(Default)));
}

TMonitor* TScreen::MonitorFromPoint(const TPoint& Point, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromPoint(POINT{Point.X, Point.Y}, MonitorFlags(Default)));
}

TMonitor* TScreen::MonitorFromWindow(HWND Window, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromWindow(Window, MonitorFlags(Default)));
}

TRect TMonitor::BoundsRect() const {
  MONITORINFO mi;
  return GetMonitorInfo(FHandle, &mi) ? TRect(mi.rcMonitor) : TRect();
}

TRect TMonitor::WorkareaRect() const {
  MONITORINFO mi;
  return GetMonitorInfo(FHandle, &mi) ? TRect(mi.rcWork) : TRect();
}

bool TMonitor::Primary() const {
  MONITORINFO mi;
  return GetMonitorInfo(FHandle, &mi) && (mi.dwFlags & MONITORINFOF_PRIMARY);
}

// ---------------------------------------------------------------------------------------------------

namespace FormsUnit {
void Initialize() {
  if (!gScreen) {
    gScreen = std::make_unique<TScreen>(nullptr);
    Screen = gScreen.get();
  }
  if (!gApplication) {
    gApplication = std::make_unique<TApplication>(nullptr);
    Application = gApplication.get();
  }
}

void Finalize() {
  Hints::Finalize();
  if (gApplication) gApplication->DestroyForms();
  gApplication.reset();
  Application = nullptr;
  gScreen.reset();
  Screen = nullptr;
}
}  // namespace FormsUnit
