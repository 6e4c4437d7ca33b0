#include "chart/ChartFunctions.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "chart/ChartConst.h"

// ---------------------------------------------------------------------------------------------------
// Functions

TChartFunction::TChartFunction(TComponent* AOwner) : TComponent(AOwner) {}

TChartFunction::~TChartFunction() {
  if (FParent) FParent->RemoveFreeNotification(this);
}

void TChartFunction::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartFunction*>(Source)) {
    FPeriod = s->FPeriod;
    FPeriodAlign = s->FPeriodAlign;
    FPeriodStyle = s->FPeriodStyle;
    return;
  }
  TComponent::Assign(Source);
}

void TChartFunction::SetPeriod(double Value) {
  // NaN is no period either (it compares false with everything and would later become a point count).
  if (!(Value >= 0)) throw ChartException(ChartMsgFunctionPeriodShouldBe0);
  if (Value == FPeriod) return;
  FPeriod = Value;
  ReCalculate();
}

void TChartFunction::SetPeriodAlign(TFunctionPeriodAlign Value) {
  if (Value == FPeriodAlign) return;
  FPeriodAlign = Value;
  ReCalculate();
}

void TChartFunction::SetPeriodStyle(TFunctionPeriodStyle Value) {
  if (Value == FPeriodStyle) return;
  FPeriodStyle = Value;
  ReCalculate();
}

void TChartFunction::SetParentSeries(TChartSeriesBase* Value) {
  if (Value == FParent) return;
  if (FParent) FParent->RemoveFreeNotification(this);
  FParent = Value;
  if (FParent) FParent->FreeNotification(this);
}

void TChartFunction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FParent) FParent = nullptr;
}

void TChartFunction::ReCalculate() {
  if (!NoCalc && FParent) FParent->Recalculate();
}

void TChartFunction::AddFunctionXY(bool /*YMandatorySource*/, double X, double Y, const std::string& Label) {
  if (!FParent) return;
  if (FParent->IsHorizontal()) FParent->AddXY(Y, X, Label);
  else FParent->AddXY(X, Y, Label);
}

void TChartFunction::CalculatePeriod(TChartSeriesBase* Source, double XValue, int FirstIndex, int LastIndex) {
  AddFunctionXY(true, XValue, Calculate(Source, FirstIndex, LastIndex));
}

void TChartFunction::CalculateAllPoints(TChartSeriesBase* Source, TChartValueList* /*NotMandatory*/) {
  TChartValueList* x = Source->XValues();
  x->RecalcStats();
  const double v = Calculate(Source, -1, -1);
  if (FParent && FParent->SinglePoints()) {
    AddFunctionXY(true, (x->MinValue() + x->MaxValue()) * 0.5, v);
  } else {
    AddFunctionXY(true, x->MinValue(), v);
    AddFunctionXY(true, x->MaxValue(), v);
  }
}

void TChartFunction::CalculatePeriods(TChartSeriesBase* Source, TChartValueList* /*NotMandatory*/) {
  TChartValueList* x = Source->XValues();
  const int a = x->Count();
  const double p = FPeriod;
  if (a <= 0) return;
  // Calendar steps when the horizontal axis shows exact date-times and the period is a calendar unit.
  bool calendar = false;
  int step = dtNone;
  if (FPeriodStyle == psRange && FParent && FParent->HorizAxis()) {
    TChartAxis* h = FParent->HorizAxis();
    step = FindDateTimeStep(p);
    calendar = h->ExactDateTime() && h->IsDateTime() && step >= dtHalfMonth && step != dtNone;
  }
  double periodStart = (*x)[0];
  int e = 0;
  while (e <= a - 1) {
    int i;
    double periodEnd = 0;
    if (FPeriodStyle == psRange) {
      periodEnd = periodStart;
      IncDecDateTime(calendar, true, periodEnd, step, p);
      // A period too small to move x would never reach the next point.
      if (!(periodEnd > periodStart)) break;
      i = e;
      while (i < a && (*x)[i] < periodEnd) ++i;
      --i;
    } else {
      // At least one point per period: a period of half a point or less still advances.
      const int64_t n = std::max<int64_t>(1, static_cast<int64_t>(std::nearbyint(std::min(p, 2147483647.0))));
      i = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(e) + n - 1, a));
    }
    if (i >= a) break;
    if (FPeriodStyle == psNumPoints) {
      const double xv = FPeriodAlign == paFirst ? (*x)[e] : FPeriodAlign == paLast ? (*x)[i] : ((*x)[e] + (*x)[i]) * 0.5;
      CalculatePeriod(Source, xv, e, i);
      e = i + 1;
    } else {
      const double last = periodEnd - p * 0.001;
      const double xv = FPeriodAlign == paFirst ? periodStart : FPeriodAlign == paLast ? last : (periodStart + last) * 0.5;
      if ((*x)[e] >= periodEnd || i < e) {
        AddFunctionXY(true, xv, 0);
      } else {
        CalculatePeriod(Source, xv, e, i);
        e = i + 1;
      }
      periodStart = periodEnd;
    }
  }
}

