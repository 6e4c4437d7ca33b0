#pragma once
// The data-access framework: field types and states, TField and its classes, TDataSet (states, cursor,
// record buffers, bookmarks, events), TDataSource and TDataLink with the notification chain, and
// TFieldDataLink. Data-aware controls never touch a data set's storage: they read fields of the active
// buffer and react to the data events that the data set sends through its data sources.
//
// Record-buffer model. A data set keeps BufferCount record buffers (the largest BufferCount any link asks
// for, at least 1). RecordCount() of the buffer is how many of them hold records, ActiveRecord is the
// buffer of the current record. Each link sees its own window of BufferCount buffers that always
// contains the active record; scrolling reports to a link how far its window moved (DataSetScrolled),
// 0 when the active record moved inside the window.
//
// Bof and Eof. Bof is true after Open and First, and after a Prior/MoveBy(-n) that could not move all the
// way; Eof is true after Last and after a Next/MoveBy(n) that could not move all the way. Any move that
// goes somewhere else, and every positioning call (RecNo, Locate, bookmarks, Resync after Post or
// Delete) clears both. On an empty data set both are true. Append sets Eof; Insert clears both.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "platform/rtl/sysutils.h"
#include "platform/rtl/variants.h"

class TField;
class TFields;
class TDataSet;
class TDataSource;
class TDataLink;

RTL_DECLARE_EXCEPTION(EDatabaseError, Exception)

// Raises EDatabaseError with Message, prefixed by "Name: " when Component has a name.
[[noreturn]] void DatabaseError(const std::string& Message, TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const std::string& Message, const std::vector<TVarRec>& Args,
                                   TComponent* Component = nullptr);

// The platform's field types in their declared order (tables elsewhere are indexed by it).
enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate, ftTime,
  ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle,
  ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference, ftDataSet,
  ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd
};
inline constexpr int FieldTypeCount = ftFMTBcd + 1;
// "String", "Integer"... as the field type names read.
const char* FieldTypeName(TFieldType Type);

// Ordered: code compares "insert or later".
enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
  dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
inline bool IsEditMode(TDataSetState S) { return S == dsEdit || S == dsInsert || S == dsSetKey; }
inline bool IsWriteMode(TDataSetState S) {
  return S == dsEdit || S == dsInsert || S == dsSetKey || S == dsCalcFields || S == dsFilter ||
         S == dsNewValue || S == dsInternalCalc;
}

enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
  deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;
enum TDataAction { daFail, daAbort, daRetry };
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// Opaque bytes; empty means "no record". Only the data set that made one can read it.
using TBookmark = std::string;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const std::string& Text)>;
using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

// ---------------------------------------------------------------------------------------------------
// Fields

// A field reads and writes one column of the data set's current record through the data set
// (GetFieldData/SetFieldData in the field's native form: int32 for small/integer/word/auto-inc, int64 for
// large integers, bool, double for floats, currency fields and dates/times, Currency for BCD,
// std::string for strings, memos, blobs and bytes, Variant for variant fields). Text conversions, display
// formats and validation live here; storage lives in the data set.
class TField : public TComponent {
  DECLARE_PUBLISHED_CLASS(TField, TComponent)
  static void DeclarePublished(TPublished<TField>& P);
  explicit TField(TComponent* AOwner);
  ~TField() override;

  TDataSet* DataSet() const { return FDataSet; }
  // Joins the data set's field list (at its end); nullptr leaves it. Only while the data set is closed.
  void SetDataSet(TDataSet* Value);
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  std::string FullName() const { return FFieldName; }
  TFieldType DataType() const { return FDataType; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);
  bool Calculated() const { return FFieldKind == fkCalculated; }
  bool Lookup() const { return FFieldKind == fkLookup; }
  // Position in the data set's field list; setting it moves the field and tells the links of a layout change.
  int Index() const;
  void SetIndex(int Value);
  int FieldNo() const { return FFieldNo; }

