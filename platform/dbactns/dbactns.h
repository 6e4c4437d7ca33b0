#pragma once
// The standard data-set actions: first, prior, next, last, insert, delete, edit, post, cancel and
// refresh, for menus and buttons that move through or change a data set.
//
// Such an action acts on a data source. With DataSource set it takes only that one; without, any data
// source with a data set. It finds the source through the action dispatch (actions.h): a data-aware
// control offers the action its data link's source, so the action reaches a data set through the
// controls showing it. Updating an action sets Enabled from the data set's state (first and prior off
// at its beginning, post and cancel only while a record is edited...).

#include "platform/controls/actions.h"
#include "platform/data/db.h"

class TDataSetAction : public TAction {
  DECLARE_CLASS(TDataSetAction, TAction)
  explicit TDataSetAction(TComponent* AOwner) : TAction(AOwner) {}
  // Not owned; forgotten when it is freed.
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  // A data source with a data set: the one set here, or any when none is.
  bool HandlesTarget(TObject* Target) override;
  // The data set of a target the action handles.
  TDataSet* GetDataSet(TObject* Target) const;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSource* FDataSource = nullptr;
};

// One class per command: ExecuteTarget runs it on the data set, UpdateTarget sets Enabled from it.
#define DATASET_ACTION(Name)                                                                             \
  class Name : public TDataSetAction {                                                                   \
    DECLARE_CLASS(Name, TDataSetAction)                                                                  \
    explicit Name(TComponent* AOwner);                                                                   \
    void ExecuteTarget(TObject* Target) override;                                                        \
    void UpdateTarget(TObject* Target) override;                                                         \
  };
DATASET_ACTION(TDataSetFirst)
DATASET_ACTION(TDataSetPrior)
DATASET_ACTION(TDataSetNext)
DATASET_ACTION(TDataSetLast)
DATASET_ACTION(TDataSetInsert)
DATASET_ACTION(TDataSetDelete)
DATASET_ACTION(TDataSetEdit)
DATASET_ACTION(TDataSetPost)
DATASET_ACTION(TDataSetCancel)
DATASET_ACTION(TDataSetRefresh)
#undef DATASET_ACTION
