#include "tests/support/ends_program.h"

CatchProgramEnd::CatchProgramEnd() {
    SetEndHook([] { throw ProgramEnded{static_cast<int>(GetEndCode())}; });
}

CatchProgramEnd::~CatchProgramEnd() { SetEndHook({}); }
