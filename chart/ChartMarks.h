#pragma once
// ChartEngine, the parts a series publishes: the chart element component, margins, series marks with
// their per-point items (streamed as the binary "Items" property), the marks symbol and gradient, point
// pointers and callouts.

#include <memory>
#include <string>
#include <vector>

#include "chart/ChartAxis.h"

// The base component of chart elements (series, tools): active flag, brush, pen, parent chart.
class TCustomChartElement : public TComponent {
  DECLARE_PUBLISHED_CLASS(TCustomChartElement, TComponent)
  static void DeclarePublished(TPublished<TCustomChartElement>& P) {
    P.Boolean("ShowInEditor", &TCustomChartElement::ShowInEditor, &TCustomChartElement::SetShowInEditor).Default(true);
  }
  explicit TCustomChartElement(TComponent* AOwner);
  ~TCustomChartElement() override;
  void Assign(TPersistent* Source) override;

  virtual void Repaint();
  virtual std::string GetEditorClassName() { return {}; }
  virtual void SetActive(bool Value);
  // Only components that are charts (TCustomAxisPanel) may be the parent.
  virtual void SetParentChart(TComponent* Value);
  virtual void SetPen(TChartPen* Value) { FPen->Assign(Value); }

  bool Active() const { return FActive; }
  TChartBrush* Brush() const { return FBrush.get(); }
  TChartPen* Pen() const { return FPen.get(); }
  TComponent* ParentChart() const { return FParentChart; }
  bool ShowInEditor() const { return FShowInEditor; }
  void SetShowInEditor(bool Value) { FShowInEditor = Value; }

  void ChangeBooleanSetting(bool& Variable, bool Value);
  void ChangeIntegerSetting(int& Variable, int Value);

  TComponent* GetParentComponent() { return FParentChart; }
  void SetParentComponent(TComponent* Value);
  bool HasParent() const { return true; }

 protected:
  bool FActive = true;
  std::unique_ptr<TChartBrush> FBrush;
  std::unique_ptr<TChartPen> FPen;
  TComponent* FParentChart = nullptr;
  bool FShowInEditor = true;
};

enum TMarginUnits { maPercentFont, maPercentSize, maPixels };

class TMargins : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TMargins, TPersistent)
  static void DeclarePublished(TPublished<TMargins>& P) {
    P.Integer("Left", &TMargins::Left, &TMargins::SetLeft).NoDefault().Stored(&TMargins::IsLeftStored);
    P.Integer("Right", &TMargins::Right, &TMargins::SetRight).NoDefault().Stored(&TMargins::IsRightStored);
    P.Integer("Top", &TMargins::Top, &TMargins::SetTop).Default(5);
    P.Integer("Bottom", &TMargins::Bottom, &TMargins::SetBottom).Default(5);
    P.Enum("Units", &TMargins::Units, &TMargins::SetUnits, {"maPercentFont", "maPercentSize", "maPixels"}).Default(maPercentFont);
  }
  explicit TMargins(TChartCustomShapeBrushPen* AShape, int HorizDefault = 5);
  void Assign(TPersistent* Source) override;
  int Left() const { return FLeft; }
  void SetLeft(int Value) { Set(FLeft, Value); }
  int Right() const { return FRight; }
  void SetRight(int Value) { Set(FRight, Value); }
  int Top() const { return FTop; }
  void SetTop(int Value) { Set(FTop, Value); }
  int Bottom() const { return FBottom; }
  void SetBottom(int Value) { Set(FBottom, Value); }
  TMarginUnits Units() const { return FUnits; }
  void SetUnits(TMarginUnits Value);
  bool IsLeftStored() const { return FLeft != FHorizDefault; }
  bool IsRightStored() const { return FRight != FHorizDefault; }

 private:
  void Set(int& Variable, int Value);
  TChartCustomShapeBrushPen* FShape;
  int FHorizDefault;
  int FLeft, FRight, FTop = 5, FBottom = 5;
  TMarginUnits FUnits = maPercentFont;
};

class TSeriesMarksGradient : public TChartGradient {
  DECLARE_PUBLISHED_CLASS(TSeriesMarksGradient, TChartGradient)
  static void DeclarePublished(TPublished<TSeriesMarksGradient>& P) {
    P.Enum("Direction", &TSeriesMarksGradient::Direction, &TSeriesMarksGradient::SetDirection,
           {"gdTopBottom", "gdBottomTop", "gdLeftRight", "gdRightLeft", "gdFromCenter", "gdFromTopLeft",
            "gdFromBottomLeft", "gdRadial", "gdDiagonalUp", "gdDiagonalDown"})
        .Default(gdRightLeft);
    P.Color("EndColor", &TSeriesMarksGradient::EndColor, &TSeriesMarksGradient::SetEndColor).Default(clWhite);
    P.Color("StartColor", &TSeriesMarksGradient::StartColor, &TSeriesMarksGradient::SetStartColor).Default(clSilver);
  }
  explicit TSeriesMarksGradient(TNotifyEvent OnChangeEvent = nullptr);
};

