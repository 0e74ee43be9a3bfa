#include "driver.h"

#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>

namespace driver {

namespace {

// Longest text read from a cell, column title or tab of another process.
constexpr int kTextMax = 1024;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr,
          DWORD timeoutMs = kMessageTimeoutMs) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &r))
        return false;
    if (result) *result = static_cast<LRESULT>(r);
    return true;
}

// Gives a posted message and what it started time to run: two round trips a little apart, since
// a message sent to a thread is handled before the ones already posted to it. Not a proof that
// anything was handled: callers wait for the effect they expect.
void Settle(HWND window) {
    Sync(window);
    Sleep(30);
    Sync(window);
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

bool IsWow64(HANDLE process) {
    BOOL wow = FALSE;
    return IsWow64Process(process, &wow) && wow;
}

// A block of memory inside the process that owns a window, for messages whose arguments point
// to structures: the target reads and writes them at addresses of its own. The structures are
// laid out as this program lays them out, so the target must have the same bitness (both are
// 64-bit in the test builds, both 32-bit in the 32-bit build); a target of the other bitness is
// refused rather than handed a structure it would misread.
class RemoteMemory {
  public:
    RemoteMemory(HWND owner, size_t size) : size_(size) {
        process_.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                       PROCESS_QUERY_INFORMATION,
                                   FALSE, ProcessOf(owner)));
        if (!process_) return;
        if (IsWow64(process_.Get()) != IsWow64(GetCurrentProcess())) return;
        base_ = static_cast<char*>(VirtualAllocEx(process_.Get(), nullptr, size,
                                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (base_) VirtualFreeEx(process_.Get(), base_, 0, MEM_RELEASE);
    }
    bool Valid() const { return base_ != nullptr; }
    // Address in the target's address space.
    char* At(size_t offset) const { return base_ + offset; }
    bool Write(size_t offset, const void* data, size_t size) {
        SIZE_T done = 0;
        return base_ && offset + size <= size_ &&
               WriteProcessMemory(process_.Get(), base_ + offset, data, size, &done) &&
               done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        SIZE_T done = 0;
        return base_ && offset + size <= size_ &&
               ReadProcessMemory(process_.Get(), base_ + offset, data, size, &done) && done == size;
    }
    // A zero-terminated wide text at `offset`, at most `max` characters long, in UTF-8.
    std::string ReadText(size_t offset, size_t max) const {
        std::wstring text(max, L'\0');
        if (!Read(offset, &text[0], max * sizeof(wchar_t))) return {};
        text.resize(wcsnlen(text.c_str(), max));
        return Utf8(text);
    }

  private:
    Handle process_;
    char* base_ = nullptr;
    size_t size_;
};

// Where the structure and the text buffer lie in a RemoteMemory block.
constexpr size_t kStructOffset = 0;
constexpr size_t kTextOffset = 256;
constexpr size_t kBlockSize = kTextOffset + kTextMax * sizeof(wchar_t);
static_assert(sizeof(LVITEMW) <= kTextOffset && sizeof(LVCOLUMNW) <= kTextOffset &&
                  sizeof(TCITEMW) <= kTextOffset,
              "structures must fit before the text buffer");

bool SetRowState(HWND list, int row, UINT state, UINT mask) {
    RemoteMemory memory(list, kBlockSize);
    if (!memory.Valid()) return false;
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    LRESULT ok = 0;
    if (!memory.Write(kStructOffset, &item, sizeof item) ||
        !Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
              reinterpret_cast<LPARAM>(memory.At(kStructOffset)), &ok) ||
        !ok)
        return false;
    LRESULT now = 0;
    return Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask, &now) &&
           (static_cast<UINT>(now) & mask) == (state & mask);
}

