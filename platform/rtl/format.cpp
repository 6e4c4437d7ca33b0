// Format, FloatToStr, FloatToStrF, FormatFloat, StrToFloat and the currency conversions.
//
// Floating values are turned into decimal digits once (15 significant digits for a double, 7 for a
// float, 18 for an extended value, correctly rounded by the C library) and every later rounding to a
// number of decimals works on that digit string, half away from zero. That is why Format("%.1f", 0.25)
// gives "0.3" and Format("%.2f", 2.675) gives "2.68", as a person reading the decimal value expects.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/sysutils.h"
#include "platform/rtl/variants.h"

namespace {

// value = 0.Digits x 10^Exp; Digits has no leading or trailing zeros; zero has empty Digits.
struct TDecimal {
  bool Negative = false;
  bool Nan = false;
  bool Inf = false;
  std::string Digits;
  int Exp = 0;
  bool IsZero() const { return Digits.empty(); }
};

TDecimal ToDecimal(long double V, int Sig) {
  TDecimal d;
  if (std::isnan(V)) { d.Nan = true; return d; }
  d.Negative = std::signbit(V);
  if (std::isinf(V)) { d.Inf = true; return d; }
  if (V == 0) { d.Negative = false; return d; }
  if (Sig < 1) Sig = 1;
  if (Sig > 18) Sig = 18;
  char buf[64];
  const long double A = std::fabs(V);
  const double AD = static_cast<double>(A);
  if (Sig <= 17 && static_cast<long double>(AD) == A) {
    // A value a double holds exactly (every field value): the same correctly rounded digits as
    // printf's, without going through the extended-precision printf path.
    auto r = std::to_chars(buf, buf + sizeof buf - 1, AD, std::chars_format::scientific, Sig - 1);
    *r.ptr = '\0';
  } else {
    std::snprintf(buf, sizeof buf, "%.*Le", Sig - 1, A);
  }
  // "d.ddddde+XX"
  const char* e = std::strchr(buf, 'e');
  for (const char* p = buf; p < e; ++p)
    if (*p >= '0' && *p <= '9') d.Digits.push_back(*p);
  d.Exp = std::atoi(e + 1) + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.Negative = false;
  return d;
}

// Keeps Keep leading digits, rounding half away from zero on the next digit.
void RoundKeep(TDecimal& d, int Keep) {
  if (d.Nan || d.Inf || d.IsZero()) return;
  if (Keep >= static_cast<int>(d.Digits.size())) return;
  if (Keep < 0) { d.Digits.clear(); d.Exp = 0; d.Negative = false; return; }
  bool up = d.Digits[static_cast<size_t>(Keep)] >= '5';
  d.Digits.resize(static_cast<size_t>(Keep));
  if (up) {
    int i = Keep - 1;
    while (i >= 0 && d.Digits[static_cast<size_t>(i)] == '9') {
      d.Digits[static_cast<size_t>(i)] = '0';
      --i;
    }
    if (i < 0) {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exp;
    } else {
      ++d.Digits[static_cast<size_t>(i)];
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) { d.Exp = 0; d.Negative = false; }
}
void RoundDecimals(TDecimal& d, int Decimals) { RoundKeep(d, d.Exp + Decimals); }

char DigitAt(const TDecimal& d, int Index) {  // index into 0.Digits; '0' outside
  return Index >= 0 && Index < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<size_t>(Index)] : '0';
}

std::string IntPart(const TDecimal& d) {
  if (d.Exp <= 0 || d.IsZero()) return "0";
  std::string s;
  for (int i = 0; i < d.Exp; ++i) s.push_back(DigitAt(d, i));
  return s;
}
std::string FracPart(const TDecimal& d, int Decimals) {
  std::string s;
  for (int i = 0; i < Decimals; ++i) s.push_back(DigitAt(d, d.Exp + i));
  return s;
}
std::string GroupThousands(const std::string& IntDigits, char Sep) {
  if (!Sep) return IntDigits;
  std::string r;
  int n = static_cast<int>(IntDigits.size());
  for (int i = 0; i < n; ++i) {
    r.push_back(IntDigits[static_cast<size_t>(i)]);
    int left = n - 1 - i;
    if (left > 0 && left % 3 == 0) r.push_back(Sep);
  }
  return r;
}

std::string SpecialText(const TDecimal& d) {
  if (d.Nan) return "NAN";
  return d.Negative ? "-INF" : "INF";
}

// Fixed notation with Decimals decimals (already rounded).
std::string FixedText(const TDecimal& d, int Decimals, bool Thousands, const TFormatSettings& FS) {
  std::string s = GroupThousands(IntPart(d), Thousands ? FS.ThousandSeparator : '\0');
  if (Decimals > 0) {
    s.push_back(FS.DecimalSeparator);
    s += FracPart(d, Decimals);
  }
  return s;
}

std::string ExpDigits(int E, int MinDigits, bool PlusSign) {
  std::string s = std::to_string(E < 0 ? -E : E);
  while (static_cast<int>(s.size()) < MinDigits) s.insert(s.begin(), '0');
  if (E < 0) return "-" + s;
  return PlusSign ? "+" + s : s;
}

// d.dddE+ddd with Precision significant digits (trailing zeros kept), exponent of at least Digits.
std::string ExponentText(TDecimal d, int Precision, int Digits, const TFormatSettings& FS) {
  if (Precision < 1) Precision = 1;
  if (Precision > 18) Precision = 18;
  RoundKeep(d, Precision);
  std::string s(1, DigitAt(d, 0));
  if (Precision > 1) {
    s.push_back(FS.DecimalSeparator);
    for (int i = 1; i < Precision; ++i) s.push_back(DigitAt(d, i));
  }
  int e = d.IsZero() ? 0 : d.Exp - 1;
  return s + "E" + ExpDigits(e, Digits, true);
}

// Shortest text: fixed when the decimal point falls within Precision digits and the value is not
// below 0.0001, otherwise scientific ("1.5E-7", "1E20").
std::string GeneralText(TDecimal d, int Precision, int Digits, const TFormatSettings& FS) {
  if (Precision < 1) Precision = 1;
  if (Precision > 18) Precision = 18;
  RoundKeep(d, Precision);
  if (d.IsZero()) return "0";
  int n = static_cast<int>(d.Digits.size());
  if (d.Exp > Precision || d.Exp < -3) {
    std::string s(1, d.Digits[0]);
    if (n > 1) {
      s.push_back(FS.DecimalSeparator);
      s += d.Digits.substr(1);
    }
    return s + "E" + ExpDigits(d.Exp - 1, Digits, false);
  }
  int decimals = std::max(0, n - d.Exp);
  return FixedText(d, decimals, false, FS);
}

std::string CurrencyText(const std::string& Number, bool Negative, const TFormatSettings& FS) {
  const std::string& c = FS.CurrencyString;
  if (!Negative) {
    switch (FS.CurrencyFormat) {
      case 1: return Number + c;
      case 2: return c + " " + Number;
      case 3: return Number + " " + c;
      default: return c + Number;
    }
  }
  switch (FS.NegCurrFormat) {
    case 0: return "(" + c + Number + ")";
    case 1: return "-" + c + Number;
    case 2: return c + "-" + Number;
    case 3: return c + Number + "-";
    case 4: return "(" + Number + c + ")";
    case 5: return "-" + Number + c;
    case 6: return Number + "-" + c;
    case 7: return Number + c + "-";
    case 8: return "-" + Number + " " + c;
    case 9: return "-" + c + " " + Number;
    case 10: return Number + " " + c + "-";
    case 11: return c + " " + Number + "-";
    case 12: return c + " -" + Number;
    case 13: return Number + "- " + c;
    case 14: return "(" + c + " " + Number + ")";
    case 15: return "(" + Number + " " + c + ")";
    default: return "-" + c + Number;
  }
}

std::string FloatText(const TDecimal& Src, TFloatFormat Fmt, int Precision, int Digits, const TFormatSettings& FS) {
  if (Src.Nan || Src.Inf) return SpecialText(Src);
  TDecimal d = Src;
  if (Precision > 18) Precision = 18;
  if (Precision < 1) Precision = 1;
  switch (Fmt) {
    case ffGeneral:
      return (d.Negative ? "-" : "") + GeneralText(d, Precision, Digits, FS);
    case ffExponent:
      return (d.Negative ? "-" : "") + ExponentText(d, Precision, Digits, FS);
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      RoundKeep(d, Precision);
      if (d.Exp > Precision && Fmt != ffCurrency)  // too many integer digits for the precision
        return (d.Negative ? "-" : "") + GeneralText(d, Precision, 0, FS);
      if (Digits < 0) Digits = 0;
      if (Digits > 18) Digits = 18;
      RoundDecimals(d, Digits);
      std::string s = FixedText(d, Digits, Fmt != ffFixed, FS);
      if (Fmt == ffCurrency) return CurrencyText(s, d.Negative, FS);
      return (d.Negative ? "-" : "") + s;
    }
  }
  return {};
}

