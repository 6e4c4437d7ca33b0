#include "dataedit/MRUListX.h"
#include "dataedit/MRUListJudge.h"

#include "platform/rtl/sysutils.h"
#include "platform/win/windows.h"

TMRUListX::TMRUListX(TPersistent* AOwner) : FOwner(AOwner), FItems(std::make_unique<TStringList>()) {}

TMRUListX::~TMRUListX() = default;

void TMRUListX::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (OnActiveChange) OnActiveChange(this);
}

void TMRUListX::SetItems(TStrings* Value) {
  FItems->Assign(Value);
  // Stored lists may hold more entries than the limit allows; the limit is what the owner relies on.
  TrimToLimit();
}

void TMRUListX::SetLimit(int Value) {
  // A negative limit would otherwise keep deleting from an empty list.
  if (Value < 0) Value = 0;
  if (FLimit == Value) return;
  FLimit = Value;
  TrimToLimit();
}

void TMRUListX::TrimToLimit() {
  while (FItems->Count() > FLimit) FItems->Delete(0);
}

void TMRUListX::AddEntry(const std::string& Text) {
  if (Trim(Text).empty()) return;
  for (int i = 0; i < FItems->Count(); ++i) {
    const std::string& Entry = FItems->Get(i);
    bool Equal = FCaseSensitive ? AnsiCompareStr(Entry, Text) == 0 : AnsiCompareText(Entry, Text) == 0;
    if (Equal) {
      FItems->Move(i, FItems->Count() - 1);
      return;
    }
  }
  FItems->Add(Text);
  TrimToLimit();
}

namespace {

// The number of whole characters of a UTF-8 text.
int CharCount(const std::string& S) {
  int n = 0;
  for (unsigned char c : S)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// The first n whole characters of a UTF-8 text.
std::string CharPrefix(const std::string& S, int n) {
  size_t i = 0;
  int seen = 0;
  while (i < S.size()) {
    if ((static_cast<unsigned char>(S[i]) & 0xC0) != 0x80) {
      if (seen == n) break;
      ++seen;
    }
    ++i;
  }
  return S.substr(0, i);
}

}  // namespace

bool TMRUListX::GetMatchingItems(TStrings* Target, const std::string& Text) {
  const int n = CharCount(Text);
  bool Completed = true;
  Target->BeginUpdate();
  try {
    Target->Clear();
    for (int i = 0; i < FItems->Count(); ++i) {
      const std::string Entry = FItems->Get(i);
      bool Accept = FCaseSensitive ? CharPrefix(Entry, n) == Text : AnsiStrLIComp(Entry, Text, n) == 0;
      if (OnItemFilter) OnItemFilter(this, Entry, Accept);
      if (Accept) Target->Add(Entry);
      // A long list must not hold up typing: a waiting key-down abandons the pass, and the owner
      // filters again for the new text.
      if (i % 100 == 0 && StopOnPendingKey) {
        MSG Msg;
        if (PeekMessage(&Msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) {
          Completed = false;
          break;
        }
      }
    }
  } catch (...) {
    Target->EndUpdate();
    throw;
  }
  Target->EndUpdate();
  return Completed;
}

void TMRUListX::CloseList(bool Accept) {
  if (OnCloseList) OnCloseList(this, Accept);
}

void TMRUListX::OpenList() {
  if (OnOpenList) OnOpenList(this);
}

void TMRUListX::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TMRUListX*>(Source)) {
    SetActive(S->Active());
    FAutoAdd = S->AutoAdd();
    // The limit first: items beyond the old limit would otherwise be lost.
    SetLimit(S->Limit());
    SetItems(S->Items());
    SetRows(S->Rows());
    FCaseSensitive = S->CaseSensitive();
    return;
  }
  TPersistent::Assign(Source);
}

bool GetMatchingItemsJudgedBy(TMRUListX* List, TStrings* Target, const std::string& Text, TMRUItemFilter& Saved,
                              const std::function<void(const std::string& Item, bool& Accept)>& Judge) {
  Saved = List->OnItemFilter;
  List->OnItemFilter = [&Judge](TObject*, const std::string& Item, bool& Accept) { Judge(Item, Accept); };
  struct Restore {
    TMRUListX* List;
    TMRUItemFilter& Saved;
    ~Restore() {
      List->OnItemFilter = Saved;
      Saved = nullptr;
    }
  } restore{List, Saved};
  return List->GetMatchingItems(Target, Text);
}
