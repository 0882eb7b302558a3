#pragma once
// ProfileLinkRule: which profile a device switches to when the program in front changes.
//
// - A program that a profile links: that profile. The profile active before the first of a run
//   of automatic switches is remembered.
// - A program no profile links (or none in front): back to the remembered profile, once.
// - Nothing happens while the program in front stays the same, so a profile the user chooses
//   while a linked program is in front holds until the program in front changes.
// Profiles are named by identifier, so a list that changes in between cannot make the rule
// pick a wrong entry; a remembered profile that was deleted is not returned to.
#include <optional>
#include <string>

#include "profiles/profile_list.h"

namespace profiles {

class ProfileLinkRule {
  public:
    // The program in front is now program ("" for none): the identifier of the profile to
    // switch to, or nullopt to stay.
    std::optional<std::string> OnForeground(const std::string& program, const CProfileList& list);
    // The profile to return to, when an automatic switch is in force.
    const std::optional<std::string>& ReturnTo() const { return returnTo_; }
    const std::string& Front() const { return front_; }

  private:
    bool seen_ = false;
    std::string front_;
    std::optional<std::string> returnTo_;
};

}  // namespace profiles
