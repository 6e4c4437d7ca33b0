// The data-set machinery over a minimal descendant of its own (a vector of integers with record numbers
// as bookmarks): navigation, editing and the general Locate and Lookup walks do not depend on the
// in-memory data set.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/data/data_fixture.h"

namespace {

class TVectorDataSet : public TDataSet {
 public:
  std::vector<int> Values;
  explicit TVectorDataSet(std::vector<int> V) : TDataSet(nullptr), Values(std::move(V)) {
    SetName("Vec");
    FieldDefs().Add("V", ftInteger);
  }
  ~TVectorDataSet() override {
    Destroying();
    if (Active()) Close();
  }
  int RecordCount() const override { return static_cast<int>(Values.size()); }

 protected:
  int Cursor = -1;
  int EditValue = 0;
  bool EditNull = true;
  int Size() const { return static_cast<int>(Values.size()); }
  void InternalOpen() override { Cursor = -1; }
  void InternalClose() override {}
  void InternalFirst() override { Cursor = -1; }
  void InternalLast() override { Cursor = Size(); }
  TGetResult GetRecord(TRecBuf& Buf, TGetMode Mode) override {
    if (Mode == gmNext) {
      if (Cursor + 1 >= Size()) return Cursor = Size(), grEOF;
      ++Cursor;
    } else if (Mode == gmPrior) {
      if (Cursor - 1 < 0) return Cursor = -1, grBOF;
      --Cursor;
    } else if (Cursor < 0 || Cursor >= Size()) {
      return grError;
    }
    Buf.Handle = Buf.Pos = Cursor;
    return grOK;
  }
  void InternalSetToRecord(const TRecBuf& Buf) override {
    Cursor = Buf.EditRecord && State() == dsInsert ? (Buf.Flag == bfEOF ? Size() : Buf.Flag == bfBOF ? 0 : int(Buf.Pos))
                                                  : int(Buf.Pos);
  }
  void InternalInitRecord(TRecBuf&) override { EditNull = true; }
  void InternalEdit() override {
    EditValue = Values[Cursor];
    EditNull = false;
  }
  void InternalPost() override {
    if (State() == dsInsert) {
      Cursor = std::clamp(Cursor, 0, Size());
      Values.insert(Values.begin() + Cursor, EditNull ? 0 : EditValue);
    } else {
      Values[Cursor] = EditValue;
    }
  }
  void InternalDelete() override { Values.erase(Values.begin() + Cursor); }
  TBookmark GetBookmarkOf(const TRecBuf& Buf) const override {
    int32_t p = static_cast<int32_t>(Buf.Pos);
    return TBookmark(reinterpret_cast<const char*>(&p), 4);
  }
  bool InternalGotoBookmark(const TBookmark& B) override {
    int32_t p;
    if (B.size() != 4) return false;
    std::memcpy(&p, B.data(), 4);
    if (p < 0 || p >= Size()) return false;
    Cursor = p;
    return true;
  }
  bool GetRecordData(const TField*, const TRecBuf& Buf, void* Buffer) const override {
    if (Buf.EditRecord) {
      if (EditNull) return false;
      *static_cast<int32_t*>(Buffer) = EditValue;
      return true;
    }
    *static_cast<int32_t*>(Buffer) = Values[Buf.Pos];
    return true;
  }
  void SetRecordData(TField*, TRecBuf&, const void* Buffer) override {
    EditNull = Buffer == nullptr;
    if (Buffer) EditValue = *static_cast<const int32_t*>(Buffer);
  }
};

std::vector<int> Walk(TDataSet& DS) {
  std::vector<int> r;
  for (DS.First(); !DS.Eof(); DS.Next()) r.push_back(DS.Fields()[0]->AsInteger());
  return r;
}

TEST(DataSetContract, NavigationAndEditingOverAnotherDescendant) {
  TVectorDataSet ds({10, 20, 30, 40});
  ds.Open();
  EXPECT_TRUE(ds.DefaultFields());
  EXPECT_EQ(Walk(ds), (std::vector<int>{10, 20, 30, 40}));
  EXPECT_TRUE(ds.Eof());
  ds.Last();
  EXPECT_EQ(ds.MoveBy(-2), -2);
  EXPECT_EQ(ds.Fields()[0]->AsInteger(), 20);
  ds.Insert();
  ds.Fields()[0]->SetAsInteger(15);
  ds.Post();
  EXPECT_EQ(ds.Fields()[0]->AsInteger(), 15);
  ds.Append();
  ds.Fields()[0]->SetAsInteger(50);
  ds.Post();
  ds.First();
  ds.Edit();
  ds.Fields()[0]->SetAsInteger(11);
  ds.Next();  // posts
  ds.Delete();
  EXPECT_EQ(Walk(ds), (std::vector<int>{11, 20, 30, 40, 50}));
}

TEST(DataSetContract, GeneralLocateAndLookupWalkSilently) {
  TVectorDataSet ds({5, 6, 7, 8, 9, 10, 11});
  ds.Open();
  TDataSource src(nullptr);
  src.SetDataSet(&ds);
  TRecordingLink link;
  link.SetBufferCount(3);
  link.SetDataSource(&src);
  ds.MoveBy(1);
  link.Clear();
  EXPECT_TRUE(ds.Locate("V", 9, {}));
  EXPECT_EQ(ds.Fields()[0]->AsInteger(), 9);
  // The walk itself is silent: one notification at its end.
  EXPECT_EQ(link.Log, (std::vector<std::string>{"CheckBrowseMode a=1 n=3", "DataSetChanged a=2 n=3"}));
  link.Clear();
  EXPECT_FALSE(ds.Locate("V", 99, {}));
  EXPECT_EQ(ds.Fields()[0]->AsInteger(), 9);  // back where it was
  EXPECT_TRUE(ds.Locate("V", "1", {loPartialKey}));  // text against a number: partial on the text
  EXPECT_EQ(ds.Fields()[0]->AsInteger(), 10);
  EXPECT_EQ(ds.Lookup("V", 6, "V").AsInteger(), 6);
  EXPECT_TRUE(ds.Lookup("V", 60, "V").IsNull());
  EXPECT_EQ(ds.Fields()[0]->AsInteger(), 10);  // Lookup does not move
}

}  // namespace
