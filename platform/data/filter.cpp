// The data set's Filter text: parsed once per change into a small tree, evaluated per record.
//   expr    := term { OR term }          term := factor { AND factor }
//   factor  := NOT factor | '(' expr ')' | operand [ (= <> < > <= >=) operand | IS [NOT] NULL ]
//   operand := field name ([name with blanks] allowed) | 'text' | number | NULL | TRUE | FALSE
// A text operand ending in '*' compared with = or <> matches as a prefix unless foNoPartialCompare is
// set; foCaseInsensitive compares texts ignoring case. A comparison with Null is false ("= NULL" tests for
// Null, like IS NULL).
#include <cctype>
#include <cstring>

#include "platform/data/db.h"

struct TDataSet::TFilterNode {
  enum TKind { nkOr, nkAnd, nkNot, nkCompare, nkIsNull, nkField, nkConst };
  TKind Kind = nkConst;
  std::string Op;
  TField* Field = nullptr;
  Variant Value;
  bool Partial = false;
  std::shared_ptr<TFilterNode> L, R;
};

namespace {

using TNode = std::shared_ptr<TDataSet::TFilterNode>;

class TFilterParser {
 public:
  TFilterParser(const std::string& Text, TDataSet* DS) : S(Text), DataSet(DS) {}

  TNode Parse() {
    TNode n = Expr();
    Skip();
    if (P < S.size()) Error();
    return n;
  }

 private:
  const std::string& S;
  TDataSet* DataSet;
  size_t P = 0;

  [[noreturn]] void Error() { DatabaseError("Invalid filter expression: " + S, DataSet); }
  void Skip() {
    while (P < S.size() && static_cast<unsigned char>(S[P]) <= ' ') ++P;
  }
  bool Word(const char* W) {
    Skip();
    size_t n = std::strlen(W);
    if (P + n > S.size() || !SameText(S.substr(P, n), W)) return false;
    if (P + n < S.size() && (std::isalnum(static_cast<unsigned char>(S[P + n])) || S[P + n] == '_')) return false;
    P += n;
    return true;
  }
  static TNode Make(TDataSet::TFilterNode::TKind K) {
    auto n = std::make_shared<TDataSet::TFilterNode>();
    n->Kind = K;
    return n;
  }
  TNode Expr() {
    TNode l = Term();
    while (Word("OR")) {
      TNode n = Make(TDataSet::TFilterNode::nkOr);
      n->L = l;
      n->R = Term();
      l = n;
    }
    return l;
  }
  TNode Term() {
    TNode l = Factor();
    while (Word("AND")) {
      TNode n = Make(TDataSet::TFilterNode::nkAnd);
      n->L = l;
      n->R = Factor();
      l = n;
    }
    return l;
  }
  TNode Factor() {
    if (Word("NOT")) {
      TNode n = Make(TDataSet::TFilterNode::nkNot);
      n->L = Factor();
      return n;
    }
    Skip();
    if (P < S.size() && S[P] == '(') {
      ++P;
      TNode n = Expr();
      Skip();
      if (P >= S.size() || S[P] != ')') Error();
      ++P;
      return n;
    }
    TNode l = Operand();
    if (Word("IS")) {
      bool neg = Word("NOT");
      if (!Word("NULL")) Error();
      TNode n = Make(TDataSet::TFilterNode::nkIsNull);
      n->L = l;
      if (!neg) return n;
      TNode m = Make(TDataSet::TFilterNode::nkNot);
      m->L = n;
      return m;
    }
    Skip();
    static const char* const Ops[] = {"<>", "<=", ">=", "=", "<", ">"};
    for (const char* op : Ops) {
      size_t n = std::strlen(op);
      if (S.compare(P, n, op) == 0) {
        P += n;
        TNode c = Make(TDataSet::TFilterNode::nkCompare);
        c->Op = op;
        c->L = l;
        c->R = Operand();
        return c;
      }
    }
    return l;  // a lone operand: a Boolean field or constant
  }
  TNode Operand() {
    Skip();
    if (P >= S.size()) Error();
    char c = S[P];
    if (c == '\'' || c == '"') {
      const char* p = S.data() + P;
      std::string v = AnsiExtractQuotedStr(p, S.data() + S.size(), c);
      P = p - S.data();
      TNode n = Make(TDataSet::TFilterNode::nkConst);
      n->Value = v;
      return n;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
      size_t start = P++;
      while (P < S.size() && (std::isdigit(static_cast<unsigned char>(S[P])) || S[P] == '.' || S[P] == 'E' ||
                              S[P] == 'e'))
        ++P;
      std::string num = S.substr(start, P - start);
      TNode n = Make(TDataSet::TFilterNode::nkConst);
      int64_t i;
      double d;
      if (TryStrToInt64(num, i)) n->Value = Variant(i);
      else if (TryStrToFloat(num, d)) n->Value = Variant(d);
      else Error();
      return n;
    }
    if (Word("NULL")) {
      TNode n = Make(TDataSet::TFilterNode::nkConst);
      n->Value = Variant::Null();
      return n;
    }
    if (Word("TRUE") || Word("FALSE")) {
      TNode n = Make(TDataSet::TFilterNode::nkConst);
      n->Value = Variant(SameText(S.substr(P - 4, 4), "TRUE"));
      return n;
    }
    std::string name;
    if (c == '[') {
      size_t e = S.find(']', P);
      if (e == std::string::npos) Error();
      name = S.substr(P + 1, e - P - 1);
      P = e + 1;
    } else {
      size_t start = P;
      while (P < S.size() && (std::isalnum(static_cast<unsigned char>(S[P])) || S[P] == '_' ||
                              static_cast<unsigned char>(S[P]) >= 0x80))
        ++P;
      if (start == P) Error();
      name = S.substr(start, P - start);
    }
    TNode n = Make(TDataSet::TFilterNode::nkField);
    n->Field = DataSet->FieldByName(name);
    return n;
  }
};

}  // namespace

