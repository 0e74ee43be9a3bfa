// The controls' font at a scaled display: the layout grows by dpi / 96 in straight lines, but a
// font's text does not grow evenly with its height, so at some heights a caption outgrows its
// control. The font is made as large as the scaling asks, or a little smaller where that makes
// every caption fit: plain arithmetic over a measuring function, kept apart from the Win32 code.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "ui/geometry.h"

// A caption and the control it is shown in, at 96 DPI. A caption of several lines (separated by
// line feeds) is stacked in the control: every line must fit its width and all of them its
// height; a one-line caption must fit both too.
struct CaptionRoom {
    std::wstring text;
    Box place;
};

// The width of one line of text and the height of a line, in pixels, in a font `fontHeight`
// pixels high (the size CreateFont takes as a negative height).
struct TextExtent {
    int width;
    int lineHeight;
};
using MeasureText = std::function<TextExtent(const std::wstring& line, int fontHeight)>;

// Whether every caption fits its control laid out for `dpi` in a font `fontHeight` pixels high.
bool CaptionsFit(const std::vector<CaptionRoom>& captions, int dpi, int fontHeight,
                 const MeasureText& measure);

// The font height for `dpi`: `preferred` (the default font scaled to that DPI) when every caption
// fits in it, else the largest smaller height, down to three quarters of it, at which they all
// fit; the smallest of those when none does.
int FittingFontHeight(const std::vector<CaptionRoom>& captions, int dpi, int preferred,
                      const MeasureText& measure);

// Every caption of a button, option button, check box and group box of the window, the texts
// the Terminate and Info buttons take on the other pages, and the About text, each with the
// control it is shown in.
std::vector<CaptionRoom> WindowCaptions(const std::wstring& aboutText);
