// Catching EndProgram in tests: the end hook throws ProgramEnded with the recorded code.
#pragma once

#include <gtest/gtest.h>

#include "runtime/frame/program.h"

struct ProgramEnded {
    int code;
};

// Installs the throwing end hook for the lifetime of the guard.
class CatchProgramEnd {
public:
    CatchProgramEnd();
    ~CatchProgramEnd();
};

// Runs the statement and expects it to end the program with the given end code.
#define EXPECT_ENDS_PROGRAM(statement, expected_code)                           \
    do {                                                                        \
        CatchProgramEnd zv_guard_;                                              \
        SetEndCode(0);                                                          \
        bool zv_ended_ = false;                                                 \
        try {                                                                   \
            statement;                                                          \
        } catch (const ProgramEnded& e) {                                       \
            zv_ended_ = true;                                                   \
            EXPECT_EQ(e.code, (expected_code)) << "end code of: " #statement;   \
        }                                                                       \
        EXPECT_TRUE(zv_ended_) << "did not end the program: " #statement;       \
    } while (0)
