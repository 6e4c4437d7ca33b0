// The data-set actions: which data source they take, what each runs and when each is enabled.
#include "platform/dbactns/dbactns.h"

void TDataSetAction::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  if (FDataSource) FDataSource->RemoveFreeNotification(this);
  FDataSource = Value;
  if (Value) Value->FreeNotification(this);
}

void TDataSetAction::Notification(TComponent* AComponent, TOperation Operation) {
  TAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSource) FDataSource = nullptr;
}

bool TDataSetAction::HandlesTarget(TObject* Target) {
  auto* source = dynamic_cast<TDataSource*>(Target);
  if (!source || !source->DataSet()) return false;
  return !FDataSource || source == FDataSource;
}

TDataSet* TDataSetAction::GetDataSet(TObject* Target) const {
  auto* source = dynamic_cast<TDataSource*>(Target);
  return source ? source->DataSet() : nullptr;
}

namespace {

// The state the commands are enabled by.
bool Open(TDataSet* D) { return D && D->Active(); }
bool Editing(TDataSet* D) { return Open(D) && (D->State() == dsEdit || D->State() == dsInsert); }
bool Changeable(TDataSet* D) { return Open(D) && D->CanModify(); }

}  // namespace

#define DATASET_ACTION_BODY(Name, Caption, Run, Enable)                                                  \
  Name::Name(TComponent* AOwner) : TDataSetAction(AOwner) { SetCaption(Caption); }                       \
  void Name::ExecuteTarget(TObject* Target) {                                                            \
    if (TDataSet* D = GetDataSet(Target)) D->Run();                                                      \
  }                                                                                                      \
  void Name::UpdateTarget(TObject* Target) {                                                             \
    TDataSet* D = GetDataSet(Target);                                                                    \
    SetEnabled(Enable);                                                                                  \
  }

DATASET_ACTION_BODY(TDataSetFirst, "&First", First, Open(D) && !D->Bof())
DATASET_ACTION_BODY(TDataSetPrior, "&Prior", Prior, Open(D) && !D->Bof())
DATASET_ACTION_BODY(TDataSetNext, "&Next", Next, Open(D) && !D->Eof())
DATASET_ACTION_BODY(TDataSetLast, "&Last", Last, Open(D) && !D->Eof())
DATASET_ACTION_BODY(TDataSetInsert, "&Insert", Insert, Changeable(D) && !Editing(D))
DATASET_ACTION_BODY(TDataSetDelete, "&Delete", Delete, Changeable(D) && !D->IsEmpty())
DATASET_ACTION_BODY(TDataSetEdit, "&Edit", Edit, Changeable(D) && !Editing(D))
DATASET_ACTION_BODY(TDataSetPost, "P&ost", Post, Editing(D))
DATASET_ACTION_BODY(TDataSetCancel, "&Cancel", Cancel, Editing(D))
DATASET_ACTION_BODY(TDataSetRefresh, "&Refresh", Refresh, Open(D))
