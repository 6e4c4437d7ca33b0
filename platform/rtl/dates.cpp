// Dates and times: TDateTime is a day count from 1899-12-30 with the time of day as the fraction; a
// negative value counts days back and keeps the time of day as the absolute fraction.
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/rtl/sysutils.h"

namespace {
// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}
const int64_t kEpochShift = 25569;  // 1970-01-01 as a TDateTime

// Splits into a day number and milliseconds of the day, rounding to the millisecond.
void Split(TDateTime D, int64_t& Day, int64_t& Ms) {
  if (!std::isfinite(D) || std::fabs(D) > 3e6) throw EConvertError("Invalid date/time value");
  Day = static_cast<int64_t>(std::trunc(D));
  Ms = static_cast<int64_t>(std::nearbyint(std::fabs(D - static_cast<double>(Day)) * MSecsPerDay));
  if (Ms >= MSecsPerDay) {
    Ms -= MSecsPerDay;
    Day += D >= 0 ? 1 : -1;
  }
}
TDateTime Combine(TDateTime DatePart, TDateTime TimePart) {
  TimePart = std::fabs(TimePart);
  return DatePart >= 0 ? DatePart + TimePart : DatePart - TimePart;
}
}  // namespace

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }
int DaysInAMonth(int Year, int Month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}
int DaysInMonth(TDateTime D) {
  int y, m, d;
  DecodeDate(D, y, m, d);
  return DaysInAMonth(y, m);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInAMonth(Year, Month)) return false;
  Result = static_cast<double>(DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) + kEpochShift);
  return true;
}
TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime r;
  if (!TryEncodeDate(Year, Month, Day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result) {
  if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 || MSec >= 1000) return false;
  Result = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
  return true;
}
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime r;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}
TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec) {
  return Combine(EncodeDate(Year, Month, Day), EncodeTime(Hour, Min, Sec, MSec));
}
bool TryFloatToDateTime(double Value, TDateTime& Result) {
  static const int64_t First = DaysFromCivil(1, 1, 1) + kEpochShift;
  static const int64_t Last = DaysFromCivil(9999, 12, 31) + kEpochShift;
  if (!std::isfinite(Value) || std::fabs(Value) > 3e6) return false;
  int64_t day, ms;
  Split(Value, day, ms);
  if (day < First || day > Last) return false;
  Result = Value;
  return true;
}
void DecodeDate(TDateTime D, int& Year, int& Month, int& Day) {
  int64_t day, ms;
  Split(D, day, ms);
  CivilFromDays(day - kEpochShift, Year, Month, Day);
}
void DecodeTime(TDateTime D, int& Hour, int& Min, int& Sec, int& MSec) {
  int64_t day, ms;
  Split(D, day, ms);
  Hour = static_cast<int>(ms / 3600000);
  Min = static_cast<int>(ms / 60000 % 60);
  Sec = static_cast<int>(ms / 1000 % 60);
  MSec = static_cast<int>(ms % 1000);
}
void DecodeDateTime(TDateTime D, int& Year, int& Month, int& Day, int& Hour, int& Min, int& Sec, int& MSec) {
  DecodeDate(D, Year, Month, Day);
  DecodeTime(D, Hour, Min, Sec, MSec);
}

TDateTime Now() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  localtime_r(&t, &tm);
  return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec > 59 ? 59 : tm.tm_sec, static_cast<int>(ms));
}
TDateTime Date() { return std::trunc(Now()); }
TDateTime Time() { return Frac(Now()); }

int DayOfWeek(TDateTime D) {
  int64_t day, ms;
  Split(D, day, ms);
  int64_t z = day - kEpochShift;  // 1970-01-01 was a Thursday
  int64_t w = ((z + 4) % 7 + 7) % 7;  // 0 = Sunday
  return static_cast<int>(w) + 1;
}

TDateTime IncMonth(TDateTime D, int NumberOfMonths) {
  int y, m, d;
  DecodeDate(D, y, m, d);
  int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + NumberOfMonths;
  int ny = static_cast<int>(total >= 0 ? total / 12 : (total - 11) / 12);
  int nm = static_cast<int>(total - static_cast<int64_t>(ny) * 12) + 1;
  int nd = std::min(d, DaysInAMonth(ny, nm));
  int64_t day, ms;
  Split(D, day, ms);
  return Combine(EncodeDate(ny, nm, nd), static_cast<double>(ms) / MSecsPerDay);
}
int YearOf(TDateTime D) { int y, m, d; DecodeDate(D, y, m, d); return y; }
int MonthOf(TDateTime D) { int y, m, d; DecodeDate(D, y, m, d); return m; }
int DayOf(TDateTime D) { int y, m, d; DecodeDate(D, y, m, d); return d; }

