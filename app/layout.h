// Window geometry and banner colours: plain arithmetic kept apart from the Win32 code.
#pragma once
#include <utility>
#include <vector>

struct Point {
    int x;
    int y;
};

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

// The client area at 96 DPI: 410 x 400, or 410 x 324 without the log list.
Box ClientBox(bool showLog);
// Where a control of the task page lies at 96 DPI (the banner, the frame, the task list, the six
// buttons, the log list, the homepage line); all of it follows from the frame's rectangle.
Box TaskPageBox(int id);
// The task list's column widths at 96 DPI, in column order.
std::vector<int> TaskListColumns();

// Top-left corner that centres a window of the given outer size on the screen.
Point CenteredOrigin(int screenWidth, int screenHeight, int outerWidth, int outerHeight);

// The two green-blue shades drawn at step i (0..194) of the banner gradient.
std::pair<int, int> BannerShades(int i);

// Index of the control that Tab (or Shift+Tab) moves the focus to, among controls in creation
// order of which only those marked eligible can take the focus; -1 when none can.
int NextTabStop(const std::vector<bool>& eligible, int current, bool backwards);
