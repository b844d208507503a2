// Asking before deleting what is in use.
//
// Dependencies: level, gui (MessageBox).
#include "editor/inuse.h"

#include <string>

#include "gui/messagebox.h"

namespace {

std::string Counted(int n, const char* what) {
    return "the " + std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

StrValue DeleteQuestion(const StrValue& name, UseCount uses, bool usersGo) {
    if (uses.objects + uses.actors == 0) return "";
    std::string users;
    if (uses.objects > 0) users = Counted(uses.objects, "object");
    if (uses.actors > 0) users += (users.empty() ? "" : " and ") + Counted(uses.actors, "actor");
    const bool one = uses.objects + uses.actors == 1;
    users += one ? " that uses it?" : " that use it?";
    std::string text = "Delete " + name.Std();
    if (!usersGo) return text + " and take it from " + users;
    // "Delete a, b and c" reads better than "Delete a and b and c".
    if (uses.objects > 0 && uses.actors > 0) return text + ", " + users;
    return text + " and " + users;
}

bool ConfirmDeletion(const StrValue& name, UseCount uses, bool usersGo) {
    const StrValue question = DeleteQuestion(name, uses, usersGo);
    return question.View().empty() || MessageBox(question, 1) != 0;
}
