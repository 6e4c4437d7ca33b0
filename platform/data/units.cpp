// Unit start-up of the data-access classes: registration for virtual construction by name.
#include "platform/data/db.h"
#include "platform/data/memdataset.h"

namespace DB {

namespace {
const char* const RegisteredNames[] = {
    "TStringField", "TWideStringField", "TGuidField", "TSmallintField", "TIntegerField", "TWordField",
    "TAutoIncField", "TLargeintField", "TFloatField", "TCurrencyField", "TBCDField", "TFMTBCDField",
    "TBooleanField", "TDateField", "TTimeField", "TDateTimeField", "TSQLTimeStampField", "TBytesField",
    "TVarBytesField", "TBlobField", "TMemoField", "TGraphicField", "TVariantField", "TDataSource", "TMemDataSet"};
}  // namespace

void Initialize() {
  RegisterClass<TStringField>();
  RegisterClass<TWideStringField>();
  RegisterClass<TGuidField>();
  RegisterClass<TSmallintField>();
  RegisterClass<TIntegerField>();
  RegisterClass<TWordField>();
  RegisterClass<TAutoIncField>();
  RegisterClass<TLargeintField>();
  RegisterClass<TFloatField>();
  RegisterClass<TCurrencyField>();
  RegisterClass<TBCDField>();
  RegisterClass<TFMTBCDField>();
  RegisterClass<TBooleanField>();
  RegisterClass<TDateField>();
  RegisterClass<TTimeField>();
  RegisterClass<TDateTimeField>();
  RegisterClass<TSQLTimeStampField>();
  RegisterClass<TBytesField>();
  RegisterClass<TVarBytesField>();
  RegisterClass<TBlobField>();
  RegisterClass<TMemoField>();
  RegisterClass<TGraphicField>();
  RegisterClass<TVariantField>();
  RegisterClass<TDataSource>();
  RegisterClass<TMemDataSet>();
}

void Finalize() {
  for (const char* n : RegisteredNames) UnRegisterClass(n);
}

}  // namespace DB
