// Create Code and Clear Fields through the real window: a click on the
// button until the three boxes hold their tables.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <random>

#include "ui/main_window.h"

namespace {

void tickRandomCells(tolvane::MainWindow& window, std::mt19937& random) {
  std::bernoulli_distribution lit(0.5);
  for (QCheckBox* cell : window.findChildren<QCheckBox*>()) cell->setChecked(lit(random));
}

void BM_CreateCodeClick(benchmark::State& state) {
  tolvane::MainWindow window;
  window.show();
  std::mt19937 random(1);
  tickRandomCells(window, random);
  auto* button = window.findChild<QPushButton*>(QStringLiteral("cmdcode"));
  for (auto _ : state) QTest::mouseClick(button, Qt::LeftButton);
}
BENCHMARK(BM_CreateCodeClick)->Unit(benchmark::kMicrosecond);

void BM_ClearFieldsClick(benchmark::State& state) {
  tolvane::MainWindow window;
  window.show();
  auto* button = window.findChild<QPushButton*>(QStringLiteral("clrfield"));
  for (auto _ : state) QTest::mouseClick(button, Qt::LeftButton);
}
BENCHMARK(BM_ClearFieldsClick)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
