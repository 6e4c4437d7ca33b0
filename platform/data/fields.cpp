// Fields: value conversions, display and edit text, validation of text input, and the field list.
#include <cmath>
#include <cstring>

#include "platform/data/db.h"
#include "platform/data/native.h"

// ---------------------------------------------------------------------------------------------------
// Errors

void DatabaseError(const std::string& Message, TComponent* Component) {
  if (Component && !Component->Name().empty()) throw EDatabaseError(Component->Name() + ": " + Message);
  throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const std::string& Message, const std::vector<TVarRec>& Args, TComponent* Component) {
  DatabaseError(Format(Message, Args), Component);
}

const char* FieldTypeName(TFieldType Type) {
  static const char* const Names[FieldTypeCount] = {
      "Unknown",   "String",      "SmallInt",    "Integer",      "Word",     "Boolean",  "Float",
      "Currency",  "BCD",         "Date",        "Time",         "DateTime", "Bytes",    "VarBytes",
      "AutoInc",   "Blob",        "Memo",        "Graphic",      "FmtMemo",  "ParadoxOle", "DBaseOle",
      "TypedBinary", "Cursor",    "FixedChar",   "WideString",   "Largeint", "ADT",      "Array",
      "Reference", "DataSet",     "OraBlob",     "OraClob",      "Variant",  "Interface", "IDispatch",
      "Guid",      "TimeStamp",   "FMTBcd"};
  int i = static_cast<int>(Type);
  return i >= 0 && i < FieldTypeCount ? Names[i] : "Unknown";
}

TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner) {
  switch (Type) {
    case ftString: case ftFixedChar: {
      auto* f = new TStringField(AOwner);
      if (Type == ftFixedChar) static_cast<TField*>(f)->FDataType = ftFixedChar;
      return f;
    }
    case ftWideString: return new TWideStringField(AOwner);
    case ftGuid: return new TGuidField(AOwner);
    case ftSmallint: return new TSmallintField(AOwner);
    case ftInteger: return new TIntegerField(AOwner);
    case ftWord: return new TWordField(AOwner);
    case ftAutoInc: return new TAutoIncField(AOwner);
    case ftLargeint: return new TLargeintField(AOwner);
    case ftBoolean: return new TBooleanField(AOwner);
    case ftFloat: return new TFloatField(AOwner);
    case ftCurrency: return new TCurrencyField(AOwner);
    case ftBCD: return new TBCDField(AOwner);
    case ftFMTBcd: return new TFMTBCDField(AOwner);
    case ftDate: return new TDateField(AOwner);
    case ftTime: return new TTimeField(AOwner);
    case ftDateTime: return new TDateTimeField(AOwner);
    case ftTimeStamp: return new TSQLTimeStampField(AOwner);
    case ftBytes: return new TBytesField(AOwner);
    case ftVarBytes: return new TVarBytesField(AOwner);
    case ftBlob: case ftTypedBinary: case ftOraBlob: case ftParadoxOle: case ftDBaseOle: {
      auto* f = new TBlobField(AOwner);
      static_cast<TField*>(f)->FDataType = Type;
      return f;
    }
    case ftMemo: case ftFmtMemo: case ftOraClob: {
      auto* f = new TMemoField(AOwner);
      static_cast<TField*>(f)->FDataType = Type;
      return f;
    }
    case ftGraphic: return new TGraphicField(AOwner);
    case ftVariant: return new TVariantField(AOwner);
    default: break;
  }
  DatabaseErrorFmt("Field type %s is not supported", {FieldTypeName(Type)});
}

// ---------------------------------------------------------------------------------------------------
// TField

TField::TField(TComponent* AOwner) : TField(AOwner, ftUnknown) {}

TField::TField(TComponent* AOwner, TFieldType AType) : TComponent(AOwner), FDataType(AType) {}

TField::~TField() {
  if (FDataSet) FDataSet->RemoveField(this);
}

