#include "dataedit/SpecRowX.h"

#include "dataedit/VarValuesX.h"
#include "platform/controls/controls.h"

void TSpecRowX::DeclarePublished(TPublished<TSpecRowX>& P) {
  P.String("CellsText", &TSpecRowX::CellsText, &TSpecRowX::SetCellsText);
  P.Color("Color", &TSpecRowX::Color, &TSpecRowX::SetColor).NoDefault().Stored(&TSpecRowX::ColorAssigned);
  P.Object("Font", &TSpecRowX::Font, &TSpecRowX::SetFont).Stored(&TSpecRowX::FontAssigned);
  P.Integer("ShortCut", &TSpecRowX::ShortCut, &TSpecRowX::SetShortCut).Default(32814);
  P.Boolean("ShowIfNotInKeyList", &TSpecRowX::ShowIfNotInKeyList, &TSpecRowX::SetShowIfNotInKeyList).Default(true);
  P.VariantProp("Value", &TSpecRowX::Value, &TSpecRowX::SetValue);
  P.Boolean("Visible", &TSpecRowX::Visible, &TSpecRowX::SetVisible).Default(false);
}

TSpecRowX::TSpecRowX(TPersistent* AOwner) : FOwner(AOwner), FFont(std::make_unique<TFont>()) {
  if (TFont* D = DefaultFont(); D && D != FFont.get()) FFont->Assign(D);
  FFont->OnChange = [this](TObject*) {
    FFontSet = true;
    Changed();
  };
}

TSpecRowX::~TSpecRowX() = default;

TFont* TSpecRowX::DefaultFont() const {
  if (auto* C = dynamic_cast<TControl*>(FOwner)) return C->Font();
  return FFont.get();
}

TColor TSpecRowX::DefaultColor() const {
  if (auto* C = dynamic_cast<TControl*>(FOwner)) return C->Color();
  return FColor;
}

void TSpecRowX::Changed() {
  if (FUpdateCount == 0 && OnChanged) OnChanged(this);
}

void TSpecRowX::UnlockChanges() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TSpecRowX::SetCellsText(const std::string& Value) {
  if (Value == FCellsText) return;
  FCellsText = Value;
  SplitCells();
  Changed();
}

// Cells run to ';' or a control character; a cell in double quotes may hold ';' (two quotes stand
// for one). Blanks belong to the cells.
void TSpecRowX::SplitCells() {
  FCells.clear();
  const std::string& S = FCellsText;
  size_t P = 0;
  auto IsControl = [&](size_t I) { return I < S.size() && S[I] >= 1 && S[I] <= 31; };
  while (IsControl(P)) ++P;
  while (P < S.size()) {
    std::string Cell;
    if (S[P] == '"') {
      ++P;
      while (P < S.size()) {
        if (S[P] == '"') {
          if (P + 1 < S.size() && S[P + 1] == '"') {
            Cell += '"';
            P += 2;
            continue;
          }
          ++P;
          break;
        }
        Cell += S[P++];
      }
    } else {
      while (P < S.size() && S[P] != ';' && !IsControl(P)) Cell += S[P++];
    }
    FCells.push_back(std::move(Cell));
    while (IsControl(P)) ++P;
    if (P < S.size() && S[P] == ';') {
      ++P;
      while (IsControl(P)) ++P;
    }
  }
}

TColor TSpecRowX::Color() const { return FColorSet ? FColor : DefaultColor(); }

void TSpecRowX::SetColor(TColor Value) {
  if (FColorSet && Value == FColor) return;
  FColor = Value;
  FColorSet = true;
  Changed();
}

TFont* TSpecRowX::Font() {
  if (!FFontSet) {
    TFont* D = DefaultFont();
    if (D && D != FFont.get() && D->Handle() != FFont->Handle()) {
      // Follows the owner's font without counting as an assignment.
      TNotifyEvent Saved = std::move(FFont->OnChange);
      FFont->OnChange = nullptr;
      FFont->Assign(D);
      FFont->OnChange = std::move(Saved);
    }
  }
  return FFont.get();
}

void TSpecRowX::SetShowIfNotInKeyList(bool Value) {
  if (Value == FShowIfNotInKeyList) return;
  FShowIfNotInKeyList = Value;
  Changed();
}

void TSpecRowX::SetValue(const Variant& Value) {
  if (VarValuesEqual(Value, FValue)) return;
  FValue = Value;
  Changed();
}

void TSpecRowX::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

std::string TSpecRowX::GetColumnText(int Index) const {
  if (Index < 0 || Index >= CellCount()) return "";
  return FCells[static_cast<size_t>(Index)];
}

bool TSpecRowX::MatchesKey(const Variant& KeyValue) const { return FVisible && VarValuesEqual(FValue, KeyValue); }

void TSpecRowX::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TSpecRowX*>(Source)) {
    LockChanges();
    SetCellsText(S->FCellsText);
    SetColor(S->Color());
    if (S->FFontSet) SetFont(S->FFont.get());
    SetShortCut(S->FShortCut);
    SetShowIfNotInKeyList(S->FShowIfNotInKeyList);
    SetValue(S->FValue);
    SetVisible(S->FVisible);
    UnlockChanges();
    return;
  }
  TPersistent::Assign(Source);
}
