#pragma once
// Strings, formatting, conversions, file names, dates and the exception classes of the run-time library.
// Strings are UTF-8 std::string; positions and lengths are 1-based byte counts unless a routine says it
// counts characters.

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/system.h"

class Variant;

// ---------------------------------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
 public:
  explicit Exception(std::string Msg) : FMessage(std::move(Msg)) {}
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;
  ~Exception() override = default;
  const std::string& Message() const { return FMessage; }
  void SetMessage(std::string Msg) { FMessage = std::move(Msg); }
  const char* what() const noexcept override { return FMessage.c_str(); }
  // Name of the most derived exception class ("EConvertError").
  virtual const char* ClassName() const { return "Exception"; }
  int HelpContext = 0;

 private:
  std::string FMessage;
};

#define RTL_DECLARE_EXCEPTION(Name, Parent)                   \
  class Name : public Parent {                                \
   public:                                                    \
    using Parent::Parent;                                     \
    const char* ClassName() const override { return #Name; } \
  };

RTL_DECLARE_EXCEPTION(EAbort, Exception)
RTL_DECLARE_EXCEPTION(EConvertError, Exception)
RTL_DECLARE_EXCEPTION(EOutOfMemory, Exception)
RTL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
RTL_DECLARE_EXCEPTION(EInvalidPointer, Exception)
RTL_DECLARE_EXCEPTION(EInvalidCast, Exception)
RTL_DECLARE_EXCEPTION(EListError, Exception)
RTL_DECLARE_EXCEPTION(EStringListError, Exception)
RTL_DECLARE_EXCEPTION(EStreamError, Exception)
RTL_DECLARE_EXCEPTION(EFileStreamError, EStreamError)
RTL_DECLARE_EXCEPTION(EFOpenError, EFileStreamError)
RTL_DECLARE_EXCEPTION(EFCreateError, EFileStreamError)
RTL_DECLARE_EXCEPTION(EFilerError, EStreamError)
RTL_DECLARE_EXCEPTION(EReadError, EFilerError)
RTL_DECLARE_EXCEPTION(EWriteError, EFilerError)
RTL_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
RTL_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
RTL_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)
RTL_DECLARE_EXCEPTION(EExternal, Exception)
RTL_DECLARE_EXCEPTION(EIntError, EExternal)
RTL_DECLARE_EXCEPTION(EDivByZero, EIntError)
RTL_DECLARE_EXCEPTION(ERangeError, EIntError)
RTL_DECLARE_EXCEPTION(EIntOverflow, EIntError)
RTL_DECLARE_EXCEPTION(EMathError, EExternal)
RTL_DECLARE_EXCEPTION(EZeroDivide, EMathError)
RTL_DECLARE_EXCEPTION(EOverflow, EMathError)
RTL_DECLARE_EXCEPTION(EInvalidOp, EMathError)
RTL_DECLARE_EXCEPTION(EVariantError, Exception)
RTL_DECLARE_EXCEPTION(EComponentError, Exception)
RTL_DECLARE_EXCEPTION(EOSError, Exception)
RTL_DECLARE_EXCEPTION(EInOutError, Exception)
RTL_DECLARE_EXCEPTION(ENotSupportedException, Exception)
RTL_DECLARE_EXCEPTION(EAssertionFailed, Exception)

// Raises the silent exception (message "Operation aborted").
[[noreturn]] void Abort();

// ---------------------------------------------------------------------------------------------------
// Locale settings

struct TFormatSettings {
  std::string CurrencyString = "¥";
  uint8_t CurrencyFormat = 0;     // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  uint8_t NegCurrFormat = 2;      // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", ...
  uint8_t CurrencyDecimals = 2;
  char ThousandSeparator = ',';
  char DecimalSeparator = '.';
  char DateSeparator = '-';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string LongDateFormat = "yyyy'年'm'月'd'日'";
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
  std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  uint16_t TwoDigitYearCenturyWindow = 50;
};

