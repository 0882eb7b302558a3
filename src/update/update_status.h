#pragma once
// What a row of the update list shows for each status, and the summary of a whole check.
// Pure data and arithmetic.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace update {

namespace row_status {
inline constexpr int kLessUpdate = 0;
inline constexpr int kNeedUpdate = 1;
inline constexpr int kNeedUpdateToo = 2;
inline constexpr int kDownloadWait = 3;
inline constexpr int kDownloading = 4;
inline constexpr int kDownloaded = 5;
inline constexpr int kUpdating = 6;
inline constexpr int kUpToDate = 7;
inline constexpr int kUpdateFailed = 8;
inline constexpr int kCheckFailed = 9;  // no usable answer: unreachable or unreadable
}  // namespace row_status

struct RowStatusLook {
    int status;
    std::string_view textKey;  // language text identifier
    bool progressShown;
    bool doneShown;
    bool optionEnabled;
    std::uint32_t textColor;
    std::uint32_t selectedTextColor;
    std::uint32_t disabledTextColor;
};

inline constexpr std::uint32_t kWhite = 0xFFFFFFFF;
inline constexpr std::uint32_t kGrey = 0xFF666666;
inline constexpr std::uint32_t kBlue = 0xFF0099FF;
inline constexpr std::uint32_t kDarkBlue = 0xFF0078C8;

inline constexpr RowStatusLook kRowStatusLooks[] = {
    {0, "LessUpdateText", false, false, false, kWhite, kWhite, kGrey},
    {1, "NeedUpdateText", false, false, true, kBlue, kBlue, kDarkBlue},
    {2, "NeedUpdateText", false, false, true, kBlue, kBlue, kDarkBlue},
    {3, "DownloadWaitText", false, false, false, kBlue, kBlue, kDarkBlue},
    {4, "DownloadIngText", true, false, false, kBlue, kBlue, kDarkBlue},
    {5, "DownloadOkText", false, true, false, kBlue, kBlue, kDarkBlue},
    {6, "UpdateIngText", true, false, false, kBlue, kBlue, kDarkBlue},
    {7, "UpdateOkText", false, false, false, kWhite, kWhite, kGrey},
    {8, "UpdateFailText", false, false, true, kBlue, kBlue, kDarkBlue},
    {9, "CheckFailText", false, false, false, kWhite, kWhite, kGrey},
};

// The look of a status, or nothing for a number outside the table.
std::optional<RowStatusLook> LookOfStatus(int status);

// Summary states of the window.
namespace summary {
inline constexpr int kChecking = 0;
inline constexpr int kUpdateAvailable = 1;
inline constexpr int kNoInformation = 2;
inline constexpr int kUpdating = 3;
inline constexpr int kLatest = 4;
}  // namespace summary

// 1 when some row needs an update; 4 when every row was answered and none needs one;
// otherwise (some row could not be checked, or there is no row) 2.
int SummaryOf(const std::vector<int>& rowStatuses);

}  // namespace update
