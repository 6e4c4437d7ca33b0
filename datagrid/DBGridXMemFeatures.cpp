#include "datagrid/DBGridXMemFeatures.h"

#include <string>
#include <vector>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFilterRow.h"
#include "dataedit/FilterMatchX.h"
#include "platform/data/memdataset.h"

TMemDataSetFeaturesX::TMemDataSetFeaturesX() : TDatasetFeaturesX(TMemDataSet::StaticClass()) {}

bool TMemDataSetFeaturesX::IsSortingSupported(TDataSet*) { return true; }

void TMemDataSetFeaturesX::ApplySorting(TComponent* Grid, TDataSet* DataSet, bool) {
  auto* g = dynamic_cast<TCustomDBGridX*>(Grid);
  auto* ds = dynamic_cast<TMemDataSet*>(DataSet);
  if (!g || !ds) return;
  std::string index, desc;
  for (TColumnX* c : g->SortMarkedColumns()) {
    TField* f = c ? c->Field() : nullptr;
    // Stored values (memos included) and lookups, by the text they show, so that the order is the one
    // the sort marks promise. A calculated field has nothing stored to sort by.
    if (!f || (f->FieldKind() != fkData && f->FieldKind() != fkLookup)) continue;
    if (f->FieldKind() == fkLookup) {
      std::vector<TField*> keys;
      ds->GetFieldList(keys, f->KeyFields());
      bool stored = !keys.empty() && f->LookupDataSet() && f->LookupDataSet() != ds;
      for (TField* k : keys) stored = stored && k->FieldKind() == fkData;
      if (!stored) continue;
    }
    index += (index.empty() ? "" : ";") + f->FieldName();
    if (c->Title()->SortMarker() == smUpX) desc += (desc.empty() ? "" : ";") + f->FieldName();
  }
  if (ds->IndexFieldNames() == index && ds->DescFields() == desc) return;
  // One sort, by the whole new index.
  ds->SetIndexFieldNames(std::string());
  ds->SetDescFields(desc);
  ds->SetIndexFieldNames(index);
}

void TMemDataSetFeaturesX::ApplyFilter(TComponent* Grid, TDataSet* DataSet, bool) {
  auto* g = dynamic_cast<TCustomDBGridX*>(Grid);
  if (!g || !DataSet) return;
  struct TCondition {
    std::string FieldName;  // by name: the data set may make its fields anew
    TSTFilterExpressionX Expression;
  };
  std::vector<TCondition> conditions;
  for (int i = 0; i < g->Columns()->Count(); ++i) {
    TColumnX* c = g->Columns()->Items(i);
    TSTColumnFilterX* f = c->STFilter();
    const TSTFilterExpressionX& e = f->Condition();
    if (e.Operator1 == stoNone || e.ValueKind == stvkOther) continue;
    std::string name = f->ListFilterFieldName();
    if (name.empty() || !DataSet->FindField(name)) continue;
    TSTFilterExpressionX x = e;
    x.Operand1 = f->FirstOperandValue();  // the chosen keys of a list with a key field
    conditions.push_back({name, x});
  }
  if (conditions.empty()) {
    DataSet->SetControlFilter(nullptr);
    return;
  }
  DataSet->SetControlFilter([conditions](TDataSet* D) {
    for (const TCondition& c : conditions) {
      TField* f = D->FindField(c.FieldName);
      if (f && !STFilterExpressionAccepts(c.Expression, f->AsVariant())) return false;
    }
    return true;
  });
}
