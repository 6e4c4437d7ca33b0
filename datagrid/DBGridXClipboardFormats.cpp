// The clipboard's formats through the export and import units.
//
// Stand-ins until the export unit (text, CSV, RTF writers, binary grid-data writer) and the import unit
// (text and binary readers) land: text and CSV are written for the selected records (or all records)
// with titles, RTF and binary grid data are written empty, and text is read from the current record
// and column onward. Each function is replaced by a call of the real writer or reader.
#include "datagrid/DBGridXClipboardFormats.h"

#include "datagrid/DBGridXClipboard.h"

namespace {

// Visits the exported records: the selected ones in list order, or every record.
template <typename F>
void ForExportedRecords(TCustomDBGridX* Grid, bool IsAll, F Visit) {
  TDataSet* ds = Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
  if (!ds || !ds->Active()) return;
  TBookmark keep = ds->Bookmark();
  ds->DisableControls();
  try {
    if (IsAll) {
      for (ds->First(); !ds->Eof(); ds->Next()) Visit();
    } else {
      TBookmarkListX* rows = Grid->SelectedRows();
      for (int i = 0; i < rows->Count(); ++i) {
        ds->GotoBookmark(rows->Items(i));
        Visit();
      }
    }
  } catch (...) {
    if (!keep.empty()) ds->GotoBookmark(keep);
    ds->EnableControls();
    throw;
  }
  if (!keep.empty()) ds->GotoBookmark(keep);
  ds->EnableControls();
}

std::string Quoted(const std::string& S, bool Csv) {
  if (!Csv) return S;
  std::string out = "\"";
  for (char c : S) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string ExportLines(TCustomDBGridX* Grid, bool IsAll, bool Csv) {
  if (!IsAll && GridClipSelection(Grid).Kind == selNoneX) return {};
  const char sep = Csv ? ';' : '\t';
  std::string out;
  bool first = true;
  auto line = [&](auto Cell) {
    if (!first) out += "\r\n";
    first = false;
    bool firstCell = true;
    for (TColumnX* col : Grid->VisibleColumns()) {
      if (!firstCell) out += sep;
      firstCell = false;
      out += Quoted(Cell(col), Csv);
    }
  };
  if (Grid->Options().Contains(gdoTitles)) line([](TColumnX* c) { return c->Title()->Caption(); });
  ForExportedRecords(Grid, IsAll, [&] { line([](TColumnX* c) { return c->GetCellDisplayText(); }); });
  return out;
}

}  // namespace

std::string ExportGridClipText(TCustomDBGridX* Grid, bool IsAll) { return ExportLines(Grid, IsAll, false); }
std::string ExportGridClipCsv(TCustomDBGridX* Grid, bool IsAll) { return ExportLines(Grid, IsAll, true); }
std::string ExportGridClipRtf(TCustomDBGridX*, bool) { return {}; }
std::string ExportGridClipData(TCustomDBGridX*, bool) { return {}; }

void ImportGridClipData(TCustomDBGridX*, TStream*, bool) {}

void ImportGridClipText(TCustomDBGridX* Grid, TStream* Stream, bool) {
  TDataSet* ds = Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
  if (!ds || !ds->Active()) return;
  std::string text(static_cast<size_t>(Stream->Size() - Stream->Position()), '\0');
  if (!text.empty()) Stream->Read(text.data(), static_cast<int64_t>(text.size()));
  TColumnsXList cols;
  for (int i = std::max(0, Grid->GetSelectedIndex()); i < Grid->Columns()->Count(); ++i)
    if (Grid->Columns()->Items(i)->Visible()) cols.push_back(Grid->Columns()->Items(i));
  size_t pos = 0;
  while (pos <= text.size() && !ds->Eof()) {
    size_t end = text.find("\r\n", pos);
    std::string lineText = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    size_t c = 0, start = 0;
    while (c < cols.size()) {
      size_t tab = lineText.find('\t', start);
      std::string cell = lineText.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
      if (cols[c]->Field() && cols[c]->CanModify(false)) {
        ds->Edit();
        cols[c]->Field()->SetAsString(cell);
      }
      ++c;
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (end == std::string::npos) break;
    pos = end + 2;
    ds->Next();
  }
  if (IsEditMode(ds->State())) ds->Post();
}
