// The card test: the keys a reader types, read by read, against the reader's settings.
#include "cardtest/CardTestTab.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTime>

#include "ui/Twips.h"

namespace kx12r {
namespace {

enum LogColumn { kTimeColumn = 0, kReceivedColumn, kVerdictColumn };
constexpr int kTimeWidth = 1500;
constexpr int kReceivedWidth = 3600;
constexpr int kLongestLog = 1000;  // reads kept; the oldest go
constexpr std::chrono::milliseconds kPauseCheck{20};
const QColor kAlarmColour(255, 0, 0);

}  // namespace

CardTestTab::CardTestTab(ReaderLink& link, WaitClock& clock, PresentDemoCard present_card,
                         QWidget* parent)
    : QWidget(parent), link_(link), clock_(clock), present_card_(std::move(present_card)) {
  Intro = new QLabel(this);
  Intro->setGeometry(TabPageRect(240, 480, 10200, 480));
  Intro->setWordWrap(true);
  Intro->setText(QStringLiteral(
      "Поднесите карту к считывателю. Ниже показано то, что получает программа, в которую "
      "считыватель набирает код, и совпадает ли это с настройками выбранного считывателя."));
  Receiver = new KeyField(this);
  Receiver->setGeometry(TabPageRect(240, 1020, 7800, 330));
  Receiver->setAccessibleName(QStringLiteral("Поле приема"));
  Receiver->setAccessibleDescription(
      QStringLiteral("Сюда считыватель набирает код поднесенной карты"));
  ClearLog = new QPushButton(QStringLiteral("Очистить журнал"), this);
  ClearLog->setGeometry(TabPageRect(8280, 990, 2160, 390));
  // It takes no keys from the field: a reader's next card still lands there.
  ClearLog->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(Receiver);

  if (present_card_) {
    PresentCard = new QPushButton(QStringLiteral("Поднести карту"), this);
    PresentCard->setGeometry(TabPageRect(240, 4140, 2400, 390));
    PresentCard->setFocusPolicy(Qt::NoFocus);
    PresentCard->setToolTip(
        QStringLiteral("Демонстрационный считыватель наберет код карты в поле приема"));
    RussianLayout = new QCheckBox(QStringLiteral("Русская раскладка"), this);
    RussianLayout->setGeometry(TabPageRect(2880, 4170, 3000, 330));
    RussianLayout->setFocusPolicy(Qt::NoFocus);
    RussianLayout->setToolTip(QStringLiteral(
        "Клавиши считывателя превращаются в символы так, как это сделала бы русская раскладка"));
    connect(PresentCard, &QPushButton::clicked, this, [this] {
      if (link_.HasSelectedReader()) {
        present_card_(link_.SelectedReaderHandle(), RussianLayout->isChecked());
      }
    });
  }

  connect(Receiver, &KeyField::KeyTyped, this, &CardTestTab::OnKey);
  connect(ClearLog, &QPushButton::clicked, this, [this] {
    if (ReadLog != nullptr) ReadLog->SetRows(1);
  });
  pause_timer_.setInterval(kPauseCheck);
  connect(&pause_timer_, &QTimer::timeout, this, &CardTestTab::CheckPause);
}

void CardTestTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Made when first seen, so the window comes up no later for it.
  if (ReadLog == nullptr) BuildReadLog();
  Receiver->setFocus();
}

void CardTestTab::mousePressEvent(QMouseEvent* event) {
  Receiver->setFocus();
  QWidget::mousePressEvent(event);
}

void CardTestTab::BuildReadLog() {
  ReadLog = new FlexGrid(this);
  ReadLog->setGeometry(TabPageRect(240, 1500, 10200, 2520));
  ReadLog->setAccessibleName(QStringLiteral("Журнал считываний"));
  ReadLog->setFocusPolicy(Qt::NoFocus);  // the keys stay in the field
  ReadLog->show();
  FlexGrid& log = *ReadLog;
  log.SetSelectionMode(FlexGrid::SelectionMode::kByRow);
  log.SetCols(3);
  log.SetRows(1);
  log.SetFixedRows(1);
  log.SetTextMatrix(0, kTimeColumn, QStringLiteral("Время"));
  log.SetTextMatrix(0, kReceivedColumn, QStringLiteral("Получено"));
  log.SetTextMatrix(0, kVerdictColumn, QStringLiteral("Результат"));
  log.SetColWidth(kTimeColumn, kTimeWidth);
  log.SetColWidth(kReceivedColumn, kReceivedWidth);
  // The verdict takes the rest of the width, the scroll bar's included.
  const int rest = log.contentsRect().width() - TwipsToPixels(kTimeWidth + kReceivedWidth) -
                   log.verticalScrollBar()->sizeHint().width();
  log.SetColWidth(kVerdictColumn, PixelsToTwips(rest));
  for (int col = 0; col < 3; ++col) log.SetColAlignment(col, Qt::AlignLeft | Qt::AlignVCenter);
}

ReaderFrame CardTestTab::SelectedFrame() const {
  if (!link_.HasSelectedReader()) return {std::nullopt, kNoReaderChosen};
  return FrameOfReader(link_.SelectedReader());
}

void CardTestTab::OnKey(const QString& shown, const QString& name) {
  if (!read_ || read_->Pending().empty()) {
    // A read is judged against the reader selected when it began.
    frame_ = SelectedFrame();
    ending_ = frame_.frame ? EndingKeyShown(frame_.frame->ending) : QString();
    std::function<bool(const Key&)> is_ending;
    if (!ending_.isEmpty()) {
      is_ending = [ending = ending_](const Key& key) { return key.name == ending; };
    }
    read_.emplace(is_ending, kPause, kStall);
    pause_timer_.start();
  }
  if (auto keys = read_->Add({shown, name}, clock_.Now())) return Log(*keys);
  Receiver->setText(Receiver->text() + shown);
}

void CardTestTab::CheckPause() {
  if (!read_) return;
  if (auto keys = read_->Idle(clock_.Now())) Log(*keys);
}

void CardTestTab::Log(const std::vector<Key>& keys) {
  pause_timer_.stop();
  Receiver->clear();
  if (ReadLog == nullptr) BuildReadLog();
  // The ending key shows by its name, like every key that types nothing.
  ReceivedKeys received;
  for (const Key& key : keys) received << key.shown;
  if (!ending_.isEmpty() && keys.back().name == ending_) received.last() = ending_;
  const CardVerdict verdict = JudgeCardRead(received, frame_);
  FlexGrid& log = *ReadLog;
  log.AddItem(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) + QLatin1Char('\t') +
                  received.join(QString()) + QLatin1Char('\t') + verdict.text,
              1);
  log.SetCellToolTip(1, kVerdictColumn, verdict.text);
  const bool alarm = verdict.kind != CardVerdict::Kind::kMatches &&
                     verdict.kind != CardVerdict::Kind::kNothingToCompare;
  log.SetCellForeColor(1, kVerdictColumn, alarm ? kAlarmColour : palette().color(QPalette::Text));
  if (log.Rows() > kLongestLog + 1) log.RemoveItem(log.Rows() - 1);
  log.SetRow(0);  // no read shows as selected; the newest is on top, in view
  log.SetTopRow(1);
}

}  // namespace kx12r
