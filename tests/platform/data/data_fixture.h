#pragma once
// Shared pieces of the data-access tests: a people table in an in-memory data set, and a data link that
// records every notification it gets with the link's buffer position at that moment.

#include <memory>
#include <string>
#include <vector>

#include "platform/data/db.h"
#include "platform/data/memdataset.h"

// ID integer (required), Name string(20), Amount float, Born date, Active boolean.
inline std::unique_ptr<TMemDataSet> MakePeople(const std::vector<std::string>& Names, TComponent* Owner = nullptr) {
  auto ds = std::make_unique<TMemDataSet>(Owner);
  ds->SetName("People");
  ds->AddField("ID", ftInteger, 0, true);
  ds->AddField("Name", ftString, 20);
  ds->AddField("Amount", ftFloat);
  ds->AddField("Born", ftDate);
  ds->AddField("Active", ftBoolean);
  ds->Open();
  int id = 1;
  for (const std::string& n : Names) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(id);
    ds->FieldByName("Name")->SetAsString(n);
    ds->FieldByName("Amount")->SetAsFloat(id * 1.5);
    ds->FieldByName("Born")->SetAsDateTime(EncodeDate(2000, 1, id % 28 + 1));
    ds->FieldByName("Active")->SetAsBoolean(id % 2 == 1);
    ds->Post();
    ++id;
  }
  ds->First();
  return ds;
}

inline std::vector<std::string> NumberedNames(int Count) {
  std::vector<std::string> r;
  for (int i = 1; i <= Count; ++i) r.push_back("N" + std::to_string(i));
  return r;
}

// Every notification as "Name(args) a=<ActiveRecord> n=<RecordCount>".
class TRecordingLink : public TDataLink {
 public:
  std::vector<std::string> Log;
  bool WithPosition = true;

  void Clear() { Log.clear(); }

 protected:
  void Add(const std::string& S) {
    Log.push_back(WithPosition && Active()
                      ? S + " a=" + std::to_string(ActiveRecord()) + " n=" + std::to_string(RecordCount())
                      : S);
  }
  void ActiveChanged() override { Add(Active() ? "ActiveChanged(on)" : "ActiveChanged(off)"); }
  void CheckBrowseMode() override { Add("CheckBrowseMode"); }
  void DataSetChanged() override { Add("DataSetChanged"); }
  void DataSetScrolled(int Distance) override { Add("DataSetScrolled(" + std::to_string(Distance) + ")"); }
  void EditingChanged() override { Add(Editing() ? "EditingChanged(on)" : "EditingChanged(off)"); }
  void FocusControl(TField*& Field) override { Add("FocusControl(" + (Field ? Field->FieldName() : "") + ")"); }
  void LayoutChanged() override { Add("LayoutChanged"); }
  void RecordChanged(TField* Field) override { Add("RecordChanged(" + (Field ? Field->FieldName() : "nil") + ")"); }
  void UpdateData() override { Add("UpdateData"); }
};

// The names of all records from the current position to the end.
inline std::vector<std::string> NamesFromHere(TDataSet& DS) {
  std::vector<std::string> r;
  while (!DS.Eof()) {
    r.push_back(DS.FieldByName("Name")->AsString());
    DS.Next();
  }
  return r;
}

inline std::vector<std::string> AllNames(TDataSet& DS) {
  DS.First();
  return NamesFromHere(DS);
}
