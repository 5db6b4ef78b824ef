// Changing the selected reader's serial number, and its indication.
#include "settings/SerialNumber.h"

#include <QScopeGuard>

#include "base/MessageBox.h"
#include "ui/GridToolkit.h"

namespace kx12r {
namespace {

constexpr int kSerialLength = 5;
constexpr int kMonthPosition = 3;
constexpr int kYearPosition = 4;
const QString kMonths = QStringLiteral("123456789ABC");
const QString kYears = QStringLiteral("789ABCDEFGHIJKLMNOPQRSTUVWXYZ");

const QString kGoOn = QStringLiteral(" ") + Quoted(QStringLiteral("Да")) +
                      QStringLiteral(" продолжить, ") + Quoted(QStringLiteral("Нет")) +
                      QStringLiteral(" - отменить операцию.");

QString CharacterAt(const QString& text, int position) {
  return position < text.size() ? QString(text[position]) : QString();
}

bool IsPrintable(QChar c) { return c.unicode() >= 33 && c.unicode() <= 126; }

}  // namespace

std::optional<QString> SerialNumberQuestion(const QString& number, const QStringList& others) {
  if (number.size() > kSerialLength) {
    return QStringLiteral("Серийный номер не может быть более пяти символов.") + kGoOn;
  }
  // A blank pads the reader's reports, so the free characters are printable ones only.
  for (int position = 0; position < kMonthPosition && position < number.size(); ++position) {
    if (!IsPrintable(number[position])) {
      return QStringLiteral("Серийный номер содержит недопустимый символ ") +
             Quoted(number.mid(position, 1)) + QStringLiteral(".") + kGoOn;
    }
  }
  const QString month = CharacterAt(number, kMonthPosition);
  if (month.isEmpty() || !kMonths.contains(month)) {
    return QStringLiteral("Серийный номер содержит некорректный месяц ") + Quoted(month) +
           QStringLiteral(".") + kGoOn;
  }
  const QString year = CharacterAt(number, kYearPosition);
  if (year.isEmpty() || !kYears.contains(year)) {
    return QStringLiteral("Серийный номер содержит некорректный год ") + Quoted(year) +
           QStringLiteral(".") + kGoOn;
  }
  if (others.contains(number)) {
    return QStringLiteral("Заданный серийный номер ") + Quoted(number) +
           QStringLiteral(" не является уникальным для загруженных HID-устройств.") + kGoOn;
  }
  return std::nullopt;
}

void CallIndication(ReaderLink& link) {
  if (link.SendToSelectedReader(command::kIndicate)) return;
  ShowMessage(QStringLiteral("Ошибка при вызове светозвуковой индикации считывателя."),
              kInformationStyle, kMessageTitle);
}

void ChangeSerialNumber(ReaderLink& link, EditorBox& editor) {
  FlexGrid& table = link.DeviceTable();
  if (!link.HasSelectedReader()) return;
  // Discovery would rebuild the list under the open editor and shift the rows.
  link.HoldDiscovery(true);
  const auto resume = qScopeGuard([&link] { link.HoldDiscovery(false); });
  const int handle = link.SelectedReaderHandle();
  QStringList others;
  for (const ConnectedReader& other : link.Devices().Devices()) {
    if (other.handle != handle && other.Listed()) others << other.identity.serial_number;
  }
  // The edited reader's row, wherever it stands now; 0 when it is gone.
  const auto reader_row = [&] { return link.Devices().RowOf(handle); };
  // An unwritten number never stays in the cell: every way out but a write shows the reader's.
  const auto show_reader = qScopeGuard([&] {
    if (const int row = reader_row(); row > 0) link.Devices().ShowAgain(row);
  });
  while (reader_row() > 0 &&
         EditGridCell(table, editor, reader_row(), DeviceList::kSerialNumberColumn)) {
    const QString number = editor.text().trimmed();
    if (const auto question = SerialNumberQuestion(number, others)) {
      if (ShowMessage(*question, kYesNoQuestion, kMessageTitle) == kAnswerYes) continue;
      break;
    }
    if (link.SelectedReaderHandle() == handle &&
        link.SendToSelectedReader(command::kSetSerialNumber, TextToParameters(number))) {
      if (const int row = reader_row(); row > 0) link.Devices().TakeSerialNumber(row, number);
      return;
    }
    ShowMessage(QStringLiteral("Ошибка присвоения считывателю нового серийного номера. Операция "
                               "не выполнена."),
                kInformationStyle, kMessageTitle);
    break;
  }
}

}  // namespace kx12r
