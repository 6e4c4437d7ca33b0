// The one-line edit window (TCustomEdit) and the mask edit (TCustomMaskEdit).
#include "platform/controls/edits.h"

#include <algorithm>

#include "platform/controls/themes.h"
#include "platform/graphics/clipbrd.h"

namespace {

constexpr UINT_PTR kBlinkTimer = 0x4544;  // the edit's caret blink timer on its own window
constexpr UINT kBlinkMs = 530;
constexpr UINT CM_REENTEREDIT = CM_BASE + 0x70;  // posted to take the focus back after a failed check

std::u32string U32(const std::string& S) { return Utf8ToUtf32(S); }
std::string U8(const std::u32string& S) { return Utf32ToUtf8(S); }

char32_t CaseOf(char32_t C, TEditCharCase Case) {
  if (Case == ecNormal || C < 0x41) return C;
  std::string s = U8(std::u32string(1, C));
  std::u32string u = U32(Case == ecUpperCase ? AnsiUpperCase(s) : AnsiLowerCase(s));
  return u.size() == 1 ? u[0] : C;
}

bool IsWordChar(char32_t C) {
  return C > 0x7F || (C >= U'0' && C <= U'9') || (C >= U'A' && C <= U'Z') || (C >= U'a' && C <= U'z') || C == U'_';
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FCursor = crIBeam;
  FEditStyle = ES_LEFT | ES_AUTOHSCROLL;
}

TCustomEdit::~TCustomEdit() = default;

std::string TCustomEdit::Text() const { return U8(FChars); }

void TCustomEdit::SetText(const std::string& Value) {
  std::u32string v = U32(Value);
  if (v == FChars) return;
  if (FHandle)
    SetWindowText(FHandle, Value.c_str());
  else
    StoreText(v, 0, false);
}

int TCustomEdit::CaretPos() const { return static_cast<int>(U8(FChars.substr(0, FCaret)).size()); }
int TCustomEdit::SelStart() const { return static_cast<int>(std::min(FCaret, FAnchor)); }
int TCustomEdit::SelLength() const { return static_cast<int>(FCaret > FAnchor ? FCaret - FAnchor : FAnchor - FCaret); }

void TCustomEdit::SetSelStart(int Value) {
  size_t p = static_cast<size_t>(std::max(Value, 0));
  SetSelection(p, p);
}

void TCustomEdit::SetSelLength(int Value) {
  size_t a = std::min(FCaret, FAnchor);
  SetSelection(a, static_cast<size_t>(std::max(0, static_cast<int>(a) + Value)));
}

std::string TCustomEdit::SelText() const {
  size_t a = std::min(FCaret, FAnchor), b = std::max(FCaret, FAnchor);
  return U8(FChars.substr(a, b - a));
}

void TCustomEdit::SetSelText(const std::string& Value) {
  if (FHandle) {
    SendMessage(FHandle, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
    return;
  }
  TMessage m{EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()), 0};
  WndProc(m);
}

void TCustomEdit::SelectAll() { SetSelection(0, FChars.size()); }

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }
void TCustomEdit::Undo() { Perform(WM_UNDO); }

void TCustomEdit::SetMaxLength(int Value) { FMaxLength = std::max(Value, 0); }

void TCustomEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  SetWindowReadOnly(Value);
}

void TCustomEdit::SetWindowReadOnly(bool Value) {
  FWindowReadOnly = Value;
  if (FHandle) {
    LONG s = GetWindowLong(FHandle, GWL_STYLE);
    SetWindowLong(FHandle, GWL_STYLE, Value ? (s | ES_READONLY) : (s & ~static_cast<LONG>(ES_READONLY)));
  }
  Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (Value == FCharCase) return;
  FCharCase = Value;
  if (Value == ecNormal) return;
  std::u32string t = FChars;
  for (char32_t& c : t) c = CaseOf(c, Value);
  if (t != FChars) SetText(U8(t));
}

void TCustomEdit::SetPasswordChar(char32_t Value) {
  if (Value == FPasswordChar) return;
  FPasswordChar = Value;
  ScrollToCaret();
  Invalidate();
  UpdateCaret();
}

void TCustomEdit::SetHideSelection(bool Value) {
  FHideSelection = Value;
  Invalidate();
}

void TCustomEdit::SetBorderStyle(int Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (FHandle) RecreateWnd();
  AdjustSize();
  Invalidate();
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (FBorderStyle) {
    if (FCtl3D)
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

TRect TCustomEdit::ClientRect() const {
  if (FHandle) {
    RECT r;
    GetClientRect(FHandle, &r);
    return TRect(r);
  }
  // A flat single border lies inside the client area.
  int b = FBorderStyle && FCtl3D ? 2 : 0;
  return TRect(0, 0, std::max(0, FWidth - 2 * b), std::max(0, FHeight - 2 * b));
}

TPoint TCustomEdit::ClientOrigin() const {
  if (!FHandle) return TWinControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(FHandle, &p);
  return TPoint(p.x, p.y);
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  // As the system's edit does, the edit draws a single-line border (WS_BORDER) itself, inside its
  // client area: the window keeps no frame for it.
  const DWORD style = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  FFlatBorder = (style & WS_BORDER) != 0;
  if (FFlatBorder) {
    SetWindowLong(FHandle, GWL_STYLE, static_cast<LONG>(style & ~WS_BORDER));
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The window keeps the ES_ styles it was made with, as the system's edit does.
  FEditStyle = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE)) & 0xFFFF;
  FWindowReadOnly = (FEditStyle & ES_READONLY) != 0;
  // A new window starts with the default formatting rectangle and margins.
  FRectSet = false;
  FLeftMargin = FRightMargin = 1;
  FTopLine = 0;
  SyncWindowText();
  FScroll = 0;
  ScrollToCaret();
}

void TCustomEdit::DestroyWnd() {
  DestroySystemCaret();
  TWinControl::DestroyWnd();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::NotifyChange(WORD Code) {
  HWND parent = FHandle ? GetParent(FHandle) : nullptr;
  if (parent)
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<DWORD>(GetDlgCtrlID(FHandle)), Code),
                reinterpret_cast<LPARAM>(FHandle));
  else
    Perform(CN_COMMAND, MAKEWPARAM(0, Code), 0);
}

void TCustomEdit::SyncWindowText() {
  FText = U8(FChars);
  if (!FHandle) return;
  TMessage m{WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FText.c_str()), 0};
  TWinControl::DefaultHandler(m);
}

void TCustomEdit::AfterTextEdit() {
  SyncWindowText();
  ScrollToCaret();
  Invalidate();
  UpdateCaret();
  NotifyChange();
}