// ---------------------------------------------------------------------------------------------------
// FormatDateTime

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
bool StartsNoCase(const std::string& F, size_t i, const char* what) {
  for (size_t k = 0; what[k]; ++k)
    if (i + k >= F.size() || Lower(F[i + k]) != what[k]) return false;
  return true;
}
// Numbers are appended in place: formatting a date is on the path of every exported or drawn cell.
void AppendNum(std::string& out, int v) {
  char b[16];
  auto r = std::to_chars(b, b + sizeof b, v);
  out.append(b, r.ptr);
}
void AppendTwo(std::string& out, int v) {
  if (v >= 0 && v < 100) {
    out.push_back(static_cast<char>('0' + v / 10));
    out.push_back(static_cast<char>('0' + v % 10));
  } else {
    if (v < 10) out.push_back('0');  // as for small values (a negative year keeps it too)
    AppendNum(out, v);
  }
}

bool Uses12Hour(const std::string& F, size_t from) {
  char quote = 0;
  for (size_t i = from; i < F.size(); ++i) {
    if (quote) { if (F[i] == quote) quote = 0; continue; }
    if (F[i] == '"' || F[i] == '\'') { quote = F[i]; continue; }
    if (StartsNoCase(F, i, "am/pm") || StartsNoCase(F, i, "a/p") || StartsNoCase(F, i, "ampm")) return true;
  }
  return false;
}

void FormatTo(std::string& out, const std::string& F, TDateTime D, const TFormatSettings& FS, int depth) {
  if (depth > 2) return;
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(D, y, mo, d, h, mi, s, ms);
  const bool twelve = Uses12Hour(F, 0);
  bool lastWasHour = false;
  for (size_t i = 0; i < F.size();) {
    char c = Lower(F[i]);
    if (F[i] == '"' || F[i] == '\'') {
      char q = F[i++];
      while (i < F.size() && F[i] != q) out.push_back(F[i++]);
      if (i < F.size()) ++i;
      continue;
    }
    // No token takes more than six letters except a year, which takes its whole run; counting further
    // would make a long run of one letter cost its length squared.
    const size_t most = c == 'y' ? F.size() - i : 7;
    size_t run = 1;
    while (run < most && i + run < F.size() && Lower(F[i + run]) == c) ++run;
    bool hourToken = false;
    switch (c) {
      case 'y':
        if (run <= 2) {
          AppendTwo(out, y % 100);
        } else {
          // Four digits at least: "5-03-04" read back would be widened into the current century.
          if (y >= 0 && y < 1000) out.append(y < 10 ? 3 : y < 100 ? 2 : 1, '0');
          AppendNum(out, y);
        }
        i += run;
        break;
      case 'm':
        if (lastWasHour) {
          if (run >= 2) AppendTwo(out, mi);
          else AppendNum(out, mi);
          run = std::min<size_t>(run, 2);
        } else if (run == 1) AppendNum(out, mo);
        else if (run == 2) AppendTwo(out, mo);
        else if (run == 3) out += FS.ShortMonthNames[mo - 1];
        else { out += FS.LongMonthNames[mo - 1]; run = 4; }
        i += run;
        break;
      case 'd':
        if (run == 1) AppendNum(out, d);
        else if (run == 2) AppendTwo(out, d);
        else if (run == 3) out += FS.ShortDayNames[DayOfWeek(D) - 1];
        else if (run == 4) out += FS.LongDayNames[DayOfWeek(D) - 1];
        else if (run == 5) FormatTo(out, FS.ShortDateFormat, D, FS, depth + 1);
        else { FormatTo(out, FS.LongDateFormat, D, FS, depth + 1); run = 6; }
        i += run;
        break;
      case 'h': {
        int hh = h;
        if (twelve) { hh = h % 12; if (hh == 0) hh = 12; }
        run = std::min<size_t>(run, 2);
        if (run == 2) AppendTwo(out, hh);
        else AppendNum(out, hh);
        i += run;
        hourToken = true;
        break;
      }
      case 'n':
        run = std::min<size_t>(run, 2);
        if (run == 2) AppendTwo(out, mi);
        else AppendNum(out, mi);
        i += run;
        break;
      case 's':
        run = std::min<size_t>(run, 2);
        if (run == 2) AppendTwo(out, s);
        else AppendNum(out, s);
        i += run;
        break;
      case 'z':
        if (run >= 3) { out += (ms < 100 ? (ms < 10 ? "00" : "0") : "") + std::to_string(ms); run = 3; }
        else { out += std::to_string(ms); run = 1; }
        i += run;
        break;
      case 't':
        run = std::min<size_t>(run, 2);
        FormatTo(out, run == 2 ? FS.LongTimeFormat : FS.ShortTimeFormat, D, FS, depth + 1);
        i += run;
        break;
      case 'c':
        FormatTo(out, FS.ShortDateFormat, D, FS, depth + 1);
        if (Frac(D) != 0) {
          out.push_back(' ');
          FormatTo(out, FS.LongTimeFormat, D, FS, depth + 1);
        }
        i += 1;
        break;
      case 'a':
        if (StartsNoCase(F, i, "am/pm")) {
          out += F[i] == 'A' ? (h < 12 ? "AM" : "PM") : (h < 12 ? "am" : "pm");
          i += 5;
        } else if (StartsNoCase(F, i, "a/p")) {
          out += F[i] == 'A' ? (h < 12 ? "A" : "P") : (h < 12 ? "a" : "p");
          i += 3;
        }
        else if (StartsNoCase(F, i, "ampm")) { out += h < 12 ? FS.TimeAMString : FS.TimePMString; i += 4; }
        else { out.push_back(F[i]); i += 1; }
        break;
      case '/':
        out.push_back(FS.DateSeparator);
        i += 1;
        continue;
      case ':':
        out.push_back(FS.TimeSeparator);
        i += 1;
        continue;
      default:
        out.push_back(F[i]);
        i += 1;
        // Literal characters do not break an "h ... m" pair (as in "hh:mm").
        continue;
    }
    lastWasHour = hourToken;
  }
}
}  // namespace

