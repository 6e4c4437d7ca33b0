// The grid's clipboard operations: copy in five formats, paste of the richest one, cut, and clearing
// the selection with its confirmation.
#include "datagrid/DBGridXClipboard.h"

#include <cstring>

#include "datagrid/DBGridXClipboardFormats.h"
#include "platform/forms/dialogs.h"
#include "platform/graphics/clipbrd.h"
#include "platform/rtl/sysutils.h"

namespace {

int UnitCount = 0;
UINT GridDataFormatId = 0, CsvFormatId = 0, RtfFormatId = 0;

void RegisterFormats() {
  if (GridDataFormatId) return;
  GridDataFormatId = RegisterClipboardFormat("VCLDBIF");
  CsvFormatId = RegisterClipboardFormat("Csv");
  RtfFormatId = RegisterClipboardFormat("Rich Text Format");
}

// The header every grid-data block starts with: signature, version byte, column count.
constexpr size_t GridDataHeaderSize = 12;
constexpr char GridDataSignature[] = "VCLDBIF";

// A grid-data block that can be read: at least its header, starting with the signature. An empty
// block (a copy of nothing) or a cut-off one is not taken, so that a paste falls back to text.
bool UsableGridData(const std::string& Bytes) {
  return Bytes.size() >= GridDataHeaderSize && std::memcmp(Bytes.data(), GridDataSignature, 7) == 0;
}

// Text from the clipboard ends at its first zero byte: what follows (the terminator, slack bytes of
// the block) is not text.
std::string TextUpToZero(const std::string& Bytes) {
  size_t zero = Bytes.find('\0');
  return zero == std::string::npos ? Bytes : Bytes.substr(0, zero);
}

std::string StreamBytes(TStream* Stream) {
  std::string bytes(static_cast<size_t>(Stream->Size()), '\0');
  Stream->SetPosition(0);
  if (!bytes.empty()) Stream->Read(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

TDataSet* GridDataSet(TCustomDBGridX* Grid) {
  TDataSource* src = Grid ? Grid->DataSource() : nullptr;
  return src ? src->DataSet() : nullptr;
}

// Keeps the clipboard open for one operation and closes it however the operation ends.
struct TClipboardOpening {
  TClipboardOpening() { Clipboard()->Open(); }
  ~TClipboardOpening() { Clipboard()->Close(); }
  TClipboardOpening(const TClipboardOpening&) = delete;
  TClipboardOpening& operator=(const TClipboardOpening&) = delete;
};

// Disables a data set's controls for one operation.
struct TControlsDisabled {
  explicit TControlsDisabled(TDataSet* D) : DS(D) {
    if (DS) DS->DisableControls();
  }
  ~TControlsDisabled() {
    if (DS) DS->EnableControls();
  }
  TControlsDisabled(const TControlsDisabled&) = delete;
  TControlsDisabled& operator=(const TControlsDisabled&) = delete;
  TDataSet* DS;
};

}  // namespace

UINT GridDataClipboardFormat() {
  RegisterFormats();
  return GridDataFormatId;
}
UINT CF_CSV() {
  RegisterFormats();
  return CsvFormatId;
}
UINT CF_RTF() {
  RegisterFormats();
  return RtfFormatId;
}

// ---------------------------------------------------------------------------------------------------
// Selection

TGridXClipSelection GridClipSelection(TCustomDBGridX* Grid) {
  // The same view as the export's, so that a clear or cut removes what a copy took.
  return GridXExportSelectionOf(Grid);
}

void ClearGridSelectionState(TCustomDBGridX* Grid) {
  if (TDBGridXSelection* sel = Grid->SelectionX()) sel->EmptySelection();
  Grid->SelectedRows()->Clear();
}

void GridSelectEverything(TCustomDBGridX* Grid) {
  if (TDBGridXSelection* sel = Grid->SelectionX()) sel->SelectEverything();
}

// ---------------------------------------------------------------------------------------------------
// Clipboard blocks

void PutStreamToClipboard(UINT Format, TStream* Stream) {
  TClipboardOpening open;
  std::string bytes = StreamBytes(Stream);
  Clipboard()->SetBuffer(Format, bytes.data(), bytes.size());
}

void PutStreamToClipboardAsUnicode(TStream* Stream) {
  TClipboardOpening open;
  std::string text = TextUpToZero(StreamBytes(Stream));
  std::u16string units = Utf8ToUtf16(text);
  units.push_back(u'\0');
  Clipboard()->SetBuffer(CF_UNICODETEXT, units.data(), units.size() * sizeof(char16_t));
}

bool GetClipboardToStream(UINT Format, TStream* Stream) {
  TClipboardOpening open;
  std::string bytes;
  if (!Clipboard()->GetBuffer(Format, bytes)) return false;
  if (Format == GridDataClipboardFormat() && !UsableGridData(bytes)) return false;
  if (Format == CF_TEXT) bytes = TextUpToZero(bytes);
  if (!bytes.empty()) Stream->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  return true;
}

bool ClipboardHasGridPasteData() {
  TClipboardOpening open;
  std::string bytes;
  if (Clipboard()->GetBuffer(GridDataClipboardFormat(), bytes) && UsableGridData(bytes)) return true;
  return Clipboard()->GetBuffer(CF_TEXT, bytes) && !TextUpToZero(bytes).empty();
}

// ---------------------------------------------------------------------------------------------------
// Copy, cut, paste

// Each format is made once, straight into the block the clipboard keeps (its zero appended in place),
// and handed over whole: a copy of many records costs its exports and the UTF-16 text, not several
// copies of each block.
void CopyGridToClipboard(TCustomDBGridX* Grid, bool IsAll) {
  TClipboardOpening open;
  TControlsDisabled disabled(GridDataSet(Grid));

  std::string text = ExportGridClipText(Grid, IsAll);
  std::string units;
  if (IsWindowsNTPlatform()) {
    // The same text, up to its first zero, as UTF-16 with a zero unit at its end.
    const std::u16string u = Utf8ToUtf16(std::string_view(text.data(), strnlen(text.data(), text.size())));
    units.reserve(u.size() * 2 + 2);
    units.assign(reinterpret_cast<const char*>(u.data()), u.size() * 2);
    units.append(2, '\0');
  }
  text.push_back('\0');
  Clipboard()->SetBytes(CF_TEXT, std::move(text));
  if (IsWindowsNTPlatform()) Clipboard()->SetBytes(CF_UNICODETEXT, std::move(units));

  std::string csv = ExportGridClipCsv(Grid, IsAll);
  csv.push_back('\0');
  Clipboard()->SetBytes(CF_CSV(), std::move(csv));

  std::string rtf = ExportGridClipRtf(Grid, IsAll);
  rtf.push_back('\0');
  Clipboard()->SetBytes(CF_RTF(), std::move(rtf));

  Clipboard()->SetBytes(GridDataClipboardFormat(), ExportGridClipData(Grid, IsAll));
}

void CutGridToClipboard(TCustomDBGridX* Grid, bool IsAll) {
  CopyGridToClipboard(Grid, IsAll);
  ClearGridSelection(Grid, IsAll);
}

void PasteGridFromClipboard(TCustomDBGridX* Grid, bool IsAll) {
  TClipboardOpening open;
  TMemoryStream stream;
  if (GetClipboardToStream(GridDataClipboardFormat(), &stream)) {
    stream.SetPosition(0);
    ImportGridClipData(Grid, &stream, IsAll);
  } else if (GetClipboardToStream(CF_TEXT, &stream)) {
    stream.SetPosition(0);
    ImportGridClipText(Grid, &stream, IsAll);
  }
}

// ---------------------------------------------------------------------------------------------------
// Clearing the selection

bool ConfirmGridSelectionClear(TCustomDBGridX* Grid, TGridXSelectionType Kind) {
  if (!Grid->Options().Contains(gdoConfirmDelete)) return true;
  int question = 0;
  switch (Kind) {
    case selRecordsX:
      question = Grid->SelectedRows()->Count() < 2 ? SDeleteRecordQuestion : SDeleteMultipleRecordsQuestion;
      break;
    case selRectangleX:
      question = SClearSelectedCellsQuestion;
      break;
    case selAllX:
      // Deleting every record asks like deleting several selected ones.
      question = SDeleteMultipleRecordsQuestion;
      break;
    default:  // emptying selected columns deletes no record
      return true;
  }
  return MessageDlg(LoadResString(question), mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}) != mrCancel;
}

void ClearSelectedCellsOfRecord(TCustomDBGridX* Grid, const TColumnsXList& Columns) {
  TDataSet* ds = GridDataSet(Grid);
  if (!ds) return;
  for (TColumnX* col : Columns) {
    if (!col || !col->CanModify(false)) continue;
    TField* target = col->Field();
    if (target && target->FieldKind() == fkLookup) target = ds->FindField(target->KeyFields());
    if (!target || !ds->CanModify()) continue;
    ds->Edit();
    if (IsEditMode(ds->State())) target->Clear();
  }
}

void ClearGridSelection(TCustomDBGridX* Grid, bool IsAll) {
  TGridXClipSelection sel = GridClipSelection(Grid);
  const TGridXSelectionType kind = IsAll ? selAllX : sel.Kind;
  TDataSet* ds = GridDataSet(Grid);
  if (kind == selNoneX || !ds) return;
  if (!ConfirmGridSelectionClear(Grid, kind)) return;

  Grid->SavePosition();
  auto restore = [Grid] { Grid->RestorePosition(); };
  TControlsDisabled disabled(ds);
  switch (kind) {
    case selRecordsX: {
      TBookmarkListX* rows = Grid->SelectedRows();
      std::vector<TBookmark> marks;
      for (int i = 0; i < rows->Count(); ++i) marks.push_back(rows->Items(i));
      for (const TBookmark& b : marks) {
        if (!ds->BookmarkValid(b)) continue;
        ds->GotoBookmark(b);
        ds->Delete();
      }
      ClearGridSelectionState(Grid);
      break;
    }
    case selRectangleX: {
      TColumnsXList cols;
      for (int i = sel.LeftCol; i <= sel.RightCol; ++i)
        if (TColumnX* c = Grid->ColumnAt(i); c && c->Visible()) cols.push_back(c);
      ds->GotoBookmark(sel.TopRow);
      while (!ds->Eof()) {
        ClearSelectedCellsOfRecord(Grid, cols);
        if (ds->CompareBookmarks(ds->Bookmark(), sel.BottomRow) == 0) break;
        ds->Next();
      }
      restore();
      break;
    }
    case selColumnsX:
      for (ds->First(); !ds->Eof(); ds->Next()) ClearSelectedCellsOfRecord(Grid, sel.Columns);
      restore();
      break;
    case selAllX:
      ds->First();
      while (!ds->IsEmpty() && !ds->Eof()) ds->Delete();
      ClearGridSelectionState(Grid);
      break;
    default:
      break;
  }
}

namespace DBGridXClipboard {

void Initialize() {
  if (UnitCount++ > 0) return;
  RegisterFormats();
  RegisterResourceString(SDeleteRecordQuestion, "SDeleteRecordQuestion", "Delete record?");
  RegisterResourceString(SDeleteMultipleRecordsQuestion, "SDeleteMultipleRecordsQuestion",
                         "Delete all selected records?");
  RegisterResourceString(SClearSelectedCellsQuestion, "SClearSelectedCellsQuestion", "清除选择的单元?");
}

void Finalize() {
  if (UnitCount > 0) --UnitCount;
}

}  // namespace DBGridXClipboard
