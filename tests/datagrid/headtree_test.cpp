// The multi-level title tree.

#include <gtest/gtest.h>

#include "datagrid/HeadTree.h"

namespace {

// "Caption(child, child)" for a level, children in ring order.
std::string Dump(THeadTreeNode* N) {
  std::string s;
  bool first = true;
  for (THeadTreeNode* c : N->Children()) {
    if (!first) s += ", ";
    first = false;
    s += c->Caption;
    if (c->FirstChild) s += "(" + Dump(c) + ")";
  }
  return s;
}

std::string Build(const std::vector<std::string>& Captions, std::vector<THeadTreeNode*>* NodesOut = nullptr) {
  THeadTreeNode root("Root", 0, 10);
  std::vector<TTitleLeafInfo> leaves;
  for (const std::string& c : Captions) leaves.push_back({c, 50, nullptr, 0, 1});
  std::vector<THeadTreeNode*> nodes;
  BuildTitleTree(&root, leaves, 60, 20, nodes);
  EXPECT_EQ(nodes.size(), Captions.size());
  for (THeadTreeNode* n : nodes) EXPECT_FALSE(n->Caption.empty());
  if (NodesOut) *NodesOut = nodes;
  return Dump(&root);
}

}  // namespace

TEST(HeadTree, CaptionListsGiveTrees) {
  struct Case {
    std::vector<std::string> Captions;
    std::string Tree;
  } cases[] = {
      {{"A", "B"}, "A, B"},
      {{"Sales|Q1", "Sales|Q2", "Total"}, "Sales(Q1, Q2), Total"},
      // A plain caption beside a group stays its own leaf instead of becoming an empty one.
      {{"Sales|Q1", "Sales"}, "Sales(Q1), Sales"},
      // A shared second level is joined only with neighbours on the same level.
      {{"A|X|1", "X|2"}, "A(X(1)), X(2)"},
      {{"A|X|1", "A|X|2", "A|Y"}, "A(X(1, 2), Y)"},
      // Non-adjacent equal groups stay apart.
      {{"G|1", "H", "G|2"}, "G(1), H, G(2)"},
      {{"Ünit|价格", "Ünit|数量"}, "Ünit(价格, 数量)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Build(c.Captions), c.Tree);
}

TEST(HeadTree, GroupHeightsAndWidths) {
  THeadTreeNode root("Root", 0, 10);
  std::vector<TTitleLeafInfo> leaves = {{"S|a", 40, nullptr, 0, 1}, {"S|b", 30, nullptr, 0, 1}};
  std::vector<THeadTreeNode*> nodes;
  BuildTitleTree(&root, leaves, 40, 20, nodes);
  THeadTreeNode* s = root.FirstChild;
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Height, 20);
  EXPECT_EQ(s->Width, 40 + 1 + 30 + 1 - 1);
  EXPECT_EQ(nodes[0]->Height, 20);
  EXPECT_EQ(nodes[0]->Parent, s);
  EXPECT_EQ(s->NextSibling, s);  // a lone node rings to itself
}

TEST(HeadTree, NodesOutsideTheTreeOrLevelRaise) {
  THeadTreeNode root("Root", 0, 10);
  THeadTreeNode other("Other", 0, 10);
  THeadTreeNode* a = root.AppendChild(&root, "a", 1, 1);
  THeadTreeNode* b = root.AppendChild(&root, "b", 1, 1);
  THeadTreeNode* x = root.AppendChild(a, "x", 1, 1);
  EXPECT_THROW(root.InsertAfter(&other, "n", 1, 1), Exception);
  EXPECT_THROW(root.AppendChild(&other, "n", 1, 1), Exception);
  EXPECT_THROW(root.GroupUnder(&other, a, 5, "g"), Exception);
  EXPECT_THROW(root.GroupUnder(a, x, 5, "g"), Exception);  // x is a level down
  EXPECT_THROW(root.GroupUnder(b, a, 5, "g"), Exception);  // a comes before b
  EXPECT_EQ(Dump(&root), "a(x), b");
  int seen = 0;
  root.ForEachNode([&](THeadTreeNode*) { ++seen; });
  EXPECT_EQ(seen, 3);
}

TEST(HeadTree, WordRoutines) {
  EXPECT_EQ(WordStart(2, "||ab|cd", "|"), 6);
  EXPECT_EQ(NthWord(2, "ab|cd", "|"), "cd");
  EXPECT_EQ(NthWord(3, "ab|cd", "|"), "");
  EXPECT_EQ(NthWord(1, "价|x", "|"), "价");
}
