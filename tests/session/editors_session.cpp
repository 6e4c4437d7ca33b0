// The editors form of the session tester, its steps and its invariants.
#include "tests/session/editors_session.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "datagrid/DBGridXUnit.h"
#include "datagrid/DBLookupComboX.h"
#include "datagrid/DBPopupGridX.h"
#include "dataedit/CalculatorX.h"
#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "dataedit/MRUListX.h"
#include "dataedit/PopupsX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/extctrls.h"
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

const char* const kFields[] = {"ID", "Name", "Code", "Kind", "CityID", "Paid", "Amount", "Born"};
constexpr int kFieldCount = 8;
enum { fID, fName, fCode, fKind, fCityID, fPaid, fAmount, fBorn };
const char* const kCityNames[] = {"Oslo", "Lima", "Quito", "Kyiv", "القاهرة", "תל אביב", "𝔸thens", "Xi'an"};
constexpr int kPeople = 40;
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

// The data-aware edit as an adopter places it (its descendants publish the data properties).
class TPersonEdit : public TCustomDBEditX {
  DECLARE_CLASS(TPersonEdit, TCustomDBEditX)
  explicit TPersonEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

// An edit whose drop-down button opens the calendar (dates) or the calculator (numbers); the pop-up
// closes back through the edit, which takes the value on acceptance.
class TValuePopupEdit : public TPersonEdit {
  DECLARE_CLASS(TValuePopupEdit, TPersonEdit)
  TValuePopupEdit(TComponent* AOwner, bool IsCalendar) : TPersonEdit(AOwner), FCalendar(IsCalendar) {
    EditButton()->SetVisible(true);
    EditButton()->SetStyle(ebsDropDownX);
  }
  TWinControl* Popup() const { return FCalendar ? static_cast<TWinControl*>(Cal) : Calc; }
  bool Dropped() const { return FDropped; }
  void DropDown() override {
    TPersonEdit::DropDown();
    if (FDropped) return;
    TCustomForm* form = GetParentForm(this);
    if (FCalendar && !Cal) {
      Cal = new TPopupMonthCalendarX(this);
      Cal->SetParent(form);
    }
    if (!FCalendar && !Calc) {
      Calc = new TPopupCalculatorX(this);
      Calc->SetParent(form);
    }
    TField* f = Field();
    if (FCalendar) Cal->SetDate(f && !f->IsNull() ? f->AsDateTime() : EncodeDate(2000, 1, 1));
    else Calc->SetValue(f && !f->IsNull() ? Variant(f->AsFloat()) : Variant(0.0));
    Popup()->HandleNeeded();
    POINT pos{0, 0};
    PositionDropDownWindow(this, Popup(), daLeft, pos);
    SetWindowPos(Popup()->Handle(), HWND_TOP, pos.x, pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    FDropped = true;
  }
  void CloseUp(bool Accept) override {
    if (!FDropped) {
      TPersonEdit::CloseUp(Accept);
      return;
    }
    FDropped = false;
    HideDropDownWindow(Popup(), this);
    TPersonEdit::CloseUp(Accept);
    TField* f = Field();
    if (!Accept || !f || !DataSource() || !DataSource()->DataSet()) return;
    TDataSet* ds = DataSource()->DataSet();
    ds->Edit();
    if (FCalendar) {
      f->SetAsDateTime(Cal->Date());
    } else {
      Variant v;
      Calc->GetValue(v);
      // A calculator left showing "Error" has no value to give.
      if (!VarIsError(v)) f->SetAsFloat(v.AsDouble());
    }
  }

 protected:
  // Leaving the edit closes its pop-up without taking a value.
  void DoExit() override {
    if (FDropped) CloseUp(false);
    TPersonEdit::DoExit();
  }
  // Keys go to the open pop-up: Return takes its value, Esc closes it, the rest work it.
  void KeyDown(WORD& Key, TShiftState Shift) override {
    if (FDropped && Popup()->HandleAllocated()) {
      if (Key == VK_RETURN || Key == VK_ESCAPE) {
        CloseUp(Key == VK_RETURN);
        Key = 0;
        return;
      }
      SendMessage(Popup()->Handle(), WM_KEYDOWN, Key, 0);
      Key = 0;
      return;
    }
    TPersonEdit::KeyDown(Key, Shift);
  }
  void KeyPress(WideChar& Key) override {
    if (FDropped && !FCalendar && Calc && Key >= '0' && Key < 128) {
      Calc->HandleKey(static_cast<char>(Key));
      Key = 0;
      return;
    }
    if (FDropped && (Key == 13 || Key == 27)) {
      Key = 0;
      return;
    }
    TPersonEdit::KeyPress(Key);
  }

 public:
  TPopupMonthCalendarX* Cal = nullptr;
  TPopupCalculatorX* Calc = nullptr;

 private:
  bool FCalendar;
  bool FDropped = false;
};

class TPeopleForm : public TForm {
 public:
  explicit TPeopleForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("People");
    SetBounds(120, 80, 420, 360);
    Cities = new TMemDataSet(this);
    Cities->AddField("ID", ftInteger);
    Cities->AddField("Name", ftString, 20);
    Cities->CreateDataSet();
    for (int i = 0; i < 8; ++i) {
      Cities->Append();
      Cities->FieldByName("ID")->SetAsInteger(i + 1);
      Cities->FieldByName("Name")->SetAsString(kCityNames[i]);
      Cities->Post();
    }
    Cities->First();
    CitySource = new TDataSource(this);
    CitySource->SetDataSet(Cities);
    People = new TMemDataSet(this);
    People->AddField("ID", ftInteger);
    People->AddField("Name", ftString, 30);
    People->AddField("Code", ftString, 6);
    People->AddField("Kind", ftString, 1);
    People->AddField("CityID", ftInteger);
    People->AddField("Paid", ftString, 1);
    People->AddField("Amount", ftFloat);
    People->AddField("Born", ftDate);
    People->CreateDataSet();
    const char* names[] = {"Ann", "Bob", "Cui", "Dora", "Émile", "Faye", "Gus", "Hana"};
    const char* kinds = "ACS";
    for (int i = 1; i <= kPeople; ++i) {
      People->Append();
      People->FieldByName("ID")->SetAsInteger(i);
      People->FieldByName("Name")->SetAsString(std::string(names[i % 8]) + " " + std::to_string(i));
      char code[8];
      std::snprintf(code, sizeof code, "%c%c-%03d", 'A' + i % 26, 'B' + i % 20, i);
      People->FieldByName("Code")->SetAsString(code);
      People->FieldByName("Kind")->SetAsString(std::string(1, kinds[i % 3]));
      People->FieldByName("CityID")->SetAsInteger(1 + i % 8);
      People->FieldByName("Paid")->SetAsString(i % 2 ? "Y" : "N");
      People->FieldByName("Amount")->SetAsFloat(i * 12.5);
      People->FieldByName("Born")->SetAsDateTime(EncodeDate(1960 + i, 1 + i % 12, 1 + i % 28));
      People->Post();
    }
    People->First();
    Source = new TDataSource(this);
    Source->SetDataSet(People);