void TField::CheckInactive() {
  if (FDataSet) FDataSet->CheckInactive();
}

void TField::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  CheckInactive();
  if (Value) Value->CheckInactive();
  if (FDataSet) FDataSet->RemoveField(this);
  if (Value) Value->AddField(this);
}

void TField::SetFieldName(const std::string& Value) {
  if (Value == FFieldName) return;
  CheckInactive();
  if (FDataSet && !Value.empty()) {
    TField* other = FDataSet->FindField(Value);
    if (other && other != this) DatabaseErrorFmt("Duplicate field name '%s'", {Value}, FDataSet);
  }
  FFieldName = Value;
}

void TField::SetFieldKind(TFieldKind Value) {
  if (Value == FFieldKind) return;
  CheckInactive();
  FFieldKind = Value;
}

int TField::Index() const { return FDataSet ? FDataSet->FFields.IndexOf(this) : -1; }

void TField::SetIndex(int Value) {
  if (!FDataSet) return;
  auto& list = FDataSet->FFields.FList;
  int cur = Index();
  Value = EnsureRange(Value, 0, static_cast<int>(list.size()) - 1);
  if (cur == Value) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
  PropertyChanged(true);
}

void TField::PropertyChanged(bool Layout) {
  if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(Layout ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const std::string& Value) {
  if (Value == FDisplayLabel) return;
  FDisplayLabel = Value == FFieldName ? std::string() : Value;
  PropertyChanged(true);
}
void TField::SetDisplayWidth(int Value) {
  if (Value == FDisplayWidth) return;
  FDisplayWidth = Value;
  PropertyChanged(true);
}
void TField::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  PropertyChanged(true);
}
void TField::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  PropertyChanged(true);
}
void TField::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  PropertyChanged(false);
}
void TField::SetSize(int Value) {
  CheckInactive();
  FSize = Value;
}
void TField::SetEditMask(const std::string& Value) {
  FEditMask = Value;
  PropertyChanged(false);
}
void TField::SetKeyFields(const std::string& Value) { CheckInactive(); FKeyFields = Value; }
void TField::SetLookupDataSet(TDataSet* Value) {
  if (Value == FLookupDataSet) return;
  CheckInactive();
  if (FLookupDataSet) RemoveFreeNotification(FLookupDataSet);
  FLookupDataSet = Value;
  if (Value) FreeNotification(Value);
}

void TField::SetLookupCache(bool Value) {
  FLookupCache = Value;
  FLookupList.clear();
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // A freed lookup data set leaves no dangling reference; the field's values become Null.
  if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}
void TField::SetLookupKeyFields(const std::string& Value) { CheckInactive(); FLookupKeyFields = Value; }
void TField::SetLookupResultField(const std::string& Value) { CheckInactive(); FLookupResultField = Value; }

bool TField::GetData(void* Buffer) const {
  if (!FDataSet) DatabaseErrorFmt("Field '%s' has no dataset", {DisplayName()});
  return FDataSet->GetFieldData(this, Buffer);
}

void TField::SetData(const void* Buffer) {
  if (!FDataSet) DatabaseErrorFmt("Field '%s' has no dataset", {DisplayName()});
  FDataSet->SetFieldData(this, Buffer);
}

bool TField::IsNull() const {
  if (!FDataSet || !FDataSet->Active()) return true;
  TNativeValue v;
  return !GetData(v.Ptr(Native()));
}

bool TField::CanModify() const {
  if (FReadOnly || !FDataSet || !FDataSet->CanModify()) return false;
  return FFieldKind == fkData || FFieldKind == fkInternalCalc;
}

bool TField::IsValidChar(char32_t Ch) const { return Ch != 0; }

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active()) return;
  TField* f = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&f));
}

void TField::ConvertError(const std::string& Text, const char* What) const {
  throw EConvertError(Format("'%s' is not a valid %s value for field '%s'", {Text, What, DisplayName()}));
}

