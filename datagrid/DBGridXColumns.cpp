#include "datagrid/DBGridXColumns.h"

#include <algorithm>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXFooter.h"
#include "dataedit/MRUListX.h"
#include "platform/controls/imglist.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------------------------------
// Title defaults

TCustomDBGridX* TColumnTitleDefValuesX::Grid() const { return FOwner ? FOwner->Grid() : nullptr; }

TAlignment TColumnTitleDefValuesX::Alignment() const {
  if (FAssigned & 2) return FAlignment;
  TCustomDBGridX* g = Grid();
  return g && g->UseMultiTitle() ? taCenter : taLeftJustify;
}

void TColumnTitleDefValuesX::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  FAssigned |= 2;
  if (TCustomDBGridX* g = Grid()) g->LayoutChanged();
}

TColor TColumnTitleDefValuesX::Color() const {
  if (FAssigned & 1) return FColor;
  TCustomDBGridX* g = Grid();
  return g ? g->FixedColor() : clBtnFace;
}

void TColumnTitleDefValuesX::SetColor(TColor Value) {
  FColor = Value;
  FAssigned |= 1;
  if (TCustomDBGridX* g = Grid()) g->Invalidate();
}

void TColumnTitleDefValuesX::SetEndEllipsis(bool Value) {
  FEndEllipsis = Value;
  if (TCustomDBGridX* g = Grid()) g->Invalidate();
}

void TColumnTitleDefValuesX::SetOrientation(TTextOrientationX Value) {
  FOrientation = Value;
  if (TCustomDBGridX* g = Grid()) g->LayoutChanged();
}

void TColumnTitleDefValuesX::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TColumnTitleDefValuesX*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  // Only what this object has set itself is replaced, so fresh defaults stay inherited.
  if (FAssigned & 2) SetAlignment(s->Alignment());
  if (FAssigned & 1) SetColor(s->Color());
  SetEndEllipsis(s->EndEllipsis());
  FTitleButton = s->TitleButton();
  FToolTips = s->ToolTips();
  SetOrientation(s->Orientation());
}

void TColumnTitleDefValuesX::AssignWithOwnValues(TColumnTitleDefValuesX* Source) {
  Assign(Source);
  if (Source->FAssigned & 2) SetAlignment(Source->Alignment());
  if (Source->FAssigned & 1) SetColor(Source->Color());
}

// ---------------------------------------------------------------------------------------------------
// Column defaults

TColumnDefValuesX::TColumnDefValuesX(TCustomDBGridX* AGrid)
    : FGrid(AGrid), FTitle(std::make_unique<TColumnTitleDefValuesX>(this)) {}

void TColumnDefValuesX::SetAlwaysShowEditButton(bool Value) {
  if (Value == FAlwaysShowEditButton) return;
  FAlwaysShowEditButton = Value;
  if (FGrid) FGrid->Invalidate();
}

void TColumnDefValuesX::SetEndEllipsis(bool Value) {
  if (Value == FEndEllipsis) return;
  FEndEllipsis = Value;
  if (FGrid) FGrid->Invalidate();
}

void TColumnDefValuesX::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TColumnDefValuesX*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  SetTitle(s->Title());
  SetAlwaysShowEditButton(s->AlwaysShowEditButton());
  SetEndEllipsis(s->EndEllipsis());
  FAutoDropDown = s->FAutoDropDown;
  FDblClickNextVal = s->FDblClickNextVal;
  FToolTips = s->FToolTips;
  FDropDownSizing = s->FDropDownSizing;
  FDropDownShowTitles = s->FDropDownShowTitles;
}

// ---------------------------------------------------------------------------------------------------
// Column title

TColumnTitleX::TColumnTitleX(TColumnX* AColumn) : FColumn(AColumn), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
}

TColumnTitleX::~TColumnTitleX() { FFont->OnChange = nullptr; }

bool TColumnTitleX::Has(TColumnXValue V) const { return FColumn->Has(V); }
void TColumnTitleX::Flag(TColumnXValue V) { FColumn->Flag(V); }

TAlignment TColumnTitleX::Alignment() const {
  if (Has(cvTitleAlignment)) return FAlignment;
  TColumnDefValuesX* d = FColumn->DefValues();
  return d ? d->Title()->Alignment() : taLeftJustify;
}

void TColumnTitleX::SetAlignment(TAlignment Value) {
  if (Has(cvTitleAlignment) && Value == FAlignment) return;
  FAlignment = Value;
  Flag(cvTitleAlignment);
  FColumn->Changed(false);
}

std::string TColumnTitleX::DefaultCaption() const {
  TField* f = FColumn->Field();
  return f ? f->DisplayName() : FColumn->FieldName();
}

std::string TColumnTitleX::Caption() const { return Has(cvTitleCaption) ? FCaption : DefaultCaption(); }

