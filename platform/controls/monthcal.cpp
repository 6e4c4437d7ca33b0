// TMonthCalendar: layout, painting, hit test, mouse and keys of the month calendar.
#include "platform/controls/monthcal.h"

#include <algorithm>
#include <cmath>

#include "platform/controls/stdctrls.h"

namespace {
TDateTime WholeDay(TDateTime D) { return std::floor(D); }
TDateTime FirstOfMonth(TDateTime D) {
  int y, m, d;
  DecodeDate(D, y, m, d);
  return EncodeDate(y, m, 1);
}
bool In(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }
}  // namespace

TMonthCalendar::TMonthCalendar(TComponent* AOwner) : TCustomControl(AOwner) {
  FColor = clWindow;
  FParentColor = false;
  FTabStop = true;
  FControlStyle.Exclude(csClickEvents);  // OnClick means a date picked by the mouse
  FToday = WholeDay(::Date());
  FDate = FToday;
  FMonth = FirstOfMonth(FDate);
  TRect r = MinReqRect();
  FWidth = r.Width() + 4;
  FHeight = r.Height() + 4;
}

void TMonthCalendar::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

TMonthCalendar::Metrics TMonthCalendar::Measure() const {
  Metrics m;
  SIZE digits = MeasureControlText("00", FFont.get());
  SIZE names = {0, 0};
  for (const std::string& n : FormatSettings.ShortDayNames) {
    SIZE s = MeasureControlText(n, FFont.get());
    names.cx = std::max(names.cx, s.cx);
  }
  m.cellW = std::max<int>(digits.cx, names.cx) + 8;
  m.cellH = digits.cy + 4;
  m.titleH = digits.cy + 10;
  m.todayH = digits.cy + 6;
  m.margin = 4;
  return m;
}

TRect TMonthCalendar::MinReqRect() const {
  Metrics m = Measure();
  int w = 7 * m.cellW + 2 * m.margin;
  int h = m.titleH + m.cellH /* day names */ + 2 + 6 * m.cellH + m.todayH + m.margin;
  return TRect(0, 0, w, h);
}

bool TMonthCalendar::CanAutoSize(int& NewWidth, int& NewHeight) {
  TRect r = MinReqRect();
  int frameW = FWidth - ClientWidth(), frameH = FHeight - ClientHeight();
  if (!HandleAllocated()) frameW = frameH = 4;
  NewWidth = r.Width() + frameW;
  NewHeight = r.Height() + frameH;
  return true;
}

