// Window geometry and banner colours: plain arithmetic kept apart from the Win32 code.
#pragma once
#include <utility>
#include <vector>

#include "ui/geometry.h"

struct Point {
    int x;
    int y;
};

// The client area at 96 DPI: 410 x 400, or 410 x 324 without the log list.
Box ClientBox(bool showLog);
// Where a control of the task page lies at 96 DPI (the banner, the frame, the task list, the six
// buttons, the log list, the homepage line); all of it follows from the frame's rectangle.
Box TaskPageBox(int id);
// The task page's buttons, left to right, with their captions.
struct TaskButton {
    int id;
    const wchar_t* caption;
};
const std::vector<TaskButton>& TaskButtons();

// Top-left corner that centres a window of the given outer size on the screen.
Point CenteredOrigin(int screenWidth, int screenHeight, int outerWidth, int outerHeight);

// The two green-blue shades drawn at step i (0..194) of the banner gradient.
std::pair<int, int> BannerShades(int i);