void TColumnTitleX::SetCaption(const std::string& Value) {
  TCustomDBGridX* g = FColumn->OwnerGrid();
  // A generated column's caption lives in its field.
  if (FColumn->DefaultColumn() && g && g->DataLink()->Active() && FColumn->Field()) {
    FColumn->Field()->SetDisplayLabel(Value);
    return;
  }
  if (Has(cvTitleCaption) && Value == FCaption) return;
  FCaption = Value;
  Flag(cvTitleCaption);
  FColumn->Changed(false);
}

TColor TColumnTitleX::Color() const {
  if (Has(cvTitleColor)) return FColor;
  TColumnDefValuesX* d = FColumn->DefValues();
  return d ? d->Title()->Color() : clBtnFace;
}

void TColumnTitleX::SetColor(TColor Value) {
  if (Has(cvTitleColor) && Value == FColor) return;
  FColor = Value;
  Flag(cvTitleColor);
  FColumn->Changed(false);
}

void TColumnTitleX::RefreshDefaultFont() {
  if (Has(cvTitleFont)) return;
  TCustomDBGridX* g = FColumn->OwnerGrid();
  TFont* def = g ? g->TitleFont() : FColumn->Font();
  FRefreshingFont = true;
  FFont->Assign(def);
  FRefreshingFont = false;
}

TFont* TColumnTitleX::Font() {
  RefreshDefaultFont();
  return FFont.get();
}

void TColumnTitleX::SetFont(TFont* Value) { FFont->Assign(Value); }

void TColumnTitleX::FontChanged(TObject*) {
  if (FRefreshingFont) return;
  Flag(cvTitleFont);
  FColumn->Changed(true);
}

#define TITLE_FLAGGED(Getter, Setter, Type, Field, V, Def)               \
  Type TColumnTitleX::Getter() const {                                  \
    if (Has(V)) return Field;                                           \
    TColumnDefValuesX* d = FColumn->DefValues();                        \
    return d ? d->Title()->Getter() : Def;                              \
  }                                                                     \
  void TColumnTitleX::Setter(Type Value) {                              \
    if (Has(V) && Value == Field) return;                               \
    Field = Value;                                                      \
    Flag(V);                                                            \
    FColumn->Changed(false);                                            \
  }
TITLE_FLAGGED(EndEllipsis, SetEndEllipsis, bool, FEndEllipsis, cvTitleEndEllipsis, false)
TITLE_FLAGGED(Orientation, SetOrientation, TTextOrientationX, FOrientation, cvTitleOrientation, tohHorizontal)
TITLE_FLAGGED(TitleButton, SetTitleButton, bool, FTitleButton, cvTitleButton, false)
TITLE_FLAGGED(ToolTips, SetToolTips, bool, FToolTips, cvTitleToolTips, false)
#undef TITLE_FLAGGED

void TColumnTitleX::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (TCustomDBGridX* g = FColumn->OwnerGrid()) g->LayoutChanged();
}

void TColumnTitleX::SetSortMarker(TSortMarkerX Value) {
  if (Value == FSortMarker) return;
  TCollection* coll = FColumn->Collection();
  TCustomDBGridX* g = FColumn->OwnerGrid();
  if ((coll && coll->UpdateCount() > 0) || !g) {
    FSortMarker = Value;
    return;
  }
  TColumnsXList& marked = g->SortMarkedColumns();
  TDBGridColumnsX* cols = g->Columns();
  if (g->OptionsX().Contains(gxoMultiSortMarking)) {
    if (Value != smNoneX && FSortIndex == 0) {
      int n = 0;
      for (int i = 0; i < cols->Count(); ++i)
        if (cols->Items(i)->Title()->FSortIndex != 0) ++n;
      FSortIndex = n + 1;
      marked.push_back(FColumn);
    } else if (Value == smNoneX && FSortIndex != 0) {
      for (int i = 0; i < cols->Count(); ++i) {
        TColumnTitleX* t = cols->Items(i)->Title();
        if (t->FSortIndex > FSortIndex) --t->FSortIndex;
      }
      marked.erase(std::remove(marked.begin(), marked.end(), FColumn), marked.end());
      FSortIndex = 0;
    }
  } else if (Value != smNoneX) {
    for (int i = 0; i < cols->Count(); ++i) {
      TColumnTitleX* t = cols->Items(i)->Title();
      if (t != this) {
        t->FSortMarker = smNoneX;
        t->FSortIndex = 0;
      }
    }
    FSortIndex = 1;
    marked.assign(1, FColumn);
  } else {
    FSortIndex = 0;
    marked.clear();
  }
  FSortMarker = Value;
  FColumn->Changed(false);
}

