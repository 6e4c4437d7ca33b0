// Fitting column widths to their contents: each column becomes as wide as the widest of its title, the
// cells of every record (text, image or check box, plus an always-visible edit button) and its footer
// texts. The data set is walked with its controls disabled and the shown rows are put back afterwards.
#include <algorithm>
#include <map>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFooter.h"
#include "dataedit/ToolCtrlsX.h"

namespace {

// Width of Text in the canvas's font; wrapped to MaxWidth when Wrap (then the widest line counts).
int TextExtentX(TCanvas* C, const std::string& Text, bool Wrap, int MaxWidth) {
  RECT r{0, 0, Wrap ? std::max(1, MaxWidth) : 0, 0};
  DrawText(C->Handle(), Text.empty() ? " " : Text.c_str(), -1, &r,
           DT_CALCRECT | DT_NOPREFIX | (Wrap ? DT_WORDBREAK : DT_SINGLELINE));
  return r.right - r.left;
}

}  // namespace

void TCustomDBGridX::AutoFitColumn(TColumnX* Column) {
  TColumnsXList list;
  TDBGridXSelection* sel = SelectionX();
  if (sel && sel->Kind() == selColumnsX) {
    for (int i = 0; i < FColumns->Count(); ++i)
      if (sel->IsColumnSelected(FColumns->Items(i))) list.push_back(FColumns->Items(i));
  } else if (sel && sel->Kind() == selAllX) {
    for (int i = 0; i < FColumns->Count(); ++i) list.push_back(FColumns->Items(i));
  }
  if (Column && std::find(list.begin(), list.end(), Column) == list.end()) list.push_back(Column);
  AutoFitColumns(list);
}

void TCustomDBGridX::AutoFitColumns(const TColumnsXList& List) {
  if (List.empty()) return;
  TCanvas* c = Canvas();
  TFont keep;
  keep.Assign(c->Font());
  const int margin = 4;
  std::map<TColumnX*, int> widths;
  bool wrapTitles = FUseMultiTitle || FTitleLineCount > 1;

  // 1. Titles.
  for (TColumnX* col : List) {
    TColumnTitleX* t = col->Title();
    int m = col->GetSortMarkerWidth() >= 3 ? col->GetSortMarkerWidth() + 2 : margin;
    int w = m;
    if (FTitleImages && t->ImageIndex() != -1) {
      w = m + FTitleImages->Width();
    } else {
      std::string caption = t->Caption();
      int idx = col->Index();
      if (FUseMultiTitle && idx >= 0 && idx < static_cast<int>(FTitleColumnNodes.size()) && FTitleColumnNodes[idx])
        caption = FTitleColumnNodes[static_cast<size_t>(idx)]->Caption;
      c->Font()->Assign(t->Font());
      if (t->Orientation() == tohVertical) {
        TEXTMETRIC tm;
        GetTextMetrics(c->Handle(), &tm);
        w = tm.tmHeight + m;
      } else {
        w = TextExtentX(c, caption, wrapTitles && caption.find(' ') != std::string::npos, col->Width()) + m;
      }
    }
    widths[col] = w;
  }

  if (!FDataLink->Active()) {
    c->Font()->Assign(&keep);
    return;  // nothing to measure the cells by: widths stay
  }

  // 2. Every record's cells.
  TDataSet* ds = FDataLink->DataSet();
  ds->DisableControls();
  try {
    SavePosition();
    int limit = ds->IsSequenced() ? ds->RecordCount() : -1;
    int n = 0;
    bool multiLine = FRowLines > 1;
    for (ds->First(); !ds->Eof() && (limit < 0 || n < limit); ds->Next(), ++n) {
      for (TColumnX* col : List) {
        int w = margin;
        if (col->AlwaysShowEditButton()) w += CellButtonWidth(col);
        TColumnCellKindX kind = col->GetCellKind();
        if (kind == cckKeyImages) {
          auto* images = dynamic_cast<TCustomImageList*>(col->ImageList());
          w += images ? images->Width() : 0;
        } else if (kind == cckCheckbox) {
          w += CheckBoxWidth > 0 ? CheckBoxWidth : 13;
        } else {
          c->Font()->Assign(col->Font());
          TColCellParamsX p;
          p.Font = c->Font();
          p.CellColor = col->Color();
          p.Alignment = col->Alignment();
          p.Text = col->GetCellDisplayText();
          DoGetCellParams(col, c->Font(), p.CellColor, TGridDrawState());
          col->GetCellParams(false, &p);
          w += TextExtentX(c, p.Text, col->WordWrap() && multiLine, col->Width());
        }
        widths[col] = std::max(widths[col], w);
      }
    }
    RestorePosition();
  } catch (...) {
    ds->EnableControls();
    c->Font()->Assign(&keep);
    throw;
  }
  ds->EnableControls();

  // 3. Footers, then the widths.
  bool lock = !FAutoFitColWidths;
  if (lock) BeginLayout();
  try {
    for (TColumnX* col : List) {
      for (int f = 0; f < FooterRowCount(); ++f) {
        std::string text;
        GetFooterText(f, col, text);
        TColor back = FooterColor();
        TAlignment a = taLeftJustify;
        TColumnFooterX* footer = col->FooterOfRow(f);
        if (footer) {
          c->Font()->Assign(footer->Font());
          a = footer->Alignment();
        }
        DoGetFooterParams(col->Index(), f, col, c->Font(), back, a, TGridDrawState(), text);
        widths[col] = std::max(widths[col], TextExtentX(c, text, false, 0) + 5);
      }
    }
    for (TColumnX* col : List) col->SetWidth(widths[col]);
  } catch (...) {
    if (lock) EndLayout();
    c->Font()->Assign(&keep);
    throw;
  }
  if (lock) EndLayout();
  c->Font()->Assign(&keep);
}
