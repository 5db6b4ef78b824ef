#pragma once

#include <QString>

namespace kx12r {

// Where the demo program keeps its pristine service database.
inline constexpr char kDemoPristineDatabase[] = ":/demo/kx12rConfig.db";

// A fresh, writable copy of the service database `pristine` in `folder`, so that trying the demo
// never changes the technicians' database. Its path, where no file lies when it could not be
// made.
QString CopyPristineDatabase(const QString& pristine, const QString& folder);

}  // namespace kx12r
