// The edit-mask engine: mask parsing, character tests and the edit text / Text conversions.
#include "platform/controls/masks.h"

#include <algorithm>

namespace {

bool IsLetter(char32_t C) {
  if (C < 0x80) return (C >= U'A' && C <= U'Z') || (C >= U'a' && C <= U'z');
  // Outside ASCII: letters and ideographs; the symbol and punctuation blocks are not letters.
  if (C < 0xC0 || C == 0xD7 || C == 0xF7) return false;
  if (C >= 0x2000 && C <= 0x2BFF) return false;
  if (C >= 0x3000 && C <= 0x303F) return false;
  if (C >= 0xFF00 && C <= 0xFF20) return false;
  return true;
}

bool IsDigit(char32_t C) { return C >= U'0' && C <= U'9'; }

char32_t ApplyCase(char32_t C, TMaskCase Case) {
  if (Case == TMaskCase::None) return C;
  std::string s = Utf32ToUtf8(std::u32string(1, C));
  s = Case == TMaskCase::Upper ? AnsiUpperCase(s) : AnsiLowerCase(s);
  std::u32string u = Utf8ToUtf32(s);
  return u.size() == 1 ? u[0] : C;
}

// Where the mask ends: the first ';' that no '\' escapes.
size_t MaskEnd(const std::u32string& M) {
  for (size_t i = 0; i < M.size(); ++i) {
    if (M[i] == U'\\') {
      ++i;
      continue;
    }
    if (M[i] == U';') return i;
  }
  return M.size();
}

}  // namespace

TEditMaskFormat::TEditMaskFormat(const std::string& EditMask) {
  const std::u32string m = Utf8ToUtf32(EditMask);
  const size_t end = MaskEnd(m);
  if (end < m.size()) {
    // The fields after the mask: save literals, then the blank character.
    size_t second = m.find(U';', end + 1);
    std::u32string save = m.substr(end + 1, second == std::u32string::npos ? std::u32string::npos : second - end - 1);
    if (!save.empty()) FSaveLiterals = save[0] != U'0';
    if (second != std::u32string::npos && second + 1 < m.size()) FBlank = m[second + 1];
  }
  const TFormatSettings& fs = FormatSettings;
  TMaskCase kase = TMaskCase::None;
  for (size_t i = 0; i < end; ++i) {
    char32_t c = m[i];
    TMaskPosition p;
    p.Case = kase;
    switch (c) {
      case U'!':
        FRightAligned = true;
        continue;
      case U'>':
        if (i + 1 < end && m[i + 1] == U'<') {
          kase = TMaskCase::None;
          ++i;
        } else {
          kase = TMaskCase::Upper;
        }
        continue;
      case U'<':
        if (i + 1 < end && m[i + 1] == U'>') {
          kase = TMaskCase::None;
          ++i;
        } else {
          kase = TMaskCase::Lower;
        }
        continue;
      case U'\\':
        // An escape at the very end has nothing to escape: the backslash stands for itself.
        p.Literal = i + 1 < m.size() ? m[++i] : U'\\';
        break;
      case U'L': p.Kind = TMaskCharKind::Letter; p.Required = true; break;
      case U'l': p.Kind = TMaskCharKind::Letter; break;
      case U'A': p.Kind = TMaskCharKind::AlphaNumeric; p.Required = true; break;
      case U'a': p.Kind = TMaskCharKind::AlphaNumeric; break;
      case U'C': p.Kind = TMaskCharKind::AnyChar; p.Required = true; break;
      case U'c': p.Kind = TMaskCharKind::AnyChar; break;
      case U'0': p.Kind = TMaskCharKind::Digit; p.Required = true; break;
      case U'9': p.Kind = TMaskCharKind::Digit; break;
      case U'#': p.Kind = TMaskCharKind::DigitOrSign; break;
      case U':': p.Literal = static_cast<unsigned char>(fs.TimeSeparator); break;
      case U'/': p.Literal = static_cast<unsigned char>(fs.DateSeparator); break;
      default: p.Literal = c; break;
    }
    FPositions.push_back(p);
  }
}

bool TEditMaskFormat::IsLiteral(int Index) const {
  return Index >= 0 && Index < Count() && FPositions[static_cast<size_t>(Index)].Kind == TMaskCharKind::Literal;
}

