// Level drawing: what is drawn in which order, the blink pulse, shadows and the editing
// markers, checked on the recorded scene commands (no pixels).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "editor/level.h"
#include "game/drawlevel.h"
#include "game/path.h"
#include "runtime/gfx3d/engine.h"
#include "tests/editor/level_media.h"
#include "tests/game/drawlevel_support.h"
#include "tests/support/ends_program.h"

using drawlevel_test::Call;
using drawlevel_test::FlatSquareBytes;
using drawlevel_test::RecordingPainter;

namespace {

// Model slots of the test: a floor of side 40 and a pad of side 4, both flat.
constexpr Number kFloor = 0;
constexpr Number kPad = 1;

class DrawLevelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static level_media::ScratchDir dir("drawlevel");
        level_media::WriteBytes(dir / "floor.kmo", FlatSquareBytes(20));
        level_media::WriteBytes(dir / "pad.kmo", FlatSquareBytes(2));
        LoadObject(StrValue(dir / "floor.kmo"), kFloor);
        LoadObject(StrValue(dir / "pad.kmo"), kPad);
    }
    void SetUp() override {
        ASSERT_GT(GetObjectFrames(kFloor), 0) << "the test model did not load";
        ResetLevelArrays();
    }

    static void AddActor(Number model, Number x, Number y, Number z, Number blink = 0) {
        const Number a = ActorCount();
        ActorProps.Redim(a + 1, kActorPropsColumns);
        ActorPos.Redim(a + 1, kActorPosColumns);
        ActorState.Redim(a + 1, kActorStateColumns);
        ActorProps(a, 0) = model;
        ActorProps(a, 1) = -1;
        ActorProps(a, 5) = -1;
        ActorProps(a, 6) = blink;
        ActorPos(a, 0) = x;
        ActorPos(a, 1) = y;
        ActorPos(a, 2) = z;
    }
    static void AddItem(Number kind, Number x, Number y, Number z) {
        const Number s = SpecialCount();
        SpecialItems.Redim(s + 1, kSpecialColumns);
        SpecialItems(s, 0) = x;
        SpecialItems(s, 1) = y;
        SpecialItems(s, 2) = z;
        SpecialItems(s, 3) = kind;
    }

    // Slots of the DrawObject calls other than shadows, in order.
    static std::vector<Number> DrawnObjects(const RecordingPainter& p) {
        std::vector<Number> out;
        for (size_t i : p.Find("DrawObject")) {
            if (p.calls[i].args[0] != kShadowModel) out.push_back(p.calls[i].args[0]);
        }
        return out;
    }
    // Heights at which shadows are drawn, from the movement just before each.
    static std::vector<std::vector<Number>> ShadowPlaces(const RecordingPainter& p) {
        std::vector<std::vector<Number>> out;
        for (size_t i : p.Find("DrawObject")) {
            if (p.calls[i].args[0] == kShadowModel) out.push_back(p.LastBefore("SetMovement", i)->args);
        }
        return out;
    }

    // Any array error becomes a test failure instead of ending the test program.
    CatchProgramEnd guard;
};

TEST_F(DrawLevelTest, TransparentObjectsComeAfterEveryOpaqueObject) {
    // Objects name model slots 10 + their number so the order can be read back.
    AddObject(10, -1, -0.5, 0, -1, 0, 0, 0, 0);
    AddObject(11, -1, 0, 0, -1, 0, 0, 0, 30);
    AddObject(12, -1, 0.3, 0, -1, 0, 0, 0, 0);
    AddObject(13, 4, 0, 0, -1, 1, 2, 3, 0);
    RecordingPainter p;
    DrawLevel(0);
    EXPECT_EQ(DrawnObjects(p), (std::vector<Number>{11, 13, 10, 12}));

    const auto draws = p.Find("DrawObject");
    EXPECT_EQ(p.LastBefore("SetAlphaMode", draws[2])->args[0], -0.5);
    EXPECT_EQ(p.LastBefore("SetAlphaMode", draws[3])->args[0], 0.3);
    // An opaque object is placed, turned and textured before it is drawn.
    EXPECT_EQ(p.LastBefore("SetTexture", draws[1])->args, (std::vector<Number>{4, -1}));
    EXPECT_EQ(p.LastBefore("SetMovement", draws[1])->args, (std::vector<Number>{1, 2, 3}));
    EXPECT_EQ(p.LastBefore("AddRotation", draws[0])->args, (std::vector<Number>{30, 0, 1, 0}));
    // The game's effect light comes first, and the transparency ends with the objects.
    EXPECT_EQ(p.calls[0].name, "SetLight");
    EXPECT_EQ(p.calls[0].args[0], -2);
    EXPECT_EQ(p.calls[0].args[8], 180);
    EXPECT_EQ(p.calls[draws[3] + 1].name, "SetAlphaMode");
    EXPECT_EQ(p.calls[draws[3] + 1].args[0], 0);
}

