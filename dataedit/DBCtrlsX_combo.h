#pragma once
// The data-aware combo box of unit DBCtrlsX: the data-aware edit with a list of items. Without key
// items it is a free-text edit whose ItemIndex follows the text. With KeyItems it is key-based: Items
// are shown, the KeyItems entry at the same index is the value written to the field, the edit window is
// read-only and typed characters search the items instead of editing the text.

#include <functional>
#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_edit.h"
#include "dataedit/PopupsX.h"

// How the drop-down list opens: alignment, rows, width (0 or below: the control's width; -1: the widest
// item) and a size grip.
class TDropDownBoxX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TDropDownBoxX, TPersistent)
  static void DeclarePublished(TPublished<TDropDownBoxX>& P) {
    P.Enum("Align", &TDropDownBoxX::Align, &TDropDownBoxX::SetAlign, {"daLeft", "daRight", "daCenter"})
        .Default(daLeft);
    P.Boolean("AutoDrop", &TDropDownBoxX::AutoDrop, &TDropDownBoxX::SetAutoDrop).Default(false);
    P.Integer("Rows", &TDropDownBoxX::Rows, &TDropDownBoxX::SetRows).Default(7);
    P.Boolean("Sizable", &TDropDownBoxX::Sizable, &TDropDownBoxX::SetSizable).Default(false);
    P.Integer("Width", &TDropDownBoxX::Width, &TDropDownBoxX::SetWidth).Default(0);
  }
  TDropDownBoxX() = default;
  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign Value) { FAlign = Value; }
  bool AutoDrop() const { return FAutoDrop; }
  void SetAutoDrop(bool Value) { FAutoDrop = Value; }
  int Rows() const { return FRows; }
  void SetRows(int Value) { FRows = Value; }
  bool Sizable() const { return FSizable; }
  void SetSizable(bool Value) { FSizable = Value; }
  int Width() const { return FWidth; }
  void SetWidth(int Value) { FWidth = Value; }
  // Copies Align, Rows, Width and Sizable; AutoDrop stays.
  void Assign(TPersistent* Source) override;

 private:
  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  int FRows = 7;
  bool FSizable = false;
  int FWidth = 0;
};

using TNotInListEventX = std::function<void(TObject* Sender, const std::string& NewText, bool& RecheckInList)>;

class TCustomDBComboBoxX : public TCustomDBEditX {
  DECLARE_CLASS(TCustomDBComboBoxX, TCustomDBEditX)
  explicit TCustomDBComboBoxX(TComponent* AOwner);
  ~TCustomDBComboBoxX() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TStrings* KeyItems() const { return FKeyItems.get(); }
  void SetKeyItems(TStrings* Value) { FKeyItems->Assign(Value); }
  TDropDownBoxX* DropDownBox() const { return FDropDownBox.get(); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  bool KeyBased() const { return FKeyBased; }
  int EffectiveCount() const { return FItemsCount; }
  void Clear();

  TCloseUpEventX OnCloseUp;
  TNotifyEvent OnDropDown;
  TNotInListEventX OnNotInList;

 protected:
  virtual bool LocateItemText(const std::string& Text, bool Partial);
  virtual void ProcessSearchText(const std::string& S);
  void StepListValue(bool Up);
  void SetItemIndexInternal(int Value);

  // The main button is visible and opens the list with Alt+Down.
  TEditButtonX* NewEditButton() override;
  TAlignment GetDefaultAlignment() const override;
  Variant DoGetValue() override;
  bool IsValidInputChar(char32_t Ch) override;
  void FieldDataChanged() override;
  void ApplyText(const std::string& Text) override;
  void ApplyValue(const Variant& Value) override;
  void StoreTextInLink() override;
  void ClearFieldMaxLength() override;
  void RefreshReadOnlyState() override;
  void CommitData() override;
  void Change() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void DropDown() override;
  void WndProc(TMessage& Message) override;
  // A key-based control opens its list on a click in the text and closes it on the next.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Click() override;

 public:
  void CloseUp(bool Accept) override;
  bool ListVisible() const { return FListVisible; }
  TPopupListboxX* ListBox() const { return FList; }

  // The edit image's image list: one picture per item, in the list and at the edit's left edge.
  TCustomImageList* Images() const;
  void SetImages(TCustomImageList* Value);

 protected:
  // Text-based completion after a typed character; the images, wheel, paste, cursor and cancel mode.
  std::string GetPaintCopyText() override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  void ButtonControlMouseMove(TEditButtonControlX* Sender, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void TextBasedCompletion(WPARAM Ch);
  bool IsEditButtonShortCut(WORD Key, TShiftState Shift) const;
  void ForwardPressToList(TControl* From, int X, int Y);

 private:
  void ItemIndexFollowers();
  WideChar FCharLeftByKeyPress = 0;
  TTypedCharJoiner FTypedChar;  // typed halves of a character searched for
  bool FListResized = false;
  void ItemsChanged(bool KeysChanged);
  void UpdateItemIndex();
  bool IsPosting() const;

  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TStringList> FKeyItems;
  std::unique_ptr<TDropDownBoxX> FDropDownBox;
  int FItemIndex = -1;
  int FItemsCount = 0;
  bool FKeyBased = false;
  Variant FKeyValue = Null;
  TPopupListboxX* FList = nullptr;  // made on the first drop-down, owned by the combo box
  bool FListVisible = false;

  // Actions: a key-based box shows an item's text, which cutting or deleting cannot change; those two
  // are taken and do nothing (offered disabled), so they never put the data set into edit state.
 public:
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
};

class TDBComboBoxX : public TCustomDBComboBoxX {
  DECLARE_PUBLISHED_CLASS(TDBComboBoxX, TCustomDBComboBoxX)
  // The edit's properties and the combo box's own. EditMask is stored by DefineProperties (only once
  // assigned); Text only while data-independent and not empty; Alignment only once assigned.
  static void DeclarePublished(TPublished<TDBComboBoxX>& P);
  explicit TDBComboBoxX(TComponent* AOwner) : TCustomDBComboBoxX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};
