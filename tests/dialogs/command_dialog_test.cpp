// The command dialog: opening state, row choice by list and by typed name, the request lines
// and reply lines of the transcript, and commands sent to the simulated unit.

#include "dialogs/command_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "engine/status_message.h"
#include "link/command_catalogue.h"
#include "monitored_sim_session.h"

using brevik2::dialogs::CommandDialog;
using brevik2::testing::MonitoredSimSession;

namespace {

struct Controls {
    explicit Controls(const CommandDialog& dialog)
        : commands(dialog.findChild<QComboBox*>("commands")),
          parameter(dialog.findChild<QLineEdit*>("parameter")),
          description(dialog.findChild<QLabel*>("description")),
          transcript(dialog.findChild<QListWidget*>("transcript")),
          send(dialog.findChild<QPushButton*>("send")) {}

    // What the operator's pick from the drop-down does.
    void choose(const QString& name) {
        const int row = commands->findText(name);
        QVERIFY2(row >= 0, qPrintable(name));
        commands->setCurrentIndex(row);
        emit commands->activated(row);
    }

    QStringList lines() const {
        QStringList result;
        for (int i = 0; i < transcript->count(); ++i) {
            result << transcript->item(i)->text();
        }
        return result;
    }

    QComboBox* commands;
    QLineEdit* parameter;
    QLabel* description;
    QListWidget* transcript;
    QPushButton* send;
};

// A session with no unit and a command dialog over it, shown, with its controls.
struct ShownDialog {
    ShownDialog() : dialog(s.context), c(dialog) { dialog.show(); }
    MonitoredSimSession s;
    CommandDialog dialog;
    Controls c;
};

}  // namespace

class CommandDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheFirstRowWithAnEmptyTranscript() {
        MonitoredSimSession s;
        CommandDialog dialog(s.context);
        Controls c(dialog);
        for (int showing = 0; showing < 2; ++showing) {
            dialog.show();
            QCOMPARE(dialog.windowTitle(), "Orrery Commands");
            QCOMPARE(c.commands->count(), 61);
            const auto& rows = brevik2::link::commandCatalogue();
            for (int i = 0; i < 61; ++i) {
                QCOMPARE(c.commands->itemText(i).toStdString(), rows[i].displayName);
            }
            QCOMPARE(c.commands->currentText(), "Reset Alarms");
            QCOMPARE(c.description->text(), "Reset the stored alarms data");
            QVERIFY(c.parameter->isHidden());
            QCOMPARE(c.transcript->count(), 0);
            c.choose("Version");
            c.send->click();
            QCOMPARE(c.transcript->count(), 1);
            dialog.accept();
        }
    }

    void aChosenRowShowsItsDefaultAgain() {
        ShownDialog shown;
        auto& [s, dialog, c] = shown;
        c.choose("Set Date");
        QVERIFY(c.parameter->isVisible());
        QCOMPARE(c.parameter->text(), "01/01/00");
        c.parameter->setText("07/04/05");
        c.choose("Mute");
        QVERIFY(c.parameter->isHidden());
        c.choose("Set Date");
        QCOMPARE(c.parameter->text(), "01/01/00");
    }

    void typedTextSelectsOnlyAnExactName() {
        ShownDialog shown;
        auto& [s, dialog, c] = shown;
        c.commands->lineEdit()->selectAll();
        QTest::keyClicks(c.commands->lineEdit(), "set date");
        QCOMPARE(dialog.selectedRow(), 44);
        QCOMPARE(c.commands->lineEdit()->text(), "set date");
        QCOMPARE(c.parameter->text(), "01/01/00");
        QTest::keyClicks(c.commands->lineEdit(), "x");
        QCOMPARE(dialog.selectedRow(), -1);
        c.send->click();
        QCOMPARE(c.transcript->count(), 0);
        QVERIFY(!s.shared.slot.isPending());
    }

    void enterInTheParameterFieldClosesWithoutSending() {
        ShownDialog shown;
        auto& [s, dialog, c] = shown;
        c.choose("UnitID");
        QTest::keyClick(c.parameter, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!s.shared.slot.isPending());
    }

    void replyLinesAndTheirScrolling() {
        ShownDialog shown;
        auto& [s, dialog, c] = shown;
        c.choose("Report Variables");
        c.send->click();  // sets the reply limit; the slot keeps it, nothing runs it
        c.transcript->clear();

        dialog.showReply(
            "\x02"
            "first\r\n\r\r\nsecond\r\n\x03");
        QCOMPARE(c.lines(), (QStringList{"first", "second"}));
        dialog.showReply(std::string(1, '\0'));
        QCOMPARE(c.transcript->count(), 2);

        c.transcript->clear();
        dialog.showReply("\x02" + std::string(300, 'x') + "\r\n\x03");
        QCOMPARE(c.lines(), (QStringList{QString(255, 'x'), QString(45, 'x')}));

        // A list three lines high, so the newest five are not all of it.
        c.transcript->setMinimumSize(0, 0);
        c.transcript->setFixedHeight(3 * c.transcript->sizeHintForRow(0) +
                                     2 * c.transcript->frameWidth());
        QTest::qWait(0);
        c.transcript->clear();
        dialog.showReply(
            "\x02"
            "1\r2\r3\r\x03");
        QCOMPARE(c.transcript->verticalScrollBar()->value(), 0);
        dialog.showReply(
            "\x02"
            "4\r5\r6\r7\r8\r9\r10\r11\r12\r\x03");
        QCOMPARE(c.transcript->count(), 12);
        QCOMPARE(c.transcript->verticalScrollBar()->value(), 7);
    }

    void commandsReachTheUnitAndTheirRepliesComeBack() {
        MonitoredSimSession s;
        QVERIFY(s.start());
        CommandDialog dialog(s.context);
        Controls c(dialog);
        dialog.show();

        c.choose("Set Date");
        c.parameter->setText("12/31/03");
        c.send->click();
        QCOMPARE(c.lines(), (QStringList{"A06 00000 12/31/03"}));
        QVERIFY(s.waitFor([&] { return c.transcript->count() == 2; }));
        QCOMPARE(s.timesSeen("A06 12/31/03"), 1);
        QCOMPARE(c.lines().last(), "A06 OK");

        c.choose("Mute");
        c.send->click();
        QCOMPARE(c.lines().last(), "W12 00000 ");
        QVERIFY(s.waitFor([&] { return c.lines().last() == "W12 OK"; }));
        QVERIFY(s.server->state().muted);

        c.choose("Set User Frequency Offset");
        c.parameter->clear();
        c.send->click();
        QCOMPARE(c.lines().last(), "W01 00000 ");
        QVERIFY(s.waitFor([&] { return c.lines().last() == "W01 ERR"; }));
        QCOMPARE(s.timesSeen("W01"), 1);

        // The event log is read against its own limit of 32000, one line per entry line.
        c.choose("Retrieve Event Log");
        c.send->click();
        const int before = c.transcript->count();
        QVERIFY(s.waitFor([&] { return c.transcript->count() > before + 1; }));
        for (const auto& entry : s.server->state().eventLog) {
            QVERIFY(c.lines().contains(QString::fromStdString(entry.mainLine)));
        }
    }
};

QTEST_MAIN(CommandDialogTest)
#include "command_dialog_test.moc"