TEST_F(DrawLevelTest, BlinkingActorsComeAfterTheOthersUnderAPulsingAlpha) {
    AddActor(20, 0, 0, 0, 1);   // the protected player
    AddActor(21, 0, 0, 0);
    AddActor(22, 0, 0, 0);
    RecordingPainter p;
    DrawLevel(0);
    const auto draws = p.Find("DrawAnimation");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(p.calls[draws[0]].args[0], 21);
    EXPECT_EQ(p.calls[draws[1]].args[0], 22);
    EXPECT_EQ(p.calls[draws[2]].args[0], 20);
    const Number alpha = p.LastBefore("SetAlphaMode", draws[2])->args[0];
    EXPECT_GE(alpha, -0.75);
    EXPECT_LE(alpha, -0.25);
    EXPECT_EQ(p.LastBefore("SetAlphaMode", draws[1])->args[0], 0) << "opaque actors are not blended";
    for (size_t d : draws) {
        EXPECT_EQ(p.calls[d + 1].name, "SetAlphaMode");
        EXPECT_EQ(p.calls[d + 1].args[0], 0);
    }
}

TEST_F(DrawLevelTest, BlinkPulsesOncePerSecondBetweenQuarterAndThreeQuarters) {
    EXPECT_NEAR(BlinkAlpha(0), -0.5, 1e-9);
    EXPECT_NEAR(BlinkAlpha(250), -0.75, 1e-9);
    EXPECT_NEAR(BlinkAlpha(750), -0.25, 1e-9);
    EXPECT_NEAR(BlinkAlpha(1250), BlinkAlpha(250), 1e-9);
    EXPECT_NEAR(BlinkAlpha(250.9), BlinkAlpha(250), 1e-9) << "whole milliseconds";
}

TEST_F(DrawLevelTest, ActorsAnimateOverTheirModelsRangeAndMissingRangesDrawFrameZero) {
    ModelAnims.Dim(2, 5, 2);
    ModelAnims(1, 3, 0) = 8;
    ModelAnims(1, 3, 1) = 15;
    AddActor(1, 1, 2, 3);
    ActorProps(0, 1) = 7;     // texture
    ActorProps(0, 2) = 3;     // animation slot
    ActorProps(0, 3) = 0.25;  // phase
    ActorPos(0, 3) = 90;      // facing
    ActorPos(0, 4) = 10;      // lean
    AddActor(1, 0, 0, 0);
    ActorProps(1, 2) = 9;     // a slot the models do not have
    AddActor(5, 0, 0, 0);     // a model ModelAnims does not know
    ActorProps(2, 1) = 99999; // a texture that names no sprite
    AddActor(-4, 0, 0, 0);    // no model at all: skipped
    RecordingPainter p;
    DrawLevel(0);
    const auto draws = p.Find("DrawAnimation");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(p.calls[draws[0]].args, (std::vector<Number>{1, 8, 15, 0.25, 1}));
    EXPECT_EQ(p.calls[draws[1]].args, (std::vector<Number>{1, 0, 0, 0, 1}));
    EXPECT_EQ(p.calls[draws[2]].args, (std::vector<Number>{5, 0, 0, 0, 1}));
    EXPECT_EQ(p.LastBefore("SetTexture", draws[0])->args[0], 7);
    EXPECT_EQ(p.LastBefore("SetTexture", draws[2])->args[0], -1);
    // Lean about z first, then facing about y, on the actor's own movement.
    EXPECT_EQ(p.calls[draws[0] - 3].args, (std::vector<Number>{1, 2, 3}));
    EXPECT_EQ(p.calls[draws[0] - 2].args, (std::vector<Number>{10, 0, 0, 1}));
    EXPECT_EQ(p.calls[draws[0] - 1].args, (std::vector<Number>{90, 0, 1, 0}));
}

