#include "dataedit/VarValuesX.h"

#include "platform/rtl/sysutils.h"

namespace {

// The variant "=" of the class library; a comparison that raises (a non-numeric text against a
// number) means the values differ. Answering "equal" there would make a lookup match a wrong key.
bool SafeEqual(const Variant& A, const Variant& B) {
  try {
    return A == B;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

bool VarValuesEqual(const Variant& V1, const Variant& V2) {
  const bool A1 = VarIsArray(V1), A2 = VarIsArray(V2);
  if (A1 != A2) return false;
  if (A1 && VarArrayDimCount(V1) == VarArrayDimCount(V2) &&
      VarArrayLowBound(V1, 1) == VarArrayLowBound(V2, 1) &&
      VarArrayHighBound(V1, 1) == VarArrayHighBound(V2, 1)) {
    const int Low = VarArrayLowBound(V1, 1), High = VarArrayHighBound(V1, 1);
    if (High < Low) return false;  // arrays without elements
    for (int I = Low; I <= High; ++I)
      if (!SafeEqual(V1[I], V2[I])) return false;
    return true;
  }
  if (VarIsEmpty(V1) != VarIsEmpty(V2)) return false;
  return SafeEqual(V1, V2);
}
