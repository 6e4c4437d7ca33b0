// Which columns Tab stops at: visible, writable columns of an active link; a lookup column is as
// writable as its key fields.

#include "tests/datagrid/lookup_fixture.h"

TEST_F(LookupTest, TabStopsSkipReadOnlyColumnsAndLookupsWithReadOnlyKeys) {
  auto* g = new TDBGridX(owner.get());
  g->SetBounds(0, 0, 500, 200);
  g->SetParent(host);
  g->SetDataSource(peopleSrc);
  win::PumpMessages();
  auto stop = [&](const char* Name) {
    for (int i = 0; i < g->Columns()->Count(); ++i)
      if (g->Columns()->Items(i)->FieldName() == Name) return g->TabStops(g->DataToRawColumn(i));
    ADD_FAILURE() << Name;
    return false;
  };
  EXPECT_TRUE(stop("Name"));
  EXPECT_TRUE(stop("City"));
  people->FieldByName("CityID")->SetReadOnly(true);  // the lookup's key
  g->LayoutChanged();
  EXPECT_FALSE(stop("CityID"));
  EXPECT_FALSE(stop("City"));
  EXPECT_TRUE(stop("Name"));
  people->FieldByName("CityID")->SetReadOnly(false);
  g->Columns()->Items(1)->SetReadOnly(true);  // a default column writes it through to the field
  g->LayoutChanged();
  EXPECT_FALSE(stop("Name"));
  EXPECT_TRUE(stop("City"));
}
