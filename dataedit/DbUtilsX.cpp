#include "dataedit/DbUtilsX.h"

#include <cmath>

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>
#include <string_view>

#include "platform/rtl/sysutils.h"

const char* const STFilterOperatorTexts[stoValue + 1] = {
    "", "=", "<>", ">", "<", ">=", "<=", "~", "!~", "In", "!In", "Null", "Null", "AND", "OR", ""};

namespace {

constexpr std::array<TSTFilterValueKindX, FieldTypeCount> MakeValueKinds() {
  std::array<TSTFilterValueKindX, FieldTypeCount> K{};  // stvkOther everywhere else
  for (TFieldType T : {ftString, ftMemo, ftFmtMemo, ftFixedChar, ftWideString, ftGuid}) K[T] = stvkString;
  for (TFieldType T : {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftBCD, ftAutoInc, ftLargeint, ftFMTBcd})
    K[T] = stvkNumber;
  for (TFieldType T : {ftDate, ftTime, ftDateTime, ftTimeStamp}) K[T] = stvkDateTime;
  K[ftBoolean] = stvkBoolean;
  return K;
}
constexpr auto ValueKindTable = MakeValueKinds();

}  // namespace

const TSTFilterValueKindX FieldTypeValueKinds[FieldTypeCount] = {
#define K(I) ValueKindTable[I]
    K(0),  K(1),  K(2),  K(3),  K(4),  K(5),  K(6),  K(7),  K(8),  K(9),  K(10), K(11), K(12),
    K(13), K(14), K(15), K(16), K(17), K(18), K(19), K(20), K(21), K(22), K(23), K(24), K(25),
    K(26), K(27), K(28), K(29), K(30), K(31), K(32), K(33), K(34), K(35), K(36), K(37)
#undef K
};
static_assert(FieldTypeCount == 38, "the value-kind table lists every field type");

void ResetSTFilterExpression(TSTFilterExpressionX& E) {
  E.Operator1 = E.Link = E.Operator2 = stoNone;
  E.Operand1 = E.Operand2 = Null;
}

namespace {

// Lexeme codes beyond the operators, used only while reading.
constexpr int lxNot = 100;

struct TLexeme {
  int Code = stoNone;
  Variant Operand;
};

bool IsWordDelimiter(unsigned char C) {
  if (C < 32) return true;
  switch (C) {
    case ' ': case '!': case '"': case '&': case '\'': case '(': case ')': case '+': case ',': case '-':
    case '.': case '<': case '=': case '>': case '|': case '~':
      return true;
    default:
      return false;
  }
}

// Steps of the last parse on this thread (characters and lexemes examined).
thread_local int64_t LastParseSteps = 0;

// One parse. Positions count from 1 as the texts of the messages do.
//
// A bare value ends at a blank after which an operator or link word begins, so the value reader looks
// ahead at every blank, and looking ahead at a word that is no keyword reads a value from there, which
// looks ahead in turn. Read literally that re-reads the rest of the text at every word (the cost doubles
// with each word). Here a look-ahead only decides what begins at a position (a word that is no keyword
// begins a value, without reading it), and its result is remembered per position and list mode. The
// positions a look-ahead can start at (a non-blank after a blank) are decided from the end of the text
// backwards, so a look-ahead that needs another one further on finds it decided and the nesting stays
// one level deep; a run of NOT is read in a loop and a look-ahead that meets a decided position in its
// run takes the rest from there. Every position is thus looked at a bounded number of times and the
// stack stays flat whatever the text.
class TParser {
 public:
  TParser(const std::string& Text, TSTFilterValueKindX Kind) : T(Text), Len(static_cast<int>(Text.size())), VK(Kind) {
    SetListMode();
  }
  ~TParser() { LastParseSteps = Steps; }