void TField::AccessError(const char* TypeName) const {
  DatabaseErrorFmt("Invalid type conversion for field '%s' (%s)", {DisplayName(), TypeName});
}

std::string TField::AsString() const { return VarToStr(AsVariant()); }
void TField::SetAsString(const std::string&) { AccessError("String"); }
int32_t TField::AsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(int32_t) { AccessError("Integer"); }
void TField::SetAsLargeInt(int64_t Value) {
  if (Value < INT32_MIN || Value > INT32_MAX) AccessError("Largeint");
  SetAsInteger(static_cast<int32_t>(Value));
}
double TField::AsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
void TField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else SetAsString(VarToStr(Value));
}

Variant TField::OldValue() const {
  if (!FDataSet) return Variant::Null();
  return FDataSet->GetOldValue(this);
}

std::string TField::GetText(bool /*Display*/) const { return AsString(); }

std::string TField::GetTextOf(bool Display) const {
  if (OnGetText) {
    std::string t;
    OnGetText(const_cast<TField*>(this), t, Display);
    return t;
  }
  return GetText(Display);
}

void TField::SetText(const std::string& Value) {
  if (OnSetText) OnSetText(this, Value);
  else SetAsString(Value);
}

// ---------------------------------------------------------------------------------------------------
// Strings

TStringField::TStringField(TComponent* AOwner, TFieldType AType) : TField(AOwner, AType) { FSize = 20; }

bool TStringField::GetValue(std::string& S) const {
  if (GetData(&S)) return true;
  S.clear();
  return false;
}

std::string TStringField::AsString() const {
  std::string s;
  GetValue(s);
  return s;
}

void TStringField::SetAsString(const std::string& Value) {
  if (FSize > 0 && static_cast<int>(Value.size()) > FSize && Utf8Length(Value) > FSize) {
    std::string cut = Utf8Left(Value, FSize);
    SetData(&cut);
  } else {
    SetData(&Value);
  }
}

int32_t TStringField::AsInteger() const {
  std::string s = AsString();
  int32_t v;
  if (!TryStrToInt(s, v)) ConvertError(s, "integer");
  return v;
}
double TStringField::AsFloat() const {
  std::string s = AsString();
  double v;
  if (!TryStrToFloat(s, v)) ConvertError(s, "floating point");
  return v;
}
bool TStringField::AsBoolean() const {
  std::string s = AsString();
  bool v;
  if (!TryStrToBool(s, v)) ConvertError(s, "boolean");
  return v;
}
TDateTime TStringField::AsDateTime() const {
  std::string s = AsString();
  TDateTime v;
  if (!TryStrToDateTime(s, v)) ConvertError(s, "date and time");
  return v;
}
Variant TStringField::AsVariant() const {
  std::string s;
  if (!GetValue(s)) return Variant::Null();
  return Variant(std::move(s));
}

// ---------------------------------------------------------------------------------------------------
// Numbers

TNumericField::TNumericField(TComponent* AOwner, TFieldType AType) : TField(AOwner, AType) {
  SetAlignment(taRightJustify);
}
void TNumericField::SetDisplayFormat(const std::string& Value) {
  FDisplayFormat = Value;
  PropertyChanged(false);
}
void TNumericField::SetEditFormat(const std::string& Value) {
  FEditFormat = Value;
  PropertyChanged(false);
}
void TNumericField::SetIntegerText(const std::string& Value) {
  if (Trim(Value).empty()) {
    Clear();
    return;
  }
  int64_t v;
  if (!TryStrToInt64(Value, v)) ConvertError(Value, "integer");
  SetAsLargeInt(v);
}
bool TNumericField::IsValidChar(char32_t Ch) const {
  if (Ch == '+' || Ch == '-' || (Ch >= '0' && Ch <= '9')) return true;
  if (FDataType == ftFloat || FDataType == ftCurrency || FDataType == ftBCD || FDataType == ftFMTBcd)
    return Ch == static_cast<unsigned char>(FormatSettings.DecimalSeparator) || Ch == 'E' || Ch == 'e';
  return false;
}