    int y = 8;
    auto place = [&](TWinControl* C, int H = 21) {
      C->SetParent(this);
      C->SetBounds(16, y, 220, H);
      y += H + 10;
    };
    Name = new TPersonEdit(this);
    place(Name);
    Name->EditButton()->SetVisible(true);
    Name->EditButton()->SetStyle(ebsEllipsisX);
    Name->EditButtons()->Add()->SetStyle(ebsPlusX);
    for (const char* s : {"Ann", "Anna", "Annie", "Bob", "Bobby", "Zoë", "李明"}) Name->MRUList()->Items()->Add(s);
    Name->MRUList()->SetActive(true);
    Name->SetDataSource(Source);
    Name->SetDataField("Name");
    Code = new TPersonEdit(this);
    place(Code);
    Code->SetEditMask(">LL-000;1;_");
    Code->SetDataSource(Source);
    Code->SetDataField("Code");
    Kind = new TDBComboBoxX(this);
    place(Kind);
    for (const char* s : {"Adult", "Child", "Senior"}) Kind->Items()->Add(s);
    for (const char* s : {"A", "C", "S"}) Kind->KeyItems()->Add(s);
    Kind->SetDataSource(Source);
    Kind->SetDataField("Kind");
    City = new TDBLookupComboboxX(this);
    place(City);
    City->SetListSource(CitySource);
    City->SetKeyField("ID");
    City->SetListField("Name");
    City->SetDataSource(Source);
    City->SetDataField("CityID");
    Paid = new TDBCheckBoxX(this);
    place(Paid, 17);
    Paid->SetCaption("Paid");
    Paid->SetValueChecked("Y");
    Paid->SetValueUnchecked("N");
    Paid->SetDataSource(Source);
    Paid->SetDataField("Paid");
    Amount = new TValuePopupEdit(this, false);
    place(Amount);
    Amount->SetDataSource(Source);
    Amount->SetDataField("Amount");
    Born = new TValuePopupEdit(this, true);
    place(Born);
    Born->SetDataSource(Source);
    Born->SetDataField("Born");
    // The buttons stand to the right, clear of the pop-ups that drop down under the edits.
    int by = 8;
    for (TButton** b : {&Prior, &Next, &Save, &Cancel}) {
      *b = new TButton(this);
      (*b)->SetParent(this);
      (*b)->SetBounds(300, by, 70, 24);
      by += 32;
    }
    Prior->SetCaption("Prior");
    Next->SetCaption("Next");
    Save->SetCaption("Save");
    Cancel->SetCaption("Cancel");
    Prior->OnClick = [this](TObject*) { People->Prior(); };
    Next->OnClick = [this](TObject*) { People->Next(); };
    Save->OnClick = [this](TObject*) {
      if (People->State() == dsEdit || People->State() == dsInsert) People->Post();
    };
    Cancel->OnClick = [this](TObject*) { People->Cancel(); };
    Ticker = new TTimer(this);
    Ticker->SetInterval(kTickMs);
    Ticker->OnTimer = [this](TObject*) { ++Ticks; };
    Ticker->SetEnabled(true);
  }

