#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace kx12r {

// Gathers the keys a reader types into reads: a read ends at the reader's ending key, or, when
// the reader sends none, after `pause` without keys. With an ending expected, `stall` (when
// given) ends a read whose ending never comes, so a wrong ending is seen too.
template <typename Key>
class ReadAssembler {
 public:
  using Keys = std::vector<Key>;
  // `is_ending` is empty when reads end with no key.
  ReadAssembler(std::function<bool(const Key&)> is_ending, std::chrono::milliseconds pause,
                std::optional<std::chrono::milliseconds> stall = std::nullopt)
      : is_ending_(std::move(is_ending)), pause_(pause), stall_(stall) {}

  // The whole read, its ending key last, when this key ended it.
  std::optional<Keys> Add(const Key& key, std::chrono::milliseconds now) {
    last_key_ = now;
    keys_.push_back(key);
    if (is_ending_ && is_ending_(key)) return Take();
    return std::nullopt;
  }
  // The read that has been quiet long enough to count as done.
  std::optional<Keys> Idle(std::chrono::milliseconds now) {
    const std::optional<std::chrono::milliseconds> quiet = is_ending_ ? stall_ : pause_;
    if (keys_.empty() || !quiet || now - last_key_ < *quiet) return std::nullopt;
    return Take();
  }
  // The read in hand, finished now whatever its state.
  Keys Flush() { return Take(); }
  // What has been typed of a read not finished yet.
  const Keys& Pending() const { return keys_; }

 private:
  Keys Take() { return std::exchange(keys_, {}); }

  std::function<bool(const Key&)> is_ending_;
  std::chrono::milliseconds pause_;
  std::optional<std::chrono::milliseconds> stall_;
  Keys keys_;
  std::chrono::milliseconds last_key_{0};
};

}  // namespace kx12r
