#pragma once
// The profile code's traces go to the "skelmora.profile" logging category.
#include <string_view>

namespace profiles {

void ProfileTrace(std::string_view text);    // debug trace
void ProfileWarning(std::string_view text);  // a failure that the caller is told about too

}  // namespace profiles
