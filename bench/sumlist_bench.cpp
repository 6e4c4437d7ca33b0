// The sum list producer over the in-memory data set: a full recomputation of a sum, an average and a
// count on three fields of 1,000,000 records against a plain loop that reads the same three fields of
// every record (goal: at most 1.2x), and one post of an edited record (the incremental update) at 1,000
// and 1,000,000 records, which should not depend on the record count. Prints medians and ratios.
// bench-deps: dataedit platform_data platform_classes platform_rtl
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/medians.h"
#include "dataedit/DBSumLst.h"
#include "platform/data/memdataset.h"

namespace {

constexpr int kLarge = 1000000;
constexpr int kSmall = 1000;

TMemDataSet& Filled(int Records) {
  static std::map<int, std::unique_ptr<TMemDataSet>> Sets;
  auto& D = Sets[Records];
  if (!D) {
    D = std::make_unique<TMemDataSet>(nullptr);
    D->AddField("ID", ftInteger);
    D->AddField("Amount", ftFloat);
    D->AddField("Qty", ftInteger);
    D->AddField("Price", ftFloat);
    D->Open();
    D->DisableControls();
    TField* Id = D->FieldByName("ID");
    TField* Amount = D->FieldByName("Amount");
    TField* Qty = D->FieldByName("Qty");
    TField* Price = D->FieldByName("Price");
    for (int I = 0; I < Records; ++I) {
      D->Append();
      Id->SetAsInteger(I + 1);
      Amount->SetAsFloat((I % 10007) / 100.0);
      if (I % 5 != 0) Qty->SetAsInteger(I % 97);
      if (I % 3 != 0) Price->SetAsFloat((I % 313) / 10.0);
      D->Post();
    }
    D->EnableControls();
    D->First();
  }
  return *D;
}

std::unique_ptr<TDBSumListProducer> MakeProducer(TMemDataSet& D) {
  auto P = std::make_unique<TDBSumListProducer>(nullptr);
  auto Add = [&](TGroupOperation Op, const char* Name) {
    auto* S = static_cast<TDBSum*>(P->SumCollection()->Add());
    S->SetGroupOperation(Op);
    S->SetFieldName(Name);
  };
  Add(goSum, "Amount");
  Add(goAvg, "Qty");
  Add(goCount, "Price");
  P->SetDataSet(&D);
  return P;
}

void BM_Recompute(benchmark::State& State) {
  TMemDataSet& D = Filled(kLarge);
  auto P = MakeProducer(D);
  for (auto _ : State) P->RecomputeAll();
  benchmark::DoNotOptimize(P->SumCollection()->Items(0)->AggregateValue().Value);
}

// What any aggregate over the data set costs at least: the same walk, reading the same three fields.
void BM_PlainLoop(benchmark::State& State) {
  TMemDataSet& D = Filled(kLarge);
  TField* Amount = D.FieldByName("Amount");
  TField* Qty = D.FieldByName("Qty");
  TField* Price = D.FieldByName("Price");
  double Sum = 0;
  int64_t Count = 0;
  for (auto _ : State) {
    Sum = 0;
    Count = 0;
    D.DisableControls();
    for (D.First(); !D.Eof(); D.Next()) {
      if (!Amount->IsNull()) Sum += Amount->AsFloat();
      if (!Qty->IsNull()) Sum += Qty->AsFloat();
      if (!Price->IsNull()) ++Count;
    }
    D.First();
    D.EnableControls();
  }
  benchmark::DoNotOptimize(Sum);
  benchmark::DoNotOptimize(Count);
}

void EditPost(benchmark::State& State, bool WithProducer) {
  TMemDataSet& D = Filled(static_cast<int>(State.range(0)));
  std::unique_ptr<TDBSumListProducer> P;
  if (WithProducer) P = MakeProducer(D);
  D.First();
  D.MoveBy(static_cast<int>(State.range(0)) / 2);
  TField* Amount = D.FieldByName("Amount");
  TField* Qty = D.FieldByName("Qty");
  int I = 0;
  for (auto _ : State) {
    D.Edit();
    Amount->SetAsFloat(++I % 100);
    Qty->SetAsInteger(I % 7);
    D.Post();
  }
}
void BM_EditPost(benchmark::State& State) { EditPost(State, true); }
void BM_EditPostWithoutProducer(benchmark::State& State) { EditPost(State, false); }

}  // namespace

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Recompute)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EditPost)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(2000);
BENCHMARK(BM_EditPostWithoutProducer)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond)->UseRealTime()
    ->Iterations(2000);

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  TArgMedianReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  auto& M = Reporter.Medians;
  const double Loop = M["BM_PlainLoop"], Re = M["BM_Recompute"];
  std::printf("\nmedians and ratios:\n");
  std::printf("  full recompute %.2f ms, plain loop %.2f ms   ratio %.3f (goal <= 1.2)\n", Re, Loop,
              Loop > 0 ? Re / Loop : 0.0);
  const double S = M["BM_EditPost/1000"], L = M["BM_EditPost/1000000"];
  const double S0 = M["BM_EditPostWithoutProducer/1000"], L0 = M["BM_EditPostWithoutProducer/1000000"];
  std::printf("  edit+post with producer: %.2f us at 1,000, %.2f us at 1,000,000   ratio %.3f\n", S, L, S > 0 ? L / S : 0.0);
  std::printf("  edit+post without:       %.2f us at 1,000, %.2f us at 1,000,000\n", S0, L0);
  std::printf("  one edit's update against the plain loop at 1,000,000: %.6f\n", Loop > 0 ? (L / 1000.0) / Loop : 0.0);
  return 0;
}