  bool Parse(TSTFilterExpressionX& E) {
    if (Len == 0) return false;
    int P = 1;
    SkipBlanks(P);
    TLexeme L = ReadLexeme(P);
    if (L.Code == stoAnd || L.Code == stoOr) Fail(DbUtilsXMessages::UnexpectedAndOr);
    Condition(P, L, E.Operator1, E.Operand1, true);
    bool Second = false;
    SkipBlanks(P);
    int Start = P;
    L = ReadLexeme(P);
    if (L.Code == stoNone) {
      // Nothing may follow the first condition: a "(" or a NOT that leads nowhere is an error too.
      if (Start <= Len || P != Len + 1) Fail(DbUtilsXMessages::IncorrectExpression);
    } else {
      if (L.Code != stoAnd && L.Code != stoOr) Fail(DbUtilsXMessages::UnexpectedAndOr);
      E.Link = static_cast<TSTFilterOperatorX>(L.Code);
      SkipBlanks(P);
      Start = P;
      L = ReadLexeme(P);
      if (L.Code == stoNone) {
        if (Start <= Len || P != Len + 1) Fail(DbUtilsXMessages::IncorrectExpression);
      } else {
        Condition(P, L, E.Operator2, E.Operand2, false);
        SetListMode();
        Second = true;
        SkipBlanks(P);
        if (P <= Len) Fail(DbUtilsXMessages::IncorrectExpression);
      }
    }
    Convert(E.Operator1, E.Operand1);
    Convert(E.Operator2, E.Operand2);
    return Second;
  }

 private:
  // What a look-ahead found at a position: the first lexeme that is no NOT, how many NOT came before
  // it (0, 1, or 2 for two and more: only these differ), or the error reading raised.
  struct TPeek {
    bool Known = false;
    int Code = stoNone;
    int Nots = 0;
    std::exception_ptr Error;
  };
  const std::string& T;
  const int Len;
  const TSTFilterValueKindX VK;
  bool ListMode = true;
  // Per list mode (index 1: on): the look-aheads by position, and the first position from which on
  // every possible start of a look-ahead is decided.
  std::vector<TPeek> Peeks[2];
  int Decided[2] = {0, 0};
  // Per list mode: whether reading the rest of a list from a position (after a comma) raises.
  struct TRest {
    bool Known = false;
    std::exception_ptr Error;
  };
  std::vector<TRest> Rests[2];
  int64_t Steps = 0;

  char At(int P) const { return T[static_cast<size_t>(P - 1)]; }
  [[noreturn]] void Fail(const char* Message) const { throw Exception(DbUtilsXMessageText(Message) + T); }
  void SetListMode() { ListMode = !(VK == stvkNumber && FormatSettings.DecimalSeparator == ','); }

  void SkipBlanks(int& P) {
    int Q = P;
    while (Q <= Len && At(Q) == ' ') ++Q, ++Steps;
    if (Q <= Len) P = Q;
  }

  void Condition(int& P, const TLexeme& L, TSTFilterOperatorX& Op, Variant& Operand, bool First) {
    if (L.Code == stoValue) {
      Op = VarIsArray(L.Operand) ? stoIn : (VK == stvkString ? stoLike : stoEqual);
      Operand = L.Operand;
      return;
    }
    if (L.Code == stoNone || L.Code == lxNot) Fail(DbUtilsXMessages::ErrorInExpression);
    if (L.Code == stoAnd || L.Code == stoOr) Fail(DbUtilsXMessages::UnexpectedAndOr);
    Op = static_cast<TSTFilterOperatorX>(L.Code);
    const bool IsIn = Op == stoIn || Op == stoNotIn;
    if (IsIn) ListMode = true;
    SkipBlanks(P);
    if (IsIn && P <= Len && At(P) == ')') {
      // An empty list: In () (the grid's filter row writes an empty list so).
      Operand = VarArrayOf({});
      ++P;
      if (First) SetListMode();
      return;
    }
    const TLexeme R = ReadLexeme(P);
    if (R.Code == stoIsNull) {
      if (Op == stoEqual) Op = stoIsNull;
      else if (Op == stoNotEqual) Op = stoIsNotNull;
      else Fail(DbUtilsXMessages::UnexpectedBeforeNull);
    } else {
      if (R.Code != stoValue) Fail(DbUtilsXMessages::UnexpectedAfterOperator);
      Operand = R.Operand;
    }
    if (IsIn) {
      // The list of either condition must be closed.
      SkipBlanks(P);
      if (P > Len || At(P) != ')') Fail(DbUtilsXMessages::RightParenExpected);
      ++P;
      if (First) SetListMode();
    }
  }

  // What NOT makes of the lexeme after its run of Nots (a NOT of a NOT is no operator at all).
  static int Negated(int Code, int Nots) {
    if (Nots == 0) return Code;
    if (Nots > 1) return stoNone;
    return Code == stoLike ? stoNotLike : Code == stoIn ? stoNotIn : Code == stoIsNull ? stoIsNotNull : stoNone;
  }