void TColumnTitleX::SetSortIndex(int Value) {
  if (Value < 0) Value = 0;
  TCollection* coll = FColumn->Collection();
  TCustomDBGridX* g = FColumn->OwnerGrid();
  if ((coll && coll->UpdateCount() > 0) || !g) {
    FSortIndex = Value;
    return;
  }
  if (FSortMarker == smNoneX || FSortIndex == Value) return;
  TDBGridColumnsX* cols = g->Columns();
  for (int i = 0; i < cols->Count(); ++i) {
    TColumnTitleX* t = cols->Items(i)->Title();
    if (t != this && t->FSortIndex == Value) {
      std::swap(t->FSortIndex, FSortIndex);
      TColumnsXList& marked = g->SortMarkedColumns();
      auto a = std::find(marked.begin(), marked.end(), FColumn);
      auto b = std::find(marked.begin(), marked.end(), t->FColumn);
      if (a != marked.end() && b != marked.end()) std::iter_swap(a, b);
      FColumn->Changed(false);
      return;
    }
  }
}

void TColumnTitleX::ToggleSortMarker(bool KeepOthers) {
  if (!KeepOthers) {
    if (TCustomDBGridX* g = FColumn->OwnerGrid())
      for (int i = 0; i < g->Columns()->Count(); ++i) {
        TColumnTitleX* t = g->Columns()->Items(i)->Title();
        if (t != this) t->SetSortMarker(smNoneX);
      }
  }
  switch (FSortMarker) {
    case smNoneX: SetSortMarker(smDownX); break;
    case smDownX: SetSortMarker(smUpX); break;
    case smUpX: SetSortMarker(KeepOthers ? smNoneX : smDownX); break;
  }
}

void TColumnTitleX::ResetAssignedValues() {
  for (TColumnXValue v : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont, cvTitleButton,
                          cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation})
    FColumn->FAssignedValues.Exclude(v);
  FCaption.clear();
  RefreshDefaultFont();
}

void TColumnTitleX::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TColumnTitleX*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  if (s->Has(cvTitleAlignment)) SetAlignment(s->Alignment());
  if (s->Has(cvTitleColor)) SetColor(s->Color());
  if (s->Has(cvTitleCaption)) SetCaption(s->Caption());
  if (s->Has(cvTitleFont)) SetFont(s->Font());
  SetTitleButton(s->TitleButton());
  SetSortMarker(s->SortMarker());
  SetEndEllipsis(s->EndEllipsis());
  SetToolTips(s->ToolTips());
  SetOrientation(s->Orientation());
  SetHint(s->Hint());
  FImageIndex = s->FImageIndex;
  // Inside the columns' update (a column's Assign) the index is taken as it is, beside the marker.
  SetSortIndex(s->SortIndex());
}

// ---------------------------------------------------------------------------------------------------
// Column

TColumnX::TColumnX(TCollection* ACollection) : TCollectionItem(nullptr), FFont(std::make_unique<TFont>()) {
  TCustomDBGridX* g = nullptr;
  if (auto* cols = dynamic_cast<TDBGridColumnsX*>(ACollection)) g = cols->Grid();
  if (g) g->BeginLayout();
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
  FTitle = std::make_unique<TColumnTitleX>(this);
  SetCollection(ACollection);
  RefreshDefaultFont();
  FAutoFitBaseWidth = Width();
  if (g) g->EndLayout();
}

TColumnX::~TColumnX() {
  if (TCustomDBGridX* g = OwnerGrid()) {
    TColumnsXList& m = g->SortMarkedColumns();
    m.erase(std::remove(m.begin(), m.end(), this), m.end());
    if (FMRUList) g->MRUListGone(FMRUList.get());
  }
  FFont->OnChange = nullptr;
}

TCustomDBGridX* TColumnX::OwnerGrid() const {
  auto* cols = dynamic_cast<TDBGridColumnsX*>(Collection());
  return cols ? cols->Grid() : nullptr;
}

TColumnDefValuesX* TColumnX::DefValues() const {
  TCustomDBGridX* g = OwnerGrid();
  return g ? g->ColumnDefValues() : nullptr;
}

std::string TColumnX::DisplayName() {
  return FFieldName.empty() ? TCollectionItem::DisplayName() : FFieldName;
}

TField* TColumnX::Field() {
  if (FField) return FField;  // bound already (asked for every cell: no grid lookup)
  TCustomDBGridX* g = OwnerGrid();
  if (!FField && !FFieldName.empty() && g && g->DataLink()->DataSet()) {
    TDataSet* ds = g->DataLink()->DataSet();
    if (ds->Active() || !ds->DefaultFields()) {
      TField* f = ds->FindField(FFieldName);
      if (f != FField) {
        FField = f;
        if (f) FFieldName = f->FieldName();
      }
    }
  }
  return FField;
}

void TColumnX::SetFieldName(const std::string& Value) {
  TField* f = nullptr;
  TCustomDBGridX* g = OwnerGrid();
  if (g && g->DataLink()->DataSet() && !g->IsLoading() && !Value.empty())
    f = g->DataLink()->DataSet()->FindField(Value);
  FFieldName = Value;
  SetField(f);
  FAutoFitBaseWidth = Width();
  RebindFooterSums();
  Changed(false);
}

