#pragma once
// Variant equality as the editor library's key matching needs it (unit ToolCtrlsX): one-dimensional
// arrays compare element by element, an unassigned value equals only another unassigned value, and a
// comparison that cannot be made is an answer ("not equal"), never an exception.

#include "platform/rtl/variants.h"

bool VarValuesEqual(const Variant& V1, const Variant& V2);