  // One lexeme as the text has it, NOT included (lxNot). Peek: only the code is wanted (a look-ahead
  // from the value reader).
  TLexeme ReadSingle(int& P, bool Peek) {
    ++Steps;
    TLexeme L;
    if (P > Len) return L;
    const char C = At(P);
    const char N = P < Len ? At(P + 1) : '\0';
    switch (C) {
      case '!':
        if (N == '=') L.Code = stoNotEqual, P += 2;
        else L.Code = lxNot, P += 1;
        break;
      case '&': L.Code = stoAnd, ++P; break;
      case '|': L.Code = stoOr, ++P; break;
      case '=': L.Code = stoEqual, ++P; break;
      case '~': L.Code = stoLike, ++P; break;
      case '<':
        if (N == '=') L.Code = stoLessEqual, P += 2;
        else if (N == '>') L.Code = stoNotEqual, P += 2;
        else L.Code = stoLess, ++P;
        break;
      case '>':
        if (N == '=') L.Code = stoGreaterEqual, P += 2;
        else L.Code = stoGreater, ++P;
        break;
      case '(': ++P; break;
      case '\'':
        if (Peek) PeekValueList(P);
        else L.Operand = ReadValueList(P);
        L.Code = stoValue;
        return L;
      default: {
        int Q = P;
        while (Q <= Len && !IsWordDelimiter(static_cast<unsigned char>(At(Q)))) ++Q, ++Steps;
        // No keyword is longer than four characters.
        const std::string Word =
            Q - P > 4 ? std::string() : AnsiUpperCase(T.substr(static_cast<size_t>(P - 1), static_cast<size_t>(Q - P)));
        if (Word == "NOT") L.Code = lxNot;
        else if (Word == "AND") L.Code = stoAnd;
        else if (Word == "OR") L.Code = stoOr;
        else if (Word == "LIKE") L.Code = stoLike;
        else if (Word == "IN") L.Code = stoIn;
        else if (Word == "NULL") L.Code = stoIsNull;
        else if (Peek) {
          // A value begins here. Reading it could only raise where the reader that looks ahead will
          // itself pass (it scans the same text up to the same end), so its code is all that counts.
          L.Code = stoValue;
          return L;
        } else {
          L.Operand = ReadValueList(P);
          L.Code = VarIsNull(L.Operand) ? stoNone : stoValue;
          return L;
        }
        P = Q;
      }
    }
    SkipBlanks(P);
    if (L.Code == stoIn) {
      if (P > Len || At(P) != '(') Fail(DbUtilsXMessages::LeftParenExpected);
      ++P;
    }
    return L;
  }

  // One lexeme, a run of NOT read with what follows it.
  TLexeme ReadLexeme(int& P) {
    TLexeme L = ReadSingle(P, false);
    int Nots = 0;
    while (L.Code == lxNot) {
      ++Nots;
      L = ReadSingle(P, false);
    }
    if (Nots == 0) return L;
    TLexeme R;
    R.Code = Negated(L.Code, Nots);
    return R;
  }

  static bool IsBlank(char C) { return C == ' '; }
  // A look-ahead starts only at a non-blank right after a blank.
  bool LookAheadStart(int P) const { return P >= 2 && P <= Len && IsBlank(At(P - 1)) && !IsBlank(At(P)); }

  // Decides the look-ahead at P: the lexeme there with its run of NOT, taking the rest of the run from
  // a position decided before.
  void Decide(int P) {
    std::vector<TPeek>& Memo = Peeks[ListMode ? 1 : 0];
    TPeek Out;
    Out.Known = true;
    int Q = P, Nots = 0;
    try {
      for (;;) {
        if (Q != P && Q <= Len && Memo[static_cast<size_t>(Q)].Known) {
          const TPeek& Rest = Memo[static_cast<size_t>(Q)];
          Out.Code = Rest.Code;
          Out.Error = Rest.Error;
          Nots += Rest.Nots;
          break;
        }
        const TLexeme L = ReadSingle(Q, true);
        if (L.Code != lxNot) {
          Out.Code = L.Code;
          break;
        }
        ++Nots;
      }
    } catch (...) {
      Out.Error = std::current_exception();
    }
    Out.Nots = std::min(Nots, 2);
    Memo[static_cast<size_t>(P)] = std::move(Out);
  }

