// Users on real data folders: the login check and its log, the password
// change, the hashes, rows of older folders with plain passwords, the checks
// of the user edit window and the guard of the last administrator.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "core/Users.h"
#include "data/Schema.h"

#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

struct LogRow {
    QString name;
    QString datum;
    bool sikeres = false;
};

std::vector<LogRow> logRows(Database& db) {
    std::vector<LogRow> rows;
    QSqlQuery q = db.select(QStringLiteral("SELECT felhasznalo, datum, sikeres FROM naplo ORDER BY naplo"));
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt() == 1});
    return rows;
}

void addUser(Database& db, const QString& name, const QString& password, bool admin = false,
             bool iras = false) {
    ScriptedDialogs d;
    UserEdit e;
    e.name = name;
    e.password = password;
    e.passwordAgain = password;
    e.rendszergazda = admin;
    e.iras = iras;
    QVERIFY2(saveUser(db, d, e), qPrintable(d.asked.join(QLatin1Char('\n'))));
}

// A row as an older folder holds it: the password in plain text, no hash.
void addLegacyUser(Database& db, const QString& name, const QString& password, bool admin) {
    db.execSql(QStringLiteral("INSERT INTO felhasznalo (felhasznalo, jelszo, iras, olvasas, rendszergazda) "
                              "VALUES (?, ?, 1, 0, ?)"),
               {name, password, admin ? 1 : 0});
}

QString storedPlain(Database& db, const QString& name) {
    return db.queryText(QStringLiteral("SELECT jelszo FROM felhasznalo WHERE felhasznalo = ?"), {}, {name});
}

QString storedHash(Database& db, const QString& name) {
    return db.queryText(QStringLiteral("SELECT jelszohash FROM felhasznalo WHERE felhasznalo = ?"), {},
                        {name});
}

bool logsIn(Database& db, const QString& name, const QString& password) {
    return checkLogin(db, name, password).has_value();
}

} // namespace

class UsersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hashesAreSaltedAndVerify();
    void storedHashFormatStaysReadable();
    void malformedHashesAreRefused_data();
    void malformedHashesAreRefused();
    void failedAttemptsAndSuccessAreLogged();
    void wrongLoginsAreRefused_data();
    void wrongLoginsAreRefused();
    void rightsComeFromTheRow_data();
    void rightsComeFromTheRow();
    void plainPasswordIsReplacedAtFirstLogin();
    void olderFolderGetsHashField();
    void newPassword_data();
    void newPassword();
    void editChecks_data();
    void editChecks();
    void existingUserKeepsOrChangesPassword();
    void renameMovesTheUser();
    void lastAdministratorStays_data();
    void lastAdministratorStays();
    void usersListedInHungarianOrder();
    void emptyTableLetsInAdministrator();
};

void UsersTest::hashesAreSaltedAndVerify() {
    const QString a = hashPassword(QStringLiteral("titok"));
    const QString b = hashPassword(QStringLiteral("titok"));
    QVERIFY(a != b);
    QVERIFY(!a.contains(QStringLiteral("titok")));
    QVERIFY(a.size() <=
            data::findTable(QStringLiteral("felhasznalo"))->field(QStringLiteral("jelszohash"))->width);
    QVERIFY(verifyPassword(QStringLiteral("titok"), a));
    QVERIFY(verifyPassword(QStringLiteral("titok"), b));
    QVERIFY(!verifyPassword(QStringLiteral("Titok"), a));
    QVERIFY(!verifyPassword(QString(), a));
}

void UsersTest::storedHashFormatStaysReadable() {
    // Computed independently: SHA-256(salt + password), then twice
    // SHA-256(previous + salt + password), password in UTF-8.
    const QString stored = QStringLiteral("sha256$3$000102030405060708090a0b0c0d0e0f$"
                                          "abbd70f763729cea7a484cef9c6b382e0f899c1403e5aa16c47bd6e786e8d25f");
    QByteArray salt;
    for (char i = 0; i < 16; ++i)
        salt.append(i);
    QCOMPARE(hashPassword(QStringLiteral("Árvíz"), salt, 3), stored);
    QVERIFY(verifyPassword(QStringLiteral("Árvíz"), stored));
    QVERIFY(!verifyPassword(QStringLiteral("Arviz"), stored));
    QVERIFY(
        hashPassword(QStringLiteral("x")).startsWith(QStringLiteral("sha256$%1$").arg(kPasswordHashRounds)));
}

