// The grid's find dialog: the form and its components, the column list searched, and the search.
#include "datagrid/DBGridXFindDlgs.h"

#include "platform/forms/dialogs.h"
#include "platform/rtl/sysutils.h"

namespace {

TDBGridXFindDlg* FindDialogInstance = nullptr;
int UnitCount = 0;

const char* const MatchTypeItems[] = {"From any part of field", "Whole field", "From beging of field"};
const char* const DirectionItems[] = {"Up", "Down", "All"};

TLabel* MakeLabel(TDBGridXFindDlg* Form, const char* Name, int L, int T, int W, int H, const char* Caption) {
  auto* lb = new TLabel(Form);
  lb->SetName(Name);
  lb->SetParent(Form);
  lb->SetBounds(L, T, W, H);
  lb->SetCaption(Caption);
  return lb;
}

TDBComboBoxX* MakeCombo(TDBGridXFindDlg* Form, const char* Name, int L, int T, int W, int H, int Tab) {
  auto* cb = new TDBComboBoxX(Form);
  cb->SetName(Name);
  cb->SetParent(Form);
  cb->SetAutoSize(false);  // the designed height, whatever the font
  cb->SetBounds(L, T, W, H);
  cb->SetTabOrder(Tab);
  return cb;
}

// A combo box whose items are also its key items (the text shown is the value), with a start text.
void FillKeyedItems(TDBComboBoxX* Combo, const char* const* Items, int Count, const char* Text) {
  TStringList list;
  for (int i = 0; i < Count; ++i) list.Add(Items[i]);
  Combo->SetItems(&list);
  Combo->SetKeyItems(&list);
  Combo->SetText(Text);
}

TDBCheckBoxX* MakeCheck(TDBGridXFindDlg* Form, const char* Name, int L, int T, int W, int H, int Tab,
                        const char* Caption, bool Checked) {
  auto* ch = new TDBCheckBoxX(Form);
  ch->SetName(Name);
  ch->SetParent(Form);
  ch->SetBounds(L, T, W, H);
  ch->SetTabOrder(Tab);
  ch->SetCaption(Caption);
  ch->SetValueChecked("True");
  ch->SetValueUnchecked("False");
  ch->SetChecked(Checked);
  return ch;
}

TButton* MakeButton(TDBGridXFindDlg* Form, const char* Name, int L, int T, int W, int H, int Tab,
                    const char* Caption) {
  auto* b = new TButton(Form);
  b->SetName(Name);
  b->SetParent(Form);
  b->SetBounds(L, T, W, H);
  b->SetTabOrder(Tab);
  b->SetCaption(Caption);
  return b;
}

}  // namespace

TDBGridXFindDlg::TDBGridXFindDlg(TComponent* AOwner) : TForm(AOwner) {
  SetName("DBGridXFindDlg");
  SetCaption("Find text");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-10);
  SetClientSize(505, 124);
  SetKeyPreview(true);
  OnKeyDown = [this](TObject* Sender, WORD& Key, TShiftState Shift) { FormKeyDown(Sender, Key, Shift); };

  Label1 = MakeLabel(this, "Label1", 10, 12, 52, 13, "Fi&nd What:");
  Label2 = MakeLabel(this, "Label2", 10, 35, 34, 13, "Find &in:");
  cbMatchType = MakeLabel(this, "cbMatchType", 10, 58, 33, 13, "Matc&h:");
  Label3 = MakeLabel(this, "Label3", 10, 82, 37, 13, "Sea&rch:");

  cbText = MakeCombo(this, "cbText", 88, 9, 316, 21, 0);
  cbText->DropDownBox()->SetRows(17);
  cbText->DropDownBox()->SetSizable(true);
  cbText->OnChange = [this](TObject* Sender) { cbTextChange(Sender); };

  cbFindIn = MakeCombo(this, "cbFindIn", 88, 32, 192, 21, 1);
  cbFindIn->DropDownBox()->SetRows(17);
  cbFindIn->DropDownBox()->SetSizable(true);
  cbFindIn->OnChange = [this](TObject* Sender) { cbFindInChange(Sender); };

  cbMatchinType = MakeCombo(this, "cbMatchinType", 88, 55, 144, 21, 2);
  FillKeyedItems(cbMatchinType, MatchTypeItems, 3, "From any part of field");

  cbFindDirection = MakeCombo(this, "cbFindDirection", 88, 79, 144, 21, 3);
  FillKeyedItems(cbFindDirection, DirectionItems, 3, "All");
  cbFindDirection->OnChange = [this](TObject* Sender) { cbTextChange(Sender); };

  cbCharCase = MakeCheck(this, "cbCharCase", 88, 105, 144, 14, 4, "Match &Case", false);
  cbUseFormat = MakeCheck(this, "cbUseFormat", 260, 105, 144, 14, 5, "Match F&ormat", true);

  bFind = MakeButton(this, "bFind", 413, 9, 82, 23, 6, "&Find next");
  bFind->OnClick = [this](TObject* Sender) { bFindClick(Sender); };
  bCancel = MakeButton(this, "bCancel", 413, 37, 82, 22, 7, "Close");
  bCancel->SetCancel(true);
  bCancel->SetModalResult(mrCancel);
  bCancel->OnClick = [this](TObject* Sender) { bCancelClick(Sender); };
}