  // The code of the lexeme at P (a look-ahead start), decided once per position and list mode.
  int LookAhead(int P) {
    ++Steps;
    const int M = ListMode ? 1 : 0;
    std::vector<TPeek>& Memo = Peeks[M];
    if (Memo.empty()) {
      Memo.resize(static_cast<size_t>(Len) + 2);
      Decided[M] = Len + 1;
    }
    if (!Memo[static_cast<size_t>(P)].Known) {
      // Every start from the end of the text down to P, so that the look-aheads these need further on
      // are decided already.
      for (int Q = Decided[M] - 1; Q >= P; --Q) {
        ++Steps;
        if (LookAheadStart(Q) && !Memo[static_cast<size_t>(Q)].Known) Decide(Q);
        Decided[M] = Q;
      }
    }
    const TPeek& K = Memo[static_cast<size_t>(P)];
    if (K.Error) std::rethrow_exception(K.Error);
    return Negated(K.Code, K.Nots);
  }

  Variant ReadValue(int& P) {
    if (P > Len) return Null;
    if (At(P) == '\'') {
      // A doubled quote inside the quotes stands for one quote (the grid's filter row writes them so).
      std::string Value;
      size_t From = static_cast<size_t>(P);
      size_t Close = T.find('\'', From);
      while (Close != std::string::npos && Close + 1 < T.size() && T[Close + 1] == '\'') {
        Value += T.substr(From, Close + 1 - From);
        From = Close + 2;
        Close = T.find('\'', From);
      }
      if (Close == std::string::npos) {
        Steps += Len - P;
        Fail(DbUtilsXMessages::QuoteAbsent);
      }
      Steps += static_cast<int64_t>(Close) + 2 - P;
      Value += T.substr(From, Close - From);
      P = static_cast<int>(Close) + 2;
      return Variant(Value);
    }
    const int Start = P;
    int Q = P;
    for (; Q <= Len; ++Q) {
      ++Steps;
      const char C = At(Q);
      if (C == '(' || C == ')') break;
      if (C == ',' && ListMode) break;
      if (C == ' ') {
        int R = Q;
        SkipBlanks(R);
        if (R == Q) {
          Q = Len;  // only blanks remain: they end the value
          continue;
        }
        const int Code = LookAhead(R);
        if (Code >= stoEqual && Code <= stoOr) break;
        Q = R - 1;  // the blanks stay in the value; reading goes on after them
      }
    }
    P = Q;
    return Variant(T.substr(static_cast<size_t>(Start - 1), static_cast<size_t>(Q - Start)));
  }

  // A look-ahead at a quote: the list is read only for the errors reading it may raise. What follows
  // each comma is read once per list mode, so look-aheads at the quotes of one long list do not read
  // the rest of the list again each.
  void PeekValueList(int P) {
    ReadValue(P);
    if (ListMode && P <= Len && At(P) == ',') PeekListRest(P + 1);
  }

  void PeekListRest(int From) {
    std::vector<TRest>& Memo = Rests[ListMode ? 1 : 0];
    if (Memo.empty()) Memo.resize(static_cast<size_t>(Len) + 2);
    std::vector<int> Walked;
    std::exception_ptr Error;
    for (int P = From;;) {
      ++Steps;
      if (Memo[static_cast<size_t>(P)].Known) {
        Error = Memo[static_cast<size_t>(P)].Error;
        break;
      }
      Walked.push_back(P);
      try {
        if (VarIsNull(ReadValue(P))) break;
      } catch (...) {
        Error = std::current_exception();
        break;
      }
      if (P > Len || At(P) != ',') break;
      ++P;
    }
    for (int W : Walked) Memo[static_cast<size_t>(W)] = TRest{true, Error};
    if (Error) std::rethrow_exception(Error);
  }

  Variant ReadValueList(int& P) {
    std::vector<Variant> Items{ReadValue(P)};
    while (ListMode && !VarIsNull(Items.back()) && P <= Len && At(P) == ',') {
      ++P;
      Items.push_back(ReadValue(P));
    }
    return Items.size() == 1 ? Items[0] : VarArrayOf(Items);
  }

  Variant ConvertValue(const Variant& V) const {
    switch (VK) {
      case stvkNumber: {
        const std::string S = VarToStr(V);
        double D;
        // Infinity or NaN would make the filter keep or hide every row without a word, as no field
        // takes them either.
        if (!TryStrToFloat(S, D) || !std::isfinite(D))
          throw EConvertError("'" + S + "' is not a valid floating point value");
        return Variant(D);
      }
      case stvkDateTime: return Variant::FromDateTime(StrToDateTime(VarToStr(V)));
      default: return V;
    }
  }

