// Menu items, pop-up menus, their window and the loop that runs while a menu is up.
#include "platform/controls/menus.h"

#include <algorithm>

#include "platform/controls/hints.h"
#include "platform/controls/stdctrls.h"
#include "platform/win/host.h"
#include "platform/win/scrollbars.h"

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  TShortCut s = static_cast<TShortCut>(Key & 0xFF);
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

std::string ShortCutToText(TShortCut Value) {
  WORD key = Value & 0xFF;
  std::string name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    name = std::string(1, static_cast<char>(key));
  else if (key >= VK_F1 && key <= VK_F1 + 23)
    name = "F" + std::to_string(key - VK_F1 + 1);
  else
    switch (key) {
      case VK_BACK: name = "BkSp"; break;
      case VK_TAB: name = "Tab"; break;
      case VK_RETURN: name = "Enter"; break;
      case VK_ESCAPE: name = "Esc"; break;
      case VK_SPACE: name = "Space"; break;
      case VK_PRIOR: name = "PgUp"; break;
      case VK_NEXT: name = "PgDn"; break;
      case VK_END: name = "End"; break;
      case VK_HOME: name = "Home"; break;
      case VK_LEFT: name = "Left"; break;
      case VK_UP: name = "Up"; break;
      case VK_RIGHT: name = "Right"; break;
      case VK_DOWN: name = "Down"; break;
      case VK_INSERT: name = "Ins"; break;
      case VK_DELETE: name = "Del"; break;
      default: return key ? "#" + std::to_string(key) : std::string();
    }
  std::string mods;
  if (Value & scShift) mods += "Shift+";
  if (Value & scCtrl) mods += "Ctrl+";
  if (Value & scAlt) mods += "Alt+";
  return mods + name;
}

// ---------------------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  Clear();
  if (FParent) FParent->Remove(this);
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item || Item->FParent) throw EInvalidOperation("Menu inserted twice");
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  delete item;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::FindShortCut(TShortCut Value) {
  if (!Value) return nullptr;
  for (TMenuItem* i : FItems) {
    if (!i->FVisible || !i->FEnabled) continue;
    if (i->FShortCut == Value) return i;
    if (TMenuItem* deeper = i->FindShortCut(Value)) return deeper;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

// ---------------------------------------------------------------------------------------------------
// TPopupMenuWindow

namespace {
// The caption without its '&' marks ("&&" is one '&'), and the letter after a single '&'.
std::string PlainCaption(const std::string& Caption, char* Accel = nullptr) {
  std::string out;
  if (Accel) *Accel = 0;
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&' && i + 1 < Caption.size()) {
      ++i;
      if (Caption[i] != '&' && Accel && !*Accel) *Accel = static_cast<char>(std::toupper(static_cast<unsigned char>(Caption[i])));
    }
    out += Caption[i];
  }
  return out;
}
constexpr int kCheckArea = 20;  // left of the caption: the check mark
constexpr int kArrowArea = 16;  // right of the shortcut: a child menu's arrow
constexpr int kGap = 24;        // between caption and shortcut
}  // namespace

TPopupMenuWindow::TPopupMenuWindow(TPopupMenu* AMenu, TMenuItem* AItem, TPopupMenuWindow* AParentMenu)
    : TCustomControl(nullptr), FMenu(AMenu), FItem(AItem ? AItem : AMenu->Items()), FParentMenu(AParentMenu) {
  FColor = clMenu;
  FParentColor = false;
  FParentFont = false;
  FFont->SetColor(clMenuText);
  FVisible = false;
  FControlStyle.Exclude(csCaptureMouse);
}

void TPopupMenuWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WndParent = nullptr;
  Params.WindowClassStyle |= CS_SAVEBITS;
}

void TPopupMenuWindow::Layout() {
  FRows.clear();
  FTops.clear();
  SIZE line = MeasureControlText("Ag", FFont.get());
  FRowHeight = line.cy + 6;
  FTextWidth = 0;
  FShortCutWidth = 0;
  int y = 3;
  for (int i = 0; i < FItem->Count(); ++i) {
    TMenuItem* item = FItem->Items(i);
    if (!item->Visible()) continue;
    FRows.push_back(item);
    FTops.push_back(y);
    if (item->IsLine()) {
      y += FLineHeight;
      continue;
    }
    FTextWidth = std::max<int>(FTextWidth, MeasureControlText(PlainCaption(item->Caption()), FFont.get()).cx);
    if (item->ShortCut())
      FShortCutWidth = std::max<int>(FShortCutWidth, MeasureControlText(ShortCutToText(item->ShortCut()), FFont.get()).cx);
    y += FRowHeight;
  }
  FTops.push_back(y);
  int width = 3 + kCheckArea + FTextWidth + (FShortCutWidth ? kGap + FShortCutWidth : 0) + kArrowArea + 3;
  SetBounds(FLeft, FTop, std::max(width, 80), y + 3);
}

