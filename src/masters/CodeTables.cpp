#include "masters/CodeTables.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "core/Users.h"

#include <QHash>

namespace orvix {

namespace {

const QString kIncome = QStringLiteral("Bevétel");
const QString kExpense = QStringLiteral("Kiadás");

bool isProtectedCashType(const QVariant& code) {
    const QString c = varText(code).trimmed().toUpper();
    return c == QLatin1String("B") || c == QLatin1String("V");
}

ColumnDesc col(const char* field, const QString& caption, double share, FieldKind kind = FieldKind::Text) {
    ColumnDesc c;
    c.field = QLatin1String(field);
    c.caption = caption;
    c.kind = kind;
    c.share = share;
    return c;
}

ColumnDesc fixedCol(const char* field, const QString& caption, int width, FieldKind kind) {
    ColumnDesc c = col(field, caption, 0, kind);
    c.fixedWidth = width;
    return c;
}

EditFieldDesc fld(const QString& label, const char* field, FieldKind kind = FieldKind::Text) {
    EditFieldDesc f;
    f.label = label;
    f.field = QLatin1String(field);
    f.kind = kind;
    return f;
}

EditFieldDesc keyFld(const QString& label, const char* field) {
    EditFieldDesc f = fld(label, field);
    f.required = true;
    return f;
}

EditFieldDesc numberFld(const QString& label, const char* field, FieldKind kind, double minimum) {
    EditFieldDesc f = fld(label, field, kind);
    f.minimum = minimum;
    return f;
}

CodeTableWindowDesc paymentMethods() {
    CodeTableDesc d;
    d.table = QStringLiteral("fiztip");
    d.keyField = QStringLiteral("fiztip");
    d.firstSortField = QStringLiteral("fiztip_nev");
    d.widthReserve = 271;
    d.columns = {col("fiztip_nev", QStringLiteral("fizetési típus"), 1),
                 fixedCol("fizetve", QStringLiteral("azonnali"), 77, FieldKind::Flag),
                 fixedCol("fizhat", QStringLiteral("fiz.hat (nap)"), 77, FieldKind::Integer),
                 fixedCol("kellkerek", QStringLiteral("kerekítés"), 77, FieldKind::Flag)};
    d.editCaption = QStringLiteral("Fizetési mód szerkesztése");
    d.editWindowName = QStringLiteral("Tfrm_TorzsFiztipSzerk");
    EditFieldDesc name = fld(QStringLiteral("Fizetési típus"), "fiztip_nev");
    name.required = true;
    d.fields = {name,
                fld(QStringLiteral("Azonnali kifizetés"), "fizetve", FieldKind::Flag),
                numberFld(QStringLiteral("Fiz.hat (nap)"), "fizhat", FieldKind::Integer, 0),
                fld(QStringLiteral("Kell kerekítés (5 Ft-ra)"), "kellkerek", FieldKind::Flag),
                fld(QStringLiteral("Kassza"), "cassak", FieldKind::CashDesk),
                fld(QStringLiteral("Kód a könyvelőprogramban"), "konyvelokod")};
    d.newKey = NewKeyRule::AutoIncrement;
    d.defaults = {{QStringLiteral("fizhat"), 0},
                  {QStringLiteral("kellkerek"), QStringLiteral("N")},
                  {QStringLiteral("fizetve"), QStringLiteral("N")},
                  {QStringLiteral("cassak"), 0}};
    d.resultFields = {QStringLiteral("fizetve"), QStringLiteral("fizhat")};
    // An immediate payment has no payment term.
    d.beforeSave = [](CodeTableRow& row) {
        if (varText(row.value(QStringLiteral("fizetve"))) == QLatin1String("I"))
            row.insert(QStringLiteral("fizhat"), 0);
    };
    return {CodeTableId::PaymentMethods,
            QStringLiteral("Fizetési módok"),
            QStringLiteral("Fizetési módok  "),
            QStringLiteral("Tfrm_TorzsFiztip"),
            QStringLiteral("Sor törlése"),
            std::nullopt,
            false,
            {d}};
}

// A member of a code and a name (origins, categories).
CodeTableDesc codeAndName(const char* table, const char* nameField, const QString& codeCaption,
                          const QString& nameCaption, const QString& editCaption,
                          const QString& editWindowName, const QString& nameLabel) {
    CodeTableDesc d;
    d.table = QLatin1String(table);
    d.keyField = QLatin1String(table);
    d.firstSortField = d.keyField;
    d.columns = {col(table, codeCaption, 0.33), col(nameField, nameCaption, 0.67)};
    d.editCaption = editCaption;
    d.editWindowName = editWindowName;
    d.fields = {keyFld(QStringLiteral("Azonosító"), table), fld(nameLabel, nameField)};
    return d;
}

CodeTableWindowDesc origins() {
    return {CodeTableId::Origins,
            QStringLiteral("Származás"),
            QStringLiteral("Származás kódok  "),
            QStringLiteral("Tfrm_TorzsSzarmazas"),
            QStringLiteral("Sor törlése"),
            Right::Write,
            false,
            {codeAndName("szarmazas", "szarmazas_nev", QStringLiteral("kód"), QStringLiteral("megnevezés"),
                         QStringLiteral("Termék származás szerkesztés"),
                         QStringLiteral("Tfrm_TorzsSzarmazasSzerk"), QStringLiteral("Származás"))}};
}

CodeTableWindowDesc categories() {
    return {CodeTableId::Categories,
            QStringLiteral("Termék kategóriák"),
            QStringLiteral("Termék kategóriák  "),
            QStringLiteral("Tfrm_TorzsKategoria"),
            QStringLiteral("Sor törlése"),
            Right::Write,
            false,
            {codeAndName("kategoria", "kategoria_nev", QStringLiteral("#"), QStringLiteral("kategória"),
                         QStringLiteral("Termék kategória szerkesztés"),
                         QStringLiteral("Tfrm_TorzsKategoriaSzerk"), QStringLiteral("Termék kategória"))}};
}

CodeTableWindowDesc units() {
    CodeTableDesc d;
    d.table = QStringLiteral("mert");
    d.keyField = QStringLiteral("mert");
    d.firstSortField = d.keyField;
    d.search = SearchRule::FixedField;
    d.searchField = QStringLiteral("mert");
    d.columns = {col("mert", QStringLiteral("mértékegység"), 1)};
    d.editCaption = QStringLiteral("Mértékegységek");
    d.editWindowName = QStringLiteral("Tfrm_TorzsMertSzerk");
    d.fields = {keyFld(QStringLiteral("Mértékegység"), "mert")};
    return {CodeTableId::Units,
            QStringLiteral("Mértékegységek"),
            QStringLiteral("Mértékegységek  "),
            QStringLiteral("Tfrm_TorzsMert"),
            QStringLiteral("Sor törlése"),
            Right::Write,
            false,
            {d}};
}

CodeTableWindowDesc tariffNumbers() {
    CodeTableDesc v;
    v.table = QStringLiteral("vtsz");
    v.keyField = QStringLiteral("vtsz");
    v.pageTitle = QStringLiteral("Vámtarifaszámok");
    v.firstSortField = v.keyField;
    v.columns = {col("vtsz", QStringLiteral("vtsz"), 0.33),
                 col("vtsz_nev", QStringLiteral("megnevezés"), 0.67)};
    v.editCaption = QStringLiteral("VTSZ szerkesztés");
    v.editWindowName = QStringLiteral("Tfrm_TorzsVtszSzerk");
    v.fields = {keyFld(QStringLiteral("vtsz"), "vtsz"), fld(QStringLiteral("név"), "vtsz_nev"),
                fld(QStringLiteral("mértékegység (csak INTRASTAT jelentésnél fontos!)"), "vtsz_mert")};
    v.presetMatch = PresetMatch::WholeKey;

    CodeTableDesc s;
    s.table = QStringLiteral("szj");
    s.keyField = QStringLiteral("szj");
    s.pageTitle = QStringLiteral("SZJ");
    s.firstSortField = s.keyField;
    s.columns = {col("szj", QStringLiteral("szj"), 0.33), col("szj_nev", QStringLiteral("megnevezés"), 0.67)};
    s.editCaption = QStringLiteral("SZJ szerkesztés");
    s.editWindowName = QStringLiteral("Tfrm_TorzsSzjSzerk");
    s.fields = {keyFld(QStringLiteral("szj"), "szj"), fld(QStringLiteral("megnevezés"), "szj_nev"),
                fld(QStringLiteral("típus"), "szj_tipus")};
    s.presetMatch = PresetMatch::WholeKey;

    return {CodeTableId::TariffNumbers,
            QStringLiteral("VTSZ / SZJ"),
            QStringLiteral("VTSZ - SZJ"),
            QStringLiteral("Tfrm_TorzsVtsz"),
            QStringLiteral("Sor törlése"),
            std::nullopt,
            false,
            {v, s}};
}

CodeTableWindowDesc currencies() {
    CodeTableDesc d;
    d.table = QStringLiteral("vat");
    d.keyField = QStringLiteral("vat");
    d.firstSortField = d.keyField;
    d.search = SearchRule::FixedField;
    d.searchField = QStringLiteral("vat");
    d.columns = {col("vat", QStringLiteral("devizanem"), 0.25),
                 col("bankszamla", QStringLiteral("bankszámla"), 0.75)};
    d.editCaption = QStringLiteral("Devizanem");
    d.editWindowName = QStringLiteral("Tfrm_TorzsVatSzerk");
    EditFieldDesc code = keyFld(QStringLiteral("Devizanem"), "vat");
    code.upperCase = true;
    EditFieldDesc account = fld(QStringLiteral("bankszámla"), "bankszamla");
    account.check = &checkBankAccount;
    d.fields = {code, account};
    return {CodeTableId::Currencies,
            QStringLiteral("Devizanemek"),
            QStringLiteral("Devizanemek  "),
            QStringLiteral("Tfrm_TorzsVat"),
            QStringLiteral("Sor törlése"),
            std::nullopt,
            false,
            {d}};
}

CodeTableWindowDesc documentTypes() {
    CodeTableDesc d;
    d.table = QStringLiteral("prntip");
    d.keyField = QStringLiteral("prntip");
    d.firstSortField = d.keyField;
    d.search = SearchRule::None;
    d.titleClickFocusesSearch = false;
    d.columns = {col("prntip", QStringLiteral("betűkód"), 0.1),
                 col("prntip_nev", QStringLiteral("megnevezés"), 0.3),
                 col("prntip_nev1", QStringLiteral("angolul"), 0.3),
                 col("prntip_nev2", QStringLiteral("más nyelven"), 0.3)};
    d.editCaption = QStringLiteral("Számlatípus szerkesztés");
    d.editWindowName = QStringLiteral("Tfrm_TorzsPrntipSzerk");
    // The letter is what documents and their numbering refer to: it is shown, not changed.
    EditFieldDesc letter = keyFld(QStringLiteral("betűkód"), "prntip");
    letter.readOnlyWhenEditing = true;
    d.fields = {letter,
                fld(QStringLiteral("számla típus megnevezés"), "prntip_nev"),
                fld(QStringLiteral("számla típus megnevezés (angol)"), "prntip_nev1"),
                fld(QStringLiteral("számla típus megnevezés (más nyelv)"), "prntip_nev2"),
                fld(QStringLiteral("összeg szöveg"), "osszegszoveg"),
                fld(QStringLiteral("összeg szöveg angolul"), "osszegszoveg1"),
                fld(QStringLiteral("összeg szöveg más nyelven"), "osszegszoveg2")};
    d.canAdd = false;
    d.canDelete = false;
    return {CodeTableId::DocumentTypes,
            QStringLiteral("Számla típusok"),
            QStringLiteral("Számla típusok  "),
            QStringLiteral("Tfrm_TorzsPrntip"),
            QStringLiteral("Sor törlése"),
            std::nullopt,
            false,
            {d}};
}

CodeTableWindowDesc labelLayouts() {
    CodeTableDesc d;
    d.table = QStringLiteral("cimke");
    d.keyField = QStringLiteral("cimke");
    d.firstSortField = d.keyField;
    d.search = SearchRule::None;
    d.titleClickFocusesSearch = false;
    d.columns = {col("cimke", QStringLiteral("címke"), 1)};
    d.editCaption = QStringLiteral("Címke szerkesztés");
    d.editWindowName = QStringLiteral("Tfrm_TorzsCimkeSzerk");
    d.fields = {keyFld(QStringLiteral("címke"), "cimke"),
                numberFld(QStringLiteral("felső margó"), "felsomargo", FieldKind::Float, 0),
                numberFld(QStringLiteral("szélső margó"), "szelsomargo", FieldKind::Float, 0),
                numberFld(QStringLiteral("címke magasság"), "cimkemagas", FieldKind::Float, 0),
                numberFld(QStringLiteral("oszlopok száma"), "oszlop", FieldKind::Integer, 1)};
    d.defaults = {{QStringLiteral("felsomargo"), 0.0},
                  {QStringLiteral("szelsomargo"), 0.0},
                  {QStringLiteral("cimkemagas"), 0.0},
                  {QStringLiteral("oszlop"), 1}};
    d.presetMatch = PresetMatch::WholeKey;
    d.resultFields = {QStringLiteral("felsomargo"), QStringLiteral("szelsomargo"),
                      QStringLiteral("cimkemagas"), QStringLiteral("oszlop")};
    return {CodeTableId::LabelLayouts,
            QStringLiteral("Címkék"),
            QStringLiteral("Címkék  "),
            QStringLiteral("Tfrm_TorzsCimke"),
            QStringLiteral("Sor törlése"),
            std::nullopt,
            false,
            {d}};
}

CodeTableWindowDesc cashDesks() {
    CodeTableDesc d;
    d.table = QStringLiteral("cassak");
    d.keyField = QStringLiteral("cassak");
    d.firstSortField = QStringLiteral("cassak_nev");
    d.columns = {col("cassak_nev", QStringLiteral("név"), 0.7), col("vat", QStringLiteral("devizanem"), 0.3)};
    d.editCaption = QStringLiteral("Kassza adatai");
    d.editWindowName = QStringLiteral("Tfrm_TorzsCassakSzerk");
    EditFieldDesc name = fld(QStringLiteral("név"), "cassak_nev");
    name.required = true;
    EditFieldDesc currency = fld(QStringLiteral("devizanem"), "vat", FieldKind::Currency);
    currency.required = true;
    d.fields = {name, currency};
    d.newKey = NewKeyRule::NextNumber;
    d.changeRight = Right::Administrator;
    d.defaults = {{QStringLiteral("vat"), QStringLiteral("HUF")}};
    d.resultFields = {QStringLiteral("cassak_nev")};
    d.deleteRefusal = [](Database& db, const CodeTableRow& row) {
        const qint64 desk = varInt(row.value(QStringLiteral("cassak")), -1);
        if (desk == 0)
            return kBasicCashDeskMessage;
        if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa WHERE cassak=?;"), 0, {desk}) > 0)
            return kCashDeskInUseMessage;
        return QString();
    };
    return {CodeTableId::CashDesks,
            QStringLiteral("Kasszák"),
            QStringLiteral("Kasszák  "),
            QStringLiteral("Tfrm_TorzsCassak"),
            QStringLiteral("Töröl"),
            std::nullopt,
            true,
            {d}};
}

CodeTableWindowDesc cashMovementTypes() {
    CodeTableDesc d;
    d.table = QStringLiteral("cassatip");
    d.keyField = QStringLiteral("cassatip");
    d.firstSortField = d.keyField;
    d.columns = {col("cassatip", QStringLiteral("cassa típus"), 0.25),
                 col("cassatip_nev", QStringLiteral("név"), 0.5),
                 col("szorzo", QStringLiteral("irány"), 0.25, FieldKind::Direction)};
    d.editCaption = QStringLiteral("Kassza típus szerkesztés");
    d.editWindowName = QStringLiteral("Tfrm_TorzsCassatipSzerk");
    EditFieldDesc code = keyFld(QStringLiteral("jel"), "cassatip");
    code.upperCase = true;
    EditFieldDesc name = fld(QStringLiteral("név"), "cassatip_nev");
    name.required = true;
    d.fields = {code, name, fld(QStringLiteral("irány"), "szorzo", FieldKind::Direction)};
    d.defaults = {{QStringLiteral("szorzo"), 1}};
    d.resultFields = {QStringLiteral("szorzo")};
    // The automatic cash entries book with "B" (income) and "V" (expense).
    d.editRefusal = [](const CodeTableRow& stored, const CodeTableRow& edited) {
        if (!isProtectedCashType(stored.value(QStringLiteral("cassatip"))))
            return QString();
        const bool keyChanged = varText(stored.value(QStringLiteral("cassatip"))).trimmed().toUpper() !=
                                varText(edited.value(QStringLiteral("cassatip"))).trimmed().toUpper();
        const bool directionChanged =
            varInt(stored.value(QStringLiteral("szorzo"))) != varInt(edited.value(QStringLiteral("szorzo")));
        return keyChanged || directionChanged ? kProtectedCashTypeMessage : QString();
    };
    d.deleteRefusal = [](Database&, const CodeTableRow& row) {
        return isProtectedCashType(row.value(QStringLiteral("cassatip"))) ? kProtectedCashTypeMessage
                                                                          : QString();
    };
    return {CodeTableId::CashMovementTypes,
            QStringLiteral("Kassza típusok"),
            QStringLiteral("Kassza típusok  "),
            QStringLiteral("Tfrm_TorzsCassatip"),
            QStringLiteral("Töröl"),
            std::nullopt,
            true,
            {d}};
}

// A number as the user typed it: spaces ignored, decimal comma or point.
std::optional<double> strictNumber(const QString& text) {
    QString s = removeSpaces(text);
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = s.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<qint64> strictInteger(const QString& text) {
    bool ok = false;
    const qint64 value = removeSpaces(text).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString quoted(const QString& label) {
    return QStringLiteral("„%1”").arg(label);
}

// The value a field is stored with, from what the edit window or the stored
// row holds; `problem` tells why it cannot be stored.
// A text longer than the field that older data already hold is kept as it is.
QVariant storedValue(Database& db, const CodeTableDesc& desc, const EditFieldDesc& f, const QVariant& given,
                     const CodeTableRow* stored, QString& problem) {
    switch (f.kind) {
    case FieldKind::Text:
    case FieldKind::Currency: {
        QString text = varText(given).trimmed();
        if (f.upperCase)
            text = text.toUpper();
        if (f.required && text.isEmpty()) {
            problem = QStringLiteral("%1 nem lehet üres.").arg(quoted(f.label));
            return {};
        }
        const int width = db.fieldInfo(desc.table, f.field).width;
        const bool asStored = stored && varText(stored->value(f.field)).trimmed() == text;
        if (width > 0 && text.size() > width && !asStored) {
            problem = QStringLiteral("%1 legfeljebb %2 karakter lehet.").arg(quoted(f.label)).arg(width);
            return {};
        }
        return text;
    }
    case FieldKind::Integer:
    case FieldKind::Float: {
        const QString text = varText(given).trimmed();
        std::optional<double> value;
        if (text.isEmpty()) {
            value = 0;
        } else if (f.kind == FieldKind::Integer) {
            if (const auto i = strictInteger(text))
                value = double(*i);
        } else {
            value = strictNumber(text);
        }
        if (!value) {
            problem = f.kind == FieldKind::Integer
                          ? QStringLiteral("%1 egész szám legyen.").arg(quoted(f.label))
                          : QStringLiteral("%1 szám legyen.").arg(quoted(f.label));
            return {};
        }
        if (f.minimum && *value < *f.minimum) {
            problem = QStringLiteral("%1 legalább %2 legyen.")
                          .arg(quoted(f.label), formatFloat(QString(), *f.minimum));
            return {};
        }
        return f.kind == FieldKind::Integer ? QVariant(qint64(*value)) : QVariant(*value);
    }
    case FieldKind::Flag: {
        const QVariant v = given;
        const bool on = v.metaType().id() == QMetaType::Bool ? v.toBool() : isYes(varText(v).trimmed());
        return yesNo(on);
    }
    case FieldKind::CashDesk:
        return varInt(given, 0);
    case FieldKind::Direction:
        return varInt(given, 1) < 0 ? -1 : 1;
    }
    return given;
}

QString rowKeyText(const CodeTableDesc& desc, const CodeTableRow& row) {
    return varText(row.value(desc.keyField)).trimmed();
}

} // namespace

// ---- Descriptions -----------------------------------------------------------

QStringList CodeTableDesc::loadedFields() const {
    QStringList out{keyField};
    auto add = [&out](const QString& f) {
        if (!out.contains(f, Qt::CaseInsensitive))
            out << f;
    };
    for (const ColumnDesc& c : columns)
        add(c.field);
    for (const EditFieldDesc& f : fields)
        add(f.field);
    for (const QString& f : resultFields)
        add(f);
    return out;
}

const EditFieldDesc* CodeTableDesc::editField(const QString& field) const {
    for (const EditFieldDesc& f : fields)
        if (f.field.compare(field, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const ColumnDesc* CodeTableDesc::column(const QString& field) const {
    for (const ColumnDesc& c : columns)
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const CodeTableWindowDesc& codeTableWindow(CodeTableId id) {
    static const QHash<int, CodeTableWindowDesc> members = [] {
        QHash<int, CodeTableWindowDesc> m;
        for (const CodeTableWindowDesc& d :
             {paymentMethods(), origins(), categories(), units(), tariffNumbers(), currencies(),
              documentTypes(), labelLayouts(), cashDesks(), cashMovementTypes()})
            m.insert(int(d.id), d);
        return m;
    }();
    return *members.find(int(id));
}

const std::vector<CodeTableId>& allCodeTables() {
    static const std::vector<CodeTableId> ids{CodeTableId::Units,          CodeTableId::TariffNumbers,
                                              CodeTableId::Origins,        CodeTableId::Categories,
                                              CodeTableId::PaymentMethods, CodeTableId::Currencies,
                                              CodeTableId::DocumentTypes,  CodeTableId::LabelLayouts,
                                              CodeTableId::CashDesks,      CodeTableId::CashMovementTypes};
    return ids;
}

// ---- Rows -----------------------------------------------------------------------

std::vector<CodeTableRow> loadCodeTable(Database& db, const CodeTableDesc& desc, const QString& sortField) {
    const QStringList fields = desc.loadedFields();
    const QString order = isSortField(desc, sortField) ? sortField : desc.firstSortField;
    QString orderBy = order;
    if (order.compare(desc.keyField, Qt::CaseInsensitive) != 0)
        orderBy += QLatin1Char(',') + desc.keyField;
    QSqlQuery q = db.select(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3;")
                                .arg(fields.join(QLatin1Char(',')), desc.table, orderBy));
    std::vector<CodeTableRow> rows;
    while (q.next()) {
        CodeTableRow row;
        for (int i = 0; i < fields.size(); ++i)
            row.insert(fields.at(i), q.value(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool isSortField(const CodeTableDesc& desc, const QString& field) {
    return field.compare(desc.keyField, Qt::CaseInsensitive) == 0 ||
           field.compare(desc.firstSortField, Qt::CaseInsensitive) == 0 || desc.column(field) != nullptr;
}

QString searchFieldFor(const CodeTableDesc& desc, const QString& sortField) {
    switch (desc.search) {
    case SearchRule::None:
        return {};
    case SearchRule::FixedField:
        return desc.searchField;
    case SearchRule::SortField:
        return isSortField(desc, sortField) ? sortField : desc.firstSortField;
    }
    return {};
}

int findSearchRow(const std::vector<CodeTableRow>& rows, const QString& field, const QString& text) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const QVariant value = rows[i].value(field);
        // The direction is searched as it is shown ("Bevétel", "Kiadás").
        const bool direction = field == QLatin1String("szorzo");
        const QString shown = direction ? columnText(FieldKind::Direction, value) : varText(value).trimmed();
        if (shown.startsWith(text, Qt::CaseInsensitive))
            return int(i);
    }
    return -1;
}

int findPresetRow(const std::vector<CodeTableRow>& rows, const CodeTableDesc& desc, const QVariant& preset) {
    const QString wanted = varText(preset).trimmed();
    if (wanted.isEmpty())
        return -1;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rowKeyText(desc, rows[i]).compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    if (desc.presetMatch == PresetMatch::KeyPrefix) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rowKeyText(desc, rows[i]).startsWith(wanted, Qt::CaseInsensitive))
                return int(i);
    }
    return -1;
}

TariffPreset locateTariffPreset(Database& db, const QString& initial) {
    const QString value = initial.trimmed();
    if (value.isEmpty())
        return {};
    const QString tariff = db.queryText(
        QStringLiteral("SELECT vtsz FROM vtsz WHERE UPPER(TRIM(vtsz))=UPPER(?);"), {}, {value.left(8)});
    if (!tariff.isEmpty())
        return {0, tariff};
    const QString service =
        db.queryText(QStringLiteral("SELECT szj FROM szj WHERE UPPER(TRIM(szj))=UPPER(?);"), {}, {value});
    if (!service.isEmpty())
        return {1, service};
    return {};
}

CodeTableRow newCodeTableRow(const CodeTableDesc& desc) {
    CodeTableRow row = desc.defaults;
    for (const EditFieldDesc& f : desc.fields)
        if (!row.contains(f.field))
            row.insert(f.field, QVariant());
    return row;
}

QString columnText(FieldKind kind, const QVariant& value) {
    switch (kind) {
    case FieldKind::Flag:
        return {};
    case FieldKind::Integer:
    case FieldKind::CashDesk:
        return varIntText(value);
    case FieldKind::Float:
        return varText(value).isEmpty() ? QString() : formatFloat(QString(), varFloat(value));
    case FieldKind::Direction:
        if (varText(value).isEmpty())
            return {};
        return varInt(value) < 0 ? kExpense : kIncome;
    case FieldKind::Text:
    case FieldKind::Currency:
        return varText(value).trimmed();
    }
    return {};
}

QString cashDeskName(Database& db, qint64 desk) {
    return db.queryText(QStringLiteral("SELECT cassak_nev FROM cassak WHERE cassak=?;"), {}, {desk})
        .trimmed();
}

QStringList currencyCodes(Database& db) {
    QStringList codes;
    QSqlQuery q = db.select(QStringLiteral("SELECT vat FROM vat ORDER BY vat;"));
    while (q.next()) {
        const QString code = q.value(0).toString().trimmed();
        if (!code.isEmpty())
            codes << code;
    }
    return codes;
}

// ---- Changes -------------------------------------------------------------------

bool offersAction(const CodeTableDesc& desc, CodeTableAction action) {
    switch (action) {
    case CodeTableAction::New:
        return desc.canAdd;
    case CodeTableAction::Edit:
        return true;
    case CodeTableAction::Delete:
        return desc.canDelete;
    }
    return false;
}

bool checkCodeTableRight(const CodeTableDesc& desc, const CurrentUser& user, Dialogs& dialogs) {
    return checkRight(user, desc.changeRight, dialogs);
}

QString codeTableRowProblem(Database& db, const CodeTableDesc& desc, const CodeTableRow& row,
                            const CodeTableRow* stored, std::vector<CheckResult>* warnings) {
    CodeTableRow values;
    for (const EditFieldDesc& f : desc.fields) {
        QString problem;
        const QVariant v = storedValue(db, desc, f, row.value(f.field), stored, problem);
        if (!problem.isEmpty())
            return problem;
        values.insert(f.field, v);
        if (f.check) {
            const QString text = varText(v);
            const bool unchanged = stored && varText(stored->value(f.field)).trimmed() == text;
            const CheckResult r = relaxForStoredValue(f.check(text), unchanged);
            if (r.isError())
                return r.message;
            if (r.level == CheckLevel::Warning && warnings)
                warnings->push_back(r);
        }
    }
    if (stored && desc.editRefusal) {
        const QString refusal = desc.editRefusal(*stored, values);
        if (!refusal.isEmpty())
            return refusal;
    }
    if (desc.newKey == NewKeyRule::Typed) {
        const QString key = varText(values.value(desc.keyField));
        const bool keyChanged = !stored || rowKeyText(desc, *stored) != key;
        if (keyChanged &&
            db.queryInt(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2=?;").arg(desc.table, desc.keyField),
                        0, {key}) > 0) {
            const EditFieldDesc* keyField = desc.editField(desc.keyField);
            return QStringLiteral("%1 „%2” már szerepel a táblában.")
                .arg(keyField ? keyField->label : desc.keyField, key);
        }
    }
    return {};
}

std::optional<QVariant> saveCodeTableRow(Database& db, Dialogs& dialogs, const CodeTableDesc& desc,
                                         const CodeTableRow& row, const CodeTableRow* stored) {
    try {
        std::vector<CheckResult> warnings;
        const QString problem = codeTableRowProblem(db, desc, row, stored, &warnings);
        if (!problem.isEmpty()) {
            dialogs.error(kBadInputMessage + QLatin1Char('\n') + problem);
            return std::nullopt;
        }
        for (const CheckResult& w : warnings)
            if (!dialogs.question(kCaptionQuestion, warningQuestion(w)))
                return std::nullopt;

        CodeTableRow values;
        if (!stored) {
            for (auto it = desc.defaults.cbegin(); it != desc.defaults.cend(); ++it)
                values.insert(it.key(), it.value());
        }
        for (const EditFieldDesc& f : desc.fields) {
            if (stored && f.readOnlyWhenEditing)
                continue;
            QString ignored;
            values.insert(f.field, storedValue(db, desc, f, row.value(f.field), stored, ignored));
        }
        if (desc.beforeSave)
            desc.beforeSave(values);

        Database::Transaction tr(db);
        QVariant key;
        if (stored) {
            QStringList sets;
            QVariantList params;
            for (auto it = values.cbegin(); it != values.cend(); ++it) {
                sets << it.key() + QStringLiteral("=?");
                params << it.value();
            }
            params << stored->value(desc.keyField);
            db.execSql(QStringLiteral("UPDATE %1 SET %2 WHERE %3=?;")
                           .arg(desc.table, sets.join(QLatin1Char(',')), desc.keyField),
                       params);
            key = values.contains(desc.keyField) ? values.value(desc.keyField) : stored->value(desc.keyField);
        } else {
            if (desc.newKey == NewKeyRule::NextNumber)
                values.insert(desc.keyField, db.nextId(desc.keyField, desc.table));
            else if (desc.newKey == NewKeyRule::AutoIncrement)
                values.remove(desc.keyField);
            QStringList marks;
            for (int i = 0; i < values.size(); ++i)
                marks << QStringLiteral("?");
            db.execSql(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);")
                    .arg(desc.table, values.keys().join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                values.values());
            key = desc.newKey == NewKeyRule::AutoIncrement
                      ? QVariant(db.queryInt(
                            QStringLiteral("SELECT MAX(%1) FROM %2;").arg(desc.keyField, desc.table), 0))
                      : values.value(desc.keyField);
        }
        tr.commit();
        return key;
    } catch (const DbError& e) {
        dialogs.error(kBadInputMessage + QLatin1Char('\n') + e.text());
        return std::nullopt;
    }
}

bool deleteCodeTableRow(Database& db, Dialogs& dialogs, const CodeTableDesc& desc, const CodeTableRow& row,
                        const CurrentUser& user) {
    if (!offersAction(desc, CodeTableAction::Delete) || row.isEmpty())
        return false;
    if (!checkCodeTableRight(desc, user, dialogs))
        return false;
    try {
        if (desc.deleteRefusal) {
            const QString refusal = desc.deleteRefusal(db, row);
            if (!refusal.isEmpty()) {
                dialogs.error(refusal);
                return false;
            }
        }
        if (!dialogs.question(kCaptionConfirm, kDeleteRowQuestion))
            return false;
        db.execSql(QStringLiteral("DELETE FROM %1 WHERE %2=?;").arg(desc.table, desc.keyField),
                   {row.value(desc.keyField)});
        return true;
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
}

// ---- Chooser results ------------------------------------------------------------

PaymentMethodChoice paymentMethodChoice(const CodeTableRow& row) {
    PaymentMethodChoice c;
    c.fiztip = varInt(row.value(QStringLiteral("fiztip")), -1);
    c.fizetve = varText(row.value(QStringLiteral("fizetve"))).trimmed();
    if (c.fizetve.isEmpty())
        c.fizetve = QStringLiteral("N");
    c.fizhat = varInt(row.value(QStringLiteral("fizhat")));
    return c;
}

LabelLayout labelLayoutOf(const CodeTableRow& row) {
    LabelLayout l;
    l.name = varText(row.value(QStringLiteral("cimke"))).trimmed();
    l.topMargin = varFloat(row.value(QStringLiteral("felsomargo")));
    l.sideMargin = varFloat(row.value(QStringLiteral("szelsomargo")));
    l.labelHeight = varFloat(row.value(QStringLiteral("cimkemagas")));
    l.columns = int(varInt(row.value(QStringLiteral("oszlop")), 1));
    return l;
}

} // namespace orvix
