// The sum list producer over a real in-memory data set: after every step (insert, edit, delete, cancel,
// filter, master scroll) its aggregates must equal those recomputed from scratch, and it must hand the
// data set's events back exactly, also when the data set goes first.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "dataedit/DBSumLst.h"
#include "platform/data/memdataset.h"

namespace {

// A data set whose delete can be made to fail in storage, after every event before it has run.
class TFailingDataSet : public TMemDataSet {
 public:
  using TMemDataSet::TMemDataSet;
  bool FailDelete = false;

 protected:
  void InternalDelete() override {
    if (FailDelete) DatabaseError("Delete refused", this);
    TMemDataSet::InternalDelete();
  }
};

struct TExpected {
  int64_t Sum = 0, AvgSum = 0, AvgCount = 0, CountQty = 0, CountAll = 0;
  Currency Avg() const { return DivideSum(Currency::FromRaw(AvgSum), static_cast<int>(AvgCount)); }
};

// Sums from scratch: a walk over the records the data set shows now, leaving the cursor where it was.
TExpected Scratch(TDataSet* D) {
  TExpected E;
  const TBookmark B = D->Bookmark();
  D->DisableControls();
  for (D->First(); !D->Eof(); D->Next()) {
    TField* A = D->FieldByName("Amount");
    TField* Q = D->FieldByName("Qty");
    if (!A->IsNull()) E.Sum += SumValueOf(A->AsFloat()).Value;
    if (!Q->IsNull()) {
      E.AvgSum += SumValueOf(Q->AsFloat()).Value;
      ++E.AvgCount;
      E.CountQty += 10000;
    }
    E.CountAll += 10000;
  }
  if (!B.empty() && D->BookmarkValid(B)) D->GotoBookmark(B);
  D->EnableControls();
  return E;
}

class SumListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DS = std::make_unique<TFailingDataSet>(nullptr);
    DS->SetName("Orders");
    DS->AddField("ID", ftInteger);
    DS->AddField("Master", ftInteger);
    DS->AddField("Amount", ftFloat);
    DS->AddField("Qty", ftInteger);
    DS->Open();
    for (int I = 1; I <= 20; ++I) {
      DS->Append();
      DS->FieldByName("ID")->SetAsInteger(I);
      DS->FieldByName("Master")->SetAsInteger(I % 3);
      DS->FieldByName("Amount")->SetAsFloat(I * 1.25);
      if (I % 4 != 0) DS->FieldByName("Qty")->SetAsInteger(I);
      DS->Post();
    }
    DS->First();
  }
  TDBSum* AddSum(TGroupOperation Op, const std::string& Field) {
    auto* S = static_cast<TDBSum*>(P->SumCollection()->Add());
    S->SetGroupOperation(Op);
    S->SetFieldName(Field);
    return S;
  }
  void MakeProducer() {
    P = std::make_unique<TDBSumListProducer>(nullptr);
    P->SumListChanged = [this](TObject*) { ++Changes; };
    Sum = AddSum(goSum, "Amount");
    Avg = AddSum(goAvg, "Qty");
    CountQty = AddSum(goCount, "Qty");
    CountAll = AddSum(goCount, "");
    P->SetDataSet(DS.get());
  }
  void ExpectFromScratch(const char* Step) {
    SCOPED_TRACE(Step);
    ASSERT_EQ(DS->State(), dsBrowse);
    const TExpected E = Scratch(DS.get());
    EXPECT_EQ(Sum->AggregateValue().Value, E.Sum);
    EXPECT_EQ(Avg->AggregateValue(), E.Avg());
    EXPECT_EQ(Avg->NotNullCount(), E.AvgCount);
    EXPECT_EQ(Avg->SumForAverage().Value, E.AvgSum);
    EXPECT_EQ(CountQty->AggregateValue().Value, E.CountQty);
    EXPECT_EQ(CountAll->AggregateValue().Value, E.CountAll);
  }
  void SetValues(std::optional<double> Amount, std::optional<int> Qty) {
    if (Amount) DS->FieldByName("Amount")->SetAsFloat(*Amount);
    else DS->FieldByName("Amount")->Clear();
    if (Qty) DS->FieldByName("Qty")->SetAsInteger(*Qty);
    else DS->FieldByName("Qty")->Clear();
  }

  std::unique_ptr<TFailingDataSet> DS;
  std::unique_ptr<TDBSumListProducer> P;
  TDBSum *Sum = nullptr, *Avg = nullptr, *CountQty = nullptr, *CountAll = nullptr;
  int Changes = 0;
};

