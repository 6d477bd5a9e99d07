// The console: tests, the abort key, raw key reads and sleeping.
#include <atomic>

#include "platform/windows/windows_util.h"

namespace mailsift::platform {

using namespace windows;

namespace {

HANDLE console_of(int handle) {
  Slot* slot = find_slot(handle);
  if (slot == nullptr) return INVALID_HANDLE_VALUE;
  DWORD mode;
  return ::GetConsoleMode(slot->handle, &mode) ? slot->handle : INVALID_HANDLE_VALUE;
}

struct SavedMode {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD mode = 0;
  std::atomic<bool> active{false};
};
SavedMode saved_mode;

bool modifier_only(const KEY_EVENT_RECORD& key) {
  switch (key.wVirtualKeyCode) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_LWIN:
    case VK_RWIN:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool is_terminal(int handle) {
  return console_of(handle) != INVALID_HANDLE_VALUE;
}

bool in_foreground() {
  // A console has no background jobs.
  return is_terminal(kStdin);
}

bool abort_key_pressed() {
  // Asked before every directory entry: the console is looked at no more
  // than every 50 ms.
  static const HANDLE input = console_of(kStdin);
  if (input == INVALID_HANDLE_VALUE) return false;
  static double next_poll = 0.0;
  const double now = process_seconds();
  if (now < next_poll) return false;
  next_poll = now + 0.05;
  DWORD waiting = 0;
  if (!::GetNumberOfConsoleInputEvents(input, &waiting) || waiting == 0) return false;
  INPUT_RECORD records[64];
  DWORD got = 0;
  if (!::ReadConsoleInputW(input, records, 64, &got)) return false;
  for (DWORD i = 0; i < got; ++i) {
    if (records[i].EventType != KEY_EVENT || !records[i].Event.KeyEvent.bKeyDown) continue;
    const wchar_t c = records[i].Event.KeyEvent.uChar.UnicodeChar;
    if (c == 27 || c == 3) return true;
  }
  return false;
}

int read_raw_key() {
  const HANDLE input = console_of(kStdin);
  if (input == INVALID_HANDLE_VALUE) {
    unsigned char c = 0;
    return read_handle(kStdin, reinterpret_cast<char*>(&c), 1) == 1 ? c : -1;
  }
  DWORD mode = 0;
  if (!::GetConsoleMode(input, &mode)) return -1;
  saved_mode.handle = input;
  saved_mode.mode = mode;
  saved_mode.active = true;
  // No echo, no line editing and Ctrl-C as a key (3).
  ::SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT |
                                                     ENABLE_PROCESSED_INPUT));
  int key = -1;
  while (!interrupted()) {
    if (::WaitForSingleObject(input, 100) != WAIT_OBJECT_0) continue;
    INPUT_RECORD record;
    DWORD got = 0;
    if (!::ReadConsoleInputW(input, &record, 1, &got)) break;
    if (got == 0 || record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    if (modifier_only(record.Event.KeyEvent)) continue;
    const wchar_t c = record.Event.KeyEvent.uChar.UnicodeChar;
    key = c <= 0xFF ? static_cast<int>(c) : '?';
    break;
  }
  restore_terminal();
  return key;
}

void restore_terminal() {
  if (saved_mode.active.exchange(false)) ::SetConsoleMode(saved_mode.handle, saved_mode.mode);
}

void sleep_seconds(int seconds) {
  // In short steps, so that Ctrl-C ends the pause at once.
  const double until = process_seconds() + seconds;
  while (!interrupted()) {
    const double left = until - process_seconds();
    if (left <= 0) break;
    ::Sleep(left > 0.05 ? 50 : static_cast<DWORD>(left * 1000) + 1);
  }
}

void flush_terminal_input() {
  const HANDLE input = console_of(kStdin);
  if (input != INVALID_HANDLE_VALUE) ::FlushConsoleInputBuffer(input);
}

}  // namespace mailsift::platform
