// Checks of the identifiers a user types into the master data windows: the
// Hungarian tax number, the bank account number, the EU tax number and the
// postcode. Each check returns Ok, a Warning (the value may be kept after the
// user confirms it) or an Error (the value must not be stored), with a
// Hungarian message for the user. An empty value is always Ok: whether a
// field is required is decided by the window.
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
// VAT code 1–5. An unknown county code (last two digits) is a warning.
CheckResult checkTaxNumber(const QString& text);

// Hungarian bank account of 2×8 or 3×8 digits (hyphens and spaces ignored).
// The first eight digits (bank and branch) carry their own check digit; the
// rest (8 or 16 digits) is the account number with its check digit as its
// last digit. Both parts use the weights 9, 7, 3, 1 repeated and must sum to
// a multiple of 10.
CheckResult checkBankAccount(const QString& text);

// EU tax number: a two-letter country prefix and 2 to 12 digits or letters
// (spaces ignored, letters in either case). For Hungary HU and exactly eight
// digits, the first eight of the tax number with their check digit. A prefix
// that is not a member state's is a warning.
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
// The EU tax number without spaces, upper case ("hu 1234 5676" -> "HU12345676").
QString normalizeEuTaxNumber(const QString& text);

// Older data folders hold values typed before these checks existed. When the
// value was loaded from the folder and left unchanged, an Error is lowered to
// a Warning so the record can still be saved after the user confirms it.
CheckResult relaxForStoredValue(const CheckResult& result, bool unchangedFromStored);

// The question asked for a Warning: the message and "Mégis elmenti?".
QString warningQuestion(const CheckResult& result);

} // namespace orvix