int SigDigitsOf(long double V) {
  (void)V;
  return 15;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------

std::string FloatToStr(long double Value) { return FloatToStr(Value, FormatSettings); }
std::string FloatToStr(long double Value, const TFormatSettings& FS) {
  return FloatText(ToDecimal(Value, 15), ffGeneral, 15, 0, FS);
}
std::string FloatToStrF(long double Value, TFloatFormat Format, int Precision, int Digits) {
  return FloatToStrF(Value, Format, Precision, Digits, FormatSettings);
}
std::string FloatToStrF(long double Value, TFloatFormat Format, int Precision, int Digits,
                        const TFormatSettings& FS) {
  return FloatText(ToDecimal(Value, Precision > 15 ? 18 : 15), Format, Precision, Digits, FS);
}

std::string CurrToStr(Currency Value) { return FloatToStr(static_cast<long double>(Value.Value) / 10000.0L); }
std::string CurrToStrF(Currency Value, TFloatFormat Format, int Digits) {
  return FloatToStrF(static_cast<long double>(Value.Value) / 10000.0L, Format, 18, Digits);
}
Currency FloatToCurr(double Value) { return Currency::FromDouble(Value); }

namespace {
// Reads the text of a number with the given decimal separator into the plain form "-123.45e6" that the
// C library's readers take. Infinity and NaN are told apart as Special (+1, -1 for infinities, 2 for
// NaN). False for anything that is not a number.
bool PlainNumberText(const std::string& S, const TFormatSettings& FS, std::string& c, int& Special) {
  Special = 0;
  std::string t = Trim(S);
  if (t.empty()) return false;
  size_t i = 0;
  if (t[i] == '+' || t[i] == '-') c.push_back(t[i++]);
  bool digits = false, point = false;
  for (; i < t.size() && ((t[i] >= '0' && t[i] <= '9') || t[i] == FS.DecimalSeparator); ++i) {
    if (t[i] == FS.DecimalSeparator) {
      if (point) return false;
      point = true;
      c.push_back('.');
    } else {
      digits = true;
      c.push_back(t[i]);
    }
  }
  if (!digits) {
    std::string u = UpperCase(t.substr(c.size()));
    if (c.size() <= 1 && (u == "INF" || u == "NAN")) {
      Special = u == "NAN" ? 2 : (c == "-" ? -1 : 1);
      return true;
    }
    return false;
  }
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    c.push_back('e');
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) c.push_back(t[i++]);
    bool ed = false;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
      c.push_back(t[i]);
      ed = true;
    }
    if (!ed) return false;
  }
  return i == t.size();
}
}  // namespace

