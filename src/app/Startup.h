#pragma once

#include <QApplication>
#include <QString>
#include <memory>
#include <optional>

#include "cardtest/CardTestTab.h"
#include "reader/HidLibrary.h"

namespace kx12r {

// What a window program answers before any window: `--version` and `--help` are printed, and
// without a graphical session it says so instead of Qt's abort. The exit code then; nothing when
// the window is to open. `purpose` is the program's line in the help.
std::optional<int> AnswerWithoutWindow(const char* program, const char* purpose, int argc,
                                       char** argv);

// The window program's application. A display that is named but cannot be reached ends the
// program as no graphical session does: a Russian sentence and status 1, not Qt's abort.
std::unique_ptr<QApplication> StartApplication(const char* program, int& argc, char** argv);

// Starts the configurator over the given readers and runs it until its window closes; the
// program's exit code. Without `database_path` it works on the service database beside it;
// with `present_card`, the card test offers the demo readers' cards.
int RunConfigurator(HidLibrary& hid, const QString& database_path = QString(),
                    PresentDemoCard present_card = {});

}  // namespace kx12r