void TCustomEdit::StoreText(const std::u32string& Value, size_t CaretAt, bool UserChange, bool MergeUndo) {
  if (Value == FChars) {
    SetSelection(CaretAt, CaretAt);
    return;
  }
  if (UserChange) {
    SaveUndo(MergeUndo);
    FModified = true;
  } else {
    FUndoValid = false;
    FModified = false;
  }
  FChars = Value;
  FCaret = FAnchor = std::min(CaretAt, FChars.size());
  FLastWasTyping = UserChange && MergeUndo;
  if (!UserChange) FScroll = FTopLine = 0;
  AfterTextEdit();
}

void TCustomEdit::SaveUndo(bool Merge) {
  if (!(Merge && FLastWasTyping && FUndoValid)) {
    FUndoChars = FChars;
    FUndoCaret = FCaret;
    FUndoAnchor = FAnchor;
    FUndoValid = true;
  }
  FLastWasTyping = Merge;
}

bool TCustomEdit::ReplaceSelection(const std::u32string& S, bool UserChange, bool MergeUndo) {
  if (UserChange && FWindowReadOnly) return false;
  size_t a = std::min(FCaret, FAnchor), b = std::max(FCaret, FAnchor);
  std::u32string ins = S;
  for (char32_t& c : ins) c = CaseOf(c, FCharCase);
  if (FMaxLength > 0) {
    size_t rest = FChars.size() - (b - a);
    size_t room = static_cast<size_t>(FMaxLength) > rest ? static_cast<size_t>(FMaxLength) - rest : 0;
    if (ins.size() > room) {
      ins.resize(room);
      MessageBeep(0);
      NotifyChange(EN_MAXTEXT);
    }
  }
  if (ins.empty() && a == b) return false;
  SaveUndo(MergeUndo && a == b);
  FChars.replace(a, b - a, ins);
  FCaret = FAnchor = a + ins.size();
  FModified = true;
  AfterTextEdit();
  return true;
}

void TCustomEdit::SetSelection(size_t Anchor, size_t Caret) {
  Anchor = std::min(Anchor, FChars.size());
  Caret = std::min(Caret, FChars.size());
  FLastWasTyping = false;
  if (Anchor == FAnchor && Caret == FCaret) {
    UpdateCaret();
    return;
  }
  FAnchor = Anchor;
  FCaret = Caret;
  ScrollToCaret();
  Invalidate();
  UpdateCaret();
}

bool TCustomEdit::ClipboardText(std::string& Text) {
  TClipboard* c = Clipboard();
  if (!c->HasFormat(CF_TEXT) && !c->HasFormat(CF_UNICODETEXT)) return false;
  Text = c->AsText();
  return true;
}

void TCustomEdit::SetClipboardText(const std::string& Text) { Clipboard()->SetAsText(Text); }

std::u32string TCustomEdit::DisplayChars() const {
  if (FPasswordChar) return std::u32string(FChars.size(), FPasswordChar);
  return FChars;
}

// Measures pieces of the shown text with one DC and the edit's font. A line reading right to left is
// laid out whole by the bidirectional rules: its caret positions and characters' extents come from that
// layout (kept for the last line asked about); left to right they are the widths of the text before.
class TCustomEdit::TMeasure {
 public:
  TMeasure(TFont* Font, const std::u32string& Shown, bool RightToLeft = false)
      : FShown(Shown), FRtl(RightToLeft) {
    FDC = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDC, Font->Handle());
  }
  ~TMeasure() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  int Width(size_t From, size_t To) {
    if (To <= From) return 0;
    std::string s = U8(FShown.substr(From, To - From));
    SIZE sz{0, 0};
    GetTextExtentPoint32(FDC, s.c_str(), static_cast<int>(s.size()), &sz);
    return sz.cx;
  }
  // The line [Start, End) as shown: its width, the caret's x before character Index (from the line's
  // left edge) and the left and right edge of character Index.
  int LineWidth(size_t Start, size_t End) {
    if (!FRtl) return Width(Start, End);
    Layout(Start, End);
    return FLineWidth;
  }
  int CaretX(size_t Start, size_t End, size_t Index) {
    if (!FRtl) return Width(Start, Index);
    Layout(Start, End);
    return FCaretX[std::min(Index, End) - Start];
  }
  void CharSpan(size_t Start, size_t End, size_t Index, int& Left, int& Right) {
    Layout(Start, End);
    Left = FLeft[Index - Start];
    Right = FRight[Index - Start];
  }

 private:
  void Layout(size_t Start, size_t End) {
    if (FLaidOut && FStart == Start && FEnd == End) return;
    FLaidOut = true;
    FStart = Start;
    FEnd = End;
    const size_t n = End - Start;
    FCaretX.assign(n + 1, 0);
    FLeft.assign(n, 0);
    FRight.assign(n, 0);
    const std::string s = U8(FShown.substr(Start, n));
    FLineWidth = GetTextCaretPositions(FDC, s.c_str(), static_cast<int>(s.size()), ETO_RTLREADING, FCaretX.data(),
                                       FLeft.data(), FRight.data());
  }
  const std::u32string& FShown;
  bool FRtl;
  HDC FDC;
  HGDIOBJ FOld;
  bool FLaidOut = false;
  size_t FStart = 0, FEnd = 0;
  int FLineWidth = 0;
  std::vector<int> FCaretX, FLeft, FRight;
};

int TCustomEdit::TextHeight() {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FFont->Handle());
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

RECT TCustomEdit::TextRect() {
  RECT r;
  r = FRectSet ? FFormatRect : static_cast<RECT>(ClientRect());
  if (!FRectSet && FFlatBorder) InflateRect(&r, -1, -1);
  r.left += FLeftMargin;
  r.right -= FRightMargin;
  if (r.right < r.left) r.right = r.left;
  return r;
}

std::vector<TCustomEdit::TEditLine> TCustomEdit::Lines() {
  std::vector<TEditLine> lines;
  const size_t n = FChars.size();
  if (!IsMultiLine()) {
    lines.push_back({0, n});
    return lines;
  }
  const std::u32string shown = DisplayChars();
  TMeasure m(FFont.get(), shown);
  RECT tr = TextRect();
  const int avail = std::max(1, static_cast<int>(tr.right - tr.left));
  const bool wrap = Wraps();
  size_t start = 0;
  for (;;) {
    size_t brk = start;
    while (brk < n && FChars[brk] != U'\n' && FChars[brk] != U'\r') ++brk;
    size_t ls = start;
    while (wrap && m.Width(ls, brk) > avail) {
      // The longest piece that fits (at least one character), cut after its last blank when it has one.
      size_t lo = ls + 1, hi = brk;
      while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (m.Width(ls, mid) <= avail)
          lo = mid;
        else
          hi = mid - 1;
      }
      size_t cut = lo;
      if (lo < brk && FChars[lo] == U' ') {
        cut = lo + 1;  // the blank after a fitting word ends the line
      } else {
        for (size_t k = lo; k > ls; --k)
          if (FChars[k - 1] == U' ') {
            cut = k;
            break;
          }
      }
      lines.push_back({ls, cut});
      ls = cut;
    }
    lines.push_back({ls, brk});
    if (brk >= n) break;
    size_t next = brk + 1;
    if (FChars[brk] == U'\r' && next < n && FChars[next] == U'\n') ++next;
    start = next;
  }
  return lines;
}