bool TryStrToFloat(const std::string& S, long double& Value, const TFormatSettings& FS) {
  std::string c;
  int special;
  if (!PlainNumberText(S, FS, c, special)) return false;
  if (special) {
    Value = special == 2 ? NAN : (special < 0 ? -INFINITY : INFINITY);
    return true;
  }
  char* end = nullptr;
  long double v = std::strtold(c.c_str(), &end);
  if (!end || *end) return false;
  Value = v;
  return true;
}
bool TryStrToFloat(const std::string& S, long double& Value) { return TryStrToFloat(S, Value, FormatSettings); }
bool TryStrToFloat(const std::string& S, double& Value, const TFormatSettings& FS) {
  std::string c;
  int special;
  if (!PlainNumberText(S, FS, c, special)) return false;
  if (special) {
    Value = special == 2 ? NAN : (special < 0 ? -HUGE_VAL : HUGE_VAL);
    return true;
  }
  // Decimal text straight to the nearest double: going through long double first rounds twice, and
  // some texts then land one unit in the last place off.
  const char* first = c.data() + (c[0] == '+' ? 1 : 0);
  double v = 0;
  const auto r = std::from_chars(first, c.data() + c.size(), v);
  if (r.ec == std::errc::result_out_of_range && r.ptr == c.data() + c.size()) {
    // Beyond the double's range: infinite or zero with the text's sign, which the wider reading shows.
    v = static_cast<double>(std::strtold(c.c_str(), nullptr));
  } else if (r.ec != std::errc() || r.ptr != c.data() + c.size()) {
    return false;
  }
  Value = v;
  return true;
}
bool TryStrToFloat(const std::string& S, double& Value) { return TryStrToFloat(S, Value, FormatSettings); }
long double StrToFloat(const std::string& S, const TFormatSettings& FS) {
  long double v;
  if (!TryStrToFloat(S, v, FS)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return v;
}
long double StrToFloat(const std::string& S) { return StrToFloat(S, FormatSettings); }
long double StrToFloatDef(const std::string& S, long double Default) {
  long double v;
  return TryStrToFloat(S, v) ? v : Default;
}
bool TryStrToCurr(const std::string& S, Currency& Value) {
  long double v;
  if (!TryStrToFloat(S, v) || !std::isfinite(v) || std::fabs(v) > 9.2e14L) return false;
  Value = Currency::FromRaw(Round(v * 10000.0L));
  return true;
}
Currency StrToCurr(const std::string& S) {
  Currency c;
  if (!TryStrToCurr(S, c)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return c;
}

// ---------------------------------------------------------------------------------------------------
// FormatFloat

namespace {

std::vector<std::string> SplitSections(const std::string& Fmt) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (char c : Fmt) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back().push_back(c);
  }
  return sections;
}

struct TPattern {
  int IntPlaces = 0;      // '0' and '#' before the point
  int IntZeros = 0;       // places from the first '0' before the point to the point
  int FracZeros = 0;      // places up to the last '0' after the point
  int FracPlaces = 0;     // all places after the point
  bool Thousands = false;
  bool Scientific = false;
  bool ExpPlus = false;
  int ExpDigits = 0;
  bool HasPoint = false;
};

TPattern Analyse(const std::string& F) {
  TPattern p;
  char quote = 0;
  bool afterPoint = false, seenZero = false;
  int intPlacesAtFirstZero = -1;
  for (size_t i = 0; i < F.size(); ++i) {
    char c = F[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') { quote = c; continue; }
    if (p.Scientific) continue;
    if (c == '0' || c == '#') {
      if (afterPoint) {
        ++p.FracPlaces;
        if (c == '0') p.FracZeros = p.FracPlaces;
      } else {
        if (c == '0' && !seenZero) {
          seenZero = true;
          intPlacesAtFirstZero = p.IntPlaces;
        }
        ++p.IntPlaces;
      }
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      p.HasPoint = true;
    } else if (c == ',' && !afterPoint) {
      p.Thousands = true;
    } else if ((c == 'E' || c == 'e') && i + 1 < F.size() && (F[i + 1] == '+' || F[i + 1] == '-')) {
      p.Scientific = true;
      p.ExpPlus = F[i + 1] == '+';
      size_t j = i + 2;
      while (j < F.size() && F[j] == '0') { ++p.ExpDigits; ++j; }
      i = j - 1;
    }
  }
  if (seenZero) p.IntZeros = p.IntPlaces - intPlacesAtFirstZero;
  return p;
}

// Writes the section with the digits of Int (integer part, no leading zeros except "0"), Frac
// (fraction digits already cut to what is shown) and Exp (exponent text, scientific only).
std::string Render(const std::string& F, const TPattern& p, const std::string& IntDigitsIn, const std::string& Frac,
                   const std::string& ExpText, const TFormatSettings& FS) {
  std::string IntDigits = IntDigitsIn == "0" ? "" : IntDigitsIn;
  while (static_cast<int>(IntDigits.size()) < p.IntZeros) IntDigits.insert(IntDigits.begin(), '0');
  const int L = static_cast<int>(IntDigits.size());
  std::string out;
  char quote = 0;
  bool afterPoint = false, expDone = false;
  int intSeen = 0, fracSeen = 0;
  auto emitInt = [&](int fromRight) {  // digit at position fromRight (0 = units)
    if (fromRight < L) {
      out.push_back(IntDigits[static_cast<size_t>(L - 1 - fromRight)]);
      if (p.Thousands && fromRight > 0 && fromRight % 3 == 0) out.push_back(FS.ThousandSeparator);
    }
  };
  for (size_t i = 0; i < F.size(); ++i) {
    char c = F[i];
    if (quote) {
      if (c == quote) quote = 0;
      else out.push_back(c);
      continue;
    }
    if (c == '"' || c == '\'') { quote = c; continue; }
    if (expDone) { out.push_back(c); continue; }
    if ((c == '0' || c == '#') && !afterPoint) {
      int fromRight = p.IntPlaces - 1 - intSeen;
      if (intSeen == 0)
        for (int r = L - 1; r > fromRight; --r) emitInt(r);  // digits beyond the places
      emitInt(fromRight);
      ++intSeen;
      continue;
    }
    if ((c == '0' || c == '#') && afterPoint) {
      if (fracSeen < static_cast<int>(Frac.size())) out.push_back(Frac[static_cast<size_t>(fracSeen)]);
      ++fracSeen;
      continue;
    }
    if (c == '.' && !afterPoint) {
      afterPoint = true;
      if (p.IntPlaces == 0 && L > 0)  // no integer places: the integer digits go before the point
        for (int r = L - 1; r >= 0; --r) emitInt(r);
      if (!Frac.empty()) out.push_back(FS.DecimalSeparator);
      continue;
    }
    if (c == ',' && !afterPoint) continue;
    if ((c == 'E' || c == 'e') && p.Scientific && i + 1 < F.size() && (F[i + 1] == '+' || F[i + 1] == '-')) {
      out.push_back(c);
      out += ExpText;
      i += 1;
      while (i + 1 < F.size() && F[i + 1] == '0') ++i;
      expDone = true;
      continue;
    }
    out.push_back(c);
  }
  return out;
}

std::string FormatSection(const std::string& F, const TDecimal& Abs, const TFormatSettings& FS, bool& IsZeroOut) {
  TPattern p = Analyse(F);
  TDecimal d = Abs;
  d.Negative = false;
  std::string intDigits, frac, expText;
  if (p.Scientific) {
    int sig = std::max(1, p.IntPlaces) + p.FracPlaces;
    RoundKeep(d, std::min(sig, 18));
    int shift = std::max(1, p.IntPlaces);
    int e = d.IsZero() ? 0 : d.Exp - shift;
    for (int i = 0; i < shift; ++i) intDigits.push_back(DigitAt(d, i));
    size_t nz = intDigits.find_first_not_of('0');
    intDigits = nz == std::string::npos ? "0" : intDigits.substr(nz);
    for (int i = 0; i < p.FracPlaces; ++i) frac.push_back(DigitAt(d, shift + i));
    expText = ExpDigits(e, p.ExpDigits, p.ExpPlus);
  } else {
    RoundDecimals(d, p.FracPlaces);
    intDigits = IntPart(d);
    frac = FracPart(d, p.FracPlaces);
  }
  while (static_cast<int>(frac.size()) > p.FracZeros && !frac.empty() && frac.back() == '0') frac.pop_back();
  IsZeroOut = d.IsZero();
  return Render(F, p, intDigits, frac, expText, FS);
}

}  // namespace

std::string FormatFloat(const std::string& Fmt, long double Value) { return FormatFloat(Fmt, Value, FormatSettings); }
std::string FormatFloat(const std::string& Fmt, long double Value, const TFormatSettings& FS) {
  if (Fmt.empty()) return FloatToStr(Value, FS);
  TDecimal d = ToDecimal(Value, SigDigitsOf(Value));
  if (d.Nan || d.Inf) return SpecialText(d);
  std::vector<std::string> sec = SplitSections(Fmt);
  bool zero = false;
  if (d.Negative && sec.size() >= 2 && !sec[1].empty()) {
    std::string s = FormatSection(sec[1], d, FS, zero);
    if (!zero) return s;
  }
  std::string s = FormatSection(sec[0], d, FS, zero);
  if (zero) {
    if (sec.size() >= 3 && !sec[2].empty()) return FormatSection(sec[2], d, FS, zero);
    return s;  // a value that rounds to zero carries no sign
  }
  return d.Negative ? "-" + s : s;
}

std::string FormatCurr(const std::string& Fmt, Currency Value) {
  return FormatFloat(Fmt, static_cast<long double>(Value.Value) / 10000.0L);
}

// ---------------------------------------------------------------------------------------------------
// Format

TVarRec::TVarRec(const Variant& V) : Kind(vtVariant), P(&V) {}

std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args) {
  return Format(Fmt, std::vector<TVarRec>(Args), FormatSettings);
}
std::string Format(const std::string& Fmt, const std::vector<TVarRec>& Args) {
  return Format(Fmt, Args, FormatSettings);
}

