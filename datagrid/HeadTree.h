#pragma once
// The multi-level title tree of the data grid. Column captions split at "|" into levels: "Sales|Q1"
// and "Sales|Q2" side by side get one "Sales" title over two leaves "Q1" and "Q2". The tree holds one
// leaf per column (in column order) and a group node over each run of adjacent leaves that share a
// first level; painting walks it to draw the title band.
//
// Siblings form a ring (the last points back to the first, a lone node to itself), so that a level is
// walked from any of its nodes.

#include <functional>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/rtl/sysutils.h"

class TColumnX;

class THeadTreeNode : public TObject {
 public:
  THeadTreeNode();
  THeadTreeNode(const std::string& Text, int AWidth, int AHeight);
  // The root (a node without parent) frees every node under it.
  ~THeadTreeNode() override;

  static THeadTreeNode* CreateCaption(const std::string& Text, int AWidth, int AHeight) {
    return new THeadTreeNode(Text, AWidth, AHeight);
  }

  THeadTreeNode* Parent = nullptr;
  THeadTreeNode* FirstChild = nullptr;
  THeadTreeNode* NextSibling = this;
  std::string Caption;
  int Height = 0;
  int Width = 0;
  bool Drawn = false;
  TColumnX* Column = nullptr;
  int SortIndent = 0;
  int LineWidth = 0;

  // A new sibling after After (same parent). Exception "Node not in Tree" when After is not here.
  THeadTreeNode* InsertAfter(THeadTreeNode* After, const std::string& Text, int AWidth, int AHeight);
  // A new last child of Node. Exception "Node not in Tree" when Node is not here.
  THeadTreeNode* AppendChild(THeadTreeNode* Node, const std::string& Text, int AWidth, int AHeight);
  void FreeDescendants();
  // This node, its ring and everything below them.
  bool Contains(THeadTreeNode* Node) const;
  // Puts the siblings From .. To (along the ring) under a new node of the given height and text; the
  // run loses that height. "Node not in Tree" / "ATo not in level" leave the tree unchanged.
  THeadTreeNode* GroupUnder(THeadTreeNode* From, THeadTreeNode* To, int AHeight, const std::string& Text);
  // Every descendant, each node before its children, siblings in ring order.
  void ForEachNode(const std::function<void(THeadTreeNode*)>& Proc);
  // Children in ring order.
  std::vector<THeadTreeNode*> Children() const;
};

// One column's entry when the tree is built.
struct TTitleLeafInfo {
  std::string Caption;
  int Width = 0;
  TColumnX* Column = nullptr;
  int SortIndent = 0;
  int LineWidth = 0;
};

// Rebuilds Root's children from the leaves (one per column, in order): each leaf starts at LeafHeight
// under the root; then, until nothing changes, each run of adjacent leaves of one level whose captions
// still hold two or more levels and share the first is grouped under a node of height GroupHeight
// carrying that first level. A caption without a further level stays a leaf of its own, and only
// neighbours on the same level are joined, so every caption list gives a tree. Nodes[i] is column i's
// leaf.
void BuildTitleTree(THeadTreeNode* Root, const std::vector<TTitleLeafInfo>& Leaves, int LeafHeight,
                    int GroupHeight, std::vector<THeadTreeNode*>& Nodes);

// Word routines: words are runs of characters not in Delimiters (single-byte delimiters only).
// WordStart: 1-based byte position of the N-th word (N from 1), 0 when there is none.
int WordStart(int N, const std::string& Text, const std::string& Delimiters);
std::string NthWord(int N, const std::string& Text, const std::string& Delimiters);
std::string NthWordAt(int N, const std::string& Text, const std::string& Delimiters, int& Pos);
