#pragma once
// A holder of one field value in its native form, and conversions between native values and variants
// (calculated values, OldValue, Locate). Private to platform/data.

#include <string>

#include "platform/data/db.h"

struct TNativeValue {
  int32_t I32 = 0;
  int64_t I64 = 0;
  bool B = false;
  double D = 0;
  Currency C;
  std::string S;
  Variant V;

  void* Ptr(TField::TNative N) {
    switch (N) {
      case TField::nvInt32: return &I32;
      case TField::nvInt64: return &I64;
      case TField::nvBool: return &B;
      case TField::nvDouble: return &D;
      case TField::nvCurrency: return &C;
      case TField::nvString: return &S;
      case TField::nvVariant: return &V;
      default: return nullptr;
    }
  }
};

// Variant of a native value held at Buffer (of the field's native form and type).
Variant NativeToVariant(const TField* Field, const void* Buffer);
// Writes Value into Holder in the field's native form; false for Null/Empty.
bool VariantToNative(const TField* Field, const Variant& Value, TNativeValue& Holder);
