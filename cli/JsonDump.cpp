#include "JsonDump.h"

#include "RecordStore.h"
#include "TvDocument.h"

#include <charconv>
#include <string>
#include <string_view>

namespace {

// Collects the output in large pieces; a million records is a lot of small
// appends.
class JsonWriter {
public:
    explicit JsonWriter(std::FILE* out) : m_out(out) { m_buffer.reserve(kFlushAt + 4096); }
    ~JsonWriter() { Flush(); }
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void Raw(std::string_view text) {
        m_buffer.append(text);
        if (m_buffer.size() >= kFlushAt)
            Flush();
    }

    template <typename Integer> void Number(Integer value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof(digits), value);
        Raw(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }

    // Each byte is the Unicode character of the same value, encoded in UTF-8.
    void String(std::string_view text) {
        m_buffer.push_back('"');
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            switch (byte) {
            case '"':
                m_buffer.append("\\\"");
                break;
            case '\\':
                m_buffer.append("\\\\");
                break;
            case '\n':
                m_buffer.append("\\n");
                break;
            case '\r':
                m_buffer.append("\\r");
                break;
            case '\t':
                m_buffer.append("\\t");
                break;
            case '\b':
                m_buffer.append("\\b");
                break;
            case '\f':
                m_buffer.append("\\f");
                break;
            default:
                if (byte < 0x20) {
                    static const char kHex[] = "0123456789abcdef";
                    m_buffer.append("\\u00");
                    m_buffer.push_back(kHex[byte >> 4]);
                    m_buffer.push_back(kHex[byte & 0xF]);
                } else if (byte < 0x80) {
                    m_buffer.push_back(static_cast<char>(byte));
                } else {
                    m_buffer.push_back(static_cast<char>(0xC0 | (byte >> 6)));
                    m_buffer.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
                }
            }
        }
        m_buffer.push_back('"');
    }

    void Flush() {
        if (!m_buffer.empty())
            std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out);
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    std::FILE* m_out;
    std::string m_buffer;
};

// Writes one object's members as "key": value, separated by commas.
class ObjectWriter {
public:
    explicit ObjectWriter(JsonWriter& json) : m_json(json) { m_json.Raw("{"); }
    ~ObjectWriter() { m_json.Raw("}"); }
    ObjectWriter(const ObjectWriter&) = delete;
    ObjectWriter& operator=(const ObjectWriter&) = delete;

    JsonWriter& Key(std::string_view name) {
        if (!m_first)
            m_json.Raw(", ");
        m_first = false;
        m_json.String(name);
        m_json.Raw(": ");
        return m_json;
    }
    template <typename Integer> void Number(std::string_view name, Integer value) {
        Key(name).Number(value);
    }
    void Text(std::string_view name, std::string_view text) { Key(name).String(text); }
    void Date(std::string_view name, const MTime& date) {
        char text[80];
        std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", date.GetYear() + 1900,
                      date.GetMonth() + 1, date.GetDay(), date.GetHour(), date.GetMinute(),
                      date.GetSecond());
        Key(name).String(text);
    }

private:
    JsonWriter& m_json;
    bool m_first = true;
};

void WriteHeader(ObjectWriter& object, const RecordHeader& header) {
    object.Number("Uid", header.Uid);
    object.Number("Category", header.Category);
    object.Number("Flags", header.Flags);
}

// Notes are kept up to their NUL already; cut at one anyway, as a C text would be.
std::string_view NoteText(std::string_view note) {
    return note.substr(0, note.find('\0'));
}

void WriteFields(ObjectWriter& object, const VehicleRecord& record) {
    object.Text("Name", record.Name.View());
    object.Text("License", record.License.View());
    object.Text("Vin", record.Vin.View());
    object.Text("Insurance", record.Insurance.View());
    object.Number("Odometer", record.Odometer);
    object.Number("VehicleId", record.VehicleId);
}

