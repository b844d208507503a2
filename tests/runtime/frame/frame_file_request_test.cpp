// File dialogs: scripted answers, the fallback requester, automated runs, zenity's arguments.
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "runtime/files/filerequest.h"
#include "tests/support/headless.h"

namespace {

class FileDialog : public HeadlessTest {
protected:
    void TearDown() override {
        SetFileRequestFallback({});
        HeadlessTest::TearDown();
    }
};

TEST_F(FileDialog, ScriptedAnswerComesBackWithForwardSlashes) {
    platform().QueueFileAnswer("C:\\levels\\one.ini");
    EXPECT_EQ(FileRequest("INI (*.ini)|*.ini", 1).Std(), "C:/levels/one.ini");
    ASSERT_EQ(platform().FileDialogCalls().size(), 1u);
    EXPECT_EQ(platform().FileDialogCalls()[0].filter, "INI (*.ini)|*.ini");
    EXPECT_TRUE(platform().FileDialogCalls()[0].open);
}

TEST_F(FileDialog, CancelGivesNoFile) {
    platform().QueueFileAnswer("");
    EXPECT_EQ(FileRequest("All|*.*", 0).Std(), "NO_FILE");
    EXPECT_FALSE(platform().FileDialogCalls()[0].open);
    EXPECT_EQ(FileRequest("All|*.*", 1).Std(), "NO_FILE") << "nothing queued never blocks";
}

TEST_F(FileDialog, TheBuiltInRequesterAnswersWhenNothingIsQueued) {
    StrValue seenFilter;
    Number seenOpen = -1;
    SetFileRequestFallback([&](const StrValue& filter, Number open) {
        seenFilter = filter;
        seenOpen = open;
        return StrValue("media\\a.kmo");
    });
    EXPECT_EQ(FileRequest("KMO|*.kmo", 1).Std(), "media/a.kmo");
    EXPECT_EQ(seenFilter.Std(), "KMO|*.kmo");
    EXPECT_EQ(seenOpen, 1);
    platform().QueueFileAnswer("queued.kmo");
    EXPECT_EQ(FileRequest("KMO|*.kmo", 1).Std(), "queued.kmo") << "queued answers come first";
}

TEST(FileDialogAutomated, NeverOpensADialogInAutomatedRuns) {
    const char* before = std::getenv("ZENTROVEL_AUTOMATED");
    const std::string saved = before ? before : "";
    setenv("ZENTROVEL_AUTOMATED", "1", 1);
    UsePlatform(nullptr);
    DeleteErrorLog();
    EXPECT_EQ(FileRequest("All|*.*", 1).Std(), "NO_FILE");
    if (before) setenv("ZENTROVEL_AUTOMATED", saved.c_str(), 1);
    else unsetenv("ZENTROVEL_AUTOMATED");
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("No file dialog"), std::string::npos);
}

TEST(ZenityArguments, OpenDialogTurnsTheFilterListIntoFileFilters) {
    const auto args = ZenityArguments("KMO Objects (*.kmo)|*.kmo;*.KMO|All files|*.*", true, "/tmp/lv");
    const std::vector<std::string> want = {
        "zenity", "--file-selection", "--filename=/tmp/lv/",
        "--file-filter=KMO Objects (*.kmo) | *.[kK][mM][oO]", "--file-filter=All files | *"};
    EXPECT_EQ(args, want);
}

TEST(ZenityArguments, PatternsMatchNamesInAnyCase) {
    for (const auto& [filter, patterns] : std::vector<std::pair<std::string, std::string>>{
             {"Textures (*.bmp)|*.bmp", "*.[bB][mM][pP]"},
             {"Mixed|Tree?.Kmo", "[tT][rR][eE][eE]?.[kK][mM][oO]"},
             {"Two|*.ini;level_2.*", "*.[iI][nN][iI] [lL][eE][vV][eE][lL]_2.*"},
             {"Class|*.[ab]mp", "*.[aAbB][mM][pP]"},
         }) {
        const auto args = ZenityArguments(filter, true, "");
        ASSERT_EQ(args.size(), 3u) << filter;
        EXPECT_EQ(args[2].substr(args[2].find(" | ") + 3), patterns) << filter;
    }
}

TEST(ZenityArguments, SaveDialogConfirmsOverwritingAndDropsBrokenPairs) {
    const auto args = ZenityArguments("Levels|*.ini|Dangling", false, "/w/");
    const std::vector<std::string> want = {"zenity", "--file-selection", "--save", "--confirm-overwrite",
                                           "--filename=/w/", "--file-filter=Levels | *.[iI][nN][iI]"};
    EXPECT_EQ(args, want);
    EXPECT_EQ(ZenityArguments("", true, "").size(), 2u);
}

}  // namespace
