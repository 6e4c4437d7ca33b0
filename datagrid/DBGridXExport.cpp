// The export walk, footer values over the exported records, and the text and CSV formats.
#include "datagrid/DBGridXExport.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "datagrid/DBGridXCellParams.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBGridXSelection.h"
#include "dataedit/DBSumLst.h"
#include "platform/graphics/replacefile.h"

namespace {

// The grid's position during a walk: the current record, put back afterwards.
struct TSavedPosition {
  TBookmark Bookmark;
  bool Valid = false;
};

TSavedPosition SavePosition(TDataSet* DS) {
  TSavedPosition P;
  if (DS->Active() && !(DS->Bof() && DS->Eof())) {
    P.Bookmark = DS->GetBookmark();
    P.Valid = !P.Bookmark.empty();
  }
  return P;
}

void RestorePosition(TDataSet* DS, const TSavedPosition& P) {
  if (P.Valid && DS->Active() && DS->BookmarkValid(P.Bookmark)) DS->GotoBookmark(P.Bookmark);
}

TField* FooterField(TDataSet* DS, TColumnX* Column, const TExportFooterX& Footer) {
  if (!DS) return nullptr;
  return DS->FindField(Footer.FieldName.empty() ? Column->FieldName() : Footer.FieldName);
}

bool IsNumericField(TField* F) {
  switch (F->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftFloat: case ftCurrency: case ftBCD:
    case ftFMTBcd: case ftLargeint:
      return true;
    default:
      return false;
  }
}

// A sum or average as the grid's footer writes it: the footer's format, else the field's, else the
// type's plain form; fields that are not numbers show "0".
std::string FormatFooterNumber(TField* F, const std::string& Fmt, Currency Value) {
  if (!F) return "0";
  const double V = Value.ToDouble();
  std::string FieldFmt;
  if (auto* N = dynamic_cast<TNumericField*>(F)) FieldFmt = N->DisplayFormat();
  switch (F->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      if (!Fmt.empty()) return FormatFloat(Fmt, V);
      if (!FieldFmt.empty()) return FormatFloat(FieldFmt, V);
      return std::to_string(Value.ToInt64());
    case ftFloat:
    case ftCurrency: {
      if (!Fmt.empty()) return FormatFloat(Fmt, V);
      if (!FieldFmt.empty()) return FormatFloat(FieldFmt, V);
      auto* FF = dynamic_cast<TFloatField*>(F);
      const bool Curr = FF ? FF->IsCurrency() : F->DataType() == ftCurrency;
      const int Prec = FF ? FF->Precision() : 15;
      return FloatToStrF(V, Curr ? ffCurrency : ffGeneral, Prec, Curr ? FormatSettings.CurrencyDecimals : 0);
    }
    case ftBCD:
    case ftFMTBcd: {
      if (!Fmt.empty()) return FormatFloat(Fmt, V);
      if (!FieldFmt.empty()) return FormatCurr(FieldFmt, Value);
      auto* BF = dynamic_cast<TBCDField*>(F);
      const bool Curr = BF && BF->IsCurrency();
      return CurrToStrF(Value, Curr ? ffCurrency : ffGeneral, Curr ? FormatSettings.CurrencyDecimals : 0);
    }
    default:
      return "0";
  }
}

}  // namespace

TDBGridXExport::TDBGridXExport() : FCellFont(std::make_unique<TFont>()) {}
TDBGridXExport::~TDBGridXExport() = default;

TDataSet* TDBGridXExport::DataSet() const {
  if (!DBGridX || !DBGridX->DataSource()) return nullptr;
  return DBGridX->DataSource()->DataSet();
}

void TDBGridXExport::SetSelection(const TGridXExportSelection& Selection) {
  FSelection = Selection;
  FHasSelection = true;
}

TGridXExportSelection TDBGridXExport::GridSelection() {
  if (FHasSelection) return FSelection;
  return GridXExportSelectionOf(DBGridX);
}

TGridXExportSelection GridXExportSelectionOf(TCustomDBGridX* Grid) {
  TGridXExportSelection S;
  if (!Grid) return S;
  TDBGridXSelection* Sel = Grid->SelectionX();
  S.Kind = Sel ? Sel->Kind() : selNoneX;
  // Rows selected through the list alone (the kind not set yet) are a records selection.
  if (S.Kind == selNoneX && Grid->SelectedRows()->Count() > 0) S.Kind = selRecordsX;
  if (S.Kind == selRectangleX) {
    TDBGridXSelectionRect* R = Sel->Rect();
    if (R->Empty()) {
      S.Kind = selNoneX;
    } else {
      S.LeftCol = R->LeftCol();
      S.RightCol = R->RightCol();
      S.TopRow = R->TopRow();
      S.BottomRow = R->BottomRow();
    }
  } else if (S.Kind == selColumnsX) {
    S.Columns = *Sel->Columns();
  }
  return S;
}

