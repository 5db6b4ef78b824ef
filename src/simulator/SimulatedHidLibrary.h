#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/WaitClock.h"
#include "reader/HidLibrary.h"
#include "simulator/SimulatedReader.h"

namespace kx12r {

// Simulated HID devices for tests and the demo program. Devices are listed in the order they
// were plugged in, or where they were put; a device plugged back, or one whose access changed,
// gets a new handle, as a real one would.
class SimulatedHidLibrary : public HidLibrary {
 public:
  SimulatedHidLibrary();

  // Adds a device as if it were plugged in, last in the enumeration or at `position` (a new
  // hidraw node can sort before the present ones). The library owns it for its whole life.
  SimulatedReader& Plug(SimulatedIdentity identity, ReaderSettings settings = {},
                        std::optional<std::size_t> position = std::nullopt);
  void Unplug(SimulatedReader& device);
  void PlugBack(SimulatedReader& device);
  // The handle a plugged device has now; 0 while it is unplugged.
  int HandleOf(const SimulatedReader& device) const;
  SimulatedReader* DeviceAt(int handle);
  // The devices plugged in now, in their order; nothing is enumerated.
  std::vector<SimulatedReader*> Plugged();

  void SetConnectResult(bool result) { connect_result_ = result; }
  // The time a read without an answer waits for it; a real sleeping clock unless set.
  void SetClock(WaitClock& clock) { clock_ = &clock; }
  // Time each report takes on the bus: a full-speed USB device moves at most one report per
  // 1 ms frame, so each report waits for the next frame of its own.
  void SetReportLatency(std::chrono::microseconds latency) { report_latency_ = latency; }

  bool IsConnected() const { return connected_; }
  // How often the devices were enumerated while the library was disconnected.
  int EnumerationsWhileDisconnected() const { return enumerations_while_disconnected_; }
  // Reports written to a handle the last enumeration no longer listed: a device the program
  // had already been told was gone.
  int WritesToGoneDevices() const { return writes_to_gone_devices_; }

  // The system is still setting up the device's node for the next `enumerations`
  // enumerations: left out of them and counted as held.
  void SetUpSlowly(SimulatedReader& device, int enumerations);
  // Fault injection: the device goes away once it has taken `reports` more reports (writes and
  // reads both count).
  void UnplugAfterReports(SimulatedReader& device, int reports);
  // Called before every report written, with the handle it goes to.
  std::function<void(int handle)> on_write;

  bool Connect() override { return connected_ = connect_result_; }
  void Disconnect() override { connected_ = false; }
  HidSnapshot Enumerate() override;
  int GetOutputReportLength(int handle) override;
  int GetInputReportLength(int handle) override;
  bool Write(int handle, std::span<const std::uint8_t> report) override;
  bool Read(int handle, std::span<std::uint8_t> report) override;

 private:
  struct Slot {
    std::unique_ptr<SimulatedReader> device;
    int handle = 0;      // 0 while unplugged
    int absent_for = 0;  // enumerations left before a restarting device is back
    bool denied_when_listed = false;
    int reports_left = -1;   // reports before it goes away; -1: it stays
    int setting_up_for = 0;  // enumerations that still leave it out
  };

  Slot* Find(int handle);
  const SimulatedIdentity* IdentityOf(int handle);
  Slot& SlotOf(const SimulatedReader& device);
  void Attach(Slot& slot, std::optional<std::size_t> position = std::nullopt);
  void Delay();
  // Counts a report to the device in `slot`; false when the device is gone by now.
  bool TakeReport(Slot& slot);

  std::vector<Slot> slots_;
  std::vector<int> order_;   // handles of plugged devices in enumeration order
  std::vector<int> listed_;  // handles the last enumeration gave
  WaitClock* clock_;
  std::chrono::microseconds report_latency_{0};
  std::chrono::steady_clock::time_point bus_epoch_ = std::chrono::steady_clock::now();
  long long last_frame_ = 0;
  int next_handle_ = 1;
  bool connect_result_ = true;
  bool connected_ = false;
  int enumerations_while_disconnected_ = 0;
  int writes_to_gone_devices_ = 0;
  bool enumerated_ = false;
};

}  // namespace kx12r
