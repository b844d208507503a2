// Asking before a model, texture or path that objects or actors use is deleted.
//
// Dependencies: level (UseCount), gui (MessageBox).
#pragma once

#include "level/level.h"              // Required for: UseCount
#include "runtime/frame/strvalue.h"   // Required for: StrValue

// The question for deleting `name` with its users: they go with it when usersGo (a
// model's objects and enemies), else they lose it (a texture, a path). "" when nothing
// uses it.
StrValue DeleteQuestion(const StrValue& name, UseCount uses, bool usersGo);
// Asks the question with Yes and No when there is one; true when the deletion may go on.
bool ConfirmDeletion(const StrValue& name, UseCount uses, bool usersGo);