TDBGridXFindDlg::~TDBGridXFindDlg() {
  if (FindDialogInstance == this) FindDialogInstance = nullptr;
}

void TDBGridXFindDlg::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  if (FStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
}

void TDBGridXFindDlg::SetStayOnTop(bool Value) {
  if (FStayOnTop == Value) return;
  FStayOnTop = Value;
  if (HandleAllocated())
    SetWindowPos(Handle(), Value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TDBGridXFindDlg::ShowForGrid(TCustomDBGridX* Grid, const std::string& Text, bool Modal) {
  SearchColumnIndex = -1;
  cbText->SetText(Text);
  TargetGrid = Grid;
  FillFindInList();
  int index = -1;
  if (TColumnX* col = Grid ? Grid->ColumnAt(Grid->GetSelectedIndex()) : nullptr)
    index = cbFindIn->Items()->IndexOf(col->Title()->Caption());
  cbFindIn->SetItemIndex(index);
  StartNewSearch = true;
  if (Visible()) Close();
  SetActiveControl(cbText);
  BuildSearchColumns();
  FModalShow = Modal;
  if (Modal) {
    SetStayOnTop(false);
    ShowModal();
  } else {
    SetStayOnTop(true);
    Show();
    if (cbText->CanFocus()) cbText->SetFocus();
  }
}

void TDBGridXFindDlg::FillFindInList() {
  cbFindIn->OnChange = nullptr;
  TStringList items;
  if (TargetGrid)
    for (TColumnX* col : TargetGrid->VisibleColumns()) items.AddObject(col->Title()->Caption(), col);
  items.AddObject("<All>", nullptr);
  cbFindIn->SetItems(&items);
  cbFindIn->SetKeyItems(&items);
  cbFindIn->OnChange = [this](TObject* Sender) { cbFindInChange(Sender); };
}

void TDBGridXFindDlg::BuildSearchColumns() {
  if (!SearchColumns) SearchColumns = std::make_unique<TColumnsXList>();
  SearchColumns->clear();
  TStrings* items = cbFindIn->Items();
  int last = items->Count() - 1;
  if (cbFindIn->ItemIndex() < 0 && last >= 0) cbFindIn->SetItemIndex(last);
  int chosen = cbFindIn->ItemIndex();
  if (chosen == last) {
    for (int i = 0; i < last; ++i) SearchColumns->push_back(static_cast<TColumnX*>(items->Objects(i)));
  } else if (chosen >= 0) {
    SearchColumns->push_back(static_cast<TColumnX*>(items->Objects(chosen)));
  }
  cbTextChange(this);
}

void TDBGridXFindDlg::cbFindInChange(TObject*) { BuildSearchColumns(); }

void TDBGridXFindDlg::cbTextChange(TObject*) {
  StartNewSearch = true;
  if (cbFindDirection->Text() == "Up") SearchColumnIndex = SearchColumns ? static_cast<int>(SearchColumns->size()) - 1 : -1;
  else SearchColumnIndex = 0;
}

void TDBGridXFindDlg::bCancelClick(TObject*) { Close(); }

void TDBGridXFindDlg::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_RETURN && Key != VK_ESCAPE) return;
  TWinControl* active = ActiveControl();
  if (active && active->HandleAllocated() && SendMessage(active->Handle(), CM_WANTSPECIALKEY, Key, 0) != 0) return;
  if (Key == VK_ESCAPE) {
    // A modal form is closed by the cancel button's own Esc handling.
    if (!FModalShow) {
      Close();
      Key = 0;
    }
  } else {
    Key = 0;
    bFindClick(this);
  }
  cbText->SetModified(false);
}