struct FindTopData {
    DWORD pid;
    const std::string* title;
    const std::string* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindTopProc(HWND window, LPARAM param) {
    auto* data = reinterpret_cast<FindTopData*>(param);
    if (ProcessOf(window) != data->pid) return TRUE;
    if (data->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (!data->className->empty() && ClassName(window) != *data->className) return TRUE;
    if (!data->title->empty()) {
        // Top-level titles are read without a message, so a busy target cannot stall this.
        wchar_t title[512] = {};
        GetWindowTextW(window, title, 512);
        if (*data->title != Utf8(title)) return TRUE;
    }
    data->found = window;
    return FALSE;
}

HWND FindTop(DWORD pid, const std::string& title, const std::string& className, bool visibleOnly) {
    FindTopData data = {pid, &title, &className, visibleOnly, nullptr};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

bool IsGone(HWND window) {
    return !IsWindow(window) || !IsWindowVisible(window);
}

} // namespace

// --- Handle, Process ------------------------------------------------------------------------

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        Reset(other.h_);
        other.h_ = nullptr;
    }
    return *this;
}

void Handle::Reset(HANDLE h) {
    if (h_) CloseHandle(h_);
    h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
}

Process::Process(Process&& other) noexcept
    : handle_(std::move(other.handle_)), pid_(other.pid_), owned_(other.owned_) {
    other.pid_ = 0;
    other.owned_ = false;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (owned_ && Running()) Kill();
        handle_ = std::move(other.handle_);
        pid_ = other.pid_;
        owned_ = other.owned_;
        other.pid_ = 0;
        other.owned_ = false;
    }
    return *this;
}

Process::~Process() {
    if (owned_ && Running()) Kill();
}

namespace {

// The head of the system's process parameters block, as far as it is set here; the rest stays
// as RtlCreateProcessParametersEx made it.
struct ProcessParametersHead {
    ULONG maximumLength;
    ULONG length;
    ULONG flags;
    ULONG debugFlags;
    HANDLE console;
    ULONG consoleFlags;
    HANDLE standardInput;
    HANDLE standardOutput;
    HANDLE standardError;
};

struct NativeProcessInfo {
    ULONG length;
    HANDLE process;
    HANDLE thread;
    CLIENT_ID clientId;
    BYTE image[256]; // the image information, larger than any system writes
};

using CreateParametersFn = NTSTATUS(NTAPI*)(void**, UNICODE_STRING*, UNICODE_STRING*,
                                            UNICODE_STRING*, UNICODE_STRING*, void*,
                                            UNICODE_STRING*, UNICODE_STRING*, UNICODE_STRING*,
                                            UNICODE_STRING*, ULONG);
using DestroyParametersFn = NTSTATUS(NTAPI*)(void*);
using CreateUserProcessFn = NTSTATUS(NTAPI*)(UNICODE_STRING*, ULONG, void*, void*, void*, HANDLE,
                                             BOOLEAN, HANDLE, HANDLE, NativeProcessInfo*);

// The wide text of an ANSI text, as the system's narrow calls read it.
std::wstring Widen(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 1) return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size) - 1);
    return wide;
}

UNICODE_STRING Counted(std::wstring& text) {
    UNICODE_STRING u;
    u.Buffer = &text[0];
    u.Length = u.MaximumLength = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    return u;
}