void TColumnX::SetField(TField* Value) {
  if (FField == Value) return;
  FField = Value;
  if (Value) FFieldName = Value->FieldName();
  if (DefaultColumn()) {
    if (!Value) FFieldName.clear();
    ResetAssignedValues();
    FAutoFitBaseWidth = Width();
  }
  Changed(false);
}

TAlignment TColumnX::Alignment() {
  if (Has(cvAlignment)) return FAlignment;
  TField* f = Field();
  return f ? f->Alignment() : taLeftJustify;
}

void TColumnX::SetAlignment(TAlignment Value) {
  TCustomDBGridX* g = OwnerGrid();
  if (DefaultColumn() && g && g->DataLink()->Active() && Field()) {
    Field()->SetAlignment(Value);
    return;
  }
  if (Has(cvAlignment) && Value == FAlignment) return;
  FAlignment = Value;
  Flag(cvAlignment);
  Changed(false);
}

TColor TColumnX::Color() const {
  if (Has(cvColor)) return FColor;
  TCustomDBGridX* g = OwnerGrid();
  return g ? g->Color() : clWindow;
}

void TColumnX::SetColor(TColor Value) {
  if (Has(cvColor) && Value == FColor) return;
  FColor = Value;
  Flag(cvColor);
  Changed(false);
}

void TColumnX::RefreshDefaultFont() {
  if (Has(cvFont)) return;
  TCustomDBGridX* g = OwnerGrid();
  if (!g) return;
  FRefreshingFont = true;
  FFont->Assign(g->Font());
  FRefreshingFont = false;
}

TFont* TColumnX::Font() {
  RefreshDefaultFont();
  return FFont.get();
}

void TColumnX::SetFont(TFont* Value) { FFont->Assign(Value); }

void TColumnX::FontChanged(TObject*) {
  if (FRefreshingFont) return;
  Flag(cvFont);
  Changed(false);
}

bool TColumnX::ReadOnly() {
  if (Has(cvReadOnly)) return FReadOnly;
  TCustomDBGridX* g = OwnerGrid();
  TField* f = Field();
  return (g && g->ReadOnly()) || (f && f->ReadOnly());
}

void TColumnX::SetReadOnly(bool Value) {
  TCustomDBGridX* g = OwnerGrid();
  if (DefaultColumn() && g && g->DataLink()->Active() && Field()) {
    Field()->SetReadOnly(Value);
    return;
  }
  if (Has(cvReadOnly) && Value == FReadOnly) return;
  FReadOnly = Value;
  Flag(cvReadOnly);
  Changed(false);
}

int TColumnX::DefaultWidth() {
  TCustomDBGridX* g = OwnerGrid();
  if (!g) return 64;
  TField* f = Field();
  if (!f) return g->DefaultColWidth();
  int digit = 0, ave = 0, overhang = 0;
  g->MeasureDigit(Font(), digit, ave, overhang);
  // A font that measures no digit width still gives a usable column.
  if (digit <= 0) digit = 8;
  return (digit - overhang) * f->DisplayWidth() + overhang + 4;
}

int TColumnX::Width() { return Has(cvWidth) ? FWidth : DefaultWidth(); }

void TColumnX::SetWidth(int Value) {
  TCustomDBGridX* g = OwnerGrid();
  if (DefaultColumn() && g && g->HandleAllocated() && g->FieldWidthSync() && Value >= 0) {
    // The field keeps the width in characters: a data set opened again gets the sized column back.
    if (TField* f = Field()) {
      int digit = 0, ave = 0, overhang = 0;
      g->MeasureDigit(Font(), digit, ave, overhang);
      // No digit width (an empty font) gives no character count to keep.
      // The field's layout change must not lay the grid out in the middle of this (or of the caller's)
      // change; the column's own change notice below does that.
      if (digit > 0) {
        g->BeginUpdate();
        try {
          f->SetDisplayWidth(std::max(1, (Value + ave / 2 - overhang - 3) / digit));
        } catch (...) {
          g->EndUpdate();
          throw;
        }
        g->EndUpdate();
      }
    }
  }
  if (DefaultColumn() && g && g->LinkLayoutFlag() && !Has(cvWidth)) return;
  if ((Has(cvWidth) || Value != DefaultWidth()) && Value != -1) {
    FWidth = ClipWidthToLimits(Value);
    Flag(cvWidth);
  }
  Changed(false);
}

int TColumnX::ClipWidthToLimits(int W) const {
  if (FMaxWidth > 0 && W > FMaxWidth) W = FMaxWidth;
  if (FMinWidth > 0 && W < FMinWidth) W = FMinWidth;
  return W;
}