  std::string DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const std::string& Value);
  std::string DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
  void SetDisplayWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool Required() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  int Size() const { return FSize; }
  virtual void SetSize(int Value);
  const std::string& EditMask() const { return FEditMask; }
  void SetEditMask(const std::string& Value);
  const std::string& DefaultExpression() const { return FDefaultExpression; }
  void SetDefaultExpression(const std::string& Value) { FDefaultExpression = Value; }
  const std::string& ConstraintErrorMessage() const { return FConstraintErrorMessage; }

  // Lookup fields: KeyFields of this data set locate LookupKeyFields in LookupDataSet, whose
  // LookupResultField is the value.
  const std::string& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const std::string& Value);
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* Value);
  const std::string& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const std::string& Value);
  const std::string& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const std::string& Value);
  // With LookupCache on, looked-up values are remembered per key until RefreshLookupList (or a change of
  // the setting, or opening the data set); changes of the lookup data set are not seen before that.
  bool LookupCache() const { return FLookupCache; }
  void SetLookupCache(bool Value);
  void RefreshLookupList() { FLookupList.clear(); }

  virtual bool IsBlob() const { return false; }
  bool IsNull() const;
  void Clear() { SetAsVariant(Variant::Null()); }
  // Not read-only, the data set can modify, and the field is data or (in calc state) calculated.
  virtual bool CanModify() const;
  // Whether typing Ch into an editor of the field makes sense.
  virtual bool IsValidChar(char32_t Ch) const;
  // Asks the data-aware controls to focus the control of this field.
  void FocusControl();

  virtual std::string AsString() const;
  virtual void SetAsString(const std::string& Value);
  virtual int32_t AsInteger() const;
  virtual void SetAsInteger(int32_t Value);
  virtual int64_t AsLargeInt() const { return AsInteger(); }
  virtual void SetAsLargeInt(int64_t Value);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double Value);
  virtual Currency AsCurrency() const { return Currency::FromDouble(AsFloat()); }
  virtual void SetAsCurrency(Currency Value) { SetAsFloat(Value.ToDouble()); }
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool Value);
  virtual TDateTime AsDateTime() const;
  virtual void SetAsDateTime(TDateTime Value);
  // Null for a null field.
  virtual Variant AsVariant() const = 0;
  virtual void SetAsVariant(const Variant& Value);
  Variant Value() const { return AsVariant(); }
  void SetValue(const Variant& V) { SetAsVariant(V); }
  // The value before the current edit (Null for an inserted record) and the edited value.
  Variant OldValue() const;
  Variant NewValue() const { return AsVariant(); }
  // Edit text (with EditFormat) and display text (with DisplayFormat), through OnGetText when assigned.
  std::string Text() const { return GetTextOf(false); }
  void SetText(const std::string& Value);
  std::string DisplayText() const { return GetTextOf(true); }

  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

  // Data-set side: raw access in the native form; false for null.
  bool GetData(void* Buffer) const;
  void SetData(const void* Buffer);  // nullptr makes the field null
  // Native form of the field's type; the data set's storage is laid out from it.
  enum TNative { nvNone, nvInt32, nvInt64, nvBool, nvDouble, nvCurrency, nvString, nvVariant };
  virtual TNative Native() const = 0;

 protected:
  TField(TComponent* AOwner, TFieldType AType);
  virtual std::string GetText(bool Display) const;  // without OnGetText
  virtual int DefaultDisplayWidth() const { return 10; }
  // Shared error for text that is not a value of the field.
  [[noreturn]] void ConvertError(const std::string& Text, const char* What) const;
  [[noreturn]] void AccessError(const char* TypeName) const;
  void PropertyChanged(bool Layout);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CheckInactive();
  TDataSet* FDataSet = nullptr;
  TFieldType FDataType;
  int FSize = 0;

 private:
  std::string GetTextOf(bool Display) const;
  bool IsDisplayLabelStored() const { return !FDisplayLabel.empty(); }
  bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
  friend class TDataSet;
  friend class TFields;
  friend TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner);
  std::string FFieldName;
  TFieldKind FFieldKind = fkData;
  int FFieldNo = 0;
  std::string FDisplayLabel;
  int FDisplayWidth = 0;
  TAlignment FAlignment = taLeftJustify;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  std::string FEditMask;
  std::string FDefaultExpression;
  std::string FConstraintErrorMessage;
  std::string FKeyFields, FLookupKeyFields, FLookupResultField;
  TDataSet* FLookupDataSet = nullptr;
  int FCalcIndex = -1;  // slot among the buffer's calculated values
  bool FLookupCache = false;
  std::map<std::string, Variant> FLookupList;  // key text -> looked-up value, with LookupCache
};

// Text fields: Size is the largest number of characters (whole UTF-8 characters); longer text is cut.
class TStringField : public TField {
  DECLARE_CLASS(TStringField, TField)
  explicit TStringField(TComponent* AOwner) : TStringField(AOwner, ftString) {}
  TNative Native() const override { return nvString; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  int32_t AsInteger() const override;
  double AsFloat() const override;
  bool AsBoolean() const override;
  TDateTime AsDateTime() const override;
  Variant AsVariant() const override;
  // Copies the value into S (reusing its storage); false (and S empty) for null.
  bool GetValue(std::string& S) const;
  bool FixedChar() const { return FDataType == ftFixedChar; }

 protected:
  TStringField(TComponent* AOwner, TFieldType AType);
  int DefaultDisplayWidth() const override { return FSize; }
};

class TWideStringField : public TStringField {
  DECLARE_CLASS(TWideStringField, TStringField)
  explicit TWideStringField(TComponent* AOwner) : TStringField(AOwner, ftWideString) {}
};

class TGuidField : public TStringField {
  DECLARE_CLASS(TGuidField, TStringField)
  explicit TGuidField(TComponent* AOwner) : TStringField(AOwner, ftGuid) { FSize = 38; }
};

// Numbers: right-aligned, DisplayFormat and EditFormat are FormatFloat patterns.
class TNumericField : public TField {
  DECLARE_PUBLISHED_CLASS(TNumericField, TField)
  static void DeclarePublished(TPublished<TNumericField>& P);
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value);
  const std::string& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const std::string& Value);
  bool IsValidChar(char32_t Ch) const override;

 protected:
  TNumericField(TComponent* AOwner, TFieldType AType);
  // Text of a whole-number field: blank clears it, anything else must be a number for SetAsLargeInt.
  void SetIntegerText(const std::string& Value);
  std::string FDisplayFormat, FEditFormat;
};

