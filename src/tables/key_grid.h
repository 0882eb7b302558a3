#pragma once
// The keyboard's key grid: 23 columns x 6 rows of key indexes, taken from the keyboard page's
// key geometry (row by row, each key in the column its place across the picture is nearest),
// 255 for an empty cell. The music modes draw bars over its columns and send the rhythm's
// reaction along its rows and columns. The wide keys take one cell (the space bar the middle
// of its three); the fifth media key above the number pad has no cell, since the top row has
// one key more than the columns right of F7 can hold.
#include <array>
#include <cstdint>
#include <optional>

namespace tables {

inline constexpr int kKeyGridColumns = 23;
inline constexpr int kKeyGridRows = 6;
inline constexpr uint8_t kNoKey = 255;

// kKeyGrid[column][row], row 0 the top (function keys), row 5 the bottom (space bar).
inline constexpr std::array<std::array<uint8_t, kKeyGridRows>, kKeyGridColumns> kKeyGrid{{
    {104, 120, 121, 122, 123, 124},  // 0  profile key, M1..M5
    {0, 21, 42, 63, 84, 105},        // 1  Esc ` Tab Caps Shift Ctrl
    {255, 22, 43, 64, 102, 106},     // 2  1 Q A \ Win
    {1, 23, 44, 65, 85, 107},        // 3  F1 2 W S Z Alt
    {2, 24, 45, 66, 86, 80},         // 4  F2 3 E D X Mu
    {3, 25, 46, 67, 87, 255},        // 5  F3 4 R F C
    {4, 26, 47, 68, 88, 108},        // 6  F4 5 T G V space
    {255, 27, 48, 69, 89, 255},      // 7  6 Y H B
    {5, 28, 49, 70, 90, 79},         // 8  F5 7 U J N He
    {6, 29, 50, 71, 91, 83},         // 9  F6 8 I K M Ka
    {7, 30, 51, 72, 92, 109},        // 10 F7 9 O L , Alt
    {8, 31, 52, 73, 93, 110},        // 11 F8 0 P ; . Fn
    {9, 32, 53, 74, 94, 111},        // 12 F9 - [ ' / Mn
    {10, 33, 54, 62, 100, 125},      // 13 F10 = ] # Ro Win
    {11, 101, 55, 75, 95, 112},      // 14 F11 yen \ Enter Shift Ctrl
    {12, 34, 255, 255, 255, 255},    // 15 F12 Backspace
    {13, 35, 56, 255, 81, 113},      // 16 Prt Ins Del Hn Left
    {14, 36, 57, 255, 96, 114},      // 17 Scr Home End Up Down
    {15, 37, 58, 255, 82, 115},      // 18 Pause PgUp PgDn Hj Right
    {16, 38, 59, 76, 97, 116},       // 19 LED NumLock 7 4 1 0
    {17, 39, 60, 77, 98, 103},       // 20 GM / 8 5 2 ,
    {18, 40, 61, 78, 99, 117},       // 21 prev * 9 6 3 .
    {19, 41, 119, 255, 118, 255},    // 22 play - + Enter
}};

struct GridCell {
    int column = 0;
    int row = 0;
};

// The first cell (by column, then row) holding the key.
constexpr std::optional<GridCell> FindKeyInGrid(int key) {
    if (key < 0 || key >= kNoKey) return std::nullopt;
    for (int c = 0; c < kKeyGridColumns; ++c)
        for (int r = 0; r < kKeyGridRows; ++r)
            if (kKeyGrid[static_cast<size_t>(c)][static_cast<size_t>(r)] == key)
                return GridCell{c, r};
    return std::nullopt;
}

}  // namespace tables
