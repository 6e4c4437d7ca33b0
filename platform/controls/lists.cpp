// The single-selection list box: items, selection, scrolling, owner drawing and the LB_ messages.
#include "platform/controls/lists.h"

#include <algorithm>
#include <cstring>

namespace {

int FontHeight(TFont* Font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

bool StartsWithText(const std::string& S, const std::string& Prefix) {
  std::string s = AnsiUpperCase(S), p = AnsiUpperCase(Prefix);
  return s.compare(0, p.size(), p) == 0;
}

}  // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()), FCanvas(std::make_unique<TCanvas>()) {
  FControlStyle = TControlStyle{csSetCaption, csOpaque, csCaptureMouse};
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FItems->OnChange = [this](TObject* Sender) { ItemsChanged(Sender); };
}

TCustomListBox::~TCustomListBox() { FItems->OnChange = nullptr; }

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
  if (FStyle == lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED;
  if (Sorted()) Params.Style |= LBS_SORT;
  if (FBorderStyle) {
    if (FCtl3D)
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  // A list made without its own scroll bar (a descendant that brings one of its own) never shows it.
  FHasScrollBar = (GetWindowLong(FHandle, GWL_STYLE) & WS_VSCROLL) != 0;
  FFocusDrawn = false;
  UpdateScrollBar();
}

int TCustomListBox::ItemHeight() const {
  return FStyle == lbOwnerDrawFixed ? FItemHeight : FontHeight(FFont.get());
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || Value == FItemHeight) return;
  FItemHeight = Value;
  SetTopIndex(FTopIndex);
  UpdateScrollBar();
  Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  if (FHandle) RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (Value == Sorted()) return;
  std::string current = FItemIndex >= 0 ? FItems->Strings(FItemIndex) : std::string();
  bool had = FItemIndex >= 0;
  FItems->SetSorted(Value);
  if (had) FItemIndex = FItems->IndexOf(current);
  Invalidate();
}

void TCustomListBox::SetBorderStyle(int Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (FHandle) RecreateWnd();
}

TRect TCustomListBox::ClientRect() const { return TRect(0, 0, ClientWidthNow(), ClientHeightNow()); }

TPoint TCustomListBox::ClientOrigin() const {
  if (!FHandle) return TWinControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(FHandle, &p);
  return TPoint(p.x, p.y);
}

int TCustomListBox::ClientHeightNow() const {
  if (!FHandle) return std::max(0, FHeight - (FBorderStyle ? (FCtl3D ? 4 : 2) : 0));
  RECT r;
  GetClientRect(FHandle, &r);
  return r.bottom - r.top;
}

int TCustomListBox::ClientWidthNow() const {
  if (!FHandle) return std::max(0, FWidth - (FBorderStyle ? (FCtl3D ? 4 : 2) : 0));
  RECT r;
  GetClientRect(FHandle, &r);
  return r.right - r.left;
}

int TCustomListBox::VisibleCount() const { return std::max(1, ClientHeightNow() / std::max(1, ItemHeight())); }

int TCustomListBox::MaxTopIndex() const { return std::max(0, Count() - VisibleCount()); }

void TCustomListBox::SetTopIndex(int Value) {
  int v = std::clamp(Value, 0, MaxTopIndex());
  if (v == FTopIndex) return;
  FTopIndex = v;
  UpdateScrollBar();
  Invalidate();
}

void TCustomListBox::SetItemIndex(int Value) {
  int v = (Value < 0 || Value >= Count()) ? -1 : Value;
  if (v == FItemIndex) return;
  FItemIndex = v;
  if (v >= 0) {
    if (v < FTopIndex)
      SetTopIndex(v);
    else if (v >= FTopIndex + VisibleCount())
      SetTopIndex(v - VisibleCount() + 1);
  }
  Invalidate();
}

TRect TCustomListBox::ItemRect(int Index) const {
  int h = ItemHeight();
  int top = (Index - FTopIndex) * h;
  return TRect(0, top, ClientWidthNow(), top + h);
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) const {
  if (Pos.X < 0 || Pos.X >= ClientWidthNow() || Pos.Y < 0) return -1;
  int i = FTopIndex + Pos.Y / std::max(1, ItemHeight());
  if (i < Count()) return i;
  return Existing ? -1 : Count();
}

void TCustomListBox::ItemsChanged(TObject* /*Sender*/) {
  if (FItemIndex >= Count()) FItemIndex = -1;
  FTopIndex = std::clamp(FTopIndex, 0, MaxTopIndex());
  UpdateScrollBar();
  Invalidate();
}

