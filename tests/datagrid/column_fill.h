#pragma once
// How the column tests set every published setting of a grid column: the walk's own rule, except where
// a value must make sense to the grid (field names of the fixtures' data sets, width limits that keep
// the width, a glyph strip of two images, the image list and the other components to refer to).

#include "platform/controls/imglist.h"
#include "platform/controls/menus.h"
#include "platform/data/db.h"
#include "tests/datagrid/published_walk.h"
#include "tests/platform/controls/glyph_strip.h"

// Lists: a source of records with the fields Code and Label.
inline TPublishedFill ColumnFill(TPopupMenu* Menu, TImageList* Images, TDataSource* Lists) {
  TPublishedFill fill;
  fill.Components = {Menu, Lists};
  auto text = [](const char* Value) {
    return [Value](TObject* O, const TPropInfo* P) { P->SetStr(O, Value); };
  };
  auto number = [](int64_t Value) {
    return [Value](TObject* O, const TPropInfo* P) { P->SetOrd(O, Value); };
  };
  fill.ByName["FieldName"] = text("Amount");
  fill.ByName["DataField"] = text("Code");
  fill.ByName["KeyField"] = text("Code");
  fill.ByName["ListField"] = text("Label");
  fill.ByName["LookupDisplayFields"] = text("Label");
  fill.ByName["DisplayFormat"] = text("0.00");
  fill.ByName["MaxWidth"] = number(500);
  fill.ByName["MinWidth"] = number(10);
  fill.ByName["NumGlyphs"] = number(2);
  fill.ByName["ImageList"] = [Images](TObject* O, const TPropInfo* P) { P->SetObj(O, Images); };
  fill.ByName["Glyph"] = [](TObject* O, const TPropInfo* P) {
    FillGlyphStrip(static_cast<TBitmap*>(P->GetObj(O)), {clRed, clBlue}, 2);
  };
  return fill;
}
