// Truncated, corrupted and hostile component streams: every read either succeeds or raises a filer
// error (EReadError, or EClassNotFound for an unknown class), never reads outside the stream, and leaves
// no half-built component with its owner. Run under the sanitizers (TRESSORA_SANITIZE) this also
// checks for leaks and out-of-bounds reads.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/platform/classes/streaming_fixture.h"

using namespace fixture;

namespace {
enum class TOutcome { Read, FilerError };

// Reads Bytes into a fresh panel that owns one widget already; checks the panel kept exactly that
// widget when reading failed.
TOutcome ReadInto(const std::vector<uint8_t>& Bytes) {
  TPanel target(nullptr);
  auto* keep = new TWidget(&target);
  keep->SetName("WidgetA");
  TMemoryStream s;
  if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  s.SetPosition(0);
  try {
    s.ReadComponent(&target);
    return TOutcome::Read;
  } catch (const EFilerError&) {
    EXPECT_EQ(target.ComponentCount(), 1);
    EXPECT_EQ(target.Components(0), keep);
    EXPECT_FALSE(target.ComponentState().Contains(csLoading));
    EXPECT_FALSE(keep->ComponentState().Contains(csReading));
    return TOutcome::FilerError;
  }
}

// Reads Bytes making a new root; a failure must leave nothing behind (the sanitizer's leak check).
TOutcome ReadNew(const std::vector<uint8_t>& Bytes) {
  TMemoryStream s;
  if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  s.SetPosition(0);
  try {
    std::unique_ptr<TComponent> c(s.ReadComponent(nullptr));
    return TOutcome::Read;
  } catch (const EFilerError&) {
    return TOutcome::FilerError;
  }
}

std::string MessageOf(const std::vector<uint8_t>& Bytes) {
  TMemoryStream s;
  if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  s.SetPosition(0);
  try {
    std::unique_ptr<TComponent> c(s.ReadComponent(nullptr));
    return "read";
  } catch (const Exception& e) {
    return std::string(e.ClassName()) + ": " + e.Message();
  }
}
}  // namespace

TEST(StreamFuzz, EveryTruncationRaisesReadError) {
  RegisterAll();
  std::unique_ptr<TPanel> tree(MakeTree());
  const std::vector<uint8_t> bytes = WriteTree(tree.get());
  for (size_t n = 0; n < bytes.size(); ++n) {
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(ReadNew(cut), TOutcome::FilerError) << n;
    EXPECT_EQ(ReadInto(cut), TOutcome::FilerError) << n;
  }
  EXPECT_EQ(ReadNew(bytes), TOutcome::Read);
}

TEST(StreamFuzz, RandomMutationsReadOrRaiseFilerErrors) {
  RegisterAll();
  std::unique_ptr<TPanel> tree(MakeTree());
  const std::vector<uint8_t> bytes = WriteTree(tree.get());
  std::mt19937 rng(20261210);
  int failures = 0;
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> m = bytes;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % m.size();
      switch (rng() % 4) {
        case 0: m[at] = static_cast<uint8_t>(rng()); break;                 // any byte
        case 1: m[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;    // one bit
        case 2: m[at] = static_cast<uint8_t>(rng() % 2 ? 0xFF : 0x00); break;  // extreme lengths
        case 3: m.insert(m.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
      }
    }
    if (round % 2) failures += ReadNew(m) == TOutcome::FilerError;
    else failures += ReadInto(m) == TOutcome::FilerError;
    TMemoryStream s;  // the text form reads the same bytes as safely
    s.WriteBuffer(m.data(), static_cast<int64_t>(m.size()));
    s.SetPosition(0);
    try {
      ObjectBinaryToText(&s);
    } catch (const EFilerError&) {
    }
  }
  EXPECT_GT(failures, 1000);  // the mutations do break most streams
}

TEST(StreamFuzz, HostileStreamsSayWhatWasExpected) {
  RegisterAll();
  auto sig = [](std::vector<uint8_t> rest) {
    std::vector<uint8_t> b = {'T', 'R', 'C', '1'};
    for (uint8_t x : rest) b.push_back(x);
    return b;
  };
  auto str = [](const std::string& s) {
    std::vector<uint8_t> b = {static_cast<uint8_t>(s.size())};
    b.insert(b.end(), s.begin(), s.end());
    return b;
  };
  auto cat = [](std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  EXPECT_EQ(MessageOf({'X', 'Y', 'Z', '1'}), "EReadError: Invalid stream format: signature expected (at byte 4)");
  EXPECT_EQ(MessageOf(sig(cat({str("TNoSuchClass"), str("")}))), "EClassNotFound: Class TNoSuchClass not found");
  // A string whose length runs past the end of the stream is refused before anything is allocated.
  EXPECT_EQ(MessageOf(sig(cat({str("TPanel"), str("P"), str("Title"), {vaString, 0xFF, 0xFF, 0xFF, 0x7F}}))),
            "EReadError: String length beyond the end of the stream (at byte 24)");
  EXPECT_EQ(MessageOf(sig(cat({str("TPanel"), str("P"), str("Nothing"), {vaInt8, 1, 0, 0}}))),
            "EReadError: Property Nothing does not exist (at byte 21)");
  EXPECT_EQ(MessageOf(sig(cat({str("TPanel"), str("P"), str("Title"), {vaTrue, 0, 0}}))),
            "EReadError: String value expected (at byte 20)");
  EXPECT_EQ(MessageOf(sig(cat({str("TPanel"), str("1bad"), {0, 0}}))),
            "EReadError: '1bad' is not a valid component name (at byte 16)");
  EXPECT_EQ(MessageOf(sig(cat({str("TEntry"), str("")}))), "EReadError: Class TEntry is not a component class (at byte 12)");
  // Deep nesting stops at the limit instead of exhausting the stack.
  std::vector<uint8_t> deep = sig(cat({str("TWidget"), str("W"), str("Value")}));
  deep.insert(deep.end(), 100000, vaList);
  EXPECT_EQ(MessageOf(deep).rfind("EReadError: ", 0), 0u);
  TMemoryStream deepStream;
  deepStream.WriteBuffer(deep.data(), static_cast<int64_t>(deep.size()));
  deepStream.SetPosition(0);
  EXPECT_THROW(ObjectBinaryToText(&deepStream), EReadError);
  std::vector<uint8_t> nested = sig({});
  for (int i = 0; i < 200; ++i) {
    const auto rec = cat({str("TWidget"), str(""), {0}});
    nested.insert(nested.end(), rec.begin(), rec.end());
  }
  EXPECT_EQ(MessageOf(nested), "EReadError: Stream nested too deeply (at byte 333)");
}
