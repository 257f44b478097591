#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "link/line_settings.h"

namespace brevik2::sim {

// One entry of the unit's event log: its main line and the lines that continue it (sent with a
// leading tab).
struct EventLogEntry {
    std::string mainLine;
    std::vector<std::string> continuation;

    bool operator==(const EventLogEntry&) const = default;
};

// The framing pattern generators and the two telecom output channels, as the non-volatile
// memory reports them.
struct TelecomSettings {
    // E1 fault strategy bits as reported: CRC-4, TS-16, SSM, Mute.
    static constexpr unsigned kE1Crc4 = 0x1;
    static constexpr unsigned kE1Ts16 = 0x2;
    static constexpr unsigned kE1Ssm = 0x4;
    static constexpr unsigned kE1Mute = 0x8;

    struct Channel {
        char type = 'E';    // 'E' E1, 'T' T1
        char format = 'F';  // 'F' framed, 'C' clocked
        char drive = 'B';   // 'B' balanced, 'U' unbalanced
        int liu = 0;        // line interface setting, 0 to 7

        bool operator==(const Channel&) const = default;
    };

    int e1Format = 2;  // 1 to 4
    unsigned e1FaultBits = kE1Crc4 | kE1Ssm;
    int ssmOnSa = 4;     // 4 to 8
    int t1Format = 2;    // 1 to 3
    int t1Strategy = 1;  // 1 mute, 2 SSM, 3 AIS
    std::array<Channel, 2> channel{Channel{}, Channel{'T', 'F', 'U', 3}};

    bool operator==(const TelecomSettings&) const = default;
};

// The slowly wandering analog read-outs of the variables reply.
struct UnitReadings {
    int c = 12;
    double pos24V = 24.12;
    int cramErr = -3;
    int crabErr = 45;
    int zramErr = 2;
    int zrabErr = -17;
    int vVcxo = 2048;
    int clockLevel = 3150;
    int vCfield = 1500;
    int zLevel = 2700;
    int dcLevel = 12;
    double numericGain = 1.42;
    int la = 0;
    int vMicrowave = 1800;
    double pos5V = 5.02;
    double chassisTemperature = 32.4;
    double pos15V = 15.1;
    double neg15V = -15.0;
    double vCesiumOven = 8.6;
    double vMassSpectrometer = 12.5;
    double vIonizer = 4.9;
    double iCfield = 12.0;
    double vElectronMultiplier = 62.0;
    int iIonPump = 12;
    int stdDev = 15;
};

// Everything the simulated unit remembers. Copied whole to whoever asks (tests, the server).
struct UnitState {
    int model = 401;
    long unitId = 1010;
    link::LineSettings line{};

    long frequencyOffset = 0;  // parts in 1e-15, the variables reply's FREQTUNE
    long temporaryOffset = 0;
    double oscillatorTau = 1.33;
    int filterOrder = 2;
    int alarmState = 0;  // 0 operating, 1 warming up, 10 minor fault, 11 major fault
    bool daylightSavings = false;
    bool leapSecondArmed = false;
    int restartFaultLevel = 0;
    int responseMode = 0;
    int ttlFrequency = 4;
    int dacGain = 128;
    bool muted = false;
    std::string customerMessage = "SIMULATOR";
    char language = 'e';

    int manufactureYear = 2003;
    int manufactureMonth = 7;
    int manufactureDay = 9;
    long poweredHours = 43210;

    // The unit's clock runs this many seconds ahead of the host's UTC clock.
    long long clockOffsetSeconds = 0;

    std::vector<EventLogEntry> eventLog;
    int nextEventNumber = 1;

    TelecomSettings telecom;
    // Parameter of each running test mode (A01, A02, A03); 0 = not running.
    std::array<int, 3> testModes{};
    std::array<int, 4> counters{1234, 5678, 910, 1112};
    UnitReadings readings;

    // How often each request code was answered (or deliberately left unanswered).
    std::map<std::string, int> requestCounts;
};

}  // namespace brevik2::sim