TRect TPopupMenuWindow::RowRect(int Row) const {
  if (Row < 0 || Row >= ItemCount()) return TRect();
  return TRect(3, FTops[static_cast<size_t>(Row)], FWidth - 3, FTops[static_cast<size_t>(Row) + 1]);
}

int TPopupMenuWindow::RowAt(int X, int Y) const {
  for (int r = 0; r < ItemCount(); ++r) {
    TRect rr = RowRect(r);
    if (X >= rr.Left && X < rr.Right && Y >= rr.Top && Y < rr.Bottom) return r;
  }
  return -1;
}

void TPopupMenuWindow::Select(int Row) {
  if (Row >= 0 && (Row >= ItemCount() || ItemAt(Row)->IsLine())) Row = -1;
  if (Row == FSelected) return;
  FSelected = Row;
  Invalidate();
}

void TPopupMenuWindow::Step(int Delta) {
  int n = ItemCount();
  if (n == 0) return;
  int r = FSelected;
  for (int tries = 0; tries < n; ++tries) {
    r = r < 0 ? (Delta > 0 ? 0 : n - 1) : (r + Delta + n) % n;
    if (!ItemAt(r)->IsLine() && ItemAt(r)->Enabled()) {
      Select(r);
      return;
    }
  }
}

void TPopupMenuWindow::Choose(int Row) {
  if (Row < 0 || Row >= ItemCount()) return;
  TMenuItem* item = ItemAt(Row);
  if (item->IsLine() || !item->Enabled()) return;
  if (item->Count() > 0) {
    OpenSubMenu(Row, true);
    return;
  }
  FMenu->FChosen = item;
  FMenu->CloseMenu();
}

TPopupMenuWindow::~TPopupMenuWindow() { FSub.reset(); }

TPopupMenuWindow* TPopupMenuWindow::Deepest() {
  TPopupMenuWindow* w = this;
  while (w->FSub && !w->FSub->FClosed) w = w->FSub.get();
  return w;
}

bool TPopupMenuWindow::Owns(HWND Wnd) const {
  if (HandleAllocated() && FHandle == Wnd) return true;
  return FSub && !FSub->FClosed && FSub->Owns(Wnd);
}

