#include "link/command_catalogue.h"

namespace brevik2::link {

const std::array<CommandRow, kCommandCount>& commandCatalogue() {
    // Code, display name, description, parameter length, mask, default parameter, reply limit.
    static constexpr std::array<CommandRow, kCommandCount> kRows = {{
        {"W00", "Reset Alarms", "Reset the stored alarms data", 0, "", "", 1024},
        {"W01", "Set User Frequency Offset", " add parts e-15 frequency offset to the output", 7,
         "snnnnn", "+000000", 1024},
        {"W03", "Begin Time Updating", "slew output phase by K nanoseconds, 1ns/s", 5, "snnnn",
         "+0000", 1024},
        {"W04", "Reset Time Updating", "stop moving output phase", 0, "", "", 1024},
        {"W05", "Disable CField Servo", "disable C-Field tuning", 0, "", "", 1024},
        {"W06", "Enable CField Servo", "enable C-Field Tuning", 0, "", "", 1024},
        {"W07", "(Q520) Set the TTL output Frequency",
         "Set the TTL output Frequency (Q520k)\n   1=100KHz\n   2=1MHz\n   3=5MHz\n   4=10MHz", 1,
         "1", "1", 1024},
        {"W08", "Day And Time Entry", "obsolete", 9, "dddhhmmss", "000120000", 1024},
        {"W10", "Filter Order and TC", "Set VCXO Servo Filter Order And Time Constant", 5, "n n.nn",
         "2 1.33", 1024},
        {"W11", "Temp Freq Offset", "Set Temporary Frequency Offset (parts e-15)", 7, "snnnnn",
         "+000000", 1024},
        {"W12", "Mute", "Mute 10mhz output signal", 0, "", "", 1024},
        {"W13", "UnMute", "Restore 10mhz output signal", 0, "", "", 1024},
        {"W14", "Mute Override", "restore signal without affecting mute flag", 0, "", "", 1024},
        {"W15", "Set External Alarm", "Set the Alarm LEDs and Relays 1=minor 2=major", 1, "1", "1",
         1024},
        {"W16", "Clear Internal Alarms", "Clear Internal Alarms, does not reset External Alarms", 0,
         "", "", 1024},
        {"W17", "AlarmRelayCutOff", " turn off the alarm relay", 0, "", "", 1024},
        {"W18", "Clear Event Log", "reset the event log", 0, "", "", 1024},
        {"W22", "PPS Sync Enable", "1 PPS Sync Enable", 0, "", "", 1024},
        {"T*2", "Remote On", "Remote Control On (obsolete)", 0, "", "", 1024},
        {"D*1", "Report Variables", "250 chars of status info", 0, "", "", 1024},
        {"D*2", "Report Constants", "120 chars of status info", 0, "", "", 1024},
        {"D*3", "Retrieve Event Log", "event log", 0, "", "", 32000},
        {"D*4", "Report Extended Status", "high resolution status info", 0, "", "", 2048},
        {"D*5", "Report nvram", "Non volatile Memory", 0, "", "", 32000},
        {"S01", "RamseyOnly", "Set Clock Servo Only Mode", 1, "n", "1", 1024},
        {"S02", "VCXO Servo", "Control VCXOServo (1 = enabled, 0 = disabled)", 1, "n", "0", 1024},
        {"S03", "C-Field Servo", "ControlCFieldServo (1 = enabled, 0 = disabled)", 1, "n", "0",
         1024},
        {"S04", "Microwave Servo", "ControlMicrowavePwrServo (1 = enabled, 0 = disabled)", 1, "n",
         "0", 1024},
        {"S05", "Gain Servo", "Control signal gain servo (1 = enabled, 0 = disabled)", 1, "n", "0",
         1024},
        {"S06", "Set_VCXO_CV", "Set the VCXO control voltage directly", 10, "F", "+1.0000043",
         1024},
        {"S07", "Set_Gains", "Set the Numeric and Hardware Gain directly", 5, "H,F", "4,1.424",
         1024},
        {"S08", "Set_CField_CV", "Set the C-Field control voltage directly", 10, "F", "+1.0000041",
         1024},
        {"S09", "Set_Microwave Power", "Set the Microwave Attenuator control voltage directly", 10,
         "F", "+1.0000042", 1024},
        {"C01", "UnitID", "Set Unit Id (5 digits)", 5, "nnnnn", "01010", 1024},
        {"C02", "Nominals", "Set Nominals", 0, "", "", 1024},
        {"C03", "Version", "Report embedded firmware build number", 0, "", "", 1024},
        {"C04", "Language", "Set Interface language (e=english, f=french, d=german)", 1, "a", "e",
         1024},
        {"C05", "Serial Parameters",
         "Set Serial Port Parameters (baud,data bits,parity, stop bits)", 9, "0nnnn,n,a",
         "19200,8,n,1", 1024},
        {"C06", "Verezi Message", "Set Verezi Message", 9, "aaaaaaaaa", "---------", 1024},
        {"A01", "Test Mode 1", "Test Mode1 DAC to ADC loopback ( 0= end test, 1 = do test)", 1, "n",
         "0", 1024},
        {"A02", "Test Mode 2", "Test Mode2 DDS tests ( 0= end test, 1-9 = do test)", 1, "n", "0",
         1024},
        {"A03", "Test Mode 3", "Test Mode3 Gain DAC test ( 0= end test 1-255 = set dac)", 1, "n",
         "0", 1024},
        {"A04", "Single Point DDS",
         "off=restart clock\n?=repeat last interrogation\n entering a 12 digit hex frequency "
         "performs an interrogation ",
         12, "nnnnnnnnnnnn", "47DC59E511F8", 32000},
        {"A05", "Sweep", "Control DDS (start, increment, number of steps)", 30,
         "aaaaaaaaaaaa,aaaaaaaaaaaa,nnnn", "47DC59E511F8,000000000001,0099", 32000},
        {"A06", "Set Date", "Set Date (month, day, year)", 8, "mm/dd/yy", "01/01/00", 1024},
        {"A07", "Set Time", "Set Time (hour, minute, second)", 8, "hh,mm,ss", "12:00:00", 1024},
        {"A08", "Get Date & Time", "Report Date And Time", 0, "", "", 1024},
        {"A09", "Set DaylightSavings",
         "Set Daylight Savings Mode (1 = adjust for daylight savings, 0 = don't adjust)", 1, "n",
         "0", 1024},
        {"A10", "Get Daylight Savings", "Report Daylight Savings Mode", 0, "", "", 1024},
        {"A11", "Arm Leap Sec",
         "Leap Second (1 = insert at next interval, 0 = don't insert at next interval)", 1, "n",
         "0", 1024},
        {"A12", "Leap Sec Status", "Report Leap Second Status", 0, "", "", 1024},
        {"A13", "Set POH", "Set Power On Hours", 8, "nnnnn", "2000", 1024},
        {"A14", "Get POH", "Report Power On Hours", 0, "", "", 1024},
        {"A15", "Set ResponseMode",
         "Set ResponseMode Mode (0 = no debug messages, 1 = debug messages enabled", 1, "n", "0",
         1024},
        {"A16", "Reset NVRAM", "Reset NVRAM", 0, "", "", 1024},
        {"A17", "Set Manuf Date", "Set Manufacturing Date (MM/DD/YY)", 8, "mm/dd/yy", "01/01/00",
         1024},
        {"A18", "Set Restart Fault Level", "Restart Fault Level", 1, "n", "0", 1024},
        {"A19", "Get BIU ID", "Returns the contents of the BIU register", 0, "", "", 1024},
        {"A20", "Set E1 pattern generator", "Configure the E1 Framing pattern Generator chip", 1,
         "4,4,0010", "0", 1024},
        {"A21", "Set T1 pattern generator", "Configure the T1 Framing pattern Generator chip", 1,
         "2,2", "0", 1024},
        {"A22", "Set Telecom Output", "Program a Telecom Output Channel", 1, "n", "0", 1024},
    }};
    return kRows;
}

const CommandRow* findCommand(std::string_view code) {
    for (const CommandRow& row : commandCatalogue()) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

PendingRequestSlot::FillResult queueRequest(PendingRequestSlot& slot, std::string_view code,
                                            std::string_view parameter, int completionCode) {
    const CommandRow* row = findCommand(code);
    if (row == nullptr) {
        return PendingRequestSlot::FillResult::BadCode;
    }
    return slot.fill(row->code, row->takesParameter() ? parameter : std::string_view{},
                     row->replyLimit, completionCode);
}

}  // namespace brevik2::link
