// Component streams read with real controls: the stream of a form with a panel, labels, an edit and a
// data grid with its own columns, cut short, corrupted, and rebuilt with components named again in
// other child lists (moved, placed inside themselves, given the wrong class), read into a form that
// already owns components of those names and into a new form. Every read either succeeds or raises a
// filer error; a failed read leaves the form with exactly the components it had, each in the parent
// it had; no read leaves a chain of parents that comes back to a control. Under the sanitizers this
// also checks that nothing is freed twice, used after it was freed, or left behind.
//
// TRESSORA_STREAM_FUZZ_ROUNDS sets the number of streams of each kind (the default keeps the suite
// short; a long run by hand takes hundreds of thousands), TRESSORA_STREAM_FUZZ_SEED the seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "datagrid/DBGridX.h"
#include "platform/classes/filer.h"
#include "platform/controls/edits.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/forms.h"
#include "platform/win/testing.h"

namespace {

using TBytes = std::vector<uint8_t>;

int EnvInt(const char* Name, int Default) {
  const char* v = std::getenv(Name);
  return v && *v ? std::atoi(v) : Default;
}

// Form1 with Panel1 (holding Label1 and Edit1), Grid1 with two columns of its own, and Label2.
std::unique_ptr<TForm> MakeForm() {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName("Form1");
  form->SetBounds(0, 0, 400, 300);
  auto* panel = new TPanel(form.get());
  panel->SetName("Panel1");
  panel->SetParent(form.get());
  panel->SetBounds(8, 8, 200, 80);
  auto* label = new TLabel(form.get());
  label->SetName("Label1");
  label->SetParent(panel);
  label->SetCaption("Name:");
  label->SetBounds(4, 4, 60, 16);
  auto* edit = new TEdit(form.get());
  edit->SetName("Edit1");
  edit->SetParent(panel);
  edit->SetText("Ann");
  edit->SetBounds(70, 4, 120, 21);
  auto* grid = new TDBGridX(form.get());
  grid->SetName("Grid1");
  grid->SetParent(form.get());
  grid->SetBounds(8, 96, 380, 150);
  TColumnX* id = grid->Columns()->Add();
  id->SetFieldName("ID");
  id->Title()->SetCaption("No.");
  id->SetWidth(40);
  TColumnX* name = grid->Columns()->Add();
  name->SetFieldName("Name");
  name->SetWidth(120);
  auto* label2 = new TLabel(form.get());
  label2->SetName("Label2");
  label2->SetParent(form.get());
  label2->SetCaption("Total");
  return form;
}

TBytes WriteForm(TComponent* Form) {
  TMemoryStream s;
  s.WriteComponent(Form);
  return s.Bytes();
}

// What a form owns and where each component sits.
struct TPlace {
  TComponent* Component;
  TWinControl* Parent;
};
std::vector<TPlace> Places(TComponent* Form) {
  std::vector<TPlace> out;
  for (int i = 0; i < Form->ComponentCount(); ++i) {
    TComponent* c = Form->Components(i);
    auto* control = dynamic_cast<TControl*>(c);
    out.push_back({c, control ? control->Parent() : nullptr});
  }
  return out;
}

// No control owned by Form has a chain of parents longer than the number of controls there are.
bool ParentChainsEnd(TComponent* Form) {
  for (int i = 0; i < Form->ComponentCount(); ++i) {
    auto* control = dynamic_cast<TControl*>(Form->Components(i));
    int steps = 0;
    for (TControl* p = control; p; p = p->Parent())
      if (++steps > Form->ComponentCount() + 2) return false;
  }
  return true;
}

struct TTally {
  int Read = 0, Failed = 0;
};

class ControlStreamFuzz : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    RegisterClasses<TForm, TPanel, TLabel, TEdit, TDBGridX>();
    Seed = WriteForm(MakeForm().get());
    FindPropertyLists();
  }
  void TearDown() override { UnRegisterClasses<TForm, TPanel, TLabel, TEdit, TDBGridX>(); }

  // Reads Bytes into a form that owns the components of MakeForm; a failure must leave each of them
  // where it was.
  void ReadIntoExisting(const TBytes& Bytes, TTally& Tally) {
    std::unique_ptr<TForm> form = MakeForm();
    const std::vector<TPlace> before = Places(form.get());
    TMemoryStream s;
    if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    s.SetPosition(0);
    try {
      s.ReadComponent(form.get());
      ++Tally.Read;
      EXPECT_TRUE(ParentChainsEnd(form.get()));
    } catch (const EFilerError&) {
      ++Tally.Failed;
      const std::vector<TPlace> after = Places(form.get());
      ASSERT_EQ(after.size(), before.size());
      for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(after[i].Component, before[i].Component) << i;
        EXPECT_EQ(after[i].Parent, before[i].Parent) << before[i].Component->Name();
        EXPECT_FALSE(after[i].Component->ComponentState().Contains(csLoading)) << before[i].Component->Name();
      }
      EXPECT_FALSE(form->ComponentState().Contains(csLoading));
    } catch (const Exception& e) {
      ADD_FAILURE() << e.ClassName() << ": " << e.Message();
    }
  }

  // Reads Bytes into a new form and frees it; a failure must leave nothing behind.
  void ReadNew(const TBytes& Bytes, TTally& Tally) {
    TMemoryStream s;
    if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    s.SetPosition(0);
    try {
      std::unique_ptr<TComponent> c(s.ReadComponent(nullptr));
      ++Tally.Read;
      EXPECT_TRUE(ParentChainsEnd(c.get()));
    } catch (const EFilerError&) {
      ++Tally.Failed;
    } catch (const Exception& e) {
      ADD_FAILURE() << e.ClassName() << ": " << e.Message();
    }
  }

  // A stream built from component records: names of the form's components and new ones, each with
  // the class it has in the form or sometimes another, in random child lists, so that components
  // are moved, named inside their own children, or refused for their class; now and then cut short.
  TBytes RandomTree(std::mt19937& Rng) {
    TBytes out = {'T', 'R', 'C', '1'};
    Record(out, "TForm", "Form1", 0, Rng);
    if (Rng() % 2) out.resize(Rng() % (out.size() + 1));
    return out;
  }

  TBytes Seed;

 private:
  struct TName {
    const char* Name;
    const char* ClassName;
  };
  static constexpr TName Names[] = {{"Panel1", "TPanel"}, {"Label1", "TLabel"}, {"Edit1", "TEdit"},
                                    {"Grid1", "TDBGridX"}, {"Label2", "TLabel"}, {"Box1", "TPanel"},
                                    {"Box2", "TPanel"},    {"Note1", "TLabel"}, {"", "TPanel"}};
  static constexpr const char* ClassNames[] = {"TPanel", "TLabel", "TEdit", "TDBGridX"};

  static void Str(TBytes& Out, const std::string& S) {
    Out.push_back(static_cast<uint8_t>(S.size()));
    for (char c : S) Out.push_back(static_cast<uint8_t>(c));
  }

  void Record(TBytes& Out, const std::string& ClassName, const std::string& Name, int Depth, std::mt19937& Rng) {
    Str(Out, ClassName);
    Str(Out, Name);
    // The properties the form's own component of that class wrote, or none.
    auto props = PropertyLists.find(ClassName);
    if (props != PropertyLists.end() && Rng() % 2) Out.insert(Out.end(), props->second.begin(), props->second.end());
    Out.push_back(vaNull);
    const int children = Depth < 5 ? static_cast<int>(Rng() % (Depth == 0 ? 6 : 3)) : 0;
    for (int i = 0; i < children; ++i) {
      const TName& n = Names[Rng() % std::size(Names)];
      const char* cls = Rng() % 8 ? n.ClassName : ClassNames[Rng() % std::size(ClassNames)];
      Record(Out, cls, n.Name, Depth + 1, Rng);
    }
    Out.push_back(vaNull);
  }

  // The property bytes of each class's first record in the seed stream (up to its closing zero).
  void FindPropertyLists() {
    TMemoryStream s;
    s.WriteBuffer(Seed.data(), static_cast<int64_t>(Seed.size()));
    s.SetPosition(0);
    TReader r(&s);
    r.ReadSignature();
    Walk(r, s);
  }
  void Walk(TReader& R, TMemoryStream& S) {
    const std::string cls = R.ReadStr();
    R.ReadStr();
    const int64_t from = S.Position();
    while (!R.EndOfList()) {
      R.ReadStr();
      R.SkipValue();
    }
    if (!PropertyLists.count(cls))
      PropertyLists[cls] = TBytes(Seed.begin() + from, Seed.begin() + S.Position());
    R.ReadListEnd();
    while (!R.EndOfList()) Walk(R, S);
    R.ReadListEnd();
  }
  std::map<std::string, TBytes> PropertyLists;
};

}  // namespace

