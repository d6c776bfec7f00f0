#include "core/Settings.h"

#include "common/Database.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace orvix {

namespace {

// One row's values by field name; fields an older folder lacks read as empty.
class Row {
public:
    explicit Row(QSqlQuery& q) : m_q(q), m_rec(q.record()) {}
    QString text(const char* field) const {
        const int i = m_rec.indexOf(QLatin1String(field));
        return i < 0 || m_q.value(i).isNull() ? QString() : m_q.value(i).toString();
    }
    bool flag(const char* field) const { return text(field) == QLatin1String("I"); }
    double number(const char* field) const {
        bool ok;
        const double d = text(field).trimmed().toDouble(&ok);
        return ok ? d : 0;
    }
    int integer(const char* field) const { return int(number(field)); }

private:
    QSqlQuery& m_q;
    QSqlRecord m_rec;
};

} // namespace

Settings loadSettings(Database& db) {
    Settings s;
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM beallit ORDER BY beallit;"));
    if (!q.next())
        return s;
    const Row r(q);
    s.vansokcim = r.flag("vansokcim");
    s.szlacikkszam = r.text("szlacikkszam") == QLatin1String("N");
    s.blokknyomtato = r.flag("blokknyomtato");
    s.szlaforma = r.integer("szlaforma");
    s.printernev = r.text("printernev").trimmed();
    s.printerutv = r.text("printerutv").trimmed();
    s.vanhonap = r.flag("vanhonap");
    s.kata = r.flag("kata");
    s.penzforgelsz = r.flag("penzforgelsz");
    s.faszoveg = r.text("faszoveg");
    s.vanfa = r.flag("vanfa");
    s.vantermdij = r.flag("vantermdij");
    s.termdijszoveg = r.text("termdijszoveg");
    s.egyeni = r.flag("egyeni");
    s.teljeskep = r.flag("teljeskep");
    s.alapvaros = r.text("alapvaros");
    s.alaparmodosit = r.flag("alaparmodosit");
    s.alapfiztip = r.integer("alapfiztip");
    s.alapmegjegyzes = r.text("alapmegjegyzes");
    s.alapnetto = r.flag("alapnetto");
    s.alapafakulcs = r.number("alapafakulcs");
    s.alapmert = r.text("alapmert");
    s.afa0 = r.number("afa0");
    s.afa1 = r.number("afa1");
    s.afa2 = r.number("afa2");
    s.alappld = r.integer("alappld");
    s.indulszla = std::max(1, r.integer("indulszla"));
    s.formatft = r.text("formatft");
    s.formatdb = r.text("formatdb");
    s.szlabetu = r.text("szlabetu").trimmed();
    if (s.szlabetu.isEmpty())
        s.szlabetu = QStringLiteral("SA");
    s.vanmentes = r.flag("vanmentes");
    s.formatszla = r.flag("formatszla");
    s.belepjelszo = r.flag("belepjelszo");
    s.vangari = r.flag("vangari");
    s.garimegjegyzes = r.text("garimegjegyzes");
    s.vanzentra = r.flag("vanzentra");
    s.evautvonal = r.text("evautvonal").trimmed();
    s.teljkiad = r.flag("teljkiad");
    s.vanafa0 = r.flag("vanafa0");
    s.vanafa1 = r.flag("vanafa1");
    s.vanafa2 = r.flag("vanafa2");
    s.adomentes = r.flag("adomentes");
    s.amtm = r.text("amtm").trimmed();
    if (s.amtm.isEmpty())
        s.amtm = QStringLiteral("AM");
    return s;
}

} // namespace orvix
