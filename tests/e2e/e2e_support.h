// What the end-to-end tests share: files and folders, and the fixture that runs a fresh copy of
// Morvane.exe in a folder of its own.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "win/test_support.h"

namespace e2e {

constexpr DWORD kWaitMs = 15000;

// Morvane.exe and the helper programs are built beside the test program.
using testsupport::ExeFolder;

// Lines ended by CR LF; whatever follows the last CR LF is returned in `rest`.
std::vector<std::string> SplitCrLf(const std::string& text, std::string* rest);

// Copies Morvane.exe into a new temp folder. A test may put files (Morvane.ini) there before it
// calls Launch, and read what the program left (Morvane.ini, Morvane.log) after CloseApp.
// Tear-down closes a program still running (a program that does not close fails the test and is
// ended) and deletes the folder.
class MorvaneTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Moves the program into `subfolder` (one or more names joined by backslashes, of any
    // script) of the temp folder, as `exeName`; WriteFile, ReadFile and Launch work there from
    // then on (use with ASSERT_NO_FATAL_FAILURE). PathOf keeps naming the temp folder.
    void MoveProgram(const std::wstring& subfolder, const std::wstring& exeName = L"Morvane.exe");
    // Makes the copy run in the ANSI code page named (as its manifest's activeCodePage, "UTF-8"),
    // as Windows runs every program with its worldwide UTF-8 setting on (use with
    // ASSERT_NO_FATAL_FAILURE).
    void UseCodePage(const std::string& name);
    // Nested folder names that take the temp folder to at least `depth` characters.
    std::wstring DeepSubfolder(size_t depth) const;

    std::string PathOf(const std::string& name) const { return folder_ + name; }
    // Files in the program's folder.
    void WriteFile(const std::string& name, const std::string& text);
    std::string ReadFile(const std::string& name, bool* exists = nullptr) const;

    // Starts the copy and waits until its main window is visible (use with
    // ASSERT_NO_FATAL_FAILURE). Sets app_ and window_.
    void Launch();
    // Writes Morvane.ini with plain log lines (LogInfoStyle 32, so that every message compares as
    // a whole) and the given "Key = value\r\n" lines, then launches.
    void LaunchWith(const std::string& keys = {});
    // Closes the window and waits for the end; returns the exit code (fails the test and
    // returns ~0 when the program did not end in time).
    DWORD CloseApp();

    HWND Control(int id) const { return driver::ControlHandle(window_, id); }
    // Number of lines in the LogList (-1 when it cannot be read).
    int LogLineCount() const;
    // The LogList's lines (none when it cannot be read; `read` tells).
    std::vector<std::string> LogLines(bool* read = nullptr) const;
    // A list view of the window; fails the test when it cannot be read.
    driver::ListViewDump Dump(int id) const;

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
