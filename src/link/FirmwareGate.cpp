// The firmware warning of the selected reader on the window.
#include "link/FirmwareGate.h"

#include "reader/Firmware.h"
#include "reader/ReaderIdentity.h"

namespace kx12r {
namespace {

const QColor kWarningColour(255, 0, 0);

}  // namespace

bool FirmwareAtLeast170(const ReaderLink& link) {
  return link.HasSelectedReader() && link.SelectedReader().identity.firmware.Configurable();
}

void FirmwareWarning(QLabel& label, const ReaderLink& link) {
  QString text;
  const DeviceIdentity& identity = link.SelectedReader().identity;
  if (identity.vendor_id == kReaderVendorId) text = identity.firmware.Warning();
  QPalette palette = label.palette();
  if (palette.color(QPalette::WindowText) != kWarningColour) {
    palette.setColor(QPalette::WindowText, kWarningColour);
    label.setPalette(palette);
  }
  label.setText(text);
}

}  // namespace kx12r