int TDBGridXExport::ExportFooterRowCount() { return DBGridX ? DBGridX->FooterRowCount() : 0; }

bool TDBGridXExport::GetExportFooter(TColumnX* Column, int Row, TExportFooterX& Footer) {
  TColumnFooterX* F = Column ? Column->FooterOfRow(Row) : nullptr;
  if (!F) return false;
  Footer.ValueType = static_cast<TExportFooterX::TValueKind>(F->ValueType());
  Footer.FieldName = F->FieldName();
  Footer.DisplayFormat = F->DisplayFormat();
  Footer.Font = F->Font();
  Footer.Color = F->Color();
  Footer.Alignment = F->Alignment();
  // The kinds the export does not count itself show the grid's text.
  if (Footer.ValueType == TExportFooterX::FieldValue || Footer.ValueType == TExportFooterX::StaticText) {
    Footer.GridText.clear();
    if (DBGridX) DBGridX->GetFooterText(Row, Column, Footer.GridText);
  }
  return true;
}

void TDBGridXExport::Flush() {
  if (FOut.empty() || !Stream) return;
  Stream->WriteBuffer(FOut.data(), static_cast<int64_t>(FOut.size()));
  FOut.clear();
}

namespace {

// The export's bytes straight into the temporary file of the file being replaced; a failed write
// raises with the system's reason.
class TReplacementStream : public TStream {
 public:
  explicit TReplacementStream(PictureFiles::FileReplacement& File) : FFile(File) {}
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Write(const void* Buffer, int64_t Count) override {
    if (Count <= 0) return 0;
    if (const int Err = FFile.Write(Buffer, static_cast<size_t>(Count))) throw EWriteError(std::strerror(Err));
    FSize += Count;
    return Count;
  }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    if (Offset == 0 && Origin != soBeginning) return FSize;
    throw EStreamError("Stream seek error");
  }
  int64_t Size() override { return FSize; }

 private:
  PictureFiles::FileReplacement& FFile;
  int64_t FSize = 0;
};

std::string FolderOfFile(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of('/');
  if (Slash == std::string::npos) return ".";
  return Slash == 0 ? "/" : FileName.substr(0, Slash);
}

}  // namespace

// The export goes into the file's temporary file as it is made and replaces the file in one step, so a
// failure part-way (a full disk, a writer that raises) leaves the old file as it was rather than a
// truncated one.
void TDBGridXExport::ExportFile(const std::string& FileName, bool IsExportAll) {
  PictureFiles::FileReplacement File;
  if (const int Err = File.Open(FileName))
    throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName, std::strerror(Err)));
  TReplacementStream Out(File);
  struct TGathering {
    std::string& Folder;
    ~TGathering() { Folder.clear(); }  // however the export ends
  } Gathering{GatherFolder};
  GatherFolder = FolderOfFile(FileName);
  FWalked = false;
  try {
    ExportStream(&Out, IsExportAll);
  } catch (EAbort&) {
    throw;
  } catch (Exception& E) {
    E.SetMessage(Format("Cannot create file \"%s\". %s", FileName, E.Message()));
    throw;
  }
  // Nothing selected and not everything asked for: no export was made, the file stays as it was.
  if (!FWalked && Out.Size() == 0) return;
  if (const int Err = File.Commit())
    throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName, std::strerror(Err)));
}

int64_t TStringSinkStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  FBytes.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
  return Count;
}

int64_t TStringSinkStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  if (Offset == 0 && Origin != soBeginning) return static_cast<int64_t>(FBytes.size());
  throw EStreamError("Stream seek error");
}

std::string ExportGridToString(TDBGridXExport& Exporter, bool IsExportAll) {
  std::string Bytes;
  TStringSinkStream S(Bytes);
  Exporter.ExportStream(&S, IsExportAll);
  return Bytes;
}