void UsersTest::malformedHashesAreRefused_data() {
    QTest::addColumn<QString>("stored");
    const QString good = hashPassword(QStringLiteral("titok"), QByteArray(16, 'x'), 5);
    const QStringList parts = good.split(QLatin1Char('$'));
    QTest::newRow("empty") << QString();
    QTest::newRow("plain text") << QStringLiteral("titok");
    QTest::newRow("other scheme") << QStringLiteral("md5$") + parts.mid(1).join(QLatin1Char('$'));
    QTest::newRow("zero rounds") << QStringList{parts[0], QStringLiteral("0"), parts[2], parts[3]}.join(u'$');
    QTest::newRow("absurd rounds")
        << QStringList{parts[0], QStringLiteral("999999999"), parts[2], parts[3]}.join(u'$');
    QTest::newRow("no salt") << QStringList{parts[0], parts[1], QString(), parts[3]}.join(u'$');
    QTest::newRow("short hash") << QStringList{parts[0], parts[1], parts[2], parts[3].left(20)}.join(u'$');
    QTest::newRow("other rounds") << QStringList{parts[0], QStringLiteral("6"), parts[2], parts[3]}.join(
        u'$');
}

void UsersTest::malformedHashesAreRefused() {
    QFETCH(QString, stored);
    QVERIFY(!verifyPassword(QStringLiteral("titok"), stored));
}

void UsersTest::failedAttemptsAndSuccessAreLogged() {
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Anna"), QStringLiteral("titok"), true);
    ScriptedDialogs d;
    const QDateTime when(QDate(2024, 3, 5), QTime(8, 9, 10));
    QVERIFY(!attemptLogin(f.db, d, QStringLiteral("Anna"), QStringLiteral("rossz"), when));
    QVERIFY(!attemptLogin(f.db, d, QStringLiteral("anna"), QStringLiteral("titok"), when));
    QVERIFY(!attemptLogin(f.db, d, QStringLiteral("Senki"), QStringLiteral("titok"), when));
    const std::optional<CurrentUser> user =
        attemptLogin(f.db, d, QStringLiteral("Anna"), QStringLiteral("titok"), when);
    QVERIFY(user);
    QCOMPARE(user->name, QStringLiteral("Anna"));
    QCOMPARE(d.asked, QStringList(3, QStringLiteral("error: ") + kInvalidLoginMessage));

    const std::vector<LogRow> rows = logRows(f.db);
    QCOMPARE(rows.size(), size_t(4));
    const QStringList names{QStringLiteral("Anna"), QStringLiteral("anna"), QStringLiteral("Senki"),
                            QStringLiteral("Anna")};
    for (size_t i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].name, names[int(i)]);
        QCOMPARE(rows[i].datum, QStringLiteral("2024-03-05 08:09:10"));
        QCOMPARE(rows[i].sikeres, i == 3);
    }
}

void UsersTest::wrongLoginsAreRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("wrong password") << QStringLiteral("Béla") << QStringLiteral("titkos");
    QTest::newRow("name in other case") << QStringLiteral("béla") << QStringLiteral("titok");
    QTest::newRow("name in capitals") << QStringLiteral("BÉLA") << QStringLiteral("titok");
    QTest::newRow("name with space") << QStringLiteral("Béla ") << QStringLiteral("titok");
    QTest::newRow("password in other case") << QStringLiteral("Béla") << QStringLiteral("TITOK");
    QTest::newRow("unknown name") << QStringLiteral("Cecil") << QStringLiteral("titok");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("legacy wrong password") << QStringLiteral("Régi") << QStringLiteral("RÉGI");
    QTest::newRow("legacy name in other case") << QStringLiteral("régi") << QStringLiteral("régi");
}

void UsersTest::wrongLoginsAreRefused() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Béla"), QStringLiteral("titok"), true);
    addLegacyUser(f.db, QStringLiteral("Régi"), QStringLiteral("régi"), false);
    QVERIFY(!checkLogin(f.db, name, password));
    ScriptedDialogs d;
    QVERIFY(!attemptLogin(f.db, d, name, password));
    QCOMPARE(d.asked, QStringList{QStringLiteral("error: ") + kInvalidLoginMessage});
    QCOMPARE(logRows(f.db).size(), size_t(1));
    QVERIFY(!logRows(f.db).front().sikeres);
    // A failed try leaves the plain password of an older row as it was.
    QCOMPARE(storedPlain(f.db, QStringLiteral("Régi")), QStringLiteral("régi"));
}

