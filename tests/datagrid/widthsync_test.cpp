// Sized default columns keep their width in their fields, so that the columns the grid makes again
// come back at the sized width; the user's own columns keep theirs in themselves.

#include "tests/datagrid/grid_fixture.h"

namespace {

int DigitWidth(TCustomDBGridX* G, TColumnX* C) {
  int digit = 0, ave = 0, overhang = 0;
  G->MeasureDigit(C->Font(), digit, ave, overhang);
  return digit;
}

}  // namespace

TEST_F(DataGridTest, SizedDefaultColumnWritesItsFieldWidth) {
  Bind();
  ASSERT_TRUE(grid->FieldWidthSync());  // on from creation
  TColumnX* name = Col(1);
  ASSERT_FALSE(name->Persistent());
  int digit = DigitWidth(grid, name);
  ASSERT_GT(digit, 0);
  struct Case {
    int Width;
  } cases[] = {{200}, {90}, {37}};
  for (const Case& k : cases) {
    name->SetWidth(k.Width);
    int dw = ds->FieldByName("Name")->DisplayWidth();
    // Whole characters of the sized width, rounded by half an average character.
    EXPECT_GE(dw, 1) << k.Width;
    EXPECT_LE(std::abs(dw * digit + 4 - k.Width), digit) << k.Width;
    EXPECT_LE(std::abs(name->Width() - k.Width), digit) << k.Width;
  }
}

TEST_F(DataGridTest, RemadeDefaultColumnsComeBackAtTheSizedWidth) {
  Bind();
  Col(1)->SetWidth(230);
  int digit = DigitWidth(grid, Col(1));
  // Closing and opening the data set makes every generated column again.
  ds->Close();
  win::PumpMessages();
  EXPECT_EQ(grid->Columns()->Count(), 0);
  ds->Open();
  win::PumpMessages();
  ASSERT_EQ(grid->Columns()->Count(), 6);
  EXPECT_LE(std::abs(Col(1)->Width() - 230), digit);
  // A column not sized keeps the width its field gives.
  EXPECT_EQ(Col(0)->Width(), Col(0)->DefaultWidth());
}

TEST_F(DataGridTest, FieldWidthFollowsOnlyDefaultColumnsWithTheSwitchOn) {
  struct Case {
    const char* What;
    bool Persistent;
    bool Sync;
    bool FieldFollows;
  } cases[] = {
      {"default column, switch on", false, true, true},
      {"default column, switch off", false, false, false},
      {"user's column", true, true, false},
  };
  for (const Case& k : cases) {
    grid->SetDataSource(nullptr);
    grid->Columns()->Clear();
    ds->FieldByName("Name")->SetDisplayWidth(0);  // back to its size, 20
    if (k.Persistent)
      for (const char* n : {"ID", "Name"}) grid->Columns()->Add()->SetFieldName(n);
    grid->SetFieldWidthSync(k.Sync);
    Bind();
    ASSERT_EQ(Col(1)->Persistent(), k.Persistent) << k.What;
    Col(1)->SetWidth(300);
    EXPECT_EQ(ds->FieldByName("Name")->DisplayWidth() != 20, k.FieldFollows) << k.What;
    EXPECT_EQ(Col(1)->Width(), 300) << k.What;
  }
}

TEST_F(DataGridTest, DefaultColumnWithoutWindowLeavesTheFieldAlone) {
  // The width of a grid not yet shown is no sizing by the user.
  auto* g = new TDBGridX(owner.get());
  g->SetDataSource(src);
  ASSERT_FALSE(g->HandleAllocated());
  ASSERT_GT(g->Columns()->Count(), 1);
  g->Columns()->Items(1)->SetWidth(250);
  EXPECT_EQ(ds->FieldByName("Name")->DisplayWidth(), 20);
  EXPECT_EQ(g->Columns()->Items(1)->Width(), 250);
}

namespace {

// A font that measures no width for "0" (an empty or broken font).
class TNoDigitGridX : public TDBGridX {
 public:
  using TDBGridX::TDBGridX;
  void MeasureDigit(TFont*, int& Digit, int& AveChar, int& Overhang) override {
    Digit = 0;
    AveChar = 0;
    Overhang = 0;
  }
};

}  // namespace

TEST_F(DataGridTest, ZeroDigitWidthNeitherDividesByZeroNorGivesAnEmptyColumn) {
  auto* g = new TNoDigitGridX(owner.get());
  g->SetBounds(0, 0, 600, 300);
  g->SetParent(host);
  g->SetDataSource(src);
  win::PumpMessages();
  ASSERT_TRUE(g->HandleAllocated());
  TColumnX* name = g->Columns()->Items(1);
  // The default width still counts the field's 20 characters.
  EXPECT_EQ(name->DefaultWidth(), 8 * 20 + 4);
  name->SetWidth(120);  // no character count to keep: the field stays as it was
  EXPECT_EQ(ds->FieldByName("Name")->DisplayWidth(), 20);
  EXPECT_EQ(name->Width(), 120);
}
