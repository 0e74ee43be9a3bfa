// The page convention: the module, Setup and export pages take the task list's place inside the
// same frame and reuse its buttons.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// One visit of a page: entering hides the control the page replaces and keeps the frame's
// caption and the captions the page changes; Disable moves the focus off what it disables (to
// the page's own control), or onto that control when no usable control of the window has it, and
// then disables it. Leaving hides the page's control (emptying it
// when it is a list view), shows the replaced one, puts back every kept caption, enables what was
// disabled, gives the focus back to the control that opened the page and drops the second click
// of a double-click on Back. The destructor leaves a page not yet left, so that a page that fails
// on its way (out of memory) still gives the page beneath back whole.
class PageVisit {
  public:
    PageVisit(int replaced, int pageControl, std::initializer_list<int> keepCaptions);
    ~PageVisit();
    PageVisit(const PageVisit&) = delete;
    PageVisit& operator=(const PageVisit&) = delete;

    // Call once the page's control is shown.
    void Disable(std::initializer_list<int> ids);
    void Leave();

  private:
    int replaced_;
    int pageControl_;
    HWND opener_;
    std::wstring frameCaption_;
    std::vector<std::pair<int, std::wstring>> keptCaptions_;
    std::vector<int> disabled_;
    bool left_ = false;
};
