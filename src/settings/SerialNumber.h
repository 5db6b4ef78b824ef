#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "link/ReaderLink.h"
#include "ui/EditorBox.h"

namespace kx12r {

// The question for the first fault of a new serial number `number` (without surrounding
// blanks), or nothing when it may be written. `others` are the numbers of the other listed
// readers. A number is five characters: three printable ones, a month (1..9, A..C) and a year
// (7..9, A..Z).
std::optional<QString> SerialNumberQuestion(const QString& number, const QStringList& others);

// Command3: the selected reader flashes and beeps.
void CallIndication(ReaderLink& link);

// Command4: edits the selected reader's serial number in its device-list cell with `editor`
// and writes it to the reader; the cell shows the old number again on every way out that does
// not write.
void ChangeSerialNumber(ReaderLink& link, EditorBox& editor);

}  // namespace kx12r
