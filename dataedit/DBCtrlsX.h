#pragma once
// The link of a data-aware control (edit, combo box, check box, lookup combo box) to a data source, and
// the settings of the picture an edit shows at its left edge.
//
// Compared with the platform's field link, FieldName may list several fields (';'-separated, with
// MultiFields on), and a control with neither a data source nor a field name works data-independent:
// the link itself keeps the control's value as a variant.

#include <functional>
#include <string>
#include <vector>

#include "dataedit/FieldListsX.h"
#include "platform/controls/controls.h"
#include "platform/controls/imglist.h"
#include "platform/data/db.h"

// Sent to an edit when its edit image changed: it recreates its window so the image enters its layout.
inline constexpr UINT CM_EDITIMAGECHANGEDX = WM_USER + 101;

class TBasicAction;

class TFieldDataLinkX : public TDataLink {
  DECLARE_CLASS(TFieldDataLinkX, TDataLink)
  TFieldDataLinkX() { FVisualControl = true; }

  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* Value) { FControl = Value; }
  TNotifyEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  bool MultiFields() const { return FMultiFields; }
  void SetMultiFields(bool Value);
  TField* Field() const { return FFields.empty() ? nullptr : FFields[0]; }
  int FieldsCount() const { return static_cast<int>(FFields.size()); }
  TField* FieldsField(int Index) const;
  const TFieldsArrX& Fields() const { return FFields; }

  TDataSource* GetDataSource() const { return DataSource(); }
  void SetDataSource(TDataSource* Value);

  bool Editing() const { return FEditing; }
  bool Modified() const { return FModified; }
  void MarkModified() { FModified = true; }
  void SetModified() { FModified = true; }
  bool DataIndependent() const { return FDataIndependent; }
  const Variant& DataIndependentValue() const { return FDataIndependentValue; }

  bool StartEdit();
  bool CanModify() const;
  bool IsLinkActive() const { return FDataIndependent || (Active() && Field()); }
  bool IsDataSetOpen() const { return DataSource() && DataSource()->DataSet() && DataSource()->DataSet()->Active(); }
  void SetText(const std::string& Text);
  // Several fields take the elements of a variant array (bounds 0..count-1) or Null for all; any other
  // value raises EDatabaseError instead of reading past the array.
  void SetValue(const Variant& Value);
  void ReloadRecord() { RecordChanged(nullptr); }
  void UpdateData() override;
  // An action that acts on the data source (a data-set action) runs on it (sets its state); true when
  // the action took the source. Controls ask this after their own answer.
  bool ExecuteAction(TBasicAction* Action);
  bool UpdateAction(TBasicAction* Action);

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField*& Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  virtual void UpdateField();
  void UpdateDataIndependent();
  // A control in right-to-left mode whose window's WS_EX_RIGHT no longer fits the data-aware rule for
  // its (new) field is asked to make its window again (CM_RECREATEWND).
  void UpdateRightToLeft();
  void SetFields(const TFieldsArrX& List);

 private:
  void SetEditing(bool Value);
  bool IsOneOfFields(const TField* F) const;
  TComponent* FControl = nullptr;
  std::string FFieldName;
  TFieldsArrX FFields;
  bool FMultiFields = false;
  bool FEditing = false;
  bool FModified = false;
  bool FDataIndependent = true;
  Variant FDataIndependentValue = Null;
};

// The picture at the left edge of an edit.
class TEditImageX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TEditImageX, TPersistent)
  static void DeclarePublished(TPublished<TEditImageX>& P);
  explicit TEditImageX(TWinControl* AEditControl);
  ~TEditImageX() override;
  void Assign(TPersistent* Source) override;

  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  bool UseImageHeight() const { return FUseImageHeight; }
  void SetUseImageHeight(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);

 protected:
  TPersistent* GetOwner() override { return FEditControl; }

 private:
  class TWatcher;
  void Changed();
  TWinControl* FEditControl;
  int FImageIndex = 0;
  TCustomImageList* FImages = nullptr;
  bool FUseImageHeight = true;
  bool FVisible = false;
  int FWidth = 0;
  std::unique_ptr<TWatcher> FWatcher;
};

// The data-aware right-to-left alignment rule: the control aligns from the right (bdRightToLeft) and
// its field, when it has one, is not one whose values keep their side: numbers, counters, dates and
// times stay as the field aligns them.
bool DBUseRightToLeftAlignment(const TControl* Control, const TField* Field);
// The alignment seen on screen: left and right swapped when RightToLeft.
TAlignment MirroredAlignment(TAlignment Alignment, bool RightToLeft);

// The text of a variant for showing: empty for an array and when the conversion raises.
std::string SafeVarToStr(const Variant& Value);
