// Field values and texts: conversions, formats, display values, ranges, bad input that leaves the old
// value, validation hooks and old/new values.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/sysutils.h"
#include "tests/platform/data/data_fixture.h"

namespace {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DS = std::make_unique<TMemDataSet>(nullptr);
    DS->SetName("T");
    I = static_cast<TIntegerField*>(DS->AddField("I", ftInteger));
    Small = DS->AddField("Small", ftSmallint);
    W = DS->AddField("W", ftWord);
    L = DS->AddField("L", ftLargeint);
    F = static_cast<TFloatField*>(DS->AddField("F", ftFloat));
    Cur = static_cast<TFloatField*>(DS->AddField("Cur", ftCurrency));
    Bcd = static_cast<TBCDField*>(DS->AddField("Bcd", ftBCD));
    B = static_cast<TBooleanField*>(DS->AddField("B", ftBoolean));
    D = static_cast<TDateTimeField*>(DS->AddField("D", ftDate));
    T = DS->AddField("T", ftTime);
    DT = DS->AddField("DT", ftDateTime);
    S = static_cast<TStringField*>(DS->AddField("S", ftString, 4));
    WS = DS->AddField("WS", ftWideString, 10);
    M = DS->AddField("M", ftMemo);
    Blob = DS->AddField("Blob", ftBlob);
    Bytes = DS->AddField("Bytes", ftBytes, 4);
    A = DS->AddField("A", ftAutoInc);
    DS->Open();
    DS->Append();
  }
  std::unique_ptr<TMemDataSet> DS;
  TIntegerField* I;
  TField *Small, *W, *L, *T, *DT, *WS, *M, *Blob, *Bytes, *A;
  TFloatField *F, *Cur;
  TBCDField* Bcd;
  TBooleanField* B;
  TDateTimeField* D;
  TStringField* S;
};

TEST_F(FieldTest, ClassesAndPropertiesFollowTheType) {
  struct { TField* F; TFieldType Type; TAlignment Align; int Width; bool Blob; } cases[] = {
      {I, ftInteger, taRightJustify, 11, false}, {Small, ftSmallint, taRightJustify, 6, false},
      {W, ftWord, taRightJustify, 5, false},     {L, ftLargeint, taRightJustify, 15, false},
      {F, ftFloat, taRightJustify, 10, false},   {Cur, ftCurrency, taRightJustify, 10, false},
      {B, ftBoolean, taLeftJustify, 5, false},   {D, ftDate, taLeftJustify, 10, false},
      {DT, ftDateTime, taLeftJustify, 18, false}, {S, ftString, taLeftJustify, 4, false},
      {M, ftMemo, taLeftJustify, 10, true},      {Blob, ftBlob, taLeftJustify, 10, true},
      {A, ftAutoInc, taRightJustify, 11, false},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.F->FieldName());
    EXPECT_EQ(c.F->DataType(), c.Type);
    EXPECT_EQ(c.F->Alignment(), c.Align);
    EXPECT_EQ(c.F->DisplayWidth(), c.Width);
    EXPECT_EQ(c.F->IsBlob(), c.Blob);
    EXPECT_EQ(c.F->FieldKind(), fkData);
    EXPECT_TRUE(c.F->IsNull());
  }
  EXPECT_TRUE(Is<TMemoField>(M));
  EXPECT_TRUE(Is<TAutoIncField>(A));
  EXPECT_EQ(std::string(FieldTypeName(ftFMTBcd)), "FMTBcd");
  EXPECT_EQ(static_cast<int>(ftFMTBcd), 37);
  EXPECT_EQ(static_cast<int>(ftWideString), 24);
  S->SetDisplayLabel("Short text");
  EXPECT_EQ(S->DisplayName(), "Short text");
  EXPECT_EQ(I->DisplayName(), "I");
}