// Small, word, integer and auto-increment fields (32-bit), with the type's range and MinValue/MaxValue.
class TIntegerField : public TNumericField {
  DECLARE_PUBLISHED_CLASS(TIntegerField, TNumericField)
  static void DeclarePublished(TPublished<TIntegerField>& P);
  explicit TIntegerField(TComponent* AOwner) : TIntegerField(AOwner, ftInteger) {}
  TNative Native() const override { return nvInt32; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t Value) override;
  int64_t AsLargeInt() const override { return AsInteger(); }
  void SetAsLargeInt(int64_t Value) override;
  double AsFloat() const override { return AsInteger(); }
  void SetAsFloat(double Value) override;
  Variant AsVariant() const override;
  void SetAsVariant(const Variant& Value) override;
  int32_t MinValue() const { return FMinValue; }
  int32_t MaxValue() const { return FMaxValue; }
  void SetMinValue(int32_t V) { FMinValue = V; }
  void SetMaxValue(int32_t V) { FMaxValue = V; }
  // False (and V 0) for null.
  bool GetValue(int32_t& V) const { V = 0; return GetData(&V); }

 protected:
  TIntegerField(TComponent* AOwner, TFieldType AType);
  std::string GetText(bool Display) const override;
  int DefaultDisplayWidth() const override { return 11; }
  void CheckRange(int64_t Value) const;
  int32_t FMinValue = 0, FMaxValue = 0;  // both 0: the type's own range
};

class TSmallintField : public TIntegerField {
  DECLARE_CLASS(TSmallintField, TIntegerField)
  explicit TSmallintField(TComponent* AOwner) : TIntegerField(AOwner, ftSmallint) {}
 protected:
  int DefaultDisplayWidth() const override { return 6; }
};
class TWordField : public TIntegerField {
  DECLARE_CLASS(TWordField, TIntegerField)
  explicit TWordField(TComponent* AOwner) : TIntegerField(AOwner, ftWord) {}
 protected:
  int DefaultDisplayWidth() const override { return 5; }
};
// Values are given by the data set when a record is posted; the field is read-only to users.
class TAutoIncField : public TIntegerField {
  DECLARE_CLASS(TAutoIncField, TIntegerField)
  explicit TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner, ftAutoInc) {}
};

class TLargeintField : public TNumericField {
  DECLARE_CLASS(TLargeintField, TNumericField)
  explicit TLargeintField(TComponent* AOwner) : TNumericField(AOwner, ftLargeint) {}
  TNative Native() const override { return nvInt64; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t Value) override { SetAsLargeInt(Value); }
  int64_t AsLargeInt() const override;
  void SetAsLargeInt(int64_t Value) override;
  double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
  void SetAsFloat(double Value) override;
  Variant AsVariant() const override;
  void SetAsVariant(const Variant& Value) override;

 protected:
  std::string GetText(bool Display) const override;
  int DefaultDisplayWidth() const override { return 15; }
};

