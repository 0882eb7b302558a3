#include "profiles/profile_link_rule.h"

namespace profiles {

std::optional<std::string> ProfileLinkRule::OnForeground(const std::string& program,
                                                         const CProfileList& list) {
    if (seen_ && SameNameIgnoringCase(program, front_)) return std::nullopt;
    seen_ = true;
    front_ = program;
    const std::optional<std::string> active = list.IdentifierAt(list.Active());
    std::optional<std::string> target;
    if (const auto linked = list.FindLinked(program)) {
        target = list.IdentifierAt(*linked);
        if (!target) return std::nullopt;  // an entry whose file is never opened
        if (!returnTo_) returnTo_ = active;
    } else if (returnTo_) {
        target = std::move(returnTo_);
        returnTo_.reset();
        bool listed = false;
        for (const ProfileEntry& entry : list.Entries())
            listed = listed || (entry.usable && entry.identifier == *target);
        if (!listed) return std::nullopt;
    }
    if (!target || target == active) return std::nullopt;
    return target;
}

}  // namespace profiles
