// The Hungarian order's letter-by-letter comparison against the long way
// round: the same sign on hand-picked pairs, on a million random pairs of
// Hungarian-like names, and on every character the collation may meet.
#include "common/Database.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

using namespace orvix;

namespace {

int fast(const QByteArray& a, const QByteArray& b) {
    return compareHungarianUtf8(a.constData(), int(a.size()), b.constData(), int(b.size()));
}

int reference(const QByteArray& a, const QByteArray& b) {
    return compareHungarianUtf8Reference(a.constData(), int(a.size()), b.constData(), int(b.size()));
}

QByteArray utf8(char32_t c) {
    return QString::fromUcs4(&c, 1).toUtf8();
}

// Random names built from the pieces that steer the order: plain and accented
// vowels in both cases, single, double and doubled double letters, spaces,
// digits and punctuation, now and then a foreign letter or a stray byte.
class NameMaker {
public:
    explicit NameMaker(quint32 seed) : m_rng(seed) {}

    QByteArray name() {
        QByteArray out;
        const int pieces = 1 + int(m_rng.bounded(9));
        for (int i = 0; i < pieces; ++i)
            out += piece();
        return out;
    }

    // A second name close to the first, so that most pairs share a prefix
    // and differ in one place: that is where the order is decided.
    QByteArray variant(const QByteArray& base) {
        QByteArray out = base;
        switch (m_rng.bounded(8)) {
        case 0: // another name altogether
            return name();
        case 1: // one piece longer
            return out + piece();
        case 2: { // cut short anywhere, even inside a character
            const int cut = int(m_rng.bounded(int(out.size()) + 1));
            return out.left(cut);
        }
        case 3: { // one piece put in somewhere
            const int at = int(m_rng.bounded(int(out.size()) + 1));
            return out.left(at) + piece() + out.mid(at);
        }
        case 4: { // case of one ASCII letter flipped
            for (int tries = 0; tries < 4 && !out.isEmpty(); ++tries) {
                const int at = int(m_rng.bounded(int(out.size())));
                const char c = out.at(at);
                if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                    out[at] = char(c ^ 0x20);
                    break;
                }
            }
            return out;
        }
        case 5: { // the same text in the other case
            const QString s = QString::fromUtf8(out);
            return (m_rng.bounded(2) ? s.toUpper() : s.toLower()).toUtf8();
        }
        case 6: // accents swapped for their neighbours
            return swapAccents(out);
        default: // a letter doubled
            if (out.isEmpty())
                return out;
            {
                const int at = int(m_rng.bounded(int(out.size())));
                return out.left(at + 1) + out.mid(at);
            }
        }
    }

private:
    QByteArray piece() {
        static const char* const vowels[] = {"a", "á", "e", "é", "i", "í", "o", "ó", "ö", "ő", "u", "ú",
                                             "ü", "ű", "A", "Á", "E", "É", "I", "Í", "O", "Ó", "Ö", "Ő",
                                             "U", "Ú", "Ü", "Ű", "õ", "û"};
        static const char* const consonants[] = {"b", "c", "d", "f", "g", "h", "j", "k", "l", "m", "n", "p",
                                                 "q", "r", "s", "t", "v", "w", "x", "y", "z", "B", "C", "D",
                                                 "G", "K", "L", "N", "S", "T", "Y", "Z"};
        static const char* const doubles[] = {"cs",  "dz",  "dzs", "gy",  "ly",  "ny",  "sz",  "ty",  "zs",
                                              "Cs",  "CS",  "cS",  "Dzs", "DZS", "Gy",  "GY",  "Ly",  "Ny",
                                              "Sz",  "SZ",  "Ty",  "Zs",  "ZS",  "ccs", "ddz", "ddzs", "ggy",
                                              "lly", "nny", "ssz", "tty", "zzs", "Ssz", "SSZ", "sSz", "dzz",
                                              "szs", "csz", "dzsz", "nyy", "zsz"};
        static const char* const others[] = {" ", " ", "  ", "-", ".", ",", "&", "'", "/", "(", ")",
                                             "0", "1", "2", "9", "10", "42", "Kft.", "Bt.", "Zrt."};
        static const char* const rare[] = {"ç", "ñ", "ß", "ø", "å", "Ł", "ž", "ı", "İ", "K", "Å", "α",
                                           "Ω", "ж", "中", "😀", "\xC3", "\xE2\x82", "\x80", "\xF0\x9F",
                                           "\xC3(", "\xED\xA0\x80", "\x00"};
        const quint32 kind = m_rng.bounded(100);
        const auto pick = [this](const auto& list) {
            const int n = int(sizeof(list) / sizeof(list[0]));
            return QByteArray(list[m_rng.bounded(n)]);
        };
        if (kind < 30)
            return pick(vowels);
        if (kind < 60)
            return pick(consonants);
        if (kind < 82)
            return pick(doubles);
        if (kind < 97)
            return pick(others);
        QByteArray r = pick(rare);
        if (r.isEmpty()) // the NUL byte
            r = QByteArray(1, '\0');
        return r;
    }

    QByteArray swapAccents(const QByteArray& text) {
        QString s = QString::fromUtf8(text);
        static const QString plain = QStringLiteral("aeiouöüAEIOUÖÜ");
        static const QString accented = QStringLiteral("áéíóúőűÁÉÍÓÚŐŰ");
        for (QChar& c : s) {
            if (m_rng.bounded(3) != 0)
                continue;
            const qsizetype p = plain.indexOf(c);
            const qsizetype q = accented.indexOf(c);
            if (p >= 0)
                c = accented.at(p);
            else if (q >= 0)
                c = plain.at(q);
        }
        return s.toUtf8();
    }

    QRandomGenerator m_rng;
};

} // namespace

class HungarianTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameAsReference_data();
    void sameAsReference();
    void millionRandomPairs();
    void everyCharacterNextToItsNeighbours();
    void sortsTheSameWay();
};

void HungarianTest::sameAsReference_data() {
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("expected");
    const auto row = [](const char* name, const QByteArray& a, const QByteArray& b, int expected) {
        QTest::newRow(name) << a << b << expected;
    };
    row("equal", "Kovács Béla", "Kovács Béla", 0);
    row("both empty", "", "", 0);
    row("empty first", "", "a", -1);
    row("Á among the A names", "Ábel", "Adorján", -1);
    row("Á before B", "Ázsia", "Bálint", -1);
    row("accent breaks a tie", "Ábel", "abel", 1);
    row("case breaks a tie last", "kis Anna", "Kis Anna", -1);
    row("cs after c", "Cukor", "Csaba", -1);
    row("dzs after dz", "Dzsida", "Dzurák", 1);
    row("doubled sz is sz twice", "kassza", "kasza", 1);
    row("doubled dzs", "briddzs", "bridzs", 1);
    row("doubled letter in capitals", "KASSZA", "kassza", 1);
    row("ö after o", "Ödön", "Ottó", 1);
    row("ő with ö", "Őze", "Ödön", 1);
    row("space before letters", "Kis Anna", "Kisasszony", -1);
    row("digits before letters", "12 Bt.", "Ábel", -1);
    row("prefix first", "Kovács", "Kovács Béla", -1);
    row("a double letter's first half", "Kovác", "Kovács", -1);
    row("text cut in a character", "Kov\xC3", "Kovács", -1);
    row("stray continuation byte", "a\x80", "a", 1);
    row("NUL inside", QByteArray("a\0b", 3), "a", 1);
}

void HungarianTest::sameAsReference() {
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, expected);
    QCOMPARE(reference(a, b), expected);
    QCOMPARE(fast(a, b), expected);
    QCOMPARE(fast(b, a), -expected);
}

void HungarianTest::millionRandomPairs() {
    NameMaker maker(20260);
    int disagreements = 0;
    int byCase = 0; // pairs that only case tells apart
    QStringList examples;
    for (int i = 0; i < 1000000; ++i) {
        const QByteArray a = maker.name();
        const QByteArray b = maker.variant(a);
        const int want = reference(a, b);
        const int got = fast(a, b);
        if (got != want) {
            if (++disagreements <= 5)
                examples << QStringLiteral("%1 | %2: %3 instead of %4")
                                .arg(QString::fromLatin1(a.toHex()), QString::fromLatin1(b.toHex()))
                                .arg(got)
                                .arg(want);
        } else if (want != 0 && QString::fromUtf8(a).toLower() == QString::fromUtf8(b).toLower()) {
            ++byCase;
        }
    }
    QVERIFY2(disagreements == 0, qPrintable(examples.join(QLatin1Char('\n'))));
    // The generator reaches the case level, not only the letters.
    QVERIFY(byCase > 10000);
}

void HungarianTest::everyCharacterNextToItsNeighbours() {
    // Each character of the Basic Multilingual Plane (and some beyond) where a
    // double letter could form around it, against the text without it, in
    // capitals, and with an s in its place; the Latin letters in every such
    // place.
    static const char* const around[] = {"", "c", "d", "dz", "s", "z", "g", "y", "n", "t", "l", "cs", "Sz"};
    static const std::pair<const char*, const char*> few[] = {{"", ""}, {"d", "zs"}, {"c", "s"}, {"s", "z"}};
    int disagreements = 0;
    QString first;
    const auto check = [&](char32_t c, const QByteArray& x, const QByteArray& y) {
        if (fast(x, y) != reference(x, y) && ++disagreements == 1)
            first = QStringLiteral("U+%1: %2 | %3")
                        .arg(uint(c), 4, 16, QLatin1Char('0'))
                        .arg(QString::fromLatin1(x.toHex()), QString::fromLatin1(y.toHex()));
    };
    const auto variants = [&](char32_t c, const QByteArray& before, const QByteArray& after) {
        const QByteArray a = before + utf8(c) + after;
        check(c, a, before + after);
        check(c, a, QString::fromUtf8(a).toUpper().toUtf8());
        check(c, a, before + "s" + after);
    };
    for (char32_t c = 1; c < 0x10000 + 0x400; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        if (c < 0x250) {
            for (const char* before : around)
                for (const char* after : around)
                    variants(c, before, after);
        } else {
            for (const auto& [before, after] : few)
                variants(c, before, after);
        }
    }
    QVERIFY2(disagreements == 0, qPrintable(first));
}

void HungarianTest::sortsTheSameWay() {
    // Sorting by either comparison gives one list; long texts (beyond the
    // reference's stack buffers) included.
    NameMaker maker(7);
    std::vector<QByteArray> names;
    for (int i = 0; i < 20000; ++i) {
        QByteArray n = maker.name();
        if (i % 100 == 0)
            n = n.repeated(60);
        names.push_back(n);
    }
    std::vector<QByteArray> byFast = names, byReference = names;
    std::stable_sort(byFast.begin(), byFast.end(),
                     [](const QByteArray& a, const QByteArray& b) { return fast(a, b) < 0; });
    std::stable_sort(byReference.begin(), byReference.end(),
                     [](const QByteArray& a, const QByteArray& b) { return reference(a, b) < 0; });
    QVERIFY(byFast == byReference);
    for (size_t i = 1; i < byFast.size(); ++i)
        QVERIFY(fast(byFast[i - 1], byFast[i]) <= 0);
}

QTEST_GUILESS_MAIN(HungarianTest)
#include "hungarian_test.moc"
