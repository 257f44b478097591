// The pure parts of the outputs, command and diagnostics dialogs: request parameters built from
// control values, the controls read from the unit's record, the check-box rules, result texts.

#include <QTest>

#include "dialogs/command_dialog.h"
#include "dialogs/diagnostics_parameters.h"
#include "dialogs/pps_sync_dialog.h"
#include "dialogs/telecom_controls.h"
#include "engine/status_records.h"

using brevik2::dialogs::TelecomControls;
using brevik2::engine::NvRecord;
using E1 = TelecomControls::E1;
using T1 = TelecomControls::T1;
using Channel = TelecomControls::Channel;
using E1Box = TelecomControls::E1Box;

Q_DECLARE_METATYPE(E1)
Q_DECLARE_METATYPE(T1)
Q_DECLARE_METATYPE(Channel)
Q_DECLARE_METATYPE(E1Box)

namespace {

QString text(const std::optional<std::string>& parameter) {
    return parameter ? QString::fromStdString(*parameter) : QStringLiteral("<none>");
}

NvRecord telecomRecord(std::uint32_t e1Format, std::uint32_t e1Options, std::uint32_t ssmOnSa,
                       std::uint32_t t1Format, std::uint32_t t1Strategy, const char* channel1,
                       std::uint32_t liu1, const char* channel2, std::uint32_t liu2) {
    NvRecord r;
    r.setUnsigned(NvRecord::kE1DataFormat, e1Format);
    r.setUnsigned(NvRecord::kE1FaultStrategy, e1Options);
    r.setUnsigned(NvRecord::kSsmOnSa, ssmOnSa);
    r.setUnsigned(NvRecord::kT1BitstreamFormat, t1Format);
    r.setUnsigned(NvRecord::kT1FaultStrategy, t1Strategy);
    r.setChar(NvRecord::kChannel1Type, channel1[0]);
    r.setChar(NvRecord::kChannel1Format, channel1[1]);
    r.setChar(NvRecord::kChannel1Drive, channel1[2]);
    r.setUnsigned(NvRecord::kChannel1Liu, liu1);
    r.setChar(NvRecord::kChannel2Type, channel2[0]);
    r.setChar(NvRecord::kChannel2Format, channel2[1]);
    r.setChar(NvRecord::kChannel2Drive, channel2[2]);
    r.setUnsigned(NvRecord::kChannel2Liu, liu2);
    return r;
}

}  // namespace

class OutputParametersTest : public QObject {
    Q_OBJECT
private slots:
    void e1Parameter_data() {
        QTest::addColumn<E1>("e1");
        QTest::addColumn<QString>("expected");
        // format index, SA channel index, mute, SSM, CRC-4, TS-16
        QTest::newRow("CRC-4, channel 4, SSM and CRC-4")
            << E1{1, 0, false, true, true, false} << "2,4,0101";
        QTest::newRow("Basic E1, channel 8, three options")
            << E1{0, 4, false, true, true, true} << "1,8,0111";
        QTest::newRow("Mute alone") << E1{3, 2, true, false, false, false} << "4,6,1000";
        QTest::newRow("every box") << E1{2, 1, true, true, true, true} << "3,5,1111";
        QTest::newRow("no format") << E1{-1, 0, true, false, false, false} << "<none>";
        QTest::newRow("no SA channel") << E1{0, -1, true, false, false, false} << "<none>";
        QTest::newRow("format past the list") << E1{4, 0, true, false, false, false} << "<none>";
    }
    void e1Parameter() {
        QFETCH(E1, e1);
        QFETCH(QString, expected);
        QCOMPARE(text(TelecomControls::e1Parameter(e1)), expected);
    }

    void t1Parameter_data() {
        QTest::addColumn<T1>("t1");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Mute") << T1{0, true, false, false} << "1,1";
        QTest::newRow("SSM") << T1{1, false, true, false} << "2,2";
        QTest::newRow("AIS") << T1{2, false, false, true} << "3,3";
        QTest::newRow("no box goes out as Mute") << T1{1, false, false, false} << "2,1";
        QTest::newRow("no format") << T1{-1, true, false, false} << "<none>";
    }
    void t1Parameter() {
        QFETCH(T1, t1);
        QFETCH(QString, expected);
        QCOMPARE(text(TelecomControls::t1Parameter(t1)), expected);
    }