int TCustomEdit::LineOf(const std::vector<TEditLine>& L, size_t Index) const {
  int i = static_cast<int>(L.size()) - 1;
  while (i > 0 && L[static_cast<size_t>(i)].Start > Index) --i;
  return i;
}

int TCustomEdit::TextTop() {
  RECT tr = TextRect();
  if (FRectSet || IsMultiLine()) return tr.top;
  return tr.top + std::max(0, static_cast<int>(tr.bottom - tr.top - TextHeight()) / 2);
}

bool TCustomEdit::ReadsRightToLeft() const {
  return FHandle && (static_cast<DWORD>(GetWindowLong(FHandle, GWL_EXSTYLE)) & WS_EX_RTLREADING) != 0;
}

bool TCustomEdit::AlignsRight() const {
  if (FEditStyle & ES_CENTER) return false;
  return (FEditStyle & ES_RIGHT) ||
         (FHandle && (static_cast<DWORD>(GetWindowLong(FHandle, GWL_EXSTYLE)) & WS_EX_RIGHT) != 0);
}

// Where a line of the given width starts, in client x.
int TCustomEdit::LineOriginX(int Width) {
  RECT tr = TextRect();
  const int left = tr.left, avail = tr.right - tr.left;
  if (FScroll > 0 || Width >= avail) return left - FScroll;
  if (AlignsRight()) return tr.right - Width;
  if (FEditStyle & ES_CENTER) return left + (avail - Width) / 2;
  return left;
}

POINT TCustomEdit::PointOfChar(size_t Index) {
  const std::u32string shown = DisplayChars();
  TMeasure m(FFont.get(), shown, ReadsRightToLeft());
  auto lines = Lines();
  int l = LineOf(lines, Index);
  const TEditLine& line = lines[static_cast<size_t>(l)];
  int x = LineOriginX(m.LineWidth(line.Start, line.End)) + m.CaretX(line.Start, line.End, std::min(Index, line.End));
  int y = TextTop() + (l - FTopLine) * TextHeight();
  return POINT{x, y};
}

