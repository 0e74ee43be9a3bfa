#include "app/caption_fit.h"

#include "app/layout.h"
#include "app/setup_layout.h"
#include "ui/control_ids.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) return lines;
        start = end + 1;
    }
}

} // namespace

bool CaptionsFit(const std::vector<CaptionRoom>& captions, int dpi, int fontHeight,
                 const MeasureText& measure) {
    for (const CaptionRoom& caption : captions) {
        const Box room = Scaled(caption.place, dpi);
        const std::vector<std::wstring> lines = Lines(caption.text);
        int height = 0;
        for (const std::wstring& line : lines) {
            const TextExtent extent = measure(line, fontHeight);
            if (extent.width > room.width) return false;
            height += extent.lineHeight;
        }
        if (height > room.height) return false;
    }
    return true;
}

int FittingFontHeight(const std::vector<CaptionRoom>& captions, int dpi, int preferred,
                      const MeasureText& measure) {
    const int smallest = (preferred * 3 + 3) / 4;
    int height = preferred;
    while (height > smallest && !CaptionsFit(captions, dpi, height, measure))
        --height;
    return height;
}

std::vector<CaptionRoom> WindowCaptions(const std::wstring& aboutText) {
    std::vector<CaptionRoom> captions;
    for (const TaskButton& button : TaskButtons())
        captions.push_back({button.caption, TaskPageBox(button.id)});
    // The captions the pages give these two buttons.
    captions.push_back({L"Back", TaskPageBox(TerminateButton)});
    captions.push_back({L"Export", TaskPageBox(InfoButton)});
    const Box list = TaskPageBox(TaskList);
    for (const PanelControl& c : PanelControls()) {
        const Box place = PlaceOf(c, list.width, list.height);
        if (c.id == AboutTextLabel)
            captions.push_back({aboutText, place});
        else if (c.kind != PanelKind::Field && c.text[0] != L'\0')
            captions.push_back({c.text, place});
    }
    return captions;
}