std::string FormatDateTime(const std::string& Fmt, TDateTime D) { return FormatDateTime(Fmt, D, FormatSettings); }
std::string FormatDateTime(const std::string& Fmt, TDateTime D, const TFormatSettings& FS) {
  std::string out;
  FormatTo(out, Fmt.empty() ? std::string("c") : Fmt, D, FS, 0);
  return out;
}
std::string DateToStr(TDateTime D) { return FormatDateTime(FormatSettings.ShortDateFormat, D); }
std::string TimeToStr(TDateTime D) { return FormatDateTime(FormatSettings.LongTimeFormat, D); }
std::string DateTimeToStr(TDateTime D) { return FormatDateTime("c", D); }

// ---------------------------------------------------------------------------------------------------
// Reading dates and times

namespace {
bool ReadNumbers(const std::string& S, size_t& i, std::vector<int>& nums, const std::string& seps, size_t maxCount) {
  while (nums.size() < maxCount) {
    if (i >= S.size() || S[i] < '0' || S[i] > '9') return !nums.empty();
    int v = 0, digits = 0;
    while (i < S.size() && S[i] >= '0' && S[i] <= '9') {
      if (++digits > 4) return false;
      v = v * 10 + (S[i++] - '0');
    }
    nums.push_back(v);
    if (i < S.size() && seps.find(S[i]) != std::string::npos && nums.size() < maxCount) ++i;
    else break;
  }
  return true;
}

int ExpandYear(int y, int digits, const TFormatSettings& FS) {
  if (digits > 2) return y;
  int current = YearOf(Now());
  int window = FS.TwoDigitYearCenturyWindow;
  if (window <= 0) return (current / 100) * 100 + y;
  int threshold = current - window;
  int r = (threshold / 100) * 100 + y;
  if (r < threshold) r += 100;
  return r;
}

bool ParseDate(const std::string& S, size_t& i, TDateTime& D, const TFormatSettings& FS) {
  std::string seps = std::string(1, FS.DateSeparator) + "/-.";
  size_t start = i;
  std::vector<int> n;
  if (!ReadNumbers(S, i, n, seps, 3)) return false;
  // Year digits as written, for two-digit years.
  std::vector<int> widths;
  {
    size_t k = start;
    for (size_t j = 0; j < n.size(); ++j) {
      int w = 0;
      while (k < S.size() && S[k] >= '0' && S[k] <= '9') { ++w; ++k; }
      widths.push_back(w);
      ++k;
    }
  }
  // Order of y, m, d in the short date format.
  std::string order;
  for (char c : FS.ShortDateFormat) {
    char l = Lower(c);
    if ((l == 'y' || l == 'm' || l == 'd') && order.find(l) == std::string::npos) order.push_back(l);
  }
  if (order.size() != 3) order = "ymd";
  int y = 0, m = 0, d = 0;
  if (n.size() == 3) {
    for (size_t k = 0; k < 3; ++k) {
      if (order[k] == 'y') y = ExpandYear(n[k], widths[k], FS);
      else if (order[k] == 'm') m = n[k];
      else d = n[k];
    }
  } else if (n.size() == 2) {
    y = YearOf(Now());
    std::string md;
    for (char c : order) if (c != 'y') md.push_back(c);
    m = md[0] == 'm' ? n[0] : n[1];
    d = md[0] == 'm' ? n[1] : n[0];
  } else {
    return false;
  }
  return TryEncodeDate(y, m, d, D);
}

bool ParseTime(const std::string& S, size_t& i, TDateTime& T, const TFormatSettings& FS) {
  std::string seps(1, FS.TimeSeparator);
  std::vector<int> n;
  if (!ReadNumbers(S, i, n, seps + ":", 3)) return false;
  int ms = 0;
  if (n.size() == 3 && i < S.size() && (S[i] == '.' || S[i] == FS.DecimalSeparator)) {
    ++i;
    int digits = 0;
    while (i < S.size() && S[i] >= '0' && S[i] <= '9') {
      if (digits < 3) ms = ms * 10 + (S[i] - '0');
      ++digits;
      ++i;
    }
    while (digits > 0 && digits < 3) { ms *= 10; ++digits; }
  }
  if (n.size() < 2 && !(n.size() == 1)) return false;
  int h = n[0], mi = n.size() > 1 ? n[1] : 0, s = n.size() > 2 ? n[2] : 0;
  while (i < S.size() && S[i] == ' ') ++i;
  if (StartsNoCase(S, i, "am") || StartsNoCase(S, i, "pm")) {
    bool pm = Lower(S[i]) == 'p';
    if (h < 1 || h > 12) return false;
    h = h % 12 + (pm ? 12 : 0);
    i += 2;
  } else if (n.size() == 1) {
    return false;  // a lone number is not a time
  }
  return TryEncodeTime(h, mi, s, ms, T);
}
}  // namespace