namespace {
// The largest width or precision a format takes.
constexpr int64_t kMaxWidth = 100000;

[[noreturn]] void FormatError(const std::string& Fmt) {
  throw EConvertError("Format '" + Fmt + "' invalid or incompatible with argument");
}
[[noreturn]] void ArgMissing(const std::string& Fmt) {
  throw EConvertError("No argument for format '" + Fmt + "'");
}

void Pad(std::string& out, const std::string& s, int width, bool left, bool countChars) {
  int len = countChars ? Utf8Length(s) : static_cast<int>(s.size());
  if (len >= width) { out += s; return; }
  if (left) { out += s; out.append(static_cast<size_t>(width - len), ' '); }
  else { out.append(static_cast<size_t>(width - len), ' '); out += s; }
}
}  // namespace

std::string Format(const std::string& Fmt, const std::vector<TVarRec>& Args, const TFormatSettings& FS) {
  std::string out;
  size_t argIndex = 0;
  const size_t n = Fmt.size();
  for (size_t i = 0; i < n;) {
    char c = Fmt[i];
    if (c != '%') { out.push_back(c); ++i; continue; }
    ++i;
    if (i >= n) FormatError(Fmt);
    if (Fmt[i] == '%') { out.push_back('%'); ++i; continue; }
    // [index:] [-] [width] [.prec] type
    auto readNumber = [&](int& value) -> bool {  // digits or '*'
      if (i < n && Fmt[i] == '*') {
        if (argIndex >= Args.size()) ArgMissing(Fmt);
        const TVarRec& a = Args[argIndex++];
        if (a.Kind != TVarRec::vtInteger) FormatError(Fmt);
        // The same bound as for written digits: a width or precision past it would only build a
        // huge text (and the most negative width cannot be negated into a left-aligned one).
        if (a.I < -kMaxWidth || a.I > kMaxWidth) FormatError(Fmt);
        value = static_cast<int>(a.I);
        ++i;
        return true;
      }
      if (i < n && Fmt[i] >= '0' && Fmt[i] <= '9') {
        long v = 0;
        while (i < n && Fmt[i] >= '0' && Fmt[i] <= '9') {
          v = v * 10 + (Fmt[i] - '0');
          if (v > kMaxWidth) FormatError(Fmt);
          ++i;
        }
        value = static_cast<int>(v);
        return true;
      }
      return false;
    };
    int width = -1, prec = -1;
    bool left = false;
    int num = 0;
    {
      size_t j = i;
      while (j < n && Fmt[j] >= '0' && Fmt[j] <= '9') ++j;
      if (j > i && j < n && Fmt[j] == ':') {
        readNumber(num);
        argIndex = static_cast<size_t>(num);
        ++i;
      }
    }
    if (i < n && Fmt[i] == '-') { left = true; ++i; }
    if (readNumber(num)) {
      width = num;
      if (width < 0) { left = true; width = -width; }
    }
    if (i < n && Fmt[i] == '.') {
      ++i;
      if (!readNumber(num)) num = 0;
      prec = num;
    }
    if (i >= n) FormatError(Fmt);
    char type = static_cast<char>(Fmt[i] >= 'A' && Fmt[i] <= 'Z' ? Fmt[i] + 32 : Fmt[i]);
    ++i;
    if (argIndex >= Args.size()) ArgMissing(Fmt);
    const TVarRec& a = Args[argIndex++];
    const Variant* var = a.Kind == TVarRec::vtVariant ? static_cast<const Variant*>(a.P) : nullptr;
    std::string s;
    bool countChars = false;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        uint64_t mag;
        bool neg = false;
        int64_t v;
        bool wide;
        if (a.Kind == TVarRec::vtInteger || a.Kind == TVarRec::vtInt64 || a.Kind == TVarRec::vtUInt64) {
          v = a.I;
          wide = a.Kind != TVarRec::vtInteger;
        } else if (var) {
          try {
            v = var->AsInt64();
          } catch (const EVariantError&) {
            FormatError(Fmt);
          }
          wide = true;
        } else {
          FormatError(Fmt);
        }
        if (type == 'd') {
          if (a.Kind == TVarRec::vtUInt64) mag = static_cast<uint64_t>(v);
          else { neg = v < 0; mag = neg ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); }
          std::string digits = std::to_string(mag);
          if (prec > static_cast<int>(digits.size())) digits.insert(0, size_t(prec) - digits.size(), '0');
          s = (neg ? "-" : "") + digits;
        } else {
          uint64_t u = wide ? static_cast<uint64_t>(v) : static_cast<uint32_t>(v);
          s = type == 'u' ? std::to_string(u) : IntToHex(u, 0);
          if (prec > static_cast<int>(s.size())) s.insert(0, size_t(prec) - s.size(), '0');
        }
        break;
      }
      case 'f':
      case 'e':
      case 'g':
      case 'n':
      case 'm': {
        long double v;
        int digits = 15;
        if (a.Kind == TVarRec::vtExtended) { v = a.E; digits = a.Digits; }
        else if (a.Kind == TVarRec::vtCurrency) { v = static_cast<long double>(a.I) / 10000.0L; digits = 18; }
        else if (var) {
          try {
            v = var->AsDouble();
          } catch (const EVariantError&) {
            FormatError(Fmt);
          }
        } else {
          FormatError(Fmt);
        }
        TDecimal d = ToDecimal(v, digits);
        switch (type) {
          case 'f': s = FloatText(d, ffFixed, 18, prec < 0 ? 2 : prec, FS); break;
          case 'n': s = FloatText(d, ffNumber, 18, prec < 0 ? 2 : prec, FS); break;
          case 'm': s = FloatText(d, ffCurrency, 18, prec < 0 ? FS.CurrencyDecimals : prec, FS); break;
          case 'e': s = FloatText(d, ffExponent, prec < 0 ? 15 : prec, 3, FS); break;
          default: s = FloatText(d, ffGeneral, prec < 0 ? 15 : prec, 0, FS); break;
        }
        if (type == 'f' || type == 'n') {
          // A fixed value too large for 18 digits is still written in full.
          if (s.find('E') != std::string::npos && !d.Inf && !d.Nan) {
            TDecimal r = d;
            RoundDecimals(r, prec < 0 ? 2 : prec);
            s = (r.Negative ? "-" : "") + FixedText(r, prec < 0 ? 2 : prec, type == 'n', FS);
          }
        }
        break;
      }
      case 's': {
        if (a.Kind == TVarRec::vtString) s = a.S;
        else if (a.Kind == TVarRec::vtChar) s = std::string(1, static_cast<char>(a.I));
        else if (var) {
          try {
            s = VarToStr(*var);
          } catch (const EVariantError&) {
            FormatError(Fmt);
          }
        } else {
          FormatError(Fmt);
        }
        if (prec >= 0) s = Utf8Left(s, prec);
        countChars = true;
        break;
      }
      case 'p': {
        if (a.Kind != TVarRec::vtPointer) FormatError(Fmt);
        s = IntToHex(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(a.P)), 16);
        break;
      }
      default:
        FormatError(Fmt);
    }
    if (width >= 0) Pad(out, s, width, left, countChars);
    else out += s;
  }
  return out;
}