// Floating values; Precision is the number of significant digits shown (15 by default); with Currency
// set the display uses the locale's currency format.
class TFloatField : public TNumericField {
  DECLARE_PUBLISHED_CLASS(TFloatField, TNumericField)
  static void DeclarePublished(TPublished<TFloatField>& P);
  explicit TFloatField(TComponent* AOwner) : TFloatField(AOwner, ftFloat) {}
  TNative Native() const override { return nvDouble; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  int32_t AsInteger() const override;
  double AsFloat() const override;
  void SetAsFloat(double Value) override;
  void SetAsInteger(int32_t Value) override { SetAsFloat(Value); }
  void SetAsLargeInt(int64_t Value) override { SetAsFloat(static_cast<double>(Value)); }
  Variant AsVariant() const override;
  void SetAsVariant(const Variant& Value) override;
  bool GetValue(double& V) const { V = 0; return GetData(&V); }
  int Precision() const { return FPrecision; }
  void SetPrecision(int Value);
  bool IsCurrency() const { return FCurrency; }
  void SetCurrency(bool Value);
  double MinValue() const { return FMinValue; }
  double MaxValue() const { return FMaxValue; }
  void SetMinValue(double V) { FMinValue = V; }
  void SetMaxValue(double V) { FMaxValue = V; }

 protected:
  TFloatField(TComponent* AOwner, TFieldType AType);
  std::string GetText(bool Display) const override;
  int FPrecision = 15;
  bool FCurrency = false;
  double FMinValue = 0, FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
  DECLARE_CLASS(TCurrencyField, TFloatField)
  explicit TCurrencyField(TComponent* AOwner) : TFloatField(AOwner, ftCurrency) { FCurrency = true; }
};

// Fixed-point values held as Currency (four decimals); Size is the number of decimals kept.
class TBCDField : public TNumericField {
  DECLARE_PUBLISHED_CLASS(TBCDField, TNumericField)
  static void DeclarePublished(TPublished<TBCDField>& P);
  explicit TBCDField(TComponent* AOwner) : TBCDField(AOwner, ftBCD) {}
  TNative Native() const override { return nvCurrency; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  int32_t AsInteger() const override;
  double AsFloat() const override;
  void SetAsFloat(double Value) override { SetAsCurrency(Currency::FromDouble(Value)); }
  void SetAsInteger(int32_t Value) override { SetAsCurrency(Currency::FromInt(Value)); }
  Currency AsCurrency() const override;
  void SetAsCurrency(Currency Value) override;
  Variant AsVariant() const override;
  void SetAsVariant(const Variant& Value) override;
  int Precision() const { return FPrecision; }
  void SetPrecision(int Value) { FPrecision = Value; }
  bool IsCurrency() const { return FCurrency; }
  void SetCurrency(bool Value) { FCurrency = Value; PropertyChanged(false); }

 protected:
  TBCDField(TComponent* AOwner, TFieldType AType);
  std::string GetText(bool Display) const override;
  int FPrecision = 18;
  bool FCurrency = false;
};

class TFMTBCDField : public TBCDField {
  DECLARE_CLASS(TFMTBCDField, TBCDField)
  explicit TFMTBCDField(TComponent* AOwner) : TBCDField(AOwner, ftFMTBcd) {}
};

// DisplayValues is "TrueText;FalseText" ("True;False" by default); text input accepts either, ignoring case.
class TBooleanField : public TField {
  DECLARE_PUBLISHED_CLASS(TBooleanField, TField)
  static void DeclarePublished(TPublished<TBooleanField>& P);
  explicit TBooleanField(TComponent* AOwner);
  TNative Native() const override { return nvBool; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool Value) override;
  int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
  void SetAsInteger(int32_t Value) override { SetAsBoolean(Value != 0); }
  Variant AsVariant() const override;
  void SetAsVariant(const Variant& Value) override;
  bool GetValue(bool& V) const { V = false; return GetData(&V); }
  const std::string& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const std::string& Value);

 protected:
  int DefaultDisplayWidth() const override;

 private:
  std::string FDisplayValues = "True;False";
  std::string FTrueText = "True", FFalseText = "False";
};

// Date, time, date-time and time-stamp fields; DisplayFormat is a FormatDateTime pattern (the locale's
// short date, long time, or both by default). A date field keeps whole days only.
class TDateTimeField : public TField {
  DECLARE_PUBLISHED_CLASS(TDateTimeField, TField)
  static void DeclarePublished(TPublished<TDateTimeField>& P);
  explicit TDateTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftDateTime) {}
  TNative Native() const override { return nvDouble; }
  std::string AsString() const override { return GetText(false); }
  void SetAsString(const std::string& Value) override;
  TDateTime AsDateTime() const override;
  void SetAsDateTime(TDateTime Value) override;
  double AsFloat() const override { return AsDateTime(); }
  void SetAsFloat(double Value) override { SetAsDateTime(Value); }
  Variant AsVariant() const override;
  void SetAsVariant(const Variant& Value) override;
  bool GetValue(TDateTime& V) const { V = 0; return GetData(&V); }
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value);

 protected:
  TDateTimeField(TComponent* AOwner, TFieldType AType);
  std::string GetText(bool Display) const override;
  int DefaultDisplayWidth() const override;
  const char* KindText() const;  // "date", "time" or "date and time", for conversion errors
  std::string FDisplayFormat;
};
class TDateField : public TDateTimeField {
  DECLARE_CLASS(TDateField, TDateTimeField)
  explicit TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
};
class TTimeField : public TDateTimeField {
  DECLARE_CLASS(TTimeField, TDateTimeField)
  explicit TTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}
};
class TSQLTimeStampField : public TDateTimeField {
  DECLARE_CLASS(TSQLTimeStampField, TDateTimeField)
  explicit TSQLTimeStampField(TComponent* AOwner) : TDateTimeField(AOwner, ftTimeStamp) {}
};

