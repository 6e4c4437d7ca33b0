// Grid export and import on 1,000,000 records x 5 fields (ID integer, Name string, Amount float, Born
// date, Qty integer): the CSV export and the binary grid-data export of a grid over an in-memory data
// set, each against a plain loop that walks the same data set, formats the same values (snprintf for
// CSV, raw bytes for the binary format) into a buffer and writes it to a memory stream; and the CSV
// import of that text into an empty grid against a plain loop that splits the same text, converts the
// cells (strtol/strtod/date parse) and appends them to the same kind of data set. Goal: each at most
// 1.5x its plain loop. Also the copy of all records to the clipboard (five formats: text, the same text
// as UTF-16, CSV, RTF and binary grid data), which is to stay proportional to the CSV export of the same
// records: goal at most 8x (four exports, one of them RTF, and a UTF-16 text). Prints medians and ratios.
// bench-deps: datagrid dataedit platform_data platform_forms platform_controls platform_graphics platform_classes platform_win platform_rtl
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/medians.h"
#include "datagrid/DBGridXBinary.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXExport.h"
#include "datagrid/DBGridXImport.h"
#include "platform/controls/controls.h"
#include "platform/data/memdataset.h"
#include "platform/win/clipboard.h"
#include "platform/win/testing.h"

namespace {

constexpr int kRecords = 1000000;

// A plain top-level window to hold the grids.
class TBenchHostX : public TCustomControl {
  DECLARE_CLASS(TBenchHostX, TCustomControl)
  explicit TBenchHostX(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

struct TWorld {
  std::unique_ptr<TComponent> Owner;
  TMemDataSet* Data = nullptr;
  TDataSource* Source = nullptr;
  TDBGridX* Grid = nullptr;
  TMemDataSet* Target = nullptr;
  TDataSource* TargetSource = nullptr;
  TDBGridX* TargetGrid = nullptr;
  std::string Csv;
};

TMemDataSet* MakeDataSet(TComponent* Owner) {
  auto* D = new TMemDataSet(Owner);
  D->AddField("ID", ftInteger);
  D->AddField("Name", ftString, 20);
  D->AddField("Amount", ftFloat);
  D->AddField("Born", ftDate);
  D->AddField("Qty", ftInteger);
  D->Open();
  return D;
}

TDBGridX* MakeGrid(TComponent* Owner, TDataSource* S) {
  static TBenchHostX* Host = nullptr;
  if (!Host) {
    Host = new TBenchHostX(Owner);
    Host->SetBounds(0, 0, 640, 400);
    Host->HandleNeeded();
  }
  auto* G = new TDBGridX(Owner);
  G->SetBounds(0, 0, 600, 300);
  G->SetParent(Host);
  for (const char* F : {"ID", "Name", "Amount", "Born", "Qty"}) G->Columns()->Add()->SetFieldName(F);
  G->SetOptions(G->Options() - gdoTitles);
  G->SetDataSource(S);
  win::PumpMessages();
  return G;
}

TWorld& World() {
  static TWorld W;
  if (!W.Owner) {
    W.Owner = std::make_unique<TComponent>(nullptr);
    W.Data = MakeDataSet(W.Owner.get());
    W.Data->DisableControls();
    TField* Id = W.Data->FieldByName("ID");
    TField* Name = W.Data->FieldByName("Name");
    TField* Amount = W.Data->FieldByName("Amount");
    TField* Born = W.Data->FieldByName("Born");
    TField* Qty = W.Data->FieldByName("Qty");
    char Buf[32];
    for (int I = 0; I < kRecords; ++I) {
      W.Data->Append();
      Id->SetAsInteger(I + 1);
      std::snprintf(Buf, sizeof Buf, "Name %d", I % 9973);
      Name->SetAsString(Buf);
      Amount->SetAsFloat((I % 100003) / 4.0);
      Born->SetAsDateTime(EncodeDate(1950 + I % 60, 1 + I % 12, 1 + I % 28));
      Qty->SetAsInteger(I % 1000);
      W.Data->Post();
    }
    W.Data->EnableControls();
    W.Data->First();
    W.Source = new TDataSource(W.Owner.get());
    W.Source->SetDataSet(W.Data);
    W.Grid = MakeGrid(W.Owner.get(), W.Source);
    W.Target = MakeDataSet(W.Owner.get());
    W.TargetSource = new TDataSource(W.Owner.get());
    W.TargetSource->SetDataSet(W.Target);
    W.TargetGrid = MakeGrid(W.Owner.get(), W.TargetSource);
    W.Csv = ExportGridToString<TDBGridXExportAsCSV>(W.Grid, true);
  }
  return W;
}

void ClearTarget(TMemDataSet* D) {
  D->Close();
  D->Open();
}

void BM_ExportCsv(benchmark::State& State) {
  TWorld& W = World();
  for (auto _ : State) {
    TMemoryStream M;
    ExportGridToStream<TDBGridXExportAsCSV>(W.Grid, &M, true);
    benchmark::DoNotOptimize(M.Size());
  }
}

// The same walk and values, formatted with snprintf (quoted like the CSV cells) into a buffer that is
// written in blocks.
void BM_PlainCsvLoop(benchmark::State& State) {
  TWorld& W = World();
  TMemDataSet* D = W.Data;
  TField* Id = D->FieldByName("ID");
  TField* Name = D->FieldByName("Name");
  TField* Amount = D->FieldByName("Amount");
  TField* Born = D->FieldByName("Born");
  TField* Qty = D->FieldByName("Qty");
  for (auto _ : State) {
    TMemoryStream M;
    std::string Buf;
    char Line[256];
    D->DisableControls();
    D->First();
    bool First = true;
    while (!D->Eof()) {
      int Y, Mo, Dd;
      DecodeDate(Born->AsDateTime(), Y, Mo, Dd);
      const int N = std::snprintf(Line, sizeof Line, "%s\"%d\";\"%s\";\"%.15g\";\"%04u-%02u-%02u\";\"%d\"",
                                  First ? "" : "\r\n", Id->AsInteger(), Name->AsString().c_str(), Amount->AsFloat(),
                                  unsigned(Y), unsigned(Mo), unsigned(Dd), Qty->AsInteger());
      First = false;
      Buf.append(Line, static_cast<size_t>(N));
      if (Buf.size() >= 65536) {
        M.WriteBuffer(Buf.data(), static_cast<int64_t>(Buf.size()));
        Buf.clear();
      }
      D->Next();
    }
    M.WriteBuffer(Buf.data(), static_cast<int64_t>(Buf.size()));
    D->EnableControls();
    benchmark::DoNotOptimize(M.Size());
  }
}

void BM_ExportBinary(benchmark::State& State) {
  TWorld& W = World();
  for (auto _ : State) {
    TMemoryStream M;
    ExportGridToStream<TDBGridXExportAsGridData>(W.Grid, &M, true);
    benchmark::DoNotOptimize(M.Size());
  }
}

// The same walk, the same tagged values copied into a buffer.
void BM_PlainBinaryLoop(benchmark::State& State) {
  TWorld& W = World();
  TMemDataSet* D = W.Data;
  TField* Id = D->FieldByName("ID");
  TField* Name = D->FieldByName("Name");
  TField* Amount = D->FieldByName("Amount");
  TField* Born = D->FieldByName("Born");
  TField* Qty = D->FieldByName("Qty");
  for (auto _ : State) {
    TMemoryStream M;
    std::string Buf;
    auto PutInt = [&](int32_t V) {
      Buf.push_back(3);
      Buf.append(reinterpret_cast<const char*>(&V), 4);
    };
    auto PutFloat = [&](double V) {
      Buf.push_back(4);
      Buf.append(reinterpret_cast<const char*>(&V), 8);
    };
    D->DisableControls();
    D->First();
    while (!D->Eof()) {
      PutInt(Id->AsInteger());
      const std::string S = Name->AsString();
      const int32_t L = static_cast<int32_t>(S.size());
      Buf.push_back(5);
      Buf.append(reinterpret_cast<const char*>(&L), 4);
      Buf += S;
      PutFloat(Amount->AsFloat());
      PutFloat(Born->AsFloat());
      PutInt(Qty->AsInteger());
      if (Buf.size() >= 65536) {
        M.WriteBuffer(Buf.data(), static_cast<int64_t>(Buf.size()));
        Buf.clear();
      }
      D->Next();
    }
    M.WriteBuffer(Buf.data(), static_cast<int64_t>(Buf.size()));
    D->EnableControls();
    benchmark::DoNotOptimize(M.Size());
  }
}

void BM_ImportCsv(benchmark::State& State) {
  TWorld& W = World();
  for (auto _ : State) {
    State.PauseTiming();
    ClearTarget(W.Target);
    State.ResumeTiming();
    TDBGridXImportAsCSV I;
    I.DBGridX = W.TargetGrid;
    ImportGridFromString(I, W.Csv, true);
    benchmark::DoNotOptimize(W.Target->RecordCount());
  }
}

// Split the same text at ";" and line ends, unquote, convert with strtol/strtod and a date parse, and
// append the values to the same kind of data set.
void BM_PlainCsvImport(benchmark::State& State) {
  TWorld& W = World();
  TMemDataSet* D = W.Target;
  for (auto _ : State) {
    State.PauseTiming();
    ClearTarget(D);
    State.ResumeTiming();
    TField* Id = D->FieldByName("ID");
    TField* Name = D->FieldByName("Name");
    TField* Amount = D->FieldByName("Amount");
    TField* Born = D->FieldByName("Born");
    TField* Qty = D->FieldByName("Qty");
    const char* P = W.Csv.data();
    const char* End = P + W.Csv.size();
    std::string Cells[5];
    D->DisableControls();
    while (P < End) {
      int N = 0;
      for (;;) {
        std::string& C = Cells[N < 5 ? N : 4];
        C.clear();
        if (P < End && *P == '"') {
          ++P;
          while (P < End && !(*P == '"' && (P + 1 >= End || P[1] != '"'))) {
            if (*P == '"') ++P;
            C.push_back(*P++);
          }
          ++P;
        }
        ++N;
        if (P < End && *P == ';') {
          ++P;
          continue;
        }
        while (P < End && (*P == '\r' || *P == '\n')) ++P;
        break;
      }
      D->Append();
      Id->SetAsInteger(static_cast<int32_t>(std::strtol(Cells[0].c_str(), nullptr, 10)));
      Name->SetAsString(Cells[1]);
      Amount->SetAsFloat(std::strtod(Cells[2].c_str(), nullptr));
      int Y = 0, Mo = 0, Dd = 0;
      std::sscanf(Cells[3].c_str(), "%d-%d-%d", &Y, &Mo, &Dd);
      Born->SetAsDateTime(EncodeDate(static_cast<uint16_t>(Y), static_cast<uint16_t>(Mo), static_cast<uint16_t>(Dd)));
      Qty->SetAsInteger(static_cast<int32_t>(std::strtol(Cells[4].c_str(), nullptr, 10)));
      D->Post();
    }
    D->EnableControls();
    benchmark::DoNotOptimize(D->RecordCount());
  }
}

// Copying every record to the clipboard (the program's memory clipboard), emptied between runs.
void BM_CopyAllToClipboard(benchmark::State& State) {
  TWorld& W = World();
  for (auto _ : State) {
    CopyGridToClipboard(W.Grid, true);
    State.PauseTiming();
    benchmark::DoNotOptimize(win::CurrentClipboardBackend().Formats().size());
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    State.ResumeTiming();
  }
}

}  // namespace

BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PlainCsvLoop)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ExportBinary)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PlainBinaryLoop)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PlainCsvImport)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CopyAllToClipboard)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  TMedianReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  auto& M = Reporter.Medians;
  auto Line = [&](const char* What, const char* A, const char* B) {
    const double X = M[A], Y = M[B];
    std::printf("  %-22s %9.1f ms, plain loop %9.1f ms   ratio %.3f (goal <= 1.5)\n", What, X, Y, Y > 0 ? X / Y : 0.0);
  };
  std::printf("\nmedians and ratios (1,000,000 records x 5 fields):\n");
  Line("CSV export", "BM_ExportCsv", "BM_PlainCsvLoop");
  Line("binary export", "BM_ExportBinary", "BM_PlainBinaryLoop");
  Line("CSV import", "BM_ImportCsv", "BM_PlainCsvImport");
  {
    const double C = M["BM_CopyAllToClipboard"], E = M["BM_ExportCsv"];
    std::printf("  %-22s %9.1f ms, CSV export %9.1f ms   ratio %.3f (goal <= 8)\n", "copy to clipboard", C, E,
                E > 0 ? C / E : 0.0);
  }
  benchmark::Shutdown();
  // The grids go before the window manager's statics do.
  World().Owner.reset();
  win::ResetWindowManager();
  return 0;
}
