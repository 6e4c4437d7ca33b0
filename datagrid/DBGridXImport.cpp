// The import walk, the cell-error protocol, and the text and CSV readers.
#include "datagrid/DBGridXImport.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "datagrid/DBGridXSelection.h"
#include "platform/forms/dialogs.h"

std::string ImpExpResString(int Id) {
  static std::once_flag Once;
  std::call_once(Once, [] {
    RegisterResourceString(65111, "SInvalidTextFormat", "错误的文本格式");
    RegisterResourceString(65112, "SInvalidGridDataFormat", "错误的 VCLDBIF 格式");
    RegisterResourceString(65113, "SErrorDuringInsertValue", "插入值过程中出错:");
    RegisterResourceString(65114, "SIgnoreErrors", "忽略错误?");
  });
  return LoadResString(Id);
}

// ---------------------------------------------------------------------------------------------------

void TImportByteSource::Reset(TStream* S) {
  FStream = S;
  FPos = FLen = 0;
  FConsumed = 0;
  FTotal = 0;
  if (S) {
    const int64_t Size = S->Size(), Pos = S->Position();
    FTotal = Size > Pos ? Size - Pos : 0;
  }
}

bool TImportByteSource::Fill() {
  if (!FStream) return false;
  FConsumed += static_cast<int64_t>(FLen);
  FPos = FLen = 0;
  const int64_t N = FStream->Read(FBuf.data(), static_cast<int64_t>(FBuf.size()));
  if (N <= 0) return false;
  FLen = static_cast<size_t>(N);
  // A stream that grew while read: count what it gave.
  if (FConsumed + N > FTotal) FTotal = FConsumed + N;
  return true;
}

void TImportByteSource::ScanLineEnds(bool& CRLF, bool& LF) {
  CRLF = LF = false;
  bool AfterCR = false;
  // True once a CR LF is seen: nothing further can change the answer.
  auto Look = [&](const char* P, size_t N) {
    for (size_t I = 0; I < N; ++I) {
      if (P[I] == '\n') {
        LF = true;
        if (AfterCR) {
          CRLF = true;
          return true;
        }
      }
      AfterCR = P[I] == '\r';
    }
    return false;
  };
  if (Look(FBuf.data() + FPos, FLen - FPos) || !FStream) return;
  // The rest of the stream in blocks of its own, then back to where reading goes on.
  const int64_t Keep = FStream->Position();
  std::vector<char> Block(FBuf.size());
  for (;;) {
    const int64_t N = FStream->Read(Block.data(), static_cast<int64_t>(Block.size()));
    if (N <= 0 || Look(Block.data(), static_cast<size_t>(N))) break;
  }
  FStream->SetPosition(Keep);
}

