#pragma once
// The grid's in-place cell editor.
//
// TDBGridInplaceEdit is the grid editor placed over the current data cell. It adds what the columns ask
// for: an edit style per column (plain, ellipsis button, pick list, lookup list, month calendar,
// up-down button, drop-down calculator for numbers), the drop-downs of those styles with their keys and
// close-up, completion while typing against the pick list or the lookup list, a strip of button
// controls at its right edge (the main button of the style, then one per edit button of the column)
// and the column's most-recently-used list, which drops down while the user types.
//
// The editor never writes a field itself: it goes through the column (UpdateDataValue, StepValue) and
// the grid's edit text and edit value, which the grid's data link stores when editing ends.
// Drop-downs are reused editor parts from the editor library (pick list, calendar, calculator, MRU
// list box, button controls); the lookup list is the column's drop-down grid.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "datagrid/DBGridX.h"
#include "dataedit/CalculatorX.h"
#include "dataedit/MRUListX.h"
#include "dataedit/PopupsX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/extctrls.h"

class TPopupDataGridX;

enum TColumnEditStyleX { cesSimple, cesEllipsis, cesPickList, cesLookupList, cesCalendar, cesUpDown, cesDropDown };

class TDBGridInplaceEdit : public TInplaceEdit, public ICloseUpReceiverX {
  DECLARE_CLASS(TDBGridInplaceEdit, TInplaceEdit)
  explicit TDBGridInplaceEdit(TComponent* AOwner);
  ~TDBGridInplaceEdit() override;

  TCustomDBGridX* DBGrid() const { return dynamic_cast<TCustomDBGridX*>(FGrid); }
  // Shows Text as typed (the grid's edit text follows), with its selection.
  void KeepTypedText(const std::string& Text, int SelStart, int SelLength);
  // The grid's column of the current cell; nullptr without one.
  TColumnX* CurrentColumn() const;
  // The style a column's cells are edited in (the grid also asks it whether a cell shows a button).
  TColumnEditStyleX GetColumnEditStyle(TColumnX* Column) const;
  TColumnEditStyleX EditStyle() const { return FEditStyle; }
  void SetEditStyle(TColumnEditStyleX Value);
  void UpdateContents() override;
  // Loads style, font, colour, read-only state and buttons again from the column (it changed), keeping
  // a text the user typed that the record has not taken yet, and its selection.
  void ReloadKeepingTypedText();

  // ---- drop-downs
  virtual void DropDown();
  void CloseUp(bool Accept) override;
  bool ListShown() const { return FListShown; }
  // The text the editor holds once its list closes without a pick: an item only browsed to in the pick
  // or lookup list gives way to the text the cell had (or the user typed); otherwise the text shown.
  std::string TextWithoutBrowsedItem() const;
  TWinControl* DropDownControl() const { return FDropDownControl; }
  TPopupListboxX* PickListControl() const { return FPickListControl; }
  TPopupMonthCalendarX* CalendarControl() const { return FCalendarControl; }
  TPopupCalculatorX* CalculatorControl() const { return FCalculatorControl; }
  TPopupDataGridX* LookupList() const { return FLookupList; }
  TDataSource* LookupSource() const { return FLookupSource; }
  // Style cesDropDown on a numeric field.
  bool CalculatorApplies();
  // Set while the grid reloads the editor with a drop-down shown: close-up is skipped.
  bool KeepListOpen = false;
  bool ReadOnlyOverridden() const { return FReadOnlyOverridden; }
  // A column of the shown lookup list was moved (its special-row texts go back to the column).
  bool ListColumnsMoved() const { return FListColumnsMoved; }
  bool WordWrap() const { return FWordWrap; }
  // Multi-line editing; a change recreates the window.
  void SetWordWrap(bool Value);

