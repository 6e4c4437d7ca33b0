#pragma once
// TMonthCalendar: one month of days to pick a date from.
//
// Layout, top to bottom: a title row (previous-month button at the left, "Month Year" in the middle,
// next-month button at the right), a row of day names (Sunday first), six week rows that begin with
// the days of the previous month that share the first week and end with days of the next month
// (grey), and a "Today:" line. The minimum size holds exactly that; the calendar draws it at the
// top-left of a larger client area. A click on a day picks it (on a grey day the month changes too),
// the title buttons move one month, the today line picks the today date; arrows move by a day or a
// week, Page Up/Down by a month, Home/End to the month's first/last day. OnClick runs after a pick by
// mouse, OnChange whenever Date changed.

#include <string>

#include "platform/controls/controls.h"

// Hit-test codes of the calendar's parts.
constexpr UINT MCHT_TITLE = 0x00010000;
constexpr UINT MCHT_CALENDAR = 0x00020000;
constexpr UINT MCHT_TODAYLINK = 0x00030000;
constexpr UINT MCHT_NEXT = 0x01000000;
constexpr UINT MCHT_PREV = 0x02000000;
constexpr UINT MCHT_NOWHERE = 0x00000000;
constexpr UINT MCHT_TITLEBK = MCHT_TITLE;
constexpr UINT MCHT_TITLEMONTH = MCHT_TITLE | 0x0001;
constexpr UINT MCHT_TITLEYEAR = MCHT_TITLE | 0x0002;
constexpr UINT MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003;
constexpr UINT MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003;
constexpr UINT MCHT_CALENDARBK = MCHT_CALENDAR;
constexpr UINT MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001;
constexpr UINT MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT;
constexpr UINT MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV;
constexpr UINT MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002;
constexpr UINT MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003;

// The calendar answers MCM_GETMINREQRECT (lParam: RECT* that receives the minimum client rectangle).
constexpr UINT MCM_FIRST = 0x1000;
constexpr UINT MCM_GETMINREQRECT = MCM_FIRST + 9;

class TMonthCalendar : public TCustomControl {
  DECLARE_CLASS(TMonthCalendar, TCustomControl)
  explicit TMonthCalendar(TComponent* AOwner);

  // The picked date (whole days); the shown month follows it.
  TDateTime Date() const { return FDate; }
  void SetDate(TDateTime Value);
  // The date the today line offers (the system's date when made).
  TDateTime Today() const { return FToday; }
  void SetToday(TDateTime Value);
  // The shown month, as its first day.
  TDateTime VisibleMonth() const { return FMonth; }
  // Moves the shown month (and the date, keeping its day where the month has it) by Months.
  void MoveMonth(int Months);
  // Client size the calendar needs.
  TRect MinReqRect() const;
  // The part under a client point (an MCHT_ code); Date receives the day of a day cell.
  UINT HitTest(int X, int Y, TDateTime* Date = nullptr) const;
  // With AutoSize the control takes its minimum size (plus the frame).
  void SetAutoSize(bool Value) { SetAutoSizeFlag(Value); }

  TNotifyEvent OnChange;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void FontChanged() override;
  void CreateParams(TCreateParams& Params) override;

 private:
  struct Metrics {
    int cellW = 0, cellH = 0, titleH = 0, margin = 0, todayH = 0;
  };
  Metrics Measure() const;
  TRect TitleButton(bool Next) const;
  TDateTime FirstShownDay() const;
  TRect DayCell(int Index) const;  // 0..41, row-major
  void Pick(TDateTime Value, bool ByMouse);
  TDateTime FDate = 0;
  TDateTime FMonth = 0;
  TDateTime FToday = 0;
};
