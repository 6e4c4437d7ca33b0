#pragma once
// The in-memory data set offering the grid random access to its rows (IRandomAccessDataSetX): the grid
// then has one grid row per record and scrolls its own view, drawing each row by making that record
// the active one for the drawing instead of walking the data link's buffer.

#include "datagrid/DBGridX.h"
#include "platform/data/memdataset.h"

class TRandomAccessMemDataSetX : public TMemDataSet, public IRandomAccessDataSetX {
  DECLARE_CLASS(TRandomAccessMemDataSetX, TMemDataSet)
  explicit TRandomAccessMemDataSetX(TComponent* AOwner) : TMemDataSet(AOwner) {}
  ~TRandomAccessMemDataSetX() override { RestoreActiveIndex(); }

  // Every record is in memory: nothing to fetch.
  void FetchRecords(int Count) override { (void)Count; }
  // The current record's row index; while inserting, the new record's row (the rows after it move
  // down by one).
  int GetCurrentIndex() override { return CurrentPosition(); }
  int CountRecords() override;
  // Fields read the record of row Index until RestoreActiveIndex; the current row reads the current
  // record itself, so an edit in progress shows.
  void SetActiveIndex(int Index) override;
  void RestoreActiveIndex() override;
  // How many rows were read by index so far (drawing costs one per row and column).
  int IndexReads() const { return FIndexReads; }

 private:
  bool FReadingAt = false;
  int FIndexReads = 0;
};
