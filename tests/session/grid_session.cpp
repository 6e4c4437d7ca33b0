// The grid form of the session tester, its steps and its invariants.
#include "tests/session/grid_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBGridXScroll.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/scrollbars.h"
#include "platform/controls/stdctrls.h"
#include "platform/data/memdataset.h"
#include "platform/forms/forms.h"
#include "platform/win/clipboard.h"
#include "platform/win/clock.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"
#include "tests/session/session_input.h"

namespace session {

namespace {

// The data fields the shadow copy keeps, in this order.
const char* const kFields[] = {"ID", "Name", "City", "KindID", "Amount", "Qty", "Born", "Active", "Notes"};
constexpr int kFieldCount = 9;
enum { fID, fName, fCity, fKindID, fAmount, fQty, fBorn, fActive, fNotes };
const char* const kKinds[][2] = {{"1", "Adult"}, {"2", "Child"}, {"3", "Senior"}, {"4", "Staff"}};
const char* const kCities[] = {"Oslo", "Lima", "Xi'an", "Quito", "Kyiv", "القاهرة", "תל אביב", "𝔸thens"};
constexpr int kRecords = 300;
constexpr int kTickMs = 100;

struct TValues {
  std::string Text[kFieldCount];
  bool Null[kFieldCount] = {};
  bool operator==(const TValues& O) const {
    for (int i = 0; i < kFieldCount; ++i)
      if (Null[i] != O.Null[i] || Text[i] != O.Text[i]) return false;
    return true;
  }
};

// The form an adopter would make.
class TOrdersForm : public TForm {
 public:
  TOrdersForm(TComponent* AOwner, bool RightToLeft, bool ExternalBar) : TForm(AOwner) {
    SetCaption("Orders");
    SetBounds(60, 40, 760, 520);
    Kinds = new TMemDataSet(this);
    Kinds->AddField("ID", ftInteger);
    Kinds->AddField("Label", ftString, 12);
    Kinds->CreateDataSet();
    for (auto& k : kKinds) {
      Kinds->Append();
      Kinds->FieldByName("ID")->SetAsString(k[0]);
      Kinds->FieldByName("Label")->SetAsString(k[1]);
      Kinds->Post();
    }
    Kinds->First();
    Orders = new TMemDataSet(this);
    Orders->AddField("ID", ftInteger);
    Orders->AddField("Name", ftString, 24);
    Orders->AddField("City", ftString, 24);
    Orders->AddField("KindID", ftInteger);
    Orders->AddLookupField("Kind", ftString, "KindID", Kinds, "ID", "Label", 12);
    Orders->AddField("Amount", ftFloat);
    Orders->AddField("Qty", ftInteger);
    Orders->AddField("Born", ftDate);
    Orders->AddField("Active", ftBoolean);
    Orders->AddField("Notes", ftMemo);
    Orders->CreateDataSet();
    const char* names[] = {"Ann", "Bob", "Cui", "Dora", "Émile", "Faye", "Gus", "Hana", "Ivo", "Jun"};
    for (int i = 1; i <= kRecords; ++i) {
      Orders->Append();
      Orders->FieldByName("ID")->SetAsInteger(i);
      Orders->FieldByName("Name")->SetAsString(std::string(names[i % 10]) + " " + std::to_string(i));
      Orders->FieldByName("City")->SetAsString(kCities[i % 5]);
      Orders->FieldByName("KindID")->SetAsInteger(1 + i % 4);
      Orders->FieldByName("Amount")->SetAsFloat((i * 37 % 1000) + (i % 4) * 0.25);
      Orders->FieldByName("Qty")->SetAsInteger(i % 9);
      Orders->FieldByName("Born")->SetAsDateTime(EncodeDate(1950 + i % 50, 1 + i % 12, 1 + i % 28));
      Orders->FieldByName("Active")->SetAsBoolean(i % 3 == 0);
      if (i % 7 == 0) Orders->FieldByName("Notes")->SetAsString("note " + std::to_string(i));
      Orders->Post();
    }
    Orders->First();
    NextID = kRecords + 1;
    Orders->FieldByName("ID")->SetReadOnly(true);
    // New orders are numbered here, as a program numbers them.
    Orders->OnNewRecord = [this](TDataSet* D) {
      D->FieldByName("ID")->SetReadOnly(false);
      D->FieldByName("ID")->SetAsInteger(NextID++);
      D->FieldByName("ID")->SetReadOnly(true);
    };
    Source = new TDataSource(this);
    Source->SetDataSet(Orders);

    Save = new TButton(this);
    Save->SetParent(this);
    Save->SetCaption("Save");
    Save->SetBounds(8, 8, 70, 24);
    Save->OnClick = [this](TObject*) {
      if (Orders->State() == dsEdit || Orders->State() == dsInsert) Orders->Post();
    };
    Cancel = new TButton(this);
    Cancel->SetParent(this);
    Cancel->SetCaption("Cancel");
    Cancel->SetBounds(86, 8, 70, 24);
    Cancel->OnClick = [this](TObject*) { Orders->Cancel(); };

    Grid = new TDBGridX(this);
    Grid->SetParent(this);
    Grid->SetBounds(0, 40, 740, 400);
    Grid->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
    Grid->SetUseMultiTitle(true);
    Grid->ColumnDefValues()->Title()->SetTitleButton(true);
    Grid->SetOptionsX(Grid->OptionsX() + TGridXExtOptions{gxoAutoSortMarking, gxoMultiSortMarking});
    auto o = Grid->Options();
    o.Include(gdoTabs);
    o.Include(gdoConfirmDelete);
    Grid->SetOptions(o);
    Grid->SetEditMemoFields(1);
    struct {
      const char* Field;
      const char* Caption;
      int Width;
    } cols[] = {{"ID", "Order|Number", 50},        {"Name", "Order|Who|Name", 110},   {"City", "Order|Who|City", 90},
                {"Kind", "Order|Who|Kind", 70},     {"Amount", "Figures|Money|Amount", 80}, {"Qty", "Figures|Count|Qty", 50},
                {"Born", "Figures|Dates|Born", 90}, {"Active", "State|Active", 50},    {"Notes", "State|Notes", 140}};
    for (auto& c : cols) {
      TColumnX* col = Grid->Columns()->Add();
      col->SetFieldName(c.Field);
      col->Title()->SetCaption(c.Caption);
      col->SetWidth(c.Width);
    }
    TColumnX* city = Grid->Columns()->Items(2);
    for (const char* s : kCities) city->PickList()->Add(s);
    Grid->Columns()->Items(4)->SetButtonStyle(cbsDropDown);  // the calculator
    Grid->Columns()->Items(6)->SetButtonStyle(cbsDropDown);  // the calendar
    Grid->Columns()->Items(7)->SetCheckboxes(true);
    Grid->SetFooterRowCount(1);
    TColumnFooterX* count = Grid->Columns()->Items(0)->Footer();
    count->SetValueType(fvtCount);
    count->SetDisplayFormat("0");
    TColumnFooterX* amount = Grid->Columns()->Items(4)->Footer();
    amount->SetValueType(fvtSum);
    amount->SetDisplayFormat("0.00");
    TColumnFooterX* qty = Grid->Columns()->Items(5)->Footer();
    qty->SetValueType(fvtSum);
    qty->SetDisplayFormat("0");
    Grid->SumList()->SetActiveX(true);
    Grid->STFilter()->SetVisible(true);
    // The program notes the conditions it applies (the tester's check reads them), then applies them.
    Grid->OnApplyFilterRow = [this](TObject*) {
      Applied.clear();
      for (int i = 0; i < Grid->Columns()->Count(); ++i) {
        TColumnX* c = Grid->Columns()->Items(i);
        Applied.push_back({c->FieldName(), c->STFilter()->Condition()});
      }
      Grid->ApplyFilter();
    };
    Grid->SetFrozenCols(1);
    Grid->SetDataSource(Source);
    if (ExternalBar) {
      Bar = new TScrollBar(this);
      Bar->SetParent(this);
      Bar->SetBounds(0, 444, 740, 16);
      Bar->SetAnchors(TAnchors{akLeft, akRight, akBottom});
      Grid->HorzScrollBar()->SetExtScrollBar(Bar);
    }
    if (RightToLeft) SetBiDiMode(bdRightToLeft);
    Ticker = new TTimer(this);
    Ticker->SetInterval(kTickMs);
    Ticker->OnTimer = [this](TObject*) { ++Ticks; };
    Ticker->SetEnabled(true);
  }