// The process's settings; every routine without an explicit settings argument reads these.
extern TFormatSettings FormatSettings;

// ---------------------------------------------------------------------------------------------------
// Format: the class library's format strings.
//   %[index:][-][width][.precision]type, type one of d u x s f e g n m p; '*' takes width or precision
//   from the arguments; "%%" is a percent sign. A mismatched argument or a missing one raises
//   EConvertError ("Format '%s' invalid or incompatible with argument"). The width and precision of
//   %s count whole UTF-8 characters, so a precision never splits a character.
// Float conversions (f e g n m) round the decimal digit string half away from zero, working from the
// value's 15 significant digits (so Format("%.1f", 0.25) is "0.3" and 0.15 gives "0.2"); Round() is the
// one that rounds half to even.

struct TVarRec {
  enum TKind { vtInteger, vtInt64, vtUInt64, vtExtended, vtCurrency, vtString, vtChar, vtBoolean, vtPointer,
               vtVariant };
  TKind Kind = vtInteger;
  int64_t I = 0;          // vtInteger, vtInt64, vtUInt64 (bits), vtCurrency (raw), vtChar, vtBoolean
  long double E = 0;      // vtExtended
  int Digits = 15;        // significant digits that the source type carries (vtExtended)
  std::string S;          // vtString
  const void* P = nullptr;  // vtPointer, vtVariant

  TVarRec(int V) : Kind(vtInteger), I(V) {}
  TVarRec(short V) : Kind(vtInteger), I(V) {}
  TVarRec(signed char V) : Kind(vtInteger), I(V) {}
  TVarRec(unsigned char V) : Kind(vtInteger), I(V) {}
  TVarRec(unsigned short V) : Kind(vtInteger), I(V) {}
  TVarRec(unsigned int V) : Kind(vtInt64), I(V) {}
  TVarRec(long V) : Kind(vtInt64), I(V) {}
  TVarRec(long long V) : Kind(vtInt64), I(V) {}
  TVarRec(unsigned long V) : Kind(vtUInt64), I(static_cast<int64_t>(V)) {}
  TVarRec(unsigned long long V) : Kind(vtUInt64), I(static_cast<int64_t>(V)) {}
  TVarRec(float V) : Kind(vtExtended), E(V), Digits(7) {}
  TVarRec(double V) : Kind(vtExtended), E(V), Digits(15) {}
  TVarRec(long double V) : Kind(vtExtended), E(V), Digits(18) {}
  TVarRec(Currency V) : Kind(vtCurrency), I(V.Value) {}
  TVarRec(bool V) : Kind(vtBoolean), I(V) {}
  TVarRec(char V) : Kind(vtChar), I(static_cast<unsigned char>(V)) {}
  TVarRec(const char* V) : Kind(vtString), S(V ? V : "") {}
  TVarRec(const std::string& V) : Kind(vtString), S(V) {}
  TVarRec(std::string_view V) : Kind(vtString), S(V) {}
  TVarRec(const void* V) : Kind(vtPointer), P(V) {}
  TVarRec(std::nullptr_t) : Kind(vtPointer), P(nullptr) {}
  TVarRec(const Variant& V);  // formatted through its value (the Variant must outlive the call)
};

std::string Format(const std::string& Fmt, const std::vector<TVarRec>& Args);
std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args);
template <typename... A>
std::string Format(const std::string& Fmt, const A&... Args) {
  return Format(Fmt, std::vector<TVarRec>{TVarRec(Args)...});
}
std::string Format(const std::string& Fmt, const std::vector<TVarRec>& Args, const TFormatSettings& FS);

// ---------------------------------------------------------------------------------------------------
// Numbers and text