class TSeriesMarksSymbol : public TChartCustomShape {
  DECLARE_PUBLISHED_CLASS(TSeriesMarksSymbol, TChartCustomShape)
  static void DeclarePublished(TPublished<TSeriesMarksSymbol>& P) {
    PublishShapeBrushPen(P, "Frame");
    PublishShapeFormat(P);
    P.Boolean("Visible", &TSeriesMarksSymbol::Visible, &TSeriesMarksSymbol::SetVisible).Default(false);
  }
  explicit TSeriesMarksSymbol(TCustomChartParent* AParent);
};

class TMarksItem : public TChartCustomShape {
  DECLARE_PUBLISHED_CLASS(TMarksItem, TChartCustomShape)
  static void DeclarePublished(TPublished<TMarksItem>& P) {
    PublishShapeBrushPen(P);
    PublishShapeFormat(P, clInfoBk);
    P.Strings("Text", &TMarksItem::Text, &TMarksItem::SetText).StoredWhen([](TObject* O) {
      return static_cast<TMarksItem*>(O)->HasText();
    });
    P.Boolean("Visible", &TMarksItem::Visible, &TMarksItem::SetVisible).Default(true);
  }
  explicit TMarksItem(TCustomChartParent* AParent);
  ~TMarksItem() override;
  TStrings* Text();
  void SetText(TStrings* Value);
  bool HasText() const { return FText != nullptr; }

 private:
  std::unique_ptr<TStringList> FText;
};

enum TSeriesPointerStyle {
  psRectangle, psCircle, psTriangle, psDownTriangle, psCross, psDiagCross, psStar, psDiamond, psSmallDot, psNothing,
  psLeftTriangle, psRightTriangle, psHexagon
};
enum TArrowHeadStyle { ahNone, ahLine, ahSolid };

#define SERIES_POINTER_STYLE_NAMES                                                                        \
  {"psRectangle", "psCircle", "psTriangle", "psDownTriangle", "psCross", "psDiagCross", "psStar",          \
   "psDiamond", "psSmallDot", "psNothing", "psLeftTriangle", "psRightTriangle", "psHexagon"}

class TSeriesPointer : public TChartCustomShapeBrushPen {
  DECLARE_PUBLISHED_CLASS(TSeriesPointer, TChartCustomShapeBrushPen)
  static void DeclarePublished(TPublished<TSeriesPointer>& P);
  explicit TSeriesPointer(TChartSeriesBase* ASeries);
  ~TSeriesPointer() override;
  void Assign(TPersistent* Source) override;

  bool Dark3D() const { return FDark3D; }
  void SetDark3D(bool Value) { Set(FDark3D, Value); }
  bool Draw3D() const { return FDraw3D; }
  void SetDraw3D(bool Value) { Set(FDraw3D, Value); }
  TChartGradient* Gradient() const { return FGradient.get(); }
  void SetGradient(TChartGradient* Value) { if (Value) FGradient->Assign(Value); }
  int HorizSize() const { return FHorizSize; }
  void SetHorizSize(int Value);
  int VertSize() const { return FVertSize; }
  void SetVertSize(int Value);
  bool InflateMargins() const { return FInflateMargins; }
  void SetInflateMargins(bool Value) { Set(FInflateMargins, Value); }
  TChartShadow* Shadow() const { return FShadow.get(); }
  void SetShadow(TChartShadow* Value) { if (Value) FShadow->Assign(Value); }
  TSeriesPointerStyle Style() const { return FStyle; }
  void SetStyle(TSeriesPointerStyle Value) { Set(FStyle, Value); }
  TChartTransparency Transparency() const { return FTransparency; }
  void SetTransparency(TChartTransparency Value) { Set(FTransparency, Value); }
  TChartSeriesBase* ParentSeries() const { return FSeries; }
  bool AllowChangeSize = true;

 protected:
  template <typename T>
  void Set(T& Variable, const T& Value) {
    if (Variable == Value) return;
    Variable = Value;
    Repaint();
  }
  TChartSeriesBase* FSeries;
  bool FDark3D = true, FDraw3D = true, FInflateMargins = true;
  std::unique_ptr<TChartGradient> FGradient;
  int FHorizSize = 4, FVertSize = 4;
  std::unique_ptr<TChartShadow> FShadow;
  TSeriesPointerStyle FStyle = psRectangle;
  TChartTransparency FTransparency = 0;
};

class TCallout : public TSeriesPointer {
  DECLARE_PUBLISHED_CLASS(TCallout, TSeriesPointer)
  static void DeclarePublished(TPublished<TCallout>& P);
  explicit TCallout(TChartSeriesBase* ASeries);
  ~TCallout() override;
  void Assign(TPersistent* Source) override;
  TWhitePen* Arrow() const { return FArrow.get(); }
  void SetArrow(TWhitePen* Value) { if (Value) FArrow->Assign(Value); }
  TArrowHeadStyle ArrowHead() const { return FArrowHead; }
  void SetArrowHead(TArrowHeadStyle Value) { Set(FArrowHead, Value); }
  int ArrowHeadSize() const { return FArrowHeadSize; }
  void SetArrowHeadSize(int Value) { Set(FArrowHeadSize, Value); }
  int Distance() const { return FDistance; }
  void SetDistance(int Value) { Set(FDistance, Value); }

