#pragma once
// What a title click and the filter row do to the in-memory data set: its features object, which the
// grid unit's start-up registers (the data set's library knows nothing of grids). Sorting puts the
// fields of the sort-marked columns, in marking order, into the data set's index (a column marked up
// sorts descending); filtering keeps the records that pass every column's filter-row condition, as a
// control filter of the data set, so the program's own Filter and OnFilterRecord stay as they are.
// Both leave the data set to the conditions last applied, also after the grid has gone.

#include "dataedit/DbUtilsX.h"

class TMemDataSetFeaturesX : public TDatasetFeaturesX {
  DECLARE_CLASS(TMemDataSetFeaturesX, TDatasetFeaturesX)
  TMemDataSetFeaturesX();
  bool IsSortingSupported(TDataSet* DataSet) override;
  void ApplySorting(TComponent* Grid, TDataSet* DataSet, bool IsReopen) override;
  void ApplyFilter(TComponent* Grid, TDataSet* DataSet, bool IsReopen) override;
};
