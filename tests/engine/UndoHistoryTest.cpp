#include "engine/UndoHistory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct State {
  double measured[120];
  double shape[120];
  double slider;
};

// A state whose every value tells which edit produced it.
State state_of(int edit) {
  State s;
  for (int i = 0; i < 120; ++i) {
    s.measured[i] = edit + i * 1e-3;
    s.shape[i] = -edit - i * 1e-3;
  }
  s.slider = edit * 0.001;
  return s;
}

int edit_of(const UndoHistory& h) {
  State s;
  h.current(s.measured, s.shape, &s.slider);
  const State want = state_of(int(s.measured[0]));
  for (int i = 0; i < 120; ++i) {
    EXPECT_EQ(s.measured[i], want.measured[i]);
    EXPECT_EQ(s.shape[i], want.shape[i]);
  }
  EXPECT_EQ(s.slider, want.slider);
  return int(s.measured[0]);
}

std::unique_ptr<UndoHistory> history_at(int edit) {
  auto h = std::make_unique<UndoHistory>();
  const State s = state_of(edit);
  h->reset(s.measured, s.shape, s.slider);
  return h;
}

void push(UndoHistory& h, int edit) {
  const State s = state_of(edit);
  h.push(s.measured, s.shape, s.slider);
}

}  // namespace

TEST(UndoHistory, FreshOrResetHistoryHasNothingToWalk) {
  auto h = history_at(0);
  EXPECT_FALSE(h->undo());
  EXPECT_FALSE(h->redo());
  EXPECT_EQ(edit_of(*h), 0);

  push(*h, 1);
  push(*h, 2);
  const State s = state_of(7);
  h->reset(s.measured, s.shape, s.slider);
  EXPECT_EQ(h->pos(), 0);
  EXPECT_EQ(h->top(), 0);
  EXPECT_FALSE(h->undo());
  EXPECT_FALSE(h->redo());
  EXPECT_EQ(edit_of(*h), 7);
}

TEST(UndoHistory, UndoRedoAndAPushThatDiscardsRedo) {
  auto h = history_at(0);
  push(*h, 1);
  ASSERT_TRUE(h->undo());
  EXPECT_EQ(edit_of(*h), 0);
  ASSERT_TRUE(h->redo());
  EXPECT_EQ(edit_of(*h), 1);
  EXPECT_FALSE(h->redo());

  push(*h, 2);
  push(*h, 3);
  ASSERT_TRUE(h->undo());
  ASSERT_TRUE(h->undo());
  EXPECT_EQ(edit_of(*h), 1);
  push(*h, 4);  // the branch 2, 3 is gone
  EXPECT_FALSE(h->redo());
  EXPECT_EQ(h->pos(), 2);
  EXPECT_EQ(h->top(), 2);
  ASSERT_TRUE(h->undo());
  EXPECT_EQ(edit_of(*h), 1);
  ASSERT_TRUE(h->redo());
  EXPECT_EQ(edit_of(*h), 4);
}

TEST(UndoHistory, FullRingDropsTheOldestSnapshots) {
  auto h = history_at(0);
  for (int edit = 1; edit <= 150; ++edit) push(*h, edit);
  EXPECT_EQ(h->pos(), 99);
  EXPECT_EQ(h->top(), 99);
  EXPECT_EQ(edit_of(*h), 150);
  for (int step = 0; step < 99; ++step) ASSERT_TRUE(h->undo());
  EXPECT_EQ(edit_of(*h), 51);
  EXPECT_FALSE(h->undo());
  EXPECT_EQ(edit_of(*h), 51);
  for (int step = 0; step < 99; ++step) ASSERT_TRUE(h->redo());
  EXPECT_EQ(edit_of(*h), 150);
  EXPECT_FALSE(h->redo());
}

TEST(UndoHistory, FewerBandsKeepTheSliderBehindTheShape) {
  UndoHistory h(3);
  EXPECT_EQ(h.bands(), 3);
  const double m0[3] = {1, 2, 3}, s0[3] = {4, 5, 6};
  const double m1[3] = {7, 8, 9}, s1[3] = {10, 11, 12};
  h.reset(m0, s0, 0.25);
  h.push(m1, s1, 0.75);
  ASSERT_TRUE(h.undo());
  double m[4] = {0, 0, 0, -1}, s[4] = {0, 0, 0, -1}, slider = 0;
  h.current(m, s, &slider);
  EXPECT_EQ(m[2], 3);
  EXPECT_EQ(m[3], -1);  // nothing beyond nbands is written
  EXPECT_EQ(s[0], 4);
  EXPECT_EQ(s[3], -1);
  EXPECT_EQ(slider, 0.25);
}
