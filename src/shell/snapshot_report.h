#pragma once

#include <string>
#include <string_view>

#include "engine/status_records.h"
#include "shell/local_time.h"

namespace brevik2::shell {

// The texts of the clock data snapshot, built from the records of the last completed poll and
// the event table. Pure: the caller writes them. Line ends are "\n" here; the file gets CR LF
// (see withCrLf).

// "Harrowquill_<type>_<unit ID>_status" with VRX80, Q520K, Q710 or Cesium as the type.
std::string snapshotDefaultName(const engine::UnitRecords& records);

// The identity and configuration section, written at once when the snapshot starts.
std::string snapshotFirstSection(const engine::UnitRecords& records, const LocalTime& now);

// The event log section, written when the retrieval the snapshot asked for has finished.
std::string snapshotEventLogSection(const engine::EventTable& table);

// Ends a report whose event log never came because the operator started another snapshot.
std::string snapshotNotRetrievedSection();

// The report is a Windows text file wherever it is written, so a station's reports read the same
// in any editor and compare byte for byte: every "\n" becomes CR LF.
std::string withCrLf(std::string_view text);

}  // namespace brevik2::shell
