// The widget toolkit in one include: the property table, dialogs, widgets, the message
// box and the built-in file requester.
//
// Dependencies: gui/*.
#pragma once

#include "gui/dialog.h"
#include "gui/filerequester.h"
#include "gui/messagebox.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
