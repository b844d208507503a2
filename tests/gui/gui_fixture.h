// Shared fixture of the toolkit tests: the runtime on the headless platform with the
// built-in font (7 x 8 pixel cells), an empty toolkit and a driver.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/gfx2d/draw2d.h"
#include "tests/support/gui_driver.h"
#include "tests/support/headless.h"

class GuiTest : public HeadlessTest {
protected:
    static constexpr double kFx = 7;
    static constexpr double kFy = 8;

    void SetUp() override {
        HeadlessTest::SetUp();
        LoadFont("", 0);
        SetSystemPointer(1);
        GuiDriver::ResetToolkit();
        driver_ = std::make_unique<GuiDriver>(platform());
    }
    void TearDown() override {
        driver_.reset();
        GuiDriver::ResetToolkit();
        HeadlessTest::TearDown();
    }

    GuiDriver& gui() { return *driver_; }

    // Cell of a widget in the last frame; fails the test when it was not laid out.
    struct Cell { Number x = 0, y = 0, w = 0, h = 0; };
    Cell CellOf(const StrValue& id) {
        Cell c;
        EXPECT_TRUE(GetWidgetCell(id, c.x, c.y, c.w, c.h)) << id;
        return c;
    }

private:
    std::unique_ptr<GuiDriver> driver_;
};
