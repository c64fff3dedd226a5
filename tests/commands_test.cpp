#include "codegen/commands.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/grid_builders.h"

namespace tolvane {
namespace {

constexpr const char* kZeros = "00, 00, 00, 00, 00, 00, 00, 00";

// A box whose n-th write fails, as a text box might when memory runs out.
class FailingBox final : public OutputBox {
 public:
  explicit FailingBox(int failingWrite) : failingWrite_(failingWrite) {}
  void setText(std::string_view text) override {
    countWrite();
    text_ = text;
  }
  void append(std::string_view text) override {
    countWrite();
    text_ += text;
  }
  const std::string& text() const { return text_; }

 private:
  void countWrite() {
    if (++writes_ == failingWrite_) throw std::runtime_error("box full");
  }
  int failingWrite_;
  int writes_ = 0;
  std::string text_ = "before";
};

TEST(ClearFields, UnticksAFullGridAndWritesZeroTables) {
  MemoryGrid grid = testing::gridWithTicked(testing::cellRange(1, 160));
  grid.setValue(80, 2);
  StringBox pf0, pf1, pf2;
  clearFields(grid, {pf0, pf1, pf2});
  for (int cell = 1; cell <= kCellCount; ++cell) EXPECT_EQ(grid.value(cell), kClear);
  EXPECT_EQ(pf0.text(), kZeros);
  EXPECT_EQ(pf1.text(), kZeros);
  EXPECT_EQ(pf2.text(), kZeros);
}

TEST(CreateCode, TwiceGivesTheSameTextsAndLeavesTheGridAlone) {
  MemoryGrid grid = testing::gridWithTicked({1, 4, 5, 12, 13, 20, 141, 152, 160});
  grid.setValue(77, 2);
  const MemoryGrid before = grid;
  StringBox pf0, pf1, pf2;
  createCode(grid, {pf0, pf1, pf2});
  const std::string first[] = {pf0.text(), pf1.text(), pf2.text()};
  pf0.setText("typed");
  pf1.append(" and more");
  createCode(grid, {pf0, pf1, pf2});
  EXPECT_EQ(pf0.text(), first[0]);
  EXPECT_EQ(pf1.text(), first[1]);
  EXPECT_EQ(pf2.text(), first[2]);
  for (int cell = 1; cell <= kCellCount; ++cell) {
    EXPECT_EQ(grid.value(cell), before.value(cell)) << cell;
  }
}

// For each box and each write of its run: the failing write stops the
// command and reaches the caller, the box keeps the text built so far, the
// boxes before it hold their new tables and those after it are untouched.
TEST(CreateCode, AFailingBoxKeepsItsTextSoFarAndStopsTheCommand) {
  const MemoryGrid grid =
      testing::gridWithTicked({145, 147, 149, 150, 152, 153, 154, 156, 159, 141, 2});
  StringBox whole[3];
  createCode(grid, {whole[0], whole[1], whole[2]});

  for (int failing = 0; failing < 3; ++failing) {
    bool finished = false;
    for (int write = 1; !finished; ++write) {
      StringBox boxes[3];
      for (StringBox& box : boxes) box.setText("before");
      FailingBox broken(write);
      OutputBox* targets[3] = {&boxes[0], &boxes[1], &boxes[2]};
      targets[failing] = &broken;
      try {
        createCode(grid, {*targets[0], *targets[1], *targets[2]});
        finished = true;
      } catch (const std::runtime_error&) {
        const std::string& kept = broken.text();
        if (write == 1) EXPECT_EQ(kept, "before");
        if (write > 1) EXPECT_EQ(whole[failing].text().substr(0, kept.size()), kept);
        for (int other = failing + 1; other < 3; ++other) {
          EXPECT_EQ(boxes[other].text(), "before");
        }
      }
      EXPECT_FALSE(finished && broken.text() != whole[failing].text());
      for (int other = 0; other < failing; ++other) {
        EXPECT_EQ(boxes[other].text(), whole[other].text());
      }
    }
  }
}

}  // namespace
}  // namespace tolvane