std::string IntToStr(int64_t Value);
std::string UIntToStr(uint64_t Value);
// Upper-case hexadecimal, at least Digits digits; negative values are shown in two's complement of
// the given width (Integer: 8 digits, Int64: 16).
std::string IntToHex(int32_t Value, int Digits);
std::string IntToHex(int64_t Value, int Digits);
std::string IntToHex(uint32_t Value, int Digits);
std::string IntToHex(uint64_t Value, int Digits);
// Decimal with optional sign, or hexadecimal with '$', "0x" or "0X"; surrounding blanks allowed.
// Raises EConvertError ("'abc' is not a valid integer value") on bad text or overflow of Integer.
int32_t StrToInt(const std::string& S);
int64_t StrToInt64(const std::string& S);
int32_t StrToIntDef(const std::string& S, int32_t Default);
int64_t StrToInt64Def(const std::string& S, int64_t Default);
bool TryStrToInt(const std::string& S, int32_t& Value);
bool TryStrToInt64(const std::string& S, int64_t& Value);
bool StrToBool(const std::string& S);  // "True"/"False" (any case) or a number; EConvertError
bool TryStrToBool(const std::string& S, bool& Value);
std::string BoolToStr(bool B, bool UseBoolStrs = false);  // "-1"/"0", or "True"/"False"

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// General format with 15 significant digits: "0.1", "1E20", "1.5E-7".
std::string FloatToStr(long double Value);
std::string FloatToStr(long double Value, const TFormatSettings& FS);
std::string FloatToStrF(long double Value, TFloatFormat Format, int Precision, int Digits);
std::string FloatToStrF(long double Value, TFloatFormat Format, int Precision, int Digits,
                        const TFormatSettings& FS);
// Patterns: sections "positive;negative;zero", '0' digit, '#' optional digit, '.' decimal point,
// ',' thousands, "E+"/"E-"/"e+"/"e-" exponent, quoted literal text. Digits are rounded half away from
// zero on the decimal string of the value's 15 significant digits.
std::string FormatFloat(const std::string& Fmt, long double Value);
std::string FormatFloat(const std::string& Fmt, long double Value, const TFormatSettings& FS);
std::string FormatCurr(const std::string& Fmt, Currency Value);
// The decimal separator is FormatSettings.DecimalSeparator; blanks around the number are allowed;
// thousands separators are not. Raises EConvertError ("'x' is not a valid floating point value").
long double StrToFloat(const std::string& S);
long double StrToFloat(const std::string& S, const TFormatSettings& FS);
long double StrToFloatDef(const std::string& S, long double Default);
bool TryStrToFloat(const std::string& S, long double& Value);
bool TryStrToFloat(const std::string& S, double& Value);
bool TryStrToFloat(const std::string& S, long double& Value, const TFormatSettings& FS);
// Reads decimal text into the nearest double (not through long double, which would round twice).
bool TryStrToFloat(const std::string& S, double& Value, const TFormatSettings& FS);
std::string CurrToStr(Currency Value);
std::string CurrToStrF(Currency Value, TFloatFormat Format, int Digits);
Currency StrToCurr(const std::string& S);  // EConvertError
bool TryStrToCurr(const std::string& S, Currency& Value);
Currency FloatToCurr(double Value);        // ERangeError-free rounding half to even; EConvertError on overflow