// A new limit applies to the width the column shows, its own or the one it inherits.
void TColumnX::SetMaxWidth(int Value) {
  FMaxWidth = Value;
  if (Value > 0 && Width() > Value) SetWidth(Value);
}

void TColumnX::SetMinWidth(int Value) {
  FMinWidth = Value;
  if (Value > 0 && Width() < Value) SetWidth(Value);
}

bool TColumnX::Checkboxes() {
  if (Has(cvCheckboxes)) return FCheckboxes;
  TField* f = Field();
  return f && f->DataType() == ftBoolean;
}

void TColumnX::SetCheckboxes(bool Value) {
  if (Has(cvCheckboxes) && Value == FCheckboxes) return;
  FCheckboxes = Value;
  Flag(cvCheckboxes);
  Changed(false);
}

bool TColumnX::WordWrap() {
  if (Has(cvWordWrap)) return FWordWrap;
  TField* f = Field();
  if (!f) return false;
  TFieldType t = f->DataType();
  return t == ftString || t == ftMemo || t == ftFmtMemo || t == ftWideString;
}

void TColumnX::SetWordWrap(bool Value) {
  if (Has(cvWordWrap) || Value != WordWrap()) {
    FWordWrap = Value;
    Flag(cvWordWrap);
  }
  Changed(false);
}

TImeMode TColumnX::ImeMode() {
  if (Has(cvImeMode)) return FImeMode;
  TCustomDBGridX* g = OwnerGrid();
  return g ? g->ImeMode() : FImeMode;
}

void TColumnX::SetImeMode(TImeMode Value) {
  if (Has(cvImeMode) || Value != ImeMode()) {
    FImeMode = Value;
    Flag(cvImeMode);
  }
  Changed(false);
}

TImeName TColumnX::ImeName() {
  if (Has(cvImeName)) return FImeName;
  TCustomDBGridX* g = OwnerGrid();
  return g ? g->ImeName() : FImeName;
}

void TColumnX::SetImeName(const TImeName& Value) {
  if (Has(cvImeName) || Value != ImeName()) {
    FImeName = Value;
    Flag(cvImeName);
  }
  Changed(false);
}

void TColumnX::SetFlaggedBool(TColumnXValue V, bool& Own, bool Value, bool Notify) {
  if (Has(V) && Value == Own) return;
  Own = Value;
  Flag(V);
  if (Notify) Changed(false);
}

#define COLUMN_DEFAULTED(Getter, Setter, Field, V, Notify)                   \
  bool TColumnX::Getter() const {                                           \
    if (Has(V)) return Field;                                               \
    TColumnDefValuesX* d = DefValues();                                     \
    return d && d->Getter();                                                \
  }                                                                         \
  void TColumnX::Setter(bool Value) { SetFlaggedBool(V, Field, Value, Notify); }
COLUMN_DEFAULTED(EndEllipsis, SetEndEllipsis, FEndEllipsis, cvEndEllipsis, true)
COLUMN_DEFAULTED(AlwaysShowEditButton, SetAlwaysShowEditButton, FAlwaysShowEditButton, cvAlwaysShowEditButton, true)
COLUMN_DEFAULTED(ToolTips, SetToolTips, FToolTips, cvToolTips, false)
COLUMN_DEFAULTED(AutoDropDown, SetAutoDropDown, FAutoDropDown, cvAutoDropDown, false)
COLUMN_DEFAULTED(DblClickNextVal, SetDblClickNextVal, FDblClickNextVal, cvDblClickNextVal, false)
COLUMN_DEFAULTED(DropDownSizing, SetDropDownSizing, FDropDownSizing, cvDropDownSizing, false)
COLUMN_DEFAULTED(DropDownShowTitles, SetDropDownShowTitles, FDropDownShowTitles, cvDropDownShowTitles, false)
#undef COLUMN_DEFAULTED

void TColumnX::SetButtonStyle(TColumnButtonStyleX Value) {
  if (Value == FButtonStyle) return;
  FButtonStyle = Value;
  Changed(false);
}

void TColumnX::SetDisplayFormat(const std::string& Value) {
  if (Value == FDisplayFormat) return;
  FDisplayFormat = Value;
  Changed(false);
}

void TColumnX::SetEditMask(const std::string& Value) {
  if (Value == FEditMask) return;
  FEditMask = Value;
  Changed(false);
}

void TColumnX::SetVisible(bool Value) {
  FVisible = Value;
  Changed(true);
}

void TColumnX::SetNotInKeyListIndex(int Value) {
  FNotInKeyListIndex = Value;
  if (TCustomDBGridX* g = OwnerGrid()) g->Invalidate();
}

void TColumnX::SetAutoFitColWidth(bool Value) {
  FAutoFitColWidth = Value;
  TCustomDBGridX* g = OwnerGrid();
  if (g && g->AutoFitColWidths() && !g->IsLoading() && !g->IsDesigning()) SetWidth(FAutoFitBaseWidth);
}