// Creates the process through ntdll with the NT form of its path, which has no length limit,
// and lets it run. `stdHandles` (inheritable) become its standard handles.
bool StartByNtPath(std::wstring image, std::wstring commandLine, std::wstring workDir,
                   HANDLE stdHandles, PROCESS_INFORMATION* info) {
    if (image.compare(0, 4, L"\\\\?\\") == 0) image.erase(0, 4);
    if (image.size() < 3 || image[1] != L':' || workDir.empty() || image.size() > 32000)
        return false;
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto createParameters = reinterpret_cast<CreateParametersFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlCreateProcessParametersEx")));
    auto destroyParameters = reinterpret_cast<DestroyParametersFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlDestroyProcessParameters")));
    auto createProcess = reinterpret_cast<CreateUserProcessFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlCreateUserProcess")));
    if (!createParameters || !destroyParameters || !createProcess) return false;
    std::wstring ntPath = L"\\??\\" + image;
    UNICODE_STRING ntName = Counted(ntPath), imageName = Counted(image),
                   command = Counted(commandLine), folder = Counted(workDir);
    void* parameters = nullptr;
    const ULONG normalised = 1;
    if (createParameters(&parameters, &imageName, nullptr, &folder, &command, nullptr, nullptr,
                         nullptr, nullptr, nullptr, normalised) != 0)
        return false;
    auto* head = static_cast<ProcessParametersHead*>(parameters);
    head->standardInput = head->standardOutput = head->standardError = stdHandles;
    NativeProcessInfo created = {};
    created.length = sizeof created;
    const NTSTATUS status =
        createProcess(&ntName, OBJ_CASE_INSENSITIVE, parameters, nullptr, nullptr, nullptr,
                      stdHandles != nullptr, nullptr, nullptr, &created);
    destroyParameters(parameters);
    if (status != 0) return false;
    ResumeThread(created.thread);
    info->hProcess = created.process;
    info->hThread = created.thread;
    info->dwProcessId =
        static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(created.clientId.UniqueProcess));
    return true;
}

} // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), length, &wide[0], size);
    return wide;
}

bool Process::Start(const std::string& exe, const std::string& workDir, const std::string& args) {
    return Start(Widen(exe), Widen(workDir), Widen(args));
}

bool Process::Start(const std::wstring& exe, const std::wstring& workDir,
                    const std::wstring& args) {
    if (owned_ && Running()) Kill();
    handle_.Reset();
    pid_ = 0;
    owned_ = false;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!args.empty()) commandLine += L" " + args;
    // The program gets the null device as its standard handles rather than ours: under Wine it
    // would otherwise hold our output pipe open, and whoever reads that pipe (a script, ctest)
    // would wait for the program to end.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Handle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr));
    PROCESS_INFORMATION info = {};
    if (exe.size() >= MAX_PATH) {
        // CreateProcessW takes no longer path in any form; a shell starts such a program the
        // same way.
        if (!StartByNtPath(exe, commandLine, workDir, nul.Get(), &info)) return false;
    } else {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (nul) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.Get();
        }
        // Wine now and then refuses a start with an internal error when hundreds of processes
        // come and go (seen about once in ten runs of 300 copies); a second try starts it.
        bool started = false;
        for (int attempt = 0; attempt < 5 && !started; ++attempt) {
            if (attempt) Sleep(50);
            started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr,
                                     nul ? TRUE : FALSE, DETACHED_PROCESS, nullptr,
                                     workDir.empty() ? nullptr : workDir.c_str(), &startup, &info);
            if (!started && GetLastError() != ERROR_INTERNAL_ERROR) return false;
        }
        if (!started) return false;
    }
    CloseHandle(info.hThread);
    handle_.Reset(info.hProcess);
    pid_ = info.dwProcessId;
    owned_ = true;
    return true;
}

bool Process::Attach(DWORD pid) {
    if (owned_ && Running()) Kill();
    owned_ = false;
    handle_.Reset(OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, pid));
    pid_ = handle_ ? pid : 0;
    return Valid();
}

bool Process::Running() const {
    return handle_ && WaitForSingleObject(handle_.Get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!handle_ || WaitForSingleObject(handle_.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    if (!GetExitCodeProcess(handle_.Get(), &code)) return false;
    if (exitCode) *exitCode = code;
    return true;
}

void Process::Kill() {
    if (!handle_) return;
    TerminateProcess(handle_.Get(), 1);
    WaitForSingleObject(handle_.Get(), kWaitTimeoutMs);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return done();
        Sleep(stepMs);
    }
}

// --- Windows --------------------------------------------------------------------------------

HWND FindTopWindow(DWORD pid, const std::string& title, const std::string& className) {
    return FindTop(pid, title, className, false);
}

HWND WaitTopWindow(DWORD pid, const std::string& title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(pid, title)) != nullptr; }, timeoutMs);
    return found;
}

