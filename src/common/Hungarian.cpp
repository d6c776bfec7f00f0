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

// Length of the double letter starting at lower-case position i (0 when none)
// and its letter.
int doubleLetter(const char32_t* s, int n, int i, uint32_t& letter) {
    auto at = [&](int k) -> char32_t { return k < n ? lowerOf(s[k]) : 0; };
    const char32_t a = at(i), b = at(i + 1);
    if (a == U'd' && b == U'z') {
        if (at(i + 2) == U's') {
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

} // namespace

int compareHungarianUtf8(const void* a, int na, const void* b, int nb) {
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
    // Only identical texts are equal.
    const int m = std::memcmp(a, b, size_t(std::min(na, nb)));
    if (m != 0)
        return m < 0 ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
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
