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

static bool RemoveTree(const std::string& folder) {
    bool ok = true;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveTree(path + "\\") && ok;
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = DeleteFileA(path.c_str()) && ok;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(folder.c_str()) && ok;
}

bool RemoveFolder(const std::string& folder) {
    if (folder.empty()) return true;
    // An exe that has just ended can stay locked for a moment.
    return driver::WaitUntil([&] { return RemoveTree(folder); }, 5000);
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    driver::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

std::string ReadTextFile(const std::string& path, bool* exists) {
    driver::Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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

void MorvaneTest::SetUp() {
    folder_ = MakeTempFolder("morvane-e2e");
    ASSERT_FALSE(folder_.empty()) << "no temp folder";
    const std::string source = ExeFolder() + "Morvane.exe";
    ASSERT_TRUE(CopyFileA(source.c_str(), PathOf("Morvane.exe").c_str(), TRUE))
        << "cannot copy " << source;
}

void MorvaneTest::TearDown() {
    if (app_.Running()) {
        if (!window_ || !driver::CloseAndWait(window_, app_, kWaitMs, nullptr)) app_.Kill();
    }
    app_ = driver::Process();
    EXPECT_TRUE(RemoveFolder(folder_)) << "left behind: " << folder_;
}

void MorvaneTest::WriteFile(const std::string& name, const std::string& text) {
    ASSERT_TRUE(WriteTextFile(PathOf(name), text)) << name;
}

std::string MorvaneTest::ReadFile(const std::string& name, bool* exists) const {
    return ReadTextFile(PathOf(name), exists);
}

void MorvaneTest::Launch() {
    const DWORD start = GetTickCount();
    ASSERT_TRUE(app_.Start(PathOf("Morvane.exe"), folder_)) << "cannot start Morvane.exe";
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