TStrings* TColumnX::PickList() {
  if (!FPickList) FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}

void TColumnX::SetPickList(TStrings* Value) {
  if (!Value) {
    FPickList.reset();
    return;
  }
  PickList()->Assign(Value);
}

TStrings* TColumnX::KeyList() {
  if (!FKeyList) FKeyList = std::make_unique<TStringList>();
  return FKeyList.get();
}

void TColumnX::SetKeyList(TStrings* Value) {
  if (!Value) FKeyList.reset();
  else KeyList()->Assign(Value);
  if (TCustomDBGridX* g = OwnerGrid()) g->Invalidate();
}

void TColumnX::SetImageList(TComponent* Value) {
  TCustomDBGridX* g = OwnerGrid();
  if (auto* old = dynamic_cast<TCustomImageList*>(FImageList); old && FImageChangeLink)
    old->UnRegisterChanges(FImageChangeLink.get());
  FImageList = Value;
  if (Value && g) Value->FreeNotification(g);
  if (auto* list = dynamic_cast<TCustomImageList*>(Value)) {
    if (!FImageChangeLink) {
      FImageChangeLink = std::make_unique<TChangeLink>();
      FImageChangeLink->OnChange = [this](TObject*) {
        if (TCustomDBGridX* grid = OwnerGrid()) grid->Invalidate();
      };
    }
    list->RegisterChanges(FImageChangeLink.get());
  }
  if (g) g->Invalidate();
}

void TColumnX::ImageListGone(TComponent* AComponent) {
  // By address: a list being destroyed is no longer of its own class (its links are already let go).
  if (!AComponent || FImageList != AComponent) return;
  FImageList = nullptr;
  if (TCustomDBGridX* g = OwnerGrid()) g->Invalidate();
}

TColumnCellKindX TColumnX::GetCellKind() {
  if (Checkboxes()) return cckCheckbox;
  TField* f = Field();
  if (f && f->Lookup()) return cckLookup;
  bool keys = FKeyList && FKeyList->Count() > 0;
  if (FPickList && FPickList->Count() > 0 && !keys) return cckPickList;
  if (keys) {
    if (FImageList) return cckKeyImages;
    if (FPickList) return cckKeyPickList;
  }
  return cckText;
}

std::string FormatFieldText(TField* Field, const std::string& DisplayFormat) {
  if (DisplayFormat.empty()) return Field->DisplayText();
  if (Field->IsNull()) return {};
  if (dynamic_cast<TNumericField*>(Field)) return FormatFloat(DisplayFormat, Field->AsFloat());
  if (dynamic_cast<TDateTimeField*>(Field)) return FormatDateTime(DisplayFormat, Field->AsDateTime());
  return {};
}

std::string TColumnX::GetCellDisplayText() {
  TField* f = Field();
  if (!f) return {};
  TColumnCellKindX kind = GetCellKind();
  if (kind == cckKeyImages) return {};
  if (FKeyList && FKeyList->Count() > 0) {
    int i = FKeyList->IndexOf(f->Text());
    TStrings* pick = PickList();
    if (i >= 0 && i < pick->Count()) return pick->Strings(i);
    if (FNotInKeyListIndex >= 0 && FNotInKeyListIndex < pick->Count()) return pick->Strings(FNotInKeyListIndex);
    return {};
  }
  TCustomDBGridX* g = OwnerGrid();
  if (g && g->EditMemoFields() == 1 && f->DataType() == ftMemo) return f->AsString();
  if (kind == cckLookup) {
    std::string special;
    if (LookupSpecialRowText(special)) return special;
  }
  return FormatFieldText(f, FDisplayFormat);
}

int TColumnX::GetImageIndex() {
  if (GetCellKind() != cckKeyImages || !Field()) return -1;
  int i = KeyList()->IndexOf(Field()->Text());
  return i >= 0 ? i : FNotInKeyListIndex;
}

TCheckBoxState TColumnX::ReadCheckState() {
  TField* f = Field();
  if (!f) return cbUnchecked;
  if (f->IsNull()) return cbGrayed;
  if (f->DataType() == ftBoolean) return f->AsBoolean() ? cbChecked : cbUnchecked;
  if (!FKeyList || FKeyList->Count() < 2) return cbGrayed;
  std::string t = f->Text();
  if (ValueMatch(FKeyList->Strings(0), t)) return cbChecked;
  if (ValueMatch(FKeyList->Strings(1), t)) return cbUnchecked;
  return cbGrayed;
}

void TColumnX::WriteCheckState(TCheckBoxState Value) {
  TField* f = Field();
  if (!f) return;
  if (Value == cbGrayed) {
    UpdateDataValue({}, Variant::Null(), false);
  } else if (f->DataType() == ftBoolean) {
    UpdateDataValue({}, Variant(Value == cbChecked), false);
  } else {
    int line = Value == cbChecked ? 0 : 1;
    std::string s = FKeyList && FKeyList->Count() > line ? FirstValueEntry(FKeyList->Strings(line)) : std::string();
    UpdateDataValue(s, Variant(s), true);
  }
}

