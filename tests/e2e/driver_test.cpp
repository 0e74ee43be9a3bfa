// The driver itself, against driver_target.exe: a window whose contents are known and whose
// status line shows what the user's actions did.
#include "e2e_support.h"

#include <commctrl.h>
#include "helpers/driver_target_ids.h"

using namespace driver;

namespace {

// Each row's check mark and selection: "c" or "-", then "s" or "-".
std::vector<std::string> Marks(const ListViewDump& dump) {
    std::vector<std::string> marks;
    for (const ListRow& row : dump.rows)
        marks.push_back(std::string(row.checked ? "c" : "-") + (row.selected ? "s" : "-"));
    return marks;
}

class DriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = testsupport::MakeTempFolder("morvane-driver");
        ASSERT_FALSE(folder_.empty());
        ASSERT_TRUE(target_.Start(e2e::ExeFolder() + "driver_target.exe", folder_));
        window_ = WaitTopWindow(target_.Id(), "Driver Target", e2e::kWaitMs);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(WaitVisible(window_, e2e::kWaitMs));
        ASSERT_TRUE(Sync(window_));
    }
    void TearDown() override {
        if (target_.Running() && !CloseAndWait(window_, target_, e2e::kWaitMs, nullptr))
            target_.Kill();
        EXPECT_TRUE(testsupport::RemoveFolder(folder_));
    }
    HWND Item(int id) const { return ControlHandle(window_, id); }
    std::string Status() const { return WindowText(Item(IdStatus)); }
    bool WaitStatus(const std::string& expected) const {
        return WaitUntil([&] { return Status() == expected; }, e2e::kWaitMs);
    }

    std::string folder_;
    Process target_;
    HWND window_ = nullptr;
};

