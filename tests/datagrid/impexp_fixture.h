#pragma once
// A grid for export and import tests: customised columns with two-level titles over an in-memory data
// set with a lookup column, plus an exporter wrapper that gives the grid footer rows from a table.
//   ID integer | Name string(20) | Amount float | Born date | Code string(4) | CodeText lookup (Codes)
//   titles "Person|ID", "Person|Name", "Figures|Amount", "Figures|Born", "Code", "Code text"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXExport.h"
#include "platform/controls/controls.h"
#include "platform/data/memdataset.h"
#include "platform/win/testing.h"

class TImpExpHostX : public TCustomControl {
  DECLARE_CLASS(TImpExpHostX, TCustomControl)
  explicit TImpExpHostX(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

// Footer rows for an exporter, keyed by (exported column's field name, row).
template <typename Base>
class TFooterExport : public Base {
 public:
  int Rows = 0;
  std::map<std::pair<std::string, int>, TExportFooterX> Footers;
  int ExportFooterRowCount() override { return Rows; }
  bool GetExportFooter(TColumnX* Column, int Row, TExportFooterX& Footer) override {
    auto it = Footers.find({Column->FieldName(), Row});
    if (it == Footers.end()) return false;
    Footer = it->second;
    return true;
  }
};

struct ImpExpRecord {
  int id;
  const char* name;
  double amount;  // NaN: null
  int bornDay;
  const char* code;
};

class ImpExpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    owner = std::make_unique<TComponent>(nullptr);
    codes = new TMemDataSet(owner.get());
    codes->AddField("Key", ftString, 4);
    codes->AddField("Text", ftString, 20);
    codes->Open();
    const char* keys[][2] = {{"Y", "Yes"}, {"N", "No"}, {"?", "Unknown"}};
    for (auto& k : keys) {
      codes->Append();
      codes->FieldByName("Key")->SetAsString(k[0]);
      codes->FieldByName("Text")->SetAsString(k[1]);
      codes->Post();
    }
    ds = MakeDataSet();
    for (const auto& r : Records()) AddRecord(ds, r);
    ds->First();
    src = new TDataSource(owner.get());
    src->SetDataSet(ds);
    host = new TImpExpHostX(owner.get());
    host->SetBounds(50, 50, 700, 400);
    host->HandleNeeded();
    grid = MakeGrid(src);
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
  }

  static std::vector<ImpExpRecord> Records() {
    return {{1, "Ann", 1.25, 1, "Y"},
            {2, "say \"hi\"", std::nan(""), 2, "N"},
            {3, "{Cui}\\", 2.0, 3, "Y"},
            {4, "Dora;Tab", 10.5, 4, "?"},
            {5, "Émile 中", -3.75, 5, "N"}};
  }
  // Back to the five records, nothing selected, every operation allowed.
  void ResetData() {
    if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Cancel();
    grid->SelectedRows()->Clear();
    ds->First();
    while (!ds->IsEmpty()) ds->Delete();
    for (const auto& r : Records()) AddRecord(ds, r);
    ds->First();
    grid->SetAllowedOperations({geoInsert, geoUpdate, geoDelete, geoAppend});
  }
  // Field F of record R (1-based) as text.
  static std::string TextAt(TDataSet* d, int R, const char* F) {
    d->First();
    d->MoveBy(R - 1);
    return d->FieldByName(F)->AsString();
  }
  TMemDataSet* MakeDataSet() {
    auto* d = new TMemDataSet(owner.get());
    d->AddField("ID", ftInteger);
    d->AddField("Name", ftString, 20);
    d->AddField("Amount", ftFloat);
    d->AddField("Born", ftDate);
    d->AddField("Code", ftString, 4);
    d->AddLookupField("CodeText", ftString, "Code", codes, "Key", "Text", 20);
    d->Open();
    return d;
  }
  static void AddRecord(TMemDataSet* d, const ImpExpRecord& r) {
    d->Append();
    d->FieldByName("ID")->SetAsInteger(r.id);
    d->FieldByName("Name")->SetAsString(r.name);
    if (!std::isnan(r.amount)) d->FieldByName("Amount")->SetAsFloat(r.amount);
    d->FieldByName("Born")->SetAsDateTime(EncodeDate(2000, 1, r.bornDay));
    d->FieldByName("Code")->SetAsString(r.code);
    d->Post();
  }

  TDBGridX* MakeGrid(TDataSource* s) {
    auto* g = new TDBGridX(owner.get());
    g->SetBounds(0, 0, 680, 300);
    g->SetParent(host);
    const char* fields[][2] = {{"ID", "Person|ID"},         {"Name", "Person|Name"}, {"Amount", "Figures|Amount"},
                               {"Born", "Figures|Born"},    {"Code", "Code"},        {"CodeText", "Code text"}};
    const int widths[] = {40, 100, 64, 80, 48, 72};
    for (int i = 0; i < 6; ++i) {
      TColumnX* c = g->Columns()->Add();
      c->SetFieldName(fields[i][0]);
      c->Title()->SetCaption(fields[i][1]);
      c->SetWidth(widths[i]);
    }
    g->SetUseMultiTitle(true);
    g->SetDataSource(s);
    win::PumpMessages();
    return g;
  }

  TColumnX* Col(int I) { return grid->Columns()->Items(I); }
  static std::string GoldenPath(const std::string& name) { return std::string(DATAGRID_GOLDEN_DIR) + "/" + name; }
  // Compares with the checked-in file; TRESSORA_UPDATE_GOLDEN=1 rewrites it instead.
  static void ExpectGolden(const std::string& name, const std::string& bytes) {
    const std::string path = GoldenPath(name);
    if (const char* u = std::getenv("TRESSORA_UPDATE_GOLDEN"); u && std::string(u) == "1") {
      std::ofstream(path, std::ios::binary) << bytes;
      return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "missing golden file " << path;
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), bytes) << "export differs from " << path;
  }

  std::unique_ptr<TComponent> owner;
  TMemDataSet* codes = nullptr;
  TMemDataSet* ds = nullptr;
  TDataSource* src = nullptr;
  TImpExpHostX* host = nullptr;
  TDBGridX* grid = nullptr;
};
