// The in-memory data set against SQLite's in-memory database on 1,000,000 records of (integer, 20-character
// text, double, date, Boolean): appending every record (SQLite: one transaction, a prepared statement), a
// case-insensitive partial Locate on the text that matches the last record (SQLite: LIKE 'key%'), a full
// forward scan reading all five fields, and sorting by the text (SQLite: ORDER BY, stepping through every
// row). Heap bytes per record are measured the same way for both. Prints medians and ratios at the end.
// bench-deps: platform_data platform_classes platform_rtl SQLite::SQLite3
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/medians.h"
#include "platform/data/memdataset.h"

namespace {

constexpr int kRecords = 1000000;

struct TRow {
  int32_t Id;
  std::string Name;
  double Amount;
  int32_t Born;  // days since 1899-12-30
  bool Active;
};

const std::vector<TRow>& Rows() {
  static const std::vector<TRow> rows = [] {
    std::vector<TRow> r(kRecords);
    std::mt19937 rng(7);
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 0; i < kRecords; ++i) {
      TRow& row = r[i];
      row.Id = i + 1;
      row.Name.resize(20);
      for (char& c : row.Name) c = letters[rng() % 52];
      row.Amount = (rng() % 1000000) / 100.0;
      row.Born = 30000 + static_cast<int32_t>(rng() % 20000);
      row.Active = rng() & 1;
    }
    return r;
  }();
  return rows;
}

// The last record's first 12 characters, in lower case: matches only the last record.
std::string LocateKey() {
  std::string k = Rows().back().Name.substr(0, 12);
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

size_t HeapInUse() {
  struct mallinfo2 mi = mallinfo2();
  return mi.uordblks + mi.hblkhd;
}

std::map<std::string, double> BytesPerRecord;

// --- In-memory data set

std::unique_ptr<TMemDataSet> NewMemDataSet() {
  auto ds = std::make_unique<TMemDataSet>(nullptr);
  ds->AddField("ID", ftInteger);
  ds->AddField("Name", ftString, 20);
  ds->AddField("Amount", ftFloat);
  ds->AddField("Born", ftDate);
  ds->AddField("Active", ftBoolean);
  ds->Open();
  return ds;
}

void FillMem(TMemDataSet& ds) {
  TField* id = ds.Fields()[0];
  TField* name = ds.Fields()[1];
  TField* amount = ds.Fields()[2];
  TField* born = ds.Fields()[3];
  TField* active = ds.Fields()[4];
  for (const TRow& r : Rows()) {
    ds.Append();
    id->SetAsInteger(r.Id);
    name->SetAsString(r.Name);
    amount->SetAsFloat(r.Amount);
    born->SetAsDateTime(r.Born);
    active->SetAsBoolean(r.Active);
    ds.Post();
  }
}

TMemDataSet& FilledMem() {
  static std::unique_ptr<TMemDataSet> ds = [] {
    auto d = NewMemDataSet();
    FillMem(*d);
    return d;
  }();
  return *ds;
}

void BM_Append_MemDataSet(benchmark::State& state) {
  Rows();
  for (auto _ : state) {
    size_t before = HeapInUse();
    auto ds = NewMemDataSet();
    FillMem(*ds);
    BytesPerRecord["MemDataSet"] = double(HeapInUse() - before) / kRecords;
    state.PauseTiming();
    ds.reset();
    state.ResumeTiming();
  }
}

void BM_Locate_MemDataSet(benchmark::State& state) {
  TMemDataSet& ds = FilledMem();
  std::string key = LocateKey();
  for (auto _ : state) {
    bool found = ds.Locate("Name", key, {loCaseInsensitive, loPartialKey});
    if (!found || ds.Fields()[0]->AsInteger() != kRecords) state.SkipWithError("Locate missed the last record");
  }
}

void BM_Scan_MemDataSet(benchmark::State& state) {
  TMemDataSet& ds = FilledMem();
  auto* id = static_cast<TIntegerField*>(ds.Fields()[0]);
  auto* name = static_cast<TStringField*>(ds.Fields()[1]);
  auto* amount = static_cast<TFloatField*>(ds.Fields()[2]);
  auto* born = static_cast<TDateTimeField*>(ds.Fields()[3]);
  auto* active = static_cast<TBooleanField*>(ds.Fields()[4]);
  std::string text;
  for (auto _ : state) {
    int64_t sum = 0;
    double fsum = 0;
    int n = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) {
      int32_t i;
      double a, d;
      bool b;
      id->GetValue(i);
      name->GetValue(text);
      amount->GetValue(a);
      born->GetValue(d);
      active->GetValue(b);
      sum += i + static_cast<int64_t>(text.size()) + b;
      fsum += a + d;
      ++n;
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(fsum);
    if (n != kRecords) state.SkipWithError("scan missed records");
  }
}

void BM_Sort_MemDataSet(benchmark::State& state) {
  TMemDataSet& ds = FilledMem();
  for (auto _ : state) {
    ds.SetIndexFieldNames("Name");
    state.PauseTiming();
    ds.SetIndexFieldNames("");
    state.ResumeTiming();
  }
}

// --- SQLite

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::abort();
  }
}

