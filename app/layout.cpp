#include "app/layout.h"

#include "ui/control_ids.h"

#include <algorithm>
#include <cstdint>

namespace {

// The task frame, from which the task page's geometry follows.
const Box kFrame = {10, 55, 390, 237};

} // namespace

Box ClientBox(bool showLog) {
    return {0, 0, 410, showLog ? 400 : 324};
}

Box TaskPageBox(int id) {
    const Box& f = kFrame;
    // Six buttons below the frame, a sixth of its width apart; the last one reaches its edge.
    const int step = f.width / 6;
    const int buttonTop = f.y + f.height + 6;
    switch (id) {
    case BannerImage:
        return {10, 5, 392, 44};
    case TaskFrame:
        return f;
    case TaskList:
        return {f.x + 8, f.y + 16, f.width - 16, f.height - 26};
    case DetectButton:
        return {f.x, buttonTop, step - 3, 20};
    case ClearButton:
        return {f.x + step, buttonTop, step - 3, 20};
    case RefreshButton:
        return {f.x + 2 * step, buttonTop, step - 3, 20};
    case SetupButton:
        return {f.x + 3 * step, buttonTop, step - 3, 20};
    case InfoButton:
        return {f.x + 4 * step, buttonTop, step - 3, 20};
    case TerminateButton:
        return {f.x + 5 * step, buttonTop, step, 20};
    case LogList:
        return {f.x, f.y + f.height + 32, f.width, 56};
    case HomepageLine:
        return {0, 384, ClientBox(true).width, 12};
    default:
        return {0, 0, 0, 0};
    }
}

const std::vector<TaskButton>& TaskButtons() {
    static const std::vector<TaskButton> buttons = {
        {DetectButton, L"Detect"}, {ClearButton, L"Clear"}, {RefreshButton, L"Refresh"},
        {SetupButton, L"Setup"},   {InfoButton, L"Info"},   {TerminateButton, L"Terminate"}};
    return buttons;
}

Point CenteredOrigin(int screenWidth, int screenHeight, int outerWidth, int outerHeight) {
    return {screenWidth / 2 - std::min(screenWidth, outerWidth) / 2,
            screenHeight / 2 - std::min(screenHeight, outerHeight) / 2};
}

std::pair<int, int> BannerShades(int i) {
    // The first 33 steps stay black, so both ends of the banner fade out.
    if (i <= 32) return {0, 0};
    return {i - 30, i - 31};
}