namespace {
std::string NumberFormatOf(const std::string& DisplayFmt, const std::string& EditFmt, bool Display) {
  return (Display || EditFmt.empty()) ? DisplayFmt : EditFmt;
}
}  // namespace

TIntegerField::TIntegerField(TComponent* AOwner, TFieldType AType) : TNumericField(AOwner, AType) {}

void TIntegerField::CheckRange(int64_t Value) const {
  int64_t lo = INT32_MIN, hi = INT32_MAX;
  if (FDataType == ftSmallint) lo = -32768, hi = 32767;
  if (FDataType == ftWord) lo = 0, hi = 65535;
  if (FMinValue != 0 || FMaxValue != 0) lo = FMinValue, hi = FMaxValue;
  if (Value < lo || Value > hi)
    DatabaseErrorFmt("%d is not a valid value for field '%s'. The allowed range is %d to %d",
                     {Value, DisplayName(), lo, hi});
}

int32_t TIntegerField::AsInteger() const {
  int32_t v = 0;
  GetData(&v);
  return v;
}
void TIntegerField::SetAsInteger(int32_t Value) {
  CheckRange(Value);
  SetData(&Value);
}
void TIntegerField::SetAsLargeInt(int64_t Value) {
  CheckRange(Value);
  int32_t v = static_cast<int32_t>(Value);
  SetData(&v);
}
void TIntegerField::SetAsFloat(double Value) { SetAsLargeInt(Round(Value)); }
std::string TIntegerField::AsString() const {
  int32_t v;
  return GetValue(v) ? IntToStr(v) : std::string();
}
void TIntegerField::SetAsString(const std::string& Value) { SetIntegerText(Value); }
Variant TIntegerField::AsVariant() const {
  int32_t v;
  return GetValue(v) ? Variant(v) : Variant::Null();
}
void TIntegerField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else if (Value.IsString()) SetAsString(Value.AsString());
  else SetAsLargeInt(Value.AsInt64());
}
std::string TIntegerField::GetText(bool Display) const {
  int32_t v;
  if (!GetValue(v)) return {};
  std::string fmt = NumberFormatOf(FDisplayFormat, FEditFormat, Display);
  return fmt.empty() ? IntToStr(v) : FormatFloat(fmt, v);
}

int32_t TLargeintField::AsInteger() const {
  int64_t v = AsLargeInt();
  if (v < INT32_MIN || v > INT32_MAX) AccessError("Integer");
  return static_cast<int32_t>(v);
}
int64_t TLargeintField::AsLargeInt() const {
  int64_t v = 0;
  GetData(&v);
  return v;
}
void TLargeintField::SetAsLargeInt(int64_t Value) { SetData(&Value); }
void TLargeintField::SetAsFloat(double Value) { SetAsLargeInt(Round(Value)); }
std::string TLargeintField::AsString() const {
  int64_t v = 0;
  return GetData(&v) ? IntToStr(v) : std::string();
}
void TLargeintField::SetAsString(const std::string& Value) { SetIntegerText(Value); }
Variant TLargeintField::AsVariant() const {
  int64_t v = 0;
  return GetData(&v) ? Variant(v) : Variant::Null();
}
void TLargeintField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else if (Value.IsString()) SetAsString(Value.AsString());
  else SetAsLargeInt(Value.AsInt64());
}
std::string TLargeintField::GetText(bool Display) const {
  int64_t v = 0;
  if (!GetData(&v)) return {};
  std::string fmt = NumberFormatOf(FDisplayFormat, FEditFormat, Display);
  return fmt.empty() ? IntToStr(v) : FormatFloat(fmt, static_cast<long double>(v));
}

TFloatField::TFloatField(TComponent* AOwner, TFieldType AType) : TNumericField(AOwner, AType) {}

