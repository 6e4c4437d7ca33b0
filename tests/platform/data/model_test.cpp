// Random walks of navigation and editing checked against a plain list: the current record, record
// numbers, and every record of a link's window of buffers must agree with the list after each step.
#include <gtest/gtest.h>

#include <random>

#include "tests/platform/data/data_fixture.h"

namespace {

TEST(DataSetModel, BuffersAgreeWithAPlainListThroughRandomOperations) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto ds = MakePeople(NumberedNames(static_cast<int>(seed % 4) * 3));
    std::vector<int> model;
    for (int i = 1; i <= static_cast<int>(seed % 4) * 3; ++i) model.push_back(i);
    int cur = 0, nextId = 1000;
    TDataSource src(nullptr);
    src.SetDataSet(ds.get());
    TRecordingLink link;
    link.WithPosition = false;
    link.SetBufferCount(1 + static_cast<int>(seed % 5));
    link.SetDataSource(&src);
    TField* id = ds->FieldByName("ID");
    for (int step = 0; step < 400; ++step) {
      int n = static_cast<int>(model.size());
      int op = static_cast<int>(rng() % 12);
      std::string what;
      switch (op) {
        case 0: what = "Next"; ds->Next(); if (cur < n - 1) ++cur; break;
        case 1: what = "Prior"; ds->Prior(); if (cur > 0) --cur; break;
        case 2: what = "First"; ds->First(); cur = 0; break;
        case 3: what = "Last"; ds->Last(); cur = n > 0 ? n - 1 : 0; break;
        case 4: {
          int d = static_cast<int>(rng() % 9) - 4;
          what = "MoveBy " + std::to_string(d);
          int moved = ds->MoveBy(d);
          int target = n == 0 ? 0 : std::clamp(cur + d, 0, n - 1);
          EXPECT_EQ(moved, n == 0 ? 0 : target - cur);
          cur = target;
          break;
        }
        case 5: {
          what = "Insert";
          ds->Insert();
          id->SetAsInteger(nextId);
          ds->Post();
          model.insert(model.begin() + (n == 0 ? 0 : cur), nextId++);
          break;
        }
        case 6: {
          what = "Append";
          ds->Append();
          id->SetAsInteger(nextId);
          ds->Post();
          model.push_back(nextId++);
          cur = static_cast<int>(model.size()) - 1;
          break;
        }
        case 7:
          what = "Delete";
          if (n == 0) break;
          ds->Delete();
          model.erase(model.begin() + cur);
          if (cur >= static_cast<int>(model.size())) cur = std::max(0, static_cast<int>(model.size()) - 1);
          break;
        case 8:
          what = "Locate";
          if (n == 0) break;
          cur = static_cast<int>(rng() % n);
          EXPECT_TRUE(ds->Locate("ID", model[cur], {}));
          break;
        case 9:
          what = "RecNo";
          if (n == 0) break;
          cur = static_cast<int>(rng() % n);
          ds->SetRecNo(cur + 1);
          break;
        case 10:
          what = "BufferCount";
          link.SetBufferCount(1 + static_cast<int>(rng() % 7));
          break;
        case 11:
          what = "Edit+Cancel";
          if (n == 0) break;
          ds->Edit();
          ds->FieldByName("Name")->SetAsString("tmp");
          ds->Cancel();
          break;
      }
      SCOPED_TRACE("step " + std::to_string(step) + " " + what);
      n = static_cast<int>(model.size());
      ASSERT_EQ(ds->RecordCount(), n);
      ASSERT_EQ(ds->IsEmpty(), n == 0);
      if (n == 0) continue;
      ASSERT_EQ(id->AsInteger(), model[cur]);
      ASSERT_EQ(ds->RecNo(), cur + 1);
      int a = link.ActiveRecord(), count = link.RecordCount();
      ASSERT_GE(a, 0);
      ASSERT_LT(a, count);
      ASSERT_LE(count, link.BufferCount());
      ASSERT_EQ(count, std::min(n, link.BufferCount()));
      for (int i = 0; i < count; ++i) {
        link.SetActiveRecord(i);
        ASSERT_EQ(id->AsInteger(), model[cur - a + i]) << "buffer " << i;
      }
      link.SetActiveRecord(a);
    }
  }
}

}  // namespace

