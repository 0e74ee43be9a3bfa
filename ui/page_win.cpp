#include "ui/page.h"

#include "ui/events.h"
#include "ui/window.h"

PageVisit::PageVisit(int replaced, int pageControl, std::initializer_list<int> keepCaptions)
    : replaced_(replaced), pageControl_(pageControl), opener_(GetFocus()),
      frameCaption_(ControlText(TaskFrame)) {
    if (opener_ != nullptr && !IsChild(g_MainWindow, opener_)) opener_ = nullptr;
    for (int id : keepCaptions)
        keptCaptions_.emplace_back(id, ControlText(id));
    if (replaced_ >= 0) ShowControl(replaced_, false);
}

PageVisit::~PageVisit() {
    // Leaving touches only windows; nothing here throws.
    Leave();
}

void PageVisit::Disable(std::initializer_list<int> ids) {
    // A disabled or hidden control that keeps the focus would leave Tab with nowhere to start.
    // So is a focus left on the window itself, where a hidden control has passed it.
    HWND focus = GetFocus();
    bool moveFocus = focus == nullptr || focus == g_MainWindow || !IsChild(g_MainWindow, focus) ||
                     !CanTakeFocus(focus);
    for (int id : ids)
        if (Control(id) == focus) moveFocus = true;
    if (moveFocus && Control(pageControl_) != nullptr) SetFocus(Control(pageControl_));
    for (int id : ids) {
        EnableControl(id, false);
        disabled_.push_back(id);
    }
}

void PageVisit::Leave() {
    if (left_) return;
    left_ = true;
    HWND page = Control(pageControl_);
    if (page != nullptr) {
        ShowWindow(page, SW_HIDE);
        wchar_t className[32] = {};
        GetClassNameW(page, className, 32);
        if (lstrcmpiW(className, WC_LISTVIEWW) == 0) SendMessageW(page, LVM_DELETEALLITEMS, 0, 0);
    }
    if (replaced_ >= 0) ShowControl(replaced_, true);
    for (int id : disabled_)
        EnableControl(id, true);
    SetControlText(TaskFrame, frameCaption_);
    for (const auto& kept : keptCaptions_)
        SetControlText(kept.first, kept.second);
    if (CanTakeFocus(opener_)) SetFocus(opener_);
    IgnoreClicksFor(TerminateButton);
}
