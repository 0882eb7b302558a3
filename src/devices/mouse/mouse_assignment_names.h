#pragma once
// What a button's tool tip calls its assignment: a list of pieces joined with "+", each a
// text identifier for the language file or a literal (a macro's own name, or the code's bytes
// when no table names it).
#include <string>
#include <vector>

#include "tables/key_code.h"

namespace mouse {

struct NamePiece {
    std::string text;
    bool translate = true;  // a text identifier; false: shown as it stands
    friend bool operator==(const NamePiece&, const NamePiece&) = default;
};

// macroNames: the names of "macro.config" in order (kinds "p" and "q" name macro high).
std::vector<NamePiece> AssignmentName(const tables::DeviceKeyCode& code,
                                      const std::vector<std::string>& macroNames);

}  // namespace mouse