  struct TAppliedCondition {
    std::string Field;
    TSTFilterExpressionX Condition;
  };
  TMemDataSet* Kinds = nullptr;
  TMemDataSet* Orders = nullptr;
  TDataSource* Source = nullptr;
  TDBGridX* Grid = nullptr;
  TButton* Save = nullptr;
  TButton* Cancel = nullptr;
  TScrollBar* Bar = nullptr;
  TTimer* Ticker = nullptr;
  int Ticks = 0;
  int NextID = 1;
  std::vector<TAppliedCondition> Applied;
};

const char* const kStepNames[] = {"type",  "backspace", "arrow",   "page",     "home/end", "tab",      "F2",
                                  "Enter", "Esc",       "Ins",     "Ctrl+Del", "Ctrl+C",   "Ctrl+V",   "Alt+Down",
                                  "click cell", "click title", "size column", "move column", "click indicator",
                                  "scroll bar", "click in list", "wheel", "resize", "font", "filter", "Save",
                                  "Cancel", "timers"};

const char* const kWords[] = {"Ann", "Zoë", "李明", "𠀀𝒜", "😀x", "שלום", "مرحبا", "a b", "Q", "Lisbon", "ß"};

class GridSession : public Session {
 public:
  explicit GridSession(uint64_t Seed) {
    win::ResetWindowManager();
    clock_.Install();
    clock_.Set(1000000);
    dialogs_.Install();
    win::InstallClipboardBackend(&clip_);
    FormsUnit::Initialize();
    DBGridXUnit::Initialize();
    DBGridXClipboard::Initialize();
    Application->Initialize();
    Application->OnException = [this](TObject*, const std::exception& E) { exceptions_.push_back(E.what()); };
    rtl_ = (Seed % 4) == 1;
    bar_ = (Seed % 3) == 2;
    form_ = new TOrdersForm(Application, rtl_, bar_);
    form_->Show();
    ds_ = form_->Orders;
    grid_ = form_->Grid;
    Hook();
    Pump();
    grid_->SetFocus();
    Pump();
    ds_->First();
    for (int i = 0; i < ds_->RecordCount(); ++i) {
      ds_->BeginReadAt(i);
      TValues v = Read();
      ds_->EndReadAt();
      shadow_[std::stoi(v.Text[fID])] = v;
    }
  }
  ~GridSession() override {
    Application->OnException = nullptr;
    Application->DestroyForms();
    win::ResetWindowManager();
    DBGridXClipboard::Finalize();
    DBGridXUnit::Finalize();
    win::InstallClipboardBackend(nullptr);
    dialogs_.Uninstall();
    clock_.Uninstall();
  }

  std::string Describe(const Step& S) const override {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s", S.Kind >= 0 && S.Kind < gsKindCount ? kStepNames[S.Kind] : "?");
    return buf;
  }

  std::string State() override {
    TDBGridInplaceEdit* e = grid_->InplaceEditX();
    std::pair<int, int> c = CurrentCell();
    std::string s = "record " + std::to_string(c.first) + " " + (c.second >= 0 ? kFields[c.second] : "-") +
                    " state " + std::to_string(static_cast<int>(ds_->State())) + " row " + std::to_string(grid_->Row()) +
                    " col " + std::to_string(grid_->Col());
    if (e && e->EditVisible())
      s += " editor \"" + e->Text() + "\"" + (e->Modified() ? " modified" : "") + (e->ListShown() ? " list" : "");
    if (grid_->FilterEditing()) s += " filter-editing";
    for (auto& x : lastExceptions_) s += " error box \"" + x + "\"";
    s += events_;
    events_.clear();
    s += " focus " + std::to_string(reinterpret_cast<uintptr_t>(GetFocus()) % 10000);
    for (auto& [k, t] : pending_) s += " pending(" + std::to_string(k.first) + "," + kFields[k.second] + ")=\"" + t + "\"";
    return s;
  }

