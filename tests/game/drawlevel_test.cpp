// Level drawing: what is drawn in which order, the blink pulse, shadows and the editing
// markers, checked on the recorded scene commands (no pixels).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "level/level.h"
#include "game/drawlevel.h"
#include "runtime/gfx3d/engine.h"
#include "tests/game/game_support.h"
#include "tests/support/ends_program.h"

namespace {

using V = std::vector<Number>;

// Records every scene command with its numbers (and the text of Print3D).
class Recorder : public LevelPainter {
public:
    struct Call { std::string name; V args; std::string text; };
    std::vector<Call> calls;
    Recorder() { SetLevelPainter(this); }
    ~Recorder() override { SetLevelPainter(nullptr); }
    void Add(const char* name, V args, std::string text = "") { calls.push_back({name, std::move(args), text}); }
    void SetLight(Number n, Number c, Number x, Number y, Number z, Number dx, Number dy, Number dz,
                  Number cut) override { Add("SetLight", {n, c, x, y, z, dx, dy, dz, cut}); }
    void SetCullMode(Number m) override { Add("SetCullMode", {m}); }
    void SetAlphaMode(Number a) override { Add("SetAlphaMode", {a}); }
    void SetTexture(Number s, Number s2) override { Add("SetTexture", {s, s2}); }
    void SetMovement(Number x, Number y, Number z) override { Add("SetMovement", {x, y, z}); }
    void AddRotation(Number a, Number x, Number y, Number z) override { Add("AddRotation", {a, x, y, z}); }
    void DrawAnimation(Number s, Number f, Number t, Number k, Number l) override {
        Add("DrawAnimation", {s, f, t, k, l});
    }
    void DrawObject(Number s, Number f) override { Add("DrawObject", {s, f}); }
    void DrawSprite3D(Number s, Number x, Number y, Number z, Number n) override {
        Add("DrawSprite3D", {s, x, y, z, n});
    }
    void Print3D(const StrValue& t, Number x, Number y, Number z) override { Add("Print3D", {x, y, z}, t.Std()); }
    void DrawLine3D(Number x1, Number y1, Number z1, Number x2, Number y2, Number z2, Number c, Number w) override {
        Add("DrawLine3D", {x1, y1, z1, x2, y2, z2, c, w});
    }

    std::vector<size_t> Find(const std::string& name) const {
        std::vector<size_t> out;
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].name == name) out.push_back(i);
        return out;
    }
    // The numbers of the last call of `name` before call `before`.
    V Before(const std::string& name, size_t before) const {
        for (size_t i = before; i-- > 0;)
            if (calls[i].name == name) return calls[i].args;
        return {};
    }
    // Slots drawn with DrawObject or DrawAnimation in order, or with shadows (model 100) where they are.
    std::vector<V> Drawn(const std::string& name, bool shadows = false) const {
        std::vector<V> out;
        for (size_t i : Find(name)) {
            const bool shadow = name == "DrawObject" && calls[i].args[0] == 100;
            if (shadow == shadows) out.push_back(shadow ? Before("SetMovement", i) : V{calls[i].args[0]});
        }
        return out;
    }
};

constexpr Number kFloor = 0, kPad = 1;   // model slots: a floor of side 40, a pad of side 4, tops at 0

class DrawLevelTest : public game_test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        game_test::SetBoxModel(int(kFloor), -20, -1, -20, 20, 0, 20);
        game_test::SetBoxModel(int(kPad), -2, -1, -2, 2, 0, 2);
    }

    static void AddActor(Number model, Number x, Number y, Number z, Number blink = 0) {
        const int a = game_test::AddActor(x, y, z);
        ActorProps(a, 0) = model, ActorProps(a, 6) = blink;
    }

    CatchProgramEnd guard;   // an array error fails the test instead of ending the program
};