  TMemDataSet* Cities = nullptr;
  TMemDataSet* People = nullptr;
  TDataSource* CitySource = nullptr;
  TDataSource* Source = nullptr;
  TPersonEdit* Name = nullptr;
  TPersonEdit* Code = nullptr;
  TDBComboBoxX* Kind = nullptr;
  TDBLookupComboboxX* City = nullptr;
  TDBCheckBoxX* Paid = nullptr;
  TValuePopupEdit* Amount = nullptr;
  TValuePopupEdit* Born = nullptr;
  TButton *Prior = nullptr, *Next = nullptr, *Save = nullptr, *Cancel = nullptr;
  TTimer* Ticker = nullptr;
  int Ticks = 0;
};

const char* const kStepNames[] = {"type",  "backspace", "arrow",  "home/end", "tab",          "Enter",
                                  "Esc",   "Alt+Down",  "Ctrl+C", "Ctrl+V",   "click control", "click button",
                                  "click in list", "wheel", "prior/next", "Save", "Cancel", "resize", "timers"};
const char* const kWords[] = {"An", "Bo", "no", "Zoë", "李", "𠀀𝒜", "😀", "שלום", "مر", "Pa", "x y"};

class EditorsSession : public Session {
 public:
  explicit EditorsSession(uint64_t Seed) {
    (void)Seed;
    win::ResetWindowManager();
    clock_.Install();
    clock_.Set(1000000);
    dialogs_.Install();
    win::InstallClipboardBackend(&clip_);
    FormsUnit::Initialize();
    DBGridXUnit::Initialize();
    ToolCtrlsXUnit::Initialize();
    CalculatorXUnit::Initialize();
    Application->Initialize();
    Application->OnException = [this](TObject*, const std::exception& E) { exceptions_.push_back(E.what()); };
    form_ = new TPeopleForm(Application);
    form_->Show();
    ds_ = form_->People;
    Hook();
    Pump();
    form_->Name->SetFocus();
    Pump();
    for (int i = 0; i < ds_->RecordCount(); ++i) {
      ds_->BeginReadAt(i);
      TValues v = Read();
      ds_->EndReadAt();
      shadow_[std::stoi(v.Text[fID])] = v;
    }
  }
  ~EditorsSession() override {
    Application->OnException = nullptr;
    Application->DestroyForms();
    win::ResetWindowManager();
    CalculatorXUnit::Finalize();
    ToolCtrlsXUnit::Finalize();
    DBGridXUnit::Finalize();
    win::InstallClipboardBackend(nullptr);
    dialogs_.Uninstall();
    clock_.Uninstall();
  }

