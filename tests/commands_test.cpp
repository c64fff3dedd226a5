#include "codegen/commands.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/grid_builders.h"

namespace tolvane {
namespace {

using testing::cellRange;
using testing::gridWithTicked;

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
  int writes() const { return writes_; }

 private:
  void countWrite() {
    if (++writes_ == failingWrite_) throw std::runtime_error("box full");
  }
  int failingWrite_;
  int writes_ = 0;
  std::string text_ = "before";
};

// Records the order of cell writes and can fail at one of them.
class RecordingGrid final : public Grid {
 public:
  explicit RecordingGrid(int failingWrite = 0) : failingWrite_(failingWrite) {}
  CellValue value(int cell) const override { return cells_.value(cell); }
  void setValue(int cell, CellValue value) override {
    if (static_cast<int>(written_.size()) + 1 == failingWrite_) {
      throw std::runtime_error("cell gone");
    }
    written_.push_back(cell);
    cells_.setValue(cell, value);
  }
  const std::vector<int>& written() const { return written_; }

 private:
  MemoryGrid cells_;
  int failingWrite_;
  std::vector<int> written_;
};

TEST(ClearFields, UnticksAFullGridInAscendingOrderAndWritesZeroTables) {
  RecordingGrid grid;
  for (int cell = 1; cell <= kCellCount; ++cell) grid.setValue(cell, kTicked);
  StringBox pf0, pf1, pf2;
  const std::size_t before = grid.written().size();

  clearFields(grid, {pf0, pf1, pf2});

  const std::vector<int> cleared(grid.written().begin() + before,
                                 grid.written().end());
  EXPECT_EQ(cleared, cellRange(1, kCellCount));
  for (int cell = 1; cell <= kCellCount; ++cell) {
    EXPECT_EQ(grid.value(cell), kClear) << cell;
  }
  EXPECT_EQ(pf0.text(), kZeros);
  EXPECT_EQ(pf1.text(), kZeros);
  EXPECT_EQ(pf2.text(), kZeros);
}

TEST(ClearFields, AFailingCellKeepsTheCellsClearedBeforeItAndStops) {
  RecordingGrid failing(/*failingWrite=*/kCellCount + 50);
  for (int cell = 1; cell <= kCellCount; ++cell) failing.setValue(cell, 2);
  StringBox pf0, pf1, pf2;
  pf0.setText("kept");

  EXPECT_THROW(clearFields(failing, {pf0, pf1, pf2}), std::runtime_error);

  for (int cell = 1; cell <= kCellCount; ++cell) {
    EXPECT_EQ(failing.value(cell), cell < 50 ? kClear : 2) << cell;
  }
  EXPECT_EQ(pf0.text(), "kept");
}

TEST(CreateCode, TwiceGivesTheSameTextsAndLeavesTheGridAlone) {
  MemoryGrid grid = gridWithTicked({1, 4, 5, 12, 13, 20, 141, 152, 160});
  grid.setValue(77, 2);
  const MemoryGrid before = grid;
  StringBox pf0, pf1, pf2;
  const TableBoxes boxes{pf0, pf1, pf2};

  createCode(grid, boxes);
  const std::string first[] = {pf0.text(), pf1.text(), pf2.text()};
  pf0.setText("typed");
  pf1.append(" and more");
  pf2.setText("");
  createCode(grid, boxes);

  EXPECT_EQ(first[0], "10, 00, 00, 00, 00, 00, 00, 90");
  EXPECT_EQ(first[1], "01, 00, 00, 00, 00, 00, 00, 81");
  EXPECT_EQ(first[2], "80, 00, 00, 00, 00, 00, 00, 81");
  EXPECT_EQ(pf0.text(), first[0]);
  EXPECT_EQ(pf1.text(), first[1]);
  EXPECT_EQ(pf2.text(), first[2]);
  for (int cell = 1; cell <= kCellCount; ++cell) {
    EXPECT_EQ(grid.value(cell), before.value(cell)) << cell;
  }
}

// For every register and every write of its run: a failing write leaves
// the text built so far, stops the command, and the error reaches the
// caller. Boxes before it hold their new tables; boxes after it are as
// they were.
TEST(CreateCode, AFailingBoxKeepsItsTextSoFarAndStopsTheCommand) {
  const MemoryGrid grid = gridWithTicked({145, 147, 149, 150, 152, 153, 154,
                                          156, 159, 160, 141, 143, 2, 3});
  StringBox reference[3];
  createCode(grid, {reference[0], reference[1], reference[2]});

  for (int failing = 0; failing < 3; ++failing) {
    for (int write = 1;; ++write) {
      StringBox boxes[3];
      for (StringBox& box : boxes) box.setText("before");
      FailingBox broken(write);
      OutputBox* targets[3] = {&boxes[0], &boxes[1], &boxes[2]};
      targets[failing] = &broken;
      const TableBoxes table{*targets[0], *targets[1], *targets[2]};

      try {
        createCode(grid, table);
        EXPECT_EQ(broken.text(), reference[failing].text());
        break;  // every write of the run has been tried
      } catch (const std::runtime_error&) {
      }
      const std::string& whole = reference[failing].text();
      const std::string& kept = broken.text();
      if (write == 1) {
        EXPECT_EQ(kept, "before");
      } else {
        EXPECT_EQ(whole.substr(0, kept.size()), kept) << "write " << write;
        EXPECT_FALSE(kept.empty());
      }
      for (int other = 0; other < 3; ++other) {
        if (other == failing) continue;
        EXPECT_EQ(boxes[other].text(),
                  other < failing ? reference[other].text() : "before");
      }
    }
  }
}

}  // namespace
}  // namespace tolvane