void TFloatField::SetPrecision(int Value) {
  if (Value < 2) Value = 2;
  if (Value > 15) Value = 15;
  FPrecision = Value;
  PropertyChanged(false);
}
void TFloatField::SetCurrency(bool Value) {
  FCurrency = Value;
  PropertyChanged(false);
}
double TFloatField::AsFloat() const {
  double v = 0;
  GetData(&v);
  return v;
}
int32_t TFloatField::AsInteger() const { return static_cast<int32_t>(Round(AsFloat())); }
void TFloatField::SetAsFloat(double Value) {
  // Infinity and NaN are no values of a column: sums and exports would carry them silently.
  if (!std::isfinite(Value)) ConvertError(FloatToStr(Value), "floating point");
  if ((FMinValue != 0 || FMaxValue != 0) && (Value < FMinValue || Value > FMaxValue))
    DatabaseErrorFmt("%s is not a valid value for field '%s'. The allowed range is %s to %s",
                     {FloatToStr(Value), DisplayName(), FloatToStr(FMinValue), FloatToStr(FMaxValue)});
  SetData(&Value);
}
std::string TFloatField::AsString() const {
  double v;
  return GetValue(v) ? FloatToStrF(v, ffGeneral, 15, 0) : std::string();
}
void TFloatField::SetAsString(const std::string& Value) {
  if (Trim(Value).empty()) {
    Clear();
    return;
  }
  double v;
  if (!TryStrToFloat(Value, v) || !std::isfinite(v)) ConvertError(Value, "floating point");
  SetAsFloat(v);
}
Variant TFloatField::AsVariant() const {
  double v;
  return GetValue(v) ? Variant(v) : Variant::Null();
}
void TFloatField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else if (Value.IsString()) SetAsString(Value.AsString());
  else SetAsFloat(Value.AsDouble());
}
std::string TFloatField::GetText(bool Display) const {
  double v;
  if (!GetValue(v)) return {};
  std::string fmt = NumberFormatOf(FDisplayFormat, FEditFormat, Display);
  if (!fmt.empty()) return FormatFloat(fmt, v);
  if (FCurrency)
    return FloatToStrF(v, Display ? ffCurrency : ffFixed, FPrecision, FormatSettings.CurrencyDecimals);
  return FloatToStrF(v, ffGeneral, FPrecision, 0);
}

TBCDField::TBCDField(TComponent* AOwner, TFieldType AType) : TNumericField(AOwner, AType) { FSize = 4; }

Currency TBCDField::AsCurrency() const {
  Currency c;
  GetData(&c);
  return c;
}
void TBCDField::SetAsCurrency(Currency Value) { SetData(&Value); }
double TBCDField::AsFloat() const { return AsCurrency().ToDouble(); }
int32_t TBCDField::AsInteger() const { return static_cast<int32_t>(AsCurrency().ToInt64()); }
std::string TBCDField::AsString() const {
  Currency c;
  return GetData(&c) ? CurrToStr(c) : std::string();
}
void TBCDField::SetAsString(const std::string& Value) {
  if (Trim(Value).empty()) {
    Clear();
    return;
  }
  Currency c;
  if (!TryStrToCurr(Value, c)) ConvertError(Value, "BCD");
  SetAsCurrency(c);
}
Variant TBCDField::AsVariant() const {
  Currency c;
  return GetData(&c) ? Variant(c) : Variant::Null();
}
void TBCDField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else if (Value.IsString()) SetAsString(Value.AsString());
  else SetAsCurrency(Value.AsCurrency());
}
std::string TBCDField::GetText(bool Display) const {
  Currency c;
  if (!GetData(&c)) return {};
  std::string fmt = NumberFormatOf(FDisplayFormat, FEditFormat, Display);
  if (!fmt.empty()) return FormatCurr(fmt, c);
  if (FCurrency)
    return CurrToStrF(c, Display ? ffCurrency : ffFixed, FormatSettings.CurrencyDecimals);
  return CurrToStr(c);
}