  std::string Describe(const Step& S) const override {
    return S.Kind >= 0 && S.Kind < esKindCount ? kStepNames[S.Kind] : "?";
  }
  std::string State() override {
    std::pair<int, int> c = CurrentCell();
    std::string s = "record " + std::to_string(c.first) + " " + (c.second >= 0 ? kFields[c.second] : "-") + " state " +
                    std::to_string(static_cast<int>(ds_->State()));
    if (TCustomEdit* e = FocusedEdit()) s += " text \"" + e->Text() + "\"" + (e->Modified() ? " modified" : "");
    if (ListOpen()) s += " list";
    else if (int o = OpenListField(); o > 0) s += " list of " + std::string(kFields[o]);
    if (TWinControl* fc = TWinControl::FindControl(GetFocus())) s += " focus " + fc->ClassName() + " " + fc->Name();
    for (auto& x : lastExceptions_) s += " error box \"" + x + "\"";
    for (auto& [k, t] : pending_) s += " pending(" + std::to_string(k.first) + "," + kFields[k.second] + ")=\"" + t + "\"";
    return s;
  }

  void Play(const Step& S) override {
    failures_.clear();
    cancelAllowed_ = false;
    bool listBefore = ListOpen();
    std::pair<int, int> cellBefore = CurrentCell();
    MarkTouched();
    switch (S.Kind) {
      case esType: Type(S); break;
      case esBackspace: Press(VK_BACK); break;
      case esArrow: {
        const UINT keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT};
        Press(keys[S.A % 4]);
        break;
      }
      case esHomeEnd: Press(S.A % 2 ? VK_END : VK_HOME, false, S.B % 3 == 0); break;
      case esTab: Press(VK_TAB, false, S.A % 2 == 1); break;
      case esEnter:
        // Return on the Cancel button is a Cancel.
        cancelAllowed_ = form_->Cancel->HandleAllocated() && GetFocus() == form_->Cancel->Handle();
        Press(VK_RETURN);
        break;
      case esEsc:
        cancelAllowed_ = true;
        Press(VK_ESCAPE);
        break;
      case esAltDown:
        input_.AltKey(VK_DOWN);
        Pump();
        break;
      case esCopy: Press('C', true); break;
      case esPaste: Press('V', true); break;
      case esClickControl: {
        TWinControl* c = Controls()[S.A % Controls().size()];
        ClickAt(c->ClientToScreen(TPoint(6 + static_cast<int>(S.B % 40), c->Height() / 2)));
        break;
      }
      case esClickButton: {
        TCustomDBEditX* edits[] = {form_->Name, form_->Kind, form_->City, form_->Amount, form_->Born};
        TCustomDBEditX* e = edits[S.A % 5];
        TControl* b = e->ButtonControlCount() > 0 ? e->ButtonControl(0) : nullptr;
        if (b && b->Visible()) ClickAt(b->ClientToScreen(TPoint(b->Width() / 2, b->Height() / 2)));
        else ClickAt(e->ClientToScreen(TPoint(e->Width() - 6, e->Height() / 2)));
        break;
      }
      case esClickList: {
        TWinControl* list = OpenList();
        if (!list) {
          TWinControl* c = Controls()[S.C % Controls().size()];
          ClickAt(c->ClientToScreen(TPoint(8, c->Height() / 2)));
          break;
        }
        int x = 4 + static_cast<int>(S.A % static_cast<uint32_t>(std::max(1, list->ClientWidth() - 8)));
        int y = 4 + static_cast<int>(S.B % static_cast<uint32_t>(std::max(1, list->ClientHeight() - 8)));
        ClickAt(list->ClientToScreen(TPoint(x, y)));
        break;
      }
      case esWheel: {
        TWinControl* list = OpenList();
        TWinControl* c = list ? list : Controls()[S.C % Controls().size()];
        input_.Wheel(c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2)), S.A % 2 ? 120 : -120);
        Pump();
        break;
      }
      case esNavigate: ClickButton(S.A % 2 ? form_->Next : form_->Prior); break;
      case esSave: ClickButton(form_->Save); break;
      case esCancel:
        cancelAllowed_ = true;
        ClickButton(form_->Cancel);
        break;
      case esResize:
        form_->SetBounds(form_->Left(), form_->Top(), 300 + static_cast<int>(S.A % 400), 300 + static_cast<int>(S.B % 300));
        break;
      case esTimers: {
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
    Advance(40);
    for (const win::DialogRequest& r : dialogs_.Requests()) failures_.push_back("unexpected message box: " + r.text);
    dialogs_.Clear();
    // Esc on the control itself (no list open) gives the field's text back: typed text is thrown away.
    if (S.Kind == esEsc && !listBefore && cellBefore.second > 0 && cellBefore.second != fPaid) {
      pending_.erase(cellBefore);
      bool editing = (ds_->State() == dsEdit || ds_->State() == dsInsert) && CurrentID() == cellBefore.first;
      if (editing) {
        auto sh = shadow_.find(cellBefore.first);
        std::string held = ds_->FieldByName(kFields[cellBefore.second])->AsString();
        if (sh != shadow_.end() && held != sh->second.Text[cellBefore.second]) pending_[cellBefore] = held;
      }
    }
    std::pair<int, int> cell = CurrentCell();
    TCustomEdit* e = FocusedEdit();
    bool textStep = S.Kind == esType || S.Kind == esBackspace || S.Kind == esPaste || S.Kind == esClickList ||
                    S.Kind == esEnter || S.Kind == esAltDown || S.Kind == esArrow || S.Kind == esWheel ||
                    S.Kind == esClickButton || S.Kind == esHomeEnd || S.Kind == esClickControl;
    if (e && cell.first > 0 && cell.second > 0) {
      auto it = pending_.find(cell);
      if (it != pending_.end() && e->Text() != it->second && !textStep && !Same(cell.second, e->Text(), it->second))
        failures_.push_back("the " + std::string(kFields[cell.second]) + " control of record " + std::to_string(cell.first) +
                            " shows \"" + e->Text() + "\" after \"" + it->second + "\" was typed");
      if ((e->Modified() && it == pending_.end()) || (textStep && (e->Modified() || it != pending_.end())))
        pending_[cell] = e->Text();
    }
    MarkTouched();
  }

