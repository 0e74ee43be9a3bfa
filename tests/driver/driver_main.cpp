// morvane-driver: works Morvane's window from a script.
//
//   start EXE [FOLDER]      starts EXE (in FOLDER) and prints its process id; it keeps running
//   wait-window PID SECONDS waits until the process shows its window
//   controls PID            one line per control: id, class, x y w h, style, ex-style, flags, text
//   listview PID ID         the column titles and widths, then one line per row
//   listbox PID ID          one line per list box line
//   click PID ID            clicks the button with this ID
//   select PID ID ROW       selects a row of the list view with this ID
//   capture PID FILE        saves the window, frame included, as it is on screen (24-bit BMP)
//   close PID SECONDS       closes the window, waits for the end and prints the exit code
//   close-all SECONDS       the same for every window titled "Morvane": one "PID CODE" line each
//
// Fields are separated by tabs. The exit code is 0 on success, 1 on failure, 2 on misuse.
#include "driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fputs("usage: morvane-driver start EXE [FOLDER] | wait-window PID SECONDS | controls PID"
               " | listview PID ID | listbox PID ID | click PID ID | select PID ID ROW"
               " | capture PID FILE | close PID SECONDS"
               " | close-all SECONDS\n",
               stderr);
    return 2;
}

bool ParseNumber(const char* text, unsigned long* out) {
    char* end = nullptr;
    *out = std::strtoul(text, &end, 10);
    return *text && *end == '\0';
}

struct FirstWindow {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FirstWindowProc(HWND w, LPARAM param) {
    auto* data = reinterpret_cast<FirstWindow*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != data->pid || !IsWindowVisible(w) || GetWindow(w, GW_OWNER)) return TRUE;
    data->found = w;
    return FALSE;
}