std::string TDBGridXFindDlg::GetCellSearchText(TColumnX* Column) {
  if (cbUseFormat->Checked()) return Column->GetCellDisplayText();
  TField* f = Column->Field();
  return f ? f->AsString() : std::string();
}

bool TDBGridXFindDlg::TextMatches(const std::string& T) {
  std::string s = cbText->Text();
  std::string t = T;
  if (!cbCharCase->Checked()) {
    s = AnsiUpperCase(s);
    t = AnsiUpperCase(t);
  }
  switch (cbMatchinType->ItemIndex()) {
    case 1:
      return t == s;
    case 2:
      return t.compare(0, s.size(), s) == 0;
    default:
      return !s.empty() && AnsiPos(s, t) > 0;
  }
}

void TDBGridXFindDlg::bFindClick(TObject*) {
  const bool up = cbFindDirection->Text() == "Up";
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool forward = up == ctrl;
  FLastFound = false;
  const std::string text = cbText->Text();
  if (cbText->Items()->IndexOf(text) < 0) {
    // A history of what was searched for during this run.
    TStringList items;
    items.Assign(cbText->Items());
    items.Add(text);
    cbText->SetItems(&items);
    cbText->SetText(text);
  }
  TDataSet* ds = TargetGrid && TargetGrid->DataSource() ? TargetGrid->DataSource()->DataSet() : nullptr;
  if (!ds || !ds->Active() || !SearchColumns || SearchColumns->empty()) return;

  const int lastPos = static_cast<int>(SearchColumns->size()) - 1;
  if (SearchColumnIndex < 0 || SearchColumnIndex > lastPos) SearchColumnIndex = forward ? 0 : lastPos;
  auto step = [&] {
    if (forward) {
      if (SearchColumnIndex >= lastPos) {
        ds->Next();
        SearchColumnIndex = 0;
      } else {
        ++SearchColumnIndex;
      }
    } else {
      if (SearchColumnIndex <= 0) {
        ds->Prior();
        SearchColumnIndex = lastPos;
      } else {
        --SearchColumnIndex;
      }
    }
  };

  bool found = false;
  ds->DisableControls();
  TargetGrid->SavePosition();
  try {
    if (cbFindDirection->Text() == "All" && StartNewSearch) ds->First();
    if (!StartNewSearch) step();
    while (forward ? !ds->Eof() : !ds->Bof()) {
      TColumnX* col = (*SearchColumns)[static_cast<size_t>(SearchColumnIndex)];
      if (TextMatches(GetCellSearchText(col))) {
        found = true;
        StartNewSearch = false;
        // The grid moves to the found column whatever the case setting.
        // (grid columns follow the whole column collection, hidden ones included)
        int raw = TargetGrid->DataToRawColumn(col->Index());
        if (raw >= TargetGrid->FixedCols() && raw < TargetGrid->ColCount()) TargetGrid->SetCol(raw);
        break;
      }
      step();
    }
    if (!found) TargetGrid->RestorePosition();  // back to the record current before the search
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  FLastFound = found;
  if (!found) ShowMessage(Format(LoadResString(SFindDlgTextNotFound), {text}));
}

// ---------------------------------------------------------------------------------------------------

void ShowGridFindDialog(TCustomDBGridX* Grid, const std::string& Text, bool Modal) {
  if (!FindDialogInstance) FindDialogInstance = new TDBGridXFindDlg(Application);
  FindDialogInstance->ShowForGrid(Grid, Text, Modal);
}

TDBGridXFindDlg* GridFindDialog() { return FindDialogInstance; }

namespace DBGridXFindDlgs {

void Initialize() {
  if (UnitCount++ > 0) return;
  RegisterResourceString(SFindDlgTextNotFound, "SFindDlgTextNotFound", "字符串 \"%s\" 没有找到.");
}

void Finalize() {
  if (UnitCount == 0 || --UnitCount > 0) return;
  delete FindDialogInstance;
  FindDialogInstance = nullptr;
}

}  // namespace DBGridXFindDlgs
