#include "dataedit/DBCtrlsX.h"

#include <algorithm>

#include "dataedit/VarValuesX.h"

// ---------------------------------------------------------------------------------------------------
// TFieldDataLinkX

TField* TFieldDataLinkX::FieldsField(int Index) const {
  if (FFields.empty() || Index < 0 || Index >= FieldsCount()) return nullptr;
  return FFields[static_cast<size_t>(Index)];
}

void TFieldDataLinkX::SetDataSource(TDataSource* Value) {
  if (Value == DataSource()) return;
  TDataLink::SetDataSource(Value);
  UpdateDataIndependent();
}

void TFieldDataLinkX::SetFieldName(const std::string& Value) {
  if (Value == FFieldName) return;
  FFieldName = Value;
  UpdateField();
  UpdateDataIndependent();
}

void TFieldDataLinkX::SetMultiFields(bool Value) {
  if (Value == FMultiFields) return;
  FMultiFields = Value;
  UpdateField();
}

bool TFieldDataLinkX::CanModify() const {
  if (TField* F = Field()) return F->CanModify();
  return FDataIndependent;
}

bool TFieldDataLinkX::StartEdit() {
  if (FDataIndependent) {
    if (!FEditing && !ReadOnly()) {
      FEditing = true;
      FModified = false;
      if (OnEditingChange) OnEditingChange(this);
    }
  } else if (CanModify()) {
    Edit();
  }
  return FEditing;
}

void TFieldDataLinkX::SetText(const std::string& Text) {
  if (FDataIndependent) {
    FDataIndependentValue = Variant(Text);
    RecordChanged(nullptr);
    return;
  }
  TField* F = Field();
  if (!F) return;
  if (Is<TMemoField>(F)) F->SetAsString(Text);
  else F->SetText(Text);
}

void TFieldDataLinkX::SetValue(const Variant& Value) {
  if (FDataIndependent) {
    FDataIndependentValue = Value;
    RecordChanged(nullptr);
    return;
  }
  if (FieldsCount() < 2) {
    if (TField* F = Field()) F->SetAsVariant(Value);
    return;
  }
  if (VarValuesEqual(Value, Null)) {
    for (TField* F : FFields) F->Clear();
    return;
  }
  if (!VarIsArray(Value) || VarArrayDimCount(Value) != 1 || VarArrayLowBound(Value, 1) != 0 ||
      VarArrayHighBound(Value, 1) != FieldsCount() - 1)
    DatabaseError("Invalid value for the fields " + FFieldName + ": a variant array of " +
                      std::to_string(FieldsCount()) + " elements is expected",
                  FControl);
  for (int I = 0; I < FieldsCount(); ++I) FFields[static_cast<size_t>(I)]->SetAsVariant(Value[I]);
}

void TFieldDataLinkX::UpdateDataIndependent() {
  const bool Independent = !DataSource() && FFieldName.empty();
  if (Independent == FDataIndependent) return;
  FDataIndependent = Independent;
  FDataIndependentValue = Null;
  LayoutChanged();
  if (FDataIndependent) RecordChanged(nullptr);
}

void TFieldDataLinkX::UpdateField() {
  TFieldsArrX List;
  if (Active() && !FFieldName.empty()) {
    TDataSet* D = DataSet();
    if (FMultiFields) {
      if (FControl) List = GetFieldsArray(D, FControl, FFieldName);
      else D->GetFieldList(List, FFieldName);
    } else {
      List.push_back(FControl ? GetFieldProperty(D, FControl, FFieldName) : D->FieldByName(FFieldName));
    }
  }
  SetFields(List);
}

void TFieldDataLinkX::SetFields(const TFieldsArrX& List) {
  FFields = List;
  EditingChanged();
  RecordChanged(nullptr);
  UpdateRightToLeft();
}