void TDBGridXExport::ExportStream(TStream* AStream, bool IsExportAll) {
  Stream = AStream;
  FOut.clear();
  TGridXExportSelection Sel;
  if (IsExportAll)
    Sel.Kind = selAllX;
  else
    Sel = GridSelection();
  TDataSet* DS = DataSet();
  FWalked = false;
  if (Sel.Kind == selNoneX || !DS || !DBGridX) {
    FFooterTotals.clear();
    return;
  }
  FWalked = true;
  DS->CheckActive();
  const bool Titles = DBGridX->Options().Contains(gdoTitles);
  const TColumnsXList& Visible = DBGridX->VisibleColumns();
  auto Prepare = [&](const TColumnsXList& Cols) {
    ExpCols = Cols;
    FFooterRows = std::max(0, ExportFooterRowCount());
    const size_t N = ExpCols.size() * static_cast<size_t>(FFooterRows);
    FFooterTotals.assign(N, TFooterAccumulator{});
    FFooters.assign(N, TExportFooterX{});
    FFooterFields.assign(N, nullptr);
    for (int r = 0; r < FFooterRows; ++r)
      for (size_t i = 0; i < ExpCols.size(); ++i) {
        const size_t k = i + static_cast<size_t>(r) * ExpCols.size();
        if (!GetExportFooter(ExpCols[i], r, FFooters[k])) FFooters[k] = TExportFooterX{};
        TField* F = FooterField(DS, ExpCols[i], FFooters[k]);
        // Sums and averages only add numbers; on other fields the grid's footer shows "0".
        if (F && (FFooters[k].ValueType == TExportFooterX::Sum || FFooters[k].ValueType == TExportFooterX::Avg) &&
            !IsNumericField(F))
          F = nullptr;
        FFooterFields[k] = F;
      }
    // Columns whose cell text is the field's display text as it stands (no key list, no format of
    // their own, not a memo shown as text) read it straight from the field during the walk.
    // Plain integer and string fields are read without building a text through the field at all.
    FDirectText.assign(ExpCols.size(), nullptr);
    FDirectKind.assign(ExpCols.size(), dkText);
    for (size_t i = 0; i < ExpCols.size(); ++i) {
      TColumnX* Col = ExpCols[i];
      TField* F = Col->Field();
      if (F && Col->DisplayFormat().empty() && !(Col->HasKeyList() && Col->KeyList()->Count() > 0) &&
          Col->GetCellKind() != cckKeyImages && !(F->DataType() == ftMemo && DBGridX->EditMemoFields() == 1)) {
        FDirectText[i] = F;
        if (!F->OnGetText && F->FieldKind() == fkData) {
          auto* IF = dynamic_cast<TIntegerField*>(F);
          if (IF && F->Native() == TField::nvInt32 && IF->DisplayFormat().empty())
            FDirectKind[i] = dkInteger;
          else if (F->DataType() == ftString && F->Native() == TField::nvString && dynamic_cast<TStringField*>(F))
            FDirectKind[i] = dkString;
        }
      }
    }
    EmitPrefix();
    if (Titles) EmitTitle(ExpCols);
  };
  DS->DisableControls();
  const TSavedPosition Saved = SavePosition(DS);
  try {
    switch (Sel.Kind) {
      case selRecordsX: {
        Prepare(Visible);
        TBookmarkListX* Rows = DBGridX->SelectedRows();
        for (int i = 0; i < Rows->Count(); ++i) {
          DS->GotoBookmark(Rows->Items(i));
          AccumulateFooterValues();
          EmitRecord(ExpCols);
        }
        break;
      }
      case selRectangleX: {
        TColumnsXList Cols;
        for (int c = Sel.LeftCol; c <= Sel.RightCol; ++c) {
          TColumnX* Col = DBGridX->ColumnAt(c);
          if (Col && Col->Visible()) Cols.push_back(Col);
        }
        Prepare(Cols);
        DS->GotoBookmark(Sel.TopRow);
        while (!DS->Eof()) {
          EmitRecord(ExpCols);
          AccumulateFooterValues();
          if (DS->CompareBookmarks(Sel.BottomRow, DS->GetBookmark()) == 0) break;
          DS->Next();
        }
        break;
      }
      case selColumnsX:
      case selAllX: {
        Prepare(Sel.Kind == selColumnsX ? Sel.Columns : Visible);
        DS->First();
        while (!DS->Eof()) {
          EmitRecord(ExpCols);
          AccumulateFooterValues();
          DS->Next();
        }
        break;
      }
      default:
        break;
    }
    EmitFooters(ExpCols);
  } catch (...) {
    RestorePosition(DS, Saved);
    DS->EnableControls();
    FFooterTotals.clear();
    Flush();
    throw;
  }
  RestorePosition(DS, Saved);
  DS->EnableControls();
  EmitSuffix();
  FFooterTotals.clear();
  Flush();
}

