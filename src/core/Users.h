// Users of a data folder, the login check, the login log and the password
// change.
//
// Users live in `felhasznalo`. Passwords are kept as salted, iterated SHA-256
// hashes in `jelszohash` ("sha256$rounds$salthex$hashhex"); `jelszo` only holds
// the plain password of rows written before hashing, and is emptied when such
// a user first logs in. Every press of "OK" in the login window leaves one row
// in `naplo`.
#pragma once

#include "core/AppContext.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace orvix {

class Database;
class Dialogs;

inline constexpr int kMaxUserNameLength = 15;
inline constexpr int kMaxPasswordLength = 15;
inline constexpr int kPasswordHashRounds = 20000;

inline const QString kInvalidLoginMessage = QStringLiteral("Érvénytelen felhasználó, vagy jelszó");
inline const QString kPasswordsDifferMessage = QStringLiteral("A megadott jelszavak nem egyezőek");
inline const QString kPasswordChangedMessage = QStringLiteral("Jelszó változtatás kész.");
inline const QString kIncompleteDataMessage = QStringLiteral("Hiányos adat megadás");
inline const QString kWrongPasswordMessage = QStringLiteral("Hibás jelszó megadás");
inline const QString kUserNameTooLongMessage =
    QStringLiteral("A felhasználó neve legfeljebb 15 karakter lehet.");
inline const QString kPasswordTooLongMessage = QStringLiteral("A jelszó legfeljebb 15 karakter lehet.");
inline const QString kLastAdministratorMessage =
    QStringLiteral("Legalább egy rendszergazdának maradnia kell a felhasználók között, különben senki sem "
                   "kezelheti többé a felhasználókat.");
inline const QString kLastUserMessage =
    QStringLiteral("Az utolsó felhasználó nem törölhető: üres felhasználói listával a program belépés nélkül, "
                   "rendszergazdaként indulna.");
inline const QString kNoUsersMessage =
    QStringLiteral("A felhasználók listája üres, ezért a belépés rendszergazdaként történik.\n"
                   "Vegye fel a felhasználókat a Felhasználók ablakban!");
inline const QString kDeleteRowQuestion = QStringLiteral("Valóban töröljem a sort?");
inline const QString kNewPasswordCaption = QStringLiteral("Jelszó megadása");
inline const QString kNewPasswordPrompt = QStringLiteral("Add meg az új jelszót");
inline const QString kNewPasswordAgainPrompt = QStringLiteral("Add újra az új jelszót");

// ---- Password hashes --------------------------------------------------------

// The stored form of a password with a fresh random 16-byte salt.
QString hashPassword(const QString& password);
// The same with a given salt and number of rounds.
QString hashPassword(const QString& password, const QByteArray& salt, int rounds);
// Whether the password gives the stored hash; false for a malformed hash.
bool verifyPassword(const QString& password, const QString& storedHash);

// Adds `jelszohash` to the users table of a folder made before hashing.
void ensureUserHashField(Database& db);

// ---- Login ------------------------------------------------------------------

// The user whose name equals `name` exactly (letter case counts) and whose
// password is `password`, with the two rights; nothing when either is wrong.
// Writes nothing.
std::optional<CurrentUser> checkLogin(Database& db, const QString& name, const QString& password);

// "OK" of the login window, in one transaction: checks the login, writes the
// `naplo` row (typed name, `now` as "yyyy-MM-dd hh:mm:ss", sikeres 0/1) and, on
// the first login of a user with a plain password, replaces it by its hash.
// On failure shows "Érvénytelen felhasználó, vagy jelszó" (an engine error
// shows the engine's text, and nothing is let in).
std::optional<CurrentUser> attemptLogin(Database& db, Dialogs& dialogs, const QString& name,
                                        const QString& password,
                                        const QDateTime& now = QDateTime::currentDateTime());

// "Új jelszó": checks the login, asks the new password twice with hidden
// inputs and stores its hash. Cancelling either input changes nothing. True
// when changed.
bool changePassword(Database& db, Dialogs& dialogs, const QString& name, const QString& password);

// The start with login on a folder whose users table is empty: nobody could
// log in, so the warning kNoUsersMessage is shown and the administrator
// "rendszergazda" with both rights is returned. Nothing when there are users.
std::optional<CurrentUser> loginWithoutUsers(Database& db, Dialogs& dialogs);

// ---- The users window ---------------------------------------------------------

struct UserRow {
    QString name;
    bool iras = false;
    bool rendszergazda = false;
    bool operator==(const UserRow&) const = default;
};

enum class UserOrder { Name, Iras, Rendszergazda };

qint64 userCount(Database& db);
// Every user, ordered by the given column and then by name.
std::vector<UserRow> listUsers(Database& db, UserOrder order = UserOrder::Name);
std::optional<UserRow> findUser(Database& db, const QString& name);

// What the edit window holds when "OK" is pressed.
struct UserEdit {
    QString originalName; // the edited user; empty for a new one
    QString name;
    QString password; // for an existing user both empty: the password stays
    QString passwordAgain;
    bool rendszergazda = false;
    bool iras = false;
};

// Checks and stores the edit window's data. Errors: an empty password of a
// new user (or of a user that has none), "Hiányos adat megadás"; the two
// passwords differ, "Hibás jelszó megadás"; an empty or already used name,
// "Hiányos adat megadás"; too long a name or password; taking away the last
// administrator. True when stored.
bool saveUser(Database& db, Dialogs& dialogs, const UserEdit& edit);

// "Töröl": refuses to delete the last user (an empty users table would let
// everybody in as administrator) and the last administrator while other
// users stay, asks "Valóban töröljem a sort?" and deletes. True when deleted.
bool deleteUser(Database& db, Dialogs& dialogs, const QString& name);

} // namespace orvix