TEST_F(SumListTest, EveryEditingStepMatchesARecomputationFromScratch) {
  MakeProducer();
  ASSERT_TRUE(P->Hooked());
  ExpectFromScratch("open");
  EXPECT_EQ(CountAll->AggregateValue(), Currency::FromInt(20));
  EXPECT_EQ(CountQty->AggregateValue(), Currency::FromInt(15));

  DS->MoveBy(4);
  DS->Edit();
  SetValues(1000.5, 7);
  DS->Post();
  ExpectFromScratch("edit");

  DS->Edit();
  SetValues(std::nullopt, std::nullopt);
  DS->Post();
  ExpectFromScratch("edit to null lowers the average's count");

  DS->Edit();
  SetValues(3.0, 9);
  DS->Post();
  ExpectFromScratch("edit from null raises it again");

  DS->Edit();
  SetValues(99.0, 99);
  DS->Cancel();
  ExpectFromScratch("cancelled edit");

  DS->Insert();
  SetValues(12.3456, 4);
  DS->Post();
  ExpectFromScratch("insert");

  DS->Append();
  SetValues(std::nullopt, std::nullopt);
  DS->Post();
  ExpectFromScratch("append of nulls");

  DS->Insert();
  SetValues(5.0, 5);
  DS->Cancel();
  ExpectFromScratch("cancelled insert");

  DS->First();
  DS->Delete();
  ExpectFromScratch("delete");

  DS->Edit();
  SetValues(500.0, std::nullopt);
  DS->Delete();  // deletes the record as it was stored, not as edited
  ExpectFromScratch("delete while editing");

  DS->Insert();
  SetValues(7.0, 7);
  DS->Delete();  // an unposted insert: nothing was added, nothing is taken away
  ExpectFromScratch("delete of an unposted insert");

  DS->FailDelete = true;
  EXPECT_THROW(DS->Delete(), EDatabaseError);
  DS->FailDelete = false;
  ExpectFromScratch("failed delete");

  DS->SetFilter("Amount > 10");
  DS->SetFiltered(true);
  DS->Next();
  ExpectFromScratch("filtered");
  DS->SetFilter("Amount > 20");
  DS->Next();
  ExpectFromScratch("filter text changed while filtered");
  DS->SetFiltered(false);
  DS->Next();
  ExpectFromScratch("unfiltered");

  DS->Close();
  EXPECT_EQ(CountAll->AggregateValue(), Currency());
  DS->Open();
  ExpectFromScratch("reopened");
}

TEST_F(SumListTest, InsertedRecordWithADefaultValueCountsOnce) {
  DS->OnNewRecord = [](TDataSet* D) { D->FieldByName("Qty")->SetAsInteger(5); };
  MakeProducer();
  DS->Insert();
  DS->FieldByName("Amount")->SetAsFloat(1);
  DS->Post();
  ExpectFromScratch("insert with a default");
  EXPECT_EQ(CountQty->AggregateValue(), Currency::FromInt(16));
}

TEST_F(SumListTest, FixedPointValuesAndEmptyAverages) {
  MakeProducer();
  DS->First();
  DS->Edit();
  DS->FieldByName("Amount")->SetAsFloat(1.23456);
  DS->Post();
  const int64_t Before = Sum->AggregateValue().Value;
  DS->Edit();
  DS->FieldByName("Amount")->SetAsFloat(2.23456);
  DS->Post();
  EXPECT_EQ(Sum->AggregateValue().Value - Before, 10000);  // 1.2346 -> 2.2346
  ExpectFromScratch("four decimals");
  EXPECT_EQ(DivideSum(Currency::FromRaw(5), 2).Value, 2);   // 2.5 -> 2
  EXPECT_EQ(DivideSum(Currency::FromRaw(7), 2).Value, 4);   // 3.5 -> 4
  EXPECT_EQ(DivideSum(Currency::FromRaw(-7), 2).Value, -4);
  EXPECT_EQ(DivideSum(Currency::FromRaw(10), 0).Value, 0);

  // An average over nothing but nulls is 0.
  for (DS->First(); !DS->Eof(); DS->Next()) {
    DS->Edit();
    DS->FieldByName("Qty")->Clear();
    DS->Post();
  }
  EXPECT_EQ(Avg->AggregateValue(), Currency());
  EXPECT_EQ(Avg->NotNullCount(), 0);
  ExpectFromScratch("all null");
}

