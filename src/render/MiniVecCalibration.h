#pragma once
#include <cstdint>

// The rasteriser's start-up calibration, without the drawing: 128 settings
// of offsets for a line's start x, end x and y, each tried as two one-pixel
// lines (column 1 + 4i on row 1, column 2 + 4i on row 2) on black, and the
// picture judged afterwards.

constexpr int32_t kCalibrationSettings = 128;
// The test picture's size; its top four rows are used.
constexpr uint32_t kCalibrationWidth = 800;
constexpr uint32_t kCalibrationHeight = 512;

struct TCalibrationSetting {
    float start, end, y;
};
TCalibrationSetting CalibrationSetting(int32_t i);

// The two pixels setting i should light: (column, row) each.
void CalibrationTargets(int32_t i, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2);

struct TCalibrationJudgement {
    int32_t chosen = -1; // the brightest setting that lit exactly its two pixels (the later on a tie)
    int32_t blanks = 0;  // settings that lit none of the eight pixels looked at
};
// Judges the picture: 0xAARRGGBB pixels, at least kCalibrationWidth x 4,
// pitch in pixels. A pixel is lit when its colour is not black.
TCalibrationJudgement JudgeCalibration(const uint32_t* pixels, uint32_t pitch);