    void channelParameter_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<QString>("expected");
        // clocked, framed, T1, E1, Bal, Unbal, LIU
        QTest::newRow("channel 2 T1 framed unbalanced")
            << 2 << Channel{false, true, true, false, false, true, 3} << "2,T,F,U,3";
        QTest::newRow("channel 1 E1 clocked balanced")
            << 1 << Channel{true, false, false, true, true, false, 0} << "1,E,C,B,0";
        QTest::newRow("nothing reported") << 1 << Channel{} << "<none>";
        QTest::newRow("pairs clear")
            << 1 << Channel{false, false, false, false, false, false, 7} << "1,E,C,U,7";
        QTest::newRow("no LIU setting")
            << 2 << Channel{false, true, true, false, false, true, -1} << "<none>";
    }
    void channelParameter() {
        QFETCH(int, number);
        QFETCH(Channel, channel);
        QFETCH(QString, expected);
        QCOMPARE(text(TelecomControls::channelParameter(number, channel)), expected);
    }

    void controlsFromTheUnitsRecord() {
        const TelecomControls reported =
            TelecomControls::fromRecord(telecomRecord(2, 0x5, 4, 3, 2, "ECB", 0, "TFU", 5));
        QCOMPARE(reported.e1, (E1{1, 0, false, true, true, false}));
        QCOMPARE(reported.t1, (T1{2, false, true, false}));
        QCOMPARE(reported.channel[0], (Channel{true, false, false, true, true, false, 0}));
        QCOMPARE(reported.channel[1], (Channel{false, true, true, false, false, true, 5}));

        // Options reported one bit each: bit 3 is Mute.
        QCOMPARE(TelecomControls::fromRecord(telecomRecord(1, 0x8, 8, 1, 1, "EFB", 0, "EFB", 0)).e1,
                 (E1{0, 4, true, false, false, false}));
    }

    void valuesOutsideAListSelectNothing() {
        const TelecomControls odd =
            TelecomControls::fromRecord(telecomRecord(5, 0, 9, 4, 7, "X?Z", 8, "e f", 0xFFFFFFFF));
        QCOMPARE(odd.e1, (E1{-1, -1, false, false, false, false}));
        QCOMPARE(odd.t1, (T1{-1, false, false, false}));
        QCOMPARE(odd.channel[0], (Channel{}));
        QCOMPARE(odd.channel[1], (Channel{}));
        QCOMPARE(TelecomControls::fromRecord(telecomRecord(0, 0, 3, 0, 0, "ECB", 0, "ECB", 0)).e1,
                 (E1{-1, -1, false, false, false, false}));
    }

    void beforeTheFirstReplyOnlyTheLiuListsShowAnEntry() {
        const TelecomControls empty = TelecomControls::fromRecord(NvRecord{});
        QCOMPARE(empty.e1, E1{});
        QCOMPARE(empty.t1, T1{});
        for (const Channel& channel : empty.channel) {
            QCOMPARE(channel, (Channel{false, false, false, false, false, false, 0}));
        }
    }

    void e1Rules_data() {
        QTest::addColumn<E1>("after");  // the clicked box has toggled itself
        QTest::addColumn<E1Box>("clicked");
        QTest::addColumn<E1>("expected");
        QTest::newRow("clearing the last option brings Mute back")
            << E1{0, 0, false, false, false, false} << E1Box::Crc4
            << E1{0, 0, true, false, false, false};
        QTest::newRow("an option clears Mute") << E1{0, 0, true, true, false, false} << E1Box::Ssm
                                               << E1{0, 0, false, true, false, false};
        QTest::newRow("options combine") << E1{0, 0, false, true, true, true} << E1Box::Ts16
                                         << E1{0, 0, false, true, true, true};
        QTest::newRow("Mute clears the rest") << E1{0, 0, true, true, true, true} << E1Box::Mute
                                              << E1{0, 0, true, false, false, false};
        QTest::newRow("Mute cannot be cleared")
            << E1{0, 0, false, false, false, false} << E1Box::Mute
            << E1{0, 0, true, false, false, false};
    }
    void e1Rules() {
        QFETCH(E1, after);
        QFETCH(E1Box, clicked);
        QFETCH(E1, expected);
        TelecomControls::clickE1(after, clicked);
        QCOMPARE(after, expected);
    }

    void diagnosticsParameters_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const char* const gains[][2] = {{"01h", "1"},     {"02h", "2"},   {"04h", "4"},
                                        {"08h", "8"},     {"10h", "16"},  {"20h", "32"},
                                        {"40h", "64"},    {"80h", "128"}, {"AlignGainPot", "183"},
                                        {"End Test", "0"}};
        for (const auto& [entry, expected] : gains) {
            QTest::addRow("gain %s", entry) << "gain" << entry << expected;
        }
        QTest::newRow("dds 7") << "dds"
                               << "7"
                               << "7";
        QTest::newRow("dds End Test") << "dds"
                                      << "End Test"
                                      << "0";
        const char* const times[][2] = {{"+0020", "+00020f"},
                                        {"1500", "+01500f"},
                                        {"-5", "-00005f"},
                                        {"abc", "+00000f"},
                                        {"", "+00000f"},
                                        {"  42ns", "+00042f"},
                                        {"123456", "+123456f"},
                                        {"99999999999", "+2147483647f"},
                                        {"-99999999999", "-2147483648f"}};
        for (const auto& [field, expected] : times) {
            QTest::addRow("time '%s'", field) << "time" << field << expected;
        }
        QTest::newRow("result line end cut") << "result"
                                             << "ok\r\n"
                                             << "ok";
        QTest::newRow("result of two kept") << "result"
                                            << "\r\n"
                                            << "\r\n";
        QTest::newRow("result framed reply") << "result"
                                             << "\x02"
                                                "A02 3\r\n\x03"
                                             << "A02 3";
        QTest::newRow("result test line") << "result"
                                          << "ADC 0037 DAC 0041\r\n"
                                          << "ADC 0037 DAC 0041";
    }
    void diagnosticsParameters() {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const std::string in = input.toStdString();
        const std::string out = kind == "gain"   ? brevik2::dialogs::gainParameter(in)
                                : kind == "dds"  ? brevik2::dialogs::ddsParameter(in)
                                : kind == "time" ? brevik2::dialogs::timeUpdatingParameter(in)
                                                 : brevik2::dialogs::resultLineText(in);
        QCOMPARE(QString::fromStdString(out), expected);
    }

    void syncResult_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("status");
        QTest::newRow("echo") << QByteArray("\x02W22 1PPS SYNC OK\r\n\x03") << "Completed";
        QTest::newRow("echo alone") << QByteArray("\x02W22 ") << "Completed";
        QTest::newRow("other code") << QByteArray("\x02W21 OK\r\n\x03") << "Did Not Complete";
        QTest::newRow("no STX") << QByteArray("W22 OK\r\n\x03") << "Did Not Complete";
        QTest::newRow("no blank") << QByteArray("\x02W22") << "Did Not Complete";
        QTest::newRow("NUL for the blank") << QByteArray("\x02W22\0", 5) << "Did Not Complete";
        QTest::newRow("empty") << QByteArray() << "Did Not Complete";
    }
    void syncResult() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, status);
        QCOMPARE(brevik2::dialogs::syncResultText(reply.toStdString()),
                 QStringLiteral("Sync Complete\n Status = ") + status);
    }

    void typedCommandNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");
        QTest::newRow("exact") << "Mute" << 10;
        QTest::newRow("other case") << "sET dATE" << 44;
        QTest::newRow("first row") << "reset alarms" << 0;
        QTest::newRow("last row") << "SET TELECOM OUTPUT" << 60;
        QTest::newRow("prefix") << "Mut" << -1;
        QTest::newRow("trailing blank") << "Mute " << -1;
        QTest::newRow("code, not name") << "W12" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void typedCommandNames() {
        QFETCH(QString, typed);
        QFETCH(int, row);
        QCOMPARE(brevik2::dialogs::CommandDialog::rowNamed(typed), row);
    }
};

QTEST_MAIN(OutputParametersTest)
#include "output_parameters_test.moc"