bool TryStrToDate(const std::string& S, TDateTime& D, const TFormatSettings& FS) {
  std::string t = Trim(S);
  size_t i = 0;
  TDateTime r;
  if (!ParseDate(t, i, r, FS) || i != t.size()) return false;
  D = r;
  return true;
}
bool TryStrToDate(const std::string& S, TDateTime& D) { return TryStrToDate(S, D, FormatSettings); }
TDateTime StrToDate(const std::string& S, const TFormatSettings& FS) {
  TDateTime d;
  if (!TryStrToDate(S, d, FS)) throw EConvertError("'" + S + "' is not a valid date");
  return d;
}
TDateTime StrToDate(const std::string& S) { return StrToDate(S, FormatSettings); }
bool TryStrToTime(const std::string& S, TDateTime& D, const TFormatSettings& FS) {
  std::string t = Trim(S);
  size_t i = 0;
  TDateTime r;
  if (!ParseTime(t, i, r, FS) || i != t.size()) return false;
  D = r;
  return true;
}
bool TryStrToTime(const std::string& S, TDateTime& D) { return TryStrToTime(S, D, FormatSettings); }
TDateTime StrToTime(const std::string& S) {
  TDateTime d;
  if (!TryStrToTime(S, d)) throw EConvertError("'" + S + "' is not a valid time");
  return d;
}
bool TryStrToDateTime(const std::string& S, TDateTime& D, const TFormatSettings& FS) {
  std::string t = Trim(S);
  size_t i = 0;
  TDateTime date;
  if (!ParseDate(t, i, date, FS)) return TryStrToTime(t, D, FS);
  while (i < t.size() && t[i] == ' ') ++i;
  if (i == t.size()) { D = date; return true; }
  TDateTime time;
  if (!ParseTime(t, i, time, FS) || i != t.size()) return false;
  D = Combine(date, time);
  return true;
}
bool TryStrToDateTime(const std::string& S, TDateTime& D) { return TryStrToDateTime(S, D, FormatSettings); }
TDateTime StrToDateTime(const std::string& S, const TFormatSettings& FS) {
  TDateTime d;
  if (!TryStrToDateTime(S, d, FS)) throw EConvertError("'" + S + "' is not a valid date and time");
  return d;
}
TDateTime StrToDateTime(const std::string& S) { return StrToDateTime(S, FormatSettings); }
std::string DateToStr(TDateTime D, const TFormatSettings& FS) { return FormatDateTime(FS.ShortDateFormat, D, FS); }
std::string DateTimeToStr(TDateTime D, const TFormatSettings& FS) { return FormatDateTime("c", D, FS); }