TEST_F(FieldTest, ConversionsBetweenTypes) {
  I->SetAsString(" 42 ");
  EXPECT_EQ(I->AsInteger(), 42);
  EXPECT_EQ(I->AsString(), "42");
  EXPECT_DOUBLE_EQ(I->AsFloat(), 42);
  EXPECT_EQ(I->AsVariant().AsInteger(), 42);
  I->SetAsFloat(2.5);  // banker's rounding
  EXPECT_EQ(I->AsInteger(), 2);
  L->SetAsLargeInt(int64_t(1) << 40);
  EXPECT_EQ(L->AsString(), "1099511627776");
  EXPECT_THROW(L->AsInteger(), EDatabaseError);
  F->SetAsString("1.25");
  EXPECT_DOUBLE_EQ(F->AsFloat(), 1.25);
  EXPECT_EQ(F->AsInteger(), 1);
  Bcd->SetAsString("12.3456");
  EXPECT_EQ(Bcd->AsCurrency().Value, 123456);
  EXPECT_EQ(Bcd->AsString(), "12.3456");
  S->SetAsVariant(Variant(17));
  EXPECT_EQ(S->AsInteger(), 17);
  D->SetAsDateTime(EncodeDateTime(2024, 2, 29, 13, 0, 0, 0));
  EXPECT_DOUBLE_EQ(D->AsDateTime(), EncodeDate(2024, 2, 29));  // a date keeps whole days
  EXPECT_EQ(D->AsVariant().VarType(), varDate);
  T->SetAsString("10:30:15");
  EXPECT_EQ(T->Text(), "10:30:15");
  M->SetAsString("line1\nline2");
  EXPECT_EQ(M->AsString(), "line1\nline2");
  Blob->SetAsString(std::string("\0\1\2", 3));
  EXPECT_EQ(Blob->AsString().size(), 3u);
  Bytes->SetAsString("ab");
  EXPECT_EQ(Bytes->AsString(), std::string("ab\0\0", 4));
  I->Clear();
  EXPECT_TRUE(I->IsNull());
  EXPECT_EQ(I->AsString(), "");
  EXPECT_TRUE(I->AsVariant().IsNull());
  EXPECT_THROW(B->AsDateTime(), EDatabaseError);
}

TEST_F(FieldTest, BadTextRaisesNamingTheFieldAndKeepsTheOldValue) {
  I->SetAsInteger(7);
  F->SetAsFloat(1.5);
  D->SetAsDateTime(EncodeDate(2024, 1, 31));
  B->SetAsBoolean(true);
  struct { TField* F; const char* Text; const char* Message; const char* Kept; } cases[] = {
      {I, "abc", "'abc' is not a valid integer value for field 'I'", "7"},
      {I, "1.5", "'1.5' is not a valid integer value for field 'I'", "7"},
      {F, "1,5x", "'1,5x' is not a valid floating point value for field 'F'", "1.5"},
      {D, "2024-02-31", "'2024-02-31' is not a valid date value for field 'D'", "2024-01-31"},
      {B, "maybe", "'maybe' is not a valid boolean value for field 'B'", "True"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      c.F->SetText(c.Text);
      FAIL();
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_EQ(c.F->Text(), c.Kept);
  }
  // Values outside the type's range.
  try {
    Small->SetAsInteger(40000);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "40000 is not a valid value for field 'Small'. The allowed range is -32768 to 32767");
  }
  EXPECT_THROW(W->SetAsInteger(-1), EDatabaseError);
  EXPECT_THROW(I->SetAsString("99999999999"), EDatabaseError);
  EXPECT_EQ(I->AsInteger(), 7);
  I->SetMinValue(1);
  I->SetMaxValue(10);
  EXPECT_THROW(I->SetAsInteger(11), EDatabaseError);
  EXPECT_EQ(I->AsInteger(), 7);
}

// Dates are kept only between 0001-01-01 and 9999-12-31 23:59:59.999; numbers only when finite. Anything
// else is refused with the field's conversion error, and the old value stays.
TEST_F(FieldTest, ValuesOutsideTheDateRangeOrNotFiniteAreRefused) {
  D->SetAsDateTime(EncodeDate(2024, 1, 31));
  T->SetAsDateTime(EncodeTime(12, 0, 0, 0));
  DT->SetAsDateTime(EncodeDate(2024, 1, 31));
  F->SetAsFloat(1.5);
  Cur->SetAsFloat(2.5);
  const double inf = HUGE_VAL, nan = std::nan("");
  struct { TField* Field; double Value; const char* Message; } refused[] = {
      {D, 1e300, "'1E300' is not a valid date value for field 'D'"},
      {D, -3e9, "'-3000000000' is not a valid date value for field 'D'"},
      {T, 1e300, "'1E300' is not a valid time value for field 'T'"},
      {DT, nan, "'NAN' is not a valid date and time value for field 'DT'"},
      {DT, inf, "'INF' is not a valid date and time value for field 'DT'"},
      // 10000-01-01 00:00 and 0000-12-31 12:00 (a negative value keeps the time as its fraction).
      {DT, 2958466.0, "'2958466' is not a valid date and time value for field 'DT'"},
      {DT, -693594.5, "'-693594.5' is not a valid date and time value for field 'DT'"},
      {F, inf, "'INF' is not a valid floating point value for field 'F'"},
      {F, -inf, "'-INF' is not a valid floating point value for field 'F'"},
      {Cur, nan, "'NAN' is not a valid floating point value for field 'Cur'"},
  };
  for (auto& c : refused) {
    SCOPED_TRACE(c.Message);
    const std::string kept = c.Field->Text();
    try {
      c.Field->SetAsFloat(c.Value);
      FAIL();
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_EQ(c.Field->Text(), kept);
  }
  // As text: the value the text names would be infinite or undefined.
  for (const char* text : {"1e400", "-1e400", "NAN", "INF"}) {
    SCOPED_TRACE(text);
    try {
      F->SetText(text);
      FAIL();
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), std::string("'") + text + "' is not a valid floating point value for field 'F'");
    }
    EXPECT_EQ(F->Text(), "1.5");
  }
  // The first and the last moment of the range are kept.
  DT->SetAsDateTime(EncodeDateTime(9999, 12, 31, 23, 59, 59, 999));
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", DT->AsDateTime()), "9999-12-31 23:59:59.999");
  DT->SetAsDateTime(EncodeDateTime(1, 1, 1, 23, 59, 59, 999));
  EXPECT_EQ(FormatDateTime("y-mm-dd hh:nn:ss.zzz", DT->AsDateTime()), "01-01-01 23:59:59.999");
  F->SetText("1e308");
  EXPECT_EQ(F->AsFloat(), 1e308);
}

