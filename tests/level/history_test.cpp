// The level's undo history: a seeded run of edits, undos and redos checked against the
// file the level saves to and the slots it names, and the bounds of the history.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "level/history.h"
#include "level/level.h"
#include "level/levelfile.h"
#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "tests/level/level_media.h"
#include "tests/level/level_slots.h"
#include "tests/support/ends_program.h"

namespace {

// Applies one random edit; some change nothing that is stored.
void RandomEdit(std::mt19937& rng) {
    // 0 to n, or -1 when n is below 0.
    const auto pick = [&rng](Number n) { return n < 0 ? -1 : static_cast<Number>(rng() % static_cast<unsigned>(n + 1)); };
    switch (rng() % 8) {
        case 0: AddObject(pick(ModelCount() - 1), pick(TextureCount()) - 1, 0, 0, -1, pick(9), 0, pick(9), 0); break;
        case 1: DeleteObject(pick(ObjectCount())); break;
        case 2: if (ObjectCount() > 0) ObjPos(pick(ObjectCount() - 1), 2) += 0.25; break;
        case 3: if (ModelCount() > 1) DeleteModel(pick(ModelCount() - 1)); break;
        case 4: DeleteTexture(pick(TextureCount() - 1)); break;
        case 5: rng() % 2 ? AddModel("m3.kmo") : AddTexture("t3.bmp"); break;
        case 6: PathPoints(1, pick(2), 0) = pick(5); break;
        default: if (ObjectCount() > 0) ObjState(0, 0) += 1; break;   // a working value only
    }
}

TEST(HistoryTest, RandomEditsUndosAndRedosComeBackExactly) {
    level_media::ScratchDir dir{"history"};
    CatchProgramEnd catchEnd;
    ResetLevelArrays();
    MediaRoot = StrValue(dir.Path() + "/");
    // Model mi has i + 1 triangles, texture ti is i + 2 pixels wide.
    for (int i = 0; i < 4; ++i) {
        level_media::WriteBytes(dir / ("m" + std::to_string(i) + ".kmo"), level_media::ModelBytes(i + 1));
        level_media::WriteBytes(dir / ("t" + std::to_string(i) + ".bmp"), level_media::PictureBytes(i + 2, 2));
    }
    for (int i = 0; i < 3; ++i) AddModel("m"_s + i + ".kmo"), AddTexture("t"_s + i + ".bmp");
    for (int i = 0; i < 6; ++i) AddObject(i % 3, i % 3 - 1, 0, 0, -1, i, 0, 0, 0);
    ActorProps.Dim(3, 7), ActorPos.Dim(3, 5), ActorState.Dim(3, 3);
    for (int a = 0; a < 3; ++a) ActorProps(a, 0) = ActorProps(a, 1) = a;
    PathLen.Dim(2), PathPoints.Dim(2, 8, 3), PathLen(1) = 3;

    const std::string file = dir.Path() + "/level.ini";
    const auto saved = [&file] {
        SaveLevel(file.c_str());
        return level_media::ReadBytes(file);
    };
    LevelHistory history;
    history.Reset();
    // past and future hold the saved files the history can go back and forward to.
    std::vector<std::string> past, future;
    std::string now = saved();
    const auto move = [&now](std::vector<std::string>& from, std::vector<std::string>& to) {
        if (from.empty()) return false;
        to.push_back(now), now = from.back(), from.pop_back();
        return true;
    };
    std::mt19937 rng(19);
    int steps = 0;
    for (int i = 0; i < 400; ++i) {
        const unsigned op = rng() % 10;
        if (op < 2) {
            ASSERT_EQ(history.Undo(), move(past, future)) << i;
        } else if (op < 4) {
            ASSERT_EQ(history.Redo(), move(future, past)) << i;
        } else {
            RandomEdit(rng);
            const std::string after = saved();
            ASSERT_EQ(history.Record(), after != now) << i;
            if (after != now) past.push_back(now), now = after, future.clear(), ++steps;
        }
        ASSERT_EQ(saved(), now) << i;
        for (int j = 0; j < ModelCount(); ++j) ASSERT_EQ(SlotTriangles(j), ModelFiles(j).Std()[1] - '0' + 1) << i;
        for (int t = 0; t < TextureCount(); ++t) ASSERT_EQ(SpriteWidth(t), TextureFiles(t).Std()[1] - '0' + 2) << i;
    }
    EXPECT_GT(steps, 100);
    IniOpen("");
    CloseLineFile();
}

TEST(HistoryTest, BoundsDropTheOldestStepsAndSmallStepsCostLittle) {
    CatchProgramEnd catchEnd;
    ResetLevelArrays();
    ObjPos.Dim(10000, 4), ObjProps.Dim(10000, 5), ObjState.Dim(10000, 3);
    // Step i moves object 37 i by one.
    const auto move = [](LevelHistory& h, int steps) {
        for (int i = 0; i < steps; ++i) ObjPos(i * 37 % 10000, 1) += 1, h.Record();
    };
    LevelHistory history;
    history.Reset();
    const size_t level = history.Bytes();
    move(history, 600);
    EXPECT_EQ(history.UndoCount(), 500u);
    EXPECT_LT(history.Bytes(), level + 500 * 16 * 1024) << "a moved object costs a few blocks, not a level";
    while (history.Undo()) {}
    EXPECT_EQ(ObjPos(99 * 37, 1) * 10 + ObjPos(100 * 37, 1), 10) << "the oldest 100 steps were dropped";

    LevelHistory capped(kUndoSteps, level + 200 * 1024);
    capped.Reset();
    move(capped, 100);
    EXPECT_LE(capped.Bytes(), level + 200 * 1024);
    EXPECT_GT(capped.UndoCount(), 5u);
    EXPECT_LT(capped.UndoCount(), 100u);
}

}  // namespace
