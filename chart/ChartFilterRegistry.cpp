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
  // GradientRotateProc is set by the drawing settings' start-up, which knows the gradient classes.
}

// Stopping also takes the classes out of the class registry, so that no filter is found by name once
// the unit is gone and a restart registers them afresh.
void Finalize() {
  GradientRotateProc = nullptr;
  for (TFilterClass c : ClassList()) UnRegisterClass(c->Class);
  ClassList().clear();
}

}  // namespace ChartFilters