TEST_F(SumListTest, RecomputationEndsOnTheFirstRecordAndScrollingAloneNeverRecomputes) {
  MakeProducer();
  int Recalcs = 0;
  P->OnRecalcAll = [&](TObject*) { ++Recalcs; };
  DS->Last();
  P->RecomputeAll();
  EXPECT_EQ(Recalcs, 1);
  EXPECT_EQ(DS->FieldByName("ID")->AsInteger(), 1);
  for (int I = 0; I < 5; ++I) DS->Next();
  DS->Last();
  EXPECT_EQ(Recalcs, 1);
}

TEST_F(SumListTest, AWalkThatRaisesLeavesTheControlsEnabled) {
  MakeProducer();
  EXPECT_THROW(AddSum(goSum, "NoSuchField"), EDatabaseError);
  EXPECT_FALSE(DS->ControlsDisabled());
  EXPECT_FALSE(P->Recomputing());
}

TEST_F(SumListTest, MasterScrollRecomputesTheDetailsSums) {
  TMemDataSet M(nullptr);
  M.AddField("Master", ftInteger);
  M.Open();
  for (int I = 0; I < 3; ++I) {
    M.Append();
    M.FieldByName("Master")->SetAsInteger(I);
    M.Post();
  }
  M.First();
  TDataSource Source(nullptr);
  Source.SetDataSet(&M);
  DS->SetMasterSource(&Source);
  DS->SetMasterFields("Master");
  MakeProducer();
  EXPECT_EQ(P->MasterDataSet(), &M);
  ExpectFromScratch("first master");
  M.Next();
  ExpectFromScratch("second master");
  M.Next();
  ExpectFromScratch("third master");
  DS->Insert();
  SetValues(4.5, 1);
  DS->FieldByName("Master")->SetAsInteger(2);
  DS->Post();
  ExpectFromScratch("insert into a detail");
  P.reset();
  DS->SetMasterSource(nullptr);
}

TEST_F(SumListTest, HandlersAreChainedAndHandedBackExactly) {
  std::vector<std::string> Calls;
  DS->AfterPost = [&](TDataSet*) { Calls.push_back("post"); };
  DS->AfterScroll = [&](TDataSet*) { Calls.push_back("scroll"); };
  DS->BeforeDelete = [&](TDataSet*) { Calls.push_back("before delete"); };
  DS->AfterCancel = [&](TDataSet*) { Calls.push_back("cancel"); };
  MakeProducer();
  DS->First();
  Calls.clear();  // the recomputation's walk scrolled through the chained handler too
  DS->Next();
  DS->Edit();
  SetValues(1.0, 1);
  DS->Post();
  EXPECT_EQ(Calls, (std::vector<std::string>{"scroll", "post"}));
  ExpectFromScratch("chained");

  P->SetActive(false);
  EXPECT_FALSE(P->Hooked());
  EXPECT_EQ(CountAll->AggregateValue(), Currency());
  Calls.clear();
  DS->Edit();
  SetValues(2.0, 2);
  DS->Post();
  DS->Next();
  EXPECT_EQ(Calls, (std::vector<std::string>{"post", "scroll"}));
  EXPECT_EQ(CountAll->AggregateValue(), Currency());  // nothing of the producer runs any more
  EXPECT_FALSE(DS->AfterEdit);  // empty before, empty again
  EXPECT_FALSE(DS->AfterDelete);

  P->SetActive(true);
  ExpectFromScratch("switched on again");
  P.reset();  // destroying the producer hands the handlers back too
  Calls.clear();
  DS->Edit();
  DS->Post();
  EXPECT_EQ(Calls, (std::vector<std::string>{"post"}));
}

