#include "e2e_support.h"

#include <cstdio>

namespace e2e {

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string MakeTempFolder(const std::string& prefix) {
    char temp[MAX_PATH] = {};
    if (!GetTempPathA(MAX_PATH, temp)) return {};
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "-%lu-%u-%lu", GetCurrentProcessId(), ++counter,
                      GetTickCount());
        const std::string folder = temp + prefix + name;
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
    }
    return {};
}

// Paths under the temp folder in the form that takes them at any length.
static std::wstring LongForm(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

// Wide, so that folders of any name and depth go too.
static bool RemoveTree(const std::wstring& folder) {
    bool ok = true;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(LongForm(folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = LongForm(folder + name);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveTree(path + L"\\") && ok;
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = DeleteFileW(path.c_str()) && ok;
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(LongForm(folder).c_str()) && ok;
}

bool RemoveFolder(const std::string& folder) {
    if (folder.empty()) return true;
    const std::wstring wide = driver::Widen(folder);
    // An exe that has just ended can stay locked for a moment.
    return driver::WaitUntil([&] { return RemoveTree(wide); }, 5000);
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    driver::Handle file(CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    return WriteTextFile(driver::Widen(path), text);
}

std::string ReadTextFile(const std::wstring& path, bool* exists) {
    driver::Handle file(CreateFileW(LongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (exists) *exists = static_cast<bool>(file);
    std::string text;
    if (!file) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

std::string ReadTextFile(const std::string& path, bool* exists) {
    return ReadTextFile(driver::Widen(path), exists);
}

std::string AnsiText(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);
    return ansi;
}

void MorvaneTest::SetUp() {
    folder_ = MakeTempFolder("morvane-e2e");
    ASSERT_FALSE(folder_.empty()) << "no temp folder";
    home_ = driver::Widen(folder_);
    const std::string source = ExeFolder() + "Morvane.exe";
    ASSERT_TRUE(CopyFileA(source.c_str(), PathOf("Morvane.exe").c_str(), TRUE))
        << "cannot copy " << source;
}

void MorvaneTest::MoveProgram(const std::wstring& subfolder, const std::wstring& exeName) {
    std::wstring home = driver::Widen(folder_);
    size_t start = 0;
    while (start < subfolder.size()) {
        size_t end = subfolder.find(L'\\', start);
        if (end == std::wstring::npos) end = subfolder.size();
        home += subfolder.substr(start, end - start) + L"\\";
        const bool made = CreateDirectoryW(LongForm(home).c_str(), nullptr) ||
                          GetLastError() == ERROR_ALREADY_EXISTS;
        ASSERT_TRUE(made) << "cannot make a folder " << home.size() << " characters long";
        start = end + 1;
    }
    ASSERT_TRUE(MoveFileW(LongForm(home_ + exe_).c_str(), LongForm(home + exeName).c_str()))
        << "cannot move the program " << GetLastError();
    home_ = home;
    exe_ = exeName;
}

std::wstring MorvaneTest::DeepSubfolder(size_t depth) const {
    std::wstring subfolder;
    for (wchar_t letter = L'a'; folder_.size() + subfolder.size() < depth; ++letter)
        subfolder += std::wstring(40, letter) + L"\\";
    if (!subfolder.empty()) subfolder.pop_back();
    return subfolder;
}

void MorvaneTest::TearDown() {
    if (app_.Running()) {
        if (!window_ || !driver::CloseAndWait(window_, app_, kWaitMs, nullptr)) app_.Kill();
    }
    app_ = driver::Process();
    EXPECT_TRUE(RemoveFolder(folder_)) << "left behind: " << folder_;
}

void MorvaneTest::WriteFile(const std::string& name, const std::string& text) {
    ASSERT_TRUE(WriteTextFile(home_ + driver::Widen(name), text)) << name;
}

std::string MorvaneTest::ReadFile(const std::string& name, bool* exists) const {
    return ReadTextFile(home_ + driver::Widen(name), exists);
}

void MorvaneTest::Launch() {
    const DWORD start = GetTickCount();
    // Started in the test's own folder: where the program lies is what counts.
    ASSERT_TRUE(app_.Start(home_ + exe_, driver::Widen(folder_))) << "cannot start the program";
    window_ = driver::WaitTopWindow(app_.Id(), "Morvane", kWaitMs);
    ASSERT_NE(window_, nullptr) << "no window titled Morvane";
    ASSERT_TRUE(driver::WaitVisible(window_, kWaitMs)) << "the window was never shown";
    launchMs_ = GetTickCount() - start;
    ASSERT_TRUE(driver::Sync(window_)) << "the window does not answer";
}

DWORD MorvaneTest::CloseApp() {
    DWORD code = ~0u;
    EXPECT_TRUE(driver::CloseAndWait(window_, app_, kWaitMs, &code)) << "still running";
    return code;
}

int MorvaneTest::LogLineCount() const {
    driver::ListBoxDump dump;
    if (!driver::DumpListBox(Control(9), &dump)) return -1;
    return static_cast<int>(dump.lines.size());
}

} // namespace e2e
