// JSON string literals from texts whose bytes nobody vouches for: entry names
// and comments come straight out of archives, so they may hold control
// characters or bytes that are not UTF-8. The output is valid JSON whatever the
// input, so that a reader never chokes on one odd archive entry.
#pragma once

#include <string>
#include <string_view>

namespace tools {

// Appends `text` as a quoted JSON string. The quote and the backslash are
// escaped; control characters become \b \f \n \r \t or \u00xx; every ill-formed
// UTF-8 sequence (stray continuation byte, truncated or overlong sequence,
// surrogate, value above U+10FFFF) becomes one U+FFFD, taking the longest
// prefix that could have started a valid sequence, as UTF-8 decoders that
// "replace" errors do.
void AppendJsonString(std::string& json, std::string_view text);

}  // namespace tools