TEST_F(ControlStreamFuzz, TheFormStreamReadsBackIntoAFormThatOwnsItsComponents) {
  TTally tally;
  ReadIntoExisting(Seed, tally);
  ReadNew(Seed, tally);
  EXPECT_EQ(tally.Read, 2);
  // Every record of the seed was found, with properties for each class.
  for (const char* cls : {"TForm", "TPanel", "TLabel", "TEdit", "TDBGridX"}) {
    SCOPED_TRACE(cls);
    TMemoryStream s;
    s.WriteBuffer(Seed.data(), static_cast<int64_t>(Seed.size()));
    s.SetPosition(0);
    EXPECT_NE(ObjectBinaryToText(&s).find(std::string(": ") + cls), std::string::npos);
  }
}

TEST_F(ControlStreamFuzz, EveryTruncationFailsAndKeepsTheForm) {
  for (size_t n = 0; n < Seed.size(); ++n) {
    const TBytes cut(Seed.begin(), Seed.begin() + static_cast<std::ptrdiff_t>(n));
    TTally tally;
    ReadIntoExisting(cut, tally);
    ReadNew(cut, tally);
    EXPECT_EQ(tally.Failed, 2) << n;
    if (HasFatalFailure()) return;
  }
}

TEST_F(ControlStreamFuzz, MutatedStreamsReadOrFailCleanly) {
  const int rounds = std::max(1, EnvInt("TRESSORA_STREAM_FUZZ_ROUNDS", 1500));
  std::mt19937 rng(static_cast<uint32_t>(EnvInt("TRESSORA_STREAM_FUZZ_SEED", 20261211)));
  TTally bytesTally, treeTally;
  for (int round = 0; round < rounds; ++round) {
    // Bytes of the form's own stream changed, inserted or cut out.
    TBytes m = Seed;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !m.empty(); ++e) {
      const size_t at = rng() % m.size();
      switch (rng() % 5) {
        case 0: m[at] = static_cast<uint8_t>(rng()); break;
        case 1: m[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: m[at] = static_cast<uint8_t>(rng() % 2 ? 0xFF : 0x00); break;
        case 3: m.insert(m.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
        case 4: {  // a stretch of the stream repeated elsewhere: records inside other records
          const size_t from = rng() % m.size(), len = 1 + rng() % 64;
          const TBytes piece(m.begin() + static_cast<std::ptrdiff_t>(from),
                             m.begin() + static_cast<std::ptrdiff_t>(std::min(m.size(), from + len)));
          m.insert(m.begin() + static_cast<std::ptrdiff_t>(rng() % m.size()), piece.begin(), piece.end());
          break;
        }
      }
    }
    if (round % 2) ReadNew(m, bytesTally);
    else ReadIntoExisting(m, bytesTally);
    // A tree of records naming the form's components in other places.
    const TBytes tree = RandomTree(rng);
    if (round % 2) ReadIntoExisting(tree, treeTally);
    else ReadNew(tree, treeTally);
    if (HasFatalFailure()) {
      ADD_FAILURE() << "round " << round;
      return;
    }
  }
  std::printf("control stream fuzz: %d rounds, %d mutated streams (%d read, %d failed), %d trees (%d read, %d failed)\n",
              rounds, bytesTally.Read + bytesTally.Failed, bytesTally.Read, bytesTally.Failed,
              treeTally.Read + treeTally.Failed, treeTally.Read, treeTally.Failed);
  // Both kinds reach both outcomes.
  if (rounds >= 100) {
    EXPECT_GT(bytesTally.Failed, 0);
    EXPECT_GT(treeTally.Read, 0);
    EXPECT_GT(treeTally.Failed, 0);
  }
}
