#pragma once
// Walks over the published properties of an object and what it owns (sub-objects, collection items,
// string lists): one sets every property to something other than what it holds, one compares two
// objects property by property. Both read the classes' published tables, so a property added to a
// class later is set and compared without touching the tests. Pictures are compared by their bytes.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "platform/graphics/graphics.h"

struct TPublishedFill {
  // Overrides by property name: a property of that name anywhere is set by the function instead.
  std::map<std::string, std::function<void(TObject* Instance, const TPropInfo* Prop)>> ByName;
  // Candidates for component references: the first whose class fits the property's is taken.
  std::vector<TComponent*> Components;
};

namespace published_walk {

inline std::string ComponentName(TObject* O) {
  auto* c = dynamic_cast<TComponent*>(O);
  return c ? c->Name() : std::string();
}

inline std::string GraphicBytes(TGraphic* G) {
  if (G->Empty()) return {};
  TMemoryStream s;
  G->SaveToStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

}  // namespace published_walk

// Sets every published property of O (and of what it owns) to a value other than the one it holds.
inline void FillPublished(TPersistent* O, const TPublishedFill& F, const std::string& Path = "") {
  const TPropList* list = GetPropList(O->ClassType());
  if (!list) return;
  for (const auto& sp : list->Props) {
    const TPropInfo* p = sp.get();
    const std::string path = Path + p->Name;
    SCOPED_TRACE(path);
    if (auto it = F.ByName.find(p->Name); it != F.ByName.end()) {
      it->second(O, p);
      continue;
    }
    switch (p->Kind) {
      case pkInteger:
        if (p->SetOrd) p->SetOrd(O, (p->HasDefault ? p->DefaultValue : p->GetOrd(O)) + 3);
        break;
      case pkBoolean:
        if (p->SetOrd) p->SetOrd(O, p->GetOrd(O) ? 0 : 1);
        break;
      case pkEnumeration:
        if (p->SetOrd) p->SetOrd(O, (p->GetOrd(O) + 1) % static_cast<int64_t>(p->ValueNames.size()));
        break;
      case pkSet:
        if (p->SetOrd) p->SetOrd(O, p->GetOrd(O) ^ 1);
        break;
      case pkColor:
        if (p->SetOrd) p->SetOrd(O, p->GetOrd(O) == clYellow ? clAqua : clYellow);
        break;
      case pkFloat:
        if (p->SetFloat) p->SetFloat(O, p->GetFloat(O) + 1.5);
        break;
      case pkString:
        if (p->SetStr) p->SetStr(O, "t" + p->Name);
        break;
      case pkVariant:
        if (p->SetVar) p->SetVar(O, Variant(std::string("v") + p->Name));
        break;
      case pkComponent: {
        if (!p->SetObj) break;
        TComponent* pick = nullptr;
        for (TComponent* c : F.Components)
          if (!p->PropClass || c->InheritsFrom(p->PropClass)) {
            pick = c;
            break;
          }
        ASSERT_NE(pick, nullptr) << "no component for " << path;
        p->SetObj(O, pick);
        break;
      }
      case pkClass:
        if (auto* sub = dynamic_cast<TPersistent*>(p->GetObj(O))) FillPublished(sub, F, path + ".");
        break;
      case pkCollection:
        if (auto* c = dynamic_cast<TCollection*>(p->GetObj(O))) FillPublished(c->Add(), F, path + "[0].");
        break;
      case pkStrings:
        if (auto* s = dynamic_cast<TStrings*>(p->GetObj(O))) {
          s->Add("a " + p->Name);
          s->Add("b");
        }
        break;
      case pkEvent:
        break;
    }
  }
}

// Every published property of A and B (and of what they own) equal. Component references are the
// same when they name components of the same name (so that a stream read into a fresh form compares).
inline ::testing::AssertionResult SamePublished(TPersistent* A, TPersistent* B, const std::string& Path = "") {
  using published_walk::ComponentName;
  if (!A || !B) {
    if (A == B) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Path << ": one side missing";
  }
  if (A->ClassType() != B->ClassType())
    return ::testing::AssertionFailure() << Path << ": " << A->ClassName() << " vs " << B->ClassName();
  if (auto* ga = dynamic_cast<TGraphic*>(A)) {
    if (published_walk::GraphicBytes(ga) != published_walk::GraphicBytes(static_cast<TGraphic*>(B)))
      return ::testing::AssertionFailure() << Path << ": pictures differ";
    return ::testing::AssertionSuccess();
  }
  const TPropList* list = GetPropList(A->ClassType());
  if (!list) return ::testing::AssertionSuccess();
  for (const auto& sp : list->Props) {
    const TPropInfo* p = sp.get();
    const std::string path = Path + p->Name;
    switch (p->Kind) {
      case pkInteger:
      case pkBoolean:
      case pkEnumeration:
      case pkSet:
      case pkColor:
        if (p->GetOrd && p->GetOrd(A) != p->GetOrd(B))
          return ::testing::AssertionFailure() << path << ": " << p->GetOrd(A) << " vs " << p->GetOrd(B);
        break;
      case pkFloat:
        if (p->GetFloat && p->GetFloat(A) != p->GetFloat(B))
          return ::testing::AssertionFailure() << path << ": " << double(p->GetFloat(A)) << " vs "
                                               << double(p->GetFloat(B));
        break;
      case pkString:
        if (p->GetStr && p->GetStr(A) != p->GetStr(B))
          return ::testing::AssertionFailure() << path << ": '" << p->GetStr(A) << "' vs '" << p->GetStr(B) << "'";
        break;
      case pkVariant:
        if (p->GetVar && VarToStr(p->GetVar(A)) != VarToStr(p->GetVar(B)))
          return ::testing::AssertionFailure() << path << ": " << VarToStr(p->GetVar(A)) << " vs "
                                               << VarToStr(p->GetVar(B));
        break;
      case pkComponent:
        if (p->GetObj && ComponentName(p->GetObj(A)) != ComponentName(p->GetObj(B)))
          return ::testing::AssertionFailure() << path << ": '" << ComponentName(p->GetObj(A)) << "' vs '"
                                               << ComponentName(p->GetObj(B)) << "'";
        break;
      case pkClass: {
        if (!p->GetObj) break;
        auto r = SamePublished(dynamic_cast<TPersistent*>(p->GetObj(A)), dynamic_cast<TPersistent*>(p->GetObj(B)),
                               path + ".");
        if (!r) return r;
        break;
      }
      case pkCollection: {
        if (!p->GetObj) break;
        auto* ca = dynamic_cast<TCollection*>(p->GetObj(A));
        auto* cb = dynamic_cast<TCollection*>(p->GetObj(B));
        if (!ca || !cb) {
          if (ca != cb) return ::testing::AssertionFailure() << path << ": one collection missing";
          break;
        }
        if (ca->Count() != cb->Count())
          return ::testing::AssertionFailure() << path << ": " << ca->Count() << " vs " << cb->Count() << " items";
        for (int i = 0; i < ca->Count(); ++i) {
          auto r = SamePublished(ca->Items(i), cb->Items(i), path + "[" + std::to_string(i) + "].");
          if (!r) return r;
        }
        break;
      }
      case pkStrings: {
        if (!p->GetObj) break;
        auto* sa = dynamic_cast<TStrings*>(p->GetObj(A));
        auto* sb = dynamic_cast<TStrings*>(p->GetObj(B));
        const std::string ta = sa ? sa->Text() : std::string(), tb = sb ? sb->Text() : std::string();
        if (ta != tb) return ::testing::AssertionFailure() << path << ": '" << ta << "' vs '" << tb << "'";
        break;
      }
      case pkEvent:
        break;
    }
  }
  return ::testing::AssertionSuccess();
}

// The names of the published events of a class.
inline std::vector<std::string> PublishedEvents(TClass AClass) {
  std::vector<std::string> names;
  if (const TPropList* list = GetPropList(AClass))
    for (const auto& p : list->Props)
      if (p->Kind == pkEvent) names.push_back(p->Name);
  return names;
}