struct TFilterEval {
  TFilterOptions Options;

  Variant Value(const TDataSet::TFilterNode& N) {
    if (N.Kind == TDataSet::TFilterNode::nkField) return N.Field->AsVariant();
    if (N.Kind == TDataSet::TFilterNode::nkConst) return N.Value;
    return Variant(Eval(N));
  }

  int CompareTexts(const std::string& A, const std::string& B) {
    return Options.Contains(foCaseInsensitive) ? AnsiCompareText(A, B) : CompareStr(A, B);
  }

  bool Compare(const TDataSet::TFilterNode& N) {
    const TDataSet::TFilterNode& l = *N.L;
    const TDataSet::TFilterNode& r = *N.R;
    Variant a = Value(l), b = Value(r);
    if (a.IsNull() || b.IsNull()) {
      bool bothNull = a.IsNull() && b.IsNull();
      if (N.Op == "=") return bothNull;
      if (N.Op == "<>") return !bothNull;
      return false;
    }
    // A text constant against a date or number field: read the text as the field would.
    const TDataSet::TFilterNode* field = l.Kind == TDataSet::TFilterNode::nkField ? &l
                                         : r.Kind == TDataSet::TFilterNode::nkField ? &r
                                                                                     : nullptr;
    int cmp = 0;
    if (a.IsString() && b.IsString()) {
      std::string sa = a.AsString(), sb = b.AsString();
      if ((N.Op == "=" || N.Op == "<>") && !Options.Contains(foNoPartialCompare)) {
        std::string* pat = r.Kind == TDataSet::TFilterNode::nkConst ? &sb : (l.Kind == TDataSet::TFilterNode::nkConst ? &sa : nullptr);
        std::string* val = pat == &sb ? &sa : &sb;
        if (pat && !pat->empty() && pat->back() == '*') {
          std::string prefix = pat->substr(0, pat->size() - 1);
          bool match = val->size() >= prefix.size() && CompareTexts(val->substr(0, prefix.size()), prefix) == 0;
          return N.Op == "=" ? match : !match;
        }
      }
      cmp = CompareTexts(sa, sb);
    } else {
      if (field && field->Field->Native() == TField::nvDouble && (a.IsString() || b.IsString())) {
        Variant& text = a.IsString() ? a : b;
        TDateTime d;
        if (TryStrToDateTime(text.AsString(), d)) text = VarFromDateTime(d);
      }
      TVariantRelationship rel;
      try {
        rel = VarCompareValue(a, b);
      } catch (const EVariantError&) {
        rel = vrNotEqual;
      }
      if (rel == vrNotEqual) return N.Op == "<>";
      cmp = rel == vrEqual ? 0 : rel == vrLessThan ? -1 : 1;
    }
    if (N.Op == "=") return cmp == 0;
    if (N.Op == "<>") return cmp != 0;
    if (N.Op == "<") return cmp < 0;
    if (N.Op == ">") return cmp > 0;
    if (N.Op == "<=") return cmp <= 0;
    return cmp >= 0;
  }

