#pragma once
// The grid base control and its in-place editor: TCustomGrid (cells in rows and columns, fixed rows
// and columns, scrolling, selection, sizing and moving by mouse, an editor over the current cell),
// TDrawGrid (cells drawn by an event) and TStringGrid (a text per cell), and TInplaceEdit.
//
// The data grid and the lookup grid descend from TCustomGrid and change only what they override; the
// rest of their behaviour is what is written here. The source is split by mechanism:
//   grids.cpp        state, geometry per axis, current cell and selection, scrolling, the editor's life
//   grids_paint.cpp  painting: lines by area, cells through DrawCell, focus rectangle, sizing/moving marks
//   grids_input.cpp  keyboard, mouse (selecting, sizing, moving, timed scrolling), wheel, scroll messages
//   grids_edit.cpp   TInplaceEdit
//   grids_string.cpp TDrawGrid and TStringGrid
//
// Geometry. Each axis (columns, rows) keeps a count, a default extent and a sparse map of the extents
// that differ from it, so that a grid of a million rows costs nothing per row until a row is sized. An
// extent of -1 hides the cell together with its line (ColWidths[c] = -1: the column takes no pixels and
// the keyboard steps over it). Every walk over an axis starts at the first fixed cell or at LeftCol /
// TopRow and stops at the client edge, so painting, hit testing and scrolling cost the same for 1,000 and
// 1,000,000 rows.
//
// Coordinates. Cells are (Col, Row) = (X, Y), 0-based, fixed cells first. Pixel rectangles are client
// coordinates with exclusive right and bottom; a cell's rectangle leaves out the grid line at its right
// and bottom. Under right-to-left alignment (BiDiMode bdRightToLeft; SetRightToLeft(true) sets it) the
// columns run from the right edge: CellRect, BoxRect, MouseCoord and painting mirror X
// (x' = ClientWidth - x); the draw information stays left-to-right. The vertical scroll bar then stands
// at the left (WS_EX_LEFTSCROLLBAR). bsSingle is a sunken client edge with Ctl3D, a single line
// without; fixed cells get their raised edges only with Ctl3D.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/edits.h"

RTL_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

class TCustomGrid;
class TInplaceEdit;

// ---------------------------------------------------------------------------------------------------
// Types

enum TGridOption {
  goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
  goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
  goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

// What the mouse is doing to the grid.
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TGridScrollDirection { sdLeft, sdRight, sdUp, sdDown };
using TGridScrollDirections = TSet<TGridScrollDirection>;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
// The grid's frame: none, or a sunken client edge.
enum class TBorderStyle { bsNone, bsSingle };

struct TGridCoord {
  int X = 0;
  int Y = 0;
  constexpr bool operator==(const TGridCoord&) const = default;
};

// Cells from (Left, Top) to (Right, Bottom), both corners included.
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr TGridCoord TopLeft() const { return {Left, Top}; }
  constexpr TGridCoord BottomRight() const { return {Right, Bottom}; }
  constexpr bool Contains(int ACol, int ARow) const {
    return ACol >= Left && ACol <= Right && ARow >= Top && ARow <= Bottom;
  }
  constexpr bool operator==(const TGridRect&) const = default;
};

// The extents of one axis: a count, a default, and the cells whose extent differs from the default
// (sparse). Pure arithmetic, no window: tested on its own.
class TGridAxis {
 public:
  int Count() const { return FCount; }
  // Shrinking drops the overrides of the cells that go.
  void SetCount(int Value);
  int DefaultExtent() const { return FDefault; }
  // Every cell goes back to the new default.
  void SetDefaultExtent(int Value);
  // The extent of cell I: its own when set, else the default; -1 means hidden.
  int Extent(int I) const {
    if (FCustom.empty()) return FDefault;
    auto it = FCustom.find(I);
    return it == FCustom.end() ? FDefault : it->second;
  }
  void SetExtent(int I, int Value);
  // Pixels a cell takes with its line: 0 for a hidden cell.
  int Span(int I, int Line) const {
    int e = Extent(I);
    return e < 0 ? 0 : e + Line;
  }
  // Cell From goes to index To; the cells between shift by one.
  void Move(int From, int To);

