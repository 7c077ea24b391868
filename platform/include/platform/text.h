// UTF-8 <-> UTF-16 conversion. Invalid input (bad bytes, overlong forms, surrogates encoded in
// UTF-8, lone surrogates in UTF-16) becomes U+FFFD; nothing is reported.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::u16string utf8ToUtf16(std::string_view in);
std::string utf16ToUtf8(std::u16string_view in);
// The same into `*out`, whose room is reused: for callers converting many short texts.
void utf16ToUtf8(std::u16string_view in, std::string* out);
// The exact conversion, for texts that must not change on the way (paths): false, with `*utf8`
// left empty, when the text holds an unpaired surrogate that would have to be substituted.
bool utf16ToUtf8Exact(std::u16string_view in, std::string* utf8);

// Length of a NUL-terminated UTF-16 text.
size_t utf16Length(const char16_t* text);

}  // namespace platform