bool WaitVisible(HWND window, DWORD timeoutMs) {
    return WaitUntil([window] { return IsWindow(window) && IsWindowVisible(window); }, timeoutMs);
}

bool Sync(HWND window, DWORD timeoutMs) {
    return Send(window, WM_NULL, 0, 0, nullptr, timeoutMs);
}

DWORD WindowThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr);
}

std::string WindowText(HWND window) {
    LRESULT length = 0;
    if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &length) || length < 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
    LRESULT copied = 0;
    if (!Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &copied))
        return {};
    return Utf8(std::wstring(buffer.data(), wcsnlen(buffer.data(), buffer.size())));
}

std::string ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Utf8(name);
}

RECT ClientRect(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return r;
}

POINT ClientOrigin(HWND window) {
    POINT p = {0, 0};
    ClientToScreen(window, &p);
    return p;
}

static ControlInfo Describe(HWND parent, HWND child) {
    ControlInfo info;
    info.hwnd = child;
    info.id = GetDlgCtrlID(child);
    info.className = ClassName(child);
    info.text = WindowText(child);
    GetWindowRect(child, &info.rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
    info.style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    info.exStyle = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE));
    info.visible = IsWindowVisible(child) != FALSE;
    info.enabled = IsWindowEnabled(child) != FALSE;
    return info;
}

std::vector<ControlInfo> ListControls(HWND parent) {
    std::vector<ControlInfo> controls;
    for (HWND child = GetWindow(parent, GW_CHILD); child && controls.size() < 1000;
         child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(Describe(parent, child));
    return controls;
}

bool GetControl(HWND parent, int id, ControlInfo* out) {
    HWND child = ControlHandle(parent, id);
    if (!child) return false;
    *out = Describe(parent, child);
    return true;
}

HWND ControlHandle(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

// --- Lists and tabs -------------------------------------------------------------------------

bool DumpListView(HWND list, ListViewDump* out) {
    *out = ListViewDump();
    RemoteMemory memory(list, kBlockSize);
    if (!memory.Valid()) return false;
    LRESULT extended = 0;
    if (!Send(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, &extended)) return false;
    out->extendedStyle = static_cast<DWORD>(extended);

    // Columns: read until the list refuses one (also covers a list without a header).
    for (int c = 0; c < 256; ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = reinterpret_cast<wchar_t*>(memory.At(kTextOffset));
        column.cchTextMax = kTextMax;
        const wchar_t zero = 0;
        LRESULT ok = 0;
        if (!memory.Write(kStructOffset, &column, sizeof column) ||
            !memory.Write(kTextOffset, &zero, sizeof zero) ||
            !Send(list, LVM_GETCOLUMNW, static_cast<WPARAM>(c),
                  reinterpret_cast<LPARAM>(memory.At(kStructOffset)), &ok))
            return false;
        if (!ok) break;
        if (!memory.Read(kStructOffset, &column, sizeof column)) return false;
        ListColumn read;
        read.width = column.cx;
        read.format = column.fmt;
        read.title = memory.ReadText(kTextOffset, kTextMax);
        out->columns.push_back(read);
    }

    LRESULT count = 0;
    if (!Send(list, LVM_GETITEMCOUNT, 0, 0, &count)) return false;
    const int cellCount = std::max<int>(1, static_cast<int>(out->columns.size()));
    for (int row = 0; row < count; ++row) {
        ListRow read;
        for (int cell = 0; cell < cellCount; ++cell) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.iSubItem = cell;
            item.pszText = reinterpret_cast<wchar_t*>(memory.At(kTextOffset));
            item.cchTextMax = kTextMax;
            const wchar_t zero = 0;
            LRESULT length = 0;
            if (!memory.Write(kStructOffset, &item, sizeof item) ||
                !memory.Write(kTextOffset, &zero, sizeof zero) ||
                !Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(memory.At(kStructOffset)), &length))
                return false;
            read.cells.push_back(memory.ReadText(kTextOffset, kTextMax));
        }
        LRESULT state = 0;
        if (!Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                  LVIS_STATEIMAGEMASK | LVIS_SELECTED, &state))
            return false;
        // State image 1 is the empty box, 2 the checked one.
        read.checked = ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
        read.selected = (static_cast<UINT>(state) & LVIS_SELECTED) != 0;
        out->rows.push_back(read);
    }
    return true;
}