 private:
  int FCount = 0;
  int FDefault = 0;
  std::map<int, int> FCustom;
};

// Where one axis lies on screen, for a given client extent. Boundaries are pixel positions from the
// client's left (top) edge, left-to-right.
struct TGridAxisDrawInfo {
  int EffectiveLineWidth = 0;  // grid line width on this axis (0 when neither line option is on)
  int FixedBoundary = 0;       // end of the fixed cells (with their lines)
  int GridBoundary = 0;        // end of the last visible cell, at most GridExtent
  int GridExtent = 0;          // client width (height)
  int LastFullVisibleCell = 0; // last cell wholly inside the client area (>= FirstGridCell - 1)
  int FullVisBoundary = 0;     // end of LastFullVisibleCell
  int FixedCellCount = 0;
  int FirstGridCell = 0;       // LeftCol or TopRow
  int GridCellCount = 0;       // ColCount or RowCount
  const TGridAxis* Axis = nullptr;
  int GetExtent(int I) const { return Axis ? Axis->Extent(I) : 0; }
  int Span(int I) const { return Axis ? Axis->Span(I, EffectiveLineWidth) : 0; }
};

struct TGridDrawInfo {
  TGridAxisDrawInfo Horz;
  TGridAxisDrawInfo Vert;
};

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const std::string& Value)>;

// ---------------------------------------------------------------------------------------------------
// TInplaceEdit: the editor a grid places over its current cell.
//
// It descends from the mask edit (through TInplaceEditBase, so that the base is named in one place).
// Owned by its grid (made by the grid's CreateEditor on first use, freed with the grid), a child
// window of the grid without a border.
//   - UpdateContents: mask := Grid.GetEditMask(Col, Row), text := GetEditText, MaxLength := GetEditLimit;
//     the text it started with is kept for Esc. A masked cell takes only what its mask allows.
//   - Move(rect): places it over the rect (client coordinates of the grid) and shows it; an empty rect
//     (the cell left the view) hides the window but keeps the grid's EditorMode. BoundsChanged runs
//     after every placement (descendants lay out buttons there).
//   - Keys: Up, Down, PgUp, PgDn, Tab, Esc, Enter, F2 and Insert go to the grid's KeyDown (Left/Right/
//     Home/End too at the text's ends when the grid always shows its editor, and always with Ctrl);
//     Ctrl+Delete goes to the grid. Characters pass only when Grid.CanEditAcceptKey says so, and text
//     changes (characters, Backspace, Delete, paste, cut) only when Grid.CanEditModify says so.
//   - Every change of the text reaches Grid.SetEditText(Col, Row, Text) at once.
//   - Reset (Esc): the text goes back to what UpdateContents loaded (and so reaches SetEditText).
using TInplaceEditBase = TCustomMaskEdit;

class TInplaceEdit : public TInplaceEditBase {
  DECLARE_CLASS(TInplaceEdit, TInplaceEditBase)
  explicit TInplaceEdit(TComponent* AOwner);
  TCustomGrid* Grid() const { return FGrid; }
  // Places the editor over Loc (grid client coordinates), shows it and gives it the focus when the
  // grid has it.
  void Move(const TRect& Loc);
  // Places it again without changing the focus (scrolling, sizing).
  void UpdateLoc(const TRect& Loc);
  // Hides the window (the grid's EditorMode is the grid's business); as the inherited Hide does, it
  // gives the focus back to the grid when the editor had it.
  void HideEditWindow();
  // Shown: the window exists and is visible.
  bool EditVisible() const;
  // Caret to the end, nothing selected.
  void Deselect();
  // Loads text, mask and limit from the grid for its current cell.
  virtual void UpdateContents();
  // Esc: back to the text UpdateContents loaded.
  void Reset() override;
  // The cell the editor edits (set by the grid when it shows the editor).
  int EditCol() const { return FCol; }
  int EditRow() const { return FRow; }