  void Play(const Step& S) override {
    failures_.clear();
    kind_ = S.Kind;
    filterBefore_ = grid_->FilterEditing() || S.Kind == gsFilter;
    filterTextBefore_ = grid_->FilterEditing() && grid_->FilterEditor() ? Trimmed(grid_->FilterEditor()->Text()) : "";
    marksBefore_ = MarksText();
    sortPendingBefore_ = grid_->SortMarkAdding();
    cancelAllowed_ = false;
    deleteAllowed_ = false;
    pasting_ = false;
    // What the cell editor showed before the step.
    TDBGridInplaceEdit* e = grid_->InplaceEditX();
    bool listWasOpen = e && e->EditVisible() && e->ListShown();
    std::string textBefore = e && e->EditVisible() ? e->Text() : std::string();
    std::pair<int, int> cellBefore = CurrentCell();
    bool editorBefore = e && e->EditVisible() && !grid_->FilterEditing();
    // An editor hidden only because its cell is out of view still holds the cell's text for Esc to drop.
    bool editorHeldBefore = e && (e->EditVisible() || grid_->EditorMode()) && !grid_->FilterEditing();
    // Esc reaches the cell editor only from the grid: with a button focused it goes to the button.
    HWND focusBefore = GetFocus();
    bool gridFocusedBefore = focusBefore && ((grid_->HandleAllocated() && focusBefore == grid_->Handle()) ||
                                             (e && e->HandleAllocated() && focusBefore == e->Handle()));
    int widthBefore = form_->Width(), heightBefore = form_->Height();
    MarkTouched();
    switch (S.Kind) {
      case gsType: TypeIntoCell(S); break;
      case gsBackspace: Press(VK_BACK); break;
      case gsArrow: {
        const UINT keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT};
        Press(keys[S.A % 4]);
        break;
      }
      case gsPage: Press(S.A % 2 ? VK_NEXT : VK_PRIOR); break;
      case gsHomeEnd: Press(S.A % 2 ? VK_END : VK_HOME, S.B % 2 == 1); break;
      case gsTab: Press(VK_TAB, false, S.A % 2 == 1); break;
      case gsF2: Press(VK_F2); break;
      case gsEnter:
        // Return on the focused Cancel button presses it: a cancel.
        cancelAllowed_ = form_->Cancel->HandleAllocated() && GetFocus() == form_->Cancel->Handle();
        Press(VK_RETURN);
        break;
      case gsEsc:
        cancelAllowed_ = true;
        Press(VK_ESCAPE);
        break;
      case gsInsert: Press(VK_INSERT); break;
      case gsDelete: {
        deleteAllowed_ = S.B % 2 == 1;
        cancelAllowed_ = true;  // deleting a record being edited throws its edits away
        dialogs_.PushResult(S.B % 2 ? IDOK : IDCANCEL);
        Press(VK_DELETE, true);
        break;
      }
      case gsCopy: Press('C', true); break;
      case gsPaste:
        pasting_ = true;
        Press('V', true);
        break;
      case gsAltDown: AltDown(); break;
      case gsClickCell: ClickCell(S); break;
      case gsClickTitle: ClickTitle(S); break;
      case gsSizeColumn: SizeColumn(S); break;
      case gsMoveColumn: MoveColumn(S); break;
      case gsClickIndicator: ClickIndicator(S); break;
      case gsScrollBar: ClickScrollBar(S); break;
      case gsClickList: ClickList(S); break;
      case gsWheel: {
        TPoint p = ScreenOf(grid_, grid_->Width() / 2, grid_->Height() / 2);
        if (e && e->EditVisible() && e->ListShown() && e->DropDownControl())
          p = ScreenOf(e->DropDownControl(), e->DropDownControl()->Width() / 2, e->DropDownControl()->Height() / 2);
        input_.Wheel(p, S.A % 2 ? 120 : -120);
        break;
      }
      case gsResize: {
        int w = 420 + static_cast<int>(S.A % 500), h = 240 + static_cast<int>(S.B % 400);
        form_->SetBounds(form_->Left(), form_->Top(), w, h);
        break;
      }
      case gsFont: grid_->Font()->SetSize(7 + static_cast<int>(S.A % 9)); break;
      case gsFilter: TypeFilter(S); break;
      case gsSave: ClickButton(form_->Save); break;
      case gsCancel:
        cancelAllowed_ = true;
        ClickButton(form_->Cancel);
        break;
      case gsTimers: {
        int ms = 100 + static_cast<int>(S.A % 2900);
        int before = form_->Ticks;
        Advance(static_cast<uint64_t>(ms));
        int got = form_->Ticks - before;
        if (got < ms / kTickMs - 1)
          failures_.push_back("the form's timer ticked " + std::to_string(got) + " times in " + std::to_string(ms) + " ms");
        break;
      }
      default: break;
    }
    Advance(40);  // a user's pace between steps; timers due meanwhile fire
    // The message boxes this step brought up; a delete's question is asked only by Ctrl+Del.
    for (const win::DialogRequest& r : dialogs_.Requests()) {
      bool question = S.Kind == gsDelete && r.text.find("Delete") != std::string::npos;
      if (!question) failures_.push_back("unexpected message box: " + r.text);
    }
    dialogs_.Clear();
    // Esc that only closed a list keeps the typed text; Esc on the editor itself restores the cell.
    // The cell then holds what an earlier move committed, if anything: that is still to be posted.
    if (S.Kind == gsEsc && editorHeldBefore && gridFocusedBefore && !listWasOpen) {
      pending_.erase(cellBefore);
      bool editing = (ds_->State() == dsEdit || ds_->State() == dsInsert) && CurrentID() == cellBefore.first;
      if (editing && cellBefore.second > 0) {
        auto sh = shadow_.find(cellBefore.first);
        auto b = base_.find(cellBefore.first);
        const TValues* was = sh != shadow_.end() ? &sh->second : b != base_.end() ? &b->second : nullptr;
        std::string held = FieldText(cellBefore.second);
        std::string before = was ? (cellBefore.second == fKindID ? held : was->Text[cellBefore.second]) : held;
        if (held != before) pending_[cellBefore] = held;
      }
    }
    // A step that changes no text must leave the editor's text of the same cell as it was typed.
    e = grid_->InplaceEditX();
    std::pair<int, int> cell = CurrentCell();
    // The cell editor counts while it has the focus, even when the grid still says a filter cell is edited.
    bool editorNow = e && e->EditVisible() && cell.first > 0 &&
                     (!grid_->FilterEditing() || (e->HandleAllocated() && GetFocus() == e->Handle()));
    bool textStep = S.Kind == gsType || S.Kind == gsBackspace || S.Kind == gsPaste || S.Kind == gsClickList ||
                    S.Kind == gsEnter || S.Kind == gsAltDown || S.Kind == gsArrow || S.Kind == gsPage ||
                    S.Kind == gsHomeEnd || S.Kind == gsWheel || S.Kind == gsDelete || S.Kind == gsF2 ||
                    S.Kind == gsClickCell;
    if (editorNow) {
      auto it = pending_.find(cell);
      if (it != pending_.end() && e->Text() != it->second && !textStep && !Same(cell.second, e->Text(), it->second) &&
          !ShowsBrowsedItem(e))
        failures_.push_back("the editor of record " + std::to_string(cell.first) + " " + kFields[cell.second] +
                            " shows \"" + e->Text() + "\" after typing \"" + it->second + "\"");
      // A list moved through sets the text without marking it modified: what is shown is what counts once
      // the list closes with it. While the pick or lookup list stays open the shown item is only browsed
      // to: a close without a pick goes back to the text from before (and a pick is a step of its own).
      // (A key that left the browsed item as it was, a Backspace the list took, browses no less.)
      bool browsing = listWasOpen && ShowsBrowsedItem(e) &&
                      (S.Kind == gsArrow || S.Kind == gsPage || S.Kind == gsHomeEnd || S.Kind == gsWheel ||
                       (e->Text() == textBefore && !e->Modified()));
      if (!browsing &&
          ((e->Modified() && it == pending_.end()) || (textStep && (e->Modified() || it != pending_.end()))))
        pending_[cell] = e->Text();
    }
    // A resize (larger or smaller), a font change or the clock keeps an open editor open: the grid
    // lays its rows out again around the cell being edited.
    // Only when the frozen columns alone fill the client width is there no room for the edited cell:
    // the editor keeps its mode and text, hidden as for any cell out of view, and shows again as soon
    // as the cell has room.
    bool keeps = S.Kind == gsResize || S.Kind == gsFont || S.Kind == gsTimers;
    bool keptWithoutRoom = awaitingRoom_ && keeps;
    awaitingRoom_ = false;
    if (keptWithoutRoom && e && e->EditVisible() && e->Text() != awaitingText_)
      failures_.push_back("the cell editor came back with \"" + e->Text() + "\" after \"" + awaitingText_ +
                          "\" when its cell had room again");
    if ((editorBefore || keptWithoutRoom) && keeps && !(e && e->EditVisible()) && grid_->EditorMode() &&
        CurrentCell() == cellBefore && !EditedCellHasRoom()) {
      if (!keptWithoutRoom) awaitingText_ = textBefore;
      awaitingRoom_ = true;
    } else if ((editorBefore || keptWithoutRoom) && keeps && !(e && e->EditVisible())) {
      const char* what = S.Kind == gsTimers ? "timer step"
                         : S.Kind == gsFont ? "font change"
                         : form_->Width() >= widthBefore && form_->Height() >= heightBefore ? "resize"
                                                                                           : "smaller resize";
      failures_.push_back(std::string("the cell editor closed on a ") + what);
    }
    MarkTouched();
  }