  std::string Check(const Step& S) override {
    (void)S;
    if (!failures_.empty()) return failures_.front();
    for (const std::string& x : exceptions_)
      // A value the field or the mask refuses is the user's error, told in a box.
      if (x.find("is not a valid") == std::string::npos && x.find("Invalid input value") == std::string::npos)
        return "exception reached the application: " + x;
    lastExceptions_ = exceptions_;
    exceptions_.clear();
    HWND f = GetFocus();
    if (f && !IsWindowVisible(f)) {
      TWinControl* c = TWinControl::FindControl(f);
      return "a hidden window holds the focus (" + (c ? c->ClassName() : std::string("?")) + ")";
    }
    // Pop-ups lie on the screen.
    if (TWinControl* list = OpenList()) {
      RECT r{};
      GetWindowRect(list->Handle(), &r);
      int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
      if (r.left < 0 || r.top < 0 || r.right > sw || r.bottom > sh) return "a pop-up lies off the screen";
    }
    // Typed text not yet posted is still in the record being edited.
    std::pair<int, int> cell = CurrentCell();
    for (auto& [key, text] : pending_) {
      if (FocusedEdit() && cell == key) continue;
      bool editingIt = (ds_->State() == dsEdit || ds_->State() == dsInsert) && CurrentID() == key.first;
      if (!editingIt)
        return "typed \"" + text + "\" into record " + std::to_string(key.first) + " " + kFields[key.second] +
               " was lost (neither posted nor cancelled)";
      std::string now = FieldText(key.second);
      if (!Same(key.second, now, text))
        return "typed \"" + text + "\" into record " + std::to_string(key.first) + " " + kFields[key.second] +
               " but the record holds \"" + now + "\"";
    }
    if (ds_->State() == dsBrowse) {
      for (int i = 0; i < ds_->RecordCount(); ++i) {
        ds_->BeginReadAt(i);
        TValues v = Read();
        ds_->EndReadAt();
        int id = std::stoi(v.Text[fID]);
        auto sh = shadow_.find(id);
        if (sh == shadow_.end()) return "record " + std::to_string(id) + " is in the data set but was never posted";
        for (int k = 0; k < kFieldCount; ++k)
          if (!(sh->second.Text[k] == v.Text[k] && sh->second.Null[k] == v.Null[k]))
            return "record " + std::to_string(id) + " " + kFields[k] + " holds \"" + v.Text[k] + "\" but \"" +
                   sh->second.Text[k] + "\" was posted";
      }
      if (static_cast<size_t>(ds_->RecordCount()) != shadow_.size()) return "records went missing";
    }
    return std::string();
  }

