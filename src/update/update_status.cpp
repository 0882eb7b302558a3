#include "update/update_status.h"

#include <algorithm>

namespace update {

std::optional<RowStatusLook> LookOfStatus(int status) {
    for (const RowStatusLook& look : kRowStatusLooks) {
        if (look.status == status) return look;
    }
    return std::nullopt;
}

int SummaryOf(const std::vector<int>& rowStatuses) {
    const auto needs = [](int s) {
        return s == row_status::kNeedUpdate || s == row_status::kNeedUpdateToo;
    };
    if (std::any_of(rowStatuses.begin(), rowStatuses.end(), needs))
        return summary::kUpdateAvailable;
    if (rowStatuses.empty()) return summary::kNoInformation;
    const bool allAnswered = std::none_of(rowStatuses.begin(), rowStatuses.end(),
                                          [](int s) { return s == row_status::kCheckFailed; });
    return allAnswered ? summary::kLatest : summary::kNoInformation;
}

}  // namespace update
