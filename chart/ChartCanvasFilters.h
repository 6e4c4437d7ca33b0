#pragma once
// ChartCanvas, its image-filter half: filters that work in place on a 24-bit bitmap, each an item of a
// collection, optionally limited to a region, and a picture that carries an ordered filter list.
//
// Pixel conventions shared by every filter: the bitmap is switched to pf24bit, a pixel is three bytes in
// blue, green, red order, row 0 is on top, and rows are reached through `Rows` (one pointer per row,
// derived from the stride between the first two scan lines). Rectangles handed to FilterRect are
// inclusive; clamping limits to 0..255; rounding is half to even.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "platform/graphics/graphics.h"

class TTrackBar;
class TChartFilter;
class TCustomChartGradient;

// ---------------------------------------------------------------------------------------------------
// Filter class references: the class and its virtual constructor (a new filter inside a collection,
// which may be nullptr).

struct TFilterClassInfo {
  TClass Class;
  TChartFilter* (*Create)(TCollection* Collection);
};
using TFilterClass = const TFilterClassInfo*;

template <typename T>
TFilterClass FilterClassOf() {
  static const TFilterClassInfo info{T::StaticClass(), [](TCollection* c) -> TChartFilter* { return new T(c); }};
  return &info;
}

// Put first in every filter class: its class reference, its published-property table (the class
// declares a static DeclarePublished) and its virtual constructor.
#define DECLARE_FILTER_CLASS(Name, ParentName)                                    \
  DECLARE_PUBLISHED_CLASS(Name, ParentName)                                       \
  TFilterClass FilterClassRef() const override { return FilterClassOf<Name>(); } \
                                                                                  \
 public:

// ---------------------------------------------------------------------------------------------------

// The part of a bitmap a filter works on. All zero means the whole bitmap.
class TFilterRegion : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TFilterRegion, TPersistent)
  static void DeclarePublished(TPublished<TFilterRegion>& P) {
    P.Integer("Height", &TFilterRegion::Height, &TFilterRegion::SetHeight).Default(0);
    P.Integer("Left", &TFilterRegion::Left, &TFilterRegion::SetLeft).Default(0);
    P.Integer("Top", &TFilterRegion::Top, &TFilterRegion::SetTop).Default(0);
    P.Integer("Width", &TFilterRegion::Width, &TFilterRegion::SetWidth).Default(0);
  }
  TFilterRegion() = default;
  void Assign(TPersistent* Source) override;

  int Height() const { return FHeight; }
  void SetHeight(int Value) { FHeight = Value; }
  int Left() const { return FLeft; }
  void SetLeft(int Value) { FLeft = Value; }
  int Top() const { return FTop; }
  void SetTop(int Value) { FTop = Value; }
  int Width() const { return FWidth; }
  void SetWidth(int Value) { FWidth = Value; }

 private:
  int FHeight = 0;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
};

// What a filter editing dialog offers a filter: one control per published setting. The dialog itself
// lives outside the library; filters only make these calls.
class IFilterEditor {
 public:
  virtual ~IFilterEditor() = default;
  virtual void AddCheckBox(const std::string& PropName, const std::string& Caption, TNotifyEvent OnClick) = 0;
  virtual void AddColorButton(const std::string& PropName, const std::string& Caption) = 0;
  virtual void AddComboBox(const std::string& PropName) = 0;
  virtual void AddIntegerEdit(const std::string& PropName, const std::string& Caption, int Min, int Max) = 0;
  // Returns the slider it made, so that a filter can change its bounds later.
  virtual TTrackBar* AddTrackBar(const std::string& PropName, int Min, int Max) = 0;
};

// The base of all filters: Enabled, a lazily made Region, and the row pointers of the bitmap being
// filtered. The base FilterRect only prepares the rows.
class TChartFilter : public TCollectionItem {
  DECLARE_PUBLISHED_CLASS(TChartFilter, TCollectionItem)
  static void DeclarePublished(TPublished<TChartFilter>& P) {
    P.Boolean("Enabled", &TChartFilter::Enabled, &TChartFilter::SetEnabled).Default(true);
    P.Object("Region", &TChartFilter::Region, &TChartFilter::SetRegion);
  }
  explicit TChartFilter(TCollection* Collection);
  ~TChartFilter() override;
  // Copies Enabled, the region and every published setting of the source's class (a source of
  // another filter class gives the settings both classes share).
  void Assign(TPersistent* Source) override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  // Made on first read; a filter whose region was never read has none.
  TFilterRegion* Region();
  void SetRegion(TFilterRegion* Value) {
    if (Value) Region()->Assign(Value);
  }
  bool HasRegion() const { return FRegion != nullptr; }

  // Resolves the region against the bitmap and calls FilterRect.
  void FilterBitmap(TBitmap* Bitmap);
  // The inclusive rectangle the region names on a W x H bitmap, limited to the bitmap (it may come
  // out empty: Right < Left or Bottom < Top).
  TRect ResolveRegion(int W, int H);
  // Switches the bitmap to pf24bit and fills Rows (empty for a bitmap without pixels).
  void PrepareRows(TBitmap* Bitmap);

