// Create Code and Clear Fields for the browser page, compiled to
// WebAssembly. The page's own check boxes and text boxes stand in for the
// window's: every read and write goes to them through the page's script,
// at the moment it runs, so the tables come from the same generators as on
// the desktop and the page holds no bit order of its own.
#include <string_view>

#include "codegen/commands.h"
#include "codegen/output_box.h"
#include "ui/playfield_grid.h"

// What the page's script gives the program (tolvane.js, "page"). A call
// that fails there (a control that is gone) throws in the page and ends
// the command at that step, keeping what was written so far.
#define PAGE_IMPORT(name) __attribute__((import_module("page"), import_name(#name)))
extern "C" {
PAGE_IMPORT(cellValue) int pageCellValue(int cell);
PAGE_IMPORT(setCellValue) void pageSetCellValue(int cell, int value);
PAGE_IMPORT(setText) void pageSetText(int box, const char* text, int size);
PAGE_IMPORT(append) void pageAppend(int box, const char* text, int size);
}

namespace tolvane {
namespace {

// The page numbers its table boxes in register order.
enum PageBoxNumber { kText3 = 0, kPlay1 = 1, kPlay2 = 2 };

class PageGrid final : public Grid {
 public:
  CellValue value(int cell) const override {
    return static_cast<CellValue>(pageCellValue(cell));
  }
  void setValue(int cell, CellValue value) override { pageSetCellValue(cell, value); }
};

class PageBox final : public OutputBox {
 public:
  explicit PageBox(PageBoxNumber number) : number_(number) {}
  void setText(std::string_view text) override {
    pageSetText(number_, text.data(), static_cast<int>(text.size()));
  }
  void append(std::string_view text) override {
    pageAppend(number_, text.data(), static_cast<int>(text.size()));
  }

 private:
  PageBoxNumber number_;
};

struct PageBoxes {
  PageBox text3{kText3};
  PageBox play1{kPlay1};
  PageBox play2{kPlay2};
  TableBoxes tables() { return {text3, play1, play2}; }
};

}  // namespace
}  // namespace tolvane

extern "C" {

__attribute__((export_name("cmdcode_Click"))) void cmdcode_Click() {
  tolvane::PageGrid grid;
  tolvane::PageBoxes boxes;
  tolvane::createCode(grid, boxes.tables());
}

__attribute__((export_name("clrfield_Click"))) void clrfield_Click() {
  tolvane::PageGrid grid;
  tolvane::PageBoxes boxes;
  tolvane::clearFields(grid, boxes.tables());
}

}  // extern "C"