TEST_F(DrawLevelTest, UsedItemsAreNeitherDrawnNorShadowed) {
    AddObject(kFloor, -1, 0, 0, -1, 0, 0, 0, 0);
    AddItem(0, 1, 1, 1);
    AddItem(-1, 2, 1, 2);
    AddItem(3, 3, 1, 3);
    AddItem(1002, 4, 1, 4);
    RecordingPainter p;
    DrawLevel(0);
    std::vector<Number> sprites;
    for (size_t i : p.Find("DrawSprite3D")) sprites.push_back(p.calls[i].args[0]);
    EXPECT_EQ(sprites, (std::vector<Number>{500, 503, 1002}));
    const auto shadows = ShadowPlaces(p);
    ASSERT_EQ(shadows.size(), 3u);
    for (const auto& s : shadows) {
        EXPECT_NE(s[0], 2) << "the used item has a shadow";
        EXPECT_NEAR(s[1], 0, 1e-5) << "a shadow lies on the floor";
    }
}

TEST_F(DrawLevelTest, WaterNeverReceivesAShadowButLetsItFallThrough) {
    AddObject(kFloor, -1, 0, 0, -1, 0, 0, 0, 0);
    AddObject(kPad, -1, -0.5, 1, -1, 0, 2, 0, 0);   // water at height 2
    EXPECT_NEAR(ShadowHeight(0, 3, 0, -1), 0, 1e-5);
    ObjProps(1, 3) = 2;   // Toxic ground is solid for shadows
    EXPECT_NEAR(ShadowHeight(0, 3, 0, -1), 2, 1e-5);
    EXPECT_NEAR(ShadowHeight(0, 3, 0, 1), 0, 1e-5) << "the skipped object gets no shadow of its own";
    // Nothing below: the answer lies 100 above the ray's start.
    EXPECT_NEAR(ShadowHeight(50, 3, 0, -1), 103.5, 1e-9);
    // A thing standing on a surface still finds it, half a unit below the ray's start.
    EXPECT_NEAR(ShadowHeight(0, 0, 0, -1), 0, 1e-5);
}

TEST_F(DrawLevelTest, ShadowsFallUnderActorsMovingObjectsAndItemsOnly) {
    AddObject(kFloor, -1, 0, 0, -1, 0, 0, 0, 0);
    AddObject(kPad, -1, 0, 0, 0, 5, 3, 5, 0);    // a moving platform (path 0)
    AddObject(kPad, -1, 0, 0, -1, -5, 3, -5, 0); // a still one casts no shadow
    AddActor(30, 5, 6, 5);                        // on the moving platform
    AddActor(31, 100, 6, 100);                    // above nothing: no shadow
    RecordingPainter p;
    DrawLevel(0);
    const auto shadows = ShadowPlaces(p);
    ASSERT_EQ(shadows.size(), 2u);
    EXPECT_EQ(shadows[0][0], 5);
    EXPECT_NEAR(shadows[0][1], 3, 1e-5) << "the actor's shadow lies on the platform";
    EXPECT_NEAR(shadows[1][1], 0, 1e-5) << "the platform's own shadow lies on the floor";
    // Shadows are drawn untextured by the effect light, with the shadow sprite, half see-through.
    const auto first = p.Find("DrawObject");
    const size_t shadow0 = *std::find_if(first.begin(), first.end(),
                                         [&](size_t i) { return p.calls[i].args[0] == kShadowModel; });
    EXPECT_EQ(p.LastBefore("SetTexture", shadow0)->args[0], kShadowSprite);
    EXPECT_EQ(p.LastBefore("SetAlphaMode", shadow0)->args[0], -0.7);
    EXPECT_EQ(p.LastBefore("SetLight", shadow0)->args[8], 0);
    EXPECT_EQ(p.calls.back().name, "SetAlphaMode");
    EXPECT_EQ(p.calls.back().args[0], 0);
}