  std::string Check(const Step& S) override {
    (void)S;
    if (!failures_.empty()) return failures_.front();
    for (const std::string& x : exceptions_) {
      // A value the field cannot take is the user's error, told in a box; so is a filter text the
      // parser cannot read, while a filter cell is edited. Anything else is ours.
      if (x.find("is not a valid") == std::string::npos && !FilterSyntaxError(x))
        return "exception reached the application: " + x;
    }
    // A title click moves its sort mark before the rows are sorted; when sorting raises (the edited
    // record cannot be posted) the marks stay ahead of the order until a later sort goes through.
    bool sortTried = MarksText() != marksBefore_ || sortPendingBefore_;
    if (sortTried && !grid_->SortMarkAdding()) sortRefused_ = !exceptions_.empty();
    lastExceptions_ = exceptions_;
    exceptions_.clear();
    // The focus is in a control that can be seen.
    HWND f = GetFocus();
    if (f && !IsWindowVisible(f)) {
      TWinControl* c = TWinControl::FindControl(f);
      return "a hidden window holds the focus (" + (c ? c->ClassName() : std::string("?")) + ")";
    }
    // The grid's current row shows the data set's current record.
    bool browsing = ds_->State() == dsBrowse;
    if (!ds_->IsEmpty() && !grid_->FilterEditing()) {
      int want = grid_->TitleOffset() + grid_->DataLink()->ActiveRecord();
      if (grid_->Row() != want)
        return "grid row " + std::to_string(grid_->Row()) + " but the current record is in row " + std::to_string(want);
    }
    // Frozen columns are never current.
    if (grid_->FrozenCols() > 0 && grid_->Col() < grid_->IndicatorOffset() + grid_->FrozenCols() &&
        grid_->ColCount() > grid_->IndicatorOffset() + grid_->FrozenCols())
      return "the current column " + std::to_string(grid_->Col()) + " is a frozen one";
    // The cell editor lies over the current cell and edits the current record.
    TDBGridInplaceEdit* e = grid_->InplaceEditX();
    if (e && e->EditVisible() && !grid_->FilterEditing()) {
      if (grid_->Col() < grid_->IndicatorOffset() + grid_->FrozenCols()) return "the editor is open on a frozen column";
      TRect cell = grid_->CellRect(grid_->Col(), grid_->Row());
      TRect box = e->BoundsRect();
      int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
      if (cell.Right > cell.Left && (cx < cell.Left || cx > cell.Right || cy < cell.Top || cy > cell.Bottom))
        return "the editor lies at " + RectText(box) + " off the current cell " + RectText(cell);
      // With a list dropped down the editor shows the item moved to, unmodified, until the list closes:
      // accepted it is stored, not accepted the cell's text comes back.
      if (!e->Modified() && browsing && !e->ListShown() && e->Text() != grid_->CurrentEditText() &&
          !ShowsBrowsedItem(e))
        return "the editor shows \"" + e->Text() + "\" over a cell holding \"" + grid_->CurrentEditText() + "\"";
    }
    // Typed text not yet posted is still in the record being edited.
    for (auto& [key, text] : pending_) {
      bool editorOnIt = e && e->EditVisible() && CurrentCell() == key &&
                        (!grid_->FilterEditing() || (e->HandleAllocated() && GetFocus() == e->Handle()));
      if (editorOnIt) continue;
      // A cell scrolled out of view hides its editor, which stays in editor mode and keeps the text to
      // store when the edit ends; the text is not lost while that editor still holds it.
      TRect cellNow = grid_->CellRect(grid_->Col(), grid_->Row());
      bool heldOutOfView = e && !e->EditVisible() && grid_->EditorMode() && !grid_->FilterEditing() &&
                           cellNow.Right <= cellNow.Left && CurrentCell() == key && e->Text() == text;
      if (heldOutOfView) continue;
      bool editingIt = (ds_->State() == dsEdit || ds_->State() == dsInsert) && CurrentID() == key.first;
      if (!editingIt)
        return "typed \"" + text + "\" into record " + std::to_string(key.first) + " " + kFields[key.second] +
               " was lost (neither posted nor cancelled)";
      std::string now = FieldText(key.second);
      if (!Same(key.second, now, text))
        return "typed \"" + text + "\" into record " + std::to_string(key.first) + " " + kFields[key.second] +
               " but the record holds \"" + now + "\"";
    }
    // Pop-ups lie on the screen.
    if (e && e->EditVisible() && e->ListShown() && e->DropDownControl() && e->DropDownControl()->Visible()) {
      RECT r{};
      GetWindowRect(e->DropDownControl()->Handle(), &r);
      int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
      if (r.left < 0 || r.top < 0 || r.right > sw || r.bottom > sh) return "a pop-up lies off the screen";
    }
    if (browsing) {
      std::string s = CheckData();
      if (!s.empty()) return s;
    }
    return std::string();
  }

