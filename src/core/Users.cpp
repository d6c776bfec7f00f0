#include "core/Users.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "data/Schema.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStringList>

namespace orvix {

namespace {

const QString kHashScheme = QStringLiteral("sha256");
constexpr int kSaltBytes = 16;
// A stored hash asking for more rounds than this is refused rather than
// computed: a damaged row must not hang the login.
constexpr int kMaxHashRounds = 1000000;

// A boolean of the tables: 0/1, also the texts older folders may hold.
bool flag(const QVariant& v) {
    if (v.isNull())
        return false;
    const QString s = v.toString().trimmed().toLower();
    return s == QLatin1String("1") || s == QLatin1String("true") || s == QLatin1String("t") ||
           s == QLatin1String("i") || s == QLatin1String("y") || s == QLatin1String("-1");
}

// Comparison that takes as long whatever the first differing byte is.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return diff == 0;
}

QByteArray digest(const QString& password, const QByteArray& salt, int rounds) {
    const QByteArray secret = password.toUtf8();
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(salt);
    h.addData(secret);
    QByteArray result = h.result();
    for (int i = 1; i < rounds; ++i) {
        h.reset();
        h.addData(result);
        h.addData(salt);
        h.addData(secret);
        result = h.result();
    }
    return result;
}

// The stored password data of one user.
struct StoredUser {
    QString name;
    QString plain; // jelszo of rows written before hashing
    QString hash;  // jelszohash
    bool iras = false;
    bool rendszergazda = false;

    bool hasPassword() const { return !hash.isEmpty() || !plain.isEmpty(); }
    bool accepts(const QString& password) const {
        if (!hash.isEmpty())
            return verifyPassword(password, hash);
        return sameBytes(plain.toUtf8(), password.toUtf8());
    }
};

std::optional<StoredUser> loadUser(Database& db, const QString& name) {
    // The key field compares only identical texts as equal: "Anna" does not find "anna".
    QSqlQuery q = db.select(QStringLiteral("SELECT felhasznalo, jelszo, jelszohash, iras, rendszergazda "
                                           "FROM felhasznalo WHERE felhasznalo = ?"),
                            {name});
    while (q.next()) {
        StoredUser u;
        u.name = q.value(0).toString();
        if (u.name != name) // guard against an engine folding case in comparisons
            continue;
        u.plain = q.value(1).toString();
        u.hash = q.value(2).toString();
        u.iras = flag(q.value(3));
        u.rendszergazda = flag(q.value(4));
        return u;
    }
    return std::nullopt;
}

CurrentUser currentUserOf(const StoredUser& u) {
    CurrentUser c;
    c.name = u.name;
    c.rendszergazda = u.rendszergazda;
    c.iras = u.iras;
    return c;
}

void storePasswordHash(Database& db, const QString& name, const QString& password) {
    db.execSql(QStringLiteral("UPDATE felhasznalo SET jelszohash = ?, jelszo = ? WHERE felhasznalo = ?"),
               {hashPassword(password), QString(QLatin1String("")), name});
}

qint64 administratorCount(Database& db) {
    qint64 n = 0;
    QSqlQuery q = db.select(QStringLiteral("SELECT rendszergazda FROM felhasznalo"));
    while (q.next())
        n += flag(q.value(0)) ? 1 : 0;
    return n;
}

// Whether a change that leaves `countAfter` users, `adminsAfter` of them
// administrators, would leave nobody able to maintain the users: a table with
// users but without an administrator. A folder that had no administrator
// before (older data) is not made worse by an unrelated change.
bool losesLastAdministrator(qint64 countBefore, qint64 adminsBefore, qint64 countAfter, qint64 adminsAfter) {
    return countAfter > 0 && adminsAfter == 0 && (adminsBefore > 0 || countBefore == 0);
}

} // namespace

// ---- Password hashes --------------------------------------------------------

QString hashPassword(const QString& password) {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return hashPassword(password, salt, kPasswordHashRounds);
}

QString hashPassword(const QString& password, const QByteArray& salt, int rounds) {
    return QStringLiteral("%1$%2$%3$%4")
        .arg(kHashScheme)
        .arg(rounds)
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(digest(password, salt, rounds).toHex()));
}