void UsersTest::rightsComeFromTheRow_data() {
    QTest::addColumn<bool>("admin");
    QTest::addColumn<bool>("iras");
    QTest::newRow("write") << false << true;
    QTest::newRow("administrator") << true << false;
}

void UsersTest::rightsComeFromTheRow() {
    QFETCH(bool, admin);
    QFETCH(bool, iras);
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Főnök"), QStringLiteral("f"), true);
    addUser(f.db, QStringLiteral("Ügyintéző"), QStringLiteral("jelszó"), admin, iras);
    ScriptedDialogs d;
    const std::optional<CurrentUser> user =
        attemptLogin(f.db, d, QStringLiteral("Ügyintéző"), QStringLiteral("jelszó"));
    QVERIFY(user);
    QCOMPARE(user->name, QStringLiteral("Ügyintéző"));
    QCOMPARE(user->rendszergazda, admin);
    QCOMPARE(user->iras, iras);
}

void UsersTest::plainPasswordIsReplacedAtFirstLogin() {
    TempDataFolder f;
    addLegacyUser(f.db, QStringLiteral("Régi"), QStringLiteral("régi"), true);
    ScriptedDialogs d;
    const std::optional<CurrentUser> user =
        attemptLogin(f.db, d, QStringLiteral("Régi"), QStringLiteral("régi"));
    QVERIFY(user);
    QVERIFY(user->rendszergazda);
    QVERIFY(user->iras);
    QVERIFY(d.asked.isEmpty());
    QCOMPARE(storedPlain(f.db, QStringLiteral("Régi")), QString());
    QVERIFY(verifyPassword(QStringLiteral("régi"), storedHash(f.db, QStringLiteral("Régi"))));
    // The next login goes through the hash.
    QVERIFY(attemptLogin(f.db, d, QStringLiteral("Régi"), QStringLiteral("régi")));
    QVERIFY(!attemptLogin(f.db, d, QStringLiteral("Régi"), QString()));
    QCOMPARE(logRows(f.db).size(), size_t(3));
}

void UsersTest::olderFolderGetsHashField() {
    TempDataFolder f;
    f.db.execSql(QStringLiteral("DROP TABLE felhasznalo"));
    f.db.execSql(
        QStringLiteral("CREATE TABLE felhasznalo (felhasznalo CHAR(15) COLLATE HU PRIMARY KEY, "
                       "jelszo CHAR(15) COLLATE HU, iras BOOLEAN, olvasas BOOLEAN, rendszergazda BOOLEAN)"));
    addLegacyUser(f.db, QStringLiteral("Régi"), QStringLiteral("régi"), true);
    ensureUserHashField(f.db);
    QVERIFY(f.db.hasField(QStringLiteral("felhasznalo"), QStringLiteral("jelszohash")));
    QCOMPARE(f.db.fieldInfo(QStringLiteral("felhasznalo"), QStringLiteral("jelszohash")).width, 128);
    ensureUserHashField(f.db); // a second start adds nothing
    ScriptedDialogs d;
    QVERIFY(attemptLogin(f.db, d, QStringLiteral("Régi"), QStringLiteral("régi")));
    QCOMPARE(storedPlain(f.db, QStringLiteral("Régi")), QString());
}

void UsersTest::newPassword_data() {
    QTest::addColumn<QString>("typed");      // the current password typed in the login window
    QTest::addColumn<QVariantList>("input"); // answers of the two inputs; invalid = cancelled
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QString>("valid"); // the password that logs in afterwards

    // Both inputs hide the typed password.
    const QString first = QStringLiteral("inputPassword: Jelszó megadása | Add meg az új jelszót");
    const QString second = QStringLiteral("inputPassword: Megerősítés | Add újra az új jelszót");
    QTest::newRow("changed") << "régi" << QVariantList{"új jelszó", "új jelszó"}
                             << QStringList{first, second, "info: Jelszó változtatás kész."} << "új jelszó";
    QTest::newRow("differ") << "régi" << QVariantList{"új1", "új2"}
                            << QStringList{first, second, "error: A megadott jelszavak nem egyezőek"}
                            << "régi";
    QTest::newRow("first cancelled") << "régi" << QVariantList{QVariant()} << QStringList{first} << "régi";
    QTest::newRow("second cancelled")
        << "régi" << QVariantList{"új", QVariant()} << QStringList{first, second} << "régi";
    QTest::newRow("wrong current password")
        << "rossz" << QVariantList{"új", "új"} << QStringList{"error: Érvénytelen felhasználó, vagy jelszó"}
        << "régi";
    QTest::newRow("empty new password")
        << "régi" << QVariantList{"", ""} << QStringList{first, second, "error: Hiányos adat megadás"}
        << "régi";
    QTest::newRow("too long") << "régi" << QVariantList{"1234567890123456", "1234567890123456"}
                              << QStringList{first, second, "error: " + kPasswordTooLongMessage} << "régi";
    QTest::newRow("fifteen characters")
        << "régi" << QVariantList{"123456789012345", "123456789012345"}
        << QStringList{first, second, "info: Jelszó változtatás kész."} << "123456789012345";
}