void TChartFunction::CalculateFunction(TChartSeriesBase* Source, TChartValueList* NotMandatory) {
  if (FPeriod != 0 && CanUsePeriod) CalculatePeriods(Source, NotMandatory);
  else CalculateAllPoints(Source, NotMandatory);
}

double TChartFunction::ValueForSeries(TCustomAxisPanel* Chart) {
  double result = Chart ? Chart->SeriesCount() : 0;
  if (!Chart) return result;
  for (int i = 0; i < Chart->SeriesCount(); ++i)
    if (Chart->Series(i)->HasValueForChartFunction()) result = Chart->Series(i)->ValueForChartFunction();
  return result;
}

void TChartFunction::AddPoints(const std::vector<TChartSeriesBase*>& Sources) {
  if (NoCalc || Sources.empty()) return;
  if (Sources.size() > 1) {
    TChartSeriesBase* longest = Sources.front();
    for (auto* s : Sources)
      if (s->Count() > longest->Count()) longest = s;
    for (int t = 0; t < longest->Count(); ++t) {
      const double v = CalculateForSources(Sources, t);
      AddFunctionXY(true, longest->XValues()->operator[](t), v, longest->PointLabel(t));
    }
    return;
  }
  TChartSeriesBase* s = Sources.front();
  if (s->Count() > 0) CalculateFunction(s, s->YValues());
}

// ---------------------------------------------------------------------------------------------------
// Series sources

TChartSeriesSource::~TChartSeriesSource() {
  Destroying();
  if (FSeries) {
    std::erase(FSeries->DataSources(), static_cast<TComponent*>(this));
    FSeries->RemoveFreeNotification(this);
  }
}

void TChartSeriesSource::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (Value) {
    if (!IsLoading()) Load();
  } else if (!IsDestroying() && FSeries && !FSeries->IsDestroying()) {
    FSeries->ClearValues();
  }
}

void TChartSeriesSource::Close() {
  if (!IsLoading() && !IsDestroying()) SetActive(false);
}

void TChartSeriesSource::Open() { SetActive(true); }

void TChartSeriesSource::Refresh() {
  if (FActive && !IsLoading()) Load();
}

void TChartSeriesSource::Loaded() {
  TComponent::Loaded();
  Refresh();
}

bool TChartSeriesSource::UsesSeries(TChartSeriesBase* ASeries) {
  return ASeries && !ASeries->DataSources().empty() && ASeries->DataSources().front()->ClassName() == ClassName();
}

void TChartSeriesSource::SetSeries(TChartSeriesBase* Value) {
  if (Value == FSeries) return;
  Close();
  if (FSeries) {
    std::erase(FSeries->DataSources(), static_cast<TComponent*>(this));
    FSeries->RemoveFreeNotification(this);
  }
  FSeries = nullptr;
  if (Value) AttachDataSource(Value, this);
}

void TChartSeriesSource::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSeries) FSeries = nullptr;
}

// ---------------------------------------------------------------------------------------------------

namespace {
// Whether Source is Series or reaches it through its own data sources. Each series is walked once, so a
// cycle that is already there cannot make the walk endless.
bool DependsOn(TComponent* Source, TChartSeriesBase* Series, std::unordered_set<TComponent*>& Seen) {
  if (Source == Series) return true;
  if (!Seen.insert(Source).second) return false;
  if (auto* s = dynamic_cast<TChartSeriesBase*>(Source))
    for (TComponent* c : s->DataSources())
      if (DependsOn(c, Series, Seen)) return true;
  return false;
}
}  // namespace

int AttachDataSource(TChartSeriesBase* Series, TComponent* Source) {
  auto& list = Series->DataSources();
  if (std::find(list.begin(), list.end(), Source) != list.end()) return -1;
  std::unordered_set<TComponent*> seen;
  if (DependsOn(Source, Series, seen)) throw ChartException(ChartMsgCircularSeriesDependencesAreNotAllowed);
  list.push_back(Source);
  Series->FreeNotification(Source);
  if (auto* src = dynamic_cast<TChartSeriesSource*>(Source)) src->FSeries = Series;
  return static_cast<int>(list.size()) - 1;
}