namespace {

// The same with an index on Name and a filter on Active: posted records take their sorted place or leave
// the view, and the cursor goes where the list says.
TEST(DataSetModel, SortedAndFilteredViewsAgreeWithAPlainList) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed * 7919);
    auto ds = MakePeople({});
    ds->SetIndexFieldNames("Name");
    ds->SetFilter("Active");
    ds->SetFiltered(true);
    TDataSource src(nullptr);
    src.SetDataSet(ds.get());
    TRecordingLink link;
    link.WithPosition = false;
    link.SetBufferCount(1 + static_cast<int>(seed % 4));
    link.SetDataSource(&src);
    std::vector<std::string> model;  // visible names, sorted
    int cur = 0, serial = 0;
    auto newName = [&] {
      std::string s;
      for (int i = 0; i < 3; ++i) s += static_cast<char>('a' + rng() % 26);
      return s + std::to_string(serial++);  // unique
    };
    auto placeOf = [&](const std::string& name) {
      return static_cast<int>(std::upper_bound(model.begin(), model.end(), name) - model.begin());
    };
    TField* name = ds->FieldByName("Name");
    for (int step = 0; step < 300; ++step) {
      int n = static_cast<int>(model.size());
      int op = static_cast<int>(rng() % 8);
      std::string what;
      switch (op) {
        case 0: what = "Next"; ds->Next(); if (cur < n - 1) ++cur; break;
        case 1: what = "Prior"; ds->Prior(); if (cur > 0) --cur; break;
        case 2: what = "Last"; ds->Last(); cur = n > 0 ? n - 1 : 0; break;
        case 3:
        case 4: {
          bool visible = rng() % 4 != 0;
          std::string nm = newName();
          what = std::string(op == 3 ? "Append " : "Insert ") + nm + (visible ? "" : " hidden");
          if (op == 3) ds->Append();
          else ds->Insert();
          ds->FieldByName("ID")->SetAsInteger(serial);
          name->SetAsString(nm);
          ds->FieldByName("Active")->SetAsBoolean(visible);
          ds->Post();
          int pos = placeOf(nm);
          if (visible) {
            model.insert(model.begin() + pos, nm);
            cur = pos;
          } else {
            cur = pos < n ? pos : std::max(0, n - 1);
          }
          break;
        }
        case 5: {
          what = "Rename";
          if (n == 0) break;
          std::string nm = newName();
          ds->Edit();
          name->SetAsString(nm);
          ds->Post();
          model.erase(model.begin() + cur);
          cur = placeOf(nm);
          model.insert(model.begin() + cur, nm);
          break;
        }
        case 6:
          what = "Hide";
          if (n == 0) break;
          ds->Edit();
          ds->FieldByName("Active")->SetAsBoolean(false);
          ds->Post();
          model.erase(model.begin() + cur);
          if (cur >= static_cast<int>(model.size())) cur = std::max(0, static_cast<int>(model.size()) - 1);
          break;
        case 7:
          what = "Delete";
          if (n == 0) break;
          ds->Delete();
          model.erase(model.begin() + cur);
          if (cur >= static_cast<int>(model.size())) cur = std::max(0, static_cast<int>(model.size()) - 1);
          break;
      }
      SCOPED_TRACE("step " + std::to_string(step) + " " + what);
      n = static_cast<int>(model.size());
      ASSERT_EQ(ds->RecordCount(), n);
      if (n == 0) continue;
      ASSERT_EQ(name->AsString(), model[cur]);
      ASSERT_EQ(ds->RecNo(), cur + 1);
      int a = link.ActiveRecord(), count = link.RecordCount();
      ASSERT_EQ(count, std::min(n, link.BufferCount()));
      for (int i = 0; i < count; ++i) {
        link.SetActiveRecord(i);
        ASSERT_EQ(name->AsString(), model[cur - a + i]) << "buffer " << i;
      }
      link.SetActiveRecord(a);
    }
    // A fresh sort of everything gives the same order.
    ds->Refresh();
    std::vector<std::string> all;
    for (ds->First(); !ds->Eof(); ds->Next()) all.push_back(name->AsString());
    EXPECT_EQ(all, model);
  }
}

}  // namespace