void TDBGridXExport::EmitFooters(const TColumnsXList& Columns) {
  for (int r = 0; r < FFooterRows; ++r) EmitFooter(Columns, r);
}

void TDBGridXExport::EmitRecord(const TColumnsXList& Columns) {
  const bool Look = NeedsCellLook(), Text = NeedsCellText();
  const bool Direct = FDirectText.size() == Columns.size();
  for (size_t i = 0; i < Columns.size(); ++i) {
    TColumnX* Col = Columns[i];
    if (Look) {
      FCellFont->Assign(Col->Font());
      FParams.Font = FCellFont.get();
      FParams.Background = Col->Color();
      FParams.Alignment = Col->Alignment();
      FParams.ImageIndex = Col->GetCellKind() == cckKeyImages ? Col->GetImageIndex() : -1;
      FParams.CheckboxState = Col->Checkboxes() ? Col->ReadCheckState() : cbUnchecked;
      if (DBGridX->OnGetCellParams) DBGridX->DoGetCellParams(Col, FCellFont.get(), FParams.Background, TGridDrawState());
    }
    if (Text && Direct && FDirectText[i]) {
      TField* F = FDirectText[i];
      switch (FDirectKind[i]) {
        case dkInteger: {
          int32_t V;
          if (F->GetData(&V)) {
            char B[16];
            const auto R = std::to_chars(B, B + sizeof B, V);
            FParams.Text.assign(B, R.ptr);
          } else {
            FParams.Text.clear();
          }
          break;
        }
        case dkString:
          if (!F->GetData(&FParams.Text)) FParams.Text.clear();
          break;
        default:
          FParams.Text = F->DisplayText();
      }
    } else if (Text)
      FParams.Text = Col->GetCellDisplayText();
    else
      FParams.Text.clear();
    if (Col->OnGetCellParams()) {
      // The column's handler may change any parameter, the text too (edit mode off).
      if (!Look) {
        FCellFont->Assign(Col->Font());
        FParams.Font = FCellFont.get();
        FParams.Background = Col->Color();
        FParams.Alignment = Col->Alignment();
      }
      TColCellParamsX P;
      P.Font = FParams.Font;
      P.CellColor = FParams.Background;
      P.Alignment = FParams.Alignment;
      P.Text = FParams.Text;
      P.ImageIndex = FParams.ImageIndex;
      P.CheckState = FParams.CheckboxState;
      P.ReadOnly = Col->ReadOnly();
      Col->GetCellParams(false, &P);
      FParams.Font = P.Font ? P.Font : FCellFont.get();
      FParams.Background = P.CellColor;
      FParams.Alignment = P.Alignment;
      FParams.Text = std::move(P.Text);
      FParams.ImageIndex = P.ImageIndex;
      FParams.CheckboxState = P.CheckState;
    }
    EmitDataCell(Col, FParams);
  }
}

void TDBGridXExport::AccumulateFooterValues() {
  if (FFooterRows == 0) return;
  for (size_t k = 0; k < FFooterTotals.size(); ++k) {
    TFooterAccumulator& A = FFooterTotals[k];
    TField* F = FFooterFields[k];
    switch (FFooters[k].ValueType) {
      case TExportFooterX::Sum:
        if (F && !F->IsNull()) A.Sum.Add(F->AsFloat());
        break;
      case TExportFooterX::Avg:
        if (F && !F->IsNull()) {
          A.Sum.Add(F->AsFloat());
          ++A.NotNull;
        }
        break;
      case TExportFooterX::Count:
        // The grid's count footer counts records, whatever its field (nulls too).
        ++A.Count;
        break;
      default:
        break;
    }
  }
}