bool SetRowChecked(HWND list, int row, bool checked) {
    return SetRowState(list, row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool SetRowSelected(HWND list, int row, bool selected) {
    // Selecting also moves the focus mark, as a click on the row does.
    return SetRowState(list, row, selected ? LVIS_SELECTED | LVIS_FOCUSED : 0,
                       selected ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED);
}

bool DumpListBox(HWND listBox, ListBoxDump* out) {
    *out = ListBoxDump();
    LRESULT count = 0;
    if (!Send(listBox, LB_GETCOUNT, 0, 0, &count) || count < 0) return false;
    for (int i = 0; i < count; ++i) {
        LRESULT length = 0;
        if (!Send(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, &length) || length < 0)
            return false;
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(listBox, LB_GETTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL,
                                 kMessageTimeoutMs, &copied) ||
            static_cast<LRESULT>(copied) < 0)
            return false;
        out->lines.push_back(Utf8(buffer.data()));
    }
    LRESULT selected = LB_ERR;
    if (!Send(listBox, LB_GETCURSEL, 0, 0, &selected)) return false;
    out->selected = selected == LB_ERR ? -1 : static_cast<int>(selected);
    return true;
}

bool DumpTabs(HWND tabs, TabDump* out) {
    *out = TabDump();
    RemoteMemory memory(tabs, kBlockSize);
    if (!memory.Valid()) return false;
    LRESULT count = 0;
    if (!Send(tabs, TCM_GETITEMCOUNT, 0, 0, &count)) return false;
    for (int i = 0; i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(memory.At(kTextOffset));
        item.cchTextMax = kTextMax;
        const wchar_t zero = 0;
        LRESULT ok = 0;
        if (!memory.Write(kStructOffset, &item, sizeof item) ||
            !memory.Write(kTextOffset, &zero, sizeof zero) ||
            !Send(tabs, TCM_GETITEMW, static_cast<WPARAM>(i),
                  reinterpret_cast<LPARAM>(memory.At(kStructOffset)), &ok) ||
            !ok)
            return false;
        out->titles.push_back(memory.ReadText(kTextOffset, kTextMax));
    }
    LRESULT current = -1;
    if (!Send(tabs, TCM_GETCURSEL, 0, 0, &current)) return false;
    out->current = static_cast<int>(current);
    return true;
}

bool SelectTab(HWND tabs, int index) {
    LRESULT current = -1;
    if (!Send(tabs, TCM_GETCURSEL, 0, 0, &current)) return false;
    if (current == index) return true;
    // A click on the tab: the control itself then asks and tells its parent.
    RemoteMemory memory(tabs, kBlockSize);
    RECT r = {};
    LRESULT ok = 0;
    if (memory.Valid() &&
        Send(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index),
             reinterpret_cast<LPARAM>(memory.At(kStructOffset)), &ok) &&
        ok && memory.Read(kStructOffset, &r, sizeof r) && IsWindowVisible(tabs) &&
        IsWindowEnabled(tabs)) {
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(tabs, WM_LBUTTONUP, 0, at);
        Settle(tabs);
        if (Send(tabs, TCM_GETCURSEL, 0, 0, &current) && current == index) return true;
    }
    // A tab scrolled out of sight: the keyboard way, which notifies the parent too.
    Send(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    Settle(tabs);
    return Send(tabs, TCM_GETCURSEL, 0, 0, &current) && current == index;
}

bool TabPageArea(HWND tabs, RECT* out) {
    RemoteMemory memory(tabs, sizeof(RECT));
    RECT r = {};
    if (!GetWindowRect(tabs, &r)) return false;
    MapWindowPoints(nullptr, GetParent(tabs), reinterpret_cast<POINT*>(&r), 2);
    return memory.Write(0, &r, sizeof r) &&
           Send(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(memory.At(0))) &&
           memory.Read(0, out, sizeof *out);
}

// --- Acting -----------------------------------------------------------------------------------

bool SendDpiChanged(HWND top, int dpi, const RECT& suggested) {
    RemoteMemory memory(top, sizeof(RECT));
    if (!memory.Write(0, &suggested, sizeof suggested) ||
        !Send(top, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
              reinterpret_cast<LPARAM>(memory.At(0))))
        return false;
    Settle(top);
    return true;
}

bool PostClick(HWND button) {
    if (!IsWindow(button) || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

bool Click(HWND button, DWORD timeoutMs) {
    // Posted like a real click, so the target's own loop sees it as it sees the user's clicks.
    if (!PostClick(button)) return false;
    Sync(button, timeoutMs);
    Sleep(30);
    return Sync(button, timeoutMs);
}

bool TypeText(HWND edit, const std::string& text) {
    LRESULT ok = 0;
    const std::wstring wide = FromUtf8(text);
    return Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &ok) && ok;
}

static bool SendInputs(INPUT* inputs, UINT count) {
    return SendInput(count, inputs, sizeof(INPUT)) == count;
}

bool MouseClick(HWND window, int x, int y, int clicks) {
    if (!IsWindowVisible(window)) return false;
    POINT p = ClientOrigin(window);
    p.x += x;
    p.y += y;
    // Only click where the window can be seen: another window on top would get the click. Within
    // the window the target's own hit test decides (a group box, say, lets clicks through to what
    // lies under it), which a geometric look from here cannot, so only the top level is compared.
    HWND hit = WindowFromPoint(p);
    if (!hit || GetAncestor(hit, GA_ROOT) != GetAncestor(window, GA_ROOT)) return false;
    if (!SetCursorPos(p.x, p.y)) return false;
    std::vector<INPUT> inputs(2 * static_cast<size_t>(clicks < 1 ? 1 : clicks));
    for (size_t i = 0; i < inputs.size(); ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    if (!SendInputs(inputs.data(), static_cast<UINT>(inputs.size()))) return false;
    Settle(window);
    return true;
}

bool PressKey(HWND top, WORD virtualKey, bool shift) {
    if (GetForegroundWindow() != top) {
        SetForegroundWindow(top);
        if (!WaitUntil([top] { return GetForegroundWindow() == top; }, kWaitTimeoutMs))
            return false;
    }
    INPUT inputs[4] = {};
    UINT n = 0;
    auto key = [&](WORD vk, bool up) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = vk;
        inputs[n].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
        inputs[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (shift) key(VK_SHIFT, false);
    key(virtualKey, false);
    key(virtualKey, true);
    if (shift) key(VK_SHIFT, true);
    if (!SendInputs(inputs, n)) return false;
    Settle(top);
    return true;
}

HWND FocusedWindow(HWND top) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(WindowThread(top), &info)) return nullptr;
    return info.hwndFocus;
}

// --- Dialogs ----------------------------------------------------------------------------------

HWND FindDialog(DWORD pid) {
    return FindTop(pid, {}, "#32770", true);
}

HWND WaitDialog(DWORD pid, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(pid)) != nullptr; }, timeoutMs);
    return found;
}