  // ---- buttons and the MRU list
  int ButtonControlCount() const { return static_cast<int>(FButtonControls.size()); }
  // Entry 0 the main button, entry i the column's edit button i - 1; nullptr outside.
  TEditButtonControlX* ButtonControl(int I) const;
  // The separator of entry I: shown, one pixel wide, only in a flat grid next to a visible control.
  TShape* ButtonSeparator(int I) const;
  int ButtonStripWidth() const { return FButtonStripWidth; }
  int ButtonControlHeight() const { return FButtonControlHeight; }
  void LayoutButtonControls();
  void RefreshButtonStates();
  // The first edit button of the current column with that shortcut, else nullptr.
  TEditButtonX* FindButtonByShortCut(TShortCut ShortCut);
  // One up-down step of the cell's value (the sign of the column's Increment decides the direction).
  void StepValue(bool Down);
  TMRUListX* MRUList() const { return FMRUList; }
  // Forgets List when it is the one in use (its column is being destroyed).
  void ForgetMRUList(TMRUListX* List);
  TMRUListboxX* MRUListControl() const { return FMRUListControl; }
  void OpenMRUList();
  void CloseMRUList(bool Accept);
  void UserTextChanged() { FTextChangedByUser = true; }

 protected:
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void BoundsChanged() override;
  void CreateParams(TCreateParams& Params) override;
  void Change() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  virtual TEditButtonControlX* NewEditButtonControl();
  virtual TMRUListboxX* NewMRUListControl();
  virtual TPopupCalculatorX* GetCalculatorControl();
  virtual void EditButtonPressed(bool Down);
  virtual void ProcessKeyText(std::string& Text);
  virtual void ButtonControlClick(TObject* Sender);
  virtual void ButtonControlDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void ButtonControlMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  virtual void ButtonControlMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void AcceptMRUItem(const std::string& Text, bool& Accept);
  virtual void MRUListBoxResized(TObject* Sender);

 private:
  TColumnEditStyleX StyleFor(TColumnX* Column, bool ForContents) const;
  // Drop-down keys of WM_KEYDOWN / WM_SYSKEYDOWN / WM_CHAR; true when consumed.
  bool HandleListKey(TMessage& Message);
  bool HandleMRUKey(TMessage& Message);
  // Keeps only the matching MRU items.
  void PlaceDropDown(TWinControl* List);
  void SetTextKeepEdit(const std::string& Text);
  void LookupListPick(TObject* Sender, bool Accept);
  void DriveMRUList();
  TRect TextRectOnScreen();
  bool InButtonStrip(int X) const;
  int IndexOfControl(TObject* Sender) const;
  void DeleteInListCell(bool Backspace);
  void UpdateLookupValue();
  // WM_PASTE in a lookup or key-pick-list cell: the pasted text completes against the list. False:
  // the edit's own paste.
  bool HandlePaste();
  // A drag that began on the main button goes on in the shown list once the pointer enters it.
  void TrackListMouseMove(TControl* Button, TShiftState Shift, int X, int Y);

  TWinControl* FDropDownControl = nullptr;
  int FButtonControlHeight = 0;
  int FButtonStripWidth = 0;
  std::string FKeyText;
  TTypedCharJoiner FTypedChar;  // the halves of a character beyond 16 bits typed into the cell
  TPopupDataGridX* FLookupList = nullptr;
  // Each control with the separator drawn to its left (right when right to left) in a flat grid.
  std::vector<std::pair<TShape*, TEditButtonControlX*>> FButtonControls;
  TColumnEditStyleX FEditStyle = cesSimple;
  bool FListColumnsMoved = false;
  bool FListShown = false;
  TDataSource* FLookupSource = nullptr;
  TMRUListX* FMRUList = nullptr;
  TMRUListboxX* FMRUListControl = nullptr;
  bool FIgnoreNextClickCloseUp = false;
  TPopupListboxX* FPickListControl = nullptr;
  TPopupCalculatorX* FCalculatorControl = nullptr;
  TPopupMonthCalendarX* FCalendarControl = nullptr;
  bool FReadOnlyOverridden = false;
  bool FTextChangedByUser = false;
  bool FWordWrap = false;
  bool FInternalText = false;
  std::string FTextBeforeDropDown;
  bool FPickListResized = false;
  // The MRU list's own item filter while OpenMRUList filters through AcceptMRUItem.
  std::function<void(TObject*, const std::string&, bool&)> FMRUItemFilter;
};
