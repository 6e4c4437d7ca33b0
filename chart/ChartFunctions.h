#pragma once
// ChartEngine, the data side: the base of analysis functions with its period logic, the base of series
// data sources, and the attachment of a data source to a series with its cycle check.

#include <string>
#include <vector>

#include "chart/ChartAxis.h"

enum TFunctionPeriodAlign { paFirst, paCenter, paLast };
enum TFunctionPeriodStyle { psNumPoints, psRange };

class TChartFunction : public TComponent {
  DECLARE_PUBLISHED_CLASS(TChartFunction, TComponent)
  static void DeclarePublished(TPublished<TChartFunction>& P) {
    P.Float("Period", &TChartFunction::Period, &TChartFunction::SetPeriod).Default(0.0);
    P.Enum("PeriodAlign", &TChartFunction::PeriodAlign, &TChartFunction::SetPeriodAlign, {"paFirst", "paCenter", "paLast"})
        .Default(paCenter);
    P.Enum("PeriodStyle", &TChartFunction::PeriodStyle, &TChartFunction::SetPeriodStyle, {"psNumPoints", "psRange"})
        .Default(psNumPoints);
  }
  explicit TChartFunction(TComponent* AOwner);
  ~TChartFunction() override;
  void Assign(TPersistent* Source) override;

  double Period() const { return FPeriod; }
  void SetPeriod(double Value);
  TFunctionPeriodAlign PeriodAlign() const { return FPeriodAlign; }
  void SetPeriodAlign(TFunctionPeriodAlign Value);
  TFunctionPeriodStyle PeriodStyle() const { return FPeriodStyle; }
  void SetPeriodStyle(TFunctionPeriodStyle Value);

  // The series the function feeds (its parent component); a new one detaches the old.
  TChartSeriesBase* ParentSeries() const { return FParent; }
  void SetParentSeries(TChartSeriesBase* Value);
  bool CanUsePeriod = true;
  bool NoCalc = false;

  virtual void CalculatePeriod(TChartSeriesBase* Source, double XValue, int FirstIndex, int LastIndex);
  virtual void CalculateAllPoints(TChartSeriesBase* Source, TChartValueList* NotMandatory);
  virtual void CalculatePeriods(TChartSeriesBase* Source, TChartValueList* NotMandatory);
  virtual void CalculateFunction(TChartSeriesBase* Source, TChartValueList* NotMandatory);
  virtual std::string GetEditorClassName() { return "TChartFunction" "Editor"; }
  virtual double ValueForSeries(TCustomAxisPanel* Chart);
  virtual double Calculate(TChartSeriesBase* /*Source*/, int /*FirstIndex*/, int /*LastIndex*/) { return 0; }
  virtual double CalculateForSources(const std::vector<TChartSeriesBase*>& /*Sources*/, int /*ValueIndex*/) { return 0; }
  // Adds the function's points for its sources.
  virtual void AddPoints(const std::vector<TChartSeriesBase*>& Sources);
  // Asks the parent series to recompute (unless NoCalc).
  void ReCalculate();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AddFunctionXY(bool YMandatorySource, double X, double Y, const std::string& Label = {});

 private:
  double FPeriod = 0;
  TFunctionPeriodAlign FPeriodAlign = paCenter;
  TFunctionPeriodStyle FPeriodStyle = psNumPoints;
  TChartSeriesBase* FParent = nullptr;
};

class TChartSeriesSource : public TComponent {
  DECLARE_CLASS(TChartSeriesSource, TComponent)
  explicit TChartSeriesSource(TComponent* AOwner) : TComponent(AOwner) {}
  ~TChartSeriesSource() override;

  virtual void SetActive(bool Value);
  virtual bool AvailableFor(TCustomAxisPanel* /*Chart*/) { return true; }
  virtual std::string SourceDescription() { return {}; }
  virtual TClass EditorClass() { return nullptr; }
  virtual bool OffersNew() { return false; }
  virtual bool UsesSeries(TChartSeriesBase* ASeries);
  virtual void Close();
  virtual void Load() {}
  virtual void Open();
  void Refresh();
  void Loaded() override;

  bool Active() const { return FActive; }
  TChartSeriesBase* Series() const { return FSeries; }
  void SetSeries(TChartSeriesBase* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool FActive = false;
  TChartSeriesBase* FSeries = nullptr;
  friend int AttachDataSource(TChartSeriesBase* Series, TComponent* Source);
};

// Adds Source to the series's data sources: -1 when it is there already; ChartException when Source
// depends on the series (directly or through its own sources); else its index.
int AttachDataSource(TChartSeriesBase* Series, TComponent* Source);
