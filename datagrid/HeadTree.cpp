#include "datagrid/HeadTree.h"

#include <cstring>

THeadTreeNode::THeadTreeNode() = default;

THeadTreeNode::THeadTreeNode(const std::string& Text, int AWidth, int AHeight)
    : Caption(Text), Height(AHeight), Width(AWidth) {}

THeadTreeNode::~THeadTreeNode() {
  if (!Parent) FreeDescendants();
}

std::vector<THeadTreeNode*> THeadTreeNode::Children() const {
  std::vector<THeadTreeNode*> r;
  if (!FirstChild) return r;
  THeadTreeNode* n = FirstChild;
  do {
    r.push_back(n);
    n = n->NextSibling;
  } while (n != FirstChild);
  return r;
}

void THeadTreeNode::FreeDescendants() {
  for (THeadTreeNode* c : Children()) {
    c->FreeDescendants();
    c->Parent = this;  // keeps its destructor from walking again
    delete c;
  }
  FirstChild = nullptr;
}

bool THeadTreeNode::Contains(THeadTreeNode* Node) const {
  if (!Node) return false;
  const THeadTreeNode* n = this;
  do {
    if (n == Node) return true;
    if (n->FirstChild && n->FirstChild->Contains(Node)) return true;
    n = n->NextSibling;
  } while (n != this);
  return false;
}

THeadTreeNode* THeadTreeNode::InsertAfter(THeadTreeNode* After, const std::string& Text, int AWidth,
                                          int AHeight) {
  if (!Contains(After)) throw Exception("Node not in Tree");
  auto* n = new THeadTreeNode(Text, AWidth, AHeight);
  n->Parent = After->Parent;
  n->NextSibling = After->NextSibling;
  After->NextSibling = n;
  return n;
}

THeadTreeNode* THeadTreeNode::AppendChild(THeadTreeNode* Node, const std::string& Text, int AWidth,
                                          int AHeight) {
  if (!Contains(Node)) throw Exception("Node not in Tree");
  auto* n = new THeadTreeNode(Text, AWidth, AHeight);
  n->Parent = Node;
  if (!Node->FirstChild) {
    Node->FirstChild = n;
  } else {
    THeadTreeNode* last = Node->FirstChild;
    while (last->NextSibling != Node->FirstChild) last = last->NextSibling;
    last->NextSibling = n;
    n->NextSibling = Node->FirstChild;
  }
  return n;
}

THeadTreeNode* THeadTreeNode::GroupUnder(THeadTreeNode* From, THeadTreeNode* To, int AHeight,
                                         const std::string& Text) {
  if (!Contains(From)) throw Exception("Node not in Tree");
  THeadTreeNode* parent = From->Parent;
  // The ring's start: the parent's first child, or From's own ring for a parentless level.
  THeadTreeNode* start = parent ? parent->FirstChild : From;
  // To must follow From along the ring before the ring's start comes round again.
  std::vector<THeadTreeNode*> run;
  THeadTreeNode* n = From;
  for (;;) {
    run.push_back(n);
    if (n == To) break;
    n = n->NextSibling;
    if (n == start || n == From) throw Exception("ATo not in level");
  }
  // The node before From in the ring.
  THeadTreeNode* prev = From;
  while (prev->NextSibling != From) prev = prev->NextSibling;
  THeadTreeNode* after = To->NextSibling;

  auto* g = new THeadTreeNode(Text, 0, AHeight);
  g->Parent = parent;
  g->LineWidth = To->LineWidth;
  bool wholeRing = after == From;
  if (wholeRing) {
    g->NextSibling = g;
  } else {
    prev->NextSibling = g;
    g->NextSibling = after;
  }
  if (parent && parent->FirstChild == From) parent->FirstChild = g;
  int width = 0;
  for (THeadTreeNode* m : run) {
    m->Height -= AHeight;
    m->Parent = g;
    width += m->Width + m->LineWidth;
  }
  if (g->LineWidth >= 1) width -= g->LineWidth;
  g->Width = width;
  To->NextSibling = From;
  g->FirstChild = From;
  return g;
}

void THeadTreeNode::ForEachNode(const std::function<void(THeadTreeNode*)>& Proc) {
  for (THeadTreeNode* c : Children()) {
    Proc(c);
    c->ForEachNode(Proc);
  }
}

namespace {

bool IsDelimiter(char C, const std::string& Delimiters) {
  // Bytes of multi-byte characters (>= 0x80) never count as delimiters.
  return static_cast<unsigned char>(C) < 0x80 && Delimiters.find(C) != std::string::npos;
}

}  // namespace

int WordStart(int N, const std::string& Text, const std::string& Delimiters) {
  int count = 0;
  size_t i = 0;
  while (i < Text.size()) {
    while (i < Text.size() && IsDelimiter(Text[i], Delimiters)) ++i;
    if (i >= Text.size()) break;
    if (++count == N) return static_cast<int>(i) + 1;
    while (i < Text.size() && !IsDelimiter(Text[i], Delimiters)) ++i;
  }
  return 0;
}

std::string NthWordAt(int N, const std::string& Text, const std::string& Delimiters, int& Pos) {
  Pos = WordStart(N, Text, Delimiters);
  if (Pos == 0) return {};
  size_t b = static_cast<size_t>(Pos - 1), e = b;
  while (e < Text.size() && !IsDelimiter(Text[e], Delimiters)) ++e;
  return Text.substr(b, e - b);
}

std::string NthWord(int N, const std::string& Text, const std::string& Delimiters) {
  int pos = 0;
  return NthWordAt(N, Text, Delimiters, pos);
}

void BuildTitleTree(THeadTreeNode* Root, const std::vector<TTitleLeafInfo>& Leaves, int LeafHeight,
                    int GroupHeight, std::vector<THeadTreeNode*>& Nodes) {
  Root->FreeDescendants();
  Nodes.assign(Leaves.size(), nullptr);
  for (size_t i = 0; i < Leaves.size(); ++i) {
    const TTitleLeafInfo& l = Leaves[i];
    THeadTreeNode* n = Root->AppendChild(Root, l.Caption, l.Width, LeafHeight);
    n->Column = l.Column;
    n->SortIndent = l.SortIndent;
    n->LineWidth = l.LineWidth;
    Nodes[i] = n;
  }
  // A leaf takes part in grouping only while its caption holds a further level; the group joins only
  // neighbours of the same level, so a caption like "X|2" beside a grouped "A|X|1", or a plain "Sales"
  // beside "Sales|Q1", stays where it is instead of breaking the tree.
  auto splits = [](const std::string& S) { return WordStart(2, S, "|") != 0; };
  bool changed = true;
  while (changed) {
    changed = false;
    for (size_t i = 0; i < Nodes.size() && !changed; ++i) {
      THeadTreeNode* first = Nodes[i];
      if (!splits(first->Caption)) continue;
      std::string word = NthWord(1, first->Caption, "|");
      size_t j = i;
      while (j + 1 < Nodes.size() && Nodes[j + 1]->Parent == first->Parent && splits(Nodes[j + 1]->Caption) &&
             NthWord(1, Nodes[j + 1]->Caption, "|") == word)
        ++j;
      for (size_t k = i; k <= j; ++k) {
        std::string& c = Nodes[k]->Caption;
        c = c.substr(static_cast<size_t>(WordStart(2, c, "|") - 1));
      }
      // Every leaf of the run reaches the group through its own ancestors on the run's level.
      Root->GroupUnder(first, Nodes[j], GroupHeight, word);
      changed = true;
    }
  }
}
