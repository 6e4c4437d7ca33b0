// Footers and the in-place editor's drop-downs as a user sees them. The drop-downs are top-level
// pop-ups, so each picture copies the pop-up's pixels over the host's at its screen place.

#include <vector>

#include "datagrid/DBGridXFooter.h"
#include "tests/datagrid/inplace_fixture.h"

namespace {

// A top-level window that shows the host and the pop-ups over it as they lie on the screen: each
// window's pixels are copied in at its screen place, the host first.
class TCompositeX : public TCustomControl {
  DECLARE_CLASS(TCompositeX, TCustomControl)
  TCompositeX(TComponent* AOwner, TWinControl* AHost) : TCustomControl(AOwner), FHost(AHost) {}
  std::vector<TWinControl*> Popups;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE;
    Params.WndParent = nullptr;
  }
  void Paint() override {
    RECT h{};
    GetWindowRect(FHost->Handle(), &h);
    HDC dst = Canvas()->Handle();
    std::vector<TWinControl*> all{FHost};
    all.insert(all.end(), Popups.begin(), Popups.end());
    for (TWinControl* w : all) {
      RECT r{};
      GetWindowRect(w->Handle(), &r);
      HDC src = GetWindowDC(w->Handle());
      BitBlt(dst, r.left - h.left, r.top - h.top, r.right - r.left, r.bottom - r.top, src, 0, 0, SRCCOPY);
      ReleaseDC(w->Handle(), src);
    }
  }

 private:
  TWinControl* FHost;
};

// Made before anything drops down (a new window takes the activation, which would close a drop-down).
TCompositeX* MakeComposite(TComponent* Owner, TWinControl* Host) {
  auto* c = new TCompositeX(Owner, Host);
  c->SetBounds(0, 500, Host->Width(), Host->Height());
  c->HandleNeeded();
  c->SetVisible(true);
  win::PumpMessages();
  return c;
}

bool SaveComposite(TCompositeX* C, std::vector<TWinControl*> Popups, const std::string& Name) {
  C->Popups = std::move(Popups);
  win::PumpMessages();
  C->Invalidate();
  win::PumpMessages();
  return win::SaveWindowPng(C->Handle(), win::ArtifactPath(Name));
}

}  // namespace

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
  TCompositeX* shot = MakeComposite(owner.get(), host);
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
  EXPECT_TRUE(SaveComposite(shot, {e->LookupList()}, "datagrid_lookup_dropdown.png"));
}

TEST_F(InplaceTest, ScreenshotCalendarDropDown) {
  Col("Born")->SetWidth(110);
  TCompositeX* shot = MakeComposite(owner.get(), host);
  grid->SetFocus();
  TDBGridInplaceEdit* e = OpenEditor("Born");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  host->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(SaveComposite(shot, {e->CalendarControl()}, "datagrid_calendar_dropdown.png"));
}