void UsersTest::newPassword() {
    QFETCH(QString, typed);
    QFETCH(QVariantList, input);
    QFETCH(QStringList, asked);
    QFETCH(QString, valid);
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Anna"), QStringLiteral("régi"), true);
    const QString hashBefore = storedHash(f.db, QStringLiteral("Anna"));
    ScriptedDialogs d;
    for (const QVariant& v : input)
        d.answers.push_back(v);
    const bool changed = changePassword(f.db, d, QStringLiteral("Anna"), typed);
    QCOMPARE(d.asked, asked);
    QCOMPARE(changed, valid != QStringLiteral("régi"));
    QVERIFY(logsIn(f.db, QStringLiteral("Anna"), valid));
    if (changed) {
        QVERIFY(!logsIn(f.db, QStringLiteral("Anna"), QStringLiteral("régi")));
        QVERIFY(!storedHash(f.db, QStringLiteral("Anna")).contains(valid));
    } else {
        QCOMPARE(storedHash(f.db, QStringLiteral("Anna")), hashBefore);
    }
    QCOMPARE(storedPlain(f.db, QStringLiteral("Anna")), QString());
    QVERIFY(logRows(f.db).empty());
}

void UsersTest::editChecks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("again");
    QTest::addColumn<QString>("error"); // empty: stored

    QTest::newRow("stored") << "Cecil"
                            << "jelszó"
                            << "jelszó" << QString();
    QTest::newRow("fifteen characters") << "123456789012345"
                                        << "123456789012345"
                                        << "123456789012345" << QString();
    QTest::newRow("empty password") << "Cecil"
                                    << ""
                                    << "" << kIncompleteDataMessage;
    QTest::newRow("passwords differ") << "Cecil"
                                      << "jelszó"
                                      << "jelszo" << kWrongPasswordMessage;
    QTest::newRow("second empty") << "Cecil"
                                  << "jelszó"
                                  << "" << kWrongPasswordMessage;
    QTest::newRow("first empty") << "Cecil"
                                 << ""
                                 << "jelszó" << kWrongPasswordMessage;
    QTest::newRow("empty name") << ""
                                << "jelszó"
                                << "jelszó" << kIncompleteDataMessage;
    QTest::newRow("blank name") << "   "
                                << "jelszó"
                                << "jelszó" << kIncompleteDataMessage;
    QTest::newRow("name used") << "Anna"
                               << "jelszó"
                               << "jelszó" << kIncompleteDataMessage;
    QTest::newRow("name too long") << "1234567890123456"
                                   << "jelszó"
                                   << "jelszó" << kUserNameTooLongMessage;
    QTest::newRow("password too long") << "Cecil"
                                       << "1234567890123456"
                                       << "1234567890123456" << kPasswordTooLongMessage;
}

void UsersTest::editChecks() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, again);
    QFETCH(QString, error);
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Anna"), QStringLiteral("titok"), true);
    ScriptedDialogs d;
    UserEdit e;
    e.name = name;
    e.password = password;
    e.passwordAgain = again;
    e.iras = true;
    QCOMPARE(saveUser(f.db, d, e), error.isEmpty());
    if (!error.isEmpty()) {
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: ") + error});
        QCOMPARE(userCount(f.db), qint64(1));
        QVERIFY(logsIn(f.db, QStringLiteral("Anna"), QStringLiteral("titok")));
        return;
    }
    QVERIFY(d.asked.isEmpty());
    QCOMPARE(findUser(f.db, name), (UserRow{name, true, false}));
    // Only the salted hash is stored.
    QCOMPARE(storedPlain(f.db, name), QString());
    QVERIFY(!storedHash(f.db, name).contains(password));
    QVERIFY(logsIn(f.db, name, password));
    QCOMPARE(
        f.db.queryInt(QStringLiteral("SELECT olvasas FROM felhasznalo WHERE felhasznalo = ?"), -1, {name}),
        0);
}