void TColumnX::UpdateDataValue(std::string Text, Variant Value, bool UseText) {
  TCustomDBGridX* g = OwnerGrid();
  if (!g) return;
  bool handled = false;
  if (OnUpdateData) OnUpdateData(this, Text, Value, UseText, handled);
  if (handled) return;
  TField* f = Field();
  if (!f) return;
  if (UseText) {
    if (f->DataType() == ftMemo && g->EditMemoFields() == 1) f->SetAsString(Text);
    else f->SetText(Text);
  } else if (f->Lookup() && !f->KeyFields().empty()) {
    f->DataSet()->SetFieldValues(f->KeyFields(), Value);
  } else {
    f->SetAsVariant(Value);
  }
  RememberEditText(Text);
}

bool TColumnX::CanModify(bool StartEdit) {
  TCustomDBGridX* g = OwnerGrid();
  TField* f = Field();
  if (g && (g->ReadOnly() || !g->DataLink()->Active() || g->DataLink()->ReadOnly())) return false;
  if (ReadOnly() || !f) return false;
  if (f->Lookup()) {
    if (f->KeyFields().empty()) return false;
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    for (TField* k : keys)
      if (!k->CanModify()) return false;
    if (keys.empty()) return false;
    f = keys[0];
  }
  if (!f->CanModify()) return false;
  if (f->IsBlob() && !f->OnSetText && !(f->DataType() == ftMemo && g && g->EditMemoFields() == 1)) return false;
  if (g) {
    TDataSet* ds = g->DataLink()->DataSet();
    bool ops = g->AllowedOperations().Contains(geoUpdate) || ds->State() == dsInsert;
    bool rows = !ds->IsEmpty() || g->AllowedOperations().Contains(geoInsert) ||
                g->AllowedOperations().Contains(geoAppend);
    if (!ops || !rows) return false;
  }
  if (StartEdit && g) {
    g->DataLink()->Edit();
    return g->DataLink()->Editing();
  }
  return true;
}

void TColumnX::StepValue(double Step) {
  TCustomDBGridX* g = OwnerGrid();
  TField* f = Field();
  if (!f || !CanModify(true)) return;
  std::string text = f->Text();
  if (g && g->InplaceEditor() && g->InplaceEditor()->EditVisible()) text = g->InplaceEditor()->Text();
  // The sign of the step chooses the direction, whatever its size.
  bool forward = Step > 0;
  auto walk = [&](TStrings* L) -> int {
    int n = L->Count();
    if (n == 0) return -1;
    int i = L->IndexOf(text);
    if (forward) return (i < 0 || i >= n - 1) ? 0 : i + 1;
    return (i <= 0) ? n - 1 : i - 1;
  };
  switch (GetCellKind()) {
    case cckCheckbox:
      WriteCheckState(ReadCheckState() == cbChecked ? cbUnchecked : cbChecked);
      return;
    case cckKeyPickList:
    case cckKeyImages: {
      int i = walk(KeyList());
      if (i >= 0) UpdateDataValue({}, Variant(KeyList()->Strings(i)), false);
      return;
    }
    case cckPickList: {
      int i = walk(PickList());
      if (i >= 0) UpdateDataValue(PickList()->Strings(i), Variant(PickList()->Strings(i)), true);
      return;
    }
    case cckLookup:
      StepLookupValue(forward);
      return;
    case cckText:
      break;
  }
  switch (f->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: {
      double v = f->IsNull() ? -Step : f->AsFloat();
      try {
        UpdateDataValue({}, Variant(v + Step), false);
      } catch (EDatabaseError&) {
      }
      return;
    }
    default:
      return;
  }
}

void TColumnX::ResetAssignedValues() {
  bool hadFont = Has(cvFont);
  FTitle->ResetAssignedValues();
  FAssignedValues = TColumnXValues();
  RefreshDefaultFont();
  FPickList.reset();
  FKeyList.reset();
  FButtonStyle = cbsAuto;
  Changed(hadFont);
}

