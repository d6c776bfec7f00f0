// Hungarian alphabetical order and accent-insensitive matching, used by the
// engine's collation HU and its LIKE, and by the search boxes of the lists.
#include "common/Hungarian.h"

#include <QChar>
#include <QString>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orvix {

namespace {

struct Token {
    uint32_t primary;
    uint16_t secondary;
    uint8_t tertiary;
};

// Primary letters of the Hungarian alphabet in order; the double letters are
// letters of their own.
enum Letter : uint32_t {
    L_A = 0, L_B, L_C, L_CS, L_D, L_DZ, L_DZS, L_E, L_F, L_G, L_GY, L_H, L_I, L_J, L_K, L_L, L_LY,
    L_M, L_N, L_NY, L_O, L_OE, L_P, L_Q, L_R, L_S, L_SZ, L_T, L_TY, L_U, L_UE, L_V, L_W, L_X, L_Y,
    L_Z, L_ZS
};

constexpr uint32_t kPunctBase = 0x100;      // spaces and punctuation first
constexpr uint32_t kDigitBase = 0x30000;    // then digits
constexpr uint32_t kLetterBase = 0x30100;   // then the Hungarian letters
constexpr uint32_t kOtherBase = 0x40000;    // then letters of other scripts

uint32_t simpleLetter(char32_t c) {
    static constexpr uint32_t map[26] = {L_A, L_B, L_C, L_D, L_E, L_F, L_G, L_H, L_I, L_J, L_K, L_L, L_M,
                                         L_N, L_O, L_P, L_Q, L_R, L_S, L_T, L_U, L_V, L_W, L_X, L_Y, L_Z};
    return map[c - U'a'];
}

// Base letter and accent rank of one lower-case character. Returns false when
// the character is not a Latin letter.
bool latinLetter(char32_t c, char32_t& base, uint16_t& accent) {
    if (c >= U'a' && c <= U'z') {
        base = c;
        accent = 0;
        return true;
    }
    switch (c) {
    case U'á': base = U'a'; accent = 1; return true;
    case U'é': base = U'e'; accent = 1; return true;
    case U'í': base = U'i'; accent = 1; return true;
    case U'ó': base = U'o'; accent = 1; return true;
    case U'ú': base = U'u'; accent = 1; return true;
    case U'ö': base = U'ö'; accent = 0; return true;
    case U'ő': case U'õ': base = U'ö'; accent = 1; return true;
    case U'ü': base = U'ü'; accent = 0; return true;
    case U'ű': case U'û': base = U'ü'; accent = 1; return true;
    default: break;
    }
    if (c < 0x80)
        return false;
    const QString decomposition = QChar::decomposition(c);
    if (decomposition.size() >= 2) {
        const char16_t first = decomposition.at(0).unicode();
        if (first >= u'a' && first <= u'z') {
            base = first;
            accent = uint16_t(2 + (decomposition.at(1).unicode() & 0xff));
            return true;
        }
    }
    return false;
}

char32_t lowerOf(char32_t c) {
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    return QChar::toLower(c);
}

bool isUpper(char32_t c) {
    if (c < 0x80)
        return c >= U'A' && c <= U'Z';
    return QChar::isUpper(c);
}

// The double letter that the lower-case letters a and b begin: its length
// (0 when none) and its letter. third() gives the letter after them; it is
// read only for "dz", which may go on to "dzs".
template <class Third> int doubleLetterOf(char32_t a, char32_t b, Third third, uint32_t& letter) {
    if (a == U'd' && b == U'z') {
        if (third() == U's') {
            letter = L_DZS;
            return 3;
        }
        letter = L_DZ;
        return 2;
    }
    if (a == U'c' && b == U's') { letter = L_CS; return 2; }
    if (a == U'g' && b == U'y') { letter = L_GY; return 2; }
    if (a == U'l' && b == U'y') { letter = L_LY; return 2; }
    if (a == U'n' && b == U'y') { letter = L_NY; return 2; }
    if (a == U's' && b == U'z') { letter = L_SZ; return 2; }
    if (a == U't' && b == U'y') { letter = L_TY; return 2; }
    if (a == U'z' && b == U's') { letter = L_ZS; return 2; }
    return 0;
}

// Length of the double letter starting at lower-case position i (0 when none)
// and its letter.
int doubleLetter(const char32_t* s, int n, int i, uint32_t& letter) {
    auto at = [&](int k) -> char32_t { return k < n ? lowerOf(s[k]) : 0; };
    return doubleLetterOf(at(i), at(i + 1), [&] { return at(i + 2); }, letter);
}

int tokenize(const char32_t* s, int n, Token* out) {
    int count = 0;
    int i = 0;
    while (i < n) {
        const char32_t raw = s[i];
        const char32_t c = lowerOf(raw);
        const uint8_t tertiary = isUpper(raw) ? 1 : 0;
        uint32_t letter = 0;
        // A doubled double letter ("ssz", "ccs", "ddzs") is the letter twice.
        if (i + 1 < n && lowerOf(s[i + 1]) == c) {
            const int len = doubleLetter(s, n, i + 1, letter);
            if (len > 0) {
                const Token t{kLetterBase + letter * 4, 0, tertiary};
                out[count++] = t;
                out[count++] = t;
                i += 1 + len;
                continue;
            }
        }
        const int len = doubleLetter(s, n, i, letter);
        if (len > 0) {
            out[count++] = Token{kLetterBase + letter * 4, 0, tertiary};
            i += len;
            continue;
        }
        char32_t base;
        uint16_t accent;
        if (latinLetter(c, base, accent)) {
            uint32_t l;
            if (base == U'ö')
                l = L_OE;
            else if (base == U'ü')
                l = L_UE;
            else
                l = simpleLetter(base);
            out[count++] = Token{kLetterBase + l * 4, accent, tertiary};
        } else if (c >= U'0' && c <= U'9') {
            out[count++] = Token{kDigitBase + uint32_t(c - U'0'), 0, 0};
        } else if (QChar::isLetterOrNumber(c)) {
            out[count++] = Token{kOtherBase + uint32_t(c), 0, tertiary};
        } else {
            out[count++] = Token{kPunctBase + uint32_t(c), 0, 0};
        }
        ++i;
    }
    return count;
}

int compareTokens(const Token* a, int na, const Token* b, int nb) {
    const int n = std::min(na, nb);
    for (int i = 0; i < n; ++i)
        if (a[i].primary != b[i].primary)
            return a[i].primary < b[i].primary ? -1 : 1;
    if (na != nb)
        return na < nb ? -1 : 1;
    for (int i = 0; i < n; ++i)
        if (a[i].secondary != b[i].secondary)
            return a[i].secondary < b[i].secondary ? -1 : 1;
    for (int i = 0; i < n; ++i)
        if (a[i].tertiary != b[i].tertiary)
            return a[i].tertiary < b[i].tertiary ? -1 : 1;
    return 0;
}

// Decodes UTF-8 into code points; malformed bytes stand for themselves.
int decodeUtf8(const unsigned char* p, int len, char32_t* out) {
    int n = 0;
    int i = 0;
    while (i < len) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out[n++] = c;
            i += 1;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < len) {
            out[n++] = char32_t(((c & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < len) {
            out[n++] = char32_t(((c & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
            i += 3;
        } else if ((c & 0xF8) == 0xF0 && i + 3 < len) {
            out[n++] = char32_t(((c & 0x07) << 18) | ((p[i + 1] & 0x3F) << 12) | ((p[i + 2] & 0x3F) << 6) |
                                (p[i + 3] & 0x3F));
            i += 4;
        } else {
            out[n++] = c;
            i += 1;
        }
    }
    return n;
}

// Holds code points and tokens on the stack for ordinary field lengths.
struct Scratch {
    std::array<char32_t, 256> chars;
    std::array<Token, 256> tokens;
    std::vector<char32_t> bigChars;
    std::vector<Token> bigTokens;
    char32_t* charBuffer(int n) {
        if (n <= int(chars.size()))
            return chars.data();
        bigChars.resize(size_t(n));
        return bigChars.data();
    }
    Token* tokenBuffer(int n) {
        if (n <= int(tokens.size()))
            return tokens.data();
        bigTokens.resize(size_t(n));
        return bigTokens.data();
    }
};

// ---- The comparison letter by letter -----------------------------------------
//
// The collation compares the texts of an index entry by entry, mostly texts
// that differ early or are equal. The comparison below reads both texts one
// letter at a time, decoding UTF-8 on the way, and stops at the first letter
// that differs in the primary order; accents and case only matter when every
// letter agrees, and their first difference is noted on the way. Characters
// that cannot begin a double letter come from a table; only c, d, g, l, n, s,
// t and z look ahead. It gives the same result as
// compareHungarianUtf8Reference, which splits both texts whole first.

// The token of one character that stands on its own.
Token singleToken(char32_t raw) {
    const char32_t c = lowerOf(raw);
    const uint8_t tertiary = isUpper(raw) ? 1 : 0;
    char32_t base;
    uint16_t accent;
    if (latinLetter(c, base, accent)) {
        uint32_t l;
        if (base == U'ö')
            l = L_OE;
        else if (base == U'ü')
            l = L_UE;
        else
            l = simpleLetter(base);
        return Token{kLetterBase + l * 4, accent, tertiary};
    }
    if (c >= U'0' && c <= U'9')
        return Token{kDigitBase + uint32_t(c - U'0'), 0, 0};
    if (QChar::isLetterOrNumber(c))
        return Token{kOtherBase + uint32_t(c), 0, tertiary};
    return Token{kPunctBase + uint32_t(c), 0, 0};
}

// A character whose lower-case form may begin a double letter: its token
// depends on the characters after it.
bool startsDoubleLetter(char32_t lower) {
    switch (lower) {
    case U'c': case U'd': case U'g': case U'l': case U'n': case U's': case U't': case U'z':
        return true;
    default:
        return false;
    }
}

// Latin letters with their accents (and everything below them) are looked up.
constexpr char32_t kTableSize = 0x250;

struct CharEntry {
    Token token;
    char32_t lower;
    bool lookAhead;    // may begin a double letter
    bool inDouble;     // may be any part of a double letter
};

struct CharTable {
    std::array<CharEntry, kTableSize> entries;
    CharTable() {
        for (char32_t c = 0; c < kTableSize; ++c) {
            const char32_t lower = lowerOf(c);
            entries[c] = CharEntry{singleToken(c), lower, startsDoubleLetter(lower),
                                   startsDoubleLetter(lower) || lower == U's' || lower == U'y' || lower == U'z'};
        }
    }
};

const CharTable& charTable() {
    static const CharTable table;
    return table;
}

// Decodes one code point at pos exactly as decodeUtf8 does and moves pos on.
inline char32_t decodeOne(const unsigned char* p, int len, int& pos) {
    const int i = pos;
    const unsigned char c = p[i];
    if (c < 0x80) {
        pos = i + 1;
        return c;
    }
    if ((c & 0xE0) == 0xC0 && i + 1 < len) {
        pos = i + 2;
        return char32_t(((c & 0x1F) << 6) | (p[i + 1] & 0x3F));
    }
    if ((c & 0xF0) == 0xE0 && i + 2 < len) {
        pos = i + 3;
        return char32_t(((c & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
    }
    if ((c & 0xF8) == 0xF0 && i + 3 < len) {
        pos = i + 4;
        return char32_t(((c & 0x07) << 18) | ((p[i + 1] & 0x3F) << 12) | ((p[i + 2] & 0x3F) << 6) |
                        (p[i + 3] & 0x3F));
    }
    pos = i + 1;
    return c;
}

// The double letter that the lower-case letters a, b, c begin and its length
// in letters (0 when none); c only counts after "dz".
inline int doubleLetterOf(char32_t a, char32_t b, char32_t c, uint32_t& letter) {
    switch (a) {
    case U'c': if (b == U's') { letter = L_CS; return 2; } return 0;
    case U'd':
        if (b != U'z')
            return 0;
        if (c == U's') {
            letter = L_DZS;
            return 3;
        }
        letter = L_DZ;
        return 2;
    case U'g': if (b == U'y') { letter = L_GY; return 2; } return 0;
    case U'l': if (b == U'y') { letter = L_LY; return 2; } return 0;
    case U'n': if (b == U'y') { letter = L_NY; return 2; } return 0;
    case U's': if (b == U'z') { letter = L_SZ; return 2; } return 0;
    case U't': if (b == U'y') { letter = L_TY; return 2; } return 0;
    case U'z': if (b == U's') { letter = L_ZS; return 2; } return 0;
    default: return 0;
    }
}

// The tokens of a UTF-8 text, one at a time.
class TokenReader {
public:
    TokenReader(const void* text, int len)
        : m_p(static_cast<const unsigned char*>(text)), m_len(len), m_table(charTable().entries.data()) {}

    // The next token; false at the end of the text.
    bool next(Token& t) {
        if (m_pending) {
            m_pending = false;
            t = m_pendingToken;
            return true;
        }
        if (m_ahead == 0) {
            if (m_pos >= m_len)
                return false;
            const unsigned char b = m_p[m_pos];
            if (b < 0x80) {
                const CharEntry& e = m_table[b];
                if (!e.lookAhead) {
                    t = e.token;
                    ++m_pos;
                    return true;
                }
                if (asciiLetter(e, t))
                    return true;
            } else {
                const char32_t raw = decodeOne(m_p, m_len, m_pos);
                if (raw < kTableSize && !m_table[raw].lookAhead) {
                    t = m_table[raw].token;
                    return true;
                }
                m_buffer[0] = raw;
                m_ahead = 1;
            }
        }
        // Characters beyond the table, and letters followed by one.
        char32_t raw;
        if (!peek(0, raw))
            return false;
        if (raw < kTableSize && !m_table[raw].lookAhead) {
            t = m_table[raw].token;
            consume(1);
            return true;
        }
        const char32_t c = lowerOf(raw);
        const uint8_t tertiary = isUpper(raw) ? 1 : 0;
        uint32_t letter = 0;
        // A doubled double letter ("ssz", "ccs", "ddzs") is the letter twice.
        char32_t second;
        if (peek(1, second) && lowerOf(second) == c) {
            const int len = doubleLetterAt(1, letter);
            if (len > 0) {
                t = Token{kLetterBase + letter * 4, 0, tertiary};
                m_pendingToken = t;
                m_pending = true;
                consume(1 + len);
                return true;
            }
        }
        const int len = doubleLetterAt(0, letter);
        if (len > 0) {
            t = Token{kLetterBase + letter * 4, 0, tertiary};
            consume(len);
            return true;
        }
        t = raw < kTableSize ? m_table[raw].token : singleToken(raw);
        consume(1);
        return true;
    }

private:
    // A letter that may begin a double letter, when the three bytes after it
    // are ASCII characters (or the end): decided on the bytes. False (and
    // nothing read) otherwise.
    bool asciiLetter(const CharEntry& e, Token& t) {
        char32_t next[3] = {0, 0, 0};
        const int rest = std::min(3, m_len - m_pos - 1);
        for (int k = 0; k < rest; ++k) {
            const unsigned char b = m_p[m_pos + 1 + k];
            if (b >= 0x80)
                return false;
            next[k] = m_table[b].lower;
        }
        uint32_t letter = 0;
        if (next[0] == e.lower) {
            const int len = doubleLetterOf(next[0], next[1], next[2], letter);
            if (len > 0) {
                t = Token{kLetterBase + letter * 4, 0, e.token.tertiary};
                m_pendingToken = t;
                m_pending = true;
                m_pos += 1 + len;
                return true;
            }
        }
        const int len = doubleLetterOf(e.lower, next[0], next[1], letter);
        if (len > 0) {
            t = Token{kLetterBase + letter * 4, 0, e.token.tertiary};
            m_pos += len;
            return true;
        }
        t = e.token;
        ++m_pos;
        return true;
    }

    // The k-th code point from the current one (k < 4).
    bool peek(int k, char32_t& c) {
        while (m_ahead <= k) {
            if (m_pos >= m_len)
                return false;
            m_buffer[m_ahead++] = decodeOne(m_p, m_len, m_pos);
        }
        c = m_buffer[k];
        return true;
    }
    char32_t lowerAt(int k) {
        char32_t c;
        return peek(k, c) ? lowerOf(c) : 0;
    }
    void consume(int n) {
        for (int i = n; i < m_ahead; ++i)
            m_buffer[i - n] = m_buffer[i];
        m_ahead -= n;
    }
    // Length of the double letter starting k code points ahead (0 when none).
    int doubleLetterAt(int k, uint32_t& letter) {
        const char32_t a = lowerAt(k);
        if (!startsDoubleLetter(a))
            return 0;
        return doubleLetterOf(a, lowerAt(k + 1), [&] { return lowerAt(k + 2); }, letter);
    }

    const unsigned char* m_p;
    int m_len;
    const CharEntry* m_table;
    int m_pos = 0;            // first byte not decoded yet
    char32_t m_buffer[4] = {}; // decoded code points not yet consumed
    int m_ahead = 0;
    Token m_pendingToken{};   // the second half of a doubled double letter
    bool m_pending = false;
};

// The length of the bytes both texts begin with that are split into the same
// letters in both whatever follows: up to the end of the last character in
// them that no double letter includes (texts of the index that sort near
// each other share long beginnings). Only ASCII and well-formed two-byte
// characters are passed.
int sharedPrefix(const unsigned char* a, int na, const unsigned char* b, int nb) {
    const CharEntry* table = charTable().entries.data();
    const int n = std::min(na, nb);
    int i = 0, safe = 0;
    while (i < n && a[i] == b[i]) {
        const unsigned char c = a[i];
        if (c < 0x80) {
            ++i;
            if (!table[c].inDouble)
                safe = i;
            continue;
        }
        if (c < 0xC2 || c > 0xDF || i + 1 >= n || a[i + 1] != b[i + 1] || (a[i + 1] & 0xC0) != 0x80)
            break;
        const char32_t cp = char32_t(((c & 0x1F) << 6) | (a[i + 1] & 0x3F));
        i += 2;
        if (cp < kTableSize && !table[cp].inDouble)
            safe = i;
        else if (cp >= kTableSize)
            break;
    }
    return safe;
}

// Identical texts last: equal letters, accents and case still leave
// different bytes apart (unnormalised accents), so that only identical texts
// compare equal.
int compareBytes(const void* a, int na, const void* b, int nb) {
    const int n = std::min(na, nb);
    const int m = n > 0 ? std::memcmp(a, b, size_t(n)) : 0;
    if (m != 0)
        return m < 0 ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

} // namespace

int compareHungarianUtf8Reference(const void* a, int na, const void* b, int nb) {
    Scratch sa, sb;
    char32_t* ca = sa.charBuffer(na);
    char32_t* cb = sb.charBuffer(nb);
    const int la = decodeUtf8(static_cast<const unsigned char*>(a), na, ca);
    const int lb = decodeUtf8(static_cast<const unsigned char*>(b), nb, cb);
    Token* ta = sa.tokenBuffer(la);
    Token* tb = sb.tokenBuffer(lb);
    const int ka = tokenize(ca, la, ta);
    const int kb = tokenize(cb, lb, tb);
    const int r = compareTokens(ta, ka, tb, kb);
    if (r != 0)
        return r;
    return compareBytes(a, na, b, nb);
}

int compareHungarianUtf8(const void* a, int na, const void* b, int nb) {
    if (na == nb && (na == 0 || std::memcmp(a, b, size_t(na)) == 0))
        return 0;
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    const int skip = sharedPrefix(pa, na, pb, nb);
    TokenReader ra(pa + skip, na - skip), rb(pb + skip, nb - skip);
    int secondary = 0, tertiary = 0;
    Token ta, tb;
    for (;;) {
        const bool hasA = ra.next(ta);
        const bool hasB = rb.next(tb);
        if (!hasA || !hasB) {
            // One text is a prefix of the other in letters: the shorter first.
            if (hasA != hasB)
                return hasA ? 1 : -1;
            break;
        }
        if (ta.primary != tb.primary)
            return ta.primary < tb.primary ? -1 : 1;
        if (secondary == 0 && ta.secondary != tb.secondary)
            secondary = ta.secondary < tb.secondary ? -1 : 1;
        if (tertiary == 0 && ta.tertiary != tb.tertiary)
            tertiary = ta.tertiary < tb.tertiary ? -1 : 1;
    }
    if (secondary != 0)
        return secondary;
    if (tertiary != 0)
        return tertiary;
    return compareBytes(a, na, b, nb);
}

int compareHungarian(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compareHungarianUtf8(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
}

QString foldForSearch(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80) {
            out.append(QChar((c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c));
            continue;
        }
        const char32_t lower = QChar::toLower(char32_t(c));
        char32_t base;
        uint16_t accent;
        if (latinLetter(lower, base, accent)) {
            if (base == U'ö')
                base = U'o';
            else if (base == U'ü')
                base = U'u';
            out.append(QChar(char16_t(base)));
        } else {
            out.append(QChar(char16_t(lower)));
        }
    }
    return out;
}

} // namespace orvix
