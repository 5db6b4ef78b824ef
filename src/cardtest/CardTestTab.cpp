// The card test: the keys a reader types, read by read, against the reader's settings.
#include "cardtest/CardTestTab.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextEdit>
#include <QTime>

#include "base/CsvField.h"
#include "base/MessageBox.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

enum LogColumn { kTimeColumn = 0, kReceivedColumn, kBriefColumn };
constexpr int kTimeWidth = 1500;
constexpr int kReceivedWidth = 5700;
constexpr int kLongestLog = 1000;  // reads kept; the oldest go
constexpr std::chrono::milliseconds kPauseCheck{20};
const QColor kAlarmColour(255, 0, 0);
const QColor kMatchColour(0, 128, 0);
const QString kWaitingForCard = QStringLiteral(
    "Поднесите карту к считывателю. Здесь появится то, что получила программа, в которую "
    "считыватель набирает код, и совпадает ли это с настройками выбранного считывателя.");

bool IsAlarm(CardVerdict::Kind kind) {
  return kind != CardVerdict::Kind::kMatches && kind != CardVerdict::Kind::kNothingToCompare;
}

// A field that edits text keeps its keys: the serial number's editor, a password.
bool IsOpenEditor(const QWidget* widget) {
  if (const auto* line = qobject_cast<const QLineEdit*>(widget)) return !line->isReadOnly();
  if (const auto* text = qobject_cast<const QTextEdit*>(widget)) return !text->isReadOnly();
  if (const auto* text = qobject_cast<const QPlainTextEdit*>(widget)) return !text->isReadOnly();
  return qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

}  // namespace

CardTestTab::CardTestTab(ReaderLink& link, WaitClock& clock, PresentDemoCard present_card,
                         QWidget* parent)
    : QWidget(parent), link_(link), clock_(clock), present_card_(std::move(present_card)) {
  Expected = new QLabel(this);
  Expected->setGeometry(TabPageRect(240, 450, 10200, 480));
  Expected->setWordWrap(true);
  Expected->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Receiver = new KeyField(this);
  Receiver->setGeometry(TabPageRect(240, 1020, 4800, 330));
  Receiver->setAccessibleName(QStringLiteral("Поле приема"));
  Receiver->setAccessibleDescription(
      QStringLiteral("Сюда считыватель набирает код поднесенной карты"));
  ClearLog = new QPushButton(QStringLiteral("Очистить журнал"), this);
  ClearLog->setGeometry(TabPageRect(6000, 4140, 2160, 390));
  Verdict = new QLabel(kWaitingForCard, this);
  Verdict->setGeometry(TabPageRect(240, 1470, 10200, 990));
  Verdict->setWordWrap(true);
  Verdict->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Verdict->setFrameShape(QFrame::StyledPanel);
  Verdict->setMargin(3);
  Verdict->setAccessibleName(QStringLiteral("Результат последнего считывания"));
  Counters = new QLabel(this);
  Counters->setGeometry(TabPageRect(5280, 1020, 5160, 330));
  Counters->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SaveLog = new QPushButton(QStringLiteral("Сохранить журнал"), this);
  SaveLog->setGeometry(TabPageRect(8280, 4140, 2160, 390));
  // The buttons take the focus from the keyboard only: a click leaves the keys in the field.
  for (QPushButton* button : {ClearLog, SaveLog}) button->setFocusPolicy(Qt::TabFocus);
  setFocusProxy(Receiver);

  if (present_card_) {
    PresentCard = new QPushButton(QStringLiteral("Поднести карту"), this);
    PresentCard->setGeometry(TabPageRect(240, 4140, 2400, 390));
    PresentCard->setFocusPolicy(Qt::TabFocus);
    PresentCard->setToolTip(
        QStringLiteral("Демонстрационный считыватель наберет код карты в поле приема"));
    RussianLayout = new QCheckBox(QStringLiteral("Русская раскладка"), this);
    RussianLayout->setGeometry(TabPageRect(2880, 4170, 2280, 330));
    RussianLayout->setFocusPolicy(Qt::TabFocus);
    RussianLayout->setToolTip(QStringLiteral(
        "Клавиши считывателя превращаются в символы так, как это сделала бы русская раскладка"));
    connect(PresentCard, &QPushButton::clicked, this, [this] {
      if (link_.HasSelectedReader()) {
        present_card_(link_.SelectedReaderHandle(), RussianLayout->isChecked());
      }
    });
  }

  ChooseLogFile = [this] {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить журнал"),
                                        QStringLiteral("журнал-считываний.csv"),
                                        QStringLiteral("CSV (*.csv)"));
  };
  connect(Receiver, &KeyField::KeyTyped, this, &CardTestTab::OnKey);
  connect(ClearLog, &QPushButton::clicked, this, [this] {
    if (ReadLog != nullptr) ReadLog->SetRows(1);
    reads_.clear();
    read_count_ = matches_ = mismatches_ = 0;
    Verdict->setText(kWaitingForCard);
    Verdict->setPalette(palette());
    ShowCounters();
  });
  connect(SaveLog, &QPushButton::clicked, this, &CardTestTab::SaveLogToFile);
  connect(&link_, &ReaderLink::ReaderSelected, this, [this] {
    if (isVisible()) ShowSelectedReader();
  });
  pause_timer_.setInterval(kPauseCheck);
  connect(&pause_timer_, &QTimer::timeout, this, &CardTestTab::CheckPause);
  ShowCounters();
}

void CardTestTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Made when first seen, so the window comes up no later for it.
  if (ReadLog == nullptr) BuildReadLog();
  ShowSelectedReader();
  // While the tab is open a card lands in the field wherever the keyboard is in the window.
  qApp->installEventFilter(this);
  Receiver->setFocus();
}

void CardTestTab::hideEvent(QHideEvent* event) {
  qApp->removeEventFilter(this);
  QWidget::hideEvent(event);
}

void CardTestTab::mousePressEvent(QMouseEvent* event) {
  Receiver->setFocus();
  QWidget::mousePressEvent(event);
}

bool CardTestTab::ShouldTakeKey(QWidget* target, const QKeyEvent& key) const {
  // A key the field left for the window goes up to its parents: it is not taken back.
  if (target == nullptr || target == Receiver || target->isAncestorOf(Receiver) ||
      target->window() != window()) {
    return false;
  }
  if (IsOpenEditor(target) || !KeyField::IsReaderKey(key)) return false;
  // Space and Enter press a focused button, unless they come inside a read.
  const bool presses =
      key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
  return !(presses && pending_.isEmpty() && qobject_cast<QAbstractButton*>(target) != nullptr);
}

bool CardTestTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride ||
      event->type() == QEvent::KeyRelease) {
    auto* target = qobject_cast<QWidget*>(watched);
    if (ShouldTakeKey(target, static_cast<QKeyEvent&>(*event))) {
      QCoreApplication::sendEvent(Receiver, event);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CardTestTab::BuildReadLog() {
  ReadLog = new FlexGrid(this);
  ReadLog->setGeometry(TabPageRect(240, 2550, 10200, 1500));
  ReadLog->setAccessibleName(QStringLiteral("Журнал считываний"));
  ReadLog->setFocusPolicy(Qt::TabFocus);
  ReadLog->show();
  FlexGrid& log = *ReadLog;
  log.SetSelectionMode(FlexGrid::SelectionMode::kByRow);
  log.SetCols(3);
  log.SetRows(1);
  log.SetFixedRows(1);
  log.SetTextMatrix(0, kTimeColumn, QStringLiteral("Время"));
  log.SetTextMatrix(0, kReceivedColumn, QStringLiteral("Получено"));
  log.SetTextMatrix(0, kBriefColumn, QStringLiteral("Результат"));
  log.SetColWidth(kTimeColumn, kTimeWidth);
  log.SetColWidth(kReceivedColumn, kReceivedWidth);
  // The verdict takes the rest of the width, the scroll bar's included.
  const int rest = log.contentsRect().width() - TwipsToPixels(kTimeWidth + kReceivedWidth) -
                   log.verticalScrollBar()->sizeHint().width();
  log.SetColWidth(kBriefColumn, PixelsToTwips(rest));
  for (int col = 0; col < 3; ++col) log.SetColAlignment(col, Qt::AlignLeft | Qt::AlignVCenter);
}

ReaderFrame CardTestTab::SelectedFrame() const {
  if (!link_.HasSelectedReader()) return {std::nullopt, kNoReaderChosen};
  return FrameOfReader(link_.SelectedReader());
}

void CardTestTab::ShowSelectedReader() {
  const ReaderFrame reader = SelectedFrame();
  if (!reader.frame) {
    Expected->setText(QStringLiteral("Что пришлет считыватель, неизвестно: ") + reader.why_nothing +
                      QStringLiteral("."));
  } else {
    QString expected = QStringLiteral("Считыватель пришлет: ") + DescribeFrame(*reader.frame) +
                       QStringLiteral(".");
    const QString russian = RussianLayoutForm(*reader.frame);
    if (!russian.isEmpty()) {
      expected += QStringLiteral(" В программе с русской раскладкой придет ") + Quoted(russian) +
                  QStringLiteral(".");
    }
    Expected->setText(expected);
  }
  if (link_.HasSelectedReader() && link_.SelectedReader().Configurable()) {
    ShowVariantKind(link_.Status(), link_.SelectedReader().Values().variant == kChangeableVariant);
  } else {
    link_.Status().SetStatus(StatusIcon::kNone, QString(), 2);
  }
}

void CardTestTab::OnKey(const TypedKey& key) {
  if (!read_ || read_->Pending().empty()) {
    // A read is judged against the reader selected when it began.
    frame_ = SelectedFrame();
    serial_number_ =
        link_.HasSelectedReader() ? link_.SelectedReader().identity.serial_number : QString();
    ending_ = frame_.frame ? EndingKeyShown(frame_.frame->ending) : QString();
    std::function<bool(const TypedKey&)> is_ending;
    if (!ending_.isEmpty()) {
      is_ending = [ending = ending_](const TypedKey& typed) { return typed.name == ending; };
    }
    read_.emplace(is_ending, kPause, kStall);
    pause_timer_.start();
  }
  if (auto keys = read_->Add(key, clock_.Now())) return Log(*keys);
  pending_ += key.shown;
  Receiver->ShowPending(pending_);
}

void CardTestTab::CheckPause() {
  if (!read_) return;
  if (auto keys = read_->Idle(clock_.Now())) Log(*keys);
}

void CardTestTab::Log(const std::vector<TypedKey>& keys) {
  pause_timer_.stop();
  pending_.clear();
  Receiver->clear();
  if (ReadLog == nullptr) BuildReadLog();
  // The ending key shows by its name, like every key that types nothing.
  ReceivedKeys received;
  for (const TypedKey& key : keys) received << key.shown;
  if (!ending_.isEmpty() && keys.back().name == ending_) received.last() = ending_;
  const LoggedRead read{QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")),
                        received.join(QString()), serial_number_,
                        JudgeCardRead(received, frame_, keys.back().caps_lock)};
  const CardVerdict::Kind kind = read.verdict.kind;
  ++read_count_;
  if (kind == CardVerdict::Kind::kMatches) ++matches_;
  if (IsAlarm(kind)) ++mismatches_;
  reads_.push_front(read);
  if (reads_.size() > kLongestLog) reads_.pop_back();

  FlexGrid& log = *ReadLog;
  log.AddItem(
      read.time + QLatin1Char('\t') + read.received + QLatin1Char('\t') + read.verdict.brief, 1);
  log.SetCellToolTip(1, kBriefColumn, read.verdict.text);
  log.SetCellForeColor(1, kBriefColumn,
                       IsAlarm(kind) ? kAlarmColour : palette().color(QPalette::Text));
  if (log.Rows() > kLongestLog + 1) log.RemoveItem(log.Rows() - 1);
  log.SetRow(0);  // no read shows as selected; the newest is on top, in view
  log.SetTopRow(1);
  ShowLoggedRead(read);
  ShowCounters();
}

void CardTestTab::ShowLoggedRead(const LoggedRead& read) {
  QString text = read.verdict.text;
  if (read.verdict.card) {
    text +=
        QStringLiteral("\nНомер карты: ") + read.verdict.card->Notations() + QStringLiteral(".");
  }
  Verdict->setText(text);
  const CardVerdict::Kind kind = read.verdict.kind;
  QPalette colours = palette();
  if (kind == CardVerdict::Kind::kMatches) colours.setColor(QPalette::WindowText, kMatchColour);
  if (IsAlarm(kind)) colours.setColor(QPalette::WindowText, kAlarmColour);
  Verdict->setPalette(colours);
}

void CardTestTab::ShowCounters() {
  Counters->setText(QStringLiteral("Считываний: %1, совпадает: %2, не совпадает: %3")
                        .arg(read_count_)
                        .arg(matches_)
                        .arg(mismatches_));
}

void CardTestTab::SaveLogToFile() {
  const QString path = ChooseLogFile();
  if (path.isEmpty()) return;
  QString csv = QStringLiteral("Время,Получено,Результат,Серийный номер,Вердикт\r\n");
  // Oldest first, as the reads came.
  for (auto it = reads_.rbegin(); it != reads_.rend(); ++it) {
    csv += QStringList{CsvField(it->time), CsvField(it->received), CsvField(it->verdict.brief),
                       CsvField(it->serial_number), CsvField(it->verdict.text)}
               .join(QLatin1Char(',')) +
           QStringLiteral("\r\n");
  }
  QSaveFile file(path);
  // The byte order mark lets a spreadsheet on Windows read the Cyrillic as UTF-8.
  if (!file.open(QIODevice::WriteOnly) || file.write("\xEF\xBB\xBF") < 0 ||
      file.write(csv.toUtf8()) < 0 || !file.commit()) {
    ShowMessage(QStringLiteral("Журнал не сохранен в файл ") + Quoted(path) + QStringLiteral(": ") +
                    file.errorString() + QStringLiteral("."),
                kStopStyle, kErrorTitle);
  }
}

}  // namespace kx12r