void UsersTest::existingUserKeepsOrChangesPassword() {
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Anna"), QStringLiteral("titok"), true);
    addLegacyUser(f.db, QStringLiteral("Régi"), QStringLiteral("régi"), false);
    f.db.execSql(QStringLiteral(
        "INSERT INTO felhasznalo (felhasznalo, jelszo, rendszergazda) VALUES ('Üres', '', 0)"));
    ScriptedDialogs d;

    // Both fields empty: the rights change, the password stays (the plain one too).
    UserEdit e{QStringLiteral("Anna"), QStringLiteral("Anna"), {}, {}, true, true};
    QVERIFY(saveUser(f.db, d, e));
    QCOMPARE(findUser(f.db, QStringLiteral("Anna")), (UserRow{QStringLiteral("Anna"), true, true}));
    QVERIFY(logsIn(f.db, QStringLiteral("Anna"), QStringLiteral("titok")));
    UserEdit legacy{QStringLiteral("Régi"), QStringLiteral("Régi"), {}, {}, false, false};
    QVERIFY(saveUser(f.db, d, legacy));
    QVERIFY(logsIn(f.db, QStringLiteral("Régi"), QStringLiteral("régi")));

    // A new password replaces the old one, hashed; a plain one is dropped.
    legacy.password = legacy.passwordAgain = QStringLiteral("új");
    QVERIFY(saveUser(f.db, d, legacy));
    QCOMPARE(storedPlain(f.db, QStringLiteral("Régi")), QString());
    QVERIFY(logsIn(f.db, QStringLiteral("Régi"), QStringLiteral("új")));
    QVERIFY(!logsIn(f.db, QStringLiteral("Régi"), QStringLiteral("régi")));
    QVERIFY(d.asked.isEmpty());

    // A row without any password must get one.
    UserEdit empty{QStringLiteral("Üres"), QStringLiteral("Üres"), {}, {}, false, false};
    QVERIFY(!saveUser(f.db, d, empty));
    QCOMPARE(d.asked, QStringList{QStringLiteral("error: ") + kIncompleteDataMessage});
}

void UsersTest::renameMovesTheUser() {
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Anna"), QStringLiteral("titok"), true);
    addUser(f.db, QStringLiteral("Béla"), QStringLiteral("b"), false, true);
    ScriptedDialogs d;
    UserEdit clash{QStringLiteral("Béla"), QStringLiteral("Anna"), {}, {}, false, true};
    QVERIFY(!saveUser(f.db, d, clash));
    QCOMPARE(d.asked, QStringList{QStringLiteral("error: ") + kIncompleteDataMessage});
    QVERIFY(findUser(f.db, QStringLiteral("Béla")));

    UserEdit rename{QStringLiteral("Béla"), QStringLiteral(" Bálint "), {}, {}, false, true};
    QVERIFY(saveUser(f.db, d, rename));
    QVERIFY(!findUser(f.db, QStringLiteral("Béla")));
    QVERIFY(logsIn(f.db, QStringLiteral("Bálint"), QStringLiteral("b")));
    QCOMPARE(userCount(f.db), qint64(2));

    // The edited user deleted meanwhile elsewhere: nothing is written.
    UserEdit gone{QStringLiteral("Béla"),
                  QStringLiteral("Béla"),
                  QStringLiteral("x"),
                  QStringLiteral("x"),
                  false,
                  false};
    QVERIFY(!saveUser(f.db, d, gone));
    QCOMPARE(userCount(f.db), qint64(2));
}

