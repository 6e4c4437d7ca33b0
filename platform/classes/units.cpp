#include "platform/classes/units.h"

#include "platform/rtl/sysutils.h"

namespace {
struct TUnit {
  std::string Name;
  TUnitProc Initialize, Finalize;
  bool Initialized = false;
};
std::vector<TUnit>& Units() {
  static std::vector<TUnit> u;
  return u;
}
}  // namespace

void AddUnit(const std::string& Name, TUnitProc Initialize, TUnitProc Finalize) {
  for (const TUnit& u : Units())
    if (SameText(u.Name, Name)) throw EInvalidOperation("Unit " + Name + " is already in the unit list");
  Units().push_back(TUnit{Name, std::move(Initialize), std::move(Finalize), false});
}

void InitializeUnits() {
  for (const TUnit& u : Units())
    if (u.Initialized) throw EInvalidOperation("Unit " + u.Name + " is already initialized");
  for (TUnit& u : Units()) {
    if (u.Initialize) u.Initialize();
    u.Initialized = true;
  }
}

void FinalizeUnits() {
  std::exception_ptr first;
  auto& units = Units();
  for (auto it = units.rbegin(); it != units.rend(); ++it) {
    if (!it->Initialized) continue;
    it->Initialized = false;
    try {
      if (it->Finalize) it->Finalize();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

bool UnitInitialized(const std::string& Name) {
  for (const TUnit& u : Units())
    if (SameText(u.Name, Name)) return u.Initialized;
  return false;
}

std::vector<std::string> UnitNames() {
  std::vector<std::string> r;
  for (const TUnit& u : Units()) r.push_back(u.Name);
  return r;
}

void ClearUnits() {
  for (const TUnit& u : Units())
    if (u.Initialized) throw EInvalidOperation("Unit " + u.Name + " is still initialized");
  Units().clear();
}