TEST_F(DriverTest, ListsChildControlsWithTheirGeometryStylesAndTexts) {
    const std::vector<ControlInfo> controls = ListControls(window_);
    ASSERT_EQ(controls.size(), 10u);
    EXPECT_EQ(controls.front().id, IdList); // creation order
    EXPECT_EQ(controls.back().id, IdStatus);

    ControlInfo count;
    ASSERT_TRUE(GetControl(window_, IdCount, &count));
    EXPECT_EQ(count.className, "Button");
    EXPECT_EQ(count.text, "Count");
    EXPECT_EQ(count.rect.left, 230);
    EXPECT_EQ(count.rect.top, 190);
    EXPECT_EQ(count.rect.right, 290);
    EXPECT_EQ(count.rect.bottom, 212);
    EXPECT_TRUE(count.style & WS_TABSTOP);
    EXPECT_TRUE(count.visible);
    EXPECT_TRUE(count.enabled);

    ControlInfo list;
    ASSERT_TRUE(GetControl(window_, IdList, &list));
    EXPECT_EQ(list.className, "SysListView32");
    EXPECT_EQ(list.style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    EXPECT_TRUE(list.exStyle & WS_EX_CLIENTEDGE);

    ControlInfo disabled;
    ASSERT_TRUE(GetControl(window_, IdDisabled, &disabled));
    EXPECT_FALSE(disabled.enabled);
    EXPECT_FALSE(GetControl(window_, 4242, &disabled));

    EXPECT_EQ(FindTopWindow(target_.Id(), "No Such Window"), nullptr);
    EXPECT_EQ(FindTopWindow(GetCurrentProcessId(), "Driver Target"), nullptr);
}

TEST_F(DriverTest, DumpsListViewColumnsCellsCheckMarksAndSelection) {
    ListViewDump dump;
    ASSERT_TRUE(DumpListView(Item(IdList), &dump));
    const struct {
        const char* title;
        int width, format;
    } columns[] = {{"Name", 80, LVCFMT_LEFT}, {"Value", 60, LVCFMT_RIGHT}, {"Note", 120, LVCFMT_LEFT}};
    ASSERT_EQ(dump.columns.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(dump.columns[i].title, columns[i].title);
        EXPECT_EQ(dump.columns[i].width, columns[i].width) << columns[i].title;
        EXPECT_EQ(dump.columns[i].format & LVCFMT_JUSTIFYMASK, columns[i].format) << columns[i].title;
    }
    EXPECT_TRUE(dump.extendedStyle & LVS_EX_CHECKBOXES);
    EXPECT_TRUE(dump.extendedStyle & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(dump.extendedStyle & LVS_EX_GRIDLINES);

    ASSERT_EQ(dump.rows.size(), 3u);
    EXPECT_EQ(dump.rows[0].cells, (std::vector<std::string>{"alpha", "1", "first row"}));
    EXPECT_EQ(dump.rows[1].cells, (std::vector<std::string>{"beta", "22", ""}));
    EXPECT_EQ(dump.rows[2].cells,
              (std::vector<std::string>{"gamma", "-333", "a longer note for the third row"}));
    EXPECT_EQ(Marks(dump), (std::vector<std::string>{"--", "c-", "-s"}));
}

TEST_F(DriverTest, SetsAndClearsCheckMarksAndMovesTheSelection) {
    HWND list = Item(IdList);
    EXPECT_TRUE(SetRowChecked(list, 0, true));
    EXPECT_TRUE(SetRowChecked(list, 1, false));
    EXPECT_TRUE(SetRowSelected(list, 0, true));
    EXPECT_FALSE(SetRowChecked(list, 3, true)); // no such row

    ListViewDump dump;
    ASSERT_TRUE(DumpListView(list, &dump));
    // The list allows one selected row: selecting row 0 took it from row 2.
    EXPECT_EQ(Marks(dump), (std::vector<std::string>{"cs", "--", "--"}));

    EXPECT_TRUE(SetRowSelected(list, 0, false));
    ASSERT_TRUE(DumpListView(list, &dump));
    // The mark is independent of the selection.
    EXPECT_EQ(Marks(dump), (std::vector<std::string>{"c-", "--", "--"}));
}

TEST_F(DriverTest, DumpsListBoxLinesIncludingEmptyOnes) {
    ListBoxDump dump;
    ASSERT_TRUE(DumpListBox(Item(IdLines), &dump));
    EXPECT_EQ(dump.lines, (std::vector<std::string>{"Initialized tasks: 3", "", "Last line..."}));
    EXPECT_EQ(dump.selected, 2);
}

TEST_F(DriverTest, ReadsAndSelectsTabsAndTheParentHearsOfIt) {
    TabDump dump;
    ASSERT_TRUE(DumpTabs(Item(IdTabs), &dump));
    EXPECT_EQ(dump.titles, (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(dump.current, 0);

    ASSERT_TRUE(SelectTab(Item(IdTabs), 2));
    EXPECT_TRUE(WaitStatus("tab 2"));
    ASSERT_TRUE(DumpTabs(Item(IdTabs), &dump));
    EXPECT_EQ(dump.current, 2);
    ASSERT_TRUE(SelectTab(Item(IdTabs), 1));
    EXPECT_TRUE(WaitStatus("tab 1"));
    EXPECT_FALSE(SelectTab(Item(IdTabs), 5));
}

TEST_F(DriverTest, ClicksReachTheHandlerButNotThroughADisabledButton) {
    ASSERT_TRUE(Click(Item(IdCount)));
    EXPECT_TRUE(WaitStatus("count 1")) << Status();
    ASSERT_TRUE(Click(Item(IdCount)));
    EXPECT_TRUE(WaitStatus("count 2")) << Status();

    EXPECT_FALSE(Click(Item(IdDisabled)));
    EXPECT_FALSE(PostClick(Item(IdDisabled)));
    Sync(window_);
    EXPECT_EQ(Status(), "count 2");

    ASSERT_TRUE(Click(Item(IdCheck)));
    EXPECT_TRUE(
        WaitUntil([&] { return SendMessageA(Item(IdCheck), BM_GETCHECK, 0, 0) == BST_CHECKED; },
                  e2e::kWaitMs));
}

TEST_F(DriverTest, TypesIntoAnEditField) {
    ASSERT_TRUE(TypeText(Item(IdEdit), "C:\\Temp\\a b.txt"));
    EXPECT_EQ(WindowText(Item(IdEdit)), "C:\\Temp\\a b.txt");
    ASSERT_TRUE(TypeText(Item(IdEdit), ""));
    EXPECT_EQ(WindowText(Item(IdEdit)), "");
}

TEST_F(DriverTest, ReadsAndAnswersAMessageBox) {
    EXPECT_EQ(FindDialog(target_.Id()), nullptr);
    ASSERT_TRUE(PostClick(Item(IdAsk)));
    HWND box = WaitDialog(target_.Id(), e2e::kWaitMs);
    ASSERT_NE(box, nullptr);
    DialogInfo info;
    ASSERT_TRUE(ReadDialog(box, &info));
    EXPECT_EQ(info.title, "Question");
    EXPECT_EQ(info.text, "Really do it?");
    std::vector<int> ids;
    for (const DialogButton& b : info.buttons)
        ids.push_back(b.id);
    EXPECT_EQ(ids, (std::vector<int>{IDYES, IDNO, IDCANCEL}));

    EXPECT_FALSE(AnswerDialog(box, IDOK, 500)); // not one of its buttons
    EXPECT_TRUE(IsWindowVisible(box));
    ASSERT_TRUE(AnswerDialog(box, IDNO));
    EXPECT_TRUE(WaitStatus("answer 7"));

    ASSERT_TRUE(PostClick(Item(IdAsk)));
    box = WaitDialog(target_.Id(), e2e::kWaitMs);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(AnswerDialog(box, IDYES));
    EXPECT_TRUE(WaitStatus("answer 6"));
}

TEST_F(DriverTest, FillsInAndCancelsASaveDialog) {
    const std::string path = folder_ + "exports.txt";
    ASSERT_TRUE(PostClick(Item(IdSave)));
    HWND dialog = WaitDialog(target_.Id(), e2e::kWaitMs);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(AnswerFileDialog(dialog, path, true));
    EXPECT_TRUE(WaitStatus("saved:" + path));

    ASSERT_TRUE(PostClick(Item(IdSave)));
    dialog = WaitDialog(target_.Id(), e2e::kWaitMs);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(AnswerFileDialog(dialog, {}, false));
    EXPECT_TRUE(WaitStatus("cancelled"));
}

TEST_F(DriverTest, MouseAndKeysMoveTheFocusLikeAUser) {
    // The edit field sits at (80, 220) and is 140 x 22.
    ASSERT_TRUE(MouseClick(window_, 150, 231));
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window_) == Item(IdEdit); }, e2e::kWaitMs));
    // Forward from the last tab stop wraps to the first; backward skips the disabled button.
    auto focusReaches = [&](int id) {
        return WaitUntil([&] { return FocusedWindow(window_) == Item(id); }, e2e::kWaitMs);
    };
    ASSERT_TRUE(PressKey(window_, VK_TAB));
    EXPECT_TRUE(focusReaches(IdList));
    ASSERT_TRUE(PressKey(window_, VK_TAB, true));
    EXPECT_TRUE(focusReaches(IdEdit));
    ASSERT_TRUE(PressKey(window_, VK_TAB, true));
    EXPECT_TRUE(focusReaches(IdCount));

    // A mouse click on the check box toggles it.
    ASSERT_TRUE(MouseClick(window_, 90, 201));
    EXPECT_TRUE(WaitUntil(
        [&] { return SendMessageA(Item(IdCheck), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 2000));
}

TEST_F(DriverTest, CapturesWhatTheWindowShowsOnScreen) {
    Capture shot;
    const COLORREF swatch = RGB(10, 200, 30);
    // Painting can trail the window's appearance a little.
    ASSERT_TRUE(WaitUntil(
        [&] { return CaptureClient(window_, &shot) && shot.At(320, 215) == swatch; }, 5000));
    EXPECT_EQ(shot.width, ClientRect(window_).right);
    EXPECT_EQ(shot.height, ClientRect(window_).bottom);
    EXPECT_EQ(shot.At(300, 200), swatch);
    EXPECT_EQ(shot.At(339, 229), swatch);
    EXPECT_NE(shot.At(299, 200), swatch);
    EXPECT_NE(shot.At(340, 229), swatch);
    EXPECT_NE(shot.At(320, 230), swatch);
}

TEST_F(DriverTest, ClosingTheWindowReportsTheExitCode) {
    DWORD code = 0;
    ASSERT_TRUE(CloseAndWait(window_, target_, e2e::kWaitMs, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(target_.Running());
    // Reading a window that is gone fails quietly instead of hanging.
    ListViewDump dump;
    EXPECT_FALSE(DumpListView(Item(IdList), &dump));
    EXPECT_FALSE(Sync(window_, 500));
    EXPECT_EQ(WindowText(window_), "");
}

TEST(DriverProcess, AnOwnedProgramEndsWithItsOwnerAndADetachedOneDoesNot) {
    const std::string sleeper = e2e::ExeFolder() + "sleeper.exe";
    DWORD pid = 0;
    {
        Process p;
        ASSERT_TRUE(p.Start(sleeper, {}));
        pid = p.Id();
    }
    Handle ended(OpenProcess(SYNCHRONIZE, FALSE, pid));
    // Either the id is gone already or its process has ended.
    if (ended) {
        EXPECT_EQ(WaitForSingleObject(ended.Get(), 0), WAIT_OBJECT_0);
    }

    {
        Process p;
        ASSERT_TRUE(p.Start(sleeper, {}));
        pid = p.Id();
        p.Detach();
    }
    Process attached;
    ASSERT_TRUE(attached.Attach(pid));
    EXPECT_TRUE(attached.Running());
    attached.Kill();
    DWORD code = 0;
    EXPECT_TRUE(attached.WaitExit(0, &code));
    EXPECT_EQ(code, 1u);

    Process missing;
    EXPECT_FALSE(missing.Start(e2e::ExeFolder() + "no-such-program.exe", {}));
    EXPECT_FALSE(missing.Valid());
    EXPECT_FALSE(missing.Running());
    EXPECT_FALSE(missing.WaitExit(0));
}

} // namespace
