// The process's terminal: whether a standard stream is one, and reading a secret from it.
#pragma once

#include <string>

namespace platform {

enum class StandardStream { kInput, kOutput, kError };

bool isTerminal(StandardStream stream);

// Writes `prompt` to standard error and reads one line from standard input with echo switched
// off; the newline is not part of `line`. The terminal's settings are put back before this
// returns, and also when an interrupt, quit, hang-up or termination signal arrives meanwhile (the
// signal then takes its usual course). False when standard input is not a terminal, or at the
// end of input before a newline.
bool readHiddenLine(const std::string& prompt, std::string* line);

// For a program's main only (a library never changes its host's locale): runs in the user's
// locale, with UTF-8 text when that locale's is not, so that drivers without wide entry points,
// which receive text in the process's character set, lose no character.
void useUtf8Locale();

}  // namespace platform
