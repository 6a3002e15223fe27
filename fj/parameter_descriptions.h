// Plain-English names of the FJ addresses, keyed by the GG:II id. The texts are the controller
// maker's own, double blanks and misspellings included: profile files match labels made from them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace FJ {

// The description of an id such as "0D:08" (upper-case hex), or nullptr when the table has none.
const std::string* FindDescription(std::string_view id);
size_t DescriptionCount();

}  // namespace FJ
