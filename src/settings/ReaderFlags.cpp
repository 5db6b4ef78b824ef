// The three flags of the selected reader: buzzer off, stand-alone work, repeat.
#include "settings/ReaderFlags.h"

#include <QSignalBlocker>

#include "base/MessageBox.h"

namespace kx12r {

ReaderFlags::ReaderFlags(ReaderLink& link, std::array<QCheckBox*, 3> boxes)
    : QObject(boxes[0]),
      link_(link),
      flags_{{{boxes[0], kFlagKeys[0]}, {boxes[1], kFlagKeys[1]}, {boxes[2], kFlagKeys[2]}}} {
  for (const Flag& flag : flags_) {
    connect(flag.box, &QCheckBox::toggled, this, [this, box = flag.box] { WriteReaderFlag(box); });
  }
}

const ReaderFlags::Flag& ReaderFlags::FlagOf(const QCheckBox* box) const {
  for (const Flag& flag : flags_) {
    if (flag.box == box) return flag;
  }
  return flags_[0];
}

// What the program puts into a box is never written back to the reader.
void ReaderFlags::ShowKnown(const Flag& flag) {
  const QSignalBlocker loading(flag.box);
  flag.box->setChecked(link_.SelectedReader().Values().Flag(flag.key));
}

void ReaderFlags::LoadFlags(bool enabled) {
  for (const Flag& flag : flags_) {
    ShowKnown(flag);
    flag.box->setEnabled(enabled);
  }
}

void ReaderFlags::WriteReaderFlag(QCheckBox* box) {
  const Flag& flag = FlagOf(box);
  if (link_.WriteSetting(flag.key, box->isChecked())) return;
  ShowMessage(QStringLiteral("Не могу присвоить устройству новое значение параемтра ") +
                  Quoted(box->text()) + QStringLiteral("."),
              kInformationStyle, kMessageTitle);
  // The box shows what the reader has, not the state it refused.
  ShowKnown(flag);
}

}  // namespace kx12r