// ASCII-only case mapping (bytes >= 0x80 are left alone, so UTF-8 passes through unchanged).
std::string UpperCase(const std::string& S);
std::string LowerCase(const std::string& S);
// The "Ansi" forms also map case; for UTF-8 text they map ASCII letters and Latin-1/Greek/Cyrillic
// letters through their UTF-32 code points; other characters are unchanged.
std::string AnsiUpperCase(const std::string& S);
std::string AnsiLowerCase(const std::string& S);
// Comparison: < 0, 0, > 0. CompareStr is by bytes; CompareText ignores ASCII case; the Ansi forms
// compare case-insensitively by code point after AnsiUpperCase.
int CompareStr(const std::string& A, const std::string& B);
int CompareText(const std::string& A, const std::string& B);
bool SameStr(const std::string& A, const std::string& B);
bool SameText(const std::string& A, const std::string& B);
int AnsiCompareStr(const std::string& A, const std::string& B);
int AnsiCompareText(const std::string& A, const std::string& B);
bool AnsiSameText(const std::string& A, const std::string& B);
bool AnsiSameStr(const std::string& A, const std::string& B);
// Compares at most MaxLen whole characters of A and B ignoring case as AnsiCompareText does.
int AnsiStrLIComp(std::string_view A, std::string_view B, int MaxLen);
bool StartsText(const std::string& SubText, const std::string& Text);  // ignoring ASCII case
bool EndsText(const std::string& SubText, const std::string& Text);
bool StartsStr(const std::string& SubText, const std::string& Text);
bool EndsStr(const std::string& SubText, const std::string& Text);

// Trim removes bytes <= ' ' (blanks and control characters) at the ends.
std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
std::string StringReplace(const std::string& S, const std::string& OldPattern, const std::string& NewPattern,
                          TReplaceFlags Flags);

// 1-based byte position of SubStr in S at or after Offset, 0 when absent (or SubStr empty).
int Pos(const std::string& SubStr, const std::string& S, int Offset = 1);
inline int AnsiPos(const std::string& SubStr, const std::string& S) { return Pos(SubStr, S); }
// Count bytes from 1-based Index; out-of-range parts are clipped (never throws).
std::string Copy(const std::string& S, int Index, int Count = 0x7FFFFFFF);
// Deletes Count bytes at 1-based Index (clipped); inserts Source before 1-based Index (clipped).
void Delete(std::string& S, int Index, int Count);
void Insert(const std::string& Source, std::string& S, int Index);
std::string StringOfChar(char Ch, int Count);
std::string DupeString(const std::string& S, int Count);
std::string LeftStr(const std::string& S, int Count);
std::string RightStr(const std::string& S, int Count);
std::string MidStr(const std::string& S, int Start, int Count);
inline int Length(const std::string& S) { return static_cast<int>(S.size()); }

// 'it''s' style quoting; AnsiQuotedStr uses Quote instead of the apostrophe.
std::string QuotedStr(const std::string& S);
std::string AnsiQuotedStr(const std::string& S, char Quote);
// Removes the quotes of a quoted string and undoubles the inner quotes; text that does not begin with
// Quote is returned unchanged. A missing closing quote takes the rest of the text.
std::string AnsiDequotedStr(const std::string& S, char Quote);
// Reads a quoted string at P (which must point at Quote), advances P past it; as above.
std::string AnsiExtractQuotedStr(const char*& P, const char* End, char Quote);
std::string AdjustLineBreaks(const std::string& S);  // any of CR, LF, CR LF becomes sLineBreak
inline constexpr const char* sLineBreak = "\n";

bool IsValidIdent(const std::string& Ident, bool AllowDots = false);
bool IsDelimiter(const std::string& Delimiters, const std::string& S, int Index);
int LastDelimiter(const std::string& Delimiters, const std::string& S);  // 1-based, 0 when none

// ---------------------------------------------------------------------------------------------------
// UTF-8

