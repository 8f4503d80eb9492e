// Text inside JSON strings as arbo's documents and the snapshots write it: exact where it
// is UTF-8, and the bytes of what is not kept beside it in hexadecimal.
#pragma once

#include <string>
#include <string_view>

namespace ramilux {

// `text` as the content of a JSON string: quotes, backslashes and control characters
// escaped, every byte that is not part of well-formed UTF-8 replaced by U+FFFD, one a
// byte, as the text listing shows it.
void AppendJsonString(std::string& out, std::string_view text);
// `text` between quotes.
void AppendJsonQuoted(std::string& out, std::string_view text);
// `, "field": "hex"`: the exact bytes of a text that is not UTF-8; nothing for one that is.
void AppendBytesField(std::string& out, std::string_view field, std::string_view text);

}  // namespace ramilux