void TCustomListBox::UpdateScrollBar() {
  if (!FHandle || !FHasScrollBar) return;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(0, Count() - 1);
  si.nPage = static_cast<UINT>(VisibleCount());
  si.nPos = FTopIndex;
  SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
}

void TCustomListBox::Resize() {
  FTopIndex = std::clamp(FTopIndex, 0, MaxTopIndex());
  UpdateScrollBar();
  TWinControl::Resize();
}

void TCustomListBox::FontChanged() {
  TWinControl::FontChanged();
  UpdateScrollBar();
}

void TCustomListBox::Notify(WORD Code) {
  HWND parent = FHandle ? GetParent(FHandle) : nullptr;
  if (parent)
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<DWORD>(GetDlgCtrlID(FHandle)), Code),
                reinterpret_cast<LPARAM>(FHandle));
  else
    Perform(CN_COMMAND, MAKEWPARAM(0, Code), 0);
}

void TCustomListBox::UserSelect(int Index) {
  if (Index < 0 || Index >= Count() || Index == FItemIndex) return;
  SetItemIndex(Index);
  Notify(LBN_SELCHANGE);
}

void TCustomListBox::EraseBackground(HDC /*DC*/) {}

void TCustomListBox::PaintWindow(HDC DC) {
  const int h = ItemHeight(), w = ClientWidthNow(), ch = ClientHeightNow();
  int y = 0;
  for (int i = FTopIndex; i < Count() && y < ch; ++i, y += h) PaintItem(DC, i);
  if (y < ch) {
    HBRUSH b = CreateSolidBrush(ColorRef(FColor));
    RECT rest{0, y, w, ch};
    FillRect(DC, &rest, b);
    DeleteObject(b);
  }
}

void TCustomListBox::PaintItem(HDC DC, int Index) {
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_LISTBOX;
  dis.CtlID = static_cast<UINT>(GetDlgCtrlID(FHandle));
  dis.itemID = static_cast<UINT>(Index);
  dis.itemAction = ODA_DRAWENTIRE;
  if (Index == FItemIndex) dis.itemState |= ODS_SELECTED;
  if (Index == std::max(FItemIndex, 0) && FFocusDrawn) dis.itemState |= ODS_FOCUS;
  if (!FEnabled) dis.itemState |= ODS_DISABLED;
  dis.hwndItem = FHandle;
  dis.hDC = DC;
  dis.rcItem = ItemRect(Index);
  dis.itemData = reinterpret_cast<ULONG_PTR>(FItems->Objects(Index));
  HWND parent = GetParent(FHandle);
  if (FStyle == lbOwnerDrawFixed && parent)
    SendMessage(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
  else
    DrawItemStruct(dis);
}

void TCustomListBox::DrawItemStruct(const DRAWITEMSTRUCT& Dis) {
  TOwnerDrawState state;
  if (Dis.itemState & ODS_SELECTED) state.Include(odSelected);
  if (Dis.itemState & ODS_FOCUS) state.Include(odFocused);
  if (Dis.itemState & ODS_DISABLED) state.Include(odDisabled);
  const int saved = SaveDC(Dis.hDC);
  FCanvas->SetHandle(Dis.hDC);
  FCanvas->Font()->Assign(FFont.get());
  UpdateTextFlags(FCanvas.get());
  FCanvas->Brush()->SetStyle(bsSolid);
  if (state.Contains(odSelected)) {
    FCanvas->Brush()->SetColor(clHighlight);
    FCanvas->Font()->SetColor(clHighlightText);
  } else {
    FCanvas->Brush()->SetColor(FColor);
  }
  TRect r(Dis.rcItem);
  try {
    DrawItem(static_cast<int>(Dis.itemID), r, state);
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    RestoreDC(Dis.hDC, saved);
    throw;
  }
  if (state.Contains(odFocused)) {
    const TRect f = ItemFocusRect(static_cast<int>(Dis.itemID), TRect(Dis.rcItem));
    RECT fr{f.Left, f.Top, f.Right, f.Bottom};
    DrawFocusRect(Dis.hDC, &fr);
  }
  FCanvas->SetHandle(nullptr);
  RestoreDC(Dis.hDC, saved);
}

TRect TCustomListBox::ItemFocusRect(int /*Index*/, const TRect& Rect) { return Rect; }

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < 0 || Index >= Count()) return;
  // The text 2 pixels in from the left (from the right under right-to-left alignment), centred in the row.
  const std::string text = FItems->Strings(Index);
  const int y = Rect.Top + (Rect.Height() - FCanvas->TextHeight(text.empty() ? std::string("W") : text)) / 2;
  const int x = UseRightToLeftAlignment() ? Rect.Right - 2 - FCanvas->TextWidth(text) : Rect.Left + 2;
  FCanvas->TextRect(Rect, x, y, text);
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_CTL3DCHANGED:
      // The border is a sunken edge or a single line: the window is made again with the other one.
      if (FBorderStyle && FHandle) RecreateWnd();
      TWinControl::Dispatch(Message);
      return;
    case WM_CHAR:
      DefaultHandler(Message);
      return;
    case CN_COMMAND:
      switch (HIWORD(static_cast<DWORD>(Message.WParam))) {
        case LBN_SELCHANGE: Click(); break;
        case LBN_DBLCLK: DblClick(); break;
        default: break;
      }
      return;
    case CN_DRAWITEM:
      if (auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam)) DrawItemStruct(*dis);
      Message.Result = TRUE;
      return;
    case WM_MOUSEWHEEL: {
      // OnMouseWheel and descendants first (DoMouseWheel), else the list's own scrolling.
      TShiftState shift = KeysToShiftState(GET_KEYSTATE_WPARAM(Message.WParam));
      TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      if (DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(Message.WParam), p))
        Message.Result = 1;
      else
        DefaultHandler(Message);
      return;
    }
    default:
      TWinControl::Dispatch(Message);
  }
}

