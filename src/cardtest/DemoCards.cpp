// A demo reader's card typed into the window as a keyboard's keys are.
#include "cardtest/DemoCards.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "cardtest/NamedKeys.h"

namespace kx12r {
namespace {

// The key the window system names for a key that types no character, or for the character.
int QtKeyOf(const KeyStroke& key, const QString& text) {
  if (const std::optional<int> named = QtKeyOfUsage(key.usage)) return *named;
  const QChar c = text.isEmpty() ? QChar() : text.front().toUpper();
  return c.unicode() > 0 && c.unicode() < 0x7F ? int{c.unicode()} : int{Qt::Key_unknown};
}

}  // namespace

void DemoCards::Present(int handle, bool russian_layout) {
  SimulatedReader* reader = hid_.DeviceAt(handle);
  if (reader == nullptr) return;
  card_ += 0x0101010101;
  reader->PresentCard(card_);
  const QString serial = QString::fromStdString(reader->Identity().serial_number);
  for (const KeyboardInterface& keyboard : keyboards_.Interfaces()) {
    if (keyboard.serial_number != serial) continue;
    KeyboardDecoder decoder(BootKeyboardLayout());
    std::vector<std::uint8_t> report;
    while (keyboards_.Read(keyboard.id, report) == KeyboardInputs::ReadResult::kReport) {
      for (const KeyStroke& key : decoder.Feed(report)) {
        const QString text = russian_layout ? RussianCharacter(key) : UsCharacter(key);
        const Qt::KeyboardModifiers modifiers = (key.shift ? Qt::ShiftModifier : Qt::NoModifier) |
                                                (key.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        // Where the window system sends keys: the focused widget of the active window.
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) continue;
        const int qt_key = QtKeyOf(key, text);
        QApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, qt_key, modifiers, text));
        QApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, qt_key, modifiers, text));
      }
    }
  }
}

}  // namespace kx12r