size_t TCustomEdit::CharAtPoint(int X, int Y, int* Line) {
  const std::u32string shown = DisplayChars();
  TMeasure m(FFont.get(), shown, ReadsRightToLeft());
  auto lines = Lines();
  int th = TextHeight();
  int l = 0;
  if (lines.size() > 1) {
    int dy = Y - TextTop();
    l = std::clamp(FTopLine + (dy < 0 ? -1 : dy / th), 0, static_cast<int>(lines.size()) - 1);
  }
  if (Line) *Line = l;
  const TEditLine& line = lines[static_cast<size_t>(l)];
  // A wrapped line's last position is the next line's first: it belongs there.
  bool wrapped = static_cast<size_t>(l) + 1 < lines.size() && lines[static_cast<size_t>(l) + 1].Start == line.End;
  size_t last = wrapped && line.End > line.Start ? line.End - 1 : line.End;
  int x0 = LineOriginX(m.LineWidth(line.Start, line.End));
  size_t best = line.Start;
  int bestDist = std::abs(X - (x0 + m.CaretX(line.Start, line.End, line.Start)));
  for (size_t i = line.Start + 1; i <= last; ++i) {
    int d = std::abs(x0 + m.CaretX(line.Start, line.End, i) - X);
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

size_t TCustomEdit::CharFromX(int X) { return CharAtPoint(X, TextTop()); }

void TCustomEdit::ScrollToCaret() {
  RECT tr = TextRect();
  const int avail = std::max(1, static_cast<int>(tr.right - tr.left));
  auto lines = Lines();
  const int l = LineOf(lines, FCaret);
  if (IsMultiLine()) {
    const int visible = std::max(1, static_cast<int>(tr.bottom - tr.top) / TextHeight());
    if (l < FTopLine) FTopLine = l;
    if (l >= FTopLine + visible) FTopLine = l - visible + 1;
    FTopLine = std::clamp(FTopLine, 0, std::max(0, static_cast<int>(lines.size()) - 1));
  }
  if (Wraps()) {
    FScroll = 0;
    return;
  }
  const std::u32string shown = DisplayChars();
  TMeasure m(FFont.get(), shown, ReadsRightToLeft());
  int total = 0;
  for (const TEditLine& line : lines) total = std::max(total, m.LineWidth(line.Start, line.End));
  if (total < avail) {
    FScroll = 0;
    return;
  }
  const TEditLine& line = lines[static_cast<size_t>(l)];
  int x = m.CaretX(line.Start, line.End, std::min(FCaret, line.End));
  if (x - FScroll > avail - 1) FScroll = x - avail + 1;
  if (x - FScroll < 0) FScroll = x;
  FScroll = std::clamp(FScroll, 0, std::max(0, total - avail + 1));
}

void TCustomEdit::UpdateCaret() {
  if (!FCaretCreated || !FHandle) return;
  RECT tr = TextRect();
  POINT p = PointOfChar(FCaret);
  SetCaretPos(std::clamp(static_cast<int>(p.x), static_cast<int>(tr.left), static_cast<int>(tr.right)), p.y);
  RestartBlink();
}

void TCustomEdit::CreateSystemCaret() {
  if (!FHandle) return;
  CreateCaret(FHandle, nullptr, 1, TextHeight());
  FCaretCreated = true;
  FCaretOn = false;
  UpdateCaret();
}

void TCustomEdit::DestroySystemCaret() {
  if (!FCaretCreated) return;
  FCaretCreated = false;
  FCaretOn = false;
  if (FHandle) KillTimer(FHandle, kBlinkTimer);
  DestroyCaret();
}

void TCustomEdit::RestartBlink() {
  if (!FCaretCreated) return;
  if (!FCaretOn) {
    ShowCaret(FHandle);
    FCaretOn = true;
  }
  SetTimer(FHandle, kBlinkTimer, kBlinkMs, nullptr);
}

void TCustomEdit::FontChanged() {
  TWinControl::FontChanged();
  if (FCaretCreated) CreateSystemCaret();
  ScrollToCaret();
}

void TCustomEdit::Resize() {
  ScrollToCaret();
  UpdateCaret();
  TWinControl::Resize();
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect && !FControlState.Contains(csLButtonDown) && !IsMultiLine() && !(GetKeyState(VK_LBUTTON) & 0x8000))
    SelectAll();
  TWinControl::DoEnter();
}

bool TCustomEdit::CanAutoSize(int& /*NewWidth*/, int& NewHeight) {
  NewHeight = TextHeight() + (FBorderStyle ? (FCtl3D ? 8 : 6) : 2);
  return true;
}

bool TCustomEdit::WantsKey(WORD Key, TShiftState Shift) {
  const LRESULT code = Perform(WM_GETDLGCODE, Key, 0);
  switch (Key) {
    case VK_TAB:
      return !Shift.Contains(ssCtrl) && (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) != 0;
    case VK_RETURN:
      return (code & DLGC_WANTALLKEYS) != 0;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      return (code & DLGC_WANTARROWS) != 0;
    default:
      return false;
  }
}

void TCustomEdit::EraseBackground(HDC /*DC*/) {}

// A selection in a line read right to left may fall apart into several pieces on screen: each run of
// selected characters that touch is filled, and the line is drawn again in the selection's colour
// inside those pieces.
void TCustomEdit::PaintRightToLeftSelection(HDC DC, TMeasure& M, const TEditLine& Line, size_t From, size_t To,
                                            bool ThroughBreak, int X0, int Y, const std::string& Text) {
  const int th = TextHeight();
  std::vector<std::pair<int, int>> spans;
  for (size_t i = From; i < To; ++i) {
    int left = 0, right = 0;
    M.CharSpan(Line.Start, Line.End, i, left, right);
    spans.emplace_back(X0 + left, X0 + right);
  }
  if (ThroughBreak) {
    // The line's end lies at its left edge: the short block of a selected line end stands there.
    const int end = X0 + M.CaretX(Line.Start, Line.End, Line.End);
    spans.emplace_back(end - std::max(2, th / 4), end);
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<int, int>> merged;
  for (const auto& sp : spans) {
    if (!merged.empty() && sp.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, sp.second);
    else
      merged.push_back(sp);
  }
  SetTextColor(DC, GetSysColor(COLOR_HIGHLIGHTTEXT));
  for (const auto& piece : merged) {
    FillSolidRect(DC, RECT{piece.first, Y, piece.second, Y + th}, GetSysColor(COLOR_HIGHLIGHT));
    const int saved = SaveDC(DC);
    IntersectClipRect(DC, piece.first, Y, piece.second, Y + th);
    ExtTextOut(DC, X0, Y, ETO_RTLREADING, nullptr, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
    RestoreDC(DC, saved);
  }
}

void TCustomEdit::PaintWindow(HDC DC) {
  RECT r = ClientRect();
  TColor face = FEnabled ? FColor : clBtnFace;
  FillSolidRect(DC, r, ColorRef(face));
  if (FFlatBorder) FrameRect(DC, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
  RECT tr = TextRect();
  RECT clip = FRectSet ? FFormatRect : RECT{tr.left - FLeftMargin, tr.top, tr.right + FRightMargin, tr.bottom};
  int saved = SaveDC(DC);
  IntersectClipRect(DC, clip.left, clip.top, clip.right, clip.bottom);
  HGDIOBJ old = SelectObject(DC, FFont->Handle());
  const int th = TextHeight();
  const std::u32string shown = DisplayChars();
  SetBkMode(DC, TRANSPARENT);
  const COLORREF ink = FEnabled ? ColorRef(FFont->Color()) : GetSysColor(COLOR_GRAYTEXT);
  const bool showSel = FEnabled && (Focused() || !FHideSelection) && FCaret != FAnchor;
  const size_t a = std::min(FCaret, FAnchor), b = std::max(FCaret, FAnchor);
  auto lines = Lines();
  const bool rtl = ReadsRightToLeft();
  TMeasure m(FFont.get(), shown, rtl);
  int y = TextTop();
  for (size_t l = static_cast<size_t>(std::max(FTopLine, 0)); l < lines.size() && y < tr.bottom; ++l, y += th) {
    const TEditLine& line = lines[l];
    const int x0 = LineOriginX(m.LineWidth(line.Start, line.End));
    std::string text = U8(shown.substr(line.Start, line.End - line.Start));
    SetTextColor(DC, ink);
    ExtTextOut(DC, x0, y, rtl ? ETO_RTLREADING : 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    if (!showSel) continue;
    size_t sa = std::max(a, line.Start), sb = std::min(b, line.End);
    bool throughBreak = b > line.End && l + 1 < lines.size() && a <= line.End;
    if (sa > sb || (sa == sb && !throughBreak)) continue;
    if (rtl) {
      PaintRightToLeftSelection(DC, m, line, sa, sb, throughBreak, x0, y, text);
      continue;
    }
    int xa = x0 + m.Width(line.Start, sa), xb = x0 + m.Width(line.Start, sb);
    if (throughBreak) xb += std::max(2, th / 4);  // a selected line end shows as a short block
    FillSolidRect(DC, RECT{xa, y, xb, y + th}, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(DC, GetSysColor(COLOR_HIGHLIGHTTEXT));
    std::string part = U8(shown.substr(sa, sb - sa));
    TextOut(DC, xa, y, part.c_str(), static_cast<int>(part.size()));
  }
  SelectObject(DC, old);
  RestoreDC(DC, saved);
}

size_t TCustomEdit::WordLeft(size_t Pos) const {
  while (Pos > 0 && !IsWordChar(FChars[Pos - 1])) --Pos;
  while (Pos > 0 && IsWordChar(FChars[Pos - 1])) --Pos;
  return Pos;
}

size_t TCustomEdit::WordRight(size_t Pos) const {
  while (Pos < FChars.size() && IsWordChar(FChars[Pos])) ++Pos;
  while (Pos < FChars.size() && !IsWordChar(FChars[Pos])) ++Pos;
  return Pos;
}

void TCustomEdit::DeleteForward() {
  if (FCaret != FAnchor) {
    ReplaceSelection(U"", true);
    return;
  }
  if (FCaret >= FChars.size()) return;
  FAnchor = FCaret + 1;
  if (FAnchor < FChars.size() && FChars[FCaret] == U'\r' && FChars[FAnchor] == U'\n') ++FAnchor;
  ReplaceSelection(U"", true);
}

void TCustomEdit::DeleteBackward() {
  if (FCaret != FAnchor) {
    ReplaceSelection(U"", true);
    return;
  }
  if (FCaret == 0) return;
  FAnchor = FCaret - 1;
  if (FAnchor > 0 && FChars[FAnchor] == U'\n' && FChars[FAnchor - 1] == U'\r') --FAnchor;
  ReplaceSelection(U"", true);
}

void TCustomEdit::KeyAction(WORD Key, TShiftState Shift) {
  bool extend = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
  // Text read right to left runs leftwards: Left steps forward through it and Right back.
  if ((Key == VK_LEFT || Key == VK_RIGHT) && ReadsRightToLeft()) Key = Key == VK_LEFT ? VK_RIGHT : VK_LEFT;
  size_t lo = std::min(FCaret, FAnchor), hi = std::max(FCaret, FAnchor);
  switch (Key) {
    case VK_LEFT: {
      if (!extend && lo != hi && !ctrl) {
        SetSelection(lo, lo);
        break;
      }
      size_t p = ctrl ? WordLeft(FCaret) : (FCaret > 0 ? FCaret - 1 : 0);
      if (p > 0 && FChars[p] == U'\n' && FChars[p - 1] == U'\r') --p;  // a line break is one step
      SetSelection(extend ? FAnchor : p, p);
      break;
    }
    case VK_RIGHT: {
      if (!extend && lo != hi && !ctrl) {
        SetSelection(hi, hi);
        break;
      }
      size_t p = ctrl ? WordRight(FCaret) : std::min(FCaret + 1, FChars.size());
      if (p < FChars.size() && FChars[p] == U'\n' && FChars[p - 1] == U'\r') ++p;
      SetSelection(extend ? FAnchor : p, p);
      break;
    }
    case VK_HOME:
    case VK_END: {
      size_t p = Key == VK_HOME ? 0 : FChars.size();
      if (IsMultiLine() && !ctrl) {
        auto lines = Lines();
        const TEditLine& line = lines[static_cast<size_t>(LineOf(lines, FCaret))];
        p = Key == VK_HOME ? line.Start : line.End;
      }
      SetSelection(extend ? FAnchor : p, p);
      break;
    }
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (!IsMultiLine()) break;
      // The same x on another line.
      RECT tr = TextRect();
      int th = TextHeight(), page = std::max(1, static_cast<int>(tr.bottom - tr.top) / th);
      int dy = (Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : Key == VK_PRIOR ? -page : page);
      auto lines = Lines();
      int l = std::clamp(LineOf(lines, FCaret) + dy, 0, static_cast<int>(lines.size()) - 1);
      if (l < FTopLine || l >= FTopLine + page) FTopLine = std::max(0, dy < 0 ? l : l - page + 1);
      POINT p = PointOfChar(FCaret);
      size_t to = CharAtPoint(p.x, TextTop() + (l - FTopLine) * th + th / 2);
      SetSelection(extend ? FAnchor : to, to);
      Invalidate();
      break;
    }
    case VK_DELETE:
      if (extend)
        Perform(WM_CUT);
      else if (!FWindowReadOnly)
        DeleteForward();
      break;
    case VK_INSERT:
      if (ctrl)
        Perform(WM_COPY);
      else if (extend)
        Perform(WM_PASTE);
      break;
    default:
      break;
  }
}

void TCustomEdit::CharAction(char32_t Ch) {
  switch (Ch) {
    case 1: SelectAll(); return;
    case 3: Perform(WM_COPY); return;
    case 8:
      if (!FWindowReadOnly) DeleteBackward();
      return;
    case 22: Perform(WM_PASTE); return;
    case 24: Perform(WM_CUT); return;
    case 26: Perform(WM_UNDO); return;
    default: break;
  }
  // A multi-line edit takes Return as a line break and Tab as text; other control characters
  // (Escape, Ctrl+letters, and Return and Tab of a one-line edit) are keys, not text.
  if (IsMultiLine() && (Ch == U'\r' || Ch == U'\t')) {
    if (FWindowReadOnly) return;
    ReplaceSelection(Ch == U'\r' ? std::u32string(U"\r\n") : std::u32string(1, Ch), true);
    return;
  }
  if (Ch < 0x20 || Ch == 0x7F) return;
  if (FWindowReadOnly) {
    MessageBeep(0);
    return;
  }
  ReplaceSelection(std::u32string(1, Ch), true, true);
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_GETDLGCODE:
      // The edit's own handling; the generic control swallows these.
      DefaultHandler(Message);
      return;
    case CN_COMMAND:
      if (HIWORD(static_cast<DWORD>(Message.WParam)) == EN_CHANGE) Change();
      return;
    case CM_BIDIMODECHANGED:
      // The window reads the other way now: the line and the caret are placed again.
      TWinControl::Dispatch(Message);
      FScroll = 0;
      ScrollToCaret();
      UpdateCaret();
      return;
    case CM_CTL3DCHANGED:
      // The border is a sunken edge or a single line: the window is made again with the other one.
      if (FBorderStyle && FHandle) RecreateWnd();
      AdjustSize();
      TWinControl::Dispatch(Message);
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

void TCustomEdit::DefaultHandler(TMessage& Message) {
  const size_t len = FChars.size();
  switch (Message.Msg) {
    case WM_CHAR:
    case WM_IME_CHAR:
      // A character beyond 16 bits comes as two halves; the first waits for the second.
      if (const char32_t cp = FTypedChars.Join(static_cast<char16_t>(Message.WParam))) CharAction(cp);
      return;
    case WM_KEYDOWN:
      KeyAction(static_cast<WORD>(Message.WParam), KeyboardStateToShiftState());
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      if (FEditStyle & ES_MULTILINE) Message.Result |= DLGC_WANTALLKEYS;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      size_t p = CharAtPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      if (Message.Msg == WM_LBUTTONDBLCLK) {
        size_t a = p, b = p;
        while (a > 0 && IsWordChar(FChars[a - 1])) --a;
        while (b < len && IsWordChar(FChars[b])) ++b;
        SetSelection(a, b);
      } else {
        SetSelection((Message.WParam & MK_SHIFT) ? FAnchor : p, p);
      }
      FSelectingWithMouse = true;
      return;
    }
    case WM_MOUSEMOVE:
      if (FSelectingWithMouse && (Message.WParam & MK_LBUTTON))
        SetSelection(FAnchor, CharAtPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
      return;
    case WM_LBUTTONUP:
      FSelectingWithMouse = false;
      return;
    case WM_NCPAINT:
      if (FBorderStyle && FHandle) {
        // The sunken field frame of the theme around the client area.
        HDC dc = GetWindowDC(FHandle);
        RECT wr;
        GetWindowRect(FHandle, &wr);
        RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
        ExcludeClipRect(dc, 2, 2, r.right - 2, r.bottom - 2);
        FillSolidRect(dc, r, ColorRef(FEnabled ? FColor : clBtnFace));
        ThemePainter().Frame(dc, r, TFrameKind::Field);
        ReleaseDC(FHandle, dc);
        return;
      }
      break;
    case WM_SETFOCUS:
      CreateSystemCaret();
      Invalidate();
      break;
    case WM_KILLFOCUS:
      DestroySystemCaret();
      FSelectingWithMouse = false;
      Invalidate();
      break;
    case WM_TIMER:
      if (Message.WParam == kBlinkTimer) {
        if (FCaretCreated) {
          if (FCaretOn)
            HideCaret(FHandle);
          else
            ShowCaret(FHandle);
          FCaretOn = !FCaretOn;
        }
        return;
      }
      break;
    case WM_SETTEXT: {
      const char* p = reinterpret_cast<const char*>(Message.LParam);
      std::u32string v = U32(p ? p : "");
      if (FCharCase != ecNormal)
        for (char32_t& c : v) c = CaseOf(c, FCharCase);
      StoreText(v, 0, false);
      Message.Result = TRUE;
      return;
    }
    case EM_GETSEL: {
      DWORD a = static_cast<DWORD>(std::min(FCaret, FAnchor)), b = static_cast<DWORD>(std::max(FCaret, FAnchor));
      if (auto* pa = reinterpret_cast<DWORD*>(Message.WParam)) *pa = a;
      if (auto* pb = reinterpret_cast<DWORD*>(Message.LParam)) *pb = b;
      Message.Result = MAKELRESULT(std::min<DWORD>(a, 0xFFFF), std::min<DWORD>(b, 0xFFFF));
      return;
    }
    case EM_SETSEL: {
      auto start = static_cast<std::intptr_t>(Message.WParam);
      auto end = static_cast<std::intptr_t>(Message.LParam);
      if (static_cast<int>(start) == -1 && (start == -1 || start == 0xFFFFFFFF)) {
        SetSelection(FCaret, FCaret);
        return;
      }
      auto clampPos = [&](std::intptr_t v) {
        return (v < 0 || static_cast<size_t>(v) > len) ? len : static_cast<size_t>(v);
      };
      SetSelection(clampPos(start), clampPos(end));
      return;
    }
    case EM_REPLACESEL: {
      const char* p = reinterpret_cast<const char*>(Message.LParam);
      bool ro = FWindowReadOnly;
      FWindowReadOnly = false;  // replacing by message works also on a read-only edit
      ReplaceSelection(U32(p ? p : ""), true);
      FWindowReadOnly = ro;
      if (!Message.WParam) FUndoValid = false;
      return;
    }
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<RECT*>(Message.LParam)) *r = FRectSet ? FFormatRect : static_cast<RECT>(ClientRect());
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (auto* r = reinterpret_cast<RECT*>(Message.LParam)) {
        FFormatRect = *r;
        FRectSet = true;
      } else {
        FRectSet = false;
      }
      ScrollToCaret();
      UpdateCaret();
      if (Message.Msg == EM_SETRECT) Invalidate();
      return;
    case EM_SCROLLCARET:
      ScrollToCaret();
      Invalidate();
      UpdateCaret();
      Message.Result = TRUE;
      return;
    case EM_GETMARGINS:
      Message.Result = MAKELRESULT(static_cast<DWORD>(FLeftMargin), static_cast<DWORD>(FRightMargin));
      return;
    case EM_SETMARGINS: {
      int fontMargin = std::max(1, TextHeight() / 8);
      auto pick = [&](WORD v) { return v == EC_USEFONTINFO ? fontMargin : static_cast<int>(v); };
      if (Message.WParam & EC_LEFTMARGIN) FLeftMargin = pick(LOWORD(static_cast<DWORD>(Message.LParam)));
      if (Message.WParam & EC_RIGHTMARGIN) FRightMargin = pick(HIWORD(static_cast<DWORD>(Message.LParam)));
      if (Message.WParam == EC_USEFONTINFO) FLeftMargin = FRightMargin = fontMargin;
      ScrollToCaret();
      Invalidate();
      UpdateCaret();
      return;
    }
    case EM_SETREADONLY:
      SetWindowReadOnly(Message.WParam != 0);
      Message.Result = TRUE;
      return;
    case EM_CHARFROMPOS: {
      int x = static_cast<short>(LOWORD(static_cast<DWORD>(Message.LParam)));
      int y = static_cast<short>(HIWORD(static_cast<DWORD>(Message.LParam)));
      int line = 0;
      size_t i = CharAtPoint(x, y, &line);
      Message.Result = MAKELRESULT(static_cast<DWORD>(i), static_cast<DWORD>(line));
      return;
    }
    case EM_POSFROMCHAR: {
      POINT p = PointOfChar(std::min(static_cast<size_t>(Message.WParam), len));
      Message.Result = MAKELRESULT(static_cast<DWORD>(p.x) & 0xFFFF, static_cast<DWORD>(p.y) & 0xFFFF);
      return;
    }
    case EM_GETLINECOUNT:
      Message.Result = static_cast<LRESULT>(Lines().size());
      return;
    case EM_GETFIRSTVISIBLELINE:
      Message.Result = FTopLine;
      return;
    case EM_LINEFROMCHAR:
    case EM_LINEINDEX:
    case EM_LINELENGTH: {
      auto lines = Lines();
      auto arg = static_cast<std::intptr_t>(Message.WParam);
      if (Message.Msg == EM_LINEINDEX) {
        int l = arg < 0 ? LineOf(lines, FCaret) : static_cast<int>(arg);
        Message.Result = l < static_cast<int>(lines.size()) ? static_cast<LRESULT>(lines[static_cast<size_t>(l)].Start) : -1;
        return;
      }
      int l = LineOf(lines, arg < 0 ? FCaret : std::min(static_cast<size_t>(arg), len));
      const TEditLine& line = lines[static_cast<size_t>(l)];
      Message.Result = Message.Msg == EM_LINEFROMCHAR ? l : static_cast<LRESULT>(line.End - line.Start);
      return;
    }
    case EM_GETMODIFY:
      Message.Result = FModified ? TRUE : FALSE;
      return;
    case EM_SETMODIFY:
      FModified = Message.WParam != 0;
      return;
    case EM_CANUNDO:
      Message.Result = FUndoValid ? TRUE : FALSE;
      return;
    case EM_EMPTYUNDOBUFFER:
      FUndoValid = false;
      return;
    case EM_LIMITTEXT:
      FMaxLength = static_cast<int>(std::min<WPARAM>(Message.WParam, 0x7FFFFFFE));
      return;
    case EM_GETLIMITTEXT:
      Message.Result = FMaxLength > 0 ? FMaxLength : 0x7FFFFFFE;
      return;
    case EM_SETPASSWORDCHAR:
      SetPasswordChar(static_cast<char32_t>(Message.WParam));
      return;
    case EM_GETPASSWORDCHAR:
      Message.Result = static_cast<LRESULT>(FPasswordChar);
      return;
    case WM_COPY:
      // A password is never copied out of the edit.
      if (FCaret != FAnchor && !FPasswordChar) SetClipboardText(SelText());
      return;
    case WM_CUT:
      if (FCaret != FAnchor && !FWindowReadOnly && !FPasswordChar) {
        SetClipboardText(SelText());
        ReplaceSelection(U"", true);
      }
      return;
    case WM_CLEAR:
      if (!FWindowReadOnly) ReplaceSelection(U"", true);
      return;
    case WM_PASTE: {
      std::string t;
      if (FWindowReadOnly || !ClipboardText(t)) return;
      std::u32string u = U32(t);
      if (!(FEditStyle & ES_MULTILINE)) {
        // A one-line edit takes the first line.
        size_t eol = u.find_first_of(U"\r\n");
        if (eol != std::u32string::npos) u.resize(eol);
      }
      ReplaceSelection(u, true);
      return;
    }
    case WM_UNDO:
    case EM_UNDO:
      if (FUndoValid && !FWindowReadOnly) {
        std::u32string t = FChars;
        size_t c = FCaret, a = FAnchor;
        FChars = FUndoChars;
        FCaret = std::min(FUndoCaret, FChars.size());
        FAnchor = std::min(FUndoAnchor, FChars.size());
        FUndoChars = t;
        FUndoCaret = c;
        FUndoAnchor = a;
        FLastWasTyping = false;
        FModified = true;
        AfterTextEdit();
        Message.Result = TRUE;
      }
      return;
    default:
      break;
  }
  TWinControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------------------------------------------
// TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const std::string& Value) {
  if (Value == FEditMask) return;
  std::string value = Text();
  FEditMask = Value;
  FMask = TEditMaskFormat(Value);
  std::u32string t = IsMasked() ? FMask.EditTextFor(U32(value)) : U32(value);
  StoreText(t, IsMasked() ? static_cast<size_t>(FMask.NextInput(0)) : 0, false);
}

std::string TCustomMaskEdit::EditText() const { return U8(Chars()); }

void TCustomMaskEdit::SetEditText(const std::string& Value) {
  if (!IsMasked()) {
    TCustomEdit::SetText(Value);
    return;
  }
  TCustomEdit::SetText(U8(FMask.EditTextFor(U32(Value), true)));
}

std::string TCustomMaskEdit::Text() const {
  if (!IsMasked()) return TCustomEdit::Text();
  return U8(FMask.TextOf(Chars()));
}

void TCustomMaskEdit::SetText(const std::string& Value) {
  if (!IsMasked()) {
    TCustomEdit::SetText(Value);
    return;
  }
  TCustomEdit::SetText(U8(FMask.EditTextFor(U32(Value))));
}

void TCustomMaskEdit::SetMaxLength(int Value) { TCustomEdit::SetMaxLength(Value); }

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !Modified()) return;
  int missing = FMask.FirstMissing(Chars());
  if (missing < 0) return;
  SetSelection(static_cast<size_t>(missing), static_cast<size_t>(missing));
  ValidateError();
}

void TCustomMaskEdit::ValidateError() {
  MessageBeep(0);
  throw EDBEditError("Invalid input value. Use the Escape key to abandon changes.");
}

void TCustomMaskEdit::Reset() {
  if (!Modified()) return;
  StoreText(FOldValue, 0, false);
  SelectAll();
}

void TCustomMaskEdit::DoEnter() {
  if (FReentering) {
    // Back after a failed check: the caret stays on the missing position, the old value is kept.
    FReentering = false;
    size_t a = Anchor(), c = Caret();
    TCustomEdit::DoEnter();
    SetSelection(a, c);
    return;
  }
  FOldValue = Chars();
  TCustomEdit::DoEnter();
  if (IsMasked() && SelLength() == 0) {
    size_t p = static_cast<size_t>(FMask.NextInput(static_cast<int>(Caret())));
    SetSelection(p, p);
  }
}

void TCustomMaskEdit::DoExit() {
  if (IsMasked() && !ComponentState().Contains(csDesigning)) {
    try {
      ValidateEdit();
    } catch (...) {
      // The edit keeps the focus. Within its window it takes it back at once, so the control the focus
      // was going to never holds it (a click that moved the focus there does not act on it); towards
      // another window it takes it back once that activation is over.
      if (HandleAllocated()) {
        FReentering = true;
        if (CanFocus() && GetActiveWindow() == GetAncestor(Handle(), GA_ROOT)) {
          SetFocus();
          FReentering = false;
        } else {
          PostMessage(Handle(), CM_REENTEREDIT, 0, 0);
        }
      }
      throw;
    }
  }
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::MoveCaretTo(int Pos) {
  size_t p = static_cast<size_t>(std::clamp(Pos, 0, static_cast<int>(Chars().size())));
  if (IsMasked() && FMask.IsLiteral(static_cast<int>(p))) {
    int next = FMask.NextInput(static_cast<int>(p));
    p = static_cast<size_t>(next < FMask.Count() ? next : FMask.PrevInput(static_cast<int>(p)) + 1);
  }
  SetSelection(p, p);
}

void TCustomMaskEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomEdit::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft && IsMasked() && SelLength() == 0) MoveCaretTo(CaretIndex());
}

void TCustomMaskEdit::BlankRange(size_t From, size_t To) {
  std::u32string t = Chars();
  const char32_t blank = FMask.BlankChar();
  for (size_t i = From; i < To && i < t.size(); ++i)
    if (!FMask.IsLiteral(static_cast<int>(i))) t[i] = blank;
  if (t == Chars()) {
    SetSelection(From, From);
    return;
  }
  StoreText(t, From, true);
}

void TCustomMaskEdit::MaskArrowKeys(WORD Key, TShiftState Shift) {
  const size_t n = static_cast<size_t>(FMask.Count());
  const bool extend = Shift.Contains(ssShift);
  size_t c = Caret(), lo = std::min(Caret(), Anchor()), hi = std::max(Caret(), Anchor());
  size_t p = c;
  switch (Key) {
    case VK_LEFT:
      if (extend) {
        p = c > 0 ? c - 1 : 0;
      } else if (lo != hi) {
        p = lo;
      } else {
        int q = FMask.PrevInput(static_cast<int>(c));
        p = q >= 0 ? static_cast<size_t>(q) : c;
      }
      break;
    case VK_RIGHT:
      if (extend)
        p = std::min(c + 1, n);
      else if (lo != hi)
        p = hi;
      else if (c < n)
        p = static_cast<size_t>(FMask.NextInput(static_cast<int>(c) + 1));
      break;
    case VK_HOME:
      p = extend ? 0 : static_cast<size_t>(FMask.NextInput(0));
      break;
    case VK_END:
      p = n;
      break;
    default:
      return;
  }
  SetSelection(extend ? Anchor() : p, p);
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (!IsMasked() || Key == 0 || Shift.Contains(ssAlt)) return;
  switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
      MaskArrowKeys(Key, Shift);
      Key = 0;
      break;
    case VK_DELETE:
      if (Shift.Contains(ssShift)) break;  // cut, through WM_CUT
      if (!WindowReadOnly() && EditCanModify()) {
        size_t lo = std::min(Caret(), Anchor()), hi = std::max(Caret(), Anchor());
        if (lo == hi) hi = lo + 1;
        BlankRange(lo, hi);
      }
      Key = 0;
      break;
    default:
      break;
  }
}

bool TCustomMaskEdit::TypeMaskChar(char32_t Ch) {
  std::u32string t = Chars();
  size_t lo = std::min(Caret(), Anchor()), hi = std::max(Caret(), Anchor());
  for (size_t i = lo; i < hi; ++i)
    if (!FMask.IsLiteral(static_cast<int>(i))) t[i] = FMask.BlankChar();
  const int n = FMask.Count();
  int c = static_cast<int>(lo);
  // A typed literal moves past the same literal at the caret.
  if (c < n && FMask.IsLiteral(c) && FMask.Position(c).Literal == Ch) {
    SetSelection(static_cast<size_t>(c) + 1, static_cast<size_t>(c) + 1);
    return true;
  }
  int q = FMask.NextInput(c);
  char32_t out;
  if (q >= n || !FMask.Accepts(q, Ch, out)) {
    // The separator of the next field typed early: the caret jumps into that field.
    int k = c;
    while (k < n && !FMask.IsLiteral(k)) ++k;
    if (k >= n || FMask.Position(k).Literal != Ch) return false;
    size_t into = static_cast<size_t>(FMask.NextInput(k + 1));
    if (t == Chars())
      SetSelection(into, into);
    else
      StoreText(t, into, true);
    return true;
  }
  t[static_cast<size_t>(q)] = out;
  size_t next = static_cast<size_t>(FMask.NextInput(q + 1));
  if (t == Chars()) {
    SetSelection(next, next);
    return true;
  }
  StoreText(t, next, true, lo == hi);
  return true;
}

void TCustomMaskEdit::PasteIntoMask(const std::string& Text) {
  std::u32string t = Chars();
  size_t lo = std::min(Caret(), Anchor()), hi = std::max(Caret(), Anchor());
  for (size_t i = lo; i < hi; ++i)
    if (!FMask.IsLiteral(static_cast<int>(i))) t[i] = FMask.BlankChar();
  const int n = FMask.Count();
  int c = static_cast<int>(lo);
  // Characters are typed from the caret; the first one that does not fit ends the paste.
  for (char32_t ch : U32(Text)) {
    if (c < n && FMask.IsLiteral(c) && FMask.Position(c).Literal == ch) {
      ++c;
      continue;
    }
    int q = FMask.NextInput(c);
    char32_t out;
    if (q >= n || !FMask.Accepts(q, ch, out)) break;
    t[static_cast<size_t>(q)] = out;
    c = q + 1;
  }
  StoreText(t, static_cast<size_t>(FMask.NextInput(c)), true);
}

void TCustomMaskEdit::KeyPress(WideChar& Key) {
  TCustomEdit::KeyPress(Key);
  if (!IsMasked() || Key == 0) return;
  const char32_t cp = FTypedChars.Join(Key);
  if (cp == 0) {  // a first half waiting for its second, or a second half without a first
    Key = 0;
    return;
  }
  switch (cp) {
    case 1: case 3: case 22: case 24: case 26:
      return;  // select all and the clipboard keys: the edit's handling, through messages
    case 8:
      if (!WindowReadOnly() && EditCanModify()) {
        size_t lo = std::min(Caret(), Anchor()), hi = std::max(Caret(), Anchor());
        if (lo != hi) {
          BlankRange(lo, hi);
        } else {
          int p = FMask.PrevInput(static_cast<int>(lo));
          if (p >= 0) BlankRange(static_cast<size_t>(p), static_cast<size_t>(p) + 1);
        }
      }
      Key = 0;
      return;
    case 27:
      Reset();
      Key = 0;
      return;
    default:
      break;
  }
  if (cp >= 0x20 && cp != 0x7F && !WindowReadOnly() && EditCanModify() && !TypeMaskChar(cp)) MessageBeep(0);
  Key = 0;
}

void TCustomMaskEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_REENTEREDIT) {
    if (CanFocus()) SetFocus();
    return;
  }
  if (!IsMasked()) {
    TCustomEdit::Dispatch(Message);
    return;
  }
  size_t lo = std::min(Caret(), Anchor()), hi = std::max(Caret(), Anchor());
  switch (Message.Msg) {
    case WM_SETTEXT: {
      // Text set on the window is laid over the mask position by position.
      const char* p = reinterpret_cast<const char*>(Message.LParam);
      std::string t = U8(FMask.EditTextFor(U32(p ? p : ""), true));
      TMessage m{WM_SETTEXT, Message.WParam, reinterpret_cast<LPARAM>(t.c_str()), 0};
      TCustomEdit::Dispatch(m);
      Message.Result = m.Result;
      return;
    }
    case WM_CUT:
      if (lo != hi && !WindowReadOnly() && EditCanModify()) {
        SetClipboardText(SelText());
        BlankRange(lo, hi);
      }
      return;
    case WM_CLEAR:
      if (lo != hi && !WindowReadOnly() && EditCanModify()) BlankRange(lo, hi);
      return;
    case WM_PASTE: {
      std::string t;
      if (!WindowReadOnly() && EditCanModify() && ClipboardText(t)) PasteIntoMask(t);
      return;
    }
    case EM_REPLACESEL: {
      const char* p = reinterpret_cast<const char*>(Message.LParam);
      PasteIntoMask(p ? p : "");
      return;
    }
    default:
      TCustomEdit::Dispatch(Message);
  }
}