  // The filter's own class, for copies of the same class.
  virtual TFilterClass FilterClassRef() const { return FilterClassOf<TChartFilter>(); }

  // Does the work on the inclusive rectangle. The base version prepares Rows unless KeepRows is set.
  virtual void FilterRect(TBitmap* Bitmap, const TRect& R);
  virtual void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange);
  // The display title; the base version gives the class name.
  virtual std::string FilterTitle();

  std::vector<uint8_t*> Rows;
  bool KeepRows = false;
  bool UsesRegion = true;
  TNotifyEvent EditorOnChange;

 protected:
  // Copies the settings this class publishes from a filter of the same class or a descendant.
  virtual void AssignSettings(TChartFilter* /*Source*/) {}
  // False for filters that ignore the rectangle (they still run when the region misses the bitmap).
  virtual bool WorksOnRect() const { return true; }

 private:
  bool FEnabled = true;
  std::unique_ptr<TFilterRegion> FRegion;
};

// Creates a loose filter of the class, applies it to the bitmap and frees it.
void ApplyFilterClass(TFilterClass FilterClass, TBitmap* Bitmap);

// The ordered filter list of one picture.
class TFilterItems : public TOwnedCollection {
  DECLARE_CLASS(TFilterItems, TOwnedCollection)
  explicit TFilterItems(TPersistent* AOwner);
  TChartFilter* Items(int Index) const { return static_cast<TChartFilter*>(TCollection::Items(Index)); }
  TChartFilter* operator[](int Index) const { return Items(Index); }
  // A new filter of the class at the end of the list.
  TChartFilter* AddFilter(TFilterClass FilterClass);
  // Adds an existing loose filter at the end of the list (the list owns it from now on).
  TChartFilter* AddFilter(TChartFilter* Filter);
  // Copies of the source's filters, each of its source's class, replace this list's.
  void Assign(TPersistent* Source) override;
};

// A picture with an ordered filter list, streamed as the defined property "FilterItems".
class TChartPicture : public TPicture {
  DECLARE_CLASS(TChartPicture, TPicture)
  TChartPicture();
  ~TChartPicture() override;
  void Assign(TPersistent* Source) override;

  // Made on first read.
  TFilterItems* Filters();
  // nullptr frees the list; a list is assigned into the picture's own.
  void SetFilters(TFilterItems* Value);
  bool HasFilters() const { return FFilters && FFilters->Count() > 0; }
  // Owned and freed with the picture; nothing in the library fills it.
  TBitmap* CachedBitmap() { return FCachedBitmap.get(); }

 protected:
  // "FilterItems" holds the filter list when it has items.
  void DefineProperties(TFiler* Filer) override;
  void ReadFilterItems(TReader* Reader);
  void WriteFilterItems(TWriter* Writer);

 private:
  std::unique_ptr<TFilterItems> FFilters;
  std::unique_ptr<TBitmap> FCachedBitmap;
};

// ---------------------------------------------------------------------------------------------------
// 3 x 3 convolution: nine Single weights, row-major from the top-left neighbour (W[4] the centre).
// Only the interior of the rectangle changes; its outer rows and columns keep their values.

class TConvolveFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TConvolveFilter, TChartFilter)
  static void DeclarePublished(TPublished<TConvolveFilter>&) {}
  explicit TConvolveFilter(TCollection* Collection) : TChartFilter(Collection) {}
  // Raises EZeroDivide before any pixel changes when the weights sum to 0.
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;

  float Weights[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
  float WeightFactor = 1;

 protected:
  // The weights are the settings of a plain convolution: a copy convolves as the original does.
  void AssignSettings(TChartFilter* Source) override;
};

class TBlurFilter : public TConvolveFilter {
  DECLARE_FILTER_CLASS(TBlurFilter, TConvolveFilter)
  static void DeclarePublished(TPublished<TBlurFilter>& P) {
    P.Integer("Amount", &TBlurFilter::Amount, &TBlurFilter::SetAmount).Default(1);
    P.Integer("Steps", &TBlurFilter::Steps, &TBlurFilter::SetSteps).Default(1);
  }
  explicit TBlurFilter(TCollection* Collection) : TConvolveFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;

  int Amount() const { return FAmount; }
  void SetAmount(int Value) { FAmount = Value; }
  int Steps() const { return FSteps; }
  void SetSteps(int Value) { FSteps = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  int FAmount = 1;
  int FSteps = 1;
};

// Rotates a gradient's bitmap by the gradient's angle. Empty until the filter unit starts.
using TGradientRotateProc = void (*)(TCustomChartGradient* Gradient, TBitmap* Bitmap);
extern TGradientRotateProc GradientRotateProc;

// Refuses a bitmap size no filter may allocate (EInvalidGraphicOperation "Bitmap too large: W x H"),
// checked before any memory is asked for.
void CheckFilterBitmapSize(int64_t Width, int64_t Height);
