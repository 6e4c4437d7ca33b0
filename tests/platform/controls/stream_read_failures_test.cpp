// Component streams that place controls in parents they must not have, or that end too early after
// moving an existing control: the reader refuses a parent chain that comes back to the control, and a
// failed read frees only what it made, once, after putting back every control that existed before.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/filer.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"

namespace {

using TBytes = std::vector<uint8_t>;

// A short string of the stream: its length byte, then the text.
TBytes Str(const std::string& S) {
  TBytes b{static_cast<uint8_t>(S.size())};
  for (char c : S) b.push_back(static_cast<uint8_t>(c));
  return b;
}

TBytes Cat(std::initializer_list<TBytes> Parts) {
  TBytes out;
  for (const TBytes& p : Parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The opening of a component record with no properties: class, name, the end of the property list.
TBytes Open(const std::string& ClassName, const std::string& Name) { return Cat({Str(ClassName), Str(Name), {0}}); }

const TBytes Signature{'T', 'R', 'C', '1'};

// Reads Bytes into Root (nullptr: a new root, freed again) and returns the filer error's message, or
// "read".
std::string ReadInto(TComponent* Root, const TBytes& Bytes) {
  TMemoryStream s;
  s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  s.SetPosition(0);
  try {
    std::unique_ptr<TComponent> made;
    TComponent* c = s.ReadComponent(Root);
    if (!Root) made.reset(c);
    return "read";
  } catch (const EFilerError& e) {
    return e.Message();
  }
}

struct StreamReadFailures : ::testing::Test {
  void SetUp() override { RegisterClasses<TPanel, TLabel>(); }
  void TearDown() override { UnRegisterClasses<TPanel, TLabel>(); }
};

}  // namespace

// R{ A{}, B{ A } } without the two bytes that close R's child list and R: A is made, then moved into
// B, and the stream ends. B frees its children when it goes; A must be freed once, not once by B and
// again by the reader.
TEST_F(StreamReadFailures, AControlMovedIntoANewParentIsFreedOnceWhenTheStreamEnds) {
  const TBytes bytes = Cat({Signature, Open("TPanel", "R"),  //
                            Open("TPanel", "A"), {0},         // A{}
                            Open("TPanel", "B"),              // B{
                            Open("TPanel", "A"), {0},         //   A }
                            {0}});
  // 4 signature bytes; R: 7 + 2 + 1; A{}: 7 + 2 + 1 + 1; B: 7 + 2 + 1; A inside B: 11; B's end: 1.
  ASSERT_EQ(bytes.size(), 47u);
  struct Case {
    const char* What;
    bool IntoExisting;
  };
  for (const Case& c : {Case{"new root", false}, Case{"existing panel", true}}) {
    SCOPED_TRACE(c.What);
    TPanel target(nullptr);
    target.SetName("R");
    EXPECT_EQ(ReadInto(c.IntoExisting ? &target : nullptr, bytes), "Unexpected end of stream (at byte 47)");
    EXPECT_EQ(target.ComponentCount(), 0);
    EXPECT_EQ(target.ControlCount(), 0);
  }
}

// R{ A{ B{ A{} } } }: A named again inside its own child B would make A and B each other's parent.
TEST_F(StreamReadFailures, AParentChainThatComesBackToTheControlIsRefused) {
  const TBytes bytes = Cat({Signature, Open("TPanel", "R"),  //
                            Open("TPanel", "A"),              // A{
                            Open("TPanel", "B"),              //   B{
                            Open("TPanel", "A"), {0},         //     A{}
                            {0},                              //   }
                            {0},                              // }
                            {0}});
  TPanel target(nullptr);
  target.SetName("R");
  // The inner A's name ends at byte 4 + 10 + 10 + 10 + 9 = 43.
  EXPECT_EQ(ReadInto(&target, bytes), "Component A cannot be placed inside itself (at byte 43)");
  EXPECT_EQ(target.ComponentCount(), 0);
  EXPECT_EQ(target.ControlCount(), 0);

  // The same through the control's own parent: refused, and nothing moves.
  TPanel outer(nullptr), inner(nullptr);
  inner.SetParent(&outer);
  EXPECT_THROW(outer.SetParent(&inner), EInvalidOperation);
  EXPECT_EQ(outer.Parent(), nullptr);
  EXPECT_EQ(inner.Parent(), &outer);
  inner.SetParent(nullptr);
}

// A panel with its own label reads a stream that moves the label into a new panel and then ends: the
// new panel goes, the label stays the panel's, in the panel, as it was.
TEST_F(StreamReadFailures, AFailedReadIntoAPanelKeepsThePanelsOwnLabel) {
  TPanel target(nullptr);
  target.SetName("P");
  auto* label = new TLabel(&target);
  label->SetName("Label1");
  label->SetParent(&target);
  label->SetCaption("kept");
  const TBytes bytes = Cat({Signature, Open("TPanel", "P"),  //
                            Open("TPanel", "Box"),            // Box{
                            Open("TLabel", "Label1"), {0},    //   Label1 }
                            {0}});
  EXPECT_EQ(ReadInto(&target, bytes), "Unexpected end of stream (at byte 43)");
  ASSERT_EQ(target.ComponentCount(), 1);
  ASSERT_EQ(target.Components(0), label);
  EXPECT_EQ(label->Parent(), &target);
  EXPECT_EQ(target.ControlCount(), 1);
  EXPECT_EQ(label->Caption(), "kept");
  EXPECT_FALSE(label->ComponentState().Contains(csLoading));
  EXPECT_EQ(target.FindComponent("Box"), nullptr);
}