TEST_F(DrawLevelTest, TransparentObjectsComeAfterEveryOpaqueObject) {
    // Objects name model slots 10 + their number so the order can be read back.
    AddObject(10, -1, -0.5, 0, -1, 0, 0, 0, 0);
    AddObject(11, -1, 0, 0, -1, 0, 0, 0, 30);
    AddObject(12, -1, 0.3, 0, -1, 0, 0, 0, 0);
    AddObject(13, 4, 0, 0, -1, 1, 2, 3, 0);
    AddObject(-3, -7, 0, 0, 42, 0, 0, 0, 0);   // naming no model, texture or path: skipped
    Recorder p;
    DrawLevel(0);
    EXPECT_EQ(p.Drawn("DrawObject"), (std::vector<V>{{11}, {13}, {10}, {12}}));
    const auto draws = p.Find("DrawObject");
    EXPECT_EQ(p.Before("SetAlphaMode", draws[2]), V{-0.5});
    EXPECT_EQ(p.Before("SetAlphaMode", draws[3]), V{0.3});
    EXPECT_EQ(p.Before("SetTexture", draws[1]), (V{4, -1}));
    EXPECT_EQ(p.Before("SetMovement", draws[1]), (V{1, 2, 3}));
    EXPECT_EQ(p.Before("AddRotation", draws[0]), (V{30, 0, 1, 0}));
    // The game's effect light comes first; the transparency ends with the objects.
    EXPECT_EQ(p.calls[0].args, (V{-2, 0xFFFFFF, -1000, 1000, -1000, 0, 0, 0, 180}));
    EXPECT_EQ(p.calls[draws[3] + 1].args, V{0});
}

TEST_F(DrawLevelTest, BlinkingActorsComeAfterTheOthersPulsingOncePerSecond) {
    AddActor(20, 0, 0, 0, 1);   // the protected player
    AddActor(21, 0, 0, 0);
    AddActor(22, 0, 0, 0);
    Recorder p;
    DrawLevel(0);
    EXPECT_EQ(p.Drawn("DrawAnimation"), (std::vector<V>{{21}, {22}, {20}}));
    const auto draws = p.Find("DrawAnimation");
    EXPECT_EQ(p.Before("SetAlphaMode", draws[2]), V{BlinkAlpha(GetElapsedTime())});
    EXPECT_EQ(p.Before("SetAlphaMode", draws[1]), V{0}) << "opaque actors are not blended";
    // Whole milliseconds, once per second.
    for (const auto& [ms, a] : {std::pair{0.0, -0.5}, {250.0, -0.75}, {750.0, -0.25}, {1250.9, -0.75}})
        EXPECT_NEAR(BlinkAlpha(ms), a, 1e-9) << ms;
}

TEST_F(DrawLevelTest, ActorsAnimateOverTheirModelsRangeAndMissingRangesDrawFrameZero) {
    ModelAnims.Dim(2, 5, 2);
    ModelAnims(1, 3, 0) = 8, ModelAnims(1, 3, 1) = 15;
    AddActor(1, 1, 2, 3);
    ActorProps(0, 1) = 7, ActorProps(0, 2) = 3, ActorProps(0, 3) = 0.25;   // texture, slot, phase
    ActorPos(0, 3) = 90, ActorPos(0, 4) = 10;                              // facing, lean
    AddActor(1, 0, 0, 0);
    ActorProps(1, 2) = 9;                        // a slot the models do not have
    AddActor(5, 0, 0, 0), ActorProps(2, 1) = 99999;   // a model ModelAnims does not know, a texture naming no sprite
    AddActor(-4, 0, 0, 0);                       // no model at all: skipped
    Recorder p;
    DrawLevel(0);
    const auto draws = p.Find("DrawAnimation");
    std::vector<V> drawn;
    for (size_t d : draws) drawn.push_back(p.calls[d].args);
    EXPECT_EQ(drawn, (std::vector<V>{{1, 8, 15, 0.25, 1}, {1, 0, 0, 0, 1}, {5, 0, 0, 0, 1}}));
    EXPECT_EQ(p.Before("SetTexture", draws[0]), (V{7, -1}));
    EXPECT_EQ(p.Before("SetTexture", draws[2]), (V{-1, -1}));
    // Lean about z first, then facing about y, on the actor's own movement.
    const std::vector<V> placed = {p.calls[draws[0] - 3].args, p.calls[draws[0] - 2].args, p.calls[draws[0] - 1].args};
    EXPECT_EQ(placed, (std::vector<V>{{1, 2, 3}, {10, 0, 0, 1}, {90, 0, 1, 0}}));
}