 private:
  // ---- input
  void Advance(uint64_t Ms) { session::Advance(clock_, Ms); }
  void Press(UINT Vk, bool Ctrl = false, bool Shift = false) {
    input_.Key(Vk, Ctrl, Shift);
    Pump();
  }
  void AltDown() {
    input_.AltKey(VK_DOWN);
    Pump();
  }
  TPoint ScreenOf(TControl* C, int X, int Y) { return C->ClientToScreen(TPoint(X, Y)); }
  void ClickAt(TPoint P, bool Double = false) {
    input_.Click(P);
    Pump();
    if (Double) {
      input_.Click(P);
      Pump();
    }
  }
  void ClickButton(TButton* B) { ClickAt(ScreenOf(B, B->Width() / 2, B->Height() / 2)); }

  // ---- the form as it is now
  int CurrentID() {
    if (!ds_->Active() || (ds_->IsEmpty() && ds_->State() != dsInsert)) return 0;
    TField* f = ds_->FieldByName("ID");
    return f->IsNull() ? 0 : f->AsInteger();
  }
  // The field index the current column writes (the lookup column writes KindID), -1 for none.
  int FieldIndexOf(TColumnX* C) {
    if (!C) return -1;
    std::string n = C->FieldName();
    if (n == "Kind") return fKindID;
    for (int i = 0; i < kFieldCount; ++i)
      if (n == kFields[i]) return i;
    return -1;
  }
  std::pair<int, int> CurrentCell() {
    int dc = grid_->GetSelectedIndex();
    TColumnX* c = dc >= 0 && dc < grid_->Columns()->Count() ? grid_->Columns()->Items(dc) : nullptr;
    return {CurrentID(), FieldIndexOf(c)};
  }
  TColumnX* CurrentColumn() {
    int dc = grid_->GetSelectedIndex();
    return dc >= 0 && dc < grid_->Columns()->Count() ? grid_->Columns()->Items(dc) : nullptr;
  }
  TValues Read() {
    TValues v;
    for (int i = 0; i < kFieldCount; ++i) {
      TField* f = ds_->FieldByName(kFields[i]);
      v.Null[i] = f->IsNull();
      v.Text[i] = v.Null[i] ? std::string() : f->AsString();
    }
    return v;
  }
  // The current record's value of a field as the user would type it (the lookup column's shown text).
  std::string FieldText(int I) {
    if (I == fKindID) return ds_->FieldByName("Kind")->AsString();
    return ds_->FieldByName(kFields[I])->AsString();
  }
  static std::string Trimmed(const std::string& T) {
    size_t a = 0, b = T.size();
    while (a < b && static_cast<unsigned char>(T[a]) <= 32) ++a;
    while (b > a && static_cast<unsigned char>(T[b - 1]) <= 32) --b;
    return T.substr(a, b - a);
  }
  // A condition typed badly into a filter cell is refused with the parser's message followed by the
  // whole text, trimmed, as it stands in the filter editor; only a step that began in a filter cell
  // (or typed one) stores such a text: the one it ends in, or the one it began in and left for
  // another filter cell.
  bool FilterSyntaxError(const std::string& X) const {
    static const char* const kSyntax[] = {"Quote is absent: ",
                                          "'(' expected: ",
                                          "')' expected: ",
                                          "Error in expression: ",
                                          "Unexpected expression before Null: ",
                                          "Unexpected expression after operator: ",
                                          "Incorrect expression: ",
                                          "Unexpected AND or OR: "};
    if (!filterBefore_ || !grid_->FilterEditor()) return false;
    const std::string text = Trimmed(grid_->FilterEditor()->Text());
    for (const char* m : kSyntax)
      if (X == m + text || (!filterTextBefore_.empty() && X == m + filterTextBefore_)) return true;
    return false;
  }
  // The sort marks in their order, with their directions.
  std::string MarksText() {
    std::string t;
    for (TColumnX* c : grid_->SortMarkedColumns())
      if (c) t += c->FieldName() + (c->Title()->SortMarker() == smUpX ? "-" : "+") + ";";
    return t;
  }
  // Whether a field's text and a typed text say the same value.
  bool Same(int I, const std::string& Held, const std::string& Typed) {
    if (Held == Typed) return true;
    try {
      if (I == fAmount) return !Typed.empty() && !Held.empty() && std::fabs(StrToFloat(Held) - StrToFloat(Typed)) < 1e-9;
      if (I == fQty) return !Typed.empty() && !Held.empty() && StrToInt(Held) == StrToInt(Typed);
      if (I == fBorn) return !Typed.empty() && !Held.empty() && StrToDate(Held) == StrToDate(Typed);
    } catch (...) {
    }
    return false;
  }
  // Whether the editor shows the item its open pick or lookup list is on (browsed to, not yet picked).
  static bool ShowsBrowsedItem(TDBGridInplaceEdit* E) {
    if (!E || !E->ListShown()) return false;
    if (E->DropDownControl() && E->DropDownControl() == E->PickListControl()) {
      int i = E->PickListControl()->ItemIndex();
      return i >= 0 && E->PickListControl()->Items()->Strings(i) == E->Text();
    }
    if (E->DropDownControl() && E->DropDownControl() == E->LookupList()) return E->LookupList()->SelectedText() == E->Text();
    return false;
  }
  void MarkTouched() {
    std::pair<int, int> c = CurrentCell();
    if (c.first <= 0 || c.second < 0) return;
    // Values chosen rather than typed: the check box, the lists, the calendar and the calculator.
    if (c.second == fActive || c.second == fCity || c.second == fKindID || c.second == fAmount || c.second == fBorn)
      touched_.insert(c);
  }