sqlite3* NewSQLite() {
  sqlite3* db = nullptr;
  Check(sqlite3_open(":memory:", &db), db);
  Check(sqlite3_exec(db, "CREATE TABLE t(id INTEGER, name TEXT, amount REAL, born INTEGER, active INTEGER)",
                     nullptr, nullptr, nullptr),
        db);
  return db;
}

void FillSQLite(sqlite3* db) {
  Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
  sqlite3_stmt* st = nullptr;
  Check(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?,?)", -1, &st, nullptr), db);
  for (const TRow& r : Rows()) {
    sqlite3_bind_int(st, 1, r.Id);
    sqlite3_bind_text(st, 2, r.Name.data(), static_cast<int>(r.Name.size()), SQLITE_STATIC);
    sqlite3_bind_double(st, 3, r.Amount);
    sqlite3_bind_int(st, 4, r.Born);
    sqlite3_bind_int(st, 5, r.Active);
    Check(sqlite3_step(st), db);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
}

sqlite3* FilledSQLite() {
  static sqlite3* db = [] {
    sqlite3* d = NewSQLite();
    FillSQLite(d);
    return d;
  }();
  return db;
}

void BM_Append_SQLite(benchmark::State& state) {
  Rows();
  for (auto _ : state) {
    size_t before = HeapInUse();
    sqlite3* db = NewSQLite();
    FillSQLite(db);
    BytesPerRecord["SQLite"] = double(HeapInUse() - before) / kRecords;
    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
}

void BM_Locate_SQLite(benchmark::State& state) {
  sqlite3* db = FilledSQLite();
  std::string pattern = LocateKey() + "%";
  sqlite3_stmt* st = nullptr;
  Check(sqlite3_prepare_v2(db, "SELECT id FROM t WHERE name LIKE ?1 LIMIT 1", -1, &st, nullptr), db);
  for (auto _ : state) {
    sqlite3_bind_text(st, 1, pattern.data(), static_cast<int>(pattern.size()), SQLITE_STATIC);
    if (sqlite3_step(st) != SQLITE_ROW || sqlite3_column_int(st, 0) != kRecords)
      state.SkipWithError("LIKE missed the last record");
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
}

void BM_Scan_SQLite(benchmark::State& state) {
  sqlite3* db = FilledSQLite();
  sqlite3_stmt* st = nullptr;
  Check(sqlite3_prepare_v2(db, "SELECT id, name, amount, born, active FROM t", -1, &st, nullptr), db);
  std::string text;
  for (auto _ : state) {
    int64_t sum = 0;
    double fsum = 0;
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      int32_t i = sqlite3_column_int(st, 0);
      const unsigned char* s = sqlite3_column_text(st, 1);
      text.assign(reinterpret_cast<const char*>(s), sqlite3_column_bytes(st, 1));
      double a = sqlite3_column_double(st, 2);
      double d = sqlite3_column_int(st, 3);
      bool b = sqlite3_column_int(st, 4) != 0;
      sum += i + static_cast<int64_t>(text.size()) + b;
      fsum += a + d;
      ++n;
    }
    sqlite3_reset(st);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(fsum);
    if (n != kRecords) state.SkipWithError("scan missed records");
  }
  sqlite3_finalize(st);
}

void BM_Sort_SQLite(benchmark::State& state) {
  sqlite3* db = FilledSQLite();
  sqlite3_stmt* st = nullptr;
  Check(sqlite3_prepare_v2(db, "SELECT rowid FROM t ORDER BY name", -1, &st, nullptr), db);
  for (auto _ : state) {
    int64_t n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) n += sqlite3_column_int64(st, 0) & 1;
    sqlite3_reset(st);
    benchmark::DoNotOptimize(n);
  }
  sqlite3_finalize(st);
}

}  // namespace

BENCHMARK(BM_Append_MemDataSet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Append_SQLite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Locate_MemDataSet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Locate_SQLite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Scan_MemDataSet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Scan_SQLite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Sort_MemDataSet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Sort_SQLite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& m = reporter.Medians;
  std::printf("\nmedians (ms) and ratios in-memory data set / SQLite:\n");
  for (const char* op : {"Append", "Locate", "Scan", "Sort"}) {
    double mem = m[std::string("BM_") + op + "_MemDataSet"], sql = m[std::string("BM_") + op + "_SQLite"];
    std::printf("  %-7s %10.2f %10.2f   ratio %.3f\n", op, mem, sql, sql > 0 ? mem / sql : 0.0);
  }
  double bm = BytesPerRecord["MemDataSet"], bs = BytesPerRecord["SQLite"];
  std::printf("  heap bytes per record: %.1f %.1f   ratio %.3f\n", bm, bs, bs > 0 ? bm / bs : 0.0);
  if (!FilledMem().Active()) return 1;
  return 0;
}