// ---------------------------------------------------------------------------------------------------
// Boolean

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner, ftBoolean) {}

void TBooleanField::SetDisplayValues(const std::string& Value) {
  size_t p = Value.find(';');
  FDisplayValues = Value;
  FTrueText = p == std::string::npos ? Value : Value.substr(0, p);
  FFalseText = p == std::string::npos ? std::string() : Value.substr(p + 1);
  PropertyChanged(true);
}
int TBooleanField::DefaultDisplayWidth() const {
  return Max(Utf8Length(FTrueText), Utf8Length(FFalseText));
}
bool TBooleanField::AsBoolean() const {
  bool v = false;
  GetData(&v);
  return v;
}
void TBooleanField::SetAsBoolean(bool Value) { SetData(&Value); }
std::string TBooleanField::AsString() const {
  bool v;
  if (!GetValue(v)) return {};
  return v ? FTrueText : FFalseText;
}
void TBooleanField::SetAsString(const std::string& Value) {
  if (Value.empty()) {
    if (FFalseText.empty()) SetAsBoolean(false);
    else if (FTrueText.empty()) SetAsBoolean(true);
    else Clear();
    return;
  }
  if (AnsiCompareText(Value, Copy(FFalseText, 1, Length(Value))) == 0) SetAsBoolean(false);
  else if (AnsiCompareText(Value, Copy(FTrueText, 1, Length(Value))) == 0) SetAsBoolean(true);
  else ConvertError(Value, "boolean");
}
Variant TBooleanField::AsVariant() const {
  bool v;
  return GetValue(v) ? Variant(v) : Variant::Null();
}
void TBooleanField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else if (Value.IsString()) SetAsString(Value.AsString());
  else SetAsBoolean(Value.AsBoolean());
}

// ---------------------------------------------------------------------------------------------------
// Dates and times

TDateTimeField::TDateTimeField(TComponent* AOwner, TFieldType AType) : TField(AOwner, AType) {}

int TDateTimeField::DefaultDisplayWidth() const {
  return FDataType == ftDateTime || FDataType == ftTimeStamp ? 18 : 10;
}
void TDateTimeField::SetDisplayFormat(const std::string& Value) {
  FDisplayFormat = Value;
  PropertyChanged(false);
}
TDateTime TDateTimeField::AsDateTime() const {
  TDateTime v = 0;
  GetData(&v);
  return v;
}
const char* TDateTimeField::KindText() const {
  return FDataType == ftDate ? "date" : FDataType == ftTime ? "time" : "date and time";
}
void TDateTimeField::SetAsDateTime(TDateTime Value) {
  // A value no date text can show would make every later display of the record raise; it is refused
  // here and the field keeps what it had.
  TDateTime checked;
  if (!TryFloatToDateTime(Value, checked)) ConvertError(FloatToStr(Value), KindText());
  if (FDataType == ftDate) Value = std::trunc(Value);
  else if (FDataType == ftTime) Value = Frac(Value);
  SetData(&Value);
}
void TDateTimeField::SetAsString(const std::string& Value) {
  if (Trim(Value).empty()) {
    Clear();
    return;
  }
  TDateTime v = 0;
  bool ok = FDataType == ftDate ? TryStrToDate(Value, v)
            : FDataType == ftTime ? TryStrToTime(Value, v)
                                  : TryStrToDateTime(Value, v);
  if (!ok) ConvertError(Value, KindText());
  SetAsDateTime(v);
}
Variant TDateTimeField::AsVariant() const {
  TDateTime v;
  return GetValue(v) ? VarFromDateTime(v) : Variant::Null();
}
void TDateTimeField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else if (Value.IsString()) SetAsString(Value.AsString());
  else SetAsDateTime(Value.AsDateTime());
}
std::string TDateTimeField::GetText(bool Display) const {
  TDateTime v;
  if (!GetValue(v)) return {};
  std::string fmt = Display ? FDisplayFormat : std::string();
  if (fmt.empty())
    fmt = FDataType == ftDate ? FormatSettings.ShortDateFormat
          : FDataType == ftTime ? FormatSettings.LongTimeFormat
                                : "c";
  return FormatDateTime(fmt, v);
}

