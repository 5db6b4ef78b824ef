// 10,000 keys typed into the card test's field as one read still in hand, against the same keys
// typed into a plain QLineEdit: the field should cost no more than a small multiple of it, and
// grow with the keys, not with their square. Then the read ended and judged.
// Run: QT_QPA_PLATFORM=offscreen build/bench/cardtest_bench
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <chrono>
#include <cstdio>

#include "BenchSupport.h"
#include "cardtest/CardTestTab.h"

namespace {

using namespace kx12r;
constexpr int kKeys = 10000;

double TypeInto(QWidget* widget, int keys) {
  const auto start = Clock::now();
  for (int i = 0; i < keys; ++i) QTest::keyClick(widget, Qt::Key(Qt::Key_0 + i % 10));
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Window : ReaderWindow {
  QTabWidget* tabs;
  CardTestTab* tab;
  Window() : ReaderWindow({733, 487}) {
    tabs = new QTabWidget(&window_);
    tabs->setGeometry(8, 120, 713, 310);
    tab = new CardTestTab(*link_, clock_);
    tabs->addTab(tab, "Проверка считывания");
    hid_.Plug({.serial_number = "00417"}, {.variant = 8, .prefix = "#K", .ending = 13});
    window_.show();
    link_->DiscoverReaders(true);
    table_->SetRow(1);
    link_->SelectReader();
  }
};

}  // namespace

int main(int argc, char** argv) {
  OffscreenUnlessTold();
  QApplication app(argc, argv);
  QLineEdit plain;
  plain.show();
  const double plain_ms = TypeInto(&plain, kKeys);

  Window window;
  const double half_ms = TypeInto(window.tab->Receiver, kKeys / 2);
  const double rest_ms = TypeInto(window.tab->Receiver, kKeys / 2);
  const auto start = Clock::now();
  QTest::keyClick(window.tab->Receiver, Qt::Key_Return);
  const double judged_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

  std::printf("plain QLineEdit, %d keys: %.1f ms\n", kKeys, plain_ms);
  std::printf("card test field, %d keys: %.1f ms (first half %.1f ms, second half %.1f ms)\n",
              kKeys, half_ms + rest_ms, half_ms, rest_ms);
  std::printf("the read ended, judged and logged: %.1f ms\n", judged_ms);
  std::printf("ratio field/plain: %.2f\n", (half_ms + rest_ms) / plain_ms);
  std::printf("ratio second half/first half: %.2f\n", rest_ms / half_ms);
  return 0;
}
