// The Unicode-aware UPPER, LOWER and LIKE and the collation HU as SQLite
// functions. Compiled into the program, where they are registered on every
// connection, and into the loadable extension (ORVIX_SQLITE_EXTENSION), where
// SQLite's calls go through the table of routines the loading tool hands over.
#include "common/Hungarian.h"

#ifdef ORVIX_SQLITE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif

#include <QByteArray>

namespace orvix {

namespace {

QString textArg(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void sqlUpper(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, textArg(argv[0]).toUpper());
}

void sqlLower(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, textArg(argv[0]).toLower());
}

// LIKE with % and _ on texts folded for search (case and accents ignored).
bool likeMatch(const QString& pattern, int pi, const QString& text, int ti, QChar escape) {
    while (pi < pattern.size()) {
        QChar p = pattern.at(pi);
        if (p == u'%' && p != escape) {
            while (pi < pattern.size() && pattern.at(pi) == u'%')
                ++pi;
            if (pi == pattern.size())
                return true;
            for (int k = ti; k <= text.size(); ++k)
                if (likeMatch(pattern, pi, text, k, escape))
                    return true;
            return false;
        }
        if (ti >= text.size())
            return false;
        if (p == u'_' && p != escape) {
            ++pi;
            ++ti;
            continue;
        }
        if (!escape.isNull() && p == escape && pi + 1 < pattern.size())
            p = pattern.at(++pi);
        if (p != text.at(ti))
            return false;
        ++pi;
        ++ti;
    }
    return ti == text.size();
}

void sqlLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // like(pattern, text[, escape])
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QChar escape;
    if (argc == 3) {
        const QString e = textArg(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0);
    }
    const QString pattern = foldForSearch(textArg(argv[0]));
    const QString text = foldForSearch(textArg(argv[1]));
    sqlite3_result_int(ctx, likeMatch(pattern, 0, text, 0, escape) ? 1 : 0);
}

int collateHu(void*, int na, const void* a, int nb, const void* b) {
    return compareHungarianUtf8(a, na, b, nb);
}

} // namespace

int registerHungarianFunctions(void* handle) {
    auto* db = static_cast<sqlite3*>(handle);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function(db, "upper", 1, flags, nullptr, sqlUpper, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "lower", 1, flags, nullptr, sqlLower, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 2, flags, nullptr, sqlLike, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 3, flags, nullptr, sqlLike, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation(db, "HU", SQLITE_UTF8, nullptr, collateHu);
    return rc;
}

} // namespace orvix
