// The registered filter classes and the start-up of the filter unit.
#include "chart/ChartFilters.h"

namespace {
std::vector<TFilterClass>& ClassList() {
  static std::vector<TFilterClass> list;
  return list;
}
}  // namespace

void RegisterFilterClasses(std::initializer_list<TFilterClass> Classes) {
  auto& list = ClassList();
  for (TFilterClass c : Classes) {
    bool known = false;
    for (TFilterClass k : list) known = known || k->Class == c->Class;
    if (known) continue;
    list.push_back(c);
    // Found by name when a streamed filter list is read.
    auto create = c->Create;
    RegisterItemClass(c->Class->Name, c->Class, [create](TCollection* Collection) -> TCollectionItem* { return create(Collection); });
  }
}

const std::vector<TFilterClass>& FilterClasses() { return ClassList(); }

namespace ChartFilters {

void Initialize() {
  RegisterFilterClasses({FilterClassOf<TInvertFilter>(), FilterClassOf<TGrayScaleFilter>(),
                         FilterClassOf<TMosaicFilter>(), FilterClassOf<TFlipFilter>(),
                         FilterClassOf<TReverseFilter>(), FilterClassOf<TBrightnessFilter>(),
                         FilterClassOf<TContrastFilter>(), FilterClassOf<TColorFilter>(),
                         FilterClassOf<THueLumSatFilter>(), FilterClassOf<TBlurFilter>(),
                         FilterClassOf<TSharpenFilter>(), FilterClassOf<TGammaCorrectionFilter>(),
                         FilterClassOf<TEmbossFilter>(), FilterClassOf<TSoftenFilter>(),
                         FilterClassOf<TCropFilter>(), FilterClassOf<TResizeFilter>(),
                         FilterClassOf<TRotateFilter>(), FilterClassOf<TMirrorFilter>(),
                         FilterClassOf<TTileFilter>(), FilterClassOf<TBevelFilter>(),
                         FilterClassOf<TZoomFilter>()});
  // The gradient classes come with the drawing settings; their start-up points GradientRotateProc at
  // a routine that calls RotateBitmapBy with the gradient's angle. Until then the hook stays empty.
}

void Finalize() {
  GradientRotateProc = nullptr;
  ClassList().clear();
}

}  // namespace ChartFilters
