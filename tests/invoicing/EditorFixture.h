// Shared pieces of the editor, line-entry and import tests: a data folder
// with customers and products for every rule of the line entry, a scripted
// product chooser and price dialog, and the consistency check of a document.
#pragma once

#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Settings.h"
#include "invoicing/Editor.h"
#include "invoicing/LineEntry.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <cmath>
#include <deque>
#include <memory>

namespace orvix::test {

inline void insertRow(Database& db, const QString& table, const QVariantMap& values) {
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    db.execSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table, values.keys().join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
               values.values());
}

inline QVariantMap rowOf(Database& db, const QString& select, const QVariantList& params = {}) {
    QSqlQuery q = db.select(select, params);
    QVariantMap out;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            out.insert(q.record().fieldName(i), q.value(i));
    return out;
}

inline QVariantMap lineOf(Database& db, qint64 doc, int sor) {
    return rowOf(db, QStringLiteral("SELECT * FROM szla_sor WHERE szla=? AND sor=?"), {doc, sor});
}

// "sor:cikkszam sor:cikkszam …" of a document in line order.
inline QString lineCodes(Database& db, qint64 doc) {
    QStringList out;
    QSqlQuery q =
        db.select(QStringLiteral("SELECT sor, cikkszam FROM szla_sor WHERE szla=? ORDER BY sor"), {doc});
    while (q.next())
        out << q.value(0).toString() + QLatin1Char(':') + q.value(1).toString();
    return out.join(QLatin1Char(' '));
}

// Empty when the document's lines are numbered 1..N without gaps and its
// header totals equal the sums of its lines; otherwise what is wrong.
inline QString consistencyProblem(Database& db, qint64 doc) {
    QSqlQuery q = db.select(QStringLiteral("SELECT sor FROM szla_sor WHERE szla=? ORDER BY sor"), {doc});
    int k = 0;
    while (q.next())
        if (q.value(0).toInt() != ++k)
            return QStringLiteral("line %1 has number %2").arg(k).arg(q.value(0).toInt());
    const QVariantMap sums =
        rowOf(db,
              QStringLiteral("SELECT COALESCE(SUM(netto*db),0) AS n, COALESCE(SUM(afa*db),0) AS a, "
                             "COALESCE(SUM(brutto*db),0) AS b FROM szla_sor WHERE szla=?"),
              {doc});
    const QVariantMap h =
        rowOf(db, QStringLiteral("SELECT netto, afa, brutto FROM szla WHERE szla=?"), {doc});
    for (const auto& [total, sum] :
         {std::pair{"netto", "n"}, std::pair{"afa", "a"}, std::pair{"brutto", "b"}})
        if (std::fabs(h.value(QLatin1String(total)).toDouble() - sums.value(QLatin1String(sum)).toDouble()) >
            1e-6)
            return QStringLiteral("%1 is %2, the lines give %3")
                .arg(QLatin1String(total))
                .arg(h.value(QLatin1String(total)).toDouble())
                .arg(sums.value(QLatin1String(sum)).toDouble());
    return QString();
}

// Records the values the input windows were opened with.
class RecordingDialogs : public ScriptedDialogs {
public:
    QList<double> numberInitials;
    QList<NumberAndText> numberTextInitials;
    QStringList textInitials;

    std::optional<double> inputNumber(const QString& caption, const QString& prompt,
                                      double initial) override {
        numberInitials << initial;
        return ScriptedDialogs::inputNumber(caption, prompt, initial);
    }
    std::optional<NumberAndText> inputNumberText(const QString& caption, const QString& prompt1,
                                                 const QString& prompt2, const NumberAndText& initial,
                                                 const QString& prompt3) override {
        numberTextInitials << initial;
        return ScriptedDialogs::inputNumberText(caption, prompt1, prompt2, initial, prompt3);
    }
    std::optional<QString> inputText(const QString& caption, const QString& prompt, const QString& initial,
                                     const QString& mask, Echo echo) override {
        textInitials << initial;
        return ScriptedDialogs::inputText(caption, prompt, initial, mask, echo);
    }
};

// The product chooser answers with the queued codes (an empty code cancels,
// an empty queue too); the price dialog with the queued prices (nothing
// cancels; an empty queue accepts the offered price).
class ScriptedLineUi : public LineEntryUi {
public:
    explicit ScriptedLineUi(Database& db) : m_db(db) {}

    std::deque<QString> products;
    std::deque<std::optional<double>> prices;
    QList<ChoiceRequest> requests;
    QStringList priceCalls; // "caption net rate"

    std::optional<ProductChoiceResult> chooseProduct(const ChoiceRequest& request) override {
        requests << request;
        if (products.empty())
            return std::nullopt;
        const QString code = products.front();
        products.pop_front();
        if (code.isEmpty())
            return std::nullopt;
        return LookupProduct(m_db, code);
    }
    std::optional<double> editPrice(const QString& caption, double net, double rate) override {
        priceCalls << QStringLiteral("%1 %2 %3").arg(caption).arg(net).arg(rate);
        if (prices.empty())
            return net;
        const std::optional<double> p = prices.front();
        prices.pop_front();
        return p;
    }

private:
    Database& m_db;
};

