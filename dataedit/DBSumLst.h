#pragma once
// Aggregates (sum, average, count) of a data set's fields kept current for the grid's footers. The
// producer takes over the data set's cursor and editing events, chaining each to the handler that was
// there before: it recomputes everything when the data set opens, is filtered differently or its master
// scrolls, and adjusts the aggregates by one record's contribution when a record is posted or deleted.
// Values are fixed-point ten-thousandths (Currency), so repeated adjustments never drift.
//
// For data sets without record numbers it can keep every record's bookmark in data-set order, which
// gives each record a virtual record number for the grid's scroll bar.
//
// The producer hands the data set's events back exactly as it found them when it lets go (switched off,
// another data set, destroyed). When the data set or its master is destroyed first, a free notification
// makes it forget that object, so it never writes into a freed data set and leaves no handler of its
// own behind on the one that stays.

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/data/db.h"

enum TGroupOperation { goSum, goAvg, goCount };

class TDBSumListProducer;

// A running total of float values that never shows a clamped figure. Every value adds its exact
// ten-thousandths, a value beyond the fixed-point range as the range's end (kept wider than the fixed
// point, so adding and taking back records never overflows); what such a value holds beyond that end is
// summed in floating point beside it. The total is exact while it fits the fixed point; otherwise only
// its floating-point value is meaningful.
struct TSumTotal {
  __int128 Fixed = 0;      // ten-thousandths, values beyond the range counted as its end
  long double Excess = 0;  // what those values hold beyond the range's end
  int BeyondCount = 0;     // how many of them are in the total

  void Add(double Value);     // NaN adds nothing
  void Remove(double Value);  // takes back what Add(Value) added
  // No value beyond the range and the total within it: Fixed is the exact total.
  bool Fits() const;
  long double AsFloat() const { return static_cast<long double>(Fixed) / 10000.0L + Excess; }
};

class TDBSum : public TCollectionItem {
  DECLARE_PUBLISHED_CLASS(TDBSum, TCollectionItem)
  static void DeclarePublished(TPublished<TDBSum>& P);
  explicit TDBSum(TCollection* ACollection) : TCollectionItem(ACollection) {}

  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  TGroupOperation GroupOperation() const { return FGroupOperation; }
  void SetGroupOperation(TGroupOperation Value);
  void Assign(TPersistent* Source) override;

  Currency AggregateValue() const { return FAggregateValue; }
  void SetAggregateValue(Currency Value) {
    FAggregateValue = Value;
    if (FGroupOperation != goAvg) FTotal = TSumTotal{Value.Value, 0, 0};
  }
  // False when the aggregate lies beyond the fixed-point range (or a value summed was): AggregateValue
  // is then only its nearest limit, and AggregateFloat is the figure to show.
  bool AggregateFits() const;
  // The aggregate in floating point, beyond the fixed-point range too.
  long double AggregateFloat() const;
  Currency OldValue() const { return FOldValue; }
  int NotNullCount() const { return FNotNullCount; }
  Currency SumForAverage() const { return FSumForAverage; }
  const Variant& OldVarValue() const { return FOldVarValue; }

 private:
  friend class TDBSumListProducer;
  // Stores the total and derives the aggregate (and an average's sum) from it.
  void SetTotal(const TSumTotal& Total);
  std::string FFieldName;
  TGroupOperation FGroupOperation = goSum;
  Currency FOldValue;
  int FNotNullCount = 0;
  Currency FSumForAverage;
  Variant FOldVarValue;
  Currency FAggregateValue;
  // The total behind the aggregate (the sum for an average).
  TSumTotal FTotal;
  // The record's value before the edit (1 or 0 for a count; 0 for null), as FOldValue in full.
  double FOldNumber = 0;
  // What a pending delete takes away (applied once the delete has happened).
  Currency FDeleteValue;
  double FDeleteNumber = 0;
  bool FDeleteNotNull = false;
};

class TDBSumCollection : public TCollection {
  DECLARE_CLASS(TDBSumCollection, TCollection)
  explicit TDBSumCollection(TDBSumListProducer* AOwner);
  TDBSum* Items(int Index) const { return static_cast<TDBSum*>(TCollection::Items(Index)); }
  // The first item with that operation whose field name matches ignoring case; nullptr when none.
  TDBSum* FindSum(TGroupOperation Operation, const std::string& FieldName) const;

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TDBSumListProducer* FOwner;
  bool FConstructing = false;
};

class TDBSumListProducer : public TPersistent {
  DECLARE_CLASS(TDBSumListProducer, TPersistent)
  explicit TDBSumListProducer(TComponent* AOwner);
  ~TDBSumListProducer() override;
  void Assign(TPersistent* Source) override;

