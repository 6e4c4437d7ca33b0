// Measuring multi-level titles: every node of the title tree gets a height from its caption wrapped to
// its width, so that long captions take as many lines as they need and the title row is as tall as
// the tallest column of bands. Also the grid's images drawn turned for right-to-left reading.
#include <algorithm>
#include <string>
#include <vector>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"

namespace {

// Room a node's own band needs beyond its text: the cell's text margin, and 3 pixels that the title
// row gives back as a whole (see InternalLayout) and the leaf's cell adds again when it is drawn.
constexpr int TitleBandExtra = 3;

}  // namespace

int TCustomDBGridX::TitleNodeOwnHeight(THeadTreeNode* Node) {
  // A hidden column's leaf takes no room (its width is 0 or -1: wrapping it would give one character
  // per line).
  if (Node->Width <= 0) return 0;
  TCanvas* c = Canvas();
  TColumnX* col = Node->FirstChild ? nullptr : Node->Column;
  c->Font()->Assign(col ? col->Title()->Font() : FTitleFont.get());
  int extent = 0;
  if (col && FTitleImages && col->Title()->ImageIndex() != -1) {
    // The image takes the caption's place.
    extent = FTitleImages->Height();
  } else {
    std::string text = Node->Caption.empty() ? std::string(" ") : Node->Caption;
    if (col && col->Title()->Orientation() == tohVertical) {
      // Measured turned: the text's length is its height.
      extent = DrawVerticalTextX(c, TRect(), false, 0, 0, text, 0, 0, false, true) + 2;
    } else {
      // The text's room in the cell: less the sort marker (and its order number when two or more
      // columns are marked), the margins and a raised frame.
      int frame = FOptionsX.Contains(gxoFixed3D) ? 2 : 0;
      int number = 0;
      if (col && Node->SortIndent > 0 && FSortMarkedColumns.size() >= 2 && col->Title()->SortIndex() > 0 &&
          SortMarkerFont) {
        TFont keep;
        keep.Assign(c->Font());
        c->Font()->Assign(SortMarkerFont);
        number = c->TextWidth(std::to_string(col->Title()->SortIndex()));
        c->Font()->Assign(&keep);
      }
      RECT r{0, 0, std::max(1, Node->Width - Node->SortIndent - number - 4 - frame), 0};
      UINT fmt = DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | (RightToLeft() ? DT_RTLREADING : 0);
      DrawText(c->Handle(), text.c_str(), -1, &r, fmt);
      extent = r.bottom - r.top;
    }
  }
  return extent + FCellTextMargin + TitleBandExtra;
}

int TCustomDBGridX::MeasureTitleNode(THeadTreeNode* Node) {
  if (!Node) return 0;
  std::vector<THeadTreeNode*> children = Node->Children();
  std::vector<int> below(children.size(), 0);
  int total = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    THeadTreeNode* child = children[i];
    if (child->FirstChild) below[i] = MeasureTitleNode(child);
    total = std::max(total, TitleNodeOwnHeight(child) + below[i]);
  }
  // A group keeps what its children leave of the total (its band grows with a short neighbour
  // column's text); a leaf reaches down to the row's bottom.
  for (size_t i = 0; i < children.size(); ++i) {
    THeadTreeNode* child = children[i];
    child->Height = child->FirstChild ? total - below[i] : total;
  }
  return total;
}

void TCustomDBGridX::DrawGridImage(TCustomImageList* Images, int X, int Y, int Index) {
  if (!Images) return;
  if (RightToLeft())
    DrawImageFlipped(Images, Canvas(), X, Y, Index);
  else
    Images->Draw(Canvas(), X, Y, Index);
}