bool TImportByteSource::ReadExact(void* Out, size_t Count) {
  char* O = static_cast<char*>(Out);
  while (Count > 0) {
    if (FPos == FLen && !Fill()) return false;
    const size_t N = std::min(Count, FLen - FPos);
    std::memcpy(O, FBuf.data() + FPos, N);
    FPos += N;
    O += N;
    Count -= N;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------------

TDataSet* TDBGridXImport::DataSet() const {
  if (!DBGridX || !DBGridX->DataSource()) return nullptr;
  return DBGridX->DataSource()->DataSet();
}

void TDBGridXImport::SetSelection(const TGridXExportSelection& Selection) {
  FSelection = Selection;
  FHasSelection = true;
}

TGridXExportSelection TDBGridXImport::GridSelection() {
  if (FHasSelection) return FSelection;
  return GridXExportSelectionOf(DBGridX);
}

void TDBGridXImport::ImportFile(const std::string& FileName, bool IsImportAll) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  ImportStream(&F, IsImportAll);
}

void ImportGridFromString(TDBGridXImport& Importer, const std::string& Bytes, bool IsImportAll) {
  TMemoryStream M;
  if (!Bytes.empty()) M.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  M.SetPosition(0);
  Importer.ImportStream(&M, IsImportAll);
}

void TDBGridXImport::ReadAhead() {
  try {
    if (!ReadRecord()) AtEnd = true;
  } catch (...) {
    // Reported when the record would be used, so the record before it is finished first.
    FPendingError = std::current_exception();
  }
}

void TDBGridXImport::ParseRecord(const TColumnsXList& Columns) {
  if (AtEnd) return;
  if (FPendingError) {
    std::exception_ptr E = FPendingError;
    FPendingError = nullptr;
    AtEnd = true;
    std::rethrow_exception(E);
  }
  const int N = RecordValueCount();
  for (int i = 0; i < N && i < static_cast<int>(Columns.size()); ++i) ParseDataCell(Columns[static_cast<size_t>(i)], i);
  ReadAhead();
}

bool TDBGridXImport::EnsureEditing(TDataSet* DS) {
  if (!DS->CanModify()) return false;
  if (DS->State() == dsBrowse) {
    DS->Edit();
    FOpenedRecord = true;
  }
  return DS->State() == dsEdit || DS->State() == dsInsert;
}

TField* TDBGridXImport::TargetField(TColumnX* Column) {
  if (!Column || !Column->CanModify(false)) return nullptr;
  TField* F = Column->Field();
  if (F && F->Lookup()) {
    if (F->KeyFields().empty()) return nullptr;
    return F->DataSet()->FindField(F->KeyFields());
  }
  return F;
}

namespace {

// An error quotes the cell it could not take; a cell can be megabytes long, so the question keeps the
// error's beginning and end (where the field is named) and leaves out the middle.
std::string ShortenedErrorText(const std::string& Text) {
  constexpr size_t Head = 200, Tail = 100;
  if (Text.size() <= Head + Tail + 3) return Text;
  auto Continuation = [&](size_t I) { return (static_cast<unsigned char>(Text[I]) & 0xC0) == 0x80; };
  size_t H = Head;
  while (H > 0 && Continuation(H)) --H;
  size_t T = Text.size() - Tail;
  while (T < Text.size() && Continuation(T)) ++T;
  return Text.substr(0, H) + "..." + Text.substr(T);
}

}  // namespace

void TDBGridXImport::AssignGuarded(const std::function<void()>& Assign) {
  try {
    Assign();
  } catch (EAbort&) {
    throw;
  } catch (Exception& E) {
    if (IgnoreAll) return;
    const std::string Msg =
        ImpExpResString(65113) + "\n" + ShortenedErrorText(E.Message()) + "\n\n" + ImpExpResString(65114);
    const int R = OnCellError ? OnCellError(Msg) : MessageDlg(Msg, mtError, TMsgDlgButtons{mbYes, mbNo, mbAll});
    if (R == mrYes) return;
    if (R == mrAll) {
      IgnoreAll = true;
      return;
    }
    Abort();
  }
}

void TDBGridXImport::InsertImportedRecords(bool AppendMode) {
  TDataSet* DS = DataSet();
  while (!AtEnd) {
    if (AppendMode)
      DS->Append();
    else
      DS->Insert();
    FOpenedRecord = true;
    ParseRecord(ImpCols);
    DS->Post();
    FOpenedRecord = false;
    if (!AppendMode) DS->Next();
  }
}

void TDBGridXImport::ImportStream(TStream* S, bool IsImportAll) {
  Stream = S;
  AtEnd = false;
  FPendingError = nullptr;
  FOpenedRecord = false;
  Source.Reset(S);
  TDataSet* DS = DataSet();
  if (!DS || !DBGridX) return;
  DS->CheckActive();
  int StartIndex = DBGridX->GetSelectedIndex();
  TGridXExportSelection Sel;
  if (IsImportAll) {
    if (DBGridX->SelectionX()) DBGridX->SelectionX()->Clear();
    DBGridX->SelectedRows()->Clear();
    DS->First();
    const TColumnsXList& V = DBGridX->VisibleColumns();
    StartIndex = V.empty() ? 0 : V.front()->Index();
    // The grid's current cell follows: the first record, the first visible column.
    if (!V.empty()) DBGridX->SetCol(DBGridX->DataToRawColumn(StartIndex));
  } else {
    Sel = GridSelection();
  }
  const bool AppendMode = DS->Eof();
  const bool InsertMode = DS->State() == dsInsert;
  TBookmark Saved;
  if (!InsertMode && !(DS->Bof() && DS->Eof())) Saved = DS->GetBookmark();
  auto Restore = [&] {
    if (!Saved.empty() && DS->BookmarkValid(Saved)) DS->GotoBookmark(Saved);
  };
  auto PostOpen = [&] {
    if (DS->State() == dsEdit) DS->Post();
    FOpenedRecord = false;
  };
  DS->DisableControls();
  try {
    auto Begin = [&](TColumnsXList Cols) {
      ImpCols = std::move(Cols);
      ReadPrefix();
      ReadAhead();
    };
    switch (Sel.Kind) {
      case selNoneX: {
        TColumnsXList Cols;
        for (int i = std::max(0, StartIndex); i < DBGridX->Columns()->Count(); ++i)
          if (DBGridX->Columns()->Items(i)->Visible()) Cols.push_back(DBGridX->Columns()->Items(i));
        Begin(std::move(Cols));
        if (InsertMode) {
          InsertImportedRecords(AppendMode);
        } else {
          Restore();
          while (!DS->Eof() && !AtEnd) {
            ParseRecord(ImpCols);
            PostOpen();
            DS->Next();
          }
          if (DBGridX->AllowedOperations().Contains(geoAppend)) InsertImportedRecords(true);
        }
        break;
      }
      case selRecordsX: {
        Begin(DBGridX->VisibleColumns());
        if (InsertMode) {
          InsertImportedRecords(AppendMode);
        } else {
          TBookmarkListX* Rows = DBGridX->SelectedRows();
          for (int i = 0; i < Rows->Count() && !AtEnd; ++i) {
            DS->GotoBookmark(Rows->Items(i));
            ParseRecord(ImpCols);
            PostOpen();
          }
        }
        break;
      }
      case selRectangleX: {
        TColumnsXList Cols;
        for (int c = Sel.LeftCol; c <= Sel.RightCol; ++c) {
          TColumnX* Col = DBGridX->ColumnAt(c);
          if (Col && Col->Visible()) Cols.push_back(Col);
        }
        Begin(std::move(Cols));
        if (InsertMode) {
          InsertImportedRecords(AppendMode);
        } else {
          DS->GotoBookmark(Sel.TopRow);
          while (!DS->Eof() && !AtEnd) {
            ParseRecord(ImpCols);
            PostOpen();
            if (DS->CompareBookmarks(Sel.BottomRow, DS->GetBookmark()) == 0) break;
            DS->Next();
          }
        }
        break;
      }
      case selColumnsX:
      case selAllX: {
        Begin(Sel.Kind == selColumnsX ? Sel.Columns : DBGridX->VisibleColumns());
        if (InsertMode) {
          InsertImportedRecords(AppendMode);
        } else {
          DS->First();
          while (!DS->Eof() && !AtEnd) {
            ParseRecord(ImpCols);
            PostOpen();
            DS->Next();
          }
        }
        break;
      }
    }
    PostOpen();
    // Malformed input met while reading ahead, never used: still an error.
    if (FPendingError) {
      std::exception_ptr E = FPendingError;
      FPendingError = nullptr;
      std::rethrow_exception(E);
    }
  } catch (...) {
    // The record this import opened is not finished: drop it rather than leave it half-written.
    if (FOpenedRecord && (DS->State() == dsEdit || DS->State() == dsInsert)) DS->Cancel();
    FOpenedRecord = false;
    if (!InsertMode) Restore();
    DS->EnableControls();
    throw;
  }
  if (!InsertMode) Restore();
  DS->EnableControls();
  ReadSuffix();
}

// ---------------------------------------------------------------------------------------------------
// Text

void TDBGridXImportAsText::ImportStream(TStream* S, bool IsImportAll) {
  IgnoreAll = false;
  FLineEnd = leUnknown;
  TDBGridXImport::ImportStream(S, IsImportAll);
}

bool TDBGridXImportAsText::AtRecordEnd(int C) {
  const bool CRLF = C == '\r' && Source.Peek() == '\n';
  const TLineEnd Kind = CRLF ? leCRLF : C == '\n' ? leLF : leCR;
  if (FLineEnd == leUnknown) {
    // Nothing before C ends a line: C and what follows it decide for the whole text.
    bool RestCRLF = false, RestLF = false;
    if (!CRLF) Source.ScanLineEnds(RestCRLF, RestLF);
    FLineEnd = CRLF || RestCRLF ? leCRLF : C == '\n' || RestLF ? leLF : leCR;
  }
  if (Kind != FLineEnd) return false;
  if (CRLF) Source.Next();
  return true;
}

bool TDBGridXImportAsText::ReadRecord() {
  int C = Source.Next();
  if (C < 0) return false;
  size_t N = 0;
  // Cells beyond the target columns are read and dropped: a line of a million TABs costs no memory.
  const size_t Keep = ImpCols.size();
  std::string Dropped;
  auto Cell = [&]() -> std::string& {
    if (N >= Keep) return Dropped;
    if (N == FCells.size()) FCells.emplace_back();
    std::string& S = FCells[N];
    S.clear();
    return S;
  };
  bool EndsWithTab = false;
  bool Any = false;
  std::string* Cur = nullptr;
  for (; C >= 0; C = Source.Next()) {
    if ((C == '\r' || C == '\n') && AtRecordEnd(C)) break;
    if (!Cur) {
      Cur = &Cell();
      Any = true;
    }
    if (C == '\t') {
      ++N;
      Cur = &Cell();
      EndsWithTab = true;
      continue;
    }
    EndsWithTab = false;
    if (Cur != &Dropped) Cur->push_back(static_cast<char>(C));
  }
  if (Any) ++N;
  // A TAB right before the line end adds no cell.
  if (Any && EndsWithTab) --N;
  FCells.resize(std::min(N, Keep));
  return true;
}

void TDBGridXImportAsText::ParseDataCell(TColumnX* Column, int I) {
  AssignText(Column, FCells[static_cast<size_t>(I)]);
}

void TDBGridXImportAsText::AssignText(TColumnX* Column, const std::string& Text) {
  TField* Target = TargetField(Column);
  if (!Target) return;
  TDataSet* DS = Target->DataSet();
  AssignGuarded([&] {
    if (!EnsureEditing(DS)) return;
    TField* F = Column->Field();
    if (F->Lookup()) {
      TDataSet* L = F->LookupDataSet();
      if (L && L->Locate(F->LookupResultField(), Variant(Text), TLocateOptions{loCaseInsensitive, loPartialKey}))
        Target->SetAsVariant(L->FieldByName(F->LookupKeyFields())->AsVariant());
      return;
    }
    if (Column->GetCellKind() == cckKeyPickList) {
      // Unknown texts leave the field as it was, as for lookup columns. An entry beyond the key list has
      // no key: the key list's index error goes to the cell-error question.
      const int Idx = Column->PickList()->IndexOf(Text);
      if (Idx >= 0) Target->SetAsString(Column->KeyList()->Get(Idx));
      return;
    }
    Target->SetAsString(Text);
  });
}

// ---------------------------------------------------------------------------------------------------
// CSV

bool TDBGridXImportAsCSV::ReadRecord() {
  int C = Source.Next();
  if (C < 0) return false;
  size_t N = 0;
  // As in text: cells beyond the target columns are read and dropped.
  const size_t Keep = ImpCols.size();
  std::string Dropped;
  auto Cell = [&]() -> std::string& {
    if (N >= Keep) return Dropped;
    if (N == FCells.size()) FCells.emplace_back();
    std::string& S = FCells[N];
    S.clear();
    return S;
  };
  auto Add = [&](std::string& S, int Ch) {
    if (&S != &Dropped) S.push_back(static_cast<char>(Ch));
  };
  if (C == '\r' || C == '\n') {
    if (C == '\r' && Source.Peek() == '\n') Source.Next();
    FCells.clear();
    return true;
  }
  for (;;) {
    std::string& S = Cell();
    ++N;
    if (C == '"') {
      for (;;) {
        C = Source.Next();
        if (C < 0)
          throw Exception("TDBGridXImportAsCSV.ReadRecord: " + ImpExpResString(65111));
        if (C == '"') {
          if (Source.Peek() == '"') {
            Source.Next();
            Add(S, '"');
            continue;
          }
          C = Source.Next();
          break;
        }
        Add(S, C);
      }
    }
    // Unquoted text (or text after a closing quote) up to the separator or the line end.
    while (C >= 0 && C != Separator && C != '\r' && C != '\n') {
      Add(S, C);
      C = Source.Next();
    }
    if (C == Separator) {
      C = Source.Next();
      if (C < 0 || C == '\r' || C == '\n') {
        Cell();  // "a;" ends with an empty cell
        ++N;
      } else {
        continue;
      }
    }
    if (C == '\r' && Source.Peek() == '\n') Source.Next();
    break;
  }
  FCells.resize(std::min(N, Keep));
  return true;
}
