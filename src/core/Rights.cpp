#include "core/Rights.h"

#include "core/AppContext.h"
#include "core/Dialogs.h"

namespace orvix {

bool hasRight(const CurrentUser& user, Right right) {
    switch (right) {
    case Right::Administrator: return user.rendszergazda;
    case Right::Write: return user.iras;
    }
    return false;
}

bool checkRight(const CurrentUser& user, Right right, Dialogs& dialogs) {
    if (hasRight(user, right))
        return true;
    dialogs.error(kNoRightMessage);
    return false;
}

} // namespace orvix
