#include "unit_snapshot.h"

#include <bit>
#include <cstring>
#include <type_traits>

namespace brevik2::engine {

namespace {

const FieldValue kNoValue{};

template <typename Record>
FieldValue slotValue(const UnitField& field, const Record& record) {
    FieldValue out;
    const auto i = static_cast<std::size_t>(field.slot);
    switch (field.type) {
        case FieldType::kSigned:
            out.value = record.asSigned(field.slot);
            break;
        case FieldType::kUnsigned:
            out.value = record.asUnsigned(field.slot);
            break;
        case FieldType::kFloat:
            out.value = record.asFloat(field.slot);
            if constexpr (requires { record.printed; }) {
                out.printed = record.printed[i].data();
            }
            break;
        case FieldType::kChar:
            out.value = record.asChar(field.slot);
            break;
        case FieldType::kText:
        case FieldType::kReal:
            break;
    }
    if constexpr (requires { record.valid; }) {
        out.valid = record.valid[i] == 1;
    } else {
        out.valid = true;
    }
    return out;
}

FieldValue textOfConstants(const UnitField& field, const ConstantsRecord& c) {
    FieldValue out;
    out.value = std::string(field.slot == kConCdu ? c.cdu.data() : c.txt.data());
    out.valid = c.valid[static_cast<std::size_t>(field.slot)] == 1;
    return out;
}

FieldValue stampValue(const UnitField& field, const TelemetryStamp& stamp) {
    const LocalDateTime& t = stamp.local;
    const int parts[] = {0, t.month, t.day, t.year, t.hour, t.minute, t.second};
    FieldValue out;
    out.valid = true;
    if (field.slot == 0) {
        out.value = stamp.mjd;
    } else {
        out.value = std::int32_t{parts[field.slot]};
    }
    return out;
}

FieldValue valueOf(const UnitField& field, const UnitRecords& r, const TelemetryStamp& stamp) {
    switch (field.record) {
        case FieldRecord::kVariables:
            if (field.type == FieldType::kText) {
                FieldValue mode;
                mode.value = r.variables.modeText();
                mode.valid = r.variables.valid[static_cast<std::size_t>(field.slot)] == 1;
                return mode;
            }
            return slotValue(field, r.variables);
        case FieldRecord::kConstants:
            return field.type == FieldType::kText ? textOfConstants(field, r.constants)
                                                  : slotValue(field, r.constants);
        case FieldRecord::kNvram:
            return slotValue(field, r.nvram);
        case FieldRecord::kCounters:
            return FieldValue{r.counters[static_cast<std::size_t>(field.slot)], true, {}};
        case FieldRecord::kVersion:
            return field.slot == 0 ? FieldValue{r.version.letter, true, {}}
                                   : FieldValue{std::int32_t{r.version.number}, true, {}};
        case FieldRecord::kDateTime:
            return FieldValue{r.dateTime.substr(0, r.dateTime.find('\0')), true, {}};
        case FieldRecord::kStamp:
            return stampValue(field, stamp);
    }
    return {};
}

}  // namespace

UnitSnapshot::UnitSnapshot(const UnitRecords& records, const TelemetryStamp& stamp) {
    const auto fields = unitFields();
    m_values.reserve(fields.size());
    for (const UnitField& field : fields) {
        m_values.push_back(valueOf(field, records, stamp));
    }
}

const FieldValue& UnitSnapshot::operator[](const UnitField& field) const {
    const auto fields = unitFields();
    const auto index = static_cast<std::size_t>(&field - fields.data());
    return index < m_values.size() ? m_values[index] : kNoValue;
}

const FieldValue& UnitSnapshot::at(FieldRecord record, int slot) const {
    const UnitField* field = unitField(record, slot);
    return field == nullptr ? kNoValue : (*this)[*field];
}

std::int32_t UnitSnapshot::asSigned(FieldRecord record, int slot) const {
    return std::get<std::int32_t>(cellFor('d', at(record, slot)));
}

std::uint32_t UnitSnapshot::asUnsigned(FieldRecord record, int slot) const {
    return std::get<std::uint32_t>(cellFor('u', at(record, slot)));
}

double UnitSnapshot::asReal(FieldRecord record, int slot) const {
    return std::get<double>(cellFor('f', at(record, slot)));
}

char UnitSnapshot::asChar(FieldRecord record, int slot) const {
    const auto* c = std::get_if<char>(&at(record, slot).value);
    return c == nullptr ? '\0' : *c;
}

std::string UnitSnapshot::asText(FieldRecord record, int slot) const {
    return std::get<std::string>(cellFor('s', at(record, slot)));
}

TelemetryCell cellFor(char conversion, const FieldValue& field, double factor) {
    return std::visit(
        [&](const auto& v) -> TelemetryCell {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>) {
                if (conversion == 's') {
                    return v;
                }
                return std::int32_t{0};
            } else {
                switch (conversion) {
                    case 's':
                        if constexpr (std::is_same_v<T, char>) {
                            return std::string(1, v);
                        }
                        return std::string();
                    case 'f':
                        if constexpr (std::is_integral_v<T>) {
                            return factor != 0.0 ? v * factor : static_cast<double>(v);
                        }
                        return static_cast<double>(v);
                    case 'u':
                    case 'x':
                    case 'X':
                        if constexpr (std::is_integral_v<T>) {
                            return static_cast<std::uint32_t>(v);
                        }
                        return std::uint32_t{0};
                    default:
                        if constexpr (std::is_integral_v<T>) {
                            return static_cast<std::int32_t>(v);
                        }
                        return std::int32_t{0};
                }
            }
        },
        field.value);
}

char conversionOf(const char* format) {
    const char* at = format == nullptr ? nullptr : std::strchr(format, '%');
    if (at == nullptr) {
        return 's';
    }
    const std::size_t skip = std::strspn(at + 1, "-+ #0123456789.lhz");
    return at[1 + skip] == '\0' ? 's' : at[1 + skip];
}

}  // namespace brevik2::engine
