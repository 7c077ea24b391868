// Path, string, identifier and file helpers of the connector, on 8-bit (UTF-8) strings.
#pragma once

#include <string>
#include <vector>

namespace ConnectorUtil {

// '/' becomes '\' and every run of backslashes becomes one (a leading "\\" too).
void toWindowsPath(std::string& path);
// The mirror image: '\' becomes '/' and every run of '/' becomes one.
void toSlashPath(std::string& path);
// Only the bytes 'A' to 'Z' change.
void toLowerAscii(std::string& text);
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

// Creates a directory; a failure is logged when the path does not exist afterwards.
void makeDirectory(const std::string& path);
// True when the directory was created or exists already.
bool ensureDirectory(const std::string& path);
// Removes a file; a failure is logged when the file still exists afterwards.
void deleteFile(const std::string& path);
// Copies a file byte for byte; true when both files opened.
bool copyFile(const std::string& from, const std::string& to);
// Append the names of the subdirectories (files) of `directory`, except "." and "..", in the
// order the file system returns them; false when the directory cannot be read.
bool listSubdirectories(const std::string& directory, std::vector<std::string>* names);
bool listFiles(const std::string& directory, std::vector<std::string>* names);
// Copies the tree under `from` into the existing directory `to`; nothing happens when `to`
// does not exist.
void copyDirectory(const std::string& from, const std::string& to);

}  // namespace ConnectorUtil