void UsersTest::lastAdministratorStays_data() {
    QTest::addColumn<QString>("action"); // demote / delete / first
    QTest::addColumn<QStringList>("admins");
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("demote the only administrator")
        << "demote" << QStringList{"Anna"} << QStringList{"Béla"} << false;
    QTest::newRow("demote the only user") << "demote" << QStringList{"Anna"} << QStringList{} << false;
    QTest::newRow("demote one of two") << "demote" << QStringList{"Anna", "Ádám"} << QStringList{} << true;
    QTest::newRow("delete the only administrator")
        << "delete" << QStringList{"Anna"} << QStringList{"Béla"} << false;
    QTest::newRow("delete one of two")
        << "delete" << QStringList{"Anna", "Ádám"} << QStringList{"Béla"} << true;
    // An empty users table would switch the login off.
    QTest::newRow("delete the only user") << "delete" << QStringList{"Anna"} << QStringList{} << false;
    QTest::newRow("delete the only user, not an administrator")
        << "delete" << QStringList{} << QStringList{"Anna"} << false;
    QTest::newRow("first user without the right") << "first" << QStringList{} << QStringList{} << false;
    QTest::newRow("older folder without administrator")
        << "demote" << QStringList{} << QStringList{"Béla"} << true;
}

void UsersTest::lastAdministratorStays() {
    QFETCH(QString, action);
    QFETCH(QStringList, admins);
    QFETCH(QStringList, others);
    QFETCH(bool, allowed);
    TempDataFolder f;
    for (const QString& name : admins)
        addUser(f.db, name, QStringLiteral("x"), true);
    for (const QString& name : others)
        addLegacyUser(f.db, name, QStringLiteral("x"), false);
    const qint64 before = userCount(f.db);
    ScriptedDialogs d;
    bool done = false;
    if (action == QStringLiteral("delete")) {
        done = deleteUser(f.db, d, QStringLiteral("Anna"));
        QCOMPARE(userCount(f.db), before - (allowed ? 1 : 0));
    } else {
        const QString name = action == QStringLiteral("first") ? QStringLiteral("Cecil")
                             : admins.isEmpty()                ? others.first()
                                                               : QStringLiteral("Anna");
        UserEdit e{action == QStringLiteral("first") ? QString() : name,
                   name,
                   QStringLiteral("x"),
                   QStringLiteral("x"),
                   false,
                   true};
        done = saveUser(f.db, d, e);
        QCOMPARE(findUser(f.db, name).has_value(), action != QStringLiteral("first") || allowed);
        if (action != QStringLiteral("first"))
            QCOMPARE(findUser(f.db, name)->rendszergazda, !allowed && !admins.isEmpty());
    }
    QCOMPARE(done, allowed);
    const bool lastUser = action == QStringLiteral("delete") && before == 1;
    if (!allowed)
        QCOMPARE(d.asked,
                 QStringList{QStringLiteral("error: ") + (lastUser ? kLastUserMessage : kLastAdministratorMessage)});
}

void UsersTest::usersListedInHungarianOrder() {
    TempDataFolder f;
    addUser(f.db, QStringLiteral("Zoli"), QStringLiteral("x"), true, true);
    addUser(f.db, QStringLiteral("Csaba"), QStringLiteral("x"), false, true);
    addUser(f.db, QStringLiteral("Cecil"), QStringLiteral("x"), true, false);
    addUser(f.db, QStringLiteral("Ádám"), QStringLiteral("x"), false, false);
    auto names = [&](UserOrder order) {
        QStringList list;
        for (const UserRow& u : listUsers(f.db, order))
            list << u.name;
        return list;
    };
    QCOMPARE(names(UserOrder::Name), (QStringList{"Ádám", "Cecil", "Csaba", "Zoli"}));
    QCOMPARE(names(UserOrder::Iras), (QStringList{"Ádám", "Cecil", "Csaba", "Zoli"}));
    QCOMPARE(names(UserOrder::Rendszergazda), (QStringList{"Ádám", "Csaba", "Cecil", "Zoli"}));
    QCOMPARE(listUsers(f.db).at(1), (UserRow{QStringLiteral("Cecil"), false, true}));
}

void UsersTest::emptyTableLetsInAdministrator() {
    TempDataFolder f;
    ScriptedDialogs d;
    const std::optional<CurrentUser> user = loginWithoutUsers(f.db, d);
    QVERIFY(user);
    QCOMPARE(user->name, QStringLiteral("rendszergazda"));
    QVERIFY(user->rendszergazda);
    QVERIFY(user->iras);
    QCOMPARE(d.asked, QStringList{QStringLiteral("warning: ") + kNoUsersMessage});

    addUser(f.db, QStringLiteral("Anna"), QStringLiteral("x"), true);
    d.asked.clear();
    QVERIFY(!loginWithoutUsers(f.db, d));
    QVERIFY(d.asked.isEmpty());
}

QTEST_GUILESS_MAIN(UsersTest)
#include "users_test.moc"
