#include "dataedit/PropFilerX.h"

#include <vector>

#include "platform/win/windows.h"

namespace {

struct TEntry {
  TClass Target;
  TStoragePropertyInterceptorClass Interceptor;
};
std::vector<TEntry>* Registry = nullptr;

}  // namespace

TStoragePropertyInterceptorClass TStoragePropertyInterceptor::InterceptorClass() {
  static const TInterceptorClassInfo Info{StaticClass(), [](TPersistent* T) -> TStoragePropertyInterceptor* {
                                            return new TStoragePropertyInterceptor(T);
                                          }};
  return &Info;
}

TStoragePropertyInterceptorClass TFormStoragePropertyInterceptor::InterceptorClass() {
  static const TInterceptorClassInfo Info{StaticClass(), [](TPersistent* T) -> TStoragePropertyInterceptor* {
                                            return new TFormStoragePropertyInterceptor(T);
                                          }};
  return &Info;
}

void TFormStoragePropertyInterceptor::DeclarePublished(TPublished<TFormStoragePropertyInterceptor>& P) {
  using T = TFormStoragePropertyInterceptor;
  P.Component("ActiveControl", nullptr, &T::SetActiveControl);
  P.Integer("Height", &T::Height, &T::SetHeight).NoDefault();
  P.Integer("Left", &T::Left, &T::SetLeft).NoDefault();
  P.Integer("PixelsPerInch", nullptr, &T::SetPixelsPerInch);
  P.Integer("Top", &T::Top, &T::SetTop).NoDefault();
  P.Integer("Width", &T::Width, &T::SetWidth).NoDefault();
  P.Enum("WindowState", nullptr, &T::SetWindowState, {"wsNormal", "wsMinimized", "wsMaximized"});
}

namespace {
// A form's restored bounds: the normal position of its window's placement while it is maximised or
// minimised, else its bounds.
RECT RestoredBounds(TCustomForm* F) {
  if (F->WindowState() != wsNormal && F->HandleAllocated()) {
    WINDOWPLACEMENT P;
    if (GetWindowPlacement(F->Handle(), &P)) return P.rcNormalPosition;
  }
  return RECT{F->Left(), F->Top(), F->Left() + F->Width(), F->Top() + F->Height()};
}
}  // namespace

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TPersistent* ATarget)
    : TStoragePropertyInterceptor(ATarget) {
  if (TCustomForm* F = Form()) {
    const RECT R = RestoredBounds(F);
    FLeft = R.left;
    FTop = R.top;
    FWidth = R.right - R.left;
    FHeight = R.bottom - R.top;
    FPixelsPerInch = Screen ? Screen->PixelsPerInch() : 96;
    FWindowState = F->WindowState();
    FActiveControl = F->ActiveControl();
  }
}

int TFormStoragePropertyInterceptor::Left() const { return Form() ? RestoredBounds(Form()).left : 0; }
int TFormStoragePropertyInterceptor::Top() const { return Form() ? RestoredBounds(Form()).top : 0; }
int TFormStoragePropertyInterceptor::Width() const {
  if (!Form()) return 0;
  const RECT R = RestoredBounds(Form());
  return R.right - R.left;
}
int TFormStoragePropertyInterceptor::Height() const {
  if (!Form()) return 0;
  const RECT R = RestoredBounds(Form());
  return R.bottom - R.top;
}

void TFormStoragePropertyInterceptor::ApplyReadValues() {
  TCustomForm* F = Form();
  if (!F) return;  // only forms have a placement to restore
  // Stored at another resolution: scale. A store without the value (or with 0) is taken as this one.
  const int ScreenPPI = Screen ? Screen->PixelsPerInch() : 96;
  if (FPixelsPerInch > 0 && FPixelsPerInch != ScreenPPI) {
    FHeight = MulDiv(FHeight, ScreenPPI, FPixelsPerInch);
    FLeft = MulDiv(FLeft, ScreenPPI, FPixelsPerInch);
    FTop = MulDiv(FTop, ScreenPPI, FPixelsPerInch);
    FWidth = MulDiv(FWidth, ScreenPPI, FPixelsPerInch);
  }
  F->SetWindowState(FWindowState);
  F->SetActiveControl(FActiveControl);
  if (F->WindowState() != wsNormal && F->HandleAllocated()) {
    // The bounds become the restored bounds of the window's placement; the form keeps its state.
    WINDOWPLACEMENT P;
    GetWindowPlacement(F->Handle(), &P);
    P.rcNormalPosition = RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    SetWindowPlacement(F->Handle(), &P);
  } else {
    F->SetBounds(FLeft, FTop, FWidth, FHeight);
  }
  if ((F->Position() == poScreenCenter || F->Position() == poDesktopCenter) && !F->IsDesigning() && FPositionRead)
    F->SetPosition(poDesigned);
}

void RegisterPropertyInterceptor(TClass TargetClass, TStoragePropertyInterceptorClass InterceptorClass) {
  if (!Registry) Registry = new std::vector<TEntry>();
  std::erase_if(*Registry, [&](const TEntry& E) { return E.Target == TargetClass; });
  Registry->push_back({TargetClass, InterceptorClass});
}

void RemovePropertyInterceptor(TClass TargetClass, TStoragePropertyInterceptorClass InterceptorClass) {
  if (!Registry) return;
  std::erase_if(*Registry,
                [&](const TEntry& E) { return E.Target == TargetClass && E.Interceptor == InterceptorClass; });
}

TStoragePropertyInterceptorClass FindPropertyInterceptor(TClass TargetClass) {
  if (!Registry) return nullptr;
  for (TClass C = TargetClass; C; C = C->Parent)
    for (const TEntry& E : *Registry)
      if (E.Target == C) return E.Interceptor;
  return nullptr;
}

namespace PropFilerX {
void Initialize() {
  RegisterPropertyInterceptor(TCustomForm::StaticClass(), TFormStoragePropertyInterceptor::InterceptorClass());
}
void Finalize() {
  delete Registry;
  Registry = nullptr;
}
}  // namespace PropFilerX
