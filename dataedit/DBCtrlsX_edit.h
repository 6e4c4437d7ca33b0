#pragma once
// The data-aware one-line edit of unit DBCtrlsX, on which the combo box, the lookup combo box and the
// grid's filter-row editor are built. It shows a field's value through a field data link (edit text
// while focused and modifiable, display text otherwise) or, with neither data source nor field, a
// value of its own kept in the link. Every write takes one path: put the data set into edit state,
// change the control, commit (OnUpdateData, else the link); a failed commit reloads the record and
// raises again. In in-place mode a holder control (the grid) places the edit over a cell and sees its
// messages and keys first through IInplaceEditHolderX.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataedit/DBCtrlsX.h"
#include "dataedit/DBCtrlsXRules.h"
#include "dataedit/MRUListX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/edits.h"
#include "platform/controls/extctrls.h"
#include "platform/data/db.h"

class TCustomDBEditX;

using TUpdateDataEventX = std::function<void(TObject* Sender, bool& Handled)>;

// What a holder (the grid) offers an edit it places over a cell. Each call sees the editor's message
// or key before the editor does; a non-zero result, Key 0 or #0 ends the editor's own handling.
class IInplaceEditHolderX {
 public:
  virtual ~IInplaceEditHolderX() = default;
  virtual bool EditorCanModify(TWinControl* Editor) = 0;
  // The holder's pending mouse-down that started editing (Time 0 when none); the holder forgets it.
  virtual bool TakePendingMouseDown(POINT& ScreenPos, int& Time) = 0;
  virtual void EditorWndProc(TWinControl* Editor, TMessage& Message) = 0;
  virtual void EditorKeyDown(TWinControl* Editor, WORD& Key, TShiftState Shift) = 0;
  virtual void EditorKeyPress(TWinControl* Editor, WideChar& Key) = 0;
  virtual void EditorKeyUp(TWinControl* Editor, WORD& Key, TShiftState Shift) = 0;
};

class TCustomDBEditX : public TCustomMaskEdit, public ICloseUpReceiverX {
  DECLARE_CLASS(TCustomDBEditX, TCustomMaskEdit)
  explicit TCustomDBEditX(TComponent* AOwner);
  ~TCustomDBEditX() override;

  // Value and text.
  std::string Text() const override { return TCustomMaskEdit::Text(); }
  void SetText(const std::string& Value) override;
  Variant Value() { return DoGetValue(); }
  void SetValue(const Variant& Value) { DoSetValue(Value); }

