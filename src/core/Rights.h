// The two rights of the current user and the check every window makes before
// it opens or changes something.
#pragma once

#include <QString>

namespace orvix {

struct CurrentUser;
class Dialogs;

enum class Right {
    Administrator, // rendszergazda
    Write          // iras: may edit master data
};

inline const QString kNoRightMessage = QStringLiteral("Nincs jogosultság a művelethez.");

bool hasRight(const CurrentUser& user, Right right);
// Shows "Nincs jogosultság a művelethez." and returns false when the right is missing.
bool checkRight(const CurrentUser& user, Right right, Dialogs& dialogs);

} // namespace orvix