// Fixed and variable byte strings (ftBytes, ftVarBytes): the value is the bytes as a string.
class TBinaryField : public TField {
  DECLARE_CLASS(TBinaryField, TField)
  TNative Native() const override { return nvString; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  Variant AsVariant() const override;

 protected:
  TBinaryField(TComponent* AOwner, TFieldType AType) : TField(AOwner, AType) {}
  std::string GetText(bool Display) const override;
};
class TBytesField : public TBinaryField {
  DECLARE_CLASS(TBytesField, TBinaryField)
  explicit TBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftBytes) { FSize = 16; }
};
class TVarBytesField : public TBinaryField {
  DECLARE_CLASS(TVarBytesField, TBinaryField)
  explicit TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftVarBytes) { FSize = 16; }
};

// Blobs of any length: binary data, pictures, memos (text).
class TBlobField : public TField {
  DECLARE_CLASS(TBlobField, TField)
  explicit TBlobField(TComponent* AOwner) : TBlobField(AOwner, ftBlob) {}
  TNative Native() const override { return nvString; }
  bool IsBlob() const override { return true; }
  std::string AsString() const override;
  void SetAsString(const std::string& Value) override;
  Variant AsVariant() const override;
  int BlobSize() const { return static_cast<int>(AsString().size()); }
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream) const;

 protected:
  TBlobField(TComponent* AOwner, TFieldType AType);
  std::string GetText(bool Display) const override;
};
class TMemoField : public TBlobField {
  DECLARE_CLASS(TMemoField, TBlobField)
  explicit TMemoField(TComponent* AOwner) : TBlobField(AOwner, ftMemo) {}
};
class TGraphicField : public TBlobField {
  DECLARE_CLASS(TGraphicField, TBlobField)
  explicit TGraphicField(TComponent* AOwner) : TBlobField(AOwner, ftGraphic) {}
};

class TVariantField : public TField {
  DECLARE_CLASS(TVariantField, TField)
  explicit TVariantField(TComponent* AOwner) : TField(AOwner, ftVariant) {}
  TNative Native() const override { return nvVariant; }
  Variant AsVariant() const override;
  void SetAsVariant(const Variant& Value) override;
  std::string AsString() const override { return VarToStr(AsVariant()); }
  void SetAsString(const std::string& Value) override { SetAsVariant(Value); }
};

// Unit start-up of the data-access classes: registers the field classes, TDataSource and TMemDataSet for
// virtual construction by name (component streaming).
namespace DB {
void Initialize();
void Finalize();
}  // namespace DB

// Makes a field of the class that serves Type (EDatabaseError for types without one).
TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner);

// The ordered fields of a data set (borrowed; fields are owned by their Owner component).
class TFields {
 public:
  explicit TFields(TDataSet* ADataSet) : FDataSet(ADataSet) {}
  int Count() const { return static_cast<int>(FList.size()); }
  TField* operator[](int Index) const { return Fields(Index); }
  TField* Fields(int Index) const;  // EListError outside the bounds
  TField* FindField(const std::string& FieldName) const;  // ignoring ASCII case; nullptr when absent
  TField* FieldByName(const std::string& FieldName) const;  // EDatabaseError "Field '%s' not found"
  TField* FieldByNumber(int FieldNo) const;
  int IndexOf(const TField* Field) const;
  TDataSet* DataSet() const { return FDataSet; }
  std::vector<TField*>::const_iterator begin() const { return FList.begin(); }
  std::vector<TField*>::const_iterator end() const { return FList.end(); }

 private:
  friend class TDataSet;
  friend class TField;
  TDataSet* FDataSet;
  std::vector<TField*> FList;
};

// ---------------------------------------------------------------------------------------------------
// Field definitions (what an in-memory data set is made of when no persistent fields exist)

struct TFieldDef {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  bool Required = false;
  int Precision = 0;
};

class TFieldDefs {
 public:
  void Add(const std::string& Name, TFieldType DataType, int Size = 0, bool Required = false);
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  const TFieldDef& operator[](int Index) const { return FItems.at(Index); }
  TFieldDef& operator[](int Index) { return FItems.at(Index); }
  int IndexOf(const std::string& Name) const;

 private:
  std::vector<TFieldDef> FItems;
};

// ---------------------------------------------------------------------------------------------------
// TDataSet

// One buffered record: the descendant's handle of it (and a position hint), its bookmark flag and the
// values of calculated and lookup fields.
struct TRecBuf {
  int64_t Handle = -1;
  int64_t Pos = -1;
  TBookmarkFlag Flag = bfCurrent;
  bool EditRecord = false;  // the record being edited or inserted: the descendant's edit copy holds it
  std::vector<Variant> Calc;
};