// ---------------------------------------------------------------------------------------------------
// Bytes and blobs

std::string TBinaryField::AsString() const {
  std::string s;
  GetData(&s);
  return s;
}
void TBinaryField::SetAsString(const std::string& Value) {
  if (FDataType == ftBytes && FSize > 0) {
    std::string v = Value;
    v.resize(FSize, '\0');
    SetData(&v);
  } else if (FSize > 0 && static_cast<int>(Value.size()) > FSize) {
    std::string v = Value.substr(0, FSize);
    SetData(&v);
  } else {
    SetData(&Value);
  }
}
Variant TBinaryField::AsVariant() const {
  std::string s;
  return GetData(&s) ? Variant(std::move(s)) : Variant::Null();
}
std::string TBinaryField::GetText(bool) const {
  return std::string("(") + FieldTypeName(FDataType) + ")";
}

TBlobField::TBlobField(TComponent* AOwner, TFieldType AType) : TField(AOwner, AType) {}

std::string TBlobField::AsString() const {
  std::string s;
  GetData(&s);
  return s;
}
void TBlobField::SetAsString(const std::string& Value) { SetData(&Value); }
Variant TBlobField::AsVariant() const {
  std::string s;
  return GetData(&s) ? Variant(std::move(s)) : Variant::Null();
}
std::string TBlobField::GetText(bool Display) const {
  bool isMemo = FDataType == ftMemo || FDataType == ftFmtMemo || FDataType == ftOraClob;
  if (isMemo && !Display) return AsString();
  std::string name = FDataType == ftGraphic ? "Graphic" : isMemo ? "Memo" : "Blob";
  if (!IsNull()) name = UpperCase(name);
  return "(" + name + ")";
}
void TBlobField::LoadFromStream(TStream* Stream) {
  std::string s;
  s.resize(static_cast<size_t>(Stream->Size() - Stream->Position()));
  if (!s.empty()) Stream->ReadBuffer(s.data(), static_cast<int64_t>(s.size()));
  SetAsString(s);
}
void TBlobField::SaveToStream(TStream* Stream) const {
  std::string s = AsString();
  if (!s.empty()) Stream->WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

Variant TVariantField::AsVariant() const {
  Variant v;
  return GetData(&v) ? v : Variant::Null();
}
void TVariantField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) SetData(nullptr);
  else SetData(&Value);
}

// ---------------------------------------------------------------------------------------------------
// TFields and TFieldDefs

TField* TFields::Fields(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FList[Index];
}

TField* TFields::FindField(const std::string& FieldName) const {
  for (TField* f : FList)
    if (SameText(f->FieldName(), FieldName)) return f;
  return nullptr;
}

TField* TFields::FieldByName(const std::string& FieldName) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt("Field '%s' not found", {FieldName}, FDataSet);
  return f;
}

TField* TFields::FieldByNumber(int FieldNo) const {
  for (TField* f : FList)
    if (f->FieldNo() == FieldNo) return f;
  return nullptr;
}

int TFields::IndexOf(const TField* Field) const {
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i] == Field) return static_cast<int>(i);
  return -1;
}

void TFieldDefs::Add(const std::string& Name, TFieldType DataType, int Size, bool Required) {
  if (IndexOf(Name) >= 0) DatabaseErrorFmt("Duplicate field name '%s'", {Name});
  TFieldDef d;
  d.Name = Name;
  d.DataType = DataType;
  d.Size = Size;
  d.Required = Required;
  FItems.push_back(d);
}

int TFieldDefs::IndexOf(const std::string& Name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (SameText(FItems[i].Name, Name)) return static_cast<int>(i);
  return -1;
}
