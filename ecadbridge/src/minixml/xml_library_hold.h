// Keeps the XML library initialised for a whole init..close round.
#pragma once

namespace minixml {

// The XML library counts its initialisations and builds or tears down its global tables only on
// the first and the last. Holding one for the round makes each parse's own initialise/terminate
// pair cheap, while every parse still stands alone (and still reports a failed initialisation).
class XmlLibraryHold {
 public:
  XmlLibraryHold() = default;
  ~XmlLibraryHold() { release(); }

  XmlLibraryHold(const XmlLibraryHold&) = delete;
  XmlLibraryHold& operator=(const XmlLibraryHold&) = delete;

  // False when the library did not initialise; parses then try on their own.
  bool acquire();
  void release();

 private:
  bool held_ = false;
};

}  // namespace minixml
