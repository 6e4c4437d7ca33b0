// TStrings and TStringList.
#include <algorithm>
#include <numeric>

#include "platform/classes/classes.h"

void TStrings::Error(const char* Msg, int Data) { throw EStringListError(Format(Msg, Data)); }

void TStrings::Put(int Index, const std::string& S) {
  TObject* obj = GetObject(Index);
  BeginUpdate();
  try {
    Delete(Index);
    InsertObject(Index, S, obj);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

int TStrings::Add(const std::string& S) {
  int i = Count();
  Insert(i, S);
  return i;
}
int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int i = Add(S);
  PutObject(i, AObject);
  return i;
}

void TStrings::AddStrings(TStrings* Strings) {
  if (!Strings) return;
  BeginUpdate();
  try {
    // Count first: adding a list to itself copies it once.
    const int n = Strings->Count();
    for (int i = 0; i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
void TStrings::AddStrings(const std::vector<std::string>& Strings) {
  BeginUpdate();
  try {
    for (const std::string& s : Strings) Add(s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TStrings*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    FDelimiter = src->FDelimiter;
    FQuoteChar = src->FQuoteChar;
    FNameValueSeparator = src->FNameValueSeparator;
    FStrictDelimiter = src->FStrictDelimiter;
    AddStrings(src);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string s = Get(i);
    size_t p = s.find(FNameValueSeparator);
    if (p != std::string::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    std::string s = Get(Index1);
    TObject* o = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, s);
    PutObject(Index2, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    std::string s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStrings::Equals(TStrings* Strings) const {
  if (!Strings || Strings->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

std::string TStrings::Names(int Index) const {
  std::string s = Get(Index);
  size_t p = s.find(FNameValueSeparator);
  return p == std::string::npos ? std::string() : s.substr(0, p);
}
std::string TStrings::Values(const std::string& Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}
void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  int i = IndexOfName(Name);
  if (!Value.empty()) {
    if (i < 0) i = Add(std::string());
    Put(i, Name + FNameValueSeparator + Value);
  } else if (i >= 0) {
    Delete(i);
  }
}
std::string TStrings::ValueFromIndex(int Index) const {
  std::string s = Get(Index);
  size_t p = s.find(FNameValueSeparator);
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}
void TStrings::SetValueFromIndex(int Index, const std::string& Value) {
  if (!Value.empty()) {
    if (Index < 0) Index = Add(std::string());
    Put(Index, Names(Index) + FNameValueSeparator + Value);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

std::string TStrings::Text() const {
  std::string r;
  for (int i = 0; i < Count(); ++i) {
    r += Get(i);
    r += sLineBreak;
  }
  return r;
}

void TStrings::SetText(const std::string& Value) {
  BeginUpdate();
  try {
    Clear();
    size_t i = 0, n = Value.size();
    while (i < n) {
      size_t start = i;
      while (i < n && Value[i] != '\r' && Value[i] != '\n') ++i;
      Add(Value.substr(start, i - start));
      if (i < n && Value[i] == '\r') ++i;
      if (i < n && Value[i] == '\n') ++i;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

namespace {
bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsSpaceNotNul(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::string TStrings::DelimitedTextOf(char Delim, bool Strict) const {
  const int n = Count();
  if (n == 1 && Get(0).empty()) return std::string(2, FQuoteChar);
  std::string r;
  for (int i = 0; i < n; ++i) {
    std::string s = Get(i);
    bool quote = false;
    for (char c : s)
      if ((!Strict && IsBlankByte(c)) || c == '\0' || c == FQuoteChar || c == Delim) { quote = true; break; }
    if (i > 0) r.push_back(Delim);
    r += quote ? AnsiQuotedStr(s, FQuoteChar) : s;
  }
  return r;
}

void TStrings::SetDelimitedTextOf(const std::string& Value, char Delim, bool Strict) {
  BeginUpdate();
  try {
    Clear();
    const char* p = Value.data();
    const char* end = p + Value.size();
    if (!Strict) end = p + std::min(Value.size(), Value.find('\0'));  // a NUL ends the text
    auto skipBlanks = [&] {
      if (!Strict)
        while (p < end && IsSpaceNotNul(*p)) ++p;
    };
    skipBlanks();
    while (p < end) {
      std::string s;
      if (*p == FQuoteChar) {
        s = AnsiExtractQuotedStr(p, end, FQuoteChar);
        // Text glued to a closing quote belongs to the same item in strict mode.
        if (Strict)
          while (p < end && *p != Delim) s.push_back(*p++);
      } else {
        const char* start = p;
        if (Strict)
          while (p < end && *p != Delim) ++p;
        else
          while (p < end && !IsBlankByte(*p) && *p != Delim) ++p;
        s.assign(start, p);
      }
      Add(s);
      skipBlanks();
      if (p < end && *p == Delim) {
        if (p + 1 == end) Add(std::string());
        ++p;
        skipBlanks();
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::DelimitedText() const { return DelimitedTextOf(FDelimiter, FStrictDelimiter); }
void TStrings::SetDelimitedText(const std::string& Value) { SetDelimitedTextOf(Value, FDelimiter, FStrictDelimiter); }
std::string TStrings::CommaText() const {
  auto* self = const_cast<TStrings*>(this);
  char q = self->FQuoteChar;
  self->FQuoteChar = '"';
  std::string r = DelimitedTextOf(',', false);
  self->FQuoteChar = q;
  return r;
}
void TStrings::SetCommaText(const std::string& Value) {
  char q = FQuoteChar;
  FQuoteChar = '"';
  try {
    SetDelimitedTextOf(Value, ',', false);
  } catch (...) {
    FQuoteChar = q;
    throw;
  }
  FQuoteChar = q;
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}
void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&fs);
}
void TStrings::SaveToFile(const std::string& FileName) {
  TFileStream fs(FileName, fmCreate);
  SaveToStream(&fs);
}
void TStrings::LoadFromStream(TStream* Stream) {
  int64_t size = Stream->Size() - Stream->Position();
  std::string buf;
  if (size > 0) {
    buf.resize(static_cast<size_t>(size));
    int64_t got = Stream->Read(buf.data(), size);
    buf.resize(static_cast<size_t>(std::max<int64_t>(got, 0)));
  }
  if (buf.size() >= 3 && static_cast<unsigned char>(buf[0]) == 0xEF && static_cast<unsigned char>(buf[1]) == 0xBB &&
      static_cast<unsigned char>(buf[2]) == 0xBF)
    buf.erase(0, 3);
  SetText(buf);
}
void TStrings::SaveToStream(TStream* Stream) {
  std::string t = Text();
  Stream->WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> r;
  r.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i) r.push_back(Get(i));
  return r;
}

// ---------------------------------------------------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (auto& item : FList) delete item.Object;
  FList.clear();
}

std::string TStringList::Get(int Index) const {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  return FList[static_cast<size_t>(Index)].S;
}
TObject* TStringList::GetObject(int Index) const {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  return FList[static_cast<size_t>(Index)].Object;
}
void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  Changing();
  FList[static_cast<size_t>(Index)].S = S;
  Changed();
}
void TStringList::PutObject(int Index, TObject* AObject) {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  Changing();
  TObject*& slot = FList[static_cast<size_t>(Index)].Object;
  if (FOwnsObjects && slot != AObject) delete slot;
  slot = AObject;
  Changed();
}
void TStringList::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }
void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) Error("List index out of bounds (%d)", Index);
  InsertItem(Index, S, AObject);
}
void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}
void TStringList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  Changing();
  TObject* obj = FList[static_cast<size_t>(Index)].Object;
  FList.erase(FList.begin() + Index);
  if (FOwnsObjects) delete obj;
  Changed();
}
void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TStringItem> old;
  old.swap(FList);
  if (FOwnsObjects)
    for (auto& item : old) delete item.Object;
  Changed();
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }
int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index;
  if (!FSorted) {
    index = Count();
  } else if (Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EStringListError("String list does not allow duplicates");
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) Error("List index out of bounds (%d)", Index1);
  if (Index2 < 0 || Index2 >= Count()) Error("List index out of bounds (%d)", Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  if (CurIndex < 0 || CurIndex >= Count()) Error("List index out of bounds (%d)", CurIndex);
  if (NewIndex < 0 || NewIndex >= Count()) Error("List index out of bounds (%d)", NewIndex);
  Changing();
  TStringItem item = std::move(FList[static_cast<size_t>(CurIndex)]);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, std::move(item));
  Changed();
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int i;
  return Find(S, i) ? i : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
  bool found = false;
  int l = 0, h = Count() - 1;
  while (l <= h) {
    int i = (l + h) / 2;
    int c = CompareStrings(FList[static_cast<size_t>(i)].S, S);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) l = i;
      }
    }
  }
  Index = l;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList* List, int A, int B) {
    return List->CompareStrings(List->FList[static_cast<size_t>(A)].S, List->FList[static_cast<size_t>(B)].S);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (FSorted || Count() < 2) return;
  Changing();
  std::vector<int> order(static_cast<size_t>(Count()));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<TStringItem> sorted;
  sorted.reserve(FList.size());
  for (int i : order) sorted.push_back(std::move(FList[static_cast<size_t>(i)]));
  FList.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) {
    FSorted = false;
    Sort();
    FSorted = true;
  }
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}
void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}
