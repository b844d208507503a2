// The editor driven end to end on the headless platform: each test scripts the toolkit's
// driver on a fresh copy of the demo, then runs EditorStart until the script closes it.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "level/level.h"
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/platform/scancodes.h"
#include "runtime/gfx2d/draw2d.h"
#include "tests/level/level_media.h"
#include "tests/support/gui_driver.h"
#include "tests/support/headless.h"
#include "tools/demo.h"

using Strings = std::vector<std::string>;

// The lines of one section of a level file, "[name]" included, each ended by CR LF.
inline std::string Section(const std::string& text, const std::string& name) {
    const size_t start = text.find("[" + name + "]");
    if (start == std::string::npos) return "<no section " + name + ">";
    const size_t end = text.find("\r\n[", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

// Lines joined with CR LF, as the INI writer ends them; the last one is ended too.
inline std::string Crlf(std::string lines) {
    if (!lines.empty() && lines.back() != '\n') lines += '\n';
    for (size_t at = lines.find('\n'); at != std::string::npos; at = lines.find('\n', at + 2)) lines.insert(at, "\r");
    return lines;
}

// Writes of more than a few bytes fail while it lives (even for root), as on a full disk.
struct FileSizeLimit {
    rlimit old{};
    FileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{16, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};

// A platform step that waits, poll after poll, until `ready` holds, then runs `then`.
inline void WhenReady(HeadlessPlatform& p, std::function<bool()> ready, std::function<void(HeadlessPlatform&)> then) {
    if (!ready()) {
        p.Then([ready, then](HeadlessPlatform& q) { WhenReady(q, ready, then); });
        return;
    }
    then(p);
}

class EditorTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        const char* tmp = std::getenv("TMPDIR");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/zv_editor_" + std::to_string(::getpid()) + "_" +
               info->name();
        std::filesystem::remove_all(dir_);
        ASSERT_TRUE(WriteDemo(dir_).ok);
        oldDir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        platform().SetPollLimit(50000);
        LoadFont(dir_ + "/guifont.bmp", 1);
        GetFontSize(fx_, fy_);
        SetFont(0);
        GuiDriver::ResetToolkit();
        driver_ = std::make_unique<GuiDriver>(platform());
    }
    void TearDown() override {
        SetLevelFile("");
        driver_.reset();
        GuiDriver::ResetToolkit();
        std::filesystem::current_path(oldDir_);
        std::filesystem::remove_all(dir_);
        HeadlessTest::TearDown();
    }

    GuiDriver& gui() { return *driver_; }
    // Clicks the button with writes failing for the frame that handles the click.
    GuiDriver& ClickWithWritesFailing(const StrValue& id) {
        auto limit = std::make_shared<std::unique_ptr<FileSizeLimit>>();
        gui().MoveTo(id).Press();
        gui().Do([limit](HeadlessPlatform& p) {
            *limit = std::make_unique<FileSizeLimit>();
            p.ReleaseButton(kMouseLeft);
        });
        return gui().Do([limit](HeadlessPlatform&) { limit->reset(); });
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string Read(const std::string& name) const { return level_media::ReadBytes(Path(name)); }

    // Closes the window after the script and runs the editor until it ends.
    void RunEditor() {
        gui().Do([](HeadlessPlatform& p) { SetQuitCheck({}), p.RequestClose(); });   // no question
        EXPECT_TRUE(RunUntilEnd([] { EditorStart(); })) << "the editor ended on the close request";
        EXPECT_TRUE(gui().Done()) << "every scripted action ran";
    }

    // Selects line n of a list: scrolls it so the line shows, then clicks it.
    GuiDriver& SelectLine(const StrValue& list, int n) {
        auto line = std::make_shared<int>(n);
        gui().Do([list, n, line](HeadlessPlatform&) {
            const Number scroll = std::min<Number>(n, GetPropNum(list + "SCROLLMAX"));
            SetPropNum(list + "SCROLL", scroll);
            *line = n - static_cast<int>(scroll);
        });
        gui().Do([this, list, line](HeadlessPlatform& p) {
            Number x = 0, y = 0, w = 0, h = 0;
            ASSERT_TRUE(GetWidgetCell(list, x, y, w, h)) << list;
            p.MovePointer(static_cast<int>(x + 10), static_cast<int>(y + *line * fy_ + 4));
        });
        return gui().Press().Release();
    }

    // The static texts of the open dialog, joined by "|" (a message box shows one).
    static std::string ShownText() {
        std::string out;
        for (int i = 0; i < PropertyRowCount(); ++i) {
            const std::string key = PropertyTable()(i, 0).Std();
            if (key.rfind("ID_STATIC_", 0) == 0 && key.ends_with("TEXT"))
                out += (out.empty() ? "" : "|") + PropertyTable()(i, 1).Std();
        }
        return out;
    }

    // Records the open message box's text, then answers it with the button. The box
    // does not wait for input, so its release is seen a frame after it happens.
    GuiDriver& AnswerMessage(std::string& text, const char* button = "bt_yes") {
        gui().Do([&text](HeadlessPlatform&) { text = ShownText(); });
        return gui().Click(button).Idle(1);
    }
    // Saves from the main panel (a frame after a dialog has closed) and answers the message.
    void SaveFromPanel() {
        gui().Idle(1).Click("bt_save");
        AnswerMessage(saveMessage_);
    }
    // What the save wrote, once the editor has run.
    std::string Saved() const {
        EXPECT_EQ(saveMessage_.rfind("Saved successfully.", 0), 0u) << saveMessage_;
        return Read("level.ini");
    }
    GuiDriver& Items(const StrValue& list, std::vector<std::string>& out) {
        return gui().Do([list, &out](HeadlessPlatform&) {
            for (int i = 0; i < ItemCount(list); ++i) out.push_back(GetItem(list, i).Std());
        });
    }
    GuiDriver& Record(const StrValue& key, std::string& out) {
        return gui().Do([key, &out](HeadlessPlatform&) { out = GetProp(key).Std(); });
    }
    GuiDriver& ClickRadio(const StrValue& id, int item) { return gui().ClickOffset(id, 10, item * fy_ + fy_ / 2); }

    // A camera button: the position dialog opens above `depth` dialogs, the up arrow
    // moves the camera back, OK keeps it there.
    void CameraMovesBack(const StrValue& button, int depth) {
        gui().Do([](HeadlessPlatform&) { ViewDistance = 12; }).Click(button);
        gui().Do([depth](HeadlessPlatform&) {
            EXPECT_EQ(DialogStackDepth(), depth + 1);
            EXPECT_EQ(GetPropNum("sl_timeWIDTH"), 200) << "the position dialog's time slider";
        });
        gui().PressKey(kKeyUp).Idle(3).ReleaseKey(kKeyUp).Click("bt_ok").Idle(1);
        gui().Do([button](HeadlessPlatform&) { EXPECT_GT(ViewDistance, 12) << button; });
    }
    // A position button with the camera at the origin, 12 away: a click into the front
    // view at (300, 110) places x 7 and y 4.5; into the top view at (300, 403), x 7
    // and z -5. The other coordinate stays.
    enum View { kFront, kTop };
    void PlaceWith(const StrValue& button, View view) {
        gui().Do([](HeadlessPlatform&) {
            for (int k = 0; k < 3; ++k) ViewTarget(k) = 0;
            ViewDistance = 12;
        });
        gui().Click(button).MoveToPoint(300, view == kFront ? 110 : 403).Press().Idle(1).Release().Idle(1);
        gui().Click("bt_ok").Idle(1);
    }

    Number fx_ = 0, fy_ = 0;

private:
    std::string saveMessage_;
    std::string dir_;
    std::filesystem::path oldDir_;
    std::unique_ptr<GuiDriver> driver_;
};