  // ---- the data set's events: the shadow copy changes only through posts
  // The tester listens beside the handlers already there (the grid's sum list hooks the same events).
  static void Chain(TDataSetNotifyEvent& Event, TDataSetNotifyEvent Mine) {
    TDataSetNotifyEvent before = Event;
    Event = [before, Mine](TDataSet* D) {
      Mine(D);
      if (before) before(D);
    };
  }
  void Hook() {
    Chain(ds_->AfterInsert, [this](TDataSet*) { base_[CurrentID()] = Read(); });
    Chain(ds_->BeforePost, [this](TDataSet*) {
      int id = CurrentID();
      TValues now = Read();
      // Kept for AfterPost: a record the filter does not pass is no longer current there.
      postingId_ = id;
      posting_ = now;
      auto sh = shadow_.find(id);
      const TValues* was = sh != shadow_.end() ? &sh->second : nullptr;
      auto b = base_.find(id);
      if (!was && b != base_.end()) was = &b->second;
      if (!was) {
        failures_.push_back("posting a record " + std::to_string(id) + " that was never inserted");
        return;
      }
      if (pasting_) return;  // a paste writes the clipboard's cells over the records it covers
      for (int i = 1; i < kFieldCount; ++i) {
        auto p = pending_.find({id, i});
        std::string typedText;
        if (p != pending_.end()) {
          std::string held = i == fKindID ? ds_->FieldByName("Kind")->AsString() : now.Text[i];
          if (!Same(i, held, p->second))
            failures_.push_back("record " + std::to_string(id) + " " + kFields[i] + " posted as \"" + held +
                                "\" after \"" + p->second + "\" was typed");
          continue;
        }
        // An empty text stored over a null one (a cell edited back to nothing) changes no text field.
        bool text = i == fName || i == fCity || i == fNotes;
        bool changed = (!text && now.Null[i] != was->Null[i]) || now.Text[i] != was->Text[i];
        if (changed && !touched_.count({id, i}))
          failures_.push_back("record " + std::to_string(id) + " " + kFields[i] + " changed from \"" + was->Text[i] +
                              "\" to \"" + now.Text[i] + "\" though nobody edited it");
      }
    });
    Chain(ds_->AfterPost, [this](TDataSet*) {
      int id = postingId_;
      events_ += " posted " + std::to_string(id);
      shadow_[id] = posting_;
      base_.erase(id);
      Forget(id);
    });
    Chain(ds_->BeforeCancel, [this](TDataSet*) {
      int id = CurrentID();
      events_ += " cancelled " + std::to_string(id);
      if (!cancelAllowed_) {
        for (auto& [key, text] : pending_)
          if (key.first == id && !text.empty())  // typed and erased again: nothing to keep
            failures_.push_back("the edit of record " + std::to_string(id) + " holding typed \"" + text +
                                "\" was cancelled by a step that does not cancel");
      }
      base_.erase(id);
      Forget(id);
    });
    Chain(ds_->BeforeDelete, [this](TDataSet*) {
      int id = CurrentID();
      if (!deleteAllowed_) failures_.push_back("record " + std::to_string(id) + " deleted by a step that does not delete");
      deleting_ = id;
    });
    Chain(ds_->AfterDelete, [this](TDataSet*) {
      shadow_.erase(deleting_);
      Forget(deleting_);
    });
  }
  void Forget(int Id) {
    for (auto it = pending_.begin(); it != pending_.end();) it = it->first.first == Id ? pending_.erase(it) : std::next(it);
    for (auto it = touched_.begin(); it != touched_.end();) it = it->first == Id ? touched_.erase(it) : std::next(it);
  }

  // ---- checks over the whole data set, in browse state
  std::string CheckData() {
    int n = ds_->RecordCount();
    std::vector<int> view;
    view.reserve(static_cast<size_t>(n));
    std::set<int> seen;
    for (int i = 0; i < n; ++i) {
      if (!ds_->BeginReadAt(i)) return "record " + std::to_string(i) + " of the view cannot be read";
      TValues v = Read();
      ds_->EndReadAt();
      int id = v.Null[fID] ? 0 : std::stoi(v.Text[fID]);
      auto sh = shadow_.find(id);
      if (sh == shadow_.end()) return "record " + std::to_string(id) + " is in the data set but was never posted";
      if (!(sh->second == v)) {
        for (int f = 0; f < kFieldCount; ++f)
          if (sh->second.Text[f] != v.Text[f] || sh->second.Null[f] != v.Null[f])
            return "record " + std::to_string(id) + " " + kFields[f] + " holds \"" + v.Text[f] + "\" but \"" +
                   sh->second.Text[f] + "\" was posted";
      }
      if (!seen.insert(id).second) return "record " + std::to_string(id) + " shows twice";
      view.push_back(id);
    }
    // The filter: the records shown are those the applied conditions pass.
    bool judged = true;
    for (auto& [id, v] : shadow_) {
      int verdict = Passes(v);
      if (verdict < 0) {
        judged = false;
        break;
      }
      if ((verdict == 1) != (seen.count(id) == 1))
        return "record " + std::to_string(id) + (verdict ? " passes the filter but is not shown" : " is shown but fails the filter");
    }
    (void)judged;
    // Footers: the count of the records shown and the sums of their amounts and quantities.
    double sum = 0;
    long long qty = 0;
    for (int id : view) {
      const TValues& v = shadow_[id];
      if (!v.Null[fAmount]) sum += StrToFloat(v.Text[fAmount]);
      if (!v.Null[fQty]) qty += std::stoll(v.Text[fQty]);
    }
    std::string t;
    grid_->GetFooterText(0, grid_->Columns()->Items(ColumnOf("ID")), t);
    if (t != std::to_string(view.size())) return "the count footer shows " + t + " for " + std::to_string(view.size()) + " records";
    t.clear();
    grid_->GetFooterText(0, grid_->Columns()->Items(ColumnOf("Qty")), t);
    if (t != std::to_string(qty)) return "the Qty footer shows " + t + " but the records sum to " + std::to_string(qty);
    t.clear();
    grid_->GetFooterText(0, grid_->Columns()->Items(ColumnOf("Amount")), t);
    char want[64];
    std::snprintf(want, sizeof want, "%.2f", sum);
    if (std::fabs(std::strtod(t.c_str(), nullptr) - sum) > 0.0051)
      return "the Amount footer shows " + t + " but the records sum to " + want;
    // Sort marks: the records follow the first marked column when it holds numbers, dates or flags.
    std::vector<TColumnX*>& marked = grid_->SortMarkedColumns();
    if (!marked.empty() && marked[0] && !sortRefused_) {
      int fi = FieldIndexOf(marked[0]);
      bool desc = marked[0]->Title()->SortMarker() == smUpX;
      if (fi == fID || fi == fAmount || fi == fQty || fi == fBorn || fi == fActive) {
        for (size_t i = 1; i < view.size(); ++i) {
          double a = SortValue(shadow_[view[i - 1]], fi), b = SortValue(shadow_[view[i]], fi);
          if (desc ? a < b : a > b)
            return std::string("records ") + std::to_string(view[i - 1]) + " and " + std::to_string(view[i]) +
                   " are out of the order of the sort mark on " + kFields[fi];
        }
      }
    }
    return std::string();
  }
  double SortValue(const TValues& V, int I) {
    if (V.Null[I]) return -1e300;
    if (I == fBorn) return StrToDate(V.Text[I]);
    if (I == fActive) return V.Text[I] == "True" ? 1 : 0;
    return StrToFloat(V.Text[I]);
  }
  int ColumnOf(const std::string& Field) {
    for (int i = 0; i < grid_->Columns()->Count(); ++i)
      if (grid_->Columns()->Items(i)->FieldName() == Field) return i;
    return 0;
  }
  // 1 when the record passes every applied condition, 0 when one fails it, -1 when a condition is of a
  // kind this check does not judge.
  int Passes(const TValues& V) {
    for (auto& a : form_->Applied) {
      const TSTFilterExpressionX& c = a.Condition;
      if (c.Operator1 == stoNone) continue;
      int fi = -1;
      for (int i = 0; i < kFieldCount; ++i)
        if (a.Field == kFields[i]) fi = i;
      if (fi < 0 || (fi != fID && fi != fAmount && fi != fQty && fi != fCity && fi != fName)) return -1;
      bool numeric = fi != fCity && fi != fName;
      auto one = [&](TSTFilterOperatorX Op, const Variant& Operand) -> int {
        if (V.Null[fi]) return 0;
        int cmp;
        if (numeric) {
          double x = StrToFloat(V.Text[fi]), y = 0;
          try {
            y = Operand.AsDouble();
          } catch (...) {
            return -1;  // a text condition on a number column: not judged here
          }
          cmp = x < y ? -1 : x > y ? 1 : 0;
        } else {
          std::string y = Operand.AsString();
          // Text conditions are judged only on plain letters, whose order has no locale in it.
          for (char ch : V.Text[fi] + y)
            if (static_cast<unsigned char>(ch) >= 0x80) return -1;
          if (Op != stoEqual && Op != stoNotEqual) return -1;
          cmp = V.Text[fi] == y ? 0 : 1;
        }
        switch (Op) {
          case stoEqual: return cmp == 0;
          case stoNotEqual: return cmp != 0;
          case stoGreater: return cmp > 0;
          case stoLess: return cmp < 0;
          case stoGreaterEqual: return cmp >= 0;
          case stoLessEqual: return cmp <= 0;
          default: return -1;
        }
      };
      int first = one(c.Operator1, c.Operand1);
      if (first < 0) return -1;
      int result = first;
      if (c.Link == stoAnd || c.Link == stoOr) {
        int second = one(c.Operator2, c.Operand2);
        if (second < 0) return -1;
        result = c.Link == stoAnd ? (first && second) : (first || second);
      } else if (c.Link != stoNone) {
        return -1;
      }
      if (!result) return 0;
    }
    return 1;
  }

