// Published properties and streaming of data sets, data sources and fields: what the component writer
// and reader see, the field definitions written as a list, and persistent fields written as children.
#include "platform/classes/filer.h"
#include "platform/data/db.h"
#include "platform/data/memdataset.h"

void TField::DeclarePublished(TPublished<TField>& P) {
  P.Enum("Alignment", &TField::Alignment, &TField::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"})
      .Default(taLeftJustify);
  P.Component("DataSet", &TField::DataSet, &TField::SetDataSet);
  P.String("DefaultExpression", &TField::DefaultExpression, &TField::SetDefaultExpression);
  P.String("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel).Stored(&TField::IsDisplayLabelStored);
  P.Integer("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth).Stored(&TField::IsDisplayWidthStored);
  P.String("EditMask", &TField::EditMask, &TField::SetEditMask);
  P.Enum("FieldKind", &TField::FieldKind, &TField::SetFieldKind,
         {"fkData", "fkCalculated", "fkLookup", "fkInternalCalc", "fkAggregate"})
      .Default(fkData);
  P.String("FieldName", &TField::FieldName, &TField::SetFieldName);
  P.String("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
  P.Component("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
  P.Boolean("LookupCache", &TField::LookupCache, &TField::SetLookupCache).Default(false);
  P.String("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
  P.String("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
  P.Boolean("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
  P.Boolean("Required", &TField::Required, &TField::SetRequired).Default(false);
  P.Integer("Size", &TField::Size, &TField::SetSize).NoDefault();
  P.Boolean("Visible", &TField::Visible, &TField::SetVisible).Default(true);
  P.Event("OnChange");
  P.Event("OnGetText");
  P.Event("OnSetText");
  P.Event("OnValidate");
}

void TNumericField::DeclarePublished(TPublished<TNumericField>& P) {
  P.Enum("Alignment", &TField::Alignment, &TField::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"})
      .Default(taRightJustify);
  P.String("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
  P.String("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}

void TIntegerField::DeclarePublished(TPublished<TIntegerField>& P) {
  P.Integer("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
  P.Integer("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
}

void TFloatField::DeclarePublished(TPublished<TFloatField>& P) {
  P.Boolean("Currency", &TFloatField::IsCurrency, &TFloatField::SetCurrency)
      .StoredWhen([](TObject* O) {
        auto* f = static_cast<TFloatField*>(O);
        return f->IsCurrency() != (f->DataType() == ftCurrency);
      });
  P.Float("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue);
  P.Float("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue);
  P.Integer("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}

void TBCDField::DeclarePublished(TPublished<TBCDField>& P) {
  P.Boolean("Currency", &TBCDField::IsCurrency, &TBCDField::SetCurrency).Default(false);
  P.Integer("Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(18);
}

void TBooleanField::DeclarePublished(TPublished<TBooleanField>& P) {
  P.String("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues)
      .StoredWhen([](TObject* O) { return static_cast<TBooleanField*>(O)->DisplayValues() != "True;False"; });
}

void TDateTimeField::DeclarePublished(TPublished<TDateTimeField>& P) {
  P.String("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}

void TDataSet::DeclarePublished(TPublished<TDataSet>& P) {
  P.Boolean("Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
  P.Boolean("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields).Default(true);
  P.String("Filter", &TDataSet::Filter, &TDataSet::SetFilter);
  P.Boolean("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered).Default(false);
  P.Set("FilterOptions", &TDataSet::FilterOptions, &TDataSet::SetFilterOptions,
        {"foCaseInsensitive", "foNoPartialCompare"})
      .Default(TFilterOptions{});
  for (const char* e : {"BeforeOpen", "AfterOpen", "BeforeClose", "AfterClose", "BeforeInsert", "AfterInsert",
                        "BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeCancel", "AfterCancel",
                        "BeforeDelete", "AfterDelete", "BeforeScroll", "AfterScroll", "BeforeRefresh",
                        "AfterRefresh", "OnCalcFields", "OnDeleteError", "OnEditError", "OnFilterRecord",
                        "OnNewRecord", "OnPostError"})
    P.Event(e);
}

void TMemDataSet::DeclarePublished(TPublished<TMemDataSet>& P) {
  P.String("CaseInsFields", &TMemDataSet::CaseInsFields, &TMemDataSet::SetCaseInsFields);
  P.String("DescFields", &TMemDataSet::DescFields, &TMemDataSet::SetDescFields);
  P.String("DetailFields", &TMemDataSet::DetailFields, &TMemDataSet::SetDetailFields);
  P.String("IndexFieldNames", &TMemDataSet::IndexFieldNames, &TMemDataSet::SetIndexFieldNames);
  P.String("MasterFields", &TMemDataSet::MasterFields, &TMemDataSet::SetMasterFields);
  P.Component("MasterSource", &TMemDataSet::MasterSource, &TMemDataSet::SetMasterSource);
  P.Boolean("ReadOnly", &TDataSet::ReadOnly, &TDataSet::SetReadOnly).Default(false);
}

void TDataSource::DeclarePublished(TPublished<TDataSource>& P) {
  P.Boolean("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
  P.Component("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
  P.Boolean("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
  P.Event("OnDataChange");
  P.Event("OnStateChange");
  P.Event("OnUpdateData");
}

// ---------------------------------------------------------------------------------------------------

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    Open();
  }
}

void TDataSet::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "FieldDefs",
      [this](TReader* R) {
        FFieldDefs.Clear();
        R->ReadListBegin();
        while (!R->EndOfList()) {
          R->ReadListBegin();
          std::string name = R->ReadString();
          int type = R->ReadInteger();
          int size = R->ReadInteger();
          bool required = R->ReadBoolean();
          R->ReadListEnd();
          if (type <= ftUnknown || type >= FieldTypeCount) throw EReadError("Invalid field type in FieldDefs");
          FFieldDefs.Add(name, static_cast<TFieldType>(type), size, required);
        }
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (int i = 0; i < FFieldDefs.Count(); ++i) {
          const TFieldDef& d = FFieldDefs[i];
          W->WriteListBegin();
          W->WriteString(d.Name);
          W->WriteInteger(d.DataType);
          W->WriteInteger(d.Size);
          W->WriteBoolean(d.Required);
          W->WriteListEnd();
        }
        W->WriteListEnd();
      },
      FFieldDefs.Count() > 0);
}

void TDataSet::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  // Persistent fields the data set owns go with it; fields made from FieldDefs are made again on Open.
  if (!FDefaultFields)
    for (TField* f : FFields.FList)
      if (f->Owner() == this) Proc(f);
  if (Root == this)
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Is<TField>(Components(i))) Proc(Components(i));
}
