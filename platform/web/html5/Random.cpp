// This toolchain's C library declares getrandom() but has none: random bytes
// come from the browser's crypto through getentropy().
#include <cstddef>
#include <sys/types.h>
#include <sys/random.h>
#include <unistd.h>

extern "C" ssize_t getrandom(void* buffer, size_t length, unsigned) {
  if (length > 256) length = 256;  // getentropy's limit; callers retry for more
  return getentropy(buffer, length) == 0 ? static_cast<ssize_t>(length) : -1;
}
