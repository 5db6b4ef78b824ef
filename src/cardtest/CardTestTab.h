#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <deque>
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
  // The selected reader changed, or its settings did: what it should send, and the status bar.
  void ShowSelectedReader();

  QLabel* Expected;
  KeyField* Receiver;
  QPushButton* ClearLog;
  QLabel* Verdict;
  FlexGrid* ReadLog = nullptr;  // made when the tab is first shown
  QLabel* Counters;
  QPushButton* SaveLog;
  QPushButton* PresentCard = nullptr;
  QCheckBox* RussianLayout = nullptr;
  // Asks where to save the log; an empty name when the user changed their mind.
  std::function<QString()> ChooseLogFile;

  // How long a read waits for its next key when the reader sends no ending key, and, when it
  // does, for an ending that does not come.
  static constexpr std::chrono::milliseconds kPause{300};
  static constexpr std::chrono::milliseconds kStall{1000};

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct LoggedRead {
    QString time, received, serial_number;
    CardVerdict verdict;
  };
  void BuildReadLog();
  ReaderFrame SelectedFrame() const;
  void OnKey(const TypedKey& key);
  void Log(const std::vector<TypedKey>& keys);
  void ShowLoggedRead(const LoggedRead& read);
  void ShowCounters();
  void SaveLogToFile();
  bool ShouldTakeKey(QWidget* target, const QKeyEvent& key) const;

  ReaderLink& link_;
  WaitClock& clock_;
  PresentDemoCard present_card_;
  QTimer pause_timer_;
  // The read in hand, and what its reader was set to send when it began, its ending key as it
  // shows in a read.
  std::optional<ReadAssembler<TypedKey>> read_;
  QString pending_;
  ReaderFrame frame_;
  QString ending_;
  QString serial_number_;
  std::deque<LoggedRead> reads_;  // newest first, as the log shows them
  int read_count_ = 0;
  int matches_ = 0;
  int mismatches_ = 0;
};

}  // namespace kx12r