void TPopupMenuWindow::OpenSubMenu(int Row, bool SelectFirst) {
  if (Row < 0 || Row >= ItemCount() || ItemAt(Row)->Count() == 0 || !ItemAt(Row)->Enabled()) return;
  if (FSub && !FSub->FClosed && FSubRow == Row) {
    if (SelectFirst && FSub->FSelected < 0) FSub->Step(1);
    return;
  }
  CloseSubMenu();
  // The window of these children is kept while the menu is up, so it is the same each time.
  if (!FSub || FSub->FItem != ItemAt(Row)) FSub = std::make_unique<TPopupMenuWindow>(FMenu, ItemAt(Row), this);
  FSub->FSelected = -1;
  FSubRow = Row;
  FSub->Layout();
  TRect r = RowRect(Row);
  TPoint tl = ClientToScreen(TPoint(FWidth - 3, r.Top - 3));
  int w = FSub->Width(), h = FSub->Height();
  RECT work = WorkAreaAt(tl.X, tl.Y);
  int x = tl.X, y = tl.Y;
  // No room at the right: it opens to the left of this window.
  if (x + w > work.right) x = std::max<int>(work.left, ClientToScreen(TPoint(3, 0)).X - w);
  if (y + h > work.bottom) y = std::max<int>(work.top, work.bottom - h);
  FSub->SetBounds(x, y, w, h);
  FSub->HandleNeeded();
  FSub->FClosed = false;
  SetWindowPos(FSub->Handle(), HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  if (SelectFirst) FSub->Step(1);
}

void TPopupMenuWindow::CloseSubMenu() {
  if (!FSub) return;
  FSub->CloseSubMenu();
  FSub->FClosed = true;
  if (FSub->HandleAllocated())
    SetWindowPos(FSub->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  FSubRow = -1;
}

bool TPopupMenuWindow::MenuKey(WORD Key) {
  switch (Key) {
    case VK_DOWN: Step(1); return true;
    case VK_UP: Step(-1); return true;
    case VK_HOME: FSelected = -1; Step(1); return true;
    case VK_END: FSelected = -1; Step(-1); return true;
    case VK_RETURN:
    case VK_SPACE:
      Choose(FSelected);
      return true;
    case VK_RIGHT:
      OpenSubMenu(FSelected, true);
      return true;
    case VK_LEFT:
      if (FParentMenu) FParentMenu->CloseSubMenu();
      return true;
    case VK_ESCAPE:
      if (FParentMenu)
        FParentMenu->CloseSubMenu();
      else
        FMenu->CloseMenu();
      return true;
    case VK_MENU:
      FMenu->CloseMenu();
      return true;
  }
  return false;
}

bool TPopupMenuWindow::MenuChar(WideChar Ch) {
  if (Ch < 32 || Ch > 126) return false;
  char up = static_cast<char>(std::toupper(static_cast<int>(Ch)));
  for (int r = 0; r < ItemCount(); ++r) {
    char accel = 0;
    PlainCaption(ItemAt(r)->Caption(), &accel);
    if (accel == up && ItemAt(r)->Enabled()) {
      Select(r);
      Choose(r);
      return true;
    }
  }
  return false;
}

void TPopupMenuWindow::MouseMove(TShiftState Shift, int X, int Y) {
  int r = RowAt(X, Y);
  if (r >= 0) {
    Select(r);
    // Resting on an item with children opens them; on another item the open children close.
    if (ItemAt(r)->Count() > 0)
      OpenSubMenu(r, false);
    else if (r != FSubRow)
      CloseSubMenu();
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TPopupMenuWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  int r = RowAt(X, Y);
  if (r >= 0) {
    Select(r);
    Choose(r);
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TPopupMenuWindow::WndProc(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  // Another program took the activation: the menu goes, as a press outside it would close it.
  if (Message.Msg == WM_ACTIVATEAPP && !Message.WParam) FMenu->CloseMenu();
  TCustomControl::WndProc(Message);
}

void TPopupMenuWindow::Paint() {
  HDC dc = Canvas()->Handle();
  RECT all{0, 0, FWidth, FHeight};
  HBRUSH back = CreateSolidBrush(ColorRef(FColor));
  FillRect(dc, &all, back);
  DeleteObject(back);
  DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
  for (int r = 0; r < ItemCount(); ++r) {
    TMenuItem* item = ItemAt(r);
    TRect rr = RowRect(r);
    RECT row{rr.Left, rr.Top, rr.Right, rr.Bottom};
    if (item->IsLine()) {
      RECT l{row.left + 1, (row.top + row.bottom) / 2 - 1, row.right - 1, (row.top + row.bottom) / 2 + 1};
      DrawEdge(dc, &l, EDGE_ETCHED, BF_TOP);
      continue;
    }
    bool selected = r == FSelected;
    TFont font;
    font.Assign(FFont.get());
    if (selected) {
      FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
      font.SetColor(clHighlightText);
    }
    if (item->Checked()) {
      RECT box{row.left + 4, row.top + 4, row.left + kCheckArea - 4, row.bottom - 4};
      HBRUSH mark = CreateSolidBrush(ColorRef(font.Color()));
      POINT tick[3] = {{box.left, (box.top + box.bottom) / 2}, {(box.left + box.right) / 2 - 1, box.bottom - 1},
                       {box.right, box.top}};
      HPEN pen = CreatePen(PS_SOLID, 2, ColorRef(font.Color()));
      HGDIOBJ op = SelectObject(dc, pen);
      Polyline(dc, tick, 3);
      SelectObject(dc, op);
      DeleteObject(pen);
      DeleteObject(mark);
    }
    RECT text{row.left + kCheckArea, row.top, row.right - kArrowArea, row.bottom};
    // The &-letter is underlined as the system draws it (no DT_NOPREFIX).
    DrawControlText(dc, item->Caption(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, &font, item->Enabled());
    if (item->ShortCut())
      DrawControlText(dc, ShortCutToText(item->ShortCut()), text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
                      &font, item->Enabled());
    if (item->Count() > 0) {
      int cx = row.right - kArrowArea / 2, cy = (row.top + row.bottom) / 2;
      POINT tri[3] = {{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 2, cy}};
      HGDIOBJ ob = SelectObject(dc, GetSysColorBrush(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
      HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
      Polygon(dc, tri, 3);
      SelectObject(dc, ob);
      SelectObject(dc, op);
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {}

TPopupMenu::~TPopupMenu() { FWindow.reset(); }

bool TPopupMenu::IsOpen() const { return FWindow && !FWindow->Closed(); }

void TPopupMenu::ShowAt(int X, int Y) {
  if (!FWindow) FWindow = std::make_unique<TPopupMenuWindow>(this);
  FChosen = nullptr;
  FWindow->FSelected = -1;
  FWindow->Layout();
  int w = FWindow->Width(), h = FWindow->Height();
  int x = FAlignment == paRight ? X - w : FAlignment == paCenter ? X - w / 2 : X;
  int y = Y;
  RECT work = WorkAreaAt(X, Y);
  if (x + w > work.right) x = work.right - w;
  if (x < work.left) x = work.left;
  if (y + h > work.bottom) y = std::max<int>(work.top, Y - h);  // no room below: it opens upwards
  FWindow->SetBounds(x, y, w, h);
  FWindow->HandleNeeded();
  FWindow->FClosed = false;
  SetWindowPos(FWindow->Handle(), HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FWindow->Invalidate();
}

void TPopupMenu::CloseMenu() {
  if (!FWindow) return;
  FWindow->CloseSubMenu();
  FWindow->FClosed = true;
  if (FWindow->HandleAllocated())
    SetWindowPos(FWindow->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

void TPopupMenu::Popup(int X, int Y) {
  Hints::CancelHint();
  if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE, 0, 0);
  if (OnPopup) OnPopup(this);
  ShowAt(X, Y);
  bool quit = false;
  int quitCode = 0;
  while (!FWindow->Closed()) {
    MSG msg;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // Headless, nothing more will come: the user went away.
      if (!win::CurrentHost()) break;
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      quit = true;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    bool press = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN || msg.message == WM_MBUTTONDOWN ||
                 msg.message == WM_LBUTTONDBLCLK || msg.message == WM_RBUTTONDBLCLK ||
                 msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN;
    if (press && !FWindow->Owns(msg.hwnd)) {
      // Outside the menu: it closes, and the press goes where it was meant to after all.
      CloseMenu();
      PostMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
      break;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      TranslateMessage(&msg);  // its character comes next and may pick an item by its letter
      FWindow->Deepest()->MenuKey(static_cast<WORD>(msg.wParam));
      continue;
    }
    if (msg.message == WM_CHAR) {
      FWindow->Deepest()->MenuChar(static_cast<WideChar>(msg.wParam));
      continue;
    }
    if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP || msg.message == WM_SYSCHAR) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    if (!FWindow) return;
  }
  TMenuItem* chosen = FChosen;
  CloseMenu();
  if (quit) PostQuitMessage(quitCode);
  if (OnClose) OnClose(this);
  if (chosen) chosen->Click();
}

bool TPopupMenu::IsShortCut(WORD Key, TShiftState Shift) {
  TMenuItem* item = FItems->FindShortCut(::ShortCut(Key, Shift));
  if (!item) return false;
  item->Click();
  return true;
}

int ScrollBarMenuChoice(HWND /*Wnd*/, bool Vertical, POINT Screen) {
  struct Entry {
    const char* vertical;
    const char* horizontal;
    int code;
  };
  static const Entry entries[] = {{"Scroll Here", "Scroll Here", win::kScrollHere},
                                  {"-", "-", -1},
                                  {"Top", "Left Edge", SB_TOP},
                                  {"Bottom", "Right Edge", SB_BOTTOM},
                                  {"-", "-", -1},
                                  {"Page Up", "Page Left", SB_PAGEUP},
                                  {"Page Down", "Page Right", SB_PAGEDOWN},
                                  {"-", "-", -1},
                                  {"Scroll Up", "Scroll Left", SB_LINEUP},
                                  {"Scroll Down", "Scroll Right", SB_LINEDOWN}};
  TPopupMenu menu(nullptr);
  int chosen = -1;
  for (const Entry& e : entries) {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(Vertical ? e.vertical : e.horizontal);
    int code = e.code;
    item->OnClick = [&chosen, code](TObject*) { chosen = code; };
    menu.Items()->Add(item);
  }
  menu.Popup(Screen.x, Screen.y);
  return chosen;
}