TEST_F(DrawLevelTest, ShadowsFallUnderActorsMovingObjectsAndItemsButNotOnWaterOrUsedItems) {
    AddObject(kFloor, -1, 0, 0, -1, 0, 0, 0, 0);
    AddObject(kPad, -1, 0, 0, 0, 5, 3, 5, 0);     // a moving platform (path 0)
    AddObject(kPad, -1, -0.5, 1, -1, -5, 3, -5, 0);   // still water: no shadow of its own, none on it
    AddActor(30, 5, 6, 5);                         // on the moving platform
    AddActor(31, 100, 6, 100);                     // above nothing: no shadow
    for (const auto& [kind, x] : {std::pair{0.0, 1.0}, {-1.0, 2.0}, {3.0, 3.0}, {1002.0, 4.0}})
        game_test::AddItem(x, 1, x, kind, 0);
    Recorder p;
    DrawLevel(0);
    EXPECT_EQ(p.Drawn("DrawObject", true), (std::vector<V>{{5, 3, 5}, {5, 0, 5}, {1, 0, 1}, {3, 0, 3}, {4, 0, 4}}));
    std::vector<V> sprites;
    for (size_t i : p.Find("DrawSprite3D")) sprites.push_back(p.calls[i].args);
    EXPECT_EQ(sprites, (std::vector<V>{{500, 1, 1, 1, 0.1}, {503, 3, 1, 3, 0.1}, {1002, 4, 1, 4, 0.1}}));
    const size_t first = p.Find("DrawObject")[3];
    EXPECT_EQ(p.calls[first].args, (V{100, 0}));
    EXPECT_EQ(p.Before("SetTexture", first), (V{100, -1}));
    EXPECT_EQ(p.Before("SetAlphaMode", first), V{-0.7});
    EXPECT_EQ(p.Before("SetLight", first), (V{-2, 0, 0, 0, 0, 0, 0, 0, 0})) << "no effect light on shadows";
    EXPECT_EQ(p.calls.back().args, V{0});
    EXPECT_NEAR(ShadowHeight(-5, 5, -5, -1), 0, 1e-5);
    ObjProps(2, 3) = 2;   // toxic ground is solid for shadows
    EXPECT_NEAR(ShadowHeight(-5, 5, -5, -1), 3, 1e-5);
    EXPECT_NEAR(ShadowHeight(50, 3, 50, -1), 103.5, 1e-9) << "nothing below: 100 above the ray's start";
}

TEST_F(DrawLevelTest, EditModeLabelsObjectsActorsAndPathsFromGreenToRed) {
    AddObject(10, -1, 0, 0, -1, 1, 0, 0, 0);
    AddObject(11, -1, 0, 0, -1, 2, 0, 0, 0);
    AddActor(20, 0, 0, 0);
    PathLen.Dim(3);
    PathPoints.Dim(3, 8, 3);
    PathLen(0) = 3, PathPoints(0, 1, 0) = 4, PathPoints(0, 2, 2) = 4;
    PathLen(1) = 1, PathLen(2) = 500;   // a single point; more than the capacity: only the points that exist
    Recorder p;
    DrawLevel(1);
    EXPECT_NE(p.calls[0].name, "SetLight") << "edit mode has no game light";
    std::vector<std::string> texts;
    for (size_t i : p.Find("Print3D")) texts.push_back(p.calls[i].text);
    texts.resize(11);
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "1", "PLY:0", "A", "PTH:0", "B", "PTH:0", "C", "PTH:0", "A",
                                               "PTH:1"}));
    const auto lines = p.Find("DrawLine3D");
    ASSERT_EQ(lines.size(), 3u + 1u + 8u);
    EXPECT_EQ(p.calls[lines[0]].args[6], 255 * 256);        // green
    EXPECT_EQ(p.calls[lines[1]].args[6], 255 + 255 * 256);  // yellow
    // The closing segment runs from the last point back to the first, in red, labelled in its middle.
    EXPECT_EQ(p.calls[lines[2]].args, (V{0, 0, 4, 0, 0, 0, 255, 5}));
    EXPECT_EQ(p.calls[lines[2] + 2].args, (V{0, 0, 2}));
    EXPECT_EQ(p.calls[lines[3]].args[6], 255 * 256) << "a single point has one fixed colour";
    Recorder game;
    DrawLevel(0);
    EXPECT_TRUE(game.Find("Print3D").empty() && game.Find("DrawLine3D").empty()) << "no markers in the game";
}

}  // namespace