TEST_F(SumListTest, DataSetDestroyedFirstLeavesNothingBehind) {
  TMemDataSet M(nullptr);
  M.AddField("Master", ftInteger);
  M.Open();
  M.Append();
  M.FieldByName("Master")->SetAsInteger(1);
  M.Post();
  int MasterScrolls = 0;
  M.AfterScroll = [&](TDataSet*) { ++MasterScrolls; };
  TDataSource Source(nullptr);
  Source.SetDataSet(&M);
  DS->SetMasterSource(&Source);
  DS->SetMasterFields("Master");
  MakeProducer();
  ASSERT_EQ(P->MasterDataSet(), &M);
  DS.reset();  // the detail goes first
  EXPECT_EQ(P->DataSet(), nullptr);
  EXPECT_FALSE(P->Hooked());
  M.First();  // the master has its own handler back, nothing of the producer
  EXPECT_EQ(MasterScrolls, 1);
  P.reset();
  M.First();
  EXPECT_EQ(MasterScrolls, 2);
}

TEST_F(SumListTest, MasterDestroyedFirstIsForgotten) {
  auto M = std::make_unique<TMemDataSet>(nullptr);
  M->AddField("Master", ftInteger);
  M->Open();
  TDataSource Source(nullptr);
  Source.SetDataSet(M.get());
  DS->SetMasterSource(&Source);
  MakeProducer();
  ASSERT_EQ(P->MasterDataSet(), M.get());
  M.reset();
  EXPECT_EQ(P->MasterDataSet(), nullptr);
  P->SetActive(false);  // unhooking writes nothing into the freed master
  EXPECT_FALSE(DS->AfterEdit);
  DS->SetMasterSource(nullptr);
}

TEST_F(SumListTest, VirtualRecordNumbersFollowInsertsDeletesAndCancels) {
  DS->SetSequenced(false);
  MakeProducer();
  P->SetVirtualRecords(true);
  EXPECT_TRUE(P->RecordsSequenced());
  auto ExpectListMatchesWalk = [&](const char* Step) {
    SCOPED_TRACE(Step);
    std::vector<TBookmark> Walk;
    const TBookmark B = DS->Bookmark();
    for (DS->First(); !DS->Eof(); DS->Next()) Walk.push_back(DS->Bookmark());
    DS->GotoBookmark(B);
    EXPECT_EQ(P->RecordBookmarks(), Walk);
    EXPECT_EQ(P->GetVirtualRecordCount(), static_cast<int>(Walk.size()));
  };
  ExpectListMatchesWalk("open");
  EXPECT_EQ(P->GetVirtualRecordCount(), 20);

  P->SetVirtualRecNo(5);
  EXPECT_EQ(DS->FieldByName("ID")->AsInteger(), 5);
  EXPECT_EQ(P->GetVirtualRecNo(), 5);
  P->SetVirtualRecNo(0);
  P->SetVirtualRecNo(21);  // outside: stays where it was
  EXPECT_EQ(P->GetVirtualRecNo(), 5);

  DS->Insert();
  SetValues(1, 1);
  DS->Post();
  ExpectListMatchesWalk("insert in the middle");
  EXPECT_EQ(P->GetVirtualRecNo(), 5);

  DS->Insert();
  DS->Cancel();
  ExpectListMatchesWalk("cancelled insert");

  DS->Last();
  DS->Delete();
  ExpectListMatchesWalk("delete of the last");
  P->SetVirtualRecNo(3);
  DS->Delete();
  ExpectListMatchesWalk("delete in the middle");
  ExpectFromScratch("sums alongside");
}

TEST(DBSumCollection, FindSumIgnoresCaseAndMatchesTheOperation) {
  TDBSumListProducer P(nullptr);
  auto* A = static_cast<TDBSum*>(P.SumCollection()->Add());
  A->SetFieldName("Amount");
  auto* B = static_cast<TDBSum*>(P.SumCollection()->Add());
  B->SetFieldName("amount");
  B->SetGroupOperation(goAvg);
  EXPECT_EQ(P.SumCollection()->FindSum(goSum, "AMOUNT"), A);
  EXPECT_EQ(P.SumCollection()->FindSum(goAvg, "Amount"), B);
  EXPECT_EQ(P.SumCollection()->FindSum(goCount, "Amount"), nullptr);
}

}  // namespace

