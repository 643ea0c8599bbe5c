// A terminal keyboard for tests: the bytes of a script (0xFE a resize, 0xFF a pause: nothing
// within a reader's wait, and skipped by a reader that waits for ever), then a timeout for a
// reader that waits a while, and an exception for one that would wait for ever.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>

#include "platform/key_decoder.h"

namespace agat::testing {

struct ScriptedKeys : ByteSource {
  explicit ScriptedKeys(const std::string& script) : bytes(script.begin(), script.end()) {}
  int next(int timeout_ms) override {
    while (!bytes.empty()) {
      const int b = static_cast<unsigned char>(bytes.front());
      bytes.pop_front();
      if (b != 0xFF) return b == 0xFE ? RESIZE : b;
      if (timeout_ms >= 0) return TIMEOUT;
    }
    if (timeout_ms >= 0) return TIMEOUT;
    throw std::runtime_error("the key script is exhausted");
  }
  std::deque<char> bytes;
};

}  // namespace agat::testing
