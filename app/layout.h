// Window geometry and banner colours: plain arithmetic kept apart from the Win32 code.
#pragma once
#include <utility>

struct Point {
    int x;
    int y;
};

// Top-left corner that centres a window of the given outer size on the screen.
Point CenteredOrigin(int screenWidth, int screenHeight, int outerWidth, int outerHeight);

// The two green-blue shades drawn at step i (0..194) of the banner gradient.
std::pair<int, int> BannerShades(int i);