  // ---- steps that need the form's geometry
  void TypeIntoCell(const Step& S) {
    TColumnX* c = CurrentColumn();
    int fi = FieldIndexOf(c);
    TDBGridInplaceEdit* e = grid_->InplaceEditX();
    bool open = e && e->EditVisible();
    std::string text;
    bool replace = false;
    switch (fi) {
      case fAmount: text = open ? std::to_string(S.B % 10) : std::to_string(S.B % 5000) + (S.C % 2 ? ".25" : ""); break;
      case fQty: text = std::to_string(S.B % 10); break;
      case fBorn:
        text = DateToStr(EncodeDate(1940 + static_cast<int>(S.B % 80), 1 + static_cast<int>(S.C % 12), 1 + static_cast<int>(S.A % 28)));
        replace = open;
        break;
      case fKindID: {
        const char* k = kKinds[S.B % 4][1];
        text = std::string(k).substr(0, 1 + S.C % 3);
        replace = open;
        break;
      }
      case fActive: text = " "; break;
      case fCity: text = S.C % 3 ? Utf8Left(kCities[S.B % 8], 2) : kCities[S.B % 8]; break;
      default: text = kWords[S.B % (sizeof kWords / sizeof kWords[0])]; break;
    }
    if (grid_->FilterEditing()) text = kWords[S.B % 3];
    if (replace) {
      Press(VK_END);
      Press(VK_HOME, false, true);
    }
    input_.Chars(text);
    Pump();
  }
  // A visible data row and column picked by A and B.
  int PickRow(uint32_t A) {
    int rows = std::max(1, std::min(grid_->VisibleDataRowCount(), grid_->RowCount() - grid_->TitleOffset()));
    return grid_->TopRow() + static_cast<int>(A % static_cast<uint32_t>(rows));
  }
  int PickCol(uint32_t B) {
    std::vector<int> cols;
    for (int i = grid_->IndicatorOffset(); i < grid_->IndicatorOffset() + grid_->FrozenCols(); ++i) cols.push_back(i);
    int vis = std::max(1, grid_->VisibleColCount());
    for (int i = grid_->LeftCol(); i < grid_->ColCount() && i < grid_->LeftCol() + vis; ++i) cols.push_back(i);
    return cols[B % cols.size()];
  }
  TPoint CellPoint(int C, int R, int Dx = 0) {
    TRect r = grid_->CellRect(C, R);
    return ScreenOf(grid_, (r.Left + r.Right) / 2 + Dx, (r.Top + r.Bottom) / 2);
  }
  void ClickCell(const Step& S) {
    int r = PickRow(S.A), c = PickCol(S.B);
    // Two clicks are two clicks on the box (the columns step on a true double click only when
    // asked to): each toggles the record shown under the mouse as it is pressed, and the second
    // may meet another record when the first one's post lays the rows out again.
    TPoint p = CellPoint(c, r);
    MarkClickedBox(c, r);
    ClickAt(p);
    if (S.C % 6 == 0) {
      MarkClickedBox(c, r);
      ClickAt(p);
    }
  }
  // A click on a check-box cell toggles the record that row shows, which need not be the current one
  // before or after the step.
  void MarkClickedBox(int C, int R) {
    int dc = grid_->RawToDataColumn(C);
    if (dc < 0 || dc >= grid_->Columns()->Count() || FieldIndexOf(grid_->Columns()->Items(dc)) != fActive) return;
    TGridDataLinkX* link = grid_->DataLink();
    int rec = R - grid_->TitleOffset();
    if (!link->Active() || rec < 0 || rec >= link->RecordCount()) return;
    const int saved = link->ActiveRecord();
    link->SetActiveRecord(rec);
    int id = CurrentID();
    link->SetActiveRecord(saved);
    if (id > 0) touched_.insert({id, fActive});
  }
  void ClickTitle(const Step& S) {
    int c = PickCol(S.B);
    TRect r = grid_->CellRect(c, 0);
    TPoint p = ScreenOf(grid_, (r.Left + r.Right) / 2, r.Bottom - 4);
    if (S.C % 2) input_.HoldCtrl(true);
    ClickAt(p);
    if (S.C % 2) input_.HoldCtrl(false);
    Pump();
  }
  void SizeColumn(const Step& S) {
    int c = PickCol(S.B);
    TRect r = grid_->CellRect(c, 0);
    int edge = rtl_ ? r.Left : r.Right - 1;
    TPoint p = ScreenOf(grid_, edge, r.Bottom - 4);
    input_.Drag(p, TPoint(p.X + static_cast<int>(S.A % 100) - 40, p.Y));
    Pump();
  }
  void MoveColumn(const Step& S) {
    int c = PickCol(S.B);
    TRect r = grid_->CellRect(c, 0);
    TPoint p = ScreenOf(grid_, (r.Left + r.Right) / 2, r.Bottom - 4);
    int dx = (S.A % 2 ? 1 : -1) * (40 + static_cast<int>(S.C % 120));
    input_.Drag(p, TPoint(p.X + dx, p.Y), 3);
    Pump();
  }
  void ClickIndicator(const Step& S) { ClickAt(CellPoint(0, PickRow(S.A)), S.C % 6 == 0); }
  void ClickScrollBar(const Step& S) {
    RECT w{};
    if (form_->Bar && S.C % 2) {
      GetWindowRect(form_->Bar->Handle(), &w);
      int x = w.left + 4 + static_cast<int>(S.A % static_cast<uint32_t>(std::max<LONG>(1, w.right - w.left - 8)));
      ClickAt(TPoint(x, (w.top + w.bottom) / 2));
      return;
    }
    GetWindowRect(grid_->Handle(), &w);
    if (S.B % 2) {  // the vertical bar, on the left when right to left
      int x = rtl_ ? w.left + 8 : w.right - 8;
      int y = w.top + 4 + static_cast<int>(S.A % static_cast<uint32_t>(std::max<LONG>(1, w.bottom - w.top - 8)));
      ClickAt(TPoint(x, y));
    } else {
      int x = w.left + 4 + static_cast<int>(S.A % static_cast<uint32_t>(std::max<LONG>(1, w.right - w.left - 8)));
      ClickAt(TPoint(x, w.bottom - 8));
    }
  }
  void ClickList(const Step& S) {
    TDBGridInplaceEdit* e = grid_->InplaceEditX();
    TWinControl* list = e && e->EditVisible() && e->ListShown() ? e->DropDownControl() : nullptr;
    if (!list || !list->Visible()) {
      ClickCell(S);
      return;
    }
    int x = 4 + static_cast<int>(S.A % static_cast<uint32_t>(std::max(1, list->ClientWidth() - 8)));
    int y = 4 + static_cast<int>(S.B % static_cast<uint32_t>(std::max(1, list->ClientHeight() - 8)));
    ClickAt(ScreenOf(list, x, y));
  }
  void TypeFilter(const Step& S) {
    static const char* const conditions[][4] = {{"> 100", "< 50", ">= 20 and <= 200", ""},
                                                {"= Ann 1", "<> Bob 2", "", ""},
                                                {"= Oslo", "<> Lima", "= Kyiv", ""},
                                                {"", "", "", ""},
                                                {"> 500", "< 250.5", "> 100 and < 300", ""},
                                                {"= 3", "<> 3", "> 4", ""},
                                                {"", "", "", ""},
                                                {"", "", "", ""},
                                                {"", "", "", ""}};
    int c = PickCol(S.B);
    int dc = grid_->RawToDataColumn(c);
    if (dc < 0) return;
    TColumnX* col = grid_->Columns()->Items(dc);
    int fi = ColumnOf(col->FieldName());
    (void)fi;
    int row = grid_->FilterGridRow();
    if (row < 0) return;
    ClickAt(CellPoint(c, row));
    int which = static_cast<int>(S.A % 4);
    std::string text = dc < 9 ? conditions[dc][which] : "";
    if (!grid_->FilterEditing()) return;
    Press(VK_END);
    for (size_t i = 0, n = grid_->FilterEditor() ? grid_->FilterEditor()->Text().size() : 0; i < n; ++i) Press(VK_BACK);
    if (!text.empty()) input_.Chars(text);
    Pump();
    Press(VK_RETURN);
  }

