// The table behind the platform's integer handles: standard streams at 0, 1
// and 2, then files and directories in the order they are opened, numbers
// reused once freed.
#include <memory>
#include <mutex>

#include "platform/windows/windows_util.h"

namespace mailsift::platform::windows {

namespace {

struct Table {
  std::mutex lock;
  std::vector<std::unique_ptr<Slot>> slots;
  std::vector<int> free_numbers;
};

Table& table() {
  static Table t;
  return t;
}

// The standard streams are text streams, as the runtime opens them.
void attach_standard_streams(Table& t) {
  if (!t.slots.empty()) return;
  static constexpr DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int i = 0; i < 3; ++i) {
    auto slot = std::make_unique<Slot>();
    slot->kind = SlotKind::kFile;
    slot->handle = ::GetStdHandle(kStandard[i]);
    if (slot->handle == nullptr) slot->handle = INVALID_HANDLE_VALUE;
    slot->text = i != 0;
    t.slots.push_back(std::move(slot));
  }
}

}  // namespace

int add_slot(SlotKind kind, HANDLE handle, bool text) {
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return -1;
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  attach_standard_streams(t);
  int number;
  if (!t.free_numbers.empty()) {
    number = t.free_numbers.back();
    t.free_numbers.pop_back();
  } else {
    number = static_cast<int>(t.slots.size());
    t.slots.push_back(std::make_unique<Slot>());
  }
  Slot& slot = *t.slots[static_cast<std::size_t>(number)];
  slot = Slot{};
  slot.kind = kind;
  slot.handle = handle;
  slot.text = text;
  return number;
}

Slot* find_slot(int number) {
  if (number < 0) return nullptr;
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  attach_standard_streams(t);
  if (static_cast<std::size_t>(number) >= t.slots.size()) return nullptr;
  Slot* slot = t.slots[static_cast<std::size_t>(number)].get();
  return slot->kind == SlotKind::kFree ? nullptr : slot;
}

void release_slot(int number) {
  if (number < 0) return;
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  attach_standard_streams(t);
  if (static_cast<std::size_t>(number) >= t.slots.size()) return;
  Slot& slot = *t.slots[static_cast<std::size_t>(number)];
  if (slot.kind == SlotKind::kFree) return;
  if (slot.handle != INVALID_HANDLE_VALUE) ::CloseHandle(slot.handle);
  slot = Slot{};
  // The standard streams keep their numbers, as closed descriptors do.
  if (number > 2) t.free_numbers.push_back(number);
}

}  // namespace mailsift::platform::windows