 private:
  std::unique_ptr<TWhitePen> FArrow;
  TArrowHeadStyle FArrowHead = ahNone;
  int FArrowHeadSize = 8;
  int FDistance = 0;
};

class TMarksCallout : public TCallout {
  DECLARE_PUBLISHED_CLASS(TMarksCallout, TCallout)
  static void DeclarePublished(TPublished<TMarksCallout>& P) {
    P.Integer("Length", &TMarksCallout::Length, &TMarksCallout::SetLength).NoDefault().Stored(&TMarksCallout::IsLengthStored);
    P.Boolean("Visible", &TMarksCallout::Visible, &TMarksCallout::SetVisible).Default(false);
  }
  explicit TMarksCallout(TChartSeriesBase* ASeries);
  void Assign(TPersistent* Source) override;
  int Length() const { return FLength; }
  void SetLength(int Value);
  bool IsLengthStored() const { return FLength != FDefaultLength; }

 private:
  int FLength = 8;
  int FDefaultLength = 8;
};

enum TSeriesMarksStyle {
  smsValue, smsPercent, smsLabel, smsLabelPercent, smsLabelValue, smsLegend, smsPercentTotal, smsLabelPercentTotal,
  smsXValue, smsXY, smsSeriesTitle, smsPointIndex, smsPercentRelative
};

class TSeriesMarks : public TChartCustomShape {
  DECLARE_PUBLISHED_CLASS(TSeriesMarks, TChartCustomShape)
  static void DeclarePublished(TPublished<TSeriesMarks>& P);
  explicit TSeriesMarks(TChartSeriesBase* ASeries);
  ~TSeriesMarks() override;
  void Assign(TPersistent* Source) override;
  void SetParentChart(TCustomChartParent* Value) override;
  std::unique_ptr<TChartGradient> NewGradient() override;

  int Angle() const { return FAngle; }
  void SetAngle(int Value) { SeriesInt(FAngle, Value); }
  TWhitePen* Arrow() { return Callout()->Arrow(); }
  void SetArrow(TWhitePen* Value) { Callout()->SetArrow(Value); }
  int ArrowLength() { return Callout()->Length(); }
  void SetArrowLength(int Value) { Callout()->SetLength(Value); }
  TColor BackColor() const { return Color(); }
  void SetBackColor(TColor Value) { SetColor(Value); }
  TMarksCallout* Callout();
  void SetCallout(TMarksCallout* Value);
  bool HasCallout() const { return FCallout != nullptr; }
  bool Clip() const { return FClip; }
  void SetClip(bool Value) { SeriesBool(FClip, Value); }
  int DrawEvery() const { return FDrawEvery; }
  void SetDrawEvery(int Value) { SeriesInt(FDrawEvery, Value); }
  TMargins* Margins() const { return FMargins.get(); }
  void SetMargins(TMargins* Value) { if (Value) FMargins->Assign(Value); }
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value) { SeriesBool(FMultiLine, Value); }
  TSeriesMarksStyle Style() const { return FStyle; }
  void SetStyle(TSeriesMarksStyle Value);
  TSeriesMarksSymbol* Symbol();
  void SetSymbol(TSeriesMarksSymbol* Value);
  bool HasSymbol() const { return FSymbol != nullptr; }
  TAlignment TextAlign() const { return FTextAlign; }
  void SetTextAlign(TAlignment Value);

  // Per-point formats: the list grows with empty slots up to Index, and the slot gets an item.
  TMarksItem* Items(int Index);
  int ItemSlots() const { return static_cast<int>(FItems.size()); }
  bool HasItem(int Index) const { return Index >= 0 && Index < ItemSlots() && FItems[static_cast<size_t>(Index)]; }
  void ClearItems() { FItems.clear(); }
  TChartSeriesBase* Series() const { return FSeries; }

 protected:
  void DefineProperties(TFiler* Filer) override;
  void ReadItems(TStream* Stream);
  void WriteItems(TStream* Stream);

 private:
  // Through the owning series's setting routines (a loose marks object only stores).
  void SeriesInt(int& Variable, int Value) {
    if (FSeries) FSeries->ChangeIntegerSetting(Variable, Value);
    else Variable = Value;
  }
  void SeriesBool(bool& Variable, bool Value) {
    if (FSeries) FSeries->ChangeBooleanSetting(Variable, Value);
    else Variable = Value;
  }
  TChartSeriesBase* FSeries;
  int FAngle = 0;
  std::unique_ptr<TMarksCallout> FCallout;
  bool FClip = false;
  int FDrawEvery = 1;
  std::unique_ptr<TMargins> FMargins;
  bool FMultiLine = false;
  TSeriesMarksStyle FStyle = smsLabel;
  std::unique_ptr<TSeriesMarksSymbol> FSymbol;
  TAlignment FTextAlign = taCenter;
  std::vector<std::unique_ptr<TMarksItem>> FItems;
};
