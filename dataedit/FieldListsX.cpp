#include "dataedit/FieldListsX.h"

#include "dataedit/VarValuesX.h"
#include "platform/rtl/sysutils.h"

namespace {

// The names of the list, blanks trimmed, in order (empty names are skipped as the data set does).
std::vector<std::string> FieldNamesOf(const std::string& Names) {
  std::vector<std::string> R;
  size_t Start = 0;
  while (Start <= Names.size()) {
    size_t P = Names.find(';', Start);
    if (P == std::string::npos) P = Names.size();
    std::string N = Trim(Names.substr(Start, P - Start));
    if (!N.empty()) R.push_back(std::move(N));
    Start = P + 1;
  }
  return R;
}

}  // namespace

void FillFieldList(TList* List, TDataSet* DataSet, TComponent* Component, const std::string& FieldNames) {
  for (const std::string& Name : FieldNamesOf(FieldNames)) {
    TField* F = GetFieldProperty(DataSet, Component, Name);
    if (List) List->Add(F);
  }
}

TFieldsArrX GetFieldsArray(TDataSet* DataSet, TComponent* Component, const std::string& FieldNames) {
  TList List;
  FillFieldList(&List, DataSet, Component, FieldNames);
  TFieldsArrX R;
  R.reserve(static_cast<size_t>(List.Count()));
  for (int I = 0; I < List.Count(); ++I) R.push_back(static_cast<TField*>(List[I]));
  return R;
}

void AssignFieldValues(TDataSet* DataSet, const std::string& FieldNames, const Variant& Value) {
  if (VarValuesEqual(Value, Null)) {
    std::vector<TField*> Fields;
    DataSet->GetFieldList(Fields, FieldNames);
    for (TField* F : Fields) F->Clear();
    return;
  }
  DataSet->SetFieldValues(FieldNames, Value);
}
