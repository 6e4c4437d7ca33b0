// Text routines: integers, case, comparison, trimming, searching, quoting and UTF-8.
#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/rtl/sysutils.h"

TFormatSettings FormatSettings;

void Abort() { throw EAbort("Operation aborted"); }

// ---------------------------------------------------------------------------------------------------
// Integers

std::string IntToStr(int64_t Value) { return std::to_string(Value); }
std::string UIntToStr(uint64_t Value) { return std::to_string(Value); }

namespace {
std::string Hex(uint64_t V, int Digits) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  do {
    s.push_back(digits[V & 15]);
    V >>= 4;
  } while (V);
  while (static_cast<int>(s.size()) < Digits) s.push_back('0');
  std::reverse(s.begin(), s.end());
  return s;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Parses decimal or hexadecimal ('$', "0x", "0X", also after a sign) with surrounding blanks.
bool ParseInt64(const std::string& S, int64_t& Out, int64_t Lo, int64_t Hi) {
  size_t i = 0, n = S.size();
  while (i < n && IsBlank(S[i])) ++i;
  while (n > i && IsBlank(S[n - 1])) --n;
  if (i >= n) return false;
  bool neg = false;
  if (S[i] == '+' || S[i] == '-') {
    neg = S[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && S[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return false;
  unsigned __int128 v = 0;
  for (; i < n; ++i) {
    char c = S[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > (static_cast<unsigned __int128>(1) << 64)) return false;
  }
  __int128 sv;
  if (base == 16 && !neg && v <= UINT64_MAX && Hi == INT64_MAX && v > INT64_MAX) {
    sv = static_cast<int64_t>(static_cast<uint64_t>(v));  // "$FFFFFFFFFFFFFFFF" is -1 as an Int64
  } else if (base == 16 && !neg && Hi == INT32_MAX && v <= UINT32_MAX && v > INT32_MAX) {
    sv = static_cast<int32_t>(static_cast<uint32_t>(v));  // "$FFFFFFFF" is -1 as an Integer
  } else {
    sv = neg ? -static_cast<__int128>(v) : static_cast<__int128>(v);
  }
  if (sv < Lo || sv > Hi) return false;
  Out = static_cast<int64_t>(sv);
  return true;
}

[[noreturn]] void IntError(const std::string& S) {
  throw EConvertError("'" + S + "' is not a valid integer value");
}
}  // namespace

std::string IntToHex(int32_t Value, int Digits) { return Hex(static_cast<uint32_t>(Value), Digits); }
std::string IntToHex(int64_t Value, int Digits) { return Hex(static_cast<uint64_t>(Value), Digits); }
std::string IntToHex(uint32_t Value, int Digits) { return Hex(Value, Digits); }
std::string IntToHex(uint64_t Value, int Digits) { return Hex(Value, Digits); }

bool TryStrToInt(const std::string& S, int32_t& Value) {
  int64_t v;
  if (!ParseInt64(S, v, INT32_MIN, INT32_MAX)) return false;
  Value = static_cast<int32_t>(v);
  return true;
}
bool TryStrToInt64(const std::string& S, int64_t& Value) { return ParseInt64(S, Value, INT64_MIN, INT64_MAX); }
int32_t StrToInt(const std::string& S) {
  int32_t v;
  if (!TryStrToInt(S, v)) IntError(S);
  return v;
}
int64_t StrToInt64(const std::string& S) {
  int64_t v;
  if (!TryStrToInt64(S, v)) IntError(S);
  return v;
}
int32_t StrToIntDef(const std::string& S, int32_t Default) {
  int32_t v;
  return TryStrToInt(S, v) ? v : Default;
}
int64_t StrToInt64Def(const std::string& S, int64_t Default) {
  int64_t v;
  return TryStrToInt64(S, v) ? v : Default;
}

bool TryStrToBool(const std::string& S, bool& Value) {
  std::string t = Trim(S);
  if (SameText(t, "True")) { Value = true; return true; }
  if (SameText(t, "False")) { Value = false; return true; }
  long double f;
  if (TryStrToFloat(t, f)) { Value = f != 0; return true; }
  return false;
}
bool StrToBool(const std::string& S) {
  bool b;
  if (!TryStrToBool(S, b)) throw EConvertError("'" + S + "' is not a valid boolean value");
  return b;
}
std::string BoolToStr(bool B, bool UseBoolStrs) {
  if (UseBoolStrs) return B ? "True" : "False";
  return B ? "-1" : "0";
}

// ---------------------------------------------------------------------------------------------------
// Case and comparison

std::string UpperCase(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}
std::string LowerCase(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

namespace {
char32_t UpperCP(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;                 // Latin-1
  if (c >= 0x100 && c <= 0x17F && (c & 1) && c != 0x131 && c != 0x149) return c - 1;  // Latin Extended-A (approx.)
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;               // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 32;                             // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;                           // full-width Latin
  return c;
}
char32_t LowerCP(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c >= 0x100 && c <= 0x17F && !(c & 1) && c != 0x130 && c != 0x138) return c + 1;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
  return c;
}
template <typename F>
std::string MapUtf8(const std::string& S, F f) {
  std::string r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    unsigned char b = static_cast<unsigned char>(S[i]);
    if (b < 0x80) {
      r.push_back(static_cast<char>(f(b)));
      ++i;
      continue;
    }
    char32_t cp;
    int len = Utf8Decode(S, i, cp);
    if (cp == 0xFFFD && len == 1) r.push_back(S[i]);  // malformed byte: kept as it is
    else Utf8Append(r, f(cp));
    i += len;
  }
  return r;
}
int Sign3(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }
}  // namespace

std::string AnsiUpperCase(const std::string& S) { return MapUtf8(S, UpperCP); }
std::string AnsiLowerCase(const std::string& S) { return MapUtf8(S, LowerCP); }

int CompareStr(const std::string& A, const std::string& B) { return Sign3(A.compare(B)); }
int CompareText(const std::string& A, const std::string& B) {
  size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
    if (a >= 'a' && a <= 'z') a -= 32;
    if (b >= 'a' && b <= 'z') b -= 32;
    if (a != b) return a < b ? -1 : 1;
  }
  return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}
bool SameStr(const std::string& A, const std::string& B) { return A == B; }
bool SameText(const std::string& A, const std::string& B) { return A.size() == B.size() && CompareText(A, B) == 0; }

int AnsiCompareStr(const std::string& A, const std::string& B) {
  std::u32string a = Utf8ToUtf32(A), b = Utf8ToUtf32(B);
  return Sign3(a.compare(b));
}
int AnsiCompareText(const std::string& A, const std::string& B) {
  std::u32string a = Utf8ToUtf32(A), b = Utf8ToUtf32(B);
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char32_t x = UpperCP(a[i]), y = UpperCP(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
bool AnsiSameText(const std::string& A, const std::string& B) { return AnsiCompareText(A, B) == 0; }
int AnsiStrLIComp(std::string_view A, std::string_view B, int MaxLen) {
  // Walks whole code points, so a limit never splits a character.
  size_t i = 0, j = 0;
  for (int n = 0; n < MaxLen; ++n) {
    if (i >= A.size() || j >= B.size()) return i < A.size() ? 1 : (j < B.size() ? -1 : 0);
    char32_t x, y;
    i += static_cast<size_t>(Utf8Decode(A, i, x));
    j += static_cast<size_t>(Utf8Decode(B, j, y));
    x = UpperCP(x);
    y = UpperCP(y);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}
bool AnsiSameStr(const std::string& A, const std::string& B) { return A == B; }
bool StartsText(const std::string& Sub, const std::string& T) {
  return Sub.size() <= T.size() && CompareText(Sub, T.substr(0, Sub.size())) == 0;
}
bool EndsText(const std::string& Sub, const std::string& T) {
  return Sub.size() <= T.size() && CompareText(Sub, T.substr(T.size() - Sub.size())) == 0;
}
bool StartsStr(const std::string& Sub, const std::string& T) { return T.compare(0, Sub.size(), Sub) == 0 && Sub.size() <= T.size(); }
bool EndsStr(const std::string& Sub, const std::string& T) {
  return Sub.size() <= T.size() && T.compare(T.size() - Sub.size(), Sub.size(), Sub) == 0;
}

// ---------------------------------------------------------------------------------------------------
// Trimming, searching, copying

std::string Trim(const std::string& S) {
  size_t i = 0, n = S.size();
  while (i < n && IsBlank(S[i])) ++i;
  while (n > i && IsBlank(S[n - 1])) --n;
  return S.substr(i, n - i);
}
std::string TrimLeft(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && IsBlank(S[i])) ++i;
  return S.substr(i);
}
std::string TrimRight(const std::string& S) {
  size_t n = S.size();
  while (n > 0 && IsBlank(S[n - 1])) --n;
  return S.substr(0, n);
}

std::string StringReplace(const std::string& S, const std::string& OldPattern, const std::string& NewPattern,
                          TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  const bool ignoreCase = Flags.Contains(rfIgnoreCase), all = Flags.Contains(rfReplaceAll);
  const std::string hay = ignoreCase ? UpperCase(S) : S;
  const std::string pat = ignoreCase ? UpperCase(OldPattern) : OldPattern;
  std::string r;
  size_t from = 0;
  while (true) {
    size_t p = hay.find(pat, from);
    if (p == std::string::npos) break;
    r.append(S, from, p - from);
    r += NewPattern;
    from = p + pat.size();
    if (!all) break;
  }
  r.append(S, from, std::string::npos);
  return r;
}

int Pos(const std::string& SubStr, const std::string& S, int Offset) {
  if (SubStr.empty() || Offset < 1 || static_cast<size_t>(Offset) > S.size()) return 0;
  size_t p = S.find(SubStr, static_cast<size_t>(Offset - 1));
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(const std::string& S, int Index, int Count) {
  if (Index < 1) Index = 1;
  if (Count <= 0 || static_cast<size_t>(Index) > S.size()) return {};
  return S.substr(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}
void Delete(std::string& S, int Index, int Count) {
  if (Index < 1 || Count <= 0 || static_cast<size_t>(Index) > S.size()) return;
  S.erase(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}
void Insert(const std::string& Source, std::string& S, int Index) {
  if (Index < 1) Index = 1;
  size_t at = std::min(static_cast<size_t>(Index - 1), S.size());
  S.insert(at, Source);
}
std::string StringOfChar(char Ch, int Count) { return Count > 0 ? std::string(static_cast<size_t>(Count), Ch) : std::string(); }
std::string DupeString(const std::string& S, int Count) {
  std::string r;
  for (int i = 0; i < Count; ++i) r += S;
  return r;
}
std::string LeftStr(const std::string& S, int Count) { return Copy(S, 1, Count); }
std::string RightStr(const std::string& S, int Count) {
  if (Count <= 0) return {};
  if (static_cast<size_t>(Count) >= S.size()) return S;
  return S.substr(S.size() - static_cast<size_t>(Count));
}
std::string MidStr(const std::string& S, int Start, int Count) { return Copy(S, Start, Count); }

// ---------------------------------------------------------------------------------------------------
// Quoting

std::string QuotedStr(const std::string& S) { return AnsiQuotedStr(S, '\''); }
std::string AnsiQuotedStr(const std::string& S, char Quote) {
  std::string r(1, Quote);
  for (char c : S) {
    r.push_back(c);
    if (c == Quote) r.push_back(c);
  }
  r.push_back(Quote);
  return r;
}
std::string AnsiExtractQuotedStr(const char*& P, const char* End, char Quote) {
  std::string r;
  if (P >= End || *P != Quote) return r;
  ++P;
  while (P < End) {
    if (*P == Quote) {
      if (P + 1 < End && P[1] == Quote) {
        r.push_back(Quote);
        P += 2;
        continue;
      }
      ++P;
      return r;
    }
    r.push_back(*P++);
  }
  return r;
}
std::string AnsiDequotedStr(const std::string& S, char Quote) {
  if (S.empty() || S[0] != Quote) return S;
  const char* p = S.data();
  return AnsiExtractQuotedStr(p, S.data() + S.size(), Quote);
}

std::string AdjustLineBreaks(const std::string& S) {
  std::string r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r') {
      r += sLineBreak;
      if (i + 1 < S.size() && S[i + 1] == '\n') ++i;
    } else if (S[i] == '\n') {
      r += sLineBreak;
    } else {
      r.push_back(S[i]);
    }
  }
  return r;
}

bool IsValidIdent(const std::string& Ident, bool AllowDots) {
  if (Ident.empty()) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(Ident[0])) return false;
  for (size_t i = 1; i < Ident.size(); ++i) {
    char c = Ident[i];
    if (alpha(c) || (c >= '0' && c <= '9')) continue;
    if (AllowDots && c == '.' && Ident[i - 1] != '.' && i + 1 < Ident.size()) continue;
    return false;
  }
  return true;
}
bool IsDelimiter(const std::string& Delimiters, const std::string& S, int Index) {
  if (Index < 1 || static_cast<size_t>(Index) > S.size()) return false;
  return Delimiters.find(S[static_cast<size_t>(Index - 1)]) != std::string::npos;
}
int LastDelimiter(const std::string& Delimiters, const std::string& S) {
  size_t p = S.find_last_of(Delimiters);
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

// ---------------------------------------------------------------------------------------------------
// UTF-8

int Utf8Decode(std::string_view S, size_t I, char32_t& CodePoint) {
  CodePoint = 0xFFFD;
  if (I >= S.size()) return 0;
  auto b = [&](size_t k) { return static_cast<unsigned char>(S[k]); };
  unsigned char c = b(I);
  if (c < 0x80) {
    CodePoint = c;
    return 1;
  }
  int len;
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; }
  else return 1;
  if (I + len > S.size()) return 1;
  for (int k = 1; k < len; ++k) {
    unsigned char t = b(I + k);
    if ((t & 0xC0) != 0x80) return 1;
    cp = (cp << 6) | (t & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are malformed.
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 1;
  CodePoint = cp;
  return len;
}

void Utf8Append(std::string& S, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    S.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    S.push_back(static_cast<char>(0xC0 | (c >> 6)));
    S.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    S.push_back(static_cast<char>(0xE0 | (c >> 12)));
    S.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    S.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    S.push_back(static_cast<char>(0xF0 | (c >> 18)));
    S.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    S.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    S.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

int Utf8CharLen(std::string_view S, size_t I) {
  char32_t cp;
  return Utf8Decode(S, I, cp);
}
size_t Utf8Next(std::string_view S, size_t I) {
  if (I >= S.size()) return S.size();
  return I + static_cast<size_t>(Utf8CharLen(S, I));
}
size_t Utf8Prev(std::string_view S, size_t I) {
  if (I == 0) return 0;
  if (I > S.size()) I = S.size();
  // Step back over at most three continuation bytes to a lead byte whose character ends at I.
  for (size_t back = 1; back <= 4 && back <= I; ++back) {
    size_t start = I - back;
    if ((static_cast<unsigned char>(S[start]) & 0xC0) == 0x80) continue;  // a continuation byte
    if (static_cast<size_t>(Utf8CharLen(S, start)) == back) return start;
    break;
  }
  return I - 1;
}
int Utf8Length(std::string_view S) {
  int n = 0;
  for (size_t i = 0; i < S.size(); i = Utf8Next(S, i)) ++n;
  return n;
}
std::string Utf8Left(std::string_view S, int MaxChars) {
  size_t i = 0;
  for (int k = 0; k < MaxChars && i < S.size(); ++k) i = Utf8Next(S, i);
  return std::string(S.substr(0, i));
}
std::string Utf8TruncateBytes(std::string_view S, size_t MaxBytes) {
  size_t i = 0;
  while (i < S.size()) {
    size_t next = Utf8Next(S, i);
    if (next > MaxBytes) break;
    i = next;
  }
  return std::string(S.substr(0, i));
}
std::u32string Utf8ToUtf32(std::string_view S) {
  std::u32string r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    char32_t cp;
    i += static_cast<size_t>(Utf8Decode(S, i, cp));
    r.push_back(cp);
  }
  return r;
}
std::string Utf32ToUtf8(std::u32string_view S) {
  std::string r;
  r.reserve(S.size());
  for (char32_t c : S) Utf8Append(r, c);
  return r;
}
std::u16string Utf8ToUtf16(std::string_view S) {
  std::u16string r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    char32_t cp;
    i += static_cast<size_t>(Utf8Decode(S, i, cp));
    if (cp >= 0x10000) {
      cp -= 0x10000;
      r.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      r.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      r.push_back(static_cast<char16_t>(cp));
    }
  }
  return r;
}
char32_t TTypedCharJoiner::Join(char16_t Unit) {
  const char16_t High = FHigh;
  FHigh = 0;
  if (Unit >= 0xD800 && Unit <= 0xDBFF) {
    FHigh = Unit;  // an earlier first half without its second is dropped
    return 0;
  }
  if (Unit >= 0xDC00 && Unit <= 0xDFFF)
    return High ? 0x10000 + ((static_cast<char32_t>(High) - 0xD800) << 10) + (Unit - 0xDC00) : 0;
  return Unit;
}

std::string Utf16ToUtf8(std::u16string_view S) {
  std::string r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    char32_t c = S[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < S.size() && S[i + 1] >= 0xDC00 && S[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (S[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // unpaired surrogate
    }
    Utf8Append(r, c);
  }
  return r;
}
bool IsValidUtf8(std::string_view S) {
  for (size_t i = 0; i < S.size();) {
    char32_t cp;
    int len = Utf8Decode(S, i, cp);
    if (cp == 0xFFFD && !(len == 3 && static_cast<unsigned char>(S[i]) == 0xEF)) return false;
    i += static_cast<size_t>(len);
  }
  return true;
}