void TFieldDataLinkX::SetEditing(bool Value) {
  if (Value == FEditing) return;
  FEditing = Value;
  FModified = false;
  if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLinkX::UpdateRightToLeft() {
  auto* W = dynamic_cast<TWinControl*>(FControl);
  if (!W || !W->IsRightToLeft() || !W->HandleAllocated()) return;
  const bool ExRight = (static_cast<DWORD>(GetWindowLong(W->Handle(), GWL_EXSTYLE)) & WS_EX_RIGHT) != 0;
  if (ExRight != DBUseRightToLeftAlignment(W, Field())) W->Perform(CM_RECREATEWND, 0, 0);
}

bool TFieldDataLinkX::IsOneOfFields(const TField* F) const {
  return std::find(FFields.begin(), FFields.end(), F) != FFields.end();
}

void TFieldDataLinkX::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLinkX::EditingChanged() { SetEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLinkX::FocusControl(TField*& Field) {
  if (!Field || !IsOneOfFields(Field)) return;
  auto* W = dynamic_cast<TWinControl*>(FControl);
  if (W && W->CanFocus()) {
    Field = nullptr;
    W->SetFocus();
  }
}

void TFieldDataLinkX::LayoutChanged() { UpdateField(); }

void TFieldDataLinkX::RecordChanged(TField* Field) {
  if (Field && !IsOneOfFields(Field)) return;
  if (OnDataChange) OnDataChange(this);
  FModified = false;
}

void TFieldDataLinkX::UpdateData() {
  if (FDataIndependent) {
    if (FModified && OnUpdateData) OnUpdateData(this);
    FEditing = false;
  } else if (FModified && Field() && OnUpdateData) {
    OnUpdateData(this);
  }
  FModified = false;
}

bool DBUseRightToLeftAlignment(const TControl* Control, const TField* Field) {
  if (!Control || Control->BiDiMode() != bdRightToLeft) return false;
  if (!Field) return true;
  switch (Field->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftDate:
    case ftTime: case ftDateTime: case ftAutoInc: case ftLargeint: case ftTimeStamp: case ftFMTBcd:
      return false;
    default:
      return true;
  }
}

TAlignment MirroredAlignment(TAlignment Alignment, bool RightToLeft) {
  if (!RightToLeft || Alignment == taCenter) return Alignment;
  return Alignment == taLeftJustify ? taRightJustify : taLeftJustify;
}

std::string SafeVarToStr(const Variant& Value) {
  if (VarIsArray(Value)) return "";
  try {
    return VarToStr(Value);
  } catch (const Exception&) {
    return "";
  }
}

// ---------------------------------------------------------------------------------------------------
// TEditImageX

// Free notification of the image list: the image settings are no component.
class TEditImageX::TWatcher : public TComponent {
 public:
  explicit TWatcher(TEditImageX* AOwner) : TComponent(nullptr), FOwner(AOwner) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FOwner->FImages) FOwner->SetImages(nullptr);
  }

 private:
  TEditImageX* FOwner;
};

void TEditImageX::DeclarePublished(TPublished<TEditImageX>& P) {
  P.Integer("ImageIndex", &TEditImageX::ImageIndex, &TEditImageX::SetImageIndex).Default(0);
  P.Component("Images", &TEditImageX::Images, &TEditImageX::SetImages);
  P.Boolean("UseImageHeight", &TEditImageX::UseImageHeight, &TEditImageX::SetUseImageHeight).Default(true);
  P.Boolean("Visible", &TEditImageX::Visible, &TEditImageX::SetVisible).Default(false);
  P.Integer("Width", &TEditImageX::Width, &TEditImageX::SetWidth).Default(0);
}

TEditImageX::TEditImageX(TWinControl* AEditControl)
    : FEditControl(AEditControl), FWatcher(std::make_unique<TWatcher>(this)) {}

TEditImageX::~TEditImageX() = default;

void TEditImageX::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TEditImageX*>(Source)) {
    SetImages(S->FImages);
    SetImageIndex(S->FImageIndex);
    SetVisible(S->FVisible);
    SetWidth(S->FWidth);
    return;
  }
  TPersistent::Assign(Source);
}

void TEditImageX::Changed() {
  if (FEditControl) FEditControl->Perform(CM_EDITIMAGECHANGEDX, 0, 0);
}

void TEditImageX::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  if (FEditControl) FEditControl->Invalidate();
}

void TEditImageX::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FWatcher->RemoveFreeNotification(FImages);
  FImages = Value;
  if (FImages) FWatcher->FreeNotification(FImages);
  Changed();
}

void TEditImageX::SetUseImageHeight(bool Value) {
  if (Value == FUseImageHeight) return;
  FUseImageHeight = Value;
  Changed();
}

void TEditImageX::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

void TEditImageX::SetWidth(int Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Changed();
}
