// "Nyelvi file szerkesztés": the administrator fills the two language files
// of printed invoices, one page each ("Számla: angol" → Lang/lang01.ini,
// "Számla: más nyelv" → Lang/lang02.ini). Keys are fixed; the texts are typed.
#pragma once

#include "core/LangFiles.h"

#include <QDialog>

class QAction;
class QTabWidget;
class QTableWidget;

namespace orvix::ui {

class Tfrm_Nyelv : public QDialog {
    Q_OBJECT

public:
    // Loads both files of the work folder's Lang subfolder that exist.
    explicit Tfrm_Nyelv(QWidget* parent = nullptr);

    // The rows now on a page (0: first language, 1: second language).
    LangRows rows(int page) const;

private:
    QTableWidget* grid(int page) const { return m_grids[page]; }
    void setRows(int page, const LangRows& rows);
    void appendRows(int page, const LangRows& rows);

    void generate();
    void save();
    void closeWindow();

    QTabWidget* m_pages = nullptr;
    QTableWidget* m_grids[kLanguageCount] = {};
    QAction* m_aGeneral = nullptr;
    QAction* m_aMentes = nullptr;
    QAction* m_aBezar = nullptr;
};

} // namespace orvix::ui

namespace orvix {
using ui::Tfrm_Nyelv;
} // namespace orvix