bool verifyPassword(const QString& password, const QString& storedHash) {
    const QStringList parts = storedHash.trimmed().split(QLatin1Char('$'));
    if (parts.size() != 4 || parts.at(0) != kHashScheme)
        return false;
    bool ok = false;
    const int rounds = parts.at(1).toInt(&ok);
    if (!ok || rounds < 1 || rounds > kMaxHashRounds)
        return false;
    const QByteArray salt = QByteArray::fromHex(parts.at(2).toLatin1());
    const QByteArray expected = QByteArray::fromHex(parts.at(3).toLatin1());
    if (salt.isEmpty() || expected.size() != 32)
        return false;
    return sameBytes(digest(password, salt, rounds), expected);
}

void ensureUserHashField(Database& db) {
    const QString table = QStringLiteral("felhasznalo");
    const QString field = QStringLiteral("jelszohash");
    if (!db.hasTable(table) || db.hasField(table, field))
        return;
    const data::TableDef* t = data::findTable(table);
    const data::FieldDef* f = t ? t->field(field) : nullptr;
    if (!f)
        throw DbError(QStringLiteral("Ismeretlen mező: %1.%2").arg(table, field));
    db.execSql(data::addFieldSql(*t, *f));
}

// ---- Login ------------------------------------------------------------------

std::optional<CurrentUser> checkLogin(Database& db, const QString& name, const QString& password) {
    const std::optional<StoredUser> u = loadUser(db, name);
    if (!u || !u->accepts(password))
        return std::nullopt;
    return currentUserOf(*u);
}

std::optional<CurrentUser> attemptLogin(Database& db, Dialogs& dialogs, const QString& name,
                                        const QString& password, const QDateTime& now) {
    std::optional<CurrentUser> result;
    try {
        Database::Transaction tx(db);
        const std::optional<StoredUser> u = loadUser(db, name);
        if (u && u->accepts(password)) {
            result = currentUserOf(*u);
            // The first login of a row written before hashing replaces its plain password.
            if (u->hash.isEmpty())
                storePasswordHash(db, u->name, password);
        }
        db.execSql(QStringLiteral("INSERT INTO naplo (felhasznalo, datum, sikeres) VALUES (?, ?, ?)"),
                   {name.left(kMaxUserNameLength), now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                    result ? 1 : 0});
        tx.commit();
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return std::nullopt;
    }
    if (!result)
        dialogs.error(kInvalidLoginMessage);
    return result;
}

