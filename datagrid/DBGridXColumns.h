#pragma once
// The data grid's columns and the grid-wide column defaults.
//
// TColumnX binds one field of the grid's data set to one grid column and decides how its cells look:
// colour, font, alignment, width and its limits, check boxes, pick and key lists, its title (caption
// with "|"-separated levels, sort marker). Most of these are inheritable: while the column has not set
// a value itself (its flag in AssignedValues is clear) it answers with the default of its grid, its
// field or the grid's column defaults, so a grid-wide change reaches every column that did not
// override it. Only assigned values are copied.
//
// TDBGridColumnsX is the grid's collection; it is "customised" when its first column was made by the
// user (Persistent), otherwise the grid generates one column per field. TColumnDefValuesX and
// TColumnTitleDefValuesX hold the grid-wide defaults.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "dataedit/DBCtrlsXRules.h"
#include "platform/controls/grids.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/stdctrls.h"
#include "platform/data/db.h"
#include "platform/graphics/graphics.h"

class TCustomDBGridX;
class TColumnX;
class TColumnDefValuesX;
class TSTColumnFilterX;
class TPopupMenu;
class TChangeLink;
class TColCellParamsX;
class TColumnFooterX;    // footers: DBGridXFooter.h
class TColumnFootersX;
class TEditButtonsX;     // in-place editor work: dataedit/ToolCtrlsX.h, MRUListX.h, SpecRowX.h,
class TMRUListX;         // DBGridXDropDownBox.h, DBPopupGridX.h
class TSpecRowX;
class TColumnDropDownBoxX;
class TColumnDropDownOwnerX;
class TPopupDataGridX;

enum TColumnButtonStyleX { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown };
enum TColumnCellKindX { cckText = 0, cckPickList = 1, cckLookup = 2, cckKeyPickList = 3, cckKeyImages = 4,
                        cckCheckbox = 5 };
enum TSortMarkerX { smNoneX, smDownX, smUpX };
enum TTextOrientationX { tohHorizontal, tohVertical };

// Bits of TColumnX::AssignedValues, in this order.
enum TColumnXValue {
  cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption, cvTitleAlignment,
  cvTitleFont, cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation, cvImeMode, cvImeName,
  cvWordWrap, cvLookupDisplayFields, cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown,
  cvDblClickNextVal, cvToolTips, cvDropDownSizing, cvDropDownShowTitles
};
using TColumnXValues = TSet<TColumnXValue>;

// ---------------------------------------------------------------------------------------------------
// Defaults of column titles.
class TColumnTitleDefValuesX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TColumnTitleDefValuesX, TPersistent)
  static void DeclarePublished(TPublished<TColumnTitleDefValuesX>& P);
  explicit TColumnTitleDefValuesX(TColumnDefValuesX* AOwner) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  // Assign, then also the values Source had set itself.
  void AssignWithOwnValues(TColumnTitleDefValuesX* Source);
  // Centred while the grid draws multi-level titles, else left; until set.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  // The grid's FixedColor until set.
  TColor Color() const;
  void SetColor(TColor Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  TTextOrientationX Orientation() const { return FOrientation; }
  void SetOrientation(TTextOrientationX Value);
  bool TitleButton() const { return FTitleButton; }
  void SetTitleButton(bool Value) { FTitleButton = Value; }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
  uint8_t AssignedFlags() const { return FAssigned; }

 private:
  TCustomDBGridX* Grid() const;
  TAlignment FAlignment = taLeftJustify;
  uint8_t FAssigned = 0;  // bit 0 Color, bit 1 Alignment
  TColor FColor = clBtnFace;
  TColumnDefValuesX* FOwner;
  bool FEndEllipsis = false;
  TTextOrientationX FOrientation = tohHorizontal;
  bool FTitleButton = false;
  bool FToolTips = false;
};

