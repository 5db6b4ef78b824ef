#pragma once

#include <QStringList>

#include "cli/Environment.h"

namespace kx12r::cli {

// Runs one call; `arguments` are the words after the program's name.
int Run(const QStringList& arguments, Environment& environment);

}  // namespace kx12r::cli