// A cursor over records with fields, states and events. Descendants supply the storage and the cursor
// (the "What a descendant provides" block); everything the links and fields see is done here, so every
// data set follows the same rules (see the header comment for the buffers and Bof/Eof).
class TDataSet : public TComponent {
  DECLARE_PUBLISHED_CLASS(TDataSet, TComponent)
  static void DeclarePublished(TPublished<TDataSet>& P);
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;

  // State
  bool Active() const { return FState != dsInactive; }
  void SetActive(bool Value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }
  bool Modified() const { return FModified; }
  virtual bool CanModify() const { return !FReadOnly; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);

  void Edit();
  void Insert();   // before the current record
  void Append();   // after the last record
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();  // posts a modified edit, cancels an unmodified one
  void UpdateRecord();     // asks the controls to write their pending values
  void Refresh();
  void Resync(bool Exact = false, bool Center = false);
  void CheckActive() const;    // "Cannot perform this operation on a closed dataset"
  void CheckInactive() const;  // "Cannot perform this operation on an open dataset"

  // Navigation
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  int MoveBy(int Distance);  // the distance moved
  bool Bof() const { return FBOF; }
  bool Eof() const { return FEOF; }
  bool IsEmpty() const;
  virtual int RecNo() const { return -1; }  // 1-based, -1 when not known
  virtual void SetRecNo(int Value) { (void)Value; }
  virtual int RecordCount() const { return -1; }
  virtual bool IsSequenced() const { return true; }

  // Record buffers as the data links see them
  int BufferCount() const { return FBufferCount; }
  int ActiveRecord() const { return FActiveRecord; }
  int BufferRecordCount() const { return FRecordCount; }
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // Bookmarks
  TBookmark Bookmark() const;
  void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
  TBookmark GetBookmark() const { return Bookmark(); }
  void GotoBookmark(const TBookmark& Value);  // EDatabaseError "Record not found" for a bookmark it refuses
  virtual bool BookmarkValid(const TBookmark& Value) const;
  // < 0, 0, > 0 in the data set's order; an empty bookmark comes first.
  virtual int CompareBookmarks(const TBookmark& A, const TBookmark& B) const;

