#include <QGuiApplication>
#include <QScopeGuard>

#include "Firmware.h"
#include "MessageBox.h"
#include "NumericText.h"
#include "ReaderIdentity.h"
#include "ReaderLink.h"
#include "SingleByteText.h"

namespace kx12r {
namespace {

constexpr std::chrono::milliseconds kDevicePoll{500};
constexpr std::chrono::seconds kDeviceWaitLimit{30};
constexpr int kShownRowHeight = 240;

QString Flag(const QString& reply, const char* letter) {
  return reply == QLatin1String(letter) ? QStringLiteral("-1") : QStringLiteral("0");
}

// The character code of the ending a reader reports; a space (left out of the reply) is 32.
QString EndingCode(const QString& reply) {
  if (reply.isEmpty()) return QStringLiteral("32");
  return QString::number(static_cast<unsigned char>(ToSingleByte(reply.left(1)).front()));
}

QString TextBeforeZero(const std::string& text) {
  return FromSingleByte(std::string_view(text).substr(0, text.find('\0')));
}

}  // namespace

QString HexWord(std::uint16_t value) {
  return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString VersionText(std::uint16_t release) {
  const QString digits = HexWord(release);
  // The major number is read as a decimal number from the first two digits.
  return QString::number(static_cast<int>(LeadingNumber(digits.left(2)))) + "." + digits.mid(2);
}

bool InList(const QString& text, const QStringList& list) { return list.contains(text); }

const QStringList& ReaderProductTexts() {
  static const QStringList products = [] {
    QStringList texts;
    for (std::uint16_t product : kReaderProductIds) texts << HexWord(product);
    return texts;
  }();
  return products;
}

bool ReaderLink::DeviceListUnchanged() {
  const int count = hid_.GetItemCount();
  if (device_table_.Rows() != count + 1) return false;
  for (int i = 0; i < count; ++i) {
    const int handle = hid_.GetItem(i);
    bool listed = false;
    for (int row = 1; row <= count && !listed; ++row) {
      listed = LeadingInteger(device_table_.TextMatrix(row, kColHandle)) == handle;
    }
    if (!listed) return false;
  }
  return true;
}

int ReaderLink::WaitForDevices() {
  const auto start = clock_.Now();
  bool busy_pointer = false;
  int count = hid_.GetItemCount();
  while (count == 0 && clock_.Now() - start < kDeviceWaitLimit) {
    if (!busy_pointer) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    busy_pointer = true;
    clock_.Pause(kDevicePoll);
    // The window may have closed meanwhile: the library is disconnected then.
    if (shut_down_) break;
    count = hid_.GetItemCount();
  }
  if (busy_pointer) QGuiApplication::restoreOverrideCursor();
  return count;
}

int ReaderLink::CountListedReaders() const {
  int shown = 0;
  for (int row = 1; row < device_table_.Rows(); ++row) {
    if (device_table_.RowHeight(row) > 0) ++shown;
  }
  return shown;
}

bool ReaderLink::DiscoverReaders(bool force) {
  discovery_busy_ = true;
  const auto idle = qScopeGuard([this] { discovery_busy_ = false; });
  if (!force && DeviceListUnchanged()) return false;

  // The selection follows the reader, not the row: a device plugged in above it shifts rows.
  const int remembered_handle = SelectedReaderHandle();
  const int count = WaitForDevices();
  if (shut_down_) return false;
  device_table_.SetRows(count + 1);
  if (count > 0) view_.ShowProgress(count);
  int readers = 0;
  int last_reader_row = 0;
  for (int i = 0; i < count; ++i) {
    FillDeviceRow(i + 1, hid_.GetItem(i), readers, last_reader_row);
    // A message about a reader's reply lets the window close in the middle of the list.
    if (shut_down_) return false;
    view_.SetProgress(i + 1);
  }
  view_.HideProgress();

  // Keep the selected reader while it is still listed; a hidden device is never selected.
  int chosen = last_reader_row;
  for (int row = 1; row <= count && remembered_handle != 0; ++row) {
    if (device_table_.RowHeight(row) > 0 &&
        LeadingInteger(device_table_.TextMatrix(row, kColHandle)) == remembered_handle) {
      chosen = row;
    }
  }
  if (readers == 0) {
    device_table_.SetColSel(0);
  } else {
    device_table_.SetRow(chosen);
    device_table_.SetCol(0);
    device_table_.SetColSel(device_table_.Cols() - 1);
  }
  device_table_.setEnabled(readers > 0);
  view_.ShowReadersPresent(readers > 0);
  ShowReaderCount();
  emit DevicesChanged();
  return true;
}

void ReaderLink::FillDeviceRow(int row, int handle, int& readers, int& last_reader_row) {
  FlexGrid& table = device_table_;
  table.SetTextMatrix(row, kColHandle, QString::number(handle));
  table.SetTextMatrix(row, kColVendorId, HexWord(hid_.GetVendorID(handle)));
  table.SetTextMatrix(row, kColProductId, HexWord(hid_.GetProductID(handle)));
  const QString version = VersionText(hid_.GetVersion(handle));
  table.SetTextMatrix(row, kColVersion, version);

  bool reader = false;
  int variant = 0;
  if (table.TextMatrix(row, kColVendorId) == HexWord(kReaderVendorId) &&
      InList(table.TextMatrix(row, kColProductId), ReaderProductTexts())) {
    if (!IsConfigurableFirmware(version)) {
      reader = true;  // listed, so the user learns why it cannot be configured
    } else {
      variant = LeadingInteger(QueryReader(hid_, handle, command::kQueryVariant));
      reader = variant > 0;
    }
  }
  if (reader) {
    ++readers;
    last_reader_row = row;
  }
  table.SetRowHeight(row, reader ? kShownRowHeight : 0);

  table.SetTextMatrix(row, kColSerialNumber, TextBeforeZero(hid_.GetSerialNumber(handle)));
  table.SetTextMatrix(row, kColProductName, TextBeforeZero(hid_.GetProductName(handle)).trimmed());
  table.SetTextMatrix(row, kColVendorName, TextBeforeZero(hid_.GetVendorName(handle)).trimmed());
  table.SetTextMatrix(row, kColCodeMethod, QString::number(variant));

  if (variant >= 1) {
    auto query = [&](std::uint8_t code) { return QueryReader(hid_, handle, code); };
    table.SetTextMatrix(row, kColBunBuzzer, Flag(query(command::kQueryBuzzerOff), "Z"));
    table.SetTextMatrix(row, kColStandAlone, Flag(query(command::kQueryStandAlone), "A"));
    table.SetTextMatrix(row, kColRepeatResolution, Flag(query(command::kQueryRepeat), "R"));
    table.SetTextMatrix(row, kColPrefix, query(command::kQueryPrefix));
    table.SetTextMatrix(row, kColEncoding, query(command::kQueryCodeFormat));
    table.SetTextMatrix(row, kColSuffix, query(command::kQuerySuffix));
    table.SetTextMatrix(row, kColEnding, EndingCode(query(command::kQueryEnding)));
  } else {
    for (int col : {kColBunBuzzer, kColStandAlone, kColRepeatResolution}) {
      table.SetTextMatrix(row, col, QStringLiteral("0"));
    }
    for (int col : {kColPrefix, kColEncoding, kColSuffix, kColEnding}) {
      table.SetTextMatrix(row, col, QString());
    }
  }
}

void ReaderLink::ShowReaderCount() {
  const int readers = CountListedReaders();
  if (readers == 0) {
    status_.SetStatus(StatusIcon::kStop, QStringLiteral("Нет подключенных устройств"), 1);
  } else {
    status_.SetStatus(StatusIcon::kNone,
                      QStringLiteral("Подключенных устройств: ") + QString::number(readers), 1);
  }
}

void ReaderLink::ShowDeviceStatus(bool editing, const QString& edited_caption) {
  device_table_.setEnabled(!editing);
  view_.SetSettingsGridEnabled(!editing);
  if (CountListedReaders() > 0 && editing) {
    status_.SetStatus(StatusIcon::kEdit, QStringLiteral("редактирование ") + Quoted(edited_caption),
                      1);
  } else {
    ShowReaderCount();
  }
}

}  // namespace kx12r
