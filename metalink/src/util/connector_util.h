// Path, string and identifier helpers of the connector, on 8-bit (UTF-8) strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ConnectorUtil {

// '/' becomes '\' and every run of backslashes becomes one (a leading "\\" too).
void toWindowsPath(std::string& path);
// The mirror image: '\' becomes '/' and every run of '/' becomes one.
void toSlashPath(std::string& path);
// Only the bytes 'A' to 'Z' change.
void toLowerAscii(std::string& text);
// Equal when only the case of 'A' to 'Z' differs.
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);
// Removes leading and trailing ' ' (tabs stay).
void trimBlanks(std::string& text);

// Appends the tokens of `text`: leading delimiter characters are skipped, and a token ends where
// the whole `delimiters` string occurs next.
void split(const std::string& text, std::vector<std::string>* out, const std::string& delimiters);
// Like split, except that a token starting with '"' runs over delimiters up to the first
// delimiter that follows a '"'; the quotes stay in the token.
void splitQuoted(const std::string& text, std::vector<std::string>* out,
                 const std::string& delimiters);

// The text after the last path separator; false and empty when there is none.
bool getFileName(const std::string& path, std::string* name);
// Cuts the text at its last '.', when it has one.
void removeExtension(std::string& text);
// Replaces each of / \ : * ? " < > | with '_'.
std::string toValidFileName(const std::string& text);
// "id" followed by n in decimal.
std::string makeElemId(int n);

}  // namespace ConnectorUtil