// Number of whole characters (a malformed byte counts as one character).
int Utf8Length(std::string_view S);
// Byte length of the character starting at byte offset I (0-based; 1 for malformed bytes, 0 at end).
int Utf8CharLen(std::string_view S, size_t I);
// Byte offset of the character after the one at I, never past S.size().
size_t Utf8Next(std::string_view S, size_t I);
// Byte offset of the start of the character before I (0 at the start).
size_t Utf8Prev(std::string_view S, size_t I);
// The first MaxChars whole characters of S.
std::string Utf8Left(std::string_view S, int MaxChars);
// The longest prefix of at most MaxBytes bytes that does not split a character.
std::string Utf8TruncateBytes(std::string_view S, size_t MaxBytes);
// Decodes the character at I into CodePoint (U+FFFD for malformed input) and returns its byte length.
int Utf8Decode(std::string_view S, size_t I, char32_t& CodePoint);
void Utf8Append(std::string& S, char32_t CodePoint);
std::u16string Utf8ToUtf16(std::string_view S);
std::string Utf16ToUtf8(std::u16string_view S);
std::u32string Utf8ToUtf32(std::string_view S);
std::string Utf32ToUtf8(std::u32string_view S);
inline WideString UTF8Decode(const std::string& S) { return Utf8ToUtf16(S); }
inline std::string UTF8Encode(const WideString& S) { return Utf16ToUtf8(S); }
bool IsValidUtf8(std::string_view S);

// A character beyond the Basic Multilingual Plane is typed as two WM_CHAR messages, one UTF-16 half
// each. A control that searches as the user types hands every typed unit to one of these: a first half
// is kept until its second half comes, and then the whole character is given.
class TTypedCharJoiner {
 public:
  // The character that Unit completes: Unit itself, or the pair that a second half ends. 0 for a first
  // half (kept) and for a second half that has no first.
  char32_t Join(char16_t Unit);
  // A first half waits for its second.
  bool Pending() const { return FHigh != 0; }
  void Clear() { FHigh = 0; }

 private:
  char16_t FHigh = 0;
};

// The GBK code page (for file formats whose bytes are fixed in it), through the C library's iconv.
// A character GBK cannot hold becomes '?'; a malformed GBK byte becomes U+FFFD.
std::string Utf8ToGbk(std::string_view S);
std::string GbkToUtf8(std::string_view S);

// ---------------------------------------------------------------------------------------------------
// Keyboard shortcuts: a virtual-key code in the low byte and modifier flags above it. The controls
// layer, which owns the shift-state set, turns its set into these flags.
using TShortCut = uint16_t;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut ShortCut(uint16_t Key, uint16_t ModifierFlags) {
  return static_cast<TShortCut>((Key & 0xFF) | (ModifierFlags & (scShift | scCtrl | scAlt)));
}
constexpr void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, uint16_t& ModifierFlags) {
  Key = ShortCut & 0xFF;
  ModifierFlags = ShortCut & (scShift | scCtrl | scAlt);
}

// ---------------------------------------------------------------------------------------------------
// Resource strings: each library fills the table at start-up with its messages by id and name; the
// last registration of an id or name wins. A missing id gives "".
void RegisterResourceString(int Id, const std::string& Name, const std::string& Text);
std::string LoadResString(int Id);
inline std::string LoadStr(int Id) { return LoadResString(Id); }
// True and the text when a resource string of that name (exact case) is registered.
bool FindResourceString(const std::string& Name, std::string& Text);

// ---------------------------------------------------------------------------------------------------
// File names and files. '/' and '\' both separate folders on input; '/' is produced.

inline constexpr char PathDelim = '/';
inline constexpr char DriveDelim = ':';
std::string ExtractFilePath(const std::string& FileName);   // folder with its trailing separator
std::string ExtractFileDir(const std::string& FileName);    // folder without the trailing separator
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);    // ".png", or "" without an extension
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);
std::string IncludeTrailingPathDelimiter(const std::string& S);
std::string ExcludeTrailingPathDelimiter(const std::string& S);
inline std::string IncludeTrailingBackslash(const std::string& S) { return IncludeTrailingPathDelimiter(S); }
inline std::string ExcludeTrailingBackslash(const std::string& S) { return ExcludeTrailingPathDelimiter(S); }
// Turns every '\' into '/'.
std::string NormalizePathDelimiters(const std::string& FileName);
std::string ExpandFileName(const std::string& FileName);
bool FileExists(const std::string& FileName);       // a file (not a folder)
bool DirectoryExists(const std::string& Directory);
bool ForceDirectories(const std::string& Dir);      // creates every missing folder; true when it exists
bool CreateDir(const std::string& Dir);
bool RemoveDir(const std::string& Dir);
bool DeleteFile(const std::string& FileName);
bool RenameFile(const std::string& OldName, const std::string& NewName);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& Dir);
int64_t FileSizeOf(const std::string& FileName);    // -1 when missing
// The folder of the running program, with its trailing separator.
std::string ExecutablePath();

