// Component streaming: writing and reading back a root that owns 10,000 small components (an integer,
// a Boolean, a float, a string and an enumeration each, all different from their defaults) through a
// memory stream, against copying the same number of bytes. Prints the medians and their ratios.
// bench-deps: platform_classes platform_rtl
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/medians.h"
#include "platform/classes/filer.h"

namespace {

constexpr int kComponents = 10000;

enum TAlignment { taLeft, taRight, taCenter };

class TSmall : public TComponent {
  DECLARE_PUBLISHED_CLASS(TSmall, TComponent)
  explicit TSmall(TComponent* AOwner) : TComponent(AOwner) {}
  static void DeclarePublished(TPublished<TSmall>& P) {
    P.Integer("Left", &TSmall::Left, &TSmall::SetLeft).Default(0);
    P.Boolean("Enabled", &TSmall::Enabled, &TSmall::SetEnabled).Default(true);
    P.Float("Scale", &TSmall::Scale, &TSmall::SetScale);
    P.String("Caption", &TSmall::Caption, &TSmall::SetCaption);
    P.Enum("Alignment", &TSmall::Alignment, &TSmall::SetAlignment, {"taLeft", "taRight", "taCenter"}).Default(taLeft);
  }
  int Left() const { return FLeft; }
  void SetLeft(int V) { FLeft = V; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool V) { FEnabled = V; }
  double Scale() const { return FScale; }
  void SetScale(double V) { FScale = V; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& V) { FCaption = V; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment V) { FAlignment = V; }

 private:
  int FLeft = 0;
  bool FEnabled = true;
  double FScale = 0;
  std::string FCaption;
  TAlignment FAlignment = taLeft;
};

class TBenchRoot : public TComponent {
  DECLARE_CLASS(TBenchRoot, TComponent)
  explicit TBenchRoot(TComponent* AOwner) : TComponent(AOwner) {}
};

std::unique_ptr<TBenchRoot> MakeRoot() {
  RegisterClasses<TSmall, TBenchRoot>();
  auto root = std::make_unique<TBenchRoot>(nullptr);
  root->SetName("Root");
  for (int i = 0; i < kComponents; ++i) {
    auto* c = new TSmall(root.get());
    c->SetName("Item" + std::to_string(i));
    c->SetLeft(i * 3);
    c->SetEnabled(i % 2 == 0);
    c->SetScale(0.5 + i);
    c->SetCaption("Caption " + std::to_string(i));
    c->SetAlignment(static_cast<TAlignment>(1 + i % 2));
  }
  return root;
}

TBenchRoot& Root() {
  static std::unique_ptr<TBenchRoot> root = MakeRoot();
  return *root;
}

std::vector<uint8_t> StreamBytes() {
  TMemoryStream s;
  s.WriteComponent(&Root());
  return s.Bytes();
}

void BM_Streaming_WriteAndRead(benchmark::State& state) {
  TBenchRoot& root = Root();
  for (auto _ : state) {
    TMemoryStream s;
    s.WriteComponent(&root);
    s.SetPosition(0);
    std::unique_ptr<TComponent> back(s.ReadComponent(nullptr));
    benchmark::DoNotOptimize(back.get());
    if (back->ComponentCount() != kComponents) state.SkipWithError("lost components");
  }
}
BENCHMARK(BM_Streaming_WriteAndRead)->Unit(benchmark::kMillisecond);

void BM_Streaming_Write(benchmark::State& state) {
  TBenchRoot& root = Root();
  for (auto _ : state) {
    TMemoryStream s;
    s.WriteComponent(&root);
    benchmark::DoNotOptimize(s.Memory());
  }
}
BENCHMARK(BM_Streaming_Write)->Unit(benchmark::kMillisecond);

void BM_Streaming_Read(benchmark::State& state) {
  const std::vector<uint8_t> bytes = StreamBytes();
  for (auto _ : state) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
    std::unique_ptr<TComponent> back(s.ReadComponent(nullptr));
    benchmark::DoNotOptimize(back.get());
  }
}
BENCHMARK(BM_Streaming_Read)->Unit(benchmark::kMillisecond);

// The baseline: the same number of bytes copied into a fresh buffer (write) and out again (read).
void BM_Streaming_CopyBytes(benchmark::State& state) {
  const std::vector<uint8_t> bytes = StreamBytes();
  for (auto _ : state) {
    std::vector<uint8_t> a(bytes.size()), b(bytes.size());
    std::memcpy(a.data(), bytes.data(), bytes.size());
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Streaming_CopyBytes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 7)) return 1;
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& m = reporter.Medians;
  const double both = m["BM_Streaming_WriteAndRead"], write = m["BM_Streaming_Write"], read = m["BM_Streaming_Read"],
               copy = m["BM_Streaming_CopyBytes"];
  std::printf("\n%d components, %zu bytes\n", kComponents, StreamBytes().size());
  std::printf("medians (ms): write+read %.3f, write %.3f, read %.3f, copying the bytes %.4f\n", both, write, read, copy);
  if (copy > 0) std::printf("ratio write+read / copy %.1f\n", both / copy);
  benchmark::Shutdown();
  return 0;
}