// Grid-wide defaults of columns.
class TColumnDefValuesX : public TPersistent {
  DECLARE_CLASS(TColumnDefValuesX, TPersistent)
  explicit TColumnDefValuesX(TCustomDBGridX* AGrid);
  void Assign(TPersistent* Source) override;
  TCustomDBGridX* Grid() const { return FGrid; }
  bool AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
  void SetAlwaysShowEditButton(bool Value);
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool DblClickNextVal() const { return FDblClickNextVal; }
  void SetDblClickNextVal(bool Value) { FDblClickNextVal = Value; }
  bool DropDownShowTitles() const { return FDropDownShowTitles; }
  void SetDropDownShowTitles(bool Value) { FDropDownShowTitles = Value; }
  bool DropDownSizing() const { return FDropDownSizing; }
  void SetDropDownSizing(bool Value) { FDropDownSizing = Value; }
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  TColumnTitleDefValuesX* Title() const { return FTitle.get(); }
  void SetTitle(TColumnTitleDefValuesX* Value) { FTitle->Assign(Value); }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }

 private:
  bool FAlwaysShowEditButton = false, FAutoDropDown = false, FDblClickNextVal = false,
       FDropDownShowTitles = false, FDropDownSizing = false, FEndEllipsis = false;
  TCustomDBGridX* FGrid;
  std::unique_ptr<TColumnTitleDefValuesX> FTitle;
  bool FToolTips = false;
};

// The published form the data grid makes (CreateColumnDefValues).
class TDBGridXColumnDefValuesX : public TColumnDefValuesX {
  DECLARE_PUBLISHED_CLASS(TDBGridXColumnDefValuesX, TColumnDefValuesX)
  static void DeclarePublished(TPublished<TDBGridXColumnDefValuesX>& P);
  using TColumnDefValuesX::TColumnDefValuesX;
};

