// Bytes that a parser must not read, marked for AddressSanitizer: the part of the file
// buffer past the file, the tracks and sectors of the sector array that the geometry of
// the image does not have. A read there is reported as a read outside a buffer. Without
// AddressSanitizer the marks do nothing.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define AGAT_FUZZ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AGAT_FUZZ_ASAN 1
#endif
#endif

#ifdef AGAT_FUZZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace agat::fuzz {

inline void forbid(const void* bytes, std::size_t size) {
#ifdef AGAT_FUZZ_ASAN
  ASAN_POISON_MEMORY_REGION(bytes, size);
#else
  (void)bytes, (void)size;
#endif
}

inline void allow(const void* bytes, std::size_t size) {
#ifdef AGAT_FUZZ_ASAN
  ASAN_UNPOISON_MEMORY_REGION(bytes, size);
#else
  (void)bytes, (void)size;
#endif
}

}  // namespace agat::fuzz
