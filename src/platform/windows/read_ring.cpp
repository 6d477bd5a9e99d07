// No read ring on Windows: message files are opened for sequential reading
// (FILE_FLAG_SEQUENTIAL_SCAN), so the cache manager reads ahead within each
// file, and the scanning threads keep reads of several files in flight.
#include <windows.h>

#include "platform/read_ring.h"


#include "platform/platform.h"
#include "platform/windows/windows_util.h"

namespace mailsift::platform {

std::unique_ptr<ReadRing> open_read_ring(unsigned) { return nullptr; }

void note_read_error(std::int64_t result) {
  ::SetLastError(static_cast<DWORD>(-result));
  windows::remember_error();
}

bool read_would_block(std::int64_t) { return false; }

}  // namespace mailsift::platform