  bool Eval(const TDataSet::TFilterNode& N) {
    switch (N.Kind) {
      case TDataSet::TFilterNode::nkOr: return Eval(*N.L) || Eval(*N.R);
      case TDataSet::TFilterNode::nkAnd: return Eval(*N.L) && Eval(*N.R);
      case TDataSet::TFilterNode::nkNot: return !Eval(*N.L);
      case TDataSet::TFilterNode::nkIsNull: return Value(*N.L).IsNull();
      case TDataSet::TFilterNode::nkCompare: return Compare(N);
      default: {
        Variant v = Value(N);
        if (v.IsNull()) return false;
        try {
          return v.AsBoolean();
        } catch (const Exception&) {
          return false;
        }
      }
    }
  }
};

void TDataSet::ParseFilter() {
  FFilterExpr.reset();
  std::string text = Trim(FFilterText);
  if (text.empty() || FState == dsInactive) return;
  FFilterExpr = TFilterParser(text, this).Parse();
}

void TDataSet::SetFilter(const std::string& Value) {
  if (Value == FFilterText) return;
  if (Active()) CheckBrowseMode();
  std::string old = FFilterText;
  FFilterText = Value;
  if (Active()) {
    try {
      ParseFilter();
    } catch (...) {
      FFilterText = old;
      ParseFilter();
      throw;
    }
    if (FFiltered)
      ApplyFilterChange([&] {
        FFilterText = old;
        ParseFilter();
      });
  }
}

void TDataSet::SetFiltered(bool Value) {
  if (Value == FFiltered) return;
  if (Active()) CheckBrowseMode();
  FFiltered = Value;
  if (Active()) ApplyFilterChange([&] { FFiltered = !Value; });
}

void TDataSet::SetFilterOptions(TFilterOptions Value) {
  if (Value == FFilterOptions) return;
  if (Active()) CheckBrowseMode();
  TFilterOptions old = FFilterOptions;
  FFilterOptions = Value;
  if (Active() && FFiltered) ApplyFilterChange([&] { FFilterOptions = old; });
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent Value) {
  if (Active()) CheckBrowseMode();
  TFilterRecordEvent old = std::move(FOnFilterRecord);
  FOnFilterRecord = std::move(Value);
  if (Active() && FFiltered) ApplyFilterChange([&] { FOnFilterRecord = std::move(old); });
}

void TDataSet::SetControlFilter(TControlFilter Value) {
  if (!Value && !FControlFilter) return;
  if (Active()) CheckBrowseMode();
  TControlFilter old = std::move(FControlFilter);
  FControlFilter = std::move(Value);
  if (Active()) ApplyFilterChange([&] { FControlFilter = std::move(old); });
}

// A filter that raises while the view is made leaves the previous filter in force.
void TDataSet::ApplyFilterChange(const std::function<void()>& Revert) {
  try {
    FilterChanged();
  } catch (...) {
    Revert();
    try {
      FilterChanged();
    } catch (...) {
    }
    throw;
  }
}

bool TDataSet::RecordFilterAccepts(int64_t Handle) {
  if (!HasFilter()) return true;
  FFilterBuffer.Handle = Handle;
  FFilterBuffer.EditRecord = false;
  FFilterBuffer.Flag = bfCurrent;
  TDataSetState saved = FState;
  const TRecBuf* savedTemp = FTempBuffer;
  bool accept = true;
  try {
    if (FCalcFieldsCount > 0) {
      FFilterBuffer.Calc.assign(FCalcFieldsCount, Variant::Null());
      FState = dsFilter;
      FTempBuffer = &FFilterBuffer;
      CalculateFields(FFilterBuffer);
    }
    FState = dsFilter;
    FTempBuffer = &FFilterBuffer;
    if (FFiltered && FFilterExpr) accept = TFilterEval{FFilterOptions}.Eval(*FFilterExpr);
    if (accept && FFiltered && FOnFilterRecord) FOnFilterRecord(this, accept);
    if (accept && FControlFilter) accept = FControlFilter(this);
  } catch (...) {
    FState = saved;
    FTempBuffer = savedTemp;
    throw;
  }
  FState = saved;
  FTempBuffer = savedTemp;
  return accept;
}
