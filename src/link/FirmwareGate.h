#pragma once

#include <QLabel>
#include <QString>

#include "link/ReaderLink.h"
#include "reader/Firmware.h"

namespace kx12r {

// Whether the selected reader's firmware is 1.70 or later; false without a selected reader.
bool FirmwareAtLeast170(const ReaderLink& link);

// Writes the selected reader's firmware warning into the label, in red; empty when no reader
// of ours is selected.
void FirmwareWarning(QLabel& label, const ReaderLink& link);

}  // namespace kx12r
