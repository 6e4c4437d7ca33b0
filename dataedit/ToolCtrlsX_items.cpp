// Edit button definitions and their collection.
#include <algorithm>

#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/menus.h"

TEditButtonX::TEditButtonX(TCollection* ACollection) : TCollectionItem(nullptr), FGlyph(std::make_unique<TBitmap>()) {
  FGlyph->SetTransparent(true);
  // The item joins its collection inside the collection's update bracket, fully made.
  if (ACollection) {
    ACollection->BeginUpdate();
    SetCollection(ACollection);
    ACollection->EndUpdate();
  }
}

TEditButtonX* TEditButtonX::CreateForControl(TWinControl* EditControl) {
  auto* B = new TEditButtonX(nullptr);
  B->FEditControl = EditControl;
  return B;
}

TEditButtonX::~TEditButtonX() = default;

void TEditButtonX::ReportChange() {
  if (OnInternalChange) OnInternalChange(this);
  else if (Collection()) Changed(false);
}

TComponent* TEditButtonX::NotifiedComponent() const {
  if (FEditControl) return FEditControl;
  // A button of a collection: the first component up the chain of owners (the edit, or the grid of
  // the column whose buttons these are).
  for (TCollection* C = Collection(); C;) {
    TPersistent* O = C->Owner();
    if (auto* Comp = dynamic_cast<TComponent*>(O)) return Comp;
    auto* Item = dynamic_cast<TCollectionItem*>(O);
    C = Item ? Item->Collection() : nullptr;
  }
  return nullptr;
}

void TEditButtonX::SetDropdownMenu(TPopupMenu* Value) {
  if (FDropdownMenu == Value) return;
  FDropdownMenu = Value;
  // The menu is not owned: whoever holds this button must hear of its end and forget it.
  if (Value)
    if (TComponent* C = NotifiedComponent()) Value->FreeNotification(C);
  ReportChange();
}

bool TEditButtonX::ForgetDropdownMenu(TComponent* AComponent) {
  if (!FDropdownMenu || static_cast<TComponent*>(FDropdownMenu) != AComponent) return false;
  SetDropdownMenu(nullptr);
  return true;
}

void TEditButtonX::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  ReportChange();
}

void TEditButtonX::SetHint(const std::string& Value) {
  if (FHint == Value) return;
  FHint = Value;
  ReportChange();
}

void TEditButtonX::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  ReportChange();
}

void TEditButtonX::SetShortCut(TShortCut Value) {
  if (FShortCut == Value) return;
  FShortCut = Value;
  ReportChange();
}

void TEditButtonX::SetStyle(TEditButtonStyleX Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  ReportChange();
}

void TEditButtonX::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  ReportChange();
}

void TEditButtonX::SetWidth(int Value) {
  if (FWidth == Value) return;
  FWidth = Value;
  ReportChange();
}

void TEditButtonX::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TEditButtonX*>(Source);
  if (!S) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetDropdownMenu(S->DropdownMenu());
  SetGlyph(S->Glyph());
  SetHint(S->Hint());
  SetNumGlyphs(S->NumGlyphs());
  SetShortCut(S->ShortCut());
  SetStyle(S->Style());
  SetVisible(S->Visible());
  SetWidth(S->Width());
  OnClick = S->OnClick;
  OnDown = S->OnDown;
}

TEditButtonControlX* TEditButtonX::CreateButtonControl() {
  auto* C = new TEditButtonControlX(FEditControl);
  C->SetBounds(0, 0, 10, 17);
  if (FEditControl) C->SetParent(FEditControl);
  C->SetVisible(true);
  return C;
}

TVisibleEditButtonX::TVisibleEditButtonX(TCollection* ACollection) : TEditButtonX(ACollection) {
  FVisible = true;
  FShortCut = 32808;  // Alt+Down
}

TVisibleEditButtonX* TVisibleEditButtonX::CreateForControl(TWinControl* EditControl) {
  auto* B = new TVisibleEditButtonX(nullptr);
  B->SetEditControl(EditControl);
  return B;
}

TEditButtonsX::TEditButtonsX(TPersistent* AOwner, TClass ItemClass, TCollectionItemFactory Factory)
    : TCollection(ItemClass, std::move(Factory)), FOwner(AOwner) {}

void TEditButtonsX::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (OnInternalChange) OnInternalChange(Item);
}

void TEditButtonX::DeclarePublished(TPublished<TEditButtonX>& P) {
  P.Component("DropdownMenu", &TEditButtonX::DropdownMenu, &TEditButtonX::SetDropdownMenu);
  P.Object("Glyph", &TEditButtonX::Glyph, &TEditButtonX::SetGlyph);
  P.String("Hint", &TEditButtonX::Hint, &TEditButtonX::SetHint);
  P.Integer("NumGlyphs", &TEditButtonX::NumGlyphs, &TEditButtonX::SetNumGlyphs).Default(1);
  P.Integer("ShortCut", &TEditButtonX::ShortCut, &TEditButtonX::SetShortCut).Default(0);
  P.Enum("Style", &TEditButtonX::Style, &TEditButtonX::SetStyle,
         {"ebsDropDownX", "ebsEllipsisX", "ebsGlyphX", "ebsUpDownX", "ebsPlusX", "ebsMinusX"})
      .Default(ebsDropDownX);
  P.Boolean("Visible", &TEditButtonX::Visible, &TEditButtonX::SetVisible).Default(false);
  P.Integer("Width", &TEditButtonX::Width, &TEditButtonX::SetWidth).Default(0);
  P.Event("OnClick");
  P.Event("OnDown");
}
