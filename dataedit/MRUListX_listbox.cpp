// The MRU drop-down: the pick list with its own scroll bar beside the size grip.
#include "dataedit/MRUListX.h"
#include "platform/controls/scrollbars.h"

TMRUListboxX::TMRUListboxX(TComponent* AOwner) : TPopupListboxX(AOwner) {
  FScrollBar = new TScrollBar(this);
  FScrollBar->SetKind(sbVertical);
  FScrollBar->SetTabStop(false);
  FScrollBar->SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), 10);
  // Scrolling the bar scrolls the list.
  FScrollBar->OnScroll = [this](TObject*, TScrollCode, int& Pos) {
    if (!FLock) SetTopIndex(Pos);
  };
  FScrollBar->SetParent(this);
}

void TMRUListboxX::Resize() {
  TPopupListboxX::Resize();
  UpdateScrollBar();
}

void TMRUListboxX::Dispatch(TMessage& Message) {
  TPopupListboxX::Dispatch(Message);
  if (Message.Msg == WM_DROPDOWNSIDE || Message.Msg == WM_MOUSEWHEEL || Message.Msg == WM_SIZE) UpdateScrollBar();
}

void TMRUListboxX::UpdateScrollBar() {
  if (!FScrollBar) return;
  TSizeGripX* Grip = SizeGrip();
  const int CW = ClientWidth(), CH = ClientHeight(), SW = FScrollBar->Width();
  int Top = 0, Bottom = CH;
  if (Grip->Corner() == 2) Bottom = CH - Grip->Height();
  else if (Grip->Corner() == 1) Top = Grip->Height();
  FLock = true;
  FScrollBar->SetBounds(CW - SW, Top, SW, std::max(0, Bottom - Top));
  FScrollBar->SetPageSize(0);
  const int IH = ItemHeight() > 0 ? ItemHeight() : 16;
  const int Visible = CH / IH;
  if (Count() > 0 && Visible < Count()) {
    FScrollBar->SetParams(TopIndex(), 0, Count() - 1);
    FScrollBar->SetPageSize(Visible);
    FScrollBar->SetVisible(true);
    Grip->SetTriangular(Grip->Corner() == 0 || Grip->Corner() == 3);
  } else {
    FScrollBar->SetVisible(false);
    Grip->SetTriangular(true);
  }
  FLock = false;
}
