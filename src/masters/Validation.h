// Checks of the identifiers a user types into the master data windows: the
// Hungarian tax number, the bank account number (Hungarian or IBAN), the EU
// tax number and the postcode. Each check returns Ok, a Warning (the value
// may be kept after the user confirms it) or an Error (the value must not be
// stored), with a Hungarian message for the user. An empty value is always
// Ok: whether a field is required is decided by the window.
//
// Foreign businesses have tax and account numbers of other forms, so a number
// that fails its check digits or does not have the Hungarian form is only
// questioned, never refused.
#pragma once

#include <QString>

namespace orvix {

enum class CheckLevel { Ok, Warning, Error };

struct CheckResult {
    CheckLevel level = CheckLevel::Ok;
    QString message;

    bool ok() const { return level == CheckLevel::Ok; }
    bool isError() const { return level == CheckLevel::Error; }
};

// Only the digits of text ("12345678-1-12" -> "12345678112").
QString digitsOnly(const QString& text);

// Hungarian tax number "12345678-1-12": 11 digits (hyphens and spaces are
// ignored). The 8th digit is the check digit of the first seven (weights
// 9, 7, 3, 1, 9, 7, 3; check digit = (10 - sum mod 10) mod 10), the 9th the
// VAT code 1–5, the last two a county code. Any other form, a wrong check
// digit, VAT code or county code is a Warning.
CheckResult checkTaxNumber(const QString& text);

// A bank account (hyphens and spaces ignored):
// - an IBAN (two letters, two check digits, then letters and digits, 15 to
//   34 characters in all) is checked with its mod-97 rule;
// - a Hungarian account of 2×8 or 3×8 digits: the first eight digits (bank
//   and branch) carry their own check digit; the rest (8 or 16 digits) is the
//   account number with its check digit as its last digit. Both parts use the
//   weights 9, 7, 3, 1 repeated and must sum to a multiple of 10;
// - any other form (a foreign account number) cannot be checked and is Ok.
// A failed check, or digits only but not 16 or 24 of them, is a Warning.
CheckResult checkBankAccount(const QString& text);

// An IBAN field: the value must be an IBAN passing its mod-97 check; anything
// else is a Warning.
CheckResult checkIban(const QString& text);
// Whether the text (separators ignored) has the form of an IBAN: two letters
// and two digits at its start.
bool looksLikeIban(const QString& text);

// EU tax number: a two-letter country prefix and 2 to 12 digits or letters
// (spaces ignored, letters in either case). For Hungary HU and exactly eight
// digits, the first eight of the tax number with their check digit. A value
// of any other form, a wrong check digit or a prefix that is not a member
// state's is a Warning.
CheckResult checkEuTaxNumber(const QString& text);

// Hungarian postcode: four digits, not starting with 0.
CheckResult checkPostcode(const QString& text);

// ---- Stored and shown forms ----------------------------------------------

// The tax number as stored: its 11 digits; text unchanged when it does not
// hold exactly 11 digits (so nothing typed is lost).
QString normalizeTaxNumber(const QString& text);
// 11 digits shown as "12345678-1-12"; other texts unchanged.
QString formatTaxNumber(const QString& stored);
// The bank account as "12345678-12345678[-12345678]" when it holds 16 or 24
// digits; other texts unchanged.
QString formatBankAccount(const QString& text);
// The bank account as stored: a Hungarian account as its 16 or 24 digits, an
// IBAN without separators in capitals, anything else trimmed.
QString normalizeBankAccount(const QString& text);
// The EU tax number without spaces, upper case ("hu 1234 5676" -> "HU12345676").
QString normalizeEuTaxNumber(const QString& text);

// Older data folders hold values typed before these checks existed. When the
// value was loaded from the folder and left unchanged, an Error is lowered to
// a Warning so the record can still be saved after the user confirms it.
CheckResult relaxForStoredValue(const CheckResult& result, bool unchangedFromStored);

// The question asked for a Warning: the message and "Mégis menti?".
QString warningQuestion(const CheckResult& result);

} // namespace orvix
