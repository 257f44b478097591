#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "status_records.h"
#include "telemetry_schema.h"

namespace brevik2::engine {

// One field's value as the unit reported it: the alternative follows the field's FieldType, in
// its order (signed, unsigned, float, character, text, real).
struct FieldValue {
    std::variant<std::int32_t, std::uint32_t, float, char, std::string, double> value;
    bool valid = false;
    std::string printed;  // a float's characters as the unit sent them; empty otherwise
};

// The moment a data file line is written, for the table's time columns.
struct TelemetryStamp {
    LocalDateTime local;
    double mjd = 0.0;
};

// Every field of one poll, typed, in the order of unitFields(): what the data file line, the
// panel, the snapshot report and the metrics render from. Fields outside the fixed-layout
// replies have no validity rule and count as valid.
class UnitSnapshot {
public:
    UnitSnapshot(const UnitRecords& records, const TelemetryStamp& stamp = {});

    std::span<const FieldValue> values() const { return m_values; }
    const FieldValue& operator[](const UnitField& field) const;
    const FieldValue& at(FieldRecord record, int slot) const;

    // A field's value read as a type, whichever it holds (0 or empty when it holds another kind
    // of value).
    std::int32_t asSigned(FieldRecord record, int slot) const;
    std::uint32_t asUnsigned(FieldRecord record, int slot) const;
    double asReal(FieldRecord record, int slot) const;
    char asChar(FieldRecord record, int slot) const;
    std::string asText(FieldRecord record, int slot) const;

private:
    std::vector<FieldValue> m_values;
};

// A field's value converted for a printf conversion letter ('d', 'u', 'x', 'X', 'f', 's'), an
// integer multiplied by the factor first when it is not 0.
TelemetryCell cellFor(char conversion, const FieldValue& field, double factor = 0.0);

// The conversion letter of the first directive of a printf format ('s' when it has none).
char conversionOf(const char* format);

}  // namespace brevik2::engine