 protected:
  friend class TCustomGrid;
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void Dispatch(TMessage& Message) override;
  void Change() override;
  // A masked edit asks before each change: the grid's CanEditModify answers.
  bool EditCanModify() override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  void VisibleChanging() override;
  virtual void BoundsChanged() {}
  void SetGrid(TCustomGrid* Value) { FGrid = Value; }
  TCustomGrid* FGrid = nullptr;
  int FCol = -1, FRow = -1;
  std::string FOriginal;
  bool FLoading = false;
};

// ---------------------------------------------------------------------------------------------------
// TCustomGrid
//
// What descendants rely on (each override calls the inherited one unless it replaces the behaviour):
//
// State
//   ColCount/RowCount at least 1; shrinking keeps Col/Row, the anchor and the top-left inside (fixed
//   counts shrink to count - 1 first). FixedCols/FixedRows must stay below the counts
//   (EInvalidGridOperation "Fixed column count must be less than column count" / "Fixed row count must be
//   less than row count"). Col/Row are never inside the fixed area; LeftCol >= FixedCols, TopRow >=
//   FixedRows. Selection is the rectangle between the current cell and the anchor; with goRowSelect it
//   spans from FixedCols to ColCount - 1. DefaultRowHeight/DefaultColWidth reset every row/column.
//   ColWidths[i] = -1 hides column i with its line. Indexes out of range raise EInvalidGridOperation
//   "Grid index out of range".
//
// Geometry
//   CalcDrawInfo fills both axes for the client size; CalcDrawInfoXY for any size; CalcFixedInfo only the
//   fixed parts. CellRect(c, r) is the cell's rectangle or an empty one when the cell is not (partly)
//   visible; BoxRect spans several cells (clipped to the visible ones); MouseCoord(x, y) gives (-1, -1)
//   outside the cells. VisibleColCount/VisibleRowCount count the fully visible scrollable cells.
//
// Painting (Paint; descendants may replace it wholly, the data grid does)
//   Lines first, by area (fixed corner, fixed rows, fixed columns, data), one batch per area and axis, in the
//   options' colours: fixed lines black, data lines silver (grey on a silver grid); an axis whose option
//   is off is drawn in the area's colour. Then for each visible cell: state gdFixed in fixed cells,
//   gdFocused on the current cell when the grid (or its editor) has the focus, gdSelected inside the
//   selection; the focused cell is skipped while the editor shows; with DefaultDrawing the cell is
//   filled (clHighlight / clHighlightText when selected and not focused, or with goDrawFocusSelected or
//   goRowSelect; else FixedColor or Color), then DrawCell(c, r, rect, state), then fixed cells get a raised
//   inner edge on the sides with lines and the focused cell a focus rectangle (not with goRowSelect, nor
//   with goEditing + goAlwaysShowEditor). With goRowSelect and the focus, a focus rectangle goes around
//   the selection. The space right of and below the cells is filled with Color.
//
// Movement
//   MoveColRow(c, r, moveAnchor, show) is the one path of the current cell: it asks SelectCell(c, r)
//   (false vetoes, nothing changes), hides the editor unless goAlwaysShowEditor, moves the anchor too
//   when moveAnchor or without goRangeSelect, scrolls the cell into view when show and repaints the
//   changed cells. FocusCell(c, r, moveAnchor) is MoveColRow + UpdateEdit (the editor follows to the new
//   cell when it is on) + Click. Setting Col/Row goes through FocusCell; LeftCol/TopRow through
//   MoveTopLeft (not clamped to the last full page; the keys and scroll bars clamp). Setting FixedCols/
//   FixedRows puts the current cell, anchor and top-left on the first scrollable cell. Every top-left
//   change runs TopLeftChanged (the editor follows there: an override must call the inherited one); a
//   change of less than a page moves the pixels that stay (ScrollWindowEx) and paints what comes in.
//
// Editor
//   ShowEditor sets EditorMode and, when CanEditShow (goEditing, not goRowSelect, EditorMode, and the
//   grid or editor focused unless goAlwaysShowEditor), makes the editor once through CreateEditor, loads
//   it (UpdateContents), places it on CellRect(Col, Row), selects all and focuses it. HideEditor clears
//   EditorMode, writes the text back (SetEditText of the edited cell), hides it and gives the focus back
//   to the grid. goAlwaysShowEditor (with goEditing) keeps EditorMode on, so the editor follows every
//   move; setting it shows the editor. Column and row sizes, moves and scrolling re-place it
//   (InvalidateEditor); a cell out of view hides its window without leaving EditorMode.
//
// Keys (KeyDown; CanGridAcceptKey(key, shift) false drops the key)
//   Up/Down one row; Left/Right one column (one row with goRowSelect); PgUp/PgDn a page of rows, the view
//   moving with the cursor; Home/End first/last column (row with goRowSelect); Ctrl+Home/Ctrl+End the
//   first/last cell; Ctrl+Up/Down scroll the view one row; Ctrl+Left/Right a page of columns; Ctrl+PgUp/
//   PgDn the top/last fully visible row; Tab/Shift+Tab with goTabs the next/previous column with a tab
//   stop, wrapping to the next/previous row; Shift keeps the anchor (range selection with goRangeSelect).
//   Hidden columns and rows are stepped over. F2 and Enter toggle the editor (Enter only without
//   goAlwaysShowEditor); Esc in the editor restores its text and hides it. KeyPress of a printable
//   character (or Backspace) with goEditing opens the editor and hands it the character.
//   WM_GETDLGCODE: arrows and characters, Tab with goTabs.
//
// Mouse
//   A left press takes the focus. Over a line in the fixed rows (goColSizing) or fixed columns
//   (goRowSizing) CalcSizingState starts gsColSizing/gsRowSizing: an XOR line follows the mouse and the
//   release sets ColWidths/RowHeights (ColWidthsChanged/RowHeightsChanged follow). A press on a fixed-row
//   cell of a scrollable column with goColMoving (fixed column / goRowMoving for rows) starts
//   gsColMoving/gsRowMoving: a drop marker follows, the release calls MoveColumn(from, to) which ends in
//   ColumnMoved(from, to) (RowMoved for rows). A press on the current cell with goEditing shows the
//   editor; a press elsewhere on a cell moves there (Shift: extends the selection) and starts gsSelecting:
//   moves extend the selection, and outside the data area timer 1 calls TimedScroll(directions) every
//   60 ms. WM_CANCELMODE (and losing the capture) ends any of these states. WM_SETCURSOR shows the split
//   cursors over sizing lines. The wheel moves the current row one row per notch (the view follows).
//
// Scroll bars
//   Positions are cell indexes: vertical min 0, max RowCount - FixedRows - 1, page = fully visible rows,
//   pos = TopRow - FixedRows (horizontal likewise with columns); kept current after every change of
//   counts, extents, top-left and size. WM_VSCROLL/WM_HSCROLL: LINE +-1, PAGE +-page, TOP/BOTTOM,
//   THUMBPOSITION, THUMBTRACK only with goThumbTracking; all clamped so that the last cell stays at the
//   bottom/right. A thumb position past 65535 (the message's 16 bits) is read from the bar's track
//   position.
class TCustomGrid : public TCustomControl {
  DECLARE_CLASS(TCustomGrid, TCustomControl)
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  // ---- state
  int ColCount() const { return FCols.Count(); }
  void SetColCount(int Value);
  int RowCount() const { return FRows.Count(); }
  void SetRowCount(int Value);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int Value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int Value);
  int Col() const { return FCurrent.X; }
  void SetCol(int Value);
  int Row() const { return FCurrent.Y; }
  void SetRow(int Value);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int Value);
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int Value);
  TGridRect Selection() const;
  void SetSelection(const TGridRect& Value);
  TGridCoord Anchor() const { return FAnchor; }
  int DefaultColWidth() const { return FCols.DefaultExtent(); }
  void SetDefaultColWidth(int Value);
  int DefaultRowHeight() const { return FRows.DefaultExtent(); }
  void SetDefaultRowHeight(int Value);
  int ColWidths(int Index) const;
  void SetColWidths(int Index, int Value);
  int RowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);
  bool TabStops(int Index) const;
  void SetTabStops(int Index, bool Value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int Value);
  int VisibleColCount();
  int VisibleRowCount();
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value);
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  // The window's client area: without its frame and scroll bars; ClientOrigin is its screen position.
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  // Right-to-left alignment (UseRightToLeftAlignment), kept as the BiDiMode changes.
  bool RightToLeft() const { return FRightToLeft; }
  // bdRightToLeft for true, bdLeftToRight for false.
  void SetRightToLeft(bool Value);
  TGridState GridState() const { return FGridState; }
  // The cell being sized or moved, the line's position and the mouse's offset from it.
  int SizingIndex() const { return FSizingIndex; }
  int SizingPos() const { return FSizingPos; }
  int SizingOfs() const { return FSizingOfs; }
  int MoveIndex() const { return FMoveIndex; }
  int MovePos() const { return FMovePos; }

  // ---- geometry
  TRect CellRect(int ACol, int ARow);
  TRect BoxRect(int ALeft, int ATop, int ARight, int ABottom);
  TGridCoord MouseCoord(int X, int Y);
  void MouseToCell(int X, int Y, int& ACol, int& ARow);
  void CalcDrawInfo(TGridDrawInfo& DrawInfo);
  void CalcDrawInfoXY(TGridDrawInfo& DrawInfo, int UseWidth, int UseHeight);
  void CalcFixedInfo(TGridDrawInfo& DrawInfo);
  // The largest top-left for which Coord is still fully visible (per axis). Descendants with their own
  // rule for hidden cells replace it.
  virtual TGridCoord CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo);

  // ---- movement
  void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
  void FocusCell(int ACol, int ARow, bool MoveAnchor);
  void MoveTopLeft(int ALeft, int ATop);
  // Columns/rows change places (cell data follows in descendants through ColumnMoved/RowMoved).
  void MoveColumn(int FromIndex, int ToIndex);
  void MoveRow(int FromIndex, int ToIndex);

  // ---- repainting
  void InvalidateCell(int ACol, int ARow);
  void InvalidateCol(int ACol);
  void InvalidateRow(int ARow);
  void InvalidateGridRect(const TGridRect& R);
  void InvalidateGrid() { Invalidate(); }
  void InvalidateEditor();

  // ---- editor
  void ShowEditor();
  void HideEditor();
  void ShowEditorChar(WideChar Ch);
  // Writes the editor's text back (SetEditText) without hiding it.
  void UpdateText();

  // ---- virtual hooks of descendants
  virtual bool CanEditShow();
  virtual bool CanEditModify() { return FCanEditModify; }
  virtual bool CanEditAcceptKey(WideChar /*Key*/) { return true; }
  virtual bool CanGridAcceptKey(WORD /*Key*/, TShiftState /*Shift*/) { return true; }
  virtual std::string GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const std::string& Value);
  virtual std::string GetEditMask(int /*ACol*/, int /*ARow*/) { return {}; }
  virtual int GetEditLimit() { return 0; }
  // Makes the editor; the grid owns what it returns.
  virtual TInplaceEdit* CreateEditor();
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) = 0;
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void TopLeftChanged();
  virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                               TGridDrawInfo& FixedInfo);
  virtual void TimedScroll(TGridScrollDirections Direction);
  virtual bool SelectCell(int ACol, int ARow);
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  // A descendant that fills the vertical bar itself (a data grid numbers records, not rows): the
  // grid then leaves SB_VERT alone.
  virtual bool OwnsVertScrollBar() const { return false; }

  TNotifyEvent OnTopLeftChanged;
  TSelectCellEvent OnSelectCell;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;
  TGetEditEvent OnGetEditText;
  TGetEditEvent OnGetEditMask;
  TSetEditEvent OnSetEditText;

 protected:
  friend class TInplaceEdit;
  void Paint() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Resize() override;
  void EraseBackground(HDC DC) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  void Dispatch(TMessage& Message) override;
  void BiDiModeChanged(TMessage& Message) override;

  // One step of the editor's life: shows, places or hides it as EditorMode and CanEditShow say.
  void UpdateEdit();
  void HideEdit();
  // The cell's content changed from outside (descendants call this after setting a cell).
  void InvalidateEditorText();
  // Scroll-bar state follows counts, extents and the top-left.
  void UpdateScrollRange();
  void UpdateScrollPos();
  void ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos);
  // Ends selecting, sizing or moving (mouse released, capture lost, WM_CANCELMODE).
  void CancelMode();
  // The grid or its editor holds the focus.
  bool IsActiveControl();
  // Mirrors an X (or a rectangle) for right-to-left; identity otherwise.
  int MirrorX(int X) const { return FRightToLeft ? ClientWidth() - X : X; }
  TRect MirrorRect(const TRect& R) const {
    return FRightToLeft ? TRect(ClientWidth() - R.Right, R.Top, ClientWidth() - R.Left, R.Bottom) : R;
  }
  // The inverted sizing line at FSizingPos (gsColSizing: vertical; gsRowSizing: horizontal) and the
  // drop marker at FMovePos (gsColMoving/gsRowMoving). Each call inverts, so a second call removes it;
  // FSizingDrawn tells whether it is on screen (a repaint removes it and clears the flag). The marker
  // inverts the pixels, so the pen's colour does not matter.
  void DrawSizingLine(const TGridDrawInfo& Info);
  void DrawMoveMarker();
  // The data area's cell at a point (outside: clamped to the nearest visible cell), for selecting.
  TGridCoord CellForSelecting(int X, int Y, const TGridDrawInfo& DrawInfo);

  TGridAxis FCols;
  TGridAxis FRows;
  int FFixedCols = 1;
  int FFixedRows = 1;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  int FGridLineWidth = 1;
  TColor FFixedColor = clBtnFace;
  bool FDefaultDrawing = true;
  TScrollStyle FScrollBars = ssBoth;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  bool FEditorMode = false;
  bool FCanEditModify = true;
  TInplaceEdit* FInplaceEdit = nullptr;  // owned through the component tree
  int FInplaceCol = -1, FInplaceRow = -1;
  bool FRightToLeft = false;
  std::vector<char> FTabStops;  // per column; empty = all on
  TGridState FGridState = gsNormal;
  int FSizingIndex = 0, FSizingPos = 0, FSizingOfs = 0;
  int FMoveIndex = 0, FMovePos = 0;
  bool FTimerActive = false;
  bool FUpdatingScrollBars = false;
  bool FSizingDrawn = false;  // the XOR sizing line or the drop marker is on screen
  // Paints the cells of one area (fixed or scrolling) row by row through DrawCell, with the default
  // background, focus frame and fixed-cell edges; descendants with their own Paint use it too.
  void DrawCells(const TGridDrawInfo& Info, int ACol, int ARow, int StartX, int StartY, int StopX, int StopY,
                 TColor AColor, TGridDrawState IncludeDrawState);

 private:
  void ChangeSize(int NewColCount, int NewRowCount);
  void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
  void MoveAnchor(const TGridCoord& NewAnchor);
  void ClampInView(const TGridCoord& Coord);
  void SelectionMoved(const TGridRect& OldSel);
  void TopLeftMoved(const TGridCoord& OldTopLeft);
  void CheckCell(int ACol, int ARow) const;
  // Painting helpers (grids_paint.cpp).
  void DrawLines(HDC DC, const TGridDrawInfo& Info);
  void StartTimer();
  void StopTimer();
  void TimerStep();
  // Column index after stepping Delta (+1/-1) over hidden columns from C, or C when none.
  int StepCol(int C, int Delta) const;
  int StepRow(int R, int Delta) const;
};

// ---------------------------------------------------------------------------------------------------

// Cells painted by OnDrawCell (nothing else is drawn in them).
class TDrawGrid : public TCustomGrid {
  DECLARE_CLASS(TDrawGrid, TCustomGrid)
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
  TDrawCellEvent OnDrawCell;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
};

// A text per cell, kept per row and only for rows that have one (a million empty rows cost a pointer
// each). Cells move with their columns and rows; the editor edits them.
class TStringGrid : public TDrawGrid {
  DECLARE_CLASS(TStringGrid, TDrawGrid)
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;
  std::string Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const std::string& Value);

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  std::string GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const std::string& Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

 private:
  std::vector<std::unique_ptr<std::vector<std::string>>> FData;  // per row, lazily
  bool FUpdatingCell = false;
};
