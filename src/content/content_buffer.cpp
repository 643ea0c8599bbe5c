#include "content/content_buffer.h"

#include <memory>

namespace agat {

TFILEBUF& content_buffer() {
  static const auto buffer = std::make_unique<TFILEBUF>();
  return *buffer;
}

}  // namespace agat