// ---------------------------------------------------------------------------------------------------
// Dates and times

inline constexpr int HoursPerDay = 24;
inline constexpr int MinsPerDay = 24 * 60;
inline constexpr int SecsPerDay = MinsPerDay * 60;
inline constexpr int MSecsPerDay = SecsPerDay * 1000;
inline constexpr double DateDelta = 693594;  // days from 0001-01-01 to 1899-12-31

bool IsLeapYear(int Year);
int DaysInAMonth(int Year, int Month);
int DaysInMonth(TDateTime D);
// Raise EConvertError ("Invalid argument to date encode" / "... time encode").
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec);
// True (and Result = Value) for a date and time that can be shown and read back: 0001-01-01 00:00 to
// 9999-12-31 23:59:59.999, to the millisecond. Infinite, NaN and far-off values are refused.
bool TryFloatToDateTime(double Value, TDateTime& Result);
void DecodeDate(TDateTime D, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime D, int& Hour, int& Min, int& Sec, int& MSec);
void DecodeDateTime(TDateTime D, int& Year, int& Month, int& Day, int& Hour, int& Min, int& Sec, int& MSec);
TDateTime Now();
TDateTime Date();
TDateTime Time();
int DayOfWeek(TDateTime D);  // 1 = Sunday .. 7 = Saturday
// Same day in the month NumberOfMonths later, clipped to that month's last day; the time is kept.
TDateTime IncMonth(TDateTime D, int NumberOfMonths = 1);
inline TDateTime IncDay(TDateTime D, int Days = 1) { return D + Days; }
int YearOf(TDateTime D);
int MonthOf(TDateTime D);
int DayOf(TDateTime D);
// Format letters: yyyy yy m mm mmm mmmm d dd ddd dddd ddddd (short date) dddddd (long date) h hh n nn
// s ss z zzz t tt c am/pm a/p ampm '/' (date separator) ':' (time separator) "..." '...' literal text.
std::string FormatDateTime(const std::string& Fmt, TDateTime D);
std::string FormatDateTime(const std::string& Fmt, TDateTime D, const TFormatSettings& FS);
std::string DateToStr(TDateTime D);
std::string TimeToStr(TDateTime D);
std::string DateTimeToStr(TDateTime D);
// Reads a date in the order of ShortDateFormat's y, m and d with DateSeparator (also '/', '-', '.');
// a two-digit year uses TwoDigitYearCenturyWindow. EConvertError ("'x' is not a valid date").
TDateTime StrToDate(const std::string& S);
bool TryStrToDate(const std::string& S, TDateTime& D);
TDateTime StrToTime(const std::string& S);
bool TryStrToTime(const std::string& S, TDateTime& D);
TDateTime StrToDateTime(const std::string& S);
bool TryStrToDateTime(const std::string& S, TDateTime& D);
// The same with explicit settings (a data set's own locale, a test's).
TDateTime StrToDate(const std::string& S, const TFormatSettings& FS);
bool TryStrToDate(const std::string& S, TDateTime& D, const TFormatSettings& FS);
bool TryStrToTime(const std::string& S, TDateTime& D, const TFormatSettings& FS);
TDateTime StrToDateTime(const std::string& S, const TFormatSettings& FS);
bool TryStrToDateTime(const std::string& S, TDateTime& D, const TFormatSettings& FS);
std::string DateToStr(TDateTime D, const TFormatSettings& FS);
std::string DateTimeToStr(TDateTime D, const TFormatSettings& FS);