// ---------------------------------------------------------------------------------------------------
// A column's title cell.
class TColumnTitleX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TColumnTitleX, TPersistent)
  explicit TColumnTitleX(TColumnX* AColumn);
  ~TColumnTitleX() override;
  void Assign(TPersistent* Source) override;
  TColumnX* Column() const { return FColumn; }

  // The title defaults' alignment until set.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  // DefaultCaption until set: the field's display name, else the field name.
  std::string Caption() const;
  virtual void SetCaption(const std::string& Value);
  std::string DefaultCaption() const;
  TColor Color() const;
  void SetColor(TColor Value);
  // The grid's TitleFont until set (the column's font without a grid).
  TFont* Font();
  void SetFont(TFont* Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  TTextOrientationX Orientation() const;
  void SetOrientation(TTextOrientationX Value);
  bool TitleButton() const;
  void SetTitleButton(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TSortMarkerX SortMarker() const { return FSortMarker; }
  void SetSortMarker(TSortMarkerX Value);
  // 0: not sorted; 1.. the place among the sort-marked columns.
  int SortIndex() const { return FSortIndex; }
  void SetSortIndex(int Value);
  // smNoneX -> smDownX -> smUpX -> (KeepOthers: smNoneX, else smDownX); without KeepOthers every
  // other column loses its marker first.
  void ToggleSortMarker(bool KeepOthers);
  virtual void ResetAssignedValues();

 private:
  friend class TColumnX;
  void FontChanged(TObject* Sender);
  void RefreshDefaultFont();
  bool Has(TColumnXValue V) const;
  void Flag(TColumnXValue V);
  TAlignment FAlignment = taLeftJustify;
  std::string FCaption;
  TColor FColor = clBtnFace;
  TColumnX* FColumn;
  bool FEndEllipsis = false;
  std::unique_ptr<TFont> FFont;
  std::string FHint;
  int FImageIndex = -1;
  TTextOrientationX FOrientation = tohHorizontal;
  int FSortIndex = 0;
  bool FToolTips = false;
  TSortMarkerX FSortMarker = smNoneX;
  bool FTitleButton = false;
  bool FRefreshingFont = false;

  // ---- streaming (grid model)
 public:
  static void DeclarePublished(TPublished<TColumnTitleX>& P);
};

// ---------------------------------------------------------------------------------------------------
class TColumnX : public TCollectionItem {
  DECLARE_CLASS(TColumnX, TCollectionItem)
  explicit TColumnX(TCollection* ACollection);
  ~TColumnX() override;
  void Assign(TPersistent* Source) override;
  std::string DisplayName() override;
  // A generated column moves its field too, so that the grid's next layout keeps the new order.
  void SetIndex(int Value) override;

  // The grid that owns the collection, nullptr otherwise.
  TCustomDBGridX* OwnerGrid() const;
  TColumnXValues AssignedValues() const { return FAssignedValues; }
  bool Persistent() const { return FPersistent; }
  void SetPersistent(bool Value) { FPersistent = Value; }
  // A column the grid generated for a field.
  bool DefaultColumn() const { return !FPersistent; }

  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  // Resolves FieldName in the grid's data set on first use.
  TField* Field();
  virtual void SetField(TField* Value);

  TAlignment Alignment();
  virtual void SetAlignment(TAlignment Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TFont* Font();
  void SetFont(TFont* Value);
  bool ReadOnly();
  virtual void SetReadOnly(bool Value);
  int Width();
  virtual void SetWidth(int Value);
  // 64 without a grid; the field's display width in the column font's digits; else the grid's default.
  int DefaultWidth();
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value);
  int ClipWidthToLimits(int W) const;
  bool Checkboxes();
  void SetCheckboxes(bool Value);
  bool WordWrap();
  virtual void SetWordWrap(bool Value);
  // The input method while the column's cells are edited: the grid's settings until set here. A name
  // selects nothing (there is one input method); it is kept for the programs that set it.
  TImeMode ImeMode();
  virtual void SetImeMode(TImeMode Value);
  TImeName ImeName();
  virtual void SetImeName(const TImeName& Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  bool AlwaysShowEditButton() const;
  void SetAlwaysShowEditButton(bool Value);
  bool AutoDropDown() const;
  void SetAutoDropDown(bool Value);
  bool DblClickNextVal() const;
  void SetDblClickNextVal(bool Value);
  bool DropDownSizing() const;
  void SetDropDownSizing(bool Value);
  bool DropDownShowTitles() const;
  void SetDropDownShowTitles(bool Value);

  TColumnButtonStyleX ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TColumnButtonStyleX Value);
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value);
  const std::string& EditMask() const { return FEditMask; }
  void SetEditMask(const std::string& Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value) { FIncrement = Value; }
  int NotInKeyListIndex() const { return FNotInKeyListIndex; }
  void SetNotInKeyListIndex(int Value);
  unsigned DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(unsigned Value) { FDropDownRows = Value; }
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }
  bool AutoFitColWidth() const { return FAutoFitColWidth; }
  void SetAutoFitColWidth(bool Value);
  int AutoFitBaseWidth() const { return FAutoFitBaseWidth; }
  void SetAutoFitBaseWidth(int Value) { FAutoFitBaseWidth = Value; }
  bool AutoFitDone = false;  // scratch mark of the grid's auto-fit pass

  // Made on first read; SetPickList/SetKeyList(nullptr) free them.
  TStrings* PickList();
  void SetPickList(TStrings* Value);
  bool HasPickList() const { return FPickList != nullptr; }
  TStrings* KeyList();
  void SetKeyList(TStrings* Value);
  bool HasKeyList() const { return FKeyList != nullptr; }
  // Images of a key list (not owned); only whether one is set matters to the cell kind.
  TComponent* ImageList() const { return FImageList; }
  // The grid hears when the list goes away (then the column has none) and repaints when it changes.
  void SetImageList(TComponent* Value);
  // The component is being destroyed: a column still pointing at it lets go.
  void ImageListGone(TComponent* AComponent);

  TColumnTitleX* Title() const { return FTitle.get(); }
  void SetTitle(TColumnTitleX* Value) { FTitle->Assign(Value); }

  TColumnCellKindX GetCellKind();
  // The current record's text of the cell.
  std::string GetCellDisplayText();
  // For a key-image column: the index of the field's text in KeyList (or NotInKeyListIndex).
  int GetImageIndex();
  TCheckBoxState ReadCheckState();
  void WriteCheckState(TCheckBoxState Value);
  // Writes a value or text into the field (through OnUpdateData when assigned).
  void UpdateDataValue(std::string Text, Variant Value, bool UseText);
  bool CanModify(bool StartEdit);
  // One step of the cell's value (double click, up-down button, keys): Step > 0 forward, < 0 backward.
  void StepValue(double Step);

  virtual void ResetAssignedValues();

  using TColCellUpdateDataEventX =
      std::function<void(TObject* Sender, std::string& Text, Variant& Value, bool& UseText, bool& Handled)>;
  TColCellUpdateDataEventX OnUpdateData;

 protected:
  void Changed(bool AllItems) { TCollectionItem::Changed(AllItems); }
  bool Has(TColumnXValue V) const { return FAssignedValues.Contains(V); }
  void Flag(TColumnXValue V) { FAssignedValues.Include(V); }
  // Inheritable Booleans: nothing when set and equal, else store, flag and (Notify) signal.
  void SetFlaggedBool(TColumnXValue V, bool& Own, bool Value, bool Notify);

 private:
  friend class TColumnTitleX;
  friend class TDBGridColumnsX;
  friend class TCustomDBGridX;
  void FontChanged(TObject* Sender);
  void RefreshDefaultFont();
  TColumnDefValuesX* DefValues() const;

  TAlignment FAlignment = taLeftJustify;
  TColumnXValues FAssignedValues;
  TColumnButtonStyleX FButtonStyle = cbsAuto;
  bool FCheckboxes = false;
  TColor FColor = clWindow;
  bool FDblClickNextVal = false;
  std::string FDisplayFormat;
  unsigned FDropDownRows = 7;
  bool FDropDownShowTitles = false, FDropDownSizing = false;
  std::string FEditMask;
  TField* FField = nullptr;
  std::string FFieldName;
  std::unique_ptr<TFont> FFont;
  TComponent* FImageList = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  double FIncrement = 1.0;
  std::unique_ptr<TStringList> FKeyList;
  int FMaxWidth = 0, FMinWidth = 0;
  int FNotInKeyListIndex = -1;
  std::unique_ptr<TStringList> FPickList;
  bool FReadOnly = false;
  bool FPersistent = true;
  int FTag = 0;
  std::unique_ptr<TColumnTitleX> FTitle;
  bool FToolTips = false;
  bool FVisible = true;
  int FWidth = 0;
  bool FAlwaysShowEditButton = false, FAutoDropDown = false;
  bool FAutoFitColWidth = true;
  bool FEndEllipsis = false;
  int FAutoFitBaseWidth = 0;
  bool FWordWrap = false;
  TImeMode FImeMode = imDontCare;
  TImeName FImeName = DefaultImeName();
  bool FRefreshingFont = false;

  // ---- filter row (DBGridXFilterRow.cpp)
 public:
  // The column's filter-row condition, made on first use.
  TSTColumnFilterX* STFilter();

 private:
  friend class TSTColumnFilterX;
  std::shared_ptr<TSTColumnFilterX> FSTFilter;

  // ---- column extras (grid model): pop-up menu, lookup display fields, cell parameters, sort marker area
 public:
  // The menu a right click on the column's cells pops up (not owned; the grid hears when it goes).
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  // The lookup fields the drop-down shows; the field's LookupResultField until set.
  std::string LookupDisplayFields();
  virtual void SetLookupDisplayFields(const std::string& Value);
  // The list behind a lookup column: the lookup field's LookupDataSet (nullptr without one).
  TDataSet* GetLookupDataSet();
  // The data set a lookup list shows: the drop-down box's list source, else the lookup field's.
  TDataSet* GetListDataSet();
  // The cell's parameters for the current record, before the events change them.
  void FillCellParams(TColCellParamsX* Params);
  // Fires OnGetCellParams.
  virtual void GetCellParams(bool EditMode, TColCellParamsX* Params);
  // The width of the title's sort marker area (arrow, and the sort index when several columns sort).
  int GetSortMarkerWidth();

  using TGetColCellParamsEventX = std::function<void(TObject* Sender, bool EditMode, TColCellParamsX* Params)>;
  using TNotInListEventX = std::function<void(TObject* Sender, const std::string& NewText, bool& RecheckInList)>;
  // Setting it repaints the grid.
  void SetOnGetCellParams(TGetColCellParamsEventX Value);
  const TGetColCellParamsEventX& OnGetCellParams() const { return FOnGetCellParams; }
  // The text typed into a lookup or key-list cell is not in the list; RecheckInList asks to look again.
  TNotInListEventX OnNotInList;
  // Fires OnNotInList; true when the handler asks to look the text up again.
  bool NotInList(const std::string& NewText);

 private:
  // A lookup cell steps through the lookup data set (forward wraps to the first record).
  void StepLookupValue(bool Forward);
  // The drop-down's special row stands in for the lookup text: its key matches, or (when it asks to)
  // the key is not in the lookup data set. Text: the special row's first cell.
  bool LookupSpecialRowText(std::string& Text);
  TPopupMenu* FPopupMenu = nullptr;
  std::string FLookupDisplayFields;
  TGetColCellParamsEventX FOnGetCellParams;
  // ---- footers (footer work)
 public:
  // The column's own footer and its further footers (one per footer row); FooterOfRow(I) is
  // Footers[I] when there is one, else Footer.
  TColumnFooterX* Footer();
  TColumnFootersX* Footers();
  TColumnFooterX* FooterOfRow(int I);
  // Every existing footer re-binds its aggregate (the field, a footer's field or type changed).
  void RebindFooterSums();

 private:
  friend class TColumnFooterX;
  std::shared_ptr<TColumnFooterX> FFooter;
  std::shared_ptr<TColumnFootersX> FFooters;

  // ---- edit buttons, MRU list and drop-down box (in-place editor work)
 public:
  // Further buttons of the cell's in-place editor, after its main button.
  TEditButtonsX* EditButtons();
  TMRUListX* MRUList();
  // A text stored from the shown cell editor joins the MRU list (when it is active and adds by itself).
  void RememberEditText(const std::string& Text);
  TColumnDropDownBoxX* DropDownBox();
  TColumnDropDownOwnerX* DropDownBoxOwner();
  // The drop-down grid of a lookup cell (made on first use).
  TPopupDataGridX* DropDownGrid();
  // The drop-down grid when it was made, else nullptr; makes neither the grid nor its owner.
  TPopupDataGridX* DropDownGridIfMade() const;
  TSpecRowX* DropDownSpecRow();
  // Width of the drop-down: -1 as wide as its columns need, 0 or less the editor's width.
  int DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(int Value) { FDropDownWidth = Value; }
  // A component went away: the drop-down box forgets it as its list source.
  void ListSourceGone(TComponent* AComponent);
  TButtonClickEventX OnEditButtonClick;
  TButtonDownEventX OnEditButtonDown;

  // The drop-down grid's own events, read and set through the column (the grid is made on first use;
  // reading from a column whose grid was never made gives an empty handler and makes nothing).
  using TDropDownBoxCheckButtonEventX = std::function<void(TObject* Sender, int ACol, TColumnX* Column, bool& Enabled)>;
  using TDropDownBoxDrawColumnCellEventX =
      std::function<void(TObject* Sender, const TRect& Rect, int DataCol, TColumnX* Column, TGridDrawState State)>;
  using TDropDownBoxGetCellParamsEventX =
      std::function<void(TObject* Sender, TColumnX* Column, TFont* AFont, TColor& Background, TGridDrawState State)>;
  using TDropDownBoxTitleBtnClickEventX = std::function<void(TObject* Sender, int ACol, TColumnX* Column)>;
  TDropDownBoxCheckButtonEventX OnDropDownBoxCheckButton() const;
  void SetOnDropDownBoxCheckButton(TDropDownBoxCheckButtonEventX Value);
  TDropDownBoxDrawColumnCellEventX OnDropDownBoxDrawColumnCell() const;
  void SetOnDropDownBoxDrawColumnCell(TDropDownBoxDrawColumnCellEventX Value);
  TDropDownBoxGetCellParamsEventX OnDropDownBoxGetCellParams() const;
  void SetOnDropDownBoxGetCellParams(TDropDownBoxGetCellParamsEventX Value);
  TNotifyEvent OnDropDownBoxSortMarkingChanged() const;
  void SetOnDropDownBoxSortMarkingChanged(TNotifyEvent Value);
  TDropDownBoxTitleBtnClickEventX OnDropDownBoxTitleBtnClick() const;
  void SetOnDropDownBoxTitleBtnClick(TDropDownBoxTitleBtnClickEventX Value);

 private:
  std::shared_ptr<TEditButtonsX> FEditButtons;
  std::shared_ptr<TMRUListX> FMRUList;
  std::shared_ptr<TColumnDropDownBoxX> FDropDownBox;
  std::shared_ptr<TColumnDropDownOwnerX> FDropDownOwner;
  int FDropDownWidth = 0;
};