TEST_F(DrawLevelTest, EditModeLabelsObjectsActorsAndPathsFromGreenToRed) {
    AddObject(10, -1, 0, 0, -1, 1, 0, 0, 0);
    AddObject(11, -1, 0, 0, -1, 2, 0, 0, 0);
    AddActor(20, 0, 0, 0);
    PathLen.Dim(2);
    PathPoints.Dim(2, 8, 3);
    PathLen(0) = 3;
    PathPoints(0, 1, 0) = 4;
    PathPoints(0, 2, 2) = 4;
    PathLen(1) = 1;   // a single point
    PathPoints(1, 0, 1) = 7;
    RecordingPainter p;
    DrawLevel(1);
    EXPECT_TRUE(p.Find("SetLight").size() >= 3);
    EXPECT_NE(p.calls[0].name, "SetLight") << "edit mode has no game light";

    std::vector<std::string> texts;
    for (size_t i : p.Find("Print3D")) texts.push_back(p.calls[i].text);
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "1", "PLY:0", "A", "PTH:0", "B", "PTH:0", "C", "PTH:0", "A",
                                               "PTH:1"}));
    const auto lines = p.Find("DrawLine3D");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(p.calls[lines[0]].args[6], 255 * 256);        // green
    EXPECT_EQ(p.calls[lines[1]].args[6], 255 + 255 * 256);  // yellow
    EXPECT_EQ(p.calls[lines[2]].args[6], 255);              // red
    EXPECT_EQ(p.calls[lines[2]].args[7], 5);
    EXPECT_EQ(p.calls[lines[3]].args[6], 255 * 256) << "a single point has one fixed colour";
    // The closing segment runs from the last point back to the first, labelled in its middle.
    EXPECT_EQ(p.calls[lines[2]].args, (std::vector<Number>{0, 0, 4, 0, 0, 0, 255, 5}));
    const auto labels = p.Find("Print3D");
    EXPECT_EQ(p.calls[labels[8]].args, (std::vector<Number>{0, 0, 2}));

    // Without edit mode there are no markers at all.
    RecordingPainter game;
    DrawLevel(0);
    EXPECT_TRUE(game.Find("Print3D").empty());
    EXPECT_TRUE(game.Find("DrawLine3D").empty());
}

TEST_F(DrawLevelTest, PathColoursStayWholePerChannel) {
    PathLen.Dim(1);
    PathPoints.Dim(1, 8, 3);
    PathLen(0) = 7;
    RecordingPainter p;
    DrawLevel(1);
    for (size_t i : p.Find("DrawLine3D")) {
        const Number colour = p.calls[i].args[6];
        EXPECT_EQ(colour, std::floor(colour));
        EXPECT_LT(colour, 65536) << "no blue";
    }
}

TEST_F(DrawLevelTest, RecordsNamingNothingNeverEndTheProgram) {
    AddObject(-3, -7, 0, 0, 42, 0, 0, 0, 0);   // no model, no texture, no path
    AddObject(kPad, 5000, 0.5, 0, 3, 0, 0, 0, 0);
    AddActor(77, 0, 0, 0, 1);
    ActorProps(0, 2) = -2;
    ActorProps(0, 5) = 9;
    AddItem(-7, 0, 0, 0);
    PathLen.Dim(1);
    PathPoints.Dim(1, 8, 3);
    PathLen(0) = 500;   // more points than the capacity
    {
        RecordingPainter p;
        DrawLevel(1);
        EXPECT_EQ(DrawnObjects(p), (std::vector<Number>{kPad}));
        EXPECT_EQ(p.Find("DrawLine3D").size(), 8u);
    }
    // The engine itself draws nothing without a window, but must take the same calls.
    DrawLevel(1);
    DrawLevel(0);
}

}  // namespace
