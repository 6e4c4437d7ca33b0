#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/classes/classes.h"

TEST(TStringList, SortedAndDuplicates) {
  TStringList l;
  l.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig", "apple"}) l.Add(s);  // dupIgnore: "apple" = "Apple"
  EXPECT_EQ(l.ToVector(), (std::vector<std::string>{"Apple", "fig", "pear"}));
  EXPECT_EQ(l.IndexOf("PEAR"), 2);
  int at;
  EXPECT_FALSE(l.Find("grape", at));
  EXPECT_EQ(at, 2);
  EXPECT_THROW(l.Insert(0, "x"), EStringListError);
  EXPECT_THROW(l.SetStrings(0, "x"), EStringListError);
  l.SetDuplicates(dupError);
  try {
    l.Add("FIG");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  l.SetDuplicates(dupAccept);
  l.Add("FIG");
  EXPECT_EQ(l.Count(), 4);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("apple"), -1);
  EXPECT_EQ(l.IndexOf("Apple"), 0);
  TStringList u;
  u.AddStrings({"b", "c", "a"});
  u.Sort();
  EXPECT_EQ(u.CommaText(), "a,b,c");
  EXPECT_THROW(u.Strings(3), EStringListError);
}

TEST(TStringList, NamesAndValues) {
  TStringList l;
  l.SetText("Width=10\nTitle=头发\nflag\n");
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Names(0), "Width");
  EXPECT_EQ(l.Names(2), "");
  EXPECT_EQ(l.Values("title"), "头发");
  EXPECT_EQ(l.ValueFromIndex(0), "10");
  EXPECT_EQ(l.IndexOfName("WIDTH"), 0);
  l.SetValues("Width", "20");
  l.SetValues("Height", "5");
  EXPECT_EQ(l.Strings(0), "Width=20");
  EXPECT_EQ(l.Strings(3), "Height=5");
  l.SetValues("Title", "");  // an empty value deletes the line
  EXPECT_EQ(l.Text(), "Width=20\nflag\nHeight=5\n");
}

TEST(TStringList, CommaAndDelimitedTextRoundTrip) {
  TStringList l;
  const std::vector<std::string> items = {"plain", "with space", "comma,inside", "quote\"d", "", "女士"};
  l.AddStrings(items);
  std::string text = l.CommaText();
  EXPECT_EQ(text, "plain,\"with space\",\"comma,inside\",\"quote\"\"d\",,女士");
  TStringList back;
  back.SetCommaText(text);
  EXPECT_EQ(back.ToVector(), items);
  back.SetCommaText("a b, c ,\"d e\",");
  EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"a", "b", "c", "d e", ""}));
  TStringList one;
  one.Add("");
  EXPECT_EQ(one.CommaText(), "\"\"");
  TStringList strict;
  strict.SetDelimiter(';');
  strict.SetStrictDelimiter(true);
  strict.SetDelimitedText("a b;c");
  EXPECT_EQ(strict.ToVector(), (std::vector<std::string>{"a b", "c"}));
  strict.SetCommaText(std::string("x\0y", 3));  // a NUL ends the text, never loops
  EXPECT_EQ(strict.ToVector(), (std::vector<std::string>{"x"}));
}

TEST(TStringList, EventsObjectsAndUpdates) {
  TStringList l;
  int changes = 0, changing = 0;
  l.OnChange = [&](TObject* Sender) { EXPECT_EQ(Sender, &l); ++changes; };
  l.OnChanging = [&](TObject*) { ++changing; };
  l.Add("a");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(changing, 1);
  l.BeginUpdate();
  l.Add("b");
  l.Add("c");
  l.Delete(0);
  EXPECT_EQ(changes, 1);
  l.EndUpdate();
  EXPECT_EQ(changes, 2);
  TStringList other;
  other.AddObject("x", &l);
  l.Assign(&other);
  EXPECT_EQ(l.Objects(0), &l);
  EXPECT_EQ(l.IndexOfObject(&l), 0);
  l.AddStrings(&l);  // adding itself doubles once
  EXPECT_EQ(l.Count(), 2);
  l.Add("z");
  l.Move(2, 0);
  l.Exchange(1, 2);
  EXPECT_EQ(l.ToVector(), (std::vector<std::string>{"z", "x", "x"}));
  EXPECT_EQ(l.Objects(2), &l);
}

TEST(TStringList, FilesAndStreams) {
  std::string f = testing::TempDir() + "/strings_" + std::to_string(::getpid()) + ".txt";
  TStringList l;
  l.AddStrings({"一", "two", ""});
  l.SaveToFile(f);
  TStringList back;
  back.LoadFromFile(f);
  EXPECT_EQ(back.ToVector(), l.ToVector());
  TMemoryStream ms;
  ms.WriteString("\xEF\xBB\xBFr1\r\nr2\rr3");
  ms.SetPosition(0);
  back.LoadFromStream(&ms);
  EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"r1", "r2", "r3"}));
  DeleteFile(f);
  EXPECT_THROW(back.LoadFromFile(f), EFOpenError);
}
