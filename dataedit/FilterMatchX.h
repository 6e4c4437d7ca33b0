#pragma once
// Whether a field value passes a parsed filter expression (DbUtilsX): the test a data set applies per
// record when a grid's filter row filters it. Texts compare without regard to case and the partial
// match (~) looks for the operand anywhere in the text; numbers and dates compare as numbers. A Null
// value passes only "= Null"-style tests. An expression without an operator, or of a kind that has no
// comparable value (blobs), passes everything.

#include "dataedit/DbUtilsX.h"
#include "platform/rtl/variants.h"

bool STFilterExpressionAccepts(const TSTFilterExpressionX& Expression, const Variant& Value);
