// Language files of printed invoices: reading, generating and writing.
#include "common/Codepage.h"
#include "common/IniFile.h"
#include "core/InvoiceLabels.h"
#include "core/LangFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;

Q_DECLARE_METATYPE(orvix::LangRow)
Q_DECLARE_METATYPE(orvix::LangRows)

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString textOf(const LangRows& rows, const QString& key) {
    for (const LangRow& r : rows)
        if (r.key == key)
            return r.text;
    return QStringLiteral("<missing>");
}

} // namespace

class LangFilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void generate_data() {
        QTest::addColumn<LangRows>("initial");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty page: starting text") << LangRows{} << "str4" << QStringLiteral("példányban:");
        QTest::newRow("empty page: label caption")
            << LangRows{} << "QRLabel10" << QStringLiteral("egységár (ÁFA nélkül)");
        QTest::newRow("translation survives")
            << LangRows{{"QRLabel8", "description"}} << "QRLabel8" << QStringLiteral("description");
        QTest::newRow("key in other case counts as present")
            << LangRows{{"qrlabel8", "description"}} << "QRLabel8" << QStringLiteral("<missing>");
        QTest::newRow("free text kept")
            << LangRows{{"str1", "unit price"}} << "str1" << QStringLiteral("unit price");
        QTest::newRow("exemption mark not offered")
            << LangRows{} << "QRLabel29" << QStringLiteral("<missing>");
        QTest::newRow("reverse-charge text not offered")
            << LangRows{} << "FaSzoveg" << QStringLiteral("<missing>");
    }
    void generate() {
        QFETCH(LangRows, initial);
        QFETCH(QString, key);
        QFETCH(QString, expected);

        LangRows rows = initial;
        const int added = generateLangRows(rows);
        QCOMPARE(textOf(rows, key), expected);
        // Existing rows stay first and unchanged.
        QCOMPARE(rows.mid(0, initial.size()), initial);
        QCOMPARE(rows.size(), initial.size() + added);
        // Every key once; the second run adds nothing.
        QSet<QString> keys;
        for (const LangRow& r : rows)
            keys.insert(r.key.toLower());
        QCOMPARE(keys.size(), rows.size());
        const LangRows before = rows;
        QCOMPARE(generateLangRows(rows), 0);
        QCOMPARE(rows, before);
    }

    void generateOrderAndCount() {
        LangRows rows;
        generateLangRows(rows);
        const LangRows start = {{"str1", QStringLiteral("egységár")},
                                {"str2", QStringLiteral("érték")},
                                {"str3", QStringLiteral("készült")},
                                {"str4", QStringLiteral("példányban:")}};
        QCOMPARE(rows.mid(0, 4), start);
        int translatable = 0;
        for (const InvoiceLabel& l : design1Labels())
            translatable += l.tag != kLabelFilledAtPrint;
        QCOMPARE(rows.size(), 4 + translatable);
        QCOMPARE(translatable, 40);
    }

    void load_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<LangRows>("expected");

        QTest::newRow("header dropped, CR LF")
            << QByteArray("[lang]\r\nstr1=unit price\r\nQRLabel8=description\r\n")
            << LangRows{{"str1", "unit price"}, {"QRLabel8", "description"}};
        QTest::newRow("UTF-8 with BOM, blank lines") << QByteArray("\xEF\xBB\xBF[lang]\n\nQRLabel3=vevő\n\n")
                                                     << LangRows{{"QRLabel3", QStringLiteral("vevő")}};
        QTest::newRow("older cp1250 file")
            << encodeCodepage(QStringLiteral("[lang]\r\nQRLabel15=Összesen árvíztűrő\r\n"), Codepage::Cp1250)
            << LangRows{{"QRLabel15", QStringLiteral("Összesen árvíztűrő")}};
        QTest::newRow("text keeps = and spaces")
            << QByteArray("[lang]\r\nstr7= page=\r\n") << LangRows{{"str7", " page="}};
        QTest::newRow("line without key dropped, key without text kept")
            << QByteArray("[lang]\r\n=stray\r\nh1\r\n") << LangRows{{"h1", ""}};
    }
    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(LangRows, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lang01.ini"));
        writeAll(path, bytes);
        QString error = QStringLiteral("x");
        QCOMPARE(loadLangFile(path, &error), expected);
        QVERIFY(error.isEmpty());
    }

    void missingFileGivesNoRows() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(loadLangFile(langFilePath(dir.path(), 2), &error).isEmpty());
        QVERIFY(error.isEmpty());
    }

    void saveEmptyPageCreatesFolder() {
        QTemporaryDir dir;
        const QString path = langFilePath(dir.path(), 1);
        QVERIFY(saveLangFile(path, {}));
        QCOMPARE(readAll(path), QByteArray("[lang]\r\n"));
    }

    void saveReplacesAndReadsBack() {
        QTemporaryDir dir;
        const QString path = langFilePath(dir.path(), 2);
        QVERIFY(saveLangFile(path, {{"a", "1"}, {"b", "2"}, {"c", "3"}}));
        const LangRows rows = {{"QRLabel8", QStringLiteral("Bezeichnung")},
                               {"str3", QStringLiteral("gedruckt in Größe")}};
        QVERIFY(saveLangFile(path, rows));
        QCOMPARE(readAll(path),
                 QStringLiteral("[lang]\r\nQRLabel8=Bezeichnung\r\nstr3=gedruckt in Größe\r\n").toUtf8());
        QCOMPARE(loadLangFile(path), rows);
        // The invoice print reads the file as a profile.
        const IniFile ini(path);
        QCOMPARE(ini.value(QStringLiteral("lang"), QStringLiteral("str3")),
                 QStringLiteral("gedruckt in Größe"));
    }

    void badRowChangesNothing_data() {
        QTest::addColumn<LangRow>("row");
        QTest::newRow("line break in text") << LangRow{"QRLabel8", "two\nlines"};
        QTest::newRow("= in key") << LangRow{"a=b", "x"};
        QTest::newRow("empty key") << LangRow{"  ", "x"};
    }
    void badRowChangesNothing() {
        QFETCH(LangRow, row);
        QTemporaryDir dir;
        const QString path = langFilePath(dir.path(), 1);
        QVERIFY(saveLangFile(path, {{"str1", "old"}}));
        QString error;
        QVERIFY(!saveLangFile(path, {{"str1", "new"}, row}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), QByteArray("[lang]\r\nstr1=old\r\n"));
    }
};

QTEST_GUILESS_MAIN(LangFilesTest)
#include "langfiles_test.moc"