// The program's main window: "Morvane", or else the first visible unowned top-level window of
// the process (so the tool works on other programs too).
HWND MainWindowOf(DWORD pid) {
    if (HWND w = driver::FindTopWindow(pid, "Morvane")) return w;
    FirstWindow data = {pid, nullptr};
    EnumWindows(FirstWindowProc, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

BOOL CALLBACK CollectMorvane(HWND w, LPARAM param) {
    char title[16] = {};
    GetWindowTextA(w, title, sizeof title);
    if (std::strcmp(title, "Morvane") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
    return TRUE;
}

// Writes pixels as a bottom-up 24-bit BMP file.
bool WriteBmp(const char* path, const driver::Capture& image) {
    const int rowBytes = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(rowBytes) * image.height;
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<BYTE> pixels(info.biSizeImage);
    for (int y = 0; y < image.height; ++y) {
        BYTE* row = &pixels[static_cast<size_t>(image.height - 1 - y) * rowBytes];
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = image.At(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                         std::fwrite(&info, sizeof info, 1, out) == 1 &&
                         std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

int Fail(const char* what) {
    std::fprintf(stderr, "morvane-driver: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string verb = argv[1];

    if (verb == "start") {
        driver::Process process;
        if (!process.Start(argv[2], argc > 3 ? argv[3] : "")) return Fail("cannot start");
        process.Detach();
        std::printf("%lu\n", static_cast<unsigned long>(process.Id()));
        return 0;
    }

    if (verb == "close-all") {
        unsigned long seconds = 0;
        if (!ParseNumber(argv[2], &seconds)) return Usage();
        std::vector<HWND> windows;
        EnumWindows(CollectMorvane, reinterpret_cast<LPARAM>(&windows));
        const DWORD start = GetTickCount();
        int result = 0;
        for (HWND w : windows) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            driver::Process process;
            DWORD code = 0;
            const DWORD used = GetTickCount() - start;
            const DWORD left = used < seconds * 1000 ? seconds * 1000 - used : 0;
            if (!process.Attach(pid) || !driver::CloseAndWait(w, process, left, &code)) {
                std::fprintf(stderr, "morvane-driver: %lu still running\n",
                             static_cast<unsigned long>(pid));
                result = 1;
                continue;
            }
            std::printf("%lu %lu\n", static_cast<unsigned long>(pid),
                        static_cast<unsigned long>(code));
        }
        return result;
    }

    unsigned long pid = 0;
    if (!ParseNumber(argv[2], &pid)) return Usage();
    unsigned long arg = 0;
    const bool hasArg = argc > 3 && ParseNumber(argv[3], &arg);

    if (verb == "wait-window") {
        if (!hasArg) return Usage();
        const bool shown = driver::WaitUntil(
            [pid] {
                HWND top = MainWindowOf(pid);
                return top && IsWindowVisible(top);
            },
            arg * 1000);
        return shown ? 0 : Fail("no window shown");
    }

    HWND top = MainWindowOf(pid);
    if (!top) return Fail("no window");

    if (verb == "controls") {
        for (const driver::ControlInfo& c : driver::ListControls(top)) {
            std::printf("%d\t%s\t%ld %ld %ld %ld\t%08lX\t%08lX\t%s%s\t%s\n", c.id,
                        c.className.c_str(), c.rect.left, c.rect.top, c.rect.right - c.rect.left,
                        c.rect.bottom - c.rect.top, static_cast<unsigned long>(c.style),
                        static_cast<unsigned long>(c.exStyle), c.visible ? "visible" : "hidden",
                        c.enabled ? "" : ",disabled", c.text.c_str());
        }
        return 0;
    }
    if (verb == "listview") {
        if (!hasArg) return Usage();
        driver::ListViewDump dump;
        if (!driver::DumpListView(driver::ControlHandle(top, static_cast<int>(arg)), &dump))
            return Fail("cannot read the list view");
        const char* sep = "";
        for (const driver::ListColumn& c : dump.columns) {
            std::printf("%s%s:%d", sep, c.title.c_str(), c.width);
            sep = "\t";
        }
        std::printf("\n");
        for (const driver::ListRow& r : dump.rows) {
            std::printf("%s%s", r.checked ? "[x]" : "[ ]", r.selected ? "*" : "");
            for (const std::string& cell : r.cells)
                std::printf("\t%s", cell.c_str());
            std::printf("\n");
        }
        return 0;
    }
    if (verb == "listbox") {
        if (!hasArg) return Usage();
        driver::ListBoxDump dump;
        if (!driver::DumpListBox(driver::ControlHandle(top, static_cast<int>(arg)), &dump))
            return Fail("cannot read the list box");
        for (const std::string& line : dump.lines)
            std::printf("%s\n", line.c_str());
        return 0;
    }
    if (verb == "click") {
        if (!hasArg) return Usage();
        return driver::Click(driver::ControlHandle(top, static_cast<int>(arg)))
                   ? 0
                   : Fail("cannot click");
    }
    if (verb == "select") {
        unsigned long row = 0;
        if (!hasArg || argc < 5 || !ParseNumber(argv[4], &row)) return Usage();
        return driver::SetRowSelected(driver::ControlHandle(top, static_cast<int>(arg)),
                                      static_cast<int>(row), true)
                   ? 0
                   : Fail("cannot select the row");
    }
    if (verb == "capture") {
        RECT r = {};
        driver::Capture image;
        if (argc < 4 || !GetWindowRect(top, &r)) return Usage();
        if (!driver::Sync(top) || !driver::CaptureScreen(r, &image) || !WriteBmp(argv[3], image))
            return Fail("cannot capture the window");
        return 0;
    }
    if (verb == "close") {
        if (!hasArg) return Usage();
        driver::Process process;
        if (!process.Attach(pid)) return Fail("cannot open the process");
        DWORD code = 0;
        if (!driver::CloseAndWait(top, process, arg * 1000, &code)) return Fail("still running");
        std::printf("%lu\n", static_cast<unsigned long>(code));
        return 0;
    }
    return Usage();
}
