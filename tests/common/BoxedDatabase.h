#pragma once

#include <QString>
#include <chrono>

#include "base/MessageBox.h"
#include "db/ServiceDatabase.h"

namespace kx12r {

// The service database as the window holds it: its failures are told in boxes.
class BoxedDatabase : public ServiceDatabase {
 public:
  BoxedDatabase(const QString& path, bool read_only,
                std::chrono::milliseconds busy_timeout = kDatabaseBusyTimeout)
      : ServiceDatabase(path, read_only, busy_timeout) {
    TellFaultsTo(ShowNotice);
  }
};

}  // namespace kx12r
