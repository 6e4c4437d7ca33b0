#pragma once
// The edit-mask engine: an EditMask string read into one position per character of the edit text,
// and the rules that turn typed characters and values into edit text and back. It knows nothing of
// windows, so the mask edit and the grid's cell editor share it and it is tested on its own.
//
// Mask syntax, read left to right:
//   L l   a letter (upper case: required, lower case: optional)
//   A a   a letter or digit
//   C c   any character
//   0 9   a digit
//   #     an optional digit or sign (+ or -)
//   :  /  the locale's time and date separators (literals)
//   >  <  the characters that follow are forced to upper / lower case; "<>" ends forcing
//   !     short values are placed at the right end (the optional positions on the left stay blank)
//   \     the next character is a literal, whatever it is; a '\' at the very end is itself a literal
//   anything else is a literal.
// Two optional fields follow the mask, each after an unescaped ';': "save literals" ('0' keeps only
// the typed characters in Text, anything else keeps the literals; default keep) and the blank
// character shown in empty positions (default '_').
//
// Edit text holds every position: literals, typed characters and blanks. Text is what a program
// reads: with saved literals the edit text with blanks turned into spaces; without them only the
// typed characters (blanks dropped).

#include <string>
#include <vector>

#include "platform/rtl/sysutils.h"

RTL_DECLARE_EXCEPTION(EDBEditError, Exception)

enum class TMaskCharKind { Literal, Letter, AlphaNumeric, AnyChar, Digit, DigitOrSign };
enum class TMaskCase { None, Upper, Lower };

struct TMaskPosition {
  TMaskCharKind Kind = TMaskCharKind::Literal;
  bool Required = false;
  TMaskCase Case = TMaskCase::None;
  char32_t Literal = 0;  // the character of a literal position
};

class TEditMaskFormat {
 public:
  TEditMaskFormat() = default;
  explicit TEditMaskFormat(const std::string& EditMask);

  bool Empty() const { return FPositions.empty(); }
  int Count() const { return static_cast<int>(FPositions.size()); }
  const TMaskPosition& Position(int Index) const { return FPositions.at(static_cast<size_t>(Index)); }
  bool IsLiteral(int Index) const;
  bool SaveLiterals() const { return FSaveLiterals; }
  char32_t BlankChar() const { return FBlank; }
  bool RightAligned() const { return FRightAligned; }

  // Whether Ch may stand at input position Index; Out is Ch after the position's case rule.
  bool Accepts(int Index, char32_t Ch, char32_t& Out) const;
  // The first input position at or after Index (Count() when none), the last one before Index (-1).
  int NextInput(int Index) const;
  int PrevInput(int Index) const;

  // Edit text with every input position blank.
  std::u32string BlankEditText() const;
  // Edit text for a value read like Text (with or without literals, as SaveLiterals says). Characters
  // that do not fit their position leave it blank; what is left over is dropped.
  std::u32string EditTextFor(const std::u32string& Value) const;
  std::u32string EditTextFor(const std::u32string& Value, bool WithLiterals) const;
  // Text of an edit text (see the header comment).
  std::u32string TextOf(const std::u32string& EditText) const;
  // The first required position still blank, or -1 when the edit text is complete.
  int FirstMissing(const std::u32string& EditText) const;
  // Whether the character at an input position of the edit text is filled.
  bool Filled(const std::u32string& EditText, int Index) const;

 private:
  std::vector<TMaskPosition> FPositions;
  bool FSaveLiterals = true;
  char32_t FBlank = U'_';
  bool FRightAligned = false;
};

// The edit text a value gets under a mask, with spaces in the blank positions (the value is read as
// the mask's Text would be). An empty mask returns the value unchanged.
std::string FormatMaskText(const std::string& EditMask, const std::string& Value);