bool ReadDialog(HWND dialog, DialogInfo* out) {
    *out = DialogInfo();
    if (!IsWindow(dialog)) return false;
    out->hwnd = dialog;
    // Read without a message, like the titles FindTop compares.
    wchar_t title[512] = {};
    GetWindowTextW(dialog, title, 512);
    out->title = Utf8(title);
    // The message text is the static control whose ID is 0xFFFF.
    if (HWND text = GetDlgItem(dialog, 0xFFFF)) out->text = WindowText(text);
    for (const ControlInfo& c : ListControls(dialog)) {
        if (c.className != "Button" || !c.visible) continue;
        const DWORD kind = c.style & BS_TYPEMASK;
        if (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON) continue;
        DialogButton button;
        button.id = c.id;
        button.text = c.text;
        button.enabled = c.enabled;
        out->buttons.push_back(button);
    }
    return true;
}

bool AnswerDialog(HWND dialog, int buttonId, DWORD timeoutMs) {
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)))
        return false;
    return WaitUntil([dialog] { return IsGone(dialog); }, timeoutMs);
}

// First edit field among the descendants of `parent`.
static HWND FindEdit(HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == "Edit") return child;
        if (HWND inner = FindEdit(child)) return inner;
    }
    return nullptr;
}

// The file name field of an open or save dialog: the edit edt1, the edit inside the combo box
// cmb13 (nested in a ComboBoxEx in the Explorer-style dialog), or failing both the first edit
// field of the dialog.
static HWND FileNameEdit(HWND dialog) {
    if (HWND edit = GetDlgItem(dialog, 0x480)) return edit;
    if (HWND combo = GetDlgItem(dialog, 0x47C))
        if (HWND edit = FindEdit(combo)) return edit;
    return FindEdit(dialog);
}