// The automatic value stops at the largest 32-bit integer: the record that would need the next one is
// refused and not stored, instead of being numbered from the negative end.
TEST_F(FieldTest, AutoIncrementRaisesAtItsLimit) {
  A->SetAsInteger(2147483646);
  DS->Post();
  DS->Append();
  DS->Post();
  EXPECT_EQ(A->AsInteger(), 2147483647);
  EXPECT_EQ(DS->RecordCount(), 2);
  DS->Append();
  try {
    DS->Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "T: Field 'A' has no automatic value left after 2147483647");
  }
  EXPECT_EQ(DS->State(), dsInsert);
  DS->Cancel();
  EXPECT_EQ(DS->RecordCount(), 2);
  for (DS->First(); !DS->Eof(); DS->Next()) EXPECT_GT(A->AsInteger(), 0);
  // A value given by the program is still taken.
  DS->Append();
  A->SetAsInteger(5);
  DS->Post();
  EXPECT_EQ(DS->RecordCount(), 3);
}

TEST_F(FieldTest, StringsAreCutToSizeInWholeCharacters) {
  S->SetAsString("abcdef");
  EXPECT_EQ(S->AsString(), "abcd");
  S->SetAsString("\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\xE7\xAC\xA6\xE4\xB8\xB2");  // five CJK characters
  EXPECT_EQ(S->AsString(), "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\xE7\xAC\xA6");
  S->SetAsString("");
  EXPECT_FALSE(S->IsNull());  // an empty text is a value
  S->SetAsVariant(Variant::Null());
  EXPECT_TRUE(S->IsNull());
}

TEST_F(FieldTest, DisplayAndEditTexts) {
  F->SetAsFloat(1234.5);
  EXPECT_EQ(F->DisplayText(), "1234.5");
  F->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(F->DisplayText(), "1,234.50");
  EXPECT_EQ(F->Text(), "1,234.50");  // without EditFormat the display format serves editing too
  F->SetEditFormat("0.0");
  EXPECT_EQ(F->Text(), "1234.5");
  Cur->SetAsFloat(3.5);
  EXPECT_EQ(Cur->DisplayText(), FloatToStrF(3.5, ffCurrency, 15, FormatSettings.CurrencyDecimals));
  EXPECT_EQ(Cur->Text(), "3.50");
  I->SetAsInteger(5);
  I->SetDisplayFormat("000");
  EXPECT_EQ(I->DisplayText(), "005");
  D->SetAsDateTime(EncodeDate(2024, 3, 9));
  EXPECT_EQ(D->DisplayText(), "2024-03-09");
  D->SetDisplayFormat("yyyy'/'m'/'d");
  EXPECT_EQ(D->DisplayText(), "2024/3/9");
  EXPECT_EQ(D->Text(), "2024-03-09");
  M->SetAsString("memo text");
  EXPECT_EQ(M->DisplayText(), "(MEMO)");
  EXPECT_EQ(M->Text(), "memo text");
  EXPECT_EQ(Blob->DisplayText(), "(Blob)");
  Blob->SetAsString("x");
  EXPECT_EQ(Blob->DisplayText(), "(BLOB)");
  I->OnGetText = [](TField* f, std::string& text, bool display) {
    text = (display ? "#" : "=") + f->AsString();
  };
  EXPECT_EQ(I->DisplayText(), "#5");
  EXPECT_EQ(I->Text(), "=5");
  I->OnSetText = [](TField* f, const std::string& text) { f->SetAsInteger(static_cast<int>(text.size())); };
  I->SetText("four");
  EXPECT_EQ(I->AsInteger(), 4);
}