bool TEditMaskFormat::Accepts(int Index, char32_t Ch, char32_t& Out) const {
  if (Index < 0 || Index >= Count() || IsLiteral(Index) || Ch < 0x20) return false;
  const TMaskPosition& p = FPositions[static_cast<size_t>(Index)];
  Out = ApplyCase(Ch, p.Case);
  switch (p.Kind) {
    case TMaskCharKind::Letter: return IsLetter(Ch);
    case TMaskCharKind::AlphaNumeric: return IsLetter(Ch) || IsDigit(Ch);
    case TMaskCharKind::AnyChar: return true;
    case TMaskCharKind::Digit: return IsDigit(Ch);
    case TMaskCharKind::DigitOrSign: return IsDigit(Ch) || Ch == U'+' || Ch == U'-';
    case TMaskCharKind::Literal: return false;
  }
  return false;
}

int TEditMaskFormat::NextInput(int Index) const {
  int i = std::clamp(Index, 0, Count());
  while (i < Count() && IsLiteral(i)) ++i;
  return i;
}

int TEditMaskFormat::PrevInput(int Index) const {
  int i = std::clamp(Index, 0, Count()) - 1;
  while (i >= 0 && IsLiteral(i)) --i;
  return i;
}

std::u32string TEditMaskFormat::BlankEditText() const {
  std::u32string t;
  t.reserve(FPositions.size());
  for (const TMaskPosition& p : FPositions) t.push_back(p.Kind == TMaskCharKind::Literal ? p.Literal : FBlank);
  return t;
}

bool TEditMaskFormat::Filled(const std::u32string& EditText, int Index) const {
  if (IsLiteral(Index) || Index < 0 || static_cast<size_t>(Index) >= EditText.size()) return false;
  char32_t c = EditText[static_cast<size_t>(Index)];
  return c != FBlank && c != U' ';
}

std::u32string TEditMaskFormat::EditTextFor(const std::u32string& Value) const {
  return EditTextFor(Value, FSaveLiterals);
}

std::u32string TEditMaskFormat::EditTextFor(const std::u32string& Value, bool WithLiterals) const {
  std::u32string t = BlankEditText();
  const int n = Count();
  auto put = [&](int i, char32_t c) {
    char32_t out;
    if (c != U' ' && c != FBlank && Accepts(i, c, out)) t[static_cast<size_t>(i)] = out;
  };
  if (WithLiterals) {
    // Position by position; a literal of the value lines up with the mask's literal.
    size_t v = 0;
    for (int i = 0; i < n && v < Value.size(); ++i) {
      if (IsLiteral(i)) {
        if (Value[v] == FPositions[static_cast<size_t>(i)].Literal) ++v;
        continue;
      }
      put(i, Value[v++]);
    }
    return t;
  }
  std::vector<int> inputs;
  for (int i = 0; i < n; ++i)
    if (!IsLiteral(i)) inputs.push_back(i);
  size_t count = std::min(Value.size(), inputs.size());
  // '!' places a short value at the right end.
  size_t first = FRightAligned ? inputs.size() - count : 0;
  for (size_t k = 0; k < count; ++k) put(inputs[first + k], Value[k]);
  return t;
}

std::u32string TEditMaskFormat::TextOf(const std::u32string& EditText) const {
  std::u32string r;
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    char32_t c = static_cast<size_t>(i) < EditText.size() ? EditText[static_cast<size_t>(i)] : FBlank;
    if (IsLiteral(i)) {
      if (FSaveLiterals) r.push_back(FPositions[static_cast<size_t>(i)].Literal);
      continue;
    }
    bool blank = c == FBlank || c == U' ';
    if (FSaveLiterals)
      r.push_back(blank ? U' ' : c);
    else if (!blank)
      r.push_back(c);
  }
  return r;
}

int TEditMaskFormat::FirstMissing(const std::u32string& EditText) const {
  for (int i = 0; i < Count(); ++i)
    if (FPositions[static_cast<size_t>(i)].Required && !Filled(EditText, i)) return i;
  return -1;
}

std::string FormatMaskText(const std::string& EditMask, const std::string& Value) {
  TEditMaskFormat f(EditMask);
  if (f.Empty()) return Value;
  std::u32string t = f.EditTextFor(Utf8ToUtf32(Value));
  for (int i = 0; i < f.Count(); ++i)
    if (!f.IsLiteral(i) && !f.Filled(t, i)) t[static_cast<size_t>(i)] = U' ';
  return Utf32ToUtf8(t);
}