std::string TDBGridXExport::FormatExportFooterValue(int FooterNo, int I, const TExportFooterX& Footer) {
  const size_t k = static_cast<size_t>(I) + static_cast<size_t>(FooterNo) * ExpCols.size();
  if (k >= FFooterTotals.size()) return std::string();
  const TFooterAccumulator& A = FFooterTotals[k];
  TField* F = FFooterFields[k];
  switch (Footer.ValueType) {
    // Beyond the fixed-point range the total is written from its floating-point value, as the grid
    // shows it, never as the range's limit.
    case TExportFooterX::Sum:
      if (!A.Sum.Fits()) return F ? FormatFooterAggregate(F, A.Sum.AsFloat(), Footer.DisplayFormat) : "0";
      return FormatFooterNumber(F, Footer.DisplayFormat, ClampTotal(A.Sum.Fixed));
    case TExportFooterX::Avg:
      if (A.Sum.BeyondCount != 0)
        return F ? FormatFooterAggregate(F, A.Sum.AsFloat() / static_cast<long double>(A.NotNull), Footer.DisplayFormat)
                 : "0";
      return FormatFooterNumber(F, Footer.DisplayFormat,
                                AverageOfTotal(A.Sum.Fixed, static_cast<int>(A.NotNull)));
    case TExportFooterX::Count: {
      const double N = static_cast<double>(A.Count);
      return Footer.DisplayFormat.empty() ? FloatToStr(N) : FormatFloat(Footer.DisplayFormat, N);
    }
    default:
      return Footer.GridText;
  }
}

void TDBGridXExport::EmitFooter(const TColumnsXList& Columns, int FooterNo) {
  for (size_t i = 0; i < Columns.size(); ++i) {
    const size_t k = i + static_cast<size_t>(FooterNo) * Columns.size();
    const TExportFooterX& Ft = FFooters[k];
    FCellFont->Assign(Ft.Font ? Ft.Font : DBGridX->FooterFont());
    std::string Text = FormatExportFooterValue(FooterNo, static_cast<int>(i), Ft);
    TColor Color = Ft.Color;
    TAlignment Alignment = Ft.Alignment;
    if (DBGridX->OnGetFooterParams)
      DBGridX->DoGetFooterParams(Columns[i]->Index(), FooterNo, Columns[i], FCellFont.get(), Color, Alignment,
                                 TGridDrawState(), Text);
    EmitFooterCell(static_cast<int>(i), FooterNo, Text, Alignment, Color, FCellFont.get(), Columns[i]);
  }
}

// ---------------------------------------------------------------------------------------------------
// Text

void TDBGridXExportAsText::ExportStream(TStream* S, bool IsExportAll) {
  AtFirstRecord = true;
  TDBGridXExport::ExportStream(S, IsExportAll);
}

void TDBGridXExportAsText::StartLine() {
  if (AtFirstRecord)
    AtFirstRecord = false;
  else
    Put("\r\n", 2);
}

void TDBGridXExportAsText::StartCell() {
  if (AtFirstCell)
    AtFirstCell = false;
  else
    Put('\t');
}

void TDBGridXExportAsText::EmitTitle(const TColumnsXList& Columns) {
  StartLine();
  AtFirstCell = true;
  for (TColumnX* Col : Columns) {
    StartCell();
    PutCellText(Col->Title()->Caption());
  }
}

void TDBGridXExportAsText::EmitRecord(const TColumnsXList& Columns) {
  StartLine();
  AtFirstCell = true;
  TDBGridXExport::EmitRecord(Columns);
}

void TDBGridXExportAsText::EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) {
  (void)Column;
  StartCell();
  PutCellText(Params.Text);
}

void TDBGridXExportAsText::EmitFooter(const TColumnsXList& Columns, int FooterNo) {
  StartLine();
  AtFirstCell = true;
  TDBGridXExport::EmitFooter(Columns, FooterNo);
}

void TDBGridXExportAsText::EmitFooterCell(int DataCol, int Row, const std::string& Text, TAlignment Alignment,
                                          TColor Background, TFont* Font, TColumnX* Column) {
  (void)DataCol; (void)Row; (void)Alignment; (void)Background; (void)Font; (void)Column;
  StartCell();
  PutCellText(Text);
}

// ---------------------------------------------------------------------------------------------------
// CSV

void AppendCsvQuoted(std::string& Out, const std::string& Text) {
  Out.push_back('"');
  size_t From = 0;
  for (;;) {
    const size_t Q = Text.find('"', From);
    if (Q == std::string::npos) {
      Out.append(Text, From, std::string::npos);
      break;
    }
    Out.append(Text, From, Q + 1 - From);
    Out.push_back('"');
    From = Q + 1;
  }
  Out.push_back('"');
}

void TDBGridXExportAsCSV::StartCell() {
  if (AtFirstCell)
    AtFirstCell = false;
  else
    Put(Separator);
}

void TDBGridXExportAsCSV::PutCellText(const std::string& Text) {
  AppendCsvQuoted(Buffer(), Text);
  FlushIfFull();
}

static_assert(static_cast<int>(fvtStaticText) == TExportFooterX::StaticText &&
                  static_cast<int>(fvtCount) == TExportFooterX::Count,
              "export footer kinds follow the footer value types");
