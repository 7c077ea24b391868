// The memory behind every record, list node and text the reader hands out.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace minixml {

// An ECAD tool may keep any record for the life of its process, even after later parses and after
// minixml_parser_close, so nothing allocated here is ever freed. The store keeps every allocation
// reachable, which also tells leak checkers that this memory is held on purpose.
class RecordStore {
 public:
  // The one store of the process; never destroyed.
  static RecordStore& instance();

  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  // A zero-filled record (all texts and list heads null). Throws std::bad_alloc when memory is out.
  template <typename Record>
  Record* make() {
    return static_cast<Record*>(allocate(sizeof(Record)));
  }

  // A NUL-terminated copy of text in an allocation of its own (length plus one).
  char* copyText(std::string_view text);

 private:
  RecordStore() = default;
  void* allocate(size_t size);

  std::vector<void*> allocations_;
};

}  // namespace minixml
