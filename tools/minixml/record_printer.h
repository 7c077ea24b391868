// Readable listings of the minixml records, for support staff looking at a client's document.
#pragma once

#include <cstdio>

#include "ecadbridge/minixml.h"
#include "ecadbridge/minixml_fields.h"

namespace minixml_tool {

// The records the getters handed out after one parse: `cca`, and one member per status record,
// named after its struct.
struct Records {
  CCAElements* cca = nullptr;
#define MINIXML_TOOL_RECORD_MEMBER(Record, getter) Record* Record##_ = nullptr;
  MINIXML_STATUS_RECORDS(MINIXML_TOOL_RECORD_MEMBER)
#undef MINIXML_TOOL_RECORD_MEMBER
};

// Reads every getter; call between minixml_parser_init and minixml_parser_close.
Records collectRecords();

// Writes the status records that are present; returns how many there were.
int printStatusRecords(const Records& records, std::FILE* out);
// Writes the CCA record with its variants and datasets; false when there is none.
bool printBomRecord(const CCAElements* cca, std::FILE* out);

}  // namespace minixml_tool
