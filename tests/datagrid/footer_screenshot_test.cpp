// Footers and the in-place editor's drop-downs as a user sees them. The drop-downs are top-level
// pop-ups, so each picture copies the pop-up's pixels over the host's at its screen place.

#include <vector>

#include "datagrid/DBGridXFooter.h"
#include "tests/datagrid/inplace_fixture.h"
#include "tests/datagrid/popup_shot.h"

TEST_F(InplaceTest, ScreenshotFooters) {
  grid->SetFooterRowCount(2);
  TColumnX* amount = Col("Amount");
  amount->Footer()->SetValueType(fvtSum);
  amount->Footer()->SetDisplayFormat("#,##0.00");
  TColumnFooterX* avg = amount->Footers()->Add();
  avg->SetValueType(fvtAvg);
  Col("ID")->Footer()->SetValueType(fvtCount);
  TColumnFooterX* label = Col("ID")->Footers()->Add();
  label->SetValueType(fvtStaticText);
  label->SetValue("Avg");
  Col("Name")->Footer()->SetValueType(fvtStaticText);
  Col("Name")->Footer()->SetValue("Total");
  Col("Name")->Footer()->SetColor(clInfoBk);
  Col("Born")->Footer()->SetValueType(fvtFieldValue);
  Col("Born")->Footer()->SetFieldName("Born");
  people->Edit();
  people->FieldByName("Amount")->SetAsFloat(1000.5);
  people->Post();
  win::PumpMessages();
  host->Repaint();
  win::PumpMessages();
  std::string t;
  grid->GetFooterText(1, amount, t);
  EXPECT_EQ(t, "1,006.75");
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_footers.png")));
}

TEST_F(InplaceTest, ScreenshotLookupDropDown) {
  TPopupShotX* shot = MakePopupShot(owner.get(), host, 500);
  grid->SetFocus();
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  AltDown();
  Key(VK_DOWN);
  ASSERT_TRUE(e->ListShown());
  host->Repaint();
  win::PumpMessages();
  ASSERT_TRUE(e->ListShown());
  EXPECT_EQ(e->Text(), "Child");
  EXPECT_TRUE(SavePopupShot(shot, {e->LookupList()}, "datagrid_lookup_dropdown.png"));
}

TEST_F(InplaceTest, ScreenshotCalendarDropDown) {
  Col("Born")->SetWidth(110);
  TPopupShotX* shot = MakePopupShot(owner.get(), host, 500);
  grid->SetFocus();
  TDBGridInplaceEdit* e = OpenEditor("Born");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  host->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(SavePopupShot(shot, {e->CalendarControl()}, "datagrid_calendar_dropdown.png"));
}