  // Fields
  TFields& Fields() { return FFields; }
  const TFields& Fields() const { return FFields; }
  TField* FindField(const std::string& FieldName) const { return FFields.FindField(FieldName); }
  TField* FieldByName(const std::string& FieldName) const { return FFields.FieldByName(FieldName); }
  int FieldCount() const { return FFields.Count(); }
  std::vector<TField*> VisibleFields() const;
  // The fields named in the ';'-separated list, in its order (EDatabaseError for a missing one).
  void GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const;
  void GetFieldList(TList* List, const std::string& FieldNames) const;
  void GetFieldNames(TStrings* List) const;
  // Fields made by the data set from its definitions (true) or given by the user (false).
  bool DefaultFields() const { return FDefaultFields; }
  TFieldDefs& FieldDefs() { return FFieldDefs; }
  // One field's value, or a variant array for several ("A;B").
  Variant FieldValues(const std::string& FieldNames) const;
  void SetFieldValues(const std::string& FieldNames, const Variant& Value);
  bool AutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }

  // Searching: Locate moves to the first matching record (true) or stays (false); Lookup reads the
  // result fields of the first match without moving (Null when none matches).
  virtual bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  virtual Variant Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields);

  // Filtering
  const std::string& Filter() const { return FFilterText; }
  void SetFilter(const std::string& Value);
  bool Filtered() const { return FFiltered; }
  void SetFiltered(bool Value);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions Value);
  const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
  void SetOnFilterRecord(TFilterRecordEvent Value);
  // A record test that a bound control keeps for the data set (a grid's filter row), on top of Filter
  // and OnFilterRecord and whether Filtered is set or not, so that it leaves the program's own filter
  // alone. Null: none.
  using TControlFilter = std::function<bool(TDataSet* DataSet)>;
  const TControlFilter& ControlFilter() const { return FControlFilter; }
  void SetControlFilter(TControlFilter Value);

  // The data source this data set follows as a detail (nullptr for none). IsLinkedTo(S) is true when S,
  // through the data sets and their masters, leads to this data set (so S cannot become its master).
  virtual TDataSource* GetDataSource() const { return nullptr; }
  bool IsLinkedTo(TDataSource* DataSource) const;

  struct TFilterNode;  // a parsed Filter (filter.cpp)

  // Sends a data event to the data sources (and so to the links), unless controls are disabled.
  void DataEvent(TDataEvent Event, intptr_t Info);

  // Events
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, BeforeEdit,
      AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll,
      AfterScroll, BeforeRefresh, AfterRefresh, OnCalcFields, OnNewRecord;
  TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;

  // Field access for TField (native form, see TField); false for null.
  virtual bool GetFieldData(const TField* Field, void* Buffer) const;
  virtual void SetFieldData(TField* Field, const void* Buffer);
  // The field's value before the current edit.
  virtual Variant GetOldValue(const TField* Field) const { return Field->AsVariant(); }

 protected:
  // --- What a descendant provides
  virtual void InternalOpen() = 0;    // storage ready, cursor before the first record
  virtual void InternalClose() = 0;
  virtual void InternalFirst() = 0;   // cursor before the first record
  virtual void InternalLast() = 0;    // cursor after the last record
  // Moves the cursor (gmNext/gmPrior) or reads it (gmCurrent) and fills Buf.Handle/Pos.
  virtual TGetResult GetRecord(TRecBuf& Buf, TGetMode Mode) = 0;
  virtual void InternalSetToRecord(const TRecBuf& Buf) = 0;  // cursor onto that buffer's record
  virtual void InternalInitRecord(TRecBuf& Buf) = 0;         // empty edit record for an insert
  virtual void InternalEdit() = 0;                             // copy the current record for editing
  virtual void InternalInsert() {}
  virtual void InternalPost() = 0;    // after the required-field check; writes the edit record
  virtual void InternalCancel() {}
  virtual void InternalDelete() = 0;  // the current record
  virtual void InternalRefresh() {}
  virtual TBookmark GetBookmarkOf(const TRecBuf& Buf) const = 0;
  // Positions the cursor on the record; false when the bookmark is refused.
  virtual bool InternalGotoBookmark(const TBookmark& Value) = 0;
  // Storage read/write of data fields of a buffer (the edit copy when Buf.EditRecord).
  virtual bool GetRecordData(const TField* Field, const TRecBuf& Buf, void* Buffer) const = 0;
  virtual void SetRecordData(TField* Field, TRecBuf& Buf, const void* Buffer) = 0;
  // Filter, Filtered, FilterOptions or OnFilterRecord changed while open: the descendant applies it.
  virtual void FilterChanged() {}
  // Record acceptance by Filter, OnFilterRecord and the control filter for a handle (state dsFilter
  // while it runs).
  bool RecordFilterAccepts(int64_t Handle);
  bool HasFilter() const {
    return (FFiltered && (FFilterExpr != nullptr || FOnFilterRecord)) || static_cast<bool>(FControlFilter);
  }
  // Fields read the record Handle (not buffered) between these calls; the state is dsFilter meanwhile, so
  // nothing can be written. Calculated and lookup values are computed for it when the data set has any.
  void BeginRecordRead(int64_t Handle);
  void EndRecordRead();
  int CalcFieldsCount() const { return FCalcFieldsCount; }
  virtual void CreateFields();  // default fields from FieldDefs

  // Streaming: Active waits for Loaded; FieldDefs are written as a list; persistent fields are children.
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  // --- Shared machinery
  void SetState(TDataSetState Value);
  TRecBuf& ActiveBuffer() { return FBuffers[FActiveRecord]; }
  const TRecBuf& ActiveBuffer() const { return FBuffers[FActiveRecord]; }
  // The buffer whose values fields read now (depends on the state).
  const TRecBuf* CurrentBuffer() const;
  void ClearBuffers();
  void UpdateCursorPos();
  void CursorPosChanged() { FCurrentRecord = -1; }
  void SetBufferCount(int Value);
  void UpdateBufferCount();
  void GetCalcFields(TRecBuf& Buf);
  void CalculateFields(TRecBuf& Buf);
  void DoBeforeScroll() { if (BeforeScroll) BeforeScroll(this); }
  void DoAfterScroll() { if (AfterScroll) AfterScroll(this); }
  void CheckRequiredFields();
  // Whether Field matches Value under Locate's options (shared by Locate implementations).
  static bool FieldMatches(const TField* Field, const Variant& Value, TLocateOptions Options);
  // Splits "A;B" into trimmed names.
  static std::vector<std::string> SplitFieldNames(const std::string& Names);

 private:
  friend class TField;
  friend class TDataSource;
  friend class TDataLink;
  TGetResult FetchRecord(TRecBuf& Buf, TGetMode Mode);
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void MoveBuffer(int CurIndex, int NewIndex);
  void ActivateBuffers();
  void SetCurrentRecord(int Index);
  void BeginInsertAppend();
  void DoPost();
  void EndInsertAppend();
  void CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent);
  void DoInternalOpen();
  void DoInternalClose();
  void AddDataSource(TDataSource* Source);
  void RemoveDataSource(TDataSource* Source);
  void AddField(TField* Field);
  void RemoveField(TField* Field);
  void UpdateCalcFieldSlots();
  void UpdateCalcFields();
  void ParseFilter();
  void ApplyFilterChange(const std::function<void()>& Revert);

  TDataSetState FState = dsInactive;
  TFields FFields;
  TFieldDefs FFieldDefs;
  std::vector<TDataSource*> FDataSources;
  std::vector<TRecBuf> FBuffers;  // FBufferCount + 1 (the last is spare)
  TRecBuf FFilterBuffer, FReadBuffer;
  TDataSetState FReadSavedState = dsInactive;
  const TRecBuf* FReadSavedTemp = nullptr;
  bool FReading = false;
  const TRecBuf* FTempBuffer = nullptr;  // dsCalcFields / dsFilter: the buffer read
  int FBufferCount = 0;
  int FRecordCount = 0;
  int FActiveRecord = 0;
  int FCurrentRecord = -1;
  int FDisableCount = 0;
  TDataEvent FEnableEvent = deDataSetChange;
  TDataSetState FDisableState = dsInactive;
  int FCalcFieldsCount = 0;
  bool FBOF = true, FEOF = true;
  bool FModified = false;
  bool FReadOnly = false;
  bool FDefaultFields = false;
  bool FAutoCalcFields = true;
  bool FStreamedActive = false;
  bool FFiltered = false;
  bool FInCalc = false;
  TFilterOptions FFilterOptions;
  std::string FFilterText;
  TFilterRecordEvent FOnFilterRecord;
  TControlFilter FControlFilter;
  std::shared_ptr<TFilterNode> FFilterExpr;
  friend struct TFilterEval;
};

