// Unified diffs of whole files, byte exact: what `patch` needs to turn one
// text into the other, CR LF line ends and a missing final newline
// included.
#pragma once

#include <string>
#include <string_view>

namespace host::cli {

// The diff from `before` to `after` with three lines of context, headed
// "--- OLD_LABEL" and "+++ NEW_LABEL" (quoted where a name holds a blank, a
// quote, a backslash or a control character); empty when the texts are
// equal. An empty `before` labelled "/dev/null" creates the file.
std::string UnifiedDiff(std::string_view before, std::string_view after,
                        const std::string& old_label, const std::string& new_label);

}  // namespace host::cli
