// A picture of a host with its drop-downs over it, as a user sees them: the drop-downs are top-level
// pop-ups of their own, so each one's pixels are copied in at its screen place over the host's.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/win/testing.h"

class TPopupShotX : public TCustomControl {
  DECLARE_CLASS(TPopupShotX, TCustomControl)
  TPopupShotX(TComponent* AOwner, TWinControl* AHost) : TCustomControl(AOwner), FHost(AHost) {}
  std::vector<TWinControl*> Popups;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE;
    Params.WndParent = nullptr;
  }
  void Paint() override {
    RECT h{};
    GetWindowRect(FHost->Handle(), &h);
    std::vector<TWinControl*> all{FHost};
    all.insert(all.end(), Popups.begin(), Popups.end());
    for (TWinControl* w : all) {
      RECT r{};
      GetWindowRect(w->Handle(), &r);
      HDC src = GetWindowDC(w->Handle());
      BitBlt(Canvas()->Handle(), r.left - h.left, r.top - h.top, r.right - r.left, r.bottom - r.top, src, 0, 0,
             SRCCOPY);
      ReleaseDC(w->Handle(), src);
    }
  }

 private:
  TWinControl* FHost;
};

// Made before anything drops down: a new window takes the activation, which closes a drop-down.
inline TPopupShotX* MakePopupShot(TComponent* Owner, TWinControl* Host, int Top) {
  auto* s = new TPopupShotX(Owner, Host);
  s->SetBounds(0, Top, Host->Width(), Host->Height());
  s->HandleNeeded();
  s->SetVisible(true);
  win::PumpMessages();
  return s;
}

inline bool SavePopupShot(TPopupShotX* S, std::vector<TWinControl*> Popups, const std::string& Name) {
  S->Popups = std::move(Popups);
  win::PumpMessages();
  S->Invalidate();
  win::PumpMessages();
  return win::SaveWindowPng(S->Handle(), win::ArtifactPath(Name));
}