std::string FileDialogName(HWND dialog) {
    HWND edit = FileNameEdit(dialog);
    return edit ? WindowText(edit) : std::string();
}

bool AnswerFileDialog(HWND dialog, const std::string& fileName, bool ok, DWORD timeoutMs) {
    if (ok) {
        HWND edit = FileNameEdit(dialog);
        if (!edit || !TypeText(edit, fileName)) return false;
    }
    return AnswerDialog(dialog, ok ? IDOK : IDCANCEL, timeoutMs);
}

// --- Ending -----------------------------------------------------------------------------------

bool CloseAndWait(HWND top, const Process& process, DWORD timeoutMs, DWORD* exitCode) {
    if (process.Running() && !PostMessageA(top, WM_CLOSE, 0, 0)) return false;
    return process.WaitExit(timeoutMs, exitCode);
}

// --- Screen -----------------------------------------------------------------------------------

bool CaptureScreen(const RECT& screenRect, Capture* out) {
    *out = Capture();
    const int width = screenRect.right - screenRect.left;
    const int height = screenRect.bottom - screenRect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    bool ok = false;
    if (HDC memory = CreateCompatibleDC(screen)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        if (HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            if (BitBlt(memory, 0, 0, width, height, screen, screenRect.left, screenRect.top,
                       SRCCOPY)) {
                GdiFlush();
                const auto* bgra = static_cast<const BYTE*>(bits);
                out->width = width;
                out->height = height;
                out->pixels.resize(static_cast<size_t>(width) * height);
                for (size_t i = 0; i < out->pixels.size(); ++i)
                    out->pixels[i] = RGB(bgra[i * 4 + 2], bgra[i * 4 + 1], bgra[i * 4]);
                ok = true;
            }
            SelectObject(memory, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return ok;
}

bool CaptureClient(HWND window, Capture* out) {
    const POINT origin = ClientOrigin(window);
    RECT r = ClientRect(window);
    OffsetRect(&r, origin.x, origin.y);
    return CaptureScreen(r, out);
}

// --- Measuring --------------------------------------------------------------------------------

SIZE_T WorkingSetBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize;
}

} // namespace driver