void TMonthCalendar::Dispatch(TMessage& Message) {
  if (Message.Msg == MCM_GETMINREQRECT) {
    auto* r = reinterpret_cast<RECT*>(Message.LParam);
    if (!r) return;
    TRect m = MinReqRect();
    *r = RECT{0, 0, m.Width(), m.Height()};
    Message.Result = TRUE;
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TMonthCalendar::FontChanged() {
  TCustomControl::FontChanged();
  AdjustSize();
  Invalidate();
}

TRect TMonthCalendar::TitleButton(bool Next) const {
  Metrics m = Measure();
  int side = m.titleH - 6;
  int w = 7 * m.cellW + 2 * m.margin;
  int x = Next ? w - m.margin - side : m.margin;
  return TRect(x, 3, x + side, 3 + side);
}

TDateTime TMonthCalendar::FirstShownDay() const {
  // The week row holding the 1st begins on Sunday; a month starting on Sunday shows a whole week of
  // the previous month first, so the previous month is always in view.
  int dow = DayOfWeek(FMonth);  // 1 = Sunday
  int before = dow - 1;
  if (before == 0) before = 7;
  return FMonth - before;
}

TRect TMonthCalendar::DayCell(int Index) const {
  Metrics m = Measure();
  int top = m.titleH + m.cellH + 2;
  int x = m.margin + (Index % 7) * m.cellW, y = top + (Index / 7) * m.cellH;
  return TRect(x, y, x + m.cellW, y + m.cellH);
}

UINT TMonthCalendar::HitTest(int X, int Y, TDateTime* Date) const {
  Metrics m = Measure();
  TRect all = MinReqRect();
  if (!In(all, X, Y)) return MCHT_NOWHERE;
  if (Y < m.titleH) {
    if (In(TitleButton(false), X, Y)) return MCHT_TITLEBTNPREV;
    if (In(TitleButton(true), X, Y)) return MCHT_TITLEBTNNEXT;
    // "Month Year" centred: the month name is its left part, the year its right part.
    int y, mo, d;
    DecodeDate(FMonth, y, mo, d);
    std::string month = FormatSettings.LongMonthNames[mo - 1];
    SIZE ms = MeasureControlText(month + " ", FFont.get());
    SIZE ts = MeasureControlText(month + " " + std::to_string(y), FFont.get());
    int left = (all.Width() - ts.cx) / 2;
    if (X >= left && X < left + ms.cx) return MCHT_TITLEMONTH;
    if (X >= left + ms.cx && X < left + ts.cx) return MCHT_TITLEYEAR;
    return MCHT_TITLEBK;
  }
  if (Y < m.titleH + m.cellH) return MCHT_CALENDARDAY;
  int first = m.titleH + m.cellH + 2;
  if (Y >= first && Y < first + 6 * m.cellH && X >= m.margin && X < m.margin + 7 * m.cellW) {
    int index = ((Y - first) / m.cellH) * 7 + (X - m.margin) / m.cellW;
    TDateTime day = FirstShownDay() + index;
    if (Date) *Date = day;
    if (day < FMonth) return MCHT_CALENDARDATEPREV;
    if (day >= IncMonth(FMonth, 1)) return MCHT_CALENDARDATENEXT;
    return MCHT_CALENDARDATE;
  }
  if (Y >= first + 6 * m.cellH) return MCHT_TODAYLINK;
  return MCHT_CALENDARBK;
}

void TMonthCalendar::SetDate(TDateTime Value) {
  Value = WholeDay(Value);
  TDateTime month = FirstOfMonth(Value);
  bool changed = Value != FDate;
  FDate = Value;
  if (month != FMonth) FMonth = month;
  Invalidate();
  if (changed && OnChange) OnChange(this);
}

void TMonthCalendar::SetToday(TDateTime Value) {
  FToday = WholeDay(Value);
  Invalidate();
}

void TMonthCalendar::MoveMonth(int Months) { SetDate(IncMonth(FDate, Months)); }

void TMonthCalendar::Pick(TDateTime Value, bool ByMouse) {
  SetDate(Value);
  if (ByMouse) Click();
}

void TMonthCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    // The focus follows the click only inside an active window: a drop-down calendar whose window
    // refused the activation leaves the focus (and so the activation) where it is.
    if (CanFocus() && !Focused() && GetActiveWindow() == GetAncestor(Handle(), GA_ROOT)) SetFocus();
    TDateTime day = 0;
    UINT hit = HitTest(X, Y, &day);
    switch (hit) {
      case MCHT_TITLEBTNPREV: MoveMonth(-1); break;
      case MCHT_TITLEBTNNEXT: MoveMonth(1); break;
      case MCHT_CALENDARDATE:
      case MCHT_CALENDARDATEPREV:
      case MCHT_CALENDARDATENEXT: Pick(day, true); break;
      case MCHT_TODAYLINK: Pick(FToday, true); break;
      default: break;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

bool TMonthCalendar::WantsKey(WORD Key, TShiftState /*Shift*/) {
  switch (Key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
      return true;
  }
  return false;
}

void TMonthCalendar::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  int y, m, d;
  DecodeDate(FDate, y, m, d);
  switch (Key) {
    case VK_LEFT: SetDate(FDate - 1); break;
    case VK_RIGHT: SetDate(FDate + 1); break;
    case VK_UP: SetDate(FDate - 7); break;
    case VK_DOWN: SetDate(FDate + 7); break;
    case VK_PRIOR: MoveMonth(-1); break;
    case VK_NEXT: MoveMonth(1); break;
    case VK_HOME: SetDate(EncodeDate(y, m, 1)); break;
    case VK_END: SetDate(EncodeDate(y, m, DaysInMonth(FDate))); break;
    default: return;
  }
  Key = 0;
}

void TMonthCalendar::Paint() {
  HDC dc = Canvas()->Handle();
  Metrics m = Measure();
  RECT client{0, 0, ClientWidth(), ClientHeight()};
  HBRUSH back = CreateSolidBrush(ColorRef(FColor));
  FillRect(dc, &client, back);
  DeleteObject(back);
  TRect all = MinReqRect();
  // Title: the active caption's colours, with the two month buttons.
  RECT title{0, 0, all.Right, m.titleH};
  FillRect(dc, &title, GetSysColorBrush(COLOR_ACTIVECAPTION));
  int y, mo, d;
  DecodeDate(FMonth, y, mo, d);
  TFont titleFont;
  titleFont.Assign(FFont.get());
  titleFont.SetStyle(TFontStyles{fsBold});
  titleFont.SetColor(clCaptionText);
  DrawControlText(dc, FormatSettings.LongMonthNames[mo - 1] + " " + std::to_string(y), title,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, &titleFont, true);
  for (bool next : {false, true}) {
    TRect b = TitleButton(next);
    RECT r{b.Left, b.Top, b.Right, b.Bottom};
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2, s = (r.bottom - r.top) / 4;
    POINT tri[3];
    if (next) {
      tri[0] = {cx - s / 2, cy - s};
      tri[1] = {cx - s / 2, cy + s};
      tri[2] = {cx + s / 2 + 1, cy};
    } else {
      tri[0] = {cx + s / 2, cy - s};
      tri[1] = {cx + s / 2, cy + s};
      tri[2] = {cx - s / 2 - 1, cy};
    }
    HGDIOBJ ob = SelectObject(dc, GetSysColorBrush(COLOR_BTNTEXT));
    HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
    Polygon(dc, tri, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
  }
  // Day names and the line under them.
  for (int i = 0; i < 7; ++i) {
    RECT r{m.margin + i * m.cellW, m.titleH, m.margin + (i + 1) * m.cellW, m.titleH + m.cellH};
    DrawControlText(dc, FormatSettings.ShortDayNames[i], r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
                    FFont.get(), true);
  }
  RECT line{m.margin, m.titleH + m.cellH, m.margin + 7 * m.cellW, m.titleH + m.cellH + 1};
  FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
  // The days: other months grey, the picked day highlighted, today framed.
  TDateTime first = FirstShownDay(), nextMonth = IncMonth(FMonth, 1);
  TFont dayFont;
  dayFont.Assign(FFont.get());
  for (int i = 0; i < 42; ++i) {
    TDateTime day = first + i;
    TRect c = DayCell(i);
    RECT r{c.Left, c.Top, c.Right, c.Bottom};
    int yy, mm, dd;
    DecodeDate(day, yy, mm, dd);
    bool other = day < FMonth || day >= nextMonth;
    if (day == FDate) {
      FillRect(dc, &r, GetSysColorBrush(Focused() ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
      dayFont.SetColor(Focused() ? clHighlightText : clWindowText);
    } else {
      dayFont.SetColor(other ? clGrayText : FFont->Color());
    }
    DrawControlText(dc, std::to_string(dd), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, &dayFont, true);
    if (day == FToday) {
      HBRUSH red = CreateSolidBrush(RGB(192, 0, 0));
      FrameRect(dc, &r, red);
      DeleteObject(red);
    }
  }
  // The today line.
  int ty = m.titleH + m.cellH + 2 + 6 * m.cellH;
  RECT today{m.margin, ty, all.Right - m.margin, ty + m.todayH};
  DrawControlText(dc, "Today: " + FormatDateTime(FormatSettings.ShortDateFormat, FToday), today,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, FFont.get(), true);
}