void TCustomListBox::DefaultHandler(TMessage& Message) {
  const int count = Count();
  auto text = [&](LPARAM p) { return std::string(p ? reinterpret_cast<const char*>(p) : ""); };
  auto findFrom = [&](int Start, const std::string& Prefix, bool Exact) -> int {
    if (count == 0) return -1;
    int first = (Start < 0 || Start >= count) ? 0 : Start + 1;
    for (int k = 0; k < count; ++k) {
      int i = (first + k) % count;
      const std::string s = FItems->Strings(i);
      if (Exact ? AnsiSameText(s, Prefix) : StartsWithText(s, Prefix)) return i;
    }
    return -1;
  };
  switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The list draws its focus rectangle while its own procedure holds the focus.
      FFocusDrawn = Message.Msg == WM_SETFOCUS;
      Invalidate();
      break;
    case WM_MOUSEWHEEL: {
      int notches = GET_WHEEL_DELTA_WPARAM(Message.WParam) / WHEEL_DELTA;
      SetTopIndex(FTopIndex - 3 * notches);
      Message.Result = 1;
      return;
    }
    case WM_KEYDOWN: {
      int page = std::max(1, VisibleCount() - 1), i = FItemIndex;
      switch (Message.WParam) {
        case VK_UP: UserSelect(i < 0 ? 0 : std::max(0, i - 1)); break;
        case VK_DOWN: UserSelect(std::min(count - 1, i + 1)); break;
        case VK_PRIOR: UserSelect(std::max(0, i - page)); break;
        case VK_NEXT: UserSelect(std::min(count - 1, std::max(i, 0) + page)); break;
        case VK_HOME: UserSelect(0); break;
        case VK_END: UserSelect(count - 1); break;
        default: break;
      }
      return;
    }
    case WM_CHAR: {
      char16_t c = static_cast<char16_t>(Message.WParam);
      if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) return;
      int found = findFrom(FItemIndex, Utf16ToUtf8(std::u16string(1, c)), false);
      if (found >= 0) UserSelect(found);
      return;
    }
    case WM_LBUTTONDOWN: {
      int i = ItemAtPos(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)), true);
      FTracking = true;
      UserSelect(i);
      return;
    }
    case WM_MOUSEMOVE:
      if (FTracking && (Message.WParam & MK_LBUTTON)) {
        int y = GET_Y_LPARAM(Message.LParam);
        // Dragging past the top or bottom edge scrolls one item at a time.
        if (y < 0 && FItemIndex > 0)
          UserSelect(FItemIndex - 1);
        else if (y >= ClientHeightNow() && FItemIndex + 1 < count)
          UserSelect(FItemIndex + 1);
        else
          UserSelect(ItemAtPos(TPoint(std::clamp(GET_X_LPARAM(Message.LParam), 0, ClientWidthNow() - 1), y), true));
      }
      return;
    case WM_LBUTTONUP:
      FTracking = false;
      return;
    case WM_LBUTTONDBLCLK:
      if (ItemAtPos(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)), true) >= 0)
        Notify(LBN_DBLCLK);
      return;
    case WM_VSCROLL: {
      int code = LOWORD(static_cast<DWORD>(Message.WParam));
      int pos = static_cast<short>(HIWORD(static_cast<DWORD>(Message.WParam)));
      int page = std::max(1, VisibleCount() - 1);
      switch (code) {
        case SB_LINEUP: SetTopIndex(FTopIndex - 1); break;
        case SB_LINEDOWN: SetTopIndex(FTopIndex + 1); break;
        case SB_PAGEUP: SetTopIndex(FTopIndex - page); break;
        case SB_PAGEDOWN: SetTopIndex(FTopIndex + page); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: SetTopIndex(pos); break;
        case SB_TOP: SetTopIndex(0); break;
        case SB_BOTTOM: SetTopIndex(MaxTopIndex()); break;
        default: break;
      }
      return;
    }
    case LB_ADDSTRING:
      Message.Result = FItems->Add(text(Message.LParam));
      return;
    case LB_INSERTSTRING: {
      int i = static_cast<int>(static_cast<std::intptr_t>(Message.WParam));
      if (i > count) {
        Message.Result = LB_ERR;
        return;
      }
      if (i < 0) i = count;
      if (Sorted()) {
        Message.Result = FItems->Add(text(Message.LParam));
      } else {
        FItems->Insert(i, text(Message.LParam));
        Message.Result = i;
      }
      return;
    }
    case LB_DELETESTRING: {
      int i = static_cast<int>(Message.WParam);
      if (i < 0 || i >= count) {
        Message.Result = LB_ERR;
        return;
      }
      FItems->Delete(i);
      Message.Result = Count();
      return;
    }
    case LB_RESETCONTENT:
      FItems->Clear();
      return;
    case LB_GETCOUNT:
      Message.Result = count;
      return;
    case LB_SETCURSEL: {
      int i = static_cast<int>(static_cast<std::intptr_t>(Message.WParam));
      SetItemIndex(i);
      Message.Result = (i < 0 || i >= count) ? LB_ERR : i;
      return;
    }
    case LB_GETCURSEL:
      Message.Result = FItemIndex;
      return;
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
      int i = static_cast<int>(Message.WParam);
      if (i < 0 || i >= count) {
        Message.Result = LB_ERR;
        return;
      }
      std::string s = FItems->Strings(i);
      if (Message.Msg == LB_GETTEXT && Message.LParam) std::memcpy(reinterpret_cast<char*>(Message.LParam), s.c_str(), s.size() + 1);
      Message.Result = static_cast<LRESULT>(s.size());
      return;
    }
    case LB_SELECTSTRING: {
      int found = findFrom(static_cast<int>(static_cast<std::intptr_t>(Message.WParam)), text(Message.LParam), false);
      if (found >= 0) SetItemIndex(found);
      Message.Result = found >= 0 ? found : LB_ERR;
      return;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
      int found = findFrom(static_cast<int>(static_cast<std::intptr_t>(Message.WParam)), text(Message.LParam),
                           Message.Msg == LB_FINDSTRINGEXACT);
      Message.Result = found >= 0 ? found : LB_ERR;
      return;
    }
    case LB_GETTOPINDEX:
      Message.Result = FTopIndex;
      return;
    case LB_SETTOPINDEX: {
      int i = static_cast<int>(Message.WParam);
      if (i < 0 || (i >= count && count > 0)) {
        Message.Result = LB_ERR;
        return;
      }
      SetTopIndex(i);
      return;
    }
    case LB_GETITEMRECT: {
      int i = static_cast<int>(Message.WParam);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      if (i < 0 || i >= count || !r) {
        Message.Result = LB_ERR;
        return;
      }
      *r = ItemRect(i);
      Message.Result = 1;
      return;
    }
    case LB_GETITEMDATA:
    case LB_SETITEMDATA: {
      int i = static_cast<int>(Message.WParam);
      if (i < 0 || i >= count) {
        Message.Result = LB_ERR;
        return;
      }
      if (Message.Msg == LB_SETITEMDATA)
        FItems->SetObjects(i, reinterpret_cast<TObject*>(Message.LParam));
      else
        Message.Result = reinterpret_cast<LRESULT>(FItems->Objects(i));
      return;
    }
    case LB_GETITEMHEIGHT:
      Message.Result = ItemHeight();
      return;
    case LB_SETITEMHEIGHT:
      if (FStyle == lbOwnerDrawFixed) SetItemHeight(static_cast<int>(LOWORD(static_cast<DWORD>(Message.LParam))));
      return;
    case LB_ITEMFROMPOINT: {
      TPoint p(static_cast<short>(LOWORD(static_cast<DWORD>(Message.LParam))),
               static_cast<short>(HIWORD(static_cast<DWORD>(Message.LParam))));
      int i = ItemAtPos(p, true);
      bool outside = i < 0;
      if (outside) i = std::clamp(FTopIndex + p.Y / std::max(1, ItemHeight()), 0, std::max(0, count - 1));
      Message.Result = MAKELRESULT(static_cast<DWORD>(i), outside ? 1u : 0u);
      return;
    }
    default:
      break;
  }
  TWinControl::DefaultHandler(Message);
}
