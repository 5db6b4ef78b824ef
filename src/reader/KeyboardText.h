#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "reader/ReportDescriptor.h"

namespace kx12r {

// A key as a keyboard input report names it, with the modifiers held when it went down.
struct KeyStroke {
  std::uint8_t usage = 0;
  bool shift = false;
  bool ctrl = false;
};

// Usages of the keys a message can end with.
inline constexpr std::uint8_t kUsageEnter = 0x28;
inline constexpr std::uint8_t kUsageEscape = 0x29;
inline constexpr std::uint8_t kUsageBackspace = 0x2A;
inline constexpr std::uint8_t kUsageTab = 0x2B;
inline constexpr std::uint8_t kUsageSpace = 0x2C;

// What the key types with the US layout, or with the Russian layout (ЙЦУКЕН) that so often is
// active instead: "#K" on the US layout is "№Л" on the Russian one; Space types a blank. Empty
// for a key that types no character (Enter, Tab, Esc, Backspace and the rest).
QString UsCharacter(const KeyStroke& key);
QString RussianCharacter(const KeyStroke& key);

// The name a non-printing key is shown by: "<Enter>", "<Tab>", "<Esc>", "<Backspace>",
// "<Space>"; "<Ctrl+Enter>" with Ctrl; "<0x..>" for any other.
QString KeyName(const KeyStroke& key);

// The key that types `c` with the US layout; nothing for a character it has no key for.
std::optional<KeyStroke> KeyForCharacter(char c);

// The key a reader sends for an ending character code: 13 Enter, 10 Ctrl+Enter, 9 Tab, 27 Esc,
// 8 Backspace, 32 Space; nothing for any other.
std::optional<KeyStroke> KeyForEnding(int code);

// Follows a keyboard's input reports (byte 0 the report number) and tells which keys went
// down in each, in the order the report lists them.
class KeyboardDecoder {
 public:
  explicit KeyboardDecoder(KeyboardLayout layout) : layout_(layout) {}
  std::vector<KeyStroke> Feed(std::span<const std::uint8_t> report);

 private:
  KeyboardLayout layout_;
  std::set<std::uint8_t> down_;
};

// The reports a boot keyboard sends to type `keys`: each key down with its modifiers, then all
// keys up (byte 0 the report number 0, then the 8 boot bytes).
std::vector<std::vector<std::uint8_t>> TypingReports(const std::vector<KeyStroke>& keys);

}  // namespace kx12r
