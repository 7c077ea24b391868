#include "minixml/record_store.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace minixml {

RecordStore& RecordStore::instance() {
  // Deliberately never deleted: records must outlive static destruction too.
  static RecordStore* store = new RecordStore();
  return *store;
}

void* RecordStore::allocate(size_t size) {
  // Reserve the slot first so that a failing push_back cannot orphan the block.
  allocations_.push_back(nullptr);
  void* block = std::calloc(1, size);
  if (block == nullptr) {
    allocations_.pop_back();
    throw std::bad_alloc();
  }
  allocations_.back() = block;
  return block;
}

char* RecordStore::copyText(std::string_view text) {
  char* copy = static_cast<char*>(allocate(text.size() + 1));
  std::memcpy(copy, text.data(), text.size());
  return copy;
}

}  // namespace minixml
