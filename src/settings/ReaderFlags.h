#pragma once

#include <QCheckBox>
#include <QObject>
#include <array>

#include "link/ReaderLink.h"

namespace kx12r {

// The three flag boxes of the settings tab: loaded from the selected reader's known flags
// without writing, and written to the reader at once when the user switches one.
class ReaderFlags : public QObject {
 public:
  ReaderFlags(ReaderLink& link, std::array<QCheckBox*, 3> boxes);

  // Shows the selected reader's flags; the boxes can be switched only when `enabled`.
  void LoadFlags(bool enabled);
  void WriteReaderFlag(QCheckBox* box);

 private:
  struct Flag {
    QCheckBox* box;
    SettingsKey key;
  };
  const Flag& FlagOf(const QCheckBox* box) const;
  void ShowKnown(const Flag& flag);

  ReaderLink& link_;
  std::array<Flag, 3> flags_;
};

}  // namespace kx12r
