#pragma once

#include <QString>

#include "HidLibrary.h"

namespace kx12r {

// Starts the configurator over the given readers and runs it until its window closes; the
// program's exit code. Without `database_path` it works on the service database beside it.
int RunConfigurator(HidLibrary& hid, const QString& database_path = QString());

}  // namespace kx12r
