// The settings record: the one row of table beallit read into plain values.
#pragma once

#include <QString>

namespace orvix {

class Database;

struct Settings {
    bool vansokcim = false;
    bool szlacikkszam = false; // on when the field holds "N"
    bool blokknyomtato = false;
    int szlaforma = 0;
    QString printernev;
    QString printerutv;
    bool vanhonap = false;
    bool kata = false;
    bool penzforgelsz = false;
    QString faszoveg;
    bool vanfa = false;
    bool vantermdij = false;
    QString termdijszoveg;
    bool egyeni = false;
    bool teljeskep = false;
    QString alapvaros;
    bool alaparmodosit = false;
    int alapfiztip = 0;
    QString alapmegjegyzes;
    bool alapnetto = false;
    double alapafakulcs = 0;
    QString alapmert;
    double afa0 = 0;
    double afa1 = 0;
    double afa2 = 0;
    int alappld = 0;
    int indulszla = 1;      // values below 1 become 1
    QString formatft;
    QString formatdb;
    QString szlabetu = QStringLiteral("SA"); // empty becomes "SA"
    bool vanmentes = false;
    bool formatszla = false;
    bool belepjelszo = false;
    bool vangari = false;
    QString garimegjegyzes;
    bool vanzentra = false;
    QString evautvonal;
    bool teljkiad = false;
    bool vanafa0 = false;
    bool vanafa1 = false;
    bool vanafa2 = false;
    bool adomentes = false;
    QString amtm = QStringLiteral("AM"); // empty becomes "AM"
};

// Reads the beallit row. A flag is on exactly when its field holds "I".
Settings loadSettings(Database& db);

} // namespace orvix