  void Convert(TSTFilterOperatorX Op, Variant& Operand) const {
    if (Op < stoEqual || Op > stoNotIn) {
      Operand = Null;
      return;
    }
    if (VarIsArray(Operand)) {
      for (int I = VarArrayLowBound(Operand, 1); I <= VarArrayHighBound(Operand, 1); ++I)
        Operand[I] = ConvertValue(Operand[I]);
    } else {
      Operand = ConvertValue(Operand);
    }
  }
};

std::string TrimControls(const std::string& S) {
  size_t B = 0, E = S.size();
  while (B < E && static_cast<unsigned char>(S[B]) <= 32) ++B;
  while (E > B && static_cast<unsigned char>(S[E - 1]) <= 32) --E;
  return S.substr(B, E - B);
}

// The registry: entries in registration order, owned.
std::vector<std::unique_ptr<TDatasetFeaturesX>>* Registry = nullptr;

}  // namespace

int64_t ParseSTFilterTextSteps() { return LastParseSteps; }

bool ParseSTFilterText(const std::string& Text, TSTFilterExpressionX& Expression) {
  ResetSTFilterExpression(Expression);
  const std::string Trimmed = TrimControls(Text);
  TParser Parser(Trimmed, Expression.ValueKind);
  return Parser.Parse(Expression);
}

void RegisterDatasetFeatures(TDatasetFeaturesX* Features) {
  if (!Registry) Registry = new std::vector<std::unique_ptr<TDatasetFeaturesX>>();
  Registry->emplace_back(Features);
}

void UnregisterDatasetFeatures(TDatasetFeaturesX* Features) {
  if (!Registry || !Features) return;
  for (auto i = Registry->begin(); i != Registry->end(); ++i)
    if (i->get() == Features) {
      Registry->erase(i);
      return;
    }
}

TDatasetFeaturesX* FindDatasetFeatures(TDataSet* DataSet) {
  if (!Registry || !DataSet) return nullptr;
  TDatasetFeaturesX* Best = nullptr;
  int BestDistance = 0;
  for (auto& Entry : *Registry) {
    if (!Entry->DataSetClass) continue;
    int Distance = 0;
    for (TClass C = DataSet->ClassType(); C; C = C->Parent, ++Distance) {
      if (SameText(C->Name, Entry->DataSetClass->Name)) {
        if (!Best || Distance < BestDistance) Best = Entry.get(), BestDistance = Distance;
        break;
      }
    }
  }
  return Best;
}

namespace {
struct TParserMessage {
  int Id;
  const char* Name;
  const char* Text;
};
const TParserMessage ParserMessages[] = {
    {DbUtilsXMessages::SQuoteIsAbsentId, "SQuoteIsAbsent", DbUtilsXMessages::QuoteAbsent},
    {DbUtilsXMessages::SLeftParenExpectedId, "SLeftParenExpected", DbUtilsXMessages::LeftParenExpected},
    {DbUtilsXMessages::SRightParenExpectedId, "SRightParenExpected", DbUtilsXMessages::RightParenExpected},
    {DbUtilsXMessages::SErrorInExpressionId, "SErrorInExpression", DbUtilsXMessages::ErrorInExpression},
    {DbUtilsXMessages::SUnexpectedExpressionBeforeNullId, "SUnexpectedExpressionBeforeNull",
     DbUtilsXMessages::UnexpectedBeforeNull},
    {DbUtilsXMessages::SUnexpectedExpressionAfterOperatorId, "SUnexpectedExpressionAfterOperator",
     DbUtilsXMessages::UnexpectedAfterOperator},
    {DbUtilsXMessages::SIncorrectExpressionId, "SIncorrectExpression", DbUtilsXMessages::IncorrectExpression},
    {DbUtilsXMessages::SUnexpectedANDorORId, "SUnexpectedANDorOR", DbUtilsXMessages::UnexpectedAndOr},
};
bool MessagesRegistered = false;
}  // namespace

void DbUtilsXMessages::RegisterMessages() {
  MessagesRegistered = true;
  for (const TParserMessage& M : ParserMessages) RegisterResourceString(M.Id, M.Name, M.Text);
}

std::string DbUtilsXMessageText(const char* Message) {
  if (!MessagesRegistered) DbUtilsXMessages::RegisterMessages();
  for (const TParserMessage& M : ParserMessages)
    if (std::string_view(M.Text) == Message) {
      std::string Text = LoadResString(M.Id);
      return Text.empty() ? std::string(Message) : Text;
    }
  return Message;
}

namespace DbUtilsX {
void Initialize() {
  DbUtilsXMessages::RegisterMessages();
  if (!Registry) Registry = new std::vector<std::unique_ptr<TDatasetFeaturesX>>();
}
void Finalize() {
  delete Registry;
  Registry = nullptr;
}
}  // namespace DbUtilsX
