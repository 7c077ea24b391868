// Table-driven copying of attribute values into record fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <xercesc/sax2/Attributes.hpp>

#include "ecadbridge/minixml_fields.h"
#include "minixml/record_store.h"
#include "minixml/xml_text.h"

namespace minixml {

// One text field of a record and the attribute (by exact qualified name) that fills it. `label` is
// how the trace names the field.
template <typename Record>
struct TextField {
  std::u16string_view attribute;
  std::string_view label;
  char* Record::*member;
};

// A field filled by the attribute of its own name, traced under that name.
#define MINIXML_U16(text) u##text
#define MINIXML_FIELD(Record, name) \
  { MINIXML_U16(#name), #name, &Record::name }
#define MINIXML_FIELD_ENTRY(Record, name) MINIXML_FIELD(Record, name),
// The table of every text field of `Record`, from its list in minixml_fields.h.
#define MINIXML_FIELD_TABLE(Record) \
  { MINIXML_FIELDS_##Record(MINIXML_FIELD_ENTRY, Record) }

// The field that reads the attribute `name`, or null when the record reads no such attribute.
template <typename Record, size_t N>
const TextField<Record>* findField(const TextField<Record> (&fields)[N], std::u16string_view name) {
  for (const TextField<Record>& field : fields) {
    if (field.attribute == name) return &field;
  }
  return nullptr;
}

// Goes through the attributes in document order. Each one a field reads is copied into `record`
// (unless record is null: an element whose record has no owner is traced, not kept). trace(index,
// field, value) is called for every attribute, with field null for those not read; the value is
// converted once here so that tracing does not convert it again.
template <typename Record, size_t N, typename Trace>
void readFields(Record* record, const TextField<Record> (&fields)[N],
                const xercesc::Attributes& attrs, Trace&& trace) {
  std::string value;
  for (XMLSize_t i = 0; i < attrs.getLength(); ++i) {
    const TextField<Record>* field = findField(fields, xmlView(attrs.getQName(i)));
    value = toUtf8(attrs.getValue(i));
    if (field != nullptr && record != nullptr) {
      record->*(field->member) = RecordStore::instance().copyText(value);
    }
    trace(i, field, value);
  }
}

// Puts node at the head of a singly linked list, which is why lists run in reverse document order.
template <typename Node>
void pushFront(Node** head, Node* node) {
  node->next = *head;
  *head = node;
}

}  // namespace minixml
