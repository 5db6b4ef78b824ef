#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "base/WaitClock.h"
#include "cardtest/KeyField.h"
#include "link/ReaderLink.h"
#include "reader/CardRead.h"
#include "reader/ReadAssembler.h"
#include "ui/FlexGrid.h"

namespace kx12r {

// Makes the selected simulated reader present a card, typed with the Russian layout when asked.
using PresentDemoCard = std::function<void(int handle, bool russian_layout)>;

// Tab 4, "Проверка считывания": what the program a reader types into receives, read by read,
// each judged against the selected reader's settings.
class CardTestTab : public QWidget {
  Q_OBJECT

 public:
  // With `present_card`, the tab offers a card to the demo readers.
  CardTestTab(ReaderLink& link, WaitClock& clock, PresentDemoCard present_card = {},
              QWidget* parent = nullptr);

  // A read that has waited its pause is done (the tab's timer asks this every few ms).
  void CheckPause();

  QLabel* Intro;
  KeyField* Receiver;
  FlexGrid* ReadLog = nullptr;  // made when the tab is first shown
  QPushButton* ClearLog;
  QPushButton* PresentCard = nullptr;
  QCheckBox* RussianLayout = nullptr;

  // How long a read waits for its next key when the reader sends no ending key, and, when it
  // does, for an ending that does not come.
  static constexpr std::chrono::milliseconds kPause{300};
  static constexpr std::chrono::milliseconds kStall{1000};

 protected:
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Key {
    QString shown;
    QString name;
  };
  void BuildReadLog();
  ReaderFrame SelectedFrame() const;
  void OnKey(const QString& shown, const QString& name);
  void Log(const std::vector<Key>& keys);

  ReaderLink& link_;
  WaitClock& clock_;
  PresentDemoCard present_card_;
  QTimer pause_timer_;
  // The read in hand, and what its reader was set to send when it began, its ending key as it
  // shows in a read.
  std::optional<ReadAssembler<Key>> read_;
  ReaderFrame frame_;
  QString ending_;
};

}  // namespace kx12r
