#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/sysutils.h"

TEST(Strings, CaseTrimSearchCopy) {
  EXPECT_EQ(UpperCase("abc女z"), "ABC女Z");
  EXPECT_EQ(LowerCase("ÄBC"), "Äbc");  // ASCII only
  EXPECT_EQ(AnsiUpperCase("äbc"), "ÄBC");
  EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  EXPECT_EQ(Pos("lo", "hello lo"), 4);
  EXPECT_EQ(Pos("lo", "hello lo", 5), 7);
  EXPECT_EQ(Pos("zz", "hello"), 0);
  EXPECT_EQ(Pos("", "hello"), 0);
  EXPECT_EQ(Copy("hello", 2, 3), "ell");
  EXPECT_EQ(Copy("hello", 4, 100), "lo");
  EXPECT_EQ(Copy("hello", 0, 2), "he");
  EXPECT_EQ(Copy("hello", 9, 2), "");
  EXPECT_EQ(Copy("hello", 2, -1), "");
  std::string s = "hello";
  Delete(s, 2, 2);
  EXPECT_EQ(s, "hlo");
  Insert("XY", s, 2);
  EXPECT_EQ(s, "hXYlo");
}

TEST(Strings, CompareAndReplace) {
  EXPECT_LT(CompareStr("A", "a"), 0);
  EXPECT_EQ(CompareText("Hello", "hELLO"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  EXPECT_TRUE(SameText("Columns", "COLUMNS"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_EQ(AnsiCompareText("ÄX", "äx"), 0);
  EXPECT_EQ(StringReplace("aAaA", "a", "b", {}), "bAaA");
  EXPECT_EQ(StringReplace("aAaA", "a", "b", {rfReplaceAll}), "bAbA");
  EXPECT_EQ(StringReplace("aAaA", "a", "bb", {rfReplaceAll, rfIgnoreCase}), "bbbbbbbb");
  EXPECT_EQ(StringReplace("Hairs\\女士\\", "\\", "/", {rfReplaceAll}), "Hairs/女士/");
  EXPECT_EQ(StringReplace("abc", "", "x", {rfReplaceAll}), "abc");
}

TEST(Strings, Quoting) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
  EXPECT_EQ(AnsiDequotedStr("'it''s'", '\''), "it's");
  EXPECT_EQ(AnsiDequotedStr("plain", '\''), "plain");
  EXPECT_EQ(AnsiDequotedStr("'open", '\''), "open");
  EXPECT_TRUE(IsValidIdent("btnAdd1"));
  EXPECT_FALSE(IsValidIdent("1btn"));
  EXPECT_FALSE(IsValidIdent("a b"));
  EXPECT_FALSE(IsValidIdent(""));
}

TEST(Utf8, WholeCharactersAndConversions) {
  const std::string s = "a女士😀b";
  EXPECT_EQ(Utf8Length(s), 5);
  EXPECT_EQ(Utf8Next(s, 1), 4u);
  EXPECT_EQ(Utf8Prev(s, 11), 7u);
  EXPECT_EQ(Utf8Prev(s, 7), 4u);
  EXPECT_EQ(Utf8Left(s, 3), "a女士");
  EXPECT_EQ(Utf8TruncateBytes(s, 5), "a女");  // never splits 士
  EXPECT_EQ(Utf8TruncateBytes(s, 9), "a女士");
  std::u16string w = Utf8ToUtf16(s);
  EXPECT_EQ(w.size(), 6u);  // the emoji is a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(w), s);
  EXPECT_EQ(Utf32ToUtf8(Utf8ToUtf32(s)), s);
  EXPECT_EQ(Utf8ToUtf32(s).size(), 5u);
  // Malformed input never reads past the end and decodes to U+FFFD.
  const std::string bad = "x\xE5\xA5";  // a truncated three-byte character
  EXPECT_EQ(Utf8Length(bad), 3);
  EXPECT_FALSE(IsValidUtf8(bad));
  EXPECT_TRUE(IsValidUtf8(s));
  EXPECT_EQ(Utf8ToUtf32(bad), (std::u32string{U'x', 0xFFFD, 0xFFFD}));
  EXPECT_EQ(Utf8ToUtf32("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));  // overlong
}

TEST(Strings, LimitedCaseInsensitiveCompareOnWholeCharacters) {
  EXPECT_EQ(AnsiStrLIComp("Straße", "STRASSE", 4), 0);
  EXPECT_GT(AnsiStrLIComp("Straße", "STRASSE", 5), 0);  // 'ß' (U+00DF) after 'S': by code point
  EXPECT_EQ(AnsiStrLIComp("ÄBC", "äbd", 2), 0);
  EXPECT_LT(AnsiStrLIComp("ÄBC", "äbd", 3), 0);
  EXPECT_GT(AnsiStrLIComp("abc", "ab", 5), 0);
  EXPECT_EQ(AnsiStrLIComp("女士", "女孩", 1), 0);
  EXPECT_NE(AnsiStrLIComp("女士", "女孩", 2), 0);
  EXPECT_EQ(AnsiStrLIComp("", "", 3), 0);
}

TEST(CodePages, GbkRoundTripAndReplacement) {
  const std::string text = "女士发型 A-1";
  const std::string gbk = Utf8ToGbk(text);
  EXPECT_EQ(gbk, std::string("\xC5\xAE\xCA\xBF\xB7\xA2\xD0\xCD A-1"));
  EXPECT_EQ(GbkToUtf8(gbk), text);
  EXPECT_EQ(Utf8ToGbk("a😀b"), "a?b");                    // not in GBK
  EXPECT_EQ(GbkToUtf8("a\xC5"), "a\xEF\xBF\xBD");          // truncated double-byte character
  EXPECT_EQ(GbkToUtf8("\xFF" "b"), "\xEF\xBF\xBD" "b");   // not a GBK lead byte
  EXPECT_EQ(Utf8ToGbk(""), "");
}

TEST(ResourceStrings, ByIdAndName) {
  RegisterResourceString(65100, "SDemoMessage", "first");
  RegisterResourceString(65100, "SDemoMessage", "second");
  EXPECT_EQ(LoadResString(65100), "second");
  EXPECT_EQ(LoadStr(65101), "");
  std::string t;
  EXPECT_TRUE(FindResourceString("SDemoMessage", t));
  EXPECT_EQ(t, "second");
  EXPECT_FALSE(FindResourceString("sdemomessage", t));
}

TEST(ShortCuts, KeyAndModifiersPackAndUnpack) {
  static_assert(ShortCut('C', scCtrl) == 0x4043);
  static_assert(ShortCut(0x2E, scShift | scCtrl) == 0x602E);  // Ctrl+Shift+Delete
  EXPECT_EQ(ShortCut(0x170, scAlt), 0x8070);                  // only the key's low byte counts
  uint16_t key = 0, mods = 0;
  ShortCutToKey(0xA041, key, mods);
  EXPECT_EQ(key, 0x41);
  EXPECT_EQ(mods, scAlt | scShift);
}

// Typed UTF-16 units, one WM_CHAR each, joined into whole characters: what each unit gives.
TEST(Utf16, TypedCharJoinerPairsTheHalvesOfACharacterBeyondTheBmp) {
  struct Case {
    const char* Name;
    std::vector<char16_t> Units;
    std::vector<char32_t> Given;
  };
  const Case Cases[] = {
      {"a letter", {u'a'}, {U'a'}},
      {"U+20BB7 as its two halves", {0xD842, 0xDFB7}, {0, 0x20BB7}},
      {"U+1F600 between letters", {u'x', 0xD83D, 0xDE00, u'y'}, {U'x', 0, 0x1F600, U'y'}},
      {"a second half alone", {0xDFB7, u'a'}, {0, U'a'}},
      {"a first half that a letter follows is dropped", {0xD842, u'a', 0xDFB7}, {0, U'a', 0}},
      {"a first half that another first half follows", {0xD842, 0xD83D, 0xDE00}, {0, 0, 0x1F600}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TTypedCharJoiner J;
    std::vector<char32_t> Given;
    for (char16_t U : C.Units) Given.push_back(J.Join(U));
    EXPECT_EQ(Given, C.Given);
    EXPECT_FALSE(J.Pending());
  }
  TTypedCharJoiner J;
  J.Join(0xD842);
  EXPECT_TRUE(J.Pending());
  J.Clear();
  EXPECT_EQ(J.Join(0xDFB7), 0u) << "cleared: the second half has no first";
}