TEST_F(FieldTest, BooleanDisplayValues) {
  EXPECT_EQ(B->DisplayValues(), "True;False");
  struct { const char* Text; Variant Expected; } cases[] = {
      {"True", true}, {"false", false}, {"t", true}, {"F", false}, {"", Variant::Null()}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Text);
    B->SetAsString(c.Text);
    EXPECT_TRUE(VarSameValue(B->AsVariant(), c.Expected) || (B->IsNull() && c.Expected.IsNull()));
  }
  B->SetDisplayValues("Yes;No");
  B->SetAsString("y");
  EXPECT_TRUE(B->AsBoolean());
  EXPECT_EQ(B->DisplayText(), "Yes");
  B->SetAsString("NO");
  EXPECT_EQ(B->AsString(), "No");
  EXPECT_EQ(B->DisplayWidth(), 3);
  EXPECT_THROW(B->SetAsString("True"), EConvertError);
}

TEST_F(FieldTest, ValidCharacters) {
  EXPECT_TRUE(I->IsValidChar('5'));
  EXPECT_TRUE(I->IsValidChar('-'));
  EXPECT_FALSE(I->IsValidChar('.'));
  EXPECT_FALSE(I->IsValidChar('a'));
  EXPECT_TRUE(F->IsValidChar('.'));
  EXPECT_TRUE(F->IsValidChar('e'));
  EXPECT_TRUE(S->IsValidChar(U'中'));
}

TEST_F(FieldTest, ValidateCanRejectAndChangeFires) {
  I->SetAsInteger(1);
  int changes = 0;
  I->OnChange = [&](TField*) { ++changes; };
  I->OnValidate = [](TField* f) {
    if (f->AsInteger() < 0) throw EDatabaseError("negative");  // sees the new value
  };
  I->SetAsInteger(5);
  EXPECT_EQ(changes, 1);
  EXPECT_THROW(I->SetAsInteger(-3), EDatabaseError);
  EXPECT_EQ(I->AsInteger(), 5);
  EXPECT_EQ(changes, 1);
}

TEST_F(FieldTest, OldAndNewValuesAutoIncAndDefaults) {
  I->SetAsInteger(1);
  S->SetAsString("old");
  DS->Post();
  EXPECT_EQ(A->AsInteger(), 1);
  DS->Edit();
  S->SetAsString("new");
  EXPECT_EQ(VarToStr(S->OldValue()), "old");
  EXPECT_EQ(VarToStr(S->NewValue()), "new");
  EXPECT_TRUE(DS->Modified());
  DS->Post();
  EXPECT_EQ(VarToStr(S->OldValue()), "new");
  S->SetDefaultExpression("'dflt'");
  I->SetDefaultExpression("3");
  DS->Append();
  EXPECT_TRUE(S->OldValue().IsNull());
  EXPECT_EQ(S->AsString(), "dflt");
  EXPECT_EQ(I->AsInteger(), 3);
  DS->Post();
  EXPECT_EQ(A->AsInteger(), 2);
  DS->Append();
  A->SetAsInteger(10);
  DS->Post();
  DS->Append();
  DS->Post();
  EXPECT_EQ(A->AsInteger(), 11);
}

TEST_F(FieldTest, CalculatedFieldsCannotBeWrittenOutsideCalculation) {
  DS->Cancel();
  DS->Close();
  TField* c = DS->AddCalcField("Twice", ftInteger);
  DS->OnCalcFields = [&](TDataSet*) {
    if (!I->IsNull()) c->SetAsInteger(I->AsInteger() * 2);
  };
  DS->Open();
  DS->Append();
  I->SetAsInteger(21);
  EXPECT_EQ(c->AsInteger(), 42);  // recalculated as the field changes
  EXPECT_FALSE(c->CanModify());
  EXPECT_THROW(c->SetAsInteger(1), EDatabaseError);
  DS->Post();
  EXPECT_EQ(c->AsInteger(), 42);
  EXPECT_EQ(c->FieldKind(), fkCalculated);
  EXPECT_EQ(c->FieldNo(), -1);
}

}  // namespace