// ---------------------------------------------------------------------------------------------------
// TDataSource and TDataLink

// The meeting point of one data set and any number of data links: it passes the data set's events on
// (unless disabled), keeps the state the links last saw, and puts the data set into edit state for them.
class TDataSource : public TComponent {
  DECLARE_PUBLISHED_CLASS(TDataSource, TComponent)
  static void DeclarePublished(TPublished<TDataSource>& P);
  explicit TDataSource(TComponent* AOwner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  TDataSetState State() const { return FState; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool Value) { FAutoEdit = Value; }
  // Puts the data set into edit state when AutoEdit is on and it is browsing.
  void Edit();
  bool IsLinkedTo(TDataSet* DataSet) const;

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent Event, intptr_t Info);
  void NotifyDataLinks(TDataEvent Event, intptr_t Info);
  void UpdateState();
  void SetState(TDataSetState Value);
  void AddDataLink(TDataLink* Link);
  void RemoveDataLink(TDataLink* Link);

  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FDataLinks;
  TDataSetState FState = dsInactive;
  bool FEnabled = true;
  bool FAutoEdit = true;
};

// A control's (or any object's) connection to a data source. Descendants override the notifications.
// Visual links are told before non-visual ones; among each kind, in the order they joined.
class TDataLink : public TPersistent {
  DECLARE_CLASS(TDataLink, TPersistent)
  TDataLink() = default;
  ~TDataLink() override;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // The active record within this link's window (settable: moves the data set's active record).
  int ActiveRecord() const;
  void SetActiveRecord(int Value);
  int BufferCount() const { return FBufferCount; }
  void SetBufferCount(int Value);
  int RecordCount() const;
  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool Value) { FVisualControl = Value; }
  // Puts the data set into edit state (through the source's AutoEdit); returns Editing.
  bool Edit();
  void UpdateRecord();
  bool Bof() const;
  bool Eof() const;
  // Moves the data set by Distance (used by controls that scroll).
  int MoveBy(int Distance);

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int Distance) { (void)Distance; DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField*& Field) { (void)Field; }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* Field) { (void)Field; }
  virtual void UpdateData() {}
  bool FVisualControl = false;

 private:
  friend class TDataSource;
  friend class TDataSet;
  void DataEvent(TDataEvent Event, intptr_t Info);
  void UpdateState();
  void SetActive(bool Value);
  void SetEditing(bool Value);
  void UpdateRange();

  TDataSource* FDataSource = nullptr;
  int FFirstRecord = 0;
  int FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  bool FDataSourceFixed = false;
};

// The field FieldName of DataSet for a data-aware control: EDatabaseError "Control: Field 'X' not found"
// naming the control when the data set lacks it.
TField* GetFieldProperty(TDataSet* DataSet, TComponent* Control, const std::string& FieldName);

// Links one control to one field by name.
class TFieldDataLink : public TDataLink {
  DECLARE_CLASS(TFieldDataLink, TDataLink)
  TFieldDataLink() { FVisualControl = true; }

  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  TField* Field() const { return FField; }
  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* Value) { FControl = Value; }
  bool CanModify() const;
  bool Modified() const { return FModified; }
  void SetModified() { FModified = true; }
  void Reset();  // reloads the control's value (RecordChanged(nullptr))
  bool FieldEditing() const { return FEditing; }

  TNotifyEvent OnDataChange;
  TNotifyEvent OnEditingChange;
  TNotifyEvent OnUpdateData;
  TNotifyEvent OnActiveChange;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField*& Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetField(TField* Value);
  void SetEditing(bool Value);
  std::string FFieldName;
  TField* FField = nullptr;
  TComponent* FControl = nullptr;
  bool FEditing = false;
  bool FModified = false;
};