  TAlignment Alignment() const { return FAlignmentAssigned ? FAlignment : GetDefaultAlignment(); }
  void SetAlignment(TAlignment Value);
  bool AlignmentStored() const { return FAlignmentAssigned; }
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool Value);
  std::string DataField() const { return GetDataField(); }
  TDataSource* DataSource() const { return GetDataSource(); }
  void SetEditMask(const std::string& Value) override;
  bool EditMaskStored() const { return FEditMaskAssigned; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool ReadOnly() const { return FReadOnlyProp; }
  void SetReadOnly(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  TMRUListX* MRUList() const { return FMRUList.get(); }
  // Stored with the form only when data-independent and not empty.
  bool TextStored() const { return IsDataIndependent() && !Text().empty(); }

  TFieldDataLinkX* DataLink() const { return FDataLink.get(); }
  TField* Field() const;

  // In-place mode: on exactly while a holder is set.
  TWinControl* InplaceEditHolder() const { return FInplaceHolder; }
  void SetInplaceEditHolder(TWinControl* Holder);
  bool InplaceMode() const { return FInplaceHolder != nullptr; }
  void MoveTo(const RECT& Rect);
  void MoveInplace(const RECT& Rect, bool Redraw);
  void HideInplace();
  bool GetVisible() const;
  void SetVisible(bool Value);
  void SetFocus() override;

  // The drop-down protocol: descendants open and close their list.
  void CloseUp(bool Accept) override;

  // The main button (hidden unless made visible) and the additional buttons; assigning copies.
  TEditButtonX* EditButton() const { return FEditButton.get(); }
  void SetEditButton(TEditButtonX* Value) { FEditButton->Assign(Value); }
  TEditButtonsX* EditButtons() const { return FEditButtons.get(); }
  void SetEditButtons(TEditButtonsX* Value) { FEditButtons->Assign(Value); }
  // The control showing button I (0 the main button, I+1 EditButtons[I]), after the last layout.
  TEditButtonControlX* ButtonControl(int I) const;
  int ButtonControlCount() const { return static_cast<int>(FButtonControls.size()); }
  int ButtonsStripWidth() const { return FStripWidth; }
  int ButtonHeight() const { return FButtonHeight; }
  // The MRU drop-down, made on first use.
  TMRUListboxX* MRUListBox() const { return FMRUListBox; }
  bool DroppedDown() const { return FDroppedDown; }
  TButtonClickEventX OnButtonClick;
  TButtonDownEventX OnButtonDown;

  TUpdateDataEventX OnUpdateData;

  // The image at the leading edge of the text; assigning copies.
  TEditImageX* EditImage() const { return FEditImage.get(); }
  void SetEditImage(TEditImageX* Value) { FEditImage->Assign(Value); }
  // The separator left of button I (1 pixel wide in a flat edit before a visible button, else 0).
  TShape* ButtonSeparator(int I) const;
  // The flat border is lit: designing, focused, the mouse above the control, or AlwaysShowBorder.
  bool BorderActive() const { return FBorderActive; }
  bool MouseAbove() const { return FMouseAbove; }
  // The button strip, the image and the text's formatting rectangle, in client coordinates.
  RECT GetEditButtonsRect() const;
  RECT GetImageRect() const;
  int ImageWidth() const { return FImageWidth; }
  // The height follows the font while AutoSize is on and the border is single.
  void SetAutoSize(bool Value) override;
  // Right-to-left alignment by the data-aware rule for the field (DBUseRightToLeftAlignment): the
  // buttons stand at the left edge, the image at the right and the text aligns mirrored.
  bool UseRightToLeftAlignment() const override;

 protected:
  virtual bool EditButtonsEnabled();
  virtual std::unique_ptr<TFieldDataLinkX> NewDataLink();
  // Makes the link again through NewDataLink: a descendant whose link class needs the descendant
  // calls it from its own constructor (the edit's constructor reaches only its own factory).
  void RenewDataLink();
  virtual bool IsDataIndependent() const;
  virtual TAlignment GetDefaultAlignment() const;
  virtual std::string GetDefaultEditMask() const;
  virtual std::string GetDataField() const;
  virtual TDataSource* GetDataSource() const;
  virtual std::string GetPaintCopyText();
  virtual Variant DoGetValue();
  virtual bool IsValidInputChar(char32_t Ch);
  virtual void LinkActiveChanged();
  virtual void FieldDataChanged();
  virtual void DropDown();
  virtual TEditButtonX* NewEditButton();
  // Makes the main button again through NewEditButton: a descendant whose main button is of its own
  // class calls it from its own constructor (the edit's constructor reaches only its own factory).
  void RenewEditButton();
  virtual std::unique_ptr<TEditButtonsX> NewEditButtons();
  // The control that shows one button of the strip: a child of the edit, 10 x 17, visible.
  virtual TEditButtonControlX* NewEditButtonControl();
  // The MRU drop-down, made on its first opening: hidden, with a flat frame, sorted.
  virtual TMRUListboxX* NewMRUListControl();
  // Whether a remembered entry is offered for the edit's text: it begins with the text (case as the
  // MRU list says); then the MRU list's own OnItemFilter, told that this edit asks, has the last word.
  virtual void AcceptMRUItem(const std::string& Text, bool& Accept);
  virtual void EditButtonPressed(bool IsDownButton);
  virtual void ButtonControlDown(TEditButtonControlX* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void ButtonControlClick(TEditButtonControlX* Sender);
  // Places the buttons and sets the text rectangle beside them.
  void LayoutEditButtons();
  void RefreshButtonControls();
  void EditButtonChanged();
  void CreateWnd() override;
  void Resize() override;
  void EnabledChanged() override;
  // After the user changed the text: opens, filters or closes the MRU drop-down.
  virtual void UserTextChanged();
  void OpenMRUList();
  void CloseMRUList(bool Accept);
  bool FIgnoreCloseUp = false;
  virtual void LinkEditingChanged();
  virtual void ApplyText(const std::string& Text);
  virtual void ApplyValue(const Variant& Value);
  virtual void StoreTextInLink();
  virtual void ClearFieldMaxLength();
  virtual void SetDataField(const std::string& Value);
  virtual void SetDataSource(TDataSource* Value);
  virtual void SetFocusState(bool Value);
  virtual void DoSetValue(const Variant& Value);
  virtual void RefreshReadOnlyState();
  virtual void CommitData();

  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(HDC DC) override;
  bool EditCanModify() override;
  void Reset() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void Change() override;
  void DoEnter() override;
  void DoExit() override;
  bool WantsKey(WORD Key, TShiftState Shift) override;

  // The one write path of every setter: edit state (unless data-independent), the change, then the
  // commit unless OnUpdateData is running; a failed commit reloads the record and raises again.
  void WriteThrough(const std::function<void()>& Change);
  bool Posting() const { return FPosting; }
  // The field's alignment (repainting on a change) and edit mask unless assigned, and a string field's
  // size as MaxLength while MaxLength is 0 (when TakeMaxLength).
  void ApplyFieldSettings(TField* F, bool TakeMaxLength);
  // Without a field: the mask is cleared unless it was assigned.
  void ClearAssignableMask();
  bool FocusState() const { return FFocused; }
  bool FDroppedDown = false;

  // Edit image, height, strip events, flat border and the MRU list's size (added with the border).
  virtual std::unique_ptr<TEditImageX> NewEditImage();
  virtual RECT CalcTextRect();
  virtual void FitHeightToFont();
  virtual void UpdateHeightStyle();
  virtual void ButtonControlMouseMove(TEditButtonControlX* Sender, TShiftState Shift, int X, int Y);
  virtual void ButtonControlMouseUp(TEditButtonControlX* Sender, TMouseButton Button, TShiftState Shift, int X,
                                    int Y);
  virtual void MRUListBoxResized();
  // Lights or dims the flat border (and the buttons' Active look) from the focus, the mouse and
  // AlwaysShowBorder, drawing it at once in a flat edit.
  void RefreshBorderState();
  // Pushes button I as a click with the mouse would: its button-down, then its click.
  void PushEditButton(int I);
  // The button whose ShortCut is Key with Shift is pushed and Key becomes 0.
  void PushShortCutButton(WORD& Key, TShiftState Shift);
  // The index of the control in the strip, -1 when none.
  int ButtonControlIndex(TEditButtonControlX* Control) const;
  // Pops up Button's DropdownMenu under the button control; false when it has none.
  bool PopupDropdownMenu(TEditButtonX* Button, TEditButtonControlX* Control);
  void DrawFlatBorder();
  void PaintEditImage(HDC DC);
  bool IsFlatBorderDrawn() const;
  // A single border without Ctl3D lies inside the client area: the strip and the text keep off it.
  bool BorderInsideClient() const { return BorderStyle() != 0 && !Ctl3D(); }
  // Right-to-left only: the window's reading, scroll-bar and alignment styles are put right for the
  // alignment on screen before the window paints itself.
  void CorrectBiDiExStyle(TAlignment Alignment);
  // True when a mouse message at client point P falls on the strip or the image.
  bool PointOnButtonsOrImage(POINT P) const;
  void FontChanged() override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  // The text rectangle after a layout or an image change.
  void UpdateTextRect();
  void UpdateImageWidth();
  // Dispatch of the messages of the strip, border, cursor, image and cancel mode; true when handled.
  bool DispatchStripMessage(TMessage& Message);

 private:
  void DoUpdateData(bool& Handled);
  void DataChange(TObject* Sender);
  void UpdateData(TObject* Sender);

  std::unique_ptr<TFieldDataLinkX> FDataLink;
  std::unique_ptr<TMRUListX> FMRUList;
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentAssigned = false;
  bool FEditMaskAssigned = false;
  bool FFocused = false;
  bool FPosting = false;
  bool FAlwaysShowBorder = false;
  bool FFlat = false;
  bool FReadOnlyProp = false;
  bool FWordWrap = false;
  bool FWantTabs = false;
  bool FWantReturns = false;
  std::unique_ptr<TEditButtonX> FEditButton;
  std::unique_ptr<TEditButtonsX> FEditButtons;
  std::vector<TEditButtonControlX*> FButtonControls;  // owned by the edit as components
  TMRUListboxX* FMRUListBox = nullptr;  // owned by the edit as a component
  // The MRU list's own item filter while OpenMRUList filters through AcceptMRUItem.
  std::function<void(TObject* Sender, const std::string& Item, bool& Accept)> FMRUItemFilter;
  bool FUserTextChanged = false;
  int FStripWidth = 0;
  int FButtonHeight = 0;
  TWinControl* FInplaceHolder = nullptr;
  IInplaceEditHolderX* FInplaceIntf = nullptr;
  std::unique_ptr<TEditImageX> FEditImage;
  std::vector<TShape*> FSeparators;  // owned by the edit as components; pair I with FButtonControls[I]
  int FImageWidth = 0;
  bool FBorderActive = false;
  bool FMouseAbove = false;
  bool FHadCaptureAtMouse = false;  // the edit held the mouse when the current mouse message came

  // Actions: the edit's own answer first (the edit actions while it has the focus), then the data link's
  // (data-set actions). True when one of them took the action.
 public:
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
 protected:
  // Whether the user may change the text now or by starting to edit: not ReadOnly, the field (or an
  // OnUpdateData handler) accepts a change, and an in-place holder allows it.
  bool CanChangeText();
};
