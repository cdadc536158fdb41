// The edit history on its own: where steps go when it is full or a new edit follows undos, and
// what becomes of the clean point then.

#include <gtest/gtest.h>

#include "operations/EditHistory.h"

namespace vorn {
namespace {

EditedDocument Doc(int n) {
  EditedDocument d;
  d.general.DCCAddress = n;
  return d;
}

TEST(EditHistory, KeepsTheNewestStepsAndForgetsACleanPointThatWentAway) {
  EditHistory h;
  h.reset(Doc(0));
  EXPECT_FALSE(h.record("same", Doc(0), 0, 0)) << "no change, no step";
  const int total = static_cast<int>(EditHistory::kLimit) + 5;
  for (int i = 1; i <= total; ++i) ASSERT_TRUE(h.record("step " + std::to_string(i), Doc(i), 0, 0));
  EXPECT_EQ(h.steps(), EditHistory::kLimit);
  EXPECT_FALSE(h.isClean()) << "the clean start fell off the front";
  int undone = 0;
  while (h.undo()) ++undone;
  EXPECT_EQ(undone, static_cast<int>(EditHistory::kLimit));
  EXPECT_TRUE(h.current() == Doc(total - static_cast<int>(EditHistory::kLimit)));
  EXPECT_EQ(h.redoName(), "step 6");
  EXPECT_FALSE(h.isClean());

  // A clean point one step in becomes the oldest state kept: undoing all the way is clean.
  h.reset(Doc(0));
  h.record("saved", Doc(1), 0, 0);
  h.markClean();
  for (int i = 2; i <= static_cast<int>(EditHistory::kLimit) + 1; ++i) h.record("x", Doc(i), 0, 0);
  while (h.undo()) {
  }
  EXPECT_TRUE(h.isClean());

  // Clean in the middle, undo past it, then a new edit: the clean state cannot come back.
  h.reset(Doc(0));
  h.record("a", Doc(1), 0, 0);
  h.record("b", Doc(2), 0, 0);
  h.markClean();
  h.undo();
  EXPECT_FALSE(h.isClean());
  h.redo();
  EXPECT_TRUE(h.isClean());
  h.undo();
  h.undo();
  ASSERT_TRUE(h.record("c", Doc(3), 4, 5));
  EXPECT_FALSE(h.canRedo());
  EXPECT_EQ(h.undoName(), "c");
  const EditHistory::Step* c = h.undo();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->pin, 4);
  EXPECT_EQ(c->aspect, 5);
  h.redo();
  EXPECT_FALSE(h.isClean());
  h.amend(Doc(2));  // the document as a save left it
  EXPECT_TRUE(h.current() == Doc(2));
  EXPECT_FALSE(h.isClean()) << "the same content, not the same point";
}

}  // namespace
}  // namespace vorn
