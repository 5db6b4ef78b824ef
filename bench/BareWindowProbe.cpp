// The baseline of startup_bench: a bare Qt program showing a table window, ended as soon as the
// window is up, saying "shown" as StartupProbe does.
#include <QApplication>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTableWidget table(9, 7);
  table.resize(733, 487);
  table.show();
  QTimer::singleShot(0, [] {
    std::puts("shown");
    std::fflush(stdout);
    QCoreApplication::exit(0);
  });
  return QApplication::exec();
}
