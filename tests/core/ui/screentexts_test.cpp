// The "kiir" switch: windows write their texts into lang.ini for translators.
#include "common/IniFile.h"
#include "core/AppContext.h"
#include "core/ui/ScreenTexts.h"
#include "core/ui/Tfrm_Nyelv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace orvix;

namespace {

// A window with one of each kind of text-bearing widget.
class Sample : public QDialog {
public:
    Sample() {
        setObjectName(QStringLiteral("Tfrm_Minta"));
        setWindowTitle(QStringLiteral("Minta"));
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(QStringLiteral("Összeg"), this);
        label->setObjectName(QStringLiteral("Label1"));
        auto* check = new QCheckBox(QStringLiteral("ÁFÁ-s"), this);
        check->setObjectName(QStringLiteral("cbAfas"));
        auto* group = new QGroupBox(QStringLiteral("Nyelv"), this);
        group->setObjectName(QStringLiteral("rgNyelv"));
        auto* groupLayout = new QVBoxLayout(group);
        for (const QString& item : {QStringLiteral("Magyar"), QStringLiteral("Angol")}) {
            auto* radio = new QRadioButton(item, group);
            radio->setObjectName(QStringLiteral("rb") + item);
            groupLayout->addWidget(radio);
        }
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cbMod"));
        combo->addItems({QStringLiteral("készpénz"), QStringLiteral("átutalás")});
        for (QWidget* w : std::initializer_list<QWidget*>{label, check, group, combo})
            layout->addWidget(w);
    }
};

} // namespace

class ScreenTextsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_work;
    QString langIni() const { return QDir(m_work.path()).filePath(QStringLiteral("lang.ini")); }

private Q_SLOTS:
    void init() {
        app().folders.work = m_work.path();
        QFile::remove(langIni());
    }
    void cleanup() { ui::setScreenTextExportRequested(false); }

    void withoutSwitchNothingIsWritten() {
        ui::setScreenTextExportRequested(false);
        ui::Tfrm_Nyelv w;
        ui::maybeExportScreenTexts(&w);
        QVERIFY(!QFile::exists(langIni()));
    }

    void windowTexts_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString nyelv = QStringLiteral("Tfrm_Nyelv");
        QTest::newRow("existing value kept") << nyelv << "Caption" << QStringLiteral("Language file editing");
        QTest::newRow("empty value filled") << nyelv << "aMentes.Caption" << QStringLiteral("Mentés");
        QTest::newRow("action caption") << nyelv << "aGeneral.Caption" << QStringLiteral("Generál (frissít)");
        QTest::newRow("action hint") << nyelv << "aGeneral.Hint" << QStringLiteral("Nyelvi file generálása");
        QTest::newRow("action without hint") << nyelv << "aBezar.Hint" << QString();
        QTest::newRow("tab page") << nyelv << "tsMas.Caption" << QStringLiteral("Számla: más nyelv");
        QTest::newRow("grid column") << nyelv << "gridAngol[1].Caption" << QStringLiteral("Szöveg");
        QTest::newRow("other section untouched") << "Egyeb"
                                                 << "X" << QStringLiteral("1");

        const QString minta = QStringLiteral("Tfrm_Minta");
        QTest::newRow("window caption") << minta << "Caption" << QStringLiteral("Minta");
        QTest::newRow("label") << minta << "Label1.Caption" << QStringLiteral("Összeg");
        QTest::newRow("check box") << minta << "cbAfas.Caption" << QStringLiteral("ÁFÁ-s");
        QTest::newRow("radio group") << minta << "rgNyelv.Caption" << QStringLiteral("Nyelv");
        QTest::newRow("radio group item") << minta << "rgNyelv.Item1" << QStringLiteral("Angol");
        QTest::newRow("radio item not a button") << minta << "rbAngol.Caption" << QString();
        QTest::newRow("combo box item") << minta << "cbMod.Item0" << QStringLiteral("készpénz");
    }
    void windowTexts() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);

        {
            IniFile before(langIni());
            before.setValue(QStringLiteral("Tfrm_Nyelv"), QStringLiteral("Caption"),
                            QStringLiteral("Language file editing"));
            before.setValue(QStringLiteral("Tfrm_Nyelv"), QStringLiteral("aMentes.Caption"), QString());
            before.setValue(QStringLiteral("Egyeb"), QStringLiteral("X"), QStringLiteral("1"));
            QVERIFY(before.save());
        }
        ui::setScreenTextExportRequested(true);
        ui::Tfrm_Nyelv nyelv;
        Sample sample;
        ui::maybeExportScreenTexts(&nyelv);
        ui::maybeExportScreenTexts(&sample);

        const IniFile after(langIni());
        QCOMPARE(after.value(section, key), expected);
    }
};

QTEST_MAIN(ScreenTextsTest)
#include "screentexts_test.moc"
