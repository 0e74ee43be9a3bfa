// Lengths of the 96-DPI layout and their size at any other DPI: plain arithmetic kept apart from
// the Win32 code.
#pragma once

// A rectangle by its top-left corner and size.
struct Box {
    int x, y, width, height;
};

// The layout is drawn at 96 DPI; at any other DPI every length is multiplied by dpi / 96 and
// rounded to the nearest pixel, halves away from zero, as MulDiv rounds.
constexpr int kLayoutDpi = 96;
int Scaled(int length, int dpi);
// Scales the edges rather than the size, so that controls that meet at 96 DPI still meet.
Box Scaled(const Box& box, int dpi);
// The height CreateFont takes for a font of `points` points: -MulDiv(points, dpi, 72).
int FontHeight(int points, int dpi);