  win::FakeClock clock_;
  win::ScriptedDialogs dialogs_;
  win::MemoryClipboard clip_;
  Input input_;
  TOrdersForm* form_ = nullptr;
  TMemDataSet* ds_ = nullptr;
  TDBGridX* grid_ = nullptr;
  bool rtl_ = false, bar_ = false;
  int kind_ = 0;
  bool filterBefore_ = false;
  std::string filterTextBefore_;  // the filter editor's text, trimmed, when the step began in it
  std::string marksBefore_;
  bool sortPendingBefore_ = false, sortRefused_ = false;
  bool cancelAllowed_ = false, deleteAllowed_ = false, pasting_ = false;
  bool awaitingRoom_ = false;  // the cell editor is kept hidden: the frozen columns fill the client width
  std::string awaitingText_;   // and the text it showed

  // False when the fixed columns (indicator and frozen) reach across the whole client width, so that
  // no scrollable cell, the current one included, can be shown.
  bool EditedCellHasRoom() {
    int fixed = 0;
    for (int i = 0; i < grid_->FixedCols(); ++i) fixed += grid_->ColWidths(i) + grid_->GridLineWidth();
    return fixed < grid_->ClientWidth() || !grid_->CellRect(grid_->Col(), grid_->Row()).IsEmpty();
  }
  int deleting_ = 0, postingId_ = 0;
  TValues posting_;
  std::map<int, TValues> shadow_, base_;
  std::map<std::pair<int, int>, std::string> pending_;
  std::set<std::pair<int, int>> touched_;
  std::vector<std::string> failures_, exceptions_, lastExceptions_;
  std::string events_;

  static std::string RectText(const TRect& R) {
    return "(" + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
           std::to_string(R.Bottom) + ")";
  }
};

}  // namespace

bool AwaitingMend(const char* Name) {
  const char* v = std::getenv("TRESSORA_SESSION_AWAITING");
  if (!v || !*v || std::string(v) == "0") return false;
  std::string all = std::string(",") + v + ",";
  return all == ",1," || all == ",all," || all.find(std::string(",") + Name + ",") != std::string::npos;
}

std::vector<KindWeight> GridWeights() {
  return {{gsType, 20},      {gsBackspace, 4},  {gsArrow, 16},      {gsPage, 4},        {gsHomeEnd, 4},
          {gsTab, 6},        {gsF2, 4},         {gsEnter, 6},       {gsEsc, 6},         {gsInsert, 2},
          {gsDelete, 2},     {gsCopy, 2},       {gsPaste, 2},       {gsAltDown, 5},     {gsClickCell, 10},
          {gsClickTitle, 3}, {gsSizeColumn, 2}, {gsMoveColumn, 2},  {gsClickIndicator, 2}, {gsScrollBar, 3},
          {gsClickList, 6},  {gsWheel, 3},      {gsResize, 2},      {gsFont, 1},        {gsFilter, 3},
          {gsSave, 3},       {gsCancel, 2},     {gsTimers, 3}};
}

std::unique_ptr<Session> MakeGridSession(uint64_t Seed) { return std::make_unique<GridSession>(Seed); }

}  // namespace session