  TComponent* Owner() const { return FOwner; }
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool ExternalRecalc() const { return FExternalRecalc; }
  void SetExternalRecalc(bool Value);
  bool VirtualRecords() const { return FVirtualRecords; }
  void SetVirtualRecords(bool Value);
  bool WorkWhileDesigning() const { return FWorkWhileDesigning; }
  void SetWorkWhileDesigning(bool Value) { FWorkWhileDesigning = Value; }
  TDBSumCollection* SumCollection() const { return FSumItems.get(); }
  bool Hooked() const { return FHooked; }
  bool Recomputing() const { return FRecomputing; }
  TDataSet* MasterDataSet() const { return FMasterDataSet; }
  int LastFoundIndex() const { return FLastFoundIndex; }
  const std::vector<TBookmark>& RecordBookmarks() const { return FRecordBookmarks; }

  // The owner finished loading: switch on with a recomputation when there is a data set to watch.
  void OwnerLoaded();

  virtual int GetVirtualRecNo();
  virtual int LocateVirtualRecord(const TBookmark& Bookmark);
  // Out of 1..count the call does nothing (the bookmark list has no such entry).
  virtual void SetVirtualRecNo(int Value);
  virtual bool RecordsSequenced();
  virtual int GetVirtualRecordCount();
  virtual void ResetSums();
  virtual void RecomputeAll();

  TNotifyEvent OnAfterRecalcAll;
  TNotifyEvent OnRecalcAll;
  TNotifyEvent SumListChanged;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  virtual void HookAfterCancel(TDataSet* DataSet);
  virtual void HookAfterClose(TDataSet* DataSet);
  virtual void HookAfterEdit(TDataSet* DataSet);
  virtual void HookAfterInsert(TDataSet* DataSet);
  virtual void HookAfterOpen(TDataSet* DataSet);
  virtual void HookAfterPost(TDataSet* DataSet);
  virtual void HookAfterScroll(TDataSet* DataSet);
  virtual void HookBeforeDelete(TDataSet* DataSet);
  virtual void HookAfterDelete(TDataSet* DataSet);
  virtual void HookMasterAfterScroll(TDataSet* DataSet);
  virtual void UnhookDataSetEvents();
  virtual void HookDataSetEvents();
  void DoSumListChanged() { if (SumListChanged) SumListChanged(this); }
  bool BookmarksInUse() const;

 private:
  friend class TDBSumCollection;
  class TWatcher;
  bool Suspended() const;  // the owner loads, or is designed without WorkWhileDesigning
  void SwitchOn(bool Recompute);
  void SwitchOff(bool Clear);
  void Changed();
  void ForgetDataSet(TComponent* Gone);
  void PlaceBookmark(const TBookmark& Bookmark);
  TField* ItemField(const TDBSum* Item) const;

  TComponent* FOwner;
  bool FVirtualRecords = false;
  bool FRecomputing = false;
  bool FActive = true;
  TDataSet* FDataSet = nullptr;
  bool FWorkWhileDesigning = false;
  bool FHooked = false;
  bool FExternalRecalc = false;
  std::string FFilter;
  bool FFiltered = false;
  TDataSet* FMasterDataSet = nullptr;
  const TPropInfo* FMasterSourceInfo = nullptr;
  int FLastFoundIndex = -1;
  std::unique_ptr<TDBSumCollection> FSumItems;
  bool FInsertPending = false;
  bool FDeletePending = false;
  int FDeleteIndex = -1;
  std::vector<TBookmark> FRecordBookmarks;
  TDataSetNotifyEvent FSavedAfterCancel, FSavedAfterClose, FSavedAfterEdit, FSavedAfterInsert, FSavedAfterOpen,
      FSavedAfterPost, FSavedAfterScroll, FSavedBeforeDelete, FSavedAfterDelete, FSavedMasterAfterScroll;
  std::unique_ptr<TWatcher> FWatcher;
  // ---- grid footers: a subclass that leaves the data set's handlers alone (a designed grid) still
  // marks the events as taken over, so the aggregates are computed once the data set is open.
 protected:
  void SetHooked(bool Value) { FHooked = Value; }
};

// Fixed-point helpers shared with the grid's footers: a float as ten-thousandths (its exact product with
// 10000 rounded half to even; a value beyond the fixed-point range counts as its nearest limit, not a
// number as 0) and a division rounded the same way.
Currency SumValueOf(double Value);
Currency DivideSum(Currency Sum, int Count);
// An exact total (wider than the fixed point) as an aggregate: clamped to the fixed-point range; and
// divided by a count of values, rounded half to even (no values: 0).
Currency ClampTotal(__int128 Total);
Currency AverageOfTotal(__int128 Total, int Count);
