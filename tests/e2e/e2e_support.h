// What the end-to-end tests share: files and folders, and the fixture that runs a fresh copy of
// Morvane.exe in a folder of its own.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "driver.h"

namespace e2e {

constexpr DWORD kWaitMs = 15000;

// Folder of the running test program, with its trailing backslash. Morvane.exe and the helper
// programs are built into the same folder.
std::string ExeFolder();
// Creates a new, empty folder under the temp folder; returns it with its trailing backslash,
// or empty text on failure.
std::string MakeTempFolder(const std::string& prefix);
// Deletes a folder and everything in it; false when something stayed.
bool RemoveFolder(const std::string& folder);
// Files by ANSI or wide path, the latter of any length.
bool WriteTextFile(const std::string& path, const std::string& text);
bool WriteTextFile(const std::wstring& path, const std::string& text);
// The file's bytes; `exists` tells a missing file from an empty one.
std::string ReadTextFile(const std::string& path, bool* exists = nullptr);
std::string ReadTextFile(const std::wstring& path, bool* exists = nullptr);
// The ANSI text of a wide text, as the program's narrow calls see it.
std::string AnsiText(const std::wstring& text);

// Copies Morvane.exe into a new temp folder. A test may put files (Morvane.ini) there before it
// calls Launch, and read what the program left (Morvane.ini, Morvane.log) after CloseApp.
// Tear-down closes a program still running (or ends it) and deletes the folder.
class MorvaneTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Moves the program into `subfolder` (one or more names joined by backslashes, of any
    // script) of the temp folder, as `exeName`; WriteFile, ReadFile and Launch work there from
    // then on (use with ASSERT_NO_FATAL_FAILURE). PathOf keeps naming the temp folder.
    void MoveProgram(const std::wstring& subfolder, const std::wstring& exeName = L"Morvane.exe");
    // Nested folder names that take the temp folder to at least `depth` characters.
    std::wstring DeepSubfolder(size_t depth) const;

    std::string PathOf(const std::string& name) const { return folder_ + name; }
    // Files in the program's folder.
    void WriteFile(const std::string& name, const std::string& text);
    std::string ReadFile(const std::string& name, bool* exists = nullptr) const;

    // Starts the copy and waits until its main window is visible (use with
    // ASSERT_NO_FATAL_FAILURE). Sets app_ and window_.
    void Launch();
    // Closes the window and waits for the end; returns the exit code (fails the test and
    // returns ~0 when the program did not end in time).
    DWORD CloseApp();

    HWND Control(int id) const { return driver::ControlHandle(window_, id); }
    // Number of lines in the LogList (-1 when it cannot be read).
    int LogLineCount() const;

    std::string folder_;
    std::wstring home_; // the program's folder, with its trailing backslash
    std::wstring exe_ = L"Morvane.exe";
    driver::Process app_;
    HWND window_ = nullptr;
    DWORD launchMs_ = 0; // from the start to the visible window
};

// A MorvaneTest already launched with no settings file (a first start).
class MainWindowTest : public MorvaneTest {
  protected:
    void SetUp() override {
        MorvaneTest::SetUp();
        if (!HasFatalFailure()) Launch();
    }
};

} // namespace e2e
