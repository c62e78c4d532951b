// The long options tarvo-cli's --help names ("--image", ...), for the tests
// that hold its manual page and its shell completion to them.
#pragma once

#include <set>
#include <string>

namespace tarvo::testing {

std::set<std::string> HelpLongOptions();

}  // namespace tarvo::testing
