// The firmware warning of the selected reader on the window.
#include "link/FirmwareGate.h"

#include "reader/Firmware.h"
#include "reader/ReaderIdentity.h"

namespace kx12r {
namespace {

const QColor kWarningColour(255, 0, 0);

}  // namespace

bool FirmwareAtLeast170(const ReaderLink& link) {
  return IsConfigurableFirmware(link.SelectedReaderField(kColVersion));
}

void FirmwareWarning(QLabel& label, const ReaderLink& link) {
  QString text;
  if (link.SelectedReaderField(kColVendorId) == HexWord(kReaderVendorId)) {
    text = FirmwareWarningText(link.SelectedReaderField(kColVersion));
  }
  QPalette palette = label.palette();
  if (palette.color(QPalette::WindowText) != kWarningColour) {
    palette.setColor(QPalette::WindowText, kWarningColour);
    label.setPalette(palette);
  }
  label.setText(text);
}

}  // namespace kx12r