 private:
  void Advance(uint64_t Ms) { session::Advance(clock_, Ms); }
  void Press(UINT Vk, bool Ctrl = false, bool Shift = false) {
    input_.Key(Vk, Ctrl, Shift);
    Pump();
  }
  void ClickAt(TPoint P) {
    // A list stays open under its control when another control refused to let the focus go (the press
    // that dropped it still ran): a click inside it uses that control, focused or not, and a value
    // picked there replaces what was typed into it before.
    int focused = -1;
    FocusedControl(&focused);
    for (auto [list, owner] : OpenLists()) {
      RECT r{};
      GetWindowRect(list->Handle(), &r);
      if (CurrentID() > 0 && owner != focused && P.X >= r.left && P.X < r.right && P.Y >= r.top && P.Y < r.bottom) {
        touched_.insert({CurrentID(), owner});
        pending_.erase({CurrentID(), owner});
      }
    }
    input_.Click(P);
    Pump();
  }
  void ClickButton(TButton* B) { ClickAt(B->ClientToScreen(TPoint(B->Width() / 2, B->Height() / 2))); }
  std::vector<TWinControl*> Controls() {
    return {form_->Name, form_->Code, form_->Kind, form_->City, form_->Paid, form_->Amount, form_->Born};
  }
  // The data-aware control that has the focus, with the field it shows.
  TWinControl* FocusedControl(int* Field = nullptr) {
    HWND f = GetFocus();
    const int fields[] = {fName, fCode, fKind, fCityID, fPaid, fAmount, fBorn};
    std::vector<TWinControl*> cs = Controls();
    for (size_t i = 0; i < cs.size(); ++i)
      if (cs[i]->HandleAllocated() && cs[i]->Handle() == f) {
        if (Field) *Field = fields[i];
        return cs[i];
      }
    return nullptr;
  }
  TCustomEdit* FocusedEdit() { return dynamic_cast<TCustomEdit*>(FocusedControl()); }
  int CurrentID() {
    if (!ds_->Active() || (ds_->IsEmpty() && ds_->State() != dsInsert)) return 0;
    TField* f = ds_->FieldByName("ID");
    return f->IsNull() ? 0 : f->AsInteger();
  }
  std::pair<int, int> CurrentCell() {
    int fi = -1;
    FocusedControl(&fi);
    return {CurrentID(), fi};
  }
  TWinControl* OpenList() {
    TWinControl* lists[] = {form_->Name->MRUListBox(), form_->Kind->ListBox(), form_->City->Grid(),
                            form_->Amount->Dropped() ? form_->Amount->Popup() : nullptr,
                            form_->Born->Dropped() ? form_->Born->Popup() : nullptr};
    for (TWinControl* l : lists)
      if (l && l->HandleAllocated() && IsWindowVisible(l->Handle())) return l;
    return nullptr;
  }
  // Every open list with the field of its control (lists of unfocused controls may be open at once).
  std::vector<std::pair<TWinControl*, int>> OpenLists() {
    std::pair<TWinControl*, int> lists[] = {{form_->Name->MRUListBox(), fName},
                                            {form_->Kind->ListBox(), fKind},
                                            {form_->City->Grid(), fCityID},
                                            {form_->Amount->Dropped() ? form_->Amount->Popup() : nullptr, fAmount},
                                            {form_->Born->Dropped() ? form_->Born->Popup() : nullptr, fBorn}};
    std::vector<std::pair<TWinControl*, int>> out;
    for (auto& l : lists)
      if (l.first && l.first->HandleAllocated() && IsWindowVisible(l.first->Handle())) out.push_back(l);
    return out;
  }
  // The field of the control whose list OpenList finds, or -1.
  int OpenListField() {
    TWinControl* list = OpenList();
    if (!list) return -1;
    if (list == form_->Name->MRUListBox()) return fName;
    if (list == form_->Kind->ListBox()) return fKind;
    if (list == form_->City->Grid()) return fCityID;
    if (form_->Amount->Dropped() && list == form_->Amount->Popup()) return fAmount;
    if (form_->Born->Dropped() && list == form_->Born->Popup()) return fBorn;
    return -1;
  }
  // Whether the focused control's own list is open (Esc then only closes it).
  bool ListOpen() {
    TWinControl* f = FocusedControl();
    TWinControl* own = f == form_->Name ? static_cast<TWinControl*>(form_->Name->MRUListBox())
                       : f == form_->Kind ? static_cast<TWinControl*>(form_->Kind->ListBox())
                       : f == form_->City ? static_cast<TWinControl*>(form_->City->Grid())
                       : f == form_->Amount ? (form_->Amount->Dropped() ? form_->Amount->Popup() : nullptr)
                       : f == form_->Born ? (form_->Born->Dropped() ? form_->Born->Popup() : nullptr)
                                          : nullptr;
    return own && own->HandleAllocated() && IsWindowVisible(own->Handle());
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
  // The current record's value as its control shows it.
  std::string FieldText(int I) {
    TField* f = ds_->FieldByName(kFields[I]);
    if (I == fKind) {
      int k = form_->Kind->KeyItems()->IndexOf(f->AsString());
      return k >= 0 && k < form_->Kind->Items()->Count() ? form_->Kind->Items()->Strings(k) : f->AsString();
    }
    if (I == fCityID) {
      int id = f->IsNull() ? 0 : f->AsInteger();
      return id >= 1 && id <= 8 ? kCityNames[id - 1] : std::string();
    }
    return f->AsString();
  }
  bool Same(int I, const std::string& Held, const std::string& Typed) {
    if (Held == Typed) return true;
    try {
      // The float field's text (its edit text too) carries 15 significant digits: a value typed with
      // more is the same value once the edit shows it again.
      if (I == fAmount) {
        if (Typed.empty() || Held.empty()) return false;
        double h = StrToFloat(Held), t = StrToFloat(Typed);
        return std::fabs(h - t) < 1e-9 + 5e-15 * std::max(std::fabs(h), std::fabs(t));
      }
      if (I == fBorn) return !Typed.empty() && !Held.empty() && StrToDate(Held) == StrToDate(Typed);
    } catch (...) {
    }
    // A text the list does not hold is no value of a keyed control: the control refuses it.
    if (I == fKind || I == fCityID) return true;
    return false;
  }
  void MarkTouched() {
    std::pair<int, int> c = CurrentCell();
    if (c.first > 0 && c.second > 0) touched_.insert(c);
  }
  static void Chain(TDataSetNotifyEvent& Event, TDataSetNotifyEvent Mine) {
    TDataSetNotifyEvent before = Event;
    Event = [before, Mine](TDataSet* D) {
      Mine(D);
      if (before) before(D);
    };
  }
  void Hook() {
    Chain(ds_->BeforePost, [this](TDataSet*) {
      int id = CurrentID();
      TValues now = Read();
      postingId_ = id;
      posting_ = now;
      auto sh = shadow_.find(id);
      if (sh == shadow_.end()) {
        failures_.push_back("posting a record " + std::to_string(id) + " that was never inserted");
        return;
      }
      for (int i = 1; i < kFieldCount; ++i) {
        auto p = pending_.find({id, i});
        if (p != pending_.end()) {
          std::string held = FieldText(i);
          if (!Same(i, held, p->second))
            failures_.push_back("record " + std::to_string(id) + " " + kFields[i] + " posted as \"" + held + "\" after \"" +
                                p->second + "\" was typed");
          continue;
        }
        bool changed = now.Text[i] != sh->second.Text[i] || (i != fName && now.Null[i] != sh->second.Null[i]);
        if (changed && !touched_.count({id, i}))
          failures_.push_back("record " + std::to_string(id) + " " + kFields[i] + " changed from \"" + sh->second.Text[i] +
                              "\" to \"" + now.Text[i] + "\" though its control was never used on it");
      }
    });
    Chain(ds_->AfterPost, [this](TDataSet*) {
      shadow_[postingId_] = posting_;
      Forget(postingId_);
    });
    Chain(ds_->BeforeCancel, [this](TDataSet*) {
      int id = CurrentID();
      if (!cancelAllowed_)
        for (auto& [key, text] : pending_)
          if (key.first == id && !text.empty())
            failures_.push_back("the edit of record " + std::to_string(id) + " holding typed \"" + text +
                                "\" was cancelled by a step that does not cancel");
      Forget(id);
    });
    Chain(ds_->BeforeDelete, [this](TDataSet*) { failures_.push_back("a record was deleted"); });
    Chain(ds_->BeforeInsert, [this](TDataSet*) { failures_.push_back("a record was inserted"); });
  }
  void Forget(int Id) {
    for (auto it = pending_.begin(); it != pending_.end();) it = it->first.first == Id ? pending_.erase(it) : std::next(it);
    for (auto it = touched_.begin(); it != touched_.end();) it = it->first == Id ? touched_.erase(it) : std::next(it);
  }
  void Type(const Step& S) {
    int fi = -1;
    FocusedControl(&fi);
    std::string text;
    switch (fi) {
      case fCode: {
        static const char* const codes[] = {"ab", "XY1", "12", "q", "Z9"};
        text = codes[S.B % 5];
        break;
      }
      case fKind: {
        static const char* const kinds[] = {"A", "Ch", "Se", "x", "Pa"};
        text = kinds[S.B % 5];
        break;
      }
      case fCityID: text = Utf8Left(kCityNames[S.B % 8], 1 + static_cast<int>(S.C % 3)); break;
      case fPaid: text = " "; break;
      case fAmount: text = std::to_string(S.B % 10); break;
      case fBorn:
        Press(VK_END);
        for (int i = 0; i < 12; ++i) Press(VK_BACK);
        text = DateToStr(EncodeDate(1940 + static_cast<int>(S.B % 80), 1 + static_cast<int>(S.C % 12), 1 + static_cast<int>(S.A % 28)));
        break;
      default: text = kWords[S.B % (sizeof kWords / sizeof kWords[0])]; break;
    }
    input_.Chars(text);
    Pump();
  }

  win::FakeClock clock_;
  win::ScriptedDialogs dialogs_;
  win::MemoryClipboard clip_;
  Input input_;
  TPeopleForm* form_ = nullptr;
  TMemDataSet* ds_ = nullptr;
  bool cancelAllowed_ = false;
  int postingId_ = 0;
  TValues posting_;
  std::map<int, TValues> shadow_;
  std::map<std::pair<int, int>, std::string> pending_;
  std::set<std::pair<int, int>> touched_;
  std::vector<std::string> failures_, exceptions_, lastExceptions_;
};

}  // namespace

std::vector<KindWeight> EditorsWeights() {
  return {{esType, 20},        {esBackspace, 4}, {esArrow, 8},     {esHomeEnd, 3},  {esTab, 10},
          {esEnter, 5},        {esEsc, 6},       {esAltDown, 5},   {esCopy, 2},     {esPaste, 2},
          {esClickControl, 8}, {esClickButton, 6}, {esClickList, 6}, {esWheel, 3},  {esNavigate, 5},
          {esSave, 3},         {esCancel, 2},    {esResize, 1},    {esTimers, 3}};
}

std::unique_ptr<Session> MakeEditorsSession(uint64_t Seed) { return std::make_unique<EditorsSession>(Seed); }

}  // namespace session
