// Simulated HID devices for the tests and the demo program.
#include "simulator/SimulatedHidLibrary.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace kx12r {
namespace {

EventLoopClock real_clock;

}  // namespace

SimulatedHidLibrary::SimulatedHidLibrary() : clock_(&real_clock) {}

SimulatedReader& SimulatedHidLibrary::Plug(SimulatedIdentity identity, ReaderSettings settings,
                                           std::optional<std::size_t> position) {
  slots_.push_back({std::make_unique<SimulatedReader>(std::move(identity), std::move(settings))});
  Attach(slots_.back(), position);
  return *slots_.back().device;
}

void SimulatedHidLibrary::Attach(Slot& slot, std::optional<std::size_t> position) {
  slot.handle = next_handle_++;
  slot.absent_for = 0;
  slot.denied_when_listed = slot.device->AccessDenied();
  const std::size_t at = std::min(position.value_or(order_.size()), order_.size());
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(at), slot.handle);
}

SimulatedHidLibrary::Slot& SimulatedHidLibrary::SlotOf(const SimulatedReader& device) {
  for (Slot& slot : slots_) {
    if (slot.device.get() == &device) return slot;
  }
  throw std::invalid_argument("device does not belong to this library");
}

void SimulatedHidLibrary::Unplug(SimulatedReader& device) {
  Slot& slot = SlotOf(device);
  if (slot.handle == 0) return;
  std::erase(order_, slot.handle);
  slot.handle = 0;
  device.PowerOff();
}

void SimulatedHidLibrary::PlugBack(SimulatedReader& device) {
  Slot& slot = SlotOf(device);
  if (slot.handle == 0) Attach(slot);
}

int SimulatedHidLibrary::HandleOf(const SimulatedReader& device) const {
  for (const Slot& slot : slots_) {
    if (slot.device.get() == &device) return slot.handle;
  }
  return 0;
}

SimulatedReader* SimulatedHidLibrary::DeviceAt(int handle) {
  Slot* slot = Find(handle);
  return slot ? slot->device.get() : nullptr;
}

SimulatedHidLibrary::Slot* SimulatedHidLibrary::Find(int handle) {
  if (handle == 0) return nullptr;
  for (Slot& slot : slots_) {
    if (slot.handle == handle) return &slot;
  }
  return nullptr;
}

const SimulatedIdentity* SimulatedHidLibrary::IdentityOf(int handle) {
  Slot* slot = Find(handle);
  return slot ? &slot->device->Identity() : nullptr;
}

std::vector<SimulatedReader*> SimulatedHidLibrary::Plugged() {
  std::vector<SimulatedReader*> plugged;
  for (int handle : order_) plugged.push_back(Find(handle)->device.get());
  return plugged;
}

HidSnapshot SimulatedHidLibrary::Enumerate() {
  if (!connected_) ++enumerations_while_disconnected_;
  // A reader that took a new serial number restarts: it misses one enumeration.
  for (Slot& slot : slots_) {
    if (slot.absent_for > 0 && --slot.absent_for == 0) Attach(slot);
  }
  for (Slot& slot : slots_) {
    if (slot.handle != 0 && slot.device->restart_pending_) {
      Unplug(*slot.device);
      slot.absent_for = 1;
    }
  }
  // A device whose access changed is a new device in the same place of the list.
  for (Slot& slot : slots_) {
    if (slot.handle == 0 || slot.denied_when_listed == slot.device->AccessDenied()) continue;
    const auto at = std::ranges::find(order_, slot.handle) - order_.begin();
    order_.erase(order_.begin() + at);
    Attach(slot, static_cast<std::size_t>(at));
  }
  HidSnapshot snapshot;
  listed_.clear();
  for (int handle : order_) {
    Slot* slot = Find(handle);
    if (slot->setting_up_for > 0) {
      --slot->setting_up_for;
      if (slot->device->SpeaksReaderProtocol()) ++snapshot.held_readers;
      continue;
    }
    listed_.push_back(handle);
    const SimulatedIdentity& identity = slot->device->Identity();
    snapshot.devices.push_back({.handle = handle,
                                .vendor_id = identity.vendor_id,
                                .product_id = identity.product_id,
                                .release = identity.version,
                                .serial_number = identity.serial_number,
                                .product_name = identity.product_name,
                                .vendor_name = identity.vendor_name,
                                .access_denied = slot->device->AccessDenied()});
  }
  enumerated_ = true;
  return snapshot;
}

void SimulatedHidLibrary::SetUpSlowly(SimulatedReader& device, int enumerations) {
  SlotOf(device).setting_up_for = enumerations;
}

int SimulatedHidLibrary::GetOutputReportLength(int handle) {
  const auto* identity = IdentityOf(handle);
  return identity ? identity->output_report_length : 0;
}

int SimulatedHidLibrary::GetInputReportLength(int handle) {
  const auto* identity = IdentityOf(handle);
  return identity ? identity->input_report_length : 0;
}

void SimulatedHidLibrary::Delay() {
  if (report_latency_.count() <= 0) return;
  const auto since_epoch = std::chrono::steady_clock::now() - bus_epoch_;
  const long long current_frame = since_epoch / report_latency_ + 1;
  last_frame_ = std::max(last_frame_ + 1, current_frame);
  std::this_thread::sleep_until(bus_epoch_ + last_frame_ * report_latency_);
}

void SimulatedHidLibrary::UnplugAfterReports(SimulatedReader& device, int reports) {
  SlotOf(device).reports_left = reports;
}

bool SimulatedHidLibrary::TakeReport(Slot& slot) {
  if (slot.reports_left == 0) {
    Unplug(*slot.device);
    slot.reports_left = -1;
    return false;
  }
  if (slot.reports_left > 0) --slot.reports_left;
  return true;
}

bool SimulatedHidLibrary::Write(int handle, std::span<const std::uint8_t> report) {
  if (on_write) {
    const auto hook = on_write;  // the hook may replace itself
    hook(handle);
  }
  if (enumerated_ && handle != 0 && std::ranges::find(listed_, handle) == listed_.end()) {
    ++writes_to_gone_devices_;
  }
  Slot* slot = Find(handle);
  if (!slot || !TakeReport(*slot)) return false;
  Delay();
  slot->device->DropWaitingReplies();  // a stale reply must never answer this report
  return slot->device->Receive(report);
}

bool SimulatedHidLibrary::Read(int handle, std::span<std::uint8_t> report) {
  Slot* slot = Find(handle);
  if (!slot || !TakeReport(*slot)) return false;
  Delay();
  switch (slot->device->Send(report)) {
    case ReadOutcome::kReply:
      clock_->Sleep(slot->device->AnswerDelay());
      return true;
    case ReadOutcome::kSilent:
      clock_->Sleep(kReadTimeout);
      return false;
    case ReadOutcome::kError:
    default:
      return false;
  }
}

}  // namespace kx12r