void TColumnX::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TColumnX*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  if (Collection()) Collection()->BeginUpdate();
  ResetAssignedValues();
  SetFieldName(s->FFieldName);
  if (s->Has(cvColor)) SetColor(s->FColor);
  if (s->Has(cvWidth)) SetWidth(s->FWidth);
  if (s->Has(cvFont)) SetFont(s->FFont.get());
  if (s->Has(cvImeMode)) SetImeMode(s->FImeMode);
  if (s->Has(cvImeName)) SetImeName(s->FImeName);
  if (s->Has(cvAlignment)) SetAlignment(s->FAlignment);
  if (s->Has(cvReadOnly)) SetReadOnly(s->FReadOnly);
  if (s->Has(cvWordWrap)) SetWordWrap(s->FWordWrap);
  if (s->Has(cvLookupDisplayFields)) SetLookupDisplayFields(s->FLookupDisplayFields);
  SetPopupMenu(s->FPopupMenu);
  if (s->Has(cvCheckboxes)) SetCheckboxes(s->FCheckboxes);
  FTitle->Assign(s->FTitle.get());
  FDropDownRows = s->FDropDownRows;
  FButtonStyle = s->FButtonStyle;
  if (s->FPickList) SetPickList(s->FPickList.get());
  FAutoFitBaseWidth = s->FAutoFitBaseWidth;
  FAutoFitColWidth = s->FAutoFitColWidth;
  if (s->Has(cvEndEllipsis)) SetEndEllipsis(s->FEndEllipsis);
  if (s->Has(cvAutoDropDown)) SetAutoDropDown(s->FAutoDropDown);
  if (s->Has(cvAlwaysShowEditButton)) SetAlwaysShowEditButton(s->FAlwaysShowEditButton);
  if (s->FKeyList) SetKeyList(s->FKeyList.get());
  FIncrement = s->FIncrement;
  if (s->Has(cvToolTips)) SetToolTips(s->FToolTips);
  FTag = s->FTag;
  FVisible = s->FVisible;
  SetImageList(s->FImageList);
  FNotInKeyListIndex = s->FNotInKeyListIndex;
  FMinWidth = s->FMinWidth;
  FMaxWidth = s->FMaxWidth;
  if (s->Has(cvDblClickNextVal)) SetDblClickNextVal(s->FDblClickNextVal);
  if (s->Has(cvDropDownSizing)) SetDropDownSizing(s->FDropDownSizing);
  if (s->Has(cvDropDownShowTitles)) SetDropDownShowTitles(s->FDropDownShowTitles);
  FDropDownWidth = s->FDropDownWidth;
  OnEditButtonClick = s->OnEditButtonClick;
  OnEditButtonDown = s->OnEditButtonDown;
  SetOnGetCellParams(s->FOnGetCellParams);
  OnNotInList = s->OnNotInList;
  OnUpdateData = s->OnUpdateData;
  // The parts made on first use: copied when either side has one, so that a copy of a fresh column
  // stays light.
  if (s->FFooter || FFooter) Footer()->AssignWithOwnValues(s->Footer());
  if (s->FFooters || FFooters) {
    Footers()->Assign(s->Footers());
    for (int i = 0; i < FFooters->Count() && i < s->FFooters->Count(); ++i)
      FFooters->Items(i)->AssignWithOwnValues(s->FFooters->Items(i));
  }
  if (s->FEditButtons || FEditButtons) EditButtons()->Assign(s->EditButtons());
  if (s->FDropDownBox || FDropDownBox) DropDownBox()->Assign(s->DropDownBox());
  if (s->FMRUList || FMRUList) MRUList()->Assign(s->MRUList());
  if (s->FSTFilter || FSTFilter) STFilter()->Assign(s->STFilter());
  // The drop-down grid's own events, when the source's grid holds any.
  SetOnDropDownBoxCheckButton(s->OnDropDownBoxCheckButton());
  SetOnDropDownBoxDrawColumnCell(s->OnDropDownBoxDrawColumnCell());
  SetOnDropDownBoxGetCellParams(s->OnDropDownBoxGetCellParams());
  SetOnDropDownBoxSortMarkingChanged(s->OnDropDownBoxSortMarkingChanged());
  SetOnDropDownBoxTitleBtnClick(s->OnDropDownBoxTitleBtnClick());
  FDisplayFormat = s->FDisplayFormat;
  FEditMask = s->FEditMask;
  // The title took the source's marker and index as they were: the grid's sort order follows the
  // titles again, so that the next Ctrl+click adds to what they show.
  if (TCustomDBGridX* g = OwnerGrid()) g->RebuildSortMarkedColumns();
  if (Collection()) Collection()->EndUpdate();
}

// ---------------------------------------------------------------------------------------------------
// Collection

TDBGridColumnsX::TDBGridColumnsX(TCustomDBGridX* AGrid, TClass AItemClass, TCollectionItemFactory Factory)
    : TCollection(AItemClass, std::move(Factory)), FGrid(AGrid) {
  SetPropName("Columns");
}

TPersistent* TDBGridColumnsX::GetOwner() { return FGrid; }

TColumnX* TDBGridColumnsX::AddGenerated() {
  TColumnX* c = Add();
  c->SetPersistent(false);
  return c;
}

void TDBGridColumnsX::Update(TCollectionItem* Item) {
  if (!FGrid || FGrid->IsLoading()) return;
  FGrid->ColumnsChanged(static_cast<TColumnX*>(Item));
}