namespace {

// Totals beyond the fixed-point range neither wrap nor raise: the aggregate shows the range's end while
// the exact total is out of it, and taking records back away returns to the exact value. A record
// holding more than the range counts as the range's end.
TEST_F(SumListTest, TotalsBeyondTheFixedPointRangeAreClampedAndComeBack) {
  MakeProducer();
  const int64_t Max = std::numeric_limits<int64_t>::max(), Min = std::numeric_limits<int64_t>::min();
  const double Big = 4e14;  // three of them pass the range (about 9.22e14)
  auto SetAmount = [&](double V) {
    DS->Edit();
    DS->FieldByName("Amount")->SetAsFloat(V);
    DS->Post();
  };
  struct Step {
    int Record;
    double Amount;
    int64_t Sum;  // the expected aggregate, raw
  };
  for (int I = 1; I <= 3; ++I) {
    DS->SetRecNo(I);
    SetAmount(0);
  }
  const int64_t Rest = Sum->AggregateValue().Value;  // records 4 to 20
  const int64_t Four = 4000000000000000000;          // 4e14 in ten-thousandths
  const Step Steps[] = {
      {1, Big, Rest + Four},
      {2, Big, Rest + 2 * Four},
      {3, Big, Max},                // 1.2e15 in all: past the range
      {3, -Big, Rest + Four},       // back in it, exactly
      {1, -Big, Rest - Four},
      {2, -Big, Min},
      {2, 0, Rest - 2 * Four},
      {3, 1e300, Max - Four + Rest},  // a value beyond the range counts as its end, no exception
      {3, 0, Rest - Four},
  };
  for (const Step& S : Steps) {
    DS->SetRecNo(S.Record);
    EXPECT_NO_THROW(SetAmount(S.Amount)) << S.Record << " " << S.Amount;
    EXPECT_EQ(Sum->AggregateValue().Value, S.Sum) << S.Record << " " << S.Amount;
  }
  // Deleting the record with -4e14 returns the sum to the rest exactly.
  DS->SetRecNo(1);
  DS->Delete();
  EXPECT_EQ(Sum->AggregateValue().Value, Rest);
  ExpectFromScratch("back in range");
  // A full walk over totals beyond the range clamps the same, and averages stay exact.
  for (int I = 1; I <= 3; ++I) {
    DS->SetRecNo(I);
    DS->Edit();
    DS->FieldByName("Amount")->SetAsFloat(Big);
    DS->FieldByName("Qty")->SetAsInteger(1);
    DS->Post();
  }
  auto* A = AddSum(goAvg, "Amount");
  P->RecomputeAll();
  EXPECT_EQ(Sum->AggregateValue().Value, Max);
  int64_t AvgRaw = A->AggregateValue().Value;
  EXPECT_GT(AvgRaw, 0);
  EXPECT_EQ(A->SumForAverage().Value, Max);
  // The exact average of all 19 amounts (three of 4e14, the rest small).
  double Total = 0;
  for (DS->First(); !DS->Eof(); DS->Next()) Total += DS->FieldByName("Amount")->AsFloat();
  EXPECT_NEAR(static_cast<double>(AvgRaw) / 1e4, Total / 19, 0.01);
}

// A value as ten-thousandths, from its exact decimal expansion (every double is a finite binary
// fraction, which the C library prints exactly): the digits up to the fourth place, rounded by the
// digits after it, exactly half to even.
int64_t ExactTenThousandths(double V) {
  // A double of at least 2^-30 has at most 82 binary, so decimal, places; smaller ones up to 1074.
  char Buf[1600];
  std::snprintf(Buf, sizeof Buf, "%.*f", std::fabs(V) >= 1e-9 ? 90 : 1100, std::fabs(V));
  const std::string S = Buf;
  const size_t Point = S.find('.');
  const std::string Kept = S.substr(0, Point) + S.substr(Point + 1, 4), Rest = S.substr(Point + 5);
  int64_t N = std::stoll(Kept);
  const bool AboveHalf = Rest[0] > '5' || (Rest[0] == '5' && Rest.find_first_not_of('0', 1) != std::string::npos);
  const bool Half = Rest[0] == '5' && !AboveHalf;
  if (AboveHalf || (Half && (N & 1) != 0)) ++N;
  return V < 0 ? -N : N;
}

// Each value counts as its exact product with 10000, rounded half to even: 0.12345 is a little above
// 0.12345 (0.123450000000000004...), so no tie, and 0.00015 a little below (0.000149999999999999986...);
// only values whose product is exactly half an integer (1/32 gives 312.5) are ties.
TEST(SumValueOf, RoundsTheExactProductWithTenThousandHalfToEven) {
  const struct {
    double Value;
    int64_t Raw;
  } Hand[] = {{0.00005, 1},    {-0.00005, -1},  {0.12345, 1235},  {-0.12345, -1235}, {0.03125, 312},
              {0.09375, 938},  {-0.03125, -312}, {1.23455, 12346}, {1.23456, 12346},  {0.00015, 1},
              {2.5e-5, 0},     {0.0, 0},        {1e-300, 0},      {5e14, 5000000000000000000}};
  for (const auto& H : Hand) EXPECT_EQ(SumValueOf(H.Value).Value, H.Raw) << H.Value;
  for (double V : {12345.67895, 1e9 + 0.00005, 123456789012.34565, -7.77777777, 0.1 + 0.2, 0.00025, 2.00005})
    EXPECT_EQ(SumValueOf(V).Value, ExactTenThousandths(V)) << V;
  for (int I = -200000; I <= 200000; I += 7) {
    const double V = I / 100000.0 + I * 1e-9;
    ASSERT_EQ(SumValueOf(V).Value, ExactTenThousandths(V)) << V;
    const double W = I / 20000.0;  // products near a half
    ASSERT_EQ(SumValueOf(W).Value, ExactTenThousandths(W)) << W;
  }
}

// The average divides the exact total by the count, half to even: 5 / 2 gives 2, -5 / 2 gives -2.
TEST(AverageOfTotal, DividesHalfToEven) {
  const struct {
    int64_t Total;
    int Count;
    int64_t Raw;
  } Cases[] = {{5, 2, 2}, {-5, 2, -2}, {7, 2, 4}, {-7, 2, -4}, {3, 2, 2}, {-3, 2, -2}, {10, 4, 2},
               {14, 4, 4}, {1, 3, 0}, {2, 3, 1}, {-2, 3, -1}, {9, 0, 0}, {0, 5, 0}};
  for (const auto& C : Cases)
    EXPECT_EQ(AverageOfTotal(C.Total, C.Count).Value, C.Raw) << C.Total << " / " << C.Count;
}

// The sums a program reads: a producer over a data set, through posting and through a whole
// recomputation.
TEST(SumListRounding, SumsAndAveragesOfValuesThatAreNoTies) {
  TMemDataSet D(nullptr);
  D.AddField("Amount", ftFloat);
  D.Open();
  for (int I = 0; I < 2; ++I) {
    D.Append();
    D.FieldByName("Amount")->Clear();
    D.Post();
  }
  TDBSumListProducer P(nullptr);
  auto* Sum = static_cast<TDBSum*>(P.SumCollection()->Add());
  Sum->SetFieldName("Amount");
  auto* Avg = static_cast<TDBSum*>(P.SumCollection()->Add());
  Avg->SetGroupOperation(goAvg);
  Avg->SetFieldName("Amount");
  P.SetDataSet(&D);
  const struct {
    double First, Second;
    int64_t Sum, Avg;  // worked from each value times 10000, rounded
  } Cases[] = {
      {0.00005, 0, 1, 0},           // 0.5000000000000000239... -> 1; the average 1 / 2 = 0.5 -> 0
      {0.12345, 0, 1235, 618},      // 1234.5000000000000417... -> 1235; 1235 / 2 = 617.5 -> 618
      {0.00005, 0.12345, 1236, 618},
      {0.0002, 0.0003, 5, 2},       // 2 and 3 (2.0000000000000000958, 2.9999999999999997372): 5 / 2 -> 2
      {-0.0002, -0.0003, -5, -2},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.First);
    D.First();
    D.Edit();
    D.FieldByName("Amount")->SetAsFloat(C.First);
    D.Post();
    D.Next();
    D.Edit();
    D.FieldByName("Amount")->SetAsFloat(C.Second);
    D.Post();
    EXPECT_EQ(Sum->AggregateValue().Value, C.Sum) << "after posting";
    EXPECT_EQ(Avg->AggregateValue().Value, C.Avg) << "after posting";
    P.SetActive(false);
    P.SetActive(true);
    EXPECT_EQ(Sum->AggregateValue().Value, C.Sum) << "recomputed";
    EXPECT_EQ(Avg->AggregateValue().Value, C.Avg) << "recomputed";
  }
}

}  // namespace