// The published column class of the grid.
class TDBGridColumnX : public TColumnX {
  DECLARE_PUBLISHED_CLASS(TDBGridColumnX, TColumnX)
  using TColumnX::TColumnX;

  // ---- streaming (grid model): what a stored column writes; inherited values only once set
  static void DeclarePublished(TPublished<TDBGridColumnX>& P);
};

// ---------------------------------------------------------------------------------------------------
class TDBGridColumnsX : public TCollection {
  DECLARE_CLASS(TDBGridColumnsX, TCollection)
  TDBGridColumnsX(TCustomDBGridX* AGrid, TClass AItemClass, TCollectionItemFactory Factory);
  TCustomDBGridX* Grid() const { return FGrid; }
  TColumnX* Items(int Index) const { return static_cast<TColumnX*>(TCollection::Items(Index)); }
  TColumnX* operator[](int Index) const { return Items(Index); }
  // A user column.
  TColumnX* Add() { return static_cast<TColumnX*>(TCollection::Add()); }
  // A column the grid makes for a field.
  TColumnX* AddGenerated();
  // Customised: has items and the first is Persistent.
  bool Customised() const { return Count() > 0 && Items(0)->Persistent(); }
  int State() const { return Customised() ? 1 : 0; }

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TCustomDBGridX* FGrid;
};

// A list of columns (not owned), in display or sort order.
using TColumnsXList = std::vector<TColumnX*>;