// A data folder with the customers and products of the tests.
struct EditorFolder {
    std::unique_ptr<TempDataFolder> folder;
    Settings settings;
    CurrentUser user;
    qint64 customer = 0;      // "Vevő Kft.", 10 % discount, VAT-liable
    qint64 notLiable = 0;     // afas "N"
    qint64 otherCustomer = 0; // without discount

    Database& db() { return folder->db; }

    explicit EditorFolder(const QString& connection = QStringLiteral("Mirtal7")) {
        folder = std::make_unique<TempDataFolder>(connection);
        Database& d = db();
        d.execSql(QStringLiteral("UPDATE beallit SET alapfiztip=2"));
        settings = loadSettings(d);
        user.name = QStringLiteral("tesztelő");
        insertRow(d, QStringLiteral("ugyfel"),
                  {{QStringLiteral("ugyfel_nev"), QStringLiteral("Vevő Kft.")},
                   {QStringLiteral("kedvezmeny"), 10},
                   {QStringLiteral("fiztip"), 2},
                   {QStringLiteral("torolve"), QStringLiteral("N")}});
        customer = d.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
        insertRow(d, QStringLiteral("ugyfel"),
                  {{QStringLiteral("ugyfel_nev"), QStringLiteral("Alanyi Bt.")},
                   {QStringLiteral("afas"), QStringLiteral("N")},
                   {QStringLiteral("kedvezmeny"), 10},
                   {QStringLiteral("torolve"), QStringLiteral("N")}});
        notLiable = d.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
        insertRow(d, QStringLiteral("ugyfel"),
                  {{QStringLiteral("ugyfel_nev"), QStringLiteral("Másik Zrt.")},
                   {QStringLiteral("fiztip"), 1},
                   {QStringLiteral("torolve"), QStringLiteral("N")}});
        otherCustomer = d.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);

        const auto product = [&](const QString& code, const QString& name, double net, double rate,
                                 const QVariantMap& extra = {}) {
            QVariantMap v{{QStringLiteral("cikkszam"), code},
                          {QStringLiteral("cikkszam_nev"), name},
                          {QStringLiteral("cikkszam_nev2"), name + QStringLiteral(" (2)")},
                          {QStringLiteral("mert"), QStringLiteral("db")},
                          {QStringLiteral("vtsz"), QStringLiteral("1234")},
                          {QStringLiteral("netto"), net},
                          {QStringLiteral("afa"), net * rate / 100},
                          {QStringLiteral("brutto"), net * (1 + rate / 100)},
                          {QStringLiteral("afakulcs"), rate},
                          {QStringLiteral("torolve"), QStringLiteral("N")},
                          {QStringLiteral("eloleg"), QStringLiteral("N")},
                          {QStringLiteral("tm"), QStringLiteral("N")},
                          {QStringLiteral("kozv_szolgaltatas"), QStringLiteral("N")},
                          {QStringLiteral("neta"), QStringLiteral("N")},
                          {QStringLiteral("kulonb_szer_szab"), 0},
                          {QStringLiteral("ugyfel"), 0}};
            for (auto it = extra.cbegin(); it != extra.cend(); ++it)
                v[it.key()] = it.value();
            insertRow(d, QStringLiteral("cikkszam"), v);
        };
        product(QStringLiteral("ALMA"), QStringLiteral("Alma"), 1000, 27);
        product(QStringLiteral("K5"), QStringLiteral("Könyv"), 200, 5);
        product(QStringLiteral("K18"), QStringLiteral("Kenyér"), 300, 18);
        product(QStringLiteral("MENTES"), QStringLiteral("Bélyeg"), 150, 0,
                {{QStringLiteral("tm"), QStringLiteral("I")}});
        product(QStringLiteral("FEL"), QStringLiteral("Fillér"), 0.125, 0);
        product(QStringLiteral("NETA"), QStringLiteral("Chips"), 400, 27,
                {{QStringLiteral("neta"), QStringLiteral("I")}});
        product(QStringLiteral("ELO1"), QStringLiteral("Előleg"), 100, 27,
                {{QStringLiteral("eloleg"), QStringLiteral("I")}, {QStringLiteral("ugyfel"), customer}});
        product(QStringLiteral("TOROLT"), QStringLiteral("Régi"), 10, 27,
                {{QStringLiteral("torolve"), QStringLiteral("I")}});
    }

    qint64 newDocument(QChar kind, qint64 who, bool reverse = false) {
        ScriptedDialogs none;
        return CreateEditorDocument(db(), none, settings, user, kind, who, reverse);
    }
};

} // namespace orvix::test
