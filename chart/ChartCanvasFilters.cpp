// The filter framework: regions, row preparation, filter lists and the picture that carries one.
#include "chart/ChartCanvasFilters.h"

#include <algorithm>

#include "platform/classes/filer.h"

TGradientRotateProc GradientRotateProc = nullptr;

void CheckFilterBitmapSize(int64_t Width, int64_t Height) {
  // Rows of 24-bit pixels padded to 4 bytes must stay addressable with 32-bit offsets.
  constexpr int64_t kMaxBytes = int64_t(1) << 31;
  const int64_t stride = (Width * 3 + 3) & ~int64_t(3);
  if (Width < 0 || Height < 0 || Width > (int64_t(1) << 24) || Height > (int64_t(1) << 24) ||
      stride * Height >= kMaxBytes)
    throw EInvalidGraphicOperation(Format("Bitmap too large: %d x %d", Width, Height));
}

// ---------------------------------------------------------------------------------------------------

void TFilterRegion::Assign(TPersistent* Source) {
  if (auto* r = dynamic_cast<TFilterRegion*>(Source)) {
    FHeight = r->FHeight;
    FLeft = r->FLeft;
    FTop = r->FTop;
    FWidth = r->FWidth;
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------------

TChartFilter::TChartFilter(TCollection* Collection) : TCollectionItem(Collection) {}

TChartFilter::~TChartFilter() = default;

TFilterRegion* TChartFilter::Region() {
  if (!FRegion) FRegion = std::make_unique<TFilterRegion>();
  return FRegion.get();
}

void TChartFilter::Assign(TPersistent* Source) {
  auto* f = dynamic_cast<TChartFilter*>(Source);
  if (!f) {
    TCollectionItem::Assign(Source);
    return;
  }
  if (f == this) return;
  FEnabled = f->FEnabled;
  Region()->Assign(f->Region());
  // Every class copies what it publishes (a copied picture keeps its filters' settings).
  AssignSettings(f);
}

TRect TChartFilter::ResolveRegion(int W, int H) {
  if (!FRegion) return TRect(0, 0, W - 1, H - 1);
  int64_t left = FRegion->Left(), top = FRegion->Top();
  int64_t right = FRegion->Width() != 0 ? std::min<int64_t>(W - 1, left + FRegion->Width()) : std::max<int64_t>(left, W - 1);
  int64_t bottom = FRegion->Height() != 0 ? std::min<int64_t>(H - 1, top + FRegion->Height()) : std::max<int64_t>(top, H - 1);
  // A region reaching outside the bitmap would make the row-pointer loops leave it: keep what lies
  // inside (the right edge still counts Width from Left, as stored pictures expect).
  left = std::max<int64_t>(left, 0);
  top = std::max<int64_t>(top, 0);
  right = std::min<int64_t>(right, W - 1);
  bottom = std::min<int64_t>(bottom, H - 1);
  return TRect(int(std::min<int64_t>(left, INT32_MAX)), int(std::min<int64_t>(top, INT32_MAX)), int(right), int(bottom));
}

void TChartFilter::FilterBitmap(TBitmap* Bitmap) {
  if (!Bitmap) return;
  TRect r = ResolveRegion(Bitmap->Width(), Bitmap->Height());
  if (WorksOnRect() && (r.Right < r.Left || r.Bottom < r.Top)) return;
  FilterRect(Bitmap, r);
}

void TChartFilter::PrepareRows(TBitmap* Bitmap) {
  Bitmap->SetPixelFormat(pf24bit);
  const int h = Bitmap->Height();
  // A bitmap without pixels (either side 0) has no rows to reach.
  if (h <= 0 || Bitmap->Width() <= 0) {
    Rows.clear();
    return;
  }
  Rows.assign(static_cast<size_t>(h), nullptr);
  Rows[0] = static_cast<uint8_t*>(Bitmap->ScanLine(0));
  if (h < 2) return;
  Rows[1] = static_cast<uint8_t*>(Bitmap->ScanLine(1));
  const ptrdiff_t step = Rows[1] - Rows[0];
  for (int i = 2; i < h; ++i) Rows[static_cast<size_t>(i)] = Rows[static_cast<size_t>(i - 1)] + step;
}

void TChartFilter::FilterRect(TBitmap* Bitmap, const TRect&) {
  if (!KeepRows) PrepareRows(Bitmap);
}

void TChartFilter::AddEditorControls(IFilterEditor*, TNotifyEvent OnChange) { EditorOnChange = std::move(OnChange); }

std::string TChartFilter::FilterTitle() { return ClassName(); }

void ApplyFilterClass(TFilterClass FilterClass, TBitmap* Bitmap) {
  std::unique_ptr<TChartFilter> f(FilterClass->Create(nullptr));
  f->FilterBitmap(Bitmap);
}

// ---------------------------------------------------------------------------------------------------

TFilterItems::TFilterItems(TPersistent* AOwner)
    : TOwnedCollection(AOwner, TChartFilter::StaticClass(), MakeItemFactory<TChartFilter>()) {}

TChartFilter* TFilterItems::AddFilter(TFilterClass FilterClass) {
  TChartFilter* f = FilterClass->Create(this);
  if (f->Collection() != this) f->SetCollection(this);
  return f;
}

TChartFilter* TFilterItems::AddFilter(TChartFilter* Filter) {
  Filter->SetCollection(this);
  return Filter;
}

void TFilterItems::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TFilterItems*>(Source);
  if (!src) {
    TOwnedCollection::Assign(Source);
    return;
  }
  if (src == this) return;
  Clear();
  BeginUpdate();
  try {
    for (int i = 0; i < src->Count(); ++i) {
      TChartFilter* from = src->Items(i);
      TChartFilter* to = AddFilter(from->FilterClassRef());
      to->Assign(from);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---------------------------------------------------------------------------------------------------

TChartPicture::TChartPicture() : FCachedBitmap(std::make_unique<TBitmap>()) {}

TChartPicture::~TChartPicture() = default;

TFilterItems* TChartPicture::Filters() {
  if (!FFilters) {
    FFilters = std::make_unique<TFilterItems>(this);
    FFilters->SetPropName("Filters");
  }
  return FFilters.get();
}

void TChartPicture::SetFilters(TFilterItems* Value) {
  if (!Value) {
    FFilters.reset();
    return;
  }
  Filters()->Assign(Value);
}

void TChartPicture::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TChartPicture*>(Source)) SetFilters(p->FFilters.get());
  TPicture::Assign(Source);
}

void TChartPicture::DefineProperties(TFiler* Filer) {
  TPicture::DefineProperties(Filer);
  Filer->DefineProperty(
      "FilterItems", [this](TReader* R) { ReadFilterItems(R); }, [this](TWriter* W) { WriteFilterItems(W); },
      HasFilters());
}

// A collection value: per filter a list holding "ItemClass" with the class name, then the filter's
// published properties; a closing 0 after the last filter.
void TChartPicture::WriteFilterItems(TWriter* Writer) {
  const std::string savedPath = Writer->PropPath();
  TPersistent* const savedAncestor = Writer->Ancestor();
  Writer->WriteValue(vaCollection);
  try {
    for (int i = 0; FFilters && i < FFilters->Count(); ++i) {
      TChartFilter* f = FFilters->Items(i);
      Writer->WriteListBegin();
      Writer->SetPropPath("");
      Writer->SetAncestor(nullptr);
      Writer->WritePropName("ItemClass");
      Writer->WriteString(f->ClassName());
      Writer->WriteProperties(f);
      Writer->WriteListEnd();
    }
    Writer->WriteListEnd();
  } catch (...) {
    Writer->SetPropPath(savedPath);
    Writer->SetAncestor(savedAncestor);
    throw;
  }
  Writer->SetPropPath(savedPath);
  Writer->SetAncestor(savedAncestor);
}

void TChartPicture::ReadFilterItems(TReader* Reader) {
  TFilterItems* list = Filters();
  list->BeginUpdate();
  try {
    if (!Reader->EndOfList()) list->Clear();
    if (Reader->ReadValue() != vaCollection) throw EReadError("Invalid property value: a filter list was expected");
    while (!Reader->EndOfList()) {
      const TValueType t = Reader->NextValue();
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) Reader->ReadInteger();  // an item index
      Reader->ReadListBegin();
      Reader->ReadStr();  // "ItemClass"
      const std::string className = Reader->ReadString();
      // Only filter classes: a stream naming any other registered class must not make one here.
      const TRegisteredClass* rc = GetClass(className);
      if (!rc || !rc->Class || !rc->ItemFactory || !TObject::ClassInheritsFrom(rc->Class, TChartFilter::StaticClass()))
        throw EClassNotFound(Format("Class %s not found", className));
      std::unique_ptr<TCollectionItem> item(rc->ItemFactory(nullptr));
      auto* filter = dynamic_cast<TChartFilter*>(item.get());
      if (!filter) throw EClassNotFound(Format("Class %s not found", className));
      // Settings are read into the loose filter; it joins the list once its list is complete, so a
      // stream that ends inside a filter leaves no half-read filter behind.
      while (!Reader->EndOfList()) Reader->ReadProperty(filter);
      Reader->ReadListEnd();
      item.release();
      list->AddFilter(filter);
    }
    Reader->ReadListEnd();
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}