void WriteFields(ObjectWriter& object, const ServiceTypeRecord& record) {
    object.Text("Name", record.Name.View());
    object.Number("DistanceInterval", record.DistanceInterval);
    object.Number("TimeUnit", static_cast<unsigned>(record.TimeUnit));
    object.Number("TimeCount", static_cast<unsigned>(record.TimeCount));
    object.Number("ServiceTypeId", record.ServiceTypeId);
}

void WriteFields(ObjectWriter& object, const ServiceRecord& record) {
    object.Number("Odometer", record.Odometer);
    object.Date("Date", record.Date);
    object.Number("ServiceFlags", static_cast<unsigned>(record.ServiceFlags));
    object.Number("ServiceTypeId", record.ServiceTypeId);
    object.Number("VehicleId", record.VehicleId);
    object.Text("Note", NoteText(record.Note));
}

void WriteFields(ObjectWriter& object, const TripRecord& record) {
    object.Text("Destination", record.Destination.View());
    object.Number("StartOdometer", record.StartOdometer);
    object.Number("EndOdometer", record.EndOdometer);
    object.Date("Start", record.Start);
    object.Date("End", record.End);
    object.Number("VehicleId", record.VehicleId);
    object.Text("Note", NoteText(record.Note));
}

void WriteFields(ObjectWriter& object, const ExpenseRecord& record) {
    object.Text("Vendor", record.Vendor.View());
    object.Text("Description", record.Description.View());
    object.Text("ExtraText", record.ExtraText.View());
    object.Number("Cost", record.Cost);
    object.Date("Date", record.Date);
    object.Number("Odometer", record.Odometer);
    object.Number("ExpenseFlags", static_cast<unsigned>(record.ExpenseFlags));
    object.Number("Volume", record.Volume);
    object.Number("VehicleId", record.VehicleId);
    object.Text("Note", NoteText(record.Note));
}

template <typename R> void WriteStore(JsonWriter& json, const TypedStore<R>& store) {
    json.Raw("{\n    \"tag\": ");
    json.String(store.TagText());
    json.Raw(",\n    \"version\": ");
    json.Number(RecordStore::kVersion);
    json.Raw(",\n    \"idCounter\": ");
    json.Number(store.IdCounter);
    json.Raw(",\n    \"settings\": [");
    for (std::size_t i = 0; i < store.Settings.size(); ++i) {
        if (i > 0)
            json.Raw(", ");
        json.Number(store.Settings[i]);
    }
    json.Raw("],\n    \"lastUniqueId\": ");
    json.Number(store.Categories.LastUniqueId);
    json.Raw(",\n    \"categories\": [");
    bool first = true;
    for (const CategoryEntry& entry : store.Categories.Items()) {
        json.Raw(first ? "\n      " : ",\n      ");
        first = false;
        ObjectWriter object(json);
        object.Number("index", entry.Category);
        object.Number("uid", entry.Uid);
        object.Number("flags", entry.Flags);
        object.Text("name", entry.Name);
    }
    json.Raw(first ? "],\n    \"records\": [" : "\n    ],\n    \"records\": [");
    first = true;
    for (const R& record : store.Records()) {
        json.Raw(first ? "\n      " : ",\n      ");
        first = false;
        ObjectWriter object(json);
        WriteHeader(object, record);
        WriteFields(object, record);
    }
    json.Raw(first ? "]\n  }" : "\n    ]\n  }");
}

} // namespace

void DumpJson(const TvDocument& document, std::FILE* out) {
    JsonWriter json(out);
    json.Raw("{\n  \"vehicles\": ");
    WriteStore(json, document.Vehicles());
    json.Raw(",\n  \"serviceTypes\": ");
    WriteStore(json, document.ServiceTypes());
    json.Raw(",\n  \"services\": ");
    WriteStore(json, document.Services());
    json.Raw(",\n  \"trips\": ");
    WriteStore(json, document.Trips());
    json.Raw(",\n  \"expenses\": ");
    WriteStore(json, document.Expenses());
    json.Raw("\n}\n");
}
