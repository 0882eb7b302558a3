#pragma once
// --audio-analyse FILE [--mode 29|30] [--audio-mode N]: a WAV file, unpaced, through the
// analyser, the frame processor and the keyboard's level rule, without devices or window.
// Prints per analysis "t MS level L bands B0 B1 B2 B3 B4 B5" (MS: whole milliseconds from the
// file's start to the end of the analysed window), every third "levels M0 ... M24", and
// "reaction" when the accumulator fires. Returns 0, or 1 with a one-line reason on `err` for a
// file it refuses.
#include <cstdio>
#include <string>

struct AudioAnalyseOptions {
    std::string file;
    int effectCode = 29;  // the keyboard's effect: 29 music rhythm, 30 music spectrum
    int audioMode = 2;    // the keyboard's audio mode (2: rhythm, which the level rule reads)
};

int RunAudioAnalyse(const AudioAnalyseOptions& options, std::FILE* out, std::FILE* err);
