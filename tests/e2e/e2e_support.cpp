#include "e2e_support.h"

#include "ui/control_ids.h"
#include "base/ansi_text_win.h"

namespace e2e {

std::vector<std::string> SplitCrLf(const std::string& text, std::string* rest) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    *rest = text.substr(start);
    return lines;
}

void MorvaneTest::SetUp() {
    folder_ = testsupport::MakeTempFolder("morvane-e2e");
    ASSERT_FALSE(folder_.empty()) << "no temp folder";
    home_ = WideText(folder_);
    const std::string source = ExeFolder() + "Morvane.exe";
    ASSERT_TRUE(CopyFileA(source.c_str(), PathOf("Morvane.exe").c_str(), TRUE))
        << "cannot copy " << source;
}

void MorvaneTest::MoveProgram(const std::wstring& subfolder, const std::wstring& exeName) {
    std::wstring home = WideText(folder_);
    size_t start = 0;
    while (start < subfolder.size()) {
        size_t end = subfolder.find(L'\\', start);
        if (end == std::wstring::npos) end = subfolder.size();
        home += subfolder.substr(start, end - start) + L"\\";
        const bool made = CreateDirectoryW(testsupport::LongPath(home).c_str(), nullptr) ||
                          GetLastError() == ERROR_ALREADY_EXISTS;
        ASSERT_TRUE(made) << "cannot make a folder " << home.size() << " characters long";
        start = end + 1;
    }
    ASSERT_TRUE(MoveFileW(testsupport::LongPath(home_ + exe_).c_str(),
                          testsupport::LongPath(home + exeName).c_str()))
        << "cannot move the program " << GetLastError();
    home_ = home;
    exe_ = exeName;
}

namespace {

BOOL CALLBACK TakeLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

} // namespace

void MorvaneTest::UseCodePage(const std::string& name) {
    const std::wstring exe = home_ + exe_;
    std::string manifest;
    WORD language = 0;
    {
        HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(image, nullptr);
        const HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        if (found != nullptr)
            manifest.assign(static_cast<const char*>(LockResource(LoadResource(image, found))),
                            SizeofResource(image, found));
        EnumResourceLanguagesW(image, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1), TakeLanguage,
                               reinterpret_cast<LONG_PTR>(&language));
        FreeLibrary(image);
    }
    const size_t settings = manifest.find("</windowsSettings>");
    ASSERT_NE(settings, std::string::npos) << manifest;
    manifest.insert(settings, "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                              "WindowsSettings\">" +
                                  name + "</activeCodePage>");
    HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1), language,
                                &manifest[0], static_cast<DWORD>(manifest.size())) &&
                EndUpdateResourceW(update, FALSE));
}

std::wstring MorvaneTest::DeepSubfolder(size_t depth) const {
    std::wstring subfolder;
    for (wchar_t letter = L'a'; folder_.size() + subfolder.size() < depth; ++letter)
        subfolder += std::wstring(40, letter) + L"\\";
    if (!subfolder.empty()) subfolder.pop_back();
    return subfolder;
}

void MorvaneTest::TearDown() {
    // A program that does not close within the bound is a hang: it fails the test, and is only
    // then ended so that its folder can go.
    if (app_.Running()) {
        const bool closed = window_ && driver::CloseAndWait(window_, app_, kWaitMs, nullptr);
        EXPECT_TRUE(closed) << "the program did not close within " << kWaitMs << " ms";
        if (!closed) app_.Kill();
    }
    app_ = driver::Process();
    EXPECT_TRUE(testsupport::RemoveFolder(folder_)) << "left behind: " << folder_;
}

void MorvaneTest::WriteFile(const std::string& name, const std::string& text) {
    ASSERT_TRUE(testsupport::WriteTextFile(home_ + WideText(name), text)) << name;
}

std::string MorvaneTest::ReadFile(const std::string& name, bool* exists) const {
    return testsupport::ReadTextFile(home_ + WideText(name), exists);
}

void MorvaneTest::Launch() {
    const DWORD start = GetTickCount();
    // Started in the test's own folder: where the program lies is what counts.
    ASSERT_TRUE(app_.Start(home_ + exe_, WideText(folder_))) << "cannot start the program";
    window_ = driver::WaitTopWindow(app_.Id(), "Morvane", kWaitMs);
    ASSERT_NE(window_, nullptr) << "no window titled Morvane";
    ASSERT_TRUE(driver::WaitVisible(window_, kWaitMs)) << "the window was never shown";
    launchMs_ = GetTickCount() - start;
    ASSERT_TRUE(driver::Sync(window_)) << "the window does not answer";
}

void MorvaneTest::LaunchWith(const std::string& keys) {
    ASSERT_NO_FATAL_FAILURE(
        WriteFile("Morvane.ini", "[Morvane SetUp]\r\nLogInfoStyle = 32\r\n" + keys));
    Launch();
}

DWORD MorvaneTest::CloseApp() {
    DWORD code = ~0u;
    EXPECT_TRUE(driver::CloseAndWait(window_, app_, kWaitMs, &code)) << "still running";
    return code;
}

int MorvaneTest::LogLineCount() const {
    driver::ListBoxDump dump;
    if (!driver::DumpListBox(Control(LogList), &dump)) return -1;
    return static_cast<int>(dump.lines.size());
}

std::vector<std::string> MorvaneTest::LogLines(bool* read) const {
    driver::ListBoxDump dump;
    const bool done = driver::DumpListBox(Control(LogList), &dump);
    if (read) *read = done;
    return done ? dump.lines : std::vector<std::string>();
}

driver::ListViewDump MorvaneTest::Dump(int id) const {
    driver::ListViewDump dump;
    EXPECT_TRUE(driver::DumpListView(Control(id), &dump)) << "list " << id;
    return dump;
}

} // namespace e2e