bool changePassword(Database& db, Dialogs& dialogs, const QString& name, const QString& password) {
    try {
        const std::optional<StoredUser> u = loadUser(db, name);
        if (!u || !u->accepts(password)) {
            dialogs.error(kInvalidLoginMessage);
            return false;
        }
        const std::optional<QString> first =
            dialogs.inputText(kNewPasswordCaption, kNewPasswordPrompt, {}, {}, Dialogs::Echo::Password);
        if (!first)
            return false;
        const std::optional<QString> second =
            dialogs.inputText(kCaptionConfirm, kNewPasswordAgainPrompt, {}, {}, Dialogs::Echo::Password);
        if (!second)
            return false;
        if (*first != *second) {
            dialogs.error(kPasswordsDifferMessage);
            return false;
        }
        // The same rules as in the users window: a user without a password
        // could not be told apart from anyone typing the name.
        if (first->isEmpty()) {
            dialogs.error(kIncompleteDataMessage);
            return false;
        }
        if (first->size() > kMaxPasswordLength) {
            dialogs.error(kPasswordTooLongMessage);
            return false;
        }
        storePasswordHash(db, u->name, *first);
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
    dialogs.info(kPasswordChangedMessage);
    return true;
}

std::optional<CurrentUser> loginWithoutUsers(Database& db, Dialogs& dialogs) {
    if (userCount(db) > 0)
        return std::nullopt;
    dialogs.warning(kNoUsersMessage);
    return CurrentUser{};
}

// ---- The users window ---------------------------------------------------------

qint64 userCount(Database& db) {
    return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM felhasznalo"), 0);
}

std::vector<UserRow> listUsers(Database& db, UserOrder order) {
    QString orderBy = QStringLiteral("felhasznalo");
    if (order == UserOrder::Iras)
        orderBy = QStringLiteral("iras, felhasznalo");
    else if (order == UserOrder::Rendszergazda)
        orderBy = QStringLiteral("rendszergazda, felhasznalo");
    std::vector<UserRow> rows;
    QSqlQuery q = db.select(
        QStringLiteral("SELECT felhasznalo, iras, rendszergazda FROM felhasznalo ORDER BY %1").arg(orderBy));
    while (q.next())
        rows.push_back({q.value(0).toString(), flag(q.value(1)), flag(q.value(2))});
    return rows;
}

std::optional<UserRow> findUser(Database& db, const QString& name) {
    const std::optional<StoredUser> u = loadUser(db, name);
    if (!u)
        return std::nullopt;
    return UserRow{u->name, u->iras, u->rendszergazda};
}

namespace {

// The checks and the write of saveUser, in one transaction; the error text,
// or empty when stored. No message is shown while the write lock is held.
QString storeUser(Database& db, const UserEdit& edit) {
    const bool isNew = edit.originalName.isEmpty();
    const QString name = edit.name.trimmed();
    Database::Transaction tx(db);
    std::optional<StoredUser> original;
    if (!isNew) {
        original = loadUser(db, edit.originalName);
        if (!original) // deleted meanwhile at another workstation
            return kIncompleteDataMessage;
    }
    // Both password fields left empty keep the stored password; a user must
    // have one, so a new user (or a row without any) has to get it.
    const bool keepPassword =
        !isNew && original->hasPassword() && edit.password.isEmpty() && edit.passwordAgain.isEmpty();
    if (!keepPassword && edit.password.isEmpty() && edit.passwordAgain.isEmpty())
        return kIncompleteDataMessage;
    if (edit.password != edit.passwordAgain)
        return kWrongPasswordMessage;
    if (!keepPassword && edit.password.size() > kMaxPasswordLength)
        return kPasswordTooLongMessage;
    if (name.isEmpty() || ((isNew || name != original->name) && loadUser(db, name)))
        return kIncompleteDataMessage;
    if (name.size() > kMaxUserNameLength)
        return kUserNameTooLongMessage;
    const qint64 count = userCount(db);
    const qint64 admins = administratorCount(db);
    const qint64 adminsAfter =
        admins - (original && original->rendszergazda ? 1 : 0) + (edit.rendszergazda ? 1 : 0);
    if (losesLastAdministrator(count, admins, count + (isNew ? 1 : 0), adminsAfter))
        return kLastAdministratorMessage;

    if (isNew) {
        db.execSql(QStringLiteral("INSERT INTO felhasznalo (felhasznalo, jelszo, jelszohash, iras, olvasas, "
                                  "rendszergazda) VALUES (?, ?, ?, ?, ?, ?)"),
                   {name, QString(QLatin1String("")), hashPassword(edit.password), edit.iras ? 1 : 0, 0,
                    edit.rendszergazda ? 1 : 0});
    } else {
        db.execSql(QStringLiteral("UPDATE felhasznalo SET felhasznalo = ?, iras = ?, rendszergazda = ? "
                                  "WHERE felhasznalo = ?"),
                   {name, edit.iras ? 1 : 0, edit.rendszergazda ? 1 : 0, original->name});
        if (!keepPassword)
            storePasswordHash(db, name, edit.password);
    }
    tx.commit();
    return {};
}

} // namespace

bool saveUser(Database& db, Dialogs& dialogs, const UserEdit& edit) {
    QString error;
    try {
        error = storeUser(db, edit);
    } catch (const DbError& e) {
        error = kIncompleteDataMessage + QLatin1Char('\n') + e.text();
    }
    if (!error.isEmpty()) {
        dialogs.error(error);
        return false;
    }
    return true;
}

namespace {

// Why the user may not be deleted: the last user (an empty users table
// switches the login off) or the last administrator among other users.
// Empty when it may.
QString deleteRefusal(Database& db, const StoredUser& u) {
    const qint64 count = userCount(db);
    if (count <= 1)
        return kLastUserMessage;
    const qint64 admins = administratorCount(db);
    if (losesLastAdministrator(count, admins, count - 1, admins - (u.rendszergazda ? 1 : 0)))
        return kLastAdministratorMessage;
    return {};
}

} // namespace

bool deleteUser(Database& db, Dialogs& dialogs, const QString& name) {
    QString refusal;
    try {
        const std::optional<StoredUser> u = loadUser(db, name);
        if (!u)
            return false;
        refusal = deleteRefusal(db, *u);
        if (refusal.isEmpty()) {
            if (!dialogs.question(kCaptionConfirm, kDeleteRowQuestion))
                return false;
            // Checked again under the write lock: another workstation may
            // have deleted users while the question was open.
            Database::Transaction tx(db);
            refusal = deleteRefusal(db, *u);
            if (refusal.isEmpty()) {
                db.execSql(QStringLiteral("DELETE FROM felhasznalo WHERE felhasznalo = ?"), {u->name});
                tx.commit();
                return true;
            }
        }
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
    dialogs.error(refusal);
    return false;
}

} // namespace orvix
