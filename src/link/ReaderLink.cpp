// The link to the connected readers: the device list, the timer and the selected reader's exchange.
#include "link/ReaderLink.h"

#include <QScopeGuard>

#include "base/KeyState.h"
#include "base/MessageBox.h"
#include "reader/SettingsCommit.h"
#include "ui/GridToolkit.h"

namespace kx12r {
namespace {

constexpr std::chrono::milliseconds kTimerInterval{500};
constexpr std::chrono::milliseconds kIdlePoll{100};
constexpr std::chrono::seconds kIdleLimit{10};

}  // namespace

ReaderLink::ReaderLink(HidLibrary& hid, FlexGrid& device_table, StatusPanels& status,
                       DiscoveryView& view, WaitClock& clock)
    : hid_(hid),
      device_table_(device_table),
      status_(status),
      view_(view),
      clock_(clock),
      devices_(device_table),
      discovery_(hid, devices_, status, view, clock, shut_down_) {
  timer_.setInterval(kTimerInterval);
  connect(&timer_, &QTimer::timeout, this, &ReaderLink::Timer1Tick);
  connect(&device_table_, &FlexGrid::Click, this, &ReaderLink::SelectReader);
  connect(&device_table_, &FlexGrid::SelChange, this, &ReaderLink::OnDeviceListSelChange);
}

bool ReaderLink::InitDeviceTable() { return devices_.InitTable(); }

bool ReaderLink::HasSelectedReader() const {
  const int row = device_table_.Row();
  return row >= device_table_.FixedRows() && devices_.InRow(row).Listed();
}

int ReaderLink::SelectedReaderHandle() const { return SelectedReader().handle; }

const ConnectedReader& ReaderLink::SelectedReader() const {
  return devices_.InRow(HasSelectedReader() ? device_table_.Row() : 0);
}

void ReaderLink::SetSelectedReaderField(SettingsKey key, const SettingValue& value) {
  if (HasSelectedReader()) devices_.TakeValue(device_table_.Row(), key, value);
}

bool ReaderLink::DiscoverReaders(bool force) {
  if (!discovery_.Run(force, SelectedReaderHandle())) return false;
  emit DevicesChanged();
  return true;
}

bool ReaderLink::WriteSetting(SettingsKey key, const SettingValue& value) {
  const bool taken = BetweenDiscoveries([&](int handle) {
    return CommitSetting(hid_, handle, {key, value});
  });
  if (taken) SetSelectedReaderField(key, value);
  return taken;
}

void ReaderLink::Shutdown() {
  shut_down_ = true;
  timer_.stop();
}

void ReaderLink::HoldDiscovery(bool hold) {
  held_ = hold;
  if (hold) {
    timer_.stop();
  } else {
    ResumeDiscovery();
  }
}

void ReaderLink::ResumeDiscovery() {
  if (!shut_down_ && !held_) timer_.start();
}

bool ReaderLink::WaitForIdle() {
  timer_.stop();
  const auto start = clock_.Now();
  while (discovery_.Busy() && !shut_down_) {
    clock_.Pause(kIdlePoll);
    if (clock_.Now() - start > kIdleLimit) return false;
  }
  return !shut_down_;
}

bool ReaderLink::BetweenDiscoveries(const std::function<bool(int handle)>& exchange) {
  if (!WaitForIdle()) return false;
  const bool done = exchange(SelectedReaderHandle());
  ResumeDiscovery();
  return done;
}

bool ReaderLink::SendToSelectedReader(std::uint8_t code,
                                      const std::optional<ParameterList>& parameters) {
  return BetweenDiscoveries(
      [&](int handle) { return SendReaderCommand(hid_, handle, code, parameters); });
}

void ReaderLink::Timer1Tick() {
  if (!WaitForIdle()) return;
  if (DiscoverReaders(false) && !shut_down_) SelectReader();
  if (shut_down_) return;
  ResumeDiscovery();
  emit Ticked();
}

void ReaderLink::SelectReader() {
  if (selecting_) return;
  selecting_ = true;
  const auto done = qScopeGuard([this] { selecting_ = false; });
  // A hidden first device must never stay selected.
  if (device_table_.Row() == 1 && CountListedReaders() > 0) {
    SelectGridRow(device_table_, FirstShownRow(device_table_, 1), false, false);
  }
  emit ReaderSelected();
}

void ReaderLink::OnDeviceListSelChange() {
  if (RowMoveKeyIsDown()) SelectReader();
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
